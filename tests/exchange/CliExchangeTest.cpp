// shelfwright-cli stats, export and import on the bundled example: the
// exports pass gettext's own check and translate-toolkit reads them with the
// same unit count (skipped where those tools are absent), a scripted round
// trip changes exactly the edited values, a stale export is refused, and the
// exit codes follow `process`.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "exchange/ExchangeTestSupport.h"
#include "support/CliRunner.h"

namespace sw {
namespace {

namespace fs = std::filesystem;
using testing::ReplaceOnce;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The system's Python with translate-toolkit, or "".
std::string TranslateToolkitPython() {
  for (const char* python : {"/usr/bin/python3", "python3"})
    if (Shell(std::string(python) + " -c 'import translate.storage.factory' >/dev/null 2>&1") == 0) return python;
  return "";
}

class CliExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path example = fs::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / ".." / "examples" / "tinypad";
    if (!fs::exists(example / "tinypad.ini")) GTEST_SKIP() << "examples/tinypad is not there";
    fs::copy(example / "src", dir.Path("src"), fs::copy_options::recursive);
    // The example's own library, with its folders moved here.
    std::string ini = TempDir::Read((example / "tinypad.ini").string());
    ini = ReplaceOnce(ini, "SrcDir=src", "SrcDir=" + dir.Path("src"));
    ini = ReplaceOnce(ini, "DestDir=../../build/example/TinyPad", "DestDir=" + dir.Path("out"));
    dir.Write("tinypad.ini", ini);
    const CliResult run = Cli("process " + Library() + " --quiet");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }
  std::string Library() const { return "--settings '" + dir.Path("tinypad.ini") + "' --library 1"; }
  std::string German() const { return dir.Path("out/TinyPad.DEU.lng"); }
  std::string Native() const { return dir.Path("out/TinyPad.ENU.lng"); }

  CliResult Cli(const std::string& args) { return RunCli(args, dir); }
  nlohmann::json Stats() {
    const CliResult result = Cli("stats " + Library() + " --json");
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    return nlohmann::json::parse(result.Out);
  }
  std::map<std::string, testing::Value> GermanValues() const {
    const TLoadedLanguage loaded = LoadLanguage(Native(), German(), testing::kGerman);
    std::map<std::string, testing::Value> values;
    for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column)) {
      const TLocValue* value = unit.Item->Values(loaded.Column);
      values[unit.Place] = {value->Text, value->Revision, unit.Status};
    }
    return values;
  }

  TempDir dir;
};

TEST_F(CliExchangeTest, PoExportPassesMsgfmtCheck) {
  if (Shell("msgfmt --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "msgfmt (gettext) is not installed";
  for (const char* extra : {"", " --only-open"}) {
    const CliResult result = Cli("export " + Library() + " --lang DEU --format po -o '" + dir.Path("de.po") + "'" + extra);
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    const std::string log = dir.Path("msgfmt.log");
    EXPECT_EQ(Shell("msgfmt --check -o /dev/null '" + dir.Path("de.po") + "' >'" + log + "' 2>&1"), 0)
        << TempDir::Read(log);
    EXPECT_EQ(TempDir::Read(log), "") << "msgfmt warns";
  }
}

TEST_F(CliExchangeTest, TranslateToolkitReadsTheSameUnitCount) {
  const std::string python = TranslateToolkitPython();
  if (python.empty()) GTEST_SKIP() << "translate-toolkit is not installed";
  for (const char* format : {"xliff", "po"}) {
    const std::string file = dir.Path(std::string("de.") + format);
    const CliResult result = Cli("export " + Library() + " --lang DEU --format " + format + " -o '" + file + "'");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_NE(result.Out.find("Exported 30 units"), std::string::npos) << result.Out;
    const std::string count = dir.Path("count.txt");
    ASSERT_EQ(Shell(python + " -c \"import sys; from translate.storage import factory; "
                             "s = factory.getobject(sys.argv[1]); "
                             "print(len([u for u in s.units if not u.isheader()]))\" '" + file + "' >'" + count +
                    "' 2>&1"),
              0)
        << TempDir::Read(count);
    EXPECT_EQ(TempDir::Read(count), "30\n") << format;
  }
}

TEST_F(CliExchangeTest, ScriptedRoundTripChangesExactlyTheEditedValues) {
  const auto before = GermanValues();
  const auto statsBefore = Stats()["languages"][0];
  ASSERT_EQ(statsBefore["abbr"], "DEU");
  const std::string po = dir.Path("de.po");
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + po + "'").ExitCode, 0);
  std::string text = TempDir::Read(po);
  text = ReplaceOnce(text, "IDS_READY\"\nmsgid \"Ready\"\nmsgstr \"Bereit\"", "IDS_READY\"\nmsgid \"Ready\"\nmsgstr \"Fertig\"");
  text = ReplaceOnce(text, "msgstr \"Zeile %d, Spalte %d\"", "msgstr \"Z. %d, Sp. %d\"");
  // One the example leaves untranslated.
  const std::string untranslated = "msgctxt \"unit/Version/201\"\nmsgid \"Version 1.0\"\nmsgstr \"\"";
  ASSERT_NE(text.find(untranslated), std::string::npos) << text;
  text = ReplaceOnce(text, untranslated, "msgctxt \"unit/Version/201\"\nmsgid \"Version 1.0\"\nmsgstr \"Fassung 1.0\"");
  dir.Write("de.po", text);

  const CliResult dry = Cli("import " + Library() + " --lang DEU '" + po + "' --dry-run");
  EXPECT_EQ(dry.ExitCode, 0) << dry.Err;
  EXPECT_NE(dry.Out.find("Would change 3 of 30 units"), std::string::npos) << dry.Out;
  EXPECT_EQ(GermanValues(), before);

  const CliResult result = Cli("import " + Library() + " --lang DEU '" + po + "' --json");
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  const auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["changed"], 3);
  EXPECT_EQ(summary["written"], true);
  const auto after = GermanValues();
  std::vector<std::string> changed;
  for (const auto& [place, value] : after) {
    if (value == before.at(place)) continue;
    changed.push_back(place);
    EXPECT_EQ(value.Status, TUnitStatus::UpToDate) << place;
  }
  EXPECT_EQ(changed, (std::vector<std::string>{"unit/Messages_RC/IDS_READY", "unit/Strings/SLineCol", "unit/Version/201"}));
  EXPECT_EQ(after.at("unit/Messages_RC/IDS_READY").Text, u"Fertig");

  const auto statsAfter = Stats()["languages"][0];
  EXPECT_EQ(statsAfter["items"]["upToDate"], statsBefore["items"]["upToDate"].get<int>() + 1);
  EXPECT_EQ(statsAfter["items"]["untranslated"], statsBefore["items"]["untranslated"].get<int>() - 1);

  // Importing the same file again changes nothing, byte for byte.
  const std::string bytes = TempDir::Read(German());
  EXPECT_EQ(Cli("import " + Library() + " --lang DEU '" + po + "'").ExitCode, 0);
  EXPECT_EQ(TempDir::Read(German()), bytes);
}

TEST_F(CliExchangeTest, ExportOfAnOlderNativeTextIsReportedStale) {
  const std::string xlf = dir.Path("de.xlf");
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format xliff -o '" + xlf + "'").ExitCode, 0);
  std::string text = TempDir::Read(xlf);
  text = ReplaceOnce(text, ">Kein Drucker installiert.<", ">Es ist kein Drucker installiert.<");
  dir.Write("de.xlf", text);
  // The native text changes and the library is processed again.
  std::string rc = TempDir::Read(dir.Path("src/en/Messages.rc"));
  rc = ReplaceOnce(rc, "No printer is installed.", "No printer has been installed.");
  dir.Write("src/en/Messages.rc", rc);
  ASSERT_EQ(Cli("process " + Library() + " --quiet").ExitCode, 0);
  const std::string bytes = TempDir::Read(German());

  const CliResult result = Cli("import " + Library() + " --lang DEU '" + xlf + "'");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_NE(result.Err.find("stale unit \"unit/Messages_RC/IDS_NOPRINTER\""), std::string::npos) << result.Err;
  EXPECT_NE(result.Out.find("Changed 0 of 30 units"), std::string::npos) << result.Out;
  EXPECT_EQ(TempDir::Read(German()), bytes);

  const CliResult forced = Cli("import " + Library() + " --lang DEU '" + xlf + "' --force");
  EXPECT_EQ(forced.ExitCode, 0) << forced.Err;
  EXPECT_EQ(GermanValues().at("unit/Messages_RC/IDS_NOPRINTER").Text, u"Es ist kein Drucker installiert.");
}

TEST_F(CliExchangeTest, StatsFailUnderSplitsAtTheThreshold) {
  const auto stats = Stats();
  ASSERT_EQ(stats["languages"].size(), 2u);
  const double german = stats["languages"][0]["percent"];
  const double french = stats["languages"][1]["percent"];
  const double lowest = std::min(german, french);
  EXPECT_NEAR(german, 25.0 * 100 / 30, 1e-9);
  EXPECT_EQ(Cli("stats " + Library() + " --fail-under " + std::to_string(lowest - 0.5)).ExitCode, 0);
  EXPECT_EQ(Cli("stats " + Library() + " --fail-under " + std::to_string(lowest)).ExitCode, 0);
  const CliResult below = Cli("stats " + Library() + " --fail-under " + std::to_string(lowest + 0.5));
  EXPECT_EQ(below.ExitCode, 1);
  EXPECT_NE(below.Out.find("failing"), std::string::npos);

  // The files given directly count alike.
  const CliResult files = Cli("stats '" + German() + "' '" + Native() + "' --json");
  ASSERT_EQ(files.ExitCode, 0) << files.Err;
  EXPECT_EQ(nlohmann::json::parse(files.Out)["languages"][0]["items"], stats["languages"][0]["items"]);
}

TEST_F(CliExchangeTest, ExitCodesFollowProcess) {
  const std::string out = " -o '" + dir.Path("x.po") + "'";
  EXPECT_EQ(Cli("export " + Library() + " --lang ENU --format po" + out).ExitCode, 2);
  EXPECT_EQ(Cli("export " + Library() + " --lang ITA --format po" + out).ExitCode, 2);
  EXPECT_EQ(Cli("export " + Library() + " --lang DEU --format csv" + out).ExitCode, 2);
  EXPECT_EQ(Cli("export " + Library() + " --format po" + out).ExitCode, 2);
  EXPECT_EQ(Cli("stats " + Library() + " '" + German() + "'").ExitCode, 2);
  const CliResult missing = Cli("import " + Library() + " --lang DEU '" + dir.Path("none.po") + "'");
  EXPECT_EQ(missing.ExitCode, 1);
  EXPECT_NE(missing.Err.find("none.po"), std::string::npos);
  // A library given by options, as `process` takes it.
  const CliResult adHoc = Cli("export --dest '" + dir.Path("out") +
                              "' --short-name TinyPad --languages ENU DEU FRA --lang FRA --format xliff" + out);
  EXPECT_EQ(adHoc.ExitCode, 0) << adHoc.Err;
}

}  // namespace
}  // namespace sw
