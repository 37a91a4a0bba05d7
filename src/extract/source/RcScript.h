// Reading resource scripts (.rc) as the resource compiler reads them: the
// preprocessor (RcPreprocessor.h) runs over the script and the files it
// includes, then the statement reader (RcStringTables.h) takes every
// STRINGTABLE with the language in force, from the tokens of RcTokenizer.h.
// This file holds what the reader hands out: every table it met, in file
// order, with their entries; `SelectRcTables` picks the tables of one
// language. A script the reader rejects raises ERcScriptError
// (SourceErrors.h), which names the file and the line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "extract/source/RcPreprocessor.h"
#include "runtime/StringList.h"

namespace sw {

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

class TRcScriptReader {
 public:
  // Code page of unmarked files (0 = the system ANSI code page); a
  // "#pragma code_page" switches it for the lines after it.
  unsigned CodePage = 0;
  TRcMacros Macros;
  // How files are read and looked up (null: from disk, unrecorded).
  TRcFileAccess* Files = nullptr;

  // Reads the #define lines of the script's own header: only those whose "#"
  // stands in column 1; conditions are not evaluated. An #include of this
  // header in the script is not read again.
  void ReadOwnHeader(const std::string& fileName);
  // Reads the script into `result`. Raises ERcScriptError; what was read
  // before the error stays in `result`.
  void Read(const std::string& fileName, TRcScript& result);

 private:
  std::string ownHeader_;
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
