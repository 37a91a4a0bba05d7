#include "ui/Binding.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <optional>

namespace sw::ui {

QString ToQ(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromQ(const QString& text) { return text.toUtf8().toStdString(); }

namespace {

// Reports the focus a widget receives to its model. Getting the focus back
// when the whole window is activated again is not entering the control.
class FocusWatcher : public QObject {
 public:
  FocusWatcher(TControlModel& model, QObject* parent) : QObject(parent), model_(model) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
      // Focus that comes and goes with the whole window or a popup is no
      // entering or leaving of the control.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        if (event->type() == QEvent::FocusIn)
          model_.Enter();
        else
          model_.Exit();
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  TControlModel& model_;
};

void WatchFocus(TControlModel& model, QWidget* widget) {
  widget->installEventFilter(new FocusWatcher(model, widget));
  model.OnFocusRequest = [widget] { widget->setFocus(Qt::OtherFocusReason); };
}

}  // namespace

void Bind(TButtonModel& model, QAbstractButton* button) {
  button->setObjectName(ToQ(model.Name));
  auto sync = [&model, button] {
    button->setText(ToQ(model.Caption()));
    button->setEnabled(model.Enabled());
    button->setToolTip(ToQ(model.Hint));
  };
  sync();
  model.OnModelChanged = sync;
  QObject::connect(button, &QAbstractButton::clicked, button, [&model] { model.Click(); });
}

void Bind(TButtonModel& model, QAction* action) {
  action->setObjectName(ToQ(model.Name));
  auto sync = [&model, action] {
    action->setText(ToQ(model.Caption()));
    action->setEnabled(model.Enabled());
    action->setToolTip(ToQ(model.Hint));
  };
  sync();
  model.OnModelChanged = sync;
  QObject::connect(action, &QAction::triggered, action, [&model] { model.Click(); });
}

void Bind(TEditModel& model, QLineEdit* edit) {
  edit->setObjectName(ToQ(model.Name));
  auto sync = [&model, edit] {
    const QString text = ToQ(model.Text());
    if (edit->text() != text) {
      QSignalBlocker block(edit);
      edit->setText(text);
    }
    edit->setEnabled(model.Enabled());
    edit->setReadOnly(model.ReadOnly);
    edit->setMaxLength(model.MaxLength > 0 ? model.MaxLength : 32767);
    edit->setToolTip(ToQ(model.Hint));
  };
  sync();
  model.OnModelChanged = sync;
  model.OnSelectAllRequest = [edit] { edit->selectAll(); };
  QObject::connect(edit, &QLineEdit::textEdited, edit, [&model](const QString& text) { model.SetText(FromQ(text)); });
  WatchFocus(model, edit);
}

void Bind(TCheckBoxModel& model, QCheckBox* box) {
  box->setObjectName(ToQ(model.Name));
  auto sync = [&model, box] {
    QSignalBlocker block(box);
    box->setText(ToQ(model.Caption()));
    box->setChecked(model.Checked());
    box->setEnabled(model.Enabled());
    box->setToolTip(ToQ(model.Hint));
  };
  sync();
  model.OnModelChanged = sync;
  QObject::connect(box, &QCheckBox::clicked, box, [&model](bool checked) { model.SetChecked(checked); });
}

void Bind(TComboBoxModel& model, QComboBox* combo) {
  combo->setObjectName(ToQ(model.Name));
  combo->setEditable(false);
  auto sync = [&model, combo] {
    QSignalBlocker block(combo);
    QStringList items;
    for (const auto& item : model.Items()) items << ToQ(item);
    QStringList current;
    for (int i = 0; i < combo->count(); ++i) current << combo->itemText(i);
    if (current != items) {
      combo->clear();
      combo->addItems(items);
    }
    combo->setCurrentIndex(model.ItemIndex());
    combo->setEnabled(model.Enabled());
    combo->setToolTip(ToQ(model.Hint));
  };
  sync();
  model.OnModelChanged = sync;
  QObject::connect(combo, &QComboBox::activated, combo, [&model](int index) { model.UserSelect(index); });
  WatchFocus(model, combo);
}

void Bind(TLabelModel& model, QLabel* label) {
  label->setObjectName(ToQ(model.Name));
  auto sync = [&model, label] {
    label->setText(ToQ(model.Caption()));
    label->setEnabled(model.Enabled());
    label->setToolTip(ToQ(model.Hint));
  };
  sync();
  model.OnModelChanged = sync;
}

void BindNote(TLabelModel& model, QLabel* label) {
  Bind(model, label);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto text = model.OnModelChanged;
  auto sync = [&model, label, text] {
    text();
    label->setVisible(!model.Caption().empty());
  };
  sync();
  model.OnModelChanged = sync;
}

void Bind(TLabelModel& model, QGroupBox* group) {
  group->setObjectName(ToQ(model.Name));
  auto sync = [&model, group] {
    group->setTitle(ToQ(model.Caption()));
    group->setEnabled(model.Enabled());
  };
  sync();
  model.OnModelChanged = sync;
}

void Bind(TLabelModel& model, QMenu* menu) {
  menu->setObjectName(ToQ(model.Name));
  auto sync = [&model, menu] {
    menu->setTitle(ToQ(model.Caption()));
    menu->setEnabled(model.Enabled());
  };
  sync();
  model.OnModelChanged = sync;
}

void Unbind(TControlModel& model) {
  model.OnModelChanged = nullptr;
  model.OnFocusRequest = nullptr;
  if (auto* edit = dynamic_cast<TEditModel*>(&model)) edit->OnSelectAllRequest = nullptr;
}

void BindWindowTitle(TLabelModel& model, QWidget* window) {
  window->setObjectName(ToQ(model.Name));
  auto sync = [&model, window] { window->setWindowTitle(ToQ(model.Caption())); };
  sync();
  model.OnModelChanged = sync;
}

// ---- List view -------------------------------------------------------------------

ListViewWidget::ListViewWidget(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAllColumnsShowFocus(true);
  setDragEnabled(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDropIndicatorShown(true);
  // A drop copies nothing and removes nothing: the model rearranges the rows.
  setDefaultDropAction(Qt::CopyAction);
  header()->setStretchLastSection(false);
}

int ListViewWidget::RowAt(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  return index.isValid() ? index.row() : -1;
}

void ListViewWidget::DropAt(const QPoint& pos) {
  if (Model) Model->UserDragDrop(RowAt(pos));
}

// Only rows of this list may be dragged onto it.
void ListViewWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void ListViewWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this) {
    QTreeWidget::dragMoveEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void ListViewWidget::keyPressEvent(QKeyEvent* event) {
  if (Model) {
    std::optional<TListKey> key;
    switch (event->key()) {
      case Qt::Key_Up: key = TListKey::Up; break;
      case Qt::Key_Down: key = TListKey::Down; break;
      case Qt::Key_Delete: key = TListKey::Delete; break;
      case Qt::Key_Return:
      case Qt::Key_Enter: key = TListKey::Enter; break;
      default: break;
    }
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (key && Model->UserKeyDown(*key, ctrl)) {
      event->accept();
      return;
    }
  }
  QTreeWidget::keyPressEvent(event);
}

void ListViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (Model && event->button() == Qt::LeftButton) Model->UserDoubleClick(RowAt(event->position().toPoint()));
}

void ListViewWidget::dropEvent(QDropEvent* event) {
  if (event->source() != this) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  DropAt(event->position().toPoint());
}

void Bind(TListViewModel& model, ListViewWidget* list) {
  list->setObjectName(ToQ(model.Name));
  list->Model = &model;
  QStringList headers;
  for (const auto& column : model.Columns) headers << ToQ(column.Caption);
  list->setColumnCount(static_cast<int>(model.Columns.size()));
  list->setHeaderLabels(headers);
  for (std::size_t i = 0; i < model.Columns.size(); ++i)
    list->setColumnWidth(static_cast<int>(i), model.Columns[i].Width);
  auto sync = [&model, list] {
    QSignalBlocker block(list);
    QSignalBlocker blockSelection(list->selectionModel());
    bool same = list->topLevelItemCount() == model.RowCount();
    for (int i = 0; same && i < model.RowCount(); ++i) {
      const auto& row = model.Rows()[static_cast<std::size_t>(i)];
      const QTreeWidgetItem* item = list->topLevelItem(i);
      same = item->text(0) == ToQ(row.Caption);
      for (std::size_t s = 0; same && s < row.SubItems.size(); ++s)
        same = item->text(static_cast<int>(s) + 1) == ToQ(row.SubItems[s]);
    }
    if (!same) {
      list->clear();
      for (const auto& row : model.Rows()) {
        QStringList texts;
        texts << ToQ(row.Caption);
        for (const auto& sub : row.SubItems) texts << ToQ(sub);
        auto* item = new QTreeWidgetItem(texts);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        list->addTopLevelItem(item);
      }
    }
    QTreeWidgetItem* selected = model.Selected() >= 0 ? list->topLevelItem(model.Selected()) : nullptr;
    list->clearSelection();
    if (selected) {
      list->setCurrentItem(selected);
      selected->setSelected(true);
    }
    list->viewport()->update();
    list->setEnabled(model.Enabled());
  };
  sync();
  model.OnModelChanged = sync;
  // Whatever changes the selection (a click, the keyboard, the start of a
  // drag) is the user's: the model learns the selected row.
  QObject::connect(list, &QTreeWidget::itemSelectionChanged, list, [&model, list] {
    const QList<QTreeWidgetItem*> items = list->selectedItems();
    model.UserClick(items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.first()));
  });
  WatchFocus(model, list);
}

QPushButton* BoundButton(TButtonModel& model, QWidget* parent, bool autoDefault) {
  auto* button = Bound<QPushButton>(model, parent);
  button->setAutoDefault(autoDefault);
  return button;
}

QLabel* BoundLabel(TLabelModel& model, QWidget* buddy, QWidget* parent) {
  auto* label = Bound<QLabel>(model, parent);
  if (buddy) label->setBuddy(buddy);
  return label;
}

QHBoxLayout* OkCancelRow(QDialog* dialog, TButtonModel& ok, TButtonModel& cancel, bool enterAccepts) {
  QPushButton* btOK = BoundButton(ok, dialog, enterAccepts);
  btOK->setDefault(enterAccepts);
  QPushButton* btCancel = BoundButton(cancel, dialog, enterAccepts);
  QObject::connect(btOK, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(btCancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(btOK);
  row->addWidget(btCancel);
  return row;
}

}  // namespace sw::ui
