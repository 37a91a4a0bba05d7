// `shelfwright-cli scan` on Pascal units and resource scripts: output forms,
// the code page option, and a failing file's partial output and exit code.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CmdScanSourceTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  CliResult Run(const std::string& arguments) { return RunCli("scan " + arguments, dir); }
  TempDir dir;
};

TEST_F(CmdScanSourceTest, PrintsUnitAndConstantsAsTextAndJson) {
  const std::string unit = dir.Write("Greet.pas",
                                     "unit Greet;\ninterface\nresourcestring\n  SHello = 'Hello'#9'\xE9';\nend.\n");
  CliResult text = Run("'" + unit + "' --codepage 1252");
  EXPECT_EQ(text.ExitCode, 0) << text.Err;
  EXPECT_EQ(text.Out, "unit Greet\nSHello\t0\t\"Hello\\t\xC3\xA9\"\n");

  dir.Write("Strings.hpp", "#define IDS_A 1001\n");
  const std::string script = dir.Write("Strings.rc", "STRINGTABLE\nBEGIN\n  IDS_A, \"\xCF\xF0\xE8\"\nEND\n");
  CliResult json = Run("'" + script + "' --codepage 1251 --json");
  EXPECT_EQ(json.ExitCode, 0) << json.Err;
  const auto parsed = nlohmann::json::parse(json.Out);
  EXPECT_EQ(parsed["file"], script);
  EXPECT_EQ(parsed["unit"], "Strings_RC");
  ASSERT_EQ(parsed["constants"].size(), 1u);
  EXPECT_EQ(parsed["constants"][0]["name"], "IDS_A");
  EXPECT_EQ(parsed["constants"][0]["id"], 1001);
  EXPECT_EQ(parsed["constants"][0]["text"], "\xD0\x9F\xD1\x80\xD0\xB8");
  EXPECT_EQ(json.Out.find("\"file\""), json.Out.find('"'));  // keys in the documented order
}

TEST_F(CmdScanSourceTest, FailingFileShowsWhatWasReadAndTheMessage) {
  const std::string unit = dir.Write("Bad.pas",
                                     "unit Bad;\ninterface\nresourcestring\n  SOk = 'ok';\n  SBad = 42;\nend.\n");
  CliResult result = Run("--json '" + unit + "'");
  EXPECT_EQ(result.ExitCode, 1);
  const auto parsed = nlohmann::json::parse(result.Out);
  ASSERT_EQ(parsed["constants"].size(), 1u);
  EXPECT_EQ(parsed["constants"][0]["text"], "ok");
  EXPECT_EQ(result.Err, "shelfwright-cli: Wrong format of the constats unit\r\nFile: \"SBad " + unit + "\"\r\nLine: 4\n");

  const std::string codes = dir.Write("Codes.pas", "unit Codes;\ninterface\nresourcestring\n  S = #$110000;\nend.\n");
  result = Run("'" + codes + "'");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "shelfwright-cli: " + codes + ": \"#$110000\" not a character (line 3)\n");

  result = Run("'" + dir.Path("absent.rc") + "'");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "shelfwright-cli: Cannot open file " + dir.Path("absent.rc") + "\n");
  EXPECT_EQ(Run("'" + unit + "' --codepage -5").ExitCode, 2);
}

TEST_F(CmdScanSourceTest, ScriptJsonNamesTablesLanguagesAndWarnings) {
  const std::string script = dir.Write("Multi.rc",
                                       "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
                                       "STRINGTABLE\nBEGIN\n  1 \"one\"\n  1 \"again\"\nEND\n"
                                       "LANGUAGE LANG_GERMAN, SUBLANG_GERMAN\n"
                                       "STRINGTABLE\nBEGIN\n  1 \"eins\"\nEND\n");
  CliResult json = Run("'" + script + "' --lang 0x0407 --json");
  EXPECT_EQ(json.ExitCode, 0) << json.Err;
  const auto parsed = nlohmann::json::parse(json.Out);
  EXPECT_EQ(parsed["language"], "0407");
  ASSERT_EQ(parsed["constants"].size(), 1u);
  EXPECT_EQ(parsed["constants"][0]["text"], "eins");
  ASSERT_EQ(parsed["tables"].size(), 2u);
  EXPECT_EQ(parsed["tables"][0]["language"], "0409");
  EXPECT_EQ(parsed["tables"][0]["entries"], 2);
  EXPECT_EQ(parsed["tables"][0]["taken"], false);
  EXPECT_EQ(parsed["tables"][1]["line"], 7);
  EXPECT_EQ(parsed["tables"][1]["taken"], true);
  ASSERT_EQ(parsed["warnings"].size(), 1u);
  EXPECT_EQ(parsed["warnings"][0], script + ": string tables of the languages 0409, 0407; took those of 0407");

  // Without --lang: the first language; the duplicate id is a warning, on
  // stderr in the text form.
  CliResult text = Run("'" + script + "'");
  EXPECT_EQ(text.ExitCode, 0);
  EXPECT_EQ(text.Out, "unit Multi_RC\n1\t1\t\"one\"\n");
  EXPECT_NE(text.Err.find("warning: " + script + " line 4: string id 1 already has a text (line 3)"), std::string::npos)
      << text.Err;
  EXPECT_EQ(Run("'" + script + "' --lang nosuch").ExitCode, 2);
}

// A Windows project's script: includes written with backslashes are
// followed, Pascal hex is read, and a missing include fails naming the
// including file, its line and the missing name.
TEST_F(CmdScanSourceTest, ScriptIncludesOfWindowsProjects) {
  std::filesystem::create_directories(dir.Path("all"));
  std::filesystem::create_directories(dir.Path("app"));
  dir.Write("all/consts.rc", "#define deResBase $5400\nSTRINGTABLE\nBEGIN\n  deResBase \"shared\"\nEND\n");
  const std::string script = dir.Write("app/App.rc", "#include \"..\\all\\consts.rc\"\n");
  CliResult result = Run("'" + script + "'");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out, "unit App_RC\ndeResBase\t21504\t\"shared\"\n");

  dir.Write("app/App.rc", "STRINGTABLE\nBEGIN\n  1 \"one\"\nEND\n#include \"..\\all\\gone.rc\"\n");
  result = Run("'" + script + "'");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Out, "unit App_RC\n");
  EXPECT_EQ(result.Err, "shelfwright-cli: Wrong format of RC file\r\nFile \"" + script +
                            "\"\r\nLine: 4\r\nInclude file \"..\\all\\gone.rc\" not found\n");
}

}  // namespace
}  // namespace sw
