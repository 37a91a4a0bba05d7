// Quoting and escaping texts, the one home of each.
//
// EscapeForLine quotes a text for one line of output or of a plan file: in double quotes,
// with `"` and `\` escaped by a backslash, line breaks and tabs as \n, \r and
// \t, and other control bytes as \xHH. Bytes from 0x80 up (UTF-8) are kept,
// so the result is as readable as the text.
#pragma once

#include <string>
#include <string_view>

namespace sw {

std::string EscapeForLine(std::string_view text);
// Reverses EscapeForLine; false when `text` is not such a quoted text.
bool UnescapeLine(std::string_view text, std::string& out);

// A resource-script string literal: as C, except that a double quote is
// doubled, the form resource compilers read, and other control characters
// are three-digit octal escapes, which no following character can extend.
std::string QuoteRC(std::string_view text);

// An Object Pascal string literal: in `quote`s (doubled inside), control
// characters as #nn outside the quotes ('a'#13#10'b').
std::string QuotePascal(std::string_view text, char quote = '\'');

}  // namespace sw
