// The run report's wording, warning state and actions for each way a run
// can end, built from run results as the run service returns them.
#include "window/RunReportLogic.h"

#include <gtest/gtest.h>

#include "util/LocaleCatalogue.h"

namespace sw {
namespace {

class RunReportLogicTest : public ::testing::Test {
 protected:
  RunReportLogicTest() {
    library_.Name = "Pad";
    library_.ShortName = "Pad";
    library_.DestDir = "/out";
    library_.Languages.AddLibLanguage(0x0409, "en");
    library_.Languages.AddLibLanguage(0x0407, "de");
    library_.Languages.AddLibLanguage(0x040C, "fr");
    result_.Stats.LanguageFilesPlanned = 3;
    result_.Stats.FilesRead = {2, 1, 0, 3};
  }
  void Written(LANGID id, const std::string& file, int items, int changed, int revision) {
    result_.Stats.Languages.push_back({id, file, items, changed, revision});
  }
  void WrittenAll() {
    Written(0x0409, "/out/Pad.ENU.lng", 40, 40, 1);
    Written(0x0407, "/out/Pad.DEU.lng", 40, 3, 1);
    Written(0x040C, "/out/Pad.FRA.lng", 40, 0, 1);
    result_.LibIni = "/out/lib.ini";
  }
  std::vector<TCoverageCell> Coverage() const {
    std::vector<TCoverageCell> cells(3);
    cells[0].Native = true;
    cells[1].Known = true;
    cells[1].Counts.Items = {30, 4, 6};
    cells[2].Known = true;
    cells[2].Counts.Items = {0, 0, 40};
    return cells;
  }

  TResolvedLibrary library_;
  TRunResult result_;
};

TEST_F(RunReportLogicTest, CleanRunSaysCompleteWithoutWarningAndListsEveryLanguage) {
  WrittenAll();
  TRunReportLogic report(library_, result_, Coverage());
  EXPECT_EQ(report.Outcome(), TRunOutcome::Complete);
  EXPECT_FALSE(report.Warning());
  EXPECT_EQ(report.lblHeadline.Caption(), "Processing Complete");
  EXPECT_EQ(report.lblSummary.Caption(),
            "Files read: 2 .res, 1 .pas, 0 .rc, 3 .dfm, 0 .exe; 0 files failed\nLanguage files written: 3 of 3, in /out");
  ASSERT_EQ(report.lvReport.RowCount(), 3);
  EXPECT_EQ(report.lvReport.Rows()[0].Caption, GetEnglishLangName(0x0409));
  EXPECT_EQ(report.lvReport.Rows()[0].SubItems, (std::vector<std::string>{"40", "40", "1", "native", "Pad.ENU.lng"}));
  EXPECT_EQ(report.lvReport.Rows()[1].SubItems, (std::vector<std::string>{"40", "3", "1", "75.0%", "Pad.DEU.lng"}));
  EXPECT_EQ(report.lvReport.Rows()[2].SubItems[3], "0.0%");
  EXPECT_EQ(report.edProblems.Text(), "");
  EXPECT_TRUE(report.edProblems.ReadOnly);
  EXPECT_EQ(report.lblProblems.Caption(), "No problems");
}

TEST_F(RunReportLogicTest, FailedFilesWriteErrorsAndWarningsAreCollectedWithAWarning) {
  WrittenAll();
  result_.Stats.Languages.pop_back();
  result_.Stats.FilesFailed = 2;
  result_.Stats.Errors = {{"/src/en/A.dfm", "Invalid property (line 3)"}, {"/src/de/B.res", "Invalid file format"}};
  result_.Stats.WriteErrors = {{"/out/Pad.FRA.lng", "Can not open language file exclusively"}};
  result_.Stats.Warnings = {"The folder \"/src/fr\" of French does not exist: its translations keep the native copies"};
  TRunReportLogic report(library_, result_, Coverage());
  EXPECT_EQ(report.Outcome(), TRunOutcome::CompleteWithProblems);
  EXPECT_TRUE(report.Warning());
  EXPECT_EQ(report.lblHeadline.Caption(), "Processing complete, with problems");
  EXPECT_EQ(report.edProblems.Text(),
            "Failed: /src/en/A.dfm: Invalid property (line 3)\n"
            "Failed: /src/de/B.res: Invalid file format\n"
            "Not written: /out/Pad.FRA.lng: Can not open language file exclusively\n"
            "Warning: The folder \"/src/fr\" of French does not exist: its translations keep the native copies");
  EXPECT_EQ(report.lvReport.Rows()[2].SubItems.back(), "not written");
  EXPECT_EQ(report.lvReport.Rows()[2].SubItems[0], "");
  EXPECT_NE(report.lblSummary.Caption().find("2 files failed\nLanguage files written: 2 of 3"), std::string::npos);

  // A warning alone is enough for the warning state.
  TRunResult onlyWarning;
  onlyWarning.Stats.Warnings = {"Unused items were not removed"};
  onlyWarning.LibIni = "/out/lib.ini";
  EXPECT_TRUE(TRunReportLogic(library_, onlyWarning, {}).Warning());
}

TEST_F(RunReportLogicTest, CancelledAndFailedRunsSayWhatWasNotWritten) {
  Written(0x0409, "/out/Pad.ENU.lng", 40, 0, 2);
  result_.Stats.Cancelled = true;
  TRunReportLogic cancelled(library_, result_, {});
  EXPECT_EQ(cancelled.Outcome(), TRunOutcome::Cancelled);
  EXPECT_TRUE(cancelled.Warning());
  EXPECT_EQ(cancelled.lblHeadline.Caption(), "Processing cancelled");
  EXPECT_NE(cancelled.lblSummary.Caption().find("Language files written: 1 of 3"), std::string::npos);
  EXPECT_NE(cancelled.lblSummary.Caption().find("nothing was written for the language in progress"),
            std::string::npos);
  EXPECT_EQ(cancelled.lvReport.Rows()[1].SubItems.back(), "not written");
  EXPECT_EQ(cancelled.lvReport.Rows()[1].SubItems[3], "") << "no coverage was read";

  result_.Stats.Cancelled = false;
  result_.Failure = TRunFileError{"/out/Pad.DEU.lng", "Invalid file format"};
  TRunReportLogic failed(library_, result_, {});
  EXPECT_EQ(failed.Outcome(), TRunOutcome::Failed);
  EXPECT_EQ(failed.lblHeadline.Caption(), "Processing stopped by an error");
  EXPECT_EQ(failed.edProblems.Text(), "Error: /out/Pad.DEU.lng: Invalid file format");
  EXPECT_NE(failed.lblSummary.Caption().find("lib.ini was not written."), std::string::npos);
}

TEST_F(RunReportLogicTest, LargeCountsAreGroupedByThousands) {
  Written(0x0409, "/out/Pad.ENU.lng", 55000, 1200, 1);
  result_.Stats.FilesRead = {1, 0, 0, 12500};
  result_.Stats.FilesFailed = 1;
  TRunReportLogic report(library_, result_, {});
  EXPECT_EQ(report.lvReport.Rows()[0].SubItems[0], "55,000");
  EXPECT_EQ(report.lvReport.Rows()[0].SubItems[1], "1,200");
  EXPECT_NE(report.lblSummary.Caption().find("12,500 .dfm"), std::string::npos) << report.lblSummary.Caption();
  EXPECT_NE(report.lblSummary.Caption().find("; 1 file failed"), std::string::npos) << report.lblSummary.Caption();
}

TEST_F(RunReportLogicTest, CopyOpenFolderAndCloseGoThroughTheView) {
  WrittenAll();
  result_.Stats.FilesFailed = 1;
  result_.Stats.Errors = {{"/src/en/A.dfm", "Invalid property"}};
  TRunReportLogic report(library_, result_, Coverage());
  std::string copied, opened;
  bool closed = false;
  report.btCopy.Click();  // no view yet: nothing happens
  report.CopyText = [&copied](const std::string& text) { copied = text; };
  report.OpenFolder = [&opened](const std::string& folder) { opened = folder; };
  report.CloseReport = [&closed] { closed = true; };
  report.btCopy.Click();
  report.btOpenFolder.Click();
  report.btClose.Click();
  EXPECT_EQ(opened, "/out");
  EXPECT_TRUE(closed);
  EXPECT_EQ(copied, report.Text());
  EXPECT_EQ(copied.rfind("Processing complete, with problems\nFiles read: ", 0), 0u) << copied;
  EXPECT_NE(copied.find("Language\tItems\tChanged\tRevision\tCoverage\tFile written\n"), std::string::npos);
  EXPECT_NE(copied.find("\t40\t3\t1\t75.0%\tPad.DEU.lng\n"), std::string::npos) << copied;
  EXPECT_NE(copied.find("\nFailed: /src/en/A.dfm: Invalid property\n"), std::string::npos) << copied;

  TResolvedLibrary noDest;
  EXPECT_FALSE(TRunReportLogic(noDest, result_, {}).btOpenFolder.Enabled());
}

}  // namespace
}  // namespace sw
