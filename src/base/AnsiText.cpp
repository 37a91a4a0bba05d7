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

}  // namespace sw
