// The .lng reader, the loader that merges a file into a storage (native or
// column load), and the writer that builds the whole file in memory and
// replaces the file atomically (see LocLangFile.h for the layout).
#include "storage/LocLangFile.h"

#include <algorithm>
#include <optional>

#include "compress/LzqContainer.h"
#include "util/Messages.h"
#include "storage/LngStrings.h"

namespace sw {

namespace {

// How much of a compressed file is expanded to read its header.
constexpr std::size_t kCompressedHeaderPrefix = 2048;

// The larger of two ids compared as unsigned 32-bit numbers.
std::int32_t MaxUnsigned(std::int32_t a, std::int32_t b) {
  return static_cast<std::uint32_t>(a) >= static_cast<std::uint32_t>(b) ? a : b;
}

// `what` names the list; it is only built when the list is too long.
template <typename Name>
void CheckCount(std::size_t count, const Name& what) {
  if (count > static_cast<std::size_t>(MaxListCount))
    throw ELangFileError(Format(SLangFileListTooLong, std::string(what()), static_cast<long long>(count)));
}

// Puts the item's full name in front of a limit error raised while it is written.
template <typename Write>
void WriteItem(const TLocItem* item, const Write& write) {
  try {
    write();
  } catch (ELangFileError& e) {
    e.AddContext(item->FullName('.') + ": ");
    throw;
  }
}

}  // namespace

// ---- Reader --------------------------------------------------------------------

TLangFileReader::TLangFileReader(TStream& stream, std::string fileName)
    : bytes_(std::make_unique<TStreamBytes>(stream)), reader_(bytes_->Reader()), fileName_(std::move(fileName)) {}

TLangFileReader::TLangFileReader(std::span<const std::uint8_t> bytes, std::string fileName)
    : reader_(bytes), fileName_(std::move(fileName)) {}

void TLangFileReader::RaiseReadError(std::uint64_t offset) const {
  throw EReadError(Format(SLangFileReadError, SReadError, static_cast<long long>(offset), fileName_));
}

TLangFileHeader TLangFileReader::ReadHeader() {
  TLangFileHeader h;
  BinaryReader& r = reader_;
  std::uint64_t offset = r.Position();
  // Each field notes where it starts, so that a file ending inside the
  // header is reported at the field it cuts.
  auto at = [&]() -> BinaryReader& {
    offset = r.Position();
    return r;
  };
  try {
    if (at().ReadU16LE() != LangFileSignature) throw ELangFileError(SInvalidFileFormat);
    h.Version = at().ReadU16LE();
    if (h.Version == 0) throw ELangFileError(SInvalidFileFormat);
    if (h.Version > LangFileVersion) throw ELangFileError(SNewerLangFile);
    h.Revision = at().ReadI32LE();
    if (h.Version >= 5) h.Build = at().ReadI32LE();
    h.LangId = at().ReadU16LE();
    if (h.Version >= 3) h.ReservedA = at().ReadU16LE();
    // The two header strings always carry the u16 prefix.
    h.LangName = ReadAnsiString(at(), 5);
    h.NativeName = ReadWideString(at(), 5);
    h.IsNative = at().ReadU16LE() != 0;
    if (h.Version >= 2) h.ReservedB = at().ReadU16LE();
    h.LastConstantId = at().ReadI32LE();
    h.LastPropertyId = at().ReadI32LE();
    if (h.Version >= 7) h.LastExtItemId = at().ReadI32LE();
  } catch (const EReadError&) {
    RaiseReadError(offset);
  }
  return h;
}

void TLangFileReader::ReadEntry(int version, bool isConstant, bool isProperty, TLangFileEntry& e) {
  BinaryReader& r = reader_;
  ReadAnsiString(r, version, e.Name);
  e.Status = version >= 2 ? r.ReadU16LE() : 0;
  e.StringId = isConstant ? r.ReadU16LE() : 0;
  e.ItemId = r.ReadI32LE();
  if (isProperty) {
    e.Kind = static_cast<std::uint8_t>(r.ReadU32LE() & 0xFF);
    e.HasPayload = KindHasPayload(e.Kind, version);
    ReadValuePayload(r, e.Kind, version, e.Text);
  } else {
    e.Kind = vkString;
    e.HasPayload = true;
    ReadWideString(r, version, e.Text);
  }
  e.Revision = r.ReadI32LE();
  e.Stamp = r.ReadU64LE();
}

void TLangFileReader::Read(TLangFileVisitor& visitor) {
  const TLangFileHeader header = ReadHeader();
  visitor.Header(header);
  const int version = header.Version;
  BinaryReader& r = reader_;
  std::uint64_t offset = r.Position();
  // Every read below is checked against the end of the data; a short one is
  // reported with the offset of the record it belongs to. One entry and one
  // name are filled record after record, so reading allocates only for texts
  // longer than any before them.
  TLangFileEntry entry;
  std::string name;
  std::uint16_t attributes = 0;
  auto readCount = [&] {
    offset = r.Position();
    return r.ReadU16LE();
  };
  auto readContainer = [&] {
    offset = r.Position();
    ReadAnsiString(r, version, name);
    attributes = version >= 2 ? r.ReadU16LE() : 0;
  };
  auto readEntries = [&](bool isConstant, bool isProperty, auto&& deliver) {
    const int count = r.ReadU16LE();
    for (int i = 0; i < count; ++i) {
      offset = r.Position();
      ReadEntry(version, isConstant, isProperty, entry);
      deliver(entry);
    }
  };
  try {
    const int units = readCount();
    for (int u = 0; u < units; ++u) {
      readContainer();
      visitor.Unit(name, attributes);
      readEntries(true, false, [&](const TLangFileEntry& e) { visitor.Constant(e); });
    }
    visitor.UnitsDone();

    const int forms = readCount();
    for (int f = 0; f < forms; ++f) {
      readContainer();
      visitor.Form(name, attributes);
      readEntries(false, true, [&](const TLangFileEntry& e) { visitor.Property(e); });
      const int components = r.ReadU16LE();
      for (int c = 0; c < components; ++c) {
        readContainer();
        visitor.Component(name, attributes);
        readEntries(false, true, [&](const TLangFileEntry& e) { visitor.Property(e); });
      }
    }
    visitor.FormsDone();

    if (version >= 7) {
      const int groups = readCount();
      for (int g = 0; g < groups; ++g) {
        readContainer();
        visitor.ExtGroup(name, attributes);
        readEntries(false, false, [&](const TLangFileEntry& e) { visitor.ExtItem(e); });
      }
    }
    visitor.ExtGroupsDone();
  } catch (const EReadError&) {
    RaiseReadError(offset);
  }
}

bool ExpandIfCompressed(TMemoryStream& data) {
  data.SetPosition(0);
  if (!IsCompressedStream(data)) return false;
  TMemoryStream plain;
  ExpandStreamFromStart(data, plain);
  data.Data().swap(plain.Data());
  data.SetPosition(0);
  return true;
}

// ---- Loading into a storage ------------------------------------------------------

namespace {

class TStorageLoader : public TLangFileVisitor {
 public:
  TStorageLoader(TLocStorage& storage, int column, int flags)
      : storage_(storage), native_(column < 0), column_(column < 0 ? 0 : column), flags_(flags) {
    storage_.Units->BuildLinear(constants_, true);
    storage_.Forms->BuildLinear(properties_, true);
    storage_.ExtGroups->BuildLinear(externals_, true);
  }

  void Header(const TLangFileHeader& header) override {
    header_ = header;
    if (!native_) return;
    storage_.SetNativeLangId(header.LangId);
    // The native file seeds the storage's counters.
    storage_.LastConstantId = MaxUnsigned(storage_.LastConstantId, header.LastConstantId);
    storage_.LastPropertyId = MaxUnsigned(storage_.LastPropertyId, header.LastPropertyId);
    storage_.LastExtItemId = MaxUnsigned(storage_.LastExtItemId, header.LastExtItemId);
  }

  void Unit(const std::string& name, std::uint16_t attributes) override {
    unitName_ = name;
    if (native_) {
      unit_ = storage_.Units->FindOrAdd(name);
      unit_->Attributes = attributes;
    }
  }

  void Constant(const TLangFileEntry& e) override {
    maxId_ = Seen(maxId_, e.ItemId);
    TLocItem* item = nullptr;
    if (native_) {
      std::int32_t id = e.ItemId;
      if ((flags_ & lfRenumber) && storage_.FindConstantById(id)) id = 0;
      item = unit_->Constants->FindOrAddConstant(id, e.Name, e.StringId);
    } else {
      const int i = (flags_ & lfFindByName) ? constants_.IndexOfPath(unitName_, e.Name) : constants_.IndexOfId(e.ItemId);
      if (i >= 0) item = constants_.Items(i);
    }
    if (item) Apply(item, e, native_);
  }

  void UnitsDone() override {
    if (maxId_) storage_.LastConstantId = MaxUnsigned(storage_.LastConstantId, *maxId_);
    maxId_.reset();
    if (!native_) return;
    TLinearConstantList list;
    storage_.Units->BuildLinear(list, true);
    for (TLocConstant* c : list)
      if (c->ItemId == 0) c->ItemId = ++storage_.LastConstantId;
  }

  void Form(const std::string& name, std::uint16_t attributes) override {
    formName_ = name;
    componentName_.clear();
    if (native_) {
      form_ = storage_.Forms->FindOrAdd(name);
      form_->Attributes = attributes;
      owner_ = form_;
    }
  }

  void Component(const std::string& name, std::uint16_t attributes) override {
    componentName_ = name;
    if (native_) {
      owner_ = form_->Components->FindOrAdd(name);
      owner_->Attributes = attributes;
    }
  }

  void Property(const TLangFileEntry& e) override {
    maxId_ = Seen(maxId_, e.ItemId);
    TLocItem* item = nullptr;
    if (native_) {
      std::int32_t id = e.ItemId;
      if ((flags_ & lfRenumber) && storage_.FindPropertyById(id)) id = 0;
      item = owner_->Properties->FindOrAddProperty(id, e.Name, e.Kind);
    } else {
      const int i = (flags_ & lfFindByName) ? properties_.IndexOfPath(formName_, componentName_, e.Name)
                                             : properties_.IndexOfId(e.ItemId);
      if (i >= 0) item = properties_.Items(i);
    }
    // The payload was read with the kind the file records, so the stream
    // stays in step; a value whose kind differs from the item's (a name that
    // occurs twice with two kinds) is dropped in both kinds of load.
    if (item && item->ValueKind() == e.Kind) Apply(item, e, native_);
  }

  void FormsDone() override {
    if (maxId_) storage_.LastPropertyId = MaxUnsigned(storage_.LastPropertyId, *maxId_);
    maxId_.reset();
    if (!native_) return;
    TLinearPropertyList list;
    storage_.Forms->BuildLinear(list, true);
    for (TLocProperty* p : list)
      if (p->ItemId == 0) p->ItemId = ++storage_.LastPropertyId;
  }

  void ExtGroup(const std::string& name, std::uint16_t attributes) override {
    groupName_ = name;
    if (native_) {
      group_ = storage_.ExtGroups->FindOrAdd(name);
      group_->Attributes = attributes;
    }
  }

  void ExtItem(const TLangFileEntry& e) override {
    maxId_ = Seen(maxId_, e.ItemId);
    TLocItem* item = nullptr;
    if (native_) {
      std::int32_t id = e.ItemId;
      if ((flags_ & lfRenumber) && storage_.FindExtItemById(id)) id = 0;
      item = group_->ExtItems->FindOrAddExtItem(id, e.Name);
    } else if (flags_ & lfFindByName) {
      item = storage_.FindExtItem(groupName_, e.Name);
    } else {
      const int i = externals_.IndexOfId(e.ItemId);
      if (i >= 0) item = externals_.Items(i);
    }
    // External revisions are kept as stored, -1 included.
    if (item) Apply(item, e, false);
  }

  void ExtGroupsDone() override {
    if (maxId_) storage_.LastExtItemId = MaxUnsigned(storage_.LastExtItemId, *maxId_);
    maxId_.reset();
    if (!native_) return;
    TLinearExternalList list;
    storage_.ExtGroups->BuildLinear(list, true);
    for (TLocExtItem* x : list)
      if (x->ItemId == 0) x->ItemId = ++storage_.LastExtItemId;
  }

 private:
  static std::optional<std::int32_t> Seen(std::optional<std::int32_t> best, std::int32_t id) {
    return best ? MaxUnsigned(*best, id) : id;
  }

  void Apply(TLocItem* item, const TLangFileEntry& e, bool replaceUnsetRevision) {
    TLocValue* value = item->Values(column_);
    if (e.HasPayload) value->SetText(e.Text);
    value->SetStamp(e.Stamp);
    value->SetRevision(replaceUnsetRevision && e.Revision == -1 ? header_.Revision : e.Revision);
    value->StateFlags = e.Status;
    value->SetLangId(header_.LangId);
    if (value->Revision < item->NativeValue()->Revision && value->HasState(lsTranslated))
      value->SetState(lsTranslated, false);
  }

  TLocStorage& storage_;
  const bool native_;
  const int column_;
  const int flags_;
  TLangFileHeader header_;
  TLinearConstantList constants_;
  TLinearPropertyList properties_;
  TLinearExternalList externals_;
  std::optional<std::int32_t> maxId_;
  std::string unitName_, formName_, componentName_, groupName_;
  TLocUnit* unit_ = nullptr;
  TLocForm* form_ = nullptr;
  TLocComponent* owner_ = nullptr;
  TLocExtGroup* group_ = nullptr;
};

}  // namespace

// ---- TLangFile -------------------------------------------------------------------

namespace {

// Size and modification time of a file, or false when they cannot be taken.
bool FileStamp(const std::string& fileName, std::uintmax_t& size, std::filesystem::file_time_type& time) {
  std::error_code error;
  const std::filesystem::path path(fileName);
  size = std::filesystem::file_size(path, error);
  if (error) return false;
  time = std::filesystem::last_write_time(path, error);
  return !error;
}

}  // namespace

TLangFile::TLangFile(std::string fileName, bool readOnly) : FileName(std::move(fileName)), ReadOnly(readOnly) {
  if (!platform::FileExists(FileName)) return;
  if (!ReadOnly) {
    platform::NativeFile probe;
    if (!probe.Open(FileName, false, platform::FileAccess::ReadWrite, platform::FileShare::DenyWrite))
      ReadOnly = true;
  }
  // The file is read without denying writers: a file another program holds
  // open for writing is still opened, read-only.
  auto image = std::make_unique<TFileImage>();
  const bool stamped = FileStamp(FileName, image->Size, image->Time);
  {
    TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
    image->Bytes.LoadFromStream(file);
  }
  ReadHeaderFrom(image->Bytes);
  // Kept for the pass's load only when the file did not change while it was read.
  std::uintmax_t size = 0;
  std::filesystem::file_time_type time;
  if (stamped && FileStamp(FileName, size, time) && size == image->Size && time == image->Time &&
      size == image->Bytes.Data().size())
    image_ = std::move(image);
}

void TLangFile::ReadHeaderFrom(TMemoryStream& raw) {
  raw.SetPosition(0);
  Compressed = IsCompressedStream(raw);
  if (!Compressed) {
    StoreHeader(TLangFileReader(raw.Data(), FileName).ReadHeader());
    return;
  }
  // The header sits at the start: expanding a leading part of the file is
  // enough unless the header is longer than that part yields.
  const std::size_t fileSize = raw.Data().size();
  TMemoryStream prefix(std::vector<std::uint8_t>(raw.Data().begin(),
                                                 raw.Data().begin() + std::min(fileSize, kCompressedHeaderPrefix)));
  TMemoryStream plain;
  ExpandStreamFromStart(prefix, plain);
  try {
    StoreHeader(TLangFileReader(plain.Data(), FileName).ReadHeader());
    return;
  } catch (const EReadError&) {
    if (fileSize <= kCompressedHeaderPrefix) throw;
  }
  plain.Clear();
  ExpandStreamFromStart(raw, plain);
  StoreHeader(TLangFileReader(plain.Data(), FileName).ReadHeader());
}

std::unique_ptr<TLangFile::TFileImage> TLangFile::TakeImage() {
  std::unique_ptr<TFileImage> image = std::move(image_);
  if (!image) return nullptr;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type time;
  if (!FileStamp(FileName, size, time) || size != image->Size || time != image->Time) return nullptr;
  return image;
}

TLangFile::~TLangFile() { Unlock(); }

void TLangFile::StoreHeader(const TLangFileHeader& h) {
  Version = h.Version;
  Revision = h.Revision;
  Build = h.Build;
  LangId = h.LangId;
  ReservedA = h.ReservedA;
  LangName = h.LangName;
  NativeName = h.NativeName;
  IsNative = h.IsNative;
  ReservedB = h.ReservedB;
}

std::int64_t TLangFile::ReadHeader(TStream& stream, bool parseOnly) {
  stream.SetPosition(0);
  TMemoryStream plain;
  TStream* source = &stream;
  if (IsCompressedStream(stream)) {
    ExpandStreamFromStart(stream, plain);
    plain.SetPosition(0);
    source = &plain;
  }
  TLangFileReader reader(*source, FileName);
  const TLangFileHeader header = reader.ReadHeader();
  if (!parseOnly) StoreHeader(header);
  source->SetPosition(static_cast<std::int64_t>(reader.Position()));
  return source->Position();
}

void TLangFile::LoadStorage(TLocStorage* storage, int column, int flags) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  // Opened denying writers, as a load always was; the bytes the constructor
  // read are used when the file has not changed since.
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  std::unique_ptr<TFileImage> image = TakeImage();
  if (!image) {
    image = std::make_unique<TFileImage>();
    image->Bytes.LoadFromStream(file);
  }
  LoadStorageFromImage(storage, column, flags, image->Bytes);
}

void TLangFile::LoadStorageFromStream(TLocStorage* storage, int column, int flags, TStream& data) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  TMemoryStream raw;
  raw.LoadFromStream(data);
  LoadStorageFromImage(storage, column, flags, raw);
}

void TLangFile::LoadStorageFromImage(TLocStorage* storage, int column, int flags, TMemoryStream& raw) {
  TMemoryStream plain;
  raw.SetPosition(0);
  const bool compressed = IsCompressedStream(raw);
  if (compressed) {
    ExpandStreamFromStart(raw, plain);
    Compressed = true;
  }
  if (column < 0) {
    storage->Forms->Clear();
    storage->Units->Clear();
    storage->ExtGroups->Clear();
  }
  TStorageLoader loader(*storage, column, flags);
  TLangFileReader(compressed ? plain.Data() : raw.Data(), FileName).Read(loader);
}

void TLangFile::WriteHeader(TStream& s, const TLocStorage& storage) const {
  s.WriteU16(LangFileSignature);
  s.WriteU16(Version);
  s.WriteI32(Revision);
  if (Version >= 5) s.WriteI32(Build);
  s.WriteU16(LangId);
  if (Version >= 3) s.WriteU16(ReservedA);
  WriteAnsiString(s, LangName, 5);
  WriteWideString(s, NativeName, 5);
  s.WriteU16(IsNative ? 1 : 0);
  if (Version >= 2) s.WriteU16(ReservedB);
  s.WriteI32(storage.LastConstantId);
  s.WriteI32(storage.LastPropertyId);
  if (Version >= 7) s.WriteI32(storage.LastExtItemId);
}

namespace {

// Writes the body of a language file: every container list has the same
// shape (a checked u16 count, then each container's name, attributes and
// entries), and every entry the same head and tail around its payload.
class TImageWriter {
 public:
  TImageWriter(TStream& s, int column, int version, bool useNativeRevision)
      : s_(s), column_(column), version_(version), useNativeRevision_(useNativeRevision) {}

  void Units(const TLocUnitList& units) {
    Containers(units, [] { return std::string("the units"); }, [&](const TLocUnit* unit) {
      Entries(*unit->Constants, [&] { return "the constants of unit \"" + unit->ItemName + "\""; },
              [](const TLocConstant*) { return true; },
              [&](const TLocConstant* k, const TLocValue* value) {
                s_.WriteU16(k->StringId);
                s_.WriteI32(k->ItemId);
                WriteWideString(s_, value->Text, version_);
              });
    });
  }

  void Forms(const TLocFormList& forms) {
    Containers(forms, [] { return std::string("the forms"); }, [&](const TLocForm* form) {
      Properties(*form->Properties);
      Containers(*form->Components, [&] { return "the components of form \"" + form->ItemName + "\""; },
                 [&](const TLocComponent* component) { Properties(*component->Properties); });
    });
  }

  void ExtGroups(const TLocExtGroupList& groups) {
    Containers(groups, [] { return std::string("the external groups"); }, [&](const TLocExtGroup* group) {
      Entries(*group->ExtItems, [&] { return "the items of group \"" + group->ItemName + "\""; },
              [](const TLocExtItem*) { return true; },
              [&](const TLocExtItem* x, const TLocValue* value) {
                s_.WriteI32(x->ItemId);
                WriteWideString(s_, value->Text, version_);
              });
    });
  }

 private:
  // A list of named containers: the count, then name, attributes and body of each.
  template <typename List, typename What, typename Body>
  void Containers(const List& list, const What& what, const Body& body) {
    CheckCount(static_cast<std::size_t>(list.Count()), what);
    s_.WriteU16(static_cast<std::uint16_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i) {
      const auto* container = list.Items(i);
      WriteAnsiString(s_, container->ItemName, version_);
      s_.WriteU16(container->Attributes);
      body(container);
    }
  }

  // The entries of one container that `keep` accepts: the count, then name,
  // status, what `middle` writes, revision and stamp of each.
  template <typename List, typename What, typename Keep, typename Middle>
  void Entries(const List& list, const What& what, const Keep& keep, const Middle& middle) {
    std::size_t count = 0;
    for (int i = 0; i < list.Count(); ++i) count += keep(list.Items(i)) ? 1 : 0;
    CheckCount(count, what);
    s_.WriteU16(static_cast<std::uint16_t>(count));
    for (int i = 0; i < list.Count(); ++i) {
      const auto* item = list.Items(i);
      if (!keep(item)) continue;
      const TLocValue* value = item->Values(column_);
      WriteItem(item, [&] {
        WriteAnsiString(s_, item->ItemName, version_);
        s_.WriteU16(Status(item, value));
        middle(item, value);
        s_.WriteI32(useNativeRevision_ ? item->NativeValue()->Revision : value->Revision);
        s_.WriteU64(value->Stamp);
      });
    }
  }

  void Properties(const TLocPropertyList& props) {
    Entries(props, [&] { return "the properties of \"" + props.OwnerComponent->FullName('.') + "\""; },
            [&](const TLocProperty* p) { return Writable(p); },
            [&](const TLocProperty* p, const TLocValue* value) {
              s_.WriteI32(p->ItemId);
              s_.WriteU32(p->ValueKind() & 0x7Fu);
              value->SaveValue(s_, version_);
            });
  }

  bool Writable(const TLocProperty* p) const {
    const std::uint8_t kind = p->ValueKind();
    if (kind == vkString || kind == vkStrings) return true;
    return version_ >= 4 && (kind == vkFloat || kind == vkInteger);
  }

  static std::uint16_t Status(const TLocItem* item, const TLocValue* value) {
    return static_cast<std::uint16_t>((value->StateFlags & 0xFF00) | (item->NativeValue()->StateFlags & 0x00FF));
  }

  TStream& s_;
  const int column_;
  const int version_;
  const bool useNativeRevision_;
};

}  // namespace

void TLangFile::BuildImageInto(TMemoryStream& out, const TLocStorage* storage, int column, bool useNativeRevision,
                               std::size_t expectedSize) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column < 0 || column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  if (Version < 4) Version = 4;
  TMemoryStream plain;
  TMemoryStream& s = Compressed ? plain : out;
  // Grown by doubling, the image would at its last growth be held twice
  // and a half over: the caller's estimate (the file it replaces) sizes it.
  if (!Compressed) s.Data().reserve(expectedSize + expectedSize / 8);
  WriteHeader(s, *storage);
  TImageWriter writer(s, column, Version, useNativeRevision);
  writer.Units(*storage->Units);
  writer.Forms(*storage->Forms);
  if (Version > 6) writer.ExtGroups(*storage->ExtGroups);
  if (Compressed) CompressStreamFromStart(s, out);
}

std::string TLangFile::BuildImage(const TLocStorage* storage, int column, bool useNativeRevision) {
  TMemoryStream s;
  BuildImageInto(s, storage, column, useNativeRevision, 0);
  return s.AsString();
}

void TLangFile::SaveStorage(const TLocStorage* storage, int column, bool useNativeRevision) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column < 0 || column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  if (ReadOnly) throw ELangFileError(Format(SLangFileReadOnly, FileName));
  // The file replaced is the best guess of the new one's size.
  std::uintmax_t expectedSize = 0;
  std::filesystem::file_time_type time;
  if (!FileStamp(FileName, expectedSize, time)) expectedSize = 0;
  image_.reset();
  // The whole file is built in memory first: a limit of the format stops
  // the save before anything is written.
  TMemoryStream image;
  BuildImageInto(image, storage, column, useNativeRevision, static_cast<std::size_t>(std::min<std::uintmax_t>(expectedSize, 1u << 30)));
  const bool wasLocked = IsLocked();
  Unlock();
  struct Relock {
    TLangFile& file;
    bool locked;
    ~Relock() {
      if (!locked) return;
      try {
        file.Lock();
      } catch (const Exception&) {
        // The file stays unlocked; the save's own outcome is what matters.
      }
    }
  } relock{*this, wasLocked};
  // Another process that holds the file keeps it, as on Windows, where the
  // replacement would fail with a sharing violation.
  if (platform::FileExists(FileName)) {
    platform::NativeFile probe;
    if (!probe.Open(FileName, false, platform::FileAccess::ReadWrite, platform::FileShare::DenyWrite))
      throw EFCreateError(Format(SLangFileInUse, FileName));
  }
  platform::WriteFileAtomic(FileName, std::string_view(reinterpret_cast<const char*>(image.Memory()), image.Data().size()));
}

void TLangFile::SetRevision(std::int32_t n) {
  if (n == Revision) return;
  Revision = n;
  Build = 0;
}

void TLangFile::Lock() {
  Unlock();
  auto handle = std::make_unique<platform::NativeFile>();
  if (!handle->Open(FileName, false, platform::FileAccess::Read, platform::FileShare::DenyWrite))
    throw ELangFileError(SCanNotLockLangFile);
  lock_ = std::move(handle);
}

void TLangFile::Unlock() { lock_.reset(); }

int OpenLanguageColumn(TLocStorage& storage, LANGID langId, TLangFile* file) {
  const int column = storage.AddLanguage(0, langId);
  storage.RecodeColumn(column, storage.Languages(0), langId);
  if (file) file->LoadStorage(&storage, column, 0);
  return column;
}

}  // namespace sw
