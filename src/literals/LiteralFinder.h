// The literal finder: walks the tokens of a source unit (Object Pascal or
// C++) and sorts every string literal that holds a letter into those a
// constant can replace and those that must stay, each with its reason.
//
// A literal is offered only where the replacement compiles. In C++ that is
// where a `String` (what `LoadStr(id)` returns) is accepted: an argument or
// initializer of `String`/`AnsiString`/`UnicodeString`, an operand of `+`
// with a `String`, the `return` of a function returning `String`, an
// argument of a VCL routine (or of a function of the unit) taking `String`,
// an assignment to a `String` variable or property. The decision uses the
// scanner's tokens and the declarations of the unit only; any other context
// leaves the literal where it is. In Object Pascal a resource string is
// accepted almost everywhere a text is; typed constants and initialized
// variables of other types than strings (PChar, Char, records), untyped
// constants, `case` labels, default parameter values, file names of a uses
// clause, external names, hint messages and range bounds stay.
//
// The finder does not name, select or rewrite; see MoveLiterals.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "extract/source/SourceScanner.h"
#include "extract/source/SourceReaders.h"
#include "runtime/StringList.h"

namespace sw {

// What stays: the place (zero-based line, one-based column), the text and why.
struct TLeftLiteral {
  std::int32_t Line = 0;
  std::int32_t StartCol = 0;
  std::string Text;
  std::string Reason;
};

// The literals of one unit.
struct TFoundLiterals {
  std::vector<std::unique_ptr<TStrConst>> Offered;  // unnamed, unselected, owned by no unit yet
  std::vector<TLeftLiteral> Left;
};

// True when the code text before the scanner's current token matches one of
// the patterns: "pattern" when that text ends with it, "pattern*" when the
// ten tokens before hold it anywhere (compared without regard to case).
bool MatchesExcludePattern(const TQScanner& scanner, const TStringList& patterns);

// Finds the literals of a unit whose Lines are loaded. The scanner is set up
// for the unit's language by the caller (keywords, code pages).
TFoundLiterals FindPascalLiterals(TQScanner& scanner, TUnitRec& unit, const TStringList& excludePatterns);
TFoundLiterals FindCppLiterals(TQScanner& scanner, TUnitRec& unit, const TStringList& excludePatterns);

// The literal reason that an offered literal carries ("offered").
inline constexpr const char* kOffered = "offered";

// What a scanner token is, for the finder and the unit rewriter alike: code
// (an identifier, keyword, symbol, number or user word), a given piece of
// code (compared lower case), or a string literal.
bool IsCode(const TScanToken& token);
bool TokenIs(const TScanToken& token, std::string_view lower);
bool IsLiteral(const TScanToken& token);

}  // namespace sw
