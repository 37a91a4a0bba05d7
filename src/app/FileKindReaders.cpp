// The readers and mergers of the file kinds the run scans (see FileKinds.h):
// compiled resource files (their string tables), Pascal units (their
// resourcestrings), resource scripts (their STRINGTABLEs) and forms (text or
// binary, the properties the rules select). The parsing itself is the
// extractors'; here each kind's result is held between its reading and its
// merge, and merged into one column of the storage. A form is walked on the
// reading thread into a record of what the storage is to take; its merge
// only applies that record, and the run's cache keeps its byte form, as it
// keeps a unit's constants. Only the native pass creates items; a
// translation pass fills the values of items that exist.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileKinds.h"
#include "base/ByteRecord.h"
#include "base/Unicode.h"
#include "extract/forms/LocFormProc.h"
#include "extract/resources/ResStringTables.h"
#include "extract/source/SourceReaders.h"
#include "memory/FileCache.h"
#include "platform/FileSystem.h"
#include "runtime/Streams.h"
#include "storage/LocStorage.h"
#include "platform/PathNames.h"

namespace sw {

namespace {

struct TResContents : TFileContents {
  TResProcessor Processor;
};

// A unit's or a script's constants, in their order, with the texts in UTF-16
// (decoded on the reading thread), and what the reader warned of.
struct TSourceContents : TFileContents {
  std::string UnitName;
  std::vector<std::string> Names;
  std::vector<std::u16string> Texts;
  std::vector<std::string> Warnings;
};

struct TFormContents : TFileContents {
  TFormRecord Record;  // walked on the reading thread
};

// A script's constants with what its reading read and looked up besides the
// script, for the cache to tell whether a reading now would yield the same.
struct TScriptContents : TSourceContents {
  struct TRead {
    std::string Path;
    TFileStamp Stamp;
    std::uint64_t Hash = 0;
  };
  std::vector<TRead> Reads;
  std::vector<TRcLookup> Lookups;
};

template <class TContents = TSourceContents>
std::unique_ptr<TContents> SourceContents(TSourceProcessor& processor) {
  auto contents = std::make_unique<TContents>();
  // The processors hand over UTF-8, decoded from the file's own encoding.
  const TUnitRec& unit = processor.UnitRec();
  contents->UnitName = unit.UnitName;
  contents->Names.reserve(static_cast<std::size_t>(unit.Constants.Count()));
  contents->Texts.reserve(static_cast<std::size_t>(unit.Constants.Count()));
  for (const auto& item : unit.Constants) {
    contents->Names.push_back(item->Name);
    contents->Texts.push_back(Utf8ToUtf16(item->Value));
  }
  contents->Warnings = std::move(processor.Warnings);
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
  TPasProcessor processor;
  // ANSI bytes of a language's folder are that language's text: decode
  // them with its code page, not with whatever code page this machine uses.
  processor.CodePage = settings.CodePage;
  processor.LoadConstants(path);
  return SourceContents(processor);
}

std::unique_ptr<TFileContents> ReadRcFile(const std::string& path, const TKindReadSettings& settings) {
  TCPPProcessor processor;
  processor.CodePage = settings.CodePage;
  processor.LangId = settings.LangId;
  processor.LoadConstants(path);
  return SourceContents(processor);
}

void MergeSourceFile(const std::string&, TFileContents& contents, TKindMergeTarget& target) {
  const auto& source = static_cast<const TSourceContents&>(contents);
  for (std::size_t i = 0; i < source.Names.size(); ++i) {
    const std::string& name = source.Names[i];
    TLocConstant* constant = target.Storage.FindConstant(source.UnitName, name);
    if (!constant) {
      if (!target.Native) continue;
      constant = target.Storage.FindOrAddConstant(-1, source.UnitName, 0, name);
    }
    SetValue(*constant, target, source.Texts[i]);
    constant->OwnerUnit->SetAttr(uaSourceConstant, true);
  }
  target.Warnings.insert(target.Warnings.end(), source.Warnings.begin(), source.Warnings.end());
}

namespace {

// A unit's byte form for the run's cache (base/ByteRecord.h): its name, the
// constants' names and texts, the warnings. A unit includes no other file
// (its reader does not follow {$I}), so the file alone decides what it
// yields. A resource script's adds the files its reading read besides the
// script (its own header, what it includes: path, stamp, content hash) and
// the file names it looked up with what they found; its result is taken
// only while every look-up finds the same file and every file read is
// unchanged.
std::unique_ptr<TFileContents> ParsePasBytes(const std::string& path, const std::string& bytes,
                                             const TKindReadSettings& settings) {
  TPasProcessor processor;
  processor.CodePage = settings.CodePage;
  processor.LoadConstantsFromBytes(path, bytes);
  return SourceContents(processor);
}

void EncodeSource(const TSourceContents& source, std::string& bytes) {
  PutText(bytes, source.UnitName);
  PutU32(bytes, static_cast<std::uint32_t>(source.Names.size()));
  for (std::size_t i = 0; i < source.Names.size(); ++i) {
    PutText(bytes, source.Names[i]);
    PutWide(bytes, source.Texts[i]);
  }
  PutU32(bytes, static_cast<std::uint32_t>(source.Warnings.size()));
  for (const std::string& warning : source.Warnings) PutText(bytes, warning);
}

bool DecodeSource(TByteReader& in, TSourceContents& contents) {
  std::uint32_t count = 0;
  // A constant takes at least its two lengths, a warning its one.
  if (!in.Text(contents.UnitName) || !in.U32(count) || count > in.Left() / 8) return false;
  contents.Names.resize(count);
  contents.Texts.resize(count);
  for (std::uint32_t i = 0; i < count; ++i)
    if (!in.Text(contents.Names[i]) || !in.Wide(contents.Texts[i])) return false;
  if (!in.U32(count) || count > in.Left() / 4) return false;
  contents.Warnings.resize(count);
  for (std::uint32_t i = 0; i < count; ++i)
    if (!in.Text(contents.Warnings[i])) return false;
  return true;
}

bool EncodePasContents(const TFileContents& contents, std::string& bytes) {
  const auto& source = static_cast<const TSourceContents&>(contents);
  bytes.clear();
  EncodeSource(source, bytes);
  return true;
}

std::unique_ptr<TFileContents> DecodePasContents(std::string_view bytes) {
  auto contents = std::make_unique<TSourceContents>();
  TByteReader in(bytes);
  if (!DecodeSource(in, *contents) || !in.AtEnd()) return nullptr;
  return contents;
}

std::unique_ptr<TFileContents> ParseRcBytes(const std::string& path, const std::string& bytes,
                                            const TKindReadSettings& settings) {
  std::vector<TScriptContents::TRead> reads;
  TRcFileAccess files;
  files.Read = [&](const std::string& file) {
    if (file == path) return bytes;
    TScriptContents::TRead read{file, {}, 0};
    const bool stamped = FileStampOf(file, read.Stamp);
    std::string data = platform::ReadRegularFile(file);
    // A file that changed while it was read: its stamp vouches for nothing.
    if (!stamped || read.Stamp.Size != data.size()) read.Stamp = TFileStamp{std::numeric_limits<std::uint64_t>::max(), std::numeric_limits<std::int64_t>::max()};
    read.Hash = ContentHash(data);
    reads.push_back(std::move(read));
    return data;
  };
  TCPPProcessor processor;
  processor.CodePage = settings.CodePage;
  processor.LangId = settings.LangId;
  processor.Files = &files;
  processor.LoadConstants(path);
  auto contents = SourceContents<TScriptContents>(processor);
  contents->Reads = std::move(reads);
  contents->Lookups = std::move(files.Lookups);
  return contents;
}

bool EncodeRcContents(const TFileContents& contents, std::string& bytes) {
  const auto& script = static_cast<const TScriptContents&>(contents);
  bytes.clear();
  EncodeSource(script, bytes);
  PutU32(bytes, static_cast<std::uint32_t>(script.Reads.size()));
  for (const auto& read : script.Reads) {
    PutText(bytes, read.Path);
    PutU64(bytes, read.Stamp.Size);
    PutU64(bytes, static_cast<std::uint64_t>(read.Stamp.Time));
    PutU64(bytes, read.Hash);
  }
  PutU32(bytes, static_cast<std::uint32_t>(script.Lookups.size()));
  for (const auto& lookup : script.Lookups) {
    PutU32(bytes, lookup.Kind);
    PutText(bytes, lookup.Folder);
    PutText(bytes, lookup.Name);
    PutText(bytes, lookup.Found);
  }
  return true;
}

std::unique_ptr<TFileContents> DecodeRcContents(std::string_view bytes) {
  auto contents = std::make_unique<TScriptContents>();
  TByteReader in(bytes);
  std::uint32_t count = 0;
  // A file read takes at least its length and three numbers; a look-up its
  // kind and three lengths.
  if (!DecodeSource(in, *contents) || !in.U32(count) || count > in.Left() / 28) return nullptr;
  contents->Reads.resize(count);
  for (auto& read : contents->Reads)
    if (!in.Text(read.Path) || !in.U64(read.Stamp.Size) || !in.I64(read.Stamp.Time) || !in.U64(read.Hash))
      return nullptr;
  if (!in.U32(count) || count > in.Left() / 16) return nullptr;
  contents->Lookups.resize(count);
  for (auto& lookup : contents->Lookups) {
    std::uint32_t kind = 0;
    if (!in.U32(kind) || kind > TRcLookup::OwnHeader || !in.Text(lookup.Folder) || !in.Text(lookup.Name) ||
        !in.Text(lookup.Found))
      return nullptr;
    lookup.Kind = static_cast<TRcLookup::TKind>(kind);
  }
  if (!in.AtEnd()) return nullptr;
  return contents;
}

bool RcStillCurrent(const TFileContents& contents, const TDependencyCheck& unchanged) {
  const auto& script = static_cast<const TScriptContents&>(contents);
  for (const auto& lookup : script.Lookups)
    if (FindRcLookup(lookup) != lookup.Found) return false;
  for (const auto& read : script.Reads)
    if (!unchanged(read.Path, read.Stamp, read.Hash)) return false;
  return true;
}

}  // namespace

const TKindCache kRcCache{ParseRcBytes, EncodeRcContents, DecodeRcContents, RcStillCurrent};
const TKindCache kPasCache{ParsePasBytes, EncodePasContents, DecodePasContents};

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
