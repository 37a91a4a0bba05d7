// The main window's behaviour driven through its control models, without a
// window toolkit: dialogs and questions are answered by a script, and every
// talk to the user lands in one event log so that its order can be checked.
#include "window/MainWindowLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/AppTestSupport.h"
#include "window/LangDialogLogic.h"
#include "runtime/IniFile.h"
#include "storage/ExchangeUnits.h"
#include "support/TestSupport.h"
#include "util/LocaleCatalogue.h"
#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"
#include "util/UserInteraction.h"

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
  void ShowRunReport(TRunReportLogic& report) override {
    Log.push_back("report " + report.lblHeadline.Caption());
    ReportText = report.Text();
    ReportWarning = report.Warning();
    ReportProblems = report.edProblems.Text();
    ReportRows = report.lvReport.Rows();
    if (OnReport) OnReport(report);
  }
  std::string ReportText;
  bool ReportWarning = false;
  std::string ReportProblems;
  std::vector<TListViewModel::Row> ReportRows;
  std::function<void(TRunReportLogic&)> OnReport;
  std::function<bool(TExchangeDialogLogic&)> ExchangeDialog;
  bool ExecExchangeDialog(TExchangeDialogLogic& dialog) override {
    Log.push_back("exchange dialog " + dialog.dlgExchange.Caption());
    return ExchangeDialog ? ExchangeDialog(dialog) : false;
  }
  std::deque<int> NativeChoices;  // for ChooseNativeLanguage; -1 (declined) when empty
  int ChooseNativeLanguage(const std::vector<std::string>& languages) override {
    std::string names;
    for (const auto& name : languages) names += (names.empty() ? "" : ", ") + name;
    Log.push_back("native? " + names);
    const int answer = NativeChoices.empty() ? -1 : NativeChoices.front();
    if (!NativeChoices.empty()) NativeChoices.pop_front();
    return answer;
  }
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
  // Fills the open window with the library "Pad": the languages (id,
  // sub-folder), src/ and out/ of the scratch folder.
  void EnterPadLibrary(TMainWindowLogic& w,
                       std::initializer_list<std::pair<LANGID, const char*>> languages = {{0x0409, "en"}}) {
    for (const auto& [lang, folder] : languages) w.Languages.AddLibLanguage(lang, folder);
    w.RefreshLanguages();
    Type(w.edSrcDir, dir_.Path("src"));
    Type(w.edLibShortName, "Pad");
    Type(w.edDestDir, dir_.Path("out"));
  }
  void Close() {
    window_->FormClose();
    window_.reset();
  }
  std::string SettingsFile() const { return dir_.Path("shelfwright.ini"); }
  // What the user was shown, leaving out the status lines the run passes by.
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const auto& line : user_.Log)
      if (line.rfind("status ", 0) != 0) shown.push_back(line);
    return shown;
  }
  void WriteSettings(const std::string& text) const { dir_.Write("shelfwright.ini", text); }
  std::string Settings() const { return TempDir::Read(SettingsFile()); }
  // The user types into an edit (one change event for the whole text).
  static void Type(TEditModel& edit, const std::string& text) { edit.SetText(text); }
  // ... and then leaves it for another control.
  static void TypeAndLeave(TEditModel& edit, const std::string& text) {
    edit.SetText(text);
    edit.Exit();
  }
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
  ASSERT_EQ(w.cbLibraries.Items(), std::vector<std::string>{"New Library"}) << "one spelling in the chooser and the name";
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 0);
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.Updating, 0);
  // Every kind's box shows checked and the library scans what they show.
  EXPECT_EQ(w.ScanFlags, sfDefaultFiles);
  ASSERT_EQ(w.FileKindBoxes.size(), kFileKinds.size());
  for (std::size_t k = 0; k < kFileKinds.size(); ++k) {
    const TCheckBoxModel& box = w.KindBox(kFileKinds[k].Bit);
    EXPECT_EQ(&box, w.FileKindBoxes[k].get());
    EXPECT_EQ(box.Name, kFileKinds[k].BoxName);
    EXPECT_EQ(box.Caption(), kFileKinds[k].Caption);
    EXPECT_EQ(box.Checked(), kFileKinds[k].ScannedByDefault) << box.Name;
  }
  EXPECT_FALSE(w.btAddLang.Enabled());
  EXPECT_FALSE(w.btEditLang.Enabled());
  EXPECT_FALSE(w.btDelLang.Enabled());
  EXPECT_FALSE(std::filesystem::exists(SettingsFile())) << "nothing is written before the library is saved";

  // Closing at once writes no library nobody has touched.
  Close();
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(MainWindowLogicTest, FirstCloseCreatesTheSettingsFolder) {
  SKIP_ON_WINDOWS("POSIX rules for the settings file and the sibling tool's library path (Windows: test_platform)");
  const std::string settings = dir_.Path("config/shelfwright/shelfwright.ini");
  window_ = std::make_unique<TMainWindowLogic>(settings, user_);
  window_->FormShow();
  Type(window_->edLibName, "Typed in");
  Close();
  EXPECT_TRUE(user_.Log.empty()) << user_.Log.front();
  TIniFile ini(settings);
  EXPECT_EQ(ini.ReadString("Main", "LastLib", ""), "1");
  EXPECT_EQ(ini.ReadString("Library1", "Name", ""), "Typed in");
  EXPECT_EQ(ini.ReadString("Library1", "ScanFiles", ""), "15");
}

TEST_F(MainWindowLogicTest, LastLibZeroOrOutOfRangeAppendsNewLibraryBehindTheListed) {
  for (const char* lastLib : {"0", "7", "-3", " "}) {
    WriteSettings(std::string("[Main]\r\nLastLib=") + lastLib +
                  "\r\n[Library1]\r\nName=Alpha\r\n[Library2]\r\nName=Beta\r\n");
    TMainWindowLogic& w = Open();
    EXPECT_EQ(w.cbLibraries.Items(), (std::vector<std::string>{"Alpha", "Beta", "New Library"})) << lastLib;
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
  EXPECT_TRUE(w.KindBox(sfResFiles).Checked());
  EXPECT_FALSE(w.KindBox(sfPasFiles).Checked());
  EXPECT_FALSE(w.KindBox(sfDfmFiles).Checked());
  EXPECT_FALSE(w.KindBox(sfRcFiles).Checked());
  ASSERT_EQ(w.lvLanguages.RowCount(), 1);
  EXPECT_EQ(w.lvLanguages.Rows()[0].SubItems, std::vector<std::string>{" /fr"});
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, GetEnglishLangName(0x040C) + TMainWindowLogic::SNativeMark);
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 1");
  EXPECT_TRUE(w.btAddLang.Enabled()) << "a source folder is set, existing or not";
  EXPECT_FALSE(w.btEditLang.Enabled());
  EXPECT_TRUE(user_.Log.empty());
}

TEST_F(MainWindowLogicTest, SwitchingLibrariesSavesTheOneLeftAndLoadsTheChosen) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  Type(w.edDestDir, "/out/beta2");
  w.KindBox(sfPasFiles).SetChecked(true);  // the user's click
  EXPECT_EQ(w.ScanFlags, sfResFiles | sfPasFiles);

  w.cbLibraries.UserSelect(0);
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.edLibName.Text(), "Alpha");
  EXPECT_EQ(w.ScanFlags, 3);
  EXPECT_TRUE(w.KindBox(sfResFiles).Checked() && w.KindBox(sfPasFiles).Checked());
  EXPECT_FALSE(w.KindBox(sfRcFiles).Checked() || w.KindBox(sfDfmFiles).Checked());
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
    int bits = 0;
    for (const TFileKind& kind : kFileKinds) bits |= w.KindBox(kind.Bit).Checked() ? kind.Bit : 0;
    return bits;
  };
  EXPECT_EQ(w.ScanFlags, 0);
  EXPECT_EQ(shown(), 0);
  w.cbLibraries.UserSelect(1);
  EXPECT_EQ(w.ScanFlags, sfAllFiles) << "-1: every kind, compiled programs too";
  EXPECT_EQ(shown(), sfAllFiles);
  w.cbLibraries.UserSelect(2);
  EXPECT_EQ(w.ScanFlags, sfRcFiles | sfDfmFiles);
  EXPECT_EQ(shown(), sfRcFiles | sfDfmFiles);
  w.KindBox(sfDfmFiles).SetChecked(false);
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

TEST_F(MainWindowLogicTest, EmptyDestinationIsNeverPrefilledWithARelativeFolderAndRelativeFoldersShowWhereTheyLead) {
  TMainWindowLogic& w = Open();
  Type(w.edLibShortName, "Pad");
  w.edDestDir.SetFocus();
  EXPECT_EQ(w.edDestDir.Text(), "") << "without a library path there is nothing complete to offer";
  EXPECT_EQ(w.lblDestResolved.Caption(), "");
  // A relative folder is the settings file's folder's: the window says so.
  Type(w.edDestDir, "out/pad");
  EXPECT_EQ(w.lblDestResolved.Caption(),
            "Folder: " + std::filesystem::path(dir_.Path("out/pad")).lexically_normal().string());
  Type(w.edSrcDir, "src/../src");
  EXPECT_EQ(w.lblSrcResolved.Caption(), "Folder: " + std::filesystem::path(dir_.Path("src")).lexically_normal().string());
  Type(w.edDestDir, dir_.Path("abs"));
  EXPECT_EQ(w.lblDestResolved.Caption(), "");
}

TEST_F(MainWindowLogicTest, ARelativeSourceFolderIsReadWhereTheRunReadsItWhateverTheWorkingFolder) {
  std::filesystem::create_directories(dir_.Path("src/en"));
  std::filesystem::create_directories(dir_.Path("src/de"));
  // The program was started elsewhere: nothing is looked up from there.
  TempDir elsewhere;
  std::filesystem::create_directories(elsewhere.Path("src/fr"));
  const std::filesystem::path started = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Root());
  struct Back {
    std::filesystem::path Folder;
    ~Back() { std::filesystem::current_path(Folder); }
  } back{started};
  const auto same = [](const std::string& a, const std::string& b) {
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
  };

  TMainWindowLogic& w = Open();
  Type(w.edLibShortName, "Pad");
  TypeAndLeave(w.edSrcDir, "src");  // leaving it detects the languages of <settings folder>/src
  ASSERT_EQ(w.Languages.Count(), 2);
  EXPECT_EQ(w.Languages[0]->SubFolder, "en");
  EXPECT_EQ(w.Languages[1]->SubFolder, "de");
  EXPECT_TRUE(same(w.NativeSourceFolder(), dir_.Path("src/en"))) << w.NativeSourceFolder();
  // The language dialog offers that folder's sub-folders.
  std::vector<std::string> offered;
  user_.LanguageDialog = [&offered](TLangDialogLogic& dialog) {
    offered = dialog.cbSubFolders.Items();
    return false;
  };
  w.lvLanguages.UserClick(1);
  w.btEditLang.Click();
  EXPECT_EQ(offered, (std::vector<std::string>{"/de", "/en"}));
  // The folder choosers start where the relative folders lead.
  Type(w.edDestDir, "out");
  user_.Folders = {std::nullopt, std::nullopt};
  user_.Log.clear();
  w.sbSrcDir.Click();
  w.sbDestDir.Click();
  ASSERT_EQ(user_.Log.size(), 2u);
  const std::size_t from = std::string("select folder from ").size();
  EXPECT_TRUE(same(user_.Log[0].substr(from), dir_.Path("src"))) << user_.Log[0];
  EXPECT_TRUE(same(user_.Log[1].substr(from), dir_.Path("out"))) << user_.Log[1];
  EXPECT_EQ(w.edDestDir.Text(), "out") << "a chooser left with Cancel changes nothing";
}

// ---- Saving as the user goes, and what Process needs ------------------------------

TEST_F(MainWindowLogicTest, ProcessWaitsForACompleteLibraryAndSaysWhatIsMissing) {
  TMainWindowLogic& w = Open();
  std::filesystem::create_directories(dir_.Path("src/en"));
  const auto expect = [&w](const std::string& reason) {
    EXPECT_EQ(w.lblProcessReason.Caption(), reason);
    EXPECT_EQ(w.btProcess.Enabled(), reason.empty()) << reason;
  };
  expect("Enter a short name: it names the language files.");
  Type(w.edLibShortName, "Pad");
  expect("Choose the source folder.");
  Type(w.edSrcDir, dir_.Path("srcx"));
  expect("The source folder \"" + dir_.Path("srcx") + "\" does not exist");
  TypeAndLeave(w.edSrcDir, dir_.Path("src"));  // leaving it detects "en"
  expect("Choose the destination folder.");
  Type(w.edDestDir, dir_.Path("out"));
  expect("");
  w.lvLanguages.UserClick(0);
  user_.Answers = {idYes};
  w.btDelLang.Click();
  expect("Add the languages (Auto finds them in the source folder).");
  // Enter reaching a Process that is off runs nothing and shows no raw error.
  w.btProcess.OnClick();
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out"))) << "nothing is run";
  for (const auto& line : user_.Log) EXPECT_EQ(line.rfind("error", 0), std::string::npos) << line;
}

TEST_F(MainWindowLogicTest, CommittedEditsAreSavedAtOnceSoNoWayOfEndingTheProgramLosesThem) {
  TMainWindowLogic& w = Open();
  std::filesystem::create_directories(dir_.Path("src/en"));
  std::filesystem::create_directories(dir_.Path("src/de"));
  // A field left: the library and LastLib are in the file, without a close.
  TypeAndLeave(w.edLibName, "Pad");
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "Name", ""), "Pad");
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Main", "LastLib", ""), "1");
  TypeAndLeave(w.edLibShortName, "PadShort");
  TypeAndLeave(w.edSrcDir, dir_.Path("src"));  // detects en and de: the language list changed
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Languages1Lib", "1031", ""), "de");
  w.KindBox(sfPasFiles).SetChecked(false);
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "ScanFiles", ""), std::to_string(sfDefaultFiles & ~sfPasFiles));
  // Typed but not yet left, then Process: saved before the run starts.
  Type(w.edDestDir, dir_.Path("out"));
  w.btProcess.Click();
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "DestDir", ""), dir_.Path("out"));
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/PadShort.ENU.lng")));
  window_.reset();  // ended without a close, as by a signal the window could not see
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "ShortName", ""), "PadShort");
}

TEST_F(MainWindowLogicTest, MakingAnotherLanguageNativeAsksNamingBothAndNoKeepsTheOrder) {
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w, {{0x0409, "en"}, {0x0407, "de"}, {0x040C, "fr"}});
  const std::string question = "ask Make \"" + DisplayLangName(0x0407) + "\" the native language instead of \"" +
                               DisplayLangName(0x0409) + "\"?";
  const auto asked = [&] {
    return std::any_of(user_.Log.begin(), user_.Log.end(),
                       [&](const std::string& line) { return line.rfind(question, 0) == 0; });
  };
  // Ctrl+Up on the second row, a drag to the top, Move down on the first row: each asks; No keeps the order.
  for (const auto& move : std::vector<std::function<void()>>{
           [&] { w.lvLanguages.UserClick(1); w.lvLanguages.OnKeyDown(TListKey::Up, true); },
           [&] { w.lvLanguages.UserClick(1); w.lvLanguages.UserDragDrop(0); },
           [&] { w.lvLanguages.UserClick(0); w.btMoveDown.Click(); }}) {
    user_.Log.clear();
    move();
    EXPECT_TRUE(asked()) << (user_.Log.empty() ? "" : user_.Log.front());
    EXPECT_EQ(w.Languages[0]->LangId, 0x0409);
  }
  // Moves below the top ask nothing.
  user_.Log.clear();
  w.lvLanguages.UserClick(2);
  w.btMoveUp.Click();
  EXPECT_TRUE(user_.Log.empty());
  EXPECT_EQ(w.Languages[1]->LangId, 0x040C);
  // Yes makes German native.
  user_.Answers = {idYes};
  w.lvLanguages.UserClick(2);
  w.lvLanguages.UserDragDrop(0);
  EXPECT_EQ(w.Languages[0]->LangId, 0x0407);
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
         {"src/DEU", "src/fra", "src/Gree", "src/German", "src/Ital", "src/misc", "src/.git", "src/ENU"})
      std::filesystem::create_directories(dir_.Path(sub));
    dir_.Write("src/readme.txt", "x");
    return dir_.Path("src");
  }
};

TEST_F(MainWindowLanguagesTest, LeavingExistingSourceFolderRetrievesLanguagesFromEntries) {
  TMainWindowLogic& w = Open();
  const std::string src = MakeSource();
  Type(w.edSrcDir, src);
  EXPECT_EQ(w.Languages.Count(), 0) << "typing detects nothing";
  EXPECT_TRUE(w.btAddLang.Enabled());
  w.edSrcDir.Exit();
  // By folder name: DEU, ENU, fra (abbreviations), Gree (the beginning of an
  // English name), German (German again, as DEU: skipped), Ital; misc,
  // readme.txt and the hidden .git name nothing. English is the native language.
  ASSERT_EQ(w.Languages.Count(), 5);
  EXPECT_EQ(w.Languages[0]->LangId, 0x0409);
  EXPECT_EQ(w.Languages[0]->SubFolder, "ENU");
  EXPECT_EQ(w.Languages[1]->LangId, 0x0407);
  EXPECT_EQ(w.Languages[1]->SubFolder, "DEU");
  EXPECT_EQ(w.Languages[2]->LangId, 0x040C);
  EXPECT_EQ(w.Languages[2]->SubFolder, "fra");
  EXPECT_EQ(w.Languages[3]->LangId, 0x0408) << "Greek (Greece), not the first locale named Greek";
  EXPECT_EQ(w.Languages[3]->SubFolder, "Gree");
  EXPECT_EQ(w.Languages[4]->LangId, 0x0410);
  EXPECT_EQ(w.Languages[4]->SubFolder, "Ital");
  EXPECT_EQ(w.lvLanguages.RowCount(), 5);
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, "English (United States) \u2014 native");
  EXPECT_EQ(w.lvLanguages.Rows()[0].SubItems.at(0), " /ENU");
  EXPECT_EQ(w.lvLanguages.Rows()[1].Caption, GetEnglishLangName(0x0407));
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 5");
  EXPECT_TRUE(w.btAddLang.Enabled());
  EXPECT_EQ(user_.WaitCursorDepth, 0);
  EXPECT_TRUE(user_.Logged("wait cursor"));

  // With languages present, typing another folder only updates the buttons.
  std::filesystem::create_directories(dir_.Path("other/ESP"));
  TypeAndLeave(w.edSrcDir, dir_.Path("other"));
  EXPECT_EQ(w.Languages.Count(), 5);
}

TEST_F(MainWindowLanguagesTest, AutoNeverAddsALanguageTwice) {
  TMainWindowLogic& w = Open();
  TypeAndLeave(w.edSrcDir, MakeSource());
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
  TypeAndLeave(w.edSrcDir, src);  // existing now, list empty: retrieves
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
  TypeAndLeave(w.edSrcDir, MakeSource());
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
  TypeAndLeave(w.edSrcDir, MakeSource());
  w.lvLanguages.UserClick(1);
  user_.Answers = {idNo, idYes};
  w.btDelLang.Click();
  EXPECT_EQ(w.Languages.Count(), 5);
  w.btDelLang.Click();
  EXPECT_TRUE(user_.Logged("ask Delete language \"" + GetEnglishLangName(0x0407) + "\" (sub-folder \"DEU\")?"));
  ASSERT_EQ(w.Languages.Count(), 4);
  EXPECT_EQ(w.Languages[1]->SubFolder, "fra");
  EXPECT_EQ(w.lvLanguages.RowCount(), 4);
  EXPECT_EQ(w.lvLanguages.Selected(), -1);
  EXPECT_FALSE(w.btDelLang.Enabled());
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 4");
}

TEST_F(MainWindowLanguagesTest, DraggingRowsReordersLanguagesAndNativeLanguage) {
  TMainWindowLogic& w = Open();
  TypeAndLeave(w.edSrcDir, MakeSource());  // ENU, DEU, fra, Gree, Ital
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

  // Each move that changes the native language is confirmed (asked, Yes).
  user_.Answers = {idYes, idYes, idYes};
  w.lvLanguages.UserClick(2);
  w.lvLanguages.UserDragDrop(0);
  EXPECT_EQ(order(), "fra ENU DEU Gree Ital ");
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, DisplayLangName(0x040C) + TMainWindowLogic::SNativeMark);
  EXPECT_EQ(w.lvLanguages.Rows()[1].Caption, DisplayLangName(0x0409)) << "the mark moves with the first row";
  EXPECT_EQ(rows(), order());
  EXPECT_EQ(w.lvLanguages.Selected(), 0);
  EXPECT_TRUE(w.btEditLang.Enabled());

  w.lvLanguages.UserClick(0);
  w.lvLanguages.UserDragDrop(-1);  // on no row: to the end
  EXPECT_EQ(order(), "ENU DEU Gree Ital fra ");
  EXPECT_EQ(rows(), order());
  EXPECT_EQ(w.lvLanguages.Selected(), 4);

  w.lvLanguages.UserClick(1);
  w.lvLanguages.UserDragDrop(4);  // before the last row
  EXPECT_EQ(order(), "ENU Gree Ital DEU fra ");
  EXPECT_EQ(rows(), order());
  EXPECT_EQ(w.lvLanguages.Selected(), 3);

  w.lvLanguages.UserClick(2);
  w.lvLanguages.UserDragDrop(2);  // onto itself
  EXPECT_EQ(order(), "ENU Gree Ital DEU fra ");

  // The first row is the native language of the saved library.
  w.lvLanguages.UserClick(4);
  w.lvLanguages.UserDragDrop(0);
  Close();
  const std::string settings = Settings();
  EXPECT_NE(settings.find("[Languages1Lib]\r\n1036=fra\r\n1033=ENU\r\n"), std::string::npos) << settings;
}

TEST_F(MainWindowLanguagesTest, DropWithoutSelectedRowDoesNothing) {
  TMainWindowLogic& w = Open();
  TypeAndLeave(w.edSrcDir, MakeSource());
  ASSERT_EQ(w.lvLanguages.Selected(), -1);
  w.lvLanguages.UserDragDrop(0);
  w.lvLanguages.UserDragDrop(-1);
  EXPECT_EQ(w.Languages[0]->SubFolder, "ENU");
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
  EXPECT_EQ(w.cbLibraries.Items().back(), "New Library");
  EXPECT_EQ(w.cbLibraries.ItemIndex(), 2);
  EXPECT_EQ(w.edLibName.Text(), "New Library");
  EXPECT_EQ(w.edSrcDir.Text(), "");
  EXPECT_EQ(w.lvLanguages.RowCount(), 0);
  EXPECT_EQ(w.Languages.Count(), 0);
  EXPECT_EQ(w.ScanFlags, sfDefaultFiles);
  EXPECT_TRUE(w.KindBox(sfDfmFiles).Checked());
  EXPECT_TRUE(w.cbRemoveUnusedItems.Checked()) << "left as it was";
  EXPECT_FALSE(w.btAddLang.Enabled());
  EXPECT_EQ(w.Updating, 0);
  EXPECT_TRUE(user_.Log.empty());
  TIniFile ini(SettingsFile());
  EXPECT_EQ(ini.ReadString("Library2", "Name", ""), "Beta");
  EXPECT_EQ(ini.ReadString("Library3", "Name", "<none>"), "<none>");
}

TEST_F(MainWindowLogicTest, DeletingTheOnlyLibraryLeavesNoCurrentLibraryAndClearsTheFields) {
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
  // Nothing of the deleted library stays on show.
  EXPECT_EQ(w.edLibName.Text(), "");
  EXPECT_EQ(w.edSrcDir.Text(), "");
  EXPECT_EQ(w.lvLanguages.RowCount(), 0);
  EXPECT_EQ(w.Languages.Count(), 0);
  EXPECT_EQ(w.pnlLangCount.Caption(), "Languages: 0");
  EXPECT_EQ(w.Updating, 0);
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
  TypeAndLeave(w.edSrcDir, dir_.Path("src"));
  // Two-letter folder names find their languages' main locales, English native.
  ASSERT_EQ(w.Languages.Count(), 2);
  ASSERT_EQ(w.Languages[0]->SubFolder, "en");
  EXPECT_EQ(w.Languages[0]->LangId, 0x0409);
  EXPECT_EQ(w.Languages[1]->LangId, 0x0407);
  w.edLibShortName.SetFocus();
  Type(w.edDestDir, dir_.Path("out"));
  w.cbRemoveUnusedItems.SetChecked(true);
  user_.Log.clear();

  w.btProcess.Click();
  ASSERT_FALSE(user_.Log.empty());
  // No status window and no box per file: the progress panel and, at the end, the report.
  EXPECT_EQ(std::count_if(user_.Log.begin(), user_.Log.end(),
                          [](const std::string& line) { return line.rfind("message", 0) == 0; }),
            0);
  EXPECT_EQ(user_.Log.back(), "report Processing Complete");
  EXPECT_FALSE(user_.ReportWarning);
  EXPECT_EQ(user_.ReportProblems, "");
  EXPECT_FALSE(w.Running());
  EXPECT_FALSE(w.pnlRun.Visible());
  EXPECT_TRUE(w.btProcess.Enabled());
  EXPECT_TRUE(w.LastRunLibrary.RemoveUnused);
  EXPECT_EQ(w.LastRunLibrary.ScanFiles, sfDefaultFiles);
  const std::string en = GetLangAbbr(w.Languages[0]->LangId);
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/NewLibrary." + en + ".lng")));
  EXPECT_TRUE(
      std::filesystem::exists(dir_.Path("out/NewLibrary." + GetLangAbbr(w.Languages[1]->LangId) + ".lng")));
  const std::string libIni = TempDir::Read(dir_.Path("out/lib.ini"));
  EXPECT_NE(libIni.find("Name=New Library\r\nFileName=NewLibrary\r\nNativeExt=" + en + "\r\n"), std::string::npos)
      << libIni;
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "ShortName", ""), "NewLibrary")
      << "what is processed is saved first";

  // Per language: items, changed values, revision, coverage, the file written.
  ASSERT_EQ(user_.ReportRows.size(), 2u);
  EXPECT_EQ(user_.ReportRows[0].SubItems,
            (std::vector<std::string>{"1", "1", "1", "native", "NewLibrary." + en + ".lng"}));
  EXPECT_EQ(user_.ReportRows[1].SubItems[3], "100.0%");
  // The list shows the same coverage beside the translation.
  EXPECT_TRUE(w.CoverageOfRow(0).Native);
  EXPECT_TRUE(w.CoverageOfRow(1).Known);
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "100.0%");
}

// The library's "keep unchanged language files" box: stored with the library
// (and gone from its section when cleared), and a second Process over
// unchanged sources leaves the files as they were and reports them unchanged.
TEST_F(MainWindowLogicTest, KeepUnchangedFilesBoxIsStoredAndLeavesUnchangedFiles) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  dir_.Write("src/de/Strings.res", testing::StringTableRes({{1, u"Hallo"}}, 0x0407));
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w, {{0x0409, "en"}, {0x0407, "de"}});
  w.cbKeepUnchangedFiles.SetChecked(true);
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library1", "KeepUnchangedFiles", ""), "1");
  w.btProcess.Click();
  ASSERT_EQ(user_.Log.back(), "report Processing Complete");
  EXPECT_TRUE(w.LastRunLibrary.KeepUnchangedFiles);
  const std::string de = dir_.Path("out/Pad.DEU.lng");
  const auto aged = std::filesystem::last_write_time(de) - std::chrono::hours(1);
  std::filesystem::last_write_time(de, aged);
  const std::string bytes = TempDir::Read(de);

  w.btProcess.Click();
  ASSERT_EQ(user_.Log.back(), "report Processing Complete");
  EXPECT_EQ(TempDir::Read(de), bytes);
  EXPECT_EQ(std::filesystem::last_write_time(de), aged);
  ASSERT_EQ(user_.ReportRows.size(), 2u);
  EXPECT_EQ(user_.ReportRows[1].SubItems[1], "0");
  EXPECT_EQ(user_.ReportRows[1].SubItems[2], "1") << "the revision on disk";
  EXPECT_EQ(user_.ReportRows[1].SubItems[4], "Pad.DEU.lng (unchanged)");
  EXPECT_NE(user_.ReportText.find("Language files written: 0 of 2, 2 unchanged"), std::string::npos)
      << user_.ReportText;

  // Loaded again, the box shows what is stored; cleared, the key goes.
  Close();
  TMainWindowLogic& again = Open();
  EXPECT_TRUE(again.cbKeepUnchangedFiles.Checked());
  again.cbKeepUnchangedFiles.SetChecked(false);
  EXPECT_EQ(Settings().find("KeepUnchangedFiles"), std::string::npos) << Settings();
}

TEST_F(MainWindowLogicTest, ProcessFailureEndsInAReportStoppedByAnError) {
  TMainWindowLogic& w = Open();
  std::filesystem::create_directories(dir_.Path("src/en"));
  dir_.Write("out", "a file where the destination folder should be");
  EnterPadLibrary(w);
  w.btProcess.Click();  // the destination cannot be made
  ASSERT_EQ(user_.Log.size(), 1u);
  EXPECT_EQ(user_.Log[0], "report Processing stopped by an error");
  EXPECT_TRUE(user_.ReportWarning);
  EXPECT_EQ(user_.ReportProblems.rfind("Error: ", 0), 0u) << user_.ReportProblems;
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/lib.ini")));
  EXPECT_TRUE(w.btProcess.Enabled());
}

TEST_F(MainWindowLogicTest, LibIniFailureAfterTheRunIsReported) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w);
  // lib.ini cannot replace a folder of that name.
  std::filesystem::create_directories(dir_.Path("out/lib.ini/blocked"));
  user_.Log.clear();
  w.btProcess.Click();
  ASSERT_FALSE(user_.Log.empty());
  EXPECT_EQ(user_.Log.back(), "report Processing stopped by an error");
  EXPECT_NE(user_.ReportText.find("lib.ini was not written."), std::string::npos) << user_.ReportText;
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.ENU.lng"))) << "the run itself went through";
  ASSERT_EQ(user_.ReportRows.size(), 1u);
  EXPECT_EQ(user_.ReportRows[0].SubItems.back(), "Pad.ENU.lng");
}

TEST_F(MainWindowLogicTest, PerFileErrorsAreCollectedIntoTheReportAndTheRunGoesOn) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  dir_.Write("src/en/Broken.res", std::string("\xFF\x06", 2));
  dir_.Write("src/en/Worse.dfm", "object Form1: TForm1\n  Caption = 'unterminated\n");
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w);
  user_.Log.clear();
  w.btProcess.Click();
  // No box per file: both failures wait in the report, each "file: message (place)".
  EXPECT_EQ(Shown(), std::vector<std::string>{"report Processing complete, with problems"});
  EXPECT_TRUE(user_.ReportWarning);
  const std::string expected =
      "Failed: " + JoinPath(NativePath(dir_.Path("src/en")), "Broken.res") + ": Invalid file format (";
  EXPECT_EQ(user_.ReportProblems.rfind(expected, 0), 0u) << user_.ReportProblems;
  EXPECT_NE(user_.ReportProblems.find("\nFailed: " + JoinPath(NativePath(dir_.Path("src/en")), "Worse.dfm")),
            std::string::npos)
      << user_.ReportProblems;
  EXPECT_NE(user_.ReportText.find("Files read: 1 .res, 0 .pas, 0 .rc, 0 .dfm, 0 .exe; 2 files failed"), std::string::npos)
      << user_.ReportText;
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.ENU.lng")));
}

TEST_F(MainWindowLogicTest, RunGoesThroughTheHostAndShowsProgressUntilDone) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  // A host that keeps the job until the test lets it run.
  struct HeldHost : IRunHost {
    std::function<void()> Work, Done;
    std::vector<std::function<void()>> Posted;
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
      Work = std::move(work);
      Done = std::move(done);
    }
    void Post(std::function<void()> task) override { Posted.push_back(std::move(task)); }
  } host;
  TMainWindowLogic& w = Open();
  w.SetRunHost(&host);
  EnterPadLibrary(w);
  user_.Log.clear();

  w.btProcess.Click();
  ASSERT_TRUE(host.Work);
  EXPECT_TRUE(w.Running());
  EXPECT_TRUE(w.pnlRun.Visible());
  EXPECT_FALSE(w.btProcess.Enabled()) << "one run at a time";
  EXPECT_FALSE(w.miExport.Enabled()) << "the language files are the run's";
  EXPECT_FALSE(w.miImport.Enabled());
  EXPECT_TRUE(w.btCancel.Enabled());
  w.btProcess.Click();
  EXPECT_TRUE(Shown().empty()) << "a second Process while running does nothing";
  // Closing while the run is on cancels it; the window closes once it has ended.
  EXPECT_FALSE(w.FormCloseQuery());
  EXPECT_FALSE(w.btCancel.Enabled());
  host.Work();
  EXPECT_TRUE(Shown().empty());
  host.Done();
  EXPECT_FALSE(w.Running());
  EXPECT_FALSE(w.pnlRun.Visible());
  EXPECT_EQ(Shown(), std::vector<std::string>{"close"}) << "no report for a window that is closing";
  EXPECT_TRUE(w.miExport.Enabled());
  EXPECT_TRUE(w.FormCloseQuery());
}

// A Cancel does not wait for the coverage to be read again (seconds on a
// large library): the cells shown before stay where the run wrote nothing
// they depend on; once the native file was rewritten they are not known
// until the files are read again.
TEST_F(MainWindowLogicTest, CancelKeepsOnlyTheCoverageTheRunDidNotChange) {
  for (const auto& [folder, lang] : {std::pair{"en", 0x0409}, {"de", 0x0407}, {"fr", 0x040C}}) {
    dir_.Write(std::string("src/") + folder + "/A.res", testing::StringTableRes({{1, u"One"}}, lang));
    dir_.Write(std::string("src/") + folder + "/B.res", testing::StringTableRes({{2, u"Two"}}, lang));
  }
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w, {{0x0409, "en"}, {0x0407, "de"}, {0x040C, "fr"}});
  w.btProcess.Click();
  ASSERT_TRUE(w.CoverageOfRow(1).Known && w.CoverageOfRow(2).Known);
  w.lblRunFiles.OnModelChanged = [&] {
    if (w.lblRunFiles.Caption() == "Files 1 of 2" && w.lblRunLanguage.Caption().rfind("Language 2 of 3", 0) == 0)
      w.btCancel.Click();
  };
  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep);
    w.cbKeepUnchangedFiles.SetChecked(keep);
    w.btProcess.Click();
    ASSERT_TRUE(w.LastRun.Stats.Cancelled);
    // Kept, the native file is what the translations were measured against.
    EXPECT_EQ(w.CoverageOfRow(1).Known, keep);
    EXPECT_EQ(w.CoverageOfRow(2).Known, keep);
    EXPECT_TRUE(w.CoverageOfRow(0).Native);
    w.RefreshCoverage();
  }
}

TEST_F(MainWindowLogicTest, ProgressShowsLanguageAndFilesAndCancelStopsAfterTheCurrentFile) {
  for (const auto& [folder, lang] : {std::pair{"en", 0x0409}, {"de", 0x0407}, {"fr", 0x040C}}) {
    dir_.Write(std::string("src/") + folder + "/A.res", testing::StringTableRes({{1, u"One"}}, lang));
    dir_.Write(std::string("src/") + folder + "/B.res", testing::StringTableRes({{2, u"Two"}}, lang));
  }
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w, {{0x0409, "en"}, {0x0407, "de"}, {0x040C, "fr"}});
  std::vector<std::string> seen;
  std::vector<int> positions;
  w.lblRunLanguage.OnModelChanged = [&] { seen.push_back(w.lblRunLanguage.Caption()); };
  w.pbRun.OnModelChanged = [&] { positions.push_back(w.pbRun.Position() * 100 / std::max(1, w.pbRun.Max())); };
  // The user presses Cancel once the German pass has finished its first file.
  w.lblRunFiles.OnModelChanged = [&] {
    seen.push_back(w.lblRunFiles.Caption());
    if (w.lblRunFiles.Caption() == "Files 1 of 2" && w.lblRunLanguage.Caption().rfind("Language 2 of 3", 0) == 0)
      w.btCancel.Click();
  };
  user_.Log.clear();
  w.btProcess.Click();

  const std::string english = "Language 1 of 3: " + GetEnglishLangName(0x0409);
  const std::string german = "Language 2 of 3: " + GetEnglishLangName(0x0407);
  for (const std::string& expected : {english, std::string("Files 0 of 2"), std::string("Files 2 of 2"), german})
    EXPECT_NE(std::find(seen.begin(), seen.end(), expected), seen.end()) << expected;
  EXPECT_EQ(std::find(seen.begin(), seen.end(), "Language 3 of 3: " + GetEnglishLangName(0x040C)), seen.end())
      << "nothing after the cancel";
  EXPECT_NE(std::find(seen.begin(), seen.end(), "Cancelling after the current file..."), seen.end());
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_FALSE(positions.empty());

  EXPECT_EQ(Shown().back(), "report Processing cancelled");
  EXPECT_TRUE(w.LastRun.Stats.Cancelled);
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.ENU.lng"))) << "the finished language stays written";
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/Pad.DEU.lng"))) << "nothing for the language in progress";
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/Pad.FRA.lng")));
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/lib.ini")));
  EXPECT_NE(user_.ReportText.find("Language files written: 1 of 3"), std::string::npos) << user_.ReportText;
  EXPECT_FALSE(w.Running());
  EXPECT_FALSE(w.pnlRun.Visible());
}

TEST_F(MainWindowLogicTest, ExportForTranslatorsAndImportBackUpdateTheCoverage) {
  TMainWindowLogic& probe = Open();
  if (!probe.ExchangeAvailable()) GTEST_SKIP() << "this build has no translators' exchange";
  window_.reset();
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}, {2, u"World"}}));
  dir_.Write("src/de/Strings.res", testing::StringTableRes({{1, u"Hallo"}}, 0x0407));
  WriteSettings("[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
                "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n1031=de\r\n");
  TMainWindowLogic& w = Open();
  // Before the first run there is nothing to export.
  w.miExport.Click();
  ASSERT_FALSE(user_.Log.empty());
  EXPECT_EQ(user_.Log.back().rfind("error The library has not been processed yet", 0), 0u) << user_.Log.back();
  w.btProcess.Click();
  ASSERT_EQ(w.CoverageOfRow(1).Text(), "50.0%");

  const std::string po = dir_.Path("German.po");
  user_.ExchangeDialog = [&po](TExchangeDialogLogic& dialog) {
    EXPECT_EQ(dialog.SelectedLangId(), 0x0407);
    EXPECT_EQ(ExtractFileName(dialog.edFile.Text()), "Pad.DEU.xlf") << "in the destination folder";
    dialog.edFile.SetText(po);  // the extension chooses the format
    EXPECT_TRUE(dialog.Po());
    dialog.cbOnlyOpen.SetChecked(true);
    return dialog.btOK.Enabled();
  };
  w.miExport.Click();
  EXPECT_EQ(user_.Log.back(), "information Exported 1 unit of " + GetEnglishLangName(0x0407) +
                                  " (0 up to date, 0 out of date, 1 untranslated) to " + po);
  std::string text = TempDir::Read(po);
  const std::string untranslated = "msgid \"World\"\nmsgstr \"\"";
  const auto at = text.find(untranslated);
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, untranslated.size(), "msgid \"World\"\nmsgstr \"Welt\"");
  dir_.Write("German.po", text);

  user_.ExchangeDialog = [&po](TExchangeDialogLogic& dialog) {
    EXPECT_EQ(dialog.Mode(), TExchangeDialogLogic::TMode::Import);
    EXPECT_FALSE(dialog.btOK.Enabled()) << "no file chosen yet";
    EXPECT_EQ(dialog.BrowseStart(), ExtractFilePath(po)) << "the chooser starts where the export wrote";
    dialog.FileChosen(po);
    return dialog.btOK.Enabled();
  };
  w.miImport.Click();
  EXPECT_EQ(user_.Log.back().rfind("information Changed 1 of 1 unit (", 0), 0u) << user_.Log.back();
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "100.0%") << "the bars follow the import";

  // A file made for another language is refused with the window's advice,
  // not the command line's; the next import offers the same file again.
  const auto language = text.find("Language: ");
  ASSERT_NE(language, std::string::npos) << text;
  text.replace(language + 10, text.find("\\n", language) - (language + 10), "fr-FR");
  const std::string french = dir_.Write("French.po", text);
  user_.ExchangeDialog = [&french](TExchangeDialogLogic& dialog) {
    dialog.FileChosen(french);
    return true;
  };
  w.miImport.Click();
  ASSERT_EQ(user_.Log.back().rfind("error ", 0), 0u) << user_.Log.back();
  EXPECT_NE(user_.Log.back().find("(tick \"Force\" in the import dialog to import it anyway)"), std::string::npos)
      << user_.Log.back();
  EXPECT_EQ(user_.Log.back().find("--force"), std::string::npos) << user_.Log.back();

  // Cancelling the dialog does nothing.
  std::string offered;
  user_.ExchangeDialog = [&offered](TExchangeDialogLogic& dialog) {
    offered = dialog.edFile.Text();
    return false;
  };
  user_.Log.clear();
  w.miImport.Click();
  EXPECT_EQ(user_.Log, std::vector<std::string>{"exchange dialog Import Translations"});
  EXPECT_EQ(offered, french);
}

// A translator's work survives the next run: the library's memory knows the
// folder has not changed since, so the imported values stay and the run says
// which folder texts it did not take.
TEST_F(MainWindowLogicTest, ImportedTranslationsSurviveTheNextProcessAndTheConflictsAreReported) {
  TMainWindowLogic& probe = Open();
  if (!probe.ExchangeAvailable()) GTEST_SKIP() << "this build has no translators' exchange";
  window_.reset();
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}, {2, u"World"}, {3, u"Open"}}));
  // "Open" held as the native text is a copy, not a translation.
  dir_.Write("src/de/Strings.res", testing::StringTableRes({{1, u"Hallo"}, {2, u"Welt"}, {3, u"Open"}}, 0x0407));
  WriteSettings("[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
                "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n1031=de\r\n");
  TMainWindowLogic& w = Open();
  w.btProcess.Click();
  ASSERT_TRUE(w.LastRun.Ok());
  EXPECT_TRUE(w.LastRun.Stats.Memory.Used) << "the window's run keeps the library's memory";
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "66.7%");

  const std::string po = dir_.Path("German.po");
  user_.ExchangeDialog = [&po](TExchangeDialogLogic& dialog) {
    dialog.edFile.SetText(po);
    dialog.cbOnlyOpen.SetChecked(false);
    return dialog.btOK.Enabled();
  };
  w.miExport.Click();
  std::string text = TempDir::Read(po);
  // Every translation changes, the copy gets one.
  const struct {
    std::string from, to;
  } edits[] = {
      {"msgid \"Hello\"\nmsgstr \"Hallo\"", "msgid \"Hello\"\nmsgstr \"Servus\""},
      {"msgid \"World\"\nmsgstr \"Welt\"", "msgid \"World\"\nmsgstr \"Erde\""},
      {"msgid \"Open\"\nmsgstr \"\"", "msgid \"Open\"\nmsgstr \"\xC3\x96" "ffnen\""},
  };
  for (const auto& edit : edits) {
    const auto at = text.find(edit.from);
    ASSERT_NE(at, std::string::npos) << edit.from << "\n" << text;
    text.replace(at, edit.from.size(), edit.to);
  }
  dir_.Write("German.po", text);
  user_.ExchangeDialog = [&po](TExchangeDialogLogic& dialog) {
    dialog.FileChosen(po);
    return dialog.btOK.Enabled();
  };
  w.miImport.Click();
  EXPECT_EQ(user_.Log.back().rfind("information Changed 3 of 3 units", 0), 0u) << user_.Log.back();
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "100.0%");

  w.btProcess.Click();
  ASSERT_TRUE(w.LastRun.Ok());
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "100.0%") << "what the import gave";
  ASSERT_EQ(w.LastRun.Stats.Memory.Kept.size(), 3u);
  EXPECT_TRUE(user_.ReportWarning);
  EXPECT_NE(user_.ReportText.find("3 translations in the language file differ from the translation folder; "
                                  "kept the language file's"),
            std::string::npos)
      << user_.ReportText;
  const TLoadedLanguage loaded =
      LoadLanguage(dir_.Path("out/Pad.ENU.lng"), dir_.Path("out/Pad.DEU.lng"), 0x0407);
  std::vector<std::u16string> values;
  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column)) {
    values.push_back(unit.Item->Values(loaded.Column)->Text);
    EXPECT_EQ(unit.Status, TUnitStatus::UpToDate) << unit.Place;
  }
  EXPECT_EQ(values, (std::vector<std::u16string>{u"Servus", u"Erde", u"\u00D6ffnen"}));
}

TEST(ExchangeDialogLogicTest, FormatFollowsTheExtensionAndTheExtensionTheFormat) {
  TExchangeDialogLogic dialog(TExchangeDialogLogic::TMode::Export, {0x0407, 0x040C}, 0x040C, "/out", "Pad");
  EXPECT_EQ(dialog.dlgExchange.Caption(), "Export for Translators");
  EXPECT_EQ(dialog.btOK.Caption(), "&Export");
  EXPECT_EQ(dialog.SelectedLangId(), 0x040C);
  EXPECT_EQ(dialog.edFile.Text(), JoinPath("/out", "Pad.FRA.xlf"));
  EXPECT_FALSE(dialog.cbForce.Enabled());
  // The suggested name follows the language until the user names a file.
  dialog.cbLanguage.UserSelect(0);
  EXPECT_EQ(dialog.edFile.Text(), JoinPath("/out", "Pad.DEU.xlf"));
  dialog.cbFormat.UserSelect(1);
  EXPECT_TRUE(dialog.Po());
  EXPECT_EQ(dialog.edFile.Text(), JoinPath("/out", "Pad.DEU.po"));
  EXPECT_EQ(dialog.FileFilter(), "gettext PO (*.po)");
  dialog.edFile.SetText("/tmp/for-anna.XLIFF");
  EXPECT_FALSE(dialog.Po());
  dialog.cbLanguage.UserSelect(1);
  EXPECT_EQ(dialog.edFile.Text(), "/tmp/for-anna.XLIFF") << "a name the user gave stays";
  dialog.edFile.SetText("/tmp/notes.txt");
  EXPECT_FALSE(dialog.Po()) << "an unknown extension keeps the format";
  dialog.cbFormat.UserSelect(1);
  EXPECT_EQ(dialog.edFile.Text(), "/tmp/notes.txt.po");
  EXPECT_TRUE(dialog.btOK.Enabled());
  dialog.edFile.SetText("");
  EXPECT_FALSE(dialog.btOK.Enabled());

  TExchangeDialogLogic import(TExchangeDialogLogic::TMode::Import, {0x0407}, 0, "/out", "Pad");
  EXPECT_EQ(import.SelectedLangId(), 0x0407) << "the first when none is preselected";
  EXPECT_EQ(import.edFile.Text(), "");
  EXPECT_FALSE(import.cbFormat.Enabled()) << "an import takes the format from the content";
  EXPECT_TRUE(import.cbForce.Enabled());
  EXPECT_EQ(import.FileFilter(), "Translated files (*.xlf *.xliff *.po);;All files (*)");
  int browsed = 0;
  import.OnBrowse = [&browsed] { ++browsed; };
  import.sbFile.Click();
  EXPECT_EQ(browsed, 1);
  EXPECT_EQ(import.BrowseStart(), "/out") << "no file yet: the folder given";
  import.FileChosen("/in/Pad.DEU.po");
  EXPECT_EQ(import.BrowseStart(), "/in/Pad.DEU.po");
  EXPECT_EQ(import.btOK.Caption(), "I&mport") << "Alt+I is the file's";
}

TEST_F(MainWindowLogicTest, CoverageIsReadWhenALibraryIsLoadedAndKeyedByLanguage) {
  // Process once with a German translation of one of two strings.
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}, {2, u"World"}}));
  dir_.Write("src/de/Strings.res", testing::StringTableRes({{1, u"Hallo"}}, 0x0407));
  WriteSettings("[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
                "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n1031=de\r\n1036=fr\r\n");
  {
    TMainWindowLogic& w = Open();
    EXPECT_FALSE(w.CoverageOfRow(1).Known) << "never processed: nothing to show";
    EXPECT_EQ(w.CoverageOfRow(1).Text(), "");
    w.btProcess.Click();
    EXPECT_EQ(w.CoverageOfRow(1).Text(), "50.0%");
    Close();
  }
  TMainWindowLogic& w = Open();
  int changes = 0;
  w.OnCoverageChanged = [&changes] { ++changes; };
  EXPECT_TRUE(w.CoverageOfRow(0).Native);
  EXPECT_EQ(w.CoverageOfRow(0).Text(), "native");
  EXPECT_EQ(w.CoverageOfRow(1).Counts.Items, (std::array<int, 3>{1, 0, 1}));
  EXPECT_EQ(w.CoverageOfRow(1).Details(), "1 of 2 items up to date, 0 out of date, 1 untranslated");
  // French has no folder: its file holds the native copies only.
  EXPECT_EQ(w.CoverageOfRow(2).Text(), "0.0%");
  // Reordering the list keeps each language's own coverage beside it.
  w.lvLanguages.UserClick(2);
  w.lvLanguages.UserDragDrop(1);
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "0.0%");
  EXPECT_EQ(w.CoverageOfRow(2).Text(), "50.0%");
  // A damaged translation file says so and leaves the others alone.
  dir_.Write("out/Pad.DEU.lng", "garbage");
  w.RefreshCoverage();
  EXPECT_EQ(changes, 2) << "read again after the reordering, and when asked";
  EXPECT_EQ(w.CoverageOfRow(2).Text(), "unreadable");
  EXPECT_NE(w.CoverageOfRow(2).Details(), "");
  EXPECT_EQ(w.CoverageOfRow(1).Text(), "0.0%");
  w.miNew.Click();
  EXPECT_TRUE(w.Coverage.empty());
}

TEST(CoverageCellTest, DetailsGroupLargeCountsAndOneItemIsOne) {
  TCoverageCell cell;
  cell.Known = true;
  cell.FileExists = true;
  cell.Counts.Items = {55000, 1200, 34};
  EXPECT_EQ(cell.Details(), "55,000 of 56,234 items up to date, 1,200 out of date, 34 untranslated");
  cell.Counts.Items = {1, 0, 0};
  EXPECT_EQ(cell.Details(), "1 of 1 item up to date, 0 out of date, 0 untranslated");
}

// ---- Detection on purpose ---------------------------------------------------------------

TEST_F(MainWindowLanguagesTest, DetectionWaitsForTheWholePathNotForEachKeystroke) {
  TMainWindowLogic& w = Open();
  const std::string src = MakeSource();
  // Typing letter by letter passes through folders that exist ("/", the
  // temporary folder): none of them is searched for languages.
  for (std::size_t n = 1; n <= src.size(); ++n) Type(w.edSrcDir, src.substr(0, n));
  EXPECT_EQ(w.Languages.Count(), 0);
  EXPECT_FALSE(user_.Logged("wait cursor"));
  w.edSrcDir.Exit();
  EXPECT_EQ(w.Languages.Count(), 5);
  EXPECT_EQ(w.Languages[0]->SubFolder, "ENU");

  // Leaving the field without typing in it detects nothing more.
  w.Languages.Clear();
  w.RefreshLanguages();
  w.edSrcDir.Exit();
  EXPECT_EQ(w.Languages.Count(), 0);
  // Leaving a folder that does not exist detects nothing either.
  TypeAndLeave(w.edSrcDir, dir_.Path("src/nothing"));
  EXPECT_EQ(w.Languages.Count(), 0);

  // A folder chosen with the folder button is complete: detected at once.
  user_.Folders = {src};
  w.sbSrcDir.Click();
  EXPECT_EQ(w.Languages.Count(), 5);
}

TEST_F(MainWindowLanguagesTest, FolderNamesGiveFullLanguagesAndShortNamesNameNone) {
  EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName("de"), 0x0407) << "German (Germany), not German alone";
  EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName("EN"), 0x0409);
  EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName("fr"), 0x040C);
  EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName("it"), 0x0410);
  EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName("DEA"), 0x0C07) << "a full abbreviation stays";
  // Names of languages, in English or as their speakers write them, name
  // the language's main locale, never the first locale that shares the
  // name (English (Caribbean), German (Austria), "French (ZZZ)").
  const std::pair<const char*, LANGID> names[] = {
      {"English", 0x0409}, {"german", 0x0407}, {"French", 0x040C}, {"Spanish", 0x0C0A},
      {"Deutsch", 0x0407}, {"Fran\u00e7ais", 0x040C}, {"Espa\u00f1ol", 0x0C0A}, {"espanol", 0x0C0A},
      {"Germ", 0x0407}, {"Portu", 0x0816}};
  for (const auto& [name, id] : names) {
    EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName(name), id) << name;
    EXPECT_NE(GetLangAbbr(TMainWindowLogic::LanguageOfFolderName(name)), "ZZZ") << name;
  }
  for (const char* folder : {"bin", "res", "src", "lib", "doc", "obj", "out", "", "misc"})
    EXPECT_EQ(TMainWindowLogic::LanguageOfFolderName(folder), 0) << folder;
  EXPECT_EQ(MainLocaleOf(0x0407), 0x0407);
  EXPECT_EQ(MainLocaleOf(0x0009), 0x0409);
  EXPECT_EQ(MainLocaleOf(0), 0);

  // Only folders count, each language once, ordered by name.
  dir_.Write("mixed/DEU", "a file");
  for (const char* sub : {"mixed/fr", "mixed/Deutsch", "mixed/en", "mixed/FRA", "mixed/bin"})
    std::filesystem::create_directories(dir_.Path(sub));
  EXPECT_EQ(TMainWindowLogic::DetectLanguages(dir_.Path("mixed")),
            (std::vector<TDetectedLanguage>{{0x0407, "Deutsch"}, {0x0409, "en"}, {0x040C, "fr"}}));
  EXPECT_TRUE(TMainWindowLogic::DetectLanguages(dir_.Path("missing")).empty());
}

TEST_F(MainWindowLanguagesTest, NativeLanguageIsEnglishElseTheUsersChoice) {
  for (const char* sub : {"tinypad/de", "tinypad/en", "tinypad/fr", "nonenglish/de", "nonenglish/fr", "nonenglish/it"})
    std::filesystem::create_directories(dir_.Path(sub));
  TMainWindowLogic& w = Open();
  TypeAndLeave(w.edSrcDir, dir_.Path("tinypad"));
  ASSERT_EQ(w.Languages.Count(), 3);
  EXPECT_EQ(w.Languages[0]->SubFolder, "en");
  EXPECT_EQ(w.Languages[1]->SubFolder, "de");
  EXPECT_EQ(w.Languages[2]->SubFolder, "fr");
  EXPECT_FALSE(std::any_of(user_.Log.begin(), user_.Log.end(), [](const std::string& l) { return l.rfind("native?", 0) == 0; }));
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, "English (United States) \u2014 native");

  // Without English the user is asked, with the languages in list order.
  w.Languages.Clear();
  w.RefreshLanguages();
  user_.NativeChoices = {1};
  TypeAndLeave(w.edSrcDir, dir_.Path("nonenglish"));
  EXPECT_TRUE(user_.Logged("native? German (Germany) (/de), French (France) (/fr), Italian (Italy) (/it)"));
  ASSERT_EQ(w.Languages.Count(), 3);
  EXPECT_EQ(w.Languages[0]->SubFolder, "fr");
  EXPECT_EQ(w.Languages[1]->SubFolder, "de");
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, "French (France) \u2014 native");

  // Declined: the first folder's language stays first.
  w.Languages.Clear();
  w.RefreshLanguages();
  user_.NativeChoices = {-1};
  w.btAuto.Click();
  EXPECT_EQ(w.Languages[0]->SubFolder, "de");

  // Languages added to a list that has its native language change nothing of it.
  const std::size_t asked = user_.Log.size();
  std::filesystem::create_directories(dir_.Path("nonenglish/en"));
  w.btAuto.Click();
  ASSERT_EQ(w.Languages.Count(), 4);
  EXPECT_EQ(w.Languages[0]->SubFolder, "de");
  EXPECT_EQ(w.Languages[3]->SubFolder, "en");
  EXPECT_FALSE(std::any_of(user_.Log.begin() + static_cast<std::ptrdiff_t>(asked), user_.Log.end(),
                           [](const std::string& l) { return l.rfind("native?", 0) == 0; }));
}

// ---- Keyboard ---------------------------------------------------------------------------

TEST_F(MainWindowLanguagesTest, KeyboardMovesDeletesAndEditsLanguages) {
  TMainWindowLogic& w = Open();
  TypeAndLeave(w.edSrcDir, MakeSource());  // ENU, DEU, fra, Gree, Ital
  auto order = [&] {
    std::string s;
    for (const auto& language : w.Languages) s += language->SubFolder + " ";
    return s;
  };
  EXPECT_FALSE(w.btMoveUp.Enabled());
  EXPECT_FALSE(w.btMoveDown.Enabled());
  EXPECT_FALSE(w.lvLanguages.UserKeyDown(TListKey::Down, true)) << "nothing selected: nothing moves";

  w.lvLanguages.UserClick(1);
  EXPECT_TRUE(w.btMoveUp.Enabled());
  EXPECT_TRUE(w.btMoveDown.Enabled());
  // Up and Down alone belong to the list.
  EXPECT_FALSE(w.lvLanguages.UserKeyDown(TListKey::Up, false));
  EXPECT_FALSE(w.lvLanguages.UserKeyDown(TListKey::Down, false));
  // Ctrl+Up makes German the native language (confirmed); the selection follows.
  user_.Answers = {idYes};
  EXPECT_TRUE(w.lvLanguages.UserKeyDown(TListKey::Up, true));
  EXPECT_EQ(order(), "DEU ENU fra Gree Ital ");
  EXPECT_EQ(w.lvLanguages.Selected(), 0);
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, DisplayLangName(0x0407) + TMainWindowLogic::SNativeMark);
  EXPECT_EQ(w.lvLanguages.Rows()[1].Caption, DisplayLangName(0x0409));
  EXPECT_FALSE(w.btMoveUp.Enabled()) << "the first row goes no higher";
  EXPECT_TRUE(w.lvLanguages.UserKeyDown(TListKey::Up, true));
  EXPECT_EQ(order(), "DEU ENU fra Gree Ital ");

  w.lvLanguages.UserClick(3);
  w.btMoveDown.Click();
  EXPECT_EQ(order(), "DEU ENU fra Ital Gree ");
  EXPECT_EQ(w.lvLanguages.Selected(), 4);
  EXPECT_FALSE(w.btMoveDown.Enabled());
  EXPECT_TRUE(w.lvLanguages.UserKeyDown(TListKey::Down, true));
  EXPECT_EQ(order(), "DEU ENU fra Ital Gree ");
  w.btMoveUp.Click();
  EXPECT_EQ(order(), "DEU ENU fra Gree Ital ");

  // Delete goes through the delete command with its question.
  w.lvLanguages.UserClick(0);
  user_.Answers = {idYes};
  EXPECT_TRUE(w.lvLanguages.UserKeyDown(TListKey::Delete, false));
  EXPECT_TRUE(user_.Logged("ask Delete language \"German (Germany)\" (sub-folder \"DEU\")?"));
  EXPECT_EQ(order(), "ENU fra Gree Ital ");
  EXPECT_EQ(w.lvLanguages.Rows()[0].Caption, DisplayLangName(0x0409) + TMainWindowLogic::SNativeMark)
      << "the new first row is marked native";

  // Enter and a double-click edit the selected language.
  int edits = 0;
  user_.LanguageDialog = [&](TLangDialogLogic&) {
    ++edits;
    return false;
  };
  EXPECT_FALSE(w.lvLanguages.UserKeyDown(TListKey::Enter, false)) << "no row selected: Enter is the window's";
  w.lvLanguages.UserClick(1);
  EXPECT_TRUE(w.lvLanguages.UserKeyDown(TListKey::Enter, false));
  w.lvLanguages.UserDoubleClick(2);
  w.lvLanguages.UserDoubleClick(-1);
  EXPECT_EQ(edits, 2);
  EXPECT_EQ(w.Languages.Count(), 4);
}

// ---- Smaller things ---------------------------------------------------------------------

TEST_F(MainWindowLogicTest, HintStatusLineAndTheOneNewLibraryName) {
  TMainWindowLogic& w = Open();
  EXPECT_EQ(w.btAuto.Hint, "Detect the languages from the names of the source folder's sub-folders");
  EXPECT_EQ(w.pnlSettingsFile.Caption(), "Settings: " + SettingsFile());
  EXPECT_EQ(w.cbLibraries.Text(), w.edLibName.Text());
}

TEST_F(MainWindowLogicTest, UntouchedNewLibraryIsNeverWrittenNorListedTwice) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();
  ASSERT_EQ(w.CurLib, 2);
  w.miNew.Click();
  w.miNew.Click();
  EXPECT_EQ(w.cbLibraries.Items(), (std::vector<std::string>{"Alpha", "Beta", "New Library"})) << "one new library";
  EXPECT_TRUE(w.UntouchedNewLibrary());
  // Leaving it for another library drops it from the chooser.
  w.cbLibraries.UserSelect(0);
  EXPECT_EQ(w.cbLibraries.Items(), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(w.CurLib, 1);
  EXPECT_EQ(w.edLibName.Text(), "Alpha");
  EXPECT_EQ(Settings().find("[Library3]"), std::string::npos);

  // Closing on an untouched new library keeps the library before it as the last used.
  w.miNew.Click();
  Close();
  EXPECT_EQ(Settings().find("[Library3]"), std::string::npos);
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Main", "LastLib", ""), "1");

  // A touched one is written as before.
  TMainWindowLogic& again = Open();
  EXPECT_EQ(again.CurLib, 1);
  again.miNew.Click();
  Type(again.edSrcDir, "/somewhere");
  EXPECT_FALSE(again.UntouchedNewLibrary());
  Close();
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Library3", "SrcDir", ""), "/somewhere");
  EXPECT_EQ(TIniFile(SettingsFile()).ReadString("Main", "LastLib", ""), "3");
}

TEST_F(MainWindowLogicTest, RemoveUnusedIsRememberedPerLibraryAcrossRestarts) {
  WriteSettings(kTwoLibraries);
  TMainWindowLogic& w = Open();  // Beta
  EXPECT_FALSE(w.cbRemoveUnusedItems.Checked());
  w.cbRemoveUnusedItems.SetChecked(true);
  w.cbLibraries.UserSelect(0);  // Alpha: saved Beta's
  EXPECT_FALSE(w.cbRemoveUnusedItems.Checked());
  w.cbLibraries.UserSelect(1);
  EXPECT_TRUE(w.cbRemoveUnusedItems.Checked());
  Close();
  TMainWindowLogic& again = Open();
  EXPECT_EQ(again.CurLib, 2);
  EXPECT_TRUE(again.cbRemoveUnusedItems.Checked());
  again.cbLibraries.UserSelect(0);
  EXPECT_FALSE(again.cbRemoveUnusedItems.Checked());
}

TEST_F(MainWindowLogicTest, WindowPlacementIsReadOnShowAndWrittenOnClose) {
  WriteSettings(std::string(kTwoLibraries) + "[Main]\r\nWindowLeft=40\r\nWindowTop=50\r\nWindowWidth=700\r\n"
                                             "WindowHeight=600\r\nWindowMaximized=0\r\n");
  TMainWindowLogic& w = Open();
  EXPECT_EQ(w.Placement, (TWindowPlacement{40, 50, 700, 600, false}));
  w.Placement = {10, 20, 800, 500, true};
  Close();
  EXPECT_EQ(TLibrarySettings(SettingsFile()).LoadWindowPlacement(), (TWindowPlacement{10, 20, 800, 500, true}));
}

TEST(MainWindowPlacementTest, FitPlacementKeepsTheWindowOnTheScreen) {
  const TWindowPlacement screen{0, 0, 1280, 800, false};
  auto fit = [&](TWindowPlacement p) { return TMainWindowLogic::FitPlacement(p, screen); };
  EXPECT_EQ(fit({100, 100, 600, 500, false}), (TWindowPlacement{100, 100, 600, 500, false})) << "fits: unchanged";
  EXPECT_EQ(fit({900, 500, 600, 500, true}), (TWindowPlacement{680, 300, 600, 500, true})) << "moved in";
  EXPECT_EQ(fit({-50, -20, 600, 500, false}), (TWindowPlacement{0, 0, 600, 500, false}));
  EXPECT_EQ(fit({10, 10, 1240, 1280, false}), (TWindowPlacement{10, 0, 1240, 800, false})) << "shrunk to the screen";
  EXPECT_EQ(fit({3000, 3000, 5000, 5000, false}), (TWindowPlacement{0, 0, 1280, 800, false}));
  const TWindowPlacement second{1280, 0, 1920, 1080, false};
  EXPECT_EQ(TMainWindowLogic::FitPlacement({100, 100, 600, 500, false}, second),
            (TWindowPlacement{1280, 100, 600, 500, false}));
  EXPECT_FALSE(fit({}).Remembered()) << "nothing remembered stays so";
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
  EXPECT_EQ(TIniFile(file).ReadString("Library1", "Name", "<none>"), "<none>") << "an untouched new library";
  EXPECT_EQ(TIniFile(file).ReadString("Main", "LastLib", ""), "0");
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

TEST_F(MainWindowLogicTest, PseudoTranslateWritesThePseudoLanguageFileAfterTheRun) {
  dir_.Write("src/en/Strings.res", testing::StringTableRes({{1, u"Hello"}}));
  TMainWindowLogic& w = Open();
  EnterPadLibrary(w);
  user_.Log.clear();
  w.miPseudo.Click();
  ASSERT_EQ(user_.Log.size(), 1u);
  EXPECT_NE(user_.Log[0].find("error "), std::string::npos);
  EXPECT_NE(user_.Log[0].find("process the library first"), std::string::npos) << user_.Log[0];

  w.btProcess.Click();
  user_.Log.clear();
  w.miPseudo.Click();
  ASSERT_EQ(user_.Log.size(), 1u);
  EXPECT_EQ(user_.Log[0].rfind("information Wrote " + JoinPath(dir_.Path("out"), "Pad.QPS.lng") + ": 1 items, 1 pseudo-translated", 0),
            0u)
      << user_.Log[0];
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.QPS.lng")));
}

}  // namespace
}  // namespace sw
