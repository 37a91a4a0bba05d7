// The processing run of one library: for every language, in list order, load
// the language file DestDir/<ShortName>.<abbr>.lng into the run's translation
// storage, walk the language's source folder (one level) and merge what the
// extractors find there (string tables of .res/.r32, resourcestrings of .pas,
// STRINGTABLEs of .rc, properties of .dfm), optionally drop what was not met,
// and save that language's column back into its file.
//
// A file that fails is reported through the user-interaction seam with the
// caption "Error" and the walk goes on; any other failure ends the run, the
// files saved by earlier passes staying written. lib.ini is written by the
// caller (WriteLibIni) after a successful run.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/LibrarySettings.h"
#include "runtime/StringList.h"
#include "util/UserInteraction.h"

namespace sw {

class TLocStorage;
class TLangFile;

// What a run did, for front ends that summarise it (the window shows none).
struct TRunLanguageStats {
  int LangId = 0;
  std::string FileName;  // the language file written
  int Items = 0;         // translatable items in the file
  int ValuesChanged = 0; // values stamped with this pass's revision
  int Revision = 0;      // the file's new revision
};

struct TRunFileError {
  std::string FileName;
  std::string Message;
};

struct TRunStats {
  // Files read successfully per kind: 0 .res/.r32, 1 .pas, 2 .rc, 3 .dfm.
  std::array<int, 4> FilesRead{};
  int FilesFailed = 0;
  std::vector<TRunFileError> Errors;
  std::vector<TRunLanguageStats> Languages;
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

  // Processes every language. Raises EShelfwrightError before anything is
  // written when the library has no languages (or a language is unknown).
  void Run();

  // Walks one folder (not its sub-folders) and dispatches its files by
  // extension and `ScanFiles`. A folder that does not exist is empty.
  void ScanFolder(const std::string& folder);
  void ProcessResFile(const std::string& path);
  void ProcessPasFile(const std::string& path);
  void ProcessDfmFile(const std::string& path);
  void ProcessRcFile(const std::string& path);

  // The file being handled by ScanFolder ("" between files); front ends use it
  // to name the file of a reported error.
  const std::string& CurrentFileName() const { return currentFile_; }

  // Counters of the last (or current) run.
  const TRunStats& Stats() const { return stats_; }

 private:
  void RunLanguage(int index);
  int CountChangedValues() const;
  int CountItems() const;

  std::unique_ptr<TLocStorage> storage_;
  std::string langFileName_;
  int column_ = 0;
  std::unique_ptr<TLangFile> langFile_;
  std::string currentFile_;
  TRunStats stats_;
};

// Forwards everything to another user interaction, but puts the name of the
// file being processed in front of each per-file "Error" message: a message
// such as "Invalid file format" alone does not say which file to look at.
class TFileNamingUserInteraction : public IUserInteraction {
 public:
  TFileNamingUserInteraction(IUserInteraction& target, const TLibraryFilesProcessor& processor)
      : target_(target), processor_(processor) {}
  void ShowMessage(const std::string& caption, const std::string& text) override;
  int AskYesNo(const std::string& text) override { return target_.AskYesNo(text); }
  int AskRetryCancel(const std::string& caption, const std::string& text) override {
    return target_.AskRetryCancel(caption, text);
  }
  void ShowStatus(const std::string& text) override { target_.ShowStatus(text); }
  void UpdateStatus(const std::string& text) override { target_.UpdateStatus(text); }
  void HideStatus() override { target_.HideStatus(); }

 private:
  IUserInteraction& target_;
  const TLibraryFilesProcessor& processor_;
};

}  // namespace sw
