#include "ui/AboutBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTextBrowser>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"

namespace sw::ui {

AboutBox::AboutBox(const std::string& programFile, QWidget* parent)
    // The read-me is Markdown: it is shown rendered here rather than as raw
    // text in whatever the desktop opens a ".txt" with.
    : QDialog(parent), logic_(std::make_unique<TAboutBoxLogic>(programFile, nullptr)) {
  logic_->OnShowText = [this](const std::string& title, const std::string& text) { ShowText(title, text); };
  logic_->OnShowError = [this](const std::string& message) {
    QMessageBox box(QMessageBox::Critical, "Error", ToQ(message), QMessageBox::Ok, this);
    box.setObjectName("Error");
    ExecModal(box);
  };
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  BindWindowTitle(logic_->AboutBox, this);

  auto* pnlMain = new QFrame(this);
  pnlMain->setObjectName("pnlMain");
  pnlMain->setFrameShape(QFrame::StyledPanel);
  pnlMain->setFrameShadow(QFrame::Sunken);

  auto* programIcon = new QLabel(pnlMain);
  programIcon->setObjectName("ProgramIcon");
  programIcon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(48, 48));
  programIcon->setAlignment(Qt::AlignTop);

  auto* productName = Bound<QLabel>(logic_->ProductName, pnlMain);
  QFont bold = productName->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.6);
  productName->setFont(bold);
  auto* label1 = Bound<QLabel>(logic_->Label1, pnlMain);
  auto* lblVersion = Bound<QLabel>(logic_->lblVersion, pnlMain);
  auto* lblCopyright = Bound<QLabel>(logic_->lblCopyright, pnlMain);
  lblCopyright->setWordWrap(true);

  auto* texts = new QVBoxLayout;
  texts->addWidget(productName);
  texts->addWidget(label1);
  texts->addSpacing(12);
  texts->addWidget(lblVersion);
  texts->addWidget(lblCopyright);
  texts->addStretch();
  auto* panel = new QHBoxLayout(pnlMain);
  panel->addWidget(programIcon);
  panel->addSpacing(8);
  panel->addLayout(texts, 1);

  QPushButton* btMoreInfo = BoundButton(logic_->btMoreInfo, this, false);
  auto* okButton = Bound<QPushButton>(logic_->OKButton, this);
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btMoreInfo);
  buttons->addStretch();
  buttons->addWidget(okButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pnlMain);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(320);
}

void AboutBox::ShowText(const std::string& title, const std::string& text) {
  QDialog dialog(this);
  dialog.setObjectName("ReadmeText");
  dialog.setWindowTitle(ToQ(title));
  dialog.setWindowFlags(dialog.windowFlags() & ~Qt::WindowContextHelpButtonHint);
  auto* view = new QTextBrowser(&dialog);
  view->setObjectName("ReadmeView");
  view->setOpenExternalLinks(true);
  view->setMarkdown(ToQ(text));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  buttons->button(QDialogButtonBox::Close)->setObjectName("btClose");
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(view);
  layout->addWidget(buttons);
  dialog.resize(720, 560);
  ExecModal(dialog);
}

AboutBox::~AboutBox() {
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
}

}  // namespace sw::ui
