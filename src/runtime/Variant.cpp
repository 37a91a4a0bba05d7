// The variant value and the runtime's default float formatting (see
// Variant.h). Conversions between 8-bit and wide text go through the locale
// catalogue's code-page functions, so a variant converts exactly as every
// other text of the system does.
#include "runtime/Variant.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/NationalLanguage.h"

namespace sw {

namespace {

constexpr int kFloatDigits = 15;

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // Round to 15 significant digits: "d.dddddddddddddde±x". to_chars does not
  // depend on the C locale, unlike printf.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                    kFloatDigits - 1);
  const std::string_view sci(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const bool negative = sci.front() == '-';
  const auto ePos = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, ePos))
    if (c >= '0' && c <= '9') digits += c;
  int exponent = 0;
  std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = negative ? "-" : "";
  // Fixed notation while the number has at most 15 digits before the point
  // and is not below 0.0001; scientific otherwise.
  if (exponent >= -4 && exponent < kFloatDigits) {
    if (exponent < 0) {
      text += "0.";
      text.append(static_cast<std::size_t>(-exponent - 1), '0');
      text += digits;
    } else {
      const auto intDigits = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= intDigits) {
        text += digits;
        text.append(intDigits - digits.size(), '0');
      } else {
        text.append(digits, 0, intDigits);
        text += '.';
        text.append(digits, intDigits, std::string::npos);
      }
    }
  } else {
    text += digits[0];
    if (digits.size() > 1) {
      text += '.';
      text.append(digits, 1, std::string::npos);
    }
    text += 'E';
    text += std::to_string(exponent);
  }
  return text;
}

std::uint16_t TVariant::VarType() const {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::uint16_t { return varEmpty; },
                        [](std::int32_t) -> std::uint16_t { return varInteger; },
                        [](std::int64_t) -> std::uint16_t { return varInt64; },
                        [](double) -> std::uint16_t { return varDouble; },
                        [](const std::string&) -> std::uint16_t { return varString; },
                        [](const std::u16string&) -> std::uint16_t { return varOleStr; },
                    },
                    value_);
}

std::u16string TVariant::ToWide(unsigned codePage) const {
  return std::visit(Overloaded{
                        [](std::monostate) { return std::u16string(); },
                        [](std::int32_t v) { return Widen(std::to_string(v)); },
                        [](std::int64_t v) { return Widen(std::to_string(v)); },
                        [](double v) { return Widen(FloatToStr(v)); },
                        [codePage](const std::string& v) { return AnsiToWideCP(v, codePage); },
                        [](const std::u16string& v) { return v; },
                    },
                    value_);
}

std::string TVariant::ToAnsi(unsigned codePage) const {
  return std::visit(Overloaded{
                        [](std::monostate) { return std::string(); },
                        [](std::int32_t v) { return std::to_string(v); },
                        [](std::int64_t v) { return std::to_string(v); },
                        [](double v) { return FloatToStr(v); },
                        [](const std::string& v) { return v; },
                        [codePage](const std::u16string& v) { return WideToAnsiCP(v, codePage); },
                    },
                    value_);
}

}  // namespace sw
