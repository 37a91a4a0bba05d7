// LzqContainer: the LZQ coder. See LzqContainer.h for the stream layout, the match rules and the
// expansion contract. Streams are read and written through chunk buffers so that file streams
// see large reads and writes; the bytes produced are those of the token-by-token algorithm.
#include "compress/LzqContainer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/BinaryReader.h"
#include "util/Messages.h"

namespace sw {

namespace {

constexpr char kMagic[5] = {'L', 'Z', 'Q', '0', '0'};
constexpr std::uint32_t kWindowSize = 2048;
constexpr std::uint32_t kMaxMatch = 18;
constexpr std::uint32_t kMinMatch = 3;
constexpr std::uint32_t kMaxLiterals = 127;
// A match this long is taken without trying older candidates.
constexpr std::uint32_t kGoodEnoughMatch = 8;
constexpr std::size_t kChunkSize = 64 * 1024;

// The input of both directions: the bytes from the source's position to its end, read through
// the one binary reader, never past the stream's end as measured at the start. `Finish` puts the
// stream just behind what was handed out.
class InputReader {
 public:
  explicit InputReader(TStream& stream) : stream_(stream), bytes_(stream), reader_(bytes_.Reader()) {}

  std::int64_t Position() const { return static_cast<std::int64_t>(reader_.Position()); }
  std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.Origin() + reader_.Size()); }
  bool AtEnd() const { return reader_.AtEnd(); }

  // Copies up to `count` bytes; returns how many were available.
  std::size_t Read(std::uint8_t* dest, std::size_t count) {
    const std::size_t n = std::min(count, reader_.Remaining());
    if (n > 0) std::memcpy(dest, reader_.ReadBytes(n).data(), n);
    return n;
  }

  bool ReadByte(std::uint8_t& value) {
    if (reader_.AtEnd()) return false;
    value = reader_.ReadU8();
    return true;
  }

  bool PeekByte(std::uint8_t& value) const {
    if (reader_.AtEnd()) return false;
    value = reader_.PeekU8();
    return true;
  }

  // A little-endian word, or false when fewer than two bytes are left.
  bool ReadWord(std::uint16_t& value) {
    if (reader_.Remaining() < 2) return false;
    value = reader_.ReadU16LE();
    return true;
  }

  // Puts the stream's position where the caller's reading stopped.
  void Finish() { stream_.SetPosition(Position()); }

 private:
  TStream& stream_;
  TStreamBytes bytes_;
  BinaryReader reader_;
};

// Buffered appending to the destination, optionally capped at a number of bytes.
class ChunkWriter {
 public:
  ChunkWriter(TStream& stream, std::int64_t limit) : stream_(stream), limit_(limit) { buffer_.reserve(kChunkSize); }

  void Write(const std::uint8_t* data, std::size_t count) {
    if (limit_ >= 0) count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), limit_ - written_));
    if (buffer_.size() + count > kChunkSize) Flush();
    buffer_.insert(buffer_.end(), data, data + count);
    written_ += static_cast<std::int64_t>(count);
  }
  void WriteByte(std::uint8_t value) { Write(&value, 1); }
  void Flush() {
    stream_.WriteBuffer(buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  std::int64_t Written() const { return written_; }
  bool Full() const { return limit_ >= 0 && written_ >= limit_; }

 private:
  TStream& stream_;
  std::int64_t limit_;
  std::int64_t written_ = 0;
  std::vector<std::uint8_t> buffer_;
};

// Reads n bytes into the ring behind its newest byte (in two pieces at the ring end) and grows
// the window by what was read. Returns the number read.
std::uint32_t ReadFrom(TSlideWindow& window, InputReader& source, std::uint32_t n) {
  const std::uint32_t first = window.PhysIndex(window.Size);
  const std::uint32_t head = std::min(n, window.Capacity - first);
  std::size_t got = source.Read(window.Data.get() + first, head);
  if (got == head && n > head) got += source.Read(window.Data.get(), n - head);
  window.Grow(static_cast<std::uint32_t>(got));
  return static_cast<std::uint32_t>(got);
}

// Writes n bytes starting at a ring index, in two pieces at the ring end.
void WriteRange(const TSlideWindow& window, ChunkWriter& dest, std::uint32_t ringIndex, std::uint32_t n) {
  const std::uint32_t head = std::min(n, window.Capacity - ringIndex);
  dest.Write(window.Data.get() + ringIndex, head);
  if (n > head) dest.Write(window.Data.get(), n - head);
}

// Tops the lookahead up to MaxLookahead from the source.
void Fill(TLZSlideWindow& window, InputReader& source) {
  std::int64_t n = window.MaxLookahead - window.Lookahead();
  n = std::min(n, source.Size() - source.Position());
  if (n <= 0) return;
  // A stream that delivers less than its size claims would otherwise never end the loop.
  if (ReadFrom(window, source, static_cast<std::uint32_t>(n)) != n) throw EReadError(SReadError);
}

}  // namespace

// ---- TSlideWindow ---------------------------------------------------------------------------

TSlideWindow::TSlideWindow(std::uint32_t capacity)
    : Capacity(capacity), Data(std::make_unique<std::uint8_t[]>(capacity)) {}

void TSlideWindow::Grow(std::uint32_t n) {
  Size += n;
  if (Size > Capacity) {
    const std::uint32_t excess = Size - Capacity;
    Start += excess;
    if (Start >= Capacity) Start %= Capacity;
    BaseOffset += excess;
    Size = Capacity;
  }
}

void TSlideWindow::DropFront(std::uint32_t n) {
  Start += n;
  if (Start >= Capacity) Start %= Capacity;
  Size -= n;
}

// ---- TPositionsList -------------------------------------------------------------------------

TPositionsList::TPositionsList(std::uint32_t entries) : TSlideWindow(entries * kEntrySize) {}

std::int64_t TPositionsList::Entry(std::uint32_t k) const {
  std::int64_t p;
  std::memcpy(&p, Data.get() + PhysIndex(k * kEntrySize), sizeof p);
  return p;
}

void TPositionsList::Append(std::int64_t p) {
  std::memcpy(Data.get() + PhysIndex(Size), &p, sizeof p);
  TSlideWindow::Grow(kEntrySize);
}

void TPositionsList::DropOldest(std::uint32_t k) {
  if (Count() >= k) DropFront(k * kEntrySize);
}

// ---- TLZDictionary --------------------------------------------------------------------------

TLZDictionary::TLZDictionary() {
  for (auto& list : Lists) list = std::make_unique<TPositionsList>(kEntriesPerByte);
}

// ---- TLZSlideWindow -------------------------------------------------------------------------

// A reference word holds lengths up to 18, and FindMatch relies on that bound.
TLZSlideWindow::TLZSlideWindow(std::uint32_t capacity, std::uint8_t mode, std::uint32_t maxMatch,
                               std::uint32_t maxLookahead)
    : TSlideWindow(capacity), MaxMatch(std::min(maxMatch, kMaxMatch)), MaxLookahead(maxLookahead), Mode(mode) {
  // Expansion never looks anything up, so only the compressor pays for a dictionary.
  if (mode == ModeCompress) Dictionary = std::make_unique<TLZDictionary>();
}

void TLZSlideWindow::Grow(std::uint32_t n) {
  if (Mode == ModeCompress && Size + n > Capacity) Cursor -= Size + n - Capacity;
  TSlideWindow::Grow(n);
}

void TLZSlideWindow::Consume(std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t index = Cursor + i;
    Dictionary->AddPosition(ByteAt(index), BaseOffset + index);
  }
  Cursor += n;
}

TLZMatch TLZSlideWindow::FindMatch() {
  TLZMatch best;
  const std::uint32_t lookahead = Lookahead();
  if (lookahead < kMinMatch) return best;
  TPositionsList& positions = Dictionary->Positions(ByteAt(Cursor));
  const std::uint32_t limit = std::min(lookahead, MaxMatch);
  std::uint8_t ahead[kMaxMatch];
  for (std::uint32_t i = 0; i < limit; ++i) ahead[i] = ByteAt(Cursor + i);
  for (std::uint32_t k = positions.Count(); k-- > 0;) {
    const std::int64_t p = positions.Entry(k);
    if (p < BaseOffset) {
      // This entry and every older one have left the window.
      positions.DropOldest(k + 1);
      break;
    }
    // Only a strictly longer candidate can replace the best one. Stopping or skipping here
    // changes nothing: entries left unvisited are dropped later if stale, and which stale
    // entries are still held never decides a match.
    if (best.Length >= limit) break;
    const auto r = static_cast<std::uint32_t>(p - BaseOffset);
    if (best.Found && ByteAt(r + best.Length) != ahead[best.Length]) continue;
    std::uint32_t i = 1;
    const std::uint32_t phys = PhysIndex(r);
    if (phys + limit <= Capacity) {
      const std::uint8_t* candidate = Data.get() + phys;
      while (i < limit && candidate[i] == ahead[i]) ++i;
    } else {
      while (i < limit && ByteAt(r + i) == ahead[i]) ++i;
    }
    if (i >= kMinMatch && i > best.Length) {
      best.Found = true;
      best.Length = i;
      best.Offset = Cursor - r;
      if (i > kGoodEnoughMatch) break;
    }
  }
  return best;
}

// ---- TQCompressor ---------------------------------------------------------------------------

void TQCompressor::Compress() {
  if (!SrcStream) throw EQCompressError(SQCompressNoSource);
  if (!DestStream) throw EQCompressError(SQCompressNoDest);
  WriteHeader();
  DoCompress();
}

void TQCompressor::Expand() {
  if (!SrcStream) throw EQCompressError(SQCompressNoSource);
  if (!DestStream) throw EQCompressError(SQCompressNoDest);
  ReadHeader();
  DoExpand();
}

void TQCompressor::DoProgress(std::int64_t position, std::int64_t size) {
  if (OnProgress) OnProgress(*this, position, size);
}

// ---- TLZQCompressor -------------------------------------------------------------------------

bool TLZQCompressor::CheckMagic(std::int32_t& value) {
  if (!SrcStream) throw EQCompressError(SQCompressNoSource);
  char magic[sizeof kMagic];
  if (SrcStream->Read(magic, sizeof magic) != sizeof magic) return false;
  if (std::memcmp(magic, kMagic, sizeof magic) != 0) return false;
  std::uint8_t b[4];
  if (SrcStream->Read(b, sizeof b) != sizeof b) return false;
  value = static_cast<std::int32_t>(LoadLE<std::uint32_t>(b));
  return true;
}

void TLZQCompressor::ReadHeader() {
  if (!CheckMagic(HeaderValue)) throw EQCompressError(SQCompressWrongFormat);
}

void TLZQCompressor::WriteHeader() {
  DestStream->WriteBuffer(kMagic, sizeof kMagic);
  DestStream->WriteI32(HeaderValue);
}

void TLZQCompressor::DoCompress() {
  TLZSlideWindow window(kWindowSize, TLZSlideWindow::ModeCompress, kMaxMatch, kMaxLiterals);
  InputReader source(*SrcStream);
  ChunkWriter dest(*DestStream, -1);
  std::uint8_t literals[kMaxLiterals];
  std::uint32_t pending = 0;
  const auto flushLiterals = [&] {
    dest.WriteByte(static_cast<std::uint8_t>(pending * 2));
    dest.Write(literals, pending);
    pending = 0;
  };

  while (!source.AtEnd() || window.Lookahead() > 0) {
    Fill(window, source);
    const TLZMatch match = window.FindMatch();
    if (match.Found) {
      if (pending > 0) flushLiterals();
      const auto word = static_cast<std::uint16_t>((match.Offset * 2 + 1) | ((match.Length - kMinMatch) << 12));
      const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8)};
      dest.Write(bytes, 2);
      window.Consume(match.Length);
    } else {
      if (pending == kMaxLiterals) flushLiterals();
      literals[pending++] = window.ByteAt(window.Cursor);
      window.Consume(1);
    }
    DoProgress(source.Position(), source.Size());
  }
  if (pending > 0) flushLiterals();
  dest.Flush();
  source.Finish();
}

void TLZQCompressor::DoExpand() {
  TLZSlideWindow window(kWindowSize, TLZSlideWindow::ModeExpand, kMaxMatch, 0);
  InputReader source(*SrcStream);
  ChunkWriter dest(*DestStream, OutputLimit);
  std::int64_t produced = 0;  // bytes decoded, including any beyond OutputLimit
  CutTokenOffset = -1;
  ExpandedSize = 0;

  while (!source.AtEnd() && !dest.Full()) {
    const std::int64_t tokenOffset = source.Position();
    std::uint8_t b;
    if (!source.PeekByte(b)) {
      CutTokenOffset = tokenOffset;
      break;
    }
    if (b & 1) {
      // A reference word, low byte first; a cut word is consumed and gives nothing.
      std::uint16_t word16;
      if (!source.ReadWord(word16)) {
        source.ReadByte(b);
        CutTokenOffset = tokenOffset;
        break;
      }
      const std::uint32_t word = word16;
      const std::uint32_t offset = (word & 0x0FFF) >> 1;
      const std::uint32_t length = (word >> 12) + kMinMatch;
      if (offset == 0 || offset > produced) {
        dest.Flush();
        ExpandedSize = dest.Written();
        source.Finish();
        if (offset == 0) throw EQCompressError(Format(SQCompressZeroDistance, tokenOffset));
        throw EQCompressError(Format(SQCompressBadDistance, tokenOffset, offset, produced));
      }
      // Copy byte by byte, so that a distance shorter than the length repeats the pattern.
      // Each source byte lies `offset` (< Capacity) behind the byte being written, so it is
      // still in the ring when it is read, whatever the length.
      std::uint32_t s = window.PhysIndex(window.Size - offset);
      const std::uint32_t first = window.PhysIndex(window.Size);
      std::uint32_t d = first;
      for (std::uint32_t i = 0; i < length; ++i) {
        window.Data[d] = window.Data[s];
        if (++s == window.Capacity) s = 0;
        if (++d == window.Capacity) d = 0;
      }
      // The copied bytes are written from where they were put: when distance + length exceeds
      // the window, the source range has been partly overwritten by then.
      WriteRange(window, dest, first, length);
      window.Grow(length);
      produced += length;
    } else {
      source.ReadByte(b);
      const std::uint32_t n = b >> 1;
      const std::uint32_t got = ReadFrom(window, source, n);
      WriteRange(window, dest, window.PhysIndex(window.Size - got), got);
      produced += got;
      if (got < n) {
        CutTokenOffset = tokenOffset;
        break;
      }
    }
    DoProgress(source.Position(), source.Size());
  }
  dest.Flush();
  ExpandedSize = dest.Written();
  source.Finish();
}

// ---- Module functions -----------------------------------------------------------------------

namespace {

// Runs one direction of a compressor (Compress or Expand) over the streams.
void RunCompressor(void (TLZQCompressor::*direction)(), TStream& source, TStream& destination,
                   const TQProgressEvent& onProgress) {
  TLZQCompressor compressor;
  compressor.SrcStream = &source;
  compressor.DestStream = &destination;
  compressor.OnProgress = onProgress;
  (compressor.*direction)();
}

}  // namespace

void CompressStream(TStream& source, TStream& destination, const TQProgressEvent& onProgress) {
  RunCompressor(&TLZQCompressor::Compress, source, destination, onProgress);
}

void CompressStreamFromStart(TStream& source, TStream& destination, const TQProgressEvent& onProgress) {
  source.SetPosition(0);
  CompressStream(source, destination, onProgress);
}

void ExpandStream(TStream& source, TStream& destination, const TQProgressEvent& onProgress) {
  RunCompressor(&TLZQCompressor::Expand, source, destination, onProgress);
}

void ExpandStreamFromStart(TStream& source, TStream& destination, const TQProgressEvent& onProgress) {
  source.SetPosition(0);
  ExpandStream(source, destination, onProgress);
}

std::int64_t ExpandStreamPrefix(TStream& source, TStream& destination, std::int64_t maxBytes) {
  TLZQCompressor compressor;
  compressor.SrcStream = &source;
  compressor.DestStream = &destination;
  compressor.OutputLimit = std::max<std::int64_t>(maxBytes, 0);
  source.SetPosition(0);
  compressor.Expand();
  return compressor.ExpandedSize;
}

bool IsCompressedStream(TStream& stream) {
  const std::int64_t position = stream.Position();
  TLZQCompressor compressor;
  compressor.SrcStream = &stream;
  std::int32_t value = 0;
  const bool result = compressor.CheckMagic(value);
  stream.SetPosition(position);
  return result;
}

}  // namespace sw
