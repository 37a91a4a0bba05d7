// The processing run (see LibraryFilesProcessor.h): one pass per language,
// each loading its language file into the run's storage, scanning the
// language's folder through the file kinds' readers and mergers and saving
// that language's column.
#include "app/LibraryFilesProcessor.h"


#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "app/LibraryRun.h"
#include "app/OrderedReads.h"
#include "app/UnchangedLanguageFile.h"
#include "BuildInfo.h"
#include "base/ByteRecord.h"
#include "checks/Checks.h"
#include "memory/FileCache.h"
#include "platform/FileSystem.h"
#include "base/Unicode.h"
#include "storage/LocLangFile.h"
#include "storage/LocStorage.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"
#include "storage/PropRules.h"

namespace sw {

struct TLibraryFilesProcessor::TPassLanguage {
  LANGID Id = 0;
  std::string Abbr;
  std::string LangName;     // the file's 8-bit English name
  std::string ShownName;    // the same decoded, as people read it
  std::u16string NativeName;
  unsigned CodePage = 0;
  std::string Folder;
  std::string FileName;     // its language file

  TPassLanguage(const TLibLanguage& language, const TResolvedLibrary& library)
      : Id(static_cast<LANGID>(language.LangId)),
        Abbr(GetLangAbbr(Id)),
        LangName(GetEnglishLangName(Id)),
        ShownName(DisplayLangName(Id)),
        NativeName(AnsiToWideByLang(GetLocaleInfoStr(Id, 2), Id)),
        CodePage(GetCodePage(Id)),
        Folder(JoinPath(library.SrcDir, language.SubFolder)),
        FileName(JoinPath(library.DestDir, library.ShortName) + "." + Abbr + ".lng") {}
};

TLibraryFilesProcessor::TLibraryFilesProcessor(const TResolvedLibrary& library, const TRunControl& control)
    : library_(library), control_(control) {}

TLibraryFilesProcessor::~TLibraryFilesProcessor() = default;

void TLibraryFilesProcessor::Run() {
  stats_.Clear();
  const TLibLangList& languages = library_.Languages;
  // Checks that need no file come first, so that a library that cannot be
  // processed leaves the destination folder exactly as it was.
  if (languages.Count() == 0) throw EShelfwrightError(Format(SLibraryHasNoLanguages, library_.ShortName));
  std::set<std::string> abbreviations;
  for (int i = 0; i < languages.Count(); ++i) {
    const int id = languages[i]->LangId;
    const std::string abbr = GetLangAbbr(static_cast<LANGID>(id));
    // Without an abbreviation the file name would be "<ShortName>..lng",
    // shared by every unknown language.
    if (abbr.empty() || id <= 0 || id > 0xFFFF)
      throw EShelfwrightError(Format(SUnknownLanguage, id, id, library_.ShortName));
    // Two languages writing one file would overwrite each other's column.
    if (!abbreviations.insert(UpperAscii(abbr)).second) {
      int first = 0;
      while (UpperAscii(GetLangAbbr(static_cast<LANGID>(languages[first]->LangId))) != UpperAscii(abbr)) ++first;
      throw EShelfwrightError(Format(SDuplicateLanguageFile, languages[first]->LangId, id, library_.ShortName,
                                     JoinPath(library_.DestDir, library_.ShortName) + "." + abbr + ".lng"));
    }
  }

  // A mistyped source folder must not read as "no file left": the native
  // pass would purge and write empty language files.
  if (!platform::DirectoryExists(library_.SrcDir))
    throw EShelfwrightError(Format(SSourceFolderMissing, library_.SrcDir));
  const std::string nativeFolder = JoinPath(library_.SrcDir, languages[0]->SubFolder);
  if (!platform::DirectoryExists(nativeFolder))
    throw EShelfwrightError(Format(SNativeFolderMissing, nativeFolder));
  stats_.LanguageFilesPlanned = languages.Count();

  if (!platform::DirectoryExists(library_.DestDir) && !platform::ForceDirectories(library_.DestDir)) {
    EShelfwrightError error(Format(SCannotCreateFolder, library_.DestDir));
    error.AttachLocation(std::strerror(errno));
    throw error;
  }

  // The storage and the language file live for this run only, and are freed
  // on every path out of it.
  struct RunScope {
    TLibraryFilesProcessor& self;
    ~RunScope() {
      self.langFile_.reset();
      self.storage_.reset();
      self.memory_.reset();  // an unfinished run leaves the memory as it was
      self.cache_.reset();   // and the cache
    }
  } scope{*this};
  storage_ = std::make_unique<TLocStorage>();
  storage_->ExpectLanguages(languages.Count());
  if (!library_.MemoryFile.empty()) {
    memory_ = std::make_unique<TRunMemory>(library_.MemoryFile, library_.PreferFolders);
    stats_.Memory = memory_->Report();
    // A memory file set aside is news for every front end.
    stats_.Warnings.insert(stats_.Warnings.end(), stats_.Memory.Notes.begin(), stats_.Memory.Notes.end());
  }
  // The results of files unchanged since the last run come from the cache;
  // without one every file is read.
  cache_.reset();
  if (library_.UseCache) {
    cache_ = std::make_unique<TFileCache>();
    cache_->Load(TFileCache::DefaultFileName(library_.DestDir, library_.ShortName));
  }
  progress_ = TRunProgress();
  progress_.LanguageCount = languages.Count();
  for (int i = 0; i < languages.Count(); ++i) {
    if (!RunLanguage(i)) {
      stats_.Cancelled = true;
      break;
    }
  }
  // The cache keeps the files read this time; a stopped run, which has not
  // read them all, leaves it as it was (the new file is removed with the
  // cache). Failing to write it costs the next run time only.
  storage_.reset();
  if (cache_ && !stats_.Cancelled && cache_->Changed()) {
    try {
      cache_->Save();
    } catch (const Exception&) {
    }
  }
  cache_.reset();
  // The languages written keep what the memory learnt from them.
  if (memory_) {
    memory_->Finish();
    stats_.Memory = memory_->Report();
  }
}

void TLibraryFilesProcessor::ReportProgress(int done) {
  progress_.FilesDone = done;
  if (control_.OnProgress) control_.OnProgress(progress_);
}

bool TLibraryFilesProcessor::LoadLanguageFile(int index, const TPassLanguage& language) {
  const bool exists = platform::FileExists(language.FileName);
  try {
    langFile_ = std::make_unique<TLangFile>(language.FileName, false);
    if (index == 0) {
      column_ = 0;
      if (exists) langFile_->LoadStorage(storage_.get(), -1, 0);
      storage_->SetNativeLangId(language.Id);
    } else {
      column_ = OpenLanguageColumn(*storage_, language.Id, exists ? langFile_.get() : nullptr);
    }
  } catch (Exception& e) {
    e.AttachFile(language.FileName);
    langFile_.reset();
    // Without the native file nothing can be processed.
    if (index == 0) throw;
    // A translation whose file cannot be read is not written: the file stays
    // as it was for the user to look at, and the other languages go on. Its
    // column, half loaded, is never used again.
    stats_.WriteErrors.emplace_back(e);
    return false;
  }
  langFile_->IsNative = index == 0;
  return true;
}

bool TLibraryFilesProcessor::RunLanguage(int index) {
  if (control_.Stop.stop_requested()) return false;
  const TPassLanguage language(*library_.Languages[index], library_);
  const auto files = ScannedFiles(language.Folder);
  if (control_.Stop.stop_requested()) return false;
  progress_.LanguageIndex = index;
  progress_.LanguageName = language.ShownName;
  progress_.FilesTotal = static_cast<int>(files.size());
  ReportProgress(0);

  if (!LoadLanguageFile(index, language)) return true;

  storage_->Forms->SetAllUsed(false);
  storage_->Units->SetAllUsed(false);
  storage_->ExtGroups->SetAllUsed(false);

  langFile_->LangId = language.Id;
  langFile_->LangName = language.LangName;
  langFile_->NativeName = language.NativeName;
  // What the file holds on disk, for a library that keeps unchanged files.
  const std::int32_t revisionOnDisk = langFile_->Revision, buildOnDisk = langFile_->Build;
  const bool existed = platform::FileExists(language.FileName);
  // Kept files let a translation's counter fall behind the native file's; a
  // translation set now must be up to date with the native texts of now.
  langFile_->SetRevision(library_.KeepUnchangedFiles && index > 0 ? std::max(revisionOnDisk + 1, nativeRevision_)
                                                                  : revisionOnDisk + 1);

  if (index > 0 && !platform::DirectoryExists(language.Folder))
    stats_.Warnings.push_back(Format(STranslationFolderMissing, language.Folder, language.ShownName));
  failedInPass_ = 0;
  if (memory_) {
    if (index == 0)
      memory_->BeginNativePass(*storage_);
    else
      memory_->BeginTranslationPass(*storage_, column_);
  }
  const int met = static_cast<int>(files.size());
  // A pass stopped half-way has not seen its folder: its file stays as it was.
  if (!ProcessFiles(files, language) || control_.Stop.stop_requested()) {
    langFile_.reset();
    return false;
  }

  // Only the native sources decide what exists: purging in a translation pass
  // would delete the translations of every file that folder happens to lack,
  // from its own language file and from every file written after it. A pass
  // that read nothing, or failed to read a file, has not seen what exists: a
  // failed read is not a deletion.
  if (library_.RemoveUnused && index == 0) {
    if (met == 0) {
      stats_.Warnings.push_back(Format(SUnusedKeptNoFiles, language.Folder));
    } else if (failedInPass_ > 0) {
      stats_.Warnings.push_back(Format(SUnusedKeptFailures, failedInPass_));
    } else {
      storage_->Forms->PurgeUnused();
      storage_->Units->PurgeUnused();
      storage_->ExtGroups->PurgeUnused();
    }
  }

  if (storage_->LanguageCount() == 0) throw EShelfwrightError(SNoResourcesToProcess);
  // The memory decides which folder texts are news, and records what changed.
  if (memory_) {
    if (index == 0)
      memory_->EndNativePass(*storage_, langFile_->Revision);
    else
      memory_->EndTranslationPass(*storage_, column_, langFile_->Revision, language.ShownName, stats_.Warnings);
  }

  if (control_.Stop.stop_requested()) {  // the counts and checks below take a while on a large library
    langFile_.reset();
    return false;
  }
  TRunLanguageStats languageStats;
  languageStats.LangId = language.Id;
  languageStats.FileName = language.FileName;
  languageStats.Revision = langFile_->Revision;
  CountItems(languageStats.Items, languageStats.ValuesChanged);
  const TCheckCounts checks = CheckCounts(language);
  languageStats.CheckErrors = checks.Errors;
  languageStats.CheckWarnings = checks.Warnings;

  // The last point at which a stop leaves this language's file as it was.
  if (control_.Stop.stop_requested()) {
    langFile_.reset();
    return false;
  }
  if (library_.KeepUnchangedFiles && existed && languageStats.ValuesChanged == 0 &&
      LanguageFileUnchanged(*langFile_, *storage_, column_, revisionOnDisk, buildOnDisk)) {
    langFile_.reset();
    if (memory_) memory_->PassKept(revisionOnDisk);
    if (index == 0) nativeRevision_ = revisionOnDisk;
    languageStats.Revision = revisionOnDisk;
    languageStats.Unchanged = true;
    stats_.Languages.push_back(std::move(languageStats));
    return true;
  }

  try {
    langFile_->SaveStorage(storage_.get(), column_, false);
  } catch (Exception& e) {
    // The other languages are still written; the summary says which failed.
    e.AttachFile(language.FileName);
    stats_.WriteErrors.emplace_back(e);
    langFile_.reset();
    if (memory_) memory_->PassSaved(false);
    return true;
  }
  langFile_.reset();
  if (memory_) memory_->PassSaved(true);
  if (index == 0) nativeRevision_ = languageStats.Revision;
  stats_.Languages.push_back(std::move(languageStats));
  return true;
}

namespace {

// What reading one file yields before it is merged: what its kind's reader
// made of it, or the failure that stopped its reading; for the cache, the
// entry to keep with the result made now (when `KeptNew`; otherwise the
// result is the loaded one), and whether the result came from the last run's.
struct TReadFile {
  std::unique_ptr<TFileContents> Contents;
  std::exception_ptr Error;
  std::optional<TFileCache::TEntry> Kept;
  std::string KeptResult;
  bool KeptNew = false;
  bool Reused = false;
};

// Whether a file a kept result was made from is unchanged: its stamp
// vouches for it, or else its content hash is the same.
bool DependencyUnchanged(const TFileCache& cache, const std::string& path, const TFileStamp& kept,
                         std::uint64_t hash) {
  TFileStamp now;
  if (!FileStampOf(path, now)) return false;
  if (cache.StampVouches(kept, now)) return true;
  try {
    return ContentHash(platform::ReadRegularFile(path)) == hash;
  } catch (const Exception&) {
    return false;  // the reading now raises what it raises
  }
}

// The loaded entry's result, when it still reads back and decodes, and what
// it was made from besides its file is unchanged.
bool Reuse(const TFileKind& kind, const TFileCache& cache, const TFileCache::TEntry& entry, TReadFile& file) {
  std::string result;
  if (!cache.ReadResult(entry, result)) return false;
  auto contents = kind.Cache->Decode(result);
  if (!contents) return false;
  if (kind.Cache->StillCurrent &&
      !kind.Cache->StillCurrent(*contents, [&](const std::string& path, const TFileStamp& stamp, std::uint64_t hash) {
        return DependencyUnchanged(cache, path, stamp, hash);
      }))
    return false;
  file.Contents = std::move(contents);
  file.Reused = true;
  return true;
}

// A kind the cache keeps: unchanged stamp or content, the last result;
// otherwise the file parsed from the bytes just hashed.
void ReadThroughCache(const std::string& path, const TFileKind& kind, const TKindReadSettings& settings,
                      const TFileCache& cache, std::uint64_t key, TReadFile& file) {
  TFileCache::TEntry entry;
  entry.Key = key;
  const bool stamped = FileStampOf(path, entry.Stamp);
  const TFileCache::TEntry* last = cache.Find(path, key);
  if (last && stamped && cache.StampVouches(*last, entry.Stamp) && Reuse(kind, cache, *last, file)) {
    file.Kept = *last;
    return;
  }
  const std::string bytes = platform::ReadRegularFile(path);
  entry.Hash = ContentHash(bytes);
  if (last && last->Hash == entry.Hash && last->Stamp.Size == bytes.size() && Reuse(kind, cache, *last, file)) {
    // Touched, not changed: the loaded result under the stamp of now.
    file.Kept = *last;
    file.Kept->Stamp = entry.Stamp;
    return;
  }
  file.Contents = kind.Cache->Parse(path, bytes, settings);
  // A file that changed while it was looked at is not kept: its stamp would
  // vouch for other bytes.
  if (stamped && entry.Stamp.Size == bytes.size() && kind.Cache->Encode(*file.Contents, file.KeptResult)) {
    file.Kept = entry;
    file.KeptNew = true;
  }
}

TReadFile ReadFile(const std::string& path, const TFileKind& kind, const TKindReadSettings& settings,
                   const TFileCache* cache, std::uint64_t key, const TStopToken& stop) {
  TReadFile file;
  TStopScope scope(stop);  // a cancel ends a long read (EStopped), which the merge never records
  try {
    // Every listed file that cannot be opened fails with the system's
    // reason, whichever reader would have read it, as does one that is too
    // large or has become something other than a file since the listing.
    platform::CheckRegularFile(path);
    if (cache && kind.Cache)
      ReadThroughCache(path, kind, settings, *cache, key, file);
    else
      file.Contents = kind.Read(path, settings);
  } catch (...) {
    file.Error = std::current_exception();
    file.Kept.reset();
    file.KeptResult.clear();
  }
  return file;
}

// Raised when a reader or the checks change what they yield without the
// program's version changing, so that no run takes what an older build kept.
constexpr std::uint64_t kResultsRevision = 1;

// A key that already holds what every kept result depends on besides its own
// inputs: the program that made it. A cache written by another version is
// thus never taken, whatever its readers yielded.
TCacheKey ProgramKey() {
  TCacheKey key;
  key.Add(SHELFWRIGHT_VERSION).Add(kResultsRevision);
  return key;
}

// What a pass's results depend on besides the file: a result kept under
// other settings is never taken.
std::uint64_t CacheKey(const TFileKind& kind, const TKindReadSettings& settings) {
  TCacheKey key = ProgramKey();
  key.Add(kind.CliName).Add(settings.Native ? 1 : 0).Add(settings.LangId).Add(settings.CodePage);
  if (settings.PropRules)
    for (const std::string& rule : *settings.PropRules) key.Add(rule);
  return key.Value();
}

}  // namespace

std::vector<std::pair<std::string, int>> TLibraryFilesProcessor::ScannedFiles(const std::string& folder) {
  std::vector<std::pair<std::string, int>> files;
  if (!platform::DirectoryExists(folder)) return files;
  for (const auto& entry : platform::ListFolder(folder)) {
    if (control_.Stop.stop_requested()) return {};  // the pass is not started
    if (entry.IsDirectory()) continue;
    int kind = FileKindOfExtension(LowerAscii(ExtractFileExt(entry.Name)));
    // A kind recognised by content (a resource DLL, App.DEU) claims what no extension does.
    for (std::size_t k = 0; kind < 0 && !entry.Special && k < kFileKinds.size(); ++k)
      if (kFileKinds[k].Recognize && (library_.ScanFiles & kFileKinds[k].Bit) != 0 &&
          kFileKinds[k].Recognize(JoinPath(folder, entry.Name)))
        kind = static_cast<int>(k);
    if (kind < 0 || (library_.ScanFiles & kFileKinds[static_cast<std::size_t>(kind)].Bit) == 0) continue;
    // Reading a FIFO or a device could wait for ever or never end.
    if (entry.Special) {
      stats_.Warnings.push_back(Format(SSkippedNotAFile, JoinPath(folder, entry.Name)));
      continue;
    }
    files.emplace_back(JoinPath(folder, entry.Name), kind);
  }
  return files;
}

bool TLibraryFilesProcessor::ProcessFiles(const std::vector<std::pair<std::string, int>>& files,
                                          const TPassLanguage& language) {
  TKindReadSettings settings;
  settings.LangId = language.Id;
  settings.CodePage = language.CodePage;
  settings.Native = column_ == 0;
  settings.PropRules = &library_.PropRules;
  TKindMergeTarget target{*storage_, column_, column_ == 0, langFile_->Revision, library_.PropRules,
                          stats_.Warnings};
  std::array<std::uint64_t, kFileKindCount> keys{};
  for (std::size_t k = 0; k < kFileKindCount; ++k) keys[k] = CacheKey(kFileKinds[k], settings);
  int done = 0;
  const auto read = [&](std::size_t i) {
    const auto kind = static_cast<std::size_t>(files[i].second);
    return ReadFile(files[i].first, kFileKinds[kind], settings, cache_.get(), keys[kind], control_.Stop);
  };
  const auto merge = [&](std::size_t i, TReadFile& file) {
    if (control_.Stop.stop_requested()) return false;
    const auto& [path, kind] = files[i];
    try {
      if (file.Error) std::rethrow_exception(file.Error);
      kFileKinds[static_cast<std::size_t>(kind)].Merge(path, *file.Contents, target);
      ++stats_.FilesRead[static_cast<std::size_t>(kind)];
      if (file.Reused) ++stats_.FilesReused;
      // A result made now goes to the new cache file at once: the run holds
      // no result longer than between its read and its merge.
      if (cache_ && file.Kept) {
        if (file.KeptNew)
          cache_->Keep(path, *file.Kept, file.KeptResult);
        else
          cache_->KeepLoaded(path, *file.Kept);
      }
    } catch (Exception& e) {
      e.AttachFile(path);
      ++stats_.FilesFailed;
      ++failedInPass_;
      stats_.Errors.emplace_back(e);
      if (control_.OnFileError) control_.OnFileError(stats_.Errors.back());
    }
    ReportProgress(++done);
    return true;
  };
  const int jobs =
      control_.Jobs > 0 ? control_.Jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return ReadInOrder<TReadFile>(files.size(), jobs, 4 * static_cast<std::size_t>(jobs), read, merge);
}

namespace {

// Kinds a language file stores; the others live in memory only.
bool IsStoredKind(std::uint8_t kind) {
  return kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings;
}

}  // namespace

TCheckCounts TLibraryFilesProcessor::CheckCounts(const TPassLanguage& language) {
  if (!cache_) return CountColumnProblems(*storage_, column_);
  // The counts of a column whose check inputs are those of the last run are
  // the last run's, kept under the language file's name.
  TCacheKey key = ProgramKey();
  key.Add("checks");
  ForEachCheckInput(*storage_, column_, [&](std::string_view part) { key.Add(part); });
  std::string result;
  if (const TFileCache::TEntry* kept = cache_->Find(language.FileName, key.Value());
      kept && cache_->ReadResult(*kept, result)) {
    TByteReader in(result);
    std::uint32_t errors = 0, warnings = 0;
    if (in.U32(errors) && in.U32(warnings) && in.AtEnd() && errors <= INT32_MAX && warnings <= INT32_MAX) {
      cache_->KeepLoaded(language.FileName, *kept);
      TCheckCounts counts;
      counts.Errors = static_cast<int>(errors);
      counts.Warnings = static_cast<int>(warnings);
      return counts;
    }
  }
  const TCheckCounts counts = CountColumnProblems(*storage_, column_);
  result.clear();
  PutU32(result, static_cast<std::uint32_t>(counts.Errors));
  PutU32(result, static_cast<std::uint32_t>(counts.Warnings));
  TFileCache::TEntry entry;
  entry.Key = key.Value();
  cache_->Keep(language.FileName, entry, result);
  return counts;
}

void TLibraryFilesProcessor::CountItems(int& items, int& changed) const {
  const std::int32_t revision = langFile_->Revision;
  items = changed = 0;
  storage_->ForEachItem([&](const TLocItem* item) {
    if (!IsStoredKind(item->ValueKind())) return;
    ++items;
    if (item->Values(column_)->Revision == revision) ++changed;
  });
}

}  // namespace sw
