// The library's memory through the command line, on the bundled example:
// translations imported after a run survive the next run against a stale
// translation folder (and the run says so), a changed folder text is still
// taken, a folder text equal to the native text stays a copy, an unchanged
// run twice gives the same coverage, a new native text equal to a translated
// one gets that translation out of date, a damaged memory file is set aside,
// deleting the memory loses nothing, and a run killed mid-way leaves the
// memory consistent.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "memory/TranslationMemory.h"
#include "storage/ExchangeUnits.h"
#include "support/CliRunner.h"

namespace sw {
namespace {

namespace fs = std::filesystem;
constexpr LANGID kGerman = 0x0407;

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "not found: " << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Every translation of a PO file given a prefix, as a translator's pass over
// the whole file would change it; the header and untranslated entries stay.
std::string ChangeEveryTranslation(const std::string& po, const std::string& prefix) {
  std::istringstream in(po);
  std::string line, out;
  bool header = true, pendingContinuation = false;
  while (std::getline(in, line)) {
    if (line.rfind("msgstr \"", 0) == 0) {
      if (header) {
        header = false;
      } else if (line != "msgstr \"\"") {
        line.insert(8, prefix);
      } else {
        pendingContinuation = true;
        out += line + "\n";
        continue;
      }
    } else if (pendingContinuation && !line.empty() && line[0] == '"') {
      line.insert(1, prefix);
    }
    pendingContinuation = false;
    out += line + "\n";
  }
  return out;
}

struct Value {
  std::u16string Text;
  TUnitStatus Status = TUnitStatus::Untranslated;
};

class CliMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path example = fs::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / ".." / "examples" / "tinypad";
    if (!fs::exists(example / "tinypad.ini")) GTEST_SKIP() << "examples/tinypad is not there";
    fs::copy(example / "src", dir.Path("src"), fs::copy_options::recursive);
    std::string ini = TempDir::Read((example / "tinypad.ini").string());
    ini = ReplaceOnce(ini, "SrcDir=src", "SrcDir=" + dir.Path("src"));
    ini = ReplaceOnce(ini, "DestDir=../../build/example/TinyPad", "DestDir=" + dir.Path("out"));
    dir.Write("tinypad.ini", ini);
    Process();
  }
  std::string Library() const { return "--settings '" + dir.Path("tinypad.ini") + "' --library 1"; }
  std::string German() const { return dir.Path("out/TinyPad.DEU.lng"); }
  std::string Native() const { return dir.Path("out/TinyPad.ENU.lng"); }
  std::string MemoryFile() const { return dir.Path("out/TinyPad.memory.sqlite"); }
  CliResult Cli(const std::string& args) { return RunCli(args, dir); }
  nlohmann::json Process(const std::string& extra = "") {
    const CliResult run = Cli("process " + Library() + " --quiet --json" + extra);
    EXPECT_EQ(run.ExitCode, 0) << run.Err << run.Out;
    return run.ExitCode == 0 ? nlohmann::json::parse(run.Out) : nlohmann::json();
  }
  nlohmann::json GermanStats() {
    const CliResult result = Cli("stats " + Library() + " --json");
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    return nlohmann::json::parse(result.Out)["languages"][0]["items"];
  }
  std::map<std::string, Value> GermanValues() const {
    const TLoadedLanguage loaded = LoadLanguage(Native(), German(), kGerman);
    std::map<std::string, Value> values;
    for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column))
      values[unit.Place] = {unit.Item->Values(loaded.Column)->Text, unit.Status};
    return values;
  }
  bool HasExchange() { return Cli("export --help").ExitCode == 0; }
  // Exports German as PO, gives every translation the prefix, imports it.
  void TranslateEverythingAgain(const std::string& prefix) {
    const std::string po = dir.Path("de.po");
    ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + po + "'").ExitCode, 0);
    dir.Write("de.po", ChangeEveryTranslation(TempDir::Read(po), prefix));
    const CliResult imported = Cli("import " + Library() + " --lang DEU '" + po + "'");
    ASSERT_EQ(imported.ExitCode, 0) << imported.Err << imported.Out;
  }
  void EditFile(const std::string& relative, const std::string& from, const std::string& to) {
    dir.Write(relative, ReplaceOnce(TempDir::Read(dir.Path(relative)), from, to));
  }

  TempDir dir;
};

TEST_F(CliMemoryTest, ImportedTranslationsSurviveTheNextRun) {
  if (!HasExchange()) GTEST_SKIP() << "built without export and import";
  ASSERT_TRUE(fs::exists(MemoryFile()));
  TranslateEverythingAgain("[new] ");
  const auto imported = GermanValues();
  const auto importedStats = GermanStats();
  int translated = 0;
  for (const auto& [place, value] : imported)
    if (value.Status != TUnitStatus::Untranslated) {
      ++translated;
      EXPECT_EQ(value.Text.rfind(u"[new] ", 0), 0u) << place;
    }
  ASSERT_GT(translated, 10);

  const auto summary = Process();
  const auto after = GermanValues();
  for (const auto& [place, value] : imported) {
    EXPECT_EQ(after.at(place).Text, value.Text) << place;
    EXPECT_EQ(after.at(place).Status, value.Status) << place;
  }
  EXPECT_EQ(GermanStats(), importedStats);
  // Every translation the folder holds differently is reported, the first few by name.
  const auto kept = summary["memory"]["kept"];
  int keptGerman = 0;
  for (const auto& item : kept) keptGerman += item["lang"] == "DEU";
  EXPECT_GE(keptGerman, translated - 1);
  bool warned = false;
  for (const auto& warning : summary["warnings"])
    if (warning.get<std::string>().find(std::to_string(keptGerman) +
                                        " translations in the language file differ from the translation folder; "
                                        "kept the language file's (German") != std::string::npos)
      warned = true;
  EXPECT_TRUE(warned) << summary["warnings"].dump();

  // Once more: the same result.
  Process();
  EXPECT_EQ(GermanStats(), importedStats);

  // A translator changes one text in the folder: that is news, and it is taken.
  EditFile("src/de/Strings.pas", "Zeile %d, Spalte %d", "Z. %d, Sp. %d");
  Process();
  const auto edited = GermanValues();
  EXPECT_EQ(edited.at("unit/Strings/SLineCol").Text, u"Z. %d, Sp. %d");
  EXPECT_EQ(edited.at("unit/Strings/SLineCol").Status, TUnitStatus::UpToDate);
  for (const auto& [place, value] : imported) {
    if (place != "unit/Strings/SLineCol") {
      EXPECT_EQ(edited.at(place).Text, value.Text) << place;
    }
  }
}

// A folder whose texts are as the last run read them is not looked at text
// by text; a folder changed and changed back is news each time.
TEST_F(CliMemoryTest, AFolderTextChangedAndChangedBackIsNewsEachTime) {
  if (!HasExchange()) GTEST_SKIP() << "built without export and import";
  const std::u16string original = GermanValues().at("unit/Strings/SLineCol").Text;
  ASSERT_EQ(original, u"Zeile %d, Spalte %d");
  const struct {
    const char* step;
    const char* from;  // the folder's text changed, or null to leave it
    const char* to;
    std::u16string expected;
  } steps[] = {
      {"the folder as before", nullptr, nullptr, u"[a] Zeile %d, Spalte %d"},
      {"the folder changed", "Zeile %d, Spalte %d", "Z. %d, Sp. %d", u"Z. %d, Sp. %d"},
      {"the folder changed back", "Z. %d, Sp. %d", "Zeile %d, Spalte %d", u"Zeile %d, Spalte %d"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    TranslateEverythingAgain("[a] ");
    if (step.from) EditFile("src/de/Strings.pas", step.from, step.to);
    Process();
    const auto values = GermanValues();
    EXPECT_EQ(values.at("unit/Strings/SLineCol").Text, step.expected);
    EXPECT_EQ(values.at("unit/Strings/SLineCol").Status, TUnitStatus::UpToDate);
    EXPECT_EQ(values.at("unit/Strings/SReadOnly").Text.rfind(u"[a] ", 0), 0u) << "the others stay imported";
  }
}

TEST_F(CliMemoryTest, PreferFoldersTakesTheFoldersTexts) {
  if (!HasExchange()) GTEST_SKIP() << "built without export and import";
  const auto fresh = GermanValues();
  TranslateEverythingAgain("[new] ");
  const auto summary = Process(" --prefer-folders");
  EXPECT_TRUE(summary["memory"]["kept"].empty());
  const auto after = GermanValues();
  for (const auto& [place, value] : fresh) EXPECT_EQ(after.at(place).Text, value.Text) << place;
}

TEST_F(CliMemoryTest, CoverageIsTheSameAfterEveryRun) {
  const auto first = GermanStats();
  Process();
  Process();
  EXPECT_EQ(GermanStats(), first);
  // A folder text equal to the native text is a copy, not a translation.
  const TLoadedLanguage loaded = LoadLanguage(Native(), German(), kGerman);
  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column)) {
    if (unit.Item->Values(loaded.Column)->Text == unit.Item->NativeValue()->Text) {
      EXPECT_EQ(unit.Status, TUnitStatus::Untranslated) << unit.Place;
    }
  }
}

TEST_F(CliMemoryTest, ANewNativeTextEqualToATranslatedOneGetsItsTranslationOutOfDate) {
  EditFile("src/en/Strings.pas", "  SReadOnly = 'The file is read-only.';",
           "  SReadOnly = 'The file is read-only.';\r\n  SAskSave = 'Save changes to %s?';\r\n"
           "  SAskSave2 = 'Save changes to %s!';");
  // The same file without the new lines would have left them untranslated.
  const auto summary = Process();
  EXPECT_EQ(summary["memory"]["reused"]["DEU"], 1) << summary.dump();
  const auto values = GermanValues();
  EXPECT_EQ(values.at("unit/Strings/SAskSave").Text, values.at("unit/Strings/SSaveChanges").Text);
  EXPECT_EQ(values.at("unit/Strings/SAskSave").Status, TUnitStatus::OutOfDate);
  EXPECT_EQ(values.at("unit/Strings/SAskSave2").Status, TUnitStatus::Untranslated);
}

TEST_F(CliMemoryTest, AChangedNativeTextIsKeptAsThePreviousText) {
  EditFile("src/en/Strings.pas", "'The file is read-only.'", "'This file is read-only.'");
  const auto summary = Process();
  EXPECT_EQ(summary["memory"]["previousTexts"], 1);
  TTranslationMemory memory(MemoryFile());
  const auto previous = memory.PreviousTexts("unit/Strings/SReadOnly");
  ASSERT_EQ(previous.size(), 1u);
  EXPECT_EQ(previous[0].Text, u"The file is read-only.");
  EXPECT_EQ(GermanValues().at("unit/Strings/SReadOnly").Status, TUnitStatus::OutOfDate);
}

// Native items added, removed and changed in one run: each changed text
// is found against its own item's, wherever the others moved it.
TEST_F(CliMemoryTest, PreviousTextsWhenNativeItemsComeAndGo) {
  EditFile("src/en/Strings.pas", "  SFileNotFound = 'File ''%s'' not found.';\r\n", "");
  EditFile("src/en/Strings.pas", "  SLineCol = 'Line %d, column %d';",
           "  SAaa = 'New first';\r\n  SLineCol = 'Line %d, col %d';\r\n  SMmm = 'New middle';");
  EditFile("src/en/Strings.pas", "'The file is read-only.'", "'This file is read-only.'");
  const auto summary = Process();
  EXPECT_EQ(summary["memory"]["previousTexts"], 2) << summary.dump();
  TTranslationMemory memory(MemoryFile());
  const struct {
    const char* place;
    const char16_t* previous;
  } cases[] = {
      {"unit/Strings/SLineCol", u"Line %d, column %d"},
      {"unit/Strings/SReadOnly", u"The file is read-only."},
      {"unit/Strings/SSaveChanges", nullptr},
      {"unit/Strings/SAaa", nullptr},
      {"unit/Strings/SMmm", nullptr},
  };
  for (const auto& c : cases) {
    const auto previous = memory.PreviousTexts(c.place);
    if (!c.previous) {
      EXPECT_TRUE(previous.empty()) << c.place;
    } else {
      ASSERT_EQ(previous.size(), 1u) << c.place;
      EXPECT_EQ(previous[0].Text, c.previous) << c.place;
    }
  }
}

TEST_F(CliMemoryTest, ExportsCarryThePreviousTextAndSimilarTranslations) {
  if (!HasExchange()) GTEST_SKIP() << "built without export and import";
  EditFile("src/en/Strings.pas", "  SReadOnly = 'The file is read-only.';",
           "  SReadOnly = 'This file is read-only.';\r\n  SAskSave = 'Save changes to %s!';");
  Process();
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format po -o '" + dir.Path("de.po") + "'").ExitCode, 0);
  const std::string po = TempDir::Read(dir.Path("de.po"));
  EXPECT_NE(po.find("#, fuzzy\n#| msgid \"The file is read-only.\"\nmsgctxt \"unit/Strings/SReadOnly\"\n"
                    "msgid \"This file is read-only.\""),
            std::string::npos)
      << po;
  EXPECT_NE(po.find("#. Similar (94%): Save changes to %s? \u2192 \u00c4nderungen an %s speichern?\n"
                    "#: unit/Strings/SAskSave\nmsgctxt \"unit/Strings/SAskSave\""),
            std::string::npos)
      << po;
  ASSERT_EQ(Cli("export " + Library() + " --lang DEU --format xliff -o '" + dir.Path("de.xlf") + "'").ExitCode, 0);
  const std::string xlf = TempDir::Read(dir.Path("de.xlf"));
  EXPECT_NE(xlf.find("<alt-trans alttranstype=\"previous-version\">\n          <source>The file is read-only.</source>\n"
                     "          <target>Die Datei ist schreibgesch\u00fctzt.</target>"),
            std::string::npos)
      << xlf;
  EXPECT_NE(xlf.find("<alt-trans match-quality=\"94\" origin=\"memory\">\n          <source>Save changes to %s?</source>"),
            std::string::npos);
  // The suggestion is offered, not applied.
  EXPECT_EQ(GermanValues().at("unit/Strings/SAskSave").Status, TUnitStatus::Untranslated);
  const CliResult stats = Cli("stats " + Library() + " --json");
  const auto items = nlohmann::json::parse(stats.Out)["languages"][0]["outOfDateItems"];
  ASSERT_EQ(items.size(), 1u) << items.dump();
  EXPECT_EQ(items[0]["place"], "unit/Strings/SReadOnly");
  EXPECT_EQ(items[0]["previousNative"], "The file is read-only.");
  EXPECT_EQ(items[0]["currentNative"], "This file is read-only.");
}

TEST_F(CliMemoryTest, DeletingTheMemoryLosesNoTranslation) {
  if (!HasExchange()) GTEST_SKIP() << "built without export and import";
  TranslateEverythingAgain("[new] ");
  const auto imported = GermanValues();
  fs::remove(MemoryFile());
  fs::remove(MemoryFile() + "-wal");
  fs::remove(MemoryFile() + "-shm");
  Process();
  const auto after = GermanValues();
  for (const auto& [place, value] : imported) EXPECT_EQ(after.at(place).Text, value.Text) << place;
  // The new memory was seeded from the language files.
  TTranslationMemory memory(MemoryFile());
  EXPECT_GT(memory.UnitCount(), 10);
}

TEST_F(CliMemoryTest, ADamagedMemoryIsSetAsideAndTheRunGoesOn) {
  const std::string damaged(6000, '\x13');
  fs::remove(MemoryFile() + "-wal");
  fs::remove(MemoryFile() + "-shm");
  dir.Write("out/TinyPad.memory.sqlite", damaged);
  const auto summary = Process();
  ASSERT_EQ(summary["memory"]["notes"].size(), 1u);
  EXPECT_NE(summary["memory"]["notes"][0].get<std::string>().find("set aside as " + MemoryFile() + ".damaged"),
            std::string::npos);
  EXPECT_EQ(TempDir::Read(MemoryFile() + ".damaged"), damaged);
  TTranslationMemory memory(MemoryFile());
  EXPECT_EQ(memory.IntegrityCheck(), "ok");
}

TEST_F(CliMemoryTest, TheMemoryOptionAndNoMemory) {
  const std::string other = dir.Path("elsewhere/my.sqlite");
  fs::create_directories(dir.Path("elsewhere"));
  EXPECT_EQ(Process(" --memory '" + other + "'")["memory"]["file"], other);
  EXPECT_TRUE(fs::exists(other));
  EXPECT_TRUE(Process(" --no-memory")["memory"].is_null());
  EXPECT_EQ(Cli("process " + Library() + " --no-memory --memory x").ExitCode, 2);
  // A folder where the file should be fails the run before anything is written.
  fs::create_directories(dir.Path("afolder"));
  const CliResult failed = Cli("process " + Library() + " --quiet --memory '" + dir.Path("afolder") + "'");
  EXPECT_EQ(failed.ExitCode, 1);
  EXPECT_NE(failed.Err.find("it is a folder"), std::string::npos) << failed.Err;
}

TEST_F(CliMemoryTest, ARunKilledAtAnyMomentLeavesTheMemoryConsistent) {
  // Kills runs after growing delays; each time the memory must pass SQLite's
  // integrity check and the next run must give the same coverage.
  const auto expected = GermanStats();
  for (int delayMs : {1, 3, 6, 10, 20, 40}) {
    SCOPED_TRACE(delayMs);
    const std::string command = std::string("exec '") + SHELFWRIGHT_CLI_PATH + "' process " + Library() +
                                " --quiet >/dev/null 2>&1";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    {
      TTranslationMemory memory(MemoryFile());
      EXPECT_TRUE(memory.Notes().empty());
      EXPECT_EQ(memory.IntegrityCheck(), "ok");
    }
    Process();
    EXPECT_EQ(GermanStats(), expected);
  }
}

}  // namespace
}  // namespace sw
