// The items view's logic (see ItemsViewLogic.h).
#include "window/ItemsViewLogic.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "app/LibrarySettings.h"
#include "base/Unicode.h"
#include "checks/FormTree.h"
#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "util/LocaleCatalogue.h"
#include "window/CountsLogic.h"

#ifdef SHELFWRIGHT_HAVE_DTL
#include <dtl/dtl.hpp>
#endif

namespace sw {

namespace {

void Append(std::vector<TDiffSegment>& segments, TDiffSegment::TKind kind, const std::u16string& text) {
  if (text.empty()) return;
  if (!segments.empty() && segments.back().Kind == kind)
    segments.back().Text += text;
  else
    segments.push_back({kind, text});
}

#ifdef SHELFWRIGHT_HAVE_DTL
// A character's class for splitting: blank, part of a word (letters,
// digits, anything beyond ASCII that is not blank), or a sign of its own.
enum class TCharClass { Blank, Word, Sign };
TCharClass ClassOf(char16_t c) {
  if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x00A0) return TCharClass::Blank;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80)
    return TCharClass::Word;
  return TCharClass::Sign;
}

// Words, the blank runs between them and each sign ("&", "...", "%") as
// tokens of their own, so that "&Open..." and "&Open a file..." share their
// word and the diff keeps the spacing of both texts.
std::vector<std::u16string> Tokens(std::u16string_view text) {
  std::vector<std::u16string> tokens;
  std::size_t start = 0;
  for (std::size_t i = 1; i <= text.size(); ++i) {
    if (i < text.size() && ClassOf(text[i]) == ClassOf(text[start]) && ClassOf(text[i]) != TCharClass::Sign)
      continue;
    tokens.emplace_back(text.substr(start, i - start));
    start = i;
  }
  return tokens;
}

// Puts each run of changes in the order deleted, then added.
std::vector<TDiffSegment> Ordered(const std::vector<TDiffSegment>& segments) {
  std::vector<TDiffSegment> out;
  std::u16string deleted;
  std::u16string added;
  const auto flush = [&] {
    Append(out, TDiffSegment::TKind::Deleted, deleted);
    Append(out, TDiffSegment::TKind::Added, added);
    deleted.clear();
    added.clear();
  };
  for (const TDiffSegment& segment : segments) {
    if (segment.Kind == TDiffSegment::TKind::Same) {
      flush();
      Append(out, segment.Kind, segment.Text);
    } else {
      (segment.Kind == TDiffSegment::TKind::Deleted ? deleted : added) += segment.Text;
    }
  }
  flush();
  return out;
}

#endif

// The fold table of the BMP, made once.
const std::array<char16_t, 0x10000>& FoldTable() {
  static const std::array<char16_t, 0x10000> table = [] {
    std::array<char16_t, 0x10000> t{};
    for (std::size_t c = 0; c < t.size(); ++c) t[c] = static_cast<char16_t>(c);
    const auto range = [&](unsigned from, unsigned to, unsigned delta) {
      for (unsigned c = from; c <= to; ++c) t[c] = static_cast<char16_t>(c + delta);
    };
    const auto pairs = [&](unsigned from, unsigned to) {  // upper case even, lower case odd
      for (unsigned c = from; c < to; c += 2) t[c] = static_cast<char16_t>(c + 1);
    };
    range('A', 'Z', 32);
    range(0xC0, 0xD6, 32);
    range(0xD8, 0xDE, 32);
    pairs(0x100, 0x130);
    pairs(0x132, 0x138);
    for (unsigned c = 0x139; c < 0x148; c += 2) t[c] = static_cast<char16_t>(c + 1);
    pairs(0x14A, 0x178);
    t[0x178] = 0xFF;
    for (unsigned c = 0x179; c < 0x17E; c += 2) t[c] = static_cast<char16_t>(c + 1);
    range(0x391, 0x3A1, 32);
    range(0x3A3, 0x3AB, 32);
    range(0x400, 0x40F, 80);
    range(0x410, 0x42F, 32);
    pairs(0x460, 0x482);
    pairs(0x48A, 0x4C0);
    pairs(0x4D0, 0x530);
    range(0x531, 0x556, 48);
    pairs(0x1E00, 0x1E96);
    pairs(0x1EA0, 0x1F00);
    range(0xFF21, 0xFF3A, 32);
    return t;
  }();
  return table;
}

bool IsText(std::uint8_t kind) { return kind == vkString || kind == vkStrings; }

int StatusRank(TUnitStatus status) {
  // Open work first when sorted by status.
  switch (status) {
    case TUnitStatus::OutOfDate: return 0;
    case TUnitStatus::Untranslated: return 1;
    case TUnitStatus::UpToDate: return 2;
  }
  return 2;
}

}  // namespace

// ---- Word diff and case folding ------------------------------------------------------

#ifdef SHELFWRIGHT_HAVE_DTL
bool WordDiffAvailable() { return true; }

std::vector<TDiffSegment> WordDiff(std::u16string_view before, std::u16string_view after) {
  const std::vector<std::u16string> a = Tokens(before);
  const std::vector<std::u16string> b = Tokens(after);
  dtl::Diff<std::u16string, std::vector<std::u16string>> diff(a, b);
  diff.compose();
  std::vector<TDiffSegment> segments;
  for (const auto& [token, info] : diff.getSes().getSequence()) {
    const TDiffSegment::TKind kind = info.type == dtl::SES_ADD      ? TDiffSegment::TKind::Added
                                     : info.type == dtl::SES_DELETE ? TDiffSegment::TKind::Deleted
                                                                    : TDiffSegment::TKind::Same;
    Append(segments, kind, token);
  }
  return Ordered(segments);
}
#else
// No diff library in this build (the Windows cross build): the old text and the new one, whole.
bool WordDiffAvailable() { return false; }

std::vector<TDiffSegment> WordDiff(std::u16string_view before, std::u16string_view after) {
  std::vector<TDiffSegment> segments;
  if (before == after) {
    Append(segments, TDiffSegment::TKind::Same, std::u16string(after));
    return segments;
  }
  Append(segments, TDiffSegment::TKind::Deleted, std::u16string(before));
  Append(segments, TDiffSegment::TKind::Added, std::u16string(after));
  return segments;
}
#endif

char16_t FoldChar(char16_t c) { return FoldTable()[c]; }

std::u16string FoldCase(std::u16string_view text) {
  const auto& table = FoldTable();
  std::u16string out(text);
  for (char16_t& c : out) c = table[c];
  return out;
}

bool ContainsFolded(std::u16string_view text, std::u16string_view foldedNeedle) {
  if (foldedNeedle.empty()) return true;
  if (text.size() < foldedNeedle.size()) return false;
  const auto& table = FoldTable();
  const char16_t first = foldedNeedle[0];
  const std::size_t last = text.size() - foldedNeedle.size();
  for (std::size_t i = 0; i <= last; ++i) {
    if (table[text[i]] != first) continue;
    std::size_t j = 1;
    while (j < foldedNeedle.size() && table[text[i + j]] == foldedNeedle[j]) ++j;
    if (j == foldedNeedle.size()) return true;
  }
  return false;
}

// ---- The view ---------------------------------------------------------------------------

TItemsViewLogic::TItemsViewLogic(TItemsLibrary library, std::unique_ptr<ITranslationSaver> saver)
    : library_(std::move(library)), saver_(std::move(saver)) {}

TItemsViewLogic::~TItemsViewLogic() = default;

const char* TItemsViewLogic::StatusText(TUnitStatus status) {
  switch (status) {
    case TUnitStatus::UpToDate: return "Up to date";
    case TUnitStatus::OutOfDate: return "Out of date";
    case TUnitStatus::Untranslated: return "Untranslated";
  }
  return "";
}

std::vector<LANGID> TItemsViewLogic::Translations() const {
  if (library_.Languages.size() < 2) return {};
  return {library_.Languages.begin() + 1, library_.Languages.end()};
}

std::vector<TIgnoredCheck> TItemsViewLogic::IgnoreList() const {
  if (!CanIgnore()) return {};
  return ParseIgnoredChecks(TLibrarySettings(library_.SettingsFile).LoadIgnoredChecks(library_.LibraryNumber),
                            library_.SettingsFile + ": [" + IgnoredChecksSectionName(library_.LibraryNumber) + "]");
}

void TItemsViewLogic::Load(LANGID langId) {
  if (library_.Languages.empty()) throw EExchangeError("The library has no languages");
  const LANGID native = library_.Languages.front();
  const std::vector<TIgnoredCheck> ignored = IgnoreList();
  auto loaded = std::make_unique<TLoadedLanguage>(
      LoadLanguage(LangFileNameFor(library_.DestDir, library_.ShortName, native),
                   LangFileNameFor(library_.DestDir, library_.ShortName, langId), langId));
  if (!formsRead_) {
    formsRead_ = true;
    const std::string& folder = library_.NativeFormsFolder;
    if (folder.empty() || !platform::DirectoryExists(folder)) {
      notes_.push_back("hotkeys not checked: the native forms are needed and " +
                       (folder.empty() ? std::string("no source folder is given") : folder + " does not exist"));
    } else {
      forms_ = std::make_unique<TFormTrees>(ReadFormTrees(folder, native));
      for (const std::string& error : forms_->Errors) notes_.push_back("hotkeys not checked in " + error);
    }
  }
  std::vector<TExchangeUnit> units = CollectUnits(*loaded->Storage, loaded->Column);
  std::vector<std::vector<TCheckProblem>> problems(units.size());
  std::unordered_map<std::string_view, std::size_t> index;
  index.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) index.emplace(units[i].Place, i);
  for (TCheckProblem& problem :
       CheckUnits(*loaded->Storage, loaded->Column, units, TCheckSelection(), forms_.get(), ignored)) {
    const auto it = index.find(problem.Item);
    if (it != index.end()) problems[it->second].push_back(std::move(problem));
  }
  loaded_ = std::move(loaded);
  units_ = std::move(units);
  problems_ = std::move(problems);
  langId_ = langId;
  order_.resize(units_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<std::uint32_t>(i);
  Resort();
}

std::u16string TItemsViewLogic::Native(int row) const { return Unit(row).Item->NativeValue()->Text; }

std::u16string TItemsViewLogic::Translation(int row) const {
  const TExchangeUnit& unit = Unit(row);
  if (unit.Status == TUnitStatus::Untranslated) return {};
  return unit.Item->Values(loaded_->Column)->Text;
}

const std::vector<TCheckProblem>& TItemsViewLogic::Problems(int row) const {
  return problems_[visible_.at(static_cast<std::size_t>(row))];
}

std::string TItemsViewLogic::ProblemsText(int row) const {
  std::string text;
  for (const TCheckProblem& problem : Problems(row)) {
    if (!text.empty()) text += ", ";
    text += std::string(SeverityName(problem.Severity)) + " [" + problem.Check + "]";
    if (problem.Ignored) text += " (ignored)";
  }
  return text;
}

std::string TItemsViewLogic::CountText() const {
  return GroupedNumber(static_cast<std::int64_t>(visible_.size())) + " of " +
         CountOf(static_cast<std::int64_t>(units_.size()), "item", "items");
}

int TItemsViewLogic::RowOfPlace(const std::string& place) const {
  for (std::size_t row = 0; row < visible_.size(); ++row)
    if (units_[visible_[row]].Place == place) return static_cast<int>(row);
  return -1;
}

void TItemsViewLogic::SetStatusFilter(TStatusFilter filter) {
  statusFilter_ = filter;
  Refilter();
}

void TItemsViewLogic::SetProblemFilter(const std::string& filter) {
  problemFilter_ = filter;
  Refilter();
}

void TItemsViewLogic::SetTextFilter(const std::string& text) {
  textFilter_ = FoldCase(Utf8ToUtf16(text));
  Refilter();
}

void TItemsViewLogic::Sort(TItemsColumn column, bool descending) {
  sortColumn_ = column;
  descending_ = descending;
  sorted_ = true;
  Resort();
}

template <typename KeyOf>
void TItemsViewLogic::SortByKey(std::vector<std::uint32_t>& order, bool descending, KeyOf keyOf) const {
  // The keys are taken once, so that comparing touches only them; equal keys
  // keep storage order, whichever the direction.
  using Key = decltype(keyOf(units_.front(), 0));
  std::vector<std::pair<Key, std::uint32_t>> keys;
  keys.reserve(units_.size());
  for (std::size_t i = 0; i < units_.size(); ++i) keys.emplace_back(keyOf(units_[i], i), static_cast<std::uint32_t>(i));
  std::sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
    if (a.first != b.first) return descending ? b.first < a.first : a.first < b.first;
    return a.second < b.second;
  });
  order.clear();
  for (const auto& key : keys) order.push_back(key.second);
}

void TItemsViewLogic::Resort() {
  if (!loaded_) return;
  if (sorted_) {
    const int column = loaded_->Column;
    switch (sortColumn_) {
      case TItemsColumn::Path:
        SortByKey(order_, descending_, [&](const TExchangeUnit& u, std::size_t) { return std::string_view(u.ResName); });
        break;
      case TItemsColumn::Native:
        SortByKey(order_, descending_,
                  [&](const TExchangeUnit& u, std::size_t) { return std::u16string_view(u.Item->NativeValue()->Text); });
        break;
      case TItemsColumn::Translation:
        // Untranslated rows show no translation: they sort as empty.
        SortByKey(order_, descending_, [&](const TExchangeUnit& u, std::size_t) {
          return u.Status == TUnitStatus::Untranslated ? std::u16string_view()
                                                       : std::u16string_view(u.Item->Values(column)->Text);
        });
        break;
      case TItemsColumn::Status:
        SortByKey(order_, descending_, [&](const TExchangeUnit& u, std::size_t) { return StatusRank(u.Status); });
        break;
      case TItemsColumn::Problems:
        SortByKey(order_, descending_, [&](const TExchangeUnit&, std::size_t i) { return problems_[i].size(); });
        break;
    }
  } else {
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<std::uint32_t>(i);
  }
  Refilter();
}

bool TItemsViewLogic::Matches(std::size_t item) const {
  const TExchangeUnit& unit = units_[item];
  switch (statusFilter_) {
    case TStatusFilter::All: break;
    case TStatusFilter::Open:
      if (unit.Status == TUnitStatus::UpToDate) return false;
      break;
    case TStatusFilter::UpToDate:
      if (unit.Status != TUnitStatus::UpToDate) return false;
      break;
    case TStatusFilter::OutOfDate:
      if (unit.Status != TUnitStatus::OutOfDate) return false;
      break;
    case TStatusFilter::Untranslated:
      if (unit.Status != TUnitStatus::Untranslated) return false;
      break;
  }
  if (!problemFilter_.empty()) {
    const std::vector<TCheckProblem>& problems = problems_[item];
    if (problemFilter_ == kAnyProblem || problemFilter_ == kNoProblem) {
      const bool any =
          std::any_of(problems.begin(), problems.end(), [](const TCheckProblem& p) { return !p.Ignored; });
      if (any != (problemFilter_ == kAnyProblem)) return false;
    } else if (std::none_of(problems.begin(), problems.end(),
                            [&](const TCheckProblem& p) { return p.Check == problemFilter_; })) {
      return false;
    }
  }
  if (!textFilter_.empty()) {
    if (ContainsFolded(unit.Item->NativeValue()->Text, textFilter_)) return true;
    return unit.Status != TUnitStatus::Untranslated &&
           ContainsFolded(unit.Item->Values(loaded_->Column)->Text, textFilter_);
  }
  return true;
}

void TItemsViewLogic::Refilter() {
  visible_.clear();
  if (!loaded_) return;
  for (std::uint32_t item : order_)
    if (Matches(item)) visible_.push_back(item);
}

std::optional<std::u16string> TItemsViewLogic::PreviousNative(int row) {
  const TExchangeUnit& unit = Unit(row);
  if (unit.Status != TUnitStatus::OutOfDate || !IsText(unit.Kind)) return std::nullopt;
  if (!memoryOpened_) {
    memoryOpened_ = true;
    if (!library_.MemoryFile.empty() && platform::FileExists(library_.MemoryFile)) {
      try {
        memory_ = std::make_unique<TTranslationMemory>(library_.MemoryFile);
      } catch (const Exception& e) {
        notes_.push_back("No previous native texts: " + e.Describe());
      }
    }
  }
  if (!memory_) return std::nullopt;
  try {
    return memory_->TranslatedFrom(unit.Place, unit.Item->Values(loaded_->Column)->Revision);
  } catch (const Exception&) {
    return std::nullopt;  // a memory in use by a writer: no diff this time
  }
}

std::vector<TDiffSegment> TItemsViewLogic::NativeDiff(int row) {
  const std::optional<std::u16string> previous = PreviousNative(row);
  if (!previous) return {};
  return WordDiff(*previous, Native(row));
}

void TItemsViewLogic::Recheck(std::size_t item) {
  const std::vector<TIgnoredCheck> ignored = IgnoreList();
  const TExchangeUnit& unit = units_[item];
  TCheckSelection perUnit;
  perUnit.Skip = {"hotkeys"};
  problems_[item] = CheckUnits(*loaded_->Storage, loaded_->Column, {unit}, perUnit, nullptr, ignored);
  if (!forms_ || unit.GroupKind != TGroupKind::Form) return;
  // A changed hotkey can clash with, or free, any control of its form.
  for (auto& problems : problems_)
    std::erase_if(problems, [](const TCheckProblem& p) { return p.Check == "hotkeys"; });
  std::unordered_map<std::string_view, std::size_t> index;
  for (std::size_t i = 0; i < units_.size(); ++i) index.emplace(units_[i].Place, i);
  TCheckSelection hotkeys;
  hotkeys.Only = {"hotkeys"};
  for (TCheckProblem& problem :
       CheckUnits(*loaded_->Storage, loaded_->Column, units_, hotkeys, forms_.get(), ignored)) {
    const auto it = index.find(problem.Item);
    if (it != index.end()) problems_[it->second].push_back(std::move(problem));
  }
}

void TItemsViewLogic::AcceptTranslation(int row, const std::u16string& text) {
  if (!saver_) throw EExchangeError("This build cannot save translations from the items view");
  const std::size_t item = visible_.at(static_cast<std::size_t>(row));
  TExchangeUnit& unit = units_[item];
  const std::u16string& native = unit.Item->NativeValue()->Text;
  if (text.empty()) throw EExchangeError("An empty translation is not saved; the item stays as it is");
  const std::u16string saved = WithLineBreaksOf(text, native);
  const std::int32_t revision = saver_->Save(library_, langId_, unit.Place, native, saved);
  TLocValue* value = unit.Item->Values(loaded_->Column);
  value->SetText(saved);
  // The import stamps the value with the file's new revision, which is never
  // below the native text's; without a change the stored one stays.
  value->SetRevision(std::max({value->Revision, revision, unit.Item->NativeValue()->Revision}));
  value->SetState(lsTranslated, true);
  unit.Status = StatusOf(*unit.Item, loaded_->Column);
  Recheck(item);
}

int TItemsViewLogic::NextOpenRow(int row) const {
  const int count = RowCount();
  for (int step = 1; step <= count; ++step) {
    const int next = (std::max(row, -1) + step) % count;
    if (Status(next) != TUnitStatus::UpToDate) return next;
  }
  return -1;
}

void TItemsViewLogic::IgnoreProblem(int row, std::size_t index) {
  if (!CanIgnore()) throw EShelfwrightError("The library is not stored in a settings file: nothing can be ignored");
  const std::size_t item = visible_.at(static_cast<std::size_t>(row));
  TCheckProblem& problem = problems_[item].at(index);
  TLibrarySettings(library_.SettingsFile)
      .AddIgnoredCheck(library_.LibraryNumber, GetLangAbbr(problem.LangId) + " " + problem.Check + " " + problem.Item);
  // The same problem may sit on other rows too (hotkeys names both controls).
  for (auto& problems : problems_)
    for (TCheckProblem& p : problems)
      if (p.Check == problem.Check && p.Item == problem.Item && p.LangId == problem.LangId) p.Ignored = true;
}

}  // namespace sw
