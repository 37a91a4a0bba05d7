// The window's run report (see RunReportLogic.h).
#include "window/RunReportLogic.h"

#include "util/LocaleCatalogue.h"
#include "window/CountsLogic.h"
#include "platform/PathNames.h"

namespace sw {

namespace {

std::string Plural(int count, const char* one, const char* many) { return CountOf(count, one, many); }

}  // namespace

TRunReportLogic::TRunReportLogic(const TResolvedLibrary& library, const TRunResult& result,
                                 const std::vector<TCoverageCell>& coverage)
    : destDir_(library.DestDir) {
  const TRunStats& stats = result.Stats;
  if (stats.Cancelled)
    outcome_ = TRunOutcome::Cancelled;
  else if (result.Failure)
    outcome_ = TRunOutcome::Failed;
  else if (!result.Ok() || !stats.Warnings.empty())
    outcome_ = TRunOutcome::CompleteWithProblems;

  for (int i = 0; i < library.Languages.Count(); ++i) {
    TRunReportLanguage language;
    language.LangId = static_cast<LANGID>(library.Languages[i]->LangId);
    language.Name = GetEnglishLangName(language.LangId);
    if (static_cast<std::size_t>(i) < coverage.size()) language.Coverage = coverage[static_cast<std::size_t>(i)];
    for (const TRunLanguageStats& written : stats.Languages) {
      if (written.LangId != language.LangId) continue;
      language.Written = true;
      language.Unchanged = written.Unchanged;
      language.Items = written.Items;
      language.ValuesChanged = written.ValuesChanged;
      language.Revision = written.Revision;
      language.FileName = written.FileName;
    }
    languages_.push_back(std::move(language));
  }

  switch (outcome_) {
    case TRunOutcome::Complete: lblHeadline.SetCaption("Processing Complete"); break;
    case TRunOutcome::CompleteWithProblems: lblHeadline.SetCaption("Processing complete, with problems"); break;
    case TRunOutcome::Cancelled: lblHeadline.SetCaption("Processing cancelled"); break;
    case TRunOutcome::Failed: lblHeadline.SetCaption("Processing stopped by an error"); break;
  }

  std::string summary = "Files read:";
  for (std::size_t k = 0; k < kFileKinds.size(); ++k) {
    summary += std::string(k ? ", " : " ") + GroupedNumber(stats.FilesRead[k]) + " ." +
               std::string(kFileKinds[k].CliName);
  }
  summary += "; " + Plural(stats.FilesFailed, "file", "files") + " failed";
  const int planned = stats.LanguageFilesPlanned > 0 ? stats.LanguageFilesPlanned : library.Languages.Count();
  summary += "\nLanguage files written: " + std::to_string(stats.LanguageFilesWritten()) + " of " +
             std::to_string(planned);
  if (stats.LanguageFilesUnchanged() > 0)
    summary += ", " + std::to_string(stats.LanguageFilesUnchanged()) + " unchanged (left as they were)";
  summary += ", in " + library.DestDir;
  if (outcome_ == TRunOutcome::Cancelled)
    summary += "\nCancelled: nothing was written for the language in progress, nor lib.ini; the languages "
               "finished before stay written.";
  else if (result.LibIni.empty())
    summary += "\nlib.ini was not written.";
  else if (result.LibIniUnchanged)
    summary += "\nlib.ini unchanged.";
  lblSummary.SetCaption(summary);

  lvReport.Columns = {{"Language", 170}, {"Items", 60},     {"Changed", 70},
                      {"Revision", 70},  {"Coverage", 80}, {"File written", 220}};
  for (const TRunReportLanguage& language : languages_) {
    TListViewModel::Row row;
    row.Caption = language.Name;
    if (language.Written) {
      row.SubItems = {GroupedNumber(language.Items), GroupedNumber(language.ValuesChanged),
                      std::to_string(language.Revision), language.Coverage.Text(),
                      ExtractFileName(language.FileName) + (language.Unchanged ? " (unchanged)" : "")};
    } else {
      row.SubItems = {"", "", "", language.Coverage.Text(), "not written"};
    }
    lvReport.AddRow(std::move(row));
  }

  std::string problems;
  auto line = [&problems](const std::string& text) {
    if (!problems.empty()) problems += "\n";
    problems += text;
  };
  if (result.Failure) line("Error: " + result.Failure->Describe());
  for (const TRunFileError& error : stats.Errors) line("Failed: " + error.Describe());
  for (const TRunFileError& error : stats.WriteErrors) line("Not written: " + error.Describe());
  for (const std::string& warning : stats.Warnings) line("Warning: " + warning);
  edProblems.ReadOnly = true;
  edProblems.SetText(problems);
  lblProblems.SetCaption(problems.empty() ? "No problems" : "Problems (select and copy, or use Copy report)");

  btCopy.OnClick = [this] {
    if (CopyText) CopyText(Text());
  };
  btOpenFolder.SetEnabled(!destDir_.empty());
  btOpenFolder.OnClick = [this] {
    if (OpenFolder) OpenFolder(destDir_);
  };
  btClose.OnClick = [this] {
    if (CloseReport) CloseReport();
  };
}

std::string TRunReportLogic::Text() const {
  std::string text = lblHeadline.Caption() + "\n" + lblSummary.Caption() + "\n\n";
  for (const auto& column : lvReport.Columns) text += (&column == &lvReport.Columns.front() ? "" : "\t") + column.Caption;
  text += "\n";
  for (const auto& row : lvReport.Rows()) {
    text += row.Caption;
    for (const auto& sub : row.SubItems) text += "\t" + sub;
    text += "\n";
  }
  if (!edProblems.Text().empty()) text += "\n" + edProblems.Text() + "\n";
  return text;
}

}  // namespace sw
