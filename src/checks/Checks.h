// Translation checks: rules that find, in one language column of a
// translation storage, what would show up only at run time in a language the
// developers do not read (a lost `Format` specifier or accelerator, two
// controls of one dialog on the same hotkey, a string list with a line less,
// a translated report expression, ...).
//
// The checks are declared once, in `CheckTable()`: a name, a severity and a
// rule. Most rules look at one unit at a time (TextRules.h); `hotkeys` looks
// at the controls of a form side by side and needs the parent/child
// structure of the native form files (FormTree.h, HotkeyRule.h).
//
// What is checked: the units the exchange formats list (ExchangeUnits.h) in
// a translation column whose translation is up to date or out of date (an
// untranslated copy is coverage's business); in the native column only the
// rules that make sense there (`hotkeys`). Units are named by their place
// (`form/<form>/<component path>/<property>`, `unit/<unit>/<name>`,
// `group/<group>/<item>`), as the exports name them.
//
// A known false positive is suppressed with an ignore list (`LANG CHECK
// ITEM` lines): the problem is still reported, marked as ignored. Nothing
// here reads settings, prints or decides exit codes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/ExchangeUnits.h"

namespace sw {

class TFormTrees;

enum class TCheckSeverity { Warning = 0, Error = 1 };

// "warning", "error".
const char* SeverityName(TCheckSeverity severity);

// One unit as the rules see it.
struct TCheckUnit {
  const TExchangeUnit* Unit = nullptr;
  std::u16string_view Native;
  std::u16string_view Translation;
  // The property's name ("Caption", "Items.Strings") for form units; the
  // constant's or external item's name otherwise (8-bit, as stored).
  std::string_view Name;
  // A text of a report design (an item of an external group "FRFORM:...").
  bool ReportText = false;
};

struct TCheckProblem {
  LANGID LangId = 0;
  std::string Item;  // the unit's place
  std::string Check;
  TCheckSeverity Severity = TCheckSeverity::Error;
  std::u16string Native;
  std::u16string Translation;
  std::string Message;  // UTF-8
  bool Ignored = false;
};

// What a rule is given: one language column of a storage, its units, and the
// native forms' structure when it was read.
struct TCheckContext {
  const TLocStorage* Storage = nullptr;
  int Column = 0;
  LANGID LangId = 0;
  bool Native = false;  // the native column
  const std::vector<TExchangeUnit>* Units = nullptr;
  const TFormTrees* Forms = nullptr;  // nullptr: not read
};

// Where a rule reports: the table's runner fills in language, check name and
// severity.
class TCheckSink {
 public:
  virtual ~TCheckSink() = default;
  virtual void Report(const TExchangeUnit& unit, std::string message) = 0;
};

// A per-unit rule: the problem's message, or none.
using TUnitRule = std::optional<std::string> (*)(const TCheckUnit& unit);
// A rule over a whole language column.
using TColumnRule = void (*)(const TCheckContext& context, TCheckSink& sink);

struct TCheckDef {
  std::string_view Name;
  TCheckSeverity Severity;
  TUnitRule UnitRule;      // set for per-unit rules (translations only)
  TColumnRule ColumnRule;  // set for rules over a column (hotkeys)
  bool InNative;           // also run on the native column
};

// Every check, in the order problems of one unit are reported.
const std::vector<TCheckDef>& CheckTable();
// The entry named `name` (exactly), or nullptr.
const TCheckDef* FindCheck(std::string_view name);

// Which checks run: all, or those named, minus those skipped.
struct TCheckSelection {
  std::vector<std::string> Only;  // empty: every check
  std::vector<std::string> Skip;
  bool Runs(std::string_view name) const;
  // The names that are no check; empty when all are known.
  std::vector<std::string> UnknownNames() const;
};

// One ignore-list line: `LANG CHECK ITEM` (LANG an abbreviation such as DEU,
// or "*" for every language).
struct TIgnoredCheck {
  std::string Lang;
  std::string Check;
  std::string Item;
};

// Parses ignore-list lines; blank lines and lines starting with ";" or "#"
// are skipped. A line without three fields raises ECheckError naming
// `source` and the line.
std::vector<TIgnoredCheck> ParseIgnoredChecks(const std::vector<std::string>& lines, const std::string& source);

SW_DECLARE_EXCEPTION(ECheckError, Exception)

// The problems of column `column` of `storage`, in unit order (hotkeys
// after the per-unit rules), ignored ones marked.
std::vector<TCheckProblem> CheckColumn(const TLocStorage& storage, int column, const TCheckSelection& selection,
                                       const TFormTrees* forms = nullptr,
                                       const std::vector<TIgnoredCheck>& ignored = {});

// The same for units already collected with CollectUnits (storage order).
std::vector<TCheckProblem> CheckUnits(const TLocStorage& storage, int column, const std::vector<TExchangeUnit>& units,
                                      const TCheckSelection& selection, const TFormTrees* forms = nullptr,
                                      const std::vector<TIgnoredCheck>& ignored = {});

// Hands `take` everything the checks read of `column` when they run without
// form trees or an ignore list, as the processing run runs them: for each
// unit, in storage order, its kind, status, group kind and whether it is a
// report text (one run), then its name, native text and translation (one run
// each). Two columns that hand over the same runs get the same problems from
// CheckColumn, so a caller may keep the counts of one under a hash of these.
// A rule that comes to read more of a unit must have it handed over here.
void ForEachCheckInput(const TLocStorage& storage, int column, const std::function<void(std::string_view)>& take);

struct TCheckCounts;
// The counts of CheckColumn's problems with every check, without form trees
// or an ignore list (the processing run's), counted without the units'
// places and names, which only the problems' records hold.
TCheckCounts CountColumnProblems(const TLocStorage& storage, int column);

// The problems of the units at `places` only (an import's applied units);
// per-unit rules only, as no form structure is at hand.
std::vector<TCheckProblem> CheckPlaces(const TLocStorage& storage, int column, const std::vector<std::string>& places);

// Translator notes by place, for exports: "error [accelerator] the native
// text has ..." per problem not ignored.
std::map<std::string, std::vector<std::string>> ProblemNotes(const std::vector<TCheckProblem>& problems);

// Problems counted by severity, ignored ones apart.
struct TCheckCounts {
  int Errors = 0;
  int Warnings = 0;
  int Ignored = 0;
  void Add(const TCheckProblem& problem);
};
TCheckCounts CountProblems(const std::vector<TCheckProblem>& problems);

// A problem as one line: "DEU form/MainForm/miOpen/Caption: error
// [accelerator] the native text has ...".
std::string ProblemLine(const TCheckProblem& problem);

// A text quoted for a message: in double quotes, control characters as
// \r, \n, \t or \xHH, quotes and backslashes escaped; UTF-8.
std::string QuoteText(std::u16string_view text);

}  // namespace sw
