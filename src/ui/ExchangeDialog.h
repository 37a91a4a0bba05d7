// The export/import dialog of the translators' exchange: the widgets of
// TExchangeDialogLogic, and the file dialog its "..." button opens (a save
// dialog for an export, an open dialog for an import).
#pragma once

#include <QDialog>

#include "window/ExchangeDialogLogic.h"

namespace sw::ui {

class ExchangeDialog : public QDialog {
 public:
  ExchangeDialog(TExchangeDialogLogic& logic, QWidget* parent = nullptr);
  ~ExchangeDialog() override;

 private:
  void Browse();
  TExchangeDialogLogic& logic_;
};

}  // namespace sw::ui
