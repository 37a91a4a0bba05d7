// The translation storage of one library: three trees of translatable items
// (forms with components and properties; units with string constants;
// external groups with external items), each item holding one value per
// language column, plus the list of column languages, the numbering
// counters of the three item families, look-ups by name, path and number,
// and the column-wide operations (adding a language column, setting or
// recoding a column's language). Containers are named sorted owning lists;
// names compare without regard to ASCII case except string-constant names.
// The storage is serialised column by column by the language file
// (LocLangFile.h); it does no file input or output of its own. Its values and
// their texts live in the storage's arena and are freed with it at once; a
// column added as a copy of another shares that column's texts until a value
// changes.
#pragma once

#include <unordered_map>
#include <vector>

#include "storage/LocCommon.h"
#include "storage/UnitsTree.h"
#include "storage/StorageArena.h"

namespace sw {

class TLocComponent;
class TLocForm;
class TLocExtGroup;

// ---- Forms, components, properties ---------------------------------------

class TLocProperty : public TLocItem {
 public:
  TLocProperty(std::int32_t id, TLocComponent* owner, std::uint8_t kind, std::string name);

  TLocComponent* OwnerComponent = nullptr;

  int Reserved() const override { return 0; }
  std::string FullName(char separator) const override;
};

class TLocPropertyList : public TLocItemList {
 public:
  explicit TLocPropertyList(TLocComponent* owner) : OwnerComponent(owner) {}

  TLocComponent* OwnerComponent = nullptr;

  TLocProperty* Items(int index) const {
    return static_cast<TLocProperty*>(TNamedItemList::Items(index));
  }
  TLocProperty* FindByName(std::string_view name) const {
    return static_cast<TLocProperty*>(TLocItemList::FindByName(name));
  }
  // Reserves `id` in the storage (when the owner belongs to one) before the
  // look-up; an existing property keeps its id and kind.
  TLocProperty* FindOrAddProperty(std::int32_t id, const std::string& name, std::uint8_t kind);

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

class TLocComponent : public TNamedItem {
 public:
  TLocComponent(std::string name, TLocForm* form);

  TLocForm* OwnerForm = nullptr;
  std::unique_ptr<TLocPropertyList> Properties;
  std::uint16_t Attributes = 0;

  void SetUsed(bool flag) override;
  virtual std::string FullName(char separator) const;
  bool HasAttr(std::uint16_t mask) const { return (Attributes & mask) == mask; }
  void SetAttr(std::uint16_t mask, bool on);
  // The form this component belongs to (itself for a form).
  TLocForm* Form();
  const TLocForm* Form() const;
};

class TLocComponentList : public TNamedItemList {
 public:
  explicit TLocComponentList(TLocForm* form) : OwnerForm(form) {}

  TLocForm* OwnerForm = nullptr;

  TLocComponent* Items(int index) const {
    return static_cast<TLocComponent*>(TNamedItemList::Items(index));
  }
  TLocComponent* FindOrAdd(const std::string& name) {
    return static_cast<TLocComponent*>(TNamedItemList::FindOrAdd(name));
  }
  // Purges every component's properties; never removes a component.
  int PurgeUnused() override;

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

class TLocForm : public TLocComponent {
 public:
  TLocForm(std::string name, TLocStorage* storage);

  TLocStorage* OwnerStorage = nullptr;
  std::unique_ptr<TLocComponentList> Components;

  void SetUsed(bool flag) override;
  std::string FullName(char separator) const override;

  // Empty `componentName`: the form's own properties.
  TLocProperty* FindOrAddProperty(std::int32_t id, const std::string& componentName,
                                  std::uint8_t kind, const std::string& propName);
  // Empty name: the form itself; otherwise the component or nullptr.
  TLocComponent* FindComponent(std::string_view name);
  TLocProperty* FindProperty(std::string_view componentName, std::string_view propName);
};

class TLinearPropertyList : public TLinearList<TLocProperty> {
 public:
  // Form, component ("" for a form-level property) and property names, all
  // compared without regard to ASCII case.
  int IndexOfPath(std::string_view formName, std::string_view componentName,
                  std::string_view propName) const;
};

class TLocFormList : public TNamedItemList {
 public:
  explicit TLocFormList(TLocStorage* storage) : OwnerStorage(storage) {}

  TLocStorage* OwnerStorage = nullptr;

  TLocForm* Items(int index) const { return static_cast<TLocForm*>(TNamedItemList::Items(index)); }
  TLocForm* FindOrAdd(const std::string& name) {
    return static_cast<TLocForm*>(TNamedItemList::FindOrAdd(name));
  }
  int PurgeUnused() override;
  void BuildLinear(TLinearPropertyList& list, bool sort) const;

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

// ---- External groups and items ---------------------------------------------

class TLocExtItem : public TLocItem {
 public:
  TLocExtItem(TLocExtGroup* group, std::uint8_t kind, std::string name, std::int32_t id);

  TLocExtGroup* OwnerGroup = nullptr;

  std::string FullName(char separator) const override;
};

class TLocExtItemList : public TLocItemList {
 public:
  explicit TLocExtItemList(TLocExtGroup* group) : OwnerGroup(group) {}

  TLocExtGroup* OwnerGroup = nullptr;

  TLocExtItem* Items(int index) const {
    return static_cast<TLocExtItem*>(TNamedItemList::Items(index));
  }
  TLocExtItem* FindByName(std::string_view name) const {
    return static_cast<TLocExtItem*>(TLocItemList::FindByName(name));
  }
  // Finds by name or creates with `id` and `kind`; reserves no id.
  TLocExtItem* FindOrAddExtItem(std::int32_t id, const std::string& name, std::uint8_t kind);
  // The language-file reader's entry: reserves `id` first, creates kind 2.
  TLocExtItem* FindOrAddExtItem(std::int32_t id, const std::string& name);

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

class TLocExtGroup : public TNamedItem {
 public:
  TLocExtGroup(std::string name, TLocStorage* storage);

  std::unique_ptr<TLocExtItemList> ExtItems;
  std::uint16_t Attributes = 0;
  TLocStorage* OwnerStorage = nullptr;

  void SetUsed(bool flag) override;
  virtual std::string FullName(char separator) const { (void)separator; return ItemName; }
  TLocExtItem* FindOrAddExtItem(std::int32_t id, const std::string& name, std::uint8_t kind) {
    return ExtItems->FindOrAddExtItem(id, name, kind);
  }
};

class TLinearExternalList : public TLinearList<TLocExtItem> {};

class TLocExtGroupList : public TNamedItemList {
 public:
  explicit TLocExtGroupList(TLocStorage* storage) : OwnerStorage(storage) {}

  TLocStorage* OwnerStorage = nullptr;

  TLocExtGroup* Items(int index) const {
    return static_cast<TLocExtGroup*>(TNamedItemList::Items(index));
  }
  TLocExtGroup* FindOrAdd(const std::string& name) {
    return static_cast<TLocExtGroup*>(TNamedItemList::FindOrAdd(name));
  }
  int PurgeUnused() override;
  void BuildLinear(TLinearExternalList& list, bool sort) const;

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

// ---- The storage -------------------------------------------------------------

// The language identifier of each column, in column order.
class TLocaleList {
 public:
  int Count() const { return static_cast<int>(ids_.size()); }
  void Add(LANGID id) { ids_.push_back(id); }
  LANGID Items(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return ids_[static_cast<std::size_t>(index)];
  }
  void PutItem(int index, LANGID id) {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    ids_[static_cast<std::size_t>(index)] = id;
  }

 private:
  std::vector<LANGID> ids_;
};

class TLocStorage {
  // The values and texts of the storage's items: declared first, it goes
  // last, at once, after every item.
  std::unique_ptr<TStorageArena> arena_;
  int expectedLanguages_ = 1;
  LANGID userLangId_ = 0;

 public:
  TLocStorage();
  ~TLocStorage();
  TLocStorage(const TLocStorage&) = delete;
  TLocStorage& operator=(const TLocStorage&) = delete;

  std::unique_ptr<TLocFormList> Forms;
  std::unique_ptr<TLocUnitList> Units;
  std::unique_ptr<TLocExtGroupList> ExtGroups;
  LANGID NativeLangId = 0;
  std::unique_ptr<TLocaleList> Locales;
  std::int32_t LastPropertyId = 0;
  std::int32_t LastConstantId = 0;
  std::int32_t LastExtItemId = 0;

  // Where the items' values and texts live (see StorageArena.h).
  TStorageArena* Arena() const { return arena_.get(); }

  // Languages.
  int LanguageCount() const { return Locales->Count(); }
  // The number of languages the storage will hold, when known beforehand
  // (a processing run knows it): every item made from now on has room for
  // exactly that many values, not the slack of a list grown one by one.
  void ExpectLanguages(int count) { expectedLanguages_ = count; }
  int ExpectedLanguages() const { return expectedLanguages_; }
  // The user's default language, asked of the system once, when the storage
  // was made: the language of a native value made before any is set.
  LANGID UserLangId() const { return userLangId_; }
  // 0 for a column outside the storage.
  LANGID Languages(int column) const;
  // Raises ELocStorageError "Empty dictionary" / "Could not add language".
  int AddLanguage(int sourceColumn, LANGID langId);
  void SetLanguage(int column, LANGID langId);
  void SetNativeLangId(LANGID langId);
  void RecodeColumn(int column, LANGID fromLangId, LANGID toLangId);

  // Numbering: a negative id takes the next number; 0 stays 0.
  std::int32_t ReservePropertyId(std::int32_t id) { return Reserve(LastPropertyId, id); }
  std::int32_t ReserveConstantId(std::int32_t id) { return Reserve(LastConstantId, id); }
  std::int32_t ReserveExtItemId(std::int32_t id) { return Reserve(LastExtItemId, id); }

  // Finding and adding.
  TLocConstant* FindOrAddConstant(std::int32_t id, const std::string& unitName,
                                  std::uint16_t stringId, const std::string& constName);
  TLocConstant* FindConstant(std::string_view unitName, std::string_view constName) const;
  TLocExtItem* FindExtItem(std::string_view groupName, std::string_view itemName) const;
  TLocConstant* FindConstantByStringId(std::uint16_t stringId, bool includeRcUnit) const;
  TLocConstant* FindResString(std::uint16_t stringId) const {
    return FindConstantByStringId(stringId, true);
  }
  TLocConstant* FindConstantById(std::int32_t id) const;
  TLocProperty* FindPropertyById(std::int32_t id) const;
  TLocExtItem* FindExtItemById(std::int32_t id) const;

  // Every item of the storage, constants first, then properties in form
  // tree order, then external items.
  template <typename F>
  void ForEachItem(F&& f) const;

 private:
  friend class TLocConstant;

  // The first constant, in tree order, of each string id. Built on the first
  // look-up; a constant created since is placed in it at the next look-up,
  // and a constant destroyed (purged, cleared, deleted) drops it until then.
  struct TStringIdIndex {
    bool Valid = false;
    std::unordered_map<std::uint16_t, TLocConstant*> First;
    std::vector<TLocConstant*> Created;
  };

  static std::int32_t Reserve(std::int32_t& counter, std::int32_t id);
  void ConstantCreated(TLocConstant* constant) const;
  void ConstantDestroyed() const;
  const TStringIdIndex& StringIdIndex() const;
  // Unit and list position of a constant in the tree; false when it is not there.
  bool TreePosition(const TLocConstant* constant, int& unit, int& index) const;

  mutable TStringIdIndex stringIds_;
};

template <typename F>
void TLocStorage::ForEachItem(F&& f) const {
  for (int u = 0; u < Units->Count(); ++u) {
    const auto* constants = Units->Items(u)->Constants.get();
    for (int c = 0; c < constants->Count(); ++c) f(static_cast<TLocItem*>(constants->Items(c)));
  }
  for (int i = 0; i < Forms->Count(); ++i) {
    TLocForm* form = Forms->Items(i);
    for (int p = 0; p < form->Properties->Count(); ++p) f(static_cast<TLocItem*>(form->Properties->Items(p)));
    for (int c = 0; c < form->Components->Count(); ++c) {
      const auto* props = form->Components->Items(c)->Properties.get();
      for (int p = 0; p < props->Count(); ++p) f(static_cast<TLocItem*>(props->Items(p)));
    }
  }
  for (int g = 0; g < ExtGroups->Count(); ++g) {
    const auto* items = ExtGroups->Items(g)->ExtItems.get();
    for (int e = 0; e < items->Count(); ++e) f(static_cast<TLocItem*>(items->Items(e)));
  }
}

}  // namespace sw
