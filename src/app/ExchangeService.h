// Export and import of one translation language of a library, as both front
// ends offer them: the command line's `export`/`import` and the window's
// "Export for translators..."/"Import translations...". This file decides
// what the formats layer does not: which files are the library's, where an
// export may be written and how, which product an import must come from, and
// the texts that report the outcome. It neither parses options nor shows
// anything; the formats themselves are the exchange layer's (Exchange.h).
//
// Output of an export: "-" (or /dev/stdout) is standard output; an existing file that is not
// a regular file (a character device, a FIFO) is written into directly and
// stays what it is; a regular file is written completely to a temporary file
// and then renamed over the old one. An output that is (by its real path)
// one of the library's language files or its lib.ini is refused.
//
// Both directions identify the library by its short name: an export names it
// as product (XLIFF product-name, PO Project-Id-Version), an import refuses a
// file naming another one unless forced.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "checks/Checks.h"
#include "exchange/Exchange.h"

namespace sw {

// A library's language files: where they are and which languages it has.
struct TLibraryFiles {
  std::string DestDir;
  std::string ShortName;
  std::vector<LANGID> Languages;  // the first is native

  std::string FileOf(LANGID id) const { return LangFileNameFor(DestDir, ShortName, id); }
  std::string NativeFile() const { return FileOf(Languages.at(0)); }
  std::string LibIni() const;
};

// The output name that means standard output.
inline constexpr std::string_view kStandardOutputName = "-";
// "-", and the names of the standard output's descriptor (/dev/stdout,
// /dev/fd/1): written through the program's standard output stream, so
// that the export and the other output never overwrite each other.
bool IsStandardOutputName(const std::string& output);

struct TExportRequest {
  TLibraryFiles Library;
  LANGID LangId = 0;
  TExchangeFormat Format = TExchangeFormat::Xliff;
  bool OnlyOpen = false;
  std::string Output;  // a file, or "-" for standard output
  // The library's memory file ("" or missing: none): it adds the native text
  // an out-of-date translation was made for and similar translations.
  std::string MemoryFile;
};

struct TExportOutcome {
  std::array<int, 3> Counts{};  // units written per TUnitStatus
  int Units() const { return Counts[0] + Counts[1] + Counts[2]; }
  std::string Summary;          // "Exported 30 units of German (...) to de.po"
  std::vector<std::string> Notes;  // what opening the memory did ("... set aside as ...")
};

// Raises EExchangeError naming the file when `output` is one of the
// library's language files or its lib.ini (compared by real path, so that a
// link or another spelling of the name is caught too).
void CheckExportOutput(const TLibraryFiles& library, const std::string& output);

// Writes an export's text to `output` as described above; "-" goes to
// `standardOutput`. Raises an Exception with the file attached on failure.
void WriteExportText(const std::string& output, std::string_view text, std::ostream& standardOutput);

// Builds the export of the request's language and writes it.
TExportOutcome ExportLanguage(const TExportRequest& request, std::ostream& standardOutput);

struct TImportRequest {
  TLibraryFiles Library;
  LANGID LangId = 0;
  std::string Input;
  bool DryRun = false;
  bool Force = false;  // stale units, another language's or library's file
  // The library's memory file ("" or missing: none): the translations an
  // import makes up to date are recorded in it as units (when it cannot be
  // written, the library's next run records them).
  std::string MemoryFile;
};

TImportResult ImportLanguage(const TImportRequest& request);
// The same for a document at hand instead of `request.Input`.
TImportResult ImportLanguage(const TImportRequest& request, const TImportDocument& document);

// One translation set and made up to date, as an import of one unit does it
// (the language file replaced under its lock, the memory updated). `native`
// is the native text the translation was made for: when the native file
// holds another one by now, nothing is written and EExchangeError says so.
// Answers the language file's revision afterwards.
std::int32_t SaveTranslation(const TLibraryFiles& library, LANGID langId, const std::string& memoryFile,
                             const std::string& place, const std::u16string& native, const std::u16string& text);

// "Changed 3 of 30 units (27 unchanged, ...); <file> written, revision 6".
std::string ImportSummary(const TImportRequest& request, const TImportResult& result);
// The translation checks' problems of the units an import applied (none
// when it wrote nothing): reported, never refused.
std::vector<TCheckProblem> ImportCheckProblems(const TImportRequest& request, const TImportResult& result);

// How many problems an import reports in text; the JSON output has all.
inline constexpr std::size_t kProblemsShown = 20;

// The import's problems, one line each ("de.po:12: stale unit \"unit/X/Y\":
// the native text has changed since the export"), stale ones first, then
// unknown, then invalid; at most `limit`, followed by a line giving the
// number left out and the total.
std::vector<std::string> ImportProblemLines(const TImportRequest& request, const TImportResult& result,
                                            std::size_t limit = kProblemsShown);

}  // namespace sw
