#include "ui/MoveLiteralsDialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"
#include "platform/PathNames.h"

namespace sw::ui {

namespace {

// A literal on one line: control characters shown as escapes.
QString Shown(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (static_cast<unsigned char>(c) < 0x20)
      out += "\\x" + std::string(1, "0123456789ABCDEF"[(c >> 4) & 15]) + "0123456789ABCDEF"[c & 15];
    else
      out += c;
  }
  return ToQ(out);
}

}  // namespace

MoveLiteralsDialog::MoveLiteralsDialog(TMoveLiteralsLogic& logic, QWidget* parent)
    : QDialog(parent),
      logic_(logic),
      units_(new QListWidget(this)),
      list_(new QTreeWidget(this)),
      preview_(new QPlainTextEdit(this)) {
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  setObjectName("dlgMoveLiterals");
  BindWindowTitle(logic_.dlgMoveLiterals, this);
  resize(900, 600);

  // Settings, laid out to fit a narrow screen.
  auto* settings = new QWidget(this);
  auto* grid = new QGridLayout(settings);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* cbLanguage = Bound<QComboBox>(logic_.cbLanguage, settings);
  cbLanguage->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbLanguage->setMinimumContentsLength(24);
  auto* btFiles = new QPushButton(tr("Pick files\u2026"), settings);
  btFiles->setObjectName("btFiles");
  btFiles->setAutoDefault(false);
  // A bound edit at (row, column) spanning `span` columns, its bound label to its left.
  const auto addLabelledEdit = [&](TLabelModel& label, TEditModel& edit, int row, int column, int span) {
    auto* editor = Bound<QLineEdit>(edit, settings);
    grid->addWidget(BoundLabel(label, editor, settings), row, column);
    grid->addWidget(editor, row, column + 1, 1, span);
  };
  grid->addWidget(cbLanguage, 0, 0, 1, 3);
  grid->addWidget(btFiles, 0, 3);
  addLabelledEdit(logic_.lblPrefix, logic_.edPrefix, 1, 0, 1);
  addLabelledEdit(logic_.lblMaxNameChars, logic_.edMaxNameChars, 1, 2, 1);
  addLabelledEdit(logic_.lblExclude, logic_.edExclude, 2, 0, 3);
  auto* cbUnitPrefix = Bound<QCheckBox>(logic_.cbUnitPrefix, settings);
  auto* cbCyrillic = Bound<QCheckBox>(logic_.cbCyrillicNames, settings);
  auto* cbReuse = Bound<QCheckBox>(logic_.cbReuseNames, settings);
  grid->addWidget(cbUnitPrefix, 3, 0, 1, 2);
  grid->addWidget(cbCyrillic, 3, 2, 1, 2);
  grid->addWidget(cbReuse, 4, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  // The units to choose from.
  auto* pnlUnits = new QWidget(this);
  auto* lblUnits = new QLabel(tr("&Units"), pnlUnits);
  lblUnits->setBuddy(units_);
  units_->setObjectName("lvUnits");
  units_->setMinimumWidth(120);
  auto* unitButtons = new QHBoxLayout;
  unitButtons->addWidget(BoundButton(logic_.btAllUnits, pnlUnits, false));
  unitButtons->addWidget(BoundButton(logic_.btNoUnits, pnlUnits, false));
  auto* unitsLayout = new QVBoxLayout(pnlUnits);
  unitsLayout->setContentsMargins(0, 0, 0, 0);
  unitsLayout->addWidget(lblUnits);
  unitsLayout->addWidget(units_, 1);
  unitsLayout->addLayout(unitButtons);

  // Candidates and preview.
  list_->setObjectName("lvCandidates");
  list_->setColumnCount(4);
  list_->setHeaderLabels({tr("Literal"), tr("Name"), tr("Place"), tr("Reason")});
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  list_->setMinimumHeight(60);
  preview_->setObjectName("mePreview");
  preview_->setReadOnly(true);
  preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
  preview_->setMinimumHeight(40);
  auto* candidates = new QSplitter(Qt::Vertical, this);
  candidates->addWidget(list_);
  candidates->addWidget(preview_);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(pnlUnits);
  splitter->addWidget(candidates);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({200, 700});

  auto* body = new QWidget(this);
  auto* bodyLayout = new QVBoxLayout(body);
  bodyLayout->setContentsMargins(0, 0, 0, 0);
  bodyLayout->addWidget(settings);
  bodyLayout->addWidget(splitter, 1);

  auto* lblStatus = Bound<QLabel>(logic_.lblStatus, this);
  lblStatus->setWordWrap(true);
  lblStatus->setMinimumWidth(120);
  // Apply rewrites units: never the default, never pressed by Enter, and it asks first.
  auto* buttons = new QHBoxLayout();
  buttons->addWidget(lblStatus, 1);
  buttons->addWidget(BoundButton(logic_.btApply, this, false));
  buttons->addWidget(BoundButton(logic_.btCancel, this, false));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ScrollingBody(body, this), 1);
  layout->addLayout(buttons);

  connect(units_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    logic_.SetSourceChosen(units_->row(item), item->checkState() == Qt::Checked);
  });
  connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) { ItemChanged(item, column); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
    if (column == 1 && logic_.Offered(list_->indexOfTopLevelItem(item))) list_->editItem(item, 1);
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowPreview(); });
  connect(btFiles, &QPushButton::clicked, this, [this] {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Units"), ToQ(logic_.Files().empty() ? std::string() : ExtractFilePath(logic_.Files().front())),
        tr("Sources (*.pas *.dpr *.dpk *.lpr *.pp *.inc *.cpp *.c *.cc *.cxx);;All files (*)"));
    if (files.isEmpty()) return;
    std::vector<std::string> names;
    for (const QString& f : files) names.push_back(FromQ(f));
    logic_.SetFiles(std::move(names));
  });
  logic_.OnRowsChanged = [this] { FillList(); };
  logic_.OnConfirm = [this](const std::string& question) {
    QMessageBox box(QMessageBox::Question, windowTitle(), ToQ(question), QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName("ConfirmMoveLiterals");
    box.setDefaultButton(QMessageBox::No);
    return ExecModal(box) == QMessageBox::Yes;
  };
  logic_.OnClose = [this](bool applied) {
    if (applied)
      accept();
    else
      reject();
  };
  FillList();
}

MoveLiteralsDialog::~MoveLiteralsDialog() {
  logic_.OnRowsChanged = nullptr;
  logic_.OnClose = nullptr;
  logic_.OnConfirm = nullptr;
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
}

void MoveLiteralsDialog::FillList() {
  filling_ = true;
  {
    QSignalBlocker block(units_);
    const auto& files = logic_.Files();
    if (units_->count() != static_cast<int>(files.size())) {
      units_->clear();
      for (const std::string& file : files) {
        auto* item = new QListWidgetItem(ToQ(ExtractFileName(file)), units_);
        item->setToolTip(ToQ(file));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      }
    }
    for (int i = 0; i < units_->count(); ++i) {
      units_->item(i)->setCheckState(logic_.SourceChosen(i) ? Qt::Checked : Qt::Unchecked);
      if (logic_.Applied()) units_->item(i)->setFlags(Qt::ItemIsSelectable);
    }
  }
  {
    QSignalBlocker block(list_);
    list_->clear();
    for (int row = 0; row < logic_.RowCount(); ++row) {
      auto* item = new QTreeWidgetItem(
          {Shown(logic_.Literal(row)), ToQ(logic_.Name(row)), ToQ(logic_.Place(row)), ToQ(logic_.Reason(row))});
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
      item->setCheckState(0, logic_.Checked(row) ? Qt::Checked : Qt::Unchecked);
      // A literal that stays can be looked at (its unit's preview), not ticked or renamed.
      if (!logic_.Offered(row)) item->setFlags(Qt::ItemIsSelectable);
      list_->addTopLevelItem(item);
    }
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
  }
  filling_ = false;
  ShowPreview();
}

void MoveLiteralsDialog::RefreshChecks() {
  QSignalBlocker block(list_);
  for (int row = 0; row < list_->topLevelItemCount() && row < logic_.RowCount(); ++row)
    list_->topLevelItem(row)->setCheckState(0, logic_.Checked(row) ? Qt::Checked : Qt::Unchecked);
}

void MoveLiteralsDialog::ItemChanged(QTreeWidgetItem* item, int column) {
  if (filling_) return;
  const int row = list_->indexOfTopLevelItem(item);
  if (row < 0 || row >= logic_.RowCount()) return;
  if (column == 0) {
    logic_.SetChecked(row, item->checkState(0) == Qt::Checked);
    RefreshChecks();
  } else if (column == 1) {
    if (!logic_.SetName(row, FromQ(item->text(1)))) {
      QSignalBlocker block(list_);
      item->setText(1, ToQ(logic_.Name(row)));
    }
  }
  ShowPreview();
}

void MoveLiteralsDialog::ShowPreview() {
  if (logic_.Applied()) {
    preview_->setPlainText(ToQ(logic_.WrittenText()));
    return;
  }
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0 || row >= logic_.RowCount()) {
    preview_->clear();
    return;
  }
  preview_->setPlainText(ToQ(logic_.Preview(logic_.UnitOfRow(row))));
}

}  // namespace sw::ui
