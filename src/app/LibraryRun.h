// The run service both front ends use: a library definition, from the
// settings file or given on the command line, is resolved (folders,
// languages, the property rules in force), run, and its lib.ini written; the
// caller gets the statistics, the per-file errors and the error that ended the
// run, each naming its file. Neither front end reads settings or decides rule
// precedence itself.
#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "app/LibraryFilesProcessor.h"
#include "app/LibrarySettings.h"
#include "base/StopToken.h"

namespace sw {

// A library ready to run: folders absolute where the settings file's folder
// made them so, the rules in force decided.
struct TResolvedLibrary {
  std::string Name;
  std::string ShortName;
  std::string SrcDir;
  std::string DestDir;
  int ScanFiles = sfDefaultFiles;
  TLibLangList Languages;
  TStringList PropRules;
  bool RemoveUnused = false;
  // The library's memory file ("" = the run uses no memory), and whether
  // the translation folders' texts win over the language files'.
  std::string MemoryFile;
  bool PreferFolders = false;
  // A language file whose pass changed no value and no item is left as it
  // is, revision included (and so is a lib.ini that holds what it would).
  bool KeepUnchangedFiles = false;
  // Whether the run keeps and uses its per-file cache, <ShortName>.cache in
  // DestDir: results of files unchanged since the last run are not parsed
  // again. Without it every file is read (the output is the same).
  bool UseCache = true;
};

// The rules in force for a library: its own, else the global [PropRules],
// else the defaults. Never those of another library.
TStringList RulesInForce(const TStringList& ownRules, const TStringList& globalRules);

// Resolves a definition. Relative folders are taken relative to `baseFolder`
// (the settings file's folder; "" leaves them to the working folder).
TResolvedLibrary ResolveLibrary(const TLibraryDefinition& library, const TStringList& globalRules,
                                const std::string& baseFolder);

// The folder relative folders of a settings file are taken from: the
// file's own folder, made absolute.
std::string SettingsFolder(const std::string& settingsFile);

// Reads library n (1-based) of the settings file and resolves it. Raises
// EShelfwrightError when the file holds no library n.
TResolvedLibrary LoadResolvedLibrary(const TLibrarySettings& settings, int n);

struct TRunResult {
  TRunStats Stats;
  // The error that ended the run, when one did.
  std::optional<TRunFileError> Failure;
  std::string LibIni;  // lib.ini written (or kept, see below), "" when not
  bool LibIniUnchanged = false;  // kept as it was: it held what the run would write
  // Every language file written, every input read, nothing failed, not
  // cancelled.
  bool Ok() const {
    return !Failure && !Stats.Cancelled && Stats.FilesFailed == 0 && Stats.WriteErrors.empty();
  }
};

// How a front end follows and steers a run (see TLibraryFilesProcessor): the
// only ways the run reports to it.
struct TRunControl {
  // Sees each failed file as it fails.
  std::function<void(const TRunFileError&)> OnFileError;
  // On the run's thread: at the start of each pass and after each file.
  std::function<void(const TRunProgress&)> OnProgress;
  // A stop ends the run within the file being read (its readers ask it as
  // they go) or between files; the language in progress is not saved and
  // no lib.ini is written.
  TStopToken Stop;
  // Parallel readers; 0 = the machine's cores.
  int Jobs = 0;
};

// Runs the library and writes its lib.ini (not after a cancel); never raises
// for what the run meets.
TRunResult RunLibrary(const TResolvedLibrary& library, const TRunControl& control = {});

}  // namespace sw
