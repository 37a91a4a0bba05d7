#include "ui/LangDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/Binding.h"

namespace sw::ui {

namespace {

constexpr int kNodeRole = Qt::UserRole;

const TLocaleTreeNode* NodeOf(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<const TLocaleTreeNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

void AddChildren(const TLocaleTreeNode& parent, QTreeWidgetItem* parentItem, QTreeWidget* tree) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TLocaleTreeNode* node = parent.Item(i);
    auto* item = new QTreeWidgetItem(QStringList{ToQ(TLangDialogLogic::NodeCaption(*node))});
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    if (parentItem)
      parentItem->addChild(item);
    else
      tree->addTopLevelItem(item);
    AddChildren(*node, item, tree);
  }
}

QTreeWidgetItem* FindItem(QTreeWidgetItem* item, const TLocaleTreeNode* node) {
  if (NodeOf(item) == node) return item;
  for (int i = 0; i < item->childCount(); ++i)
    if (QTreeWidgetItem* found = FindItem(item->child(i), node)) return found;
  return nullptr;
}

}  // namespace

LangDialog::LangDialog(TLangDialogLogic& logic, QWidget* parent)
    : QDialog(parent), logic_(logic), tree_(new QTreeWidget(this)) {
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  BindWindowTitle(logic_.dlgLangParams, this);

  QLabel* label1 = BoundLabel(logic_.Label1, tree_, this);

  auto* edFilter = Bound<QLineEdit>(logic_.edFilter, this);
  QLabel* lbFilter = BoundLabel(logic_.lbFilter, edFilter, this);
  edFilter->setClearButtonEnabled(true);
  edFilter->setPlaceholderText("Name or abbreviation");
  // Down from the filter goes on into the tree.
  setTabOrder(edFilter, tree_);

  tree_->setObjectName("tvLang");
  tree_->setHeaderHidden(true);
  tree_->setIndentation(20);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Small enough for a small screen at a large scale; the dialog opens taller.
  tree_->setMinimumSize(260, 100);

  auto* edEngName = Bound<QLineEdit>(logic_.edEngName, this);
  QLabel* lbEngName = BoundLabel(logic_.lbEngName, edEngName, this);
  auto* edExt = Bound<QLineEdit>(logic_.edExt, this);
  QLabel* lbExt = BoundLabel(logic_.lbExt, edExt, this);
  edExt->setMaximumWidth(80);

  auto* cbSubFolders = Bound<QComboBox>(logic_.cbSubFolders, this);
  QLabel* lbLangFolder = BoundLabel(logic_.lbLangFolder, cbSubFolders, this);
  lbLangFolder->setWordWrap(true);

  auto* pnlBottom = new QWidget(this);
  pnlBottom->setObjectName("pnlBottom");
  QPushButton* btOK = BoundButton(logic_.btOK, pnlBottom, true);
  btOK->setDefault(true);
  QPushButton* btCancel = BoundButton(logic_.btCancel, pnlBottom, true);
  // The buttons' modal results: OK closes accepted, Cancel (and Esc) rejected.
  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* bottom = new QHBoxLayout(pnlBottom);
  bottom->setContentsMargins(0, 0, 0, 0);
  bottom->addStretch();
  bottom->addWidget(btOK);
  bottom->addWidget(btCancel);

  auto* fields = new QGridLayout;
  fields->addWidget(lbEngName, 0, 0);
  fields->addWidget(edEngName, 1, 0);
  fields->addWidget(lbExt, 0, 1);
  fields->addWidget(edExt, 1, 1);
  fields->setColumnStretch(0, 1);

  auto* filter = new QHBoxLayout;
  filter->addWidget(lbFilter);
  filter->addWidget(edFilter, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addLayout(filter);
  layout->addWidget(tree_, 1);
  layout->addLayout(fields);
  layout->addWidget(lbLangFolder);
  layout->addWidget(cbSubFolders);
  layout->addWidget(pnlBottom);

  // Tab goes down the dialog as it reads, the tree right after the filter.
  setTabOrder(edFilter, tree_);
  setTabOrder(tree_, cbSubFolders);
  setTabOrder(cbSubFolders, btOK);
  setTabOrder(btOK, btCancel);

  FillTree();
  logic_.OnTreeChanged = [this] { FillTree(); };
  logic_.OnFilterChanged = [this] { ApplyFilter(); };
  edFilter->setFocus();
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { logic_.SelectNode(NodeOf(current)); });

  // Room for the tree where the screen has it; never less than the layout needs.
  resize(std::max(minimumSizeHint().width(), 440), 560);
}

LangDialog::~LangDialog() {
  // The logic outlives the dialog: nothing may reach these widgets afterwards.
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
  logic_.OnTreeChanged = nullptr;
  logic_.OnFilterChanged = nullptr;
  for (TControlModel* model : std::initializer_list<TControlModel*>{
           &logic_.dlgLangParams, &logic_.Label1, &logic_.lbFilter, &logic_.edFilter, &logic_.lbEngName, &logic_.edEngName, &logic_.lbExt, &logic_.edExt,
           &logic_.lbLangFolder, &logic_.cbSubFolders, &logic_.btOK, &logic_.btCancel})
    Unbind(*model);
}

QTreeWidgetItem* LangDialog::ItemOf(const TLocaleTreeNode* node) const {
  if (!node) return nullptr;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i)
    if (QTreeWidgetItem* found = FindItem(tree_->topLevelItem(i), node)) return found;
  return nullptr;
}

void LangDialog::FillTree() {
  QSignalBlocker block(tree_);
  tree_->clear();
  AddChildren(logic_.tvLang.Root(), nullptr, tree_);
  tree_->collapseAll();
  ApplyFilter();
}

void LangDialog::ApplyFilter() {
  QSignalBlocker block(tree_);
  const bool filtering = !logic_.edFilter.Text().empty();
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* group = tree_->topLevelItem(i);
    bool childShown = false;
    for (int c = 0; c < group->childCount(); ++c) {
      QTreeWidgetItem* child = group->child(c);
      const bool shown = logic_.NodeVisible(*NodeOf(child));
      child->setHidden(!shown);
      childShown = childShown || shown;
    }
    group->setHidden(!logic_.NodeVisible(*NodeOf(group)));
    // While filtering, the matching locales of a group are in view.
    if (filtering) group->setExpanded(childShown);
  }
  if (!filtering) tree_->collapseAll();
  ShowSelection();
}

void LangDialog::ShowSelection() {
  QSignalBlocker block(tree_);
  QTreeWidgetItem* item = ItemOf(logic_.Selected());
  tree_->setCurrentItem(item);
  // Selecting a language shows it: its group opens, the other groups stay closed.
  if (item) tree_->scrollToItem(item);
}

}  // namespace sw::ui
