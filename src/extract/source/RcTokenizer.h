// The tokens of a resource script's statements, as the resource compiler
// sees them after preprocessing: words (names, numbers, keywords), the
// punctuation of expressions and blocks, and string literals decoded to
// UTF-8. It also holds the character classes every part of the reader
// uses. It knows nothing of statements (see RcStringTables.h) nor of
// directives (see RcPreprocessor.h).
//
// Strings follow the resource compiler: "" inside a string is one quote,
// adjacent literals are separate tokens, L"..." is wide (\x takes up to four
// hex digits and names a UTF-16 unit), a narrow \x takes up to two digits
// and names a byte of the line's code page; \n \r \t \\ \" and octal codes
// are decoded, and \a \b \f \v keep the meaning the system's own constants
// scripts give them (7, 8, 12, 11). Any other backslash stands for itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/StringList.h"

namespace sw {

constexpr bool RcIsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
constexpr bool RcIsNameChar(char c) { return RcIsNameStart(c) || (c >= '0' && c <= '9'); }
constexpr bool RcIsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
std::string RcTrimmed(std::string_view text);

// The kinds of tokens, declared once: X(kind, what a message calls it).
#define SW_RC_TOKEN_KINDS(X)                   \
  X(End, "the end of the script")              \
  X(Word, "a word")                            \
  X(String, "a string")                        \
  X(Punct, "punctuation")                      \
  X(BadString, "a string without its closing quote")

struct TRcToken {
#define SW_RC_TOKEN_KIND_ENUM(kind, what) kind,
  enum Kind { SW_RC_TOKEN_KINDS(SW_RC_TOKEN_KIND_ENUM) } Type = End;
#undef SW_RC_TOKEN_KIND_ENUM
  std::string Text;   // words and punctuation as written; strings: the decoded value
  bool Wide = false;
  int Line = 0;       // index into the lines read
  int StartCol = 0;   // one-based
  int EndCol = 0;     // one-based, just after
  std::string Error;  // a string whose escape could not be read
  std::vector<std::uint32_t> Surrogates;  // lone halves met in a wide string
};

// "End", "Word", ... (the kind's name in code).
const char* RcTokenKindName(TRcToken::Kind kind);
// The token as a message names what was found: "\"IDS_X\"", "the end of the
// script", "a string".
std::string RcTokenFound(const TRcToken& token);

class TRcTokenizer {
 public:
  // `codePages` gives the code page of each line (0: `codePage`).
  TRcTokenizer(const TStringList& lines, const std::vector<unsigned>& codePages, unsigned codePage)
      : lines_(lines), codePages_(codePages), codePage_(codePage) {}

  // The next token; at the end, tokens of kind End on the last line.
  TRcToken Next();

 private:
  const TStringList& lines_;
  const std::vector<unsigned>& codePages_;
  unsigned codePage_;
  int line_ = 0;
  std::size_t col_ = 0;
};

// One line per token: "line:col Kind text" (strings quoted as decoded), for
// tests and diagnostics.
std::string DumpRcTokens(const TStringList& lines, unsigned codePage);

}  // namespace sw
