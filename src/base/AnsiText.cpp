#include "base/AnsiText.h"

namespace sw {

namespace {

std::string MapBytes(std::string_view text, const std::array<unsigned char, 256>& table) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return result;
}

}  // namespace

std::string LowerAnsi(std::string_view text) { return MapBytes(text, kLowerAnsi); }

std::string UpperAnsi(std::string_view text) { return MapBytes(text, kUpperAnsi); }

std::string Trim(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return std::string(text.substr(first, last - first));
}

std::string JoinWithSep(std::string_view a, std::string_view b, char separator) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  const bool aEnds = a.back() == separator;
  const bool bStarts = b.front() == separator;
  std::string result(a);
  if (aEnds && bStarts)
    result.append(b.substr(1));
  else if (!aEnds && !bStarts)
    result.append(1, separator).append(b);
  else
    result.append(b);
  return result;
}

namespace {

constexpr std::array<unsigned char, 256> MakeIdentityTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) table[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  return table;
}
constexpr std::array<unsigned char, 256> kIdentity = MakeIdentityTable();

inline unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

// The wildcard match. Trying, after each asterisk, every occurrence of the
// literal that follows it until the rest of the mask matches is the same as
// letting the asterisk take any run of characters, which the loop below does
// by returning to the last asterisk only: O(text x mask) even for a mask
// with many asterisks on a long text. An asterisk followed by another
// wildcard never matches (every successful match would pass it), so such a
// mask matches nothing.
// `fold` maps every byte before comparing (identity, or the locale's lower case).
bool MatchMask(std::string_view text, std::string_view mask, const std::array<unsigned char, 256>& fold) {
  if (text.empty() && mask.empty()) return true;
  if (mask == "*") return true;
  for (std::size_t i = 0; i + 1 < mask.size(); ++i)
    if (mask[i] == '*' && (mask[i + 1] == '*' || mask[i + 1] == '?')) return false;
  std::size_t t = 0, m = 0;
  std::size_t starMask = std::string_view::npos, starText = 0;
  while (t < text.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starText = t;
    } else if (m < mask.size() && (mask[m] == '?' || fold[Byte(mask[m])] == fold[Byte(text[t])])) {
      ++t;
      ++m;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

int PosText(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  const auto p = LowerAnsi(text).find(LowerAnsi(sub));
  return p == std::string::npos ? 0 : static_cast<int>(p + 1);
}

std::string Capitalize(std::string_view text) {
  std::string result = LowerAnsi(text);
  if (!result.empty()) result[0] = static_cast<char>(kUpperAnsi[Byte(result[0])]);
  return result;
}

bool HasLetter(std::string_view text) {
  for (char c : text) {
    const unsigned char b = Byte(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 128) return true;
  }
  return false;
}

bool MatchesMask(std::string_view text, std::string_view mask, bool caseSensitive) {
  // Folding byte by byte compares as lower-casing both texts first would,
  // without building two new strings per call (the property rules call this
  // for every property of every form).
  return MatchMask(text, mask, caseSensitive ? kIdentity : kLowerAnsi);
}

}  // namespace sw
