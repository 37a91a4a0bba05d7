// The run's per-file cache; see FileCache.h.
#include "memory/FileCache.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "base/ByteRecord.h"
#include "base/Exceptions.h"
#include "platform/FileSystem.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace sw {

namespace {

constexpr std::string_view kMagic{"SWCACHE\0", 8};
constexpr std::uint32_t kVersion = 1;
// Fewest bytes an entry takes: its numbers and two empty texts.
constexpr std::size_t kMinEntryBytes = 4 + 8 + 8 + 8 + 8 + 4;
// A stamp vouches only for files older than the run that read them by this
// much: the coarsest clock a file system keeps times with (two seconds).
constexpr std::int64_t kClockTick = 2'000'000'000;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

bool FileStampOf(const std::string& path, TFileStamp& stamp) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path file(std::u8string(path.begin(), path.end()));
  const auto size = fs::file_size(file, error);
  if (error) return false;
  const auto time = fs::last_write_time(file, error);
  if (error) return false;
  const auto since =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::file_clock::to_sys(time).time_since_epoch());
  stamp.Size = static_cast<std::uint64_t>(size);
  stamp.Time = since.count();
  return true;
}

std::uint64_t ContentHash(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

TCacheKey& TCacheKey::Add(std::string_view part) {
  value_ = XXH3_64bits_withSeed(part.data(), part.size(), value_ ^ part.size());
  return *this;
}

TCacheKey& TCacheKey::Add(std::uint64_t number) {
  std::string bytes;
  PutU64(bytes, number);
  return Add(bytes);
}

std::string TFileCache::DefaultFileName(const std::string& destDir, const std::string& shortName) {
  return JoinPath(destDir, shortName + ".cache");
}

std::string TFileCache::MapKey(const std::string& path, std::uint64_t key) {
  std::string mapKey;
  mapKey.reserve(path.size() + 9);
  PutU64(mapKey, key);
  mapKey += path;
  return mapKey;
}

bool TFileCache::Load(const std::string& fileName) {
  loaded_.clear();
  kept_.clear();
  start_ = NowNs();
  if (!platform::FileExists(fileName)) return false;
  std::string bytes;
  try {
    bytes = platform::ReadFileBytes(fileName);
  } catch (const Exception&) {
    return false;  // an unreadable cache is no cache
  }
  return LoadBytes(bytes);
}

bool TFileCache::LoadBytes(std::string_view bytes) {
  loaded_.clear();
  if (start_ == 0) start_ = NowNs();
  if (bytes.size() < kMagic.size() + 8 || bytes.substr(0, kMagic.size()) != kMagic) return false;
  const std::string_view body = bytes.substr(0, bytes.size() - 8);
  TByteReader tail(bytes.substr(bytes.size() - 8));
  std::uint64_t checksum = 0;
  if (!tail.U64(checksum) || checksum != ContentHash(body)) return false;

  TByteReader in(body.substr(kMagic.size()));
  std::uint32_t version = 0, count = 0;
  std::int64_t started = 0;
  if (!in.U32(version) || version != kVersion || !in.I64(started) || !in.U32(count)) return false;
  if (count > in.Left() / kMinEntryBytes) return false;
  TMap entries;
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string path, result;
    TEntry entry;
    if (!in.Text(path) || !in.U64(entry.Key) || !in.U64(entry.Stamp.Size) || !in.I64(entry.Stamp.Time) ||
        !in.U64(entry.Hash) || !in.Text(result))
      return false;
    entry.Result = std::make_shared<const std::string>(std::move(result));
    entries.insert_or_assign(MapKey(path, entry.Key), std::move(entry));
  }
  if (in.Left() != 0) return false;
  loaded_ = std::move(entries);
  loadedStart_ = started;
  return true;
}

const TFileCache::TEntry* TFileCache::Find(const std::string& path, std::uint64_t key) const {
  const auto it = loaded_.find(MapKey(path, key));
  return it == loaded_.end() ? nullptr : &it->second;
}

bool TFileCache::StampVouches(const TEntry& entry, const TFileStamp& stamp) const {
  return entry.Stamp == stamp && stamp.Time < loadedStart_ - kClockTick;
}

void TFileCache::Keep(const std::string& path, TEntry entry) {
  kept_.insert_or_assign(MapKey(path, entry.Key), std::move(entry));
}

bool TFileCache::Changed() const {
  if (kept_.size() != loaded_.size()) return true;
  for (const auto& [mapKey, entry] : kept_) {
    const auto it = loaded_.find(mapKey);
    if (it == loaded_.end() || it->second.Stamp != entry.Stamp || it->second.Hash != entry.Hash) return true;
  }
  return false;
}

std::string TFileCache::KeptBytes() const {
  std::string out(kMagic);
  PutU32(out, kVersion);
  PutU64(out, static_cast<std::uint64_t>(start_ != 0 ? start_ : NowNs()));
  PutU32(out, static_cast<std::uint32_t>(kept_.size()));
  for (const auto& [mapKey, entry] : kept_) {
    PutText(out, std::string_view(mapKey).substr(8));
    PutU64(out, entry.Key);
    PutU64(out, entry.Stamp.Size);
    PutU64(out, static_cast<std::uint64_t>(entry.Stamp.Time));
    PutU64(out, entry.Hash);
    PutText(out, entry.Result ? std::string_view(*entry.Result) : std::string_view());
  }
  PutU64(out, ContentHash(out));
  return out;
}

void TFileCache::Save(const std::string& fileName) const { platform::WriteFileAtomic(fileName, KeptBytes()); }

}  // namespace sw
