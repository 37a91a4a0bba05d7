// The bump allocator of a storage's values and texts (see StorageArena.h).
#include "storage/StorageArena.h"

#include <cstdint>
#include <cstring>

namespace sw {

namespace {

std::unique_ptr<std::max_align_t[]> NewBlock(std::size_t bytes) {
  const std::size_t units = (bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
  // Default-initialised: the pages are touched only when used.
  return std::unique_ptr<std::max_align_t[]>(new std::max_align_t[units]);
}

}  // namespace

void* TStorageArena::Allocate(std::size_t size, std::size_t align) {
  if (size == 0) size = 1;
  const auto at = reinterpret_cast<std::uintptr_t>(next_);
  const std::uintptr_t aligned = (at + (align - 1)) & ~static_cast<std::uintptr_t>(align - 1);
  if (next_ && aligned + size <= reinterpret_cast<std::uintptr_t>(end_)) {
    next_ = reinterpret_cast<std::byte*>(aligned + size);
    return reinterpret_cast<void*>(aligned);
  }
  if (size > kBlockSize / 4) {
    // Its own block, kept behind the current one so that the current one's
    // free tail stays in use.
    auto block = NewBlock(size);
    void* memory = block.get();
    reserved_ += size;
    blocks_.insert(blocks_.empty() ? blocks_.end() : blocks_.end() - 1, std::move(block));
    return memory;
  }
  blocks_.push_back(NewBlock(kBlockSize));
  reserved_ += kBlockSize;
  next_ = reinterpret_cast<std::byte*>(blocks_.back().get());
  end_ = next_ + kBlockSize;
  void* memory = next_;
  next_ += size;
  return memory;
}

std::u16string_view TStorageArena::Store(std::u16string_view text) {
  if (text.empty()) return {};
  auto* copy = static_cast<char16_t*>(Allocate(text.size() * sizeof(char16_t), alignof(char16_t)));
  std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
  return {copy, text.size()};
}

}  // namespace sw
