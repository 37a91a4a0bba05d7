// The length-prefixed ANSI and wide strings of the language file format.
// String length prefixes: below version 6 a u16; from version 6 on a 1-, 2-
// or 4-byte prefix (7 bits per byte with a continuation bit, then a u16 for
// bits 14 and up). Lengths of 2^30 and more cannot be stored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Streams.h"

namespace sw {

class BinaryReader;

// The longest length a string prefix can hold (exclusive) and the longest
// list a 16-bit count can hold.
inline constexpr std::uint32_t MaxStringLength = (1u << 30) - 1;
inline constexpr int MaxListCount = 65535;

// Reads a length prefix of the given format version. A short read raises
// EReadError. The stream versions read through a `BinaryReader` over the
// rest of the stream (in place for a memory stream).
std::uint32_t ReadLength(TStream& stream, int version);
std::uint32_t ReadLength(BinaryReader& reader, int version);
// Writes a length prefix. A length the version cannot represent (65536 and
// more below version 6, 2^30 and more from 6 on) raises ELangFileError and
// writes nothing.
void WriteLength(TStream& stream, std::uint32_t n, int version);
std::string ReadAnsiString(TStream& stream, int version);
std::string ReadAnsiString(BinaryReader& reader, int version);
void ReadAnsiString(BinaryReader& reader, int version, std::string& out);
void WriteAnsiString(TStream& stream, std::string_view text, int version);
std::u16string ReadWideString(TStream& stream, int version);
std::u16string ReadWideString(BinaryReader& reader, int version);
void ReadWideString(BinaryReader& reader, int version, std::u16string& out);
void WriteWideString(TStream& stream, std::u16string_view text, int version);

}  // namespace sw
