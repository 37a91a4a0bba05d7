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

#include "app/Controls.h"
#include "app/LibraryRun.h"
#include "app/LibrarySettings.h"

namespace sw {

class TLangDialogLogic;

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
  // The settings could not be saved while the window closes: try again,
  // close anyway (the unsaved changes are lost) or keep the window open.
  // Without an override this is a Retry/Cancel question (Cancel keeps it open).
  virtual TCloseAnswer AskCloseAfterFailedSave(const std::string& message);
};

class TMainWindowLogic {
 public:
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
  int ScanFlags = sfAllFiles;
  int Updating = 0;
  std::string DefaultLibPath;
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
  TCheckBoxModel cbRemoveUnusedItems{"cbRemoveUnusedItems", "Remove unused items during refresh", false};
  TLabelModel gbFilesToScan{"gbFilesToScan", "Files to Scan"};
  TCheckBoxModel cbResFiles{"cbResFiles", ".RES, .R32 files", true};
  TCheckBoxModel cbPasFiles{"cbPasFiles", ".PAS files", true};
  TCheckBoxModel cbDFMFiles{"cbDFMFiles", ".DFM Files", true};
  TCheckBoxModel cbRCFiles{"cbRCFiles", ".RC Files", true};
  TLabelModel gbLanguages{"gbLanguages", "Languages"};
  TListViewModel lvLanguages{"lvLanguages"};
  TButtonModel btAuto{"btAuto", "Au&to"};
  TButtonModel btAddLang{"btAddLang", "&Add"};
  TButtonModel btEditLang{"btEditLang", "&Edit"};
  TButtonModel btDelLang{"btDelLang", "&Delete"};
  TLabelModel pnlLangCount{"pnlLangCount", "Languages"};
  TLabelModel miLibrary{"miLibrary", "&Library"};
  TButtonModel miNew{"miNew", "&New"};
  TButtonModel miDelete{"miDelete", "&Delete"};
  TButtonModel miExit{"miExit", "E&xit"};
  TLabelModel Help1{"Help1", "&Help"};
  TButtonModel About1{"About1", "&About"};

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
  // Names of the folder's entries (files and folders, "." and ".." too),
  // hidden and system entries left out; empty when the folder does not exist.
  static std::vector<std::string> ListFolderEntries(const std::string& folder);

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
  void sbSrcDirClick();
  void sbDestDirClick();
  void cbResFilesClick();
  int ScanFlagsFromBoxes() const;
  TCheckBoxModel& KindBox(int bit);
  TLibraryDefinition DefinitionFromControls() const;
  void miDeleteClick();
  void btProcessClick();
  void btAddLangClick();
  void btEditLangClick();
  void btDelLangClick();
  void lvLanguagesDragDrop(int targetRow);

  TLibrarySettings settings_;
  IMainWindowDialogs& dialogs_;
};

}  // namespace sw
