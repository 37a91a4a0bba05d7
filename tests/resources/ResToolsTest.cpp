// The reader against an independent resource compiler (llvm-rc), and the
// `scan` command of shelfwright-cli on resource files.
#include "extract/resources/ResStringTables.h"
#include "resources/ResFileBuilder.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>
#ifndef _WIN32
#include <sys/wait.h>  // Windows: TestSupport.h stands in
#endif

#include <cstdlib>
#include <filesystem>
#include <map>

namespace sw {
namespace {

std::string FindInPath(const std::vector<std::string>& names) {
  const char* path = std::getenv("PATH");
  std::string rest = path ? path : "";
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string dir = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    for (const auto& name : names)
      if (!dir.empty() && std::filesystem::exists(std::filesystem::path(dir) / name))
        return (std::filesystem::path(dir) / name).string();
  }
  return "";
}

// Runs a shell command; returns its exit code.
int RunShell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

TEST(LlvmRcCrossCheckTest, StringsReadBackEqualTheScript) {
  const std::string llvmRc = FindInPath({"llvm-rc", "llvm-rc-16", "llvm-rc-15", "llvm-rc-14"});
  if (llvmRc.empty()) GTEST_SKIP() << "llvm-rc not found (Debian package llvm): cross-check skipped";
  TempDir dir;
  const std::string script =
      "STRINGTABLE\nBEGIN\n"
      "  4000, L\"wide \\x4e2d\\xd83d\\xde00\"\n"
      "  0, \"zero\"\n"
      "  15, \"quote \"\"q\"\" tab\\tnl\\n\"\n"
      "  16, \"Gr\xC3\xBC\xC3\x9F" "e \xD0\x96\"\n"
      "  65535, \"last\"\n"
      "END\n"
      "LANGUAGE 7, 1\n"
      "STRINGTABLE\nBEGIN\n  17, \"German\"\n  100, \"\"\nEND\n";
  dir.Write("in.rc", script);
  ASSERT_EQ(RunShell(Quote(llvmRc) + " -no-preprocess -c 65001 -fo " + Quote(dir.Path("out.res")) + " " +
                Quote(dir.Path("in.rc")) + " > /dev/null"),
            0);
  TResProcessor processor;
  processor.LoadFromResFile(dir.Path("out.res"));
  const auto* strings = static_cast<const TResString*>(processor.FindBlock(ResTypeString));
  ASSERT_NE(strings, nullptr);
  std::map<int, std::u16string> got;
  for (int i = 0; i < strings->Count(); ++i) got[strings->Strings(i)->Id] = strings->Strings(i)->Text;
  const std::map<int, std::u16string> expected = {{0, u"zero"},
                                                  {15, u"quote \"q\" tab\tnl\n"},
                                                  {16, u"Gr\u00FC\u00DFe \u0416"},
                                                  {17, u"German"},
                                                  {4000, u"wide \u4E2D\U0001F600"},
                                                  {65535, u"last"}};
  EXPECT_EQ(got, expected);
}

class CmdScanResTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  int Scan(const std::string& file, const std::string& flags) {
    return RunShell(Quote(SHELFWRIGHT_CLI_PATH) + " scan " + Quote(file) + " " + flags + " > " +
               Quote(dir.Path("out.txt")) + " 2> " + Quote(dir.Path("err.txt")));
  }
  std::string Out() const { return TempDir::Read(dir.Path("out.txt")); }
  std::string Err() const { return TempDir::Read(dir.Path("err.txt")); }

  TempDir dir;
};

TEST_F(CmdScanResTest, PrintsStringsAsJsonAndText) {
  const std::string file =
      dir.Write("App.R32", test::ResFile({test::StringTable(2, {u"", u"\u4E2D\n"}), test::StringTable(1, {u"a"})}));
  ASSERT_EQ(Scan(file, "--json"), 0) << Err();
  const auto json = nlohmann::json::parse(Out());
  EXPECT_EQ(json, nlohmann::json::parse(R"({"file": ")" + file +
                                        R"(", "strings": [{"id": 0, "text": "a"}, {"id": 17, "text": "中\n"}]})"));
  ASSERT_EQ(Scan(file, ""), 0);
  EXPECT_EQ(Out(), "0\ta\n17\t中\\n\n");
}

TEST_F(CmdScanResTest, DamagedFileFailsWithItsNameAndOffset) {
  const std::string file = dir.Write("bad.res", test::ResFile({}) + "xy");
  EXPECT_EQ(Scan(file, "--json"), 1);
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Err(), "shelfwright-cli: " + file + ": Invalid file format (entry at offset 32: 2 bytes after the last entry)\n");
}

}  // namespace
}  // namespace sw
