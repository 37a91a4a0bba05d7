// ResStringTables: turns a compiled resource file into the strings of its string
// tables (resource type 6), each with its numeric string identifier. The
// table named by the ordinal N holds identifiers (N - 1) x 16 to
// (N - 1) x 16 + 15: for each of its 16 slots a 16-bit length in UTF-16 code
// units followed by that many code units, a length of 0 marking an empty slot.
//
// Resources of other types are not extracted, and neither are entries whose
// type or name is a text rather than an ordinal: a named entry is no string
// table, and a string table without an ordinal name has no identifiers. When
// two tables hold the same identifier, the first in file order wins. A string
// table whose slots run past the end of its data is damage and raises
// EResError "Invalid file format".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "extract/resources/WinResReader.h"
#include "util/OwningList.h"

namespace sw {

class TResProcessor;

// One block of resources of one type.
class TResBlock {
 public:
  virtual ~TResBlock() = default;
  virtual int Count() const = 0;
  virtual int ResType() const = 0;
  virtual void LoadFromRes(const TResReader& reader) = 0;
  virtual void Clear() = 0;
};

struct TResStringItem {
  std::int32_t Id = 0;
  std::u16string Text;
};

// The strings of all string tables of a file, sorted by `Id`, ids unique.
class TResString : public TResBlock {
 public:
  explicit TResString(TResProcessor* owner) : owner_(owner) {}

  int Count() const override { return strings_.Count(); }
  int ResType() const override { return ResTypeString; }
  void LoadFromRes(const TResReader& reader) override;
  void Clear() override { strings_.Clear(); }
  // Adds the strings of one string table, the resource named by `ordinal`
  // (its data in whatever container it came from); `where` names its place
  // in the file for the error a damaged table raises.
  void AddTable(std::uint16_t ordinal, std::span<const std::uint8_t> data, const std::string& where);

  // The string at `index` in identifier order, or nullptr when out of range.
  const TResStringItem* Strings(int index) const;
  // Adds the string unless its identifier is already there (the earlier one
  // wins). Returns whether it was added.
  bool AddString(std::int32_t id, std::u16string text);
  TResProcessor* Owner() const { return owner_; }

 private:
  TResProcessor* owner_;  // not owned
  TQObjectList<TResStringItem> strings_;
};

class TResProcessor {
 public:
  // Reads the file and builds its blocks, replacing the earlier ones. When
  // the file cannot be opened or listed the earlier blocks stay untouched; a
  // damaged string table leaves no blocks. Errors reach the caller.
  void LoadFromResFile(const std::string& fileName);
  // The same for a reader already open.
  void LoadFromReader(const TResReader& reader);
  // The first block holding `resType`, or nullptr.
  TResBlock* FindBlock(int resType) const;
  const TQObjectList<TResBlock>& Blocks() const { return blocks_; }

 private:
  TQObjectList<TResBlock> blocks_;
};

}  // namespace sw
