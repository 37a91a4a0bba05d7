#include "ui/RunReportDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"
#include "ui/RunWidgets.h"

namespace sw::ui {

namespace {

// Column of the coverage in the report's list.
constexpr int kCoverageColumn = 4;

}  // namespace

bool RunReportDialog::OpenFolderInFileManager(const std::string& folder) {
  return QDir(ToQ(folder)).exists() && QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(folder)));
}

RunReportDialog::RunReportDialog(TRunReportLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  BindWindowTitle(logic.RunReport, this);

  auto* icon = new QLabel(this);
  icon->setObjectName("imgOutcome");
  const QStyle::StandardPixmap pixmap =
      logic.Warning() ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxInformation;
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(iconSize, iconSize));
  icon->setAlignment(Qt::AlignTop);

  auto* headline = Bound<QLabel>(logic.lblHeadline, this);
  QFont bold = headline->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  headline->setFont(bold);
  auto* summary = Bound<QLabel>(logic.lblSummary, this);
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary->setWordWrap(true);

  auto* list = new QTreeWidget(this);
  list->setObjectName(ToQ(logic.lvReport.Name));
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setFocusPolicy(Qt::NoFocus);
  QStringList headers;
  for (const auto& column : logic.lvReport.Columns) headers << ToQ(column.Caption);
  list->setHeaderLabels(headers);
  for (std::size_t i = 0; i < logic.lvReport.Columns.size(); ++i)
    list->setColumnWidth(static_cast<int>(i), logic.lvReport.Columns[i].Width);
  for (const auto& row : logic.lvReport.Rows()) {
    QStringList texts{ToQ(row.Caption)};
    for (const auto& sub : row.SubItems) texts << ToQ(sub);
    auto* item = new QTreeWidgetItem(texts);
    for (int c = 1; c < kCoverageColumn; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    list->addTopLevelItem(item);
  }
  for (int c = 1; c < kCoverageColumn; ++c) list->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  list->header()->setStretchLastSection(true);
  list->setItemDelegateForColumn(kCoverageColumn, new CoverageDelegate(
                                                      [&logic](int row) {
                                                        const auto& languages = logic.Languages();
                                                        return row >= 0 && row < static_cast<int>(languages.size())
                                                                   ? languages[static_cast<std::size_t>(row)].Coverage
                                                                   : TCoverageCell();
                                                      },
                                                      list));
  // Up to four rows in view at the least; more languages scroll.
  const int rows = std::clamp(logic.lvReport.RowCount(), 1, 4);
  list->setMinimumHeight(list->header()->sizeHint().height() + rows * (list->fontMetrics().height() + 8) + 4);

  auto* problemsLabel = new QLabel(this);
  Bind(logic.lblProblems, problemsLabel);
  auto* problems = new QPlainTextEdit(this);
  problems->setObjectName(ToQ(logic.edProblems.Name));
  problems->setReadOnly(true);
  problems->setPlainText(ToQ(logic.edProblems.Text()));
  problems->setLineWrapMode(QPlainTextEdit::NoWrap);
  problems->setVisible(!logic.edProblems.Text().empty());
  problems->setMinimumHeight(problems->fontMetrics().height() * 2 + 12);
  problemsLabel->setBuddy(problems);

  auto* btCopy = BoundButton(logic.btCopy, this, false);
  auto* btOpenFolder = BoundButton(logic.btOpenFolder, this, false);
  auto* btClose = BoundButton(logic.btClose, this, false);
  btClose->setDefault(true);
  logic.CopyText = [](const std::string& text) { QApplication::clipboard()->setText(ToQ(text)); };
  logic.OpenFolder = [this](const std::string& folder) {
    if (!OpenFolderInFileManager(folder)) {
      QMessageBox box(QMessageBox::Warning, "Error", ToQ("Cannot open the folder " + folder), QMessageBox::Ok, this);
      ExecModal(box);
    }
  };
  logic.CloseReport = [this] { accept(); };

  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  auto* texts = new QVBoxLayout;
  texts->addWidget(headline);
  texts->addWidget(summary);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btCopy);
  buttons->addWidget(btOpenFolder);
  buttons->addStretch();
  buttons->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list);
  layout->addWidget(problemsLabel);
  layout->addWidget(problems, 1);
  layout->addLayout(buttons);
  // Room for every language and the problems where the screen has it.
  const int listHeight = list->header()->sizeHint().height() +
                         std::max(1, logic.lvReport.RowCount()) * (list->fontMetrics().height() + 8) + 4;
  resize(760, std::max(sizeHint().height(), 240 + listHeight + (logic.edProblems.Text().empty() ? 0 : 120)));
}

}  // namespace sw::ui
