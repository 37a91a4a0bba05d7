// The "Move literals" dialog as Qt widgets over a TMoveLiteralsLogic that the
// caller has given its folder or files. The candidates list shows one row per
// literal: a check box with the literal, the proposed name (double-click to
// edit), the place and `offered` or why it stays (such rows are disabled and
// unticked); the preview shows the change of the current row's
// unit. "Apply" writes and accepts; "Cancel" and Esc write nothing.
#pragma once

#include <QDialog>

#include "app/MoveLiteralsLogic.h"

class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace sw::ui {

class MoveLiteralsDialog : public QDialog {
 public:
  MoveLiteralsDialog(TMoveLiteralsLogic& logic, QWidget* parent = nullptr);
  ~MoveLiteralsDialog() override;

  QTreeWidget* Candidates() const { return list_; }
  QPlainTextEdit* PreviewBox() const { return preview_; }

 private:
  void FillList();
  void RefreshChecks();
  void ItemChanged(QTreeWidgetItem* item, int column);
  void ShowPreview();

  TMoveLiteralsLogic& logic_;
  QTreeWidget* list_;
  QPlainTextEdit* preview_;
  bool filling_ = false;
};

}  // namespace sw::ui
