// Quoting a text for one line of output or of a plan file: in double quotes,
// with `"` and `\` escaped by a backslash, line breaks and tabs as \n, \r and
// \t, and other control bytes as \xHH. Bytes from 0x80 up (UTF-8) are kept,
// so the result is as readable as the text.
#pragma once

#include <string>
#include <string_view>

namespace sw {

std::string EscapeForLine(std::string_view text);

}  // namespace sw
