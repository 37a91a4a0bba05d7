// The locale catalogue over the platform's national-language services: the
// English name table, names and abbreviations by identifier, the three cached
// locale lists, the locale tree, the reverse look-ups and the code-page
// conversions by language.
#include "util/LocaleCatalogue.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <mutex>

#include "base/Unicode.h"
#include "platform/NationalLanguage.h"
#include "util/Messages.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "base/Exceptions.h"
#include "platform/FileSystem.h"

namespace sw {

namespace {

const std::vector<TEnglishLangName> kEnglishLangNames = {
    {0x0401, "Arabic (Saudi Arabia)"},
    {0x0402, "Bulgarian"},
    {0x0403, "Catalan"},
    {0x0404, "Chinese (Taiwan)"},
    {0x0405, "Czech"},
    {0x0406, "Danish"},
    {0x0407, "German (Germany)"},
    {0x0408, "Greek"},
    {0x0409, "English (United States)"},
    {0x040A, "Spanish (Traditional Sort)"},
    {0x040B, "Finnish"},
    {0x040C, "French (France)"},
    {0x040D, "Hebrew"},
    {0x040E, "Hungarian"},
    {0x040F, "Icelandic"},
    {0x0410, "Italian (Italy)"},
    {0x0411, "Japanese"},
    {0x0412, "Korean"},
    {0x0413, "Dutch (Netherlands)"},
    {0x0414, "Norwegian (Bokmal)"},
    {0x0415, "Polish"},
    {0x0416, "Portuguese (Brazil)"},
    {0x0418, "Romanian"},
    {0x0419, "Russian"},
    {0x041A, "Croatian"},
    {0x041B, "Slovak"},
    {0x041C, "Albanian"},
    {0x041D, "Swedish"},
    {0x041E, "Thai"},
    {0x041F, "Turkish"},
    {0x0420, "Urdu"},
    {0x0421, "Indonesian"},
    {0x0422, "Ukrainian"},
    {0x0423, "Belarusian"},
    {0x0424, "Slovenian"},
    {0x0425, "Estonian"},
    {0x0426, "Latvian"},
    {0x0427, "Lithuanian"},
    {0x0429, "Farsi"},
    {0x042A, "Vietnamese"},
    {0x042B, "Armenian"},
    {0x042C, "Azeri (Latin)"},
    {0x042D, "Basque"},
    {0x042F, "Macedonian (FYROM)"},
    {0x0436, "Afrikaans"},
    {0x0437, "Georgian"},
    {0x0438, "Faeroese"},
    {0x0439, "Hindi"},
    {0x043E, "Malay (Malaysia)"},
    {0x043F, "Kazakh"},
    {0x0440, "Kyrgyz (Cyrillic)"},
    {0x0441, "Swahili"},
    {0x0443, "Uzbek (Latin)"},
    {0x0444, "Tatar"},
    {0x0446, "Punjabi"},
    {0x0447, "Gujarati"},
    {0x0449, "Tamil"},
    {0x044A, "Telugu"},
    {0x044B, "Kannada"},
    {0x044E, "Marathi"},
    {0x044F, "Sanskrit"},
    {0x0450, "Mongolian (Cyrillic)"},
    {0x0456, "Galician"},
    {0x0457, "Konkani"},
    {0x045A, "Syriac"},
    {0x0465, "Divehi"},
    {0x0801, "Arabic (Iraq)"},
    {0x0804, "Chinese (PRC)"},
    {0x0807, "German (Switzerland)"},
    {0x0809, "English (United Kingdom)"},
    {0x080A, "Spanish (Mexico)"},
    {0x080C, "French (Belgium)"},
    {0x0810, "Italian (Switzerland)"},
    {0x0813, "Dutch (Belgium)"},
    {0x0814, "Norwegian (Nynorsk)"},
    {0x0816, "Portuguese (Portugal)"},
    {0x081A, "Serbian (Latin)"},
    {0x081D, "Swedish (Finland)"},
    {0x082C, "Azeri (Cyrillic)"},
    {0x083E, "Malay (Brunei Darussalam)"},
    {0x0843, "Uzbek (Cyrillic)"},
    {0x0C01, "Arabic (Egypt)"},
    {0x0C04, "Chinese (Hong Kong)"},
    {0x0C07, "German (Austria)"},
    {0x0C09, "English (Australia)"},
    {0x0C0A, "Spanish (International Sort)"},
    {0x0C0C, "French (Canada)"},
    {0x0C1A, "Serbian (Cyrillic)"},
    {0x1001, "Arabic (Libya)"},
    {0x1004, "Chinese (Singapore)"},
    {0x1007, "German (Luxembourg)"},
    {0x1009, "English (Canada)"},
    {0x100A, "Spanish (Guatemala)"},
    {0x100C, "French (Switzerland)"},
    {0x1401, "Arabic (Algeria)"},
    {0x1404, "Chinese (Macau)"},
    {0x1407, "German (Liechtenstein)"},
    {0x1409, "English (New Zealand)"},
    {0x140A, "Spanish (Costa Rica)"},
    {0x140C, "French (Luxembourg)"},
    {0x1801, "Arabic (Morocco)"},
    {0x1809, "English (Ireland)"},
    {0x180A, "Spanish (Panama)"},
    {0x180C, "French (Monaco)"},
    {0x1C01, "Arabic (Tunisia)"},
    {0x1C09, "English (South Africa)"},
    {0x1C0A, "Spanish (Dominican Republic)"},
    {0x2001, "Arabic (Oman)"},
    {0x2009, "English (Jamaica)"},
    {0x200A, "Spanish (Venezuela)"},
    {0x2401, "Arabic (Yemen)"},
    {0x2409, "English (Caribbean)"},
    {0x240A, "Spanish (Colombia)"},
    {0x2801, "Arabic (Syria)"},
    {0x2809, "English (Belize)"},
    {0x280A, "Spanish (Peru)"},
    {0x2C01, "Arabic (Jordan)"},
    {0x2C09, "English (Trinidad)"},
    {0x2C0A, "Spanish (Argentina)"},
    {0x3001, "Arabic (Lebanon)"},
    {0x3009, "English (Zimbabwe)"},
    {0x300A, "Spanish (Ecuador)"},
    {0x3401, "Arabic (Kuwait)"},
    {0x3409, "English (Philippines)"},
    {0x340A, "Spanish (Chile)"},
    {0x3801, "Arabic (U.A.E.)"},
    {0x380A, "Spanish (Uruguay)"},
    {0x3C01, "Arabic (Bahrain)"},
    {0x3C0A, "Spanish (Paraguay)"},
    {0x4001, "Arabic (Qatar)"},
    {0x400A, "Spanish (Bolivia)"},
    {0x440A, "Spanish (El Salvador)"},
    {0x480A, "Spanish (Honduras)"},
    {0x4C0A, "Spanish (Nicaragua)"},
    {0x500A, "Spanish (Puerto Rico)"},
};

char LowerAsciiChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The supported locales with their localized full names, in enumeration order.
TLocaleEntryList EnumerateLocales() {
  TLocaleEntryList list;
  platform::EnumSystemLocalesA(
      [&list](const char* localeHex) {
        const auto id = static_cast<LANGID>(HexToInt(localeHex));
        try {
          std::string name = GetLocaleInfoStr(id, LOCALE_SLANGUAGE);
          if (!name.empty()) list.push_back({std::move(name), id});
        } catch (const ELocalesError&) {
          // A locale whose name cannot be read is left out of the list.
        }
        return true;
      },
      platform::LcidSupported);
  return list;
}

void MergeLanguages(TLocaleEntryList& list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    const LANGID p = PrimaryLangId(list[i].Id);
    bool deleted = false;
    for (std::size_t j = i + 1; j < list.size();) {
      if (PrimaryLangId(list[j].Id) == p) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(j));
        deleted = true;
      } else {
        ++j;
      }
    }
    if (deleted) list[i] = {TextBefore("(", list[i].Name), p};
  }
}

void InsertLanguages(TLocaleEntryList& list) {
  for (std::size_t i = 0; i + 1 < list.size();) {
    const LANGID p = PrimaryLangId(list[i].Id);
    const bool present = std::any_of(list.begin(), list.end(), [p](const TLocaleEntry& e) { return e.Id == p; });
    const bool more = !present && std::any_of(list.begin() + static_cast<std::ptrdiff_t>(i) + 1, list.end(),
                                              [p](const TLocaleEntry& e) { return PrimaryLangId(e.Id) == p; });
    if (!more) {
      ++i;
      continue;
    }
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), TLocaleEntry{TextBefore("(", list[i].Name), p});
    i += 2;
  }
}

const TLocaleEntryList& CachedList(LocaleListMode mode) {
  static std::once_flag once[3];
  static TLocaleEntryList lists[3];
  const int index = (mode == lmLanguages || mode == lmLocalesAndLanguages) ? mode : lmLocales;
  std::call_once(once[index], [index] {
    TLocaleEntryList list = EnumerateLocales();
    if (index == lmLanguages) MergeLanguages(list);
    if (index == lmLocalesAndLanguages) InsertLanguages(list);
    lists[index] = std::move(list);
  });
  return lists[index];
}

}  // namespace

// ---- Names ------------------------------------------------------------------

const std::vector<TEnglishLangName>& EnglishLangNames() { return kEnglishLangNames; }

const char* FindEnglishLangName(LANGID id) {
  for (const auto& row : kEnglishLangNames)
    if (row.Id == id) return row.Name;
  return nullptr;
}

namespace {

// The pseudo-locales of localization testing, for a locale database that has
// no data of its own for them: 0x0501 (qps-ploc, accented Latin) and 0x09FF
// (qps-plocm, mirrored). Their abbreviations, QPS and QPM, belong to no real
// language, so their language files cannot be taken for another's.
const char* PseudoLocaleInfo(LANGID id, std::uint32_t type) {
  if (id != 0x0501 && id != 0x09FF) return nullptr;
  const bool mirrored = id == 0x09FF;
  switch (type & 0xFFFF) {
    case LOCALE_SLANGUAGE: return mirrored ? "Pseudo Language (Mirrored)" : "Pseudo Language (Pseudo)";
    case LOCALE_SABBREVLANGNAME: return mirrored ? "QPM" : "QPS";
    case LOCALE_SENGLANGUAGE: return "Pseudo Language";
    case LOCALE_IDEFAULTANSICODEPAGE: return "1252";
    case LOCALE_SNAME: return mirrored ? "qps-plocm" : "qps-ploc";
    default: return nullptr;
  }
}

}  // namespace

std::string GetLocaleInfoStr(LANGID id, int infoType) {
  const auto type = static_cast<std::uint32_t>(infoType);
  const int size = platform::GetLocaleInfoA(id, type, nullptr, 0);
  if (size <= 0)
    if (const char* pseudo = PseudoLocaleInfo(id, type)) return pseudo;
  std::string buffer(static_cast<std::size_t>(std::max(size, 0)), '\0');
  const int count = platform::GetLocaleInfoA(id, type, buffer.data(), size);
  if (count != size) throw ELocalesError(SCannotGetLocaleInfo);
  return std::string(buffer.c_str());
}

std::string GetEnglishLangName(LANGID id) {
  if (const char* name = FindEnglishLangName(id)) return name;
  const std::string english = GetLocaleInfoStr(id, LOCALE_SENGLANGUAGE);
  if (id == PrimaryLangId(id)) return english;
  return TextBefore(" (", english) + " (" + GetLocaleInfoStr(id, LOCALE_SABBREVLANGNAME) + ")";
}

std::string GetLangAbbr(LANGID id) {
  std::string abbr = GetLocaleInfoStr(id, LOCALE_SABBREVLANGNAME);
  if (id == PrimaryLangId(id) && abbr.size() > 2) abbr.resize(2);
  return abbr;
}

unsigned GetCodePage(LANGID id) {
  // Asked once per text a form holds, nearly always for the same language:
  // the last answer of the catalogue is kept (per thread, as readers ask
  // from several).
  thread_local LANGID lastId = 0;
  thread_local unsigned lastCodePage = 0;
  if (lastCodePage != 0 && lastId == id) return lastCodePage;
  const std::string text = GetLocaleInfoStr(id, LOCALE_IDEFAULTANSICODEPAGE);
  if (text.empty()) return platform::GetACP();
  const auto codePage = static_cast<unsigned>(StrToIntDef0(text));
  lastId = id;
  lastCodePage = codePage;
  return codePage;
}

// ---- Lists and look-ups -----------------------------------------------------

void GetLocaleList(TLocaleEntryList& list, LocaleListMode mode) { list = CachedList(mode); }

LANGID LangIdFromAbbr(std::string_view abbr) {
  for (const auto& entry : CachedList(lmLocalesAndLanguages))
    if (SameText(GetLangAbbr(entry.Id), abbr)) return entry.Id;
  // The pseudo-locales are not enumerated, but their files are named too.
  for (const LANGID pseudo : {LANGID(0x0501), LANGID(0x09FF)})
    if (SameText(GetLangAbbr(pseudo), abbr)) return pseudo;
  return 0;
}

LANGID LangIdFromEnglishName(std::string_view name) {
  for (const auto& entry : CachedList(lmLocales)) {
    const std::string english = GetLocaleInfoStr(entry.Id, LOCALE_SENGLANGUAGE);
    if (english.size() < name.size()) continue;
    if (std::equal(name.begin(), name.end(), english.begin(),
                   [](char a, char b) { return LowerAsciiChar(a) == LowerAsciiChar(b); }))
      return entry.Id;
  }
  return 0;
}

LANGID MainLocaleOf(LANGID id) {
  if (id == 0 || id != PrimaryLangId(id)) return id;
  const std::string language = LowerAscii(GetLocaleInfoStr(id, LOCALE_SNAME));
  LANGID first = 0;
  bool defaultSupported = false;
  const auto defaultId = static_cast<LANGID>(id | 0x0400);
  for (const auto& entry : CachedList(lmLocales)) {
    if (PrimaryLangId(entry.Id) != id) continue;
    if (first == 0) first = entry.Id;
    if (entry.Id == defaultId) defaultSupported = true;
    // "de-DE": the language spoken in its own country.
    const std::string name = LowerAscii(GetLocaleInfoStr(entry.Id, LOCALE_SNAME));
    if (!language.empty() && name == language + "-" + language) return entry.Id;
  }
  if (defaultSupported) return defaultId;
  return first != 0 ? first : id;
}

namespace {

// Languages as their speakers name them (UTF-8), for folders named that way;
// spellings without accents too, as folder names are often written.
struct TNativeLanguageName {
  std::string_view Name;
  LANGID Language;
};
constexpr TNativeLanguageName kNativeLanguageNames[] = {
    {"\u0627\u0644\u0639\u0631\u0628\u064a\u0629", 0x01}, {"\u0411\u044a\u043b\u0433\u0430\u0440\u0441\u043a\u0438", 0x02},
    {"Catal\u00e0", 0x03}, {"Catala", 0x03}, {"\u4e2d\u6587", 0x04},
    {"\u010ce\u0161tina", 0x05}, {"Cestina", 0x05}, {"Dansk", 0x06}, {"Deutsch", 0x07},
    {"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", 0x08}, {"Espa\u00f1ol", 0x0A}, {"Espanol", 0x0A},
    {"Suomi", 0x0B}, {"Fran\u00e7ais", 0x0C}, {"Francais", 0x0C}, {"\u05e2\u05d1\u05e8\u05d9\u05ea", 0x0D},
    {"Magyar", 0x0E}, {"\u00cdslenska", 0x0F}, {"Islenska", 0x0F}, {"Italiano", 0x10},
    {"\u65e5\u672c\u8a9e", 0x11}, {"\ud55c\uad6d\uc5b4", 0x12}, {"Nederlands", 0x13}, {"Norsk", 0x14},
    {"Polski", 0x15}, {"Portugu\u00eas", 0x16}, {"Portugues", 0x16}, {"Rom\u00e2n\u0103", 0x18},
    {"Romana", 0x18}, {"\u0420\u0443\u0441\u0441\u043a\u0438\u0439", 0x19}, {"Hrvatski", 0x1A},
    {"Sloven\u010dina", 0x1B}, {"Slovencina", 0x1B}, {"Shqip", 0x1C}, {"Svenska", 0x1D},
    {"\u0e44\u0e17\u0e22", 0x1E}, {"T\u00fcrk\u00e7e", 0x1F}, {"Turkce", 0x1F}, {"Bahasa Indonesia", 0x21},
    {"\u0423\u043a\u0440\u0430\u0457\u043d\u0441\u044c\u043a\u0430", 0x22}, {"Sloven\u0161\u010dina", 0x24},
    {"Slovenscina", 0x24}, {"Eesti", 0x25}, {"Latvie\u0161u", 0x26}, {"Latviesu", 0x26},
    {"Lietuvi\u0173", 0x27}, {"Lietuviu", 0x27}, {"Ti\u1ebfng Vi\u1ec7t", 0x2A}, {"Tieng Viet", 0x2A},
    {"Euskara", 0x2D}, {"Galego", 0x56},
};

}  // namespace

LANGID LanguageOfName(std::string_view name) {
  if (name.empty()) return 0;
  for (const auto& entry : CachedList(lmLanguages))
    if (SameText(GetLocaleInfoStr(entry.Id, LOCALE_SENGLANGUAGE), name)) return MainLocaleOf(PrimaryLangId(entry.Id));
  for (const auto& entry : kNativeLanguageNames)
    if (SameText(entry.Name, name)) return MainLocaleOf(entry.Language);
  return 0;
}

// ---- Conversions --------------------------------------------------------------

LANGID UserDefaultLangId() { return platform::GetUserDefaultLangID(); }

std::u16string AnsiToWideByLang(std::string_view text, LANGID id) { return AnsiToWideCP(text, GetCodePage(id)); }

std::string WideToAnsiByLang(std::u16string_view text, LANGID id) { return WideToAnsiCP(text, GetCodePage(id)); }

std::u16string RecodeWide(std::u16string_view text, LANGID sourceId, LANGID targetId) {
  return AnsiToWideByLang(WideToAnsiByLang(text, sourceId), targetId);
}

std::string LocaleTextToUtf8(std::string_view text, LANGID id) {
  std::u16string wide;
  try {
    wide = AnsiToWideByLang(text, id);
  } catch (const Exception&) {
    wide.clear();
    for (const char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  return Utf16ToUtf8(wide);
}

std::string DisplayLangName(LANGID id) { return LocaleTextToUtf8(GetEnglishLangName(id), id); }

// ---- Tree ---------------------------------------------------------------------

TLocaleTreeNode* TLocaleTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return children_[static_cast<std::size_t>(index)].get();
}

TLocaleTree::TLocaleTree() : root_(std::make_unique<TLocaleTreeNode>()) {}

void TLocaleTree::Clear() { root_->children_.clear(); }

int TLocaleTree::CompareNodeText(std::string_view a, std::string_view b) {
  const int folded = CompareText(a, b);
  if (folded != 0) return folded;
  // Texts that differ only in case: the lower-case letter first, as the
  // system's word sort orders them.
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return (a[i] >= 'a' && a[i] <= 'z') ? -1 : 1;
  return 0;
}

TLocaleTreeNode* TLocaleTree::Add(TLocaleTreeNode* parent, std::string text, int data) {
  TLocaleTreeNode& owner = parent ? *parent : *root_;
  auto node = std::make_unique<TLocaleTreeNode>();
  node->text_ = std::move(text);
  node->data_ = data;
  node->parent_ = parent;
  TLocaleTreeNode* raw = node.get();
  auto pos = owner.children_.end();
  if (sorted_) {
    // After equal texts, so that equal names keep the order they were added in.
    pos = std::upper_bound(owner.children_.begin(), owner.children_.end(), raw->text_,
                           [](const std::string& t, const auto& n) { return CompareNodeText(t, n->text_) < 0; });
  }
  owner.children_.insert(pos, std::move(node));
  return raw;
}

void TLocaleTree::DeleteChildren(TLocaleTreeNode* node) { (node ? *node : *root_).children_.clear(); }

void TLocaleTree::SetText(TLocaleTreeNode* node, std::string text) {
  node->text_ = std::move(text);
  if (sorted_) SortChildren(node->parent_ ? *node->parent_ : *root_, false);
}

void TLocaleTree::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (sorted_) SortChildren(*root_, true);
}

void TLocaleTree::SortChildren(TLocaleTreeNode& node, bool recursive) {
  std::stable_sort(node.children_.begin(), node.children_.end(),
                   [](const auto& a, const auto& b) { return CompareNodeText(a->text_, b->text_) < 0; });
  if (recursive)
    for (auto& child : node.children_) SortChildren(*child, true);
}

void FillLocaleTree(TLocaleTree& tree) {
  tree.Clear();
  TLocaleEntryList list;
  GetLocaleList(list, lmLocales);
  std::map<std::string, TLocaleTreeNode*> groups;
  std::vector<TLocaleTreeNode*> groupOrder;
  for (const auto& entry : list) {
    const std::string key = std::to_string(PrimaryLangId(entry.Id));
    auto it = groups.find(key);
    if (it == groups.end()) {
      TLocaleTreeNode* group = tree.Add(nullptr, TextBefore("(", entry.Name), entry.Id & 0xFF);
      it = groups.emplace(key, group).first;
      groupOrder.push_back(group);
    }
    tree.Add(it->second, entry.Name, entry.Id);
  }
  tree.SetSorted(true);
  for (TLocaleTreeNode* group : groupOrder) {
    if (group->Count() > 1) continue;
    if (group->Count() == 1) {
      const TLocaleTreeNode* child = group->Item(0);
      const int data = child->Data();
      std::string text = child->Text();
      tree.DeleteChildren(group);
      group->SetData(data);
      tree.SetText(group, std::move(text));
    }
  }
}

}  // namespace sw
