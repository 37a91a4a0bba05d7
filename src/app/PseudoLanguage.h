// The pseudo-language file of a library: every item of the native language
// file pseudo-translated (checks/PseudoTranslation.h), translated and up to
// date, written as the run writes its language files (whole, then renamed
// over the old file) under the library's own naming, <short>.<abbr>.lng in
// the destination folder, and lib.ini written again as after a run. Both
// front ends call this; nothing here talks to the user.
#pragma once

#include <string>

#include "app/LibraryRun.h"
#include "checks/PseudoTranslation.h"

namespace sw {

struct TPseudoRequest {
  TPseudoOptions Options;
  std::string OutputFile;  // "" = the library's file for the language
};

struct TPseudoResult {
  std::string File;
  std::string LibIni;  // "" when the file went elsewhere (OutputFile)
  int Items = 0;       // items written
  int Translated = 0;  // items pseudo-translated (the others are not words)
  std::int32_t Revision = 0;
  bool InMemory = false;  // recorded in the library's memory (origin "pseudo")
};

// Raises EShelfwrightError for a library without languages, a language the
// catalogue does not know, the native language itself or one whose file
// would be another language's, a real language (not 0x0501 or 0x09FF)
// of the library or with a file already, an output file holding another
// language, a native file not written yet, and a file
// that cannot be read or written (each naming the file).
TPseudoResult WritePseudoLanguage(const TResolvedLibrary& library, const TPseudoRequest& request);

// "Wrote <file>: 30 items, 28 pseudo-translated, 2 kept as they are
// (revision 3)", and "Wrote <lib.ini>" on a line of its own when written.
std::string PseudoSummary(const TPseudoResult& result);

}  // namespace sw
