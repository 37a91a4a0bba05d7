// TMX through its reader and writer: what is written reads back the same,
// the usual document type reference is accepted, and hostile files are
// refused with the file and the problem named. Through the command line:
// `memory export` writes TMX that translate-toolkit reads, and a TMX written
// by translate-toolkit's po2tmx imports and feeds reuse (both skipped when
// translate-toolkit is absent).
#if __has_include("exchange/Tmx.h")
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "base/Unicode.h"
#include "exchange/Tmx.h"
#include "memory/TranslationMemory.h"
#include "support/CliRunner.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HasTranslateToolkit() {
  return Shell("/usr/bin/python3 -c 'import translate.storage.tmx' >/dev/null 2>&1") == 0 &&
         Shell("po2tmx --version >/dev/null 2>&1") == 0;
}

TEST(TmxTest, WrittenUnitsReadBackTheSame) {
  const std::vector<TTmxUnit> units = {
      {"en-US", u"Open", "de-DE", u"Öffnen", "20261207T120000Z", "folder"},
      {"en-US", u"Line 1\nLine 2 <&> \"q\"", "fr-FR", u"Ligne 1\nLigne 2 <&>", "", ""},
      {"en-US", u"  spaced  ", "de-DE", u"  mit Abstand  ", "", "import"},
  };
  const std::string text = BuildTmx(units, "en-US", "1.0");
  EXPECT_NE(text.find("<!DOCTYPE tmx SYSTEM \"tmx14.dtd\">"), std::string::npos);
  const TTmxDocument document = ParseTmx(text, "t.tmx");
  EXPECT_EQ(document.SourceLang, "en-US");
  ASSERT_EQ(document.Units.size(), units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    EXPECT_EQ(document.Units[i].Source, units[i].Source) << i;
    EXPECT_EQ(document.Units[i].Target, units[i].Target) << i;
    EXPECT_EQ(document.Units[i].TargetLang, units[i].TargetLang) << i;
    EXPECT_EQ(document.Units[i].ChangeDate, units[i].ChangeDate) << i;
    EXPECT_EQ(document.Units[i].Origin, units[i].Origin) << i;
  }
  EXPECT_EQ(TmxDateSeconds(TmxDate(1765000000)), 1765000000);
  EXPECT_EQ(TmxDateSeconds("2026-12-07"), 0);
}

TEST(TmxTest, UnitsAreTakenAsTheirToolsWriteThem) {
  const std::string text =
      "<?xml version='1.0' encoding='utf-8'?>\n"
      "<!DOCTYPE tmx SYSTEM \"tmx14.dtd\">\n"
      "<tmx version=\"1.4\"><header srclang=\"en\" segtype=\"sentence\"/><body>\n"
      // Three languages in one unit: two units.
      "<tu><tuv xml:lang=\"de\"><seg>Ja</seg></tuv><tuv xml:lang=\"en\"><seg>Yes</seg></tuv>"
      "<tuv xml:lang=\"fr\"><seg>Oui</seg></tuv></tu>\n"
      // Its own source language, and the TMX 1.1 attribute.
      "<tu srclang=\"en-GB\"><tuv lang=\"en-GB\"><seg>Colour</seg></tuv><tuv lang=\"de\"><seg>Farbe</seg></tuv></tu>\n"
      // Inline markup: skipped, not flattened.
      "<tu><tuv xml:lang=\"en\"><seg>Press <bpt i=\"1\">&lt;b&gt;</bpt>OK</seg></tuv><tuv xml:lang=\"de\"><seg>OK</seg></tuv></tu>\n"
      // No source variant.
      "<tu><tuv xml:lang=\"de\"><seg>Nein</seg></tuv></tu>\n"
      "</body></tmx>\n";
  const TTmxDocument document = ParseTmx(text, "tt.tmx");
  ASSERT_EQ(document.Units.size(), 3u);
  EXPECT_EQ(document.Units[0].Target, u"Ja");
  EXPECT_EQ(document.Units[1].Target, u"Oui");
  EXPECT_EQ(document.Units[2].Source, u"Colour");
  EXPECT_EQ(document.Units[2].SourceLang, "en-GB");
  EXPECT_EQ(document.SkippedMarkup, 1);
  EXPECT_EQ(document.SkippedNoSource, 1);
}

TEST(TmxTest, HostileFilesAreRefused) {
  const std::string body = "<tmx version=\"1.4\"><header srclang=\"en\"/><body/></tmx>";
  const struct {
    const char* name;
    std::string data;
    std::string message;
  } cases[] = {
      {"entity declarations",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE tmx [\n<!ENTITY a \"aaaaaaaaaa\">\n<!ENTITY b \"&a;&a;&a;&a;\">\n]>\n" + body,
       "h.tmx:2: a document type declaration with its own declarations (entities) is not accepted"},
      {"external subset with entities", "<!DOCTYPE tmx SYSTEM \"tmx14.dtd\" [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" + body,
       "h.tmx:1: a document type declaration with its own declarations (entities) is not accepted"},
      {"stray declaration", "<!ENTITY x \"y\">" + body, "h.tmx:1: markup declarations are not accepted"},
      {"UTF-16", std::string("\xFF\xFE<\0t\0", 6), "h.tmx: the file is UTF-16; only UTF-8 TMX files are read"},
      {"other encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + body,
       "h.tmx: the file is in the encoding \"iso-8859-1\"; only UTF-8 TMX files are read"},
      {"invalid UTF-8", "<tmx version=\"1.4\"><header srclang=\"en\"/><body><tu><tuv xml:lang=\"en\"><seg>\xC3(</seg></tuv></tu></body></tmx>",
       "h.tmx: the file is not valid UTF-8"},
      {"not TMX", "<xliff version=\"1.2\"/>", "h.tmx: not a TMX file (the root element is <xliff>)"},
      {"not well-formed", "<tmx>\n<body>\n<tu>\n</tmx>", "h.tmx:4: not well-formed XML: Start-end tags mismatch"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ParseTmx(c.data, "h.tmx");
      ADD_FAILURE() << "accepted";
    } catch (const EExchangeError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

class CliTmxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path example = fs::path(SHELFWRIGHT_TEST_DATA_DIR) / ".." / ".." / "examples" / "tinypad";
    if (!fs::exists(example / "tinypad.ini")) GTEST_SKIP() << "examples/tinypad is not there";
    fs::copy(example / "src", dir.Path("src"), fs::copy_options::recursive);
    const std::string folders = "--src '" + dir.Path("src") + "' --dest '" + dir.Path("out") + "' --short-name TinyPad ";
    process = folders + "--lang ENU=en DEU=de FRA=fr";
    library = folders + "--languages ENU=en DEU=de FRA=fr";
    const CliResult run = Cli("process " + process + " --quiet");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }
  CliResult Cli(const std::string& args) { return RunCli(args, dir); }
  std::string Memory() const { return dir.Path("out/TinyPad.memory.sqlite"); }
  std::string process;  // the library as `process` takes it
  std::string library;  // ... and as `memory` takes it
  TempDir dir;
};

TEST_F(CliTmxTest, ExportedTmxReadsBackAndTranslateToolkitReadsIt) {
  const CliResult exported = Cli("memory export " + library + " --lang DEU -o '" + dir.Path("de.tmx") + "'");
  ASSERT_EQ(exported.ExitCode, 0) << exported.Err;
  const TTmxDocument document = ReadTmxFile(dir.Path("de.tmx"));
  TTranslationMemory memory(Memory());
  std::int64_t german = 0;
  memory.ForEachUnit(0x0407, [&](const TMemoryUnit&) { ++german; });
  EXPECT_EQ(static_cast<std::int64_t>(document.Units.size()), german);
  EXPECT_GT(german, 10);
  EXPECT_NE(exported.Out.find("Exported " + std::to_string(german) + " translation units"), std::string::npos);
  for (const auto& unit : document.Units) EXPECT_EQ(unit.TargetLang, "de-DE");

  EXPECT_EQ(Cli("memory export " + library + " --lang ENU -o x.tmx").ExitCode, 2);
  EXPECT_EQ(Cli("memory export " + library + " --memory '" + dir.Path("none.sqlite") + "' -o x.tmx").ExitCode, 1);

  if (!HasTranslateToolkit()) GTEST_SKIP() << "translate-toolkit is not installed";
  const std::string count = dir.Path("count.txt");
  ASSERT_EQ(Shell("/usr/bin/python3 -c \"import sys; from translate.storage import tmx; "
                  "s = tmx.tmxfile.parsefile(sys.argv[1]); print(len(s.units))\" '" + dir.Path("de.tmx") + "' >'" +
                  count + "' 2>&1"),
            0)
      << TempDir::Read(count);
  EXPECT_EQ(TempDir::Read(count), std::to_string(german) + "\n");
}

TEST_F(CliTmxTest, Po2tmxOutputImportsAndFeedsReuse) {
  if (!HasTranslateToolkit()) GTEST_SKIP() << "translate-toolkit is not installed";
  dir.Write("team.po",
            "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
            "msgid \"Print the document\"\nmsgstr \"Das Dokument drucken\"\n\n"
            "msgid \"Close all windows\"\nmsgstr \"Alle Fenster schließen\"\n");
  ASSERT_EQ(Shell("po2tmx -l de '" + dir.Path("team.po") + "' '" + dir.Path("team.tmx") + "' >/dev/null 2>&1"), 0);
  const CliResult imported = Cli("memory import '" + dir.Path("team.tmx") + "' " + library);
  ASSERT_EQ(imported.ExitCode, 0) << imported.Err;
  EXPECT_NE(imported.Out.find("Imported 2 of 2 translation units"), std::string::npos) << imported.Out;
  {
    TTranslationMemory memory(Memory());
    EXPECT_EQ(memory.ExactTranslation(0x0409, u"Close all windows", 0x0407), u"Alle Fenster schließen");
  }
  // A new native text equal to an imported one gets its translation, out of date.
  const std::string pas = dir.Path("src/en/Strings.pas");
  std::string text = TempDir::Read(pas);
  text.replace(text.find("implementation"), 0, "resourcestring\r\n  SCloseAll = 'Close all windows';\r\n\r\n");
  dir.Write("src/en/Strings.pas", text);
  const CliResult run = Cli("process " + process + " --quiet --json");
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(nlohmann::json::parse(run.Out)["memory"]["reused"]["DEU"], 1);
  // A hostile TMX is refused and adds nothing.
  dir.Write("bad.tmx", "<!DOCTYPE tmx [<!ENTITY a \"b\">]><tmx/>");
  const CliResult bad = Cli("memory import '" + dir.Path("bad.tmx") + "' " + library);
  EXPECT_EQ(bad.ExitCode, 1);
  EXPECT_NE(bad.Err.find("bad.tmx:1: a document type declaration"), std::string::npos) << bad.Err;
}

}  // namespace
}  // namespace sw
#endif
