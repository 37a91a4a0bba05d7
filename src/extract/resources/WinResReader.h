// WinResReader: lists the resources of a compiled resource file in the 32-bit
// resource file format (.RES, .R32). After a 32-byte empty marker entry the
// file holds one entry after another, each with a header (data size, header
// size, type, name, then fields this reader does not look at) and the data,
// every entry starting on a 4-byte boundary; all numbers are little-endian.
// A type or a name is either 0xFFFF followed by a 16-bit ordinal or a
// zero-terminated UTF-16 text.
//
// The reader only reads. It holds the whole file in memory for its lifetime;
// the entries' data views point into that copy. Damaged input is rejected with
// EResError "Invalid file format": no entry may reach past the end of the file,
// the sizes, type and name must fit in the entry's header, and bytes after the
// last entry are not ignored. A 16-bit resource file (first byte 0xFF) is a
// different format and is rejected the same way. A file of more than
// platform::kMaxSourceFileSize bytes, or one that is not a regular file, is
// refused before it is read ("Couldn't open", with the reason).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/Exceptions.h"
#include "util/LocaleCatalogue.h"
#include "util/OwningList.h"

namespace sw {

// The error of the resource reader. `Message()` is one of the fixed texts;
// `Location()` says where and what went wrong ("" when nothing more is known).
class EResError : public Exception {
 public:
  explicit EResError(std::string message, const std::string& detail = {}) : Exception(std::move(message)) {
    AttachLocation(detail);
  }
};

// Resource type ordinals that matter to this system.
inline constexpr std::uint16_t ResTypeString = 6;
inline constexpr std::uint16_t ResTypeRCData = 10;

// A resource type or name: a 16-bit ordinal or a text. The ordinal 6 and the
// text "6" are different.
class TResId {
 public:
  TResId() = default;
  static TResId FromOrdinal(std::uint16_t ordinal) { return TResId(true, ordinal, {}); }
  static TResId FromName(std::u16string name) { return TResId(false, 0, std::move(name)); }

  bool IsOrdinal() const { return isOrdinal_; }
  bool IsOrdinal(std::uint16_t ordinal) const { return isOrdinal_ && ordinal_ == ordinal; }
  std::uint16_t Ordinal() const { return ordinal_; }  // 0 for a text
  const std::u16string& Name() const { return name_; }  // "" for an ordinal
  // The text in the system ANSI code page.
  std::string Text() const { return WideToAnsiCP(name_, 0); }

  bool operator==(const TResId&) const = default;

 private:
  TResId(bool isOrdinal, std::uint16_t ordinal, std::u16string name)
      : isOrdinal_(isOrdinal), ordinal_(ordinal), name_(std::move(name)) {}

  bool isOrdinal_ = true;
  std::uint16_t ordinal_ = 0;
  std::u16string name_;
};

// One resource of the file. `Data` stays valid as long as the reader lives.
struct TResEntry {
  std::uint32_t DataSize = 0;
  std::uint32_t HeaderSize = 0;
  std::span<const std::uint8_t> Data;
  TResId ResType;
  TResId ResName;
  std::uint64_t Offset = 0;  // where the entry starts in the file
};

class TResReader {
 public:
  // Reads and lists the file. Raises EResError "Couldn't open: %s" when the
  // file cannot be read, "Invalid file format" when it is damaged.
  explicit TResReader(const std::string& fileName);
  // Lists a file image already in memory; `fileName` only names it.
  TResReader(std::string fileName, std::string image);

  TResReader(const TResReader&) = delete;
  TResReader& operator=(const TResReader&) = delete;

  const std::string& FileName() const { return fileName_; }
  int Count() const { return entries_.Count(); }
  // The entry at `index`, or nullptr when the index is out of range.
  const TResEntry* Entries(int index) const;

 private:
  void ListEntries();

  std::string fileName_;
  std::string image_;
  TQObjectList<TResEntry> entries_;
};

}  // namespace sw
