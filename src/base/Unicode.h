// Conversions between UTF-8 and UTF-16. Invalid input never fails: a byte
// sequence that is not UTF-8 becomes U+FFFD, and so does a lone surrogate.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sw {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-16 code units from their bytes, two to a unit, little- or big-endian.
// The one place where bytes become UTF-16; an odd last byte is left out.
void Utf16FromBytes(std::span<const std::uint8_t> bytes, bool bigEndian, std::u16string& out);
std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace sw
