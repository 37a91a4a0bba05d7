// Text functions shared by every module (see QStrings.h). Narrow strings hold
// bytes; the locale's case rules are those of Windows-1252, mapped byte for
// byte so that lower-casing never changes a text's length or positions.
#include "util/QStrings.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "platform/FileSystem.h"
#include "base/AsciiText.h"
#include "util/QConsts.h"

namespace sw {

namespace {

enum : std::uint8_t {
  kSpace = 1,
  kDigit = 2,
  kHexDigit = 4,
  kIdent = 8,
};

constexpr std::array<std::uint8_t, 256> MakeCharInfo() {
  std::array<std::uint8_t, 256> t{};
  t[9] = t[10] = t[13] = t[32] = kSpace;
  for (int c = '0'; c <= '9'; ++c) t[c] = kDigit | kHexDigit | kIdent;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kIdent;
  for (int c = 95; c <= 122; ++c) t[c] |= kIdent;
  for (int c = 'A'; c <= 'F'; ++c) t[c] |= kHexDigit;
  for (int c = 'a'; c <= 'f'; ++c) t[c] |= kHexDigit;
  return t;
}

constexpr std::array<std::uint8_t, 256> kCharInfo = MakeCharInfo();


constexpr std::array<unsigned char, 256> MakeIdentityTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) table[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  return table;
}
constexpr std::array<unsigned char, 256> kIdentity = MakeIdentityTable();

inline unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

// 1-based position of the first occurrence of `sub` at or after the 1-based
// `start`; 0 when none.
int FindFrom(std::string_view sub, std::string_view text, std::size_t start) {
  if (sub.empty() || start < 1 || start > text.size()) return 0;
  const auto p = text.find(sub, start - 1);
  return p == std::string_view::npos ? 0 : static_cast<int>(p + 1);
}

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

// ---- Character classes ------------------------------------------------------

bool IsSpaceChar(char c) { return (kCharInfo[Byte(c)] & kSpace) != 0; }
bool IsDigitChar(char c) { return (kCharInfo[Byte(c)] & kDigit) != 0; }
bool IsHexDigitChar(char c) { return (kCharInfo[Byte(c)] & kHexDigit) != 0; }
bool IsIdentChar(char c) { return (kCharInfo[Byte(c)] & kIdent) != 0; }

// ---- Text tests -------------------------------------------------------------

bool IsAllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsDigitChar(c)) return false;
  return true;
}

bool HasLetter(std::string_view text) {
  for (char c : text) {
    const unsigned char b = Byte(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 128) return true;
  }
  return false;
}

bool HasLetterW(std::u16string_view text) {
  for (char16_t c : text) {
    if (c > 255) return true;
    const bool neutral = (c >= 32 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
    if (!neutral) return true;
  }
  return false;
}

bool StartsWith(std::string_view prefix, std::string_view text) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool EndsWithText(std::string_view suffix, std::string_view text) {
  return text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

int IndexOfText(const TStringList& list, std::string_view text) {
  for (int i = 0; i < list.Count(); ++i)
    if (SameText(list[i], text)) return i;
  return -1;
}

bool IsInList(std::string_view text, const std::vector<std::string>& list) {
  for (const auto& item : list)
    if (SameText(item, text)) return true;
  return false;
}

bool IsInListAnsi(std::string_view text, const std::vector<std::string>& list) {
  const std::string lower = LowerAnsi(text);
  for (const auto& item : list)
    if (item.size() == text.size() && LowerAnsi(item) == lower) return true;
  return false;
}

// ---- Case -------------------------------------------------------------------

// ---- Searching, cutting and joining -----------------------------------------

std::string TrimSpaces(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsSpaceChar(text[first])) ++first;
  while (last > first && IsSpaceChar(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

int PosFrom(std::string_view sub, std::string_view text, int start, int n) {
  if (sub.empty() || text.empty()) return 0;
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start) > text.size()) return 0;
  if (n < 1) n = 1;
  int pos = 0;
  std::size_t from = static_cast<std::size_t>(start);
  for (int found = 0; found < n; ++found) {
    pos = FindFrom(sub, text, from);
    if (pos == 0) return 0;
    from = static_cast<std::size_t>(pos) + 1;  // occurrences may overlap
  }
  return pos;
}

int PosText(std::string_view sub, std::string_view text) {
  return FindFrom(LowerAnsi(sub), LowerAnsi(text), 1);
}

std::string TextBefore(std::string_view separator, std::string_view text) {
  const int p = FindFrom(separator, text, 1);
  if (p == 0) return std::string(text);
  return Trim(text.substr(0, static_cast<std::size_t>(p) - 1));
}

std::string TextAfter(std::string_view separator, std::string_view text) {
  const int p = FindFrom(separator, text, 1);
  if (p == 0) return std::string(text);
  return Trim(text.substr(static_cast<std::size_t>(p) - 1 + separator.size()));
}

std::pair<std::string, std::string> SplitAt(std::string_view separator, std::string_view text) {
  const int p = FindFrom(separator, text, 1);
  if (p == 0) return {std::string(text), std::string()};
  const auto at = static_cast<std::size_t>(p) - 1;
  return {std::string(text.substr(0, at)), std::string(text.substr(at + separator.size()))};
}

std::string StripExt(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const auto dot = path.find('.', nameStart);
  if (dot == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, dot));
}

std::string Capitalize(std::string_view text) {
  std::string result = LowerAnsi(text);
  if (!result.empty()) result[0] = static_cast<char>(kUpperAnsi[Byte(result[0])]);
  return result;
}

std::string JoinWithDot(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  std::string result(a);
  result += '.';
  result += b;
  return result;
}

std::string ExtractFileName(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::string();
  return std::string(path.substr(dot));
}

std::string ExtractFilePath(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

// ---- Replacing --------------------------------------------------------------

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

std::string ReplaceText(std::string_view text, std::string_view oldText, std::string_view newText) {
  if (oldText.empty()) return std::string(text);
  // Lower-casing maps byte to byte, so positions in the folded copy are
  // positions in the original.
  const std::string lowerText = LowerAnsi(text);
  const std::string lowerOld = LowerAnsi(oldText);
  std::string result;
  std::size_t from = 0;
  for (;;) {
    const auto p = lowerText.find(lowerOld, from);
    if (p == std::string::npos) break;
    result.append(text.substr(from, p - from)).append(newText);
    from = p + lowerOld.size();
  }
  result.append(text.substr(from));
  return result;
}

// ---- Numbers ----------------------------------------------------------------

int HexDigitValue(char c) {
  if (const int digit = HexDigit(c); digit >= 0) return digit;
  throw EQStringsError(Format(SNotHexDigit, std::string(1, c)));
}

int HexToInt(std::string_view text) {
  std::uint32_t result = 0;
  for (char c : text) result = result * 16u + static_cast<std::uint32_t>(HexDigitValue(c));
  return static_cast<int>(result);
}

int OctDigitValue(char c) {
  if (c >= '0' && c <= '7') return c - '0';
  throw EQStringsError(Format(SNotOctDigit, std::string(1, c)));
}

int OctToInt(std::string_view text) {
  std::uint32_t result = 0;
  for (char c : text) result = result * 8u + static_cast<std::uint32_t>(OctDigitValue(c));
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

// ---- Quoting for sources ----------------------------------------------------

std::string QuotePascal(std::string_view text, char quote) {
  std::string result(1, quote);
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (Byte(c) >= 32) {
      result += c;
      if (c == quote) result += c;
      ++i;
      continue;
    }
    result += quote;
    while (i < text.size() && Byte(text[i]) < 32) {
      result += '#';
      result += std::to_string(Byte(text[i]));
      ++i;
    }
    if (i == text.size()) return result;
    result += quote;
  }
  result += quote;
  return result;
}

std::string EscapeC(std::string_view text, bool keepApostrophe, bool addQuotes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size() + 2);
  if (addQuotes) result += '"';
  for (char c : text) {
    const unsigned char b = Byte(c);
    switch (b) {
      case 7: result += "\\a"; break;
      case 8: result += "\\b"; break;
      case 9: result += "\\t"; break;
      case 10: result += "\\n"; break;
      case 11: result += "\\v"; break;
      case 12: result += "\\f"; break;
      case 13: result += "\\r"; break;
      case '"': result += addQuotes ? "\\\"" : "\""; break;
      case '\'': result += (keepApostrophe || !addQuotes) ? "'" : "\\'"; break;
      case '\\': result += "\\\\"; break;
      default:
        if (b < 32) {
          result += "\\x";
          result += kHex[b >> 4];
          result += kHex[b & 15];
        } else {
          result += c;
        }
    }
  }
  if (addQuotes) result += '"';
  return result;
}

std::string QuoteC(std::string_view text, bool keepApostrophe) { return EscapeC(text, keepApostrophe, true); }

// ---- String lists and sections ----------------------------------------------

void InsertInLine(TStringList& list, int line, int column, std::string_view text) {
  std::string& s = list.Strings(line);
  std::size_t at = column < 1 ? 0 : static_cast<std::size_t>(column) - 1;
  if (at > s.size()) at = s.size();
  s.insert(at, text);
}

void DeleteTextRange(TStringList& list, int firstLine, int firstColumn, int lastColumn, int lastLine) {
  if (lastLine < firstLine) return;
  const std::string& first = list.Strings(firstLine);
  const std::string& last = list.Strings(lastLine);
  std::size_t keep = firstColumn < 1 ? 0 : static_cast<std::size_t>(firstColumn) - 1;
  if (keep > first.size()) keep = first.size();
  std::size_t tail = lastColumn < 1 ? 0 : static_cast<std::size_t>(lastColumn) - 1;
  if (tail > last.size()) tail = last.size();
  std::string joined = first.substr(0, keep) + last.substr(tail);
  list.Strings(firstLine) = std::move(joined);
  auto& lines = list.Lines();
  lines.erase(lines.begin() + firstLine + 1, lines.begin() + lastLine + 1);
}

int FindSection(int start, const TStringList& list, std::string_view name) {
  std::string header = "[";
  header.append(name).append("]");
  if (start < 0) start = 0;
  for (int i = start; i < list.Count(); ++i)
    if (SameText(Trim(list[i]), header)) return i;
  if (start != 0)
    for (int i = 0; i < start && i < list.Count(); ++i)
      if (SameText(Trim(list[i]), header)) return i;
  return -1;
}

int ReadSection(int start, const TStringList& list, std::string_view name, TStringList& out) {
  out.Clear();
  const int header = FindSection(start, list, name);
  if (header < 0) return start;
  int i = header + 1;
  for (; i < list.Count(); ++i) {
    const std::string trimmed = Trim(list[i]);
    if (!trimmed.empty() && trimmed[0] == '[') break;
    if (!trimmed.empty()) out.Add(list[i]);
  }
  return i - 1;
}

bool MatchesMask(std::string_view text, std::string_view mask, bool caseSensitive) {
  // Folding byte by byte compares as lower-casing both texts first would,
  // without building two new strings per call (the property rules call this
  // for every property of every form).
  return MatchMask(text, mask, caseSensitive ? kIdentity : kLowerAnsi);
}

}  // namespace sw
