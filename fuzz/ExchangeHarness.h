// What the XLIFF and PO harnesses share: a document read from the input must
// be well-formed as the readers promise (every entry has a place, no text
// holds a NUL character), and applying it to a small fixed storage, with and
// without force, must account for every entry exactly once. Only
// EExchangeError may escape the reader; anything else, a crash, a hang or a
// sanitizer report is a fault.
#pragma once

#include <cstdint>
#include <string_view>

#include "exchange/Exchange.h"
#include "storage/LocStorage.h"

namespace sw::fuzz {

// Native "Hello", "Berlin" and the integer 8, translated in column 1.
inline void FillStorage(TLocStorage& storage) {
  storage.SetNativeLangId(0x0409);
  const struct {
    const char* Name;
    std::uint8_t Kind;
    const char16_t* Native;
    const char16_t* Translation;
  } rows[] = {{"SHello", vkString, u"Hello", u"Hallo"}, {"SCity", vkString, u"Berlin", u""}};
  std::int32_t id = 0;
  std::vector<TLocItem*> items;
  for (const auto& row : rows) {
    TLocItem* item = storage.FindOrAddConstant(++id, "Strings", 0, row.Name);
    item->NativeValue()->SetText(row.Native);
    item->NativeValue()->SetRevision(3);
    items.push_back(item);
  }
  TLocItem* size = storage.Forms->FindOrAdd("Main")->FindOrAddProperty(++id, "edit", vkInteger, "Font.Size");
  size->NativeValue()->SetText(u"8");
  size->NativeValue()->SetRevision(3);
  items.push_back(size);
  const int column = storage.AddLanguage(0, 0x0407);
  items[0]->Values(column)->SetText(u"Hallo");
  items[0]->Values(column)->SetRevision(4);
}

template <typename Read>
void CheckDocument(Read read) {
  TImportDocument document;
  try {
    document = read();
  } catch (const EExchangeError&) {
    return;
  }
  for (const TImportEntry& entry : document.Entries) {
    if (entry.Place.empty()) __builtin_trap();
    if (entry.Source.find(u'\0') != std::u16string::npos) __builtin_trap();
    if (entry.Target && entry.Target->find(u'\0') != std::u16string::npos) __builtin_trap();
  }
  for (bool force : {false, true}) {
    TLocStorage storage;
    FillStorage(storage);
    const TImportResult result = ApplyImport(storage, 1, 5, document, force);
    const std::size_t accounted = static_cast<std::size_t>(result.Changed + result.Unchanged + result.NoTranslation) +
                                  result.Stale.size() + result.Unknown.size() + result.Invalid.size();
    if (static_cast<std::size_t>(result.Units) != document.Entries.size() || accounted != document.Entries.size())
      __builtin_trap();
    if (force && !result.Stale.empty()) __builtin_trap();
  }
}

}  // namespace sw::fuzz
