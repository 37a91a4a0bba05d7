// The processing run's per-file cache: for each input file the run read, its
// size, modification time and content hash, with what reading it yielded (a
// result in the byte form its file kind gives it). A later run takes that
// result instead of parsing a file again when the file is unchanged: when
// its size and time are those kept (and the time was older than the run
// that kept them), or else when its content hash is. A file whose time
// changed but whose content did not thus costs a read and a hash only.
//
// The cache is one file beside the library's language files,
// "<ShortName>.cache", in a binary format of its own (below). Neither side
// of a run holds the results in memory: loading reads the index only, and a
// result is read from the file when a reader asks for it; a result made in
// this run goes to the new file as it is kept, and the save copies the
// results taken from the old file, adds the index and renames the new file
// over the old one. The new file is a temporary file beside the cache, named,
// locked and cleaned up as every replaced file's (platform's
// ReplacementFile): two runs at once each write their own, and one a killed
// run left is removed by a later save. A run that stops before its save
// removes the new file and leaves the old one. A run that kept nothing but
// what it loaded writes nothing.
//
// It is an optimisation only: it is read as hostile input. A file that is
// missing, of another version, or whose header or index is damaged (their
// checksum covers every byte of them) is ignored and replaced by the next
// save; a result whose bytes are not those its index entry hashed is not
// taken (its file is parsed again). Each entry carries a key of the settings
// its result depends on (the kind, the pass, the language, the library's
// rules), so a result is never taken under other settings, and the results
// of two libraries reading one folder never mix.
//
// It needs neither SQLite nor the translation memory: every build has it.
//
// The format, little endian throughout: "SWCACHE\0", version (u32), the
// time the writing run started (i64, ns since 1970); the results, back to
// back; the index: the entry count (u32), the entries; then the index's
// offset (u64) and the checksum (u64, XXH3 of the header, the index and the
// offset). An entry: path (u32 length, bytes), key (u64), size (u64), time
// (i64, ns), content hash (u64), the result's offset (u64), length (u32)
// and hash (u64, XXH3).
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace sw {

namespace platform {
class ReplacementFile;
}

// What a file's size and time are, as the file system tells them.
struct TFileStamp {
  std::uint64_t Size = 0;
  std::int64_t Time = 0;  // last modification, ns since 1970
  bool operator==(const TFileStamp&) const = default;
};

// The stamp of the file at `path`; false when the system tells none.
bool FileStampOf(const std::string& path, TFileStamp& stamp);

// The content hash the cache keeps (XXH3, 64 bits).
std::uint64_t ContentHash(std::string_view bytes);

// A key over settings: each part hashed in turn, its length included so
// that ("ab", "c") and ("a", "bc") differ.
class TCacheKey {
 public:
  TCacheKey& Add(std::string_view part);
  TCacheKey& Add(std::uint64_t number);
  std::uint64_t Value() const { return value_; }

 private:
  std::uint64_t value_ = 0x5357434143484531ull;
};

// The checksum a cache file ends with, over its header (the first 20 bytes),
// its index and the index's offset.
std::uint64_t CacheChecksum(std::string_view header, std::string_view index, std::uint64_t indexOffset);

class TFileCache {
 public:
  struct TEntry {
    std::uint64_t Key = 0;
    TFileStamp Stamp;
    std::uint64_t Hash = 0;
    // Where the result lies in the loaded cache, and its hash.
    std::uint64_t Offset = 0;
    std::uint32_t Length = 0;
    std::uint64_t ResultHash = 0;
  };

  TFileCache();
  ~TFileCache();  // removes an unsaved new file
  TFileCache(const TFileCache&) = delete;
  TFileCache& operator=(const TFileCache&) = delete;

  // The cache file of the library `shortName` writing to `destDir`.
  static std::string DefaultFileName(const std::string& destDir, const std::string& shortName);

  // Starts a run whose cache is `fileName`: the index of that file, when it
  // holds a sound one; none otherwise. Never raises for what the file holds.
  // True when the file was read; false when it is missing or was refused.
  // Results kept from now on go to the new file beside it, which Save
  // renames over it.
  bool Load(const std::string& fileName);
  // Takes a cache from bytes already in memory; results kept go to memory
  // too, and KeptBytes gives the cache they make (for tests and fuzzing).
  bool LoadBytes(std::string_view bytes);

  // The entry loaded for the file at `path` under `key`; null when none.
  // Safe on several threads at once while nothing is kept or loaded.
  const TEntry* Find(const std::string& path, std::uint64_t key) const;
  // The result of a loaded entry, read from the loaded cache; false when it
  // cannot be read or its bytes are not those hashed. Safe on several
  // threads at once, as Find.
  bool ReadResult(const TEntry& entry, std::string& result) const;
  // Whether `stamp` alone vouches for `entry`: the same size and time, the
  // time older than the start of the run that kept the entry (a file
  // changed within the same tick of the clock as it was read shows the
  // same time).
  bool StampVouches(const TEntry& entry, const TFileStamp& stamp) const { return StampVouches(entry.Stamp, stamp); }
  // The same for a stamp kept with a result (a file it was made from).
  bool StampVouches(const TFileStamp& kept, const TFileStamp& stamp) const;

  // Keeps an entry with a result made in this run, replacing one of the same
  // path and key: the result is written out now (the entry's own place and
  // hash are set by this). A failing write only means the save is skipped.
  void Keep(const std::string& path, const TEntry& entry, std::string_view result);
  // Keeps an entry whose result is a loaded one (`entry`'s place and hash
  // are those of the loaded cache), with the stamp and hash of now.
  void KeepLoaded(const std::string& path, const TEntry& entry);
  std::size_t KeptCount() const { return kept_.size(); }
  // Whether the entries kept differ from those loaded: a cache that would
  // say the same again need not be written.
  bool Changed() const;

  // Finishes the new file (the loaded results kept are copied into it, the
  // index added) and renames it over the loaded file; raises what writing
  // raises, and leaves the old file then. Only after Load.
  void Save();
  // The bytes of a cache holding the entries kept, after LoadBytes (or with
  // nothing loaded).
  std::string KeptBytes();

 private:
  struct TKept {
    TEntry Entry;
    bool New = false;  // its result is in the new file, not the loaded one
  };
  using TMap = std::unordered_map<std::string, TEntry>;
  static std::string MapKey(const std::string& path, std::uint64_t key);
  bool LoadIndex(std::uint64_t size);
  bool ReadAt(std::uint64_t offset, std::size_t length, std::string& out) const;
  bool Write(std::string_view bytes);
  bool OpenNew();
  // The index of what is kept, the loaded results copied first.
  bool FinishNew(std::string& index);
  void DropNew();

  TMap loaded_;
  std::unordered_map<std::string, TKept> kept_;
  std::int64_t loadedStart_ = 0;  // when the run that wrote the loaded file started
  std::int64_t start_ = 0;        // when this run started (Load)
  bool changed_ = false;          // a result made in this run was kept

  // The loaded cache: a file read where asked, or bytes in memory.
  std::string fileName_;
  mutable std::ifstream in_;
  mutable std::mutex inMutex_;
  std::string bytes_;
  bool inMemory_ = false;

  // The new cache: a file or bytes in memory, and how much of it is written.
  std::unique_ptr<platform::ReplacementFile> out_;
  std::string outBytes_;
  std::string outHeader_;
  std::uint64_t outSize_ = 0;
  bool outOpen_ = false;
  bool outFailed_ = false;
};

}  // namespace sw
