#include "storage/LngStrings.h"

#include "runtime/BinaryReader.h"
#include "storage/LocCommon.h"
#include "util/Messages.h"

namespace sw {

std::uint32_t ReadLength(BinaryReader& reader, int version) {
  if (version < 6) return reader.ReadU16LE();
  const std::uint32_t b0 = reader.ReadU8();
  if ((b0 & 0x80) == 0) return b0;
  const std::uint32_t b1 = reader.ReadU8();
  if ((b1 & 0x80) == 0) return (b0 & 0x7F) | (b1 << 7);
  const std::uint32_t w = reader.ReadU16LE();
  return (b0 & 0x7F) | ((b1 & 0x7F) << 7) | (w << 14);
}

std::uint32_t ReadLength(TStream& stream, int version) {
  return ReadThrough(stream, [&](BinaryReader& reader) { return ReadLength(reader, version); });
}

void WriteLength(TStream& stream, std::uint32_t n, int version) {
  const std::uint32_t limit = version < 6 ? 0xFFFFu : MaxStringLength;
  if (n > limit)
    throw ELangFileError(Format(SLangFileStringTooLong, n, version, limit));
  if (version < 6) {
    stream.WriteU16(static_cast<std::uint16_t>(n));
  } else if (n <= 127) {
    stream.WriteU8(static_cast<std::uint8_t>(n));
  } else if (n <= 16383) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(0x80 | (n & 0x7F)),
                               static_cast<std::uint8_t>(n >> 7)};
    stream.WriteBuffer(b, 2);
  } else {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(0x80 | (n & 0x7F)),
                               static_cast<std::uint8_t>(0x80 | ((n >> 7) & 0x7F)),
                               static_cast<std::uint8_t>(n >> 14), static_cast<std::uint8_t>(n >> 22)};
    stream.WriteBuffer(b, 4);
  }
}

void ReadAnsiString(BinaryReader& reader, int version, std::string& out) {
  const std::uint32_t n = ReadLength(reader, version);
  reader.ReadChars(n, out);  // checks the length against the data left first
}

std::string ReadAnsiString(BinaryReader& reader, int version) {
  std::string text;
  ReadAnsiString(reader, version, text);
  return text;
}

std::string ReadAnsiString(TStream& stream, int version) {
  return ReadThrough(stream, [&](BinaryReader& reader) { return ReadAnsiString(reader, version); });
}

void WriteAnsiString(TStream& stream, std::string_view text, int version) {
  WriteLength(stream, static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 0xFFFFFFFFu)), version);
  stream.WriteBuffer(text.data(), text.size());
}

void ReadWideString(BinaryReader& reader, int version, std::u16string& out) {
  // The length is checked against the data left before anything is allocated.
  reader.ReadUtf16(ReadLength(reader, version), out);
}

std::u16string ReadWideString(BinaryReader& reader, int version) {
  std::u16string text;
  ReadWideString(reader, version, text);
  return text;
}

std::u16string ReadWideString(TStream& stream, int version) {
  return ReadThrough(stream, [&](BinaryReader& reader) { return ReadWideString(reader, version); });
}

void WriteWideString(TStream& stream, std::u16string_view text, int version) {
  WriteLength(stream, static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 0xFFFFFFFFu)), version);
  std::string bytes(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  stream.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace sw
