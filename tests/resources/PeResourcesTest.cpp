// The reader of compiled programs on images built in memory: both image
// widths, named and numbered entries, the language choice, damaged and
// hostile images; and the merge of a program (with and without a .drc) into
// a storage.
#include "extract/resources/CompiledPrograms.h"
#include "extract/resources/PeResources.h"

#include <functional>
#include <string>
#include <vector>

#include "resources/PeFileBuilder.h"
#include "runtime/Streams.h"
#include "storage/LocStorage.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

namespace sw {
namespace {

using test::BuildPe;
using test::PatchU32;
using test::PeLayout;
using test::PeRes;
using test::StringSlotsData;

std::string FormBytes(const std::string& name) {
  // The smallest binary form: signature, class, name, no properties, no children.
  std::string form = "TPF0";
  form += static_cast<char>(name.size());
  form += name;
  form += static_cast<char>(5);
  form += "Form1";
  form += '\0';
  form += '\0';
  return form;
}

std::vector<PeRes> TwoLanguages() {
  return {
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(1), 0x0409,
       StringSlotsData({{0, u"Zero"}, {15, u"Fifteen"}})},
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(1), 0x0407, StringSlotsData({{0, u"Null"}})},
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(4097), 0x0409, StringSlotsData({{1, u"\u4e2d"}})},
      // A named string table has no ids; a named type is no string table.
      {TResId::FromOrdinal(ResTypeString), TResId::FromName(u"NAMED"), 0x0000, StringSlotsData({{0, u"x"}})},
      {TResId::FromName(u"6"), TResId::FromOrdinal(1), 0x0409, StringSlotsData({{2, u"not a table"}})},
      {TResId::FromOrdinal(ResTypeRCData), TResId::FromName(u"TMAINFORM"), 0x0409, FormBytes("TMainForm")},
      {TResId::FromOrdinal(ResTypeRCData), TResId::FromName(u"DATA"), 0x0409, "not a form"},
      {TResId::FromOrdinal(3), TResId::FromOrdinal(1), 0x0409, "an icon"},
  };
}

class PeResourcesTest : public ::testing::TestWithParam<bool> {};

TEST_P(PeResourcesTest, ListsStringTablesAndFormsPerLanguage) {
  const TPeImage image("two.dll", BuildPe(TwoLanguages(), GetParam()));
  EXPECT_EQ(image.Is64(), GetParam());
  // The icon and the named type are not listed.
  EXPECT_EQ(image.Resources().size(), 6u);
  const auto languages = PeLanguages(image);
  ASSERT_EQ(languages.size(), 2u);
  EXPECT_EQ(languages[0]->Language, 0x0409);
  EXPECT_EQ(languages[1]->Language, 0x0407);
  const TResString& en = languages[0]->Strings;
  ASSERT_EQ(en.Count(), 3);
  EXPECT_EQ(en.Strings(0)->Id, 0);
  EXPECT_EQ(en.Strings(0)->Text, u"Zero");
  EXPECT_EQ(en.Strings(1)->Id, 15);
  EXPECT_EQ(en.Strings(2)->Id, 65537);
  EXPECT_EQ(en.Strings(2)->Text, u"\u4e2d");
  ASSERT_EQ(languages[1]->Strings.Count(), 1);
  EXPECT_EQ(languages[1]->Strings.Strings(0)->Text, u"Null");
  ASSERT_EQ(languages[0]->Forms.size(), 1u);
  EXPECT_EQ(languages[0]->Forms[0].Name, "TMAINFORM");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(languages[0]->Forms[0].Data.data()), 4), "TPF0");
  EXPECT_TRUE(languages[1]->Forms.empty());
}

TEST_P(PeResourcesTest, ImageWithoutResourcesListsNothing) {
  std::string bytes = BuildPe({}, GetParam());
  const TPeImage image("empty.exe", bytes);
  EXPECT_TRUE(image.Resources().empty());
  EXPECT_TRUE(PeLanguages(image).empty());
  EXPECT_TRUE(ChoosePeLanguages(PeLanguages(image), 0x0409).empty());
}

INSTANTIATE_TEST_SUITE_P(Widths, PeResourcesTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Pe32Plus" : "Pe32"; });

TEST(PeLanguageChoiceTest, TakesTheLanguageThenItsPrimaryThenNeutralThenTheFirst) {
  struct Case {
    std::vector<std::uint16_t> present;
    std::uint16_t processed;
    std::vector<std::uint16_t> taken;
  };
  const std::vector<Case> cases = {
      {{0x0409, 0x0407, 0x0000}, 0x0407, {0x0407}},
      {{0x0409, 0x0807, 0x0000}, 0x0407, {0x0807}},  // a sublanguage of the primary language
      {{0x0409, 0x0007}, 0x0807, {0x0007}},          // the language-only identifier first
      {{0x0409, 0x0407, 0x0000}, 0x040C, {0x0000}},  // neutral
      {{0x0409, 0x0400, 0x0000}, 0x040C, {0x0400, 0x0000}},
      {{0x0409, 0x0407}, 0x040C, {0x0409}},          // the first present
      {{0x0407, 0x0409}, 0, {0x0407}},               // not known, no neutral one
      {{}, 0x0409, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<TPeLanguage>> languages;
    for (const std::uint16_t id : c.present) {
      languages.push_back(std::make_unique<TPeLanguage>());
      languages.back()->Language = id;
    }
    std::vector<std::uint16_t> taken;
    for (const std::size_t index : ChoosePeLanguages(languages, c.processed))
      taken.push_back(languages[index]->Language);
    EXPECT_EQ(taken, c.taken) << "processing " << std::hex << c.processed;
  }
}

// Each damage must end in "Invalid file format" naming the file and an
// offset, never in a crash, a hang or a huge allocation.
TEST(PeDamageTest, DamagedImagesFailWithFileAndOffset) {
  PeLayout l;
  const std::string good = BuildPe(TwoLanguages(), false, &l);
  const std::size_t root = l.Rsrc;
  const std::size_t firstTypeEntry = root + 16;
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    const char* detail;  // a part of the location
  };
  const std::vector<Case> cases = {
      {"no MZ", [](std::string& b) { b[0] = 'X'; }, "no \"MZ\" signature"},
      {"empty", [](std::string& b) { b.clear(); }, "cut short"},
      {"cut in the headers", [](std::string& b) { b.resize(0x60); }, "cut short"},
      {"PE offset past the end", [](std::string& b) { PatchU32(b, 0x3C, 0x7FFFFFF0); }, "past the end of the file"},
      {"no PE signature", [](std::string& b) { b[0x41] = 'X'; }, "no \"PE\" signature"},
      {"bad magic", [](std::string& b) { b[0x58] = 0x33; }, "optional header magic"},
      {"section count past the end", [&](std::string& b) { b[l.SectionHeaderCount] = b[l.SectionHeaderCount + 1] = '\xFF'; },
       "section table of 65535 sections"},
      {"section past the end of the file", [&](std::string& b) { PatchU32(b, l.SectionHeader + 16, 0x7FFF0000); },
       "reach past the end of the file"},
      {"section past 4 GB", [&](std::string& b) { PatchU32(b, l.SectionHeader + 12, 0xFFFFFF00); },
       "4 GB address space"},
      {"overlapping sections",
       [&](std::string& b) {
         b[l.SectionHeaderCount] = 2;
         b.replace(l.SectionHeader + 40, 40, b.substr(l.SectionHeader, 40));
         PatchU32(b, l.SectionHeader + 40 + 12, test::kTestRsrcRva + 0x10);
       },
       "overlaps"},
      {"resources in no section", [&](std::string& b) { PatchU32(b, l.ResourceDirEntry, 0x900000); },
       "lies in no section"},
      {"directory loops", [&](std::string& b) { PatchU32(b, firstTypeEntry + 4, 0x80000000u); },
       "reached a second time"},
      {"entry count past the section", [&](std::string& b) { b[root + 14] = b[root + 15] = '\xFF'; },
       "entries reaches past"},
      {"directory past the section", [&](std::string& b) { PatchU32(b, firstTypeEntry + 4, 0x80FFFFF0u); },
       "reaches past the end of its section"},
      {"name past the section", [&](std::string& b) { PatchU32(b, firstTypeEntry, 0x8000FFF0u); },
       "runs past the end of its section"},
      {"data entry at the type level", [&](std::string& b) { PatchU32(b, firstTypeEntry + 4, 0x40); },
       "points at data"},
      {"data size overflows", [&](std::string& b) { PatchU32(b, l.FirstDataEntry + 4, 0xFFFFFFFF); },
       "run past the end of their section"},
      {"data in no section", [&](std::string& b) { PatchU32(b, l.FirstDataEntry, 0x10); }, "lies in no section"},
      {"file cut in the resources", [&](std::string& b) { b.resize(l.FirstDataEntry + 20); },
       "reach past the end of the file"},
      {"string table cut short", [&](std::string& b) { PatchU32(b, l.FirstDataEntry + 4, 10); },
       "slot 1 reaches past the end"},
  };
  for (const Case& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    try {
      const TPeImage image("bad.exe", bytes);
      PeLanguages(image);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EResError& e) {
      EXPECT_EQ(e.Message(), "Invalid file format") << c.what;
      EXPECT_EQ(e.FileName(), "bad.exe") << c.what;
      EXPECT_NE(e.Location().find("offset"), std::string::npos) << c.what << ": " << e.Location();
      EXPECT_NE(e.Location().find(c.detail), std::string::npos) << c.what << ": " << e.Location();
    }
  }
}

TEST(PeDamageTest, EveryPrefixOfAnImageIsReadSafely) {
  const std::string good = BuildPe(TwoLanguages(), true);
  for (std::size_t size = 0; size < good.size(); size += 7) {
    try {
      const TPeImage image("cut.dll", good.substr(0, size));
      PeLanguages(image);
    } catch (const EResError&) {
    }
  }
}

TEST(PeDamageTest, TellsImagesFromOtherFiles) {
  const std::string pe = BuildPe(TwoLanguages(), false);
  auto bytes = [](const std::string& s) { return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); };
  EXPECT_TRUE(IsPeImage(bytes(pe)));
  EXPECT_FALSE(IsPeImage(bytes(std::string(32, '\0'))));
  EXPECT_FALSE(IsPeImage(bytes("MZ")));
  std::string far = pe;
  PatchU32(far, 0x3C, 0xFFFFFFF0);
  EXPECT_FALSE(IsPeImage(bytes(far)));
  TempDir dir;
  EXPECT_THROW_MSG(TPeImage(dir.Path("missing.exe")), EResError, "Couldn't open: " + dir.Path("missing.exe"));
}

TEST(DrcNameTest, SplitsAtTheUnitTheStorageKnowsElseAtTheLastUnderscore) {
  TLocStorage storage;
  storage.FindOrAddConstant(-1, "My_Strings", 0, "SOne");
  storage.FindOrAddConstant(-1, "Vcl.Consts", 0, "SOKButton");
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"My_Strings_SOne", "My_Strings", "SOne"},
      {"my_strings_S_Two", "My_Strings", "S_Two"},
      {"Vcl_Consts_SCancelButton", "Vcl.Consts", "SCancelButton"},
      {"System_SysConst_SUnknown", "System.SysConst", "SUnknown"},
      {"Strings_SFileNotFound", "Strings", "SFileNotFound"},
      {"NoUnit", "", "NoUnit"},
  };
  for (const auto& [define, unit, name] : cases)
    EXPECT_EQ(SplitDrcName(define, &storage), std::make_pair(unit, name)) << define;
}

// The merge of a program: numbered strings in a unit named after the file,
// strings a .drc names as unit constants, forms as forms; a translation
// pass finds them again by name or id.
TEST(CompiledProgramTest, MergesNumberedAndDrcNamedStringsAndForms) {
  TempDir dir;
  const std::vector<PeRes> native = {
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(1), 0x0409,
       StringSlotsData({{0, u"Zero"}, {1, u"One"}})},
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(4096), 0x0409,
       StringSlotsData({{15, u"File not found."}})},
      {TResId::FromOrdinal(ResTypeRCData), TResId::FromName(u"TMAINFORM"), 0x0409, FormBytes("TMainForm")},
  };
  const std::string exe = dir.Write("en/App.exe", BuildPe(native, true));
  dir.Write("en/App.drc",
            "/* generated */\n#define Strings_SFileNotFound 65535\n\nSTRINGTABLE\nBEGIN\n"
            "\tStrings_SFileNotFound,\t\"File not found.\"\nEND\n");
  const std::vector<PeRes> german = {
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(1), 0x0407, StringSlotsData({{1, u"Eins"}})},
      {TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(4096), 0x0407,
       StringSlotsData({{15, u"Datei nicht gefunden."}})},
  };
  const std::string dll = dir.Write("de/App.DEU", BuildPe(german, false));
  EXPECT_TRUE(IsResourceDll(dll));
  EXPECT_FALSE(IsResourceDll(exe));  // .exe is no language
  EXPECT_FALSE(IsResourceDll(dir.Write("de/Notes.DEU", "plain text")));

  TLocStorage storage;
  storage.SetNativeLangId(0x0409);
  const auto program = ReadCompiledProgram(exe, 0x0409, 1252);
  EXPECT_EQ(program->TakenLanguageName(), "0409");
  ASSERT_EQ(program->StringNames.size(), 1u);
  TCompiledMergeTarget target;
  target.Storage = &storage;
  target.Revision = 1;
  target.LangId = 0x0409;
  MergeCompiledProgram(*program, target);
  const TLocConstant* zero = storage.FindConstant("App", "0");
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->StringId, 0);
  EXPECT_EQ(zero->Values(0)->Text, u"Zero");
  const TLocConstant* named = storage.FindConstant("Strings", "SFileNotFound");
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(named->Values(0)->Text, u"File not found.");
  EXPECT_EQ(named->StringId, 65535);
  EXPECT_EQ(storage.FindConstant("App", "65535"), nullptr);
  ASSERT_EQ(storage.Forms->Count(), 1);
  EXPECT_EQ(storage.Forms->Items(0)->ItemName, "Form1");

  // The translation: no .drc beside the resource DLL; ids find the constants.
  const int column = storage.AddLanguage(0, 0x0407);
  const auto translation = ReadCompiledProgram(dll, 0x0407, 1252);
  target.Column = column;
  target.Native = false;
  target.Revision = 2;
  target.LangId = 0x0407;
  MergeCompiledProgram(*translation, target);
  EXPECT_EQ(storage.FindConstant("App", "1")->Values(column)->Text, u"Eins");
  EXPECT_EQ(storage.FindConstant("Strings", "SFileNotFound")->Values(column)->Text, u"Datei nicht gefunden.");
  EXPECT_EQ(storage.Units->Count(), 2);
}

TEST(CompiledProgramTest, SeveralLanguagesAreWarnedOf) {
  TempDir dir;
  const std::string exe = dir.Write("App.exe", BuildPe(TwoLanguages(), false));
  const auto program = ReadCompiledProgram(exe, 0x0C07, 0);
  EXPECT_EQ(program->TakenLanguageName(), "0407");
  ASSERT_EQ(program->Strings.Count(), 1);
  EXPECT_EQ(program->Strings.Strings(0)->Text, u"Null");
  ASSERT_EQ(program->Warnings.size(), 1u);
  EXPECT_NE(program->Warnings[0].find("resources of the languages 0409, 0407; took those of 0407"), std::string::npos);
}

// `scan` through the command line: a resource DLL's extension names its
// language; a damaged image is one error line naming the file and offset.
TEST(ScanProgramCliTest, ResourceDllTakesItsExtensionsLanguageAndDamageIsOneErrorLine) {
  SKIP_ON_WINDOWS("runs the command line through the shell");
  TempDir dir;
  const std::string dll = dir.Write("App.DEU", BuildPe(TwoLanguages(), false));
  CliResult result = RunCli("scan '" + dll + "' --json", dir);
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  const auto json = nlohmann::json::parse(result.Out);
  EXPECT_EQ(json["taken"], "0407");
  EXPECT_EQ(json["languages"].size(), 2u);
  EXPECT_EQ(json["languages"][0]["forms"], nlohmann::json::array({"TMAINFORM"}));
  result = RunCli("scan '" + dll + "' --lang ENU --json", dir);
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(nlohmann::json::parse(result.Out)["formItems"]["forms"][0]["name"], "Form1");

  PeLayout l;
  std::string bytes = BuildPe(TwoLanguages(), true, &l);
  PatchU32(bytes, l.Rsrc + 16 + 4, 0x80000000u);
  const std::string bad = dir.Write("bad.exe", bytes);
  result = RunCli("scan '" + bad + "'", dir);
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "shelfwright-cli: " + bad +
                            ": Invalid file format (offset 512: a resource directory reached a second time (the "
                            "directory loops))\n");
  EXPECT_EQ(result.Out, "");
}

}  // namespace
}  // namespace sw
