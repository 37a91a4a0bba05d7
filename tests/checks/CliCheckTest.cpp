// shelfwright-cli check on a copy of the bundled example: clean as shipped,
// planted faults found with their exact lines, --fail-on, --only, --skip,
// --lang and the settings file's ignore list, JSON that carries every
// problem, and translate-toolkit's pseudo-translation imported back (clean;
// with every "&" removed, exactly the accelerator errors). The tests run the
// program through a POSIX shell.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "checks/TextRules.h"
#include "storage/ExchangeUnits.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class CliCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_ON_WINDOWS("runs the program through a POSIX shell");
    const fs::path example = fs::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / ".." / "examples" / "tinypad";
    if (!fs::exists(example / "tinypad.ini")) GTEST_SKIP() << "examples/tinypad is not there";
    fs::copy(example / "src", dir.Path("src"), fs::copy_options::recursive);
    std::string ini = TempDir::Read((example / "tinypad.ini").string());
    ini = Replace(ini, "SrcDir=src", "SrcDir=" + dir.Path("src"));
    ini = Replace(ini, "DestDir=../../build/example/TinyPad", "DestDir=" + dir.Path("out"));
    dir.Write("tinypad.ini", ini);
    Process();
  }
  void Process() {
    const CliResult run = Cli("process " + Library() + " --quiet");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }
  // Two faults in the German main form: a lost accelerator (error) and a
  // lost ellipsis (warning).
  void PlantFaults() {
    std::string form = TempDir::Read(dir.Path("src/de/MainForm.dfm"));
    form = Replace(form, "'&Datei'", "'Datei'");
    form = Replace(form, "...'", "'");
    dir.Write("src/de/MainForm.dfm", form);
    Process();
  }
  std::string Library() const { return "--settings '" + dir.Path("tinypad.ini") + "' --library 1"; }
  CliResult Cli(const std::string& args) { return RunCli(args, dir); }
  CliResult Check(const std::string& args = "") { return Cli("check " + Library() + args); }

  TempDir dir;
};

TEST_F(CliCheckTest, TheExampleIsClean) {
  const CliResult result = Check(" --fail-on warning");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out, "ENU: 0 errors, 0 warnings (native)\nDEU: 0 errors, 0 warnings\nFRA: 0 errors, 0 warnings\n");
  EXPECT_EQ(result.Err, "");
}

TEST_F(CliCheckTest, PlantedFaultsAndTheOptionsThatSelect) {
  PlantFaults();
  const std::string error =
      "DEU form/MainForm/miFile/Caption: error [accelerator] the native text has one accelerator (\"&File\"), the "
      "translation none (\"Datei\")\n";
  const std::string warning =
      "DEU form/MainForm/miOpen/Caption: warning [end-punctuation] the native text ends with \"...\", the "
      "translation with none\n";
  CliResult result = Check();
  EXPECT_EQ(result.ExitCode, 1) << result.Err;
  EXPECT_EQ(result.Out, error + warning +
                            "ENU: 0 errors, 0 warnings (native)\nDEU: 1 error, 1 warning\nFRA: 0 errors, 0 warnings\n");

  struct Case {
    std::string Args;
    int Exit;
  };
  for (const Case& c : std::vector<Case>{{" --fail-on never", 0},
                                         {" --fail-on warning", 1},
                                         {" --skip accelerator", 0},
                                         {" --skip accelerator --fail-on warning", 1},
                                         {" --skip accelerator,end-punctuation --fail-on warning", 0},
                                         {" --only end-punctuation", 0},
                                         {" --only end-punctuation --fail-on warning", 1},
                                         {" --only format,accelerator", 1},
                                         {" --lang FRA --fail-on warning", 0},
                                         {" --lang DEU --lang ENU", 1},
                                         {" --lang XYZ", 2},
                                         {" --lang FRA --lang ITA", 2},
                                         {" --only nope", 2},
                                         {" --skip format,nope", 2},
                                         {" --fail-on sometimes", 2}}) {
    result = Check(c.Args);
    EXPECT_EQ(result.ExitCode, c.Exit) << c.Args << "\n" << result.Out << result.Err;
  }
  result = Check(" --only end-punctuation");
  EXPECT_EQ(result.Out, warning + "ENU: 0 errors, 0 warnings (native)\nDEU: 0 errors, 1 warning\nFRA: 0 errors, 0 "
                                  "warnings\n");
  result = Check(" --lang FRA");
  EXPECT_EQ(result.Out, "FRA: 0 errors, 0 warnings\n");
  EXPECT_EQ(Check(" --only nope").Err,
            "shelfwright-cli: no check named \"nope\" (checks: format, accelerator, hotkeys, string-list, "
            "report-expressions, line-breaks, spaces, end-punctuation, identical, empty, length)\n");
}

TEST_F(CliCheckTest, TheIgnoreListCountsProblemsAsIgnored) {
  PlantFaults();
  dir.Write("tinypad.ini", TempDir::Read(dir.Path("tinypad.ini")) +
                               "\r\n[IgnoredChecks1Lib]\r\n; known: the menu has no accelerator in German\r\n"
                               "DEU accelerator form/MainForm/miFile/Caption\r\n"
                               "FRA accelerator form/MainForm/miFile/Caption\r\n");
  CliResult result = Check();
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out, "DEU form/MainForm/miOpen/Caption: warning [end-punctuation] the native text ends with "
                        "\"...\", the translation with none\n"
                        "ENU: 0 errors, 0 warnings (native)\nDEU: 0 errors, 1 warning, 1 ignored\n"
                        "FRA: 0 errors, 0 warnings\n");
  const auto json = nlohmann::json::parse(Check(" --json").Out);
  ASSERT_EQ(json["problems"].size(), 2u);
  EXPECT_EQ(json["problems"][0]["check"], "accelerator");
  EXPECT_EQ(json["problems"][0]["ignored"], true);
  EXPECT_EQ(json["counts"]["DEU"]["ignored"], 1);

  dir.Write("tinypad.ini", TempDir::Read(dir.Path("tinypad.ini")) + "DEU accelerator\r\n");
  result = Check();
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_NE(result.Err.find("[IgnoredChecks1Lib]: \"DEU accelerator\" is not LANG CHECK ITEM"),
            std::string::npos)
      << result.Err;
}

TEST_F(CliCheckTest, JsonCarriesEveryProblem) {
  PlantFaults();
  const CliResult result = Check(" --json");
  EXPECT_EQ(result.ExitCode, 1) << result.Err;
  const auto json = nlohmann::json::parse(result.Out);
  ASSERT_EQ(json["problems"].size(), 2u);
  const auto& problem = json["problems"][0];
  EXPECT_EQ(problem["lang"], "DEU");
  EXPECT_EQ(problem["item"], "form/MainForm/miFile/Caption");
  EXPECT_EQ(problem["check"], "accelerator");
  EXPECT_EQ(problem["severity"], "error");
  EXPECT_EQ(problem["native"], "&File");
  EXPECT_EQ(problem["translation"], "Datei");
  EXPECT_EQ(problem["message"], "the native text has one accelerator (\"&File\"), the translation none (\"Datei\")");
  EXPECT_EQ(json["problems"][1]["severity"], "warning");
  EXPECT_EQ(json["counts"]["DEU"]["error"], 1);
  EXPECT_EQ(json["counts"]["DEU"]["warning"], 1);
  EXPECT_EQ(json["counts"]["ENU"]["native"], true);
  EXPECT_EQ(json["ok"], false);
}

TEST_F(CliCheckTest, TheRunExportAndImportCarryTheProblems) {
  PlantFaults();
  // The run's summary counts them per language.
  const auto summary = nlohmann::json::parse(Cli("process " + Library() + " --quiet --json").Out);
  for (const auto& language : summary["languages"]) {
    const bool german = language["abbr"] == "DEU";
    EXPECT_EQ(language["checkErrors"], german ? 1 : 0) << language.dump();
    EXPECT_EQ(language["checkWarnings"], german ? 1 : 0) << language.dump();
  }
  // Exports carry them as translator notes.
  const std::string po = dir.Path("de.po"), xliff = dir.Path("de.xlf");
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + po + "'").ExitCode, 0);
  EXPECT_NE(TempDir::Read(po).find("#. error [accelerator] the native text has one accelerator (\"&File\"), the "
                                   "translation none (\"Datei\")\n#: form/MainForm/miFile/Caption\n"
                                   "msgctxt \"form/MainForm/miFile/Caption\""),
            std::string::npos)
      << TempDir::Read(po);
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format xliff -o '" + xliff + "'").ExitCode, 0);
  EXPECT_NE(TempDir::Read(xliff).find("<note from=\"check\" priority=\"1\">warning [end-punctuation] the native "
                                      "text ends with \"...\", the translation with none</note>"),
            std::string::npos);
  // An import prints the problems of what it applied, and applies it.
  std::string text = TempDir::Read(po);
  text = Replace(text, "msgstr \"Zeile %d, Spalte %d\"", "msgstr \"Zeile %d, Spalte\"");
  dir.Write("de.po", text);
  const CliResult result = Cli("import " + Library() + " --lang DEU '" + po + "'");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_NE(result.Out.find("\n  check: DEU unit/Strings/SLineCol: error [format] the translation drops argument 1 "
                            "(\"%d\" in the native text)\n"),
            std::string::npos)
      << result.Out;
  EXPECT_EQ(result.Out.find("miFile"), std::string::npos) << "not applied by this import";
}

TEST_F(CliCheckTest, WithoutTheNativeFormsHotkeysAreNotCheckedAndSaySo) {
  const CliResult result = Cli("check --dest '" + dir.Path("out") +
                               "' --short-name TinyPad --languages ENU DEU FRA --only hotkeys");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Err,
            "shelfwright-cli: hotkeys not checked: the native forms are needed and no source folder is given\n");
}

TEST_F(CliCheckTest, PseudoTranslationPassesAndLosingEveryAmpersandFailsWithTheAcceleratorErrors) {
  if (Shell("podebug --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "podebug (translate-toolkit) is not installed";
  const std::string po = dir.Path("de.po");
  const std::string debug = dir.Path("de-debug.po");
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + po + "'").ExitCode, 0);
  ASSERT_EQ(Shell("podebug --rewrite=xxx -i '" + po + "' -o '" + debug + "' >/dev/null 2>&1"), 0);
  CliResult result = Cli("import " + Library() + " --lang DEU '" + debug + "'");
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  result = Check(" --lang DEU");
  EXPECT_EQ(result.ExitCode, 0) << result.Out << result.Err;
  EXPECT_EQ(result.Out.find(": error ["), std::string::npos) << result.Out;
  EXPECT_NE(result.Out.find("DEU: 0 errors"), std::string::npos) << result.Out;

  // Every "&" out of the translations (msgstr lines and their continuations).
  const std::string stripped = dir.Path("de-stripped.po");
  ASSERT_EQ(Shell("python3 -c \"import sys\n"
                  "out, inside = [], False\n"
                  "for line in open(sys.argv[1], encoding='utf-8'):\n"
                  "    if line.startswith('msgstr'): inside = True\n"
                  "    elif not line.startswith('\\\"'): inside = False\n"
                  "    out.append(line.replace('&', '') if inside else line)\n"
                  "open(sys.argv[2], 'w', encoding='utf-8').write(''.join(out))\" '" +
                  debug + "' '" + stripped + "'"),
            0);
  ASSERT_EQ(Cli("import " + Library() + " --lang DEU '" + stripped + "'").ExitCode, 0);
  result = Check(" --lang DEU --json");
  EXPECT_EQ(result.ExitCode, 1) << result.Err;
  std::set<std::string> errors;
  const auto json = nlohmann::json::parse(result.Out);
  for (const auto& problem : json["problems"]) {
    if (problem["severity"] != "error") continue;
    EXPECT_EQ(problem["check"], "accelerator") << problem.dump();
    errors.insert(problem["item"].get<std::string>());
  }
  std::set<std::string> expected;
  const TLoadedLanguage loaded =
      LoadLanguage(dir.Path("out/TinyPad.ENU.lng"), dir.Path("out/TinyPad.DEU.lng"), 0x0407);
  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column))
    if (CountAccelerators(unit.Item->NativeValue()->Text) == 1) expected.insert(unit.Place);
  EXPECT_EQ(errors, expected);
  EXPECT_GE(expected.size(), 4u);
}

}  // namespace
}  // namespace sw
