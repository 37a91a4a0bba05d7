// The processing run end to end on generated projects: language files
// created and updated over several runs, per-file errors, scan flags,
// removal of unused items, code pages of ANSI sources, read-back of the files.
#include "app/LibraryFilesProcessor.h"

#include <gtest/gtest.h>

#include "app/LibraryRun.h"
#include "storage/PropRules.h"

#include <filesystem>

#include "app/AppTestSupport.h"
#include "platform/FileSystem.h"
#include "storage/LocLangFile.h"
#include "support/TestSupport.h"
#include "util/LocaleCatalogue.h"
#include "util/UserInteraction.h"
#include "support/RecordingUserInteraction.h"

namespace sw {
namespace {

using testing::BinaryForm;
using testing::ReadLng;
using testing::StringTableRes;

constexpr int kEnglish = 1033;
constexpr int kGerman = 1031;
constexpr int kRussian = 1049;

const char* const kNativeUnit =
    "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hello';\r\n  SBye = 'Bye';\r\n"
    "implementation\r\nend.\r\n";
const char* const kNativeForm =
    "object MainForm: TMainForm\r\n  Caption = 'Main window'\r\n  Left = 10\r\n"
    "  object Button1: TButton\r\n    Caption = 'OK'\r\n    Hint = 'Confirm'\r\n  end\r\nend\r\n";

class ProcessRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library.Name = library.ShortName = "Lib";
    library.SrcDir = dir.Path("src");
    library.DestDir = dir.Path("out");
    library.ScanFiles = sfDefaultFiles;
    SetDefaultPropRules(library.PropRules);
    control.OnFileError = [this](const TRunFileError& error) { reported.push_back(error.Describe()); };
  }
  // One run of the library as it stands; the statistics stay for the checks.
  void Run() {
    TLibraryFilesProcessor processor(library, control);
    try {
      processor.Run();
    } catch (...) {
      stats = processor.Stats();
      throw;
    }
    stats = processor.Stats();
  }
  void AddLanguages(std::initializer_list<std::pair<int, const char*>> languages) {
    for (const auto& [id, folder] : languages) library.Languages.AddLibLanguage(id, folder);
  }
  void WriteNative() {
    dir.Write("src/en/Strings.pas", kNativeUnit);
    dir.Write("src/en/MainForm.dfm", kNativeForm);
  }
  std::string LngPath(const std::string& abbr) const { return dir.Path("out/Lib." + abbr + ".lng"); }
  // Files reported through the run's control as they failed.
  int ErrorMessages() const { return static_cast<int>(reported.size()); }

  TempDir dir;
  RecordingUserInteraction ui;
  ScopedUserInteraction scope{&ui};
  TResolvedLibrary library;
  TRunControl control;
  std::vector<std::string> reported;
  TRunStats stats;
};

TEST_F(ProcessRunTest, OnlyTheNativeLanguageWritesOneNativeFile) {
  AddLanguages({{kEnglish, "en"}});
  WriteNative();
  Run();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path("out")))
    if (entry.path().extension() != ".cache")  // the run's cache beside it
      names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Lib.ENU.lng"});
  const auto lng = ReadLng(LngPath("ENU"));
  EXPECT_TRUE(lng.Header.IsNative);
  EXPECT_EQ(lng.Header.LangId, kEnglish);
  EXPECT_EQ(lng.Header.LangName, GetEnglishLangName(kEnglish));
  EXPECT_EQ(lng.Header.Revision, 1);
  EXPECT_EQ(lng.Header.LastConstantId, 2);
  EXPECT_EQ(lng.Text("U:Strings.SHello"), u"Hello");
  EXPECT_EQ(lng.Revision("U:Strings.SHello"), 1);
  EXPECT_EQ(lng.Text("F:MainForm..Caption"), u"Main window");
  EXPECT_EQ(lng.Text("F:MainForm.Button1.Hint"), u"Confirm");
  EXPECT_EQ(lng.Find("F:MainForm..Left"), nullptr);  // not selected by the rules
  EXPECT_EQ(ErrorMessages(), 0);
  EXPECT_EQ(stats.FilesRead[1], 1);
  EXPECT_EQ(stats.FilesRead[3], 1);
}

TEST_F(ProcessRunTest, FirstRunCopiesNativeTextsIntoTranslationsAtRevisionMinusOne) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  dir.Write("src/de/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hallo';\r\nimplementation\r\nend.\r\n");
  Run();
  const auto de = ReadLng(LngPath("DEU"));
  EXPECT_FALSE(de.Header.IsNative);
  EXPECT_EQ(de.Header.LangId, kGerman);
  EXPECT_EQ(de.Header.Revision, 1);
  EXPECT_EQ(de.Text("U:Strings.SHello"), u"Hallo");
  EXPECT_EQ(de.Revision("U:Strings.SHello"), 1);
  EXPECT_EQ(de.Text("U:Strings.SBye"), u"Bye");
  EXPECT_EQ(de.Revision("U:Strings.SBye"), -1);
  EXPECT_EQ(de.Text("F:MainForm.Button1.Caption"), u"OK");
  EXPECT_EQ(de.Revision("F:MainForm.Button1.Caption"), -1);
  // Item numbers are the native file's.
  const auto en = ReadLng(LngPath("ENU"));
  EXPECT_EQ(de.Find("U:Strings.SBye")->ItemId, en.Find("U:Strings.SBye")->ItemId);
}

TEST_F(ProcessRunTest, SecondUnchangedRunChangesNoTextButRaisesEveryRevision) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  dir.Write("src/de/MainForm.dfm",
            "object MainForm: TMainForm\r\n  Caption = 'Hauptfenster'\r\nend\r\n");
  Run();
  const auto en1 = ReadLng(LngPath("ENU"));
  const auto de1 = ReadLng(LngPath("DEU"));
  Run();
  const auto en2 = ReadLng(LngPath("ENU"));
  const auto de2 = ReadLng(LngPath("DEU"));
  EXPECT_EQ(en2.Header.Revision, 2);
  EXPECT_EQ(de2.Header.Revision, 2);
  EXPECT_EQ(en2.Header.Build, 0);
  EXPECT_EQ(de2.Header.Build, 0);
  ASSERT_EQ(en1.Entries.size(), en2.Entries.size());
  for (const auto& [key, entry] : en1.Entries) {
    EXPECT_EQ(en2.Text(key), entry.Text) << key;
    EXPECT_EQ(en2.Revision(key), entry.Revision) << key;
    EXPECT_EQ(en2.Find(key)->ItemId, entry.ItemId) << key;
  }
  for (const auto& [key, entry] : de1.Entries) {
    EXPECT_EQ(de2.Text(key), entry.Text) << key;
    EXPECT_EQ(de2.Revision(key), entry.Revision) << key;
  }
  for (const auto& language : stats.Languages) EXPECT_EQ(language.ValuesChanged, 0);
}

TEST_F(ProcessRunTest, TranslationFoldersAddNothingNew) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  dir.Write("src/de/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hallo';\r\n  SExtra = 'Nur hier';\r\n"
            "implementation\r\nend.\r\n");
  dir.Write("src/de/Other.res", StringTableRes({{77, u"Nur Ressource"}}));
  dir.Write("src/de/Msgs.rc", "STRINGTABLE\r\nBEGIN\r\n  500, \"Nur Skript\"\r\nEND\r\n");
  Run();
  for (const char* abbr : {"ENU", "DEU"}) {
    const auto lng = ReadLng(LngPath(abbr));
    EXPECT_EQ(lng.Find("U:Strings.SExtra"), nullptr) << abbr;
    EXPECT_EQ(lng.Find("U:Other.77"), nullptr) << abbr;
    EXPECT_EQ(lng.Find("U:Msgs_RC.500"), nullptr) << abbr;
    EXPECT_EQ(lng.Entries.size(), 5u) << abbr;
  }
  EXPECT_EQ(ErrorMessages(), 0);
}

TEST_F(ProcessRunTest, ChangedNativeStringLeavesTranslationsOutOfDate) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  dir.Write("src/de/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hallo';\r\n  SBye = 'Tschuess';\r\n"
            "implementation\r\nend.\r\n");
  Run();
  dir.Write("src/en/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hello there';\r\n  SBye = 'Bye';\r\n"
            "implementation\r\nend.\r\n");
  Run();
  const auto en = ReadLng(LngPath("ENU"));
  const auto de = ReadLng(LngPath("DEU"));
  EXPECT_EQ(en.Text("U:Strings.SHello"), u"Hello there");
  EXPECT_EQ(en.Revision("U:Strings.SHello"), 2);
  EXPECT_EQ(en.Revision("U:Strings.SBye"), 1);
  EXPECT_EQ(de.Text("U:Strings.SHello"), u"Hallo");
  EXPECT_LT(de.Revision("U:Strings.SHello"), en.Revision("U:Strings.SHello"));  // out of date
  EXPECT_GE(de.Revision("U:Strings.SBye"), en.Revision("U:Strings.SBye"));      // up to date
  ASSERT_EQ(stats.Languages.size(), 2u);
  EXPECT_EQ(stats.Languages[0].ValuesChanged, 1);
}

TEST_F(ProcessRunTest, RemoveUnusedDropsWhatTheNativeSourcesNoLongerHold) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  dir.Write("src/en/Gone.dfm", "object GoneForm: TForm\r\n  Caption = 'Soon gone'\r\nend\r\n");
  dir.Write("src/en/Gone.pas", "unit Gone;\r\ninterface\r\nresourcestring\r\n  SGone = 'x';\r\nimplementation\r\nend.\r\n");
  dir.Write("src/de/Gone.dfm", "object GoneForm: TForm\r\n  Caption = 'Bald weg'\r\nend\r\n");
  Run();
  std::filesystem::remove(dir.Path("src/en/Gone.dfm"));
  std::filesystem::remove(dir.Path("src/en/Gone.pas"));
  Run();
  EXPECT_EQ(ReadLng(LngPath("DEU")).Text("F:GoneForm..Caption"), u"Bald weg");
  EXPECT_NE(ReadLng(LngPath("ENU")).Find("U:Gone.SGone"), nullptr);
  library.RemoveUnused = true;
  Run();
  for (const char* abbr : {"ENU", "DEU"}) {
    const auto lng = ReadLng(LngPath(abbr));
    EXPECT_EQ(lng.Find("F:GoneForm..Caption"), nullptr) << abbr;
    EXPECT_EQ(lng.Find("U:Gone.SGone"), nullptr) << abbr;
    EXPECT_NE(lng.Find("U:Strings.SHello"), nullptr) << abbr;
    EXPECT_NE(lng.Find("F:MainForm.Button1.Caption"), nullptr) << abbr;
  }
}

TEST_F(ProcessRunTest, RemoveUnusedKeepsItemsATranslationFolderLacks) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}, {0x040C, "fr"}});
  WriteNative();
  dir.Write("src/fr/MainForm.dfm", "object MainForm: TMainForm\r\n  Caption = 'Fenetre'\r\nend\r\n");
  library.RemoveUnused = true;
  Run();
  Run();
  // German has no folder at all; French has only the form. Nothing of the
  // native items may go from their files, or from files written after them.
  for (const char* abbr : {"DEU", "FRA"}) {
    const auto lng = ReadLng(LngPath(abbr));
    EXPECT_EQ(lng.Entries.size(), 5u) << abbr;
    EXPECT_EQ(lng.Text("U:Strings.SBye"), u"Bye") << abbr;
  }
  EXPECT_EQ(ReadLng(LngPath("FRA")).Text("F:MainForm..Caption"), u"Fenetre");
}

TEST_F(ProcessRunTest, BrokenFormIsReportedOnceAndTheRunGoesOn) {
  AddLanguages({{kEnglish, "en"}});
  WriteNative();
  dir.Write("src/en/Broken.dfm", std::string("TPF0\x05TForm\x05", 12));
  dir.Write("src/en/Zeta.pas", "unit Zeta;\r\ninterface\r\nresourcestring\r\n  SZ = 'Last';\r\nimplementation\r\nend.\r\n");
  Run();
  EXPECT_EQ(ErrorMessages(), 1);
  EXPECT_EQ(stats.FilesFailed, 1);
  ASSERT_EQ(stats.Errors.size(), 1u);
  EXPECT_EQ(stats.Errors[0].FileName(), NativePath(dir.Path("src/en/Broken.dfm")));
  const auto lng = ReadLng(LngPath("ENU"));
  EXPECT_EQ(lng.Text("U:Zeta.SZ"), u"Last");  // files after the broken one are read
  EXPECT_EQ(lng.Text("F:MainForm..Caption"), u"Main window");
}

TEST_F(ProcessRunTest, ScanFilesZeroReadsNothingButRewritesEveryFile) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  Run();
  library.ScanFiles = 0;
  dir.Write("src/en/Strings.pas", "this is not Pascal at all");
  Run();
  EXPECT_EQ(ErrorMessages(), 0);
  EXPECT_EQ(stats.FilesRead, (std::array<int, kFileKindCount>{0, 0, 0, 0, 0}));
  for (const char* abbr : {"ENU", "DEU"}) {
    const auto lng = ReadLng(LngPath(abbr));
    EXPECT_EQ(lng.Header.Revision, 2) << abbr;
    EXPECT_EQ(lng.Text("U:Strings.SHello"), u"Hello") << abbr;
  }
}

TEST_F(ProcessRunTest, ScanFlagsSelectFileKinds) {
  AddLanguages({{kEnglish, "en"}});
  WriteNative();
  dir.Write("src/en/Version.res", StringTableRes({{5, u"Five"}}));
  library.ScanFiles = sfResFiles | sfDfmFiles;
  Run();
  const auto lng = ReadLng(LngPath("ENU"));
  EXPECT_EQ(lng.Find("U:Strings.SHello"), nullptr);
  EXPECT_EQ(lng.Text("U:Version.5"), u"Five");
  EXPECT_EQ(lng.Text("F:MainForm..Caption"), u"Main window");
}

TEST_F(ProcessRunTest, MissingLanguageFolderIsAnEmptyFolder) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "nowhere"}});
  WriteNative();
  Run();
  for (const auto& call : ui.Calls) EXPECT_NE(call.Kind, "message") << call.Text;
  const auto de = ReadLng(LngPath("DEU"));
  EXPECT_EQ(de.Text("U:Strings.SHello"), u"Hello");
  EXPECT_EQ(de.Revision("U:Strings.SHello"), -1);
}

TEST_F(ProcessRunTest, LibraryWithoutLanguagesIsRefusedBeforeAnythingIsWritten) {
  WriteNative();
  EXPECT_THROW_MSG(Run(), EShelfwrightError,
                   "The library \"Lib\" has no languages: nothing was processed");
  EXPECT_FALSE(platform::DirectoryExists(dir.Path("out")));
}

TEST_F(ProcessRunTest, TwoLanguagesSharingOneFileAreRefused) {
  library.Languages.AddNew(kEnglish, "en");
  library.Languages.AddNew(kEnglish, "en2");  // the window's Add does not check
  WriteNative();
  EXPECT_THROW(Run(), EShelfwrightError);
  EXPECT_FALSE(platform::DirectoryExists(dir.Path("out")));
}

TEST_F(ProcessRunTest, AnsiSourcesAreDecodedWithTheLanguagesCodePage) {
  AddLanguages({{kEnglish, "en"}, {kRussian, "ru"}});
  WriteNative();
  dir.Write("src/en/Msgs.rc", "STRINGTABLE\r\nBEGIN\r\n  500, \"Open\"\r\nEND\r\n");
  // "Привет" and "Открыть" in Windows-1251.
  dir.Write("src/ru/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = '\xCF\xF0\xE8\xE2\xE5\xF2';\r\n"
            "implementation\r\nend.\r\n");
  dir.Write("src/ru/Msgs.rc", "STRINGTABLE\r\nBEGIN\r\n  500, \"\xCE\xF2\xEA\xF0\xFB\xF2\xFC\"\r\nEND\r\n");
  Run();
  EXPECT_EQ(ErrorMessages(), 0);
  const auto ru = ReadLng(LngPath("RUS"));
  EXPECT_EQ(ru.Text("U:Strings.SHello"), u"\u041F\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(ru.Text("U:Msgs_RC.500"), u"\u041E\u0442\u043A\u0440\u044B\u0442\u044C");
}

TEST_F(ProcessRunTest, ResourceFilesScriptsAndBinaryFormsAreMerged) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  dir.Write("src/en/Version.res", StringTableRes({{3, u"Three"}, {17, u"Seventeen"}}));
  dir.Write("src/de/Version.res", StringTableRes({{17, u"Siebzehn"}}));
  dir.Write("src/en/Msgs.hpp", "#define IDS_OPEN 1001\r\n");
  dir.Write("src/en/Msgs.rc", "#include \"Msgs.hpp\"\r\nSTRINGTABLE\r\nBEGIN\r\n  IDS_OPEN, \"Open\"\r\nEND\r\n");
  dir.Write("src/en/About.dfm", BinaryForm()
                                    .Begin("TAbout", "About")
                                    .String("Caption", "About")
                                    .EndProperties()
                                    .Begin("TButton", "Ok")
                                    .WideString("Caption", u"Okay")
                                    .EndProperties()
                                    .End()
                                    .End()
                                    .Bytes());
  dir.Write("src/de/About.dfm", BinaryForm()
                                    .Begin("TAbout", "About")
                                    .WideString("Caption", u"\u00dcber")
                                    .EndProperties()
                                    .End()
                                    .Bytes());
  Run();
  EXPECT_EQ(ErrorMessages(), 0);
  const auto en = ReadLng(LngPath("ENU"));
  EXPECT_EQ(en.Text("U:Version.3"), u"Three");
  EXPECT_EQ(en.Find("U:Version.17")->StringId, 17);
  EXPECT_EQ(en.Text("U:Msgs_RC.IDS_OPEN"), u"Open");
  EXPECT_EQ(en.Text("F:About.Ok.Caption"), u"Okay");
  const auto de = ReadLng(LngPath("DEU"));
  EXPECT_EQ(de.Text("U:Version.17"), u"Siebzehn");
  EXPECT_EQ(de.Text("U:Version.3"), u"Three");
  EXPECT_EQ(de.Text("F:About..Caption"), u"\u00dcber");
  EXPECT_EQ(stats.FilesRead, (std::array<int, kFileKindCount>{2, 0, 1, 2, 0}));
}

TEST_F(ProcessRunTest, WrittenFilesReloadIntoTheSameBytes) {
  AddLanguages({{kEnglish, "en"}, {kGerman, "de"}});
  WriteNative();
  dir.Write("src/en/Version.res", StringTableRes({{3, u"Three"}}));
  dir.Write("src/de/MainForm.dfm", "object MainForm: TMainForm\r\n  Caption = 'Hauptfenster'\r\nend\r\n");
  Run();
  Run();  // the second run loads every file it writes
  TLocStorage storage;
  TLangFile native(LngPath("ENU"), true);
  native.LoadStorage(&storage, -1, 0);
  EXPECT_EQ(native.BuildImage(&storage, 0, false), platform::ReadFileBytes(LngPath("ENU")));
  const int column = storage.AddLanguage(0, kGerman);
  TLangFile german(LngPath("DEU"), true);
  german.LoadStorage(&storage, column, 0);
  EXPECT_EQ(german.BuildImage(&storage, column, false), platform::ReadFileBytes(LngPath("DEU")));
}

}  // namespace
}  // namespace sw
