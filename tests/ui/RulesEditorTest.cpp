// The property rules editor opened from the main window: a rule added with
// the keyboard, the test box answering, and OK writing the library's rules
// (Cancel writing nothing).
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "storage/PropRules.h"
#include "ui/MainWindowFixture.h"

namespace sw::ui {
namespace {

class RulesEditorTest : public testing::MainWindowFixture {};

TEST_F(RulesEditorTest, ARuleTypedAndTestedIsWrittenOnOkOnly) {
  dir_.Write("settings.ini",
             "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
             "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n");
  Open();
  std::string answer;
  const auto edit = [&](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Property Rules of Pad");
    // The new rule goes after the selected one.
    auto* list = dialog.findChild<QTreeWidget*>("lvRules");
    list->topLevelItem(0)->setSelected(true);
    auto* kind = dialog.findChild<QComboBox*>("cbKind");
    auto* mask = dialog.findChild<QLineEdit*>("edMask");
    EXPECT_EQ(mask->text(), ".Caption");
    kind->setCurrentIndex(2);  // exclude, as the user picks it
    emit kind->activated(2);
    mask->setFocus();
    mask->selectAll();
    QTest::keyClicks(mask, "TLabel.Caption");
    QTest::keyClick(mask, Qt::Key_Return);  // adds, does not close
    EXPECT_TRUE(dialog.isVisible());
    auto* path = dialog.findChild<QLineEdit*>("edTestPath");
    auto* cls = dialog.findChild<QLineEdit*>("edTestClass");
    path->selectAll();
    QTest::keyClicks(path, "MainForm.Label1.Caption");
    cls->selectAll();
    QTest::keyClicks(cls, "TLabel");
    answer = dialog.findChild<QLabel*>("lblTestResult")->text().toStdString();
    return static_cast<int>(QDialog::Rejected);
  };
  dialogs_.Then(edit);
  window_->findChild<QAction*>("miPropRules")->trigger();
  EXPECT_EQ(answer, "Not recorded: rule 1 \"+.Caption\" includes it, but rule 2 \"-TLabel.Caption\" excludes it");
  EXPECT_EQ(TempDir::Read(dir_.Path("settings.ini")).find("PropRules1Lib"), std::string::npos) << "Cancel writes nothing";

  dialogs_.Then([&](QDialog& dialog) {
    edit(dialog);
    QTest::mouseClick(dialog.findChild<QPushButton*>("btOK"), Qt::LeftButton);
    return dialog.result();
  });
  window_->findChild<QAction*>("miPropRules")->trigger();
  const std::string settings = TempDir::Read(dir_.Path("settings.ini"));
  EXPECT_NE(settings.find("[PropRules1Lib]\r\n+.Caption\r\n-TLabel.Caption\r\n+.Hint\r\n"), std::string::npos)
      << settings;
  EXPECT_EQ(Logic().LibraryPropRules[1], "-TLabel.Caption");
  EXPECT_EQ(Logic().LibraryPropRules.Count(), [] {
    TStringList defaults;
    SetDefaultPropRules(defaults);
    return defaults.Count() + 1;
  }());
}

}  // namespace
}  // namespace sw::ui
