#include "ui/ItemsView.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

#include "base/Exceptions.h"
#include "ui/Binding.h"
#include "ui/ModalDialogs.h"

namespace sw::ui {

namespace {

// A row holding `widget` at its right end.
QHBoxLayout* RightAligned(QWidget* widget) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(widget);
  return row;
}

QString FromU16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

// A table cell holds one line: line breaks shown as a return sign.
QString OneLine(const std::u16string& text) {
  QString line = FromU16(text);
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" \u21B5 "));
  line.replace(QChar('\n'), QStringLiteral(" \u21B5 "));
  line.replace(QChar('\r'), QStringLiteral(" \u21B5 "));
  return line;
}

QString Html(const std::u16string& text) {
  QString html = FromU16(text).toHtmlEscaped();
  html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
  html.replace(QChar('\n'), QStringLiteral("<br>"));
  return html;
}

const char* const kColumnTitles[kItemsColumnCount] = {"Path", "Native text", "Translation", "Status", "Problems"};

}  // namespace

// ---- The table model -------------------------------------------------------------------

int ItemsTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : logic_.RowCount(); }

int ItemsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kItemsColumnCount; }

QVariant ItemsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= logic_.RowCount()) return {};
  const int row = index.row();
  const auto column = static_cast<TItemsColumn>(index.column());
  if (role == Qt::DisplayRole) {
    switch (column) {
      case TItemsColumn::Path: return ToQ(logic_.Path(row));
      case TItemsColumn::Native: return OneLine(logic_.Native(row));
      case TItemsColumn::Translation: return OneLine(logic_.Translation(row));
      case TItemsColumn::Status: return QString(TItemsViewLogic::StatusText(logic_.Status(row)));
      case TItemsColumn::Problems: return ToQ(logic_.ProblemsText(row));
    }
  } else if (role == Qt::ToolTipRole) {
    switch (column) {
      case TItemsColumn::Path: return ToQ(logic_.Place(row));
      case TItemsColumn::Native: return FromU16(logic_.Native(row));
      case TItemsColumn::Translation: return FromU16(logic_.Translation(row));
      case TItemsColumn::Problems: {
        QStringList lines;
        for (const TCheckProblem& problem : logic_.Problems(row))
          lines << ToQ(std::string(SeverityName(problem.Severity)) + " [" + problem.Check + "] " + problem.Message);
        return lines.join('\n');
      }
      default: return {};
    }
  } else if (role == Qt::ForegroundRole && column == TItemsColumn::Status) {
    switch (logic_.Status(row)) {
      case TUnitStatus::OutOfDate: return QBrush(QColor(0xA0, 0x60, 0x00));
      case TUnitStatus::Untranslated: return QBrush(QColor(0xB0, 0x20, 0x20));
      case TUnitStatus::UpToDate: return {};
    }
  }
  return {};
}

QVariant ItemsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kItemsColumnCount)
    return {};
  return QString(kColumnTitles[section]);
}

void ItemsTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kItemsColumnCount) return;
  beginResetModel();
  logic_.Sort(static_cast<TItemsColumn>(column), order == Qt::DescendingOrder);
  endResetModel();
}

void ItemsTableModel::Reset() {
  beginResetModel();
  endResetModel();
}

void ItemsTableModel::RowChanged(int row) {
  emit dataChanged(index(row, 0), index(row, kItemsColumnCount - 1));
}

// ---- The window -------------------------------------------------------------------------

ItemsView::ItemsView(const TItemsLibrary& library, QWidget* parent)
    : QDialog(parent), logic_(std::make_unique<TItemsViewLogic>(library, MakeTranslationSaver())) {
  setObjectName("ItemsView");
  setWindowTitle(QStringLiteral("Items of ") + ToQ(library.ShortName));
  setSizeGripEnabled(true);
  BuildWidgets();
  resize(960, 640);
}

ItemsView::~ItemsView() = default;

void ItemsView::BuildWidgets() {
  cbLanguage_ = new QComboBox(this);
  cbLanguage_->setObjectName("cbItemsLanguage");
  for (LANGID id : logic_->Translations()) cbLanguage_->addItem(ToQ(DisplayLangName(id)), static_cast<int>(id));
  cbStatus_ = new QComboBox(this);
  cbStatus_->setObjectName("cbItemsStatus");
  cbStatus_->addItem("All items", static_cast<int>(TStatusFilter::All));
  cbStatus_->addItem("Open (out of date or untranslated)", static_cast<int>(TStatusFilter::Open));
  cbStatus_->addItem("Out of date", static_cast<int>(TStatusFilter::OutOfDate));
  cbStatus_->addItem("Untranslated", static_cast<int>(TStatusFilter::Untranslated));
  cbStatus_->addItem("Up to date", static_cast<int>(TStatusFilter::UpToDate));
  cbProblem_ = new QComboBox(this);
  cbProblem_->setObjectName("cbItemsProblem");
  cbProblem_->addItem("With or without problems", QString());
  cbProblem_->addItem("With problems", QString(TItemsViewLogic::kAnyProblem));
  cbProblem_->addItem("Without problems", QString(TItemsViewLogic::kNoProblem));
  for (const TCheckDef& check : CheckTable()) {
    const QString name = QString::fromUtf8(check.Name.data(), static_cast<qsizetype>(check.Name.size()));
    cbProblem_->addItem("Problem: " + name, name);
  }
  edFilter_ = new QLineEdit(this);
  edFilter_->setObjectName("edItemsFilter");
  edFilter_->setPlaceholderText("Find in native text or translation");
  edFilter_->setClearButtonEnabled(true);
  lblCount_ = new QLabel(this);
  lblCount_->setObjectName("lblItemsCount");

  auto* lblLanguage = new QLabel("&Language:", this);
  lblLanguage->setBuddy(cbLanguage_);
  auto* lblStatus = new QLabel("&Status:", this);
  lblStatus->setBuddy(cbStatus_);
  auto* lblProblem = new QLabel("&Problems:", this);
  lblProblem->setBuddy(cbProblem_);
  auto* lblFilter = new QLabel("&Find:", this);
  lblFilter->setBuddy(edFilter_);
  // The choices in one row, the text to find and the count in the next: one
  // row would not fit a small screen at a large scale. The lists take the width
  // of their longest entry where there is room and give way where there is not.
  auto* choices = new QHBoxLayout;
  for (auto [label, combo] : {std::pair{lblLanguage, cbLanguage_}, std::pair{lblStatus, cbStatus_},
                              std::pair{lblProblem, cbProblem_}}) {
    combo->setMinimumWidth(combo->fontMetrics().averageCharWidth() * (combo == cbLanguage_ ? 18 : 12));
    choices->addWidget(label);
    choices->addWidget(combo);
  }
  choices->addStretch(1);
  edFilter_->setMinimumWidth(edFilter_->fontMetrics().averageCharWidth() * 16);
  auto* find = new QHBoxLayout;
  find->addWidget(lblFilter);
  find->addWidget(edFilter_, 1);
  find->addWidget(lblCount_);
  auto* filters = new QVBoxLayout;
  filters->addLayout(choices);
  filters->addLayout(find);

  model_ = new ItemsTableModel(*logic_, this);
  tvItems_ = new QTableView(this);
  tvItems_->setObjectName("tvItems");
  tvItems_->setModel(model_);
  tvItems_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tvItems_->setSelectionMode(QAbstractItemView::SingleSelection);
  tvItems_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Storage order until the user picks a column.
  tvItems_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  tvItems_->setSortingEnabled(true);
  tvItems_->horizontalHeader()->setStretchLastSection(true);
  tvItems_->verticalHeader()->setVisible(false);
  tvItems_->verticalHeader()->setDefaultSectionSize(tvItems_->fontMetrics().height() + 6);
  tvItems_->setWordWrap(false);
  tvItems_->setColumnWidth(0, 220);
  tvItems_->setColumnWidth(1, 220);
  tvItems_->setColumnWidth(2, 220);
  tvItems_->setColumnWidth(3, 90);

  txDiff_ = new QTextBrowser(this);
  txDiff_->setObjectName("txDiff");
  lwProblems_ = new QListWidget(this);
  lwProblems_->setObjectName("lwProblems");
  lwProblems_->setWordWrap(true);
  lwProblems_->setResizeMode(QListView::Adjust);
  lwProblems_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  btIgnore_ = new QPushButton("I&gnore this problem", this);
  btIgnore_->setObjectName("btIgnore");
  btIgnore_->setAutoDefault(false);
  edTranslation_ = new QPlainTextEdit(this);
  edTranslation_->setObjectName("edTranslation");
  edTranslation_->setTabChangesFocus(true);
  edTranslation_->installEventFilter(this);
  btAccept_ = new QPushButton("&Accept and next (Ctrl+Enter)", this);
  btAccept_->setObjectName("btAccept");
  btAccept_->setAutoDefault(false);
  auto* btClose = new QPushButton("Close", this);
  btClose->setObjectName("btItemsClose");
  btClose->setAutoDefault(false);
  lblNotes_ = new QLabel(this);
  lblNotes_->setObjectName("lblItemsNotes");
  lblNotes_->setWordWrap(true);
  lblNotes_->hide();

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto* lblDiff = new QLabel("Native text (changes since the translation was made):", left);
  leftLayout->addWidget(lblDiff);
  leftLayout->addWidget(txDiff_, 2);
  auto* lblProblems = new QLabel("Problems found by the checks:", left);
  lblProblems->setBuddy(lwProblems_);
  leftLayout->addWidget(lblProblems);
  leftLayout->addWidget(lwProblems_, 1);
  leftLayout->addLayout(RightAligned(btIgnore_));

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  auto* lblTranslation = new QLabel("&Translation:", right);
  lblTranslation->setBuddy(edTranslation_);
  rightLayout->addWidget(lblTranslation);
  rightLayout->addWidget(edTranslation_, 1);
  rightLayout->addLayout(RightAligned(btAccept_));

  // The boxes below the table may shrink to two lines, so that on a small
  // screen the table keeps rows to choose from.
  for (QWidget* box : std::initializer_list<QWidget*>{txDiff_, lwProblems_, edTranslation_}) {
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    box->setMinimumHeight(box->fontMetrics().lineSpacing() * 2 + 2 * frame + 4);
  }
  auto* bottom = new QSplitter(Qt::Horizontal, this);
  bottom->addWidget(left);
  bottom->addWidget(right);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(tvItems_);
  split->addWidget(bottom);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblNotes_, 10);
  buttons->addStretch(1);
  buttons->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(split, 1);
  layout->addLayout(buttons);

  connect(cbLanguage_, &QComboBox::currentIndexChanged, this, [this] { LanguageChanged(); });
  connect(cbStatus_, &QComboBox::currentIndexChanged, this, [this] { FiltersChanged(); });
  connect(cbProblem_, &QComboBox::currentIndexChanged, this, [this] { FiltersChanged(); });
  connect(edFilter_, &QLineEdit::textChanged, this, [this] { FiltersChanged(); });
  connect(tvItems_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { ShowRow(); });
  connect(lwProblems_, &QListWidget::currentRowChanged, this,
          [this] { btIgnore_->setEnabled(logic_->CanIgnore() && lwProblems_->currentRow() >= 0); });
  connect(btIgnore_, &QPushButton::clicked, this, [this] { IgnoreProblem(); });
  connect(btAccept_, &QPushButton::clicked, this, [this] { Accept(); });
  connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
}

bool ItemsView::Open() {
  if (cbLanguage_->count() == 0) {
    ShowError("The library has no translation language");
    return false;
  }
  LanguageChanged();
  return logic_->Loaded();
}

void ItemsView::ShowError(const QString& message) {
  QMessageBox box(QMessageBox::Critical, "Error", message, QMessageBox::Ok, this);
  box.setObjectName("Error");
  ExecModal(box);
}

void ItemsView::ShowNotes() {
  QStringList notes;
  for (const std::string& note : logic_->Notes()) notes << ToQ(note);
  lblNotes_->setText(notes.join('\n'));
  lblNotes_->setVisible(!notes.isEmpty());
}

void ItemsView::LanguageChanged() {
  const int index = cbLanguage_->currentIndex();
  if (index < 0) return;
  try {
    model_->BeginReset();
    logic_->Load(static_cast<LANGID>(cbLanguage_->itemData(index).toInt()));
    model_->EndReset();
  } catch (const Exception& e) {
    model_->EndReset();
    ShowError(ToQ(e.Describe()));
  }
  ShowNotes();
  lblCount_->setText(ToQ(logic_->CountText()));
  SelectRow(logic_->RowCount() > 0 ? 0 : -1);
}

void ItemsView::FiltersChanged() {
  model_->BeginReset();
  logic_->SetStatusFilter(static_cast<TStatusFilter>(cbStatus_->currentData().toInt()));
  logic_->SetProblemFilter(FromQ(cbProblem_->currentData().toString()));
  logic_->SetTextFilter(FromQ(edFilter_->text()));
  model_->EndReset();
  lblCount_->setText(ToQ(logic_->CountText()));
  SelectRow(logic_->RowCount() > 0 ? 0 : -1);
}

int ItemsView::CurrentRow() const {
  const QModelIndex current = tvItems_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void ItemsView::SelectRow(int row) {
  if (row < 0 || row >= logic_->RowCount()) {
    tvItems_->setCurrentIndex(QModelIndex());
    ShowRow();
    return;
  }
  const QModelIndex index = model_->index(row, 0);
  tvItems_->setCurrentIndex(index);
  tvItems_->selectRow(row);
  tvItems_->scrollTo(index);
  ShowRow();
}

void ItemsView::ShowRow() {
  const int row = CurrentRow();
  lwProblems_->clear();
  const bool have = row >= 0 && logic_->Loaded() && row < logic_->RowCount();
  edTranslation_->setEnabled(have && logic_->Editable());
  btAccept_->setEnabled(have && logic_->Editable());
  btIgnore_->setEnabled(false);
  if (!have) {
    txDiff_->clear();
    edTranslation_->clear();
    return;
  }
  QString html;
  if (logic_->Status(row) == TUnitStatus::OutOfDate) {
    const std::vector<TDiffSegment> diff = logic_->NativeDiff(row);
    if (diff.empty()) {
      html = "<p><i>Out of date. The memory holds no earlier native text for this item.</i></p><p>" +
             Html(logic_->Native(row)) + "</p>";
    } else {
      html = "<p><i>Out of date: the native text changed since the translation was made "
             "(<span style=\"background:#ffd0d0;text-decoration:line-through\">removed</span>, "
             "<span style=\"background:#c8f0c8\">added</span>).</i></p><p>";
      for (const TDiffSegment& segment : diff) {
        switch (segment.Kind) {
          case TDiffSegment::TKind::Same: html += Html(segment.Text); break;
          case TDiffSegment::TKind::Deleted:
            html += "<span style=\"background:#ffd0d0;text-decoration:line-through\">" + Html(segment.Text) +
                    "</span>";
            break;
          case TDiffSegment::TKind::Added:
            html += "<span style=\"background:#c8f0c8\">" + Html(segment.Text) + "</span>";
            break;
        }
      }
      html += "</p>";
    }
  } else {
    html = "<p>" + Html(logic_->Native(row)) + "</p>";
  }
  txDiff_->setHtml(html);
  for (const TCheckProblem& problem : logic_->Problems(row)) {
    QString line = ToQ(std::string(SeverityName(problem.Severity)) + " [" + problem.Check + "] " + problem.Message);
    if (problem.Ignored) line += " (ignored)";
    lwProblems_->addItem(line);
  }
  if (lwProblems_->count() > 0) lwProblems_->setCurrentRow(0);
  // An untranslated item starts from its native text, to be overwritten.
  const std::u16string& translation =
      logic_->Status(row) == TUnitStatus::Untranslated ? logic_->Native(row) : logic_->Translation(row);
  edTranslation_->setPlainText(FromU16(translation).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void ItemsView::Accept() {
  const int row = CurrentRow();
  if (row < 0) return;
  try {
    logic_->AcceptTranslation(row, ToU16(edTranslation_->toPlainText()));
  } catch (const Exception& e) {
    ShowError(ToQ(e.Describe()));
    return;
  }
  model_->RowChanged(row);
  const int next = logic_->NextOpenRow(row);
  SelectRow(next >= 0 ? next : row);
  edTranslation_->setFocus(Qt::OtherFocusReason);
}

void ItemsView::IgnoreProblem() {
  const int row = CurrentRow();
  const int problem = lwProblems_->currentRow();
  if (row < 0 || problem < 0) return;
  try {
    logic_->IgnoreProblem(row, static_cast<std::size_t>(problem));
  } catch (const Exception& e) {
    ShowError(ToQ(e.Describe()));
    return;
  }
  model_->RowChanged(row);
  ShowRow();
  lwProblems_->setCurrentRow(problem);
}

bool ItemsView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edTranslation_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
      if (btAccept_->isEnabled()) Accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace sw::ui
