// Forms, components and properties; external groups and items; and the
// storage that owns the three trees with its column list, numbering counters,
// look-ups and column-wide operations (see LocStorage.h).
#include "storage/LocStorage.h"

#include "base/AsciiText.h"
#include "util/Messages.h"

namespace sw {

// ---- Properties ----------------------------------------------------------------

namespace {

TLocStorage* StorageOf(TLocComponent* owner) {
  if (!owner) return nullptr;
  TLocForm* form = owner->Form();
  return form ? form->OwnerStorage : nullptr;
}

}  // namespace

TLocProperty::TLocProperty(std::int32_t id, TLocComponent* owner, std::uint8_t kind, std::string name)
    : TLocItem(StorageOf(owner), kind, std::move(name), id), OwnerComponent(owner) {
  if (OwnerStorage) NativeValue()->LangId = OwnerStorage->NativeLangId;
}

std::string TLocProperty::FullName(char separator) const {
  if (!OwnerComponent) return ItemName;
  return OwnerComponent->FullName(separator) + separator + ItemName;
}

std::unique_ptr<TNamedItem> TLocPropertyList::CreateItem(const std::string& name) {
  return std::make_unique<TLocProperty>(0, OwnerComponent, vkString, name);
}

TLocProperty* TLocPropertyList::FindOrAddProperty(std::int32_t id, const std::string& name,
                                                  std::uint8_t kind) {
  if (TLocStorage* storage = StorageOf(OwnerComponent)) id = storage->ReservePropertyId(id);
  return static_cast<TLocProperty*>(FindOrAddWith(
      name, false, [&] { return std::make_unique<TLocProperty>(id, OwnerComponent, kind, name); }));
}

// ---- Components and forms --------------------------------------------------------

TLocComponent::TLocComponent(std::string name, TLocForm* form)
    : TNamedItem(std::move(name)), OwnerForm(form), Properties(std::make_unique<TLocPropertyList>(this)) {}

void TLocComponent::SetUsed(bool flag) {
  IsUsed = flag;
  Properties->SetAllUsed(flag);
}

std::string TLocComponent::FullName(char separator) const {
  if (!OwnerForm) return ItemName;
  return OwnerForm->FullName(separator) + separator + ItemName;
}

void TLocComponent::SetAttr(std::uint16_t mask, bool on) {
  Attributes = static_cast<std::uint16_t>(on ? (Attributes | mask) : (Attributes & ~mask));
}

TLocForm* TLocComponent::Form() {
  return OwnerForm ? OwnerForm : dynamic_cast<TLocForm*>(this);
}

const TLocForm* TLocComponent::Form() const {
  return OwnerForm ? OwnerForm : dynamic_cast<const TLocForm*>(this);
}

std::unique_ptr<TNamedItem> TLocComponentList::CreateItem(const std::string& name) {
  return std::make_unique<TLocComponent>(name, OwnerForm);
}

int TLocComponentList::PurgeUnused() {
  int count = 0;
  for (int i = 0; i < Count(); ++i) count += Items(i)->Properties->PurgeUnused();
  return count;
}

TLocForm::TLocForm(std::string name, TLocStorage* storage)
    : TLocComponent(std::move(name), nullptr), OwnerStorage(storage),
      Components(std::make_unique<TLocComponentList>(this)) {}

void TLocForm::SetUsed(bool flag) {
  TLocComponent::SetUsed(flag);
  Components->SetAllUsed(flag);
}

std::string TLocForm::FullName(char /*separator*/) const { return ItemName; }

TLocProperty* TLocForm::FindOrAddProperty(std::int32_t id, const std::string& componentName,
                                          std::uint8_t kind, const std::string& propName) {
  TLocComponent* owner = componentName.empty() ? this : Components->FindOrAdd(componentName);
  return owner->Properties->FindOrAddProperty(id, propName, kind);
}

TLocComponent* TLocForm::FindComponent(std::string_view name) {
  if (name.empty()) return this;
  const int index = Components->IndexOfName(name);
  return index < 0 ? nullptr : Components->Items(index);
}

TLocProperty* TLocForm::FindProperty(std::string_view componentName, std::string_view propName) {
  TLocComponent* owner = FindComponent(componentName);
  return owner ? owner->Properties->FindByName(propName) : nullptr;
}

int TLinearPropertyList::IndexOfPath(std::string_view formName, std::string_view componentName,
                                     std::string_view propName) const {
  for (int i = 0; i < Count(); ++i) {
    const TLocProperty* p = items_[static_cast<std::size_t>(i)];
    if (!SameTextAscii(p->ItemName, propName) || !p->OwnerComponent) continue;
    const TLocComponent* owner = p->OwnerComponent;
    const TLocForm* form = owner->Form();
    const std::string_view ownComponent = owner->OwnerForm ? std::string_view(owner->ItemName) : "";
    if (form && SameTextAscii(form->ItemName, formName) && SameTextAscii(ownComponent, componentName))
      return i;
  }
  return -1;
}

std::unique_ptr<TNamedItem> TLocFormList::CreateItem(const std::string& name) {
  return std::make_unique<TLocForm>(name, OwnerStorage);
}

int TLocFormList::PurgeUnused() {
  int count = 0;
  int i = 0;
  while (i < Count()) {
    TLocForm* form = Items(i);
    count += form->Components->PurgeUnused();
    count += form->Properties->PurgeUnused();
    bool empty = form->Properties->Count() == 0;
    for (int c = 0; empty && c < form->Components->Count(); ++c)
      empty = form->Components->Items(c)->Properties->Count() == 0;
    if (empty)
      Delete(i);
    else
      ++i;
  }
  return count;
}

void TLocFormList::BuildLinear(TLinearPropertyList& list, bool sort) const {
  for (int i = 0; i < Count(); ++i) {
    const TLocForm* form = Items(i);
    form->Properties->AppendTo(&list);
    for (int c = 0; c < form->Components->Count(); ++c) form->Components->Items(c)->Properties->AppendTo(&list);
  }
  list.FinishBuild(sort);
}

// ---- External groups and items --------------------------------------------------

TLocExtItem::TLocExtItem(TLocExtGroup* group, std::uint8_t kind, std::string name, std::int32_t id)
    : TLocItem(group ? group->OwnerStorage : nullptr, kind, std::move(name), id), OwnerGroup(group) {
  if (OwnerStorage) NativeValue()->LangId = OwnerStorage->NativeLangId;
}

std::string TLocExtItem::FullName(char separator) const {
  if (!OwnerGroup) return ItemName;
  return OwnerGroup->FullName(separator) + separator + ItemName;
}

std::unique_ptr<TNamedItem> TLocExtItemList::CreateItem(const std::string& name) {
  return std::make_unique<TLocExtItem>(OwnerGroup, vkString, name, 0);
}

TLocExtItem* TLocExtItemList::FindOrAddExtItem(std::int32_t id, const std::string& name, std::uint8_t kind) {
  return static_cast<TLocExtItem*>(
      FindOrAddWith(name, false, [&] { return std::make_unique<TLocExtItem>(OwnerGroup, kind, name, id); }));
}

TLocExtItem* TLocExtItemList::FindOrAddExtItem(std::int32_t id, const std::string& name) {
  if (OwnerGroup && OwnerGroup->OwnerStorage) id = OwnerGroup->OwnerStorage->ReserveExtItemId(id);
  return FindOrAddExtItem(id, name, vkString);
}

TLocExtGroup::TLocExtGroup(std::string name, TLocStorage* storage)
    : TNamedItem(std::move(name)), ExtItems(std::make_unique<TLocExtItemList>(this)), OwnerStorage(storage) {}

void TLocExtGroup::SetUsed(bool flag) {
  IsUsed = flag;
  ExtItems->SetAllUsed(flag);
}

std::unique_ptr<TNamedItem> TLocExtGroupList::CreateItem(const std::string& name) {
  return std::make_unique<TLocExtGroup>(name, OwnerStorage);
}

int TLocExtGroupList::PurgeUnused() {
  int count = 0;
  int i = 0;
  while (i < Count()) {
    TLocExtGroup* group = Items(i);
    count += group->ExtItems->PurgeUnused();
    if (group->ExtItems->Count() == 0)
      Delete(i);
    else
      ++i;
  }
  return count;
}

void TLocExtGroupList::BuildLinear(TLinearExternalList& list, bool sort) const {
  for (int i = 0; i < Count(); ++i) Items(i)->ExtItems->AppendTo(&list);
  list.FinishBuild(sort);
}

// ---- The storage ----------------------------------------------------------------

TLocStorage::TLocStorage()
    : arena_(std::make_unique<TStorageArena>()), userLangId_(UserDefaultLangId()),
      Forms(std::make_unique<TLocFormList>(this)), Units(std::make_unique<TLocUnitList>(this)),
      ExtGroups(std::make_unique<TLocExtGroupList>(this)), NativeLangId(userLangId_),
      Locales(std::make_unique<TLocaleList>()) {
  Locales->Add(NativeLangId);
}

TLocStorage::~TLocStorage() {
  // The constants tell the string-id index when they go: they go first.
  Units.reset();
}

LANGID TLocStorage::Languages(int column) const {
  if (column < 0 || column >= LanguageCount()) return 0;
  return Locales->Items(column);
}

int TLocStorage::AddLanguage(int sourceColumn, LANGID langId) {
  if (LanguageCount() == 0) throw ELocStorageError(SEmptyDictionary);
  if (sourceColumn < 0 || sourceColumn >= LanguageCount()) throw ELocStorageError(SCouldNotAddLanguage);
  Locales->Add(langId);
  ForEachItem([&](TLocItem* item) {
    const int column = item->AddValue(u"", langId);
    TLocValue* value = item->Values(column);
    value->Text.Share(item->Values(sourceColumn)->Text, arena_.get());
    value->SetRevision(-1);
  });
  return LanguageCount() - 1;
}

void TLocStorage::SetLanguage(int column, LANGID langId) {
  if (column >= 0 && column < LanguageCount()) Locales->PutItem(column, langId);
  ForEachItem([&](TLocItem* item) { item->Values(column)->SetLangId(langId); });
}

void TLocStorage::SetNativeLangId(LANGID langId) {
  NativeLangId = langId;
  if (LanguageCount() > 0) SetLanguage(0, langId);
}

void TLocStorage::RecodeColumn(int column, LANGID fromLangId, LANGID toLangId) {
  // Most texts are plain ASCII, which these two code pages may carry through
  // unchanged: checked once for all 127 characters, then such texts are kept
  // as they are instead of being converted there and back.
  std::u16string ascii;
  for (char16_t ch = 1; ch < 0x80; ++ch) ascii += ch;
  const bool asciiKept = RecodeWide(ascii, fromLangId, toLangId) == ascii;
  auto isAscii = [](std::u16string_view text) {
    for (char16_t ch : text)
      if (ch == 0 || ch >= 0x80) return false;
    return true;
  };
  auto recode = [&](TLocItem* item) {
    TLocValue* value = item->Values(column);
    if (asciiKept && isAscii(value->Text)) return;
    value->SetText(RecodeWide(value->Text, fromLangId, toLangId));
  };
  for (int i = 0; i < Forms->Count(); ++i) {
    TLocForm* form = Forms->Items(i);
    for (int p = 0; p < form->Properties->Count(); ++p) recode(form->Properties->Items(p));
    for (int c = 0; c < form->Components->Count(); ++c) {
      const auto* props = form->Components->Items(c)->Properties.get();
      for (int p = 0; p < props->Count(); ++p) recode(props->Items(p));
    }
  }
  for (int u = 0; u < Units->Count(); ++u) {
    const auto* constants = Units->Items(u)->Constants.get();
    for (int c = 0; c < constants->Count(); ++c) recode(constants->Items(c));
  }
}

std::int32_t TLocStorage::Reserve(std::int32_t& counter, std::int32_t id) {
  if (id < 0) {
    id = counter + 1;
    counter = id;
  } else if (counter < id) {
    counter = id;
  }
  return id;
}

TLocConstant* TLocStorage::FindOrAddConstant(std::int32_t id, const std::string& unitName,
                                             std::uint16_t stringId, const std::string& constName) {
  return Units->FindOrAdd(unitName)->Constants->FindOrAddConstant(id, constName, stringId);
}

TLocConstant* TLocStorage::FindConstant(std::string_view unitName, std::string_view constName) const {
  const int u = Units->IndexOfName(unitName);
  if (u < 0) return nullptr;
  const auto* constants = Units->Items(u)->Constants.get();
  const int c = constants->IndexOfName(constName);
  return c < 0 ? nullptr : constants->Items(c);
}

TLocExtItem* TLocStorage::FindExtItem(std::string_view groupName, std::string_view itemName) const {
  const int g = ExtGroups->IndexOfName(groupName);
  if (g < 0) return nullptr;
  const auto* items = ExtGroups->Items(g)->ExtItems.get();
  const int i = items->IndexOfName(itemName);
  return i < 0 ? nullptr : items->Items(i);
}

void TLocStorage::ConstantCreated(TLocConstant* constant) const {
  if (stringIds_.Valid) stringIds_.Created.push_back(constant);
}

void TLocStorage::ConstantDestroyed() const {
  stringIds_.Valid = false;
  stringIds_.First.clear();
  stringIds_.Created.clear();
}

bool TLocStorage::TreePosition(const TLocConstant* constant, int& unit, int& index) const {
  const TLocUnit* owner = constant->OwnerUnit;
  if (!owner || !Units->FindName(owner->ItemName, unit) || Units->Items(unit) != owner) return false;
  return owner->Constants->FindName(constant->ItemName, index) && owner->Constants->Items(index) == constant;
}

const TLocStorage::TStringIdIndex& TLocStorage::StringIdIndex() const {
  TStringIdIndex& x = stringIds_;
  if (x.Valid) {
    // Constants created since the last look-up: each one comes first for its
    // string id unless a constant earlier in the tree has it too.
    for (std::size_t i = 0; i < x.Created.size() && x.Valid; ++i) {
      TLocConstant* c = x.Created[i];
      auto [at, inserted] = x.First.try_emplace(c->StringId, c);
      if (inserted || at->second == c) continue;
      int cu = 0, ci = 0, hu = 0, hi = 0;
      if (!TreePosition(c, cu, ci) || !TreePosition(at->second, hu, hi)) {
        x.Valid = false;  // not where the tree says: rebuild below
        break;
      }
      if (cu < hu || (cu == hu && ci < hi)) at->second = c;
    }
    // A created constant not in the tree after all is caught by a rebuild.
    if (x.Valid) {
      for (TLocConstant* c : x.Created) {
        int u = 0, i = 0;
        if (x.First[c->StringId] == c && !TreePosition(c, u, i)) {
          x.Valid = false;
          break;
        }
      }
    }
    x.Created.clear();
    if (x.Valid) return x;
  }
  x.First.clear();
  x.Created.clear();
  for (int u = 0; u < Units->Count(); ++u) {
    const auto* constants = Units->Items(u)->Constants.get();
    for (int c = 0; c < constants->Count(); ++c) x.First.try_emplace(constants->Items(c)->StringId, constants->Items(c));
  }
  x.Valid = true;
  return x;
}

TLocConstant* TLocStorage::FindConstantByStringId(std::uint16_t stringId, bool includeRcUnit) const {
  if (includeRcUnit) {
    const TStringIdIndex& index = StringIdIndex();
    const auto at = index.First.find(stringId);
    return at == index.First.end() ? nullptr : at->second;
  }
  for (int u = 0; u < Units->Count(); ++u) {
    const TLocUnit* unit = Units->Items(u);
    if (!includeRcUnit && unit->ItemName == "RC") continue;
    const int c = unit->Constants->IndexOfStringId(stringId);
    if (c >= 0) return unit->Constants->Items(c);
  }
  return nullptr;
}

TLocConstant* TLocStorage::FindConstantById(std::int32_t id) const {
  for (int u = 0; u < Units->Count(); ++u) {
    const auto* constants = Units->Items(u)->Constants.get();
    const int c = constants->IndexOfId(id);
    if (c >= 0) return constants->Items(c);
  }
  return nullptr;
}

TLocProperty* TLocStorage::FindPropertyById(std::int32_t id) const {
  for (int i = 0; i < Forms->Count(); ++i) {
    const TLocForm* form = Forms->Items(i);
    int p = form->Properties->IndexOfId(id);
    if (p >= 0) return form->Properties->Items(p);
    for (int c = 0; c < form->Components->Count(); ++c) {
      const auto* props = form->Components->Items(c)->Properties.get();
      p = props->IndexOfId(id);
      if (p >= 0) return props->Items(p);
    }
  }
  return nullptr;
}

TLocExtItem* TLocStorage::FindExtItemById(std::int32_t id) const {
  for (int g = 0; g < ExtGroups->Count(); ++g) {
    const auto* items = ExtGroups->Items(g)->ExtItems.get();
    const int i = items->IndexOfId(id);
    if (i >= 0) return items->Items(i);
  }
  return nullptr;
}

}  // namespace sw
