// The processing run (see LibraryFilesProcessor.h): one pass per language,
// each loading its language file into the run's storage, scanning the
// language's folder and saving that language's column.
#include "app/LibraryFilesProcessor.h"


#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <thread>
#include <utility>

#include "app/OrderedReads.h"
#include "extract/forms/LocFormProc.h"
#include "extract/resources/WinResProc.h"
#include "extract/source/SrcProcs.h"
#include "platform/FileSystem.h"
#include "base/Unicode.h"
#include "storage/LocLangFile.h"
#include "storage/LocStorage.h"
#include "util/QConsts.h"
#include "util/QLocales.h"
#include "util/QStrings.h"
#include "storage/PropRules.h"

namespace sw {

TRunFileError TRunFileError::From(const Exception& e) {
  std::string message = e.Message();
  if (!e.Location().empty()) message += " (" + e.Location() + ")";
  return {e.FileName(), message};
}

TLibraryFilesProcessor::TLibraryFilesProcessor() { SetDefaultPropRules(PropRules); }

TLibraryFilesProcessor::~TLibraryFilesProcessor() = default;

void TLibraryFilesProcessor::Run() {
  stats_.Clear();
  // Checks that need no file come first, so that a library that cannot be
  // processed leaves the destination folder exactly as it was.
  if (Languages.Count() == 0) throw EShelfwrightError(Format(SLibraryHasNoLanguages, ShortName));
  std::set<std::string> abbreviations;
  for (int i = 0; i < Languages.Count(); ++i) {
    const int id = Languages[i]->LangId;
    const std::string abbr = GetLangAbbr(static_cast<LANGID>(id));
    // Without an abbreviation the file name would be "<ShortName>..lng",
    // shared by every unknown language.
    if (abbr.empty() || id <= 0 || id > 0xFFFF) throw EShelfwrightError(Format(SUnknownLanguage, id, id, ShortName));
    // Two languages writing one file would overwrite each other's column.
    if (!abbreviations.insert(UpperAscii(abbr)).second) {
      int first = 0;
      while (UpperAscii(GetLangAbbr(static_cast<LANGID>(Languages[first]->LangId))) != UpperAscii(abbr)) ++first;
      throw EShelfwrightError(Format(SDuplicateLanguageFile, Languages[first]->LangId, id, ShortName,
                                     JoinPath(DestDir, ShortName) + "." + abbr + ".lng"));
    }
  }

  // A mistyped source folder must not read as "no file left": the native
  // pass would purge and write empty language files.
  if (!platform::DirectoryExists(SrcDir)) throw EShelfwrightError(Format(SSourceFolderMissing, SrcDir));
  const std::string nativeFolder = JoinPath(SrcDir, Languages[0]->SubFolder);
  if (!platform::DirectoryExists(nativeFolder))
    throw EShelfwrightError(Format(SNativeFolderMissing, nativeFolder));
  stats_.LanguageFilesPlanned = Languages.Count();

  if (!platform::DirectoryExists(DestDir) && !platform::ForceDirectories(DestDir)) {
    EShelfwrightError error(Format(SCannotCreateFolder, DestDir));
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
    }
  } scope{*this};
  storage_ = std::make_unique<TLocStorage>();
  if (!MemoryFile.empty()) {
    memory_ = std::make_unique<TRunMemory>(MemoryFile, PreferFolders);
    stats_.Memory = memory_->Report();
    // A memory file set aside is news for every front end.
    stats_.Warnings.insert(stats_.Warnings.end(), stats_.Memory.Notes.begin(), stats_.Memory.Notes.end());
  }
  progress_ = TRunProgress();
  progress_.LanguageCount = Languages.Count();
  for (int i = 0; i < Languages.Count(); ++i) {
    if (!RunLanguage(i)) {
      stats_.Cancelled = true;
      break;
    }
  }
  // The languages written keep what the memory learnt from them.
  if (memory_) {
    memory_->Finish();
    stats_.Memory = memory_->Report();
  }
}

void TLibraryFilesProcessor::ReportProgress(int done) {
  progress_.FilesDone = done;
  if (OnProgress) OnProgress(progress_);
}

bool TLibraryFilesProcessor::RunLanguage(int index) {
  if (StopToken.stop_requested()) return false;
  const TLibLanguage& language = *Languages[index];
  const auto langId = static_cast<LANGID>(language.LangId);
  // The language file keeps the 8-bit name; people read it decoded.
  const std::string name = GetEnglishLangName(langId);
  const std::string shownName = DisplayLangName(langId);
  UpdateStatus(Format(SProcessingResources, shownName));
  const std::string folder = JoinPath(SrcDir, language.SubFolder);
  const auto files = ScannedFiles(folder);
  progress_.LanguageIndex = index;
  progress_.LanguageName = shownName;
  progress_.FilesTotal = static_cast<int>(files.size());
  ReportProgress(0);

  langFileName_ = JoinPath(DestDir, ShortName) + "." + GetLangAbbr(langId) + ".lng";
  const bool exists = platform::FileExists(langFileName_);
  try {
    langFile_ = std::make_unique<TLangFile>(langFileName_, false);
    if (index == 0) {
      column_ = 0;
      if (exists) langFile_->LoadStorage(storage_.get(), -1, 0);
      storage_->SetNativeLangId(langId);
      langFile_->IsNative = true;
    } else {
      column_ = storage_->AddLanguage(0, langId);
      // The copies of a new file are in the translation's own code page too:
      // recoded to the machine's, they would stay garbled for good.
      storage_->RecodeColumn(column_, storage_->Languages(0), langId);
      langFile_->IsNative = false;
      if (exists) langFile_->LoadStorage(storage_.get(), column_, 0);
    }
  } catch (Exception& e) {
    e.AttachFile(langFileName_);
    throw;
  }
  if (index == 0) {
    // The storage numbers the items; the native file's counters seed it.
    storage_->LastConstantId = std::max(storage_->LastConstantId, langFile_->LastConstantId);
    storage_->LastPropertyId = std::max(storage_->LastPropertyId, langFile_->LastPropertyId);
    storage_->LastExtItemId = std::max(storage_->LastExtItemId, langFile_->LastExtItemId);
  }

  storage_->Forms->SetAllUsed(false);
  storage_->Units->SetAllUsed(false);
  storage_->ExtGroups->SetAllUsed(false);

  langFile_->LangId = langId;
  langFile_->LangName = name;
  langFile_->NativeName = AnsiToWideByLang(GetLocaleInfoStr(langId, 2), langId);
  langFile_->SetRevision(langFile_->Revision + 1);

  if (index > 0 && !platform::DirectoryExists(folder))
    stats_.Warnings.push_back(Format(STranslationFolderMissing, folder, shownName));
  failedInPass_ = 0;
  if (memory_) {
    if (index == 0)
      memory_->BeginNativePass(*storage_);
    else
      memory_->BeginTranslationPass(*storage_, column_);
  }
  const int met = static_cast<int>(files.size());
  // A pass stopped half-way has not seen its folder: its file stays as it was.
  if (!ProcessFiles(files) || StopToken.stop_requested()) {
    langFile_.reset();
    return false;
  }

  // Only the native sources decide what exists: purging in a translation pass
  // would delete the translations of every file that folder happens to lack,
  // from its own language file and from every file written after it. A pass
  // that read nothing, or failed to read a file, has not seen what exists: a
  // failed read is not a deletion.
  if (RemoveUnused && index == 0) {
    if (met == 0) {
      stats_.Warnings.push_back(Format(SUnusedKeptNoFiles, folder));
    } else if (failedInPass_ > 0) {
      stats_.Warnings.push_back(Format(SUnusedKeptFailures, failedInPass_));
    } else {
      storage_->Forms->PurgeUnused();
      storage_->Units->PurgeUnused();
      storage_->ExtGroups->PurgeUnused();
    }
  }
  if (index == 0) {
    langFile_->LastConstantId = storage_->LastConstantId;
    langFile_->LastPropertyId = storage_->LastPropertyId;
    langFile_->LastExtItemId = storage_->LastExtItemId;
  }

  if (storage_->LanguageCount() == 0) throw EShelfwrightError(SNoResourcesToProcess);
  // The memory decides which folder texts are news, and records what changed.
  if (memory_) {
    if (index == 0)
      memory_->EndNativePass(*storage_, langFile_->Revision);
    else
      memory_->EndTranslationPass(*storage_, column_, langFile_->Revision, shownName, stats_.Warnings);
  }

  TRunLanguageStats languageStats;
  languageStats.LangId = language.LangId;
  languageStats.FileName = langFileName_;
  languageStats.Revision = langFile_->Revision;
  CountItems(languageStats.Items, languageStats.ValuesChanged);

  try {
    langFile_->SaveStorage(storage_.get(), column_, false);
  } catch (Exception& e) {
    // The other languages are still written; the summary says which failed.
    e.AttachFile(langFileName_);
    stats_.WriteErrors.push_back(TRunFileError::From(e));
    langFile_.reset();
    if (memory_) memory_->PassSaved(false);
    return true;
  }
  langFile_.reset();
  if (memory_) memory_->PassSaved(true);
  stats_.Languages.push_back(std::move(languageStats));
  return true;
}

namespace {

// Raises EFOpenError with the system's reason when the file cannot be opened
// for reading (a dangling link, no permission).
void CheckReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    EFOpenError error(Format(SFOpenError, path));
    error.AttachLocation(std::strerror(errno));
    throw error;
  }
  std::fclose(file);
}

}  // namespace

std::vector<std::pair<std::string, int>> TLibraryFilesProcessor::ScannedFiles(const std::string& folder) const {
  std::vector<std::pair<std::string, int>> files;
  if (!platform::DirectoryExists(folder)) return files;
  for (const auto& entry : platform::ListFolder(folder)) {
    if (entry.IsDirectory()) continue;
    const int kind = FileKindOfExtension(LowerAscii(ExtractFileExt(entry.Name)));
    if (kind < 0 || (ScanFiles & kFileKinds[static_cast<std::size_t>(kind)].Bit) == 0) continue;
    files.emplace_back(JoinPath(folder, entry.Name), kind);
  }
  return files;
}

// What reading one file yields before it is merged: the parsed file, or the
// failure that stopped its reading.
struct TLibraryFilesProcessor::TReadFile {
  std::unique_ptr<TResProcessor> Res;
  std::unique_ptr<TSourceProcessor> Source;
  // The texts of Source's constants in UTF-16, in their order.
  std::vector<std::u16string> SourceTexts;
  std::unique_ptr<TMemoryStream> Form;
  std::exception_ptr Error;
};

TLibraryFilesProcessor::TReadFile TLibraryFilesProcessor::ReadFile(const std::string& path, int kind,
                                                                   const TReadSettings& settings) {
  TReadFile file;
  try {
    // Every listed file that cannot be opened fails with the system's
    // reason, whichever reader would have read it.
    CheckReadable(path);
    switch (kFileKinds[static_cast<std::size_t>(kind)].Bit) {
      case sfResFiles:
        file.Res = std::make_unique<TResProcessor>();
        file.Res->LoadFromResFile(path);
        break;
      case sfPasFiles: {
        auto processor = std::make_unique<TPasProcessor>();
        // ANSI bytes of a language's folder are that language's text: decode
        // them with its code page, not with whatever code page this machine uses.
        processor->CodePage = settings.CodePage;
        processor->LoadConstants(path);
        file.Source = std::move(processor);
        break;
      }
      case sfRcFiles: {
        auto processor = std::make_unique<TCPPProcessor>();
        processor->PascalUnitMode = false;
        processor->CodePage = settings.CodePage;
        processor->LangId = settings.LangId;
        processor->LoadConstants(path);
        file.Source = std::move(processor);
        break;
      }
      case sfDfmFiles: {
        TMemoryStream bytes;
        bytes.LoadFromFile(path);
        file.Form = std::make_unique<TMemoryStream>();
        TLocFormProcessor::ToBinaryStream(bytes.AsString(), settings.LangId, *file.Form);
        break;
      }
    }
    if (file.Source) {
      // The processors hand over UTF-8, decoded from the file's own encoding.
      const TStrConstList& constants = file.Source->UnitRec().Constants;
      file.SourceTexts.reserve(static_cast<std::size_t>(constants.Count()));
      for (const auto& item : constants) file.SourceTexts.push_back(Utf8ToUtf16(item->Value));
    }
  } catch (...) {
    file.Error = std::current_exception();
  }
  return file;
}

bool TLibraryFilesProcessor::ProcessFiles(const std::vector<std::pair<std::string, int>>& files) {
  TReadSettings settings;
  settings.LangId = static_cast<LANGID>(storage_->Languages(column_));
  settings.CodePage = GetCodePage(settings.LangId);
  int done = 0;
  const auto read = [&](std::size_t i) { return ReadFile(files[i].first, files[i].second, settings); };
  const auto merge = [&](std::size_t i, TReadFile& file) {
    if (StopToken.stop_requested()) return false;
    const auto& [path, kind] = files[i];
    try {
      if (file.Error) std::rethrow_exception(file.Error);
      if (file.Res) MergeResFile(path, *file.Res);
      if (file.Source) {
        MergeConstants(file.Source->UnitRec(), file.SourceTexts);
        stats_.Warnings.insert(stats_.Warnings.end(), file.Source->Warnings.begin(), file.Source->Warnings.end());
      }
      if (file.Form) MergeForm(*file.Form);
      ++stats_.FilesRead[static_cast<std::size_t>(kind)];
    } catch (Exception& e) {
      e.AttachFile(path);
      ++stats_.FilesFailed;
      ++failedInPass_;
      stats_.Errors.push_back(TRunFileError::From(e));
      if (OnFileError)
        OnFileError(stats_.Errors.back());
      else
        ShowMessageBox(SErrorCaption, stats_.Errors.back().Text());
    }
    ReportProgress(++done);
    return true;
  };
  const int jobs = Jobs > 0 ? Jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return ReadInOrder<TReadFile>(files.size(), jobs, 4 * static_cast<std::size_t>(jobs), read, merge);
}

namespace {

// The constant a compiled string table's id names: only units read from
// compiled resource files have string ids, every constant of a .pas or .rc
// has 0, which a resource string may have too.
TLocConstant* FindCompiledString(const TLocStorage& storage, std::uint16_t stringId) {
  for (int u = 0; u < storage.Units->Count(); ++u) {
    const TLocUnit* unit = storage.Units->Items(u);
    if ((unit->Attributes & uaSourceConstant) != 0) continue;
    const int c = unit->Constants->IndexOfStringId(stringId);
    if (c >= 0) return unit->Constants->Items(c);
  }
  return nullptr;
}

}  // namespace

void TLibraryFilesProcessor::MergeResFile(const std::string& path, const TResProcessor& processor) {
  const std::string unitName = StripExt(ExtractFileName(path));
  const auto* block = static_cast<const TResString*>(processor.FindBlock(ResTypeString));
  if (!block) return;
  const bool native = langFile_->IsNative;
  for (int i = 0; i < block->Count(); ++i) {
    const TResStringItem* item = block->Strings(i);
    const auto stringId = static_cast<std::uint16_t>(item->Id);
    TLocConstant* constant = FindCompiledString(*storage_, stringId);
    if (!constant) {
      if (!native) continue;
      constant = storage_->FindOrAddConstant(-1, unitName, stringId, std::to_string(item->Id));
    }
    constant->IsUsed = true;
    TLocValue* value = constant->Values(column_);
    if (value->Text != item->Text) {
      value->SetText(item->Text);
      value->SetRevision(langFile_->Revision);
    }
  }
}

// Merges the constants a source processor found, their texts already in
// UTF-16, into the storage's column.
void TLibraryFilesProcessor::MergeConstants(const TUnitRec& unit, const std::vector<std::u16string>& texts) {
  TLocStorage& storage = *storage_;
  const int column = column_;
  const bool native = langFile_->IsNative;
  for (int i = 0; i < unit.Constants.Count(); ++i) {
    const TStrConst* item = unit.Constants.Items(i);
    TLocConstant* constant = storage.FindConstant(unit.UnitName, item->Name);
    if (!constant) {
      if (!native) continue;
      constant = storage.FindOrAddConstant(-1, unit.UnitName, 0, item->Name);
    }
    constant->IsUsed = true;
    TLocValue* value = constant->Values(column);
    const std::u16string& text = texts[static_cast<std::size_t>(i)];
    if (value->Text != text) {
      value->SetText(text);
      value->SetRevision(langFile_->Revision);
    }
    constant->OwnerUnit->SetAttr(uaSourceConstant, true);
  }
}

void TLibraryFilesProcessor::MergeForm(TMemoryStream& stream) {
  TLocFormProcessor processor;
  processor.PropRules.Assign(PropRules);
  processor.LangId = storage_->Languages(column_);
  processor.Storage = storage_.get();
  processor.Column = column_;
  processor.Revision = langFile_->Revision;
  processor.ProcessStream(stream);
}

namespace {

// Kinds a language file stores; the others live in memory only.
bool IsStoredKind(std::uint8_t kind) {
  return kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings;
}

}  // namespace

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
