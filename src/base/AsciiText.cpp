#include "base/AsciiText.h"

#include "base/AnsiText.h"

namespace sw {

namespace {

constexpr bool IsSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

}  // namespace

std::string TrimSpaces(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsSpace(text[first])) ++first;
  while (last > first && IsSpace(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

bool EndsWithText(std::string_view suffix, std::string_view text) {
  return text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

std::string TextBefore(std::string_view separator, std::string_view text) {
  const auto p = separator.empty() ? std::string_view::npos : text.find(separator);
  if (p == std::string_view::npos) return std::string(text);
  return Trim(text.substr(0, p));
}

std::pair<std::string, std::string> SplitAt(std::string_view separator, std::string_view text) {
  const auto p = separator.empty() ? std::string_view::npos : text.find(separator);
  if (p == std::string_view::npos) return {std::string(text), std::string()};
  return {std::string(text.substr(0, p)), std::string(text.substr(p + separator.size()))};
}

std::string JoinWithDot(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  std::string result(a);
  result += '.';
  result += b;
  return result;
}

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
  if (oldText.empty()) return std::string(text);
  std::string result;
  std::size_t from = 0;
  for (;;) {
    const auto p = text.find(oldText, from);
    if (p == std::string_view::npos) break;
    result.append(text.substr(from, p - from)).append(newText);
    from = p + oldText.size();
  }
  result.append(text.substr(from));
  return result;
}

}  // namespace sw
