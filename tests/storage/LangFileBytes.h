// Builds language-file bytes by hand for the tests, field by field, so that
// the reader and writer under test are checked against an independent
// description of the layout.
#pragma once

#include <cstdint>
#include <string>

namespace sw::test {

class Bytes {
 public:
  explicit Bytes(int version) : version_(version) {}

  Bytes& U8(unsigned v) { data_.push_back(static_cast<char>(v & 0xFF)); return *this; }
  Bytes& U16(unsigned v) { return U8(v).U8(v >> 8); }
  Bytes& I32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return U16(u & 0xFFFF).U16(u >> 16);
  }
  Bytes& U64(std::uint64_t v) { return I32(static_cast<std::int32_t>(v)).I32(static_cast<std::int32_t>(v >> 32)); }
  Bytes& F64(double d) {
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof d);
    __builtin_memcpy(&bits, &d, sizeof bits);
    return U64(bits);
  }
  Bytes& Len(std::uint32_t n, bool u16Prefix = false) {
    if (u16Prefix || version_ < 6) return U16(n);
    if (n <= 127) return U8(n);
    if (n <= 16383) return U8(0x80 | (n & 0x7F)).U8(n >> 7);
    return U8(0x80 | (n & 0x7F)).U8(0x80 | ((n >> 7) & 0x7F)).U16(n >> 14);
  }
  Bytes& Ansi(const std::string& s, bool u16Prefix = false) {
    Len(static_cast<std::uint32_t>(s.size()), u16Prefix);
    data_ += s;
    return *this;
  }
  Bytes& Wide(const std::u16string& s, bool u16Prefix = false) {
    Len(static_cast<std::uint32_t>(s.size()), u16Prefix);
    for (char16_t c : s) U16(c);
    return *this;
  }
  // Present from `since` on.
  Bytes& U16From(int since, unsigned v) { return version_ >= since ? U16(v) : *this; }

  int Version() const { return version_; }
  const std::string& Data() const { return data_; }

 private:
  int version_;
  std::string data_;
};

}  // namespace sw::test
