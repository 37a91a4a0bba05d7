// The translatable units of one translation language, as the exchange
// formats and the coverage statistics see them: every stored item (kinds
// float, integer, string and string list) whose native text is not empty,
// with its place, its native text, its translation and how fresh that
// translation is by the storage's own rule (revision -1: never translated,
// the native copy; a revision below the native value's: out of date).
//
// A unit's place names it stably across runs and files:
//   unit/<unit>/<constant>, form/<form>/<property>,
//   form/<form>/<component>/<property>, group/<group>/<item>
// Names are the storage's 8-bit names with every byte outside the printable
// ASCII range, and "%" and "/", written as %XX, so a place is plain ASCII
// and splits unambiguously. Places are matched as whole strings; nothing
// parses them back.
//
// Also here: loading a native file and one translation file into a storage
// the way the processing run does, and the language tags the formats need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/LocLangFile.h"
#include "storage/LocStorage.h"

namespace sw {

enum class TUnitStatus { UpToDate = 0, OutOfDate = 1, Untranslated = 2 };
enum class TGroupKind { Unit, Form, ExtGroup };

struct TExchangeUnit {
  TGroupKind GroupKind = TGroupKind::Unit;
  std::string GroupName;      // 8-bit, as stored
  std::string Place;          // see above
  std::string ResName;        // "MainForm.btnOK.Caption", UTF-8
  std::string ComponentPath;  // "MainForm.btnOK", the unit or the group, UTF-8
  std::uint8_t Kind = vkString;
  TLocItem* Item = nullptr;
  TUnitStatus Status = TUnitStatus::Untranslated;
  int Words = 0;  // of the native text
};

// "unit", "form", "group".
const char* GroupKindName(TGroupKind kind);
// "float", "integer", "string", "string list".
const char* ValueKindName(std::uint8_t kind);
// Runs of characters between white space (blank, tab, line breaks, no-break
// spaces).
int CountWords(std::u16string_view text);
// %XX-escapes what a place must not hold raw.
std::string EscapePlaceName(std::string_view name);

TUnitStatus StatusOf(const TLocItem& item, int column);

// The units of `column`, in storage order (constants, properties, external
// items), with the names decoded with the native language's code page.
std::vector<TExchangeUnit> CollectUnits(const TLocStorage& storage, int column);
// The same units' items and places only, for a caller that needs no more.
std::vector<std::pair<TLocItem*, std::string>> CollectPlaces(const TLocStorage& storage);

// "de-DE" (BCP 47) and "de_DE" (POSIX) for a language identifier; the
// language alone ("de") for a language-only identifier.
std::string LanguageTag(LANGID id);
std::string PosixLanguageTag(LANGID id);
// Whether two tags name the same language (the primary subtags compared
// without regard to case; "de-DE" and "de_AT" match).
bool SameLanguage(std::string_view a, std::string_view b);

// The language file of one language of a library: <dest>/<short>.<abbr>.lng.
std::string LangFileNameFor(const std::string& destDir, const std::string& shortName, LANGID id);

// A storage holding the native file in column 0 and one translation file in
// column 1, loaded as the processing run loads them. A translation file that
// does not exist yet leaves column 1 the native copy (all untranslated).
struct TLoadedLanguage {
  std::unique_ptr<TLocStorage> Storage;
  int Column = 1;
  LANGID LangId = 0;
  std::string NativeFile;
  std::string LangFile;
  bool LangFileExists = false;
};

// Raises EExchangeError when the native file does not exist; the language
// file's reader errors pass through with the file name in front.
TLoadedLanguage LoadLanguage(const std::string& nativeFile, const std::string& langFile, LANGID langId,
                             TLangFile* openedLangFile = nullptr);

SW_DECLARE_EXCEPTION(EExchangeError, Exception)

// A translation as it is stored: an editor and the exchange formats give
// line breaks as LF, and a native text with CR LF breaks gets its
// translation with CR LF breaks too (a text that has a CR stays as it is).
std::u16string WithLineBreaksOf(const std::u16string& text, std::u16string_view native);

}  // namespace sw
