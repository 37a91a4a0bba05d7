#include "runtime/Streams.h"

#include <algorithm>
#include <cstring>

#include "base/Exceptions.h"
#include "runtime/BinaryReader.h"

namespace sw {

std::int64_t TStream::Size() {
  const std::int64_t pos = Seek(0, SeekOrigin::Current);
  const std::int64_t size = Seek(0, SeekOrigin::End);
  Seek(pos, SeekOrigin::Beginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(SWriteError);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)));
  std::int64_t left = count;
  while (left > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= static_cast<std::int64_t>(n);
  }
  return count;
}

std::uint8_t TStream::ReadU8() {
  std::uint8_t v;
  ReadBuffer(&v, 1);
  return v;
}

std::uint16_t TStream::ReadU16() {
  std::uint8_t b[2];
  ReadBuffer(b, 2);
  return LoadLE<std::uint16_t>(b);
}

std::uint32_t TStream::ReadU32() {
  std::uint8_t b[4];
  ReadBuffer(b, 4);
  return LoadLE<std::uint32_t>(b);
}

std::uint64_t TStream::ReadU64() {
  std::uint8_t b[8];
  ReadBuffer(b, 8);
  return LoadLE<std::uint64_t>(b);
}

std::string TStream::ReadBytes(std::size_t count) {
  // Refuse sizes the stream cannot hold before allocating for them.
  if (static_cast<std::int64_t>(count) > Remaining()) throw EReadError(SReadError);
  std::string bytes(count, '\0');
  ReadBuffer(bytes.data(), count);
  return bytes;
}

void TStream::WriteU8(std::uint8_t v) { WriteBuffer(&v, 1); }

void TStream::WriteU16(std::uint16_t v) {
  const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  WriteBuffer(b, 2);
}

void TStream::WriteU32(std::uint32_t v) {
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  WriteBuffer(b, 4);
}

void TStream::WriteU64(std::uint64_t v) {
  WriteU32(static_cast<std::uint32_t>(v));
  WriteU32(static_cast<std::uint32_t>(v >> 32));
}

// --- TStreamBytes ---

TStreamBytes::TStreamBytes(TStream& stream) : origin_(static_cast<std::uint64_t>(std::max<std::int64_t>(stream.Position(), 0))) {
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    const auto& data = memory->Data();
    const std::size_t from = std::min<std::size_t>(static_cast<std::size_t>(origin_), data.size());
    bytes_ = std::span<const std::uint8_t>(data.data() + from, data.size() - from);
    return;
  }
  const std::int64_t left = stream.Remaining();
  copy_.resize(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
  // A stream shorter than its size claims gives what it has.
  std::size_t got = 0;
  while (got < copy_.size()) {
    const std::size_t n = stream.Read(copy_.data() + got, copy_.size() - got);
    if (n == 0) break;
    got += n;
  }
  copy_.resize(got);
  stream.SetPosition(static_cast<std::int64_t>(origin_));
  bytes_ = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(copy_.data()), copy_.size());
}

// --- TMemoryStream ---

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (pos_ >= data_.size()) return 0;
  const std::size_t n = std::min(count, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == SeekOrigin::Current) base = static_cast<std::int64_t>(pos_);
  if (origin == SeekOrigin::End) base = static_cast<std::int64_t>(data_.size());
  const std::int64_t target = base + offset;
  pos_ = target < 0 ? 0 : static_cast<std::size_t>(target);
  return static_cast<std::int64_t>(pos_);
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(newSize, 0)));
  pos_ = std::min(pos_, data_.size());
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t size = source.Size();
  data_.resize(static_cast<std::size_t>(size));
  pos_ = 0;
  source.ReadBuffer(data_.data(), data_.size());
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  const std::string bytes = platform::ReadRegularFile(fileName);
  data_.assign(bytes.begin(), bytes.end());
  pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const { dest.WriteBuffer(data_.data(), data_.size()); }

void TMemoryStream::SaveToFile(const std::string& fileName) const {
  platform::WriteFileAtomic(fileName, std::string_view(reinterpret_cast<const char*>(data_.data()), data_.size()));
}

// --- TFileStream ---

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode) : fileName_(fileName) {
  using platform::FileAccess;
  using platform::FileShare;
  const bool create = mode == fmCreate || (mode & 0xFF00) == 0xFF00;
  FileAccess access = FileAccess::Read;
  FileShare share = FileShare::DenyNone;
  if (create) {
    access = FileAccess::ReadWrite;
    share = FileShare::Exclusive;
  } else {
    switch (mode & 0x000F) {
      case fmOpenWrite: access = FileAccess::Write; break;
      case fmOpenReadWrite: access = FileAccess::ReadWrite; break;
      default: access = FileAccess::Read; break;
    }
    switch (mode & 0x00F0) {
      case fmShareExclusive:
      case fmShareCompat: share = FileShare::Exclusive; break;
      case fmShareDenyWrite: share = FileShare::DenyWrite; break;
      case fmShareDenyRead: share = FileShare::DenyRead; break;
      default: share = FileShare::DenyNone; break;
    }
  }
  if (!file_.Open(fileName, create, access, share)) {
    if (create) throw EFCreateError(Format(SFCreateError, fileName));
    throw EFOpenError(Format(SFOpenError, fileName));
  }
}

TFileStream::~TFileStream() = default;

std::size_t TFileStream::Read(void* buffer, std::size_t count) { return file_.Read(buffer, count); }

std::size_t TFileStream::Write(const void* buffer, std::size_t count) { return file_.Write(buffer, count); }

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  return file_.Seek(offset, static_cast<int>(origin));
}

void TFileStream::SetSize(std::int64_t newSize) {
  if (!file_.Truncate(newSize)) throw EWriteError(SWriteError);
}

}  // namespace sw
