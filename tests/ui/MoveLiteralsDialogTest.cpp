// The "Move literals" dialog end to end on the offscreen platform: a copy of
// a small unit, one candidate unchecked, one renamed in the list, Apply; and
// opened from the main window's menu, on the library's native folder with no
// unit chosen.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "support/TestSupport.h"
#include "ui/MainWindowFixture.h"
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

// The library's source folder is relative ("src"): the dialog opens on the
// native folder below the settings file's folder, whatever the working folder.
class MoveLiteralsFromTheMenuTest : public testing::MainWindowFixture {};

TEST_F(MoveLiteralsFromTheMenuTest, OpensOnTheNativeFolderWithNoUnitChosen) {
  const std::string text = "unit Greet;\ninterface\nimplementation\nbegin A('Hello'); end.\n";
  const std::string unit = dir_.Write("src/en/Greet.pas", text);
  dir_.Write("settings.ini",
             "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
             "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n");
  Open();
  bool shown = false;
  dialogs_.Then([&](QDialog& dialog) {
    auto* moveLiterals = dynamic_cast<MoveLiteralsDialog*>(&dialog);
    EXPECT_NE(moveLiterals, nullptr) << FromQ(dialog.objectName());
    if (!moveLiterals) return static_cast<int>(QDialog::Rejected);
    shown = true;
    EXPECT_EQ(moveLiterals->Units()->count(), 1);
    if (moveLiterals->Units()->count() == 1) {
      EXPECT_EQ(FromQ(moveLiterals->Units()->item(0)->text()), "Greet.pas");
      EXPECT_EQ(moveLiterals->Units()->item(0)->checkState(), Qt::Unchecked);
    }
    EXPECT_EQ(moveLiterals->Candidates()->topLevelItemCount(), 0);
    auto* apply = dialog.findChild<QPushButton*>("btApply");
    EXPECT_TRUE(apply && !apply->isEnabled() && !apply->isDefault());
    return static_cast<int>(QDialog::Rejected);
  });
  auto* action = window_->findChild<QAction*>("miMoveLiterals");
  ASSERT_NE(action, nullptr);
  action->trigger();
  EXPECT_TRUE(shown);
  EXPECT_EQ(TempDir::Read(unit), text);
}

}  // namespace
}  // namespace sw::ui
