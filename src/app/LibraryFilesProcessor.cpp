// The processing run (see LibraryFilesProcessor.h): one pass per language,
// each loading its language file into the run's storage, scanning the
// language's folder and saving that language's column.
#include "app/LibraryFilesProcessor.h"

#include <set>
#include <utility>

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

namespace {

enum FileKind { fkRes = 0, fkPas = 1, fkRc = 2, fkDfm = 3 };

}  // namespace

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

  if (!platform::DirectoryExists(DestDir) && !platform::ForceDirectories(DestDir))
    throw EShelfwrightError(Format(SCannotCreateFolder, DestDir));

  // The storage and the language file live for this run only, and are freed
  // on every path out of it.
  struct RunScope {
    TLibraryFilesProcessor& self;
    ~RunScope() {
      self.langFile_.reset();
      self.storage_.reset();
      self.currentFile_.clear();
    }
  } scope{*this};
  storage_ = std::make_unique<TLocStorage>();
  for (int i = 0; i < Languages.Count(); ++i) RunLanguage(i);
}

void TLibraryFilesProcessor::RunLanguage(int index) {
  const TLibLanguage& language = *Languages[index];
  const auto langId = static_cast<LANGID>(language.LangId);
  const std::string name = GetEnglishLangName(langId);
  UpdateStatus(Format(SProcessingResources, name));

  langFileName_ = JoinPath(DestDir, ShortName) + "." + GetLangAbbr(langId) + ".lng";
  const bool exists = platform::FileExists(langFileName_);
  langFile_ = std::make_unique<TLangFile>(langFileName_, false);

  if (index == 0) {
    column_ = 0;
    if (exists) langFile_->LoadStorage(storage_.get(), -1, 0);
    storage_->SetNativeLangId(langId);
    langFile_->IsNative = true;
  } else {
    column_ = storage_->AddLanguage(0, langId);
    storage_->RecodeColumn(column_, storage_->Languages(0), exists ? langFile_->LangId : 0);
    langFile_->IsNative = false;
    if (exists) langFile_->LoadStorage(storage_.get(), column_, 0);
  }

  storage_->Forms->SetAllUsed(false);
  storage_->Units->SetAllUsed(false);

  langFile_->LangId = langId;
  langFile_->LangName = name;
  langFile_->NativeName = AnsiToWideByLang(GetLocaleInfoStr(langId, 2), langId);
  langFile_->SetRevision(langFile_->Revision + 1);

  ScanFolder(JoinPath(SrcDir, language.SubFolder));

  // Only the native sources decide what exists: purging in a translation pass
  // would delete the translations of every file that folder happens to lack,
  // from its own language file and from every file written after it.
  if (RemoveUnused && index == 0) {
    storage_->Forms->PurgeUnused();
    storage_->Units->PurgeUnused();
  }

  if (storage_->LanguageCount() == 0) throw EShelfwrightError(SNoResourcesToProcess);

  TRunLanguageStats languageStats;
  languageStats.LangId = language.LangId;
  languageStats.FileName = langFileName_;
  languageStats.Revision = langFile_->Revision;
  languageStats.Items = CountItems();
  languageStats.ValuesChanged = CountChangedValues();

  langFile_->SaveStorage(storage_.get(), column_, false);
  langFile_.reset();
  stats_.Languages.push_back(std::move(languageStats));
}

void TLibraryFilesProcessor::ScanFolder(const std::string& folder) {
  // A language whose folder does not exist contributes nothing, silently.
  if (!platform::DirectoryExists(folder)) return;
  for (const auto& entry : platform::ListFolder(folder)) {
    if (entry.IsDirectory()) continue;
    const std::string ext = LowerAscii(ExtractFileExt(entry.Name));
    FileKind kind;
    if ((ext == ".res" || ext == ".r32") && (ScanFiles & sfResFiles) != 0)
      kind = fkRes;
    else if (ext == ".pas" && (ScanFiles & sfPasFiles) != 0)
      kind = fkPas;
    else if (ext == ".dfm" && (ScanFiles & sfDfmFiles) != 0)
      kind = fkDfm;
    else if (ext == ".rc" && (ScanFiles & sfRcFiles) != 0)
      kind = fkRc;
    else
      continue;
    currentFile_ = JoinPath(folder, entry.Name);
    try {
      switch (kind) {
        case fkRes: ProcessResFile(currentFile_); break;
        case fkPas: ProcessPasFile(currentFile_); break;
        case fkDfm: ProcessDfmFile(currentFile_); break;
        case fkRc: ProcessRcFile(currentFile_); break;
      }
      ++stats_.FilesRead[kind];
    } catch (const Exception& e) {
      ++stats_.FilesFailed;
      stats_.Errors.push_back({currentFile_, e.Message()});
      ShowMessageBox(SErrorCaption, e.Message());
    }
    currentFile_.clear();
  }
}

void TLibraryFilesProcessor::ProcessResFile(const std::string& path) {
  TResProcessor processor;
  processor.LoadFromResFile(path);
  const std::string unitName = StripExt(ExtractFileName(path));
  const auto* block = static_cast<const TResString*>(processor.FindBlock(ResTypeString));
  if (!block) return;
  const bool native = langFile_->IsNative;
  for (int i = 0; i < block->Count(); ++i) {
    const TResStringItem* item = block->Strings(i);
    const auto stringId = static_cast<std::uint16_t>(item->Id);
    TLocConstant* constant = storage_->FindResString(stringId);
    if (!constant) {
      if (!native) continue;
      langFile_->LastConstantId = langFile_->LastConstantId + 1;
      constant = storage_->FindOrAddConstant(langFile_->LastConstantId, unitName, stringId, std::to_string(item->Id));
    }
    constant->IsUsed = true;
    TLocValue* value = constant->Values(column_);
    if (value->Text != item->Text) {
      value->SetText(item->Text);
      value->SetRevision(langFile_->Revision);
    }
  }
}

namespace {

// Merges the constants a source processor found into the storage's column.
void MergeConstants(TLocStorage& storage, TLangFile& langFile, int column, const TUnitRec& unit) {
  const bool native = langFile.IsNative;
  for (int i = 0; i < unit.Constants.Count(); ++i) {
    const TStrConst* item = unit.Constants.Items(i);
    TLocConstant* constant = storage.FindConstant(unit.UnitName, item->Name);
    if (!constant) {
      if (!native) continue;
      langFile.LastConstantId = langFile.LastConstantId + 1;
      constant = storage.FindOrAddConstant(langFile.LastConstantId, unit.UnitName, 0, item->Name);
    }
    constant->IsUsed = true;
    TLocValue* value = constant->Values(column);
    // The processors hand over UTF-8, decoded from the file's own encoding.
    const std::u16string text = Utf8ToUtf16(item->Value);
    if (value->Text != text) {
      value->SetText(text);
      value->SetRevision(langFile.Revision);
    }
    constant->OwnerUnit->SetAttr(uaSourceConstant, true);
  }
}

}  // namespace

void TLibraryFilesProcessor::ProcessPasFile(const std::string& path) {
  TPasProcessor processor;
  // ANSI bytes of a language's folder are that language's text: decode them
  // with its code page, not with whatever code page this machine uses.
  processor.CodePage = GetCodePage(storage_->Languages(column_));
  processor.LoadConstants(path);
  MergeConstants(*storage_, *langFile_, column_, processor.UnitRec());
}

void TLibraryFilesProcessor::ProcessRcFile(const std::string& path) {
  TCPPProcessor processor;
  processor.PascalUnitMode = false;
  processor.CodePage = GetCodePage(storage_->Languages(column_));
  processor.LoadConstants(path);
  MergeConstants(*storage_, *langFile_, column_, processor.UnitRec());
}

void TLibraryFilesProcessor::ProcessDfmFile(const std::string& path) {
  TLocFormProcessor processor;
  processor.PropRules.Assign(PropRules);
  processor.LastPropertyId = langFile_->LastPropertyId;
  processor.LangId = storage_->Languages(column_);
  processor.Storage = storage_.get();
  processor.Column = column_;
  processor.Revision = langFile_->Revision;
  try {
    processor.ProcessFile(path);
  } catch (...) {
    // Properties recorded before the error keep their numbers; the counter
    // must cover them or the next form would hand out the same ids again.
    langFile_->LastPropertyId = processor.LastPropertyId;
    throw;
  }
  langFile_->LastPropertyId = processor.LastPropertyId;
}

namespace {

// Kinds a language file stores; the others live in memory only.
bool IsStoredKind(std::uint8_t kind) {
  return kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings;
}

}  // namespace

int TLibraryFilesProcessor::CountItems() const {
  int count = 0;
  storage_->ForEachItem([&](const TLocItem* item) {
    if (IsStoredKind(item->ValueKind())) ++count;
  });
  return count;
}

int TLibraryFilesProcessor::CountChangedValues() const {
  const std::int32_t revision = langFile_->Revision;
  int count = 0;
  storage_->ForEachItem([&](const TLocItem* item) {
    if (IsStoredKind(item->ValueKind()) && item->Values(column_)->Revision == revision) ++count;
  });
  return count;
}

void TFileNamingUserInteraction::ShowMessage(const std::string& caption, const std::string& text) {
  const std::string& file = processor_.CurrentFileName();
  if (caption == SErrorCaption && !file.empty() && text.find(file) == std::string::npos)
    target_.ShowMessage(caption, file + "\r\n" + text);
  else
    target_.ShowMessage(caption, text);
}

}  // namespace sw
