// Coverage of one translation language: how many units (and how many words
// of their native texts) are translated and up to date, translated but out
// of date (the native text changed later), or untranslated (still the native
// copy, revision -1); overall and per form, unit and external group. The
// counts follow ExchangeUnits.h: items with an empty native text and kinds a
// language file does not store are not counted.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "storage/ExchangeUnits.h"

namespace sw {

struct TCoverageCounts {
  // Indexed by TUnitStatus.
  std::array<int, 3> Items{};
  std::array<int, 3> Words{};

  int TotalItems() const { return Items[0] + Items[1] + Items[2]; }
  int TotalWords() const { return Words[0] + Words[1] + Words[2]; }
  // The up-to-date share of the items in percent; 100 when there are none.
  double UpToDatePercent() const;
  void Add(const TExchangeUnit& unit);
};

struct TGroupCoverage {
  TGroupKind Kind = TGroupKind::Unit;
  std::string Name;  // UTF-8
  TCoverageCounts Counts;
};

struct TLanguageCoverage {
  LANGID LangId = 0;
  std::string FileName;
  bool FileExists = false;
  TCoverageCounts Total;
  std::vector<TGroupCoverage> Groups;  // in storage order
};

// A share as both front ends print it: one decimal and a percent sign ("87.5%").
std::string PercentText(double percent);

TLanguageCoverage ComputeCoverage(const TLocStorage& storage, int column);

// The coverage of every translation language of a library: the native file
// and one file per further language of `langIds` (the first is native).
std::vector<TLanguageCoverage> LibraryCoverage(const std::string& destDir, const std::string& shortName,
                                               const std::vector<LANGID>& langIds);

// The coverage of language files given by name: the one whose header says
// it is native serves all others. Raises EExchangeError when there is not
// exactly one native file among them.
std::vector<TLanguageCoverage> FilesCoverage(const std::vector<std::string>& fileNames);

}  // namespace sw
