// `shelfwright-cli process`: runs the processing run of one library, either
// stored in a settings file (--settings FILE --library N | --name NAME) or
// given on the command line (--src, --dest, --short-name, --lang ...), then
// writes lib.ini and prints a summary (text or JSON). With --keep-unchanged
// (or a stored library's KeepUnchangedFiles=1) a language file whose pass
// changed nothing, and a lib.ini that already says what it would, are left
// as they are and reported as unchanged.
//
// Status lines go to stderr as the status window would show them (one
// rewritten progress line on a terminal: the language, files done of total;
// none when stderr is not a terminal). Every file that fails is reported on
// stderr prefixed with its name and the run goes on, as the window does; so
// does a translation language whose file cannot be read or written (that
// file is kept as it was). The exit code is 0 when every file was read and
// written, 1 when the run failed, any file failed (the other language files
// are still written) or it was stopped, 2 for usage errors.
#include <nlohmann/json.hpp>

#include <chrono>
#include <iostream>
#include <memory>

#include "app/FileKinds.h"
#include "app/LibraryRun.h"
#include "app/LibrarySettings.h"
#include "cli/Commands.h"
#include "cli/LibraryOptions.h"
#include "platform/Terminal.h"
#include "platform/SettingsLocation.h"
#include "storage/LocCommon.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "platform/FileSystem.h"
#include "util/TerminalUserInteraction.h"

namespace sw::cli {

namespace {

struct ProcessOptions {
  LibraryOptions Library;
  bool RemoveUnused = false;
  bool Json = false;
  bool Quiet = false;
  int Jobs = 0;  // 0: the machine's cores
  std::string MemoryFile;  // --memory
  bool NoMemory = false;
  bool PreferFolders = false;
  bool KeepUnchanged = false;
  bool NoCache = false;
};

nlohmann::json ErrorsJson(const std::vector<TRunFileError>& errors) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& error : errors)
    list.push_back({{"file", error.FileName()}, {"message", error.Message()}, {"location", error.Location()}});
  return list;
}

nlohmann::json MemoryJson(const TMemoryRunReport& memory) {
  if (!memory.Used) return nlohmann::json();
  nlohmann::json kept = nlohmann::json::array();
  for (const auto& item : memory.Kept) kept.push_back({{"lang", GetLangAbbr(item.Lang)}, {"place", item.Place}});
  nlohmann::json reused = nlohmann::json::object();
  for (const auto& count : memory.Reused) reused[GetLangAbbr(count.Lang)] = count.Count;
  return {{"file", memory.FileName},       {"notes", memory.Notes},
          {"kept", kept},                  {"reused", reused},
          {"previousTexts", memory.PreviousTexts}, {"unitsRecorded", memory.UnitsRecorded}};
}

nlohmann::json SummaryJson(const TResolvedLibrary& library, const TRunResult& result) {
  const TRunStats& stats = result.Stats;
  nlohmann::json filesRead = nlohmann::json::object();
  for (std::size_t k = 0; k < kFileKinds.size(); ++k) filesRead[std::string(kFileKinds[k].CliName)] = stats.FilesRead[k];
  nlohmann::json languages = nlohmann::json::array();
  for (const auto& language : stats.Languages) {
    const auto id = static_cast<LANGID>(language.LangId);
    languages.push_back({{"id", language.LangId},
                         {"abbr", GetLangAbbr(id)},
                         {"name", DisplayLangName(id)},
                         {"file", language.FileName},
                         {"revision", language.Revision},
                         {"unchanged", language.Unchanged},
                         {"items", language.Items},
                         {"valuesChanged", language.ValuesChanged},
                         {"checkErrors", language.CheckErrors},
                         {"checkWarnings", language.CheckWarnings}});
  }
  nlohmann::json out = {{"library", library.Name},
                        {"srcDir", library.SrcDir},
                        {"destDir", library.DestDir},
                        {"filesRead", filesRead},
                        {"filesFailed", stats.FilesFailed},
                        {"filesReused", stats.FilesReused},
                        {"errors", ErrorsJson(stats.Errors)},
                        {"languages", languages},
                        {"languageFilesPlanned", stats.LanguageFilesPlanned},
                        {"languageFilesWritten", stats.LanguageFilesWritten()},
                        {"languageFilesUnchanged", stats.LanguageFilesUnchanged()},
                        {"writeErrors", ErrorsJson(stats.WriteErrors)},
                        {"warnings", stats.Warnings},
                        {"memory", MemoryJson(stats.Memory)},
                        {"libIni", result.LibIni.empty() ? nlohmann::json() : nlohmann::json(result.LibIni)},
                        {"libIniUnchanged", result.LibIniUnchanged},
                        {"ok", result.Ok()}};
  if (result.Failure) {
    out["error"] = result.Failure->Describe();
    out["errorFile"] = result.Failure->FileName();
  }
  return out;
}

std::string ProgressText(const TRunProgress& progress) {
  return Format(SProcessingResources, progress.LanguageName) + ": language " +
         std::to_string(progress.LanguageIndex + 1) + " of " + std::to_string(progress.LanguageCount) + ", " +
         std::to_string(progress.FilesDone) + " of " + std::to_string(progress.FilesTotal) + " files";
}

// The progress line, rewritten in place at most ten times a second (and at
// the start and end of each pass) through the terminal's status line, which
// steps aside for the errors printed meanwhile.
std::function<void(const TRunProgress&)> TerminalProgress() {
  using Clock = std::chrono::steady_clock;
  return [last = Clock::time_point()](const TRunProgress& progress) mutable {
    const auto now = Clock::now();
    if (progress.FilesDone != 0 && progress.FilesDone != progress.FilesTotal &&
        now - last < std::chrono::milliseconds(100))
      return;
    last = now;
    UpdateStatus(ProgressText(progress));
  };
}

void PrintSummary(const TResolvedLibrary& library, const TRunResult& result) {
  const TRunStats& stats = result.Stats;
  std::cout << "Source folder: " << library.SrcDir << "\nDestination folder: " << library.DestDir << "\n";
  std::cout << "Files read:";
  for (std::size_t k = 0; k < kFileKinds.size(); ++k)
    std::cout << (k ? ", " : " ") << stats.FilesRead[k] << " ." << kFileKinds[k].CliName;
  std::cout << "; files failed: " << stats.FilesFailed << "\n";
  for (const auto& error : stats.Errors) std::cout << "  failed: " << error.Describe() << "\n";
  std::cout << "Language files written: " << stats.LanguageFilesWritten() << " of " << stats.LanguageFilesPlanned;
  if (stats.LanguageFilesUnchanged() > 0) std::cout << ", " << stats.LanguageFilesUnchanged() << " unchanged";
  std::cout << "\n";
  for (const auto& language : stats.Languages) {
    const auto id = static_cast<LANGID>(language.LangId);
    std::cout << "  " << GetLangAbbr(id) << "  " << DisplayLangName(id) << ": " << language.Items << " items, "
              << language.ValuesChanged << " values changed, revision " << language.Revision << ", check: "
              << language.CheckErrors << " errors, " << language.CheckWarnings << " warnings  -> "
              << language.FileName << (language.Unchanged ? " (unchanged)" : "") << "\n";
  }
  if (result.LibIniUnchanged) std::cout << "lib.ini unchanged: " << result.LibIni << "\n";
  for (const auto& error : stats.WriteErrors) std::cout << "  not written: " << error.Describe() << "\n";
  for (const auto& warning : stats.Warnings) std::cout << "Warning: " << warning << "\n";
  if (stats.Memory.Used) {
    std::cout << "Memory: " << stats.Memory.FileName << "\n";
    for (const auto& count : stats.Memory.Reused)
      std::cout << "  " << GetLangAbbr(count.Lang) << "  " << DisplayLangName(count.Lang) << ": " << count.Count
                << " translations reused from the memory, marked out of date\n";
  }
}

int RunProcess(const ProcessOptions& options) {
  TResolvedLibrary library;
  try {
    library = ResolveLibraryOptions(options.Library);
    library.RemoveUnused = options.RemoveUnused;
    if (options.NoMemory && !options.MemoryFile.empty()) throw UsageError("give either --memory or --no-memory, not both");
    if (!options.MemoryFile.empty()) library.MemoryFile = options.MemoryFile;
    if (options.NoMemory) library.MemoryFile.clear();
    library.PreferFolders = options.PreferFolders;
    // On for this run; a stored library may have it on already.
    if (options.KeepUnchanged) library.KeepUnchangedFiles = true;
    library.UseCache = !options.NoCache;
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  } catch (const Exception& e) {
    // A settings file that cannot be read or parsed.
    PrintError(e.Describe());
    return kExitFailure;
  }
  TerminalUserInteraction terminal;
  terminal.ShowStatusLines = !options.Quiet;
  ScopedUserInteraction scope(&terminal);
  ShowStatus(SStartingProcessing);
  TRunControl control;
  control.Jobs = options.Jobs;
  control.OnFileError = [](const TRunFileError& error) {
    HideStatus();
    PrintError(ReplaceAll(error.Describe(), "\r\n", ": "));
  };
  // A log or a pipe gets no progress: it is for a person at a terminal.
  if (!options.Quiet && platform::IsTerminal(platform::StdStream::Err)) control.OnProgress = TerminalProgress();
  const TRunResult result = RunLibrary(library, control);
  HideStatus();
  if (result.Failure) PrintError(ReplaceAll(result.Failure->Describe(), "\r\n", ": "));
  for (const auto& error : result.Stats.WriteErrors) PrintError(error.Describe());
  if (options.Json) {
    std::cout << SummaryJson(library, result).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    if (!result.Failure && result.Stats.WriteErrors.empty()) std::cout << SProcessingComplete << "\n";
    PrintSummary(library, result);
  }
  return result.Ok() ? kExitOk : kExitFailure;
}

void AddProcessCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("process", "Process a library: extract its texts and write its language files");
  auto options = std::make_shared<ProcessOptions>();
  AddLibraryOptions(cmd, options->Library);
  cmd->add_option("--scan", options->Library.Scan,
                  "File kinds to read: " + FileKindNames(sfAllFiles, ",") + " (default: " + FileKindNames(sfDefaultFiles, ",") + ", or the stored ones)");
  cmd->add_flag("--remove-unused", options->RemoveUnused, "Remove items no longer found in the sources");
  cmd->add_option("--rules", options->Library.RulesFile, "Property rules file (one rule per line) replacing the rules in force");
  cmd->add_flag("--json", options->Json, "Print the summary as JSON");
  cmd->add_flag("-q,--quiet", options->Quiet, "Print no status lines");
  cmd->add_option("--memory", options->MemoryFile,
                  "The library's memory file (default: the stored one, or <short name>.memory.sqlite in the destination folder)");
  cmd->add_flag("--no-memory", options->NoMemory, "Use no memory: every translation folder's text is taken, nothing is recorded");
  cmd->add_flag("--prefer-folders", options->PreferFolders,
                "Take the translation folders' texts even where the language file's translation is newer");
  cmd->add_flag("--keep-unchanged", options->KeepUnchanged,
                "Leave a language file whose texts and items did not change as it is, revision included "
                "(default: the stored library's KeepUnchangedFiles; otherwise every file is rewritten "
                "with a new revision)");
  cmd->add_flag("--no-cache", options->NoCache,
                "Parse every file: neither use nor update the per-file cache (<short name>.cache in the destination folder)");
  cmd->add_option("--jobs", options->Jobs, "Files of a folder read in parallel (default: the machine's cores)")
      ->check(CLI::Range(1, 256));
  cmd->callback([options]() { SetExitCode(RunProcess(*options)); });
}

const CommandRegistration kProcessRegistration(10, AddProcessCommand);

}  // namespace

}  // namespace sw::cli
