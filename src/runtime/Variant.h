// A small variant value as the storage's SetFromVariant takes it: empty, a
// 32-bit or 64-bit integer, a double, an 8-bit (ANSI) string or a wide string.
// `VarType()` gives the runtime's type code: the wide string is 8 (varOleStr),
// so "bit 3 set" selects exactly the wide string among these kinds.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace sw {

enum : std::uint16_t {
  varEmpty = 0x0000,
  varInteger = 0x0003,
  varDouble = 0x0005,
  varOleStr = 0x0008,
  varInt64 = 0x0014,
  varString = 0x0100,
};

class TVariant {
 public:
  TVariant() = default;
  TVariant(std::int32_t v) : value_(v) {}
  TVariant(std::int64_t v) : value_(v) {}
  TVariant(double v) : value_(v) {}
  TVariant(std::string v) : value_(std::move(v)) {}
  TVariant(const char* v) : value_(std::string(v)) {}
  TVariant(std::u16string v) : value_(std::move(v)) {}

  std::uint16_t VarType() const;
  bool IsEmpty() const { return value_.index() == 0; }

  // The value as text: numbers as the runtime formats them (FloatToStr for
  // doubles); an ANSI string is converted through `codePage` (0: the system
  // ANSI code page). The empty variant gives the empty text.
  std::u16string ToWide(unsigned codePage = 0) const;
  // The value as an 8-bit string; a wide string is narrowed through `codePage`.
  std::string ToAnsi(unsigned codePage = 0) const;

  const auto& Value() const { return value_; }

 private:
  std::variant<std::monostate, std::int32_t, std::int64_t, double, std::string, std::u16string> value_;
};

// Formats a double as the runtime's FloatToStr does: up to 15 significant
// digits, no trailing zeros, scientific form "1E20" / "1E-5" when needed.
std::string FloatToStr(double value);

}  // namespace sw
