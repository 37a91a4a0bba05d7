// The report the window shows at the end of every run, free of any window
// toolkit: a headline (complete, complete with problems, cancelled, stopped
// by an error) with a warning state whenever anything failed, was skipped or
// was not written; per language the items, the values changed, the coverage
// and the file written (or "unchanged" when it was kept as it was); the files read per kind; the list of failed files
// with their messages and the run's warnings in a text the user can select
// and copy; and an action that opens the destination folder.
//
// The run collects its per-file errors (TRunStats::Errors); nothing is shown
// while it runs, everything is shown here once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "window/Controls.h"
#include "window/LanguageCoverage.h"
#include "app/LibraryRun.h"

namespace sw {

enum class TRunOutcome { Complete, CompleteWithProblems, Cancelled, Failed };

struct TRunReportLanguage {
  LANGID LangId = 0;
  std::string Name;  // English name
  bool Written = false;  // written, or kept unchanged (`Unchanged`)
  bool Unchanged = false;
  int Items = 0;
  int ValuesChanged = 0;
  int Revision = 0;
  std::string FileName;  // the file written, or the one that was not
  TCoverageCell Coverage;
};

class TRunReportLogic {
 public:
  // `coverage` holds one cell per language of `library` (may be empty).
  TRunReportLogic(const TResolvedLibrary& library, const TRunResult& result,
                  const std::vector<TCoverageCell>& coverage);
  TRunReportLogic(const TRunReportLogic&) = delete;
  TRunReportLogic& operator=(const TRunReportLogic&) = delete;

  TRunOutcome Outcome() const { return outcome_; }
  // A warning icon goes with everything but a clean run.
  bool Warning() const { return outcome_ != TRunOutcome::Complete; }
  const std::vector<TRunReportLanguage>& Languages() const { return languages_; }
  const std::string& DestDir() const { return destDir_; }
  // The whole report as plain text (what "Copy" puts on the clipboard).
  std::string Text() const;

  // Controls.
  TLabelModel RunReport{"RunReport", "Run Report"};  // the window title
  TLabelModel lblHeadline{"lblHeadline"};
  TLabelModel lblSummary{"lblSummary"};  // files read, files failed, languages written
  TListViewModel lvReport{"lvReport"};
  TLabelModel lblProblems{"lblProblems", "Problems"};
  TEditModel edProblems{"edProblems"};  // read-only, one problem per line; empty when there were none
  TButtonModel btCopy{"btCopy", "&Copy report"};
  TButtonModel btOpenFolder{"btOpenFolder", "&Open destination folder"};
  TButtonModel btClose{"btClose", "Close"};

  // Set by the view: the clipboard, the file manager, closing the report.
  std::function<void(const std::string& text)> CopyText;
  std::function<void(const std::string& folder)> OpenFolder;
  std::function<void()> CloseReport;

 private:
  TRunOutcome outcome_ = TRunOutcome::Complete;
  std::vector<TRunReportLanguage> languages_;
  std::string destDir_;
};

}  // namespace sw
