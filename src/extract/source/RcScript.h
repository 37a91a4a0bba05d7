// Reading resource scripts (.rc) as the resource compiler reads them: a small
// preprocessor (#define with integer expressions, #undef, #if/#ifdef/#ifndef/
// #elif/#else/#endif, quoted #include files resolved beside the including
// file, include guards and #pragma once), then every STRINGTABLE of the
// script with its optional statements (memory flags, LANGUAGE, CHARACTERISTICS,
// VERSION) and the language in force, while every other resource statement is
// passed over with its nested BEGIN/END or brace blocks.
//
// Strings follow the resource compiler: "" inside a string is one quote,
// adjacent literals are joined, L"..." is wide (\x takes up to four hex digits
// and names a UTF-16 unit), a narrow \x takes up to two digits and names a
// byte of the line's code page; \n \r \t \\ \" and octal codes are decoded,
// and \a \b \f \v keep the meaning the system's own constants scripts give
// them (7, 8, 12, 11). Any other backslash stands for itself.
//
// The reader hands out every table it met, in file order, with their entries;
// `SelectRcTables` picks the tables of one language.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/StringList.h"

namespace sw {

// A format error at a place in a file: the caller turns it into its own
// message ("Wrong format of RC file ...").
struct TRcScriptError {
  std::string FileName;
  int Line = 0;  // zero-based
  std::string Detail;
};

// A language of a table: -1 when no LANGUAGE statement applies to it.
constexpr int kRcNoLanguage = -1;

struct TRcStringTable {
  std::string FileName;
  int Line = 0;  // zero-based line of STRINGTABLE
  int Language = kRcNoLanguage;
  int Entries = 0;
  bool Taken = false;  // set by SelectRcTables
};

struct TRcStringEntry {
  std::uint16_t Id = 0;
  // The identifier as written when the id is one #define'd or built-in name;
  // otherwise the id in decimal (a number written as digits keeps them).
  std::string Name;
  std::string Value;  // UTF-8
  bool Wide = false;
  bool Named = false;        // Name is an identifier
  long DefineOrder = -1;     // order of the identifier's #define (-1: built in or none)
  int Table = 0;             // index into Tables
  std::string FileName;
  int Line = 0;      // zero-based line of the id
  int StartCol = 0;  // one-based column of the id
  int EndCol = 0;    // one-based column just after the last string
  int LastLine = 0;
};

struct TRcScript {
  std::vector<TRcStringTable> Tables;
  std::vector<TRcStringEntry> Entries;  // of every table, in file order
  std::vector<std::string> Warnings;
  TextEncoding Encoding = TextEncoding::Ansi;  // of the script itself
  // Zero-based line of the last entry of the first table of the script itself
  // (where generated entries are inserted); 0 when there is none.
  int InsertLine = 0;
};

// Integer #define macros and the built-in symbols of the system headers.
class TRcMacros {
 public:
  // `body` is the replacement text; function-like macros are defined with
  // `function` set and evaluate as unknown.
  void Define(const std::string& name, const std::string& body, bool function = false);
  void Undefine(const std::string& name);
  bool Defined(const std::string& name) const;
  // Order of the name's first #define, -1 when not defined. Like the
  // entries' identifiers, found without regard to case when not exactly.
  long DefineOrder(const std::string& name) const;

  // Evaluates a C integer expression in 32 bits: decimal, 0x hexadecimal
  // and 0-prefixed octal numbers with U/L suffixes, parentheses, unary
  // + - ~ !, * / % + - << >> < > <= >= == != & ^ | && ||, macros (replaced
  // by their bodies), built-in symbols and MAKELANGID(p, s). With
  // `conditional`, `defined NAME` is known and unknown names are 0. Returns
  // false when the text is not such an expression; `error` then says why.
  bool Evaluate(const std::string& text, bool conditional, std::uint32_t& value, std::string* error = nullptr) const;

 private:
  struct TMacro {
    std::string Body;
    bool Function = false;
    long Order = 0;
  };
  friend class TRcExpression;
  // The macro of that name; with `anyCase`, one whose name differs only in
  // the case of ASCII letters when there is no exact one.
  const TMacro* Find(const std::string& name, bool anyCase) const;
  std::map<std::string, TMacro> macros_;
  std::map<std::string, long> firstOrder_;
  long nextOrder_ = 0;
};

class TRcScriptReader {
 public:
  // Code page of unmarked files (0 = the system ANSI code page); a
  // "#pragma code_page" switches it for the lines after it.
  unsigned CodePage = 0;
  TRcMacros Macros;

  // Reads the #define lines of the script's own header: only those whose "#"
  // stands in column 1; conditions are not evaluated. An #include of this
  // header in the script is not read again.
  void ReadOwnHeader(const std::string& fileName);
  // Reads the script into `result`. Throws TRcScriptError; what was read
  // before the error stays in `result`.
  void Read(const std::string& fileName, TRcScript& result);

 private:
  struct TSourceLine {
    int File = 0;
    int Line = 0;
  };
  // Runs the preprocessor over one file; text lines of active regions are
  // appended to the combined text when `text` is set (script files), only
  // the directives count otherwise (headers).
  void Preprocess(const std::string& fileName, bool text, int depth, TRcScript& result);
  void Directive(const std::string& line, int fileIndex, int lineIndex, int depth, TRcScript& result);
  void Include(const std::string& name, bool angle, int fileIndex, int lineIndex, int depth, TRcScript& result);
  void Parse(TRcScript& result);

  std::vector<std::string> files_;
  std::string ownHeader_;
  std::set<std::string> onceFiles_;
  struct TCondition {
    bool ParentActive = true;
    bool Active = true;
    bool Taken = false;  // a branch of this #if has been active
    bool SawElse = false;
  };
  std::vector<TCondition> conditions_;
  bool Active() const { return conditions_.empty() || conditions_.back().Active; }

  TStringList lines_;  // combined script text, comments blanked, directives removed
  std::vector<unsigned> codePages_;
  std::vector<TSourceLine> origins_;
};

// Chooses the tables to take for `langId` (0 = not known): those of that
// language, else of its primary language (the language-only id, then any
// sublanguage of it, the first in the script), else the neutral ones (and
// those without LANGUAGE), else those of the first language in the script.
// Marks them `Taken` and returns the language chosen (kRcNoLanguage when
// the taken tables have none).
int SelectRcTables(TRcScript& script, std::uint16_t langId);

// "0407" for a language id, "none" for kRcNoLanguage.
std::string RcLanguageName(int language);

}  // namespace sw
