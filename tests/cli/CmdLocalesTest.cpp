// `shelfwright-cli locales` run as a program: text and JSON output, the list
// modes, one identifier, and usage errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/CliRunner.h"
#include "support/LocaleTestSupport.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CmdLocalesTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  test::LocaleEnv env_{"C.UTF-8"};
  TempDir dir_;

  CliResult Run(const std::string& args) { return RunCli("locales " + args, dir_); }
  static int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
  }
};

TEST_F(CmdLocalesTest, ListsEachModeOneLinePerEntry) {
  const CliResult locales = Run("");
  ASSERT_EQ(locales.ExitCode, 0);
  EXPECT_EQ(Lines(locales.Out), 255);
  EXPECT_EQ(locales.Out.substr(0, locales.Out.find('\n')), "0436\tAFK\t1252\tAfrikaans\tAfrikaans (South Africa)");
  // Names are printed as UTF-8.
  EXPECT_NE(locales.Out.find("0414\tNOR\t1252\tNorwegian (Bokmal)\tNorwegian Bokm\xC3\xA5l (Norway)\n"),
            std::string::npos);
  EXPECT_EQ(Lines(Run("--mode languages").Out), 134);
  EXPECT_EQ(Lines(Run("--mode both").Out), 288);
}

TEST_F(CmdLocalesTest, PrintsJsonAndSingleIdentifiers) {
  const CliResult json = Run("--json --mode both");
  ASSERT_EQ(json.ExitCode, 0);
  EXPECT_EQ(json.Out.rfind("[\n  {\n    \"id\": 1078,\n    \"abbr\": \"AFK\",", 0), 0u);
  EXPECT_NE(json.Out.find("\"id\": 9,\n    \"abbr\": \"EN\",\n    \"codePage\": 1252,\n    \"englishName\": "
                          "\"English\",\n    \"name\": \"English\""),
            std::string::npos);
  EXPECT_EQ(Run("--id 0409").Out, "0409\tENU\t1252\tEnglish (United States)\tEnglish (United States)\n");
  EXPECT_EQ(Run("--id 0x469").Out, "0469\t\t1252\t ()\t\n");
  EXPECT_EQ(Run("--id 0407 --json").Out,
            "{\n  \"id\": 1031,\n  \"abbr\": \"DEU\",\n  \"codePage\": 1252,\n  \"englishName\": "
            "\"German (Germany)\",\n  \"name\": \"German (Germany)\"\n}\n");
}

TEST_F(CmdLocalesTest, RejectsBadArguments) {
  EXPECT_EQ(Run("--id 12345").ExitCode, 2);
  EXPECT_EQ(Run("--id xyz").ExitCode, 2);
  EXPECT_EQ(Run("--mode everything").ExitCode, 2);
}

// Every command that names a language prints the same decoded name; a name
// outside ASCII once broke the JSON output.
TEST_F(CmdLocalesTest, LibrariesPrintDecodedLanguageNames) {
  const std::string settings = dir_.Write("shelfwright.ini",
                                          "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Nordic\r\nShortName=N\r\n"
                                          "[Languages1Lib]\r\n20=nb\r\n1044=no\r\n");
  const CliResult json = RunCli("libraries --json --settings '" + settings + "'", dir_);
  ASSERT_EQ(json.ExitCode, 0) << json.Err;
  EXPECT_NE(json.Out.find("\"Norwegian Bokm\xC3\xA5l\""), std::string::npos) << json.Out;
  const CliResult text = RunCli("libraries --settings '" + settings + "'", dir_);
  ASSERT_EQ(text.ExitCode, 0) << text.Err;
  EXPECT_NE(text.Out.find("Norwegian Bokm\xC3\xA5l (20)"), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find("Norwegian (Bokmal) (1044)"), std::string::npos) << text.Out;
}

}  // namespace
}  // namespace sw
