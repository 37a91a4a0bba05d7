// shelfwright-cli process over source folders that hold what no source file
// should be: FIFOs named like sources (never waited on: skipped with a
// warning), a huge sparse resource file (refused by its size before it is
// read), and the temporary files a killed run left beside a language file
// (removed by the next run that writes that file).
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/types.h>
#endif

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

class CliUnusualInputsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_ON_WINDOWS("FIFOs, sparse files and the shell's timeout are POSIX");
    dir.Write("src/en/Strings.pas",
              "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hello';\r\nimplementation\r\nend.\r\n");
    dir.Write("src/en/Main.dfm", "object Main: TForm\r\n  Caption = 'Main'\r\nend\r\n");
    dir.Write("src/de/Strings.pas",
              "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'Hallo';\r\nimplementation\r\nend.\r\n");
  }
  // The run, stopped after a minute should it ever wait.
  CliResult Process() {
    return RunCli("process --src '" + dir.Path("src") + "' --dest '" + dir.Path("out") +
                      "' --short-name Demo --lang ENU=en --lang DEU=de --json --quiet",
                  dir, "", 60);
  }

  TempDir dir;
};

TEST_F(CliUnusualInputsTest, FifosNamedLikeSourcesAreSkippedWithAWarning) {
  const char* const names[] = {"x.dfm", "x.res", "x.pas", "x.rc"};
#ifndef _WIN32
  for (const char* name : names)
    for (const char* folder : {"src/en/", "src/de/"})
      ASSERT_EQ(::mkfifo(dir.Path(std::string(folder) + name).c_str(), 0644), 0) << name;
#endif
  const CliResult result = Process();
  // Skipping is no failure of a real file: the run succeeds.
  ASSERT_EQ(result.ExitCode, 0) << result.Err << result.Out;
  const auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["filesFailed"], 0);
  EXPECT_EQ(summary["filesRead"]["pas"], 2);
  EXPECT_EQ(summary["filesRead"]["dfm"], 1);
  ASSERT_EQ(summary["languages"].size(), 2u);
  EXPECT_TRUE(fs::is_regular_file(dir.Path("out/Demo.ENU.lng")));
  EXPECT_TRUE(fs::is_regular_file(dir.Path("out/Demo.DEU.lng")));
  const std::string warnings = summary["warnings"].dump();
  for (const char* name : names)
    for (const char* folder : {"src/en/", "src/de/"}) {
      const std::string path = dir.Path(std::string(folder) + name);
      EXPECT_NE(warnings.find("Skipped \\\"" + path + "\\\": not a regular file"), std::string::npos)
          << path << " in " << warnings;
      EXPECT_TRUE(fs::is_fifo(path));
    }
}

TEST_F(CliUnusualInputsTest, AHugeSparseResourceFileIsRefusedByItsSize) {
  const std::string huge = dir.Path("src/en/Huge.res");
  fs::resize_file(dir.Write("src/en/Huge.res", ""), std::uintmax_t{1} << 30);
  const CliResult result = Process();
  // A file that could not be read: exit 1, the language files still written.
  ASSERT_EQ(result.ExitCode, 1) << result.Err << result.Out;
  const auto summary = nlohmann::json::parse(result.Out);
  EXPECT_EQ(summary["filesFailed"], 1);
  EXPECT_EQ(summary["languages"].size(), 2u);
  EXPECT_NE(result.Err.find(huge), std::string::npos) << result.Err;
  EXPECT_NE(result.Err.find("1073741824 bytes"), std::string::npos) << result.Err;
  EXPECT_NE(result.Err.find(std::to_string(platform::kMaxSourceFileSize) + " bytes"), std::string::npos)
      << result.Err;
}

TEST_F(CliUnusualInputsTest, TemporaryFilesOfAKilledRunAreRemovedByTheNextWriter) {
  ASSERT_EQ(Process().ExitCode, 0);
  // What a run killed while writing the German file leaves, and names that
  // only look alike.
  const std::string stale = dir.Write("out/.Demo.DEU.lng.a1B2c3", "half a file");
  const std::string stale2 = dir.Write("out/.Demo.DEU.lng.ZZZZZZ", "");
  const char* const kept[] = {"out/.Demo.DEU.lng.a1B2c", "out/.Demo.DEU.lng.a1B2c3d", "out/.Demo.DEU.lng.a1B2c_",
                              "out/Demo.DEU.lng.a1B2c3", "out/.Demo.FRA.lng.a1B2c3", "out/.Demo.DEU.lng.a1B2c3.bak"};
  for (const char* name : kept) dir.Write(name, "someone else's");
  ASSERT_EQ(Process().ExitCode, 0);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(stale2));
  for (const char* name : kept) EXPECT_EQ(TempDir::Read(dir.Path(name)), "someone else's") << name;
}

}  // namespace
}  // namespace sw
