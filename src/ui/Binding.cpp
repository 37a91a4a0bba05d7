#include "ui/Binding.h"

#include <QEvent>
#include <QSignalBlocker>

namespace sw::ui {

QString ToQ(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromQ(const QString& text) { return text.toUtf8().toStdString(); }

namespace {

// Calls the model's enter event when the widget gets the focus.
class FocusWatcher : public QObject {
 public:
  FocusWatcher(TControlModel& model, QObject* parent) : QObject(parent), model_(model) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn && model_.OnEnter) model_.OnEnter();
    return QObject::eventFilter(watched, event);
  }

 private:
  TControlModel& model_;
};

void WatchFocus(TControlModel& model, QWidget* widget) {
  widget->installEventFilter(new FocusWatcher(model, widget));
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
    if (model.MaxLength > 0) edit->setMaxLength(model.MaxLength);
    if (model.AllSelected()) edit->selectAll();
    if (model.Focused() && !edit->hasFocus()) edit->setFocus();
  };
  sync();
  model.OnModelChanged = sync;
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
  };
  sync();
  model.OnModelChanged = sync;
  QObject::connect(combo, &QComboBox::activated, combo, [&model](int index) { model.UserSelect(index); });
}

void Bind(TLabelModel& model, QLabel* label) {
  label->setObjectName(ToQ(model.Name));
  auto sync = [&model, label] {
    label->setText(ToQ(model.Caption()));
    label->setEnabled(model.Enabled());
  };
  sync();
  model.OnModelChanged = sync;
}

void Bind(TLabelModel& model, QGroupBox* group) {
  group->setObjectName(ToQ(model.Name));
  auto sync = [&model, group] { group->setTitle(ToQ(model.Caption())); };
  sync();
  model.OnModelChanged = sync;
}

}  // namespace sw::ui
