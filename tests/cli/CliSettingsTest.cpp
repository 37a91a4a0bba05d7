// shelfwright-cli with a settings file that cannot be used: one the user named
// that does not exist, a folder, a file of another kind, values that are no
// numbers. Each ends with exit code 1 and an error naming the file (and the
// section and key), and no such file is ever written.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CliSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  CliResult Cli(const std::string& args) { return RunCli(args, dir); }
  // `libraries` and `process` on one settings file.
  std::vector<CliResult> Both(const std::string& file) {
    return {Cli("libraries --settings '" + file + "'"),
            Cli("process --settings '" + file + "' --library 1")};
  }

  TempDir dir;
};

TEST_F(CliSettingsTest, NamedSettingsFileThatDoesNotExistOrIsAFolder) {
  const std::string missing = dir.Path("typo.ini");
  for (const CliResult& result : Both(missing)) {
    EXPECT_EQ(result.ExitCode, 1) << result.Err;
    EXPECT_NE(result.Err.find("The settings file " + missing + " does not exist"), std::string::npos) << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));

  std::filesystem::create_directories(dir.Path("folder.ini"));
  for (const CliResult& result : Both(dir.Path("folder.ini"))) {
    EXPECT_EQ(result.ExitCode, 1) << result.Err;
    EXPECT_NE(result.Err.find(dir.Path("folder.ini") + " is a folder, not a settings file"), std::string::npos)
        << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
}

TEST_F(CliSettingsTest, FileOfAnotherKindIsRefusedAndKeepsItsBytes) {
  const std::string form = "object Main: TForm\r\n  Caption = 'Main'\r\nend\r\n";
  const std::string binary("\x4c\x46\x07\0\0\0[Library1]\r\n", 18);
  for (const auto& [name, bytes, problem] :
       {std::tuple<std::string, std::string, std::string>{"Main.dfm", form, "it has text but no [section] line"},
        {"data.lng", binary, "it holds NUL bytes"}}) {
    const std::string file = dir.Write(name, bytes);
    for (const CliResult& result : Both(file)) {
      EXPECT_EQ(result.ExitCode, 1) << result.Err;
      EXPECT_NE(result.Err.find(file + " is not a settings file: " + problem), std::string::npos) << result.Err;
      EXPECT_EQ(result.Out.find("No libraries."), std::string::npos) << result.Out;
    }
    EXPECT_EQ(TempDir::Read(file), bytes) << name;
  }
}

TEST_F(CliSettingsTest, ValuesThatAreNoNumbersNameFileSectionAndKey) {
  const std::string file = dir.Write("settings.ini", "[Main]\r\nLastLib=abc\r\n[Library1]\r\nName=A\r\n");
  for (const CliResult& result : Both(file)) {
    EXPECT_EQ(result.ExitCode, 1) << result.Err;
    EXPECT_NE(result.Err.find(file + ": [Main] LastLib: 'abc' is not a valid integer value"), std::string::npos)
        << result.Err;
  }
  dir.Write("settings.ini", "[Library1]\r\nName=A\r\n[Languages1Lib]\r\n1O33=en\r\n");
  for (const CliResult& result : Both(file)) {
    EXPECT_EQ(result.ExitCode, 1) << result.Err;
    EXPECT_NE(result.Err.find(file + ": [Languages1Lib] 1O33: '1O33' is not a valid integer value"),
              std::string::npos)
        << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
}

}  // namespace
}  // namespace sw
