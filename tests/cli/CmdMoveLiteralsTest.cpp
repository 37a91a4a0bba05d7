// `shelfwright-cli move-literals`: the plan without --write changes no byte,
// --plan applies exactly the plan read back (text or JSON), --write writes,
// a unit that cannot be written stops the whole move, and --check fails
// while a literal could move.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "platform/FileSystem.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class CmdMoveLiteralsTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs the command line program through a POSIX shell"); }
  CliResult Run(const std::string& arguments) { return RunCli("move-literals " + arguments, dir); }
  TempDir dir;
};

const char* const kUnit =
    "unit Greet;\r\ninterface\r\nimplementation\r\nbegin\r\n  A('Hello'); A('Bye'#9'now'); A('hello');\r\nend.\r\n";

TEST_F(CmdMoveLiteralsTest, PlanChangesNothingAndPlanFileAppliesExactlyThePlan) {
  const std::string unit = dir.Write("Greet.pas", kUnit);
  const CliResult plan = Run("'" + unit + "'");
  ASSERT_EQ(plan.ExitCode, 0) << plan.Err;
  EXPECT_EQ(plan.Out, unit + "\t5\t5\t[x]\tSHello\t\"Hello\"\toffered\n" + unit +
                          "\t5\t17\t[x]\tSByeNow\t\"Bye\\tnow\"\toffered\n" + unit +
                          "\t5\t34\t[x]\tSHello1\t\"hello\"\toffered\n");
  EXPECT_NE(plan.Err.find("Would move 3 literals in 1 unit"), std::string::npos) << plan.Err;
  EXPECT_EQ(TempDir::Read(unit), kUnit);
  EXPECT_FALSE(platform::FileExists(dir.Path("PrjConst.pas")));

  // The user unselects the lower-case hello and renames the other two.
  std::string edited = plan.Out;
  edited.replace(edited.find("[x]\tSHello\t"), 11, "[x]\tSGreeting\t");
  edited.replace(edited.find("[x]\tSByeNow"), 11, "[x]\tSFarewell");
  edited.replace(edited.find("[x]\tSHello1"), 3, "[ ]");
  const std::string planFile = dir.Write("plan.txt", edited);
  const CliResult applied = Run("'" + unit + "' --plan '" + planFile + "' --write");
  ASSERT_EQ(applied.ExitCode, 0) << applied.Err;
  EXPECT_NE(applied.Out.find("Moved 2 literals in 1 unit"), std::string::npos) << applied.Out;
  EXPECT_EQ(TempDir::Read(unit),
            "unit Greet;\r\ninterface\r\nuses PrjConst;\r\n\r\nimplementation\r\nbegin\r\n"
            "  A(SGreeting); A(SFarewell); A('hello');\r\nend.\r\n");
  EXPECT_EQ(TempDir::Read(dir.Path("PrjConst.pas")),
            "unit PrjConst;\r\n\r\ninterface\r\n\r\nresourcestring\r\n  SGreeting = 'Hello';\r\n"
            "  SFarewell = 'Bye'#9'now';\r\n\r\nimplementation\r\n\r\nend.\r\n");
}

TEST_F(CmdMoveLiteralsTest, JsonPlanRoundTripsAndStalePlansAreRefused) {
  const std::string unit =
      dir.Write("Show.cpp", "void f()\n{\n  ShowMessage(\"Hello\");\n  ShowMessage(\"Other\");\n}\n");
  const CliResult plan = Run("--cpp --rc '" + unit + "' --json --prefix IDS_");
  ASSERT_EQ(plan.ExitCode, 0) << plan.Err;
  auto json = nlohmann::json::parse(plan.Out);
  ASSERT_EQ(json["units"][0]["candidates"].size(), 2u);
  EXPECT_EQ(json["units"][0]["candidates"][0]["name"], "IDS_Hello");
  json["units"][0]["candidates"][1]["selected"] = false;
  const std::string planFile = dir.Write("plan.json", json.dump());
  const CliResult applied = Run("--cpp --rc '" + unit + "' --plan '" + planFile + "' --write");
  ASSERT_EQ(applied.ExitCode, 0) << applied.Err;
  EXPECT_EQ(TempDir::Read(unit),
            "#include \"PrjConst.hpp\"\nvoid f()\n{\n  ShowMessage(LoadStr(IDS_Hello));\n  ShowMessage(\"Other\");\n}\n");
  EXPECT_EQ(TempDir::Read(dir.Path("PrjConst.hpp")), "#define IDS_Hello 50000\r\n");

  // The same plan no longer matches the rewritten unit: nothing is written.
  const std::string before = TempDir::Read(unit);
  const CliResult stale = Run("--cpp --rc '" + unit + "' --plan '" + planFile + "' --write");
  EXPECT_EQ(stale.ExitCode, 1);
  EXPECT_NE(stale.Err.find("changed since the plan was made"), std::string::npos) << stale.Err;
  EXPECT_EQ(TempDir::Read(unit), before);

  const CliResult usage = Run("--pascal --cpp '" + unit + "'");
  EXPECT_EQ(usage.ExitCode, 2);
}

TEST_F(CmdMoveLiteralsTest, CheckFailsWhileALiteralCouldMoveAndPassesAfterTheMove) {
  const std::string unit = dir.Write("Check.pas",
                                     "unit Check;\ninterface\nimplementation\nconst Fixed = 'untyped';\n"
                                     "begin\n  A('Hard coded');\n  // localize off\n  A('Quiet');\n  // localize on\n"
                                     "  Log('Debug only');\nend.\n");
  const CliResult found = Run("'" + unit + "' --check --exclude 'log('");
  EXPECT_EQ(found.ExitCode, 1) << found.Err;
  EXPECT_EQ(found.Out, unit + ":6:5: \"Hard coded\"\n");
  EXPECT_NE(found.Err.find("1 hard-coded literal"), std::string::npos) << found.Err;

  // The plan says why the others stay.
  const CliResult plan = Run("'" + unit + "' --json --exclude 'log('");
  ASSERT_EQ(plan.ExitCode, 0) << plan.Err;
  std::vector<std::string> reasons;
  const auto json = nlohmann::json::parse(plan.Out);
  for (const auto& c : json["units"][0]["candidates"])
    reasons.push_back(c["reason"].get<std::string>());
  EXPECT_EQ(reasons, (std::vector<std::string>{"untyped constant", "offered", "localize off", "excluded"}));

  ASSERT_EQ(Run("'" + unit + "' --write --exclude 'log('").ExitCode, 0);
  const CliResult clean = Run("'" + unit + "' --check --exclude 'log('");
  EXPECT_EQ(clean.ExitCode, 0) << clean.Out << clean.Err;
  EXPECT_EQ(clean.Out, "");
  EXPECT_EQ(Run("'" + unit + "' --check --write").ExitCode, 2);
}

TEST_F(CmdMoveLiteralsTest, AReadOnlyUnitStopsTheMoveBeforeAnyByteIsWritten) {
  const std::string u1 = dir.Write("U1.pas", "unit U1;\ninterface\nimplementation\nbegin A('One'); end.\n");
  const std::string u2 = dir.Write("U2.pas", "unit U2;\ninterface\nimplementation\nbegin A('Two'); end.\n");
  namespace fs = std::filesystem;
  fs::permissions(u2, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const CliResult result = Run("'" + u1 + "' '" + u2 + "' --write");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_NE(result.Err.find("U2.pas: cannot be written"), std::string::npos) << result.Err;
  EXPECT_EQ(TempDir::Read(u1), "unit U1;\ninterface\nimplementation\nbegin A('One'); end.\n");
  EXPECT_FALSE(platform::FileExists(dir.Path("PrjConst.pas")));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Root())) ++files;
  EXPECT_EQ(files, 4u);  // the two units and the command's two output files
}

}  // namespace
}  // namespace sw
