// A library's language files written straight from rows, for tests of what
// reads them (the items view): an English native file and a German one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/ExchangeUnits.h"
#include "storage/LocLangFile.h"

namespace sw::testing {

inline constexpr LANGID kLibraryEnglish = 0x0409;
inline constexpr LANGID kLibraryGerman = 0x0407;

struct TLibraryRow {
  bool Property;  // a form's property, else a unit's constant
  std::string Container;
  std::string Component;
  std::string Name;
  std::u16string Native;
  std::u16string Translation;
  std::int32_t Revision;  // of the translation; -1 untranslated, below the native one out of date
};

// <destDir>/<shortName>.ENU.lng (revision `nativeRevision`, every native
// value too) and <shortName>.DEU.lng (revision `germanRevision`).
inline void WriteTwoLanguageLibrary(const std::string& destDir, const std::string& shortName,
                                    const std::vector<TLibraryRow>& rows, std::int32_t nativeRevision = 4,
                                    std::int32_t germanRevision = 5) {
  const std::string nativeFile = LangFileNameFor(destDir, shortName, kLibraryEnglish);
  const std::string germanFile = LangFileNameFor(destDir, shortName, kLibraryGerman);
  // Fresh files: an existing file would lend its header to the new one.
  std::filesystem::create_directories(destDir);
  std::filesystem::remove(nativeFile);
  std::filesystem::remove(germanFile);
  TLocStorage storage;
  storage.SetNativeLangId(kLibraryEnglish);
  std::vector<TLocItem*> made;
  std::int32_t id = 0;
  for (const TLibraryRow& row : rows) {
    TLocItem* item = nullptr;
    if (row.Property)
      item = storage.Forms->FindOrAdd(row.Container)->FindOrAddProperty(++id, row.Component, vkString, row.Name);
    else
      item = storage.FindOrAddConstant(++id, row.Container, 0, row.Name);
    item->NativeValue()->SetText(row.Native);
    item->NativeValue()->SetRevision(nativeRevision);
    made.push_back(item);
  }
  TLangFile native(nativeFile, false);
  native.LangId = kLibraryEnglish;
  native.LangName = "English";
  native.IsNative = true;
  native.SetRevision(nativeRevision);
  native.SaveStorage(&storage, 0, false);
  const int column = storage.AddLanguage(0, kLibraryGerman);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Revision != -1) made[i]->Values(column)->SetText(rows[i].Translation);
    made[i]->Values(column)->SetRevision(rows[i].Revision);
  }
  TLangFile german(germanFile, false);
  german.LangId = kLibraryGerman;
  german.LangName = "German";
  german.SetRevision(germanRevision);
  german.SaveStorage(&storage, column, false);
}

}  // namespace sw::testing
