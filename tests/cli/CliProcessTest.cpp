// shelfwright-cli process and libraries: both ways of naming a library, the
// summary and its JSON form, exit codes, per-file errors on stderr, lib.ini,
// and the bundled example processed end to end.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/AppTestSupport.h"
#include "base/Unicode.h"
#include "storage/LocLangFile.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"
#include "base/AsciiText.h"

namespace sw {
namespace {

using testing::ReadLng;

class CliProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  CliResult Cli(const std::string& args, const std::string& cwd = "") { return RunCli(args, dir, cwd); }
  void WriteProject() {
    dir.Write("src/en/Strings.pas",
              "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hello';\r\nimplementation\r\nend.\r\n");
    dir.Write("src/en/Main.dfm", "object Main: TForm\r\n  Caption = 'Main'\r\n  Hint = 'Tip'\r\nend\r\n");
    dir.Write("src/de/Strings.pas",
              "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hallo';\r\nimplementation\r\nend.\r\n");
  }
  std::string CommandLineLibrary() const {
    return "process --src '" + dir.Path("src") + "' --dest '" + dir.Path("out") +
           "' --short-name Demo --lang ENU=en --lang 0x407=de";
  }

  TempDir dir;
};

TEST_F(CliProcessTest, LibraryGivenOnTheCommandLine) {
  WriteProject();
  const CliResult result = Cli(CommandLineLibrary() + " --json --quiet");
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  const auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["library"], "Demo");
  EXPECT_EQ(summary["filesRead"]["pas"], 2);
  EXPECT_EQ(summary["filesRead"]["dfm"], 1);
  EXPECT_EQ(summary["filesFailed"], 0);
  EXPECT_EQ(summary["ok"], true);
  ASSERT_EQ(summary["languages"].size(), 2u);
  EXPECT_EQ(summary["languages"][1]["abbr"], "DEU");
  EXPECT_EQ(summary["languages"][0]["items"], 3);
  EXPECT_EQ(ReadLng(dir.Path("out/Demo.DEU.lng")).Text("U:Strings.SHello"), u"Hallo");

  // dump shows what the loader sees.
  const CliResult dump = Cli("dump --json '" + dir.Path("out/Demo.DEU.lng") + "'");
  ASSERT_EQ(dump.ExitCode, 0) << dump.Err;
  const auto doc = nlohmann::json::parse(dump.Out);
  TLocStorage storage;
  TLangFile native(dir.Path("out/Demo.ENU.lng"), true);
  native.LoadStorage(&storage, -1, 0);
  const int column = storage.AddLanguage(0, 1031);
  TLangFile german(dir.Path("out/Demo.DEU.lng"), true);
  german.LoadStorage(&storage, column, 0);
  int compared = 0;
  for (const auto& unit : doc["units"])
    for (const auto& constant : unit["constants"]) {
      const TLocConstant* loaded =
          storage.FindConstant(unit["name"].get<std::string>(), constant["name"].get<std::string>());
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(Utf16ToUtf8(loaded->Values(column)->Text), constant["text"].get<std::string>());
      EXPECT_EQ(loaded->Values(column)->Revision, constant["revision"].get<int>());
      ++compared;
    }
  for (const auto& form : doc["forms"]) {
    for (const auto& property : form["properties"]) {
      const TLocProperty* loaded = storage.FindPropertyById(property["id"].get<int>());
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(Utf16ToUtf8(loaded->Values(column)->Text), property["text"].get<std::string>());
      ++compared;
    }
  }
  EXPECT_EQ(compared, 3);
  EXPECT_EQ(TempDir::Read(dir.Path("out/lib.ini")).substr(0, 53),
            "[Common]\r\nName=Demo\r\nFileName=Demo\r\nNativeExt=ENU\r\n\r\n");
}

TEST_F(CliProcessTest, FailedFileIsNamedOnStderrAndGivesExitCodeOne) {
  WriteProject();
  dir.Write("src/en/Bad.dfm", "object Bad: TForm\r\n  Caption = \r\n");
  const CliResult result = Cli(CommandLineLibrary());
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_NE(result.Err.find(dir.Path("src/en/Bad.dfm") + ": "), std::string::npos) << result.Err;
  EXPECT_NE(result.Out.find("files failed: 1"), std::string::npos) << result.Out;
  // The language files and lib.ini are still written, as the window does.
  EXPECT_TRUE(std::filesystem::exists(dir.Path("out/Demo.ENU.lng")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("out/Demo.DEU.lng")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("out/lib.ini")));
}

// A translation's language file that cannot be read is that language's
// failure: its file is kept byte for byte, the languages after it are still
// processed, and the exit code says something failed.
TEST_F(CliProcessTest, DamagedTranslationFileFailsOnlyItsLanguage) {
  WriteProject();
  dir.Write("src/fr/Main.dfm", "object Main: TForm\r\n  Caption = 'Principale'\r\nend\r\n");
  const std::string library = CommandLineLibrary() + " --lang 0x40C=fr";
  ASSERT_EQ(Cli(library + " --quiet").ExitCode, 0);
  const std::string french = dir.Path("out/Demo.FRA.lng");
  int frenchRevision = ReadLng(french).Header.Revision;
  struct Damage {
    const char* what;
    std::string bytes;
  };
  std::string cut = TempDir::Read(dir.Path("out/Demo.DEU.lng"));
  cut.resize(cut.size() - 7);
  const Damage damages[] = {{"not a language file", "not a language file at all"}, {"cut short", cut}};
  for (const Damage& damage : damages) {
    const std::string german = dir.Write("out/Demo.DEU.lng", damage.bytes);
    const CliResult result = Cli(library + " --json --quiet");
    EXPECT_EQ(result.ExitCode, 1) << damage.what << "\n" << result.Err;
    EXPECT_NE(result.Err.find(german), std::string::npos) << damage.what << "\n" << result.Err;
    const auto summary = nlohmann::json::parse(result.Out);
    EXPECT_EQ(summary["ok"], false) << damage.what;
    EXPECT_FALSE(summary.contains("error")) << damage.what << ": the run went on";
    ASSERT_EQ(summary["writeErrors"].size(), 1u) << damage.what;
    EXPECT_EQ(summary["writeErrors"][0]["file"], german) << damage.what;
    ASSERT_EQ(summary["languages"].size(), 2u) << damage.what;
    EXPECT_EQ(summary["languages"][1]["abbr"], "FRA") << damage.what;
    EXPECT_EQ(TempDir::Read(german), damage.bytes) << damage.what << ": kept byte for byte";
    EXPECT_EQ(ReadLng(french).Header.Revision, frenchRevision + 1) << damage.what;
    EXPECT_EQ(ReadLng(french).Text("F:Main..Caption"), u"Principale") << damage.what;
    frenchRevision = ReadLng(french).Header.Revision;
  }
  // The text summary names it too.
  const CliResult text = Cli(library + " --quiet");
  EXPECT_EQ(text.ExitCode, 1);
  EXPECT_NE(text.Out.find("Language files written: 2 of 3"), std::string::npos) << text.Out;
  const std::size_t line = text.Out.find("  not written: ");
  ASSERT_NE(line, std::string::npos) << text.Out;
  EXPECT_NE(text.Out.substr(line, text.Out.find('\n', line) - line).find(dir.Path("out/Demo.DEU.lng")), std::string::npos)
      << text.Out;
}

TEST_F(CliProcessTest, UsageErrorsGiveExitCodeTwo) {
  WriteProject();
  EXPECT_EQ(Cli("process").ExitCode, 2);
  EXPECT_EQ(Cli("process --src x --dest y --short-name z --lang XYZ").ExitCode, 2);
  EXPECT_EQ(Cli(CommandLineLibrary() + " --scan res,obj").ExitCode, 2);
  dir.Write("s.ini", "[Library1]\r\nName=A\r\n");
  EXPECT_EQ(Cli("process --settings '" + dir.Path("s.ini") + "' --library 2").ExitCode, 2);
  EXPECT_EQ(Cli("process --settings '" + dir.Path("s.ini") + "' --name B").ExitCode, 2);
  EXPECT_EQ(Cli("process --settings '" + dir.Path("s.ini") + "' --library 1 --src x").ExitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
}

TEST_F(CliProcessTest, StoredLibraryByNameUsesItsRules) {
  WriteProject();
  dir.Write("settings.ini", "[Main]\r\nLastLib=1\r\n[PropRules]\r\n+.Caption\r\n[Library1]\r\nName=Other\r\n"
                            "[Library2]\r\nName=Demo Library\r\nShortName=Demo\r\nSrcDir=" + dir.Path("src") +
                            "\r\nDestDir=" + dir.Path("out") + "\r\nScanFiles=15\r\n"
                            "[Languages2Lib]\r\n1033=en\r\n1031=de\r\n[PropRules2Lib]\r\n+.Hint=only the key\r\n");
  const CliResult result = Cli("process --settings '" + dir.Path("settings.ini") + "' --name 'Demo Library'");
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_NE(result.Out.find("Processing Complete"), std::string::npos);
  EXPECT_EQ(TempDir::Read(dir.Path("out/lib.ini")),
            "[Common]\r\nName=Demo Library\r\nFileName=Demo\r\nNativeExt=ENU\r\n\r\n[PropRules]\r\n+.Hint\r\n");
  const auto en = ReadLng(dir.Path("out/Demo.ENU.lng"));
  EXPECT_EQ(en.Text("F:Main..Hint"), u"Tip");
  EXPECT_EQ(en.Find("F:Main..Caption"), nullptr);

  const CliResult list = Cli("libraries --settings '" + dir.Path("settings.ini") + "' --json");
  ASSERT_EQ(list.ExitCode, 0) << list.Err;
  const auto json = nlohmann::json::parse(list.Out);
  ASSERT_EQ(json["libraries"].size(), 2u);
  EXPECT_EQ(json["libraries"][1]["name"], "Demo Library");
  EXPECT_EQ(json["libraries"][1]["languages"][1]["abbr"], "DEU");
  EXPECT_EQ(json["libraries"][1]["languages"][0]["native"], true);
}

// --keep-unchanged, or a stored library's KeepUnchangedFiles=1: a second run
// over unchanged sources leaves every file as it was and says so, in text and
// JSON; a changed translation rewrites only its own file.
TEST_F(CliProcessTest, KeepUnchangedLeavesUnchangedFilesAndSaysSo) {
  WriteProject();
  const CliResult help = Cli("process --help");
  EXPECT_NE(help.Out.find("--keep-unchanged"), std::string::npos) << help.Out;
  ASSERT_EQ(Cli(CommandLineLibrary() + " --quiet").ExitCode, 0);
  const std::string en = TempDir::Read(dir.Path("out/Demo.ENU.lng"));
  const std::string de = TempDir::Read(dir.Path("out/Demo.DEU.lng"));
  const auto deTime = std::filesystem::last_write_time(dir.Path("out/Demo.DEU.lng")) - std::chrono::hours(1);
  std::filesystem::last_write_time(dir.Path("out/Demo.DEU.lng"), deTime);

  CliResult result = Cli(CommandLineLibrary() + " --keep-unchanged --quiet --json");
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["languageFilesWritten"], 0);
  EXPECT_EQ(summary["languageFilesUnchanged"], 2);
  EXPECT_EQ(summary["languages"][1]["unchanged"], true);
  EXPECT_EQ(summary["languages"][1]["revision"], 1);
  EXPECT_EQ(summary["libIniUnchanged"], true);
  EXPECT_EQ(TempDir::Read(dir.Path("out/Demo.ENU.lng")), en);
  EXPECT_EQ(TempDir::Read(dir.Path("out/Demo.DEU.lng")), de);
  EXPECT_EQ(std::filesystem::last_write_time(dir.Path("out/Demo.DEU.lng")), deTime);

  // Stored: the settings key does what the option does; the text summary names the unchanged file.
  dir.Write("src/de/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Guten Tag';\r\nimplementation\r\nend.\r\n");
  dir.Write("settings.ini", "[Library1]\r\nName=Demo\r\nShortName=Demo\r\nSrcDir=" + dir.Path("src") +
                                "\r\nDestDir=" + dir.Path("out") + "\r\nScanFiles=15\r\nKeepUnchangedFiles=1\r\n"
                                "[Languages1Lib]\r\n1033=en\r\n1031=de\r\n");
  result = Cli("process --settings '" + dir.Path("settings.ini") + "' --library 1 --quiet");
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_NE(result.Out.find("Language files written: 1 of 2, 1 unchanged"), std::string::npos) << result.Out;
  EXPECT_NE(result.Out.find(dir.Path("out/Demo.ENU.lng") + " (unchanged)"), std::string::npos) << result.Out;
  EXPECT_EQ(TempDir::Read(dir.Path("out/Demo.ENU.lng")), en);
  EXPECT_EQ(ReadLng(dir.Path("out/Demo.DEU.lng")).Header.Revision, 2);
}

TEST_F(CliProcessTest, RunThatCannotStartWritesNothingAndFails) {
  dir.Write("settings.ini", "[Library1]\r\nName=Empty\r\nShortName=E\r\nSrcDir=" + dir.Path("src") +
                            "\r\nDestDir=" + dir.Path("out") + "\r\n");
  const CliResult result = Cli("process --settings '" + dir.Path("settings.ini") + "' --library 1 --json");
  EXPECT_EQ(result.ExitCode, 1);
  const auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["ok"], false);
  EXPECT_NE(summary["error"].get<std::string>().find("has no languages"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
}

// The progress line is for a terminal: rewritten in place, cleared before
// the summary; a pipe or a log file gets none of it.
TEST_F(CliProcessTest, ProgressLineOnlyOnATerminal) {
  WriteProject();
  const CliResult piped = Cli(CommandLineLibrary());
  ASSERT_EQ(piped.ExitCode, 0) << piped.Err;
  EXPECT_EQ(piped.Err.find('\r'), std::string::npos) << piped.Err;
  EXPECT_EQ(piped.Err.find("language 1 of"), std::string::npos) << piped.Err;
  EXPECT_EQ(piped.Out.find("language 1 of"), std::string::npos) << piped.Out;

  if (std::system("script --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no 'script' to give the program a terminal";
  // script(1) runs the program on a pseudo terminal and copies what it shows.
  const std::string shown = dir.Path("shown.txt");
  const std::string command = "script -qec \"'" + std::string(SHELFWRIGHT_CLI_PATH) + "' " + CommandLineLibrary() +
                              "\" /dev/null </dev/null >'" + shown + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << TempDir::Read(shown);
  const std::string screen = TempDir::Read(shown);
  const std::size_t first = screen.find("language 1 of 2, 0 of 2 files");
  const std::size_t last = screen.find("language 2 of 2, 1 of 1 files");
  ASSERT_NE(first, std::string::npos) << screen;
  ASSERT_NE(last, std::string::npos) << screen;
  // Each line starts by rewriting the one before; the last is cleared.
  EXPECT_EQ(screen.substr(screen.rfind('\r', first), 4), "\r\x1b[K") << screen;
  EXPECT_EQ(screen.find("\r\x1b[KProcessing Complete", last), screen.find('\r', last)) << screen;
  EXPECT_EQ(screen.find('\n'), screen.find("Processing Complete") + 20) << screen;
}

// --jobs: the bundled example and a generated library give the same bytes
// with one reader as with several, on the first run and on the next.
TEST_F(CliProcessTest, ParallelReadersWriteWhatOneReaderWrites) {
  const auto root = std::filesystem::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / "..";
  const std::string example = (root / "examples" / "tinypad" / "src").string();
  const std::string generator = (root / "bench" / "gen_library.py").string();
  ASSERT_TRUE(std::filesystem::exists(example));
  std::vector<std::string> libraries = {"--src '" + example + "' --short-name TinyPad --lang ENU=en DEU=de FRA=fr"};
  if (std::system(("python3 '" + generator + "' '" + dir.Path("gen") +
                   "' --forms 12 --strings 400 --langs 3 --units 6 >/dev/null").c_str()) == 0)
    libraries.push_back("--src '" + dir.Path("gen/src") + "' --short-name Synth --lang ENU=en DEU=de FRA=fr");
  else
    ADD_FAILURE() << "python3 could not generate a library";
  for (const auto& library : libraries) {
    std::filesystem::remove_all(dir.Path("one"));
    std::filesystem::remove_all(dir.Path("many"));
    for (int run = 0; run < 2; ++run) {
      const CliResult one = Cli("process " + library + " --dest '" + dir.Path("one") + "' --jobs 1 --quiet");
      const CliResult many = Cli("process " + library + " --dest '" + dir.Path("many") + "' --jobs 3 --quiet");
      ASSERT_EQ(one.ExitCode, 0) << one.Err;
      ASSERT_EQ(many.ExitCode, 0) << many.Err;
      EXPECT_EQ(ReplaceAll(one.Out, dir.Path("one"), ""), ReplaceAll(many.Out, dir.Path("many"), ""));
      int files = 0;
      for (const auto& entry : std::filesystem::directory_iterator(dir.Path("one"))) {
        const std::string name = entry.path().filename().string();
        // The library's memory records when it saw each text: not the same bytes twice.
        if (name.find(".memory.sqlite") != std::string::npos) continue;
        // Nor does the cache, which holds when its run started.
        if (entry.path().extension() == ".cache") continue;
        EXPECT_EQ(TempDir::Read(entry.path().string()), TempDir::Read(dir.Path("many/" + name))) << name;
        ++files;
      }
      EXPECT_EQ(files, 4) << library;  // three language files and lib.ini
    }
  }
  EXPECT_EQ(Cli(CommandLineLibrary() + " --jobs 0").ExitCode, 2);
}

TEST_F(CliProcessTest, BundledExampleProcessesCleanly) {
  const auto example = std::filesystem::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / ".." / "examples" / "tinypad";
  if (!std::filesystem::exists(example / "tinypad.ini")) GTEST_SKIP() << "examples/tinypad is not there";
  const CliResult result = Cli("process --src '" + (example / "src").string() + "' --dest '" + dir.Path("out") +
                               "' --short-name TinyPad --lang ENU=en DEU=de FRA=fr --quiet --json");
  ASSERT_EQ(result.ExitCode, 0) << result.Err << result.Out;
  const auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["filesRead"]["res"], 3);
  EXPECT_EQ(summary["filesRead"]["pas"], 3);
  EXPECT_EQ(summary["filesRead"]["rc"], 3);
  EXPECT_EQ(summary["filesRead"]["dfm"], 9);
  const auto de = ReadLng(dir.Path("out/TinyPad.DEU.lng"));
  EXPECT_EQ(de.Text("U:Strings.SSaveChanges"), u"\u00c4nderungen an %s speichern?");
  EXPECT_EQ(de.Text("U:Messages_RC.IDS_PRINTING"), u"\u201e%s\u201c wird gedruckt...");
  EXPECT_EQ(de.Text("U:Version.200"), u"Copyright (c) TinyPad-Autoren");
  EXPECT_EQ(de.Text("F:MainForm.lvRecent.Columns[1].Caption"), u"Gr\u00f6\u00dfe");
  EXPECT_EQ(de.Text("F:MainForm.DocFrame.lblTitle.Caption"), u"Dokument");
  // The default rules record what the example's own rules do: the status bar's text too.
  EXPECT_EQ(de.Text("F:MainForm.DocFrame.StatusBar.SimpleText"), u"Bereit");
  EXPECT_EQ(de.Text("F:AboutBox.btnOK.Caption"), u"OK");
  EXPECT_EQ(de.Text("F:PrintForm.btnPrint.Caption"), u"Drucken");
  bool report = false;
  for (const auto& [key, entry] : de.Entries) report = report || key.rfind("X:FRFORM:PrintForm:frxReport.", 0) == 0;
  EXPECT_TRUE(report) << "no report text recorded";
}

}  // namespace
}  // namespace sw
