// Export and import of one translation language for both front ends (see
// ExchangeService.h).
#include "app/ExchangeService.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <unordered_set>

#include "checks/Checks.h"
#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "util/LocaleCatalogue.h"

namespace sw {

namespace fs = std::filesystem;

namespace {

// Whether two names are the same file: the same file on disk when both
// exist (a hard link included), else the same real path.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) {
    const bool same = fs::equivalent(a, b, error);
    if (!error) return same;
  }
  const fs::path realA = fs::weakly_canonical(a, error);
  if (error) return false;
  const fs::path realB = fs::weakly_canonical(b, error);
  return !error && realA == realB;
}

// Records the translations an import made up to date in the library's
// memory, in one transaction.
void RecordImported(const TImportRequest& request, const TImportResult& result) {
  const TLoadedLanguage loaded =
      LoadLanguage(request.Library.NativeFile(), request.Library.FileOf(request.LangId), request.LangId);
  const std::unordered_set<std::string> changed(result.ChangedPlaces.begin(), result.ChangedPlaces.end());
  TTranslationMemory memory(request.MemoryFile);
  memory.Begin();
  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column)) {
    if (unit.Status != TUnitStatus::UpToDate || !changed.contains(unit.Place)) continue;
    if (unit.Kind != vkString && unit.Kind != vkStrings) continue;
    const std::u16string& native = unit.Item->NativeValue()->Text;
    memory.RecordUnit({loaded.Storage->Languages(0), native, request.LangId, unit.Item->Values(loaded.Column)->Text,
                       TUnitOrigin::Import, unit.Place});
  }
  memory.Commit();
}

}  // namespace

bool IsStandardOutputName(const std::string& output) {
  return output == kStandardOutputName || output == "/dev/stdout" || output == "/dev/fd/1" || output == "/proc/self/fd/1";
}

std::string TLibraryFiles::LibIni() const { return JoinPath(DestDir, "lib.ini"); }

void CheckExportOutput(const TLibraryFiles& library, const std::string& output) {
  if (IsStandardOutputName(output)) return;
  const auto refuse = [&](const std::string& what) {
    throw EExchangeError("the export is not written to " + output + ": that is " + what +
                         ", which it would destroy; choose another output file");
  };
  for (LANGID id : library.Languages)
    if (SameFile(output, library.FileOf(id))) refuse("the library's language file " + library.FileOf(id));
  if (SameFile(output, library.LibIni())) refuse("the library's " + library.LibIni());
}

void WriteExportText(const std::string& output, std::string_view text, std::ostream& standardOutput) {
  if (IsStandardOutputName(output)) {
    standardOutput.write(text.data(), static_cast<std::streamsize>(text.size()));
    standardOutput.flush();
    if (!standardOutput) throw EExchangeError("cannot write to standard output");
    return;
  }
  std::error_code error;
  const fs::file_status status = fs::status(output, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    if (fs::is_directory(status)) RaiseExchangeError(output, 0, "a folder, not a file");
    // A device or a pipe is not ours to replace: written into as it is.
    std::ofstream stream(output, std::ios::binary | std::ios::out);
    if (!stream) RaiseExchangeError(output, 0, "cannot open it for writing");
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    stream.flush();
    if (!stream) RaiseExchangeError(output, 0, "cannot write the export into it");
    return;
  }
  try {
    platform::WriteFileAtomic(output, text);
  } catch (Exception& e) {
    e.AttachFile(output);
    throw;
  }
}

TExportOutcome ExportLanguage(const TExportRequest& request, std::ostream& standardOutput) {
  CheckExportOutput(request.Library, request.Output);
  TExportOptions options;
  options.Format = request.Format;
  options.OnlyOpen = request.OnlyOpen;
  options.ProjectName = request.Library.ShortName;
  const TLoadedLanguage loaded =
      LoadLanguage(request.Library.NativeFile(), request.Library.FileOf(request.LangId), request.LangId);
  // Each unit's translation-check problems travel to the translator as a note.
  options.Notes = ProblemNotes(CheckColumn(*loaded.Storage, loaded.Column, TCheckSelection()));
  TExportOutcome outcome;
  // The library's memory adds previous native texts and similar translations.
  std::unique_ptr<TTranslationMemory> memory;
  if (!request.MemoryFile.empty() && platform::FileExists(request.MemoryFile)) {
    memory = std::make_unique<TTranslationMemory>(request.MemoryFile);
    outcome.Notes = memory->Notes();
    const LANGID native = request.Library.Languages[0];
    const LANGID langId = request.LangId;
    options.MemoryNotes = [&memory, &loaded, native, langId](const TExchangeUnit& unit) {
      TExportMemoryNotes notes;
      if (unit.Status == TUnitStatus::UpToDate || (unit.Kind != vkString && unit.Kind != vkStrings)) return notes;
      if (unit.Status == TUnitStatus::OutOfDate)
        notes.PreviousSource = memory->TranslatedFrom(unit.Place, unit.Item->Values(loaded.Column)->Revision);
      const std::u16string& current = unit.Item->Values(loaded.Column)->Text;
      for (const TSuggestion& suggestion : memory->Suggestions(native, unit.Item->NativeValue()->Text, langId)) {
        // The translation the unit already has is no suggestion.
        if (unit.Status == TUnitStatus::OutOfDate && suggestion.Text == current) continue;
        notes.Suggestions.push_back({suggestion.Percent, suggestion.NativeText, suggestion.Text});
      }
      return notes;
    };
  }
  WriteExportText(request.Output, BuildExport(*loaded.Storage, loaded.Column, options), standardOutput);

  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column))
    if (!request.OnlyOpen || unit.Status != TUnitStatus::UpToDate) ++outcome.Counts[static_cast<std::size_t>(unit.Status)];
  const std::string target = IsStandardOutputName(request.Output) ? "standard output" : request.Output;
  outcome.Summary = "Exported " + std::to_string(outcome.Units()) +
                    (outcome.Units() == 1 ? " unit of " : " units of ") + DisplayLangName(request.LangId) + " (" +
                    std::to_string(outcome.Counts[0]) + " up to date, " + std::to_string(outcome.Counts[1]) +
                    " out of date, " + std::to_string(outcome.Counts[2]) + " untranslated) to " + target;
  return outcome;
}

TImportResult ImportLanguage(const TImportRequest& request) {
  return ImportLanguage(request, ReadExchangeFile(request.Input));
}

TImportResult ImportLanguage(const TImportRequest& request, const TImportDocument& document) {
  TImportOptions options;
  options.DryRun = request.DryRun;
  options.Force = request.Force;
  options.ProjectName = request.Library.ShortName;
  TImportResult result = ImportTranslations(request.Library.NativeFile(), request.Library.FileOf(request.LangId),
                                            request.LangId, document, options);
  if (result.Written && !request.MemoryFile.empty() && platform::FileExists(request.MemoryFile)) {
    try {
      RecordImported(request, result);
    } catch (const Exception&) {
      // The language file is written; a memory in use by another program
      // learns these translations at the library's next run instead.
    }
  }
  return result;
}

std::int32_t SaveTranslation(const TLibraryFiles& library, LANGID langId, const std::string& memoryFile,
                             const std::string& place, const std::u16string& native, const std::u16string& text) {
  TImportRequest request;
  request.Library = library;
  request.LangId = langId;
  request.MemoryFile = memoryFile;
  TImportDocument document;
  document.FileName = "the edited translation";
  document.Entries.push_back({place, native, text, false, 0});
  const TImportResult result = ImportLanguage(request, document);
  if (!result.Stale.empty())
    throw EExchangeError(library.NativeFile() + ": the native text of " + place +
                         " has changed since it was read; nothing was saved (reopen the items)");
  if (!result.Clean()) {
    const TImportProblem& problem = !result.Unknown.empty() ? result.Unknown.front() : result.Invalid.front();
    throw EExchangeError(request.Library.FileOf(langId) + ": " + place + ": " + problem.Message +
                         "; nothing was saved");
  }
  return result.Revision;
}

std::vector<TCheckProblem> ImportCheckProblems(const TImportRequest& request, const TImportResult& result) {
  if (!result.Written) return {};
  const TLoadedLanguage loaded =
      LoadLanguage(request.Library.NativeFile(), request.Library.FileOf(request.LangId), request.LangId);
  return CheckPlaces(*loaded.Storage, loaded.Column, result.ChangedPlaces);
}

std::string ImportSummary(const TImportRequest& request, const TImportResult& result) {
  std::string text = (request.DryRun ? "Would change " : "Changed ") + std::to_string(result.Changed) + " of " +
                     std::to_string(result.Units) + (result.Units == 1 ? " unit (" : " units (") + std::to_string(result.Unchanged) + " unchanged, " +
                     std::to_string(result.NoTranslation) + " without translation, " +
                     std::to_string(result.Stale.size()) + " stale, " + std::to_string(result.Unknown.size()) +
                     " unknown, " + std::to_string(result.Invalid.size()) + " invalid";
  if (result.Forced > 0) text += ", " + std::to_string(result.Forced) + " stale ones forced";
  text += ")";
  if (result.Written)
    text += "; " + request.Library.FileOf(request.LangId) + " written, revision " + std::to_string(result.Revision);
  return text;
}

std::vector<std::string> ImportProblemLines(const TImportRequest& request, const TImportResult& result,
                                            std::size_t limit) {
  std::vector<std::string> lines;
  const std::size_t total = result.Stale.size() + result.Unknown.size() + result.Invalid.size();
  const auto add = [&](const char* what, const std::vector<TImportProblem>& problems) {
    for (const TImportProblem& problem : problems) {
      if (lines.size() == limit) return;
      lines.push_back(request.Input + (problem.Line > 0 ? ":" + std::to_string(problem.Line) : "") + ": " + what +
                      " \"" + problem.Place + "\": " + problem.Message);
    }
  };
  add("stale unit", result.Stale);
  add("unknown unit", result.Unknown);
  add("unit", result.Invalid);
  if (total > lines.size())
    lines.push_back("... and " + std::to_string(total - lines.size()) + " more (" + std::to_string(total) +
                    " problems in all)");
  return lines;
}

}  // namespace sw
