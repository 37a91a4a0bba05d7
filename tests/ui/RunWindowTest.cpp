// The window's run in the Qt binding: the run happens on a worker thread
// while the window stays live, its report shows the failed files (a picture
// of it is saved beside the test binary as run-report.png), the host
// delivers in order on the interface thread, and questions asked from the
// worker thread reach the user on the interface thread.
// Before Qt, whose "slots" keyword would break it.
#include "app/AppTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "support/TestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"
#include "ui/RunReportDialog.h"
#include "ui/RunWidgets.h"
#include "ui/MainWindowFixture.h"
#include "ui/UiTestSupport.h"

namespace sw::ui {
namespace {

using testing::DialogScript;

class RunWindowTest : public testing::MainWindowFixture {
 protected:
  // A library of English and German with one damaged form in the English folder.
  MainWindow& OpenLibraryWithABrokenFile() {
    dir_.Write("src/en/Strings.res", sw::testing::StringTableRes({{1, u"Open"}, {2, u"Save"}, {3, u"Close"}}));
    dir_.Write("src/en/Broken.dfm", "object MainForm: TMainForm\n  Caption = 'unterminated\n");
    dir_.Write("src/de/Strings.res", sw::testing::StringTableRes({{1, u"\u00d6ffnen"}}, 0x0407));
    dir_.Write("settings.ini",
               "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
               "ScanFiles=15\r\n[Languages1Lib]\r\n1033=en\r\n1031=de\r\n");
    return Open();
  }
};

TEST_F(RunWindowTest, ReportShowsTheFailedFileWithAWarningAndCopiesItself) {
  MainWindow& w = OpenLibraryWithABrokenFile();
  struct Seen {
    std::string Headline, Problems, Summary;
    bool ProblemsReadOnly = false;
    int Rows = 0;
    QString Copied;
    std::string GermanCoverage;
  } seen;
  dialogs_.Then([&seen, &w](QDialog& dialog) {
    seen.Headline = FromQ(dialog.findChild<QLabel*>("lblHeadline")->text());
    seen.Summary = FromQ(dialog.findChild<QLabel*>("lblSummary")->text());
    auto* problems = dialog.findChild<QPlainTextEdit*>("edProblems");
    seen.Problems = FromQ(problems->toPlainText());
    seen.ProblemsReadOnly = problems->isReadOnly();
    auto* list = dialog.findChild<QTreeWidget*>("lvReport");
    seen.Rows = list->topLevelItemCount();
    seen.GermanCoverage = FromQ(list->topLevelItem(1)->text(4));
    // The report opens over the window, not somewhere on the screen.
    EXPECT_EQ(dialog.parentWidget(), &w);
    QTest::mouseClick(dialog.findChild<QPushButton*>("btCopy"), Qt::LeftButton);
    seen.Copied = QApplication::clipboard()->text();
    const QString picture = QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/run-report.png";
    EXPECT_TRUE(dialog.grab().save(picture)) << picture.toStdString();
    QTest::mouseClick(dialog.findChild<QPushButton*>("btClose"), Qt::LeftButton);
    return dialog.result();
  });
  QTest::mouseClick(w.findChild<QPushButton*>("btProcess"), Qt::LeftButton);
  ASSERT_TRUE(WaitForRun());
  ASSERT_EQ(dialogs_.Shown.size(), 1u) << "one report, no box per file";
  EXPECT_EQ(dialogs_.Shown[0].ObjectName, "RunReport");
  EXPECT_EQ(dialogs_.Shown[0].Title, "Run Report");
  EXPECT_EQ(seen.Headline, "Processing complete, with problems");
  EXPECT_NE(seen.Summary.find("1 file failed"), std::string::npos) << seen.Summary;
  EXPECT_EQ(seen.Problems.rfind("Failed: " + JoinPath(NativePath(dir_.Path("src/en")), "Broken.dfm") + ": ", 0), 0u)
      << seen.Problems;
  EXPECT_TRUE(seen.ProblemsReadOnly);
  EXPECT_EQ(seen.Rows, 2);
  EXPECT_EQ(seen.GermanCoverage, "33.3%");
  EXPECT_TRUE(seen.Copied.startsWith("Processing complete, with problems\n")) << FromQ(seen.Copied);
  EXPECT_TRUE(seen.Copied.contains("Broken.dfm"));
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.DEU.lng")));
  EXPECT_TRUE(w.findChild<QPushButton*>("btProcess")->isEnabled());
}

// Holds the run's worker at the start of its second language until the test
// lets it go on: the run reports only through its control, whose progress the
// window posts through its host, so the hold sits in the host, at the fourth
// report from the worker (the first language's start and its two files come
// before it). Everything else goes to the window's own host.
class HeldRun : public IRunHost {
 public:
  explicit HeldRun(MainWindow& window) : window_(window) { window_.Logic().SetRunHost(this); }
  ~HeldRun() override {
    Release();
    window_.Logic().SetRunHost(&window_.RunHost());
  }
  void RunInBackground(std::function<void()> work, std::function<void()> done) override {
    window_.RunHost().RunInBackground(std::move(work), std::move(done));
  }
  void Post(std::function<void()> task) override {
    if (QThread::currentThread() != QCoreApplication::instance()->thread() && ++calls_ == 4 && !released_) {
      held_ = true;
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return released_.load(); });
    }
    window_.RunHost().Post(std::move(task));
  }
  bool Held() const { return held_; }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    wake_.notify_all();
  }

 private:
  MainWindow& window_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> held_{false}, released_{false};
  std::atomic<int> calls_{0};
};

TEST_F(RunWindowTest, WindowStaysLiveDuringTheRunShowsProgressAndCancels) {
  MainWindow& w = OpenLibraryWithABrokenFile();
  HeldRun held(w);
  std::string headline;
  dialogs_.Then([&headline](QDialog& dialog) {
    headline = FromQ(dialog.findChild<QLabel*>("lblHeadline")->text());
    return static_cast<int>(QDialog::Accepted);
  });
  auto* panel = w.findChild<QWidget*>("pnlRun");
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(panel->isVisible()) << "no panel while idle";
  QTest::mouseClick(w.findChild<QPushButton*>("btProcess"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return held.Held(); }, 10000));
  // The worker is held; the window still handles events and shows where the run is.
  QTest::qWait(50);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(FromQ(w.findChild<QLabel*>("lblRunLanguage")->text()), "Language 1 of 2: English (United States)");
  EXPECT_EQ(FromQ(w.findChild<QLabel*>("lblRunFiles")->text()), "Files 2 of 2");
  EXPECT_EQ(w.findChild<QProgressBar*>("pbRun")->maximum(), 2000);
  EXPECT_EQ(w.findChild<QProgressBar*>("pbRun")->value(), 1000);
  EXPECT_FALSE(w.findChild<QPushButton*>("btProcess")->isEnabled());
  const QString picture = QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/run-progress.png";
  EXPECT_TRUE(w.grab().save(picture)) << picture.toStdString();
  // Closing now only cancels; the window stays until the run has ended.
  auto* cancel = w.findChild<QPushButton*>("btCancel");
  ASSERT_TRUE(cancel->isEnabled());
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_FALSE(cancel->isEnabled());
  EXPECT_EQ(FromQ(w.findChild<QLabel*>("lblRunFiles")->text()), "Cancelling after the current file...");
  held.Release();
  ASSERT_TRUE(WaitForRun());
  EXPECT_EQ(headline, "Processing cancelled");
  EXPECT_FALSE(panel->isVisible());
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("out/Pad.ENU.lng"))) << "the finished language stays written";
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/Pad.DEU.lng"))) << "nothing for the language in progress";
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/lib.ini")));
}

TEST_F(RunWindowTest, ClosingDuringARunCancelsItAndClosesWhenItHasEnded) {
  MainWindow& w = OpenLibraryWithABrokenFile();
  HeldRun held(w);
  QTest::mouseClick(w.findChild<QPushButton*>("btProcess"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return held.Held(); }, 10000));
  EXPECT_FALSE(w.close()) << "the window stays while the run is on";
  EXPECT_TRUE(w.isVisible());
  held.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 30000));
  EXPECT_TRUE(dialogs_.Shown.empty()) << "no report for a window that closes";
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out/lib.ini")));
}

TEST_F(RunWindowTest, ExportThroughTheLibraryMenuWritesTheChosenFormatAndSummarises) {
  MainWindow& w = OpenLibraryWithABrokenFile();
  if (!w.Logic().ExchangeAvailable()) GTEST_SKIP() << "this build has no translators' exchange";
  dialogs_.Then([](QDialog&) { return static_cast<int>(QDialog::Accepted); });  // the run report
  QTest::mouseClick(w.findChild<QPushButton*>("btProcess"), Qt::LeftButton);
  ASSERT_TRUE(WaitForRun());
  const QString po = QString::fromStdString(dir_.Path("for-translators.po"));
  bool formatFollowed = false;
  dialogs_.Then([&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), "dlgExchange");
    EXPECT_EQ(dialog.windowTitle(), "Export for Translators");
    auto* file = dialog.findChild<QLineEdit*>("edFile");
    EXPECT_TRUE(file->text().endsWith("Pad.DEU.xlf")) << FromQ(file->text());
    EXPECT_EQ(dialog.findChild<QCheckBox*>("cbForce")->isVisible(), false) << "an import option";
    file->selectAll();
    QTest::keyClicks(file, po);
    formatFollowed = dialog.findChild<QComboBox*>("cbFormat")->currentIndex() == 1;
    dialog.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/export-dialog.png");
    QTest::mouseClick(dialog.findChild<QPushButton*>("btOK"), Qt::LeftButton);
    return dialog.result();
  });
  dialogs_.ThenPress(QMessageBox::Ok);
  auto* menu = w.findChild<QMenu*>("miLibrary");
  QAction* exportEntry = nullptr;
  for (QAction* action : menu->actions())
    if (action->objectName() == "miExport") exportEntry = action;
  ASSERT_NE(exportEntry, nullptr);
  exportEntry->trigger();
  EXPECT_TRUE(formatFollowed) << "the .po extension chose the PO format";
  ASSERT_EQ(dialogs_.Shown.size(), 3u);
  EXPECT_EQ(dialogs_.Shown[2].Text.rfind("Exported 3 units of German (Germany)", 0), 0u) << dialogs_.Shown[2].Text;
  const std::string text = TempDir::Read(FromQ(po));
  EXPECT_NE(text.find("msgid \"Save\""), std::string::npos) << text;
}

TEST_F(RunWindowTest, HostDeliversPostsThenDoneOnTheInterfaceThread) {
  QtRunHost host;
  std::vector<std::string> order;
  std::atomic<bool> workOffThread{false};
  bool doneOnInterfaceThread = false;
  bool finished = false;
  const QThread* interfaceThread = QThread::currentThread();
  host.RunInBackground(
      [&] {
        workOffThread = QThread::currentThread() != interfaceThread;
        for (int i = 0; i < 3; ++i) host.Post([&order, i] { order.push_back("post " + std::to_string(i)); });
      },
      [&] {
        order.push_back("done");
        doneOnInterfaceThread = QThread::currentThread() == interfaceThread;
        finished = true;
      });
  EXPECT_TRUE(host.Busy());
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 10000));
  EXPECT_TRUE(workOffThread);
  EXPECT_TRUE(doneOnInterfaceThread);
  EXPECT_FALSE(host.Busy());
  EXPECT_EQ(order, (std::vector<std::string>{"post 0", "post 1", "post 2", "done"}));
}

TEST_F(RunWindowTest, WorkerThreadQuestionsAreAskedOnTheInterfaceThreadAndStatusIsLeftToTheWindow) {
  dialogs_.ThenPress(QMessageBox::Retry);
  int answer = 0;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    UpdateStatus("Processing German resources");
    answer = AskRetryCancel("Retry", "Could not write the file");
    finished = true;
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 10000));
  worker.join();
  EXPECT_EQ(answer, idRetry);
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].Text, "Could not write the file");
  EXPECT_EQ(userInteraction_.StatusWidget(), nullptr) << "a worker's status line opens no status window";
}

}  // namespace
}  // namespace sw::ui
