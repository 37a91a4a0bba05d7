// shelfwright-cli stats, export and import on the bundled example: the
// exports pass gettext's own check and translate-toolkit reads them with the
// same unit count (skipped where those tools are absent), a scripted round
// trip changes exactly the edited values, a stale export is refused, and the
// exit codes follow `process`.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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

TEST_F(CliExchangeTest, ExportWritesIntoWhatIsNotARegularFile) {
  SKIP_ON_WINDOWS("devices and FIFOs");
  const std::string library = "export " + Library() + " --lang DEU --format po";
  // "-" is standard output; the summary then goes to standard error.
  const CliResult toStdout = RunCli(library + " -o -", dir, dir.Root());
  ASSERT_EQ(toStdout.ExitCode, 0) << toStdout.Err;
  EXPECT_NE(toStdout.Out.find("msgctxt \"unit/Messages_RC/IDS_READY\""), std::string::npos) << toStdout.Out;
  EXPECT_NE(toStdout.Err.find("Exported 30 units of German"), std::string::npos) << toStdout.Err;
  EXPECT_NE(toStdout.Err.find("to standard output"), std::string::npos) << toStdout.Err;
  EXPECT_FALSE(fs::exists(dir.Path("-")));
  // /dev/stdout alike, even when it is a file the shell redirected to.
  const CliResult devStdout = Cli(library + " -o /dev/stdout");
  EXPECT_EQ(devStdout.ExitCode, 0) << devStdout.Err;
  EXPECT_EQ(devStdout.Out.rfind("msgid \"\"\n", 0), 0u) << devStdout.Out;
  EXPECT_NE(devStdout.Out.find("msgctxt \"unit/Messages_RC/IDS_READY\""), std::string::npos);
  EXPECT_EQ(devStdout.Out.find("Exported"), std::string::npos);
  EXPECT_NE(devStdout.Err.find("Exported 30 units"), std::string::npos);

  // A FIFO with a reader gets the export through the pipe and stays a FIFO.
  const std::string fifo = dir.Path("pipe.po");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(Shell("cat '" + fifo + "' >'" + dir.Path("received.po") + "' & "
                  "'" SHELFWRIGHT_CLI_PATH "' " + library + " -o '" + fifo + "' >/dev/null && wait"),
            0);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_NE(TempDir::Read(dir.Path("received.po")).find("msgctxt \"unit/Messages_RC/IDS_READY\""), std::string::npos);

  // A character device is written into and stays the device.
  EXPECT_EQ(Cli(library + " -o /dev/null").ExitCode, 0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  if (fs::exists("/dev/full")) {
    const CliResult full = Cli(library + " -o /dev/full");
    EXPECT_EQ(full.ExitCode, 1);
    EXPECT_NE(full.Err.find("/dev/full: cannot write the export into it"), std::string::npos) << full.Err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }
  // A regular file is still replaced whole (a reader holding the old one keeps it).
  const std::string file = dir.Write("old.po", "old");
  std::ifstream holder(file);
  ASSERT_EQ(Cli(library + " -o '" + file + "'").ExitCode, 0);
  std::string old;
  std::getline(holder, old);
  EXPECT_EQ(old, "old");
  EXPECT_NE(TempDir::Read(file).find("IDS_READY"), std::string::npos);
}

TEST_F(CliExchangeTest, ExportRefusesTheLibrarysOwnFiles) {
  const std::string lib = "export " + Library() + " --lang DEU --format xliff -o ";
  fs::create_symlink(German(), dir.Path("link.xlf"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {German(), German()},
      {Native(), Native()},
      {dir.Path("out/TinyPad.FRA.lng"), dir.Path("out/TinyPad.FRA.lng")},
      {dir.Path("out/./../out/TinyPad.DEU.lng"), German()},
      {dir.Path("link.xlf"), German()},
      {dir.Path("out/lib.ini"), dir.Path("out/lib.ini")},
  };
  for (const auto& [output, named] : cases) {
    ASSERT_TRUE(fs::exists(named)) << named;
    const std::string before = TempDir::Read(named);
    const CliResult result = Cli(lib + "'" + output + "'");
    EXPECT_EQ(result.ExitCode, 1) << output;
    EXPECT_NE(result.Err.find("the export is not written to " + output + ": that is the library's"), std::string::npos)
        << result.Err;
    EXPECT_NE(result.Err.find(named), std::string::npos) << result.Err;
    EXPECT_EQ(TempDir::Read(named), before) << named;
  }
  EXPECT_TRUE(fs::is_symlink(dir.Path("link.xlf")));
  EXPECT_EQ(Cli("stats " + Library()).ExitCode, 0);
}

TEST_F(CliExchangeTest, HostileImportsFailNamingTheFile) {
  SKIP_ON_WINDOWS("/dev/zero");
  const std::string import = "import " + Library() + " --lang DEU ";
  const std::string bytes = TempDir::Read(German());
  // Input of unknown size: read up to the bound, then refused.
  const CliResult zero = Cli(import + "/dev/zero");
  EXPECT_EQ(zero.ExitCode, 1);
  EXPECT_EQ(zero.Err, "shelfwright-cli: /dev/zero: the input holds more than the 268435456 bytes (256 MiB) an XLIFF or "
                      "PO file may have (read up to that bound)\n");
  // A DTD declaring an entity, an empty file, a NUL, another library's export.
  const std::string xlf = dir.Path("de.xlf"), po = dir.Path("de.po");
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format xliff -o '" + xlf + "'").ExitCode, 0);
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + po + "'").ExitCode, 0);
  const std::string xliff = TempDir::Read(xlf), text = TempDir::Read(po);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir.Write("dtd.xlf", ReplaceOnce(xliff, "?>\n", "?>\n<!DOCTYPE xliff [<!ENTITY xxe \"Boom\">]>\n")),
       "dtd.xlf: the DOCTYPE has an internal subset"},
      {dir.Write("xxe.xlf", ReplaceOnce(xliff, ">Kein Drucker installiert.<", ">&xxe;<")), "unknown entity reference \"&xxe;\""},
      {dir.Write("empty.po", ""), "empty.po: the PO file holds no entry"},
      {dir.Write("nul.po", ReplaceOnce(text, "msgstr \"Kein Drucker", std::string("msgstr \"Kein\0Drucker", 19))),
       "nul.po: entry \"unit/Messages_RC/IDS_NOPRINTER\": the msgstr holds a NUL character"},
      {dir.Write("other.po", ReplaceOnce(text, "Project-Id-Version: TinyPad", "Project-Id-Version: OtherPad")),
       "other.po: the file is an export of \"OtherPad\", not of \"TinyPad\" (--force imports it anyway)"},
  };
  for (const auto& [file, error] : cases) {
    const CliResult result = Cli(import + "'" + file + "'");
    EXPECT_EQ(result.ExitCode, 1) << file;
    EXPECT_NE(result.Err.find(error), std::string::npos) << result.Err;
  }
  EXPECT_EQ(TempDir::Read(German()), bytes);
  EXPECT_EQ(Cli(import + "'" + dir.Path("other.po") + "' --force").ExitCode, 0);
  // A byte-order mark is legal.
  EXPECT_EQ(Cli(import + "'" + dir.Write("bom.po", "\xEF\xBB\xBF" + text) + "'").ExitCode, 0);
}

TEST_F(CliExchangeTest, ManyUnknownUnitsPrintTheFirstAndTheCount) {
  std::string po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  for (int i = 0; i < 100000; ++i) po += "\nmsgctxt \"unit/None/S" + std::to_string(i) + "\"\nmsgid \"x\"\nmsgstr \"y\"\n";
  const std::string file = dir.Write("many.po", po);
  const CliResult text = Cli("import " + Library() + " --lang DEU '" + file + "'");
  EXPECT_EQ(text.ExitCode, 1);
  std::size_t shown = 0;
  for (std::size_t at = text.Err.find("unknown unit \""); at != std::string::npos; at = text.Err.find("unknown unit \"", at + 1))
    ++shown;
  EXPECT_EQ(shown, 20u) << text.Err.substr(0, 2000);
  EXPECT_NE(text.Err.find("unknown unit \"unit/None/S19\""), std::string::npos);
  EXPECT_EQ(text.Err.find("unknown unit \"unit/None/S20\""), std::string::npos);
  EXPECT_NE(text.Err.find("... and 99980 more (100000 problems in all); --json lists them all"), std::string::npos)
      << text.Err.substr(text.Err.size() - 300);
  EXPECT_NE(text.Out.find("100000 unknown"), std::string::npos);
  const CliResult json = Cli("import " + Library() + " --lang DEU '" + file + "' --json");
  EXPECT_EQ(json.ExitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(json.Out)["unknown"].size(), 100000u);
}

// translate-toolkit's converters drop msgctxt and renumber ids; the units
// come back from the references they keep. Up-to-date units are approved,
// so the toolkit counts them translated, not fuzzy.
TEST_F(CliExchangeTest, TranslateToolkitRoundTripsKeepTheUnits) {
  const std::string python = TranslateToolkitPython();
  if (python.empty() || Shell("xliff2po --version >/dev/null 2>&1") != 0 || Shell("po2xliff --version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "translate-toolkit (xliff2po, po2xliff) is not installed";
  const std::string xlf = dir.Path("de.xlf"), po = dir.Path("de.po");
  const CliResult exported = Cli("export " + Library() + " --lang DEU --format xliff -o '" + xlf + "'");
  ASSERT_EQ(exported.ExitCode, 0) << exported.Err;
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + po + "'").ExitCode, 0);
  const std::string count = dir.Path("fuzzy.txt");
  ASSERT_EQ(Shell(python + " -c \"import sys; from translate.storage import factory; "
                           "s = factory.getobject(sys.argv[1]); "
                           "print(len([u for u in s.units if u.istranslated()]))\" '" + xlf + "' >'" + count + "' 2>&1"),
            0)
      << TempDir::Read(count);
  EXPECT_EQ(TempDir::Read(count), "25\n");  // the up-to-date units of the summary
  EXPECT_NE(exported.Out.find("(25 up to date"), std::string::npos) << exported.Out;

  const std::string x2p = dir.Path("x2p.po"), p2x = dir.Path("p2x.xlf");
  ASSERT_EQ(Shell("xliff2po '" + xlf + "' '" + x2p + "' >/dev/null 2>&1"), 0);
  ASSERT_EQ(Shell("po2xliff '" + po + "' '" + p2x + "' >/dev/null 2>&1"), 0);
  const std::string bytes = TempDir::Read(German());
  for (const std::string& file : {x2p, p2x}) {
    const CliResult result = Cli("import " + Library() + " --lang DEU '" + file + "' --json");
    EXPECT_EQ(result.ExitCode, 0) << file << ": " << result.Err;
    const auto summary = nlohmann::json::parse(result.Out);
    EXPECT_EQ(summary["units"], 30) << file;
    EXPECT_EQ(summary["unknown"].size(), 0u) << file;
    EXPECT_EQ(summary["changed"], 0) << file;
  }
  EXPECT_EQ(TempDir::Read(German()), bytes);
  // An edit made on the converted file is applied to its unit.
  std::string text = TempDir::Read(x2p);
  text = ReplaceOnce(text, "msgstr \"Kein Drucker installiert.\"", "msgstr \"Es ist kein Drucker installiert.\"");
  dir.Write("x2p.po", text);
  ASSERT_EQ(Cli("import " + Library() + " --lang DEU '" + x2p + "'").ExitCode, 0);
  EXPECT_EQ(GermanValues().at("unit/Messages_RC/IDS_NOPRINTER").Text, u"Es ist kein Drucker installiert.");
}

}  // namespace
}  // namespace sw
