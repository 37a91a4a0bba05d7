// The processing run's per-file cache: for each input file the run read, its
// size, modification time and content hash, with what reading it yielded (a
// result in the byte form its file kind gives it). A later run takes that
// result instead of parsing a file again when the file is unchanged: when
// its size and time are those kept (and the time was older than the run
// that kept them), or else when its content hash is. A file whose time
// changed but whose content did not thus costs a read and a hash only.
//
// The cache is one file beside the library's language files,
// "<ShortName>.cache", in a binary format of its own (below), written whole
// to a temporary file and renamed over the old one. It is an optimisation
// only: it is read as hostile input, and a file that is missing, of another
// version, or damaged anywhere (its checksum covers every byte) is ignored
// and replaced by the next save. Each entry carries a key of the settings
// its result depends on (the kind, the pass, the language, the library's
// rules), so a result is never taken under other settings, and the results
// of two libraries reading one folder never mix.
//
// It needs neither SQLite nor the translation memory: every build has it.
//
// The format: "SWCACHE\0", version (u32), the time the writing run started
// (i64, ns since 1970), the entry count (u32), the entries, and the XXH3
// hash of everything before it (u64). An entry: path (u32 length, bytes),
// key (u64), size (u64), time (i64, ns), content hash (u64), result (u32
// length, bytes). Little endian throughout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sw {

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

class TFileCache {
 public:
  struct TEntry {
    std::uint64_t Key = 0;
    TFileStamp Stamp;
    std::uint64_t Hash = 0;
    std::shared_ptr<const std::string> Result;  // shared by the entry read and the one kept
  };

  // The cache file of the library `shortName` writing to `destDir`.
  static std::string DefaultFileName(const std::string& destDir, const std::string& shortName);

  // Starts a run: the entries of `fileName`, when it holds a sound cache;
  // none otherwise. Never raises for what the file holds. True when the file
  // was read; false when it is missing or was refused.
  bool Load(const std::string& fileName);
  // Takes the entries from bytes already read (what Load does after reading).
  bool LoadBytes(std::string_view bytes);

  // The entry loaded for the file at `path` under `key`; null when none.
  // Safe on several threads at once while nothing is kept or loaded.
  const TEntry* Find(const std::string& path, std::uint64_t key) const;
  // Whether `stamp` alone vouches for `entry`: the same size and time, the
  // time older than the start of the run that kept the entry (a file
  // changed within the same tick of the clock as it was read shows the
  // same time).
  bool StampVouches(const TEntry& entry, const TFileStamp& stamp) const;

  // Keeps an entry for the next save, replacing one of the same path and key.
  void Keep(const std::string& path, TEntry entry);
  std::size_t KeptCount() const { return kept_.size(); }
  // Whether the entries kept differ from those loaded: a cache that would
  // say the same again need not be written.
  bool Changed() const;

  // The bytes of a cache holding the entries kept, and their save (a
  // temporary file renamed over `fileName`); Save raises what writing raises.
  std::string KeptBytes() const;
  void Save(const std::string& fileName) const;

 private:
  using TMap = std::unordered_map<std::string, TEntry>;
  static std::string MapKey(const std::string& path, std::uint64_t key);

  TMap loaded_;
  TMap kept_;
  std::int64_t loadedStart_ = 0;  // when the run that wrote the loaded file started
  std::int64_t start_ = 0;        // when this run started (Load)
};

}  // namespace sw
