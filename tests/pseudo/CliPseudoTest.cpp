// shelfwright-cli pseudo on a copy of the bundled example: every item of the
// pseudo file compared with its native text (changed unless not words, long
// texts at least 30% longer, specifiers, accelerators, line counts, spaces
// and report expressions kept), the texts' round trip through the file's
// code page, `check` without errors, and the errors for bad input. The
// tests run the program through a POSIX shell.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Unicode.h"
#include "checks/Checks.h"
#include "checks/PseudoTranslation.h"
#include "checks/TextRules.h"
#include "memory/TranslationMemory.h"
#include "storage/ExchangeUnits.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

class CliPseudoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_ON_WINDOWS("runs the program through a POSIX shell");
    const fs::path example = fs::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / ".." / "examples" / "tinypad";
    if (!fs::exists(example / "tinypad.ini")) GTEST_SKIP() << "examples/tinypad is not there";
    fs::copy(example / "src", dir.Path("src"), fs::copy_options::recursive);
    std::string ini = TempDir::Read((example / "tinypad.ini").string());
    ini.replace(ini.find("SrcDir=src"), 10, "SrcDir=" + dir.Path("src"));
    ini.replace(ini.find("DestDir=../../build/example/TinyPad"), 35, "DestDir=" + dir.Path("out"));
    dir.Write("tinypad.ini", ini);
  }
  void Process() {
    const CliResult run = Cli("process " + Library() + " --quiet");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }
  std::string Library() const { return "--settings '" + dir.Path("tinypad.ini") + "' --library 1"; }
  CliResult Cli(const std::string& args) { return RunCli(args, dir); }
  CliResult Check(const char* lang) {
    return Cli("check --src '" + dir.Path("src") + "' --dest '" + dir.Path("out") +
               "' --short-name TinyPad --languages ENU=en " + lang + " --lang " + lang);
  }

  TempDir dir;
};

TEST_F(CliPseudoTest, EveryItemComparedWithItsNativeText) {
  Process();
  const CliResult run = Cli("pseudo " + Library());
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find("TinyPad.QPS.lng: 30 items, 30 pseudo-translated"), std::string::npos) << run.Out;
  const TLoadedLanguage loaded =
      LoadLanguage(dir.Path("out/TinyPad.ENU.lng"), dir.Path("out/TinyPad.QPS.lng"), kPseudoLangId);
  const auto units = CollectUnits(*loaded.Storage, loaded.Column);
  ASSERT_EQ(units.size(), 30u);
  int reportTexts = 0, accelerators = 0, specifiers = 0, lists = 0;
  for (const TExchangeUnit& unit : units) {
    const std::u16string& native = unit.Item->NativeValue()->Text;
    const std::u16string& pseudo = unit.Item->Values(loaded.Column)->Text;
    EXPECT_EQ(unit.Status, TUnitStatus::UpToDate) << unit.Place;
    TCheckUnit input;
    input.Unit = &unit;
    input.Native = native;
    input.Translation = pseudo;
    input.ReportText = unit.GroupName.starts_with("FRFORM:");
    const bool words = IsPseudoWordText(native, input.ReportText);
    if (words) {
      EXPECT_NE(pseudo, native) << unit.Place;
    } else {
      EXPECT_EQ(pseudo, native) << unit.Place;
    }
    if (native.size() >= 10) {
      EXPECT_GE(pseudo.size() * 10, native.size() * 13) << unit.Place;
    }
    for (auto rule : {CheckFormat, CheckAccelerator, CheckStringList, CheckReportExpressions, CheckLineBreaks,
                      CheckSpaces, CheckEmpty})
      EXPECT_EQ(rule(input), std::nullopt) << unit.Place << ": " << Utf16ToUtf8(pseudo);
    EXPECT_EQ(AcceleratorKey(pseudo), AcceleratorKey(native)) << unit.Place;
    reportTexts += input.ReportText && native.find(u'[') != std::u16string::npos;
    accelerators += CountAccelerators(native) > 0;
    specifiers += native.find(u'%') != std::u16string::npos;
    lists += unit.Kind == vkStrings;
    // The file's code page carries the text there and back unchanged.
    EXPECT_EQ(AnsiToWideByLang(WideToAnsiByLang(pseudo, kPseudoLangId), kPseudoLangId), pseudo) << unit.Place;
    // What the file holds is what the transformation gives.
    TPseudoText text;
    text.Native = native;
    text.StringList = unit.Kind == vkStrings;
    text.ReportText = input.ReportText;
    EXPECT_EQ(TPseudoTranslator({}).Translate(text), pseudo) << unit.Place;
  }
  // The example holds every kind of kept piece.
  EXPECT_GT(reportTexts, 0);
  EXPECT_GT(accelerators, 0);
  EXPECT_GT(specifiers, 0);
  EXPECT_GT(lists, 0);

  // The dump shows the texts in the file's own form, as loaded above.
  const CliResult dump = Cli("dump '" + dir.Path("out/TinyPad.QPS.lng") + "'");
  ASSERT_EQ(dump.ExitCode, 0) << dump.Err;
  EXPECT_NE(dump.Out.find("language 0x0501"), std::string::npos);
  EXPECT_NE(dump.Out.find("text \"&Opéñ·······...\""), std::string::npos) << dump.Out;
  EXPECT_NE(dump.Out.find("Pågé [Page#]"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.Path("out/lib.ini")));
}

TEST_F(CliPseudoTest, PseudoTextsEnterTheMemoryMarkedAndAreNeverReused) {
  Process();
  const CliResult run = Cli("pseudo " + Library());
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find("Recorded in the library's memory as pseudo-translations"), std::string::npos) << run.Out;
  TTranslationMemory memory(dir.Path("out/TinyPad.memory.sqlite"));
  int units = 0;
  memory.ForEachUnit(kPseudoLangId, [&](const TMemoryUnit& unit) {
    ++units;
    EXPECT_EQ(unit.Origin, TUnitOrigin::Pseudo);
    EXPECT_FALSE(memory.ExactTranslation(unit.NativeLang, unit.NativeText, kPseudoLangId)) << unit.Place;
  });
  // One unit per native text and translation: items sharing both share a unit.
  EXPECT_GE(units, 25);
}

TEST_F(CliPseudoTest, CheckFindsNoError) {
  Process();
  ASSERT_EQ(Cli("pseudo " + Library()).ExitCode, 0);
  CliResult check = Check("0x0501");
  EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err;
  EXPECT_NE(check.Out.find("QPS: 0 errors"), std::string::npos) << check.Out;

  const CliResult mirrored = Cli("pseudo " + Library() + " --lang QPM --markers --expand 40");
  ASSERT_EQ(mirrored.ExitCode, 0) << mirrored.Err;
  EXPECT_TRUE(fs::exists(dir.Path("out/TinyPad.QPM.lng")));
  check = Check("QPM");
  EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err;
  EXPECT_NE(check.Out.find("QPM: 0 errors"), std::string::npos) << check.Out;
}

TEST_F(CliPseudoTest, BadInput) {
  CliResult run = Cli("pseudo " + Library());
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("the native language file does not exist"), std::string::npos) << run.Err;
  Process();
  run = Cli("pseudo " + Library() + " --expand lots");
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_NE(run.Err.find("--expand lots"), std::string::npos) << run.Err;
  run = Cli("pseudo " + Library() + " --lang 0x7777");
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_NE(run.Err.find("not a known language"), std::string::npos) << run.Err;
  run = Cli("pseudo " + Library() + " --lang ENU");
  EXPECT_EQ(run.ExitCode, 2);
  // A real language's translations are never replaced.
  const std::string german = TempDir::Read(dir.Path("out/TinyPad.DEU.lng"));
  run = Cli("pseudo " + Library() + " --lang DEU");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("has a language file of its own"), std::string::npos) << run.Err;
  EXPECT_EQ(TempDir::Read(dir.Path("out/TinyPad.DEU.lng")), german);
  run = Cli("pseudo " + Library() + " -o '" + dir.Path("out/TinyPad.DEU.lng") + "'");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("the file holds German (Germany) texts"), std::string::npos) << run.Err;
  EXPECT_EQ(TempDir::Read(dir.Path("out/TinyPad.DEU.lng")), german);
}

}  // namespace
}  // namespace sw
