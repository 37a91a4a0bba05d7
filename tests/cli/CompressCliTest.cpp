// The compress and expand commands of shelfwright-cli, run as a user would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CompressCliTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  // Runs the CLI with `args`; returns the exit code and keeps stderr in `err_`.
  int Run(const std::string& args) {
    const CliResult result = RunCli(args, dir_);
    err_ = result.Err;
    return result.ExitCode;
  }

  TempDir dir_;
  std::string err_;
};

TEST_F(CompressCliTest, CompressThenExpandGivesBackTheFile) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data += "Caption=&File " + std::to_string(i % 37) + "\r\n";
  const std::string in = dir_.Write("in.bin", data);
  const std::string packed = dir_.Path("in.lzq");
  const std::string out = dir_.Path("out.bin");
  ASSERT_EQ(Run("compress " + in + " " + packed), 0) << err_;
  const std::string compressed = TempDir::Read(packed);
  EXPECT_EQ(compressed.substr(0, 5), "LZQ00");
  EXPECT_LT(compressed.size(), data.size() / 2);
  ASSERT_EQ(Run("expand " + packed + " " + out), 0) << err_;
  EXPECT_EQ(TempDir::Read(out), data);
}

TEST_F(CompressCliTest, MalformedInputGivesOneErrorLineAndKeepsTheOutput) {
  const std::string out = dir_.Write("out.bin", "old");
  const std::string plain = dir_.Write("plain.txt", "not compressed");
  EXPECT_EQ(Run("expand " + plain + " " + out), 1);
  EXPECT_EQ(err_, "shelfwright-cli: " + plain + ": Wrong stream format\n");

  const std::string badRef = dir_.Write("bad.lzq", std::string("LZQ00\0\0\0\0\x02" "a\x05\x00", 13));
  EXPECT_EQ(Run("expand " + badRef + " " + out), 1);
  EXPECT_EQ(err_, "shelfwright-cli: " + badRef +
                      ": Invalid back-reference at offset 11 of the compressed data: distance 2, but only 1 bytes "
                      "have been expanded\n");

  const std::string cut = dir_.Write("cut.lzq", std::string("LZQ00\0\0\0\0\x06" "ab", 12));
  EXPECT_EQ(Run("expand " + cut + " " + out), 1);
  EXPECT_EQ(err_, "shelfwright-cli: " + cut + ": Compressed data ends inside a token at offset 9\n");
  EXPECT_EQ(TempDir::Read(out), "old");

  EXPECT_EQ(Run("compress " + dir_.Path("missing.bin") + " " + out), 1);
  EXPECT_NE(err_.find("missing.bin"), std::string::npos);
  EXPECT_EQ(err_.find('\n'), err_.size() - 1);
}

}  // namespace
}  // namespace sw
