// The processing run of one library: for every language, in list order, load
// the language file DestDir/<ShortName>.<abbr>.lng into the run's translation
// storage, walk the language's source folder (one level) and merge what the
// extractors find there (string tables of .res/.r32, resourcestrings of .pas,
// STRINGTABLEs of .rc, properties of .dfm), optionally drop what was not met,
// and save that language's column back into its file.
//
// A file that fails is recorded in the statistics as "file: message" (and
// handed to `OnFileError`) and the walk goes on; any other failure ends the
// run, the files saved by earlier passes staying written, with the error
// naming its file. A language file that cannot be written is recorded and the
// other languages are still written. lib.ini is written by the caller
// (WriteLibIni) after a successful run; the run service (LibraryRun.h) does
// both for the front ends.
//
// A run can be watched (`OnProgress`) and cancelled (`StopToken`): a cancel
// takes effect between files, the language in progress is not saved and the
// languages finished before it stay written.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "app/FileKinds.h"
#include "app/LibrarySettings.h"
#include "memory/RunMemory.h"
#include "runtime/StringList.h"
#include "util/UserInteraction.h"

namespace sw {

class TLocStorage;
class TMemoryStream;
class TResProcessor;
class TLangFile;
class TUnitRec;

// What a run did, for front ends that summarise it (the window shows none).
struct TRunLanguageStats {
  int LangId = 0;
  std::string FileName;  // the language file written
  int Items = 0;         // translatable items in the file
  int ValuesChanged = 0; // values stamped with this pass's revision
  int Revision = 0;      // the file's new revision
};

// One file that failed: its name, and the message with what is known of the
// place ("Invalid file format (entry at offset 32: ...)").
struct TRunFileError {
  std::string FileName;
  std::string Message;
  // "file: message", as every front end shows it; a message that names its
  // file already ("Cannot open file ...") is not prefixed a second time.
  std::string Text() const {
    return FileName.empty() || Message.find(FileName) != std::string::npos ? Message : FileName + ": " + Message;
  }
  static TRunFileError From(const Exception& e);
};

struct TRunStats {
  // Files read successfully per kind, in the order of `kFileKinds`.
  std::array<int, 4> FilesRead{};
  int FilesFailed = 0;
  std::vector<TRunFileError> Errors;
  // Language files written, and those that could not be written.
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
  // Starts with no languages and the default property rules.
  TLibraryFilesProcessor();
  ~TLibraryFilesProcessor();
  TLibraryFilesProcessor(const TLibraryFilesProcessor&) = delete;
  TLibraryFilesProcessor& operator=(const TLibraryFilesProcessor&) = delete;

  TLibLangList Languages;
  std::string SrcDir;
  std::string DestDir;
  int ScanFiles = sfAllFiles;
  std::string ShortName;
  TStringList PropRules;
  bool RemoveUnused = false;

  // Called for each file that fails, as it fails; unset, the record is
  // shown through the user-interaction seam with the caption "Error".
  std::function<void(const TRunFileError&)> OnFileError;
  // Called on the run's thread at the start of each pass and after each file.
  std::function<void(const TRunProgress&)> OnProgress;
  // Checked between files: when stop is requested the language in progress
  // is not saved, the run ends and `Stats().Cancelled` is set.
  std::stop_token StopToken;
  // Parallel readers; 0 = the machine's cores.
  int Jobs = 0;
  // The library's memory file ("" = none; see memory/RunMemory.h), and
  // whether folders' texts are taken whether or not they are news.
  std::string MemoryFile;
  bool PreferFolders = false;

  // Processes every language. Raises EShelfwrightError before anything is
  // written when the library has no languages (or a language is unknown),
  // when the source folder or the native language's folder does not exist.
  // An error that ends the run carries the name of its file.
  void Run();

  // Counters of the last (or current) run.
  const TRunStats& Stats() const { return stats_; }

 private:
  // One pass; false when it was cancelled (nothing saved).
  bool RunLanguage(int index);
  // The files of the scanned kinds in one folder (not its sub-folders), in
  // the order the folder lists them, with their kind's index in
  // `kFileKinds`. A folder that does not exist is empty.
  std::vector<std::pair<std::string, int>> ScannedFiles(const std::string& folder) const;
  // Reads and merges the files; false when a stop was requested before the
  // last one was done.
  bool ProcessFiles(const std::vector<std::pair<std::string, int>>& files);
  void ReportProgress(int done);
  // Reading a file, which may run on any thread, and merging what it read,
  // on the run's thread.
  struct TReadFile;
  struct TReadSettings {
    std::uint16_t LangId = 0;
    unsigned CodePage = 0;
  };
  static TReadFile ReadFile(const std::string& path, int kind, const TReadSettings& settings);
  void MergeResFile(const std::string& path, const TResProcessor& processor);
  void MergeForm(TMemoryStream& stream);
  void MergeConstants(const TUnitRec& unit, const std::vector<std::u16string>& texts);
  // The stored items of the storage, and those of them whose value in this
  // pass's column carries this pass's revision.
  void CountItems(int& items, int& changed) const;

  std::unique_ptr<TLocStorage> storage_;
  std::unique_ptr<TRunMemory> memory_;
  std::string langFileName_;
  int column_ = 0;
  std::unique_ptr<TLangFile> langFile_;
  int failedInPass_ = 0;
  TRunProgress progress_;
  TRunStats stats_;
};

}  // namespace sw
