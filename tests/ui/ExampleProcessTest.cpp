// The desktop program's main job, driven through its real main window: the
// bundled TinyPad library is loaded from its settings file and processed by a
// click on "Process". A picture of the window is saved beside the test binary
// (main-window.png) for a look at the layout, and one after the run with the
// coverage bars of the translations (coverage-bars.png), which must agree with
// what `shelfwright-cli stats` says of the same files; on a real X display
// (for example QT_QPA_PLATFORM=xcb under xvfb-run) also pictures of the whole
// screen while the run shows its progress (screen-status.png) and with the
// run report on top of the window (screen-complete.png).
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <map>

#include "support/TestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"
#include "ui/UiTestSupport.h"
#include "util/LocaleCatalogue.h"

namespace sw::ui {
namespace {

namespace fs = std::filesystem;

// Runs with another working folder: the settings file is named as a user in
// the example's folder names it ("tinypad.ini"), and its relative folders are
// taken from that file's folder.
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

// What `shelfwright-cli stats --json` says of the library: percentage and
// item counts per language abbreviation.
struct CliCoverage {
  double Percent = -1;
  int UpToDate = -1, Total = -1;
};
std::map<std::string, CliCoverage> StatsOfExample(const fs::path& folder) {
  QProcess cli;
  cli.setWorkingDirectory(QString::fromStdString(folder.string()));
  cli.start(SHELFWRIGHT_CLI_PATH, {"stats", "--settings", "tinypad.ini", "--library", "1", "--json"});
  std::map<std::string, CliCoverage> result;
  if (!cli.waitForFinished(30000)) return result;
  const QJsonObject out = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
  for (const QJsonValue& value : out["languages"].toArray()) {
    const QJsonObject language = value.toObject();
    const QJsonObject items = language["items"].toObject();
    result[language["abbr"].toString().toStdString()] = {language["percent"].toDouble(), items["upToDate"].toInt(),
                                                         items["total"].toInt()};
  }
  return result;
}

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
  QtUserInteraction ui;
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

  std::string headline;
  dialogs.Then([&headline](QDialog& dialog) {
    headline = FromQ(dialog.findChild<QLabel*>("lblHeadline")->text());
    QTest::qWait(RealDisplay() ? 300 : 0);
    SaveScreen("screen-complete.png");
    return static_cast<int>(QDialog::Accepted);
  });
  QTest::mouseClick(window.findChild<QPushButton*>("btProcess"), Qt::LeftButton);
  EXPECT_FALSE(window.findChild<QPushButton*>("btProcess")->isEnabled()) << "one run at a time";
  if (QTest::qWaitFor([&] { return window.findChild<QWidget*>("pnlRun")->isVisible(); }, 2000))
    SaveScreen("screen-status.png");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !logic.Running(); }, 60000));
  for (const auto& shown : dialogs.Shown) EXPECT_NE(shown.Title, "Error") << shown.Text;
  ASSERT_FALSE(dialogs.Shown.empty());
  EXPECT_EQ(dialogs.Shown.back().ObjectName, "RunReport");
  EXPECT_EQ(headline, "Processing Complete");
  EXPECT_EQ(ui.StatusWidget(), nullptr);
  EXPECT_FALSE(window.findChild<QWidget*>("pnlRun")->isVisible());
  for (const char* file : {"TinyPad.ENU.lng", "TinyPad.DEU.lng", "TinyPad.FRA.lng", "lib.ini"})
    EXPECT_TRUE(fs::exists(out / file)) << file;
  const std::string libIni = TempDir::Read((out / "lib.ini").string());
  EXPECT_EQ(libIni.rfind("[Common]\r\nName=TinyPad\r\nFileName=TinyPad\r\nNativeExt=ENU\r\n", 0), 0u) << libIni;
  EXPECT_GT(fs::file_size(out / "TinyPad.DEU.lng"), 200u);

  // The bars beside the translations say what `stats` says of the same files.
  const QString bars = QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/coverage-bars.png";
  EXPECT_TRUE(list->grab().save(bars)) << bars.toStdString();
  EXPECT_TRUE(window.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/main-window-after-run.png"));
  const auto stats = StatsOfExample(copy);
  ASSERT_EQ(stats.size(), 2u) << "German and French";
  for (int row = 1; row < 3; ++row) {
    const TCoverageCell cell = logic.CoverageOfRow(row);
    const std::string abbr = GetLangAbbr(cell.LangId);
    ASSERT_TRUE(cell.Known) << abbr;
    ASSERT_TRUE(stats.count(abbr)) << abbr;
    EXPECT_DOUBLE_EQ(cell.Percent(), stats.at(abbr).Percent) << abbr;
    EXPECT_EQ(cell.Counts.Items[0], stats.at(abbr).UpToDate) << abbr;
    EXPECT_EQ(cell.Counts.TotalItems(), stats.at(abbr).Total) << abbr;
    EXPECT_GT(cell.Counts.TotalItems(), 0) << abbr;
  }

  window.close();
}

}  // namespace
}  // namespace sw::ui
