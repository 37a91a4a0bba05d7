// The .lng reader, the loader that merges a file into a storage (native or
// column load), and the writer that builds the whole file in memory and
// replaces the file atomically (see LocLangFile.h for the layout).
#include "storage/LocLangFile.h"

#include <algorithm>
#include <optional>

#include "compress/qcompress.h"
#include "util/QConsts.h"
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
  } catch (const ELangFileError& e) {
    throw ELangFileError(item->FullName('.') + ": " + e.Message());
  }
}

}  // namespace

// ---- Reader --------------------------------------------------------------------

TLangFileReader::TLangFileReader(TStream& stream, std::string fileName)
    : stream_(stream), fileName_(std::move(fileName)) {}

TLangFileHeader TLangFileReader::ReadHeader() {
  TLangFileHeader h;
  std::int64_t offset = stream_.Position();
  // Each field notes where it starts, so that a file ending inside the
  // header is reported at the field it cuts.
  auto at = [&]() -> TStream& {
    offset = stream_.Position();
    return stream_;
  };
  try {
    if (at().ReadU16() != LangFileSignature) throw ELangFileError(SInvalidFileFormat);
    h.Version = at().ReadU16();
    if (h.Version == 0) throw ELangFileError(SInvalidFileFormat);
    if (h.Version > LangFileVersion) throw ELangFileError(SNewerLangFile);
    h.Revision = at().ReadI32();
    if (h.Version >= 5) h.Build = at().ReadI32();
    h.LangId = at().ReadU16();
    if (h.Version >= 3) h.ReservedA = at().ReadU16();
    // The two header strings always carry the u16 prefix.
    h.LangName = ReadAnsiString(at(), 5);
    h.NativeName = ReadWideString(at(), 5);
    h.IsNative = at().ReadU16() != 0;
    if (h.Version >= 2) h.ReservedB = at().ReadU16();
    h.LastConstantId = at().ReadI32();
    h.LastPropertyId = at().ReadI32();
    if (h.Version >= 7) h.LastExtItemId = at().ReadI32();
  } catch (const EReadError&) {
    throw EReadError(Format(SLangFileReadError, SReadError, static_cast<long long>(offset), fileName_));
  }
  return h;
}

TLangFileEntry TLangFileReader::ReadEntry(int version, bool isConstant, bool isProperty) {
  TLangFileEntry e;
  e.Name = ReadAnsiString(stream_, version);
  if (version >= 2) e.Status = stream_.ReadU16();
  if (isConstant) e.StringId = stream_.ReadU16();
  e.ItemId = stream_.ReadI32();
  if (isProperty) {
    e.Kind = static_cast<std::uint8_t>(stream_.ReadU32() & 0xFF);
    e.HasPayload = KindHasPayload(e.Kind, version);
    e.Text = ReadValuePayload(stream_, e.Kind, version);
  } else {
    e.Text = ReadWideString(stream_, version);
  }
  e.Revision = stream_.ReadI32();
  e.Stamp = stream_.ReadU64();
  return e;
}

void TLangFileReader::Read(TLangFileVisitor& visitor) {
  const TLangFileHeader header = ReadHeader();
  visitor.Header(header);
  const int version = header.Version;
  std::int64_t offset = stream_.Position();
  // Every read below is checked against the end of the data; a short one is
  // reported with the offset of the record it belongs to.
  try {
    auto readContainer = [&](std::string& name, std::uint16_t& attributes) {
      offset = stream_.Position();
      name = ReadAnsiString(stream_, version);
      attributes = version >= 2 ? stream_.ReadU16() : 0;
    };
    auto readProperties = [&] {
      const int count = stream_.ReadU16();
      for (int i = 0; i < count; ++i) {
        offset = stream_.Position();
        visitor.Property(ReadEntry(version, false, true));
      }
    };
    std::string name;
    std::uint16_t attributes = 0;

    offset = stream_.Position();
    const int units = stream_.ReadU16();
    for (int u = 0; u < units; ++u) {
      readContainer(name, attributes);
      visitor.Unit(name, attributes);
      const int count = stream_.ReadU16();
      for (int c = 0; c < count; ++c) {
        offset = stream_.Position();
        visitor.Constant(ReadEntry(version, true, false));
      }
    }
    visitor.UnitsDone();

    offset = stream_.Position();
    const int forms = stream_.ReadU16();
    for (int f = 0; f < forms; ++f) {
      readContainer(name, attributes);
      visitor.Form(name, attributes);
      readProperties();
      const int components = stream_.ReadU16();
      for (int c = 0; c < components; ++c) {
        readContainer(name, attributes);
        visitor.Component(name, attributes);
        readProperties();
      }
    }
    visitor.FormsDone();

    if (version >= 7) {
      offset = stream_.Position();
      const int groups = stream_.ReadU16();
      for (int g = 0; g < groups; ++g) {
        readContainer(name, attributes);
        visitor.ExtGroup(name, attributes);
        const int count = stream_.ReadU16();
        for (int i = 0; i < count; ++i) {
          offset = stream_.Position();
          visitor.ExtItem(ReadEntry(version, false, false));
        }
      }
    }
    visitor.ExtGroupsDone();
  } catch (const EReadError&) {
    throw EReadError(Format(SLangFileReadError, SReadError, static_cast<long long>(offset), fileName_));
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
  TStorageLoader(TLangFile& file, TLocStorage& storage, int column, int flags)
      : file_(file), storage_(storage), native_(column < 0), column_(column < 0 ? 0 : column), flags_(flags) {
    storage_.Units->BuildLinear(constants_, true);
    storage_.Forms->BuildLinear(properties_, true);
    storage_.ExtGroups->BuildLinear(externals_, true);
  }

  void Header(const TLangFileHeader& header) override {
    header_ = header;
    if (native_) storage_.SetNativeLangId(header.LangId);
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
    if (maxId_) file_.LastConstantId = MaxUnsigned(file_.LastConstantId, *maxId_);
    maxId_.reset();
    if (!native_) return;
    TLinearConstantList list;
    storage_.Units->BuildLinear(list, true);
    for (TLocConstant* c : list)
      if (c->ItemId == 0) c->ItemId = ++file_.LastConstantId;
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
    if (maxId_) file_.LastPropertyId = MaxUnsigned(file_.LastPropertyId, *maxId_);
    maxId_.reset();
    if (!native_) return;
    TLinearPropertyList list;
    storage_.Forms->BuildLinear(list, true);
    for (TLocProperty* p : list)
      if (p->ItemId == 0) p->ItemId = ++file_.LastPropertyId;
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
    if (maxId_) file_.LastExtItemId = MaxUnsigned(file_.LastExtItemId, *maxId_);
    maxId_.reset();
    if (!native_) return;
    TLinearExternalList list;
    storage_.ExtGroups->BuildLinear(list, true);
    for (TLocExtItem* x : list)
      if (x->ItemId == 0) x->ItemId = ++file_.LastExtItemId;
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

  TLangFile& file_;
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

TLangFile::TLangFile(std::string fileName, bool readOnly) : FileName(std::move(fileName)), ReadOnly(readOnly) {
  if (!platform::FileExists(FileName)) return;
  if (!ReadOnly) {
    platform::NativeFile probe;
    if (!probe.Open(FileName, false, platform::FileAccess::ReadWrite, platform::FileShare::DenyWrite))
      ReadOnly = true;
  }
  // The header is read without denying writers: a file another program
  // holds open for writing is still opened, read-only.
  TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
  Compressed = IsCompressedStream(file);
  if (!Compressed) {
    StoreHeader(TLangFileReader(file, FileName).ReadHeader());
    return;
  }
  const auto fileSize = static_cast<std::size_t>(file.Size());
  TMemoryStream packed;
  packed.SetSize(static_cast<std::int64_t>(std::min(fileSize, kCompressedHeaderPrefix)));
  file.ReadBuffer(packed.Data().data(), packed.Data().size());
  TMemoryStream plain;
  ExpandStreamFromStart(packed, plain);
  plain.SetPosition(0);
  try {
    StoreHeader(TLangFileReader(plain, FileName).ReadHeader());
    return;
  } catch (const EReadError&) {
    if (fileSize <= kCompressedHeaderPrefix) throw;
  }
  // A header longer than the prefix yields: expand the whole file.
  file.SetPosition(0);
  packed.LoadFromStream(file);
  plain.Clear();
  ExpandStreamFromStart(packed, plain);
  plain.SetPosition(0);
  StoreHeader(TLangFileReader(plain, FileName).ReadHeader());
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
  LastConstantId = h.LastConstantId;
  LastPropertyId = h.LastPropertyId;
  LastExtItemId = h.LastExtItemId;
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
  const TLangFileHeader header = TLangFileReader(*source, FileName).ReadHeader();
  if (!parseOnly) StoreHeader(header);
  return source->Position();
}

void TLangFile::LoadStorage(TLocStorage* storage, int column, int flags) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  TMemoryStream data;
  data.LoadFromFile(FileName);
  LoadStorageFromStream(storage, column, flags, data);
}

void TLangFile::LoadStorageFromStream(TLocStorage* storage, int column, int flags, TStream& data) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  TMemoryStream plain;
  plain.LoadFromStream(data);
  if (ExpandIfCompressed(plain)) Compressed = true;
  if (column < 0) {
    storage->Forms->Clear();
    storage->Units->Clear();
    storage->ExtGroups->Clear();
  }
  TStorageLoader loader(*this, *storage, column, flags);
  TLangFileReader(plain, FileName).Read(loader);
}

void TLangFile::WriteHeader(TStream& s) const {
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
  s.WriteI32(LastConstantId);
  s.WriteI32(LastPropertyId);
  if (Version >= 7) s.WriteI32(LastExtItemId);
}

std::string TLangFile::BuildImage(const TLocStorage* storage, int column, bool useNativeRevision) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column < 0 || column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  if (Version < 4) Version = 4;
  const int version = Version;
  TMemoryStream s;
  WriteHeader(s);

  auto writeTail = [&](const TLocItem* item, const TLocValue* value) {
    const TLocValue* native = item->NativeValue();
    s.WriteI32(useNativeRevision ? native->Revision : value->Revision);
    s.WriteU64(value->Stamp);
  };
  auto status = [](const TLocItem* item, const TLocValue* value) {
    return static_cast<std::uint16_t>((value->StateFlags & 0xFF00) | (item->NativeValue()->StateFlags & 0x00FF));
  };
  auto writable = [&](const TLocProperty* p) {
    const std::uint8_t kind = p->ValueKind();
    if (kind == vkString || kind == vkStrings) return true;
    return version >= 4 && (kind == vkFloat || kind == vkInteger);
  };
  auto writeProperties = [&](const TLocPropertyList& props) {
    std::size_t count = 0;
    for (int i = 0; i < props.Count(); ++i) count += writable(props.Items(i)) ? 1 : 0;
    CheckCount(count, [&] { return "the properties of \"" + props.OwnerComponent->FullName('.') + "\""; });
    s.WriteU16(static_cast<std::uint16_t>(count));
    for (int i = 0; i < props.Count(); ++i) {
      const TLocProperty* p = props.Items(i);
      if (!writable(p)) continue;
      const TLocValue* value = p->Values(column);
      WriteItem(p, [&] {
        WriteAnsiString(s, p->ItemName, version);
        s.WriteU16(status(p, value));
        s.WriteI32(p->ItemId);
        s.WriteU32(p->ValueKind() & 0x7Fu);
        value->SaveValue(s, version);
        writeTail(p, value);
      });
    }
  };

  const TLocUnitList& units = *storage->Units;
  CheckCount(static_cast<std::size_t>(units.Count()), [] { return "the units"; });
  s.WriteU16(static_cast<std::uint16_t>(units.Count()));
  for (int u = 0; u < units.Count(); ++u) {
    const TLocUnit* unit = units.Items(u);
    WriteAnsiString(s, unit->ItemName, version);
    s.WriteU16(unit->Attributes);
    const TLocConstantList& constants = *unit->Constants;
    CheckCount(static_cast<std::size_t>(constants.Count()), [&] { return "the constants of unit \"" + unit->ItemName + "\""; });
    s.WriteU16(static_cast<std::uint16_t>(constants.Count()));
    for (int c = 0; c < constants.Count(); ++c) {
      const TLocConstant* k = constants.Items(c);
      const TLocValue* value = k->Values(column);
      WriteItem(k, [&] {
        WriteAnsiString(s, k->ItemName, version);
        s.WriteU16(status(k, value));
        s.WriteU16(k->StringId);
        s.WriteI32(k->ItemId);
        WriteWideString(s, value->Text, version);
        writeTail(k, value);
      });
    }
  }

  const TLocFormList& forms = *storage->Forms;
  CheckCount(static_cast<std::size_t>(forms.Count()), [] { return "the forms"; });
  s.WriteU16(static_cast<std::uint16_t>(forms.Count()));
  for (int f = 0; f < forms.Count(); ++f) {
    const TLocForm* form = forms.Items(f);
    WriteAnsiString(s, form->ItemName, version);
    s.WriteU16(form->Attributes);
    writeProperties(*form->Properties);
    const TLocComponentList& components = *form->Components;
    CheckCount(static_cast<std::size_t>(components.Count()), [&] { return "the components of form \"" + form->ItemName + "\""; });
    s.WriteU16(static_cast<std::uint16_t>(components.Count()));
    for (int c = 0; c < components.Count(); ++c) {
      const TLocComponent* component = components.Items(c);
      WriteAnsiString(s, component->ItemName, version);
      s.WriteU16(component->Attributes);
      writeProperties(*component->Properties);
    }
  }

  if (version > 6) {
    const TLocExtGroupList& groups = *storage->ExtGroups;
    CheckCount(static_cast<std::size_t>(groups.Count()), [] { return "the external groups"; });
    s.WriteU16(static_cast<std::uint16_t>(groups.Count()));
    for (int g = 0; g < groups.Count(); ++g) {
      const TLocExtGroup* group = groups.Items(g);
      WriteAnsiString(s, group->ItemName, version);
      s.WriteU16(group->Attributes);
      const TLocExtItemList& items = *group->ExtItems;
      CheckCount(static_cast<std::size_t>(items.Count()), [&] { return "the items of group \"" + group->ItemName + "\""; });
      s.WriteU16(static_cast<std::uint16_t>(items.Count()));
      for (int i = 0; i < items.Count(); ++i) {
        const TLocExtItem* x = items.Items(i);
        const TLocValue* value = x->Values(column);
        WriteItem(x, [&] {
          WriteAnsiString(s, x->ItemName, version);
          s.WriteU16(status(x, value));
          s.WriteI32(x->ItemId);
          WriteWideString(s, value->Text, version);
          writeTail(x, value);
        });
      }
    }
  }

  if (!Compressed) return s.AsString();
  TMemoryStream packed;
  CompressStreamFromStart(s, packed);
  return packed.AsString();
}

void TLangFile::SaveStorage(const TLocStorage* storage, int column, bool useNativeRevision) {
  if (!storage) throw ELangFileError(SInvalidLocStorage);
  if (column < 0 || column >= storage->LanguageCount()) throw ELangFileError(SInvalidIndex);
  if (ReadOnly) throw ELangFileError(Format(SLangFileReadOnly, FileName));
  // The whole file is built in memory first: a limit of the format stops
  // the save before anything is written.
  const std::string image = BuildImage(storage, column, useNativeRevision);
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
  platform::WriteFileAtomic(FileName, image);
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

}  // namespace sw
