// Two-way binding between the toolkit-free control models of src/app/ and
// Qt widgets. A widget takes the model's name as its object name, follows
// every change made through the model, and hands the user's actions back to
// the model. The binding decides nothing.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractButton>
#include <QGroupBox>
#include <QTreeWidget>

#include "app/Controls.h"

namespace sw::ui {

QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

void Bind(TButtonModel& model, QAbstractButton* button);
void Bind(TButtonModel& model, QAction* action);
void Bind(TEditModel& model, QLineEdit* edit);
void Bind(TCheckBoxModel& model, QCheckBox* box);
void Bind(TComboBoxModel& model, QComboBox* combo);
void Bind(TLabelModel& model, QLabel* label);
void Bind(TLabelModel& model, QGroupBox* group);
// The list view is bound by ListViewBinding (it needs drag and drop).

}  // namespace sw::ui
