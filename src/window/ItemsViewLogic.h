// The items view's logic, free of any window toolkit: every translatable item
// of one translation language of a library as a row (its path, native text,
// translation, status and the translation checks' problems), filtered by
// status, by problem and by text, sorted by any column; the native text an
// out-of-date translation was made for, from the library's memory, as a word
// diff against today's; editing a translation in place; and putting a
// problem on the library's ignore list.
//
// The rows are a view over one loaded storage: a row is an index into the
// storage's units (ExchangeUnits.h), and the texts are read from the storage
// when asked for, never copied per row. Filtering and sorting rebuild index
// vectors only.
//
// An edited translation is saved as an import of that one unit saves it
// (`ITranslationSaver`, the exchange service): the language file replaced
// atomically under its lock, the translation made up to date, the memory
// updated. The row then takes the saved text and revision, and its checks
// run again. A build without the exchange layer has no saver: the view is
// read-only there. A build without a diff library shows the old and the new
// text whole.
//
// Nothing here shows anything or asks the user; errors are raised for the
// view to show.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/Checks.h"
#include "storage/ExchangeUnits.h"

namespace sw {

class TFormTrees;
class TTranslationMemory;

// The library whose items are shown.
struct TItemsLibrary {
  std::string DestDir;
  std::string ShortName;
  std::vector<LANGID> Languages;  // the first is native
  std::string MemoryFile;         // "" or missing: no previous native texts
  // The native language's source folder, for the hotkeys check's form
  // structure ("" or missing: hotkeys are not checked).
  std::string NativeFormsFolder;
  // Where the ignore list is: the settings file and the library's number
  // ([IgnoredChecks<N>Lib]); 0: the library is not stored, nothing can be ignored.
  std::string SettingsFile;
  int LibraryNumber = 0;
};

// Saves one edited translation, made up to date; answers the language file's
// revision afterwards. Raises an Exception naming the file when it cannot.
class ITranslationSaver {
 public:
  virtual ~ITranslationSaver() = default;
  virtual std::int32_t Save(const TItemsLibrary& library, LANGID langId, const std::string& place,
                            const std::u16string& native, const std::u16string& text) = 0;
};

// The saver of this build (the exchange service's import); nullptr when the
// build has no exchange layer.
std::unique_ptr<ITranslationSaver> MakeTranslationSaver();

// Which statuses a row may have to be shown. Open: out of date or untranslated.
enum class TStatusFilter { All, Open, UpToDate, OutOfDate, Untranslated };
enum class TItemsColumn { Path = 0, Native, Translation, Status, Problems };
inline constexpr int kItemsColumnCount = 5;

// One piece of a word diff: text both have, text only the old one had, or
// text only the new one has.
struct TDiffSegment {
  enum class TKind { Same, Deleted, Added };
  TKind Kind = TKind::Same;
  std::u16string Text;
  bool operator==(const TDiffSegment&) const = default;
};

// Whether this build compares words (with dtl); without, WordDiff gives the
// old text deleted and the new one added, whole.
bool WordDiffAvailable();
// The words and the blanks between them of `before` turned into `after`:
// equal runs merged, deletions before additions.
std::vector<TDiffSegment> WordDiff(std::u16string_view before, std::u16string_view after);

// Simple case folding of UTF-16 code units (Latin, Greek, Cyrillic and
// Armenian letters); other characters stay as they are.
char16_t FoldChar(char16_t c);
std::u16string FoldCase(std::u16string_view text);
// Whether `text` holds `foldedNeedle` (already folded), ignoring case.
bool ContainsFolded(std::u16string_view text, std::u16string_view foldedNeedle);

class TItemsViewLogic {
 public:
  // Problem filter values besides a check's name.
  static constexpr const char* kAnyProblem = "*";
  static constexpr const char* kNoProblem = "-";

  TItemsViewLogic(TItemsLibrary library, std::unique_ptr<ITranslationSaver> saver);
  ~TItemsViewLogic();
  TItemsViewLogic(const TItemsViewLogic&) = delete;
  TItemsViewLogic& operator=(const TItemsViewLogic&) = delete;

  const TItemsLibrary& Library() const { return library_; }
  // The translation languages, in library order.
  std::vector<LANGID> Translations() const;
  // Loads a translation language's items and checks them; filter and sort
  // stay. Raises EExchangeError when the native file does not exist, the
  // readers' errors for a damaged file, ECheckError for a bad ignore list.
  void Load(LANGID langId);
  LANGID LangId() const { return langId_; }
  bool Loaded() const { return loaded_ != nullptr; }
  bool Editable() const { return saver_ != nullptr; }
  // What loading could not do ("hotkeys not checked: ..."), for the view to show.
  const std::vector<std::string>& Notes() const { return notes_; }

  // Filters and order: each change rebuilds the visible rows.
  void SetStatusFilter(TStatusFilter filter);
  TStatusFilter StatusFilter() const { return statusFilter_; }
  // "" every row, kAnyProblem rows with a problem not ignored, kNoProblem
  // rows without one, else rows with a problem of that check (ignored or not).
  void SetProblemFilter(const std::string& filter);
  const std::string& ProblemFilter() const { return problemFilter_; }
  // Rows whose native text or translation holds `text` (UTF-8), case ignored.
  void SetTextFilter(const std::string& text);
  void Sort(TItemsColumn column, bool descending);
  TItemsColumn SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return descending_; }

  int RowCount() const { return static_cast<int>(visible_.size()); }
  int ItemCount() const { return static_cast<int>(units_.size()); }
  // "12 of 30 items".
  std::string CountText() const;

  // What row `row` (visible, 0-based) shows.
  const TExchangeUnit& Unit(int row) const { return units_[visible_.at(static_cast<std::size_t>(row))]; }
  const std::string& Path(int row) const { return Unit(row).ResName; }
  const std::string& Place(int row) const { return Unit(row).Place; }
  std::u16string Native(int row) const;
  // "" while untranslated (the stored value is then the native copy).
  std::u16string Translation(int row) const;
  TUnitStatus Status(int row) const { return Unit(row).Status; }
  const std::vector<TCheckProblem>& Problems(int row) const;
  // "error [accelerator], warning [spaces] (ignored)".
  std::string ProblemsText(int row) const;
  // The row of the item at `place` among the visible rows, -1 when hidden.
  int RowOfPlace(const std::string& place) const;

  // The native text an out-of-date row's translation was made for, when the
  // memory has it.
  std::optional<std::u16string> PreviousNative(int row);
  // That text turned into today's, as a word diff (empty without one).
  std::vector<TDiffSegment> NativeDiff(int row);

  // Saves `text` as row `row`'s translation, up to date; the row keeps its
  // place among the visible rows (filters apply again on the next change).
  // Raises when the view is read-only, the text is empty, or saving fails
  // (then nothing changed).
  void AcceptTranslation(int row, const std::u16string& text);
  // The first visible row after `row` (wrapping) that is out of date or
  // untranslated; -1 when none.
  int NextOpenRow(int row) const;
  // Puts problem `index` of row `row` on the library's ignore list; the
  // problem is marked ignored. Raises when the library is not stored.
  void IgnoreProblem(int row, std::size_t index);
  bool CanIgnore() const { return !library_.SettingsFile.empty() && library_.LibraryNumber > 0; }

  // "Up to date", "Out of date", "Untranslated".
  static const char* StatusText(TUnitStatus status);

 private:
  void Refilter();
  void Resort();
  template <typename KeyOf>
  void SortByKey(std::vector<std::uint32_t>& order, bool descending, KeyOf keyOf) const;
  bool Matches(std::size_t item) const;
  void Recheck(std::size_t item);
  std::vector<TIgnoredCheck> IgnoreList() const;

  TItemsLibrary library_;
  std::unique_ptr<ITranslationSaver> saver_;
  LANGID langId_ = 0;
  std::unique_ptr<TLoadedLanguage> loaded_;
  std::unique_ptr<TFormTrees> forms_;
  bool formsRead_ = false;
  std::unique_ptr<TTranslationMemory> memory_;
  bool memoryOpened_ = false;
  std::vector<std::string> notes_;

  std::vector<TExchangeUnit> units_;
  std::vector<std::vector<TCheckProblem>> problems_;  // by unit
  std::vector<std::uint32_t> order_;    // every unit, sorted
  std::vector<std::uint32_t> visible_;  // the units shown, in order

  TStatusFilter statusFilter_ = TStatusFilter::All;
  std::string problemFilter_;
  std::u16string textFilter_;  // folded
  TItemsColumn sortColumn_ = TItemsColumn::Path;
  bool descending_ = false;
  bool sorted_ = false;  // storage order until a column is chosen
};

}  // namespace sw
