// The memory of one translation storage's values and texts: a bump
// allocator that hands out pieces of large blocks and frees nothing until it
// is destroyed, when every block goes at once. The storage owns one and
// outlives nothing it handed out; values and texts placed here are never
// freed one by one (a text replaced or a value purged leaves its piece
// unused until the storage goes). The arena is not thread-safe: like the
// storage it belongs to, it is changed from one thread at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace sw {

class TStorageArena {
 public:
  TStorageArena() = default;
  TStorageArena(const TStorageArena&) = delete;
  TStorageArena& operator=(const TStorageArena&) = delete;

  // `size` bytes aligned to `align` (a power of two up to that of
  // std::max_align_t); never null, raises std::bad_alloc when memory runs out.
  void* Allocate(std::size_t size, std::size_t align);
  // A copy of `text` in the arena (not terminated); the empty text is a
  // static empty string.
  std::u16string_view Store(std::u16string_view text);
  // Bytes of the blocks taken from the system so far.
  std::size_t BytesReserved() const { return reserved_; }

 private:
  // Most blocks have this size; a request larger than a quarter of it gets a
  // block of its own, so that a large text wastes no tail of a shared block.
  static constexpr std::size_t kBlockSize = 256 * 1024;

  std::vector<std::unique_ptr<std::max_align_t[]>> blocks_;
  std::byte* next_ = nullptr;
  std::byte* end_ = nullptr;
  std::size_t reserved_ = 0;
};

}  // namespace sw
