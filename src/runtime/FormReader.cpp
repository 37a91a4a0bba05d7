// Reading the binary component stream of form files; see FormReader.h.
#include "runtime/FormReader.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace sw {

double ExtendedToDouble(const std::uint8_t bytes[10]) {
  std::uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | bytes[i];
  const int signExp = bytes[8] | (bytes[9] << 8);
  const bool negative = (signExp & 0x8000) != 0;
  const int exponent = signExp & 0x7FFF;
  double value;
  if (exponent == 0x7FFF) {
    // Infinity when only the integer bit is set, otherwise not a number.
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
  } else if (mantissa == 0) {
    value = 0.0;
  } else {
    // The integer bit is explicit; denormals (exponent 0) use exponent 1.
    const int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    value = std::ldexp(static_cast<double>(mantissa), e);
  }
  return negative ? -value : value;
}

void DoubleToExtended(double value, std::uint8_t bytes[10]) {
  std::uint64_t mantissa = 0;
  int exponent = 0;
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ULL;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ULL;
  } else if (value != 0.0) {
    int e = 0;
    const double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
    mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
    exponent = e - 1 + 16383;
  }
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  const int signExp = exponent | (negative ? 0x8000 : 0);
  bytes[8] = static_cast<std::uint8_t>(signExp);
  bytes[9] = static_cast<std::uint8_t>(signExp >> 8);
}

TFormReader::TFormReader(TStream& stream)
    : stream_(stream), streamEnd_(stream.Size()), bufferOffset_(stream.Position()) {
  if (streamEnd_ < bufferOffset_) streamEnd_ = bufferOffset_;
}

void TFormReader::RaiseReadError() const { throw EReadError(SReadError); }

void TFormReader::Fill() {
  bufferOffset_ += static_cast<std::int64_t>(pos_);
  const std::size_t keep = end_ - pos_;
  if (keep > 0) std::memmove(buffer_, buffer_ + pos_, keep);
  pos_ = 0;
  end_ = keep;
  while (end_ < BufferSize) {
    const std::size_t got = stream_.Read(buffer_ + end_, BufferSize - end_);
    if (got == 0) break;
    end_ += got;
  }
}

std::uint8_t TFormReader::PeekByte() {
  if (pos_ >= end_) {
    Fill();
    if (pos_ >= end_) RaiseReadError();
  }
  return buffer_[pos_];
}

std::uint8_t TFormReader::ReadByte() {
  const std::uint8_t b = PeekByte();
  ++pos_;
  return b;
}

void TFormReader::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    if (pos_ >= end_) {
      Fill();
      if (pos_ >= end_) RaiseReadError();
    }
    const std::size_t n = std::min(count, end_ - pos_);
    std::memcpy(out, buffer_ + pos_, n);
    pos_ += n;
    out += n;
    count -= n;
  }
}

void TFormReader::SkipBytes(std::uint64_t count) {
  if (count > static_cast<std::uint64_t>(std::max<std::int64_t>(Remaining(), 0))) RaiseReadError();
  while (count > 0) {
    if (pos_ >= end_) {
      Fill();
      if (pos_ >= end_) RaiseReadError();
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - pos_));
    pos_ += n;
    count -= n;
  }
}

std::uint16_t TFormReader::ReadU16() {
  std::uint8_t b[2];
  Read(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t TFormReader::ReadU32() {
  std::uint8_t b[4];
  Read(b, 4);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint64_t TFormReader::ReadU64() {
  const std::uint64_t low = ReadU32();
  const std::uint64_t high = ReadU32();
  return low | (high << 32);
}

void TFormReader::ReadSignature() {
  char signature[4];
  // A stream too short to hold a signature has none.
  if (Remaining() < 4) throw EReadError(SInvalidImage);
  Read(signature, 4);
  if (std::memcmp(signature, FilerSignature, 4) != 0) throw EReadError(SInvalidImage);
}

void TFormReader::ReadPrefix(std::uint8_t& flags, std::int32_t& childPos) {
  flags = 0;
  childPos = 0;
  if ((PeekByte() & 0xF0) != 0xF0) return;
  flags = ReadByte() & 0x0F;
  if (flags & ffChildPos) childPos = ReadInteger();
}

std::string TFormReader::ReadStr() {
  const std::size_t len = ReadByte();
  std::string s(len, '\0');
  Read(s.data(), len);
  return s;
}

void TFormReader::ReadListEnd() {
  if (ReadByte() != 0) throw EReadError(SInvalidPropertyValue);
}

void TFormReader::CheckValue(std::uint8_t expected) {
  if (ReadValue() != expected) throw EReadError(SInvalidPropertyValue);
}

std::int32_t TFormReader::ReadInteger() {
  const std::uint8_t tag = ReadValue();
  if (tag != vaInt8 && tag != vaInt16 && tag != vaInt32) throw EReadError(SInvalidPropertyValue);
  return ReadIntegerPayload(tag);
}

std::int64_t TFormReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    return ReadInt64Payload();
  }
  return ReadInteger();
}

std::int32_t TFormReader::ReadIntegerPayload(std::uint8_t tag) {
  switch (tag) {
    case vaInt8:
      return static_cast<std::int8_t>(ReadByte());
    case vaInt16:
      return static_cast<std::int16_t>(ReadU16());
    case vaInt32:
      return static_cast<std::int32_t>(ReadU32());
    default:
      throw EReadError(SInvalidPropertyValue);
  }
}

double TFormReader::ReadExtendedPayload() {
  std::uint8_t b[10];
  Read(b, 10);
  return ExtendedToDouble(b);
}

float TFormReader::ReadSinglePayload() {
  const std::uint32_t bits = ReadU32();
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

double TFormReader::ReadDatePayload() {
  const std::uint64_t bits = ReadU64();
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

std::size_t TFormReader::ReadCount(std::size_t unitSize) {
  const std::uint64_t count = ReadU32();
  // Checked before anything is allocated: a damaged length must not make
  // the reader ask for gigabytes.
  if (count * unitSize > static_cast<std::uint64_t>(std::max<std::int64_t>(Remaining(), 0)))
    RaiseReadError();
  return static_cast<std::size_t>(count);
}

std::string TFormReader::ReadStringPayload(std::uint8_t tag) {
  const std::size_t len = tag == vaString ? ReadByte() : ReadCount(1);
  std::string s(len, '\0');
  Read(s.data(), len);
  return s;
}

std::u16string TFormReader::ReadWideStringPayload() {
  const std::size_t len = ReadCount(2);
  std::u16string s(len, u'\0');
  for (std::size_t i = 0; i < len; ++i) s[i] = static_cast<char16_t>(ReadU16());
  return s;
}

std::string TFormReader::ReadUtf8StringPayload() {
  const std::size_t len = ReadCount(1);
  std::string s(len, '\0');
  Read(s.data(), len);
  return s;
}

std::vector<std::string> TFormReader::ReadSetPayload() {
  std::vector<std::string> names;
  for (;;) {
    std::string name = ReadStr();
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

void TFormReader::ReadBinaryPayload(const std::function<void(const std::uint8_t*, std::size_t)>& sink) {
  std::size_t count = ReadCount(1);
  std::uint8_t chunk[BinaryChunkSize];
  while (count > 0) {
    const std::size_t n = std::min(count, BinaryChunkSize);
    Read(chunk, n);
    if (sink) sink(chunk, n);
    count -= n;
  }
}

void TFormReader::SkipValue() { SkipValue(0); }

void TFormReader::SkipValue(int depth) {
  if (depth > MaxFormNesting)
    throw EReadError(Format(SFormNestingTooDeep, MaxFormNesting, static_cast<long long>(Position())));
  const std::uint8_t tag = ReadValue();
  switch (tag) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!EndOfList()) SkipValue(depth + 1);
      ReadListEnd();
      return;
    case vaInt8:
      SkipBytes(1);
      return;
    case vaInt16:
      SkipBytes(2);
      return;
    case vaInt32:
    case vaSingle:
      SkipBytes(4);
      return;
    case vaExtended:
      SkipBytes(10);
      return;
    case vaCurrency:
    case vaDate:
    case vaInt64:
      SkipBytes(8);
      return;
    case vaString:
    case vaIdent:
      SkipBytes(ReadByte());
      return;
    case vaBinary:
    case vaLString:
    case vaUTF8String:
      SkipBytes(ReadCount(1));
      return;
    case vaWString:
      SkipBytes(static_cast<std::uint64_t>(ReadCount(2)) * 2);
      return;
    case vaSet:
      ReadSetPayload();
      return;
    case vaCollection:
      while (!EndOfList()) {
        const std::uint8_t next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
        CheckValue(vaList);
        while (!EndOfList()) {
          ReadStr();
          SkipValue(depth + 1);
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
    default:
      throw EReadError(SInvalidPropertyValue);
  }
}

void TFormReader::SkipProperty() {
  ReadStr();
  SkipValue();
}

}  // namespace sw
