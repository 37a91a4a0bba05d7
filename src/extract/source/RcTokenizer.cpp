// Tokens of resource-script statements (see RcTokenizer.h): words,
// punctuation and decoded string literals, line by line.
#include "extract/source/RcTokenizer.h"

#include "base/Exceptions.h"
#include "base/Numbers.h"
#include "base/Unicode.h"
#include "extract/source/SourceScanner.h"
#include "util/Messages.h"

namespace sw {

std::string RcTrimmed(std::string_view text) {
  std::size_t a = 0, b = text.size();
  while (a < b && RcIsBlank(text[a])) ++a;
  while (b > a && RcIsBlank(text[b - 1])) --b;
  return std::string(text.substr(a, b - a));
}

const char* RcTokenKindName(TRcToken::Kind kind) {
#define SW_RC_TOKEN_KIND_NAME(name, what) #name,
  static constexpr const char* kNames[] = {SW_RC_TOKEN_KINDS(SW_RC_TOKEN_KIND_NAME)};
#undef SW_RC_TOKEN_KIND_NAME
  return kNames[kind];
}

std::string RcTokenFound(const TRcToken& token) {
  if (token.Type == TRcToken::Word || token.Type == TRcToken::Punct) return "\"" + token.Text + "\"";
#define SW_RC_TOKEN_KIND_WHAT(name, what) what,
  static constexpr const char* kWhat[] = {SW_RC_TOKEN_KINDS(SW_RC_TOKEN_KIND_WHAT)};
#undef SW_RC_TOKEN_KIND_WHAT
  return kWhat[token.Type];
}

namespace {

bool IsPunct(char c) { return std::string_view(",{}()+-*/%|&^~!<>=;").find(c) != std::string_view::npos; }

// Decodes a string literal starting at the quote at `i` (after an optional
// L prefix); `i` ends past the closing quote.
bool ReadRcString(const std::string& line, std::size_t& i, bool wide, unsigned codePage, TRcToken& token) {
  std::string& out = token.Text;
  std::string bytes;     // narrow codes waiting for their code page
  std::u16string units;  // wide codes waiting to become UTF-8
  auto flush = [&] {
    if (!bytes.empty()) out += DecodeAnsiToUtf8(bytes, codePage), bytes.clear();
    if (!units.empty()) {
      std::u16string clean;
      for (std::size_t k = 0; k < units.size(); ++k) {
        const char16_t u = units[k];
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF) {
          clean += u;
          clean += units[++k];
        } else if (u >= 0xD800 && u <= 0xDFFF) {
          token.Surrogates.push_back(u);
          clean += u'\xFFFD';
        } else {
          clean += u;
        }
      }
      out += Utf16ToUtf8(clean);
      units.clear();
    }
  };
  auto code = [&](std::uint32_t value, const std::string& written) {
    if (wide) {
      units += static_cast<char16_t>(value);
    } else if (value > 0xFF) {
      if (token.Error.empty()) token.Error = Format(SRCNarrowEscape, written);
    } else {
      if (!units.empty()) flush();
      bytes += static_cast<char>(value);
    }
  };
  auto text = [&](std::string_view s) {
    flush();
    out.append(s);
  };

  ++i;  // the opening quote
  while (i < line.size()) {
    const char c = line[i];
    if (c == '"') {
      if (i + 1 < line.size() && line[i + 1] == '"') {
        text("\"");
        i += 2;
        continue;
      }
      ++i;
      flush();
      return true;
    }
    if (c != '\\' || i + 1 >= line.size()) {
      text(std::string_view(line).substr(i, 1));
      ++i;
      continue;
    }
    const std::size_t escape = i;
    const char e = line[i + 1];
    i += 2;
    switch (e) {
      case 'n': text("\n"); break;
      case 'r': text("\r"); break;
      case 't': case 'T': text("\t"); break;
      case 'a': text("\a"); break;
      case 'A': text("\b"); break;
      case 'b': text("\b"); break;
      case 'f': text("\f"); break;
      case 'v': text("\v"); break;
      case '\\': text("\\"); break;
      case '"': text("\""); break;
      case 'x': case 'X': {
        const std::size_t digits = i;
        std::uint32_t value = 0;
        while (i < line.size() && i - digits < (wide ? 4u : 2u) && HexDigit(line[i]) >= 0)
          value = (value << 4) | static_cast<unsigned>(HexDigit(line[i++]));
        code(value, line.substr(escape, i - escape));
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          std::uint32_t value = static_cast<unsigned>(e - '0');
          while (i < line.size() && i - escape < 4 && line[i] >= '0' && line[i] <= '7')
            value = (value << 3) | static_cast<unsigned>(line[i++] - '0');
          code(value, line.substr(escape, i - escape));
        } else {
          // Not an escape: the backslash stands for itself.
          text("\\");
          i = escape + 1;
        }
    }
  }
  flush();
  return false;
}

}  // namespace

TRcToken TRcTokenizer::Next() {
  TRcToken token;
  while (line_ < lines_.Count()) {
    const std::string& line = lines_[line_];
    while (col_ < line.size() && RcIsBlank(line[col_])) ++col_;
    if (col_ >= line.size()) {
      ++line_;
      col_ = 0;
      continue;
    }
    token.Line = line_;
    token.StartCol = static_cast<int>(col_) + 1;
    const char c = line[col_];
    const bool widePrefix = (c == 'L' || c == 'l') && col_ + 1 < line.size() && line[col_ + 1] == '"';
    if (c == '"' || widePrefix) {
      if (widePrefix) ++col_;
      token.Wide = widePrefix;
      const unsigned cp = static_cast<std::size_t>(line_) < codePages_.size() && codePages_[line_] != 0
                              ? codePages_[line_]
                              : codePage_;
      token.Type = ReadRcString(line, col_, widePrefix, cp, token) ? TRcToken::String : TRcToken::BadString;
    } else if (IsPunct(c)) {
      static constexpr const char* kTwo[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
      token.Type = TRcToken::Punct;
      token.Text = std::string(1, c);
      for (const char* op : kTwo)
        if (line.compare(col_, 2, op) == 0) token.Text = op;
      col_ += token.Text.size();
    } else {
      const std::size_t start = col_;
      while (col_ < line.size() && !RcIsBlank(line[col_]) && !IsPunct(line[col_]) && line[col_] != '"') ++col_;
      token.Type = TRcToken::Word;
      token.Text = line.substr(start, col_ - start);
    }
    token.EndCol = static_cast<int>(col_) + 1;
    return token;
  }
  token.Type = TRcToken::End;
  token.Line = lines_.Count() > 0 ? lines_.Count() - 1 : 0;
  return token;
}

std::string DumpRcTokens(const TStringList& lines, unsigned codePage) {
  const std::vector<unsigned> codePages;
  TRcTokenizer tokenizer(lines, codePages, codePage);
  std::string dump;
  for (;;) {
    const TRcToken token = tokenizer.Next();
    dump += std::to_string(token.Line) + ":" + std::to_string(token.StartCol) + " " + RcTokenKindName(token.Type);
    if (token.Type == TRcToken::String || token.Type == TRcToken::BadString)
      dump += std::string(token.Wide ? " L\"" : " \"") + token.Text + "\"";
    else if (token.Type != TRcToken::End)
      dump += " " + token.Text;
    if (!token.Error.empty()) dump += " (" + token.Error + ")";
    dump += "\n";
    if (token.Type == TRcToken::End) return dump;
  }
}

}  // namespace sw
