// The statements of a preprocessed resource script (see RcStringTables.h).
#include "extract/source/RcStringTables.h"

#include <algorithm>
#include <utility>

#include "extract/source/RcTokenizer.h"
#include "extract/source/SourceErrors.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "util/Messages.h"

namespace sw {

namespace {

bool IsWord(const TRcToken& token, const char* upper) {
  return token.Type == TRcToken::Word && UpperAscii(token.Text) == upper;
}

bool IsMemoryFlag(const TRcToken& token) {
  static constexpr const char* kFlags[] = {"DISCARDABLE", "PRELOAD", "LOADONCALL", "MOVEABLE", "FIXED",
                                           "PURE",        "IMPURE",  "SHARED",     "NONSHARED"};
  if (token.Type != TRcToken::Word) return false;
  const std::string upper = UpperAscii(token.Text);
  return std::find(std::begin(kFlags), std::end(kFlags), upper) != std::end(kFlags);
}

bool IsBlockOpen(const TRcToken& token) {
  return IsWord(token, "BEGIN") || (token.Type == TRcToken::Punct && token.Text == "{");
}
bool IsBlockClose(const TRcToken& token) {
  return IsWord(token, "END") || (token.Type == TRcToken::Punct && token.Text == "}");
}

// Resource types whose statement is "name TYPE file".
bool IsFileResourceType(const TRcToken& token) {
  static constexpr const char* kTypes[] = {"ICON", "CURSOR", "BITMAP", "FONT", "HTML", "MESSAGETABLE",
                                           "ANICURSOR", "ANIICON", "PLUGPLAY", "VXD"};
  if (token.Type != TRcToken::Word) return false;
  const std::string upper = UpperAscii(token.Text);
  return std::find(std::begin(kTypes), std::end(kTypes), upper) != std::end(kTypes);
}

// The statement reader: a token stream with one token of look-ahead.
class TRcParser {
 public:
  TRcParser(TRcTokenizer& tokenizer, const TRcMacros& macros, const TRcText& text)
      : tokenizer_(tokenizer), macros_(macros), text_(text) {
    current_ = tokenizer_.Next();
    next_ = tokenizer_.Next();
  }

  const TRcToken& Current() const { return current_; }
  const TRcToken& Peek() const { return next_; }
  const TRcToken& Previous() const { return previous_; }
  bool AtEnd() const { return current_.Type == TRcToken::End; }
  void Advance() {
    if (AtEnd()) return;
    previous_ = std::move(current_);
    current_ = std::move(next_);
    next_ = tokenizer_.Next();
  }
  // Rejects the script at the current token (the last one at the end).
  [[noreturn]] void Fail(const std::string& detail) { FailAt(AtEnd() ? previous_.Line : current_.Line, detail); }
  [[noreturn]] void FailAt(int line, const std::string& detail) {
    RaiseRcScriptError(text_.FileOf(line), text_.Origin(line).Line, detail);
  }
  // Rejects the script: `expected`, and the current token as what was found.
  [[noreturn]] void FailFound(const std::string& expected) {
    Fail(Format(SRCFoundInstead, expected, RcTokenFound(current_)));
  }

  // Reads an integer expression: the longest run of tokens that forms one.
  // `written` receives its text as written (tokens joined by blanks).
  std::uint32_t Expression(std::string& written, const std::string& failDetail) {
    std::string text;
    const int firstLine = current_.Line;
    int depth = 0;
    bool expectOperand = true;
    int count = 0;
    while (!AtEnd()) {
      const TRcToken& t = current_;
      if (t.Type == TRcToken::Word) {
        if (!expectOperand) break;
        expectOperand = false;
      } else if (t.Type == TRcToken::Punct) {
        const std::string& p = t.Text;
        if (p == "(") {
          // An operand or the arguments of a macro call (MAKELANGID(...)).
          if (!expectOperand && !(count > 0 && Previous().Type == TRcToken::Word)) break;
          ++depth;
          expectOperand = true;
        } else if (p == ")") {
          if (depth == 0 || expectOperand) break;
          --depth;
        } else if (p == "~" || p == "!") {
          if (!expectOperand) break;
        } else if (p == "-" || p == "+") {
          expectOperand = true;
        } else if (p == "," || p == "{" || p == "}" || p == ";" || p == "=") {
          if (depth == 0) break;
          expectOperand = true;
        } else {
          if (expectOperand) break;
          expectOperand = true;
        }
      } else {
        break;
      }
      if (!text.empty()) text += ' ';
      text += t.Text;
      ++count;
      Advance();
    }
    written = text;
    if (count == 0) FailFound(failDetail);
    std::uint32_t value = 0;
    std::string error;
    if (!macros_.Evaluate(text, false, value, &error)) {
      // A bad number says which; anything else keeps the loader's
      // long-standing message and says why ("... : \"IDS_X\" unknown").
      if (count == 1 && error == Format(SRCBadNumber, text)) FailAt(firstLine, error);
      FailAt(firstLine, Format(SRCBecause, failDetail, error));
    }
    return value;
  }

  // Passes over a BEGIN/END or brace block with everything nested in it.
  void SkipBlock() {
    int depth = 0;
    while (!AtEnd()) {
      if (IsBlockOpen(current_)) ++depth;
      else if (IsBlockClose(current_)) --depth;
      Advance();
      if (depth == 0) return;
    }
  }

 private:
  TRcTokenizer& tokenizer_;
  const TRcMacros& macros_;
  const TRcText& text_;
  TRcToken previous_, current_, next_;
};

}  // namespace

void ParseRcStringTables(const TRcText& text, const TRcMacros& macros, unsigned codePage, TRcScript& result) {
  TRcTokenizer tokenizer(text.Lines, text.CodePages, codePage);
  auto origin = [&](int line) { return text.Origin(line); };
  TRcParser p(tokenizer, macros, text);
  int language = kRcNoLanguage;
  bool firstTableOfScript = true;

  auto readLanguage = [&]() {
    std::string written;
    const std::uint32_t primary = p.Expression(written, SRCLanguageExpected);
    if (!(p.Current().Type == TRcToken::Punct && p.Current().Text == ",")) p.FailFound(Format(SRCExpected, ","));
    p.Advance();
    const std::uint32_t sub = p.Expression(written, SRCSublanguageExpected);
    return static_cast<int>(((sub & 0x3F) << 10) | (primary & 0x3FF));
  };

  while (!p.AtEnd()) {
    const TRcToken& t = p.Current();
    if (IsWord(t, "LANGUAGE")) {
      p.Advance();
      language = readLanguage();
      continue;
    }
    if (IsWord(t, "VERSION") || IsWord(t, "CHARACTERISTICS")) {
      const std::string what = Format(SRCValueExpected, t.Text);
      p.Advance();
      std::string written;
      p.Expression(written, what);
      continue;
    }
    if (!IsWord(t, "STRINGTABLE")) {
      // "name TYPE ..." of any other resource: a file reference or a block.
      p.Advance();
      if (p.AtEnd()) break;
      const bool fileType = IsFileResourceType(p.Current());
      if (p.Current().Type == TRcToken::Word && !IsWord(p.Current(), "STRINGTABLE")) p.Advance();
      while (IsMemoryFlag(p.Current())) p.Advance();
      if (p.Current().Type == TRcToken::String || fileType) {
        p.Advance();
        continue;
      }
      while (!p.AtEnd() && !IsBlockOpen(p.Current()) && !IsWord(p.Current(), "STRINGTABLE")) p.Advance();
      if (IsBlockOpen(p.Current())) p.SkipBlock();
      continue;
    }

    // STRINGTABLE [options] BEGIN entries END
    TRcStringTable table;
    const TRcSourceLine at = origin(t.Line);
    table.FileName = text.Files[static_cast<std::size_t>(at.File)];
    table.Line = at.Line;
    table.Language = language;
    const bool ownScript = at.File == 0;
    p.Advance();
    for (;;) {
      if (IsMemoryFlag(p.Current())) {
        p.Advance();
      } else if (IsWord(p.Current(), "LANGUAGE")) {
        p.Advance();
        table.Language = readLanguage();
      } else if (IsWord(p.Current(), "CHARACTERISTICS") || IsWord(p.Current(), "VERSION")) {
        const std::string what = Format(SRCValueExpected, p.Current().Text);
        p.Advance();
        std::string written;
        p.Expression(written, what);
      } else {
        break;
      }
    }
    if (!IsBlockOpen(p.Current())) p.FailFound(SRCBeginExpected);
    p.Advance();
    const int tableIndex = static_cast<int>(result.Tables.size());
    result.Tables.push_back(table);
    int lastEntryLine = -1;
    while (!p.AtEnd() && !IsBlockClose(p.Current())) {
      TRcStringEntry entry;
      entry.Table = tableIndex;
      const TRcToken first = p.Current();
      const TRcSourceLine entryAt = origin(first.Line);
      entry.FileName = text.Files[static_cast<std::size_t>(entryAt.File)];
      entry.Line = entry.LastLine = entryAt.Line;
      entry.StartCol = first.StartCol;
      if (first.Type != TRcToken::Word && !(first.Type == TRcToken::Punct && (first.Text == "(" || first.Text == "-" ||
                                                                             first.Text == "~" || first.Text == "+")))
        p.FailFound(SRCNoConstIdentifier);
      std::string written;
      const std::uint32_t id = p.Expression(written, SRCNoConstIdentifier);
      if (id > 0xFFFF) p.Fail(Format(SRCIdTooLarge, id));
      entry.Id = static_cast<std::uint16_t>(id);
      if (written == first.Text && first.Type == TRcToken::Word && RcIsNameStart(first.Text[0])) {
        entry.Name = first.Text;
        entry.Named = true;
        entry.DefineOrder = macros.DefineOrder(first.Text);
      } else if (written == first.Text && first.Text == std::to_string(id)) {
        entry.Name = first.Text;
      } else {
        entry.Name = std::to_string(id);
      }
      if (p.Current().Type == TRcToken::Punct && p.Current().Text == ",") p.Advance();
      if (p.Current().Type != TRcToken::String) {
        if (p.Current().Type == TRcToken::BadString && !p.Current().Error.empty()) p.Fail(p.Current().Error);
        p.FailFound(SRCStringExpected);
      }
      while (p.Current().Type == TRcToken::String) {
        const TRcToken& s = p.Current();
        if (!s.Error.empty()) p.Fail(s.Error);
        for (std::uint32_t half : s.Surrogates)
          result.Warnings.push_back(Format(SRCWarnSurrogate, entry.FileName, origin(s.Line).Line, half));
        entry.Value += s.Text;
        entry.Wide = entry.Wide || s.Wide;
        entry.EndCol = s.EndCol;
        entry.LastLine = origin(s.Line).Line;
        p.Advance();
      }
      lastEntryLine = entry.LastLine;
      ++result.Tables[static_cast<std::size_t>(tableIndex)].Entries;
      result.Entries.push_back(std::move(entry));
    }
    if (ownScript && firstTableOfScript) {
      result.InsertLine = lastEntryLine >= 0 ? lastEntryLine : origin(p.Previous().Line).Line;
      firstTableOfScript = false;
    }
    p.Advance();  // END
  }
}

}  // namespace sw
