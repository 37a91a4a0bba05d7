// The "Move literals" dialog as Qt widgets over a TMoveLiteralsLogic that the
// caller has given its folder or files. The units list has a check box per
// unit (none ticked for a folder); the candidates list shows one row per
// literal of the ticked units: a check box with the literal, the proposed name
// (double-click to edit), the place and `offered` or why it stays (such rows
// are disabled and unticked); the preview shows the change of the current
// row's unit. "Apply" asks, writes and then shows the files written in place
// of the preview, "Close" accepts; "Cancel" and Esc write nothing. No button
// is the default: Enter never rewrites units.
#pragma once

#include <QDialog>

#include "window/MoveLiteralsLogic.h"

class QListWidget;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace sw::ui {

class MoveLiteralsDialog : public QDialog {
 public:
  MoveLiteralsDialog(TMoveLiteralsLogic& logic, QWidget* parent = nullptr);
  ~MoveLiteralsDialog() override;

  QListWidget* Units() const { return units_; }
  QTreeWidget* Candidates() const { return list_; }
  QPlainTextEdit* PreviewBox() const { return preview_; }

 private:
  void FillList();
  void RefreshChecks();
  void ItemChanged(QTreeWidgetItem* item, int column);
  void ShowPreview();

  TMoveLiteralsLogic& logic_;
  QListWidget* units_;
  QTreeWidget* list_;
  QPlainTextEdit* preview_;
  bool filling_ = false;
};

}  // namespace sw::ui
