// Translators' exchange: one translation language of a library written to a
// file a translation tool opens (XLIFF 1.2 or a gettext PO file) and the
// translated file read back into the language file.
//
// Export lists the units of ExchangeUnits.h: the native text as source, the
// translation as target when there is one (an out-of-date one marked for
// review, an untranslated unit without target), optionally only the units
// that still need work.
//
// Import matches units by their place and never creates items. A unit whose
// source no longer equals the current native text was translated from an
// older export and is reported, not applied (unless forced); an unknown place
// is reported; a translation that differs from the stored value, or whose
// freshness differs, is set and stamped: up to date with a revision no lower
// than the native value's, or out of date (a fuzzy PO entry, an XLIFF target
// in a "needs-*" state) with one below it. The language file is written
// atomically under its lock with its own compression, and only when
// something changed, so importing an unchanged export leaves it byte for
// byte as it was.
//
// Reading is hostile-input safe: a file is at most kMaxExchangeFileSize
// bytes (checked before reading; an input of unknown size, a pipe or a
// device, is read up to that bound only); XML with an internal DTD subset is
// refused and an external DTD is never fetched; a reference to an entity
// other than XML's five is an error, never text; a NUL character is refused;
// a file without a unit is an error. Errors are EExchangeError with the file
// attached (and the line as location where one is known): Describe() gives
// "file: problem (line N)".
//
// Line breaks: PO files carry none but LF and XML readers turn CR LF into LF,
// so sources are compared with line breaks unified, and a translation given
// with LF breaks for a native text with CR LF breaks gets CR LF back.
#pragma once

#include <cstdint>
#include <map>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "storage/ExchangeUnits.h"

namespace sw {

enum class TExchangeFormat { Xliff, Po };

// The largest XLIFF or PO file read: 256 MiB, far above any library's export.
inline constexpr std::uint64_t kMaxExchangeFileSize = std::uint64_t{256} << 20;
// What the library's memory adds to one exported unit: the native text an
// out-of-date translation was made for, and translations of similar native
// texts with their similarity in percent (offered, never applied).
struct TExportSuggestion {
  int Percent = 0;
  std::u16string Source;
  std::u16string Target;
};
struct TExportMemoryNotes {
  std::optional<std::u16string> PreviousSource;
  std::vector<TExportSuggestion> Suggestions;
};

struct TExportOptions {
  TExchangeFormat Format = TExchangeFormat::Xliff;
  bool OnlyOpen = false;     // only untranslated and out-of-date units
  std::string ProjectName;   // PO Project-Id-Version, XLIFF product name
  // Notes for translators by place (translation-check problems): XLIFF
  // <note from="check" priority="1">, PO "#." comments.
  std::map<std::string, std::vector<std::string>> Notes;
  // Asked per exported unit when set. PO writes a previous source as
  // "#| msgid" (the entry is fuzzy anyway) and suggestions as "#." comments
  // ("Similar (87%): source → target"); XLIFF writes <alt-trans
  // alttranstype="previous-version"> with the old source and the current
  // translation, and <alt-trans match-quality="87" origin="memory">.
  std::function<TExportMemoryNotes(const TExchangeUnit&)> MemoryNotes;
};

struct TImportEntry {
  std::string Place;
  std::u16string Source;
  std::optional<std::u16string> Target;  // none: no translation given
  bool NeedsReview = false;
  int Line = 0;  // where the entry starts, for messages (0: unknown)
};

struct TImportDocument {
  TExchangeFormat Format = TExchangeFormat::Xliff;
  std::string FileName;
  std::string Language;  // the target language the file names, "" when none
  std::string Project;   // the library it was exported from (XLIFF product-name,
                         // PO Project-Id-Version), "" when none
  std::vector<TImportEntry> Entries;
};

// Writes the document's text (UTF-8).
std::string BuildXliff(const TLocStorage& storage, int column, const TExportOptions& options);
std::string BuildPo(const TLocStorage& storage, int column, const TExportOptions& options);
std::string BuildExport(const TLocStorage& storage, int column, const TExportOptions& options);

// Readers of translated files; `fileName` only names the data in errors.
// XLIFF in UTF-8 or UTF-16 (with its byte-order mark); PO in UTF-8, with or
// without a byte-order mark. A unit whose primary id is missing (a PO entry
// without msgctxt, an XLIFF trans-unit whose id is not a place) takes its
// place from where translate-toolkit's converters keep it: the PO "#:"
// reference, the XLIFF "po-reference" context or resname.
TImportDocument ParseXliff(std::string_view data, const std::string& fileName);
TImportDocument ParsePo(std::string_view data, const std::string& fileName);
// The format taken from the content: XML is XLIFF, anything else PO. A
// document without a unit is an error.
TImportDocument ParseExchangeDocument(std::string_view data, const std::string& fileName);
// The bytes of a file, at most `limit` of them: a larger regular file is
// refused before it is read, an input of unknown size read up to the bound.
std::string ReadExchangeBytes(const std::string& fileName, std::uint64_t limit = kMaxExchangeFileSize);
// ReadExchangeBytes, then ParseExchangeDocument.
TImportDocument ReadExchangeFile(const std::string& fileName);

// Whether a text has the shape of a place ("unit/...", "form/...", "group/...").
bool LooksLikePlace(std::string_view text);

// Raises EExchangeError with `message`, the file attached and, when
// `line` > 0, "line N" as its location.
[[noreturn]] void RaiseExchangeError(const std::string& fileName, int line, const std::string& message);

struct TImportProblem {
  std::string Place;
  int Line = 0;
  std::string Message;
};

struct TImportResult {
  int Units = 0;         // entries in the file
  int Changed = 0;       // values set (or that would be, in a dry run)
  int Unchanged = 0;     // same text and freshness as stored
  int NoTranslation = 0; // entries without a translation
  int Forced = 0;        // stale entries applied because of force
  std::vector<TImportProblem> Stale;    // source no longer the native text
  std::vector<TImportProblem> Unknown;  // no such unit
  std::vector<TImportProblem> Invalid;  // a value the item cannot take
  std::vector<std::string> ChangedPlaces;
  bool Written = false;
  std::int32_t Revision = 0;  // the language file's revision afterwards
  bool Clean() const { return Stale.empty() && Unknown.empty() && Invalid.empty(); }
};

// Applies a document to column `column` of a loaded storage; `fileRevision`
// is the language file's revision. Returns the outcome; `Revision` is the
// revision the file must get (the old one when nothing changed).
TImportResult ApplyImport(TLocStorage& storage, int column, std::int32_t fileRevision,
                          const TImportDocument& document, bool force);

struct TImportOptions {
  bool DryRun = false;
  bool Force = false;
  std::string ProjectName;  // the library's; "" checks no product
};

// Reads `inputFile` and imports it into the language file `langFile` of the
// language `langId`, with `nativeFile` giving the native texts. The language
// file must exist. Raises EExchangeError when the document is for another
// language or another library's (unless forced), cannot be read, or the file
// cannot be written.
TImportResult ImportTranslations(const std::string& nativeFile, const std::string& langFile, LANGID langId,
                                 const std::string& inputFile, const TImportOptions& options);
// The same for a document already at hand (`document.FileName` names it in
// errors): the window's items view saves an edited translation through it.
TImportResult ImportTranslations(const std::string& nativeFile, const std::string& langFile, LANGID langId,
                                 const TImportDocument& document, const TImportOptions& options);

// Unifies line breaks: CR LF and lone CR become LF.
std::u16string UnifyLineBreaks(std::u16string_view text);

}  // namespace sw
