// The coverage the window shows beside each language of the list: for every
// translation language, read from the language files in the destination
// folder, how much is translated and up to date (the same counts and the same
// percentage `shelfwright-cli stats` prints). The native language has none;
// a library that was never processed (no native file yet) has none either.
// One unreadable file leaves its own language without coverage and the
// others as they are.
#pragma once

#include <string>
#include <vector>

#include "storage/Coverage.h"

namespace sw {

struct TCoverageCell {
  LANGID LangId = 0;
  bool Native = false;
  bool Known = false;       // Counts hold the language's coverage
  bool FileExists = false;  // the translation's own file exists (else all is untranslated)
  TCoverageCounts Counts;
  std::string Error;        // why a translation's coverage is not known ("" when never processed)

  double Percent() const { return Known ? Counts.UpToDatePercent() : 0.0; }
  // "87.5%", "native", "" when nothing is known; a file that could not be read says so.
  std::string Text() const;
  // The counts behind the percentage, for a tool tip.
  std::string Details() const;
};

// One cell per language of `langIds`, in that order (the first is native).
std::vector<TCoverageCell> ReadLanguageCoverage(const std::string& destDir, const std::string& shortName,
                                                const std::vector<LANGID>& langIds);

}  // namespace sw
