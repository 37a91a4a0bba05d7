#include "window/MainWindowLogic.h"

#include <algorithm>
#include <filesystem>
#include <stop_token>

#include "window/LangDialogLogic.h"
#include "window/MoveLiteralsLogic.h"
#include "app/PseudoLanguage.h"
#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "runtime/IniFile.h"
#include "window/RulesEditorLogic.h"
#include "storage/ExchangeUnits.h"
#include "storage/PropRules.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "util/Messages.h"
#include "util/UserInteraction.h"

namespace sw {

namespace {

constexpr LANGID kLangEnglish = 0x09;
constexpr const char* SDeleteLibrary = "Delete library \"%s\"?";
constexpr const char* SDeleteLanguage = "Delete language \"%s\" (sub-folder \"%s\")?";
constexpr const char* SCloseSaveFailed = "The settings could not be saved:\r\n%s";
constexpr const char* SChangeNative =
    "Make \"%s\" the native language instead of \"%s\"?\r\n\r\n"
    "Every item is keyed by the native texts: the next Process reads the library anew from \"%s\".";
// Why Process waits, shown beside it while the library is incomplete.
constexpr const char* SNeedShortName = "Enter a short name: it names the language files.";
constexpr const char* SNeedSourceFolder = "Choose the source folder.";
constexpr const char* SNeedDestFolder = "Choose the destination folder.";
constexpr const char* SNeedLanguages = "Add the languages (Auto finds them in the source folder).";
constexpr const char* SResolvedFolder = "Folder: %s";

bool IsAbsoluteFolder(const std::string& folder) { return std::filesystem::path(folder).is_absolute(); }

// Sets `Updating` for the duration of a scope, back to 0 also on failure.
class UpdatingScope {
 public:
  UpdatingScope(int& updating, int value) : updating_(updating) { updating_ = value; }
  ~UpdatingScope() { updating_ = 0; }
  UpdatingScope(const UpdatingScope&) = delete;
  UpdatingScope& operator=(const UpdatingScope&) = delete;

 private:
  int& updating_;
};

class WaitCursor {
 public:
  explicit WaitCursor(IMainWindowDialogs& dialogs) : dialogs_(dialogs) { dialogs_.SetWaitCursor(true); }
  ~WaitCursor() { dialogs_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  IMainWindowDialogs& dialogs_;
};

}  // namespace

TCloseAnswer IMainWindowDialogs::AskCloseAfterFailedSave(const std::string& message) {
  return AskRetryCancel(SErrorCaption, message) == idRetry ? TCloseAnswer::Retry : TCloseAnswer::KeepOpen;
}

template <typename F>
void TMainWindowLogic::Guarded(F&& handler) {
  try {
    handler();
  } catch (const Exception& e) {
    dialogs_.ShowError(e.Describe());
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
}

TMainWindowLogic::TMainWindowLogic(std::string settingsFileName, IMainWindowDialogs& dialogs)
    : settings_(std::move(settingsFileName)), dialogs_(dialogs) {
  // The boxes start checked, so the library scans every kind until told otherwise.
  ScanFlags = sfDefaultFiles;
  for (const TFileKind& kind : kFileKinds)
    FileKindBoxes.push_back(
        std::make_unique<TCheckBoxModel>(std::string(kind.BoxName), std::string(kind.Caption), kind.ScannedByDefault));
  DefaultLibPath = ReadLibraryPath();

  lvLanguages.Columns = {{"Language Name", 220}, {"Sub-Folder", 100}, {"Coverage", 100}};
  btAuto.Hint = "Detect the languages from the names of the source folder's sub-folders";
  btAddLang.Hint = "Add new translation";
  btEditLang.Hint = "Edit translation settings";
  btDelLang.Hint = "Delete translation";
  btAddLang.SetEnabled(false);
  btEditLang.SetEnabled(false);
  btDelLang.SetEnabled(false);
  btMoveUp.Hint = "Move the language up (Ctrl+Up); the first language is the native one";
  btMoveDown.Hint = "Move the language down (Ctrl+Down)";
  btMoveUp.SetEnabled(false);
  btMoveDown.SetEnabled(false);
  pnlSettingsFile.SetCaption("Settings: " + settings_.FileName());

  btProcess.OnClick = [this] { btProcessClick(); };
  btCancel.OnClick = [this] { btCancelClick(); };
  exchange_ = MakeTranslatorsExchange();
  miExport.OnClick = [this] { Guarded([this] { ExchangeClick(TExchangeDialogLogic::TMode::Export); }); };
  miImport.OnClick = [this] { Guarded([this] { ExchangeClick(TExchangeDialogLogic::TMode::Import); }); };
  miPseudo.OnClick = [this] { Guarded([this] { miPseudoClick(); }); };
  miItems.OnClick = [this] { Guarded([this] { miItemsClick(); }); };
  miPropRules.OnClick = [this] { Guarded([this] { EditPropRules(false); }); };
  miDefaultRules.OnClick = [this] { Guarded([this] { EditPropRules(true); }); };
  btClose.OnClick = [this] { dialogs_.CloseWindow(); };
  miExit.OnClick = [this] { dialogs_.CloseWindow(); };
  About1.OnClick = [this] { dialogs_.ShowAboutBox(); };
  miNew.OnClick = [this] { Guarded([this] { NewLibrary(); }); };
  miDelete.OnClick = [this] { Guarded([this] { miDeleteClick(); }); };
  cbLibraries.OnChange = [this] { Guarded([this] { cbLibrariesChange(); }); };
  edLibName.OnChange = [this] { Guarded([this] { edLibNameChange(); }); };
  edLibShortName.OnEnter = [this] { edLibShortNameEnter(); };
  edDestDir.OnEnter = [this] { edDestDirEnter(); };
  edSrcDir.OnChange = [this] { Guarded([this] { edSrcDirChange(); }); };
  edSrcDir.OnExit = [this] { Guarded([this] { edSrcDirExit(); }); };
  // An edit is committed when its field is left: the library is saved then,
  // so that no way of ending the program loses it.
  for (TEditModel* edit : {&edLibName, &edLibShortName, &edDestDir}) {
    edit->OnExit = [this] { Guarded([this] { CommitLibrary(); }); };
  }
  edLibShortName.OnChange = [this] { UpdateProcessState(); };
  edDestDir.OnChange = [this] { UpdateProcessState(); };
  for (TCheckBoxModel* box : {&cbRemoveUnusedItems, &cbKeepUnchangedFiles}) {
    box->OnClick = [this] {
      if (Updating == 0) Guarded([this] { CommitLibrary(); });
    };
  }
  sbSrcDir.OnClick = [this] { sbSrcDirClick(); };
  sbDestDir.OnClick = [this] { sbDestDirClick(); };
  for (const auto& box : FileKindBoxes) box->OnClick = [this] { cbResFilesClick(); };
  btAuto.OnClick = [this] { Guarded([this] { AutoRetrieve(); }); };
  btAddLang.OnClick = [this] { Guarded([this] { btAddLangClick(); }); };
  btEditLang.OnClick = [this] { Guarded([this] { btEditLangClick(); }); };
  btDelLang.OnClick = [this] { Guarded([this] { btDelLangClick(); }); };
  lvLanguages.OnClick = [this] { UpdateButtons(); };
  lvLanguages.OnDragDrop = [this](int targetRow) { Guarded([this, targetRow] { lvLanguagesDragDrop(targetRow); }); };
  lvLanguages.OnKeyDown = [this](TListKey key, bool ctrl) { return lvLanguagesKeyDown(key, ctrl); };
  lvLanguages.OnDblClick = [this](int row) {
    if (row >= 0) btEditLang.Click();
  };
  btMoveUp.OnClick = [this] { Guarded([this] { MoveSelectedLanguage(-1); }); };
  btMoveDown.OnClick = [this] { Guarded([this] { MoveSelectedLanguage(+1); }); };
  UpdateButtons();
}

TMainWindowLogic::~TMainWindowLogic() = default;

// ---- Window events ------------------------------------------------------------

void TMainWindowLogic::FormShow() {
  if (!OpenSettingsFile()) return;
  // A placement that cannot be read is simply not remembered.
  try {
    Placement = settings_.LoadWindowPlacement();
  } catch (const std::exception&) {
    Placement = TWindowPlacement();
  }
  TLibraryList list;
  try {
    list = settings_.LoadLibraryList();
  } catch (const std::exception& e) {
    // Without the list a new library would take the number of a stored one
    // and be saved over it, and a file of another kind would be written
    // into: the window does not go on with this settings file.
    dialogs_.ShowError(e.what());
    Quit(1);
    return;
  }
  bool current = false;
  Guarded([&] {
    ApplyLibraryList(list);
    current = true;
  });
  // A library that did not load is reported; no new one is started over it.
  if (current && CurLib == 0) Guarded([this] { NewLibrary(); });
}

bool TMainWindowLogic::OpenSettingsFile() {
  switch (settings_.FileState()) {
    case TLibrarySettings::TFileState::Present:
      return true;
    case TLibrarySettings::TFileState::Folder:
      dialogs_.ShowError(Format(SIniIsFolder, SettingsFileName()));
      Quit(1);
      return false;
    case TLibrarySettings::TFileState::Missing:
      break;
  }
  // The default settings file is missing at first start; it is written when
  // a library is saved.
  if (!SettingsGivenExplicitly) return true;
  if (AskYesNo(Format(SSettingsFileCreate, SettingsFileName())) != idYes) {
    Quit(0);
    return false;
  }
  try {
    settings_.CreateFile();
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
    Quit(1);
    return false;
  }
  return true;
}

void TMainWindowLogic::Quit(int exitCode) {
  Quitting = true;
  ExitCode = exitCode;
}

bool TMainWindowLogic::FormClose() {
  // A settings file the window did not use is never written.
  if (Quitting) return true;
  for (;;) {
    try {
      // A library started and left as it was is not worth a section: the
      // library current before it stays the last used one.
      if (UntouchedNewLibrary()) {
        if (platform::FileExists(SettingsFileName())) settings_.SaveLastLib(libBeforeNew_);
      } else {
        SaveLastLib();
        if (CurLib > 0) SaveLibrary(CurLib);
      }
      // After the library, so that a placement that cannot be written costs no library.
      settings_.SaveWindowPlacement(Placement);
      return true;
    } catch (const std::exception& e) {
      switch (dialogs_.AskCloseAfterFailedSave(Format(SCloseSaveFailed, e.what()))) {
        case TCloseAnswer::Retry: continue;
        case TCloseAnswer::CloseAnyway: return true;
        case TCloseAnswer::KeepOpen: return false;
      }
      return false;
    }
  }
}

// ---- Settings -------------------------------------------------------------------

void TMainWindowLogic::LoadLibraryList() { ApplyLibraryList(settings_.LoadLibraryList()); }

void TMainWindowLogic::ApplyLibraryList(const TLibraryList& list) {
  CurLib = list.LastLib;
  GlobalPropRules.Assign(list.GlobalPropRules);
  {
    UpdatingScope scope(Updating, 1);
    cbLibraries.ClearItems();
    for (const auto& name : list.Names) cbLibraries.AddItem(name);
  }
  // A "LastLib" naming no listed library makes none current: saving it later
  // would write a library section behind a gap, which the list never reads.
  if (CurLib < 0 || CurLib > cbLibraries.Count()) CurLib = 0;
  if (cbLibraries.Count() > 0 && CurLib > 0) {
    cbLibraries.SetItemIndex(CurLib - 1);
    try {
      LoadLibrary(CurLib);
    } catch (...) {
      // The fields do not hold that library, so it must not be current:
      // saving them would overwrite it.
      CurLib = 0;
      cbLibraries.SetItemIndex(-1);
      throw;
    }
  }
}

void TMainWindowLogic::LoadLibrary(int n) {
  {
    UpdatingScope scope(Updating, 1);
    TLibraryDefinition library = settings_.LoadLibrary(n);
    edLibName.SetText(library.Name);
    edLibShortName.SetText(library.ShortName);
    edSrcDir.SetText(library.SrcDir);
    edDestDir.SetText(library.DestDir);
    for (const TFileKind& kind : kFileKinds) KindBox(kind.Bit).SetChecked((library.ScanFiles & kind.Bit) != 0);
    // Bits of no kind are dropped, so that what is scanned is what the boxes show.
    ScanFlags = ScanFlagsFromBoxes();
    Languages.Assign(library.Languages);
    LibraryPropRules.Assign(library.PropRules);
    cbRemoveUnusedItems.SetChecked(settings_.LoadRemoveUnused(n));
    cbKeepUnchangedFiles.SetChecked(library.KeepUnchangedFiles);
    RefreshLanguages();
  }
  newUnsaved_ = false;
  srcDirEdited_ = false;
  UpdateButtons();
  RefreshCoverage();
}

TLibraryDefinition TMainWindowLogic::DefinitionFromControls() const {
  TLibraryDefinition library;
  library.Name = edLibName.Text();
  library.ShortName = edLibShortName.Text();
  library.SrcDir = edSrcDir.Text();
  library.DestDir = edDestDir.Text();
  library.ScanFiles = ScanFlags;
  library.Languages.Assign(Languages);
  library.PropRules.Assign(LibraryPropRules);
  library.KeepUnchangedFiles = cbKeepUnchangedFiles.Checked();
  return library;
}

void TMainWindowLogic::SaveLibrary(int n) {
  settings_.SaveLibrary(n, DefinitionFromControls());
  settings_.SaveRemoveUnused(n, cbRemoveUnusedItems.Checked());
  if (n == CurLib) newUnsaved_ = false;
}

bool TMainWindowLogic::UntouchedNewLibrary() const {
  return newUnsaved_ && CurLib > 0 && edLibName.Text() == SNewLibraryName && edLibShortName.Text().empty() &&
         edSrcDir.Text().empty() && edDestDir.Text().empty() && Languages.Count() == 0;
}

void TMainWindowLogic::SaveLastLib() {
  settings_.SaveLastLib(CurLib);
}

TWindowPlacement TMainWindowLogic::FitPlacement(const TWindowPlacement& placement, const TWindowPlacement& screen) {
  if (!placement.Remembered() || !screen.Remembered()) return placement;
  TWindowPlacement fitted = placement;
  fitted.Width = std::min(fitted.Width, screen.Width);
  fitted.Height = std::min(fitted.Height, screen.Height);
  fitted.Left = std::clamp(fitted.Left, screen.Left, screen.Left + screen.Width - fitted.Width);
  fitted.Top = std::clamp(fitted.Top, screen.Top, screen.Top + screen.Height - fitted.Height);
  return fitted;
}

// ---- Library chooser and fields -------------------------------------------------

void TMainWindowLogic::cbLibrariesChange() {
  if (Updating != 0) return;
  if (UntouchedNewLibrary()) {
    // The untouched new library was never written: it leaves the chooser
    // (it is the last entry, behind the one chosen).
    const int chosen = cbLibraries.ItemIndex();
    if (chosen == CurLib - 1) return;
    {
      UpdatingScope scope(Updating, 2);
      cbLibraries.DeleteItem(CurLib - 1);
      cbLibraries.SetItemIndex(chosen);
    }
    newUnsaved_ = false;
    CurLib = chosen + 1;
    if (CurLib > 0) LoadLibrary(CurLib);
    return;
  }
  if (CurLib != 0) {
    try {
      SaveLibrary(CurLib);
    } catch (...) {
      // The fields still hold the library that could not be saved: the chooser shows it again.
      cbLibraries.SetItemIndex(CurLib - 1);
      throw;
    }
  }
  const int left = CurLib;
  CurLib = cbLibraries.ItemIndex() + 1;
  if (CurLib > 0) {
    try {
      LoadLibrary(CurLib);
    } catch (...) {
      // The fields still hold the library left, which stays current: the one
      // that did not load is never saved over.
      CurLib = left;
      cbLibraries.SetItemIndex(left - 1);
      throw;
    }
  }
}

void TMainWindowLogic::edLibNameChange() {
  if (Updating != 0) return;
  UpdatingScope scope(Updating, 2);
  if (CurLib > 0) cbLibraries.SetItem(CurLib - 1, edLibName.Text());
  cbLibraries.SetItemIndex(CurLib - 1);
}

void TMainWindowLogic::edLibShortNameEnter() {
  if (edLibShortName.Text().empty()) edLibShortName.SetText(ShortNameFromName(edLibName.Text()));
}

std::string TMainWindowLogic::ShortNameFromName(const std::string& name) {
  std::string result;
  bool upperNext = true;
  for (const char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
      result += upperNext ? UpCaseAscii(c) : c;
      upperNext = false;
    } else {
      upperNext = true;
    }
  }
  return result;
}

void TMainWindowLogic::edDestDirEnter() {
  // Only a complete suggestion is offered: a library path and a short name,
  // giving an absolute folder. A relative one would land wherever the
  // settings file happens to be.
  if (!edDestDir.Text().empty() || DefaultLibPath.empty() || edLibShortName.Text().empty()) return;
  const std::string suggestion = JoinPath(DefaultLibPath, edLibShortName.Text());
  if (IsAbsoluteFolder(suggestion)) edDestDir.SetText(suggestion);
}

std::string TMainWindowLogic::ResolvedFolder(const std::string& folder) const {
  TLibraryDefinition definition;
  definition.SrcDir = folder;
  return ResolveLibrary(definition, GlobalPropRules, SettingsFolder(SettingsFileName())).SrcDir;
}

std::string TMainWindowLogic::NativeSourceFolder() const {
  return TMoveLiteralsLogic::NativeFolder(ResolvedFolder(edSrcDir.Text()), Languages);
}

std::string TMainWindowLogic::IncompleteReason() const {
  if (edLibShortName.Text().empty()) return SNeedShortName;
  if (edSrcDir.Text().empty()) return SNeedSourceFolder;
  const std::string source = ResolvedFolder(edSrcDir.Text());
  if (!platform::DirectoryExists(source)) return Format(SSourceFolderMissing, source);
  if (edDestDir.Text().empty()) return SNeedDestFolder;
  if (Languages.Count() == 0) return SNeedLanguages;
  return "";
}

void TMainWindowLogic::CommitLibrary() {
  // Nothing is written for a settings file the window does not use, for a
  // library nobody has touched, or while a run holds the library.
  if (Quitting || CurLib <= 0 || UntouchedNewLibrary()) return;
  SaveLibrary(CurLib);
  SaveLastLib();
}

void TMainWindowLogic::edSrcDirChange() {
  if (Updating != 0) return;
  // Typing is not detection: a partial path may name some other existing
  // folder ("/" on the way to "/home/me/app/src"). Detection waits for the
  // user to leave the field.
  srcDirEdited_ = true;
  if (!platform::DirectoryExists(ResolvedFolder(edSrcDir.Text()))) {
    UpdateProcessState();
    return;
  }
  UpdateButtons();
}

void TMainWindowLogic::edSrcDirExit() {
  if (srcDirEdited_) {
    srcDirEdited_ = false;
    if (platform::DirectoryExists(ResolvedFolder(edSrcDir.Text()))) {
      if (lvLanguages.RowCount() == 0) AutoRetrieve();
    }
    UpdateButtons();
  }
  CommitLibrary();
}

void TMainWindowLogic::sbSrcDirClick() {
  std::string folder = ResolvedFolder(edSrcDir.Text());
  if (!dialogs_.SelectFolder(folder)) return;
  edSrcDir.SetText(folder);
  // A folder chosen in the dialog is complete: it is detected at once.
  Guarded([this] { edSrcDirExit(); });
}

void TMainWindowLogic::sbDestDirClick() {
  // The chooser starts where a relative folder leads; what it returns is whole.
  std::string folder = ResolvedFolder(edDestDir.Text());
  if (dialogs_.SelectFolder(folder)) edDestDir.SetText(folder);
}

TCheckBoxModel& TMainWindowLogic::KindBox(int bit) const {
  std::size_t k = 0;
  while (k + 1 < kFileKinds.size() && kFileKinds[k].Bit != bit) ++k;
  return *FileKindBoxes[k];
}

int TMainWindowLogic::ScanFlagsFromBoxes() const {
  int flags = 0;
  for (const TFileKind& kind : kFileKinds)
    if (KindBox(kind.Bit).Checked()) flags |= kind.Bit;
  return flags;
}

void TMainWindowLogic::cbResFilesClick() {
  if (Updating != 0) return;
  ScanFlags = ScanFlagsFromBoxes();
  Guarded([this] { CommitLibrary(); });
}

// ---- Library commands -------------------------------------------------------------

void TMainWindowLogic::NewLibrary() {
  if (UntouchedNewLibrary()) {
    // Already a fresh library: it is offered again rather than a second one.
    edLibName.SetFocus();
    edLibName.SelectAll();
    return;
  }
  if (CurLib > 0) SaveLibrary(CurLib);
  libBeforeNew_ = CurLib;
  {
    UpdatingScope scope(Updating, 2);
    edLibName.SetText(SNewLibraryName);
    edLibShortName.SetText("");
    edSrcDir.SetText("");
    edDestDir.SetText("");
    lvLanguages.ClearRows();
    Languages.Clear();
    LibraryPropRules.Clear();
    Coverage.clear();
    pnlLangCount.SetCaption(Format("Languages: %d", 0));
    // A new library scans every kind, and the boxes say so.
    for (const TFileKind& kind : kFileKinds) KindBox(kind.Bit).SetChecked(kind.ScannedByDefault);
    ScanFlags = sfDefaultFiles;
    CurLib = cbLibraries.Count() + 1;
    cbLibraries.AddItem(SNewLibraryName);
    cbLibraries.SetItemIndex(CurLib - 1);
  }
  newUnsaved_ = true;
  srcDirEdited_ = false;
  edLibName.SetFocus();
  edLibName.SelectAll();
  UpdateButtons();
}

void TMainWindowLogic::miDeleteClick() {
  if (CurLib == 0) return;
  if (AskYesNo(Format(SDeleteLibrary, cbLibraries.Items()[static_cast<std::size_t>(CurLib - 1)])) != idYes) return;
  settings_.DeleteLibrarySettings(CurLib, cbLibraries.Count());
  cbLibraries.DeleteItem(CurLib - 1);
  if (CurLib > cbLibraries.Count()) {
    --CurLib;
    if (CurLib > 0) cbLibraries.SetItemIndex(CurLib - 1);
  } else {
    cbLibraries.SetItemIndex(CurLib - 1);
  }
  if (CurLib > 0) {
    try {
      LoadLibrary(CurLib);
    } catch (...) {
      // The fields hold the deleted library: none is current, so they are
      // never saved over the one that moved into its number.
      CurLib = 0;
      cbLibraries.SetItemIndex(-1);
      UpdateButtons();
      throw;
    }
  } else {
    ClearLibraryFields();  // nothing is current: nothing of the deleted library stays on show
  }
  newUnsaved_ = false;
  UpdateButtons();
}

void TMainWindowLogic::ClearLibraryFields() {
  UpdatingScope scope(Updating, 2);
  edLibName.SetText("");
  edLibShortName.SetText("");
  edSrcDir.SetText("");
  edDestDir.SetText("");
  cbRemoveUnusedItems.SetChecked(false);
  cbKeepUnchangedFiles.SetChecked(false);
  Languages.Clear();
  LibraryPropRules.Clear();
  RefreshLanguages();
  srcDirEdited_ = false;
}

// ---- Processing -------------------------------------------------------------------

// One run: its own copy of the library (the window's fields may change while
// it runs), its stop request, and what it produced.
struct TMainWindowLogic::RunJob {
  TResolvedLibrary Library;
  int CurLib = 0;
  int Jobs = 0;
  std::stop_source Stop;
  TRunResult Result;
  std::vector<TCoverageCell> Coverage;
  std::vector<TCoverageCell> CoverageBefore;  // what the list showed when the run started
};

namespace {

void CopyLibrary(const TResolvedLibrary& from, TResolvedLibrary& to) {
  to.Name = from.Name;
  to.ShortName = from.ShortName;
  to.SrcDir = from.SrcDir;
  to.DestDir = from.DestDir;
  to.ScanFiles = from.ScanFiles;
  to.Languages.Assign(from.Languages);
  to.PropRules.Assign(from.PropRules);
  to.RemoveUnused = from.RemoveUnused;
  to.MemoryFile = from.MemoryFile;
  to.PreferFolders = from.PreferFolders;
  to.KeepUnchangedFiles = from.KeepUnchangedFiles;
}

std::vector<LANGID> LangIdsOf(const TLibLangList& languages) {
  std::vector<LANGID> ids;
  for (int i = 0; i < languages.Count(); ++i) ids.push_back(static_cast<LANGID>(languages[i]->LangId));
  return ids;
}

// The coverage after a cancelled run, without reading the language files
// again (on a large library that takes seconds, and a Cancel must end the
// run at once): the cells shown before stay where the run wrote nothing they
// depend on; a translation written, or every one once the native file was
// written, is not known until the files are read again.
std::vector<TCoverageCell> CoverageAfterCancel(const std::vector<TCoverageCell>& before, const TRunStats& stats,
                                               const std::vector<LANGID>& langIds) {
  std::vector<TCoverageCell> cells(langIds.size());
  bool nativeWritten = false;
  for (std::size_t i = 0; i < langIds.size(); ++i) {
    cells[i].LangId = langIds[i];
    cells[i].Native = i == 0;
    bool written = false;
    for (const TRunLanguageStats& language : stats.Languages)
      written = written || (language.LangId == langIds[i] && !language.Unchanged);
    if (i == 0) nativeWritten = written;
    if (i > 0 && !written && !nativeWritten && i < before.size() && before[i].LangId == langIds[i])
      cells[i] = before[i];
  }
  return cells;
}

}  // namespace

void TMainWindowLogic::btProcessClick() {
  if (running_) return;
  // Process is off while the library is incomplete; Enter may still reach here.
  if (!IncompleteReason().empty()) {
    UpdateButtons();
    return;
  }
  // What is processed is saved first: a run is never lost with the window.
  try {
    CommitLibrary();
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
    return;
  }
  LastRun = TRunResult();
  auto job = std::make_shared<RunJob>();
  try {
    LastRunLibrary = ResolveLibrary(DefinitionFromControls(), GlobalPropRules, SettingsFolder(SettingsFileName()));
    LastRunLibrary.RemoveUnused = cbRemoveUnusedItems.Checked();
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
    return;
  }
  CopyLibrary(LastRunLibrary, job->Library);
  job->CurLib = CurLib;
  job->CoverageBefore = Coverage;
  job->Jobs = settings_.LoadJobs();  // [Main] Jobs=, else the machine's cores
  job_ = job;
  running_ = true;
  btProcess.SetEnabled(false);
  // The language files belong to the run until it ends.
  miExport.SetEnabled(false);
  miImport.SetEnabled(false);
  miItems.SetEnabled(false);
  btCancel.SetEnabled(true);
  lblRunLanguage.SetCaption("Starting processing...");
  lblRunFiles.SetCaption("");
  pbRun.SetRange(0, 0);
  pnlRun.SetVisible(true);
  IRunHost* host = runHost_ ? runHost_ : &inPlaceHost_;
  host->RunInBackground(
      [this, job, host] {
        TRunControl control;
        // Each failed file is collected in the statistics and shown once, in the report.
        control.OnProgress = [this, job, host](const TRunProgress& progress) {
          host->Post([this, job, progress] { ShowProgress(*job, progress); });
        };
        control.Stop = job->Stop.get_token();
        control.Jobs = job->Jobs;
        // Nothing may escape a worker thread: what is left over ends the run as its error.
        try {
          job->Result = RunLibrary(job->Library, control);
          const std::vector<LANGID> langIds = LangIdsOf(job->Library.Languages);
          job->Coverage = job->Result.Stats.Cancelled
                              ? CoverageAfterCancel(job->CoverageBefore, job->Result.Stats, langIds)
                              : ReadLanguageCoverage(job->Library.DestDir, job->Library.ShortName, langIds);
        } catch (const std::exception& e) {
          if (!job->Result.Failure) job->Result.Failure = TRunFileError{"", e.what()};
        }
      },
      [this, job] { RunFinished(*job); });
}

void TMainWindowLogic::ShowProgress(const RunJob& job, const TRunProgress& progress) {
  if (job_.get() != &job) return;
  lblRunLanguage.SetCaption(Format("Language %d of %d: %s", progress.LanguageIndex + 1, progress.LanguageCount,
                                   progress.LanguageName));
  // After a Cancel the panel keeps saying so until the run has stopped.
  if (!job.Stop.stop_requested())
    lblRunFiles.SetCaption(Format("Files %d of %d", progress.FilesDone, progress.FilesTotal));
  // The bar covers the whole run: a part per language, filled by its files.
  constexpr int kSteps = 1000;
  const int withinLanguage = progress.FilesTotal > 0 ? progress.FilesDone * kSteps / progress.FilesTotal : 0;
  pbRun.SetRange(std::max(1, progress.LanguageCount) * kSteps, progress.LanguageIndex * kSteps + withinLanguage);
}

void TMainWindowLogic::btCancelClick() {
  if (!running_ || !job_) return;
  job_->Stop.request_stop();
  btCancel.SetEnabled(false);
  lblRunFiles.SetCaption("Cancelling after the current file...");
}

void TMainWindowLogic::RunFinished(RunJob& job) {
  const std::shared_ptr<RunJob> keep = job_;
  job_.reset();
  running_ = false;
  pnlRun.SetVisible(false);
  UpdateButtons();
  miExport.SetEnabled(true);
  miImport.SetEnabled(true);
  miItems.SetEnabled(true);
  LastRun = std::move(job.Result);
  // The coverage read after the run belongs to the library still shown, unless the user moved on.
  if (CurLib == job.CurLib) {
    Coverage = job.Coverage;
    if (OnCoverageChanged) OnCoverageChanged();
  } else {
    RefreshCoverage();
  }
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    dialogs_.CloseWindow();
    return;
  }
  TRunReportLogic report(job.Library, LastRun, job.Coverage);
  dialogs_.ShowRunReport(report);
}

// ---- Translators' exchange ---------------------------------------------------------

void TMainWindowLogic::ExchangeClick(TExchangeDialogLogic::TMode mode) {
  if (!exchange_ || running_) return;
  const TResolvedLibrary library =
      ResolveLibrary(DefinitionFromControls(), GlobalPropRules, SettingsFolder(SettingsFileName()));
  if (library.Languages.Count() < 2) {
    dialogs_.ShowError("The library has no translation language");
    return;
  }
  const TExchangeLibrary target{library.DestDir, library.ShortName, LangIdsOf(library.Languages), library.MemoryFile};
  const std::string nativeFile = LangFileNameFor(target.DestDir, target.ShortName, target.Languages.front());
  if (!platform::FileExists(nativeFile)) {
    dialogs_.ShowError("The library has not been processed yet: " + nativeFile + " does not exist");
    return;
  }
  std::vector<LANGID> translations;
  for (int i = 1; i < library.Languages.Count(); ++i)
    translations.push_back(static_cast<LANGID>(library.Languages[i]->LangId));
  // The selected translation is the one meant; else the first.
  const int selected = lvLanguages.Selected();
  const LANGID preselect = selected >= 1 && selected < Languages.Count()
                               ? static_cast<LANGID>(Languages[selected]->LangId)
                               : translations.front();
  const bool exporting = mode == TExchangeDialogLogic::TMode::Export;
  TExchangeDialogLogic dialog(mode, translations, preselect,
                              exporting || lastExportFolder_.empty() ? target.DestDir : lastExportFolder_,
                              target.ShortName);
  if (!exporting && !lastImportFile_.empty()) dialog.FileChosen(lastImportFile_);
  if (!dialogs_.ExecExchangeDialog(dialog)) return;
  TExchangeOutcome outcome;
  if (exporting) {
    outcome = exchange_->Export(target, dialog.SelectedLangId(), dialog.Po(), dialog.cbOnlyOpen.Checked(),
                                dialog.edFile.Text());
    lastExportFolder_ = ExtractFilePath(dialog.edFile.Text());
  } else {
    // Kept also when the import fails: the user tries again with the same file.
    lastImportFile_ = dialog.edFile.Text();
    try {
      outcome = exchange_->Import(target, dialog.SelectedLangId(), dialog.edFile.Text(), dialog.cbForce.Checked());
    } catch (const Exception& e) {
      RefreshCoverage();
      dialogs_.ShowError(TExchangeDialogLogic::WindowMessage(e.Describe()));
      return;
    } catch (...) {
      RefreshCoverage();
      throw;
    }
    RefreshCoverage();
  }
  dialogs_.ShowInformation(outcome.Summary);
}

void TMainWindowLogic::miItemsClick() {
  if (running_) return;  // the language files belong to the run
  CommitLibrary();       // the ignore list is the stored library's
  const TResolvedLibrary library =
      ResolveLibrary(DefinitionFromControls(), GlobalPropRules, SettingsFolder(SettingsFileName()));
  if (library.Languages.Count() < 2) {
    dialogs_.ShowError("The library has no translation language");
    return;
  }
  TItemsLibrary items;
  items.DestDir = library.DestDir;
  items.ShortName = library.ShortName;
  items.Languages = LangIdsOf(library.Languages);
  items.MemoryFile = library.MemoryFile;
  if (!library.SrcDir.empty()) items.NativeFormsFolder = JoinPath(library.SrcDir, library.Languages[0]->SubFolder);
  if (CurLib > 0 && !UntouchedNewLibrary()) {
    items.SettingsFile = SettingsFileName();
    items.LibraryNumber = CurLib;
  }
  const std::string nativeFile = LangFileNameFor(items.DestDir, items.ShortName, items.Languages.front());
  if (!platform::FileExists(nativeFile)) {
    dialogs_.ShowError("The library has not been processed yet: " + nativeFile + " does not exist");
    return;
  }
  dialogs_.ShowItemsView(items);
  RefreshCoverage();  // edits change what is translated
}

void TMainWindowLogic::miPseudoClick() {
  if (running_) return;  // the language files belong to the run
  const TResolvedLibrary library =
      ResolveLibrary(DefinitionFromControls(), GlobalPropRules, SettingsFolder(SettingsFileName()));
  const TPseudoResult result = WritePseudoLanguage(library, TPseudoRequest{});
  RefreshCoverage();
  dialogs_.ShowInformation(PseudoSummary(result));
}

void TMainWindowLogic::EditPropRules(bool defaults) {
  if (running_ || (!defaults && CurLib <= 0)) return;
  TStringList builtIn;
  SetDefaultPropRules(builtIn);
  TRulesEditorLogic editor(defaults ? TRulesEditorLogic::TScope::Defaults : TRulesEditorLogic::TScope::Library,
                           edLibName.Text(), defaults ? GlobalPropRules : LibraryPropRules,
                           defaults || GlobalPropRules.Empty() ? builtIn : GlobalPropRules);
  if (!dialogs_.ExecRulesEditor(editor) || !editor.Modified()) return;
  const TStringList rules = editor.Result().value_or(TStringList());
  if (defaults) {
    settings_.SavePropRules(0, rules);
    GlobalPropRules.Assign(rules);
  } else {
    // The library is written first: its rules never stand in the settings without it.
    SaveLibrary(CurLib);
    SaveLastLib();
    settings_.SavePropRules(CurLib, rules);
    LibraryPropRules.Assign(rules);
  }
}

bool TMainWindowLogic::FormCloseQuery() {
  if (!running_) return true;
  closeAfterRun_ = true;
  btCancelClick();
  return false;
}

TCoverageCell TMainWindowLogic::CoverageOfRow(int row) const {
  TCoverageCell none;
  if (row < 0 || row >= Languages.Count()) return none;
  none.LangId = static_cast<LANGID>(Languages[row]->LangId);
  if (row == 0) {
    none.Native = true;
    return none;
  }
  for (const TCoverageCell& cell : Coverage)
    if (!cell.Native && cell.LangId == none.LangId) return cell;
  return none;
}

void TMainWindowLogic::RefreshCoverage() {
  Coverage.clear();
  try {
    const TResolvedLibrary library =
        ResolveLibrary(DefinitionFromControls(), GlobalPropRules, SettingsFolder(SettingsFileName()));
    Coverage = ReadLanguageCoverage(library.DestDir, library.ShortName, LangIdsOf(library.Languages));
  } catch (const std::exception&) {
    // A library that cannot be resolved has no coverage to show.
  }
  if (OnCoverageChanged) OnCoverageChanged();
}

// ---- Languages -------------------------------------------------------------------

LANGID TMainWindowLogic::LanguageOfFolderName(const std::string& name) {
  if (name.empty()) return 0;
  if (const LANGID id = LangIdFromAbbr(name); id != 0) return MainLocaleOf(id);
  if (const LANGID id = LanguageOfName(name); id != 0) return id;
  // Short names like "bin" or "res" begin many a language name; only a
  // longer beginning names a language, and then the language as a whole:
  // the first locale whose name begins so may be any country's.
  if (name.size() < 4) return 0;
  return MainLocaleOf(PrimaryLangId(LangIdFromEnglishName(name)));
}

std::vector<TDetectedLanguage> TMainWindowLogic::DetectLanguages(const std::string& folder) {
  std::vector<TDetectedLanguage> found;
  if (!platform::DirectoryExists(folder)) return found;
  std::vector<std::string> names;
  for (const auto& entry : platform::ListFolder(folder, true)) {
    // Languages live in plain sub-folders; files, hidden and system entries name none.
    if ((entry.Attributes & platform::faDirectory) == 0) continue;
    if ((entry.Attributes & (platform::faHidden | platform::faSysFile)) != 0) continue;
    if (entry.Name == "." || entry.Name == "..") continue;
    names.push_back(entry.Name);
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  for (const auto& name : names) {
    const LANGID id = LanguageOfFolderName(name);
    if (id == 0) continue;
    if (std::any_of(found.begin(), found.end(), [id](const TDetectedLanguage& d) { return d.LangId == id; })) continue;
    found.push_back({id, name});
  }
  return found;
}

void TMainWindowLogic::AutoRetrieve() {
  const bool chooseNative = Languages.Count() == 0;
  {
    WaitCursor wait(dialogs_);
    for (const auto& language : DetectLanguages(ResolvedFolder(edSrcDir.Text())))
      Languages.AddLibLanguage(language.LangId, language.SubFolder);
  }
  srcDirEdited_ = false;
  // The native language of a new list: English when there is an English
  // folder, else the user's choice (declining keeps the first folder's).
  if (chooseNative && Languages.Count() > 1) {
    int native = -1;
    for (int i = 0; i < Languages.Count() && native < 0; ++i)
      if (PrimaryLangId(static_cast<LANGID>(Languages[i]->LangId)) == kLangEnglish) native = i;
    if (native < 0) {
      std::vector<std::string> names;
      for (const auto& language : Languages)
        names.push_back(DisplayLangName(static_cast<LANGID>(language->LangId)) + " (/" + language->SubFolder + ")");
      native = dialogs_.ChooseNativeLanguage(names);
    }
    if (native > 0 && native < Languages.Count()) Languages.Move(native, 0);
  }
  RefreshLanguages();
  LanguagesChanged();
}

void TMainWindowLogic::UpdateButtons() {
  UpdateProcessState();
  btAddLang.SetEnabled(!edSrcDir.Text().empty());
  const int row = lvLanguages.Selected();
  const bool selected = row >= 0;
  btEditLang.SetEnabled(selected);
  btDelLang.SetEnabled(selected);
  btMoveUp.SetEnabled(row > 0);
  btMoveDown.SetEnabled(selected && row < lvLanguages.RowCount() - 1);
}

void TMainWindowLogic::UpdateProcessState() {
  const std::string reason = IncompleteReason();
  btProcess.SetEnabled(!running_ && reason.empty());
  lblProcessReason.SetCaption(reason);
  for (auto [edit, label] : {std::pair{&edSrcDir, &lblSrcResolved}, std::pair{&edDestDir, &lblDestResolved}}) {
    // A relative folder is taken from the settings file's folder: the window says which.
    const bool relative = !edit->Text().empty() && !IsAbsoluteFolder(edit->Text());
    label->SetCaption(relative ? Format(SResolvedFolder, ResolvedFolder(edit->Text())) : "");
  }
}

bool TMainWindowLogic::ConfirmNativeChange(int from, int to) {
  if (Languages.Count() < 2 || from == to || (from != 0 && to != 0)) return true;
  const int newNative = from == 0 ? 1 : from;
  const auto name = [this](int row) { return DisplayLangName(static_cast<LANGID>(Languages[row]->LangId)); };
  return AskYesNo(Format(SChangeNative, name(newNative), name(0), Languages[newNative]->SubFolder)) == idYes;
}

void TMainWindowLogic::MoveSelectedLanguage(int delta) {
  const int from = lvLanguages.Selected();
  const int to = from + delta;
  if (from < 0 || to < 0 || to >= Languages.Count() || from >= Languages.Count()) return;
  // The first language is the native one: changing it re-keys every item.
  if (!ConfirmNativeChange(from, to)) return;
  Languages.Move(from, to);
  FillLanguageRows();
  lvLanguages.SetSelected(to);
  UpdateButtons();
  LanguagesChanged();
}

void TMainWindowLogic::LanguagesChanged() {
  UpdateButtons();
  RefreshCoverage();
  CommitLibrary();
}

bool TMainWindowLogic::lvLanguagesKeyDown(TListKey key, bool ctrl) {
  switch (key) {
    case TListKey::Up:
    case TListKey::Down:
      // Moving the selection is the list's own business; Ctrl moves the language.
      if (!ctrl || lvLanguages.Selected() < 0) return false;
      (key == TListKey::Up ? btMoveUp : btMoveDown).Click();
      return true;
    case TListKey::Delete:
      if (ctrl) return false;
      btDelLang.Click();
      return true;
    case TListKey::Enter:
      if (ctrl || lvLanguages.Selected() < 0) return false;
      btEditLang.Click();
      return true;
  }
  return false;
}

void TMainWindowLogic::RefreshLanguages() {
  lvLanguages.ClearRows();
  for (int i = 0; i < Languages.Count(); ++i) {
    lvLanguages.AddRow({});
    FillLanguageRow(i);
  }
  pnlLangCount.SetCaption(Format("Languages: %d", Languages.Count()));
}

void TMainWindowLogic::FillLanguageRow(int index) {
  const TLibLanguage* language = Languages.Items(index);
  std::string caption = DisplayLangName(static_cast<LANGID>(language->LangId));
  if (index == 0) caption += SNativeMark;
  lvLanguages.SetRow(index, {caption, {" /" + language->SubFolder}});
}

void TMainWindowLogic::FillLanguageRows() {
  for (int i = 0; i < Languages.Count() && i < lvLanguages.RowCount(); ++i) FillLanguageRow(i);
}

bool TMainWindowLogic::EditLanguage(TLibLanguage& language) {
  TLangDialogLogic dialog;
  dialog.FillLanguages();
  // Editing offers the language being edited, so that OK alone changes nothing.
  if (language.LangId != 0) dialog.SelectLangId(static_cast<LANGID>(language.LangId));
  dialog.SetSourceFolder(ResolvedFolder(edSrcDir.Text()));
  dialog.SelectSubFolder(language.SubFolder);
  if (!dialogs_.ExecLanguageDialog(dialog)) return false;
  language.LangId = dialog.SelectedLangId();
  language.SubFolder = dialog.SelectedSubFolder();
  return true;
}

void TMainWindowLogic::btAddLangClick() {
  auto language = std::make_unique<TLibLanguage>();
  if (!EditLanguage(*language)) return;
  const int index = Languages.Add(std::move(language));
  lvLanguages.AddRow({});
  FillLanguageRow(index);
  pnlLangCount.SetCaption(Format("Languages: %d", Languages.Count()));
  LanguagesChanged();
}

void TMainWindowLogic::btEditLangClick() {
  const int index = lvLanguages.Selected();
  if (index < 0) return;
  if (EditLanguage(*Languages.Items(index))) {
    FillLanguageRow(index);
    LanguagesChanged();
  }
}

void TMainWindowLogic::btDelLangClick() {
  const int index = lvLanguages.Selected();
  if (index < 0) return;
  const TLibLanguage* language = Languages.Items(index);
  if (AskYesNo(Format(SDeleteLanguage, DisplayLangName(static_cast<LANGID>(language->LangId)),
                      language->SubFolder)) != idYes)
    return;
  Languages.Delete(index);
  lvLanguages.DeleteRow(index);
  if (index == 0 && Languages.Count() > 0) FillLanguageRow(0);  // the new native language
  pnlLangCount.SetCaption(Format("Languages: %d", Languages.Count()));
  LanguagesChanged();
}

void TMainWindowLogic::lvLanguagesDragDrop(int targetRow) {
  const int from = lvLanguages.Selected();
  // Nothing is dragged while no row is selected.
  if (from < 0) return;
  const int rows = lvLanguages.RowCount();
  if (targetRow < 0 || targetRow >= rows) targetRow = rows;
  if (!ConfirmNativeChange(from, targetRow <= from ? targetRow : targetRow - 1)) return;
  const TListViewModel::Row row = lvLanguages.Rows()[static_cast<std::size_t>(from)];
  lvLanguages.InsertRow(targetRow, row);
  const int dragged = targetRow <= from ? from + 1 : from;
  lvLanguages.DeleteRow(dragged);
  const int to = targetRow <= from ? targetRow : targetRow - 1;
  lvLanguages.SetSelected(to);
  Languages.Move(from, to);
  FillLanguageRows();  // the native mark stays on the first row
  LanguagesChanged();
}

}  // namespace sw
