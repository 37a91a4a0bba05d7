#include "window/Controls.h"

namespace sw {

namespace {

// An index into a list of `count` entries, or -1 (none) when out of range.
int EntryOrNone(int index, int count) { return index >= 0 && index < count ? index : -1; }

// Removes entry `index` of `entries`; the selection stays on the entry it
// was on, or becomes none when that entry goes. False when out of range.
template <class Entries>
bool EraseEntry(Entries& entries, int index, int& selected) {
  if (index < 0 || index >= static_cast<int>(entries.size())) return false;
  entries.erase(entries.begin() + index);
  if (selected == index)
    selected = -1;
  else if (selected > index)
    --selected;
  return true;
}

}  // namespace

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
  if (EraseEntry(items_, index, itemIndex_)) Changed();
}

void TComboBoxModel::SetItemIndex(int index) {
  itemIndex_ = EntryOrNone(index, Count());
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
  if (EraseEntry(rows_, index, selected_)) Changed();
}

void TListViewModel::SetSelected(int index) {
  selected_ = EntryOrNone(index, RowCount());
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
