// The owning object list every storage list derives from.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "base/Exceptions.h"

namespace sw {

// An ordered list that owns its elements: `Delete`, `Clear` and destruction
// free them; `Remove` hands one back to the caller; `PutItem` replaces a slot
// without freeing the old element (the caller keeps it). A slot may be empty
// after `FreeAll`. Index errors raise EListError "List index out of bounds (%d)".
template <typename T>
class TQObjectList {
 public:
  TQObjectList() = default;
  virtual ~TQObjectList() = default;
  TQObjectList(const TQObjectList&) = delete;
  TQObjectList& operator=(const TQObjectList&) = delete;
  TQObjectList(TQObjectList&&) noexcept = default;
  TQObjectList& operator=(TQObjectList&&) noexcept = default;

  int Count() const { return static_cast<int>(items_.size()); }
  // Room for `count` elements without growing.
  void Reserve(int count) { items_.reserve(static_cast<std::size_t>(count)); }
  T* Items(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].get();
  }
  T* operator[](int index) const { return Items(index); }

  int Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  // Convenience: constructs the element in place; returns it.
  template <typename U = T, typename... Args>
  U* AddNew(Args&&... args) {
    auto item = std::make_unique<U>(std::forward<Args>(args)...);
    U* raw = item.get();
    Add(std::move(item));
    return raw;
  }
  void Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    items_.insert(items_.begin() + index, std::move(item));
  }
  // Replaces the slot; the previous element is released to the caller.
  std::unique_ptr<T> PutItem(int index, std::unique_ptr<T> item) {
    CheckIndex(index);
    std::swap(items_[static_cast<std::size_t>(index)], item);
    return item;
  }
  // Takes the element out of the list without freeing it.
  std::unique_ptr<T> Remove(int index) {
    CheckIndex(index);
    auto item = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    return item;
  }
  virtual void Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
  }
  virtual void FreeAll() {
    for (auto& item : items_) item.reset();
  }
  virtual void Clear() {
    FreeAll();
    items_.clear();
  }
  int IndexOf(const T* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  void CheckIndex(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
  }
  std::vector<std::unique_ptr<T>>& Storage() { return items_; }
  const std::vector<std::unique_ptr<T>>& Storage() const { return items_; }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace sw
