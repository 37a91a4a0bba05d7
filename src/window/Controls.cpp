#include "window/Controls.h"

namespace sw {

void TControlModel::SetFocus() {
  ++focusRequests_;
  if (OnFocusRequest)
    OnFocusRequest();
  else
    Enter();
}

void TEditModel::SelectAll() {
  allSelected_ = true;
  if (OnSelectAllRequest) OnSelectAllRequest();
}

void TEditModel::SetText(const std::string& text) {
  std::string newText = MaxLength > 0 && static_cast<int>(text.size()) > MaxLength
                            ? text.substr(0, static_cast<std::size_t>(MaxLength))
                            : text;
  if (newText == text_) return;
  text_ = std::move(newText);
  allSelected_ = false;
  Changed();
  if (OnChange) OnChange();
}

void TCheckBoxModel::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed();
  if (OnClick) OnClick();
}

void TComboBoxModel::SetItem(int index, const std::string& item) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<std::size_t>(index)] = item;
  Changed();
}

void TComboBoxModel::DeleteItem(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (itemIndex_ == index)
    itemIndex_ = -1;
  else if (itemIndex_ > index)
    --itemIndex_;
  Changed();
}

void TComboBoxModel::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < Count() ? index : -1;
  Changed();
}

void TComboBoxModel::UserSelect(int index) {
  SetItemIndex(index);
  if (OnChange) OnChange();
}

void TListViewModel::InsertRow(int index, Row row) {
  if (index < 0 || index > RowCount()) index = RowCount();
  rows_.insert(rows_.begin() + index, std::move(row));
  if (selected_ >= index) ++selected_;
  Changed();
}

void TListViewModel::SetRow(int index, Row row) {
  if (index < 0 || index >= RowCount()) return;
  rows_[static_cast<std::size_t>(index)] = std::move(row);
  Changed();
}

void TListViewModel::DeleteRow(int index) {
  if (index < 0 || index >= RowCount()) return;
  rows_.erase(rows_.begin() + index);
  if (selected_ == index)
    selected_ = -1;
  else if (selected_ > index)
    --selected_;
  Changed();
}

void TListViewModel::SetSelected(int index) {
  selected_ = index >= 0 && index < RowCount() ? index : -1;
  Changed();
}

void TListViewModel::UserClick(int index) {
  SetSelected(index);
  if (OnClick) OnClick();
}

void TListViewModel::UserDragDrop(int targetRow) {
  if (OnDragDrop) OnDragDrop(targetRow);
}

}  // namespace sw
