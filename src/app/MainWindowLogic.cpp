#include "app/MainWindowLogic.h"

#include "app/LangDialogLogic.h"
#include "app/RunMessages.h"
#include "platform/FileSystem.h"
#include "runtime/IniFile.h"
#include "util/QLocales.h"
#include "util/QStrings.h"
#include "util/QConsts.h"
#include "util/UserInteraction.h"

namespace sw {

namespace {

constexpr const char* SDeleteLibrary = "Delete library \"%s\"?";
constexpr const char* SDeleteLanguage = "Delete language \"%s\" (sub-folder \"%s\")?";
constexpr const char* SCloseSaveFailed = "The settings could not be saved:\r\n%s";

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
    dialogs_.ShowError(e.Message());
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
}

TMainWindowLogic::TMainWindowLogic(std::string settingsFileName, IMainWindowDialogs& dialogs)
    : settings_(std::move(settingsFileName)), dialogs_(dialogs) {
  // The boxes start checked, so the library scans all four kinds until told otherwise.
  ScanFlags = sfAllFiles;
  DefaultLibPath = ReadLibraryPath();

  lvLanguages.Columns = {{"Language Name", 220}, {"Sub-Folder", 100}};
  btAuto.Hint = "automatically retrieve translations ";
  btAddLang.Hint = "Add new translation";
  btEditLang.Hint = "Edit translation settings";
  btDelLang.Hint = "Delete translation";
  btAddLang.SetEnabled(false);
  btEditLang.SetEnabled(false);
  btDelLang.SetEnabled(false);

  btProcess.OnClick = [this] { btProcessClick(); };
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
  sbSrcDir.OnClick = [this] { sbSrcDirClick(); };
  sbDestDir.OnClick = [this] { sbDestDirClick(); };
  for (TCheckBoxModel* box : {&cbResFiles, &cbPasFiles, &cbDFMFiles, &cbRCFiles})
    box->OnClick = [this] { cbResFilesClick(); };
  btAuto.OnClick = [this] { Guarded([this] { AutoRetrieve(); }); };
  btAddLang.OnClick = [this] { Guarded([this] { btAddLangClick(); }); };
  btEditLang.OnClick = [this] { Guarded([this] { btEditLangClick(); }); };
  btDelLang.OnClick = [this] { Guarded([this] { btDelLangClick(); }); };
  lvLanguages.OnClick = [this] { UpdateButtons(); };
  lvLanguages.OnDragDrop = [this](int targetRow) { Guarded([this, targetRow] { lvLanguagesDragDrop(targetRow); }); };
}

TMainWindowLogic::~TMainWindowLogic() = default;

// ---- Window events ------------------------------------------------------------

void TMainWindowLogic::FormShow() {
  if (!OpenSettingsFile()) return;
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
      SaveLastLib();
      if (CurLib > 0) SaveLibrary(CurLib);
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
    // Bits beyond the four kinds are dropped, so that what is scanned is what the boxes show.
    ScanFlags = ScanFlagsFromBoxes();
    Languages.Assign(library.Languages);
    LibraryPropRules.Assign(library.PropRules);
    RefreshLanguages();
  }
  UpdateButtons();
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
  return library;
}

void TMainWindowLogic::SaveLibrary(int n) { settings_.SaveLibrary(n, DefinitionFromControls()); }

void TMainWindowLogic::SaveLastLib() {
  settings_.SaveLastLib(CurLib);
}

// ---- Library chooser and fields -------------------------------------------------

void TMainWindowLogic::cbLibrariesChange() {
  if (Updating != 0) return;
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
      result += upperNext && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
      upperNext = false;
    } else {
      upperNext = true;
    }
  }
  return result;
}

void TMainWindowLogic::edDestDirEnter() {
  if (edDestDir.Text().empty()) edDestDir.SetText(JoinPath(DefaultLibPath, edLibShortName.Text()));
}

void TMainWindowLogic::edSrcDirChange() {
  if (Updating != 0) return;
  if (!platform::DirectoryExists(edSrcDir.Text())) return;
  if (lvLanguages.RowCount() == 0) AutoRetrieve();
  UpdateButtons();
}

void TMainWindowLogic::sbSrcDirClick() {
  std::string folder = edSrcDir.Text();
  if (dialogs_.SelectFolder(folder)) edSrcDir.SetText(folder);
}

void TMainWindowLogic::sbDestDirClick() {
  std::string folder = edDestDir.Text();
  if (dialogs_.SelectFolder(folder)) edDestDir.SetText(folder);
}

TCheckBoxModel& TMainWindowLogic::KindBox(int bit) {
  switch (bit) {
    case sfResFiles: return cbResFiles;
    case sfPasFiles: return cbPasFiles;
    case sfRcFiles: return cbRCFiles;
    default: return cbDFMFiles;
  }
}

int TMainWindowLogic::ScanFlagsFromBoxes() const {
  int flags = 0;
  for (const TFileKind& kind : kFileKinds)
    if (const_cast<TMainWindowLogic*>(this)->KindBox(kind.Bit).Checked()) flags |= kind.Bit;
  return flags;
}

void TMainWindowLogic::cbResFilesClick() {
  if (Updating != 0) return;
  ScanFlags = ScanFlagsFromBoxes();
}

// ---- Library commands -------------------------------------------------------------

void TMainWindowLogic::NewLibrary() {
  if (CurLib > 0) SaveLibrary(CurLib);
  {
    UpdatingScope scope(Updating, 2);
    edLibName.SetText("New Library");
    edLibShortName.SetText("");
    edSrcDir.SetText("");
    edDestDir.SetText("");
    lvLanguages.ClearRows();
    Languages.Clear();
    LibraryPropRules.Clear();
    pnlLangCount.SetCaption(Format("Languages: %d", 0));
    // A new library scans every kind, and the boxes say so.
    for (TCheckBoxModel* box : {&cbResFiles, &cbPasFiles, &cbDFMFiles, &cbRCFiles}) box->SetChecked(true);
    ScanFlags = sfAllFiles;
    CurLib = cbLibraries.Count() + 1;
    cbLibraries.AddItem("New library");
    cbLibraries.SetItemIndex(CurLib - 1);
  }
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
  }
  UpdateButtons();
}

// ---- Processing -------------------------------------------------------------------

void TMainWindowLogic::btProcessClick() {
  ShowStatus("Starting processing...");
  LastRun = TRunResult();
  try {
    LastRunLibrary = ResolveLibrary(DefinitionFromControls(), GlobalPropRules, SettingsFolder(SettingsFileName()));
    LastRunLibrary.RemoveUnused = cbRemoveUnusedItems.Checked();
  } catch (const std::exception& e) {
    HideStatus();
    dialogs_.ShowError(e.what());
    return;
  }
  // Each failed file is shown as it fails, named with its place.
  TRunControl control;
  control.OnFileError = [](const TRunFileError& error) { ShowMessageBox(SErrorCaption, error.Text()); };
  control.Jobs = settings_.LoadJobs();
  LastRun = RunLibrary(LastRunLibrary, control);
  // The status window goes first, so nothing is hidden behind it.
  HideStatus();
  if (LastRun.Failure) {
    dialogs_.ShowError(LastRun.Failure->Text());
    return;
  }
  std::string report;
  for (const auto& error : LastRun.Stats.WriteErrors) report += "\r\n" + error.Text();
  if (!report.empty()) {
    dialogs_.ShowError(Format(SLanguageFilesNotWritten, static_cast<int>(LastRun.Stats.WriteErrors.size()),
                              LastRun.Stats.LanguageFilesPlanned) +
                       report);
    return;
  }
  std::string text = "Processing Complete";
  for (const auto& warning : LastRun.Stats.Warnings) text += "\r\n" + warning;
  dialogs_.ShowInformation(text);
}

// ---- Languages -------------------------------------------------------------------

std::vector<std::string> TMainWindowLogic::ListFolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (!platform::DirectoryExists(folder)) return names;
  for (const auto& entry : platform::ListFolder(folder, true)) {
    if ((entry.Attributes & (platform::faHidden | platform::faSysFile)) != 0) continue;
    names.push_back(entry.Name);
  }
  return names;
}

void TMainWindowLogic::AutoRetrieve() {
  WaitCursor wait(dialogs_);
  for (const auto& name : ListFolderEntries(edSrcDir.Text())) {
    LANGID id = LangIdFromAbbr(name);
    if (id == 0) id = LangIdFromEnglishName(name);
    if (id != 0) Languages.AddLibLanguage(id, name);
  }
  RefreshLanguages();
}

void TMainWindowLogic::UpdateButtons() {
  btAddLang.SetEnabled(!edSrcDir.Text().empty());
  const bool selected = lvLanguages.Selected() >= 0;
  btEditLang.SetEnabled(selected);
  btDelLang.SetEnabled(selected);
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
  lvLanguages.SetRow(index, {GetEnglishLangName(static_cast<LANGID>(language->LangId)), {" /" + language->SubFolder}});
}

bool TMainWindowLogic::EditLanguage(TLibLanguage& language) {
  TLangDialogLogic dialog;
  dialog.FillLanguages();
  // Editing offers the language being edited, so that OK alone changes nothing.
  if (language.LangId != 0) dialog.SelectLangId(static_cast<LANGID>(language.LangId));
  dialog.SetSourceFolder(edSrcDir.Text());
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
}

void TMainWindowLogic::btEditLangClick() {
  const int index = lvLanguages.Selected();
  if (index < 0) return;
  if (EditLanguage(*Languages.Items(index))) FillLanguageRow(index);
}

void TMainWindowLogic::btDelLangClick() {
  const int index = lvLanguages.Selected();
  if (index < 0) return;
  const TLibLanguage* language = Languages.Items(index);
  if (AskYesNo(Format(SDeleteLanguage, GetEnglishLangName(static_cast<LANGID>(language->LangId)),
                      language->SubFolder)) != idYes)
    return;
  Languages.Delete(index);
  lvLanguages.DeleteRow(index);
  pnlLangCount.SetCaption(Format("Languages: %d", Languages.Count()));
  UpdateButtons();
}

void TMainWindowLogic::lvLanguagesDragDrop(int targetRow) {
  const int from = lvLanguages.Selected();
  // Nothing is dragged while no row is selected.
  if (from < 0) return;
  const int rows = lvLanguages.RowCount();
  if (targetRow < 0 || targetRow >= rows) targetRow = rows;
  const TListViewModel::Row row = lvLanguages.Rows()[static_cast<std::size_t>(from)];
  lvLanguages.InsertRow(targetRow, row);
  const int dragged = targetRow <= from ? from + 1 : from;
  lvLanguages.DeleteRow(dragged);
  const int to = targetRow <= from ? targetRow : targetRow - 1;
  lvLanguages.SetSelected(to);
  Languages.Move(from, to);
  UpdateButtons();
}

}  // namespace sw
