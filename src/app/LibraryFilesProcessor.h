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
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FileKinds.h"
#include "app/LibrarySettings.h"
#include "runtime/StringList.h"
#include "util/UserInteraction.h"

namespace sw {

class TLocStorage;
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
  void Clear() { *this = TRunStats(); }
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

  // Processes every language. Raises EShelfwrightError before anything is
  // written when the library has no languages (or a language is unknown),
  // when the source folder or the native language's folder does not exist.
  // An error that ends the run carries the name of its file.
  void Run();

  // Counters of the last (or current) run.
  const TRunStats& Stats() const { return stats_; }

 private:
  void RunLanguage(int index);
  // Walks one folder (not its sub-folders) and dispatches its files by
  // extension and `ScanFiles`; returns how many files of the scanned kinds
  // it met. A folder that does not exist is empty.
  int ScanFolder(const std::string& folder);
  void ProcessResFile(const std::string& path);
  void ProcessPasFile(const std::string& path);
  void ProcessDfmFile(const std::string& path);
  void ProcessRcFile(const std::string& path);
  void MergeConstants(const TUnitRec& unit);
  int CountChangedValues() const;
  int CountItems() const;

  std::unique_ptr<TLocStorage> storage_;
  std::string langFileName_;
  int column_ = 0;
  std::unique_ptr<TLangFile> langFile_;
  int failedInPass_ = 0;
  TRunStats stats_;
};

}  // namespace sw
