// The form commands of shelfwright-cli, run as a user would run them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CmdFormsTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  // Runs the CLI in `folder` with `args`; returns the exit code.
  int Run(const std::string& folder, const std::string& args) {
    last_ = RunCli(args, dir, folder);
    return last_.ExitCode;
  }
  std::string Out() const { return last_.Out; }
  std::string Err() const { return last_.Err; }

  TempDir dir;
  CliResult last_;
  const std::string data = std::string(SHELFWRIGHT_TEST_DATA_DIR) + "/forms";
};

TEST_F(CmdFormsTest, ScanPrintsTheRecordedContentAsJson) {
  ASSERT_EQ(Run(data, "scan everything.dfm --json"), 0) << Err();
  EXPECT_EQ(Out(), TempDir::Read(data + "/everything.expected.json"));
}

TEST_F(CmdFormsTest, ScanTakesARulesFile) {
  dir.Write("rules.txt", "+.Caption\r\n-TLabel\r\n");
  ASSERT_EQ(Run(data, "scan inherited.dfm --rules '" + dir.Path("rules.txt") + "'"), 0) << Err();
  EXPECT_EQ(Out(),
            "form ChildForm (attributes 0)\n"
            "  Caption [1, kind 2] = \"Child form\"\n"
            "  component Frame1.Button1 (attributes 0)\n"
            "    Caption [3, kind 2] = \"Frame button\"\n"
            "  component OkButton (attributes 0)\n"
            "    Caption [2, kind 2] = \"OK\"\n");
  EXPECT_EQ(Run(data, "scan inherited.dfm --lang nowhere"), 2);
  EXPECT_EQ(Run(data, "scan inherited.dfm --rules '" + dir.Path("missing.txt") + "'"), 1);
}

TEST_F(CmdFormsTest, ScanReportsADamagedFileAndWhatWasRead) {
  const std::string file = dir.Write("Broken.dfm", std::string("TPF0\x06TForm1\x05" "Form1\x07" "Caption\x06\x02OK"
                                                               "\x04Hint\x0C\xFF\xFF\x00\x00"));
  EXPECT_EQ(Run(dir.Root(), "scan Broken.dfm"), 1);
  EXPECT_EQ(Err(), "shelfwright-cli: Broken.dfm: Error during processing form Form1\r\nStream read error\n");
  EXPECT_EQ(Out(), "form Form1 (attributes 0)\n  Caption [1, kind 2] = \"OK\"\n");
}

TEST_F(CmdFormsTest, FormToBinaryWritesTheConvertedStream) {
  // Committed bytes, not the converter the command calls: inherited.bin was
  // written by Free Pascal's ObjectTextToBinary; everything.bin (constructs
  // Free Pascal's converter does not know: single, currency and date values,
  // indexed collection items) is this program's reviewed output, so that any
  // change of it shows here.
  for (const char* name : {"inherited", "everything"}) {
    const std::string out = dir.Path(std::string(name) + ".bin");
    ASSERT_EQ(Run(data, std::string("form-to-binary ") + name + ".dfm '" + out + "'"), 0) << Err();
    const std::string expected = TempDir::Read(data + "/" + name + ".bin");
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_EQ(TempDir::Read(out), expected) << name;
  }

  dir.Write("bad.dfm", "object F: T\n  A = 1\n  B = ]\nend\n");
  const std::string badOut = dir.Path("bad.bin");
  EXPECT_EQ(Run(dir.Root(), "form-to-binary bad.dfm '" + badOut + "'"), 1);
  EXPECT_EQ(Err(), "shelfwright-cli: bad.dfm: Invalid property value on line 3\n");
  EXPECT_FALSE(std::filesystem::exists(badOut));
}

}  // namespace
}  // namespace sw
