#include "app/LanguageIds.h"

#include <string>

#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"

namespace sw {

namespace {

std::optional<unsigned> ParseDigits(std::string_view digits, unsigned base) {
  if (digits.empty() || digits.size() > (base == 16 ? 4u : 5u)) return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    const int digit = base == 16 ? HexDigit(c) : (IsDecimalDigit(c) ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
  }
  return value;
}

}  // namespace

std::optional<LANGID> ParseLanguageId(std::string_view text, TBareDigits bare, bool allowZero) {
  const std::string t = TrimSpaces(text);
  if (t.empty()) return std::nullopt;
  std::optional<unsigned> value;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    value = ParseDigits(std::string_view(t).substr(2), 16);
    if (!value) return std::nullopt;
  } else {
    value = ParseDigits(t, bare == TBareDigits::Hexadecimal ? 16 : 10);
  }
  if (value) {
    if (*value > 0xFFFF || (*value == 0 && !allowZero)) return std::nullopt;
    return static_cast<LANGID>(*value);
  }
  LANGID id = LangIdFromAbbr(UpperAscii(t));
  if (id == 0) id = LangIdFromEnglishName(t);
  if (id == 0) return std::nullopt;
  return id;
}

}  // namespace sw
