// The run service end to end: errors that name their file, numbering that
// does not depend on the order files were created in, and the run's safety
// rules (nothing written for a missing folder, no purge on an empty or failed
// read, no shells re-created by translations, write failures reported).
#include "app/LibraryRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stop_token>
#include <tuple>
#include <vector>

#include "app/AppTestSupport.h"
#include "memory/MemoryError.h"
#include "memory/TranslationMemory.h"
#include "storage/PropRules.h"
#include "support/RecordingUserInteraction.h"
#include "support/TestSupport.h"
#include "base/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "util/UserInteraction.h"

namespace sw {
namespace {

using testing::ReadLng;
using testing::StringTableRes;

constexpr int kEnglish = 1033;
constexpr int kGerman = 1031;

const char* const kUnit =
    "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hello';\r\n  SBye = 'Bye';\r\n"
    "implementation\r\nend.\r\n";
const char* const kForm =
    "object MainForm: TMainForm\r\n  Caption = 'Main window'\r\n"
    "  object Button1: TButton\r\n    Caption = 'OK'\r\n  end\r\nend\r\n";
const char* const kRc = "STRINGTABLE\r\nBEGIN\r\n  500, \"One\"\r\nEND\r\n";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class LibraryRunTest : public ::testing::Test {
 protected:
  TResolvedLibrary Library(std::initializer_list<std::pair<int, const char*>> languages, bool removeUnused = false) {
    TResolvedLibrary library;
    library.Name = "Lib";
    library.ShortName = "Lib";
    library.SrcDir = dir.Path("src");
    library.DestDir = dir.Path("out");
    library.ScanFiles = sfDefaultFiles;
    SetDefaultPropRules(library.PropRules);
    library.RemoveUnused = removeUnused;
    for (const auto& [id, folder] : languages) library.Languages.AddLibLanguage(id, folder);
    return library;
  }
  std::string Lng(const std::string& abbr) const { return dir.Path("out/Lib." + abbr + ".lng"); }
  std::map<std::string, std::string> OutFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("out")))
      if (entry.path().extension() != ".cache")  // the run's cache: an optimisation, not an output
        files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return files;
  }

  TempDir dir;
  RecordingUserInteraction ui;
  ScopedUserInteraction scope{&ui};
};

TEST_F(LibraryRunTest, ErrorsCarryTheirFileAndPlace) {
  SKIP_ON_WINDOWS("a dangling symbolic link stands for a file that cannot be opened");
  dir.Write("src/en/Strings.pas", kUnit);
  // A .res whose first entry claims more bytes than the file holds.
  // A .res cut short inside its string table entry.
  std::string res = StringTableRes({{1, u"Hello"}});
  res.resize(res.size() - 12);
  dir.Write("src/en/Broken.res", res);
  std::filesystem::create_symlink(dir.Path("src/en/nowhere.pas"), dir.Path("src/en/Dangling.pas"));
  TRunResult result = RunLibrary(Library({{kEnglish, "en"}}));
  ASSERT_FALSE(result.Failure) << result.Failure->Describe();
  ASSERT_EQ(result.Stats.Errors.size(), 2u);
  // Listed in folder order: Broken.res, then Dangling.pas.
  const std::string broken = result.Stats.Errors[0].Describe();
  EXPECT_EQ(broken.rfind(dir.Path("src/en/Broken.res") + ": Invalid file format (", 0), 0u) << broken;
  EXPECT_NE(broken.find("offset"), std::string::npos) << broken;
  // A source file that cannot be opened is a failed file with the system's reason.
  const std::string dangling = result.Stats.Errors[1].Describe();
  EXPECT_EQ(dangling.rfind("Cannot open file " + dir.Path("src/en/Dangling.pas") + " (", 0), 0u) << dangling;
  EXPECT_NE(dangling.find("No such file"), std::string::npos) << dangling;
  EXPECT_EQ(result.Stats.FilesFailed, 2);
  EXPECT_FALSE(result.Ok());

  // A damaged language file ends the run, and the error names it.
  dir.Write("out/Lib.ENU.lng", "not a language file at all");
  result = RunLibrary(Library({{kEnglish, "en"}}));
  ASSERT_TRUE(result.Failure);
  EXPECT_EQ(result.Failure->FileName(), Lng("ENU"));
  EXPECT_EQ(result.Failure->Describe().rfind(Lng("ENU") + ": ", 0), 0u) << result.Failure->Describe();
}

TEST_F(LibraryRunTest, NumberingDoesNotDependOnTheOrderFilesWereCreatedIn) {
  const char* const names[] = {"Alpha.pas", "Beta.pas", "Gamma.pas"};
  auto unit = [](const std::string& name) {
    return "unit " + name + ";\r\ninterface\r\nresourcestring\r\n  SOne = 'One';\r\n  STwo = 'Two';\r\n"
           "implementation\r\nend.\r\n";
  };
  TempDir second;
  for (const char* name : names) dir.Write(std::string("src/en/") + name, unit(StripExt(name)));
  for (int i = 2; i >= 0; --i) second.Write(std::string("src/en/") + names[i], unit(StripExt(names[i])));
  TResolvedLibrary a = Library({{kEnglish, "en"}});
  TResolvedLibrary b = Library({{kEnglish, "en"}});
  b.SrcDir = second.Path("src");
  b.DestDir = second.Path("out");
  ASSERT_TRUE(RunLibrary(a).Ok());
  ASSERT_TRUE(RunLibrary(b).Ok());
  EXPECT_EQ(ReadBytes(Lng("ENU")), ReadBytes(second.Path("out/Lib.ENU.lng")));
}

// The storage owns the item counters: every file of a run carries the same
// ones, so a second run over unchanged sources writes the same bytes but for
// the header's revision, translation files included.
TEST_F(LibraryRunTest, SecondRunOverUnchangedSourcesChangesOnlyTheRevision) {
  dir.Write("src/en/Strings.pas", kUnit);
  dir.Write("src/en/MainForm.dfm", kForm);
  dir.Write("src/en/Res.rc", kRc);
  dir.Write("src/en/Version.res", StringTableRes({{3, u"Three"}}));
  dir.Write("src/de/MainForm.dfm", "object MainForm: TMainForm\r\n  Caption = 'Hauptfenster'\r\nend\r\n");
  const auto library = Library({{kEnglish, "en"}, {kGerman, "de"}, {1036, "fr"}});
  ASSERT_TRUE(RunLibrary(library).Ok());
  const auto first = OutFiles();
  const auto native = ReadLng(Lng("ENU")).Header;
  EXPECT_GT(native.LastConstantId, 0);
  EXPECT_GT(native.LastPropertyId, 0);
  for (const char* abbr : {"DEU", "FRA"}) {
    const auto header = ReadLng(Lng(abbr)).Header;
    EXPECT_EQ(header.LastConstantId, native.LastConstantId) << abbr;
    EXPECT_EQ(header.LastPropertyId, native.LastPropertyId) << abbr;
    EXPECT_EQ(header.LastExtItemId, native.LastExtItemId) << abbr;
  }
  ASSERT_TRUE(RunLibrary(library).Ok());
  const auto second = OutFiles();
  ASSERT_EQ(first.size(), second.size());
  // The revision is the i32 after the signature and the version.
  constexpr std::size_t kRevisionAt = 4, kRevisionSize = 4;
  for (const auto& [name, bytes] : first) {
    if (name == "lib.ini") {
      EXPECT_EQ(second.at(name), bytes);
      continue;
    }
    std::string before = bytes, after = second.at(name);
    ASSERT_EQ(before.size(), after.size()) << name;
    EXPECT_EQ(ReadLng(dir.Path("out/" + name)).Header.Revision, 2) << name;
    before.replace(kRevisionAt, kRevisionSize, kRevisionSize, '\0');
    after.replace(kRevisionAt, kRevisionSize, kRevisionSize, '\0');
    EXPECT_EQ(before, after) << name;
  }
}

TEST_F(LibraryRunTest, MissingSourceOrNativeFolderWritesNothing) {
  dir.Write("src/en/Strings.pas", kUnit);
  dir.Write("src/de/Strings.pas", kUnit);
  ASSERT_TRUE(RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}})).Ok());
  const auto before = OutFiles();
  for (bool removeUnused : {false, true}) {
    TResolvedLibrary typo = Library({{kEnglish, "en"}, {kGerman, "de"}}, removeUnused);
    typo.SrcDir = dir.Path("sorc");
    TRunResult result = RunLibrary(typo);
    ASSERT_TRUE(result.Failure);
    EXPECT_NE(result.Failure->Describe().find(dir.Path("sorc")), std::string::npos) << result.Failure->Describe();
    TResolvedLibrary nativeTypo = Library({{kEnglish, "enn"}, {kGerman, "de"}}, removeUnused);
    result = RunLibrary(nativeTypo);
    ASSERT_TRUE(result.Failure);
    EXPECT_NE(result.Failure->Describe().find("enn"), std::string::npos) << result.Failure->Describe();
    EXPECT_EQ(OutFiles(), before);
  }
  // A translation folder that does not exist is processed, with a warning.
  const TRunResult result = RunLibrary(Library({{kEnglish, "en"}, {kGerman, "deu"}}));
  EXPECT_TRUE(result.Ok());
  ASSERT_EQ(result.Stats.Warnings.size(), 1u);
  EXPECT_NE(result.Stats.Warnings[0].find("deu"), std::string::npos);
}

TEST_F(LibraryRunTest, NoPurgeAfterAnEmptyOrFailedNativeRead) {
  dir.Write("src/en/Strings.pas", kUnit);
  dir.Write("src/en/MainForm.dfm", kForm);
  dir.Write("src/en/Res.rc", kRc);
  dir.Write("src/de/MainForm.dfm", "object MainForm: TMainForm\r\n  Caption = 'Hauptfenster'\r\nend\r\n");
  {
    const TRunResult first = RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}}, true));
    for (const auto& error : first.Stats.Errors) ADD_FAILURE() << error.Describe();
    ASSERT_TRUE(first.Ok());
  }
  const auto en = ReadLng(Lng("ENU"));
  ASSERT_NE(en.Find("F:MainForm..Caption"), nullptr);

  // A damaged form and a rejected resource script: their items stay.
  dir.Write("src/en/MainForm.dfm", std::string("TPF0\x05TForm\x05", 12));
  dir.Write("src/en/Res.rc", "STRINGTABLE\r\nBEGIN\r\n  IDS_ONE \r\n");
  TRunResult result = RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}}, true));
  EXPECT_EQ(result.Stats.FilesFailed, 2);
  ASSERT_EQ(result.Stats.Warnings.size(), 1u);
  for (const char* abbr : {"ENU", "DEU"}) {
    const auto lng = ReadLng(Lng(abbr));
    EXPECT_EQ(lng.Entries.size(), en.Entries.size()) << abbr;
    EXPECT_NE(lng.Find("F:MainForm.Button1.Caption"), nullptr) << abbr;
  }
  EXPECT_EQ(ReadLng(Lng("DEU")).Text("F:MainForm..Caption"), u"Hauptfenster");

  // A native folder with no file of the scanned kinds purges nothing either.
  std::filesystem::remove_all(dir.Path("src/en"));
  std::filesystem::create_directories(dir.Path("src/en"));
  result = RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}}, true));
  EXPECT_FALSE(result.Failure);
  ASSERT_EQ(result.Stats.Warnings.size(), 1u);
  EXPECT_EQ(ReadLng(Lng("ENU")).Entries.size(), en.Entries.size());
}

TEST_F(LibraryRunTest, TranslationsCreateNothingAndKeepTextsThatLookLikeNumbers) {
  dir.Write("src/en/MainForm.dfm", kForm);
  dir.Write("src/de/MainForm.dfm",
            "object MainForm: TMainForm\r\n  Caption = '123'\r\n"
            "  object Button1: TButton\r\n    Caption = 'OK!'\r\n  end\r\n"
            "  object Extra: TButton\r\n    Caption = 'Nur hier'\r\n  end\r\nend\r\n");
  dir.Write("src/de/Gone.dfm", "object GoneForm: TGoneForm\r\n  Caption = 'Weg'\r\nend\r\n");
  ASSERT_TRUE(RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}}, true)).Ok());
  const auto de = ReadLng(Lng("DEU"));
  // A translation made of digits is a translation.
  EXPECT_EQ(de.Text("F:MainForm..Caption"), u"123");
  EXPECT_EQ(de.Revision("F:MainForm..Caption"), 1);
  // Forms and components only the translation has are not created.
  EXPECT_EQ(de.Find("F:GoneForm..Caption"), nullptr);
  EXPECT_EQ(de.Find("F:MainForm.Extra.Caption"), nullptr);
  EXPECT_EQ(de.Entries.size(), ReadLng(Lng("ENU")).Entries.size());
}

TEST_F(LibraryRunTest, ResourceStringWithIdZeroGetsItsOwnItem) {
  dir.Write("src/en/Strings.pas", kUnit);
  dir.Write("src/en/Zero.res", StringTableRes({{0, u"Zero"}}));
  ASSERT_TRUE(RunLibrary(Library({{kEnglish, "en"}})).Ok());
  ASSERT_TRUE(RunLibrary(Library({{kEnglish, "en"}})).Ok());
  const auto en = ReadLng(Lng("ENU"));
  EXPECT_EQ(en.Text("U:Strings.SHello"), u"Hello");
  EXPECT_EQ(en.Revision("U:Strings.SHello"), 1);  // unchanged since the first run
  EXPECT_EQ(en.Text("U:Zero.0"), u"Zero");
}

// What a source loader warns of (a name declared twice, tables of another
// language passed over) reaches the run's warnings, naming the file.
TEST_F(LibraryRunTest, SourceWarningsReachTheRunsWarnings) {
  dir.Write("src/en/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hello';\r\n  SHello = 'Again';\r\n"
            "implementation\r\nend.\r\n");
  dir.Write("src/en/Msg.rc", "STRINGTABLE\r\nBEGIN\r\n  1, \"One\"\r\n  1, \"Twice\"\r\nEND\r\n");
  const TRunResult result = RunLibrary(Library({{kEnglish, "en"}}));
  ASSERT_TRUE(result.Ok());
  const auto& warnings = result.Stats.Warnings;
  const auto names = [&](const std::string& file, const std::string& what) {
    return std::any_of(warnings.begin(), warnings.end(), [&](const std::string& w) {
      return w.find(file) != std::string::npos && w.find(what) != std::string::npos;
    });
  };
  EXPECT_TRUE(names("Strings.pas", "declared again")) << ::testing::PrintToString(warnings);
  EXPECT_TRUE(names("Msg.rc", "string id 1 already has a text")) << ::testing::PrintToString(warnings);
  EXPECT_EQ(ReadLng(Lng("ENU")).Text("U:Strings.SHello"), u"Hello");  // the first declaration stands
}

TEST_F(LibraryRunTest, LanguageFileThatCannotBeWrittenIsReported) {
  dir.Write("src/en/Strings.pas", kUnit);
  std::filesystem::create_directories(dir.Path("out/Lib.DEU.lng"));  // a folder in the file's place
  const TRunResult result = RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}}));
  EXPECT_FALSE(result.Ok());
  EXPECT_EQ(result.Stats.LanguageFilesPlanned, 2);
  ASSERT_EQ(result.Stats.Languages.size(), 1u);
  ASSERT_EQ(result.Stats.WriteErrors.size(), 1u);
  EXPECT_EQ(result.Stats.WriteErrors[0].FileName(), JoinPath(dir.Path("out"), "Lib.DEU.lng"));
  EXPECT_TRUE(std::filesystem::is_regular_file(Lng("ENU")));
}

// Progress: one report at the start of each pass and one after each file of
// the scanned kinds (a failed one included); other files and sub-folders are
// not counted.
TEST_F(LibraryRunTest, ProgressCountsTheFilesOfEachPass) {
  dir.Write("src/en/Strings.pas", kUnit);
  dir.Write("src/en/MainForm.dfm", kForm);
  std::string res = StringTableRes({{1, u"Hello"}});
  res.resize(res.size() - 12);
  dir.Write("src/en/Broken.res", res);
  dir.Write("src/en/ReadMe.txt", "not scanned");
  dir.Write("src/en/sub/Other.pas", kUnit);
  dir.Write("src/de/Strings.pas", kUnit);
  using Step = std::tuple<int, int, std::string, int, int>;
  const std::string en = "English (United States)", de = "German (Germany)", fr = "French (France)";
  std::vector<Step> steps;
  TRunControl control;
  control.OnProgress = [&](const TRunProgress& p) {
    steps.emplace_back(p.LanguageIndex, p.LanguageCount, p.LanguageName, p.FilesDone, p.FilesTotal);
  };
  control.OnFileError = [](const TRunFileError&) {};
  const TRunResult result = RunLibrary(Library({{kEnglish, "en"}, {kGerman, "de"}, {1036, "fr"}}), control);
  EXPECT_EQ(result.Stats.FilesFailed, 1);
  EXPECT_FALSE(result.Stats.Cancelled);
  const std::vector<Step> expected = {
      {0, 3, en, 0, 3}, {0, 3, en, 1, 3}, {0, 3, en, 2, 3}, {0, 3, en, 3, 3},
      {1, 3, de, 0, 1}, {1, 3, de, 1, 1}, {2, 3, fr, 0, 0},
  };
  EXPECT_EQ(steps, expected);

  // Kinds left out of the scan are not counted either.
  steps.clear();
  TResolvedLibrary pasOnly = Library({{kEnglish, "en"}});
  pasOnly.ScanFiles = sfPasFiles;
  ASSERT_TRUE(RunLibrary(pasOnly, control).Ok());
  EXPECT_EQ(steps, (std::vector<Step>{{0, 1, en, 0, 1}, {0, 1, en, 1, 1}}));
}

// A stop in the middle of a pass: the languages finished before it are
// written, the one in progress keeps its file byte for byte, later ones are
// not touched and no lib.ini is written; with one reader and with several.
class LibraryRunCancelTest : public LibraryRunTest, public ::testing::WithParamInterface<int> {};

TEST_P(LibraryRunCancelTest, CancelKeepsTheLanguageInProgressUntouched) {
  dir.Write("src/en/Strings.pas", kUnit);
  dir.Write("src/en/MainForm.dfm", kForm);
  dir.Write("src/de/Strings.pas", kUnit);
  dir.Write("src/de/MainForm.dfm", kForm);
  const auto library = Library({{kEnglish, "en"}, {kGerman, "de"}, {1036, "fr"}});
  ASSERT_TRUE(RunLibrary(library).Ok());
  std::filesystem::remove(dir.Path("out/lib.ini"));
  const std::string deBefore = ReadBytes(Lng("DEU"));
  const std::string frBefore = ReadBytes(Lng("FRA"));
  const int enRevision = ReadLng(Lng("ENU")).Header.Revision;
  dir.Write("src/de/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hallo';\r\n"
            "implementation\r\nend.\r\n");

  std::stop_source stop;
  TRunControl control;
  control.Stop = stop.get_token();
  control.Jobs = GetParam();
  int reports = 0;
  control.OnProgress = [&](const TRunProgress& p) {
    ++reports;
    if (p.LanguageIndex == 1 && p.FilesDone == 1) stop.request_stop();
  };
  TRunResult result = RunLibrary(library, control);
  EXPECT_TRUE(result.Stats.Cancelled);
  EXPECT_FALSE(result.Ok());
  EXPECT_FALSE(result.Failure);
  EXPECT_TRUE(result.LibIni.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out/lib.ini")));
  EXPECT_EQ(reports, 5);  // English: start + 2 files; German: start + 1 file
  ASSERT_EQ(result.Stats.Languages.size(), 1u);
  EXPECT_EQ(ReadLng(Lng("ENU")).Header.Revision, enRevision + 1);
  EXPECT_EQ(ReadBytes(Lng("DEU")), deBefore);
  EXPECT_EQ(ReadBytes(Lng("FRA")), frBefore);

  // A stop requested before the run writes nothing at all.
  const auto before = OutFiles();
  result = RunLibrary(library, control);
  EXPECT_TRUE(result.Stats.Cancelled);
  EXPECT_TRUE(result.Stats.Languages.empty());
  EXPECT_EQ(OutFiles(), before);
}

INSTANTIATE_TEST_SUITE_P(Readers, LibraryRunCancelTest, ::testing::Values(1, 4));

// A library that keeps unchanged files: a second run over unchanged sources
// leaves every language file and lib.ini as they were, modification time
// included; a changed translation rewrites its own file only; a translation
// file kept while the native one moved on does not fall behind it; and the
// memory is not left out of step by a kept file. With and without a memory.
class LibraryRunKeepTest : public LibraryRunTest, public ::testing::WithParamInterface<bool> {
 protected:
  // Every file of out/ but the memory's, with its time set an hour back so
  // that a rewrite within the same second still shows.
  std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> AgedOutFiles() {
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("out"))) {
      const std::string name = entry.path().filename().string();
      if (name.find("memory") != std::string::npos) continue;
      const auto aged = std::filesystem::last_write_time(entry.path()) - std::chrono::hours(1);
      std::filesystem::last_write_time(entry.path(), aged);
      files[name] = {ReadBytes(entry.path().string()), aged};
    }
    return files;
  }
  std::pair<std::string, std::filesystem::file_time_type> OutFile(const std::string& name) const {
    return {ReadBytes(dir.Path("out/" + name)), std::filesystem::last_write_time(dir.Path("out/" + name))};
  }
  static std::string Unit(const std::string& hello, const std::string& bye) {
    return "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = '" + hello + "';\r\n  SBye = '" + bye +
           "';\r\nimplementation\r\nend.\r\n";
  }
};

TEST_P(LibraryRunKeepTest, UnchangedFilesAreLeftAsTheyWere) {
  dir.Write("src/en/Strings.pas", Unit("Hello", "Bye"));
  dir.Write("src/en/MainForm.dfm", kForm);
  dir.Write("src/de/Strings.pas", Unit("Hallo", "Tschuess"));
  auto library = Library({{kEnglish, "en"}, {kGerman, "de"}, {1036, "fr"}});
  library.KeepUnchangedFiles = true;
  if (GetParam()) {
    library.MemoryFile = dir.Path("out/Lib.memory.sqlite");
    try {
      TTranslationMemory probe(dir.Path("probe.memory.sqlite"));
    } catch (const EMemoryError&) {
      GTEST_SKIP() << "this build keeps no translation memory";
    }
  }
  TRunResult result = RunLibrary(library);
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(result.Stats.LanguageFilesWritten(), 3) << "new files are written";

  auto before = AgedOutFiles();
  result = RunLibrary(library);
  ASSERT_TRUE(result.Ok());
  ASSERT_EQ(result.Stats.Languages.size(), 3u);
  for (const auto& language : result.Stats.Languages) {
    EXPECT_TRUE(language.Unchanged) << language.FileName;
    EXPECT_EQ(language.Revision, 1) << "the revision on disk";
  }
  EXPECT_EQ(result.Stats.LanguageFilesWritten(), 0);
  EXPECT_TRUE(result.LibIniUnchanged);
  for (const auto& [name, file] : before) EXPECT_EQ(OutFile(name), file) << name;

  // A changed translation rewrites its own file only.
  dir.Write("src/de/Strings.pas", Unit("Guten Tag", "Tschuess"));
  before = AgedOutFiles();
  result = RunLibrary(library);
  ASSERT_TRUE(result.Ok());
  ASSERT_EQ(result.Stats.Languages.size(), 3u);
  EXPECT_TRUE(result.Stats.Languages[0].Unchanged);
  EXPECT_FALSE(result.Stats.Languages[1].Unchanged);
  EXPECT_TRUE(result.Stats.Languages[2].Unchanged);
  EXPECT_EQ(OutFile("Lib.ENU.lng"), before["Lib.ENU.lng"]);
  EXPECT_EQ(OutFile("Lib.FRA.lng"), before["Lib.FRA.lng"]);
  EXPECT_EQ(OutFile("lib.ini"), before["lib.ini"]);
  EXPECT_EQ(ReadLng(Lng("DEU")).Header.Revision, 2);
  EXPECT_EQ(ReadLng(Lng("DEU")).Text("U:Strings.SHello"), u"Guten Tag");
  // The memory saw the revision the kept German file had, so the new
  // translation is recorded.
  if (GetParam()) {
    EXPECT_EQ(result.Stats.Memory.UnitsRecorded, 1);
  }

  // The native text changes three times while German stays: its file is
  // kept (revision 2) as English goes from 1 to 4.
  dir.Write("src/en/Strings.pas", Unit("Good day", "Bye"));
  ASSERT_TRUE(RunLibrary(library).Ok());
  dir.Write("src/en/Strings.pas", Unit("Good evening", "Bye"));
  ASSERT_TRUE(RunLibrary(library).Ok());
  dir.Write("src/en/Strings.pas", Unit("Good morning", "Bye"));
  result = RunLibrary(library);
  ASSERT_TRUE(result.Ok());
  EXPECT_TRUE(result.Stats.Languages[1].Unchanged);
  EXPECT_EQ(ReadLng(Lng("ENU")).Header.Revision, 4);
  EXPECT_EQ(ReadLng(Lng("DEU")).Header.Revision, 2);
  // A translation made now is up to date with the native text of now.
  dir.Write("src/de/Strings.pas", Unit("Guten Morgen", "Tschuess"));
  result = RunLibrary(library);
  ASSERT_TRUE(result.Ok());
  const testing::LngContent german = ReadLng(Lng("DEU"));
  EXPECT_EQ(german.Text("U:Strings.SHello"), u"Guten Morgen");
  EXPECT_GE(german.Revision("U:Strings.SHello"), ReadLng(Lng("ENU")).Revision("U:Strings.SHello"));
}

INSTANTIATE_TEST_SUITE_P(Memory, LibraryRunKeepTest, ::testing::Bool());

// Without the option every run rewrites every file with a new revision.
TEST_F(LibraryRunTest, WithoutKeepingEveryFileGetsANewRevision) {
  dir.Write("src/en/Strings.pas", kUnit);
  const auto library = Library({{kEnglish, "en"}, {kGerman, "de"}});
  ASSERT_TRUE(RunLibrary(library).Ok());
  const TRunResult result = RunLibrary(library);
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(result.Stats.LanguageFilesWritten(), 2);
  EXPECT_FALSE(result.LibIniUnchanged);
  EXPECT_EQ(ReadLng(Lng("ENU")).Header.Revision, 2);
  EXPECT_EQ(ReadLng(Lng("DEU")).Header.Revision, 2);
}

// A stop requested in the middle of reading a large input ends that read
// there: the file is neither merged nor counted as failed, the next file is
// not read and nothing is written. The token trips at its 50th question,
// which the run reaches only inside the large file (one question per
// property, line or resource entry); a reader that did not ask would finish
// the file and merge it.
TEST_F(LibraryRunTest, StopInsideALargeReadEndsItBeforeTheNextFile) {
  std::string form = "object Big: TForm\r\n";
  std::string unit = "unit Big;\r\ninterface\r\nresourcestring\r\n";
  std::vector<std::pair<int, std::u16string>> strings;
  for (int i = 1; i <= 3000; ++i) {
    form += "  Caption" + std::to_string(i) + " = 'Text " + std::to_string(i) + "'\r\n";
    unit += "  S" + std::to_string(i) + " = 'Text " + std::to_string(i) + "';\r\n";
    strings.emplace_back(i, u"Text");
  }
  form += "end\r\n";
  unit += "implementation\r\nend.\r\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Big.dfm", form}, {"Big.pas", unit}, {"Big.res", StringTableRes(strings)}};
  for (const auto& [name, content] : cases) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all(dir.Path("src"));
    dir.Write("src/en/" + name, content);
    dir.Write("src/en/Zed.pas", kUnit);  // listed after the large file
    TRunControl control;
    control.Jobs = 1;
    control.Stop = TStopToken::AfterChecks(50);
    int done = 0;
    control.OnProgress = [&](const TRunProgress& p) { done = std::max(done, p.FilesDone); };
    const TRunResult result = RunLibrary(Library({{kEnglish, "en"}}), control);
    EXPECT_TRUE(result.Stats.Cancelled);
    EXPECT_FALSE(result.Failure);
    EXPECT_TRUE(result.Stats.Errors.empty()) << result.Stats.Errors.front().Describe();
    EXPECT_EQ(done, 0) << "no file was finished";
    EXPECT_EQ(result.Stats.FilesRead, (std::array<int, kFileKindCount>{}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out")) && !std::filesystem::is_empty(dir.Path("out")));
    // The read stopped at the question that tripped, not at the end of the file.
    EXPECT_GE(control.Stop.ChecksLeft(), -5);
  }
}

// Files read in parallel are merged in folder order: every item number,
// every failure and every byte written is what one reader gives.
TEST_F(LibraryRunTest, ParallelReadersWriteWhatOneReaderWrites) {
  for (const char* lang : {"en", "de"}) {
    const std::string folder = std::string("src/") + lang + "/";
    const std::string word = lang == std::string("en") ? "Text" : "Wort";
    for (int i = 0; i < 24; ++i) {
      const std::string n = std::to_string(i);
      dir.Write(folder + "Unit" + n + ".pas", "unit Unit" + n + ";\r\ninterface\r\nresourcestring\r\n  SA = '" +
                                                  word + " a" + n + "';\r\n  SB = '" + word + " b" + n +
                                                  "';\r\nimplementation\r\nend.\r\n");
      dir.Write(folder + "Form" + n + ".dfm", "object Form" + n + ": TForm" + n + "\r\n  Caption = '" + word + " " +
                                                  n + "'\r\n  object Button1: TButton\r\n    Caption = '" + word +
                                                  " OK" + n + "'\r\n  end\r\nend\r\n");
      dir.Write(folder + "Bin" + n + ".dfm", testing::BinaryForm()
                                                 .Begin("TBin" + n, "Bin" + n)
                                                 .String("Caption", word + " bin " + n)
                                                 .EndProperties()
                                                 .End()
                                                 .Bytes());
      dir.Write(folder + "Res" + n + ".res",
                StringTableRes({{100 + i, std::u16string(word.begin(), word.end()) + u" res"}}));
      dir.Write(folder + "Msg" + n + ".rc", "STRINGTABLE\r\nBEGIN\r\n  " + std::to_string(500 + i) + ", \"" + word +
                                                " rc\"\r\nEND\r\n");
    }
    dir.Write(folder + "Broken.dfm", "object Broken: TForm\r\n  Caption = 'unterminated\r\n");
  }
  const TResolvedLibrary one = Library({{kEnglish, "en"}, {kGerman, "de"}});
  TResolvedLibrary many = Library({{kEnglish, "en"}, {kGerman, "de"}});
  many.DestDir = dir.Path("many");
  const auto quiet = [](int jobs) {
    TRunControl control;
    control.OnFileError = [](const TRunFileError&) {};
    control.Jobs = jobs;
    return control;
  };
  for (int run = 0; run < 2; ++run) {  // creating the files, then updating them
    const TRunResult a = RunLibrary(one, quiet(1));
    const TRunResult b = RunLibrary(many, quiet(4));
    ASSERT_FALSE(a.Failure);
    ASSERT_EQ(a.Stats.FilesRead, b.Stats.FilesRead);
    EXPECT_EQ(a.Stats.FilesRead[1], 48);
    ASSERT_EQ(a.Stats.Errors.size(), 2u);
    ASSERT_EQ(b.Stats.Errors.size(), 2u);
    for (std::size_t e = 0; e < 2; ++e)
      EXPECT_EQ(ReplaceAll(a.Stats.Errors[e].Describe(), dir.Path("out"), ""),
                ReplaceAll(b.Stats.Errors[e].Describe(), dir.Path("many"), ""));
    for (const char* abbr : {"ENU", "DEU"}) {
      const std::string name = std::string("Lib.") + abbr + ".lng";
      EXPECT_EQ(ReadBytes(dir.Path("out/" + name)), ReadBytes(dir.Path("many/" + name))) << name << ", run " << run;
    }
  }
  EXPECT_EQ(ReadLng(Lng("DEU")).Text("F:Form7.Button1.Caption"), u"Wort OK7");
}

TEST_F(LibraryRunTest, ResolutionUsesOwnRulesElseGlobalElseDefaultsAndTheSettingsFolder) {
  TStringList defaults;
  SetDefaultPropRules(defaults);
  TStringList own, global;
  own.Add("*.Hint");
  global.Add("*.Caption");
  EXPECT_EQ(RulesInForce(own, global).Text(), own.Text());
  EXPECT_EQ(RulesInForce(TStringList(), global).Text(), global.Text());
  EXPECT_EQ(RulesInForce(TStringList(), TStringList()).Text(), defaults.Text());

  dir.Write("cfg/settings.ini",
            "[Main]\r\nLastLib=1\r\n[PropRules]\r\n*.Caption\r\n"
            "[Library1]\r\nName=One\r\nShortName=One\r\nSrcDir=src\r\nDestDir=../out\r\nScanFiles=15\r\n"
            "[Languages1Lib]\r\n1033=en\r\n[PropRules1Lib]\r\n*.Hint\r\n"
            "[Library2]\r\nName=Two\r\nShortName=Two\r\nSrcDir=/abs/src\r\nDestDir=out\r\nScanFiles=15\r\n"
            "[Languages2Lib]\r\n1033=en\r\n");
  const TLibrarySettings settings(dir.Path("cfg/settings.ini"));
  // Library 2 has no rules of its own: the global ones, whatever was loaded before.
  const TResolvedLibrary one = LoadResolvedLibrary(settings, 1);
  const TResolvedLibrary two = LoadResolvedLibrary(settings, 2);
  EXPECT_EQ(one.PropRules.Text(), own.Text());
  EXPECT_EQ(two.PropRules.Text(), global.Text());
  EXPECT_EQ(one.SrcDir, JoinPath(dir.Path("cfg"), "src"));
  EXPECT_EQ(one.DestDir, dir.Path("out"));
  EXPECT_EQ(two.SrcDir, "/abs/src");
  EXPECT_THROW(LoadResolvedLibrary(settings, 3), EShelfwrightError);
}

}  // namespace
}  // namespace sw
