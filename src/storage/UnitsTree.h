// The units tree of the translation storage: units (source units, resource
// scripts and compiled resource files) with their string constants, and the
// flat list of every constant used for look-ups by number or by path.
// Constant names compare ordinally (SError and SERROR are two constants);
// unit names compare without regard to ASCII case.
#pragma once

#include "storage/LocCommon.h"

namespace sw {

class TLocUnit;

class TLocConstant : public TLocItem {
 public:
  TLocConstant(std::int32_t id, TLocUnit* unit, std::uint16_t stringId, std::string name);
  ~TLocConstant() override;

  TLocUnit* OwnerUnit = nullptr;
  // Read by the storage's string-id index: set when the constant is made.
  std::uint16_t StringId = 0;

  std::string FullName(char separator) const override;
};

class TLocConstantList : public TLocItemList {
 public:
  explicit TLocConstantList(TLocUnit* owner);

  TLocUnit* OwnerUnit = nullptr;

  TLocConstant* Items(int index) const {
    return static_cast<TLocConstant*>(TNamedItemList::Items(index));
  }
  TLocConstant* FindByName(std::string_view name) const {
    return static_cast<TLocConstant*>(TLocItemList::FindByName(name));
  }
  // Reserves `id` in the storage first, then finds the constant by name or
  // creates it with `id` and `stringId`; an existing one keeps both.
  TLocConstant* FindOrAddConstant(std::int32_t id, const std::string& name, std::uint16_t stringId);
  int IndexOfStringId(std::uint16_t stringId) const;

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

class TLocUnit : public TNamedItem {
 public:
  TLocUnit(std::string name, TLocStorage* storage);

  std::unique_ptr<TLocConstantList> Constants;
  std::uint16_t Attributes = 0;
  TLocStorage* OwnerStorage = nullptr;

  void SetUsed(bool flag) override;
  virtual std::string FullName(char separator) const { (void)separator; return ItemName; }
  void SetAttr(std::uint16_t mask, bool on);
};

class TLinearConstantList : public TLinearList<TLocConstant> {
 public:
  // Unit and constant names both compared without regard to ASCII case.
  int IndexOfPath(std::string_view unitName, std::string_view constName) const;
};

class TLocUnitList : public TNamedItemList {
 public:
  explicit TLocUnitList(TLocStorage* storage) : OwnerStorage(storage) {}

  TLocStorage* OwnerStorage = nullptr;

  TLocUnit* Items(int index) const { return static_cast<TLocUnit*>(TNamedItemList::Items(index)); }
  TLocUnit* FindOrAdd(const std::string& name) {
    return static_cast<TLocUnit*>(TNamedItemList::FindOrAdd(name));
  }
  int PurgeUnused() override;
  void BuildLinear(TLinearConstantList& list, bool sort) const;

 protected:
  std::unique_ptr<TNamedItem> CreateItem(const std::string& name) override;
};

}  // namespace sw
