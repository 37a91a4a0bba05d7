// A small library for the exchange tests: a native (English) and a German
// language file written from rows, and a reader of a language's values by
// place.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "exchange/Exchange.h"
#include "storage/LocLangFile.h"
#include "support/TestSupport.h"

namespace sw::testing {

inline constexpr LANGID kEnglish = 0x0409;
inline constexpr LANGID kGerman = 0x0407;

struct Row {
  char Family;            // 'C' constant, 'P' property
  std::string Container;  // unit or form
  std::string Component;  // properties: "" for the form's own
  std::string Name;
  std::uint8_t Kind = vkString;
  std::u16string Native;
  std::u16string Translation;
  std::int32_t Revision = 5;  // of the translation; -1: untranslated
  std::int32_t NativeRevision = 0;  // 0: the native file's revision
};

struct Value {
  std::u16string Text;
  std::int32_t Revision = 0;
  TUnitStatus Status = TUnitStatus::Untranslated;
  bool operator==(const Value&) const = default;
};

class ExchangeLibrary {
 public:
  std::string Native() const { return dir.Path("Demo.ENU.lng"); }
  std::string German() const { return dir.Path("Demo.DEU.lng"); }

  // Native values get revision `nativeRevision`, the native file too; the
  // German file gets revision `germanRevision`.
  void Write(const std::vector<Row>& rows, std::int32_t nativeRevision = 4, std::int32_t germanRevision = 5,
             bool compressed = false) const {
    // Fresh files: an existing file would lend its header to the new one.
    std::filesystem::remove(Native());
    std::filesystem::remove(German());
    TLocStorage storage;
    storage.SetNativeLangId(kEnglish);
    std::vector<TLocItem*> items;
    std::int32_t id = 0;
    for (const Row& row : rows) {
      TLocItem* item = nullptr;
      if (row.Family == 'C')
        item = storage.FindOrAddConstant(++id, row.Container, 0, row.Name);
      else
        item = storage.Forms->FindOrAdd(row.Container)->FindOrAddProperty(++id, row.Component, row.Kind, row.Name);
      item->NativeValue()->SetText(row.Native);
      item->NativeValue()->SetRevision(row.NativeRevision != 0 ? row.NativeRevision : nativeRevision);
      items.push_back(item);
    }
    TLangFile native(Native(), false);
    native.LangId = kEnglish;
    native.LangName = "English";
    native.IsNative = true;
    native.SetRevision(nativeRevision);
    native.SaveStorage(&storage, 0, false);

    const int column = storage.AddLanguage(0, kGerman);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      TLocValue* value = items[i]->Values(column);
      if (rows[i].Revision != -1) value->SetText(rows[i].Translation);
      value->SetRevision(rows[i].Revision);
    }
    TLangFile german(German(), false);
    german.LangId = kGerman;
    german.LangName = "German";
    german.SetRevision(germanRevision);
    german.Compressed = compressed;
    german.SaveStorage(&storage, column, false);
  }

  std::map<std::string, Value> GermanValues() const {
    const TLoadedLanguage loaded = LoadLanguage(Native(), German(), kGerman);
    std::map<std::string, Value> values;
    for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column)) {
      const TLocValue* value = unit.Item->Values(loaded.Column);
      values[unit.Place] = {value->Text, value->Revision, unit.Status};
    }
    return values;
  }

  std::string Export(TExchangeFormat format, bool onlyOpen = false) const {
    const TLoadedLanguage loaded = LoadLanguage(Native(), German(), kGerman);
    TExportOptions options;
    options.Format = format;
    options.OnlyOpen = onlyOpen;
    options.ProjectName = "Demo";
    return BuildExport(*loaded.Storage, loaded.Column, options);
  }

  // Writes `text` to a file and imports it.
  TImportResult Import(const std::string& text, const std::string& name, TImportOptions options = {}) const {
    const std::string path = dir.Write(name, text);
    return ImportTranslations(Native(), German(), kGerman, path, options);
  }

  TempDir dir;
};

// Replaces the one occurrence of `from` in `text`; fails the test when it is
// not there exactly once.
inline std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "\"" << from << "\" not in the export";
  if (at == std::string::npos) return text;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "\"" << from << "\" more than once";
  return text.replace(at, from.size(), to);
}

}  // namespace sw::testing
