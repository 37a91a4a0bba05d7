// The per-unit translation checks (see TextRules.h).
#include "checks/TextRules.h"

#include <algorithm>
#include <vector>

#include "base/AsciiText.h"
#include "checks/FormatString.h"

namespace sw {

namespace {

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "none", "one", "2", ... for accelerator counts.
std::string HowMany(int n) { return n == 0 ? "none" : n == 1 ? "one" : std::to_string(n); }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000 || c == 0x2007 || c == 0x202F; }

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

std::u16string_view LeadingBlanks(std::u16string_view text) {
  std::size_t n = 0;
  while (n < text.size() && IsBlank(text[n])) ++n;
  return text.substr(0, n);
}

std::u16string_view TrailingBlanks(std::u16string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlank(text[n - 1])) --n;
  return text.substr(n);
}

// Code points without accelerator marks ("&&" counts as one character).
int VisibleLength(std::u16string_view text) {
  int length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') ++i;
      else continue;
    }
    if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF) continue;
    ++length;
  }
  return length;
}

// The end mark of a text, trailing white space (line breaks included) aside:
// ":", "...", "?", "!", "." or "".
std::string EndMark(std::u16string_view text) {
  std::size_t n = text.size();
  while (n > 0 && (IsBlank(text[n - 1]) || IsLineBreak(text[n - 1]))) --n;
  if (n == 0) return "";
  const char16_t last = text[n - 1];
  if (last == 0x2026 || (n >= 3 && text.substr(n - 3, 3) == u"...")) return "...";
  switch (last) {
    case u':': case 0xFF1A: return ":";
    case u'?': case 0xFF1F: case 0x037E: case 0x061F: return "?";
    case u'!': case 0xFF01: return "!";
    case u'.': case 0xFF0E: case 0x3002: return ".";
    default: return "";
  }
}

// The bracketed expressions of a report text, outermost brackets included.
// Brackets nest, and a quoted string inside an expression may hold any
// bracket; an expression left open runs to the end of the text.
std::vector<std::u16string> ReportExpressions(std::u16string_view text) {
  std::vector<std::u16string> found;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != u'[') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    int depth = 0;
    char16_t quote = 0;
    for (; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == u'\'' || (c == u'"' && depth > 0)) {
        quote = c;
      } else if (c == u'[') {
        ++depth;
      } else if (c == u']' && --depth == 0) {
        ++i;
        break;
      }
    }
    found.emplace_back(text.substr(start, i - start));
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& part : parts) out += (out.empty() ? "" : "; ") + part;
  return out;
}

}  // namespace

// ---- Helpers -----------------------------------------------------------------

int CountAccelerators(std::u16string_view text) {
  int count = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] != u'&') ++count;
    ++i;  // "&&" and "&x" both end here
  }
  return count;
}

char16_t AcceleratorKey(std::u16string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    const char16_t next = text[i + 1];
    if (next != u'&') return IsBlank(next) || IsLineBreak(next) ? 0 : FoldLetter(next);
    ++i;
  }
  return 0;
}

char16_t FoldLetter(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Pairs: upper case even, lower case odd, except from U+0139 to U+0148
    // and U+0179 to U+017E, where the upper case is odd.
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (oddUpper) return (c & 1) ? c : static_cast<char16_t>(c - 1);
    return (c & 1) ? static_cast<char16_t>(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
  return c;
}

int CountLineBreaks(std::u16string_view text) {
  int breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      ++breaks;
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (text[i] == u'\n') {
      ++breaks;
    }
  }
  return breaks;
}

int CountListLines(std::u16string_view text) {
  if (text.empty()) return 0;
  const bool endsWithBreak = IsLineBreak(text.back());
  return CountLineBreaks(text) + (endsWithBreak ? 0 : 1);
}

// ---- Rules -------------------------------------------------------------------

std::optional<std::string> CheckFormat(const TCheckUnit& unit) {
  const TFormatString native = ParseFormatString(unit.Native);
  if (!native.Valid || native.Specifiers == 0) return std::nullopt;
  const TFormatString translation = ParseFormatString(unit.Translation);
  if (!translation.Valid)
    return "the translation's " + QuoteText(translation.ErrorSpec) + " (at character " +
           std::to_string(translation.ErrorAt + 1) + ") is no specifier Format accepts";
  std::vector<std::string> problems;
  for (const auto& [index, arg] : native.Args) {
    const auto it = translation.Args.find(index);
    if (it == translation.Args.end()) {
      problems.push_back("the translation drops argument " + std::to_string(index) + " (" + QuoteText(arg.Spec) +
                         " in the native text)");
    } else if (it->second.Class != arg.Class) {
      problems.push_back("argument " + std::to_string(index) + " is " + FormatArgClassName(arg.Class) +
                         " in the native text (" + QuoteText(arg.Spec) + "), " +
                         FormatArgClassName(it->second.Class) + " in the translation (" +
                         QuoteText(it->second.Spec) + ")");
    } else if (it->second.Mixed) {
      problems.push_back("the translation uses argument " + std::to_string(index) + " as " +
                         FormatArgClassName(it->second.Class) + " (" + QuoteText(it->second.Spec) + ") and as " +
                         FormatArgClassName(it->second.OtherClass) + " (" + QuoteText(it->second.OtherSpec) + ")");
    }
  }
  for (const auto& [index, arg] : translation.Args)
    if (!native.Args.contains(index))
      problems.push_back("the translation adds argument " + std::to_string(index) + " (" + QuoteText(arg.Spec) +
                         "), which the native text does not use");
  if (problems.empty()) return std::nullopt;
  return Join(problems);
}

std::optional<std::string> CheckAccelerator(const TCheckUnit& unit) {
  const int native = CountAccelerators(unit.Native);
  if (native > 1) return std::nullopt;
  const int translation = CountAccelerators(unit.Translation);
  if (translation == native) return std::nullopt;
  return "the native text has " + std::string(native == 1 ? "one accelerator" : "no accelerator") + " (" +
         QuoteText(unit.Native) + "), the translation " + HowMany(translation) + " (" + QuoteText(unit.Translation) +
         ")";
}

std::optional<std::string> CheckStringList(const TCheckUnit& unit) {
  if (unit.Unit->Kind != vkStrings) return std::nullopt;
  const int native = CountListLines(unit.Native);
  const int translation = CountListLines(unit.Translation);
  if (native == translation) return std::nullopt;
  return "the native list has " + Count(native, "line", "lines") + ", the translation " + std::to_string(translation);
}

std::optional<std::string> CheckReportExpressions(const TCheckUnit& unit) {
  if (!unit.ReportText) return std::nullopt;
  const auto native = ReportExpressions(unit.Native);
  if (native.empty()) return std::nullopt;
  const auto translation = ReportExpressions(unit.Translation);
  if (native == translation) return std::nullopt;
  std::vector<std::u16string> missing, added;
  std::set_difference(native.begin(), native.end(), translation.begin(), translation.end(),
                      std::back_inserter(missing));
  std::set_difference(translation.begin(), translation.end(), native.begin(), native.end(),
                      std::back_inserter(added));
  std::vector<std::string> problems;
  for (const auto& expression : missing) problems.push_back("the translation lacks " + QuoteText(expression));
  for (const auto& expression : added)
    problems.push_back("the translation has " + QuoteText(expression) + ", which the native text does not");
  return Join(problems);
}

std::optional<std::string> CheckLineBreaks(const TCheckUnit& unit) {
  if (unit.Unit->Kind == vkStrings) return std::nullopt;
  const int native = CountLineBreaks(unit.Native);
  const int translation = CountLineBreaks(unit.Translation);
  if (native == translation) return std::nullopt;
  return "the native text has " + Count(native, "line break", "line breaks") + ", the translation " +
         std::to_string(translation);
}

std::optional<std::string> CheckSpaces(const TCheckUnit& unit) {
  std::vector<std::string> problems;
  auto compare = [&](std::u16string_view native, std::u16string_view translation, const char* where) {
    if (native == translation) return;
    problems.push_back(std::string("the native text ") + where + " with " +
                       (native.empty() ? "no white space" : QuoteText(native)) + ", the translation with " +
                       (translation.empty() ? "none" : QuoteText(translation)));
  };
  // A text of white space only has the same run at both ends: compare it once.
  compare(LeadingBlanks(unit.Native), LeadingBlanks(unit.Translation), "starts");
  if (LeadingBlanks(unit.Native).size() < unit.Native.size() ||
      LeadingBlanks(unit.Translation).size() < unit.Translation.size())
    compare(TrailingBlanks(unit.Native), TrailingBlanks(unit.Translation), "ends");
  if (problems.empty()) return std::nullopt;
  return Join(problems);
}

std::optional<std::string> CheckEndPunctuation(const TCheckUnit& unit) {
  const std::string native = EndMark(unit.Native);
  const std::string translation = EndMark(unit.Translation);
  if (native == translation) return std::nullopt;
  return "the native text ends with " + (native.empty() ? std::string("none of : ... ? ! .") : "\"" + native + "\"") +
         ", the translation with " + (translation.empty() ? std::string("none") : "\"" + translation + "\"");
}

std::optional<std::string> CheckIdentical(const TCheckUnit& unit) {
  if (unit.Unit->Status != TUnitStatus::UpToDate || unit.Translation != unit.Native) return std::nullopt;
  if (CountWords(unit.Native) < 2) return std::nullopt;
  return "the translation is the native text (" + QuoteText(unit.Native) + ")";
}

std::optional<std::string> CheckEmpty(const TCheckUnit& unit) {
  if (unit.Unit->Status != TUnitStatus::UpToDate || !unit.Translation.empty() || unit.Native.empty())
    return std::nullopt;
  return "the translation is empty; the native text is " + QuoteText(unit.Native);
}

std::optional<std::string> CheckLength(const TCheckUnit& unit) {
  if (unit.Unit->GroupKind != TGroupKind::Form || unit.Unit->Kind != vkString) return std::nullopt;
  const std::string_view name = unit.Name;
  const bool caption = SameText(name, "Caption") ||
                       (name.size() > 8 && SameText(name.substr(name.size() - 8), ".Caption"));
  if (!caption) return std::nullopt;
  const int native = VisibleLength(unit.Native);
  const int translation = VisibleLength(unit.Translation);
  const int longer = translation - native;
  if (longer <= 10 || 2 * longer <= native) return std::nullopt;
  return "the translation has " + std::to_string(translation) + " characters, the native text " +
         std::to_string(native) + ": it may be clipped";
}

}  // namespace sw
