// The main window's logic, free of any window toolkit: the library chooser
// and fields, the file kinds to scan, the language list with its buttons and
// drag-and-drop reordering, the library menu, and the Process command. It
// holds the window's state (`CurLib`, `ScanFlags`, `Updating`, `Languages`)
// and one model per control, named as the controls are; the Qt binding in
// src/ui/ shows those models and delivers the user's actions to them.
//
// Dialogs (folder selection, the language dialog, the about box, the error
// display) go through `IMainWindowDialogs`, so tests can script them.
// Questions and the status window go through the user-interaction seam.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "window/Controls.h"
#include "window/ExchangeDialogLogic.h"
#include "window/ItemsViewLogic.h"
#include "window/LanguageCoverage.h"
#include "app/LibraryRun.h"
#include "app/LibrarySettings.h"
#include "window/RunReportLogic.h"
#include "window/WindowRun.h"
#include "util/LocaleCatalogue.h"

namespace sw {

class TLangDialogLogic;
class TRulesEditorLogic;

// What the user chose after the settings could not be saved on close.
enum class TCloseAnswer { Retry, CloseAnyway, KeepOpen };

class IMainWindowDialogs {
 public:
  virtual ~IMainWindowDialogs() = default;
  // Folder selection starting at `folder`; on OK stores the choice and answers true.
  virtual bool SelectFolder(std::string& folder) = 0;
  // Shows the prepared language dialog modally; true when closed with OK.
  virtual bool ExecLanguageDialog(TLangDialogLogic& dialog) = 0;
  virtual void ShowAboutBox() = 0;
  // "Processing Complete" with an OK button.
  virtual void ShowInformation(const std::string& text) = 0;
  // The standard error display for a failure that ends an action.
  virtual void ShowError(const std::string& message) = 0;
  virtual void SetWaitCursor(bool wait) = 0;
  virtual void CloseWindow() = 0;
  // The report at the end of a run; without a report window, its text.
  virtual void ShowRunReport(TRunReportLogic& report) { ShowInformation(report.Text()); }
  // The export/import dialog modally; true when closed with its OK button.
  virtual bool ExecExchangeDialog(TExchangeDialogLogic& /*dialog*/) { return false; }
  // The items view of a library's translations, modally.
  virtual void ShowItemsView(const TItemsLibrary& /*library*/) {}
  // The property rules editor modally; true when closed with OK.
  virtual bool ExecRulesEditor(TRulesEditorLogic& /*editor*/) { return false; }
  // The settings could not be saved while the window closes: try again,
  // close anyway (the unsaved changes are lost) or keep the window open.
  // Without an override this is a Retry/Cancel question (Cancel keeps it open).
  virtual TCloseAnswer AskCloseAfterFailedSave(const std::string& message);
  // Asks which of the detected languages (named in `languages`, in list
  // order) is the native one; the chosen index, or -1 when the user declined.
  virtual int ChooseNativeLanguage(const std::vector<std::string>& languages) = 0;
};

// A language that a folder name stands for.
struct TDetectedLanguage {
  LANGID LangId = 0;
  std::string SubFolder;
  bool operator==(const TDetectedLanguage&) const = default;
};

class TMainWindowLogic {
 public:
  // The name of a library that has just been started, in the name edit and the chooser alike.
  static constexpr const char* SNewLibraryName = "New Library";
  // How the first row, the native language, is marked in the language list.
  static constexpr const char* SNativeMark = " \u2014 native";

  // FormCreate: no languages, `DefaultLibPath` from the sibling tool's
  // library path. Nothing is read from the settings yet.
  TMainWindowLogic(std::string settingsFileName, IMainWindowDialogs& dialogs);
  ~TMainWindowLogic();
  TMainWindowLogic(const TMainWindowLogic&) = delete;
  TMainWindowLogic& operator=(const TMainWindowLogic&) = delete;

  // Window state: the current library's languages and the property rules the
  // settings file holds (the library's own, the global ones); the run service
  // decides which are in force.
  TLibLangList Languages;
  TStringList LibraryPropRules;
  TStringList GlobalPropRules;
  // What the last Process ran and what it did.
  TResolvedLibrary LastRunLibrary;
  TRunResult LastRun;
  int CurLib = 0;
  int ScanFlags = sfDefaultFiles;
  int Updating = 0;
  std::string DefaultLibPath;
  // The window's placement: read from the settings when the window is shown
  // (the view applies it), written when it closes (the view sets it first).
  TWindowPlacement Placement;
  // Set before the window is shown when the user named the settings file:
  // a missing one is then offered for creation instead of being a first start.
  bool SettingsGivenExplicitly = false;
  // Set by FormShow when the window must close at once without writing
  // anything: the settings file cannot be used, or the user declined to
  // create it. `ExitCode` is the program's exit status then.
  bool Quitting = false;
  int ExitCode = 0;

  // Controls.
  TLabelModel MainForm{"MainForm", "Shelfwright"};
  TButtonModel btProcess{"btProcess", "Process"};
  TButtonModel btClose{"btClose", "Close"};
  // Why Process is off while the library is incomplete; hidden otherwise.
  TLabelModel lblProcessReason{"lblProcessReason"};
  TLabelModel Label1{"Label1", "Available libraries:"};
  TComboBoxModel cbLibraries{"cbLibraries"};
  TLabelModel gbLibSettings{"gbLibSettings", "Library Settings"};
  TLabelModel Label2{"Label2", "Name"};
  TEditModel edLibName{"edLibName"};
  TLabelModel Label3{"Label3", "Short Name"};
  TEditModel edLibShortName{"edLibShortName"};
  TLabelModel lblSrcDir{"lblSrcDir", "Source Folder"};
  TEditModel edSrcDir{"edSrcDir"};
  TButtonModel sbSrcDir{"sbSrcDir"};
  TLabelModel lblDestDir{"lblDestDir", "Destination Folder"};
  TEditModel edDestDir{"edDestDir"};
  TButtonModel sbDestDir{"sbDestDir"};
  // The folders a relative source or destination stands for (taken from the
  // settings file's folder); hidden for absolute ones.
  TLabelModel lblSrcResolved{"lblSrcResolved"};
  TLabelModel lblDestResolved{"lblDestResolved"};
  TCheckBoxModel cbRemoveUnusedItems{"cbRemoveUnusedItems", "Remove unused items during refresh", false};
  // Leave a language file whose texts and items did not change as it is,
  // revision included ([Library<N>] KeepUnchangedFiles).
  TCheckBoxModel cbKeepUnchangedFiles{"cbKeepUnchangedFiles", "&Keep unchanged language files as they are", false};
  TLabelModel gbFilesToScan{"gbFilesToScan", "Files to Scan"};
  // One check box per file kind, in the order of `kFileKinds`, named and
  // captioned by it; all checked at the start.
  std::vector<std::unique_ptr<TCheckBoxModel>> FileKindBoxes;
  // The box of the kind with `ScanFiles` bit `bit`.
  TCheckBoxModel& KindBox(int bit) const;
  TLabelModel gbLanguages{"gbLanguages", "Languages"};
  TListViewModel lvLanguages{"lvLanguages"};
  TButtonModel btAuto{"btAuto", "Au&to"};
  TButtonModel btAddLang{"btAddLang", "&Add"};
  TButtonModel btEditLang{"btEditLang", "&Edit"};
  TButtonModel btDelLang{"btDelLang", "&Delete"};
  TButtonModel btMoveUp{"btMoveUp", "Move &up"};
  TButtonModel btMoveDown{"btMoveDown", "Move do&wn"};
  TLabelModel pnlLangCount{"pnlLangCount", "Languages"};
  TLabelModel miLibrary{"miLibrary", "&Library"};
  TButtonModel miNew{"miNew", "&New"};
  TButtonModel miDelete{"miDelete", "&Delete"};
  TButtonModel miExit{"miExit", "E&xit"};
  TLabelModel Help1{"Help1", "&Help"};
  TButtonModel About1{"About1", "&About"};
  // The status bar names the settings file in use.
  TLabelModel pnlSettingsFile{"pnlSettingsFile"};
  // The translators' exchange, where this build has it (`ExchangeAvailable`).
  TButtonModel miExport{"miExport", "&Export for translators\u2026"};
  TButtonModel miImport{"miImport", "&Import translations\u2026"};
  bool ExchangeAvailable() const { return exchange_ != nullptr; }
  // The items view of the library shown (its translations, to read and edit).
  TButtonModel miItems{"miItems", "I&tems\u2026"};
  // The property rules of the library shown, and the default rules of every
  // library without its own; both are written when the editor closes with OK.
  TButtonModel miPropRules{"miPropRules", "Property &rules\u2026"};
  TButtonModel miDefaultRules{"miDefaultRules", "De&fault property rules\u2026"};
  // Writes the pseudo-language file (0x0501) of the library shown.
  TButtonModel miPseudo{"miPseudo", "&Pseudo-translate"};
  // The run in progress: shown while a run is on.
  TPanelModel pnlRun{"pnlRun"};
  TLabelModel lblRunLanguage{"lblRunLanguage"};
  TLabelModel lblRunFiles{"lblRunFiles"};
  TProgressBarModel pbRun{"pbRun"};
  TButtonModel btCancel{"btCancel", "Cancel"};

  // The run happens through the host (off the interface thread in the
  // program); without one it runs in place.
  void SetRunHost(IRunHost* host) { runHost_ = host; }
  bool Running() const { return running_; }
  // The window is asked to close: false while a run is on, which is then
  // cancelled and the window closed when it has ended.
  bool FormCloseQuery();

  // Coverage per language, read from the destination folder's files when a
  // library is loaded and after every run. `CoverageOfRow` is what the
  // language list shows beside row `row`.
  std::vector<TCoverageCell> Coverage;
  TCoverageCell CoverageOfRow(int row) const;
  void RefreshCoverage();
  std::function<void()> OnCoverageChanged;

  // Window events. FormClose answers whether the window may close; a failed
  // save asks the user first.
  void FormShow();
  bool FormClose();

  // Settings operations.
  void LoadLibraryList();
  void LoadLibrary(int n);
  void SaveLibrary(int n);
  void SaveLastLib();

  // Commands and operations of the window.
  void NewLibrary();
  void AutoRetrieve();
  void UpdateButtons();
  void RefreshLanguages();
  void FillLanguageRow(int index);
  bool EditLanguage(TLibLanguage& language);
  static std::string ShortNameFromName(const std::string& name);
  // The language a folder name stands for, 0 for none: an abbreviation
  // ("DEU", "de"), a language's name in English or in the language itself
  // ("German", "Deutsch") or, from four letters on, the beginning of an
  // English language name ("Germ"). Anything but a full abbreviation gives
  // the language's main locale ("DEU"), so files are named as for "DEU".
  static LANGID LanguageOfFolderName(const std::string& name);
  // The languages the plain sub-folders of `folder` stand for, ordered by
  // folder name (letter case ignored), each language once.
  static std::vector<TDetectedLanguage> DetectLanguages(const std::string& folder);
  // `placement` moved and shrunk as little as needed to lie within `screen`
  // (left, top, width, height); one not remembered stays as it is.
  static TWindowPlacement FitPlacement(const TWindowPlacement& placement, const TWindowPlacement& screen);

  // The native language's source folder as the run reads it (a relative
  // source folder taken from the settings file's folder); "" without a
  // source folder or languages. Move literals opens on it.
  std::string NativeSourceFolder() const;

  // Why the library cannot be processed yet ("" when it can): no short name,
  // no source folder or one that does not exist, no destination, no languages.
  std::string IncompleteReason() const;
  // Process on or off (with its reason), and the folders relative ones stand for.
  void UpdateProcessState();
  // Saves the current library and makes it the last used one, unless nothing
  // may be written (see `FormClose`); called whenever an edit is committed:
  // a field left, a box ticked, the language list changed, a run started.
  void CommitLibrary();

  // Moves the selected language one row up (-1) or down (+1); the selection
  // follows. A move that changes the native language asks first.
  void MoveSelectedLanguage(int delta);
  // A library started with "New" that nobody has changed yet: it is not
  // written to the settings file.
  bool UntouchedNewLibrary() const;

  const std::string& SettingsFileName() const { return settings_.FileName(); }

 private:
  // Runs an event handler; a failure goes to the error display.
  template <typename F>
  void Guarded(F&& handler);
  // Checks the settings file before it is read; false when the window quits.
  bool OpenSettingsFile();
  void Quit(int exitCode);
  // Fills the chooser and loads the last library; when that library does
  // not load, none is current.
  void ApplyLibraryList(const TLibraryList& list);

  void cbLibrariesChange();
  void edLibNameChange();
  void edLibShortNameEnter();
  void edDestDirEnter();
  void edSrcDirChange();
  void edSrcDirExit();
  void sbSrcDirClick();
  void sbDestDirClick();
  void cbResFilesClick();
  int ScanFlagsFromBoxes() const;
  TLibraryDefinition DefinitionFromControls() const;
  void miDeleteClick();
  void btProcessClick();
  void btCancelClick();
  void ExchangeClick(TExchangeDialogLogic::TMode mode);
  void miPseudoClick();
  void miItemsClick();
  void EditPropRules(bool defaults);
  struct RunJob;
  void RunFinished(RunJob& job);
  void ShowProgress(const RunJob& job, const TRunProgress& progress);
  void btAddLangClick();
  void btEditLangClick();
  void btDelLangClick();
  void lvLanguagesDragDrop(int targetRow);
  bool lvLanguagesKeyDown(TListKey key, bool ctrl);
  void FillLanguageRows();
  // After any change of the language list: buttons, coverage, saved.
  void LanguagesChanged();
  // Asks before a move of row `from` to row `to` changes the native language.
  bool ConfirmNativeChange(int from, int to);
  // `folder` as the run takes it: a relative one from the settings file's folder.
  std::string ResolvedFolder(const std::string& folder) const;
  void ClearLibraryFields();

  TLibrarySettings settings_;
  IMainWindowDialogs& dialogs_;
  TInPlaceRunHost inPlaceHost_;
  IRunHost* runHost_ = nullptr;
  bool running_ = false;
  bool closeAfterRun_ = false;
  std::shared_ptr<RunJob> job_;
  std::unique_ptr<ITranslatorsExchange> exchange_;
  // The file of the last import (offered again, also after an error) and
  // the folder of the last export (where the import's chooser starts).
  std::string lastImportFile_;
  std::string lastExportFolder_;
  // The source folder was typed into since languages were last detected.
  bool srcDirEdited_ = false;
  // The current library was started with "New" and has not been saved since;
  // `libBeforeNew_` is the library that was current before.
  bool newUnsaved_ = false;
  int libBeforeNew_ = 0;
};

}  // namespace sw
