// The "Move literals" dialog through its logic model: candidates of a folder,
// selection of equal texts, renaming, settings that find the candidates
// again, the preview, Apply and Cancel.
#include "window/MoveLiteralsLogic.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/LibrarySettings.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

const char* const kUnit =
    "unit Greet;\ninterface\nimplementation\nbegin\n  A('Hello'); A('HELLO'); A('Other text');\nend.\n";

class MoveLiteralsLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unit = dir.Write("en/Greet.pas", kUnit);
    dir.Write("en/notes.txt", "not a unit");
    logic.OnClose = [this](bool applied) { closed = applied ? 1 : 0; };
  }
  TempDir dir;
  std::string unit;
  TMoveLiteralsLogic logic;
  int closed = -1;
};

TEST_F(MoveLiteralsLogicTest, NativeFolderCandidatesAndSelection) {
  TLibLangList languages;
  languages.AddLibLanguage(0x409, "en");
  languages.AddLibLanguage(0x407, "de");
  const std::string folder = TMoveLiteralsLogic::NativeFolder(dir.Root(), languages);
  int refreshed = 0;
  logic.OnRowsChanged = [&] { ++refreshed; };
  logic.SetFolder(folder);
  EXPECT_EQ(refreshed, 1);
  ASSERT_EQ(logic.Files().size(), 1u);
  // A folder opens with no unit chosen: nothing would be written.
  EXPECT_EQ(logic.RowCount(), 0);
  EXPECT_FALSE(logic.btApply.Enabled());
  EXPECT_EQ(logic.lblStatus.Caption(), "Tick the units to move literals from (1 unit in the folder)");
  logic.SetSourceChosen(0, true);
  ASSERT_EQ(logic.RowCount(), 3);
  EXPECT_EQ(logic.Literal(0), "Hello");
  EXPECT_EQ(logic.Name(1), "SHELLO1");
  EXPECT_EQ(logic.Place(2), "Greet.pas:5:29");
  EXPECT_TRUE(logic.btApply.Enabled());

  logic.SetChecked(0, false);
  logic.SetChecked(1, false);
  logic.SetChecked(2, false);
  EXPECT_FALSE(logic.btApply.Enabled());
  logic.SetChecked(1, true);  // selects the equal text of row 0 too
  EXPECT_TRUE(logic.Checked(0));
  EXPECT_FALSE(logic.Checked(2));
  EXPECT_NE(logic.lblStatus.Caption().find("2 of 3 literals selected"), std::string::npos) << logic.lblStatus.Caption();

  EXPECT_FALSE(logic.SetName(0, "not valid"));
  EXPECT_TRUE(logic.SetName(0, "SGreeting"));
  EXPECT_EQ(logic.Preview(0),
            "unit Greet;\ninterface\nuses PrjConst;\n\nimplementation\nbegin\n"
            "  A(SGreeting); A(SHELLO1); A('Other text');\nend.");
  EXPECT_EQ(TempDir::Read(unit), kUnit);
}

TEST_F(MoveLiteralsLogicTest, SettingsFindTheCandidatesAgain) {
  logic.SetFiles({unit});
  logic.edPrefix.SetText("Str");
  EXPECT_EQ(logic.Name(2), "StrOtherText");
  logic.cbUnitPrefix.SetChecked(true);
  EXPECT_EQ(logic.Name(2), "Greet_StrOtherText");
  logic.edMaxNameChars.SetText("3");
  EXPECT_EQ(logic.Name(2), "Greet_StrOth");
  // Excluded literals stay, shown with their reason and never checked.
  logic.edExclude.SetText("a( ; x*");
  ASSERT_EQ(logic.RowCount(), 3);
  EXPECT_FALSE(logic.Offered(0));
  EXPECT_EQ(logic.Reason(0), "excluded");
  EXPECT_FALSE(logic.Checked(0));
  logic.SetChecked(0, true);
  EXPECT_FALSE(logic.Checked(0));
  EXPECT_FALSE(logic.SetName(0, "SName"));
  EXPECT_FALSE(logic.btApply.Enabled());
  logic.edExclude.SetText("");
  logic.edMaxNameChars.SetText("none");
  EXPECT_FALSE(logic.btApply.Enabled());
  EXPECT_NE(logic.lblStatus.Caption().find("not a positive number"), std::string::npos);
  logic.Apply();
  EXPECT_EQ(closed, -1);
}

TEST_F(MoveLiteralsLogicTest, CancelWritesNothingApplyWritesEverything) {
  logic.SetFiles({unit});
  logic.btCancel.Click();
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(TempDir::Read(unit), kUnit);
  EXPECT_FALSE(platform::FileExists(dir.Path("en/PrjConst.pas")));

  // A unit changed behind the dialog's back: nothing is written.
  dir.Write("en/Greet.pas", std::string(kUnit) + "\n");
  closed = -1;
  EXPECT_FALSE(logic.Apply());
  EXPECT_EQ(closed, -1);
  EXPECT_NE(logic.lblStatus.Caption().find("Nothing was written"), std::string::npos) << logic.lblStatus.Caption();
  EXPECT_FALSE(platform::FileExists(dir.Path("en/PrjConst.pas")));

  logic.SetFiles({unit});
  // Apply asks first, with the counts; No writes nothing.
  std::string question;
  bool answer = false;
  logic.OnConfirm = [&](const std::string& text) {
    question = text;
    return answer;
  };
  logic.btApply.Click();
  const std::string asked = "Move 3 literals of 1 unit to ";
  const std::string tail = "PrjConst.pas? 2 files are written in place.";
  ASSERT_GE(question.size(), asked.size() + tail.size()) << question;
  EXPECT_EQ(question.substr(0, asked.size()), asked);
  EXPECT_EQ(question.substr(question.size() - tail.size()), tail);
  // The constants file's folder, in whichever separators the system joins with.
  std::string folder = question.substr(asked.size(), question.size() - tail.size() - asked.size());
  while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  EXPECT_TRUE(fs::equivalent(fs::path(folder), fs::path(dir.Path("en")))) << question;
  EXPECT_EQ(TempDir::Read(unit), std::string(kUnit) + "\n");
  EXPECT_EQ(logic.lblStatus.Caption(), "Nothing was written");
  answer = true;
  logic.btApply.Click();
  // The dialog stays, saying what it wrote; Close then ends it as applied.
  EXPECT_EQ(closed, -1);
  EXPECT_TRUE(logic.Applied());
  EXPECT_EQ(logic.RowCount(), 0);
  EXPECT_FALSE(logic.btApply.Enabled());
  EXPECT_EQ(logic.lblStatus.Caption(), "Moved 3 literals in 1 unit; 2 files written");
  EXPECT_NE(logic.WrittenText().find("Greet.pas\n"), std::string::npos) << logic.WrittenText();
  EXPECT_NE(logic.WrittenText().find("SOtherText"), std::string::npos);
  EXPECT_EQ(logic.btCancel.Caption(), "Close");
  logic.btCancel.Click();
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(logic.Result().Literals, 3);
  EXPECT_EQ(TempDir::Read(unit),
            "unit Greet;\ninterface\nuses PrjConst;\n\nimplementation\nbegin\n"
            "  A(SHello); A(SHELLO1); A(SOtherText);\nend.\n\n");
  EXPECT_TRUE(platform::FileExists(dir.Path("en/PrjConst.pas")));
}

TEST_F(MoveLiteralsLogicTest, CppSourcesToAResourceScript) {
  const std::string source = dir.Write("src/Main.cpp", "void f()\n{\n  ShowMessage(\"Hi there\");\n}\n");
  logic.cbLanguage.UserSelect(TMoveLiteralsLogic::mlCppResourceScript);
  logic.SetFolder(dir.Path("src"));
  logic.ChooseAllSources(true);
  ASSERT_EQ(logic.RowCount(), 1);
  EXPECT_EQ(logic.ConstantsFile(), JoinPath(dir.Path("src"), "PrjConst.rc"));
  ASSERT_TRUE(logic.Apply());
  EXPECT_EQ(TempDir::Read(source), "#include \"PrjConst.hpp\"\nvoid f()\n{\n  ShowMessage(LoadStr(SHiThere));\n}\n");
}

TEST_F(MoveLiteralsLogicTest, LiteralsThatStayShowTheirReasonAndEveryPascalExtensionCounts) {
  dir.Write("en/Project.lpr", "program Project;\nbegin\n  Writeln('From the program');\nend.\n");
  dir.Write("en/Fixed.pas", "unit Fixed;\ninterface\nconst P: PChar = 'pchar text';\nimplementation\nend.\n");
  logic.SetFolder(dir.Path("en"));
  EXPECT_EQ(logic.Files().size(), 3u);  // Fixed.pas, Greet.pas, Project.lpr
  logic.ChooseAllSources(true);
  std::vector<std::string> reasons;
  for (int row = 0; row < logic.RowCount(); ++row) reasons.push_back(logic.Literal(row) + ": " + logic.Reason(row));
  EXPECT_EQ(reasons, (std::vector<std::string>{"pchar text: pchar typed constant", "Hello: offered", "HELLO: offered",
                                               "Other text: offered", "From the program: offered"}));
  EXPECT_FALSE(logic.Checked(0));
  EXPECT_TRUE(logic.Checked(1));

  // The same unit picked twice is one unit.
  logic.SetFiles({unit, dir.Path("en/../en/Greet.pas")});
  EXPECT_EQ(logic.UnitCount(), 1);
  EXPECT_EQ(logic.RowCount(), 3);
}

TEST_F(MoveLiteralsLogicTest, TickingAnotherUnitKeepsTheTicksAndNamesOfTheOthers) {
  dir.Write("en/Other.pas", "unit Other;\ninterface\nimplementation\nbegin A('Elsewhere'); end.\n");
  logic.SetFolder(dir.Path("en"));
  ASSERT_EQ(logic.Files().size(), 2u);  // Greet.pas, Other.pas
  logic.SetSourceChosen(0, true);
  ASSERT_EQ(logic.RowCount(), 3);
  logic.SetChecked(2, false);
  ASSERT_TRUE(logic.SetName(0, "SGreeting"));
  logic.SetSourceChosen(1, true);
  ASSERT_EQ(logic.RowCount(), 4);
  EXPECT_EQ(logic.Name(0), "SGreeting");
  EXPECT_FALSE(logic.Checked(2));
  EXPECT_TRUE(logic.Checked(3)) << "the new unit's literals start ticked";
  EXPECT_NE(logic.lblStatus.Caption().find("3 of 4 literals selected in 2 units (0 stay)"), std::string::npos)
      << logic.lblStatus.Caption();
  logic.btNoUnits.Click();
  EXPECT_EQ(logic.RowCount(), 0);
  EXPECT_FALSE(logic.btApply.Enabled());
}

}  // namespace
}  // namespace sw
