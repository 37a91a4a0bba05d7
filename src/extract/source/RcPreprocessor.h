// The preprocessor of resource scripts, as the resource compiler runs it
// before reading statements: #define with integer expressions, #undef,
// #if/#ifdef/#ifndef/#elif/#else/#endif, quoted #include files resolved
// beside the including file ("\" and "/" both separate folders, each part
// found exactly or else without regard to case), include guards and
// #pragma once. Comments are blanked with their columns kept, so that
// every token keeps the place where it was written.
//
// It hands out the text lines of the script with its included scripts
// (headers only contribute their directives), each with the file and line it
// came from and the code page in force there. It does not read statements
// (see RcStringTables.h). An include that cannot be found is an error naming
// the including file, its line and the missing name; system headers
// (<...> or the known names such as windows.h) are not read, their symbols
// that matter are built in (see WinSymbols.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/StringList.h"

namespace sw {

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

  // Evaluates a C integer expression in 32 bits: decimal, 0x hexadecimal,
  // 0-prefixed octal numbers with U/L suffixes and Pascal $ hexadecimal (as
  // scripts written for Borland's resource compiler have them),
  // parentheses, unary + - ~ !, * / % + - << >> < > <= >= == != & ^ | && ||,
  // macros (replaced by their bodies), built-in symbols and MAKELANGID(p, s).
  // With `conditional`, `defined NAME` is known and unknown names are 0.
  // Returns false when the text is not such an expression; `error` then
  // says what was expected and what was found.
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

// One look-up of a file name made while a script was read: the folder
// looked in, the name, and the file found ("" for none).
struct TRcLookup {
  enum TKind : std::uint8_t { Include = 0, OwnHeader = 1 };
  TKind Kind = Include;
  std::string Folder;
  std::string Name;
  std::string Found;
};

// How a script's reading gets at files, for a caller that keeps what it
// yields: `Read` hands over a file's bytes (the file read from disk when it
// is unset), and every look-up of a file name is added to `Lookups`. With
// the same bytes for every file read and the same file found by every
// look-up, a reading yields the same again.
struct TRcFileAccess {
  std::function<std::string(const std::string& path)> Read;
  std::vector<TRcLookup> Lookups;
  std::string ReadFile(const std::string& path) const;
};

// The file a look-up finds now, as the reader looks it up.
std::string FindRcLookup(const TRcLookup& lookup);

// Reads the #define lines of a script's own header: only those whose "#"
// stands in column 1; conditions are not evaluated.
void ReadRcHeaderDefines(const std::string& fileName, unsigned codePage, TRcMacros& macros,
                         TRcFileAccess* files = nullptr);

// Where a line of the preprocessed text was written.
struct TRcSourceLine {
  int File = 0;  // index into TRcText::Files
  int Line = 0;  // zero-based
};

// The preprocessed text of a script.
struct TRcText {
  std::vector<std::string> Files;  // every file read, the script first
  TStringList Lines;               // comments blanked; directives and inactive lines empty
  std::vector<unsigned> CodePages; // per line: the code page in force (0: the reader's)
  std::vector<TRcSourceLine> Origins;  // per line
  TextEncoding Encoding = TextEncoding::Ansi;  // of the script itself

  // The origin of a line index (the last line's for one past the end).
  TRcSourceLine Origin(int line) const;
  const std::string& FileOf(int line) const { return Files[static_cast<std::size_t>(Origin(line).File)]; }
};

class TRcPreprocessor {
 public:
  TRcPreprocessor(TRcMacros& macros, unsigned codePage, std::vector<std::string>& warnings,
                  TRcFileAccess* files = nullptr)
      : macros_(macros), codePage_(codePage), warnings_(warnings), files_(files) {}

  // A header already read with ReadRcHeaderDefines: an #include of it is not
  // read again.
  void SkipHeader(const std::string& fileName);
  // Preprocesses the script into `text`. Raises ERcScriptError.
  void Run(const std::string& fileName, TRcText& text);

 private:
  // Runs over one file; text lines of active regions are appended when
  // `keepText` is set (script files), only the directives count otherwise
  // (headers).
  void Preprocess(const std::string& fileName, bool keepText, int depth);
  void Directive(const std::string& line, int fileIndex, int lineIndex, int depth);
  void Include(const std::string& name, bool angle, int fileIndex, int lineIndex, int depth);
  bool Active() const { return conditions_.empty() || conditions_.back().Active; }

  struct TCondition {
    bool ParentActive = true;
    bool Active = true;
    bool Taken = false;  // a branch of this #if has been active
    bool SawElse = false;
  };
  TRcMacros& macros_;
  unsigned codePage_;
  std::vector<std::string>& warnings_;
  TRcFileAccess* files_;
  TRcText* text_ = nullptr;
  std::set<std::string> skipped_;  // canonical paths: the own header, #pragma once files
  std::vector<TCondition> conditions_;
};

}  // namespace sw
