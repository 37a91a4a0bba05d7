// The items view: a library's translatable items in one table (a model over
// TItemsViewLogic, no widget per row), with the translation language, the
// status and problem filters and a text box above it; below, the word diff of
// an out-of-date item's native text, the row's problems with "Ignore this
// problem", and the translation editor (Ctrl+Enter accepts and moves to the
// next open item). Every decision is the logic's.
#pragma once

#include <memory>

#include <QAbstractTableModel>
#include <QDialog>

#include "window/ItemsViewLogic.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTextBrowser;

namespace sw::ui {

// The table's rows and columns, read from the logic when asked.
class ItemsTableModel : public QAbstractTableModel {
 public:
  ItemsTableModel(TItemsViewLogic& logic, QObject* parent) : QAbstractTableModel(parent), logic_(logic) {}
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order) override;
  // The logic's rows changed as a whole (filter, order, language).
  void Reset();
  void RowChanged(int row);
  void BeginReset() { beginResetModel(); }
  void EndReset() { endResetModel(); }

 private:
  TItemsViewLogic& logic_;
};

class ItemsView : public QDialog {
 public:
  ItemsView(const TItemsLibrary& library, QWidget* parent = nullptr);
  ~ItemsView() override;

  // Loads the first translation language; false (after showing the error)
  // when it cannot be read.
  bool Open();
  TItemsViewLogic& Logic() { return *logic_; }
  // The visible row selected, -1 for none.
  int CurrentRow() const;
  void SelectRow(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  void LanguageChanged();
  void FiltersChanged();
  void ShowRow();
  void Accept();
  void IgnoreProblem();
  void ShowError(const QString& message);
  void ShowNotes();

  std::unique_ptr<TItemsViewLogic> logic_;
  ItemsTableModel* model_ = nullptr;
  QComboBox* cbLanguage_ = nullptr;
  QComboBox* cbStatus_ = nullptr;
  QComboBox* cbProblem_ = nullptr;
  QLineEdit* edFilter_ = nullptr;
  QLabel* lblCount_ = nullptr;
  QLabel* lblNotes_ = nullptr;
  QTableView* tvItems_ = nullptr;
  QTextBrowser* txDiff_ = nullptr;
  QListWidget* lwProblems_ = nullptr;
  QPushButton* btIgnore_ = nullptr;
  QPlainTextEdit* edTranslation_ = nullptr;
  QPushButton* btAccept_ = nullptr;
};

}  // namespace sw::ui
