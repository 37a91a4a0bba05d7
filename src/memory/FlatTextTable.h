// Storage for the memory's per-language sets while a run holds them: an
// arena that keeps text bytes at a fixed address in large chunks, and an
// open-addressing index from a hash to an entry number. A large library's
// run puts about a million texts into these; one allocation per text, and
// one free per text when the run ends, would cost it more than the work.
// Entries are never removed; the owner keeps them in a vector and compares
// keys itself (the index only narrows the search to equal hashes).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace sw::memory {

class TTextArena {
 public:
  // A copy of `bytes` that stays valid for the arena's lifetime.
  std::string_view Keep(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > free_) {
      const std::size_t size = bytes.size() > kChunk / 4 ? bytes.size() : kChunk;
      chunks_.push_back(std::make_unique<char[]>(size));
      next_ = chunks_.back().get();
      free_ = size;
    }
    std::memcpy(next_, bytes.data(), bytes.size());
    const std::string_view kept(next_, bytes.size());
    next_ += bytes.size();
    free_ -= bytes.size();
    return kept;
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;
  std::size_t free_ = 0;
};

class TFlatIndex {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  void Reserve(std::size_t entries) {
    if (entries * 2 > slots_.size()) Grow(entries * 2);
  }
  // The first entry with `hash` for which `same(entry)` holds, or kNone.
  template <class Same>
  std::uint32_t Find(std::uint64_t hash, Same&& same) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const TSlot& slot = slots_[i];
      if (slot.Entry == kNone) return kNone;
      if (slot.Hash == hash && same(slot.Entry)) return slot.Entry;
    }
  }
  // Adds an entry the index does not hold yet.
  void Insert(std::uint64_t hash, std::uint32_t entry) {
    if ((count_ + 1) * 2 > slots_.size()) Grow(slots_.empty() ? 16 : slots_.size() * 2);
    Place(hash, entry);
    ++count_;
  }

 private:
  struct TSlot {
    std::uint64_t Hash = 0;
    std::uint32_t Entry = kNone;
  };
  void Place(std::uint64_t hash, std::uint32_t entry) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].Entry != kNone) i = (i + 1) & mask;
    slots_[i] = {hash, entry};
  }
  void Grow(std::size_t atLeast) {
    std::size_t size = 16;
    while (size < atLeast) size *= 2;
    std::vector<TSlot> old(size);
    old.swap(slots_);
    for (const TSlot& slot : old)
      if (slot.Entry != kNone) Place(slot.Hash, slot.Entry);
  }
  std::vector<TSlot> slots_;
  std::size_t count_ = 0;
};

// A well-mixed hash of a number (the low bits choose the slot).
inline std::uint64_t MixHash(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDull;
  x ^= x >> 33;
  x *= 0xC4CEB9FE1A85EC53ull;
  x ^= x >> 33;
  return x;
}

}  // namespace sw::memory
