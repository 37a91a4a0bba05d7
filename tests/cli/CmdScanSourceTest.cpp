// `shelfwright-cli scan` on Pascal units and resource scripts: output forms,
// the code page option, and a failing file's partial output and exit code.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <sys/wait.h>

#include "support/TestSupport.h"

namespace sw {
namespace {

struct CliResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

class CmdScanSourceTest : public ::testing::Test {
 protected:
  CliResult Run(const std::string& arguments) {
    const std::string errFile = dir.Path("stderr.txt");
    const std::string command = std::string(SHELFWRIGHT_CLI_PATH) + " scan " + arguments + " 2> '" + errFile + "'";
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.Out.append(buffer, n);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Err = TempDir::Read(errFile);
    return result;
  }
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
  EXPECT_EQ(result.Err, "shelfwright-cli: " + codes + " (line 3): \"#$110000\" not a character\n");

  result = Run("'" + dir.Path("absent.rc") + "'");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "shelfwright-cli: Cannot open file " + dir.Path("absent.rc") + "\n");
  EXPECT_EQ(Run("'" + unit + "' --codepage -5").ExitCode, 2);
}

}  // namespace
}  // namespace sw
