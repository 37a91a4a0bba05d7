// shelfwright-cli process with the per-file cache: the files taken from it
// are counted in --json, --no-cache parses everything and leaves the cache
// alone, and --help offers the option.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CliCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  nlohmann::json Process(const std::string& extra = "") {
    const CliResult result = RunCli("process --src '" + dir.Path("src") + "' --dest '" + dir.Path("out") +
                                        "' --short-name Demo --lang ENU=en --lang 0x407=de --no-memory --json --quiet" +
                                        extra,
                                    dir);
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    return nlohmann::json::parse(result.Out);
  }
  TempDir dir;
};

TEST_F(CliCacheTest, UnchangedFormsComeFromTheCacheUnlessToldNot) {
  dir.Write("src/en/Main.dfm", "object Main: TForm\r\n  Caption = 'Main'\r\nend\r\n");
  dir.Write("src/de/Main.dfm", "object Main: TForm\r\n  Caption = 'Haupt'\r\nend\r\n");
  EXPECT_EQ(Process()["filesReused"], 0);
  const std::string cache = TempDir::Read(dir.Path("out/Demo.cache"));
  EXPECT_FALSE(cache.empty());
  EXPECT_EQ(Process()["filesReused"], 2);
  dir.Write("src/de/Main.dfm", "object Main: TForm\r\n  Caption = 'Neu'\r\nend\r\n");
  EXPECT_EQ(Process(" --no-cache")["filesReused"], 0);
  EXPECT_EQ(TempDir::Read(dir.Path("out/Demo.cache")), cache) << "--no-cache leaves the cache as it was";
  EXPECT_EQ(Process()["filesReused"], 1);

  const CliResult help = RunCli("process --help", dir);
  EXPECT_NE(help.Out.find("--no-cache"), std::string::npos);
}

}  // namespace
}  // namespace sw
