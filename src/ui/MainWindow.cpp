#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/FileSystem.h"
#include "ui/AboutBox.h"
#include "ui/Binding.h"
#include "ui/LangDialog.h"
#include "ui/ModalDialogs.h"
#include "ui/MoveLiteralsDialog.h"

namespace sw::ui {

namespace {

// "Move literals...": the dialog over the current library's native folder
// (empty when there is none; the user then picks files in the dialog).
void ExecMoveLiterals(TMainWindowLogic& window, QWidget* parent) {
  TMoveLiteralsLogic logic;
  const std::string folder = TMoveLiteralsLogic::NativeFolder(window.edSrcDir.Text(), window.Languages);
  if (!folder.empty() && platform::DirectoryExists(folder)) logic.SetFolder(folder);
  MoveLiteralsDialog dialog(logic, parent);
  ExecModal(dialog);
}

QWidget* Panel(const char* name, QWidget* parent) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(name);
  return panel;
}

QPushButton* Button(TButtonModel& model, QWidget* parent) {
  auto* button = new QPushButton(parent);
  Bind(model, button);
  // A focused button takes Enter itself; elsewhere Enter reaches the default button.
  button->setAutoDefault(true);
  return button;
}

QToolButton* FolderButton(TButtonModel& model, QWidget* parent) {
  auto* button = new QToolButton(parent);
  Bind(model, button);
  button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
  button->setAutoRaise(false);
  return button;
}

QLabel* Label(TLabelModel& model, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(parent);
  Bind(model, label);
  if (buddy) label->setBuddy(buddy);
  return label;
}

// The folder selection dialog: a folder may be created with the dialog's own
// button, and a folder typed in that does not exist yet is created on OK
// after the user confirmed it.
class FolderDialog : public QFileDialog {
 public:
  FolderDialog(QWidget* parent, const QString& start) : QFileDialog(parent, QString(), start) {
    setObjectName("SelectFolder");
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
    setAcceptMode(QFileDialog::AcceptOpen);
  }

  void accept() override {
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && !QFileInfo::exists(files.first())) {
      const QString folder = QDir::toNativeSeparators(files.first());
      QMessageBox box(QMessageBox::Question, QString(), QString("The folder %1 does not exist. Create it?").arg(folder),
                      QMessageBox::Yes | QMessageBox::No, this);
      box.setObjectName("CreateFolder");
      if (ExecModal(box) != QMessageBox::Yes) return;
      if (!QDir().mkpath(folder)) {
        QMessageBox error(QMessageBox::Critical, "Error", QString("Cannot create the folder %1").arg(folder),
                          QMessageBox::Ok, this);
        ExecModal(error);
        return;
      }
    }
    QFileDialog::accept();
  }
};

}  // namespace

MainWindow::MainWindow(const std::string& settingsFileName, const std::string& programFile, QWidget* parent)
    : QMainWindow(parent) {
  logic_ = std::make_unique<TMainWindowLogic>(settingsFileName, *this);
  BuildWidgets();
  // The language dialog is made afresh for every use; the about box lives as long as the window.
  aboutBox_ = new AboutBox(programFile, this);
}

MainWindow::~MainWindow() {
  // The widgets go before the logic whose models they are bound to, and
  // nothing they signal on the way out may reach it.
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
  delete menuBar();
  delete centralWidget();
}

void MainWindow::BuildWidgets() {
  TMainWindowLogic& l = *logic_;
  BindWindowTitle(l.MainForm, this);

  // Menu.
  QMenuBar* mainMenu = menuBar();
  mainMenu->setObjectName("MainMenu");
  auto* miLibrary = new QMenu(mainMenu);
  Bind(l.miLibrary, miLibrary);
  auto* miNew = new QAction(miLibrary);
  Bind(l.miNew, miNew);
  miNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  auto* miDelete = new QAction(miLibrary);
  Bind(l.miDelete, miDelete);
  miDelete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  QAction* n1 = new QAction(miLibrary);
  n1->setSeparator(true);
  n1->setObjectName("N1");
  auto* miExit = new QAction(miLibrary);
  Bind(l.miExit, miExit);
  auto* miMoveLiterals = new QAction(QString::fromUtf8("&Move literals\u2026"), miLibrary);
  miMoveLiterals->setObjectName("miMoveLiterals");
  connect(miMoveLiterals, &QAction::triggered, this, [this] { ExecMoveLiterals(*logic_, this); });
  miLibrary->addAction(miNew);
  miLibrary->addAction(miDelete);
  miLibrary->addAction(miMoveLiterals);
  miLibrary->addAction(n1);
  miLibrary->addAction(miExit);
  mainMenu->addMenu(miLibrary);
  auto* help1 = new QMenu(mainMenu);
  Bind(l.Help1, help1);
  auto* about1 = new QAction(help1);
  Bind(l.About1, about1);
  help1->addAction(about1);
  mainMenu->addMenu(help1);

  auto* central = new QWidget(this);
  central->setObjectName("MainFormClient");
  setCentralWidget(central);

  // Right panel: Process and Close.
  QWidget* pnlRight = Panel("pnlRight", central);
  auto* btProcess = Button(l.btProcess, pnlRight);
  btProcess->setDefault(true);
  auto* btClose = Button(l.btClose, pnlRight);
  auto* right = new QVBoxLayout(pnlRight);
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(btProcess);
  right->addWidget(btClose);
  right->addStretch();

  // Top panel: the library chooser.
  QWidget* pnlTop = Panel("pnlTop", central);
  auto* cbLibraries = new QComboBox(pnlTop);
  Bind(l.cbLibraries, cbLibraries);
  cbLibraries->setMinimumWidth(260);
  auto* top = new QHBoxLayout(pnlTop);
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(Label(l.Label1, cbLibraries, pnlTop));
  top->addWidget(cbLibraries, 1);

  // Library settings.
  auto* gbLibSettings = new QGroupBox(central);
  Bind(l.gbLibSettings, gbLibSettings);
  QWidget* pnlLibNames = Panel("pnlLibNames", gbLibSettings);
  auto* edLibName = new QLineEdit(pnlLibNames);
  Bind(l.edLibName, edLibName);
  auto* edLibShortName = new QLineEdit(pnlLibNames);
  Bind(l.edLibShortName, edLibShortName);
  auto* names = new QGridLayout(pnlLibNames);
  names->setContentsMargins(0, 0, 0, 0);
  names->addWidget(Label(l.Label2, edLibName, pnlLibNames), 0, 0);
  names->addWidget(edLibName, 1, 0);
  names->addWidget(Label(l.Label3, edLibShortName, pnlLibNames), 0, 1);
  names->addWidget(edLibShortName, 1, 1);
  names->setColumnStretch(0, 3);
  names->setColumnStretch(1, 2);

  QWidget* pnlLibSetsTop = Panel("pnlLibSetsTop", gbLibSettings);
  auto* edSrcDir = new QLineEdit(pnlLibSetsTop);
  Bind(l.edSrcDir, edSrcDir);
  auto* edDestDir = new QLineEdit(pnlLibSetsTop);
  Bind(l.edDestDir, edDestDir);
  auto* cbRemoveUnusedItems = new QCheckBox(pnlLibSetsTop);
  Bind(l.cbRemoveUnusedItems, cbRemoveUnusedItems);
  auto* sets = new QGridLayout(pnlLibSetsTop);
  sets->setContentsMargins(0, 0, 0, 0);
  sets->addWidget(Label(l.lblSrcDir, edSrcDir, pnlLibSetsTop), 0, 0, 1, 2);
  sets->addWidget(edSrcDir, 1, 0);
  sets->addWidget(FolderButton(l.sbSrcDir, pnlLibSetsTop), 1, 1);
  sets->addWidget(Label(l.lblDestDir, edDestDir, pnlLibSetsTop), 2, 0, 1, 2);
  sets->addWidget(edDestDir, 3, 0);
  sets->addWidget(FolderButton(l.sbDestDir, pnlLibSetsTop), 3, 1);
  sets->addWidget(cbRemoveUnusedItems, 4, 0, 1, 2);

  auto* libSettings = new QVBoxLayout(gbLibSettings);
  libSettings->addWidget(pnlLibNames);
  libSettings->addWidget(pnlLibSetsTop);

  // File kinds.
  auto* gbFilesToScan = new QGroupBox(central);
  Bind(l.gbFilesToScan, gbFilesToScan);
  auto* files = new QGridLayout(gbFilesToScan);
  int column = 0;
  for (TCheckBoxModel* model : {&l.cbResFiles, &l.cbPasFiles, &l.cbDFMFiles, &l.cbRCFiles}) {
    auto* box = new QCheckBox(gbFilesToScan);
    Bind(*model, box);
    files->addWidget(box, column / 2, column % 2);
    ++column;
  }

  // Languages.
  auto* gbLanguages = new QGroupBox(central);
  Bind(l.gbLanguages, gbLanguages);
  auto* lvLanguages = new ListViewWidget(gbLanguages);
  Bind(l.lvLanguages, lvLanguages);
  lvLanguages->setMinimumHeight(120);
  QWidget* pnlLangControl = Panel("pnlLangControl", gbLanguages);
  auto* langButtons = new QVBoxLayout(pnlLangControl);
  langButtons->setContentsMargins(0, 0, 0, 0);
  for (TButtonModel* model : {&l.btAuto, &l.btAddLang, &l.btEditLang, &l.btDelLang})
    langButtons->addWidget(Button(*model, pnlLangControl));
  langButtons->addStretch();
  auto* pnlLangCount = new QLabel(gbLanguages);
  Bind(l.pnlLangCount, pnlLangCount);
  pnlLangCount->setFrameShape(QFrame::StyledPanel);
  pnlLangCount->setFrameShadow(QFrame::Sunken);
  auto* languages = new QGridLayout(gbLanguages);
  languages->addWidget(lvLanguages, 0, 0);
  languages->addWidget(pnlLangControl, 0, 1);
  languages->addWidget(pnlLangCount, 1, 0, 1, 2);
  languages->setRowStretch(0, 1);

  auto* left = new QVBoxLayout;
  left->addWidget(pnlTop);
  left->addWidget(gbLibSettings);
  left->addWidget(gbFilesToScan);
  left->addWidget(gbLanguages, 1);
  auto* layout = new QHBoxLayout(central);
  layout->addLayout(left, 1);
  layout->addWidget(pnlRight);

  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);

  resize(620, 640);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    logic_->FormShow();
    // The settings file cannot be used: the window closes as soon as it can
    // (not from inside its own show event).
    if (logic_->Quitting) QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A failed save may keep the window open.
  if (logic_->FormClose())
    event->accept();
  else
    event->ignore();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // A key a text field edits with (Ctrl+Del deletes a word) stays with the
  // field instead of firing a menu shortcut: Ctrl+Del in an edit must never
  // delete the library.
  if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Delete)) {
      event->accept();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Enter that no control used belongs to the default button.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    if (auto* button = findChild<QPushButton*>("btProcess"); button && button->isEnabled()) {
      button->click();
      return;
    }
  }
  QMainWindow::keyPressEvent(event);
}

// ---- Dialogs ------------------------------------------------------------------

bool MainWindow::SelectFolder(std::string& folder) {
  FolderDialog dialog(this, ToQ(folder));
  if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  folder = FromQ(QDir::toNativeSeparators(dialog.selectedFiles().first()));
  return true;
}

bool MainWindow::ExecLanguageDialog(TLangDialogLogic& dialog) {
  LangDialog window(dialog, this);
  return ExecModal(window) == QDialog::Accepted;
}

void MainWindow::ShowAboutBox() {
  aboutBox_->adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    aboutBox_->move(screen->availableGeometry().center() - aboutBox_->rect().center());
  ExecModal(*aboutBox_);
}

void MainWindow::ShowInformation(const std::string& text) {
  QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), ToQ(text), QMessageBox::Ok, this);
  box.setObjectName("Information");
  ExecModal(box);
}

TCloseAnswer MainWindow::AskCloseAfterFailedSave(const std::string& message) {
  QMessageBox box(QMessageBox::Warning, "Error", ToQ(message), QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel,
                  this);
  box.setObjectName("CloseSaveFailed");
  box.button(QMessageBox::Discard)->setText("Close &anyway");
  box.button(QMessageBox::Cancel)->setText("&Keep open");
  box.setDefaultButton(QMessageBox::Retry);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (ExecModal(box)) {
    case QMessageBox::Retry: return TCloseAnswer::Retry;
    case QMessageBox::Discard: return TCloseAnswer::CloseAnyway;
    default: return TCloseAnswer::KeepOpen;
  }
}

void MainWindow::ShowError(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, "Error", ToQ(message), QMessageBox::Ok, this);
  box.setObjectName("Error");
  ExecModal(box);
}

void MainWindow::SetWaitCursor(bool wait) {
  if (wait)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void MainWindow::CloseWindow() { close(); }

}  // namespace sw::ui
