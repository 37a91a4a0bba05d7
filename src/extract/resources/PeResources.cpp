#include "extract/resources/PeResources.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

#include "base/StopToken.h"
#include "base/Unicode.h"
#include "extract/source/RcScript.h"
#include "platform/FileSystem.h"
#include "runtime/BinaryReader.h"
#include "util/Messages.h"

namespace sw {

namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::string_view kFormSignature = "TPF0";

[[noreturn]] void RaiseAt(std::uint64_t offset, const std::string& what) {
  throw EResError(SResInvalidFileFormat, Format("offset %llu: %s", static_cast<unsigned long long>(offset), what));
}

struct TSection {
  std::uint32_t VirtualAddress = 0;
  std::uint32_t VirtualSize = 0;  // the larger of the virtual and the raw size
  std::uint32_t RawSize = 0;
  std::uint32_t RawOffset = 0;
  std::uint64_t HeaderOffset = 0;
};

// Walks the resource directory tree of one image.
class TResourceWalker {
 public:
  TResourceWalker(std::span<const std::uint8_t> file, const std::vector<TSection>& sections,
                  std::vector<TPeResource>& out)
      : file_(file), sections_(sections), out_(out) {}

  // `at` is the file offset of the data directory entry giving `rootRva`.
  void Walk(std::uint32_t rootRva, std::uint64_t at) {
    const TSection& section = SectionOf(rootRva, 0, at);
    const std::uint64_t start = section.RawOffset + static_cast<std::uint64_t>(rootRva - section.VirtualAddress);
    // Directory offsets count from the root; they may reach anywhere in the
    // part of its section stored in the file.
    const std::uint64_t end = std::min<std::uint64_t>(section.RawOffset + std::uint64_t{section.RawSize}, file_.size());
    if (start >= end) RaiseAt(start, "the resource directory lies outside the data of its section in the file");
    rsrc_ = BinaryReader(file_.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)), start);
    ReadDirectory(0, 0, TResId(), TResId());
  }

 private:
  // Level 0: types, 1: names, 2: languages.
  void ReadDirectory(std::uint32_t offset, int level, const TResId& type, const TResId& name) {
    const std::uint64_t at = rsrc_.Position() - rsrc_.Offset() + offset;
    if (!visited_.insert(offset).second)
      RaiseAt(at, "a resource directory reached a second time (the directory loops)");
    if (offset > rsrc_.Size() || rsrc_.Size() - offset < 16)
      RaiseAt(at, "a resource directory reaches past the end of its section");
    rsrc_.Seek(offset + 12);
    const std::uint32_t count = std::uint32_t{rsrc_.ReadU16LE()} + rsrc_.ReadU16LE();
    if (count > rsrc_.Remaining() / 8)
      RaiseAt(at, Format("a resource directory of %u entries reaches past the end of its section", count));
    const std::uint32_t first = offset + 16;
    for (std::uint32_t i = 0; i < count; ++i) {
      ThrowIfStopRequested();  // once an entry: a cancel ends a large program here
      const std::uint32_t entryOffset = first + i * 8;
      rsrc_.Seek(entryOffset);
      const std::uint32_t nameField = rsrc_.ReadU32LE();
      const std::uint32_t dataField = rsrc_.ReadU32LE();
      const std::uint64_t entryAt = at + 16 + std::uint64_t{i} * 8;
      const TResId id = (nameField & kHighBit) ? ReadName(nameField & ~kHighBit, entryAt)
                                               : TResId::FromOrdinal(static_cast<std::uint16_t>(nameField));
      if (!(nameField & kHighBit) && nameField > 0xFFFF)
        RaiseAt(entryAt, Format("resource id %u does not fit in 16 bits", nameField));
      const bool isDirectory = (dataField & kHighBit) != 0;
      if (level < 2) {
        if (!isDirectory) RaiseAt(entryAt, "a resource type or name entry that points at data, not at a directory");
        if (level == 0 && !id.IsOrdinal(ResTypeString) && !id.IsOrdinal(ResTypeRCData)) continue;
        ReadDirectory(dataField & ~kHighBit, level + 1, level == 0 ? id : type, level == 1 ? id : name);
      } else {
        if (isDirectory) RaiseAt(entryAt, "a resource language entry that points at a directory, not at data");
        if (!id.IsOrdinal()) RaiseAt(entryAt, "a resource language given by a name");
        ReadData(dataField, entryAt, type, name, id.Ordinal());
      }
    }
  }

  TResId ReadName(std::uint32_t offset, std::uint64_t entryAt) {
    try {
      rsrc_.Seek(offset);
      const std::uint16_t length = rsrc_.ReadU16LE();
      return TResId::FromName(rsrc_.ReadUtf16(length));
    } catch (const EReadError&) {
      RaiseAt(entryAt, Format("the resource name at directory offset %u runs past the end of its section", offset));
    }
  }

  void ReadData(std::uint32_t offset, std::uint64_t entryAt, const TResId& type, const TResId& name,
                std::uint16_t language) {
    if (offset > rsrc_.Size() || rsrc_.Size() - offset < 16)
      RaiseAt(entryAt, Format("the resource data entry at directory offset %u reaches past the end of its section",
                              offset));
    rsrc_.Seek(offset);
    const std::uint32_t rva = rsrc_.ReadU32LE();
    const std::uint32_t size = rsrc_.ReadU32LE();
    const std::uint64_t dataEntryAt = rsrc_.Position() - 8;
    const TSection& section = SectionOf(rva, size, dataEntryAt);
    const std::uint64_t start = section.RawOffset + std::uint64_t{rva - section.VirtualAddress};
    if (std::uint64_t{rva - section.VirtualAddress} + size > section.RawSize)
      RaiseAt(dataEntryAt, Format("resource data of %u bytes at address 0x%X runs past the data of its section in "
                                  "the file",
                                  size, rva));
    if (start > file_.size() || file_.size() - start < size)
      RaiseAt(dataEntryAt, Format("resource data of %u bytes at file offset %llu reaches past the end of the file",
                                  size, static_cast<unsigned long long>(start)));
    TPeResource resource;
    resource.ResType = type;
    resource.ResName = name;
    resource.Language = language;
    resource.Data = file_.subspan(static_cast<std::size_t>(start), size);
    resource.Offset = start;
    out_.push_back(std::move(resource));
  }

  // The section whose memory holds [rva, rva + size). The sections are
  // sorted by address and do not overlap.
  const TSection& SectionOf(std::uint32_t rva, std::uint32_t size, std::uint64_t at) const {
    auto next = std::upper_bound(sections_.begin(), sections_.end(), rva,
                                 [](std::uint32_t value, const TSection& s) { return value < s.VirtualAddress; });
    if (next != sections_.begin()) {
      const TSection& s = *std::prev(next);
      if (rva - s.VirtualAddress < s.VirtualSize) {
        if (size > s.VirtualSize - (rva - s.VirtualAddress))
          RaiseAt(at, Format("%u bytes at address 0x%X run past the end of their section", size, rva));
        return s;
      }
    }
    RaiseAt(at, Format("address 0x%X lies in no section", rva));
  }

  std::span<const std::uint8_t> file_;
  const std::vector<TSection>& sections_;
  std::vector<TPeResource>& out_;
  BinaryReader rsrc_;
  std::set<std::uint32_t> visited_;
};

std::string ReadImageFile(const std::string& fileName) {
  try {
    return platform::ReadFileBytes(fileName);
  } catch (const Exception& e) {
    EResError error(Format(SResCouldntOpen, fileName), e.Location());
    error.AttachFile(fileName);
    throw error;
  }
}

}  // namespace

bool IsPeImage(std::span<const std::uint8_t> bytes) {
  BinaryReader reader(bytes);
  try {
    if (reader.ReadU16LE() != 0x5A4D) return false;  // "MZ"
    reader.Seek(0x3C);
    reader.Seek(reader.ReadU32LE());
    return reader.ReadU32LE() == kPeSignature;
  } catch (const EReadError&) {
    return false;
  }
}

bool IsPeImageFile(const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) return false;
  // The DOS header and the signature of any image a linker writes lie in
  // its first pages.
  std::string head(4096, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file));
  std::fclose(file);
  return IsPeImage(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()));
}

TPeImage::TPeImage(const std::string& fileName) : fileName_(fileName), image_(ReadImageFile(fileName)) {
  try {
    Parse();
  } catch (Exception& e) {
    e.AttachFile(fileName_);
    throw;
  }
}

TPeImage::TPeImage(std::string fileName, std::string image) : fileName_(std::move(fileName)), image_(std::move(image)) {
  try {
    Parse();
  } catch (Exception& e) {
    e.AttachFile(fileName_);
    throw;
  }
}

void TPeImage::Parse() {
  const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(image_.data()), image_.size());
  BinaryReader reader(file);
  std::uint64_t at = 0;
  try {
    if (reader.ReadU16LE() != 0x5A4D) RaiseAt(0, "no \"MZ\" signature: not a compiled program");
    at = 0x3C;
    reader.Seek(0x3C);
    const std::uint32_t peOffset = reader.ReadU32LE();
    at = peOffset;
    if (peOffset > reader.Size()) RaiseAt(0x3C, Format("the PE header offset %u lies past the end of the file", peOffset));
    reader.Seek(peOffset);
    if (reader.ReadU32LE() != kPeSignature) RaiseAt(peOffset, "no \"PE\" signature: not a compiled program");
    at = reader.Position();
    reader.Skip(2);  // machine
    const std::uint16_t sectionCount = reader.ReadU16LE();
    reader.Skip(12);  // time stamp, symbol table, symbol count
    const std::uint16_t optionalSize = reader.ReadU16LE();
    reader.Skip(2);  // characteristics
    const std::size_t optionalStart = reader.Offset();
    at = optionalStart;
    BinaryReader optional = reader.SubReader(optionalSize);
    const std::uint16_t magic = optional.ReadU16LE();
    if (magic != kMagicPe32 && magic != kMagicPe32Plus)
      RaiseAt(optionalStart, Format("optional header magic 0x%X is neither PE32 (0x10B) nor PE32+ (0x20B)", magic));
    is64_ = magic == kMagicPe32Plus;
    optional.Seek(is64_ ? 108 : 92);
    const std::uint32_t directoryCount = optional.ReadU32LE();
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
    std::uint64_t resourceEntryAt = 0;
    if (directoryCount > kResourceDirectoryIndex) {
      optional.Skip(kResourceDirectoryIndex * 8);
      resourceEntryAt = optional.Position();
      resourceRva = optional.ReadU32LE();
      resourceSize = optional.ReadU32LE();
    }

    const std::size_t sectionsStart = optionalStart + optionalSize;
    at = sectionsStart;
    reader.Seek(sectionsStart);
    if (sectionCount > reader.Remaining() / kSectionHeaderSize)
      RaiseAt(sectionsStart, Format("a section table of %u sections reaches past the end of the file", sectionCount));
    std::vector<TSection> sections;
    sections.reserve(sectionCount);
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
      TSection s;
      s.HeaderOffset = reader.Position();
      reader.Skip(8);  // name
      const std::uint32_t virtualSize = reader.ReadU32LE();
      s.VirtualAddress = reader.ReadU32LE();
      s.RawSize = reader.ReadU32LE();
      s.RawOffset = reader.ReadU32LE();
      reader.Skip(16);
      // An image whose virtual size is 0 keeps its section's size in the raw size.
      s.VirtualSize = std::max(virtualSize, s.RawSize);
      if (std::uint64_t{s.VirtualAddress} + s.VirtualSize > 0x100000000ull)
        RaiseAt(s.HeaderOffset, Format("section %u reaches past the end of the 4 GB address space", i + 1u));
      if (s.RawSize > 0 && (s.RawOffset > file.size() || file.size() - s.RawOffset < s.RawSize) &&
          resourceRva - s.VirtualAddress < s.VirtualSize)
        RaiseAt(s.HeaderOffset, Format("section %u holding the resources: its %u bytes at file offset %u reach past "
                                       "the end of the file (%llu bytes)",
                                       i + 1u, s.RawSize, s.RawOffset, static_cast<unsigned long long>(file.size())));
      sections.push_back(s);
    }
    // Sections may not share memory: an address would belong to two of them.
    std::erase_if(sections, [](const TSection& s) { return s.VirtualSize == 0; });
    std::sort(sections.begin(), sections.end(),
              [](const TSection& a, const TSection& b) { return a.VirtualAddress < b.VirtualAddress; });
    for (std::size_t i = 1; i < sections.size(); ++i)
      if (std::uint64_t{sections[i - 1].VirtualAddress} + sections[i - 1].VirtualSize > sections[i].VirtualAddress)
        RaiseAt(sections[i].HeaderOffset, Format("the section at address 0x%X overlaps the one at address 0x%X",
                                                 sections[i].VirtualAddress, sections[i - 1].VirtualAddress));

    if (resourceRva == 0 || resourceSize == 0) return;  // a program without resources
    TResourceWalker(file, sections, resources_).Walk(resourceRva, resourceEntryAt);
  } catch (const EReadError&) {
    RaiseAt(at, "the headers are cut short by the end of the file");
  }
}

std::vector<std::unique_ptr<TPeLanguage>> PeLanguages(const TPeImage& image) {
  std::vector<std::unique_ptr<TPeLanguage>> languages;
  auto languageOf = [&](std::uint16_t id) -> TPeLanguage& {
    for (auto& language : languages)
      if (language->Language == id) return *language;
    languages.push_back(std::make_unique<TPeLanguage>());
    languages.back()->Language = id;
    return *languages.back();
  };
  for (const TPeResource& resource : image.Resources()) {
    if (resource.ResType.IsOrdinal(ResTypeString)) {
      // A string table without an ordinal name has no identifiers.
      if (!resource.ResName.IsOrdinal()) continue;
      TPeLanguage& language = languageOf(resource.Language);
      try {
        language.Strings.AddTable(resource.ResName.Ordinal(), resource.Data,
                                  Format("language %s, data at offset %llu", PeLanguageName(resource.Language),
                                         static_cast<unsigned long long>(resource.Offset)));
      } catch (Exception& e) {
        e.AttachFile(image.FileName());
        throw;
      }
    } else if (resource.ResType.IsOrdinal(ResTypeRCData)) {
      const std::string_view head(reinterpret_cast<const char*>(resource.Data.data()),
                                  std::min(resource.Data.size(), kFormSignature.size()));
      if (head != kFormSignature) continue;
      TPeForm form;
      form.Name = resource.ResName.IsOrdinal() ? std::to_string(resource.ResName.Ordinal())
                                               : Utf16ToUtf8(resource.ResName.Name());
      form.Data = resource.Data;
      form.Offset = resource.Offset;
      languageOf(resource.Language).Forms.push_back(std::move(form));
    }
  }
  return languages;
}

std::vector<std::size_t> ChoosePeLanguages(const std::vector<std::unique_ptr<TPeLanguage>>& languages,
                                           std::uint16_t langId) {
  // One table per language, so that the resource scripts' choice decides.
  TRcScript script;
  for (const auto& language : languages) {
    TRcStringTable table;
    table.Language = language->Language;
    script.Tables.push_back(table);
  }
  SelectRcTables(script, langId);
  std::vector<std::size_t> taken;
  for (std::size_t i = 0; i < script.Tables.size(); ++i)
    if (script.Tables[i].Taken) taken.push_back(i);
  return taken;
}

std::string PeLanguageName(std::uint16_t language) { return Format("%04X", static_cast<unsigned>(language)); }

}  // namespace sw
