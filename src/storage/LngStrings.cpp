#include "storage/LngStrings.h"

#include "storage/LocCommon.h"
#include "util/QConsts.h"

namespace sw {

std::uint32_t ReadLength(TStream& stream, int version) {
  if (version < 6) return stream.ReadU16();
  const std::uint32_t b0 = stream.ReadU8();
  if ((b0 & 0x80) == 0) return b0;
  const std::uint32_t b1 = stream.ReadU8();
  if ((b1 & 0x80) == 0) return (b0 & 0x7F) | (b1 << 7);
  const std::uint32_t w = stream.ReadU16();
  return (b0 & 0x7F) | ((b1 & 0x7F) << 7) | (w << 14);
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

std::string ReadAnsiString(TStream& stream, int version) {
  const std::uint32_t n = ReadLength(stream, version);
  if (n == 0) return {};
  return stream.ReadBytes(n);  // checks the length against the data left first
}

void WriteAnsiString(TStream& stream, std::string_view text, int version) {
  WriteLength(stream, static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 0xFFFFFFFFu)), version);
  stream.WriteBuffer(text.data(), text.size());
}

std::u16string ReadWideString(TStream& stream, int version) {
  const std::uint32_t n = ReadLength(stream, version);
  if (n == 0) return {};
  // Refuse a length the data cannot hold before allocating for it.
  if (static_cast<std::int64_t>(n) * 2 > stream.Remaining()) throw EReadError(SReadError);
  std::u16string text(n, u'\0');
  std::string bytes(static_cast<std::size_t>(n) * 2, '\0');
  stream.ReadBuffer(bytes.data(), bytes.size());
  for (std::size_t i = 0; i < n; ++i)
    text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                    (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
  return text;
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
