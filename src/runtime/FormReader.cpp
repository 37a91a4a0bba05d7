// Reading the binary component stream of form files; see FormReader.h.
#include "runtime/FormReader.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace sw {

double ExtendedToDouble(const std::uint8_t bytes[10]) {
  const std::uint64_t mantissa = LoadLE<std::uint64_t>(bytes);
  const int signExp = LoadLE<std::uint16_t>(bytes + 8);
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

TFormReader::TFormReader(TStream& stream) : bytes_(stream), reader_(bytes_.Reader()) {}

void TFormReader::Read(void* buffer, std::size_t count) {
  const auto bytes = reader_.ReadBytes(count);
  if (count > 0) std::memcpy(buffer, bytes.data(), count);
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
  std::string s;
  ReadStr(s);
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

std::string TFormReader::ReadStringPayload(std::uint8_t tag) {
  std::string s;
  ReadStringPayload(tag, s);
  return s;
}

void TFormReader::ReadStringPayload(std::uint8_t tag, std::string& out) {
  const std::size_t len = tag == vaString ? ReadByte() : ReadCount(1);
  reader_.ReadChars(len, out);
}

std::u16string TFormReader::ReadWideStringPayload() {
  return reader_.ReadUtf16(ReadU32());
}

std::string TFormReader::ReadUtf8StringPayload() {
  return reader_.ReadChars(ReadCount(1));
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
  auto data = reader_.ReadArray(ReadU32(), 1);
  while (!data.empty()) {
    const std::size_t n = std::min(data.size(), BinaryChunkSize);
    if (sink) sink(data.data(), n);
    data = data.subspan(n);
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
      reader_.Skip(1);
      return;
    case vaInt16:
      reader_.Skip(2);
      return;
    case vaInt32:
    case vaSingle:
      reader_.Skip(4);
      return;
    case vaExtended:
      reader_.Skip(10);
      return;
    case vaCurrency:
    case vaDate:
    case vaInt64:
      reader_.Skip(8);
      return;
    case vaString:
    case vaIdent:
      reader_.Skip(ReadByte());
      return;
    case vaBinary:
    case vaLString:
    case vaUTF8String:
      reader_.Skip(ReadCount(1));
      return;
    case vaWString:
      reader_.Skip(static_cast<std::uint64_t>(ReadCount(2)) * 2);
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
