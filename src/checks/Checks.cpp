// The table of checks and the runner (see Checks.h).
#include "checks/Checks.h"

#include <algorithm>
#include <unordered_set>

#include "base/Escapes.h"
#include "base/AsciiText.h"
#include "base/Unicode.h"
#include "checks/HotkeyRule.h"
#include "checks/TextRules.h"
#include "util/LocaleCatalogue.h"

namespace sw {

namespace {

// The report designs' texts live in external groups named so.
constexpr std::string_view kReportGroupPrefix = "FRFORM:";

class TProblemCollector : public TCheckSink {
 public:
  TProblemCollector(std::vector<TCheckProblem>& problems, int column, LANGID langId)
      : problems_(problems), column_(column), langId_(langId) {}

  const TCheckDef* Check = nullptr;

  void Report(const TExchangeUnit& unit, std::string message) override {
    TCheckProblem problem;
    problem.LangId = langId_;
    problem.Item = unit.Place;
    problem.Check = std::string(Check->Name);
    problem.Severity = Check->Severity;
    problem.Native = unit.Item->NativeValue()->Text;
    problem.Translation = unit.Item->Values(column_)->Text;
    problem.Message = std::move(message);
    problems_.push_back(std::move(problem));
  }

 private:
  std::vector<TCheckProblem>& problems_;
  int column_;
  LANGID langId_;
};

bool IsIgnored(const TCheckProblem& problem, const std::vector<TIgnoredCheck>& ignored) {
  if (ignored.empty()) return false;
  const std::string abbr = GetLangAbbr(problem.LangId);
  return std::any_of(ignored.begin(), ignored.end(), [&](const TIgnoredCheck& entry) {
    return (entry.Lang == "*" || SameText(entry.Lang, abbr)) && entry.Check == problem.Check &&
           entry.Item == problem.Item;
  });
}

}  // namespace

const char* SeverityName(TCheckSeverity severity) {
  return severity == TCheckSeverity::Error ? "error" : "warning";
}

const std::vector<TCheckDef>& CheckTable() {
  static const std::vector<TCheckDef> table = {
      {"format", TCheckSeverity::Error, CheckFormat, nullptr, false},
      {"accelerator", TCheckSeverity::Error, CheckAccelerator, nullptr, false},
      {"hotkeys", TCheckSeverity::Warning, nullptr, CheckHotkeys, true},
      {"string-list", TCheckSeverity::Error, CheckStringList, nullptr, false},
      {"report-expressions", TCheckSeverity::Error, CheckReportExpressions, nullptr, false},
      {"line-breaks", TCheckSeverity::Warning, CheckLineBreaks, nullptr, false},
      {"spaces", TCheckSeverity::Warning, CheckSpaces, nullptr, false},
      {"end-punctuation", TCheckSeverity::Warning, CheckEndPunctuation, nullptr, false},
      {"identical", TCheckSeverity::Warning, CheckIdentical, nullptr, false},
      {"empty", TCheckSeverity::Error, CheckEmpty, nullptr, false},
      {"length", TCheckSeverity::Warning, CheckLength, nullptr, false},
  };
  return table;
}

const TCheckDef* FindCheck(std::string_view name) {
  for (const TCheckDef& check : CheckTable())
    if (check.Name == name) return &check;
  return nullptr;
}

bool TCheckSelection::Runs(std::string_view name) const {
  if (!Only.empty() && std::find(Only.begin(), Only.end(), name) == Only.end()) return false;
  return std::find(Skip.begin(), Skip.end(), name) == Skip.end();
}

std::vector<std::string> TCheckSelection::UnknownNames() const {
  std::vector<std::string> unknown;
  for (const auto* list : {&Only, &Skip})
    for (const std::string& name : *list)
      if (!FindCheck(name)) unknown.push_back(name);
  return unknown;
}

std::vector<TIgnoredCheck> ParseIgnoredChecks(const std::vector<std::string>& lines, const std::string& source) {
  std::vector<TIgnoredCheck> entries;
  for (const std::string& text : lines) {
    const std::string line = TrimSpaces(text);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size() && fields.size() < 3) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      std::size_t end = i;
      // The item is the rest of the line.
      if (fields.size() == 2) end = line.size();
      else
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
      if (end > i) fields.push_back(TrimSpaces(line.substr(i, end - i)));
      i = end;
    }
    if (fields.size() != 3)
      throw ECheckError(source + ": \"" + line +
                        "\" is not LANG CHECK ITEM (for example: DEU accelerator form/MainForm/miOpen/Caption)");
    entries.push_back({fields[0], fields[1], fields[2]});
  }
  return entries;
}

std::vector<TCheckProblem> CheckColumn(const TLocStorage& storage, int column, const TCheckSelection& selection,
                                       const TFormTrees* forms, const std::vector<TIgnoredCheck>& ignored) {
  return CheckUnits(storage, column, CollectUnits(storage, column), selection, forms, ignored);
}

std::vector<TCheckProblem> CheckUnits(const TLocStorage& storage, int column, const std::vector<TExchangeUnit>& units,
                                      const TCheckSelection& selection, const TFormTrees* forms,
                                      const std::vector<TIgnoredCheck>& ignored) {
  std::vector<TCheckProblem> problems;
  TCheckContext context;
  context.Storage = &storage;
  context.Column = column;
  context.LangId = storage.Languages(column);
  context.Native = column == 0;
  context.Units = &units;
  context.Forms = forms;
  TProblemCollector collector(problems, column, context.LangId);

  std::vector<const TCheckDef*> unitRules;
  for (const TCheckDef& check : CheckTable())
    if (check.UnitRule && selection.Runs(check.Name)) unitRules.push_back(&check);
  if (!context.Native && !unitRules.empty()) {
    for (const TExchangeUnit& unit : units) {
      if (unit.Status == TUnitStatus::Untranslated || (unit.Kind != vkString && unit.Kind != vkStrings)) continue;
      TCheckUnit input;
      input.Unit = &unit;
      input.Native = unit.Item->NativeValue()->Text;
      input.Translation = unit.Item->Values(column)->Text;
      input.Name = unit.Item->ItemName;
      input.ReportText = unit.GroupKind == TGroupKind::ExtGroup && unit.GroupName.starts_with(kReportGroupPrefix);
      for (const TCheckDef* check : unitRules) {
        if (auto message = check->UnitRule(input)) {
          collector.Check = check;
          collector.Report(unit, std::move(*message));
        }
      }
    }
  }
  for (const TCheckDef& check : CheckTable()) {
    if (!check.ColumnRule || !selection.Runs(check.Name) || (context.Native && !check.InNative)) continue;
    collector.Check = &check;
    check.ColumnRule(context, collector);
  }
  for (TCheckProblem& problem : problems) problem.Ignored = IsIgnored(problem, ignored);
  return problems;
}

namespace {

// The units CollectUnits lists, in its order, with what names their group:
// add(item, group kind, group name).
template <class Add>
void WalkCheckUnits(const TLocStorage& storage, Add&& add) {
  auto unit = [&](TLocItem* item, TGroupKind group, const std::string& groupName) {
    const std::uint8_t kind = item->ValueKind();
    if ((kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings) &&
        !item->NativeValue()->Text.empty())
      add(item, group, groupName);
  };
  for (int u = 0; u < storage.Units->Count(); ++u) {
    const TLocUnit* owner = storage.Units->Items(u);
    for (int c = 0; c < owner->Constants->Count(); ++c) unit(owner->Constants->Items(c), TGroupKind::Unit, owner->ItemName);
  }
  for (int f = 0; f < storage.Forms->Count(); ++f) {
    const TLocForm* form = storage.Forms->Items(f);
    for (int p = 0; p < form->Properties->Count(); ++p) unit(form->Properties->Items(p), TGroupKind::Form, form->ItemName);
    for (int c = 0; c < form->Components->Count(); ++c) {
      const TLocComponent* component = form->Components->Items(c);
      for (int p = 0; p < component->Properties->Count(); ++p)
        unit(component->Properties->Items(p), TGroupKind::Form, form->ItemName);
    }
  }
  for (int g = 0; g < storage.ExtGroups->Count(); ++g) {
    const TLocExtGroup* group = storage.ExtGroups->Items(g);
    for (int e = 0; e < group->ExtItems->Count(); ++e) unit(group->ExtItems->Items(e), TGroupKind::ExtGroup, group->ItemName);
  }
}

}  // namespace

void ForEachCheckInput(const TLocStorage& storage, int column, const std::function<void(std::string_view)>& take) {
  WalkCheckUnits(storage, [&](const TLocItem* item, TGroupKind group, const std::string& groupName) {
    const char head[4] = {static_cast<char>(item->ValueKind()), static_cast<char>(StatusOf(*item, column)),
                          static_cast<char>(group),
                          static_cast<char>(group == TGroupKind::ExtGroup && groupName.starts_with(kReportGroupPrefix))};
    take(std::string_view(head, sizeof head));
    take(item->ItemName);
    for (const std::u16string_view text : {item->NativeValue()->Text.view(), item->Values(column)->Text.view()})
      take(std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)));
  });
}

TCheckCounts CountColumnProblems(const TLocStorage& storage, int column) {
  // The units without the places and names that only the problems' own
  // records use: no rule decides by them.
  std::vector<TExchangeUnit> units;
  // Counted first: a vector grown by doubling would hold them up to three times over.
  std::size_t count = 0;
  WalkCheckUnits(storage, [&](TLocItem*, TGroupKind, const std::string&) { ++count; });
  units.reserve(count);
  WalkCheckUnits(storage, [&](TLocItem* item, TGroupKind group, const std::string& groupName) {
    TExchangeUnit& unit = units.emplace_back();
    unit.GroupKind = group;
    if (group == TGroupKind::ExtGroup) unit.GroupName = groupName;
    unit.Kind = item->ValueKind();
    unit.Item = item;
    unit.Status = StatusOf(*item, column);
  });
  return CountProblems(CheckUnits(storage, column, units, TCheckSelection()));
}

std::vector<TCheckProblem> CheckPlaces(const TLocStorage& storage, int column, const std::vector<std::string>& places) {
  const std::unordered_set<std::string> wanted(places.begin(), places.end());
  std::vector<TExchangeUnit> units = CollectUnits(storage, column);
  std::erase_if(units, [&](const TExchangeUnit& unit) { return !wanted.contains(unit.Place); });
  return CheckUnits(storage, column, units, TCheckSelection());
}

std::map<std::string, std::vector<std::string>> ProblemNotes(const std::vector<TCheckProblem>& problems) {
  std::map<std::string, std::vector<std::string>> notes;
  for (const TCheckProblem& problem : problems)
    if (!problem.Ignored)
      notes[problem.Item].push_back(std::string(SeverityName(problem.Severity)) + " [" + problem.Check + "] " +
                                    problem.Message);
  return notes;
}

void TCheckCounts::Add(const TCheckProblem& problem) {
  if (problem.Ignored)
    ++Ignored;
  else
    ++(problem.Severity == TCheckSeverity::Error ? Errors : Warnings);
}

TCheckCounts CountProblems(const std::vector<TCheckProblem>& problems) {
  TCheckCounts counts;
  for (const TCheckProblem& problem : problems) counts.Add(problem);
  return counts;
}

std::string ProblemLine(const TCheckProblem& problem) {
  return GetLangAbbr(problem.LangId) + " " + problem.Item + ": " + SeverityName(problem.Severity) + " [" +
         problem.Check + "] " + problem.Message;
}

std::string QuoteText(std::u16string_view text) { return EscapeForLine(Utf16ToUtf8(text)); }

}  // namespace sw
