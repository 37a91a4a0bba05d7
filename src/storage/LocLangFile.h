// The language file (.lng): one language column of a translation storage
// with the library's numbering counters, plain or wrapped in the LZQ
// compressed container.
//
// Layout (little-endian): signature 4C 46, u16 version (1..7), i32 revision,
// [i32 build, v5+], u16 language id, [u16 reserved, v3+], the English
// language name (ANSI) and the native name (wide), both with a u16 length
// prefix, u16 is-native, [u16 reserved, v2+], i32 last constant id, i32 last
// property id, [i32 last external item id, v7]; then the units with their
// constants, the forms with their own properties and their components'
// properties, and, in version 7, the external groups with their items.
// Strings after the header carry the length prefix of the file's version
// (LocCommon.h). Counts are u16.
//
// `TLangFileReader` is the one parser of that layout: it checks every read
// against the end of the data and hands each record to a `TLangFileVisitor`.
// The storage loader and the `dump` command are both built on it.
//
// The item counters (last constant, property and external item id) belong
// to the storage: a native load raises the storage's counters to the
// header's and to every id it reads, and every save writes the storage's
// counters, in the native file and in each translation file alike.
//
// Saving writes the whole file into memory first and then replaces the file
// atomically (temporary file in the same folder, renamed over the old one),
// so a failure never leaves a truncated or half-written language file. A
// list of more than 65535 entries or a string too long for the version
// raises ELangFileError before anything is written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "runtime/BinaryReader.h"
#include "storage/LocStorage.h"

namespace sw {

inline constexpr std::uint16_t LangFileSignature = 0x464C;
inline constexpr std::uint16_t LangFileVersion = 7;

// Load flags of `TLangFile::LoadStorage`.
inline constexpr int lfFindByName = 1;  // column load: match entries by their names
inline constexpr int lfRenumber = 2;    // native load: renumber ids already in use

struct TLangFileHeader {
  std::uint16_t Version = LangFileVersion;
  std::int32_t Revision = 0;
  std::int32_t Build = 0;
  LANGID LangId = 0;
  std::uint16_t ReservedA = 0;
  std::string LangName;
  std::u16string NativeName;
  bool IsNative = false;
  std::uint16_t ReservedB = 0;
  std::int32_t LastConstantId = 0;
  std::int32_t LastPropertyId = 0;
  std::int32_t LastExtItemId = 0;
};

// One item entry as the file stores it. `Text` is the value as text: a
// number payload in decimal, "" for a kind without payload.
struct TLangFileEntry {
  std::string Name;
  std::uint16_t Status = 0;
  std::uint16_t StringId = 0;  // constants only
  std::int32_t ItemId = 0;
  std::uint8_t Kind = vkString;  // properties carry their own; others are strings
  std::u16string Text;
  bool HasPayload = true;  // false: the kind has no payload in this version
  std::int32_t Revision = 0;
  std::uint64_t Stamp = 0;
};

class TLangFileVisitor {
 public:
  virtual ~TLangFileVisitor() = default;
  virtual void Header(const TLangFileHeader& header) { (void)header; }
  virtual void Unit(const std::string& name, std::uint16_t attributes) = 0;
  virtual void Constant(const TLangFileEntry& entry) = 0;
  virtual void UnitsDone() {}
  virtual void Form(const std::string& name, std::uint16_t attributes) = 0;
  // Properties that follow belong to this component until the next one or
  // the next form; those before the first component are the form's own.
  virtual void Component(const std::string& name, std::uint16_t attributes) = 0;
  virtual void Property(const TLangFileEntry& entry) = 0;
  virtual void FormsDone() {}
  virtual void ExtGroup(const std::string& name, std::uint16_t attributes) = 0;
  virtual void ExtItem(const TLangFileEntry& entry) = 0;
  virtual void ExtGroupsDone() {}
};

class TLangFileReader {
 public:
  // `stream` holds the plain (expanded) layout from its position; `fileName`
  // names the data in error messages. The stream's position is not moved.
  TLangFileReader(TStream& stream, std::string fileName);
  // Reads bytes in memory, which must outlive the reader.
  TLangFileReader(std::span<const std::uint8_t> bytes, std::string fileName);

  // Reads and checks the header; raises ELangFileError "Invalid file
  // format" or the newer-version message, EReadError when the data ends.
  TLangFileHeader ReadHeader();
  // Reads the header and the whole body, reporting every record.
  void Read(TLangFileVisitor& visitor);
  // Offset of the next byte to be read.
  std::uint64_t Position() const { return reader_.Position(); }

 private:
  void ReadEntry(int version, bool isConstant, bool isProperty, TLangFileEntry& entry);
  [[noreturn]] void RaiseReadError(std::uint64_t offset) const;

  std::unique_ptr<TStreamBytes> bytes_;  // when reading a stream
  BinaryReader reader_;
  std::string fileName_;
};

// Expands `data` when it is an LZQ container; returns whether it was.
bool ExpandIfCompressed(TMemoryStream& data);

class TLangFile {
 public:
  // Reads the header of an existing file. A file that cannot be opened for
  // writing (another process holds it) is opened read-only. The file's bytes
  // are kept until the first `LoadStorage`, which uses them when the file is
  // unchanged on disk, so that a pass reads its language file once.
  TLangFile(std::string fileName, bool readOnly);
  virtual ~TLangFile();
  TLangFile(const TLangFile&) = delete;
  TLangFile& operator=(const TLangFile&) = delete;

  std::string FileName;
  std::uint16_t Version = LangFileVersion;
  std::int32_t Revision = 0;
  std::int32_t Build = 0;
  LANGID LangId = 0;
  std::uint16_t ReservedA = 0;
  std::uint16_t ReservedB = 0;
  std::string LangName;
  std::u16string NativeName;
  bool IsNative = false;
  bool ReadOnly = false;
  bool Compressed = false;

  // Reads the header from the start of `stream` (expanding it first when it
  // is compressed); with `parseOnly` the fields are checked, not stored.
  // Returns the position after the header in the plain data.
  std::int64_t ReadHeader(TStream& stream, bool parseOnly);
  // Column < 0: native load (the storage's trees are cleared first).
  void LoadStorage(TLocStorage* storage, int column, int flags);
  // Loads from data already in memory (plain or compressed).
  void LoadStorageFromStream(TLocStorage* storage, int column, int flags, TStream& data);
  void SaveStorage(const TLocStorage* storage, int column, bool useNativeRevision);
  // The file image `SaveStorage` writes (compressed when `Compressed`).
  std::string BuildImage(const TLocStorage* storage, int column, bool useNativeRevision);
  // The same into `out`, sized first for an image of about `expectedSize`
  // bytes (0: unknown).
  void BuildImageInto(TMemoryStream& out, const TLocStorage* storage, int column, bool useNativeRevision,
                      std::size_t expectedSize);

  void SetRevision(std::int32_t n);
  void SetLangId(LANGID id) { LangId = id; }
  void SetLangName(std::string name) { LangName = std::move(name); }
  void SetNativeName(std::u16string name) { NativeName = std::move(name); }
  void SetIsNative(bool native) { IsNative = native; }

  // Raises ELangFileError "Can not open language file exclusively".
  void Lock();
  void Unlock();
  bool IsLocked() const { return lock_ && lock_->IsOpen(); }

 private:
  // The bytes read by the constructor and what the file looked like then.
  struct TFileImage {
    TMemoryStream Bytes;
    std::uintmax_t Size = 0;
    std::filesystem::file_time_type Time;
  };

  void StoreHeader(const TLangFileHeader& header);
  void ReadHeaderFrom(TMemoryStream& raw);
  // Loads the whole file `raw` (plain or compressed).
  void LoadStorageFromImage(TLocStorage* storage, int column, int flags, TMemoryStream& raw);
  void WriteHeader(TStream& stream, const TLocStorage& storage) const;
  // The kept image when the file on disk still matches it; dropped either way.
  std::unique_ptr<TFileImage> TakeImage();
  std::unique_ptr<platform::NativeFile> lock_;
  std::unique_ptr<TFileImage> image_;
};

// Opens the column of translation language `langId` in a storage holding
// the native column, the one way the run, the exchange and the coverage do
// it: a new column whose values are copies of the native texts, unset
// (revision -1) and recoded from the native language's code page to
// `langId`'s (never to the machine's, which would garble them for good),
// into which `file`, when given, is loaded. Returns the column. The file's
// errors pass through.
int OpenLanguageColumn(TLocStorage& storage, LANGID langId, TLangFile* file);

}  // namespace sw
