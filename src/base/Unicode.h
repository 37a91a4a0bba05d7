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
// The same, appended to `out` (whose buffer a caller converting many texts
// can reuse).
void AppendUtf16AsUtf8(std::string& out, std::u16string_view text);
// UTF-16 code units from their bytes, two to a unit, little- or big-endian.
// The one place where bytes become UTF-16; an odd last byte is left out.
void Utf16FromBytes(std::span<const std::uint8_t> bytes, bool bigEndian, std::u16string& out);
std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// The length (1 to 4) of the well-formed UTF-8 sequence starting at byte `i`
// of `text`, its code point in `*codePoint` when given; 0 when the bytes
// there are no such sequence (overlong, a surrogate, beyond U+10FFFF, cut
// short). `i` must be less than the text's size.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i, char32_t* codePoint = nullptr);
// Appends the UTF-8 bytes of a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace sw
