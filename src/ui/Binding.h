// Two-way binding between the toolkit-free control models of src/window/ and
// Qt widgets. A widget takes the model's name as its object name, follows
// every change made through the model, and hands the user's actions back to
// the model. The binding decides nothing: which event a user action fires and
// what it does is the model's and the window logic's business.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "window/Controls.h"

namespace sw::ui {

QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

void Bind(TButtonModel& model, QAbstractButton* button);
void Bind(TButtonModel& model, QAction* action);
void Bind(TEditModel& model, QLineEdit* edit);
void Bind(TCheckBoxModel& model, QCheckBox* box);
void Bind(TComboBoxModel& model, QComboBox* combo);
void Bind(TLabelModel& model, QLabel* label);
// A note that says something only at times: bound like a label, word-wrapped,
// and hidden while its caption is empty.
void BindNote(TLabelModel& model, QLabel* label);
void Bind(TLabelModel& model, QGroupBox* group);
void Bind(TLabelModel& model, QMenu* menu);
// Building a window: a new view (widget, action or menu) under `parent`,
// bound to `model`.
template <class View, class Model, class Parent>
View* Bound(Model& model, Parent* parent) {
  auto* view = new View(parent);
  Bind(model, view);
  return view;
}
// A bound push button. With `autoDefault` it takes Enter while focused;
// without, Enter reaches the dialog's default button wherever the focus is
// (for buttons whose action must never happen by a stray Enter).
QPushButton* BoundButton(TButtonModel& model, QWidget* parent, bool autoDefault);
// A bound label whose accelerator moves the focus to `buddy` (none if null).
QLabel* BoundLabel(TLabelModel& model, QWidget* buddy, QWidget* parent);
// The row of buttons at the foot of a dialog, on the right: OK accepts the
// dialog, Cancel (like Esc) rejects it. With `enterAccepts`, a focused button
// takes Enter itself and OK takes it anywhere else; without, neither button
// answers Enter, which is left to the dialog's other controls.
QHBoxLayout* OkCancelRow(QDialog* dialog, TButtonModel& ok, TButtonModel& cancel, bool enterAccepts = true);
// Detaches a model from its view (the view is about to go).
void Unbind(TControlModel& model);
// The model's caption becomes the window title.
void BindWindowTitle(TLabelModel& model, QWidget* window);

// The report list of a TListViewModel: whole rows, one selection, rows the
// user may drag within the list. A drop reaches the model as
// `UserDragDrop(row under the drop point, -1 for none)`; the list itself moves
// nothing, the model's rows come back through the binding.
class ListViewWidget : public QTreeWidget {
 public:
  explicit ListViewWidget(QWidget* parent = nullptr);
  // The row a drop at `pos` (viewport coordinates) lands on; -1 for none.
  int RowAt(const QPoint& pos) const;
  // What a drop of the list's own row at `pos` does.
  void DropAt(const QPoint& pos);
  TListViewModel* Model = nullptr;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // Keys and double-clicks go to the model first (Ctrl+Up/Down, Delete, Enter).
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

void Bind(TListViewModel& model, ListViewWidget* list);

}  // namespace sw::ui
