// Nothing the user does in the window loses a library or acts by surprise:
// SIGTERM closes as the user would (the library is saved), a logout's save
// request keeps the edit in progress, Process waits for a complete library
// and says why, making another language native asks, and Enter after a
// mouse-started run never lands on Close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <filesystem>

#include "runtime/IniFile.h"
#include "ui/MainWindowFixture.h"
#include "ui/Termination.h"

namespace sw::ui {
namespace {

class WindowSafetyTest : public testing::MainWindowFixture {
 protected:
  MainWindow& OpenExampleLibrary() {
    std::filesystem::create_directories(dir_.Path("src/en"));
    std::filesystem::create_directories(dir_.Path("src/de"));
    dir_.Write("settings.ini",
               "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
               "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n1031=de\r\n");
    return Open();
  }
  std::string Saved(const char* section, const char* key) const {
    return TIniFile(dir_.Path("settings.ini")).ReadString(section, key, "");
  }
};

TEST_F(WindowSafetyTest, SigtermRightAfterProcessClosesLikeTheUserAndKeepsTheLibrary) {
#ifdef _WIN32
  GTEST_SKIP() << "no SIGTERM for window programs on Windows";
#endif
  MainWindow& w = OpenExampleLibrary();
  CloseOnTermination(w);
  dialogs_.Then([](QDialog&) { return static_cast<int>(QDialog::Accepted); });  // the run report
  // Typed, not yet left: only the run's own save or the close can keep it.
  auto* name = Find<QLineEdit>("edLibName");
  name->selectAll();
  QTest::keyClicks(name, "Renamed while running");
  QTest::mouseClick(Find<QPushButton>("btProcess"), Qt::LeftButton);
  std::raise(SIGTERM);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 30000));
  EXPECT_EQ(Saved("Library1", "Name"), "Renamed while running");
  EXPECT_EQ(Saved("Main", "LastLib"), "1");
}

// What a logout's request to save runs (the session manager's signal cannot
// be raised in a test): the edit in progress is kept, nothing is asked and
// the window stays open until the session ends it.
class ShutdownWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;
  using MainWindow::SaveForShutdown;
};

TEST_F(WindowSafetyTest, ALogoutsSaveRequestKeepsTheEditInProgressWithoutAsking) {
  OpenExampleLibrary();
  window_.reset();
  auto window = std::make_unique<ShutdownWindow>(dir_.Path("settings.ini"), "");
  ShutdownWindow& w = *window;
  window_ = std::move(window);
  w.show();
  auto* name = Find<QLineEdit>("edLibName");
  name->setFocus();
  name->selectAll();
  QTest::keyClicks(name, "Typed before the logout");
  EXPECT_EQ(Saved("Library1", "Name"), "Pad") << "not left yet: not saved yet";
  w.SaveForShutdown();
  EXPECT_EQ(Saved("Library1", "Name"), "Typed before the logout");
  EXPECT_TRUE(dialogs_.Shown.empty());
  EXPECT_TRUE(w.isVisible());
}

TEST_F(WindowSafetyTest, ProcessIsOffWithItsReasonWhileTheLibraryIsIncomplete) {
  MainWindow& w = OpenExampleLibrary();
  auto* process = Find<QPushButton>("btProcess");
  auto* reason = Find<QLabel>("lblProcessReason");
  EXPECT_TRUE(process->isEnabled());
  EXPECT_FALSE(reason->isVisibleTo(&w));
  auto* shortName = Find<QLineEdit>("edLibShortName");
  shortName->selectAll();
  QTest::keyClick(shortName, Qt::Key_Backspace);
  EXPECT_FALSE(process->isEnabled());
  EXPECT_TRUE(reason->isVisibleTo(&w));
  EXPECT_EQ(FromQ(reason->text()), "Enter a short name: it names the language files.");
  // The relative folders say where they lead.
  EXPECT_EQ(FromQ(Find<QLabel>("lblDestResolved")->text()), "Folder: " + dir_.Path("out"));
}

TEST_F(WindowSafetyTest, CtrlUpOnTheSecondLanguageAsksBeforeMakingItNative) {
  OpenExampleLibrary();
  auto* list = Find<QTreeWidget>("lvLanguages");
  list->setFocus();
  list->setCurrentItem(list->topLevelItem(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(1)).center());
  dialogs_.ThenPress(QMessageBox::No);
  QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_NE(dialogs_.Shown[0].Text.find("the native language instead of"), std::string::npos) << dialogs_.Shown[0].Text;
  EXPECT_EQ(Logic().Languages[0]->LangId, 0x0409) << "No keeps English native";
}

TEST_F(WindowSafetyTest, EnterAfterAMouseStartedRunGoesBackToProcessAndNeverCloses) {
  MainWindow& w = OpenExampleLibrary();
  dialogs_.Then([](QDialog&) { return static_cast<int>(QDialog::Accepted); });
  QTest::mouseClick(Find<QPushButton>("btProcess"), Qt::LeftButton);
  ASSERT_TRUE(WaitForRun());
  QApplication::processEvents();
  ASSERT_NE(w.focusWidget(), nullptr);
  EXPECT_EQ(FromQ(w.focusWidget()->objectName()), "btProcess");
  // Even with the focus on Close, Enter does not end the program.
  Find<QPushButton>("btClose")->setFocus();
  QTest::keyClick(Find<QPushButton>("btClose"), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_TRUE(w.isVisible());
}

}  // namespace
}  // namespace sw::ui
