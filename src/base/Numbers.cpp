#include "base/Numbers.h"

#include <charconv>
#include <cstdint>

#include "base/AnsiText.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// Parses an integer as the runtime's StrToInt does: leading blanks, a sign,
// decimal digits or "$"/"0x"/"x" followed by hexadecimal digits.
bool ParseInt(std::string_view s, int& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int digit;
    if (hex) {
      digit = HexDigit(c);
      if (digit < 0) return false;
      magnitude = magnitude * 16 + static_cast<unsigned>(digit);
      if (magnitude > 0xFFFFFFFFull) return false;
    } else {
      if (!IsDecimalDigit(c)) return false;
      digit = c - '0';
      magnitude = magnitude * 10 + static_cast<unsigned>(digit);
      if (magnitude > 0x80000000ull) return false;
    }
  }
  if (!hex && !negative && magnitude > 0x7FFFFFFFull) return false;
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<int>(bits);
  return true;
}

}  // namespace

bool TryStrToInt(std::string_view text, int& value) { return ParseInt(text, value); }

int StrToInt(std::string_view text) {
  int value = 0;
  if (!ParseInt(text, value)) throw EConvertError(Format(SInvalidInteger, std::string(text)));
  return value;
}

bool TryStrToFloat(std::string_view text, double& value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t numberStart = i;
  std::size_t digits = 0;
  while (i < n && IsDecimalDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDecimalDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < n && IsDecimalDigit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  // from_chars is locale-independent (unlike strtod) but takes no leading "+",
  // so the sign was consumed above.
  double parsed = 0;
  const char* first = text.data() + numberStart;
  const char* last = text.data() + n;
  const auto [ptr, ec] = std::from_chars(first, last, parsed, std::chars_format::general);
  if (ec != std::errc() || ptr != last) return false;
  value = negative ? -parsed : parsed;
  return true;
}

double StrToFloat(std::string_view text) {
  double value = 0;
  if (!TryStrToFloat(Trim(text), value)) throw EConvertError(Format(SInvalidFloat, std::string(text)));
  return value;
}

int HexToInt(std::string_view text) {
  std::uint32_t result = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) throw EConvertError(Format(SNotHexDigit, std::string(1, c)));
    result = result * 16u + static_cast<std::uint32_t>(digit);
  }
  return static_cast<int>(result);
}

int OctToInt(std::string_view text) {
  std::uint32_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '7') throw EConvertError(Format(SNotOctDigit, std::string(1, c)));
    result = result * 8u + static_cast<std::uint32_t>(c - '0');
  }
  return static_cast<int>(result);
}

int StrToIntTrim(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return 0;
  return StrToInt(trimmed);
}

int StrToIntDef0(std::string_view text) {
  int value = 0;
  return TryStrToInt(Trim(text), value) ? value : 0;
}

double StrToFloatDef0(std::string_view text) {
  double value = 0;
  return TryStrToFloat(Trim(text), value) ? value : 0.0;
}

}  // namespace sw
