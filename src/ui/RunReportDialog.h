// The run report window: the headline with an information or warning icon,
// the summary, one row per language (coverage drawn as a bar), the problems in
// a read-only text the user can select and copy, and the actions Copy report,
// Open destination folder and Close. Every text and decision is
// TRunReportLogic's.
#pragma once

#include <QDialog>

#include "window/RunReportLogic.h"

class QLabel;
class QPlainTextEdit;
class QTreeWidget;

namespace sw::ui {

class RunReportDialog : public QDialog {
 public:
  RunReportDialog(TRunReportLogic& logic, QWidget* parent = nullptr);

  // Opens a folder in the file manager; false when nothing could open it.
  static bool OpenFolderInFileManager(const std::string& folder);

 private:
  TRunReportLogic& logic_;
};

}  // namespace sw::ui
