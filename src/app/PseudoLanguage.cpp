// Writes a library's pseudo-language file (see PseudoLanguage.h).
#include "app/PseudoLanguage.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "storage/ExchangeUnits.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

constexpr std::string_view kReportGroupPrefix = "FRFORM:";

// Every item of the storage, with a short id ("c12" constant, "p7"
// property, "e3" external item) and whether it is a report text.
void ForEachItem(const TLocStorage& storage,
                 const std::function<void(TLocItem&, const std::u16string&, bool)>& visit) {
  auto id = [](char kind, const TLocItem& item) {
    const std::string text = kind + std::to_string(item.ItemId);
    return std::u16string(text.begin(), text.end());
  };
  for (int u = 0; u < storage.Units->Count(); ++u) {
    const auto* constants = storage.Units->Items(u)->Constants.get();
    for (int c = 0; c < constants->Count(); ++c) visit(*constants->Items(c), id('c', *constants->Items(c)), false);
  }
  for (int f = 0; f < storage.Forms->Count(); ++f) {
    const TLocForm* form = storage.Forms->Items(f);
    for (int p = 0; p < form->Properties->Count(); ++p)
      visit(*form->Properties->Items(p), id('p', *form->Properties->Items(p)), false);
    for (int c = 0; c < form->Components->Count(); ++c) {
      const auto* props = form->Components->Items(c)->Properties.get();
      for (int p = 0; p < props->Count(); ++p) visit(*props->Items(p), id('p', *props->Items(p)), false);
    }
  }
  for (int g = 0; g < storage.ExtGroups->Count(); ++g) {
    const TLocExtGroup* group = storage.ExtGroups->Items(g);
    const bool report = group->ItemName.starts_with(kReportGroupPrefix);
    for (int e = 0; e < group->ExtItems->Count(); ++e)
      visit(*group->ExtItems->Items(e), id('e', *group->ExtItems->Items(e)), report);
  }
}

}  // namespace

TPseudoResult WritePseudoLanguage(const TResolvedLibrary& library, const TPseudoRequest& request) {
  if (library.Languages.Count() == 0)
    throw EShelfwrightError("the library \"" + library.Name + "\" has no languages");
  const LANGID langId = request.Options.LangId;
  const auto nativeId = static_cast<LANGID>(library.Languages[0]->LangId);
  const std::string abbr = GetLangAbbr(langId);
  if (abbr.empty()) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(langId));
    throw EShelfwrightError(std::string(hex) + " is not a language the locale catalogue knows");
  }
  if (langId == nativeId) throw EShelfwrightError("the pseudo-language cannot be the native language " + abbr);
  for (int i = 0; i < library.Languages.Count(); ++i) {
    const auto other = static_cast<LANGID>(library.Languages[i]->LangId);
    if (other != langId && SameText(GetLangAbbr(other), abbr))
      throw EShelfwrightError("the pseudo-language's file would be that of " + DisplayLangName(other) + " (" + abbr +
                              ")");
  }
  const std::string nativeFile = LangFileNameFor(library.DestDir, library.ShortName, nativeId);
  TPseudoResult result;
  result.File = request.OutputFile.empty() ? LangFileNameFor(library.DestDir, library.ShortName, langId)
                                           : request.OutputFile;
  // A real language's file holds translations: never replaced by pseudo texts.
  const bool pseudoLocale = langId == kPseudoLangId || langId == kPseudoMirroredLangId;
  if (!pseudoLocale && ((request.OutputFile.empty() && library.Languages.IndexOfLangId(langId) >= 0) ||
                        platform::FileExists(result.File)))
    throw EShelfwrightError(result.File + ": " + DisplayLangName(langId) +
                            " has a language file of its own; write the pseudo-translation as 0x0501 or 0x09FF, "
                            "or into a new file");
  if (result.File == nativeFile) throw EShelfwrightError(result.File + ": this is the native language file");

  try {
    TLangFile file(result.File, false);
    if (file.ReadOnly) throw EShelfwrightError("the file is in use or read-only");
    if (platform::FileExists(result.File) && (file.LangId != langId || file.IsNative))
      throw EShelfwrightError("the file holds " + DisplayLangName(file.LangId) + " texts; it is left as it is");
    TLoadedLanguage loaded = LoadLanguage(nativeFile, "", langId);
    TLocStorage& storage = *loaded.Storage;
    const int column = loaded.Column;

    std::int32_t revision = file.Revision + 1;
    ForEachItem(storage, [&](TLocItem& item, const std::u16string&, bool) {
      revision = std::max(revision, item.NativeValue()->Revision);
    });
    const TPseudoTranslator translator(request.Options);
    ForEachItem(storage, [&](TLocItem& item, const std::u16string& id, bool report) {
      const std::u16string& native = item.NativeValue()->Text;
      const std::uint8_t kind = item.ValueKind();
      std::u16string text = native;
      if ((kind == vkString || kind == vkStrings) && !native.empty()) {
        text = translator.Translate(TPseudoText{native, kind == vkStrings, report, id});
        if (text != native) ++result.Translated;
      }
      TLocValue* value = item.Values(column);
      value->SetText(std::move(text));
      value->SetRevision(revision);
      ++result.Items;
    });

    file.SetLangId(langId);
    file.SetLangName(GetEnglishLangName(langId));
    file.SetNativeName(AnsiToWideByLang(GetLocaleInfoStr(langId, LOCALE_SLANGUAGE), langId));
    file.SetIsNative(false);
    file.SetRevision(revision);
    file.SaveStorage(&storage, column, false);
    result.Revision = revision;
    // The pseudo texts enter the library's memory marked as such, so that
    // they are never reused or offered as suggestions.
    if (request.OutputFile.empty() && !library.MemoryFile.empty()) {
      TTranslationMemory memory(library.MemoryFile);
      memory.Begin();
      for (const TExchangeUnit& unit : CollectUnits(storage, column)) {
        const std::u16string& native = unit.Item->NativeValue()->Text;
        const std::u16string& text = unit.Item->Values(column)->Text;
        if (native.empty() || text == native) continue;
        memory.RecordUnit({nativeId, native, langId, text, TUnitOrigin::Pseudo, unit.Place});
      }
      memory.Commit();
      result.InMemory = true;
    }
  } catch (const Exception& e) {
    // The error is the pseudo-language file's, unless it names a file of its
    // own (the native file that could not be loaded, say).
    EShelfwrightError error(e.Message());
    error.AttachPlaceOf(e);
    if (dynamic_cast<const EExchangeError*>(&e) == nullptr) error.AttachFile(result.File);
    throw error;
  }
  if (request.OutputFile.empty()) {
    WriteLibIni(library.DestDir, library.Name, library.ShortName, library.Languages, library.PropRules);
    result.LibIni = JoinPath(library.DestDir, "lib.ini");
  }
  return result;
}

std::string PseudoSummary(const TPseudoResult& result) {
  std::string text = "Wrote " + result.File + ": " + std::to_string(result.Items) + " items, " +
                     std::to_string(result.Translated) + " pseudo-translated, " +
                     std::to_string(result.Items - result.Translated) + " kept as they are (revision " +
                     std::to_string(result.Revision) + ")";
  if (!result.LibIni.empty()) text += "\nWrote " + result.LibIni;
  if (result.InMemory) text += "\nRecorded in the library's memory as pseudo-translations";
  return text;
}

}  // namespace sw
