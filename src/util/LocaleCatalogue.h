// The locale catalogue: names, abbreviations and code pages of Windows
// language identifiers, the locale lists, reverse look-ups, and the
// conversion of text between 8-bit and wide form in a language's code page.
// Built on the national-language services of the platform layer.
//
// A language identifier is 16 bits: the primary language in bits 0-9, the
// sub-language above. An identifier with sub-language 0 is language-only and
// stands for the whole language. The abbreviation (`GetLangAbbr`) names
// language files, so it is taken exactly as the locale database gives it.
//
// The pseudo-locales of localization testing, 0x0501 (qps-ploc) and 0x09FF
// (qps-plocm), are known even where the locale database has no data for
// them: abbreviations QPS and QPM, code page 1252. They are in no list.
//
// The three locale lists are built once per process, on first request, and
// then copied; building is not re-entrant. Conversions never fail: a code
// page the platform does not know converts with the system ANSI code page.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"
#include "platform/NationalLanguage.h"

namespace sw {

using LANGID = std::uint16_t;

SW_DECLARE_EXCEPTION(ELocalesError, Exception)

// Information types of GetLocaleInfoStr.
inline constexpr int LOCALE_SLANGUAGE = 0x0002;
inline constexpr int LOCALE_SABBREVLANGNAME = 0x0003;
inline constexpr int LOCALE_SENGLANGUAGE = 0x1001;
inline constexpr int LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
inline constexpr int LOCALE_SNAME = 0x005C;

std::string GetLocaleInfoStr(LANGID id, int infoType);
std::string GetEnglishLangName(LANGID id);
inline LANGID PrimaryLangId(LANGID id) { return static_cast<LANGID>(id & 0x3FF); }
std::string GetLangAbbr(LANGID id);
LANGID LangIdFromAbbr(std::string_view abbr);
LANGID LangIdFromEnglishName(std::string_view name);
// The main locale of a language-only identifier: the one whose region is the
// language's own ("de-DE"), else its default sub-language, else its first
// supported locale. Other identifiers come back unchanged.
LANGID MainLocaleOf(LANGID id);
// The language a whole name stands for: a language's English name
// ("German") or the name its speakers give it ("Deutsch", "Fran\u00e7ais"),
// without regard to ASCII case. Answers the language's main locale
// (`MainLocaleOf`), so that files are named as for "DEU"; 0 for none.
LANGID LanguageOfName(std::string_view name);
unsigned GetCodePage(LANGID id);
// The user's default language identifier, as the operating system gives it.
LANGID UserDefaultLangId();

std::u16string AnsiToWideByLang(std::string_view text, LANGID id);
std::string WideToAnsiByLang(std::u16string_view text, LANGID id);
std::u16string RecodeWide(std::u16string_view text, LANGID sourceId, LANGID targetId);

// The one way an 8-bit text of the catalogue (a name, an abbreviation) becomes
// UTF-8 for a person to read: decoded with the code page of `id`, the
// language the text belongs to. A code page the platform cannot convert
// shows the bytes as Latin-1, so the result is always valid UTF-8.
std::string LocaleTextToUtf8(std::string_view text, LANGID id);
// `GetEnglishLangName(id)` as UTF-8: the name of a language wherever a
// person sees it (the window's list and dialog, the command line's output).
std::string DisplayLangName(LANGID id);

// The English name table: 135 locales whose English display name is fixed
// here rather than taken from the locale database.
struct TEnglishLangName {
  LANGID Id;
  const char* Name;
};
// The rows in table order, and the row of `id` (nullptr when absent).
const std::vector<TEnglishLangName>& EnglishLangNames();
const char* FindEnglishLangName(LANGID id);

// ---- Locale lists -----------------------------------------------------------

enum LocaleListMode : int {
  lmLanguages = 0,            // one entry per primary language
  lmLocales = 1,              // every supported locale, in enumeration order
  lmLocalesAndLanguages = 2,  // locales, plus a language-only entry in front of
                              // each language that has several
};

// One entry of a locale list: the localized full name (8-bit, in the
// locale's code page) and the identifier.
struct TLocaleEntry {
  std::string Name;
  LANGID Id = 0;
  bool operator==(const TLocaleEntry&) const = default;
};
using TLocaleEntryList = std::vector<TLocaleEntry>;

// Replaces `list` with a copy of the cached list of `mode`; any mode value
// other than 0 and 2 gives the list of mode 1.
void GetLocaleList(TLocaleEntryList& list, LocaleListMode mode);

// ---- Locale tree --------------------------------------------------------------

// A tree of text nodes with an integer each, kept sorted by text at every
// level: the model the language dialog shows. Nodes are owned by their parent
// (top-level nodes by the tree); pointers stay valid until the node is deleted.
class TLocaleTreeNode {
 public:
  const std::string& Text() const { return text_; }
  int Data() const { return data_; }
  void SetData(int data) { data_ = data; }
  TLocaleTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  // Raises EListError "List index out of bounds (%d)" for a bad index.
  TLocaleTreeNode* Item(int index) const;

 private:
  friend class TLocaleTree;
  std::string text_;
  int data_ = 0;
  TLocaleTreeNode* parent_ = nullptr;
  std::vector<std::unique_ptr<TLocaleTreeNode>> children_;
};

class TLocaleTree {
 public:
  TLocaleTree();
  void Clear();
  // Adds a node under `parent` (nullptr: top level) and answers it.
  TLocaleTreeNode* Add(TLocaleTreeNode* parent, std::string text, int data);
  void DeleteChildren(TLocaleTreeNode* node);
  // Changes a node's text; a sorted tree moves the node to its new place.
  void SetText(TLocaleTreeNode* node, std::string text);
  // Sorting by text, at every level, from now on (the tree stays sorted).
  void SetSorted(bool sorted);
  bool Sorted() const { return sorted_; }
  // The top-level nodes.
  const TLocaleTreeNode& Root() const { return *root_; }
  int Count() const { return root_->Count(); }
  TLocaleTreeNode* Item(int index) const { return root_->Item(index); }

  // The order of sorted nodes: letters compared without regard to case;
  // of two texts that differ only in case, the lower-case one first.
  static int CompareNodeText(std::string_view a, std::string_view b);

 private:
  void SortChildren(TLocaleTreeNode& node, bool recursive);
  std::unique_ptr<TLocaleTreeNode> root_;
  bool sorted_ = false;
};

// Fills `tree` with the supported locales grouped by primary language: a
// group node per language (data = identifier AND 0xFF) with one child per
// locale (data = identifier), and a single top-level leaf for a language with
// one locale. The tree is left sorted by text.
void FillLocaleTree(TLocaleTree& tree);

}  // namespace sw
