// The statement reader of resource scripts: every STRINGTABLE of a
// preprocessed script with its optional statements (memory flags, LANGUAGE,
// CHARACTERISTICS, VERSION) and the language in force, while every other
// resource statement is passed over with its nested BEGIN/END or brace
// blocks. Adjacent string literals of an entry are joined. It reads tokens
// (RcTokenizer.h) of the text the preprocessor gave (RcPreprocessor.h) and
// does not choose a language (SelectRcTables in RcScript.h does).
#pragma once

#include "extract/source/RcPreprocessor.h"
#include "extract/source/RcScript.h"

namespace sw {

// Appends the tables and entries of `text` to `result`. Raises
// ERcScriptError at the first statement it cannot read, naming the file and
// line where it stands and what was expected and found; what was read
// before stays in `result`.
void ParseRcStringTables(const TRcText& text, const TRcMacros& macros, unsigned codePage, TRcScript& result);

}  // namespace sw
