// The processing run of one library: for every language, in list order, load
// the language file DestDir/<ShortName>.<abbr>.lng into the run's translation
// storage, walk the language's source folder (one level) and merge what the
// readers of the file kinds find there (FileKinds.h), optionally drop what was
// not met, and save that language's column back into its file.
//
// A file that fails is recorded in the statistics (and handed to the run's
// `OnFileError`) and the walk goes on. A translation language whose file
// cannot be read or written is recorded as that language's failure, its
// file kept as it was, and the other languages are still processed. Any
// other failure (the native language file among them) ends the run, the
// files saved by earlier passes staying written, with the error naming its
// file. lib.ini is written by the caller (WriteLibIni) after a successful
// run; the run service (LibraryRun.h) does both for the front ends, which
// use it rather than this class.
//
// Unless the library says otherwise (`UseCache`), the run keeps a per-file
// cache beside the language files (memory/FileCache.h) and takes the results
// of unchanged files from it; what it writes is the same either way.
//
// The run reports only through its control (`TRunControl`): progress, failed
// files, and a stop that takes effect within the file being read or between
// files, up to the moment a language file is replaced (the language in
// progress is not saved and the languages finished before it stay written).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/FileKinds.h"
#include "base/Exceptions.h"
#include "memory/RunMemory.h"

namespace sw {

class TLocStorage;
class TLangFile;
class TFileCache;
struct TCheckCounts;
struct TResolvedLibrary;
struct TRunControl;

// What a run did, for front ends that summarise it (the window shows none).
struct TRunLanguageStats {
  int LangId = 0;
  std::string FileName;  // the language file written
  int Items = 0;         // translatable items in the file
  int ValuesChanged = 0; // values stamped with this pass's revision
  int Revision = 0;      // the file's new revision (its old one when unchanged)
  // The pass changed nothing and the library keeps unchanged files: the file
  // was left as it was, not written.
  bool Unchanged = false;
  // Translation-check problems of the language (checks/Checks.h), without
  // hotkeys (the run does not read the forms' structure) and ignore list.
  int CheckErrors = 0;
  int CheckWarnings = 0;
};

// One file that failed, as the error that stopped it: the message, the file
// and what is known of the place, shown with `Describe()` ("file: message
// (entry at offset 32: ...)") like every other error.
class TRunFileError : public Exception {
 public:
  TRunFileError(const std::string& fileName, std::string message) : Exception(std::move(message)) {
    AttachFile(fileName);
  }
  explicit TRunFileError(const Exception& error) : Exception(error) {}
};

struct TRunStats {
  // Files read successfully per kind, in the order of `kFileKinds`.
  std::array<int, kFileKindCount> FilesRead{};
  // Of those, the files whose result the per-file cache held (unchanged since
  // the last run, not parsed again).
  int FilesReused = 0;
  int FilesFailed = 0;
  std::vector<TRunFileError> Errors;
  // Language files written (or kept unchanged, see `Unchanged`), and those
  // that could not be read or written (each kept as it was).
  std::vector<TRunLanguageStats> Languages;
  int LanguageFilesPlanned = 0;
  std::vector<TRunFileError> WriteErrors;
  // What the run did not do that the user would expect (a translation folder
  // that does not exist, unused items that were kept).
  std::vector<std::string> Warnings;
  // The run was stopped through its stop token before its end.
  bool Cancelled = false;
  // What the library's memory did (nothing when the run had none).
  TMemoryRunReport Memory;
  void Clear() { *this = TRunStats(); }
  int LanguageFilesUnchanged() const {
    int unchanged = 0;
    for (const auto& language : Languages) unchanged += language.Unchanged ? 1 : 0;
    return unchanged;
  }
  int LanguageFilesWritten() const { return static_cast<int>(Languages.size()) - LanguageFilesUnchanged(); }
};

// Where a run stands, for front ends that show it.
struct TRunProgress {
  int LanguageIndex = 0;     // 0-based, in list order
  int LanguageCount = 0;
  std::string LanguageName;  // the language's English name (UTF-8), as the CLI summary prints it
  int FilesDone = 0;         // files of the scanned kinds finished in this language's pass
  int FilesTotal = 0;        // files of the scanned kinds in this language's folder
};

class TLibraryFilesProcessor {
 public:
  // Both must outlive the processor.
  TLibraryFilesProcessor(const TResolvedLibrary& library, const TRunControl& control);
  ~TLibraryFilesProcessor();
  TLibraryFilesProcessor(const TLibraryFilesProcessor&) = delete;
  TLibraryFilesProcessor& operator=(const TLibraryFilesProcessor&) = delete;

  // Processes every language. Raises EShelfwrightError before anything is
  // written when the library has no languages (or a language is unknown),
  // when the source folder or the native language's folder does not exist.
  // An error that ends the run carries the name of its file.
  void Run();

  // Counters of the last (or current) run.
  const TRunStats& Stats() const { return stats_; }

 private:
  // One language as a pass uses it, looked up once.
  struct TPassLanguage;
  // One pass; false when it was cancelled (nothing saved).
  bool RunLanguage(int index);
  // Loads the pass's language file into the storage (a new column for a
  // translation); false when a translation's file cannot be read, which is
  // recorded as that language's failure.
  bool LoadLanguageFile(int index, const TPassLanguage& language);
  // The files of the scanned kinds in one folder (not its sub-folders), in
  // the order the folder lists them, with their kind's index in
  // `kFileKinds`. A folder that does not exist is empty. Entries that are
  // not regular files (FIFOs, devices) are left out with a warning.
  std::vector<std::pair<std::string, int>> ScannedFiles(const std::string& folder);
  // Reads and merges the files; false when a stop was requested before the
  // last one was done.
  bool ProcessFiles(const std::vector<std::pair<std::string, int>>& files, const TPassLanguage& language);
  void ReportProgress(int done);
  // The stored items of the storage, and those of them whose value in this
  // pass's column carries this pass's revision.
  void CountItems(int& items, int& changed) const;
  // The check counts of the pass's column: those the cache kept for the
  // same check inputs, else counted now (and kept).
  TCheckCounts CheckCounts(const TPassLanguage& language);

  const TResolvedLibrary& library_;
  const TRunControl& control_;
  std::unique_ptr<TLocStorage> storage_;
  std::unique_ptr<TRunMemory> memory_;
  std::unique_ptr<TFileCache> cache_;  // null when the run uses none
  std::string langFileName_;
  int column_ = 0;
  std::unique_ptr<TLangFile> langFile_;
  int failedInPass_ = 0;
  std::int32_t nativeRevision_ = 0;  // of the native file after its pass
  TRunProgress progress_;
  TRunStats stats_;
};

}  // namespace sw
