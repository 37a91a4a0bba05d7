// Cross-check with an independent converter: Free Pascal's
// Classes.ObjectTextToBinary turns the test forms into binary streams, and
// the processor must record from them exactly what it records from its own
// conversion of the same text. Free Pascal writes single floats as extended
// and any string holding a code above 127 as a wide string, so the recorded
// content is compared, not the bytes. Its converter knows neither indexed
// collection items nor the currency and date scaling, so the forms used here
// avoid those (other tests cover them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "StorageDump.h"
#include "extract/forms/LocFormProc.h"
#include "support/TestSupport.h"
#include "storage/PropRules.h"

namespace sw {
namespace {

const char* const kHelperSource =
    "program t2b;\n"
    "{$mode objfpc}{$H+}\n"
    "uses Classes, SysUtils;\n"
    "var I, O: TFileStream;\n"
    "begin\n"
    "  I := TFileStream.Create(ParamStr(1), fmOpenRead);\n"
    "  O := TFileStream.Create(ParamStr(2), fmCreate);\n"
    "  try\n"
    "    ObjectTextToBinary(I, O);\n"
    "  finally\n"
    "    O.Free;\n"
    "    I.Free;\n"
    "  end;\n"
    "end.\n";

class FpcCrossCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::system("command -v fpc >/dev/null 2>&1") != 0) return;
    dir_ = new TempDir();
    dir_->Write("t2b.pas", kHelperSource);
    const std::string command = "cd '" + dir_->Root() + "' && fpc -v0 t2b.pas >build.log 2>&1";
    built_ = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    SKIP_ON_WINDOWS("runs other compilers through a POSIX shell");
    if (!dir_) GTEST_SKIP() << "fpc (Debian package fp-compiler) is not installed; cross-check skipped";
    ASSERT_TRUE(built_) << "fpc could not build the helper: " << TempDir::Read(dir_->Path("build.log"));
  }

  static std::string FpcBinary(const std::string& text) {
    const std::string in = dir_->Write("in.dfm", text);
    const std::string out = dir_->Path("out.bin");
    std::remove(out.c_str());
    const std::string command = "'" + dir_->Path("t2b") + "' '" + in + "' '" + out + "' >'" +
                                dir_->Path("run.log") + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir_->Path("run.log"));
    return TempDir::Read(out);
  }

  static std::string Record(const std::string& bytes, const std::vector<std::string>& rules) {
    TLocStorage storage;
    TLocFormProcessor proc;
    if (rules.empty()) SetDefaultPropRules(proc.PropRules);
    for (const auto& rule : rules) proc.PropRules.Add(rule);
    proc.Storage = &storage;
    proc.LangId = 0x0409;
    proc.Revision = 1;
    proc.ProcessBytes(bytes);
    return test::DumpStorage(storage) + "last id " + std::to_string(storage.LastPropertyId) + "\n";
  }

  static void Compare(const std::string& fileName) {
    SCOPED_TRACE(fileName);
    const std::string text = TempDir::Read(std::string(SHELFWRIGHT_TEST_DATA_DIR) + "/forms/" + fileName);
    ASSERT_FALSE(text.empty());
    std::string lf, crlf;
    for (char c : text)
      if (c != '\r') lf += c;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& variant : {lf, crlf}) {
      const std::string fpc = FpcBinary(variant);
      ASSERT_EQ(fpc.compare(0, 4, "TPF0"), 0);
      for (const auto& rules : {std::vector<std::string>{}, std::vector<std::string>{"**"}}) {
        const std::string ours = Record(variant, rules);
        EXPECT_GT(ours.size(), 40u);
        EXPECT_EQ(Record(fpc, rules), ours);
      }
    }
  }

  static TempDir* dir_;
  static bool built_;
};

TempDir* FpcCrossCheckTest::dir_ = nullptr;
bool FpcCrossCheckTest::built_ = false;

TEST_F(FpcCrossCheckTest, EveryConstructRecordsAlike) { Compare("everything.dfm"); }

TEST_F(FpcCrossCheckTest, InheritedFormWithFramesRecordsAlike) { Compare("inherited.dfm"); }

TEST_F(FpcCrossCheckTest, AnsiBytesRecordAlike) { Compare("ansi.dfm"); }

}  // namespace
}  // namespace sw
