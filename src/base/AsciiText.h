// ASCII text: case folding of ASCII letters, the one home of it
// (comparisons of 8-bit texts without regard to the case of ASCII letters:
// identifiers, names, keys; letters outside ASCII compare as they are), and
// trimming, cutting, joining and replacing that treat only ASCII bytes as
// special. The locale's case rules are in AnsiText.h.
#pragma once

#include <string>
#include <string_view>
#include <utility>

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

// Without the tabs, line breaks and spaces at either end (Trim in AnsiText.h
// removes every control character too).
std::string TrimSpaces(std::string_view text);
// Whether `text` ends with `suffix`, ASCII letters folded.
bool EndsWithText(std::string_view suffix, std::string_view text);
// The text before the first `separator`, trimmed; the whole text when none.
std::string TextBefore(std::string_view separator, std::string_view text);
// The text before and after the first `separator`; {text, ""} when none.
std::pair<std::string, std::string> SplitAt(std::string_view separator, std::string_view text);
// `a` and `b` joined by a dot, as the parts of a property path; no dot when
// either is empty.
std::string JoinWithDot(std::string_view a, std::string_view b);
// Every occurrence of `oldText` replaced, case-sensitively.
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);

}  // namespace sw
