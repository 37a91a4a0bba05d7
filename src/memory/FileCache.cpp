// The run's per-file cache; see FileCache.h.
#include "memory/FileCache.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/ByteRecord.h"
#include "base/Exceptions.h"
#include "platform/FileSystem.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace sw {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic{"SWCACHE\0", 8};
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kHeaderBytes = 8 + 4 + 8;
constexpr std::size_t kTrailerBytes = 8 + 8;
// Fewest bytes an entry takes: its numbers and an empty path.
constexpr std::size_t kMinEntryBytes = 4 + 8 + 8 + 8 + 8 + 8 + 4 + 8;
// An index larger than this is no index the run wrote (a million files
// with long paths take a fraction of it).
constexpr std::uint64_t kMaxIndexBytes = std::uint64_t{1} << 30;
// A stamp vouches only for files older than the run that read them by this
// much: the coarsest clock a file system keeps times with (two seconds).
constexpr std::int64_t kClockTick = 2'000'000'000;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

}  // namespace

bool FileStampOf(const std::string& path, TFileStamp& stamp) {
  std::error_code error;
  const fs::path file = PathOf(path);
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

std::uint64_t CacheChecksum(std::string_view header, std::string_view index, std::uint64_t indexOffset) {
  std::string signedBytes;
  signedBytes.reserve(header.size() + index.size() + 8);
  signedBytes += header;
  signedBytes += index;
  PutU64(signedBytes, indexOffset);
  return ContentHash(signedBytes);
}

TFileCache::TFileCache() = default;

TFileCache::~TFileCache() { DropNew(); }

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
  DropNew();
  loaded_.clear();
  kept_.clear();
  changed_ = false;
  if (in_.is_open()) in_.close();
  bytes_.clear();
  inMemory_ = false;
  fileName_ = fileName;
  start_ = NowNs();
  std::error_code error;
  const fs::path path = PathOf(fileName);
  if (!fs::is_regular_file(path, error)) return false;
  in_.clear();
  in_.open(path, std::ios::binary);
  if (!in_) return false;
  in_.seekg(0, std::ios::end);
  const std::streamoff size = in_.tellg();
  if (size < 0 || !LoadIndex(static_cast<std::uint64_t>(size))) {
    loaded_.clear();
    in_.close();
    return false;
  }
  return true;
}

bool TFileCache::LoadBytes(std::string_view bytes) {
  DropNew();
  loaded_.clear();
  kept_.clear();
  changed_ = false;
  if (in_.is_open()) in_.close();
  fileName_.clear();
  inMemory_ = true;
  bytes_.assign(bytes);
  if (start_ == 0) start_ = NowNs();
  if (!LoadIndex(bytes_.size())) {
    loaded_.clear();
    return false;
  }
  return true;
}

bool TFileCache::ReadAt(std::uint64_t offset, std::size_t length, std::string& out) const {
  if (inMemory_) {
    if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
    out.assign(bytes_, static_cast<std::size_t>(offset), length);
    return true;
  }
  std::lock_guard lock(inMutex_);
  if (!in_.is_open()) return false;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  out.resize(length);
  in_.read(out.data(), static_cast<std::streamsize>(length));
  return in_.gcount() == static_cast<std::streamsize>(length);
}

bool TFileCache::LoadIndex(std::uint64_t size) {
  if (size < kHeaderBytes + kTrailerBytes) return false;
  std::string header, trailer;
  if (!ReadAt(0, kHeaderBytes, header) || header.compare(0, kMagic.size(), kMagic) != 0) return false;
  TByteReader head(std::string_view(header).substr(kMagic.size()));
  std::uint32_t version = 0;
  std::int64_t started = 0;
  if (!head.U32(version) || version != kVersion || !head.I64(started)) return false;
  if (!ReadAt(size - kTrailerBytes, kTrailerBytes, trailer)) return false;
  TByteReader tail(trailer);
  std::uint64_t indexOffset = 0, checksum = 0;
  if (!tail.U64(indexOffset) || !tail.U64(checksum)) return false;
  if (indexOffset < kHeaderBytes || indexOffset > size - kTrailerBytes) return false;
  const std::uint64_t indexBytes = size - kTrailerBytes - indexOffset;
  if (indexBytes > kMaxIndexBytes) return false;
  std::string index;
  if (!ReadAt(indexOffset, static_cast<std::size_t>(indexBytes), index)) return false;
  if (checksum != CacheChecksum(header, index, indexOffset)) return false;

  TByteReader in(index);
  std::uint32_t count = 0;
  if (!in.U32(count) || count > in.Left() / kMinEntryBytes) return false;
  TMap entries;
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string path;
    TEntry entry;
    if (!in.Text(path) || !in.U64(entry.Key) || !in.U64(entry.Stamp.Size) || !in.I64(entry.Stamp.Time) ||
        !in.U64(entry.Hash) || !in.U64(entry.Offset) || !in.U32(entry.Length) || !in.U64(entry.ResultHash))
      return false;
    // A result lies between the header and the index.
    if (entry.Offset < kHeaderBytes || entry.Offset > indexOffset || entry.Length > indexOffset - entry.Offset)
      return false;
    entries.insert_or_assign(MapKey(path, entry.Key), entry);
  }
  if (!in.AtEnd()) return false;
  loaded_ = std::move(entries);
  loadedStart_ = started;
  return true;
}

const TFileCache::TEntry* TFileCache::Find(const std::string& path, std::uint64_t key) const {
  const auto it = loaded_.find(MapKey(path, key));
  return it == loaded_.end() ? nullptr : &it->second;
}

bool TFileCache::ReadResult(const TEntry& entry, std::string& result) const {
  return ReadAt(entry.Offset, entry.Length, result) && ContentHash(result) == entry.ResultHash;
}

bool TFileCache::StampVouches(const TFileStamp& kept, const TFileStamp& stamp) const {
  return kept == stamp && stamp.Time < loadedStart_ - kClockTick;
}

bool TFileCache::OpenNew() {
  if (outOpen_) return !outFailed_;
  outOpen_ = true;
  outFailed_ = false;
  outBytes_.clear();
  outSize_ = 0;
  if (!inMemory_ && !fileName_.empty()) {
    try {
      out_ = std::make_unique<platform::ReplacementFile>(fileName_);
    } catch (const Exception&) {
      outFailed_ = true;
      return false;
    }
  }
  outHeader_.assign(kMagic);
  PutU32(outHeader_, kVersion);
  PutU64(outHeader_, static_cast<std::uint64_t>(start_ != 0 ? start_ : NowNs()));
  return Write(outHeader_);
}

bool TFileCache::Write(std::string_view bytes) {
  if (outFailed_) return false;
  if (inMemory_ || fileName_.empty()) {
    outBytes_ += bytes;
  } else {
    try {
      out_->Write(bytes);
    } catch (const Exception&) {
      outFailed_ = true;
      return false;
    }
  }
  outSize_ += bytes.size();
  return true;
}

void TFileCache::DropNew() {
  if (!outOpen_) return;
  out_.reset();  // removes the new file
  outBytes_.clear();
  outBytes_.shrink_to_fit();
  outSize_ = 0;
  outOpen_ = false;
  outFailed_ = false;
}

void TFileCache::Keep(const std::string& path, const TEntry& entry, std::string_view result) {
  OpenNew();
  TKept kept{entry, true};
  kept.Entry.Offset = outSize_;
  kept.Entry.Length = static_cast<std::uint32_t>(result.size());
  kept.Entry.ResultHash = ContentHash(result);
  Write(result);
  kept_.insert_or_assign(MapKey(path, entry.Key), kept);
  changed_ = true;
}

void TFileCache::KeepLoaded(const std::string& path, const TEntry& entry) {
  kept_.insert_or_assign(MapKey(path, entry.Key), TKept{entry, false});
}

bool TFileCache::Changed() const {
  if (changed_ || kept_.size() != loaded_.size()) return true;
  for (const auto& [mapKey, kept] : kept_) {
    const auto it = loaded_.find(mapKey);
    if (kept.New || it == loaded_.end() || it->second.Stamp != kept.Entry.Stamp || it->second.Hash != kept.Entry.Hash)
      return true;
  }
  return false;
}

bool TFileCache::FinishNew(std::string& index) {
  OpenNew();
  std::vector<const std::string*> dropped;
  std::string result;
  for (auto& [mapKey, kept] : kept_) {
    if (kept.New) continue;
    // A loaded result that no longer reads back as hashed is left out.
    if (!ReadResult(kept.Entry, result)) {
      dropped.push_back(&mapKey);
      continue;
    }
    kept.Entry.Offset = outSize_;
    kept.New = true;
    if (!Write(result)) return false;
  }
  for (const std::string* mapKey : dropped) kept_.erase(*mapKey);
  PutU32(index, static_cast<std::uint32_t>(kept_.size()));
  for (const auto& [mapKey, kept] : kept_) {
    const TEntry& entry = kept.Entry;
    PutText(index, std::string_view(mapKey).substr(8));
    PutU64(index, entry.Key);
    PutU64(index, entry.Stamp.Size);
    PutU64(index, static_cast<std::uint64_t>(entry.Stamp.Time));
    PutU64(index, entry.Hash);
    PutU64(index, entry.Offset);
    PutU32(index, entry.Length);
    PutU64(index, entry.ResultHash);
  }
  const std::uint64_t indexOffset = outSize_;
  std::string trailer;
  PutU64(trailer, indexOffset);
  PutU64(trailer, CacheChecksum(outHeader_, index, indexOffset));
  return Write(index) && Write(trailer);
}

void TFileCache::Save() {
  if (inMemory_ || fileName_.empty()) return;
  std::string index;
  if (!FinishNew(index) || !out_) {
    DropNew();
    throw EFCreateError(Format(SFCreateError, fileName_) + ": write failed");
  }
  // Every read is done: the old file is closed so that it can be replaced.
  if (in_.is_open()) in_.close();
  try {
    // A cache lost to a crash costs the next run time only: not flushed.
    out_->Commit(false);
  } catch (const Exception&) {
    DropNew();
    throw;
  }
  out_.reset();
  outOpen_ = false;
}

std::string TFileCache::KeptBytes() {
  if (!inMemory_ && !fileName_.empty()) return {};
  std::string index;
  FinishNew(index);
  std::string bytes = std::move(outBytes_);
  outBytes_.clear();
  outSize_ = 0;
  outOpen_ = false;
  return bytes;
}

}  // namespace sw
