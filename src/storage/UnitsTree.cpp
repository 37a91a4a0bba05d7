// Units and their string constants (see UnitsTree.h): constants are found by
// name ordinally, numbered through the storage before the look-up, and a
// unit goes when its last constant is purged.
#include "storage/UnitsTree.h"

#include "base/AsciiText.h"
#include "storage/LocStorage.h"

namespace sw {

namespace {

TLocStorage* StorageOf(const TLocUnit* unit) { return unit ? unit->OwnerStorage : nullptr; }

}  // namespace

TLocConstant::TLocConstant(std::int32_t id, TLocUnit* unit, std::uint16_t stringId, std::string name)
    : TLocItem(StorageOf(unit), vkString, std::move(name), id), OwnerUnit(unit), StringId(stringId) {
  if (OwnerStorage) {
    NativeValue()->LangId = OwnerStorage->NativeLangId;
    OwnerStorage->ConstantCreated(this);
  }
}

TLocConstant::~TLocConstant() {
  if (OwnerStorage) OwnerStorage->ConstantDestroyed();
}

std::string TLocConstant::FullName(char separator) const {
  if (!OwnerUnit) return ItemName;
  return OwnerUnit->FullName(separator) + separator + ItemName;
}

TLocConstantList::TLocConstantList(TLocUnit* owner) : OwnerUnit(owner) { CaseSensitive = true; }

std::unique_ptr<TNamedItem> TLocConstantList::CreateItem(const std::string& name) {
  return std::make_unique<TLocConstant>(0, OwnerUnit, 0, name);
}

TLocConstant* TLocConstantList::FindOrAddConstant(std::int32_t id, const std::string& name,
                                                  std::uint16_t stringId) {
  if (TLocStorage* storage = StorageOf(OwnerUnit)) id = storage->ReserveConstantId(id);
  // The shortcut through LastIndex compares ordinally here, as the list does.
  return static_cast<TLocConstant*>(FindOrAddWith(
      name, true, [&] { return std::make_unique<TLocConstant>(id, OwnerUnit, stringId, name); }));
}

int TLocConstantList::IndexOfStringId(std::uint16_t stringId) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->StringId == stringId) return i;
  return -1;
}

TLocUnit::TLocUnit(std::string name, TLocStorage* storage)
    : TNamedItem(std::move(name)), Constants(std::make_unique<TLocConstantList>(this)),
      OwnerStorage(storage) {}

void TLocUnit::SetUsed(bool flag) {
  IsUsed = flag;
  Constants->SetAllUsed(flag);
}

void TLocUnit::SetAttr(std::uint16_t mask, bool on) {
  Attributes = static_cast<std::uint16_t>(on ? (Attributes | mask) : (Attributes & ~mask));
}

int TLinearConstantList::IndexOfPath(std::string_view unitName, std::string_view constName) const {
  for (int i = 0; i < Count(); ++i) {
    const TLocConstant* c = items_[static_cast<std::size_t>(i)];
    if (SameTextAscii(c->ItemName, constName) && c->OwnerUnit && SameTextAscii(c->OwnerUnit->ItemName, unitName))
      return i;
  }
  return -1;
}

std::unique_ptr<TNamedItem> TLocUnitList::CreateItem(const std::string& name) {
  return std::make_unique<TLocUnit>(name, OwnerStorage);
}

int TLocUnitList::PurgeUnused() {
  int count = 0;
  int i = 0;
  while (i < Count()) {
    TLocUnit* unit = Items(i);
    count += unit->Constants->PurgeUnused();
    if (unit->Constants->Count() == 0)
      Delete(i);
    else
      ++i;
  }
  return count;
}

void TLocUnitList::BuildLinear(TLinearConstantList& list, bool sort) const {
  for (int i = 0; i < Count(); ++i) Items(i)->Constants->AppendTo(&list);
  list.FinishBuild(sort);
}

}  // namespace sw
