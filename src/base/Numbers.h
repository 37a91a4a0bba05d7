// Number parsing as the language runtime does it (StrToInt, StrToFloat and
// their Try forms), and the value of one hexadecimal digit: the one home of
// each, used by every layer above.
#pragma once

#include <string_view>

namespace sw {

constexpr bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit (0-9, A-F, a-f), or -1.
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decimal integer of the whole text (leading blanks, optional sign, or
// "$"/"0x"/"x" hex), as the runtime's StrToInt: raises EConvertError
// "'%s' is not a valid integer value" for anything else.
int StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, int& value);
// The float of the whole text: optional sign, digits with an optional "."
// fraction, optional exponent ("1.5E-3"). Raises EConvertError
// "'%s' is not a valid floating point value" for anything else.
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& value);

// Digits of one base only, no sign or blanks, as source escapes hold them
// ("1F", "017"); raises EConvertError "%s is not a hex digit" / "%s is not an
// oct digit" at the first other character. The value wraps at 32 bits.
int HexToInt(std::string_view text);
int OctToInt(std::string_view text);
// StrToInt of the trimmed text; an empty one is 0.
int StrToIntTrim(std::string_view text);
// The value of the trimmed text, or 0 when it is no number.
int StrToIntDef0(std::string_view text);
double StrToFloatDef0(std::string_view text);

}  // namespace sw
