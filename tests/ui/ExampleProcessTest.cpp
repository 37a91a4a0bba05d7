// The desktop program's main job, driven through its real main window: the
// bundled TinyPad library is loaded from its settings file and processed by a
// click on "Process". A picture of the window is saved beside the test binary
// (main-window.png) for a look at the layout; on a real X display (for
// example QT_QPA_PLATFORM=xcb under xvfb-run) also pictures of the whole
// screen while the run shows its status window (screen-status.png) and with
// "Processing Complete" on top of the window (screen-complete.png).
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>

#include "support/TestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"
#include "ui/UiTestSupport.h"

namespace sw::ui {
namespace {

namespace fs = std::filesystem;

// Runs with another working folder: the example's settings name their folders
// relative to the folder the program starts in.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string& dir) : old_(QDir::currentPath()) {
    QDir::setCurrent(QString::fromStdString(dir));
  }
  ~ScopedCurrentDir() { QDir::setCurrent(old_); }

 private:
  QString old_;
};

bool RealDisplay() { return QGuiApplication::platformName() == "xcb"; }

void SaveScreen(const char* name) {
  if (!RealDisplay()) return;
  QGuiApplication::primaryScreen()->grabWindow(0).save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/" + name);
}

// Takes one picture of the screen while the first language is processed.
class PicturedStatus : public QtUserInteraction {
 public:
  void UpdateStatus(const std::string& text) override {
    QtUserInteraction::UpdateStatus(text);
    Texts.push_back(text);
    if (Texts.size() == 1) SaveScreen("screen-status.png");
  }
  std::vector<std::string> Texts;
};

TEST(ExampleProcessTest, ProcessesTheBundledExampleFromTheWindow) {
  const fs::path example = fs::path(SHELFWRIGHT_EXAMPLES_DIR) / "tinypad";
  if (!fs::exists(example / "tinypad.ini")) GTEST_SKIP() << "the bundled example is not in this tree";
  TempDir dir;
  // The settings say DestDir=../../build/example/TinyPad: keep that shape inside the copy.
  const fs::path copy = fs::path(dir.Root()) / "examples" / "tinypad";
  fs::create_directories(copy);
  fs::copy(example, copy, fs::copy_options::recursive);
  const fs::path out = fs::path(dir.Root()) / "build" / "example" / "TinyPad";
  ScopedCurrentDir cwd(copy.string());

  ScopedEnv libraryPath("LINGUADESK_LIBRARY_PATH", "");
  testing::DialogScript dialogs;
  PicturedStatus ui;
  ScopedUserInteraction installed(&ui);
  MainWindow window("tinypad.ini", "");
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  TMainWindowLogic& logic = window.Logic();
  ASSERT_EQ(logic.CurLib, 1);
  EXPECT_EQ(logic.edLibName.Text(), "TinyPad");
  auto* list = window.findChild<QTreeWidget*>("lvLanguages");
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(list->topLevelItem(0)->text(1), " /en");

  const QString picture = QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/main-window.png";
  EXPECT_TRUE(window.grab().save(picture)) << picture.toStdString();

  dialogs.Then([](QDialog&) {
    QTest::qWait(RealDisplay() ? 300 : 0);
    SaveScreen("screen-complete.png");
    return static_cast<int>(QMessageBox::Ok);
  });
  QTest::mouseClick(window.findChild<QPushButton*>("btProcess"), Qt::LeftButton);
  EXPECT_EQ(ui.Texts.size(), 3u) << "one status line per language";
  for (const auto& shown : dialogs.Shown) EXPECT_NE(shown.Title, "Error") << shown.Text;
  ASSERT_FALSE(dialogs.Shown.empty());
  EXPECT_EQ(dialogs.Shown.back().Text, "Processing Complete");
  EXPECT_EQ(ui.StatusWidget(), nullptr);
  for (const char* file : {"TinyPad.ENU.lng", "TinyPad.DEU.lng", "TinyPad.FRA.lng", "lib.ini"})
    EXPECT_TRUE(fs::exists(out / file)) << file;
  const std::string libIni = TempDir::Read((out / "lib.ini").string());
  EXPECT_EQ(libIni.rfind("[Common]\r\nName=TinyPad\r\nFileName=TinyPad\r\nNativeExt=ENU\r\n", 0), 0u) << libIni;
  EXPECT_GT(fs::file_size(out / "TinyPad.DEU.lng"), 200u);

  window.close();
}

}  // namespace
}  // namespace sw::ui
