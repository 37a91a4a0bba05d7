// TQScanner: the table-driven tokenizer. See SourceScanner.h for the model; this
// file holds the mode table, the raw token reader, the literal readers and
// the 21-token window.
#include "extract/source/SourceScanner.h"

#include <limits>

#include "base/StopToken.h"
#include "base/Unicode.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

struct ModeRow {
  const char* SymbolSet;
  char StringQuote;
  char EscapeChar;
  char CharQuote;
  const char* LineComment;
  const char* CommentPairs;
};

// Rows for modes 1..4. Each symbol set holds the double quote as its
// seventeenth symbol, between the apostrophe and the colon.
constexpr ModeRow kModeTable[4] = {
    {"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= <> { } // (* *) #", '\'', '#', '\'', "//",
     "(*-*),{-}"},
    {"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= != { } // # /* */ ->", '"', '\\', '\'', "//",
     "/*-*/"},
    {"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= <> != { } // # /* */ ->", '\'', '\\', '\'', "//",
     "/*-*/"},
    {"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= != { } # -> =~", '"', '\\', '\'', "#", ""},
};

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDecDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Decimal number in the runtime's floating-point syntax: digits, an optional
// fraction, an optional exponent.
bool IsDecimalNumber(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  std::size_t digits = 0;
  while (i < n && IsDecDigit(s[i])) ++i, ++digits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && IsDecDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exp = 0;
    while (i < n && IsDecDigit(s[i])) ++i, ++exp;
    if (exp == 0) return false;
  }
  return i == n;
}

char16_t LowerChar(char16_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper ? (c & 1) : !(c & 1)) return static_cast<char16_t>(c + 1);
    return c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
  return c;
}

}  // namespace

const char* TokenKindName(TTokenKind kind) {
  switch (kind) {
#define SW_SCANNER_TOKEN_KIND_NAME(name, number) \
  case name:                                     \
    return #name;
    SW_SCANNER_TOKEN_KINDS(SW_SCANNER_TOKEN_KIND_NAME)
#undef SW_SCANNER_TOKEN_KIND_NAME
  }
  return "tt?";
}

std::string LowerUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += LowCaseAscii(static_cast<char>(b));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = Utf8SequenceAt(text, i, &cp);
    if (len == 2) {
      // Every mapping stays within the two-byte range.
      AppendUtf8(out, LowerChar(static_cast<char16_t>(cp)));
      i += 2;
    } else if (len == 0) {
      out += static_cast<char>(b);
      ++i;
    } else {
      out.append(text.substr(i, len));
      i += len;
    }
  }
  return out;
}

std::string SanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t len = Utf8SequenceAt(text, i);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text.substr(i, len));
      i += len;
    }
  }
  return out;
}

std::string DecodeAnsiToUtf8(std::string_view bytes, unsigned codePage) {
  bool ascii = true;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return std::string(bytes);
  if (codePage == 65001) return SanitizeUtf8(bytes);
  return Utf16ToUtf8(AnsiToWideCP(bytes, codePage));
}

// ---- Construction and settings -----------------------------------------------

TQScanner::TQScanner() { SetMode(smPascal); }

void TQScanner::SetMode(TScanMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  if (mode < smPascal || mode > smHashComment) return;
  const ModeRow& row = kModeTable[mode - 1];
  symbolSet_ = row.SymbolSet;
  stringQuote_ = row.StringQuote;
  escapeChar_ = row.EscapeChar;
  charQuote_ = row.CharQuote;
  lineComment_ = row.LineComment;
  SetCommentPairs(row.CommentPairs);
}

std::string TQScanner::CommentPairs() const {
  std::string result;
  for (const auto& pair : commentPairs_) {
    if (!result.empty()) result += ',';
    result += pair.Opener + "-" + pair.Closer;
  }
  return result;
}

void TQScanner::SetCommentPairs(std::string_view description) {
  if (description == CommentPairs()) return;
  commentPairs_.clear();
  std::size_t start = 0;
  while (start <= description.size()) {
    std::size_t comma = description.find(',', start);
    if (comma == std::string_view::npos) comma = description.size();
    const std::string_view item = description.substr(start, comma - start);
    const std::size_t dash = item.find('-');
    if (dash != std::string_view::npos)
      commentPairs_.push_back({std::string(item.substr(0, dash)), std::string(item.substr(dash + 1))});
    start = comma + 1;
  }
}

// ---- Raw tokens ----------------------------------------------------------------

unsigned TQScanner::LineCodePage() const {
  if (lineIndex_ >= 0 && static_cast<std::size_t>(lineIndex_) < lineCodePages_.size() &&
      lineCodePages_[static_cast<std::size_t>(lineIndex_)] != 0)
    return lineCodePages_[static_cast<std::size_t>(lineIndex_)];
  return codePage_;
}

bool TQScanner::NextLine() {
  lineOffset_ += static_cast<std::int64_t>(lines_[lineIndex_].size()) + 2;
  ++lineIndex_;
  ThrowIfStopRequested();  // once a line: a cancel ends a long unit here
  if (lineIndex_ >= lines_.Count()) {
    exhausted_ = true;
    curText_.clear();
    return false;
  }
  return true;
}

int TQScanner::SymbolAt(const std::string& line, std::size_t i) const {
  if (i + 1 < line.size() && !IsWhite(line[i + 1]) && symbolSet_.find(line.substr(i, 2)) != std::string::npos)
    return 2;
  if (symbolSet_.find(line[i]) != std::string::npos) return 1;
  return 0;
}

bool TQScanner::IsWordListed(const TStringList& list, const std::string& word) const {
  return !list.Empty() && list.IndexOf(word) >= 0;
}

TTokenKind TQScanner::ReadToken() {
  if (lineIndex_ >= lines_.Count()) {
    exhausted_ = true;
    curText_.clear();
    return ttNone;
  }
  curText_.clear();
  std::size_t i = static_cast<std::size_t>(column_ - 1);
  for (;;) {
    const std::string& line = lines_[lineIndex_];
    if (i >= line.size() || (!lineComment_.empty() && line.compare(i, lineComment_.size(), lineComment_) == 0)) {
      if (i < line.size()) {
        std::string rest = line.substr(i + lineComment_.size(), 13);
        rest = UpperAscii(TrimSpaces(rest));
        if (rest == "LOCALIZE ON")
          localize_ = true;
        else if (rest == "LOCALIZE OFF")
          localize_ = false;
      }
      if (!NextLine()) return ttNone;
      i = 0;
      continue;
    }
    bool inComment = false;
    for (const auto& pair : commentPairs_) {
      if (pair.Opener.empty() || line.compare(i, pair.Opener.size(), pair.Opener) != 0) continue;
      inComment = true;
      std::size_t close = pair.Closer.empty() ? std::string::npos : line.find(pair.Closer, i + 1);
      while (close == std::string::npos) {
        if (!NextLine()) return ttNone;
        close = pair.Closer.empty() ? std::string::npos : lines_[lineIndex_].find(pair.Closer);
      }
      i = close + pair.Closer.size();
      break;
    }
    if (inComment) continue;
    if (IsWhite(line[i])) {
      ++i;
      continue;
    }

    const std::size_t start = i;
    TTokenKind kind;
    const char c = line[i];
    if (const int symbol = SymbolAt(line, i); symbol > 0) {
      if (c == stringQuote_) {
        bool closed;
        if (mode_ == smPascal) {
          int codes = 0;
          bool other = false;
          closed = ReadPascalString(line, i, curText_, codes, other);
        } else {
          closed = ReadCString(line, i, curText_);
        }
        kind = closed ? ttString : ttNone;
      } else if (mode_ == smPascal && c == '#') {
        int codes = 0;
        bool other = false;
        const bool closed = ReadPascalString(line, i, curText_, codes, other);
        // An unclosed quoted part leaves the literal unterminated, as for a
        // literal that starts with a quote.
        kind = !closed ? ttNone : (codes == 1 && !other) ? ttChar : ttString;
      } else if (mode_ == smC && c == charQuote_) {
        ReadCharLiteral(line, i, curText_);
        kind = ttChar;
      } else {
        curText_ = line.substr(i, static_cast<std::size_t>(symbol));
        i += static_cast<std::size_t>(symbol);
        kind = ttSymbol;
      }
    } else {
      kind = ReadWord(line, i);
    }
    tokenStart_ = static_cast<int>(start) + 1;
    column_ = static_cast<int>(i) + 1;
    return kind;
  }
}

TTokenKind TQScanner::ReadWord(const std::string& line, std::size_t& i) {
  const std::size_t start = i;
  while (i < line.size() && !IsWhite(line[i]) && SymbolAt(line, i) == 0) ++i;
  curText_ = line.substr(start, i - start);
  const auto first = static_cast<unsigned char>(curText_[0]);
  if (first < 65 || first > 122) return IsDecimalNumber(curText_) ? ttNumber : ttNone;
  if (IsWordListed(keywords_, curText_)) return ttKeyword;
  if (IsWordListed(wordList1_, curText_)) return ttUserWord1;
  if (IsWordListed(wordList2_, curText_)) return ttUserWord2;
  if (curText_ == "L" && i < line.size() && line[i] == stringQuote_) {
    // The string after the L is consumed either way; only a closed one makes
    // the pair a wide string.
    std::string value;
    bool closed;
    if (mode_ == smPascal) {
      int codes = 0;
      bool other = false;
      closed = ReadPascalString(line, i, value, codes, other);
    } else {
      closed = ReadCString(line, i, value);
    }
    if (closed) {
      curText_ = std::move(value);
      return ttWideString;
    }
  }
  return ttIdentifier;
}

// ---- Literals --------------------------------------------------------------------

// Collects a literal's value: source characters go straight through (the
// lines are UTF-8), character codes 0..255 gather in a run that is decoded
// with the line's code page when something else follows.
class TQScanner::LiteralBuilder {
 public:
  LiteralBuilder(std::string& out, unsigned codePage) : out_(out), codePage_(codePage) {}
  ~LiteralBuilder() = default;
  void Byte(unsigned char b) { pending_ += static_cast<char>(b); }
  void Text(std::string_view text) {
    Flush();
    out_.append(text);
  }
  void Char(char c) {
    Flush();
    out_ += c;
  }
  void CodePoint(std::uint32_t cp) {
    Flush();
    AppendUtf8(out_, cp);
  }
  void Flush() {
    if (pending_.empty()) return;
    out_ += DecodeAnsiToUtf8(pending_, codePage_);
    pending_.clear();
  }

 private:
  std::string& out_;
  unsigned codePage_;
  std::string pending_;
};

std::uint32_t TQScanner::ReadCharCode(const std::string& line, std::size_t& i) {
  const std::size_t hash = i++;
  std::uint32_t code = 0;
  bool tooLarge = false;
  if (i < line.size() && line[i] == '$') {
    ++i;
    const std::size_t digits = i;
    while (i < line.size() && IsHex(line[i])) ++i;
    std::size_t first = digits;
    while (first < i && line[first] == '0') ++first;
    // More than six significant digits is beyond the last Unicode character.
    if (i - first > 6)
      tooLarge = true;
    else
      code = static_cast<std::uint32_t>(HexToInt(std::string_view(line).substr(first, i - first)));
  } else {
    const std::size_t digits = i;
    while (i < line.size() && IsDecDigit(line[i])) ++i;
    if (i > digits) {
      const int value = StrToIntTrim(std::string_view(line).substr(digits, i - digits));
      code = static_cast<std::uint32_t>(value);
    }
  }
  if (tooLarge || code > 0x10FFFF)
    RaiseScannerError(Format(SNotACharacter, line.substr(hash, i - hash)), lineIndex_);
  return code;
}

bool TQScanner::ReadPascalString(const std::string& line, std::size_t& i, std::string& value, int& codes,
                                 bool& other) {
  LiteralBuilder out(value, LineCodePage());
  bool inQuote = false;
  while (i < line.size()) {
    const char c = line[i];
    if (inQuote) {
      if (c == stringQuote_) {
        if (i + 1 < line.size() && line[i + 1] == stringQuote_) {
          out.Char(c);
          i += 2;
        } else {
          inQuote = false;
          ++i;
        }
      } else {
        out.Char(c);
        ++i;
      }
      continue;
    }
    if (c == '#') {
      const std::size_t hash = i;
      std::uint32_t code = ReadCharCode(line, i);
      ++codes;
      if (code <= 0xFF) {
        out.Byte(static_cast<unsigned char>(code));
      } else if (code >= 0xD800 && code <= 0xDFFF) {
        // A high surrogate followed by a low one is one character; a half
        // on its own names no character: it is kept as U+FFFD and reported.
        std::size_t j = i;
        std::uint32_t low = 0;
        if (code <= 0xDBFF && j < line.size() && line[j] == '#') low = ReadCharCode(line, j);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          i = j;
          ++codes;
          out.CodePoint(0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        } else {
          warnings_.push_back(Format("line %d: \"%s\" is half a surrogate pair, kept as U+FFFD", lineIndex_,
                                     line.substr(hash, i - hash)));
          out.CodePoint(0xFFFD);
        }
      } else {
        out.CodePoint(code);
      }
      continue;
    }
    if (c == stringQuote_) {
      inQuote = true;
      other = true;
      ++i;
      continue;
    }
    break;
  }
  out.Flush();
  return !inQuote;
}

unsigned char TQScanner::ReadEscape(const std::string& line, std::size_t& i) {
  const char c = line[i++];
  switch (c) {
    case 'a': return 7;
    case 'b': return 8;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    case 'v': return 11;
    case 'x': {
      const std::size_t digits = i;
      while (i < line.size() && i - digits < 3 && IsHex(line[i])) ++i;
      return static_cast<unsigned char>(HexToInt(std::string_view(line).substr(digits, i - digits)) & 0xFF);
    }
    default: break;
  }
  if (IsDecDigit(c)) {
    // The digits start at `c`: an 8 or a 9 there makes OctToInt raise.
    const std::size_t digits = i - 1;
    while (i < line.size() && i - digits < 3 && line[i] >= '0' && line[i] <= '7') ++i;
    return static_cast<unsigned char>(OctToInt(std::string_view(line).substr(digits, i - digits)) & 0xFF);
  }
  return static_cast<unsigned char>(c);
}

// Appends the escape sequence whose first character (after the escape
// character) is at i. Codes written as numbers join the byte run; an escaped
// non-ASCII character stands for itself with its whole UTF-8 sequence.
void TQScanner::AppendEscape(const std::string& line, std::size_t& i, LiteralBuilder& out) {
  const char e = line[i];
  if (static_cast<unsigned char>(e) >= 0x80) {
    const std::size_t len = std::max<std::size_t>(1, Utf8SequenceAt(line, i));
    out.Text(std::string_view(line).substr(i, len));
    i += len;
    return;
  }
  const unsigned char b = ReadEscape(line, i);
  if (e == 'x' || IsDecDigit(e))
    out.Byte(b);
  else
    out.Char(static_cast<char>(b));
}

bool TQScanner::ReadCString(const std::string& line, std::size_t& i, std::string& value) {
  LiteralBuilder out(value, LineCodePage());
  const char quote = line[i++];
  while (i < line.size()) {
    const char c = line[i];
    if (c == quote) {
      if (mode_ == smCSingleQuoted && i + 1 < line.size() && line[i + 1] == quote) {
        out.Char(c);
        i += 2;
        continue;
      }
      ++i;
      out.Flush();
      return true;
    }
    if (c == escapeChar_) {
      ++i;
      if (i >= line.size()) break;
      AppendEscape(line, i, out);
      continue;
    }
    out.Char(c);
    ++i;
  }
  out.Flush();
  return false;
}

void TQScanner::ReadCharLiteral(const std::string& line, std::size_t& i, std::string& value) {
  ++i;  // the opening quote
  std::string content;
  {
    LiteralBuilder out(content, LineCodePage());
    if (i < line.size()) {
      if (line[i] == escapeChar_ && i + 1 < line.size()) {
        ++i;
        AppendEscape(line, i, out);
      } else {
        // One character: a whole UTF-8 sequence.
        const std::size_t len = std::max<std::size_t>(1, Utf8SequenceAt(line, i));
        out.Text(std::string_view(line).substr(i, len));
        i += len;
      }
    }
    out.Flush();
  }
  if (i < line.size() && line[i] == charQuote_) {
    ++i;
    value = std::move(content);
  } else {
    value = std::string(1, '\0');
  }
}

// ---- The window ----------------------------------------------------------------

void TQScanner::StoreToken(TScanToken& record, TTokenKind kind) const {
  record.Kind = kind;
  record.Text = curText_;
  record.LowerText = LowerUtf8(curText_);
  record.Line = lineIndex_;
  record.StartCol = tokenStart_;
  record.EndCol = column_;
  const std::int64_t offset = tokenStart_ + lineOffset_ - 1;
  record.Offset = offset > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                                     : static_cast<std::int32_t>(offset);
  record.Localize = localize_;
}

void TQScanner::Start() {
  lineIndex_ = 0;
  column_ = 1;
  tokenStart_ = 1;
  lineOffset_ = 0;
  exhausted_ = false;
  curText_.clear();
  warnings_.clear();
  for (auto& record : window_) record = TScanToken{};
  windowEnd_ = -1;
  if (lines_.Empty()) return;
  int stored = 0;
  while (stored <= kWindowAhead) {
    const TTokenKind kind = ReadToken();
    if (exhausted_) break;
    StoreToken(window_[static_cast<std::size_t>(kWindowBehind + stored)], kind);
    ++stored;
  }
  windowEnd_ = stored - 1;
}

void TQScanner::Next() {
  const TTokenKind kind = ReadToken();
  if (windowEnd_ < 0) return;
  for (std::size_t k = 0; k + 1 < window_.size(); ++k) window_[k] = std::move(window_[k + 1]);
  // The slot at the far end holds nothing until a token is stored there.
  window_.back() = TScanToken{};
  --windowEnd_;
  if (exhausted_) return;
  StoreToken(window_.back(), kind);
  windowEnd_ = kWindowAhead;
}

const TScanToken& TQScanner::TokenRef(int offset) const {
  if (offset < -kWindowBehind || offset > kWindowAhead)
    RaiseScannerError(Format(STokenNotAvailable, offset), -1);
  return window_[static_cast<std::size_t>(offset + kWindowBehind)];
}

TScanToken TQScanner::Token(int offset) const { return TokenRef(offset); }

void TQScanner::SetToken(int offset, const TScanToken& token) {
  TokenRef(offset);
  window_[static_cast<std::size_t>(offset + kWindowBehind)] = token;
}

std::string TQScanner::PrecedingText() const {
  std::string text;
  for (int k = 0; k < kWindowBehind; ++k) text += window_[static_cast<std::size_t>(k)].LowerText;
  return text;
}

// ---- Token dump ------------------------------------------------------------------

std::string DumpTokens(TQScanner& scanner) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  scanner.Start();
  while (!scanner.Eof()) {
    const TScanToken& t = scanner.TokenRef(0);
    out += std::to_string(t.Line) + ":" + std::to_string(t.StartCol) + "-" + std::to_string(t.EndCol) + " " +
           TokenKindName(t.Kind) + " ";
    for (char c : t.Text) {
      const auto b = static_cast<unsigned char>(c);
      if (c == '\\')
        out += "\\\\";
      else if (c == '\t')
        out += "\\t";
      else if (c == '\n')
        out += "\\n";
      else if (c == '\r')
        out += "\\r";
      else if (b < 0x20 || b == 0x7F)
        out += std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
      else
        out += c;
    }
    if (!t.Localize) out += " [nolocalize]";
    out += '\n';
    scanner.Next();
  }
  return out;
}

}  // namespace sw
