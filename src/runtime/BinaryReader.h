// A bounds-checked little-endian reader over bytes held in memory. Every read
// of binary input goes through it: a read that would go past the end raises
// EReadError "Stream read error" and leaves the position unchanged, so no
// caller can read outside its input whatever the bytes say. The reader does
// not own the bytes; they must outlive it. Offsets count from the start of the
// span the reader was made with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/Exceptions.h"

namespace sw {

class BinaryReader {
 public:
  BinaryReader() = default;
  explicit BinaryReader(std::span<const std::uint8_t> data) : data_(data) {}
  explicit BinaryReader(std::string_view bytes)
      : data_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) {}

  std::size_t Offset() const { return offset_; }
  std::size_t Size() const { return data_.size(); }
  std::size_t Remaining() const { return data_.size() - offset_; }
  std::span<const std::uint8_t> Data() const { return data_; }

  // Moves to `offset`; the end of the data is a valid position.
  void Seek(std::size_t offset) {
    if (offset > data_.size()) Fail();
    offset_ = offset;
  }
  void Skip(std::size_t count) { Take(count); }

  std::uint8_t ReadU8() { return Take(1)[0]; }
  std::uint16_t ReadU16LE() {
    const auto b = Take(2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  }
  std::uint32_t ReadU32LE() {
    const auto b = Take(4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  }
  std::uint64_t ReadU64LE() {
    const std::uint64_t low = ReadU32LE();
    return low | (static_cast<std::uint64_t>(ReadU32LE()) << 32);
  }
  std::int32_t ReadI32LE() { return static_cast<std::int32_t>(ReadU32LE()); }

  // The next `count` bytes, as a view into the data.
  std::span<const std::uint8_t> ReadBytes(std::size_t count) { return Take(count); }

  // `count` UTF-16 code units, little-endian.
  std::u16string ReadUtf16(std::size_t count) {
    if (count > Remaining() / 2) Fail();
    const auto b = Take(count * 2);
    std::u16string text(count, u'\0');
    for (std::size_t i = 0; i < count; ++i)
      text[i] = static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8));
    return text;
  }

  // UTF-16 code units up to a zero unit, which is consumed but not returned.
  // Without a terminator before the end nothing is consumed and the read fails.
  std::u16string ReadUtf16Z() {
    std::size_t units = 0;
    for (std::size_t at = offset_;; at += 2, ++units) {
      if (data_.size() - at < 2) Fail();
      if (data_[at] == 0 && data_[at + 1] == 0) break;
    }
    std::u16string text = ReadUtf16(units);
    offset_ += 2;
    return text;
  }

  // A reader over the next `count` bytes; this reader moves past them.
  BinaryReader SubReader(std::size_t count) { return BinaryReader(Take(count)); }

 private:
  [[noreturn]] static void Fail() { throw EReadError(SReadError); }

  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > Remaining()) Fail();
    const auto bytes = data_.subspan(offset_, count);
    offset_ += count;
    return bytes;
  }

  std::span<const std::uint8_t> data_;
  std::size_t offset_ = 0;
};

}  // namespace sw
