// The main window's behaviour driven through its control models, without a
// window toolkit: dialogs and questions are answered by a script, and every
// talk to the user lands in one event log so that its order can be checked.
#include "app/MainWindowLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/AppTestSupport.h"
#include "app/LangDialogLogic.h"
#include "runtime/IniFile.h"
#include "support/TestSupport.h"
#include "util/QLocales.h"
#include "util/QStrings.h"

namespace sw {
namespace {

class ScriptedUser : public IUserInteraction, public IMainWindowDialogs {
 public:
  std::vector<std::string> Log;
  std::deque<int> Answers;                         // for AskYesNo; No when empty
  std::deque<std::optional<std::string>> Folders;  // for SelectFolder; nullopt = Cancel
  std::function<bool(TLangDialogLogic&)> LanguageDialog;
  int WaitCursorDepth = 0;

  void ShowMessage(const std::string& caption, const std::string& text) override {
    Log.push_back("message " + caption + ": " + text);
  }
  int AskYesNo(const std::string& text) override {
    Log.push_back("ask " + text);
    const int answer = Answers.empty() ? idNo : Answers.front();
    if (!Answers.empty()) Answers.pop_front();
    return answer;
  }
  int AskRetryCancel(const std::string&, const std::string& text) override {
    Log.push_back("retry? " + text);
    return idCancel;
  }
  void ShowStatus(const std::string& text) override { Log.push_back("status " + text); }
  void UpdateStatus(const std::string& text) override { Log.push_back("status " + text); }
  void HideStatus() override { Log.push_back("hide status"); }

  bool SelectFolder(std::string& folder) override {
    Log.push_back("select folder from " + folder);
    if (Folders.empty() || !Folders.front()) {
      if (!Folders.empty()) Folders.pop_front();
      return false;
    }
    folder = *Folders.front();
    Folders.pop_front();
    return true;
  }
  bool ExecLanguageDialog(TLangDialogLogic& dialog) override {
    Log.push_back("language dialog");
    return LanguageDialog ? LanguageDialog(dialog) : false;
  }
  void ShowAboutBox() override { Log.push_back("about"); }
  void ShowInformation(const std::string& text) override { Log.push_back("information " + text); }
  void ShowError(const std::string& message) override { Log.push_back("error " + message); }
  void SetWaitCursor(bool wait) override {
    WaitCursorDepth += wait ? 1 : -1;
    Log.push_back(wait ? "wait cursor" : "normal cursor");
  }
  void CloseWindow() override { Log.push_back("close"); }
  std::deque<TCloseAnswer> CloseAnswers;  // after a failed save on close; keep open when empty
  std::function<void()> OnSaveFailed;     // runs before the answer is given
  TCloseAnswer AskCloseAfterFailedSave(const std::string& message) override {
    Log.push_back("save failed " + message);
    if (OnSaveFailed) OnSaveFailed();
    const TCloseAnswer answer = CloseAnswers.empty() ? TCloseAnswer::KeepOpen : CloseAnswers.front();
    if (!CloseAnswers.empty()) CloseAnswers.pop_front();
    return answer;
  }

  bool Logged(const std::string& entry) const { return std::find(Log.begin(), Log.end(), entry) != Log.end(); }
};

// Finds the tree node carrying `data`, at any level.
const TLocaleTreeNode* FindNode(const TLocaleTreeNode& parent, int data) {
  for (int i = 0; i < parent.Count(); ++i) {
    if (parent.Item(i)->Data() == data) return parent.Item(i);
    if (const TLocaleTreeNode* found = FindNode(*parent.Item(i), data)) return found;
  }
  return nullptr;
}

class MainWindowLogicTest : public ::testing::Test {
 protected:
  MainWindowLogicTest() : installed_(&user_) {}

  // The window as the program creates and shows it.
  TMainWindowLogic& Open() {
    window_ = std::make_unique<TMainWindowLogic>(SettingsFile(), user_);
    window_->FormShow();
    return *window_;
  }
  void Close() {
    window_->FormClose();
    window_.reset();
  }
  std::string SettingsFile() const { return dir_.Path("shelfwright.ini"); }
  void WriteSettings(const std::string& text) const { dir_.Write("shelfwright.ini", text); }
  std::string Settings() const { return TempDir::Read(SettingsFile()); }
  // The user types into an edit (one change event for the whole text).
  static void Type(TEditModel& edit, const std::string& text) { edit.SetText(text); }
  // Language dialog script: pick `langId` and sub-folder `folder`, press OK.
  void AnswerLanguageDialog(int langId, const std::string& folder) {
    user_.LanguageDialog = [langId, folder](TLangDialogLogic& dialog) {
      dialog.SelectNode(FindNode(dialog.tvLang.Root(), langId));
      dialog.SelectSubFolder(folder);
      return dialog.btOK.Enabled();
    };
  }

  TempDir dir_;
  ScopedEnv libraryPath_{"LINGUADESK_LIBRARY_PATH", ""};
  ScriptedUser user_;
  ScopedUserInteraction installed_;
  std::unique_ptr<TMainWindowLogic> window_;
};

const char* const kTwoLibraries =
    "[Main]\r\nLastLib=2\r\n"
    "[Library1]\r\nName=Alpha\r\nShortName=Alpha\r\nSrcDir=/nowhere/alpha\r\nDestDir=/out/alpha\r\nScanFiles=3\r\n"
    "[Languages1Lib]\r\n1033=en\r\n1031=de\r\n"
    "[Library2]\r\nName=Beta\r\nShortName=Beta\r\nSrcDir=/nowhere/beta\r\nDestDir=/out/beta\r\n"
    "[Languages2Lib]\r\n1036=fr\r\n";

// ---- Start and the library chooser ----------------------------------------------

TEST_F(MainWindowLogicTest, FirstStartWithoutSettingsFileStartsNewLibrarySilently) {
  TMainWindowLogic& w = Open();
  EXPECT_TRUE(user_.Log.empty()) << user_.Log.front();
  EXPECT_EQ(w.edLibName.Text(), "New Library");
  EXPECT_TRUE(w.edLibName.AllSelected());
  EXPECT_EQ(w.edLibName.FocusRequests(), 1);
  ASSERT_EQ(w.cbLibraries.Items(), std::vector<std::string>{"New library"});
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 0);
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.Updating, 0);
  // The four boxes show checked and the library scans what they show.
  EXPECT_EQ(w.ScanFlags, sfAllFiles);
  for (const TCheckBoxModel* box : {&w.cbResFiles, &w.cbPasFiles, &w.cbDFMFiles, &w.cbRCFiles})
    EXPECT_TRUE(box->Checked()) << box->Name;
  EXPECT_FALSE(w.btAddLang.Enabled());
  EXPECT_FALSE(w.btEditLang.Enabled());
  EXPECT_FALSE(w.btDelLang.Enabled());
  EXPECT_FALSE(std::filesystem::exists(SettingsFile())) << "nothing is written before the library is saved";

  Close();
  TIniFile ini(SettingsFile());
  EXPECT_EQ(ini.ReadString("Main", "LastLib", ""), "1");
  EXPECT_EQ(ini.ReadString("Library1", "Name", ""), "New Library");
  EXPECT_EQ(ini.ReadString("Library1", "ScanFiles", ""), "15");
}

TEST_F(MainWindowLogicTest, FirstCloseCreatesTheSettingsFolder) {
  SKIP_ON_WINDOWS("POSIX rules for the settings file and the sibling tool's library path (Windows: test_platform)");
  const std::string settings = dir_.Path("config/shelfwright/shelfwright.ini");
  window_ = std::make_unique<TMainWindowLogic>(settings, user_);
  window_->FormShow();
  Close();
  EXPECT_TRUE(user_.Log.empty()) << user_.Log.front();
  EXPECT_EQ(TIniFile(settings).ReadString("Library1", "Name", ""), "New Library");
}

TEST_F(MainWindowLogicTest, LastLibZeroOrOutOfRangeAppendsNewLibraryBehindTheListed) {
  for (const char* lastLib : {"0", "7", "-3", " "}) {
    WriteSettings(std::string("[Main]\r\nLastLib=") + lastLib +
                  "\r\n[Library1]\r\nName=Alpha\r\n[Library2]\r\nName=Beta\r\n");
    TMainWindowLogic& w = Open();
    EXPECT_EQ(w.cbLibraries.Items(), (std::vector<std::string>{"Alpha", "Beta", "New library"})) << lastLib;
    EXPECT_EQ(w.cbLibraries.ItemIndex(), 2) << lastLib;
    EXPECT_EQ(w.CurLib, 3) << lastLib;
    window_.reset();
  }
}

TEST_F(MainWindowLogicTest, LoadsLastLibraryIntoFieldsBoxesAndLanguages) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  EXPECT_EQ(w.CurLib, 2);
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 1);
  EXPECT_EQ(w.edLibName.Text(), "Beta");
  EXPECT_EQ(w.edSrcDir.Text(), "/nowhere/beta");
  // No "ScanFiles" key: compiled resources only, and the boxes say so.
  EXPECT_EQ(w.ScanFlags, sfResFiles);
  EXPECT_TRUE(w.cbResFiles.Checked());
  EXPECT_FALSE(w.cbPasFiles.Checked());
  EXPECT_FALSE(w.cbDFMFiles.Checked());
  EXPECT_FALSE(w.cbRCFiles.Checked());
  ASSERT_EQ(w.lvLanguages.RowCount(), 1);
  EXPECT_EQ(w.lvLanguages.Rows()[0].SubItems, std::vector<std::string>{" /fr"});
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, GetEnglishLangName(0x040C));
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 1");
  EXPECT_TRUE(w.btAddLang.Enabled()) << "a source folder is set, existing or not";
  EXPECT_FALSE(w.btEditLang.Enabled());
  EXPECT_TRUE(user_.Log.empty());
}

TEST_F(MainWindowLogicTest, SwitchingLibrariesSavesTheOneLeftAndLoadsTheChosen) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  Type(w.edDestDir, "/out/beta2");
  w.cbPasFiles.SetChecked(true);  // the user's click
  EXPECT_EQ(w.ScanFlags, sfResFiles | sfPasFiles);

  w.cbLibraries.UserSelect(0);
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.edLibName.Text(), "Alpha");
  EXPECT_EQ(w.ScanFlags, 3);
  EXPECT_TRUE(w.cbResFiles.Checked() && w.cbPasFiles.Checked());
  EXPECT_FALSE(w.cbRCFiles.Checked() || w.cbDFMFiles.Checked());
  EXPECT_EQ(w.lvLanguages.RowCount(), 2);
  EXPECT_EQ(w.Updating, 0);

  TIniFile ini(SettingsFile());
  EXPECT_EQ(ini.ReadString("Library2", "DestDir", ""), "/out/beta2");
  EXPECT_EQ(ini.ReadString("Library2", "ScanFiles", ""), "3");
  EXPECT_EQ(ini.ReadString("Languages2Lib", "1036", ""), "fr");
}

TEST_F(MainWindowLogicTest, ScanFlagsAreWhatTheBoxesShow) {
  WriteSettings(
      "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=A\r\nScanFiles=0\r\n"
      "[Library2]\r\nName=B\r\nScanFiles=-1\r\n[Library3]\r\nName=C\r\nScanFiles=12\r\n");
  TMainWindowLogic& w = Open();
  auto shown = [&w] {
    return (w.cbResFiles.Checked() ? 1 : 0) | (w.cbPasFiles.Checked() ? 2 : 0) | (w.cbRCFiles.Checked() ? 4 : 0) |
           (w.cbDFMFiles.Checked() ? 8 : 0);
  };
  EXPECT_EQ(w.ScanFlags, 0);
  EXPECT_EQ(shown(), 0);
  w.cbLibraries.UserSelect(1);
  EXPECT_EQ(w.ScanFlags, sfAllFiles);
  EXPECT_EQ(shown(), sfAllFiles);
  w.cbLibraries.UserSelect(2);
  EXPECT_EQ(w.ScanFlags, sfRcFiles | sfDfmFiles);
  EXPECT_EQ(shown(), sfRcFiles | sfDfmFiles);
  w.cbDFMFiles.SetChecked(false);
  EXPECT_EQ(w.ScanFlags, sfRcFiles);
  EXPECT_EQ(shown(), w.ScanFlags);
}

TEST_F(MainWindowLogicTest, TypingNameRenamesChooserEntryAtOnce) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  Type(w.edLibName, "Beta Reloaded");
  EXPECT_EQ(w.cbLibraries.Items(), (std::vector<std::string>{"Alpha", "Beta Reloaded"}));
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 1);
  EXPECT_EQ(w.Updating, 0);

  // While controls are changed from code, the chooser's event does nothing.
  w.Updating = 2;
  w.cbLibraries.UserSelect(0);
  EXPECT_EQ(w.CurLib, 2);
  EXPECT_EQ(w.edLibName.Text(), "Beta Reloaded");
  w.Updating = 0;
}

TEST_F(MainWindowLogicTest, BadLanguageKeyReportsErrorAndLeavesUpdatingIdle) {
  WriteSettings("[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Broken\r\n[Languages1Lib]\r\nabc=en\r\n");
  TMainWindowLogic& w = Open();
  ASSERT_EQ(user_.Log.size(), 1u);
  EXPECT_EQ(user_.Log[0], "error " + SettingsFile() + ": [Languages1Lib] abc: 'abc' is not a valid integer value");
  EXPECT_EQ(w.Updating, 0);
  // The library that did not load is not current, so typing cannot rename it.
  EXPECT_EQ(w.CurLib, 0);
  EXPECT_EQ(w.cbLibraries.ItemIndex(), -1);
  Type(w.edLibName, "Fixed");
  EXPECT_EQ(w.cbLibraries.Items(), std::vector<std::string>{"Broken"});
}

// ---- Short name and destination defaults ----------------------------------------

TEST_F(MainWindowLogicTest, ShortNameFromNameKeepsLettersAndUnderscoresCapitalisingWords) {
  EXPECT_EQ(TMainWindowLogic::ShortNameFromName("New Library"), "NewLibrary");
  EXPECT_EQ(TMainWindowLogic::ShortNameFromName("my 2nd_lib-x"), "MyNd_libX");
  EXPECT_EQ(TMainWindowLogic::ShortNameFromName("  über app"), "BerApp");
  EXPECT_EQ(TMainWindowLogic::ShortNameFromName("123"), "");
  EXPECT_EQ(TMainWindowLogic::ShortNameFromName("_x"), "_x");
}

TEST_F(MainWindowLogicTest, EnteringEmptyShortNameFillsItFromTheName) {
  TMainWindowLogic& w = Open();
  w.edLibShortName.SetFocus();
  EXPECT_EQ(w.edLibShortName.Text(), "NewLibrary");
  Type(w.edLibName, "Other Name");
  w.edLibShortName.SetFocus();
  EXPECT_EQ(w.edLibShortName.Text(), "NewLibrary") << "a short name is never replaced";
}

TEST_F(MainWindowLogicTest, EnteringEmptyDestinationJoinsLibraryPathAndShortName) {
  SKIP_ON_WINDOWS("POSIX rules for the settings file and the sibling tool's library path (Windows: test_platform)");
  ScopedEnv path("LINGUADESK_LIBRARY_PATH", "/srv/libs;/other");
  TMainWindowLogic& w = Open();
  EXPECT_EQ(w.DefaultLibPath, "/srv/libs");
  Type(w.edLibShortName, "Pad");
  w.edDestDir.SetFocus();
  EXPECT_EQ(w.edDestDir.Text(), "/srv/libs/Pad");
  Type(w.edDestDir, "/mine");
  w.edDestDir.SetFocus();
  EXPECT_EQ(w.edDestDir.Text(), "/mine");
}

TEST_F(MainWindowLogicTest, EnteringEmptyDestinationWithoutLibraryPathGivesShortNameAlone) {
  TMainWindowLogic& w = Open();
  Type(w.edLibShortName, "Pad");
  w.edDestDir.SetFocus();
  EXPECT_EQ(w.edDestDir.Text(), "Pad");
}

TEST_F(MainWindowLogicTest, FolderButtonsReplaceTheEditOnlyOnOk) {
  TMainWindowLogic& w = Open();
  Type(w.edDestDir, "/start");
  user_.Folders = {std::nullopt, std::string("/picked")};
  w.sbDestDir.Click();
  EXPECT_EQ(w.edDestDir.Text(), "/start");
  w.sbDestDir.Click();
  EXPECT_EQ(w.edDestDir.Text(), "/picked");
  EXPECT_TRUE(user_.Logged("select folder from /start"));
}

// ---- Languages ------------------------------------------------------------------------

class MainWindowLanguagesTest : public MainWindowLogicTest {
 protected:
  // A source folder whose entries name languages by abbreviation or English name.
  std::string MakeSource() const {
    for (const char* sub :
         {"src/DEU", "src/fra", "src/Germ", "src/German", "src/Ital", "src/misc", "src/.git", "src/ENU"})
      std::filesystem::create_directories(dir_.Path(sub));
    dir_.Write("src/readme.txt", "x");
    return dir_.Path("src");
  }
};

TEST_F(MainWindowLanguagesTest, TypingExistingSourceFolderRetrievesLanguagesFromEntries) {
  TMainWindowLogic& w = Open();
  const std::string src = MakeSource();
  Type(w.edSrcDir, src);
  // In folder order: DEU, ENU, fra (abbreviations), Germ (the beginning of an
  // English name), German (the same locale again: skipped), Ital; misc,
  // readme.txt and the hidden .git name nothing.
  ASSERT_EQ(w.Languages.Count(), 5);
  EXPECT_EQ(w.Languages[0]->LangId, 0x0407);
  EXPECT_EQ(w.Languages[0]->SubFolder, "DEU");
  EXPECT_EQ(w.Languages[1]->LangId, 0x0409);
  EXPECT_EQ(w.Languages[2]->LangId, 0x040C);
  EXPECT_EQ(w.Languages[2]->SubFolder, "fra");
  EXPECT_EQ(w.Languages[3]->LangId, LangIdFromEnglishName("german"));
  EXPECT_EQ(w.Languages[3]->SubFolder, "Germ");
  EXPECT_EQ(w.Languages[4]->LangId, LangIdFromEnglishName("italian"));
  EXPECT_EQ(w.Languages[4]->SubFolder, "Ital");
  EXPECT_EQ(w.lvLanguages.RowCount(), 5);
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, GetEnglishLangName(0x0407));
  EXPECT_EQ(w.lvLanguages.Rows()[0].SubItems.at(0), " /DEU");
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 5");
  EXPECT_TRUE(w.btAddLang.Enabled());
  EXPECT_EQ(user_.WaitCursorDepth, 0);
  EXPECT_TRUE(user_.Logged("wait cursor"));

  // With languages present, typing another folder only updates the buttons.
  std::filesystem::create_directories(dir_.Path("other/ESP"));
  Type(w.edSrcDir, dir_.Path("other"));
  EXPECT_EQ(w.Languages.Count(), 5);
}

TEST_F(MainWindowLanguagesTest, AutoNeverAddsALanguageTwice) {
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, MakeSource());
  const int count = w.Languages.Count();
  w.btAuto.Click();
  w.btAuto.Click();
  EXPECT_EQ(w.Languages.Count(), count);
  EXPECT_EQ(w.lvLanguages.RowCount(), count);
}

TEST_F(MainWindowLanguagesTest, AddIsEnabledForNonExistentFolderAfterNextButtonUpdate) {
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, dir_.Path("does/not/exist"));
  EXPECT_FALSE(w.btAddLang.Enabled()) << "a folder that does not exist changes nothing yet";
  EXPECT_EQ(w.lvLanguages.RowCount(), 0);
  w.lvLanguages.UserClick(-1);
  EXPECT_TRUE(w.btAddLang.Enabled());
  Type(w.edSrcDir, "");
  w.lvLanguages.UserClick(-1);
  EXPECT_FALSE(w.btAddLang.Enabled());
}

TEST_F(MainWindowLanguagesTest, AddingTheSameLanguageTwiceGivesTwoEntries) {
  TMainWindowLogic& w = Open();
  const std::string src = MakeSource();
  Type(w.edSrcDir, dir_.Path("does/not/exist"));
  w.lvLanguages.UserClick(-1);
  Type(w.edSrcDir, src);  // existing now, list empty: retrieves
  w.Languages.Clear();
  w.RefreshLanguages();

  AnswerLanguageDialog(0x0407, "deu");
  w.btAddLang.Click();
  w.btAddLang.Click();
  ASSERT_EQ(w.Languages.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(w.Languages[i]->LangId, 0x0407);
    EXPECT_EQ(w.Languages[i]->SubFolder, "DEU") << "the folder as the file system spells it";
  }
  EXPECT_EQ(w.lvLanguages.RowCount(), 2);
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 2");

  // Cancel adds nothing.
  user_.LanguageDialog = [](TLangDialogLogic&) { return false; };
  w.btAddLang.Click();
  EXPECT_EQ(w.Languages.Count(), 2);
}

TEST_F(MainWindowLanguagesTest, EditPreselectsTheEditedLanguageAndSubFolderAndRewritesRow) {
  SKIP_ON_WINDOWS("the user's language comes from the POSIX locale environment; Windows answers from its own settings");
  ScopedEnv lang("LC_ALL", "it_IT.UTF-8");
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, MakeSource());
  w.lvLanguages.UserClick(2);  // fra
  ASSERT_TRUE(w.btEditLang.Enabled());
  std::optional<int> offered;
  std::string offeredFolder;
  user_.LanguageDialog = [&](TLangDialogLogic& dialog) {
    offered = dialog.SelectedLangId();
    offeredFolder = dialog.SelectedSubFolder();
    dialog.SelectNode(FindNode(dialog.tvLang.Root(), 0x080C));
    dialog.SelectSubFolder("german");
    return dialog.btOK.Enabled();
  };
  w.btEditLang.Click();
  EXPECT_EQ(offered, 0x040C) << "the language being edited is offered, not the user's default";
  EXPECT_EQ(offeredFolder, "fra");
  EXPECT_EQ(w.Languages[2]->LangId, 0x080C);
  EXPECT_EQ(w.Languages[2]->SubFolder, "German");
  EXPECT_EQ(w.lvLanguages.Rows()[2].Caption, GetEnglishLangName(0x080C));
  EXPECT_EQ(w.lvLanguages.Rows()[2].SubItems.at(0), " /German");
}

TEST_F(MainWindowLanguagesTest, DeleteLanguageAsksAndRemovesOnlyOnYes) {
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, MakeSource());
  w.lvLanguages.UserClick(1);
  user_.Answers = {idNo, idYes};
  w.btDelLang.Click();
  EXPECT_EQ(w.Languages.Count(), 5);
  w.btDelLang.Click();
  EXPECT_TRUE(user_.Logged("ask Delete language \"" + GetEnglishLangName(0x0409) + "\" (sub-folder \"ENU\")?"));
  ASSERT_EQ(w.Languages.Count(), 4);
  EXPECT_EQ(w.Languages[1]->SubFolder, "fra");
  EXPECT_EQ(w.lvLanguages.RowCount(), 4);
  EXPECT_EQ(w.lvLanguages.Selected(), -1);
  EXPECT_FALSE(w.btDelLang.Enabled());
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 4");
}

TEST_F(MainWindowLanguagesTest, DraggingRowsReordersLanguagesAndNativeLanguage) {
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, MakeSource());  // DEU, ENU, fra, Germ, Ital
  auto order = [&] {
    std::string s;
    for (const auto& language : w.Languages) s += language->SubFolder + " ";
    return s;
  };
  auto rows = [&] {
    std::string s;
    for (const auto& row : w.lvLanguages.Rows()) s += row.SubItems.at(0).substr(2) + " ";
    return s;
  };

  w.lvLanguages.UserClick(2);
  w.lvLanguages.UserDragDrop(0);
  EXPECT_EQ(order(), "fra DEU ENU Germ Ital ");
  EXPECT_EQ(rows(), order());
  EXPECT_EQ(w.lvLanguages.Selected(), 0);
  EXPECT_TRUE(w.btEditLang.Enabled());

  w.lvLanguages.UserClick(0);
  w.lvLanguages.UserDragDrop(-1);  // on no row: to the end
  EXPECT_EQ(order(), "DEU ENU Germ Ital fra ");
  EXPECT_EQ(rows(), order());
  EXPECT_EQ(w.lvLanguages.Selected(), 4);

  w.lvLanguages.UserClick(1);
  w.lvLanguages.UserDragDrop(4);  // before the last row
  EXPECT_EQ(order(), "DEU Germ Ital ENU fra ");
  EXPECT_EQ(rows(), order());
  EXPECT_EQ(w.lvLanguages.Selected(), 3);

  w.lvLanguages.UserClick(2);
  w.lvLanguages.UserDragDrop(2);  // onto itself
  EXPECT_EQ(order(), "DEU Germ Ital ENU fra ");

  // The first row is the native language of the saved library.
  w.lvLanguages.UserClick(4);
  w.lvLanguages.UserDragDrop(0);
  Close();
  const std::string settings = Settings();
  EXPECT_NE(settings.find("[Languages1Lib]\r\n1036=fra\r\n1031=DEU\r\n"), std::string::npos) << settings;
}

TEST_F(MainWindowLanguagesTest, DropWithoutSelectedRowDoesNothing) {
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, MakeSource());
  ASSERT_EQ(w.lvLanguages.Selected(), -1);
  w.lvLanguages.UserDragDrop(0);
  w.lvLanguages.UserDragDrop(-1);
  EXPECT_EQ(w.Languages[0]->SubFolder, "DEU");
  EXPECT_EQ(w.Languages[4]->SubFolder, "Ital");
  EXPECT_EQ(w.lvLanguages.RowCount(), 5);
  EXPECT_TRUE(user_.Log.size() == 2u) << "only the wait cursor of the retrieval";
}

// ---- Library commands -------------------------------------------------------------------

TEST_F(MainWindowLogicTest, NewLibrarySavesCurrentAndKeepsBoxesButScansAllKinds) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  w.cbRemoveUnusedItems.SetChecked(true);
  user_.Log.clear();
  w.miNew.Click();
  EXPECT_EQ(w.CurLib, 3);
  EXPECT_EQ(w.cbLibraries.Items().back(), "New library");
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 2);
  EXPECT_EQ(w.edLibName.Text(), "New Library");
  EXPECT_EQ(w.edSrcDir.Text(), "");
  EXPECT_EQ(w.lvLanguages.RowCount(), 0);
  EXPECT_EQ(w.Languages.Count(), 0);
  EXPECT_EQ(w.ScanFlags, sfAllFiles);
  EXPECT_TRUE(w.cbDFMFiles.Checked());
  EXPECT_TRUE(w.cbRemoveUnusedItems.Checked()) << "left as it was";
  EXPECT_FALSE(w.btAddLang.Enabled());
  EXPECT_EQ(w.Updating, 0);
  EXPECT_TRUE(user_.Log.empty());
  TIniFile ini(SettingsFile());
  EXPECT_EQ(ini.ReadString("Library2", "Name", ""), "Beta");
  EXPECT_EQ(ini.ReadString("Library3", "Name", "<none>"), "<none>");
}

TEST_F(MainWindowLogicTest, DeletingTheOnlyLibraryLeavesNoCurrentLibraryAndOldFields) {
  WriteSettings("[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Only\r\nSrcDir=/x\r\n[Languages1Lib]\r\n1031=de\r\n");
  TMainWindowLogic& w = Open();
  user_.Answers = {idNo};
  w.miDelete.Click();
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.cbLibraries.Count(), 1);

  user_.Answers = {idYes};
  w.miDelete.Click();
  EXPECT_TRUE(user_.Logged("ask Delete library \"Only\"?"));
  EXPECT_EQ(w.CurLib, 0);
  EXPECT_EQ(w.cbLibraries.Count(), 0);
  EXPECT_EQ(w.edLibName.Text(), "Only");
  EXPECT_EQ(w.lvLanguages.RowCount(), 1);
  EXPECT_EQ(Settings().find("[Library1]"), std::string::npos);

  // Nothing is current: deleting again asks nothing, closing saves no library.
  user_.Log.clear();
  w.miDelete.Click();
  EXPECT_TRUE(user_.Log.empty());
  Close();
  EXPECT_EQ(Settings().find("[Library"), std::string::npos);
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Main", "LastLib", ""), "0");
}

TEST_F(MainWindowLogicTest, DeletingMiddleLibraryLoadsTheOneThatMovedIntoItsNumber) {
  WriteSettings(std::string(kTwoLibraries) + "[Library3]\r\nName=Gamma\r\n");
  TMainWindowLogic& w = Open();
  ASSERT_EQ(w.CurLib, 2);
  user_.Answers = {idYes};
  w.miDelete.Click();
  EXPECT_EQ(w.CurLib, 2);
  EXPECT_EQ(w.cbLibraries.Items(), (std::vector<std::string>{"Alpha", "Gamma"}));
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 1);
  EXPECT_EQ(w.edLibName.Text(), "Gamma");

  // Deleting the last one in numbering makes the one before it current.
  user_.Answers = {idYes};
  w.miDelete.Click();
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 0);
  EXPECT_EQ(w.edLibName.Text(), "Alpha");
}

TEST_F(MainWindowLogicTest, CloseExitAndAboutReachTheWindow) {
  TMainWindowLogic& w = Open();
  w.btClose.Click();
  w.miExit.Click();
  w.About1.Click();
  EXPECT_EQ(user_.Log, (std::vector<std::string>{"close", "close", "about"}));
}

// ---- Processing ---------------------------------------------------------------------------

TEST_F(MainWindowLogicTest, ProcessRunsFromTheControlsWritesLibIniAndReportsCompletion) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  dir_.Write("src/de/Strings.res", testing::StringTableRes({{1, u"Hallo"}}, 0x0407));
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, dir_.Path("src"));
  // Two-letter folder names find the language-only identifiers, native first.
  ASSERT_EQ(w.Languages.Count(), 2);
  ASSERT_EQ(w.Languages[0]->SubFolder, "de");
  w.lvLanguages.UserClick(1);
  w.lvLanguages.UserDragDrop(0);
  ASSERT_EQ(w.Languages[0]->SubFolder, "en");
  w.edLibShortName.SetFocus();
  Type(w.edDestDir, dir_.Path("out"));
  w.cbRemoveUnusedItems.SetChecked(true);
  user_.Log.clear();

  w.btProcess.Click();
  ASSERT_FALSE(user_.Log.empty());
  EXPECT_EQ(user_.Log.front(), "status Starting processing...");
  EXPECT_EQ(user_.Log[user_.Log.size() - 2], "hide status");
  EXPECT_EQ(user_.Log.back(), "information Processing Complete");
  EXPECT_TRUE(w.LastRunLibrary.RemoveUnused);
  EXPECT_EQ(w.LastRunLibrary.ScanFiles, sfAllFiles);
  const std::string en = GetLangAbbr(w.Languages[0]->LangId);
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/NewLibrary." + en + ".lng")));
  EXPECT_TRUE(
      std::filesystem::exists(dir_.Path("out/NewLibrary." + GetLangAbbr(w.Languages[1]->LangId) + ".lng")));
  const std::string libIni = TempDir::Read(dir_.Path("out/lib.ini"));
  EXPECT_NE(libIni.find("Name=New Library\r\nFileName=NewLibrary\r\nNativeExt=" + en + "\r\n"), std::string::npos)
      << libIni;
  EXPECT_FALSE(std::filesystem::exists(SettingsFile())) << "Process saves no setting";
}

TEST_F(MainWindowLogicTest, ProcessFailureClosesStatusBeforeTheErrorAndSkipsCompletion) {
  TMainWindowLogic& w = Open();
  Type(w.edDestDir, dir_.Path("out"));
  w.btProcess.Click();  // a library without languages cannot run
  ASSERT_EQ(user_.Log.size(), 3u);
  EXPECT_EQ(user_.Log[0], "status Starting processing...");
  EXPECT_EQ(user_.Log[1], "hide status");
  EXPECT_EQ(user_.Log[2].rfind("error ", 0), 0u) << user_.Log[2];
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/lib.ini")));
}

TEST_F(MainWindowLogicTest, LibIniFailureAfterRunAlsoClosesStatusFirst) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  TMainWindowLogic& w = Open();
  w.Languages.AddLibLanguage(0x0409, "en");
  w.RefreshLanguages();
  Type(w.edSrcDir, dir_.Path("src"));
  Type(w.edLibShortName, "Pad");
  Type(w.edDestDir, dir_.Path("out"));
  // lib.ini cannot replace a folder of that name.
  std::filesystem::create_directories(dir_.Path("out/lib.ini/blocked"));
  user_.Log.clear();
  w.btProcess.Click();
  ASSERT_GE(user_.Log.size(), 3u);
  EXPECT_EQ(user_.Log[user_.Log.size() - 2], "hide status");
  EXPECT_EQ(user_.Log.back().rfind("error ", 0), 0u) << user_.Log.back();
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.ENU.lng"))) << "the run itself went through";
}

TEST_F(MainWindowLogicTest, PerFileErrorNamesTheFileAndTheRunGoesOn) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  dir_.Write("src/en/Broken.res", std::string("\xFF\x06", 2));
  TMainWindowLogic& w = Open();
  w.Languages.AddLibLanguage(0x0409, "en");
  w.RefreshLanguages();
  Type(w.edSrcDir, dir_.Path("src"));
  Type(w.edLibShortName, "Pad");
  Type(w.edDestDir, dir_.Path("out"));
  user_.Log.clear();
  w.btProcess.Click();
  // "file: message (place)": the offset detail reaches the window too.
  const std::string expected =
      "message Error: " + JoinPath(NativePath(dir_.Path("src/en")), "Broken.res") + ": Invalid file format (";
  EXPECT_NE(std::find_if(user_.Log.begin(), user_.Log.end(),
                         [&](const std::string& line) { return line.rfind(expected, 0) == 0; }),
            user_.Log.end());
  EXPECT_EQ(user_.Log.back(), "information Processing Complete");
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.ENU.lng")));
}

// ---- A library or settings file that cannot be used ---------------------------------

const char* const kBrokenSecond =
    "[Main]\r\nLastLib=1\r\n"
    "[Library1]\r\nName=Alpha\r\nShortName=Alpha\r\n[Languages1Lib]\r\n1033=en\r\n"
    "[Library2]\r\nName=Broken\r\nShortName=Broken\r\nSrcDir=/b\r\n[Languages2Lib]\r\n1O33=en\r\n1031=de\r\n";

// The lines of a section as they stand in the file, up to the next header.
std::string Section(const std::string& text, const std::string& name) {
  auto at = text.find("[" + name + "]\r\n");
  if (at == std::string::npos) return "<no " + name + ">";
  at += name.size() + 4;
  std::string lines = text.substr(at, text.find("\r\n[", at) - at);
  if (lines.size() >= 2 && lines.compare(lines.size() - 2, 2, "\r\n") == 0) lines.resize(lines.size() - 2);
  return lines;
}

TEST_F(MainWindowLogicTest, LibraryThatFailsToLoadIsNeverSavedOver) {
  auto broken = [](const std::string& text, int n) {
    return Section(text, LibrarySectionName(n)) + "|" + Section(text, LanguagesSectionName(n));
  };
  const std::string stored = broken(kBrokenSecond, 2);
  ASSERT_EQ(stored, "Name=Broken\r\nShortName=Broken\r\nSrcDir=/b|1O33=en\r\n1031=de");
  WriteSettings(kBrokenSecond);
  TMainWindowLogic& w = Open();
  ASSERT_EQ(w.CurLib, 1);
  Type(w.edSrcDir, "/alpha");
  // Switching to it: the error, and the library left stays current.
  w.cbLibraries.UserSelect(1);
  ASSERT_EQ(user_.Log.size(), 1u);
  EXPECT_EQ(user_.Log[0], "error " + SettingsFile() + ": [Languages2Lib] 1O33: '1O33' is not a valid integer value");
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 0);
  EXPECT_EQ(w.edLibName.Text(), "Alpha");
  // Switching, New and close save only libraries that loaded.
  w.cbLibraries.UserSelect(1);
  w.miNew.Click();
  EXPECT_EQ(w.CurLib, 3);
  Close();
  EXPECT_EQ(broken(Settings(), 2), stored);
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "SrcDir", ""), "/alpha");

  // At start: nothing is current and no new library is started over it.
  std::string lastIsBroken = kBrokenSecond;
  WriteSettings(lastIsBroken.replace(lastIsBroken.find("LastLib=1"), 9, "LastLib=2"));
  user_.Log.clear();
  TMainWindowLogic& again = Open();
  EXPECT_EQ(user_.Log.size(), 1u);
  EXPECT_EQ(again.CurLib, 0);
  EXPECT_EQ(again.cbLibraries.ItemIndex(), -1);
  EXPECT_EQ(again.cbLibraries.Count(), 2);
  Type(again.edLibName, "Typed");
  Close();
  EXPECT_EQ(broken(Settings(), 2), stored);

  // Deleting the library before it: the fields hold the deleted one, so none is current.
  WriteSettings(kBrokenSecond);
  TMainWindowLogic& third = Open();
  user_.Answers = {idYes};
  third.miDelete.Click();
  EXPECT_EQ(third.CurLib, 0);
  EXPECT_EQ(third.cbLibraries.Items(), std::vector<std::string>{"Broken"});
  EXPECT_EQ(third.cbLibraries.ItemIndex(), -1);
  Close();
  EXPECT_EQ(broken(Settings(), 1), stored);
}

TEST_F(MainWindowLogicTest, NamedSettingsFileThatDoesNotExistIsOfferedForCreation) {
  const std::string file = dir_.Path("named/settings.ini");
  auto open = [&] {
    window_ = std::make_unique<TMainWindowLogic>(file, user_);
    window_->SettingsGivenExplicitly = true;
    window_->FormShow();
    return window_.get();
  };
  // No: the program quits and writes nothing.
  TMainWindowLogic* w = open();
  EXPECT_EQ(user_.Log, std::vector<std::string>{"ask " + Format(SSettingsFileCreate, file)});
  EXPECT_TRUE(w->Quitting);
  EXPECT_EQ(w->ExitCode, 0);
  EXPECT_TRUE(w->FormClose());
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("named")));

  // Yes: the file is created at once and a new library starts in it.
  user_.Log.clear();
  user_.Answers = {idYes};
  w = open();
  EXPECT_FALSE(w->Quitting);
  EXPECT_EQ(TempDir::Read(file), "");
  EXPECT_EQ(w->CurLib, 1);
  EXPECT_TRUE(w->FormClose());
  EXPECT_EQ(TIniFile(file).ReadString("Library1", "Name", ""), "New Library");
}

TEST_F(MainWindowLogicTest, SettingsFileThatCannotBeUsedEndsTheProgramUntouched) {
  const std::string form = "object Main: TForm\r\n  Caption = 'Main'\r\nend\r\n";
  struct Case {
    std::string Bytes;
    std::string Error;
  };
  const Case cases[] = {
      {form, Format(SIniNoSection, SettingsFile())},
      {std::string("MZ\0\0\x90\0", 6), Format(SIniHasNulBytes, SettingsFile())},
      {"[Main]\r\nLastLib=abc\r\n[Library1]\r\nName=A\r\n",
       SettingsFile() + ": [Main] LastLib: 'abc' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    WriteSettings(c.Bytes);
    user_.Log.clear();
    TMainWindowLogic& w = Open();
    EXPECT_EQ(user_.Log, std::vector<std::string>{"error " + c.Error});
    EXPECT_TRUE(w.Quitting);
    EXPECT_EQ(w.ExitCode, 1);
    EXPECT_TRUE(w.FormClose());
    window_.reset();
    EXPECT_EQ(Settings(), c.Bytes);
  }
  // A folder in its place, named or not.
  std::filesystem::remove(SettingsFile());
  std::filesystem::create_directories(SettingsFile());
  user_.Log.clear();
  TMainWindowLogic& w = Open();
  EXPECT_EQ(user_.Log, std::vector<std::string>{"error " + Format(SIniIsFolder, SettingsFile())});
  EXPECT_TRUE(w.Quitting);
  EXPECT_EQ(w.ExitCode, 1);
}

TEST_F(MainWindowLogicTest, FailedSaveOnCloseOffersRetryCloseAnywayOrKeepOpen) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  Type(w.edSrcDir, "/changed");
  // The settings file turns into a folder: every save fails.
  std::filesystem::remove(SettingsFile());
  std::filesystem::create_directories(SettingsFile());
  user_.CloseAnswers = {TCloseAnswer::Retry, TCloseAnswer::KeepOpen};
  EXPECT_FALSE(w.FormClose()) << "kept open";
  ASSERT_EQ(user_.Log.size(), 2u);
  EXPECT_EQ(user_.Log[0], "save failed The settings could not be saved:\r\n" + Format(SIniIsFolder, SettingsFile()));
  EXPECT_EQ(user_.Log[1], user_.Log[0]);
  EXPECT_EQ(w.edSrcDir.Text(), "/changed");

  // The user mends the file, then Retry saves and closes.
  user_.Log.clear();
  user_.OnSaveFailed = [this] {
    std::filesystem::remove(SettingsFile());
    WriteSettings(kTwoLibraries);
  };
  user_.CloseAnswers = {TCloseAnswer::Retry};
  EXPECT_TRUE(w.FormClose());
  EXPECT_EQ(user_.Log.size(), 1u);
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library2", "SrcDir", ""), "/changed");
  user_.OnSaveFailed = nullptr;
  user_.Log.clear();

  // Close anyway: the window closes and nothing is written.
  Type(w.edSrcDir, "/lost");
  std::filesystem::remove(SettingsFile());
  std::filesystem::create_directories(SettingsFile());
  user_.CloseAnswers = {TCloseAnswer::CloseAnyway};
  EXPECT_TRUE(w.FormClose());
  EXPECT_EQ(user_.Log.size(), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(SettingsFile()));
}

}  // namespace
}  // namespace sw
