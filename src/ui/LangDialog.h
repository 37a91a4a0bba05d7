// The language settings dialog as Qt widgets over a TLangDialogLogic that the
// caller has already prepared (tree filled, source folder set, sub-folder
// preselected). The locale tree shows the logic's TLocaleTree with its groups
// collapsed, only the branch of the selected language opened (while a filter
// is typed, the groups with matching locales open); "OK" accepts,
// "Cancel" and Esc reject.
#pragma once

#include <QDialog>

#include "window/LangDialogLogic.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace sw::ui {

class LangDialog : public QDialog {
 public:
  LangDialog(TLangDialogLogic& logic, QWidget* parent = nullptr);
  ~LangDialog() override;

  QTreeWidget* Tree() const { return tree_; }
  // The tree item that shows `node`; nullptr when none does.
  QTreeWidgetItem* ItemOf(const TLocaleTreeNode* node) const;

 private:
  void FillTree();
  void ShowSelection();
  // Hides the nodes the logic's filter leaves out.
  void ApplyFilter();

  TLangDialogLogic& logic_;
  QTreeWidget* tree_;
};

}  // namespace sw::ui
