// A literal move writes all or nothing: a target that cannot be written is
// refused by name before anything is written, a rename that fails puts back
// what was already replaced, and one unit named several ways (a second
// spelling of its path, a symbolic link) is one unit, planned and written once.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "literals/MoveLiterals.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

const char* const kUnit1 = "unit U1;\ninterface\nimplementation\nbegin A('First text'); end.\n";
const char* const kUnit2 = "unit U2;\ninterface\nimplementation\nbegin A('Second text'); end.\n";

class WriteSafetyTest : public ::testing::Test {
 protected:
  TMoveLiteralsRequest Request(std::vector<std::string> units) {
    TMoveLiteralsRequest request;
    request.Settings.ConstFile = dir.Path("PrjConst.pas");
    request.Units = std::move(units);
    request.Write = true;
    return request;
  }
  // Every file of the folder, to prove that no byte changed and no
  // temporary file was left.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir.Root()))
      if (entry.is_regular_file()) files[entry.path().filename().string()] = TempDir::Read(entry.path().string());
    return files;
  }
  TempDir dir;
};

TEST_F(WriteSafetyTest, AReadOnlyUnitIsRefusedByNameAndNothingIsWritten) {
  const std::string u1 = dir.Write("U1.pas", kUnit1);
  const std::string u2 = dir.Write("U2.pas", kUnit2);
  fs::permissions(u2, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto before = Snapshot();
  // The mode bits decide, so the refusal holds for an administrator too.
  try {
    MoveLiterals(Request({u1, u2}));
    FAIL() << "a read-only unit was written";
  } catch (const ESrcProcessError& e) {
    EXPECT_NE(e.Message().find("U2.pas: cannot be written: the file is read-only; nothing was written"),
              std::string::npos)
        << e.Message();
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(platform::FileExists(dir.Path("PrjConst.pas")));
}

TEST_F(WriteSafetyTest, AFailedRenamePutsBackWhatWasReplaced) {
  const std::string u1 = dir.Write("U1.pas", kUnit1);
  const std::string u2 = dir.Write("U2.pas", kUnit2);
  const auto before = Snapshot();
  TLiteralMove move(Request({}).Settings);
  move.Find({u1, u2});
  move.SelectAll();
  // The constants file and U1 are renamed into place, then U2's rename fails.
  int renames = 0;
  TCommitHooks hooks;
  hooks.Rename = [&](const std::string& from, const std::string& to) {
    if (++renames == 3) throw std::runtime_error("disk gone");
    fs::rename(from, to);
  };
  try {
    move.Apply(true, hooks);
    FAIL() << "the failed rename was not reported";
  } catch (const ESrcProcessError& e) {
    EXPECT_NE(e.Message().find("U2.pas"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("nothing was written"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(renames, 3);
  EXPECT_EQ(Snapshot(), before);  // U1 back as it was, no constants file, no temporary file

  // Without the fault the same move writes all three.
  TLiteralMove again(Request({}).Settings);
  again.Find({u1, u2});
  again.SelectAll();
  EXPECT_EQ(again.Apply(true).Written.size(), 3u);
  EXPECT_NE(TempDir::Read(u2).find("A(SSecondText)"), std::string::npos);
}

TEST_F(WriteSafetyTest, OneUnitUnderSeveralPathsIsPlannedAndWrittenOnce) {
  SKIP_ON_WINDOWS("makes a symbolic link");
  const std::string unit = dir.Write("U1.pas", kUnit1);
  dir.Write("sub/keep.txt", "");
  const std::string other = dir.Path("sub/../U1.pas");
  const std::string link = dir.Path("Link.pas");
  fs::create_symlink(unit, link);
  TMoveLiteralsRequest request = Request({unit, other, link});
  request.Write = false;
  const auto plan = MoveLiterals(request).Plan;
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].File, unit);

  request.Write = true;
  const TMoveResult result = MoveLiterals(request).Result;
  EXPECT_EQ(result.Units, 1);
  EXPECT_EQ(result.Literals, 1);
  EXPECT_EQ(TempDir::Read(unit), "unit U1;\ninterface\nuses PrjConst;\n\nimplementation\nbegin A(SFirstText); end.\n");
  EXPECT_TRUE(fs::is_symlink(link));  // the link still points at the unit
}

TEST_F(WriteSafetyTest, ALinkToAUnitIsWrittenThroughAndTheConstantsFileIsNoUnit) {
  SKIP_ON_WINDOWS("makes a symbolic link");
  const std::string unit = dir.Write("real/U1.pas", kUnit1);
  const std::string link = dir.Path("U1.pas");
  fs::create_symlink(unit, link);
  const std::string constants =
      dir.Write("PrjConst.pas", "unit PrjConst;\ninterface\nresourcestring\n  SOld = 'Old text';\nimplementation\nend.\n");
  MoveLiterals(Request({link, constants}));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NE(TempDir::Read(unit).find("A(SFirstText)"), std::string::npos);
  EXPECT_NE(TempDir::Read(constants).find("SFirstText = 'First text';"), std::string::npos);
  EXPECT_NE(TempDir::Read(constants).find("SOld = 'Old text';"), std::string::npos);
}

TEST_F(WriteSafetyTest, AUnitChangedSinceTheDialogReadItIsNotWritten) {
  const std::string u1 = dir.Write("U1.pas", kUnit1);
  TMoveLiteralsRequest request = Request({u1});
  request.Expected[u1] = std::string(kUnit1) + "// as the dialog read it\n";
  EXPECT_THROW(MoveLiterals(request), ESrcProcessError);
  EXPECT_EQ(TempDir::Read(u1), kUnit1);
  EXPECT_FALSE(platform::FileExists(dir.Path("PrjConst.pas")));
}

}  // namespace
}  // namespace sw
