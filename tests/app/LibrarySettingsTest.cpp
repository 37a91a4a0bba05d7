// Library settings: the settings file read as text and through the profile
// file, renumbering after a deletion, the sibling tool's path list, lib.ini.
#include "app/LibrarySettings.h"

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/SettingsLocation.h"
#include "runtime/IniFile.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class LibrarySettingsTest : public ::testing::Test {
 protected:
  std::string WriteSettings(const std::string& text) { return dir.Write("shelfwright.ini", text); }
  TempDir dir;
};

TEST_F(LibrarySettingsTest, MissingFileIsAnEmptyList) {
  TLibrarySettings settings(dir.Path("none.ini"));
  const TLibraryList list = settings.LoadLibraryList();
  EXPECT_EQ(list.LastLib, 0);
  EXPECT_TRUE(list.Names.empty());
  EXPECT_TRUE(list.GlobalPropRules.Empty());
  EXPECT_EQ(settings.LoadLibrary(1).Languages.Count(), 0);
}

TEST_F(LibrarySettingsTest, ListStopsAtTheFirstGapOrBlankSection) {
  TLibrarySettings gap(WriteSettings(
      "[Main]\r\nLastLib=3\r\n[Library1]\r\nName=One\r\n[Library3]\r\nName=Three\r\n"));
  const TLibraryList list = gap.LoadLibraryList();
  EXPECT_EQ(list.LastLib, 3);
  ASSERT_EQ(list.Names.size(), 1u);
  EXPECT_EQ(list.Names[0], "One");

  TLibrarySettings blank(WriteSettings("[library1]\nname=First\n[Library2]\n   \n\n[Library3]\nName=Third\n"));
  const TLibraryList list2 = blank.LoadLibraryList();
  ASSERT_EQ(list2.Names.size(), 1u);
  EXPECT_EQ(list2.Names[0], "First");  // section and key names ignore case
}

TEST_F(LibrarySettingsTest, LastLibAndGlobalRules) {
  TLibrarySettings blank(WriteSettings("[Main]\nLastLib=  \n[PropRules]\n+.Caption\n\n-TLabel.Caption\n"));
  const TLibraryList list = blank.LoadLibraryList();
  EXPECT_EQ(list.LastLib, 0);
  EXPECT_EQ(list.GlobalPropRules, (TStringList{"+.Caption", "-TLabel.Caption"}));

  TLibrarySettings bad(WriteSettings("[Main]\nLastLib=two\n[Library1]\nName=One\n"));
  EXPECT_THROW_MSG(bad.LoadLibraryList(), EConvertError,
                   bad.FileName() + ": [Main] LastLib: 'two' is not a valid integer value");
}

// The number of parallel readers is a speed setting: whatever stands there,
// a run still starts (0: the machine's cores).
TEST_F(LibrarySettingsTest, JobsFromMainOrTheMachinesCores) {
  EXPECT_EQ(TLibrarySettings(dir.Path("none.ini")).LoadJobs(), 0);
  const std::pair<const char*, int> cases[] = {
      {"[Main]\nLastLib=1\n", 0}, {"[main]\njobs= 3 \n", 3}, {"[Main]\nJobs=1\n", 1},     {"[Main]\nJobs=256\n", 256},
      {"[Main]\nJobs=257\n", 0},  {"[Main]\nJobs=0\n", 0},    {"[Main]\nJobs=-2\n", 0},    {"[Main]\nJobs=two\n", 0},
      {"[Main]\nJobs=\n", 0},     {"[Other]\nJobs=4\n", 0},   {"[Main]\nJobs=99999999999\n", 0},
  };
  for (const auto& [text, jobs] : cases) EXPECT_EQ(TLibrarySettings(WriteSettings(text)).LoadJobs(), jobs) << text;
}

TEST_F(LibrarySettingsTest, LoadLibraryDefaultsDuplicatesAndRules) {
  TLibrarySettings settings(WriteSettings(
      "[Library1]\nName=Demo\nShortName=Demo\nSrcDir=/src\nDestDir=/out\n"
      "[Languages1Lib]\n1033=en\n1031=de\n1033=again\n"
      "[PropRules1Lib]\n+.Caption\n*.Hint=ignored part\n"));
  const TLibraryDefinition library = settings.LoadLibrary(1);
  EXPECT_EQ(library.Name, "Demo");
  EXPECT_EQ(library.SrcDir, "/src");
  EXPECT_EQ(library.DestDir, "/out");
  EXPECT_EQ(library.ScanFiles, sfResFiles);  // no ScanFiles key: .RES/.R32 only
  ASSERT_EQ(library.Languages.Count(), 2);
  EXPECT_EQ(library.Languages[0]->LangId, 1033);
  EXPECT_EQ(library.Languages[0]->SubFolder, "en");
  EXPECT_EQ(library.Languages[1]->LangId, 1031);
  EXPECT_EQ(library.PropRules, (TStringList{"+.Caption", "*.Hint"}));

  EXPECT_EQ(settings.LoadLibrary(2).PropRules.Count(), 0);
}

TEST_F(LibrarySettingsTest, LanguageKeyThatIsNoNumberIsAConversionError) {
  TLibrarySettings text(WriteSettings("[Library1]\nName=X\n[Languages1Lib]\nEnglish=en\n"));
  EXPECT_THROW(text.LoadLibrary(1), EConvertError);
  TLibrarySettings wide(WriteSettings("[Library1]\nName=X\n[Languages1Lib]\n66569=en\n"));
  EXPECT_THROW(wide.LoadLibrary(1), EConvertError);
}

TEST_F(LibrarySettingsTest, ConversionErrorsNameFileSectionAndKey) {
  const std::string file = dir.Path("shelfwright.ini");
  TLibrarySettings settings(file);
  WriteSettings("[Library1]\nName=X\n[Languages1Lib]\n1O33=en\n");
  EXPECT_THROW_MSG(settings.LoadLibrary(1), EConvertError,
                   file + ": [Languages1Lib] 1O33: '1O33' is not a valid integer value");
  WriteSettings("[Library1]\nName=X\n[Languages1Lib]\n66569=en\n");
  EXPECT_THROW_MSG(settings.LoadLibrary(1), EConvertError,
                   file + ": [Languages1Lib] 66569: '66569' is not a valid language identifier");
  // A mistyped ScanFiles is an error, not a silent "compiled resources only".
  WriteSettings("[Library1]\nName=X\nScanFiles=1S\n");
  EXPECT_THROW_MSG(settings.LoadLibrary(1), EConvertError,
                   file + ": [Library1] ScanFiles: '1S' is not a valid integer value");
  WriteSettings("[Library1]\nName=X\nScanFiles=$F\n");
  EXPECT_EQ(settings.LoadLibrary(1).ScanFiles, 15);
}

TEST_F(LibrarySettingsTest, FileStateRequireAndCreate) {
  TLibrarySettings missing(dir.Path("new/folder/settings.ini"));
  EXPECT_EQ(missing.FileState(), TLibrarySettings::TFileState::Missing);
  EXPECT_THROW_MSG(missing.RequireFile(), ESettingsFileError,
                   "The settings file " + missing.FileName() + " does not exist");
  missing.CreateFile();
  EXPECT_EQ(missing.FileState(), TLibrarySettings::TFileState::Present);
  EXPECT_EQ(TempDir::Read(missing.FileName()), "");
  EXPECT_NO_THROW(missing.RequireFile());

  TLibrarySettings folder(dir.Root());
  EXPECT_EQ(folder.FileState(), TLibrarySettings::TFileState::Folder);
  EXPECT_THROW_MSG(folder.RequireFile(), ESettingsFileError, dir.Root() + " is a folder, not a settings file");
  EXPECT_THROW(folder.LoadLibraryList(), EIniFileError);

  // A file of another kind is refused by every operation and keeps its bytes.
  const std::string form = "object Main: TForm\r\nend\r\n";
  TLibrarySettings other(dir.Write("Main.dfm", form));
  EXPECT_THROW(other.LoadLibraryList(), EIniFileError);
  TLibraryDefinition library;
  library.Name = "X";
  EXPECT_THROW(other.SaveLibrary(1, library), EIniFileError);
  EXPECT_THROW(other.SaveLastLib(1), EIniFileError);
  EXPECT_EQ(TempDir::Read(other.FileName()), form);
}

TEST_F(LibrarySettingsTest, SaveLibraryReplacesLanguagesAndKeepsOtherLines) {
  const std::string file = WriteSettings(
      "; comment kept\r\n[Library1]\r\nName=Old\r\nExtra=kept\r\n[Languages1Lib]\r\n1033=en\r\n1036=fr\r\n"
      "[PropRules1Lib]\r\n+.Caption\r\n");
  TLibrarySettings settings(file);
  TLibraryDefinition library;
  library.Name = "New";
  library.ShortName = "NewLib";
  library.SrcDir = "/s";
  library.DestDir = "/d";
  library.ScanFiles = 13;
  library.Languages.AddLibLanguage(1031, "de");
  library.Languages.AddLibLanguage(1033, "");
  settings.SaveLibrary(1, library);
  settings.SaveLastLib(1);

  const TLibraryDefinition back = settings.LoadLibrary(1);
  EXPECT_EQ(back.Name, "New");
  EXPECT_EQ(back.ShortName, "NewLib");
  EXPECT_EQ(back.ScanFiles, 13);
  ASSERT_EQ(back.Languages.Count(), 2);
  EXPECT_EQ(back.Languages[0]->LangId, 1031);
  EXPECT_EQ(back.Languages[1]->SubFolder, "");
  EXPECT_EQ(back.PropRules, (TStringList{"+.Caption"}));
  EXPECT_EQ(settings.LoadLibraryList().LastLib, 1);

  const std::string text = TempDir::Read(file);
  EXPECT_NE(text.find("; comment kept\r\n"), std::string::npos);
  EXPECT_NE(text.find("Extra=kept\r\n"), std::string::npos);
  EXPECT_EQ(text.find("1036"), std::string::npos);
}

TEST_F(LibrarySettingsTest, SaveCreatesTheFileOnFirstStart) {
  TLibrarySettings settings(dir.Path("fresh.ini"));
  TLibraryDefinition library;
  library.Name = "Fresh";
  library.Languages.AddLibLanguage(1033, "en");
  settings.SaveLibrary(1, library);
  const TLibraryList list = settings.LoadLibraryList();
  ASSERT_EQ(list.Names.size(), 1u);
  EXPECT_EQ(list.Names[0], "Fresh");
}

TEST_F(LibrarySettingsTest, DeletingLibraryTwoOfFourRenumbersOnlyHeaders) {
  const std::string before =
      "[Main]\r\nLastLib=2\r\n"
      "[Library1]\r\nName=One\r\n[Languages1Lib]\r\n1033=en\r\n"
      "[Library2]\r\nName=Two\r\n[Languages2Lib]\r\n1031=de\r\n[PropRules2Lib]\r\n+.Hint\r\n"
      "[Library3]\r\nName=[Library3] copy\r\nSrcDir=C:\\[Languages3Lib]\r\n[Languages3Lib]\r\n1036=fr\r\n"
      "[Library4]\r\nName=Four\r\n[Languages4Lib]\r\n1040=it\r\n[PropRules4Lib]\r\n-TLabel.Caption\r\n";
  const std::string file = WriteSettings(before);
  TLibrarySettings settings(file);
  settings.DeleteLibrarySettings(2, 4);

  const std::string expected =
      "[Main]\r\nLastLib=2\r\n"
      "[Library1]\r\nName=One\r\n[Languages1Lib]\r\n1033=en\r\n"
      "[Library2]\r\nName=[Library3] copy\r\nSrcDir=C:\\[Languages3Lib]\r\n[Languages2Lib]\r\n1036=fr\r\n"
      "[Library3]\r\nName=Four\r\n[Languages3Lib]\r\n1040=it\r\n[PropRules3Lib]\r\n-TLabel.Caption\r\n";
  EXPECT_EQ(TempDir::Read(file), expected);
  const TLibraryList list = settings.LoadLibraryList();
  EXPECT_EQ(list.Names, (std::vector<std::string>{"One", "[Library3] copy", "Four"}));
  EXPECT_EQ(settings.LoadLibrary(3).Languages[0]->LangId, 1040);
  // The deleted library's rules go with it; the moved library keeps its own.
  EXPECT_EQ(settings.LoadLibrary(2).PropRules.Count(), 0);
  EXPECT_EQ(settings.LoadLibrary(3).PropRules.Text(), "-TLabel.Caption\r\n");
}

TEST_F(LibrarySettingsTest, DeletingTheLastLibraryRenamesNothing) {
  const std::string file = WriteSettings(
      "[Library1]\r\nName=One\r\n[Languages1Lib]\r\n1033=en\r\n[Library2]\r\nName=Two\r\n[Languages2Lib]\r\n"
      "1031=de\r\n");
  TLibrarySettings settings(file);
  settings.DeleteLibrarySettings(2, 2);
  EXPECT_EQ(TempDir::Read(file), "[Library1]\r\nName=One\r\n[Languages1Lib]\r\n1033=en\r\n");
}

TEST_F(LibrarySettingsTest, FindLibraryByName) {
  TLibrarySettings settings(WriteSettings("[Library1]\nName=Alpha\n[Library2]\nName=beta\n"));
  EXPECT_EQ(settings.FindLibraryByName("beta"), 2);
  EXPECT_EQ(settings.FindLibraryByName("ALPHA"), 1);
  EXPECT_EQ(settings.FindLibraryByName("Gamma"), 0);
}

TEST(LibraryPathTest, FirstItemOfTheDelimitedList) {
  EXPECT_EQ(FirstLibraryPath("C:\\Libs;D:\\More"), "C:\\Libs");
  EXPECT_EQ(FirstLibraryPath("C:\\My Libs;D:\\More"), "C:\\My");
  EXPECT_EQ(FirstLibraryPath("\"C:\\My Libs\";D:\\More"), "C:\\My Libs");
  EXPECT_EQ(FirstLibraryPath(""), "");
  EXPECT_EQ(FirstLibraryPath("   "), "");
  EXPECT_EQ(FirstLibraryPath(";D:\\More"), "");
  EXPECT_EQ(FirstLibraryPath("  /home/u/libs"), "/home/u/libs");
}

TEST(LibraryPathTest, SiblingToolSettingsAndOverride) {
  SKIP_ON_WINDOWS("POSIX rules for the settings file and the sibling tool's library path (Windows: test_platform)");
  TempDir dir;
  dir.Write("linguadesk/linguadesk.ini", "[Other]\r\nLibraryPath=no\r\n[Linguadesk]\r\nlibrarypath=/a b;/c\r\n");
  ::setenv("XDG_CONFIG_HOME", dir.Root().c_str(), 1);
  ::unsetenv("LINGUADESK_LIBRARY_PATH");
  EXPECT_EQ(ReadSiblingLibraryPath(), "/a b;/c");
  EXPECT_EQ(ReadLibraryPath(), "/a");
  ::setenv("LINGUADESK_LIBRARY_PATH", "\"/x y\";/z", 1);
  EXPECT_EQ(ReadLibraryPath(), "/x y");
  ::unsetenv("LINGUADESK_LIBRARY_PATH");
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsLocationTest, BesideTheProgramWhenPresentElseConfigFolder) {
  SKIP_ON_WINDOWS("POSIX rules for the settings file and the sibling tool's library path (Windows: test_platform)");
  TempDir dir;
  const std::string program = dir.Path("bin/shelfwright");
  EXPECT_EQ(platform::SettingsFileNameFor(program, dir.Path("cfg")), dir.Path("cfg/shelfwright/shelfwright.ini"));
  dir.Write("bin/shelfwright.ini", "");
  EXPECT_EQ(platform::SettingsFileNameFor(program, dir.Path("cfg")), dir.Path("bin/shelfwright.ini"));
  EXPECT_EQ(platform::SettingsFileNameFor(dir.Path("bin/shelfwright-cli"), dir.Path("cfg")),
            dir.Path("bin/shelfwright.ini"));
}

TEST(LibLangListTest, AddMoveAndLookUp) {
  TLibLangList list;
  ASSERT_NE(list.AddLibLanguage(1033, "en"), nullptr);
  ASSERT_NE(list.AddLibLanguage(1031, "de"), nullptr);
  EXPECT_EQ(list.AddLibLanguage(1033, "other"), nullptr);
  ASSERT_NE(list.AddLibLanguage(1036, "fr"), nullptr);
  EXPECT_EQ(list.IndexOfLangId(1031), 1);
  EXPECT_EQ(list.IndexOfLangId(1049), -1);
  list.Move(2, 0);
  EXPECT_EQ(list[0]->LangId, 1036);
  EXPECT_EQ(list[1]->LangId, 1033);
  list.Move(0, 2);
  EXPECT_EQ(list[2]->LangId, 1036);
  EXPECT_THROW(list.Move(0, 3), EListError);
  TLibLangList copy;
  copy.Assign(list);
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_NE(copy[0], list[0]);
  EXPECT_EQ(copy[0]->SubFolder, "en");
}

TEST(LibIniTest, SevenKindsOfLinesWithCrLf) {
  TLibLangList languages;
  languages.AddLibLanguage(1033, "en");
  languages.AddLibLanguage(1031, "de");
  EXPECT_EQ(BuildLibIni("My Library", "MyLib", languages, TStringList{"+.Caption", "-TLabel.Caption"}),
            "[Common]\r\nName=My Library\r\nFileName=MyLib\r\nNativeExt=ENU\r\n\r\n[PropRules]\r\n+.Caption\r\n"
            "-TLabel.Caption\r\n");
  EXPECT_EQ(BuildLibIni("N", "S", languages, TStringList{}),
            "[Common]\r\nName=N\r\nFileName=S\r\nNativeExt=ENU\r\n\r\n[PropRules]\r\n");
}

TEST(LibIniTest, LibraryWithoutLanguagesWritesNothing) {
  TempDir dir;
  TLibLangList none;
  EXPECT_THROW_MSG(WriteLibIni(dir.Root(), "Empty", "E", none, TStringList{}), EShelfwrightError,
                   "lib.ini of library \"Empty\" was not written: the library has no languages");
  EXPECT_FALSE(platform::FileExists(dir.Path("lib.ini")));
  TLibLangList one;
  one.AddLibLanguage(0x0407, "de");
  WriteLibIni(dir.Root(), "G", "G", one, TStringList{"+.Hint"});
  EXPECT_EQ(TempDir::Read(dir.Path("lib.ini")),
            "[Common]\r\nName=G\r\nFileName=G\r\nNativeExt=DEU\r\n\r\n[PropRules]\r\n+.Hint\r\n");
}

// ---- Window placement and per-library switches -----------------------------------

TEST_F(LibrarySettingsTest, WindowPlacementRoundTripsAndBadValuesAreNotRemembered) {
  TLibrarySettings settings(WriteSettings("[Main]\r\nLastLib=1\r\n"));
  EXPECT_FALSE(settings.LoadWindowPlacement().Remembered());
  EXPECT_FALSE(TLibrarySettings(dir.Path("none.ini")).LoadWindowPlacement().Remembered());

  const TWindowPlacement placement{-8, 30, 700, 520, true};
  settings.SaveWindowPlacement(placement);
  EXPECT_EQ(settings.LoadWindowPlacement(), placement);
  EXPECT_EQ(settings.LoadLibraryList().LastLib, 1) << "the other [Main] keys stay";
  // A placement that is not remembered writes nothing.
  settings.SaveWindowPlacement(TWindowPlacement{});
  EXPECT_EQ(settings.LoadWindowPlacement(), placement);

  for (const char* bad : {"WindowWidth=0", "WindowWidth=wide", "WindowWidth=99999999", "WindowWidth=-700",
                          "WindowWidth="}) {
    TLibrarySettings edited(WriteSettings(std::string("[Main]\r\nWindowLeft=1\r\nWindowTop=2\r\n") + bad +
                                          "\r\nWindowHeight=300\r\n"));
    EXPECT_FALSE(edited.LoadWindowPlacement().Remembered()) << bad;
  }
  TLibrarySettings spaced(WriteSettings("[Main]\nWindowLeft= 5 \nWindowTop=6\nWindowWidth=400\nWindowHeight=300\n"
                                        "WindowMaximized=yes\n"));
  EXPECT_EQ(spaced.LoadWindowPlacement(), (TWindowPlacement{5, 6, 400, 300, false}));
}

TEST_F(LibrarySettingsTest, RemoveUnusedIsKeptPerLibraryAndMovesWithItsSection) {
  TLibrarySettings settings(WriteSettings("[Library1]\r\nName=A\r\n[Library2]\r\nName=B\r\n"
                                          "[Library3]\r\nName=C\r\n"));
  EXPECT_FALSE(settings.LoadRemoveUnused(1));
  settings.SaveRemoveUnused(3, true);
  settings.SaveRemoveUnused(1, false);
  EXPECT_TRUE(settings.LoadRemoveUnused(3));
  EXPECT_FALSE(settings.LoadRemoveUnused(1));
  // Saving the library's fields leaves the switch alone.
  TLibraryDefinition c = settings.LoadLibrary(3);
  settings.SaveLibrary(3, c);
  EXPECT_TRUE(settings.LoadRemoveUnused(3));
  settings.DeleteLibrarySettings(2, 3);
  EXPECT_TRUE(settings.LoadRemoveUnused(2)) << "library C is number 2 now";
  EXPECT_FALSE(settings.LoadRemoveUnused(3));
  EXPECT_FALSE(TLibrarySettings(dir.Path("none.ini")).LoadRemoveUnused(1));
}

}  // namespace
}  // namespace sw
