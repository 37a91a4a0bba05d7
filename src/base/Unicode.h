// Conversions between UTF-8 and UTF-16. Invalid input never fails: a byte
// sequence that is not UTF-8 becomes U+FFFD, and so does a lone surrogate.
#pragma once

#include <string>
#include <string_view>

namespace sw {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace sw
