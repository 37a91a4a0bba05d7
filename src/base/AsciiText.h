// Case folding of ASCII letters, the one home of it: comparisons of 8-bit
// texts without regard to the case of ASCII letters (identifiers, names,
// keys). Letters outside ASCII compare as they are.
#pragma once

#include <string>
#include <string_view>

namespace sw {

constexpr char UpCaseAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr char LowCaseAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

constexpr bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpCaseAscii(a[i]) != UpCaseAscii(b[i])) return false;
  return true;
}

// The runtime's names for the same comparison.
constexpr bool SameText(std::string_view a, std::string_view b) { return SameTextAscii(a, b); }

// Ordinal comparison after ASCII upper-casing: <0, 0, >0.
constexpr int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int x = static_cast<unsigned char>(UpCaseAscii(a[i]));
    const int y = static_cast<unsigned char>(UpCaseAscii(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

inline std::string LowerAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = LowCaseAscii(c);
  return result;
}

inline std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpCaseAscii(c);
  return result;
}

}  // namespace sw
