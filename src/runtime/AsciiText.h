// Comparison of 8-bit texts without regard to the case of ASCII letters, for
// the runtime's own look-ups (string-list names, form identifiers). Letters
// outside ASCII compare as they are.
#pragma once

#include <string_view>

namespace sw {

constexpr char UpCaseAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

constexpr bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpCaseAscii(a[i]) != UpCaseAscii(b[i])) return false;
  return true;
}

}  // namespace sw
