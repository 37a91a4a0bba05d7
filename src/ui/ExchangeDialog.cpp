#include "ui/ExchangeDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"

namespace sw::ui {

ExchangeDialog::ExchangeDialog(TExchangeDialogLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  BindWindowTitle(logic.dlgExchange, this);
  const bool exporting = logic.Mode() == TExchangeDialogLogic::TMode::Export;

  auto* cbLanguage = Bound<QComboBox>(logic.cbLanguage, this);
  auto* cbFormat = Bound<QComboBox>(logic.cbFormat, this);
  auto* cbOnlyOpen = Bound<QCheckBox>(logic.cbOnlyOpen, this);
  auto* cbForce = Bound<QCheckBox>(logic.cbForce, this);
  auto* edFile = Bound<QLineEdit>(logic.edFile, this);
  edFile->setMinimumWidth(360);
  auto* sbFile = Bound<QToolButton>(logic.sbFile, this);
  logic.OnBrowse = [this] { Browse(); };

  QLabel* lblLanguage = BoundLabel(logic.lblLanguage, cbLanguage, this);
  QLabel* lblFormat = BoundLabel(logic.lblFormat, cbFormat, this);
  QLabel* lblFile = BoundLabel(logic.lblFile, edFile, this);

  auto* file = new QHBoxLayout;
  file->addWidget(edFile, 1);
  file->addWidget(sbFile);
  auto* form = new QFormLayout;
  form->addRow(lblLanguage, cbLanguage);
  if (exporting) {
    form->addRow(lblFormat, cbFormat);
    form->addRow(QString(), cbOnlyOpen);
  } else {
    lblFormat->hide();
    cbFormat->hide();
    cbOnlyOpen->hide();
  }
  form->addRow(lblFile, file);
  if (!exporting)
    form->addRow(QString(), cbForce);
  else
    cbForce->hide();

  QHBoxLayout* buttons = OkCancelRow(this, logic.btOK, logic.btCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch();
  layout->addLayout(buttons);
}

ExchangeDialog::~ExchangeDialog() {
  // The logic outlives the dialog: nothing may reach these widgets afterwards.
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
  logic_.OnBrowse = nullptr;
  for (TControlModel* model : std::initializer_list<TControlModel*>{
           &logic_.dlgExchange, &logic_.lblLanguage, &logic_.cbLanguage, &logic_.lblFormat, &logic_.cbFormat,
           &logic_.cbOnlyOpen, &logic_.cbForce, &logic_.lblFile, &logic_.edFile, &logic_.sbFile, &logic_.btOK,
           &logic_.btCancel})
    Unbind(*model);
}

void ExchangeDialog::Browse() {
  const bool exporting = logic_.Mode() == TExchangeDialogLogic::TMode::Export;
  QFileDialog dialog(this, exporting ? "Export to" : "Import from", ToQ(logic_.BrowseStart()),
                     ToQ(logic_.FileFilter()));
  dialog.setObjectName("SelectExchangeFile");
  dialog.setAcceptMode(exporting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(exporting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  logic_.FileChosen(FromQ(QDir::toNativeSeparators(dialog.selectedFiles().first())));
}

}  // namespace sw::ui
