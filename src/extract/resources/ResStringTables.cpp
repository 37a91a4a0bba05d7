#include "extract/resources/ResStringTables.h"

#include <algorithm>

#include "runtime/BinaryReader.h"
#include "util/Messages.h"

namespace sw {

namespace {

constexpr int kStringsPerTable = 16;

}  // namespace

void TResString::LoadFromRes(const TResReader& reader) {
  Clear();
  for (int e = 0; e < reader.Count(); ++e) {
    const TResEntry& entry = *reader.Entries(e);
    if (!entry.ResType.IsOrdinal(ResTypeString) || !entry.ResName.IsOrdinal()) continue;
    AddTable(entry.ResName.Ordinal(), entry.Data,
             Format("entry at offset %llu", static_cast<unsigned long long>(entry.Offset)));
  }
}

void TResString::AddTable(std::uint16_t ordinal, std::span<const std::uint8_t> data, const std::string& where) {
  const std::int32_t firstId = (static_cast<std::int32_t>(ordinal) - 1) * kStringsPerTable;
  BinaryReader reader(data);
  for (int slot = 0; slot < kStringsPerTable; ++slot) {
    try {
      const std::uint16_t length = reader.ReadU16LE();
      if (length > 0) AddString(firstId + slot, reader.ReadUtf16(length));
    } catch (const EReadError&) {
      throw EResError(SResInvalidFileFormat,
                      Format("string table %d (%s): slot %d reaches past the end of its %u data bytes", ordinal,
                             where, slot, static_cast<unsigned>(data.size())));
    }
  }
}

const TResStringItem* TResString::Strings(int index) const {
  if (index < 0 || index >= strings_.Count()) return nullptr;
  return strings_.Items(index);
}

bool TResString::AddString(std::int32_t id, std::u16string text) {
  // Binary search finds the same insertion point as a walk in ascending order.
  const auto at = std::lower_bound(strings_.begin(), strings_.end(), id,
                                   [](const auto& item, std::int32_t key) { return item->Id < key; });
  if (at != strings_.end() && (*at)->Id == id) return false;
  auto item = std::make_unique<TResStringItem>();
  item->Id = id;
  item->Text = std::move(text);
  strings_.Insert(static_cast<int>(at - strings_.begin()), std::move(item));
  return true;
}

void TResProcessor::LoadFromResFile(const std::string& fileName) {
  const TResReader reader(fileName);
  LoadFromReader(reader);
}

void TResProcessor::LoadFromReader(const TResReader& reader) {
  blocks_.Clear();
  auto strings = std::make_unique<TResString>(this);
  strings->LoadFromRes(reader);
  if (strings->Count() > 0) blocks_.Add(std::move(strings));
}

TResBlock* TResProcessor::FindBlock(int resType) const {
  for (const auto& block : blocks_)
    if (block && block->ResType() == resType) return block.get();
  return nullptr;
}

}  // namespace sw
