// Pseudo-translation of one text (rules in PseudoTranslation.h).
#include "checks/PseudoTranslation.h"

#include <algorithm>

#include "checks/FormatString.h"

namespace sw {

namespace {

// A piece of a line: kept as it is, or free (letters replaced, mirrored).
struct TPiece {
  std::u16string Text;
  bool Kept = false;
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000 || c == 0x2007 || c == 0x202F; }
bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 && c != 0x00F7) || c == 0x0152 || c == 0x0153 ||
         (c >= 0x0370 && c <= 0x03FF) || (c >= 0x0400 && c <= 0x052F) || (c >= 0x05D0 && c <= 0x05EA) ||
         (c >= 0x0620 && c <= 0x064A) || (c >= 0x0E01 && c <= 0x0E30) || (c >= 0x3040 && c <= 0x9FFF) ||
         (c >= 0xAC00 && c <= 0xD7A3);
}

bool IsMaskChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
         c == u'_' || c == u'-' || c == u'*' || c == u'?';
}

bool IsClosingPunctuation(char16_t c) {
  return c == u'.' || c == u':' || c == u'!' || c == u'?' || c == 0x2026;
}

// The length of the `Format` specifier at `at` (a "%"), 0 when there is none.
std::size_t SpecifierLength(std::u16string_view text, std::size_t at) {
  const std::size_t longest = std::min<std::size_t>(text.size() - at, 40);
  for (std::size_t n = 2; n <= longest; ++n) {
    const std::u16string_view candidate = text.substr(at, n);
    const TFormatString parsed = ParseFormatString(candidate);
    if (parsed.Valid && (parsed.Specifiers == 1 || candidate == u"%%")) return n;
  }
  return 0;
}

// The length of the bracketed report expression at `at` (a "["), nested
// brackets and quoted strings inside; 0 when it is not closed.
std::size_t ExpressionLength(std::u16string_view text, std::size_t at) {
  int depth = 0;
  char16_t quote = 0;
  for (std::size_t i = at; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u'[') {
      ++depth;
    } else if (c == u']' && --depth == 0) {
      return i - at + 1;
    }
  }
  return 0;
}

// The length of the file mask starting at `at`, 0 when the run of mask
// characters there holds no wildcard ("?" only counts inside the run, so a
// question ends as a question).
std::size_t MaskLength(std::u16string_view text, std::size_t at) {
  if (at > 0 && IsMaskChar(text[at - 1])) return 0;
  std::size_t end = at;
  while (end < text.size() && IsMaskChar(text[end])) ++end;
  for (std::size_t i = at; i < end; ++i)
    if (text[i] == u'*' || (text[i] == u'?' && i + 1 < end)) return end - at;
  return 0;
}

// Splits a line's content into kept and free pieces.
std::vector<TPiece> SplitPieces(std::u16string_view text, bool reportText) {
  std::vector<TPiece> pieces;
  auto add = [&](std::u16string_view part, bool kept) {
    if (!kept && !pieces.empty() && !pieces.back().Kept) {
      pieces.back().Text += part;
      return;
    }
    pieces.push_back({std::u16string(part), kept});
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    std::size_t kept = 0;
    if (c == u'%')
      kept = SpecifierLength(text, i);
    else if (c == u'&')
      kept = std::min<std::size_t>(2, text.size() - i);
    else if (c == u'[' && reportText)
      kept = ExpressionLength(text, i);
    else if (IsMaskChar(c))
      kept = MaskLength(text, i);
    if (kept > 0) {
      add(text.substr(i, kept), true);
      i += kept;
    } else {
      add(text.substr(i, 1), false);
      ++i;
    }
  }
  return pieces;
}

// A free letter, or the letter of an accelerator ("&A" alone is a word).
bool HasFreeLetter(const std::vector<TPiece>& pieces) {
  for (const TPiece& piece : pieces) {
    if (!piece.Kept && std::any_of(piece.Text.begin(), piece.Text.end(), IsLetter)) return true;
    if (piece.Kept && piece.Text.size() == 2 && piece.Text[0] == u'&' && IsLetter(piece.Text[1])) return true;
  }
  return false;
}

// Characters counted for the length: all but line breaks and accelerator marks.
int VisibleLength(std::u16string_view text) {
  int n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsBreak(text[i])) continue;
    if (text[i] == u'&' && i + 1 < text.size()) {
      ++i;  // "&x" counts as x, "&&" as one "&"
    }
    ++n;
  }
  return n;
}

struct TLine {
  std::u16string_view Text;   // without its break
  std::u16string_view Break;  // "", "\r\n", "\n" or "\r"
};

std::vector<TLine> SplitLines(std::u16string_view text) {
  std::vector<TLine> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsBreak(text[i])) continue;
    const std::size_t breakLength = (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
    lines.push_back({text.substr(start, i - start), text.substr(i, breakLength)});
    i += breakLength - 1;
    start = i + 1;
  }
  lines.push_back({text.substr(start), u""});
  return lines;
}

char16_t MirrorChar(char16_t c) {
  switch (c) {
    case u'(': return u')';
    case u')': return u'(';
    case u'<': return u'>';
    case u'>': return u'<';
    case u'{': return u'}';
    case u'}': return u'{';
    case u'[': return u']';
    case u']': return u'[';
    default: return c;
  }
}

bool InCodePage(char16_t c, LANGID langId) {
  const std::u16string one(1, c);
  return AnsiToWideByLang(WideToAnsiByLang(one, langId), langId) == one;
}

// Look-alike candidates, the first one the code page holds is taken.
struct TLookAlikes {
  char16_t Letter;
  const char16_t* Candidates;
};
constexpr TLookAlikes kLookAlikes[] = {
    {u'a', u"åàáâäã"}, {u'A', u"ÅÀÁÂÄÃ"}, {u'c', u"çćč"},    {u'C', u"ÇĆČ"},  {u'd', u"ðď"},    {u'D', u"ÐĎ"},
    {u'e', u"éèêë"},   {u'E', u"ÉÈÊË"},   {u'f', u"ƒ"},      {u'g', u"ğ"},    {u'G', u"Ğ"},     {u'i', u"îíìï"},
    {u'I', u"ÎÍÌÏ"},   {u'l', u"ł"},      {u'L', u"Ł"},      {u'n', u"ñń"},   {u'N', u"ÑŃ"},    {u'o', u"öóòôõø"},
    {u'O', u"ÖÓÒÔÕØ"}, {u'r', u"ř"},      {u'R', u"Ř"},      {u's', u"šś"},   {u'S', u"ŠŚ"},    {u't', u"ţť"},
    {u'T', u"ŢŤ"},     {u'u', u"üúùû"},   {u'U', u"ÜÚÙÛ"},   {u'y', u"ýÿ"},   {u'Y', u"ÝŸ"},    {u'z', u"žź"},
    {u'Z', u"ŽŹ"},
};

}  // namespace

int PseudoExpansionPercent(int length, int expand) {
  if (expand != kPseudoExpandAuto) return std::max(0, expand);
  if (length <= 10) return 100;
  if (length <= 20) return 80;
  if (length <= 30) return 60;
  if (length <= 50) return 40;
  return 30;
}

bool IsPseudoWordText(std::u16string_view text, bool reportText) {
  for (const TLine& line : SplitLines(text))
    if (HasFreeLetter(SplitPieces(line.Text, reportText))) return true;
  return false;
}

bool ParsePseudoExpand(std::string_view text, int& expand) {
  if (text == "auto") {
    expand = kPseudoExpandAuto;
    return true;
  }
  if (!text.empty() && text.back() == '%') text.remove_suffix(1);
  if (text.empty() || text.size() > 4) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 1000) return false;
  expand = value;
  return true;
}

TPseudoTranslator::TPseudoTranslator(TPseudoOptions options) : options_(options) {
  for (const TLookAlikes& entry : kLookAlikes) {
    for (const char16_t* c = entry.Candidates; *c; ++c) {
      if (!InCodePage(*c, options_.LangId)) continue;
      from_ += entry.Letter;
      to_ += *c;
      break;
    }
  }
}

char16_t TPseudoTranslator::LookAlike(char16_t c) const {
  const std::size_t at = from_.find(c);
  return at == std::u16string::npos ? c : to_[at];
}

std::u16string TPseudoTranslator::Translate(const TPseudoText& text) const {
  if (!IsPseudoWordText(text.Native, text.ReportText)) return std::u16string(text.Native);
  const LANGID lang = options_.LangId;
  const char16_t pad = InCodePage(0x00B7, lang) ? char16_t(0x00B7) : u'~';
  std::u16string open = u"[", close = u"]";
  if (text.ReportText) {
    const bool guillemets = InCodePage(0x00AB, lang) && InCodePage(0x00BB, lang);
    open = guillemets ? u"\u00AB" : u"{";
    close = guillemets ? u"\u00BB" : u"}";
  }
  if (!text.Id.empty()) open += std::u16string(text.Id) + u":";
  const int percent = PseudoExpansionPercent(VisibleLength(text.Native), options_.Expand);
  const bool autoMinimum = options_.Expand == kPseudoExpandAuto;

  std::u16string out;
  for (const TLine& line : SplitLines(text.Native)) {
    const std::u16string_view whole = line.Text;
    std::size_t begin = 0, end = whole.size();
    while (begin < end && IsBlank(whole[begin])) ++begin;
    while (end > begin && IsBlank(whole[end - 1])) --end;
    std::vector<TPiece> pieces = SplitPieces(whole.substr(begin, end - begin), text.ReportText);
    const bool words = HasFreeLetter(pieces);
    if (words) {
      for (TPiece& piece : pieces)
        if (!piece.Kept)
          for (char16_t& c : piece.Text) c = LookAlike(c);
      const int length = VisibleLength(whole);
      int padding = (length * percent + 99) / 100;
      if (autoMinimum && padding < 1) padding = 1;
      if (padding > 0) {
        // Before the closing punctuation of the line.
        std::u16string tail;
        if (!pieces.empty() && !pieces.back().Kept) {
          std::u16string& last = pieces.back().Text;
          std::size_t cut = last.size();
          while (cut > 0 && IsClosingPunctuation(last[cut - 1])) --cut;
          tail = last.substr(cut);
          last.resize(cut);
        }
        pieces.push_back({std::u16string(static_cast<std::size_t>(padding), pad), false});
        if (!tail.empty()) pieces.push_back({tail, true});
      }
      if (options_.Mirror) {
        // The specifiers keep their order: `Format` takes its arguments in it.
        std::vector<std::u16string> specifiers;
        auto isSpecifier = [](const TPiece& piece) {
          return piece.Kept && piece.Text.size() > 1 && piece.Text[0] == u'%' && piece.Text != u"%%";
        };
        for (const TPiece& piece : pieces)
          if (isSpecifier(piece)) specifiers.push_back(piece.Text);
        std::reverse(pieces.begin(), pieces.end());
        std::size_t next = 0;
        for (TPiece& piece : pieces)
          if (isSpecifier(piece)) piece.Text = specifiers[next++];
        for (TPiece& piece : pieces) {
          if (piece.Kept) continue;
          std::reverse(piece.Text.begin(), piece.Text.end());
          for (char16_t& c : piece.Text) c = MirrorChar(c);
        }
      }
    }
    std::u16string content;
    for (const TPiece& piece : pieces) content += piece.Text;
    if (options_.Markers && text.StringList && words) content = open + content + close;
    out += whole.substr(0, begin);
    out += content;
    out += whole.substr(end);
    out += line.Break;
  }
  if (options_.Markers && !text.StringList) {
    auto isSpace = [](char16_t c) { return IsBlank(c) || IsBreak(c); };
    std::size_t begin = 0, end = out.size();
    while (begin < end && isSpace(out[begin])) ++begin;
    while (end > begin && isSpace(out[end - 1])) --end;
    out.insert(end, close);
    out.insert(begin, open);
  }
  return out;
}

}  // namespace sw
