// Toolkit-free models of the controls the windows are made of. The window
// logic (MainWindowLogic, LangDialogLogic, AboutBoxLogic) owns these models
// and reacts to their events; the Qt binding in src/ui/ mirrors each model in
// a widget of the same name and feeds the user's actions back.
//
// Events follow the classic component behaviour the window logic is written
// against: changing an edit's text or a check box's state fires its event
// whether the user or the code made the change (hence the logic's `Updating`
// guard), while selecting a list entry from code fires nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sw {

// What every control has. `OnModelChanged` is for the view binding: it is
// called after any change made through the model, so that the widget can
// follow; the logic never uses it.
class TControlModel {
 public:
  explicit TControlModel(std::string name, std::string caption = "")
      : Name(std::move(name)), caption_(std::move(caption)) {}
  virtual ~TControlModel() = default;
  TControlModel(const TControlModel&) = delete;
  TControlModel& operator=(const TControlModel&) = delete;

  const std::string Name;
  std::string Hint;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) {
    caption_ = caption;
    Changed();
  }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) {
    if (enabled_ != enabled) {
      enabled_ = enabled;
      Changed();
    }
  }
  // Gives the control the focus from code. A bound view moves the focus and
  // reports it back through `Enter`; without a view the control counts as
  // entered at once.
  void SetFocus();
  // The control received the focus (from the user or from `SetFocus`).
  void Enter() {
    if (OnEnter) OnEnter();
  }
  // The control lost the focus to another control of the window.
  void Exit() {
    if (OnExit) OnExit();
  }
  // How often the logic asked for the focus; for tests.
  int FocusRequests() const { return focusRequests_; }
  std::function<void()> OnEnter;
  std::function<void()> OnExit;

  std::function<void()> OnModelChanged;
  std::function<void()> OnFocusRequest;

 protected:
  void Changed() {
    if (OnModelChanged) OnModelChanged();
  }

 private:
  std::string caption_;
  bool enabled_ = true;
  int focusRequests_ = 0;
};

class TButtonModel : public TControlModel {
 public:
  using TControlModel::TControlModel;
  std::function<void()> OnClick;
  void Click() {
    if (Enabled() && OnClick) OnClick();
  }
};

class TEditModel : public TControlModel {
 public:
  using TControlModel::TControlModel;
  const std::string& Text() const { return text_; }
  // Sets the text; fires OnChange when it differs.
  void SetText(const std::string& text);
  // Selects the whole text (the view shows it selected) until the text changes.
  void SelectAll();
  bool AllSelected() const { return allSelected_; }
  std::function<void()> OnSelectAllRequest;
  bool ReadOnly = false;
  int MaxLength = 0;  // 0: no limit
  std::function<void()> OnChange;

 private:
  std::string text_;
  bool allSelected_ = false;
};

class TCheckBoxModel : public TControlModel {
 public:
  TCheckBoxModel(std::string name, std::string caption, bool checked)
      : TControlModel(std::move(name), std::move(caption)), checked_(checked) {}
  bool Checked() const { return checked_; }
  // Sets the state; fires OnClick when it changes.
  void SetChecked(bool checked);
  std::function<void()> OnClick;

 private:
  bool checked_;
};

// A drop-down list without typing.
class TComboBoxModel : public TControlModel {
 public:
  using TControlModel::TControlModel;
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  void AddItem(const std::string& item) {
    items_.push_back(item);
    Changed();
  }
  void SetItem(int index, const std::string& item);
  void DeleteItem(int index);
  void ClearItems() {
    items_.clear();
    itemIndex_ = -1;
    Changed();
  }
  int ItemIndex() const { return itemIndex_; }
  // Selects from code: fires nothing.
  void SetItemIndex(int index);
  std::string Text() const {
    return itemIndex_ >= 0 && itemIndex_ < Count() ? items_[static_cast<std::size_t>(itemIndex_)] : "";
  }
  // The user picked an entry: selects it and fires OnChange.
  void UserSelect(int index);
  std::function<void()> OnChange;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// Keys a list hands to the logic before using them itself.
enum class TListKey { Up, Down, Delete, Enter };

// A read-only report list: rows of a caption and sub-items.
class TListViewModel : public TControlModel {
 public:
  using TControlModel::TControlModel;
  struct Column {
    std::string Caption;
    int Width;
  };
  struct Row {
    std::string Caption;
    std::vector<std::string> SubItems;
  };
  std::vector<Column> Columns;

  const std::vector<Row>& Rows() const { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int AddRow(Row row) {
    rows_.push_back(std::move(row));
    Changed();
    return RowCount() - 1;
  }
  void InsertRow(int index, Row row);
  void SetRow(int index, Row row);
  void DeleteRow(int index);
  void ClearRows() {
    rows_.clear();
    selected_ = -1;
    Changed();
  }
  int Selected() const { return selected_; }
  // Selects from code (-1: none); fires nothing.
  void SetSelected(int index);
  // The user clicked: selects the row under the pointer (-1: none) and fires OnClick.
  void UserClick(int index);
  // The user dragged the selected row and dropped it on `targetRow` (-1: on no row).
  void UserDragDrop(int targetRow);
  // The user pressed a key in the list (`ctrl`: with Ctrl held); true when
  // the logic used it, false to leave it to the list (Up and Down alone move
  // the selection).
  bool UserKeyDown(TListKey key, bool ctrl) { return OnKeyDown && OnKeyDown(key, ctrl); }
  // The user double-clicked row `index` (-1: no row).
  void UserDoubleClick(int index) {
    if (OnDblClick) OnDblClick(index);
  }
  std::function<void()> OnClick;
  std::function<void(int targetRow)> OnDragDrop;
  std::function<bool(TListKey key, bool ctrl)> OnKeyDown;
  std::function<void(int index)> OnDblClick;

 private:
  std::vector<Row> rows_;
  int selected_ = -1;
};

// A status line or label whose caption the logic sets.
using TLabelModel = TControlModel;

}  // namespace sw
