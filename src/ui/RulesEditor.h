// The property rules editor as Qt widgets over a TRulesEditorLogic: the list
// of rules (drag a row, or Ctrl+Up/Down, to reorder; Delete removes), the
// kind and mask of the rule being added or changed (Enter in the mask adds
// it), and the test box with its answer. OK accepts, Cancel and Esc reject;
// the caller writes the result. No button is the default: Enter in the
// dialog never closes it with half-typed rules.
#pragma once

#include <QDialog>

#include "window/RulesEditorLogic.h"

namespace sw::ui {

class RulesEditor : public QDialog {
 public:
  RulesEditor(TRulesEditorLogic& logic, QWidget* parent = nullptr);
  ~RulesEditor() override;

 private:
  TRulesEditorLogic& logic_;
};

}  // namespace sw::ui
