// The readers and mergers of the file kinds the run scans (see FileKinds.h):
// compiled resource files (their string tables), Pascal units (their
// resourcestrings), resource scripts (their STRINGTABLEs) and forms (text or
// binary, the properties the rules select). The parsing itself is the
// extractors'; here each kind's result is held between its reading and its
// merge, and merged into one column of the storage. A form is walked on the
// reading thread into a record of what the storage is to take; its merge
// only applies that record, and the run's cache keeps its byte form. Only the native pass
// creates items; a translation pass fills the values of items that exist.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/FileKinds.h"
#include "base/Unicode.h"
#include "extract/forms/LocFormProc.h"
#include "extract/resources/ResStringTables.h"
#include "extract/source/SourceReaders.h"
#include "runtime/Streams.h"
#include "storage/LocStorage.h"
#include "platform/PathNames.h"

namespace sw {

namespace {

struct TResContents : TFileContents {
  TResProcessor Processor;
};

struct TSourceContents : TFileContents {
  std::unique_ptr<TSourceProcessor> Processor;
  // The texts of the constants in UTF-16, in their order: decoded on the
  // reading thread.
  std::vector<std::u16string> Texts;
};

struct TFormContents : TFileContents {
  TFormRecord Record;  // walked on the reading thread
};

std::unique_ptr<TFileContents> SourceContents(std::unique_ptr<TSourceProcessor> processor) {
  auto contents = std::make_unique<TSourceContents>();
  // The processors hand over UTF-8, decoded from the file's own encoding.
  const TStrConstList& constants = processor->UnitRec().Constants;
  contents->Texts.reserve(static_cast<std::size_t>(constants.Count()));
  for (const auto& item : constants) contents->Texts.push_back(Utf8ToUtf16(item->Value));
  contents->Processor = std::move(processor);
  return contents;
}

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

void SetValue(TLocItem& item, const TKindMergeTarget& target, const std::u16string& text) {
  item.IsUsed = true;
  TLocValue* value = item.Values(target.Column);
  if (value->Text != text) {
    value->SetText(text);
    value->SetRevision(target.Revision);
  }
}

}  // namespace

std::unique_ptr<TFileContents> ReadResFile(const std::string& path, const TKindReadSettings&) {
  auto contents = std::make_unique<TResContents>();
  contents->Processor.LoadFromResFile(path);
  return contents;
}

void MergeResFile(const std::string& path, TFileContents& contents, TKindMergeTarget& target) {
  const TResProcessor& processor = static_cast<const TResContents&>(contents).Processor;
  const auto* block = static_cast<const TResString*>(processor.FindBlock(ResTypeString));
  if (!block) return;
  const std::string unitName = StripExt(ExtractFileName(path));
  for (int i = 0; i < block->Count(); ++i) {
    const TResStringItem* item = block->Strings(i);
    const auto stringId = static_cast<std::uint16_t>(item->Id);
    TLocConstant* constant = FindCompiledString(target.Storage, stringId);
    if (!constant) {
      if (!target.Native) continue;
      constant = target.Storage.FindOrAddConstant(-1, unitName, stringId, std::to_string(item->Id));
    }
    SetValue(*constant, target, item->Text);
  }
}

std::unique_ptr<TFileContents> ReadPasFile(const std::string& path, const TKindReadSettings& settings) {
  auto processor = std::make_unique<TPasProcessor>();
  // ANSI bytes of a language's folder are that language's text: decode
  // them with its code page, not with whatever code page this machine uses.
  processor->CodePage = settings.CodePage;
  processor->LoadConstants(path);
  return SourceContents(std::move(processor));
}

std::unique_ptr<TFileContents> ReadRcFile(const std::string& path, const TKindReadSettings& settings) {
  auto processor = std::make_unique<TCPPProcessor>();
  processor->CodePage = settings.CodePage;
  processor->LangId = settings.LangId;
  processor->LoadConstants(path);
  return SourceContents(std::move(processor));
}

void MergeSourceFile(const std::string&, TFileContents& contents, TKindMergeTarget& target) {
  const auto& source = static_cast<const TSourceContents&>(contents);
  const TUnitRec& unit = source.Processor->UnitRec();
  for (int i = 0; i < unit.Constants.Count(); ++i) {
    const TStrConst* item = unit.Constants.Items(i);
    TLocConstant* constant = target.Storage.FindConstant(unit.UnitName, item->Name);
    if (!constant) {
      if (!target.Native) continue;
      constant = target.Storage.FindOrAddConstant(-1, unit.UnitName, 0, item->Name);
    }
    SetValue(*constant, target, source.Texts[static_cast<std::size_t>(i)]);
    constant->OwnerUnit->SetAttr(uaSourceConstant, true);
  }
  const auto& warnings = source.Processor->Warnings;
  target.Warnings.insert(target.Warnings.end(), warnings.begin(), warnings.end());
}

namespace {

std::unique_ptr<TFileContents> ParseDfmBytes(const std::string&, const std::string& bytes,
                                             const TKindReadSettings& settings) {
  TMemoryStream binary;
  TLocFormProcessor::ToBinaryStream(bytes, settings.LangId, binary);
  auto contents = std::make_unique<TFormContents>();
  TLocFormProcessor walker;
  if (settings.PropRules) walker.PropRules.Assign(*settings.PropRules);
  walker.LangId = settings.LangId;
  walker.Column = settings.Native ? 0 : 1;
  walker.WalkStream(binary, contents->Record);
  return contents;
}

bool EncodeDfmContents(const TFileContents& contents, std::string& bytes) {
  const TFormRecord& record = static_cast<const TFormContents&>(contents).Record;
  if (record.Error) return false;
  bytes = EncodeFormRecord(record);
  return true;
}

std::unique_ptr<TFileContents> DecodeDfmContents(std::string_view bytes) {
  auto contents = std::make_unique<TFormContents>();
  if (!DecodeFormRecord(bytes, contents->Record)) return nullptr;
  return contents;
}

}  // namespace

const TKindCache kDfmCache{ParseDfmBytes, EncodeDfmContents, DecodeDfmContents};

std::unique_ptr<TFileContents> ReadDfmFile(const std::string& path, const TKindReadSettings& settings) {
  TMemoryStream bytes;
  bytes.LoadFromFile(path);
  return ParseDfmBytes(path, bytes.AsString(), settings);
}

void MergeDfmFile(const std::string&, TFileContents& contents, TKindMergeTarget& target) {
  TLocFormProcessor processor;
  processor.Storage = &target.Storage;
  processor.Column = target.Column;
  processor.Revision = target.Revision;
  processor.ApplyRecord(static_cast<const TFormContents&>(contents).Record);
}

std::string FileKindNames(int scanFiles, std::string_view separator) {
  std::string names;
  for (const TFileKind& kind : kFileKinds) {
    if ((scanFiles & kind.Bit) == 0) continue;
    if (!names.empty()) names += separator;
    names += kind.CliName;
  }
  return names.empty() ? "none" : names;
}

}  // namespace sw
