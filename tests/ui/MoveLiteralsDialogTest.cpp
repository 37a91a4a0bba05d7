// The "Move literals" dialog end to end on the offscreen platform: a copy of
// a small unit, one candidate unchecked, one renamed in the list, Apply.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "support/TestSupport.h"
#include "ui/MoveLiteralsDialog.h"
#include "ui/UiTestSupport.h"

namespace sw::ui {
namespace {

TEST(MoveLiteralsDialogTest, UncheckRenameAndApplyOnACopyOfAUnit) {
  TempDir dir;
  const std::string unit = dir.Write("Greet.pas",
                                     "unit Greet;\r\ninterface\r\nimplementation\r\n"
                                     "begin\r\n  A('Hello'); A('Skip this');\r\nend.\r\n");
  TMoveLiteralsLogic logic;
  logic.SetFolder(dir.Root());
  MoveLiteralsDialog dialog(logic);
  dialog.show();
  QTreeWidget* list = dialog.Candidates();
  // Nothing to rewrite until the user ticks a unit.
  EXPECT_EQ(list->topLevelItemCount(), 0);
  ASSERT_EQ(dialog.Units()->count(), 1);
  EXPECT_EQ(dialog.Units()->item(0)->checkState(), Qt::Unchecked);
  dialog.Units()->item(0)->setCheckState(Qt::Checked);
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "SHello");
  EXPECT_TRUE(dialog.PreviewBox()->toPlainText().contains("A(SHello); A(SSkipThis);"));

  list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  list->topLevelItem(0)->setText(1, "SGreeting");
  list->topLevelItem(0)->setText(1, "not a name");  // refused, the last good name stays
  EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "SGreeting");
  EXPECT_TRUE(dialog.PreviewBox()->toPlainText().contains("A(SGreeting); A('Skip this');"));

  auto* apply = dialog.findChild<QPushButton*>("btApply");
  ASSERT_NE(apply, nullptr);
  EXPECT_FALSE(apply->isDefault());
  EXPECT_FALSE(apply->autoDefault());
  testing::DialogScript dialogs;
  dialogs.ThenPress(QMessageBox::Yes);
  apply->click();
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_EQ(dialogs.Shown[0].ObjectName, "ConfirmMoveLiterals");
  EXPECT_NE(dialogs.Shown[0].Text.find("Move 1 literal of 1 unit to"), std::string::npos) << dialogs.Shown[0].Text;
  // The dialog shows what it wrote; Close ends it.
  EXPECT_TRUE(dialog.PreviewBox()->toPlainText().contains("Written:"));
  EXPECT_TRUE(dialog.PreviewBox()->toPlainText().contains("SGreeting"));
  dialog.findChild<QPushButton*>("btCancel")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(TempDir::Read(unit),
            "unit Greet;\r\ninterface\r\nuses PrjConst;\r\n\r\nimplementation\r\n"
            "begin\r\n  A(SGreeting); A('Skip this');\r\nend.\r\n");
  EXPECT_NE(TempDir::Read(dir.Path("PrjConst.pas")).find("SGreeting = 'Hello';"), std::string::npos);
}

TEST(MoveLiteralsDialogTest, ALiteralThatStaysShowsItsReasonAndCannotBeTicked) {
  TempDir dir;
  dir.Write("Fixed.pas", "unit Fixed;\ninterface\nconst P: PChar = 'pchar text';\nimplementation\n"
                         "begin A('Moved text'); end.\n");
  TMoveLiteralsLogic logic;
  logic.SetFolder(dir.Root());
  logic.ChooseAllSources(true);
  MoveLiteralsDialog dialog(logic);
  dialog.show();
  QTreeWidget* list = dialog.Candidates();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  ASSERT_EQ(list->columnCount(), 4);
  QTreeWidgetItem* stays = list->topLevelItem(0);
  EXPECT_EQ(stays->text(3).toStdString(), "pchar typed constant");
  EXPECT_EQ(stays->checkState(0), Qt::Unchecked);
  EXPECT_FALSE(stays->flags() & Qt::ItemIsEnabled);
  EXPECT_EQ(list->topLevelItem(1)->text(3).toStdString(), "offered");
  EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Checked);
}

TEST(MoveLiteralsDialogTest, CancelWritesNothing) {
  TempDir dir;
  const std::string text = "unit Greet;\ninterface\nimplementation\nbegin A('Hello'); end.\n";
  const std::string unit = dir.Write("Greet.pas", text);
  TMoveLiteralsLogic logic;
  logic.SetFiles({unit});
  MoveLiteralsDialog dialog(logic);
  dialog.show();
  dialog.findChild<QPushButton*>("btCancel")->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(TempDir::Read(unit), text);
}

}  // namespace
}  // namespace sw::ui
