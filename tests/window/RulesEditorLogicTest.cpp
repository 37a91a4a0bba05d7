// The property rules editor through its logic model: starting from the rules
// in force, editing and reordering, refusing masks that cannot be kept, the
// test box's answers from the extraction's matcher, and what OK leaves to
// write; numbers and plurals of the windows' texts.
#include "window/RulesEditorLogic.h"

#include <gtest/gtest.h>

#include "window/CountsLogic.h"
#include "storage/PropRules.h"

namespace sw {
namespace {

TStringList Defaults() {
  TStringList rules;
  SetDefaultPropRules(rules);
  return rules;
}

TEST(RulesEditorLogicTest, ALibraryWithoutRulesStartsFromTheDefaultsAndKeepsNoneUntilChanged) {
  TRulesEditorLogic editor(TRulesEditorLogic::TScope::Library, "Pad", TStringList(), Defaults());
  EXPECT_EQ(editor.dlgRules.Caption(), "Property Rules of Pad");
  EXPECT_EQ(editor.lvRules.RowCount(), Defaults().Count());
  EXPECT_EQ(editor.lvRules.Rows()[0].SubItems[0], "record .Caption");
  EXPECT_NE(editor.lblScope.Caption().find("no rules of its own"), std::string::npos);
  EXPECT_FALSE(editor.Result().has_value());
  EXPECT_FALSE(editor.btDefaults.Enabled());

  // Adding after the selected rule gives the library its own rules.
  editor.lvRules.UserClick(0);
  editor.cbKind.UserSelect(TRulesEditorLogic::rkExclude);
  editor.edMask.SetText(" TLabel.Caption ");
  ASSERT_TRUE(editor.btAdd.Enabled());
  editor.btAdd.Click();
  ASSERT_TRUE(editor.Result().has_value());
  EXPECT_EQ((*editor.Result())[1], "-TLabel.Caption");
  EXPECT_EQ(editor.lvRules.Selected(), 1);
  EXPECT_TRUE(editor.btDefaults.Enabled());

  // "Use the defaults" leaves no rules of its own to write.
  editor.btDefaults.Click();
  EXPECT_TRUE(editor.Modified());
  EXPECT_FALSE(editor.Result().has_value());
  EXPECT_EQ(editor.Rules().Text(), Defaults().Text());
}

TEST(RulesEditorLogicTest, ChangeRemoveAndMoveKeepTheOrderTheUserMeans) {
  TRulesEditorLogic editor(TRulesEditorLogic::TScope::Defaults, "", TStringList{"+.Caption", "+.Hint", "-Form1.*"},
                           Defaults());
  EXPECT_EQ(editor.dlgRules.Caption(), "Default Property Rules");
  editor.lvRules.UserClick(2);
  EXPECT_EQ(editor.cbKind.ItemIndex(), TRulesEditorLogic::rkExclude);
  EXPECT_EQ(editor.edMask.Text(), "Form1.*");
  EXPECT_FALSE(editor.btDown.Enabled());
  editor.btUp.Click();
  EXPECT_EQ(editor.Rules().Lines(), (std::vector<std::string>{"+.Caption", "-Form1.*", "+.Hint"}));
  EXPECT_EQ(editor.lvRules.Selected(), 1);
  // Ctrl+Up in the list does the same; Delete removes.
  EXPECT_TRUE(editor.lvRules.UserKeyDown(TListKey::Up, true));
  EXPECT_EQ(editor.Rules()[0], "-Form1.*");
  editor.lvRules.UserClick(2);
  editor.cbKind.UserSelect(TRulesEditorLogic::rkIncludeAll);
  editor.btChange.Click();
  EXPECT_EQ(editor.Rules()[2], "*.Hint");
  EXPECT_TRUE(editor.lvRules.UserKeyDown(TListKey::Delete, false));
  EXPECT_EQ(editor.Rules().Lines(), (std::vector<std::string>{"-Form1.*", "+.Caption"}));
  EXPECT_EQ(editor.lvRules.Selected(), 1);
  // Dropped on no row: to the end.
  editor.lvRules.UserClick(0);
  editor.lvRules.UserDragDrop(-1);
  EXPECT_EQ(editor.Rules().Lines(), (std::vector<std::string>{"+.Caption", "-Form1.*"}));
}

TEST(RulesEditorLogicTest, MasksThatCannotBeKeptAreRefusedWithTheReason) {
  TRulesEditorLogic editor(TRulesEditorLogic::TScope::Library, "Pad", TStringList{"+.Caption"}, Defaults());
  struct Case {
    int kind;
    const char* mask;
    const char* error;
  } cases[] = {
      {TRulesEditorLogic::rkInclude, "  ", "Type a mask, such as .Caption or TLabel.Caption"},
      {TRulesEditorLogic::rkInclude, ".Caption=x", "A mask cannot hold \"=\""},
      {TRulesEditorLogic::rkInclude, ".CAPTION", "The list already holds this rule (rule 1 \"+.CAPTION\")"},
      {TRulesEditorLogic::rkExclude, ".Caption", ""},
  };
  for (const Case& c : cases) {
    editor.cbKind.UserSelect(c.kind);
    editor.edMask.SetText(c.mask);
    EXPECT_EQ(editor.lblRuleError.Caption(), c.error) << c.mask;
    EXPECT_EQ(editor.btAdd.Enabled(), std::string(c.error).empty()) << c.mask;
  }
}

TEST(RulesEditorLogicTest, TheTestBoxAnswersWithTheRuleThatDecides) {
  TRulesEditorLogic editor(TRulesEditorLogic::TScope::Library, "Pad",
                           TStringList{"+.Caption", "*.Hint", "-TLabel.Caption", "+.EditLabel.Caption"}, Defaults());
  struct Case {
    const char* path;
    const char* className;
    const char* answer;
  } cases[] = {
      {"MainForm.Panel1.Caption", "TPanel", "Recorded: rule 1 \"+.Caption\" includes it when its text holds a letter"},
      {"MainForm.Button1.Hint", "TButton", "Recorded: rule 2 \"*.Hint\" includes it, even without a letter"},
      {"MainForm.Label1.Caption", "TLabel",
       "Not recorded: rule 1 \"+.Caption\" includes it, but rule 3 \"-TLabel.Caption\" excludes it"},
      {"MainForm.edName.EditLabel.Caption", "TLabeledEdit",
       "Recorded: rule 4 \"+.EditLabel.Caption\" includes it when its text holds a letter"},
      {"MainForm.Caption", "", "Recorded: rule 1 \"+.Caption\" includes it when its text holds a letter"},
      {"MainForm.StatusBar1.SimpleText", "TStatusBar", "Not recorded: no rule includes it"},
      {"MainForm.Label1.Color", "TLabel",
       "Not recorded: Color is never a text (colours and character sets are left alone)"},
      {"Caption", "", "Type a property as Form.Component.Property, such as MainForm.Panel1.Caption"},
  };
  for (const Case& c : cases) {
    editor.edTestPath.SetText(c.path);
    editor.edTestClass.SetText(c.className);
    EXPECT_EQ(editor.lblTestResult.Caption(), c.answer) << c.path;
  }
}

TEST(CountsLogicTest, NumbersAreGroupedAndOneTakesTheSingular) {
  struct Case {
    std::int64_t n;
    const char* grouped;
    const char* count;
  } cases[] = {{0, "0", "0 units"},           {1, "1", "1 unit"},
               {999, "999", "999 units"},     {1000, "1,000", "1,000 units"},
               {55000, "55,000", "55,000 units"}, {1234567, "1,234,567", "1,234,567 units"},
               {-1234, "-1,234", "-1,234 units"}};
  for (const Case& c : cases) {
    EXPECT_EQ(GroupedNumber(c.n), c.grouped);
    EXPECT_EQ(CountOf(c.n, "unit", "units"), c.count);
  }
}

}  // namespace
}  // namespace sw
