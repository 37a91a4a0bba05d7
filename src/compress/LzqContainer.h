// LzqContainer: the LZQ sliding-window coder in which language files may be stored.
//
// Compressed stream layout (little-endian):
//   offset 0  5 bytes  magic "LZQ00"
//   offset 5  4 bytes  header value (written as 0, read back and otherwise ignored)
//   offset 9  ...      tokens up to the end of the stream; no end marker, no length, no checksum
// Tokens, told apart by the low bit of their first byte:
//   literal run     one byte n*2 (low bit 0), then n literal bytes; 1 <= n <= 127 when written,
//                   n = 0 is accepted on reading
//   back-reference  16-bit word, low byte first: bit 0 = 1, bits 1-11 = distance back from the
//                   current end of the output (1-2047), bits 12-15 = length - 3 (3-18)
//
// The coder is deterministic: a 2048-byte window holding history and up to 127 bytes of
// lookahead, one list of the 40 most recent positions per byte value, candidates tried newest
// first, only a strictly longer candidate replacing the best one, and any match longer than
// 8 bytes taken at once. The same input therefore always gives the same compressed bytes.
//
// Expansion contract: whatever bytes the source holds, the expander never reads outside its
// input or its 2048-byte window and never writes outside its window and the destination.
//   - A back-reference with distance 0, or reaching before the first byte expanded, raises
//     EQCompressError naming the token's offset in the source and what it asked for. The
//     bytes expanded before it have been written to the destination.
//   - A token cut short by the end of the source ends the expansion without an error: every
//     token before it is delivered intact, and the bytes of a cut literal run that are present
//     are delivered too (a cut reference word gives nothing). `CutTokenOffset` tells where the
//     cut token starts. The language-file header reader relies on this when it expands only a
//     leading part of a file.
//   - Errors of the streams themselves (EReadError, EWriteError, ...) propagate unchanged.
//
// Every operation builds its own compressor, window and dictionary; nothing is shared, so
// separate operations may run on separate threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/Exceptions.h"
#include "runtime/Streams.h"

namespace sw {

SW_DECLARE_EXCEPTION(EQCompressError, Exception)

class TQCompressor;

// Progress handler: the compressor, the source position and the source size.
using TQProgressEvent = std::function<void(TQCompressor& sender, std::int64_t position, std::int64_t size)>;

// ---- Module functions -----------------------------------------------------------------------

// Compresses from the source's current position to its end and appends the compressed stream
// at the destination's current position.
void CompressStream(TStream& source, TStream& destination, const TQProgressEvent& onProgress = {});
// Sets the source position to 0, then CompressStream.
void CompressStreamFromStart(TStream& source, TStream& destination, const TQProgressEvent& onProgress = {});
// Reads a compressed stream from the source's current position and appends the expanded bytes
// to the destination. Raises EQCompressError "Wrong stream format" when the magic is missing.
void ExpandStream(TStream& source, TStream& destination, const TQProgressEvent& onProgress = {});
// Sets the source position to 0, then ExpandStream.
void ExpandStreamFromStart(TStream& source, TStream& destination, const TQProgressEvent& onProgress = {});
// Expands from the source's start until `maxBytes` bytes have been produced or the source ends,
// writing at most `maxBytes` bytes. The source is left just behind the last token decoded.
// Returns the number of bytes written. For readers that need only the head of a file.
std::int64_t ExpandStreamPrefix(TStream& source, TStream& destination, std::int64_t maxBytes);
// True when the stream holds the magic and a header value at its current position; the
// position is left unchanged either way.
bool IsCompressedStream(TStream& stream);

// ---- Compressor objects ---------------------------------------------------------------------

class TQCompressor {
 public:
  virtual ~TQCompressor() = default;

  TStream* SrcStream = nullptr;   // not owned
  TStream* DestStream = nullptr;  // not owned
  TQProgressEvent OnProgress;
  std::int32_t HeaderValue = 0;

  // Raises "Source stream is not defined" / "Destination stream is not defined" (source
  // tested first) before anything is read or written; then WriteHeader and DoCompress.
  void Compress();
  // The same checks, then ReadHeader and DoExpand.
  void Expand();

 protected:
  virtual void ReadHeader() = 0;
  virtual void WriteHeader() = 0;
  virtual void DoCompress() = 0;
  virtual void DoExpand() = 0;
  virtual void DoProgress(std::int64_t position, std::int64_t size);
};

class TLZQCompressor : public TQCompressor {
 public:
  // Reads 5 bytes from SrcStream; when they are "LZQ00" and 4 more bytes follow, stores those
  // in `value` and answers true. Otherwise answers false (a stream too short for the header
  // value is not a compressed stream).
  bool CheckMagic(std::int32_t& value);

  // Expansion stops once this many bytes have been produced and writes no more than this;
  // negative means no limit.
  std::int64_t OutputLimit = -1;
  // After Expand: the source offset of a token cut short by the end of the source, or -1.
  std::int64_t CutTokenOffset = -1;
  // After Expand: the number of bytes written to the destination.
  std::int64_t ExpandedSize = 0;

 protected:
  void ReadHeader() override;
  void WriteHeader() override;
  void DoCompress() override;
  void DoExpand() override;
};

// ---- Window machinery -----------------------------------------------------------------------

// A ring buffer of bytes. Window-relative index i (0 = oldest byte) lives at ring index
// PhysIndex(i); BaseOffset is the absolute stream position of the oldest byte.
class TSlideWindow {
 public:
  explicit TSlideWindow(std::uint32_t capacity);
  virtual ~TSlideWindow() = default;
  TSlideWindow(const TSlideWindow&) = delete;
  TSlideWindow& operator=(const TSlideWindow&) = delete;

  // Size += n; bytes beyond Capacity push the oldest ones out (Start and BaseOffset advance).
  virtual void Grow(std::uint32_t n);
  // Forgets the n oldest bytes.
  void DropFront(std::uint32_t n);
  // Valid for i < 2 * Capacity.
  std::uint32_t PhysIndex(std::uint32_t i) const {
    const std::uint32_t j = Start + i;
    return j >= Capacity ? j - Capacity : j;
  }

  std::uint32_t Start = 0;
  const std::uint32_t Capacity;
  std::int64_t BaseOffset = 0;
  std::uint32_t Size = 0;
  std::unique_ptr<std::uint8_t[]> Data;
};

// A ring of absolute positions, oldest first. Positions are kept as 64-bit values so that
// sources beyond 4 GiB cannot alias into the window.
class TPositionsList : public TSlideWindow {
 public:
  explicit TPositionsList(std::uint32_t entries);
  std::uint32_t Count() const { return Size / kEntrySize; }
  std::int64_t Entry(std::uint32_t k) const;
  // Stores p as the newest entry; a full list loses its oldest entry.
  void Append(std::int64_t p);
  // Drops the k oldest entries when at least k are held; otherwise nothing.
  void DropOldest(std::uint32_t k);

  static constexpr std::uint32_t kEntrySize = 8;
};

// The 40 most recent positions of every byte value.
class TLZDictionary {
 public:
  static constexpr std::uint32_t kEntriesPerByte = 40;
  TLZDictionary();
  TPositionsList& Positions(std::uint8_t byteValue) { return *Lists[byteValue]; }
  void AddPosition(std::uint8_t byteValue, std::int64_t position) { Lists[byteValue]->Append(position); }

  std::unique_ptr<TPositionsList> Lists[256];
};

struct TLZMatch {
  bool Found = false;
  std::uint32_t Offset = 0;
  std::uint32_t Length = 0;
};

class TLZSlideWindow : public TSlideWindow {
 public:
  enum : std::uint8_t { ModeCompress = 0, ModeExpand = 1 };
  TLZSlideWindow(std::uint32_t capacity, std::uint8_t mode, std::uint32_t maxMatch, std::uint32_t maxLookahead);

  // Compress mode keeps the cursor on the same byte when old bytes fall out.
  void Grow(std::uint32_t n) override;

  std::uint8_t ByteAt(std::uint32_t i) const { return Data[PhysIndex(i)]; }
  std::uint32_t Lookahead() const { return Size - Cursor; }
  // Adds every byte from the cursor on to the dictionary and moves the cursor past them.
  void Consume(std::uint32_t n);
  // The longest earlier occurrence of the bytes at the cursor (see the file comment).
  TLZMatch FindMatch();

  std::uint32_t MaxMatch;
  std::uint32_t MaxLookahead;
  std::unique_ptr<TLZDictionary> Dictionary;
  std::uint32_t Cursor = 0;
  std::uint8_t Mode;
};

}  // namespace sw
