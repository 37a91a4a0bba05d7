// Byte streams: the abstract `TStream` with a memory and a file implementation.
// A short read through `ReadBuffer` raises EReadError "Stream read error"; a
// short write through `WriteBuffer` raises EWriteError. Files are opened through
// the platform layer, which maps the Windows share modes onto advisory locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace sw {

enum class SeekOrigin { Beginning, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to `count` bytes; returns how many were read (0 at the end).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes up to `count` bytes; returns how many were written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
  virtual void SetSize(std::int64_t newSize) = 0;

  std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(std::int64_t pos) { Seek(pos, SeekOrigin::Beginning); }
  virtual std::int64_t Size();
  std::int64_t Remaining() { return Size() - Position(); }

  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
  // Copies `count` bytes from `source`'s position; a count of 0 copies the
  // whole source from its beginning. Returns the number of bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);

  // Little-endian fixed-size values.
  std::uint8_t ReadU8();
  std::uint16_t ReadU16();
  std::uint32_t ReadU32();
  std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
  std::uint64_t ReadU64();
  std::string ReadBytes(std::size_t count);
  void WriteU8(std::uint8_t v);
  void WriteU16(std::uint16_t v);
  void WriteU32(std::uint32_t v);
  void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
  void WriteU64(std::uint64_t v);
  void WriteBytes(const std::string& bytes) { WriteBuffer(bytes.data(), bytes.size()); }
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
  explicit TMemoryStream(const std::string& bytes) : data_(bytes.begin(), bytes.end()) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

  void Clear() { data_.clear(); pos_ = 0; }
  const std::uint8_t* Memory() const { return data_.data(); }
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::vector<std::uint8_t>& Data() { return data_; }
  std::string AsString() const { return std::string(data_.begin(), data_.end()); }
  void LoadFromStream(TStream& source);
  // Reads a regular file of at most platform::kMaxSourceFileSize bytes;
  // raises EFOpenError naming it otherwise (see platform::ReadRegularFile).
  void LoadFromFile(const std::string& fileName);
  void SaveToStream(TStream& dest) const;
  // Replaces the file atomically: written to a temporary file, then renamed.
  void SaveToFile(const std::string& fileName) const;

 private:
  std::vector<std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// Open modes, as combined flags: one access mode and one share mode.
enum : std::uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,  // create or truncate, read/write, exclusive
};

class TFileStream : public TStream {
 public:
  // Raises EFOpenError "Cannot open file %s" (EFCreateError for fmCreate).
  TFileStream(const std::string& fileName, std::uint16_t mode);
  ~TFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  platform::NativeFile file_;
};

}  // namespace sw
