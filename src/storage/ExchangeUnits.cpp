// The translatable units of a language column (see ExchangeUnits.h).
#include "storage/ExchangeUnits.h"

#include "base/AsciiText.h"
#include "base/Unicode.h"
#include "platform/FileSystem.h"
#include "platform/NationalLanguage.h"
#include "util/LocaleCatalogue.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

bool IsStoredKind(std::uint8_t kind) {
  return kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x00A0 || c == 0x3000 || c == 0x2007 ||
         c == 0x202F;
}

// A stored 8-bit name as UTF-8, decoded with the native code page; a name
// in ASCII (nearly all of them), which every ANSI code page decodes to
// itself, as it is.
std::string NameText(const std::string& name, unsigned nativeCodePage) {
  for (char ch : name)
    if (static_cast<unsigned char>(ch) >= 0x80) return Utf16ToUtf8(AnsiToWideCP(name, nativeCodePage));
  return name;
}

}  // namespace

const char* GroupKindName(TGroupKind kind) {
  switch (kind) {
    case TGroupKind::Unit: return "unit";
    case TGroupKind::Form: return "form";
    case TGroupKind::ExtGroup: return "group";
  }
  return "unit";
}

const char* ValueKindName(std::uint8_t kind) {
  switch (kind) {
    case vkFloat: return "float";
    case vkInteger: return "integer";
    case vkString: return "string";
    case vkStrings: return "string list";
    default: return "other";
  }
}

int CountWords(std::u16string_view text) {
  int words = 0;
  bool inWord = false;
  for (char16_t c : text) {
    const bool blank = IsBlank(c);
    if (!blank && !inWord) ++words;
    inWord = !blank;
  }
  return words;
}

std::string EscapePlaceName(std::string_view name) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F || c == '%' || c == '/') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

TUnitStatus StatusOf(const TLocItem& item, int column) {
  const TLocValue* value = item.Values(column);
  if (value->Revision == -1) return TUnitStatus::Untranslated;
  return value->IsUpToDate() ? TUnitStatus::UpToDate : TUnitStatus::OutOfDate;
}

namespace {

// Walks the items that are units, in storage order (constants, properties,
// external items), handing each with its place and what names its group:
// add(item, kind, group name, component or null, place).
template <class Add>
void WalkUnits(const TLocStorage& storage, Add&& add) {
  auto stored = [](const TLocItem* item) {
    return IsStoredKind(item->ValueKind()) && !item->NativeValue()->Text.empty();
  };
  for (int u = 0; u < storage.Units->Count(); ++u) {
    const TLocUnit* unit = storage.Units->Items(u);
    const std::string prefix = "unit/" + EscapePlaceName(unit->ItemName) + "/";
    for (int c = 0; c < unit->Constants->Count(); ++c) {
      TLocConstant* constant = unit->Constants->Items(c);
      if (stored(constant))
        add(constant, TGroupKind::Unit, unit->ItemName, nullptr, prefix + EscapePlaceName(constant->ItemName));
    }
  }
  for (int f = 0; f < storage.Forms->Count(); ++f) {
    const TLocForm* form = storage.Forms->Items(f);
    const std::string prefix = "form/" + EscapePlaceName(form->ItemName) + "/";
    for (int p = 0; p < form->Properties->Count(); ++p) {
      TLocProperty* prop = form->Properties->Items(p);
      if (stored(prop)) add(prop, TGroupKind::Form, form->ItemName, nullptr, prefix + EscapePlaceName(prop->ItemName));
    }
    for (int c = 0; c < form->Components->Count(); ++c) {
      const TLocComponent* component = form->Components->Items(c);
      const std::string componentPrefix = prefix + EscapePlaceName(component->ItemName) + "/";
      for (int p = 0; p < component->Properties->Count(); ++p) {
        TLocProperty* prop = component->Properties->Items(p);
        if (stored(prop))
          add(prop, TGroupKind::Form, form->ItemName, component, componentPrefix + EscapePlaceName(prop->ItemName));
      }
    }
  }
  for (int g = 0; g < storage.ExtGroups->Count(); ++g) {
    const TLocExtGroup* group = storage.ExtGroups->Items(g);
    const std::string prefix = "group/" + EscapePlaceName(group->ItemName) + "/";
    for (int e = 0; e < group->ExtItems->Count(); ++e) {
      TLocExtItem* item = group->ExtItems->Items(e);
      if (stored(item)) add(item, TGroupKind::ExtGroup, group->ItemName, nullptr, prefix + EscapePlaceName(item->ItemName));
    }
  }
}

}  // namespace

std::vector<TExchangeUnit> CollectUnits(const TLocStorage& storage, int column) {
  const unsigned native = GetCodePage(storage.Languages(0));
  std::vector<TExchangeUnit> units;
  // Counted first: a vector grown by doubling would, at its last growth,
  // hold the units twice and a half over.
  std::size_t count = 0;
  storage.ForEachItem([&](const TLocItem* item) {
    if (IsStoredKind(item->ValueKind()) && !item->NativeValue()->Text.empty()) ++count;
  });
  units.reserve(count);
  // The path of the last group (and component) met, decoded once for all its items.
  const std::string* pathGroup = nullptr;
  const TLocComponent* pathComponent = nullptr;
  std::string groupPath, path;
  WalkUnits(storage, [&](TLocItem* item, TGroupKind kind, const std::string& group, const TLocComponent* component,
                         std::string place) {
    if (pathGroup != &group) {
      pathGroup = &group;
      pathComponent = nullptr;
      groupPath = NameText(group, native);
      path = groupPath;
    }
    if (pathComponent != component) {
      pathComponent = component;
      path = component ? groupPath + "." + NameText(component->ItemName, native) : groupPath;
    }
    TExchangeUnit unit;
    unit.GroupKind = kind;
    unit.GroupName = group;
    unit.Place = std::move(place);
    unit.ComponentPath = path;
    unit.ResName = unit.ComponentPath + "." + NameText(item->ItemName, native);
    unit.Kind = item->ValueKind();
    unit.Item = item;
    unit.Status = StatusOf(*item, column);
    unit.Words = CountWords(item->NativeValue()->Text);
    units.push_back(std::move(unit));
  });
  return units;
}

std::vector<std::pair<TLocItem*, std::string>> CollectPlaces(const TLocStorage& storage) {
  std::vector<std::pair<TLocItem*, std::string>> places;
  WalkUnits(storage, [&](TLocItem* item, TGroupKind, const std::string&, const TLocComponent*, std::string place) {
    places.emplace_back(item, std::move(place));
  });
  return places;
}

std::string LanguageTag(LANGID id) { return GetLocaleInfoStr(id, LOCALE_SNAME); }

std::string PosixLanguageTag(LANGID id) { return ReplaceAll(LanguageTag(id), "-", "_"); }

bool SameLanguage(std::string_view a, std::string_view b) {
  auto primary = [](std::string_view tag) {
    const auto end = tag.find_first_of("-_");
    return LowerAscii(std::string(tag.substr(0, end)));
  };
  return primary(a) == primary(b);
}

std::string LangFileNameFor(const std::string& destDir, const std::string& shortName, LANGID id) {
  return JoinPath(destDir, shortName) + "." + GetLangAbbr(id) + ".lng";
}

TLoadedLanguage LoadLanguage(const std::string& nativeFile, const std::string& langFile, LANGID langId,
                             TLangFile* openedLangFile) {
  if (!platform::FileExists(nativeFile))
    throw EExchangeError(nativeFile + ": the native language file does not exist; process the library first");
  TLoadedLanguage loaded;
  loaded.Storage = std::make_unique<TLocStorage>();
  loaded.NativeFile = nativeFile;
  loaded.LangFile = langFile;
  loaded.LangId = langId;
  try {
    TLangFile native(nativeFile, true);
    native.LoadStorage(loaded.Storage.get(), -1, 0);
  } catch (const Exception& e) {
    EExchangeError error(e.Message());
    error.AttachPlaceOf(e).AttachFile(nativeFile);
    throw error;
  }
  loaded.LangFileExists = platform::FileExists(langFile);
  try {
    std::unique_ptr<TLangFile> own;
    TLangFile* file = loaded.LangFileExists ? openedLangFile : nullptr;
    if (!file && loaded.LangFileExists) {
      own = std::make_unique<TLangFile>(langFile, true);
      file = own.get();
    }
    loaded.Column = OpenLanguageColumn(*loaded.Storage, langId, file);
  } catch (const Exception& e) {
    EExchangeError error(e.Message());
    error.AttachPlaceOf(e).AttachFile(langFile);
    throw error;
  }
  return loaded;
}

std::u16string WithLineBreaksOf(const std::u16string& text, std::u16string_view native) {
  if (native.find(u"\r\n") == std::u16string_view::npos || text.find(u'\r') != std::u16string::npos) return text;
  std::u16string out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == u'\n') out += u'\r';
    out += c;
  }
  return out;
}

}  // namespace sw
