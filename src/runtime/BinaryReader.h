// The one little-endian decoder of the project and the bounds-checked reader
// built on it. Every decoder of outside binary data (language files, form
// streams, compiled resources, the LZQ container) reads through
// `BinaryReader`; `LoadLE` is the only place where bytes become numbers (text
// becomes UTF-16 in `Utf16FromBytes`, Unicode.h).
//
// A read that would go past the end raises EReadError "Stream read error" and
// leaves the position unchanged, so no caller can read outside its input
// whatever the bytes say. Counts read from the data are checked against what
// is left before anything is allocated for them, without overflowing
// (`ReadArray`, `CheckCount`). The reader does not own the bytes; they must
// outlive it. `Offset()` counts from the start of the span the reader was made
// with; `Position()` adds the origin the reader was given, so that a reader
// over a part of a file reports offsets in the file.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/Exceptions.h"
#include "base/Unicode.h"
#include "runtime/Streams.h"

namespace sw {

// The unsigned integer stored little-endian at `bytes`.
template <std::unsigned_integral T>
constexpr T LoadLE(const std::uint8_t* bytes) {
  T value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>((value << 8) | bytes[i]);
  return value;
}

class BinaryReader {
 public:
  BinaryReader() = default;
  explicit BinaryReader(std::span<const std::uint8_t> data, std::uint64_t origin = 0)
      : data_(data), origin_(origin) {}
  explicit BinaryReader(std::string_view bytes, std::uint64_t origin = 0)
      : data_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), origin_(origin) {}

  std::size_t Offset() const { return offset_; }
  // The offset in the whole input: the origin plus `Offset()`.
  std::uint64_t Position() const { return origin_ + offset_; }
  std::size_t Size() const { return data_.size(); }
  std::size_t Remaining() const { return data_.size() - offset_; }
  bool AtEnd() const { return offset_ == data_.size(); }
  std::span<const std::uint8_t> Data() const { return data_; }

  // Moves to `offset`; the end of the data is a valid position.
  void Seek(std::size_t offset) {
    if (offset > data_.size()) Fail();
    offset_ = offset;
  }
  void Skip(std::uint64_t count) {
    if (count > Remaining()) Fail();
    offset_ += static_cast<std::size_t>(count);
  }

  std::uint8_t PeekU8() const {
    if (offset_ >= data_.size()) Fail();
    return data_[offset_];
  }
  std::uint8_t ReadU8() { return Take(1)[0]; }
  std::uint16_t ReadU16LE() { return LoadLE<std::uint16_t>(Take(2).data()); }
  std::uint32_t ReadU32LE() { return LoadLE<std::uint32_t>(Take(4).data()); }
  std::uint64_t ReadU64LE() { return LoadLE<std::uint64_t>(Take(8).data()); }
  std::int32_t ReadI32LE() { return static_cast<std::int32_t>(ReadU32LE()); }

  // `count` units of `unitSize` bytes must fit in what is left; returns
  // `count`. Checked by division, so a huge count cannot wrap around.
  std::size_t CheckCount(std::uint64_t count, std::size_t unitSize) const {
    if (unitSize != 0 && count > Remaining() / unitSize) Fail();
    return static_cast<std::size_t>(count);
  }
  // The bytes of `count` units of `unitSize` bytes, as a view into the data.
  std::span<const std::uint8_t> ReadArray(std::uint64_t count, std::size_t unitSize) {
    return Take(CheckCount(count, unitSize) * unitSize);
  }

  // The next `count` bytes, as a view into the data.
  std::span<const std::uint8_t> ReadBytes(std::size_t count) { return Take(count); }
  // The next `count` bytes, as a string of bytes.
  std::string ReadChars(std::size_t count) {
    const auto b = Take(count);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
  }
  void ReadChars(std::size_t count, std::string& out) {
    const auto b = Take(count);
    out.assign(reinterpret_cast<const char*>(b.data()), b.size());
  }

  // `count` UTF-16 code units, little-endian.
  std::u16string ReadUtf16(std::uint64_t count) {
    std::u16string text;
    ReadUtf16(count, text);
    return text;
  }
  void ReadUtf16(std::uint64_t count, std::u16string& out) { Utf16FromBytes(ReadArray(count, 2), false, out); }

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

  // A reader over the next `count` bytes; this reader moves past them. Its
  // positions continue this reader's.
  BinaryReader SubReader(std::size_t count) {
    const std::uint64_t origin = Position();
    return BinaryReader(Take(count), origin);
  }

  [[noreturn]] static void Fail() { throw EReadError(SReadError); }

 private:
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > Remaining()) Fail();
    const auto bytes = data_.subspan(offset_, count);
    offset_ += count;
    return bytes;
  }

  std::span<const std::uint8_t> data_;
  std::size_t offset_ = 0;
  std::uint64_t origin_ = 0;
};

// The bytes of `stream` from its position to its end, held for a reader: a
// view of a memory stream's own bytes, a copy of anything else. `Origin()` is
// the stream position the bytes start at.
class TStreamBytes {
 public:
  explicit TStreamBytes(TStream& stream);
  TStreamBytes(const TStreamBytes&) = delete;
  TStreamBytes& operator=(const TStreamBytes&) = delete;

  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  std::uint64_t Origin() const { return origin_; }
  BinaryReader Reader() const { return BinaryReader(bytes_, origin_); }

 private:
  std::string copy_;
  std::span<const std::uint8_t> bytes_;
  std::uint64_t origin_ = 0;
};

// Runs `read` on a reader over the rest of `stream` and moves the stream just
// past what it consumed, also when it throws. For the few readers that are
// handed a stream; a memory stream is read in place, any other is copied.
template <typename Read>
auto ReadThrough(TStream& stream, Read&& read) {
  TStreamBytes bytes(stream);
  BinaryReader reader = bytes.Reader();
  struct Advance {
    TStream& stream;
    const BinaryReader& reader;
    ~Advance() { stream.SetPosition(static_cast<std::int64_t>(reader.Position())); }
  } advance{stream, reader};
  return read(reader);
}

}  // namespace sw
