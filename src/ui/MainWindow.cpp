#include "ui/MainWindow.h"

#include <QApplication>
#include <QSessionManager>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/FileSystem.h"
#include "ui/AboutBox.h"
#include "ui/Binding.h"
#include "ui/ExchangeDialog.h"
#include "ui/ItemsView.h"
#include "ui/LangDialog.h"
#include "ui/ModalDialogs.h"
#include "ui/MoveLiteralsDialog.h"
#include "ui/RulesEditor.h"
#include "ui/RunReportDialog.h"
#include "ui/RunWidgets.h"

namespace sw::ui {

namespace {

// "Move literals...": the dialog over the current library's native folder
// (empty when there is none; the user then picks files in the dialog).
void ExecMoveLiterals(TMainWindowLogic& window, QWidget* parent) {
  TMoveLiteralsLogic logic;
  const std::string folder = window.NativeSourceFolder();
  if (!folder.empty() && platform::DirectoryExists(folder)) logic.SetFolder(folder);
  MoveLiteralsDialog dialog(logic, parent);
  ExecModal(dialog);
}

QWidget* Panel(const char* name, QWidget* parent) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(name);
  return panel;
}

QToolButton* FolderButton(TButtonModel& model, QWidget* parent) {
  auto* button = Bound<QToolButton>(model, parent);
  button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
  button->setAutoRaise(false);
  return button;
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
  // Runs go to a worker thread; the window stays responsive and shows their progress.
  runHost_ = new QtRunHost(this);
  logic_->SetRunHost(runHost_);
  BuildWidgets();
  // Remembers where the focus is in this window while no run is on.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now && now->window() == this && !logic_->Running()) focusBeforeRun_ = now;
  });
  // A logout asks the program to save what it has: the library is saved as on close.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SaveForShutdown(); });
  // The language dialog is made afresh for every use; the about box lives as long as the window.
  aboutBox_ = new AboutBox(programFile, this);
}

MainWindow::~MainWindow() {
  // A run still going ends first; what it would still deliver is dropped with the host.
  delete runHost_;
  logic_->SetRunHost(nullptr);
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
  auto* miLibrary = Bound<QMenu>(l.miLibrary, mainMenu);
  auto* miNew = Bound<QAction>(l.miNew, miLibrary);
  miNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  auto* miDelete = Bound<QAction>(l.miDelete, miLibrary);
  miDelete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  QAction* n1 = new QAction(miLibrary);
  n1->setSeparator(true);
  n1->setObjectName("N1");
  auto* miExit = Bound<QAction>(l.miExit, miLibrary);
  auto* miMoveLiterals = new QAction(QString::fromUtf8("&Move literals\u2026"), miLibrary);
  miMoveLiterals->setObjectName("miMoveLiterals");
  connect(miMoveLiterals, &QAction::triggered, this, [this] { ExecMoveLiterals(*logic_, this); });
  miLibrary->addAction(miNew);
  miLibrary->addAction(miDelete);
  miLibrary->addAction(miMoveLiterals);
  // The translators' exchange, where this build has it.
  if (l.ExchangeAvailable())
    for (TButtonModel* model : {&l.miExport, &l.miImport}) miLibrary->addAction(Bound<QAction>(*model, miLibrary));
  for (TButtonModel* model : {&l.miItems, &l.miPseudo, &l.miPropRules, &l.miDefaultRules})
    miLibrary->addAction(Bound<QAction>(*model, miLibrary));
  miLibrary->addAction(n1);
  miLibrary->addAction(miExit);
  mainMenu->addMenu(miLibrary);
  auto* help1 = Bound<QMenu>(l.Help1, mainMenu);
  help1->addAction(Bound<QAction>(l.About1, help1));
  mainMenu->addMenu(help1);

  // Everything below the menu scrolls when the screen is smaller than the
  // window's content (large scale factors on small screens).
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("MainFormScroll");
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  // A scroll area takes the focus by default, but shows none: no Tab stop.
  scroll->setFocusPolicy(Qt::NoFocus);
  auto* central = new QWidget(scroll);
  central->setObjectName("MainFormClient");
  scroll->setWidget(central);
  // The run's panel stays below the scrolled controls, always in view while a run is on.
  auto* body = new QWidget(this);
  body->setObjectName("MainFormBody");
  auto* bodyLayout = new QVBoxLayout(body);
  bodyLayout->setContentsMargins(0, 0, 0, 0);
  bodyLayout->setSpacing(0);
  bodyLayout->addWidget(scroll, 1);
  setCentralWidget(body);

  // The status bar names the settings file in use.
  auto* pnlSettingsFile = Bound<QLabel>(l.pnlSettingsFile, statusBar());
  pnlSettingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pnlSettingsFile->setToolTip(ToQ(l.SettingsFileName()));
  // A long path is cut at the window's edge rather than widening the window.
  pnlSettingsFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  pnlSettingsFile->setMinimumWidth(1);
  statusBar()->setObjectName("StatusBar");
  statusBar()->addWidget(pnlSettingsFile, 1);

  // Right panel: Process and Close.
  QWidget* pnlRight = Panel("pnlRight", central);
  auto* btProcess = BoundButton(l.btProcess, pnlRight, true);
  btProcess->setDefault(true);
  auto* btClose = BoundButton(l.btClose, pnlRight, true);
  // Enter on a focused Close (where the focus falls while Process is off
  // during a run) must never end the program.
  btClose->setAutoDefault(false);
  auto* lblProcessReason = new QLabel(pnlRight);
  BindNote(l.lblProcessReason, lblProcessReason);
  lblProcessReason->setMaximumWidth(btProcess->sizeHint().width() * 2);
  auto* right = new QVBoxLayout(pnlRight);
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(btProcess);
  right->addWidget(btClose);
  right->addWidget(lblProcessReason);
  right->addStretch();
  btProcess_ = btProcess;

  // Top panel: the library chooser.
  QWidget* pnlTop = Panel("pnlTop", central);
  auto* cbLibraries = Bound<QComboBox>(l.cbLibraries, pnlTop);
  cbLibraries->setMinimumWidth(260);
  auto* top = new QHBoxLayout(pnlTop);
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(BoundLabel(l.Label1, cbLibraries, pnlTop));
  top->addWidget(cbLibraries, 1);

  // Library settings.
  auto* gbLibSettings = Bound<QGroupBox>(l.gbLibSettings, central);
  QWidget* pnlLibNames = Panel("pnlLibNames", gbLibSettings);
  auto* edLibName = Bound<QLineEdit>(l.edLibName, pnlLibNames);
  auto* edLibShortName = Bound<QLineEdit>(l.edLibShortName, pnlLibNames);
  auto* names = new QGridLayout(pnlLibNames);
  names->setContentsMargins(0, 0, 0, 0);
  names->addWidget(BoundLabel(l.Label2, edLibName, pnlLibNames), 0, 0);
  names->addWidget(edLibName, 1, 0);
  names->addWidget(BoundLabel(l.Label3, edLibShortName, pnlLibNames), 0, 1);
  names->addWidget(edLibShortName, 1, 1);
  names->setColumnStretch(0, 3);
  names->setColumnStretch(1, 2);

  // Created in tab order: each folder button right after its edit.
  QWidget* pnlLibSetsTop = Panel("pnlLibSetsTop", gbLibSettings);
  auto* edSrcDir = Bound<QLineEdit>(l.edSrcDir, pnlLibSetsTop);
  QToolButton* sbSrcDir = FolderButton(l.sbSrcDir, pnlLibSetsTop);
  auto* edDestDir = Bound<QLineEdit>(l.edDestDir, pnlLibSetsTop);
  QToolButton* sbDestDir = FolderButton(l.sbDestDir, pnlLibSetsTop);
  auto* cbRemoveUnusedItems = Bound<QCheckBox>(l.cbRemoveUnusedItems, pnlLibSetsTop);
  auto* cbKeepUnchangedFiles = Bound<QCheckBox>(l.cbKeepUnchangedFiles, pnlLibSetsTop);
  setTabOrder(edSrcDir, sbSrcDir);
  setTabOrder(sbSrcDir, edDestDir);
  setTabOrder(edDestDir, sbDestDir);
  setTabOrder(sbDestDir, cbRemoveUnusedItems);
  setTabOrder(cbRemoveUnusedItems, cbKeepUnchangedFiles);
  auto* sets = new QGridLayout(pnlLibSetsTop);
  sets->setContentsMargins(0, 0, 0, 0);
  sets->addWidget(BoundLabel(l.lblSrcDir, edSrcDir, pnlLibSetsTop), 0, 0, 1, 2);
  auto* lblSrcResolved = new QLabel(pnlLibSetsTop);
  BindNote(l.lblSrcResolved, lblSrcResolved);
  auto* lblDestResolved = new QLabel(pnlLibSetsTop);
  BindNote(l.lblDestResolved, lblDestResolved);
  sets->addWidget(edSrcDir, 1, 0);
  sets->addWidget(sbSrcDir, 1, 1);
  sets->addWidget(lblSrcResolved, 2, 0, 1, 2);
  sets->addWidget(BoundLabel(l.lblDestDir, edDestDir, pnlLibSetsTop), 3, 0, 1, 2);
  sets->addWidget(edDestDir, 4, 0);
  sets->addWidget(sbDestDir, 4, 1);
  sets->addWidget(lblDestResolved, 5, 0, 1, 2);
  sets->addWidget(cbRemoveUnusedItems, 6, 0, 1, 2);
  sets->addWidget(cbKeepUnchangedFiles, 7, 0, 1, 2);

  auto* libSettings = new QVBoxLayout(gbLibSettings);
  libSettings->addWidget(pnlLibNames);
  libSettings->addWidget(pnlLibSetsTop);

  // File kinds.
  auto* gbFilesToScan = Bound<QGroupBox>(l.gbFilesToScan, central);
  auto* files = new QGridLayout(gbFilesToScan);
  int column = 0;
  for (const auto& model : l.FileKindBoxes) {
    auto* box = Bound<QCheckBox>(*model, gbFilesToScan);
    files->addWidget(box, column / 2, column % 2);
    ++column;
  }

  // Languages.
  auto* gbLanguages = Bound<QGroupBox>(l.gbLanguages, central);
  auto* lvLanguages = Bound<ListViewWidget>(l.lvLanguages, gbLanguages);
  lvLanguages->setMinimumHeight(100);
  QWidget* pnlLangControl = Panel("pnlLangControl", gbLanguages);
  auto* langButtons = new QVBoxLayout(pnlLangControl);
  langButtons->setContentsMargins(0, 0, 0, 0);
  for (TButtonModel* model : {&l.btAuto, &l.btAddLang, &l.btEditLang, &l.btDelLang, &l.btMoveUp, &l.btMoveDown})
    langButtons->addWidget(BoundButton(*model, pnlLangControl, true));
  langButtons->addStretch();
  auto* pnlLangCount = Bound<QLabel>(l.pnlLangCount, gbLanguages);
  pnlLangCount->setFrameShape(QFrame::StyledPanel);
  pnlLangCount->setFrameShadow(QFrame::Sunken);
  // The coverage column: a bar per translation language.
  lvLanguages->setItemDelegateForColumn(
      2, new CoverageDelegate([this](int row) { return logic_->CoverageOfRow(row); }, lvLanguages));
  l.OnCoverageChanged = [lvLanguages] { lvLanguages->viewport()->update(); };
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
  // The run in progress: language n of m, files done of total, a bar and Cancel.
  auto* pnlRun = new QFrame(body);
  Bind(l.pnlRun, pnlRun);
  pnlRun->setFrameShape(QFrame::StyledPanel);
  auto* lblRunLanguage = Bound<QLabel>(l.lblRunLanguage, pnlRun);
  auto* lblRunFiles = Bound<QLabel>(l.lblRunFiles, pnlRun);
  lblRunFiles->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The texts change with every file: they never resize the window.
  lblRunLanguage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblRunFiles->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  auto* pbRun = new QProgressBar(pnlRun);
  Bind(l.pbRun, pbRun);
  pbRun->setTextVisible(false);
  auto* btCancel = Bound<QPushButton>(l.btCancel, pnlRun);
  auto* run = new QGridLayout(pnlRun);
  run->addWidget(lblRunLanguage, 0, 0);
  run->addWidget(lblRunFiles, 0, 1);
  run->addWidget(pbRun, 1, 0, 1, 2);
  run->addWidget(btCancel, 0, 2, 2, 1, Qt::AlignVCenter);
  run->setColumnStretch(0, 1);
  run->setColumnStretch(1, 1);

  auto* layout = new QHBoxLayout(central);
  layout->addLayout(left, 1);
  layout->addWidget(pnlRight);
  bodyLayout->addWidget(pnlRun);

  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);

  resize(kDefaultWidth, kDefaultHeight);
}

TWindowPlacement MainWindow::ScreenArea() const {
  const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!shown) return {};
  const QRect area = shown->availableGeometry();
  return {area.left(), area.top(), area.width(), area.height(), false};
}

void MainWindow::ApplyPlacement() {
  TWindowPlacement wanted = logic_->Placement;
  if (!wanted.Remembered()) {
    wanted = {x(), y(), kDefaultWidth, kDefaultHeight, false};
  } else {
    // Kept in device pixels: a window saved at 200% is as large on the
    // screen at 100%, not half as large.
    const double ratio = devicePixelRatioF();
    wanted = {static_cast<int>(wanted.Left / ratio), static_cast<int>(wanted.Top / ratio),
              static_cast<int>(wanted.Width / ratio), static_cast<int>(wanted.Height / ratio), wanted.Maximized};
  }
  // The frame is outside the geometry: what must fit the screen is the frame.
  const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                       frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
  TWindowPlacement framed{wanted.Left - frame.left(), wanted.Top - frame.top(),
                          wanted.Width + frame.left() + frame.right(), wanted.Height + frame.top() + frame.bottom(),
                          wanted.Maximized};
  framed = TMainWindowLogic::FitPlacement(framed, ScreenArea());
  setGeometry(framed.Left + frame.left(), framed.Top + frame.top(), framed.Width - frame.left() - frame.right(),
              framed.Height - frame.top() - frame.bottom());
  if (wanted.Maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::StorePlacement() {
  const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  const double ratio = devicePixelRatioF();
  const auto device = [ratio](int value) { return static_cast<int>(value * ratio + 0.5); };
  if (normal.width() > 0 && normal.height() > 0)
    logic_->Placement = {device(normal.left()), device(normal.top()), device(normal.width()), device(normal.height()),
                         isMaximized()};
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    logic_->FormShow();
    // The settings file cannot be used: the window closes as soon as it can
    // (not from inside its own show event).
    if (logic_->Quitting)
      QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    else
      ApplyPlacement();
  }
}

void MainWindow::SaveForShutdown() {
  StorePlacement();
  try {
    logic_->CommitLibrary();
  } catch (const std::exception&) {
    // Nobody is there to answer: closing the window tries again and asks.
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A run still going is cancelled first; the window closes when it has ended.
  if (!logic_->FormCloseQuery()) {
    event->ignore();
    return;
  }
  StorePlacement();
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

bool MainWindow::ExecExchangeDialog(TExchangeDialogLogic& dialog) {
  ExchangeDialog window(dialog, this);
  return ExecModal(window) == QDialog::Accepted;
}

void MainWindow::ShowItemsView(const TItemsLibrary& library) {
  ItemsView view(library, this);
  if (view.Open()) ExecModal(view);
}

void MainWindow::ShowRunReport(TRunReportLogic& report) {
  // The focus goes back to where it was when the run started (Process, when
  // the run was started with the mouse), never to what it fell on meanwhile.
  const QPointer<QWidget> back = focusBeforeRun_ ? focusBeforeRun_ : QPointer<QWidget>(btProcess_.data());
  RunReportDialog dialog(report, this);
  ExecModal(dialog);
  if (back && back->isEnabled() && back->isVisible()) back->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::ExecRulesEditor(TRulesEditorLogic& editor) {
  RulesEditor window(editor, this);
  return ExecModal(window) == QDialog::Accepted;
}

int MainWindow::ChooseNativeLanguage(const std::vector<std::string>& languages) {
  QInputDialog dialog(this);
  dialog.setObjectName("ChooseNativeLanguage");
  dialog.setWindowTitle("Native Language");
  dialog.setLabelText("No folder holds English. Which language are the sources written in?");
  QStringList items;
  for (const auto& language : languages) items << ToQ(language);
  dialog.setComboBoxItems(items);  // a drop-down list of the languages
  dialog.setComboBoxEditable(false);
  if (ExecModal(dialog) != QDialog::Accepted) return -1;
  return static_cast<int>(items.indexOf(dialog.textValue()));
}

}  // namespace sw::ui
