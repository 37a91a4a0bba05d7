// TQScanner: the table-driven tokenizer behind the source processors. One
// engine serves Object Pascal, C/C++ and resource scripts, C with single
// quoted strings, and hash-commented scripts; a mode selects the symbol set,
// the literal rules and the comment forms, the owner supplies the keywords.
//
// The scanner reads a list of lines (no token spans a line, only block
// comments do) and keeps a window of 21 tokens: ten behind the current one,
// the current one at position 0 and ten ahead. Comments reading
// "LOCALIZE ON" / "LOCALIZE OFF" switch a flag every token records.
//
// Text: the lines hold UTF-8 (the source processors decode ANSI files before
// scanning). Literal values are UTF-8 too. A character code written in the
// source (Pascal "#233", C "\xE9" or "\351") is a byte in the code page in
// force for its line, and runs of such bytes are decoded together so that a
// double-byte character written as two codes stays one character. A Pascal
// code above 255 is the Unicode character of that code.
//
// The scanner does not preprocess: #include, #define and #pragma are tokens
// like any other; the processors interpret them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"
#include "extract/source/SourceErrors.h"
#include "runtime/StringList.h"

namespace sw {

// EQScannerError (SourceErrors.h) is raised for a malformed character code,
// with the line being scanned attached as its location, and for window
// offsets out of range.

// The token kinds, declared once: X(name, number). The numbers are part of
// the interface: processors test them.
#define SW_SCANNER_TOKEN_KINDS(X) \
  X(ttNone, 0)                    \
  X(ttIdentifier, 1)              \
  X(ttKeyword, 2)                 \
  X(ttSymbol, 3)                  \
  X(ttChar, 4)                    \
  X(ttString, 5)                  \
  X(ttWideString, 6)              \
  X(ttNumber, 7)                  \
  X(ttUserWord1, 8)               \
  X(ttUserWord2, 9)

enum TTokenKind : std::uint8_t {
#define SW_SCANNER_TOKEN_KIND_ENUM(name, number) name = number,
  SW_SCANNER_TOKEN_KINDS(SW_SCANNER_TOKEN_KIND_ENUM)
#undef SW_SCANNER_TOKEN_KIND_ENUM
};

enum TScanMode : std::uint8_t {
  smPascal = 1,
  smC = 2,
  smCSingleQuoted = 3,
  smHashComment = 4,
};

// The name of a token kind as written in code ("ttString"); "tt?" for others.
const char* TokenKindName(TTokenKind kind);

struct TScanToken {
  TTokenKind Kind = ttNone;
  std::string LowerText;
  std::string Text;          // literals: the decoded value; otherwise the source characters
  std::int32_t Line = 0;     // zero-based index into Lines
  std::int32_t StartCol = 0; // one-based column of the first character
  std::int32_t EndCol = 0;   // one-based column just after the last character
  std::int32_t Offset = 0;   // zero-based offset in the text, two characters per line break
  bool Localize = false;
};

class TQScanner {
 public:
  static constexpr int kWindowBehind = 10;
  static constexpr int kWindowAhead = 10;

  TQScanner();

  // The source text, one line each (UTF-8); filled by the owner before Start.
  TStringList& Lines() { return lines_; }
  const TStringList& Lines() const { return lines_; }
  // Words reported as ttKeyword, compared without regard to (ASCII) case.
  TStringList& Keywords() { return keywords_; }
  TStringList& WordList1() { return wordList1_; }
  TStringList& WordList2() { return wordList2_; }

  TScanMode Mode() const { return mode_; }
  // Sets the mode's whole row (symbols, quotes, comments); a value outside
  // the four modes only records the number.
  void SetMode(TScanMode mode);
  const std::string& SymbolSet() const { return symbolSet_; }
  char StringQuote() const { return stringQuote_; }
  char EscapeChar() const { return escapeChar_; }
  char CharQuote() const { return charQuote_; }
  const std::string& LineComment() const { return lineComment_; }

  // Block comment pairs as "opener-closer,opener-closer" ("(*-*),{-}").
  std::string CommentPairs() const;
  void SetCommentPairs(std::string_view description);

  bool Localize() const { return localize_; }
  void SetLocalize(bool value) { localize_ = value; }

  // Code page of character codes 0..255 written in the source (0 = the
  // system ANSI code page). `SetLineCodePages` overrides it per line (an
  // entry of 0 or a line past the list's end uses `CodePage`).
  unsigned CodePage() const { return codePage_; }
  void SetCodePage(unsigned codePage) { codePage_ = codePage; }
  void SetLineCodePages(std::vector<unsigned> codePages) { lineCodePages_ = std::move(codePages); }

  void Start();
  void Next();
  bool Eof() const { return windowEnd_ < 0; }
  // True when window position `offset` holds a token of the text.
  bool Available(int offset) const { return offset >= -kWindowBehind && offset <= windowEnd_; }

  // The record at window position `offset` (-10 .. 10). Positions that hold
  // no token (past the end of the text, or not yet filled) are empty records
  // of kind ttNone. Raises EQScannerError "Token %d is not available".
  TScanToken Token(int offset) const;
  void SetToken(int offset, const TScanToken& token);
  // The record without copying; same range check.
  const TScanToken& TokenRef(int offset) const;

  TTokenKind TokenKind() const { return window_[kWindowBehind].Kind; }
  const std::string& TokenText() const { return window_[kWindowBehind].Text; }
  const std::string& TokenLower() const { return window_[kWindowBehind].LowerText; }
  std::int32_t TokenLine() const { return window_[kWindowBehind].Line; }
  std::int32_t TokenStartCol() const { return window_[kWindowBehind].StartCol; }
  std::int32_t TokenEndCol() const { return window_[kWindowBehind].EndCol; }

  // LowerText of positions -10 .. -1 joined without separator.
  std::string PrecedingText() const;

  // What the scanner read other than as written, one line each ("line N:
  // ..."): a Pascal character code that is half a surrogate pair becomes
  // U+FFFD. Cleared by Start.
  std::vector<std::string>& Warnings() { return warnings_; }

 private:
  class LiteralBuilder;
  struct CommentPair {
    std::string Opener;
    std::string Closer;
  };

  // Reads the next raw token; sets curText_, tokenStart_, column_ and, when
  // the text runs out, exhausted_.
  TTokenKind ReadToken();
  // Moves to the next line; false when the text is exhausted.
  bool NextLine();
  // Length of the symbol at index i of line (0 = none).
  int SymbolAt(const std::string& line, std::size_t i) const;
  TTokenKind ReadWord(const std::string& line, std::size_t& i);
  // Literal readers: `i` is the index of the opening character and ends past
  // what was read; the result says whether the literal was closed.
  bool ReadPascalString(const std::string& line, std::size_t& i, std::string& value, int& codes,
                        bool& other);
  bool ReadCString(const std::string& line, std::size_t& i, std::string& value);
  void ReadCharLiteral(const std::string& line, std::size_t& i, std::string& value);
  // Reads "#code" at i; returns the code.
  std::uint32_t ReadCharCode(const std::string& line, std::size_t& i);
  // Reads the escape sequence whose first character is at i; returns the byte.
  unsigned char ReadEscape(const std::string& line, std::size_t& i);
  void AppendEscape(const std::string& line, std::size_t& i, LiteralBuilder& out);
  unsigned LineCodePage() const;
  bool IsWordListed(const TStringList& list, const std::string& word) const;
  void StoreToken(TScanToken& record, TTokenKind kind) const;

  TStringList lines_;
  TStringList keywords_;
  TStringList wordList1_;
  TStringList wordList2_;

  TScanMode mode_ = static_cast<TScanMode>(0);
  std::string symbolSet_;
  char stringQuote_ = '\'';
  char escapeChar_ = '#';
  char charQuote_ = '\'';
  std::string lineComment_;
  std::vector<CommentPair> commentPairs_;

  unsigned codePage_ = 0;
  std::vector<unsigned> lineCodePages_;

  int lineIndex_ = 0;
  int column_ = 1;
  int tokenStart_ = 1;
  std::int64_t lineOffset_ = 0;
  std::string curText_;
  bool exhausted_ = false;
  bool localize_ = true;

  std::vector<std::string> warnings_;
  std::array<TScanToken, kWindowBehind + 1 + kWindowAhead> window_{};
  int windowEnd_ = -1;
};

// Lower-cases UTF-8 text: ASCII letters and the Latin-1, Latin Extended-A,
// Greek and Cyrillic capitals; bytes that are not valid UTF-8 stay as they are.
std::string LowerUtf8(std::string_view text);

// Decodes 8-bit text in `codePage` (0 = system ANSI, 65001 = UTF-8) into
// UTF-8. Invalid UTF-8 becomes U+FFFD.
std::string DecodeAnsiToUtf8(std::string_view bytes, unsigned codePage);
// Replaces every ill-formed UTF-8 sequence by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

// Starts the scanner and lists every token, one line each:
// "<line>:<start>-<end> <kind> <text>" with the text escaped (\t, \n, \r,
// \\, \xNN for other control bytes) and " [nolocalize]" when the token's
// Localize flag is off. The scanner's mode, keywords and lines are used as set.
std::string DumpTokens(TQScanner& scanner);

}  // namespace sw
