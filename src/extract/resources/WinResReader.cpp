#include "extract/resources/WinResReader.h"

#include "base/StopToken.h"
#include "platform/FileSystem.h"
#include "runtime/BinaryReader.h"
#include "util/Messages.h"

namespace sw {

namespace {

constexpr std::uint64_t kMarkerSize = 32;
// Data size and header size come first in every entry header.
constexpr std::uint64_t kSizeFieldsSize = 8;

constexpr std::uint64_t AlignUp4(std::uint64_t value) { return (value + 3) & ~std::uint64_t{3}; }

[[noreturn]] void RaiseInvalid(std::uint64_t entryOffset, const std::string& what) {
  throw EResError(SResInvalidFileFormat, Format("entry at offset %llu: %s",
                                                static_cast<unsigned long long>(entryOffset), what));
}

// A type or name field: 0xFFFF and an ordinal, or a zero-terminated text.
TResId ReadResId(BinaryReader& header) {
  const std::size_t start = header.Offset();
  if (header.ReadU16LE() == 0xFFFF) return TResId::FromOrdinal(header.ReadU16LE());
  header.Seek(start);
  return TResId::FromName(header.ReadUtf16Z());
}

// The whole file in one read: a file shortened by another program while we
// hold it could not pull memory away under us, as it could under a mapping.
// Anything but a regular file of at most kMaxSourceFileSize bytes is refused
// before it is read.
std::string ReadWholeFile(const std::string& fileName) {
  try {
    return platform::ReadRegularFile(fileName);
  } catch (const EFOpenError& e) {
    throw EResError(Format(SResCouldntOpen, fileName), e.Location());
  }
}

}  // namespace

TResReader::TResReader(const std::string& fileName) : fileName_(fileName), image_(ReadWholeFile(fileName)) {
  ListEntries();
}

TResReader::TResReader(std::string fileName, std::string image)
    : fileName_(std::move(fileName)), image_(std::move(image)) {
  ListEntries();
}

const TResEntry* TResReader::Entries(int index) const {
  if (index < 0 || index >= entries_.Count()) return nullptr;
  return entries_.Items(index);
}

void TResReader::ListEntries() {
  BinaryReader file(image_);
  const std::uint64_t fileSize = file.Size();
  // A 16-bit resource file starts with the 0xFF of its ordinal type; read as
  // the 32-bit format it would give nonsense.
  if (fileSize > 0 && file.ReadU8() == 0xFF)
    throw EResError(SResInvalidFileFormat, "a 16-bit resource file, not the 32-bit format");

  for (std::uint64_t offset = kMarkerSize; offset < fileSize;) {
    ThrowIfStopRequested();  // once an entry: a cancel ends a large file here
    const std::uint64_t left = fileSize - offset;
    if (left < kSizeFieldsSize)
      RaiseInvalid(offset, Format("%llu bytes after the last entry", static_cast<unsigned long long>(left)));
    file.Seek(static_cast<std::size_t>(offset));
    auto entry = std::make_unique<TResEntry>();
    entry->Offset = offset;
    entry->DataSize = file.ReadU32LE();
    entry->HeaderSize = file.ReadU32LE();
    if (entry->HeaderSize > left)
      RaiseInvalid(offset, Format("header size %u reaches past the end of the file (%llu bytes left)",
                                  entry->HeaderSize, static_cast<unsigned long long>(left)));
    if (entry->DataSize > left - entry->HeaderSize)
      RaiseInvalid(offset, Format("data size %u reaches past the end of the file (%llu bytes left after the header)",
                                  entry->DataSize, static_cast<unsigned long long>(left - entry->HeaderSize)));

    file.Seek(static_cast<std::size_t>(offset));
    BinaryReader header = file.SubReader(entry->HeaderSize);
    try {
      header.Seek(kSizeFieldsSize);
      entry->ResType = ReadResId(header);
      // A named type is padded so that the name starts on a 4-byte boundary;
      // the entry itself starts on one, so header offsets align like file offsets.
      header.Seek(static_cast<std::size_t>(AlignUp4(header.Offset())));
      entry->ResName = ReadResId(header);
    } catch (const EReadError&) {
      RaiseInvalid(offset, Format("its type and name do not fit in its header size %u", entry->HeaderSize));
    }
    entry->Data = file.ReadBytes(entry->DataSize);
    entries_.Add(std::move(entry));
    // The header holds at least the sizes, a type and a name, so the walk always advances.
    offset = AlignUp4(file.Offset());
  }
}

}  // namespace sw
