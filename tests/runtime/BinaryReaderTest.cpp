// The one binary reader: little-endian numbers, counts checked without
// overflow before anything is allocated, offsets in the whole input, the
// UTF-16 decoder, and reading through a stream.
#include "runtime/BinaryReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "base/Unicode.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

std::string_view Bytes(const char* text, std::size_t n) { return std::string_view(text, n); }

TEST(BinaryReaderTest, DecodesLittleEndianNumbers) {
  const std::uint8_t b[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
  EXPECT_EQ(LoadLE<std::uint16_t>(b), 0x0201);
  EXPECT_EQ(LoadLE<std::uint32_t>(b), 0x04030201u);
  EXPECT_EQ(LoadLE<std::uint64_t>(b), 0x8807060504030201ULL);
  BinaryReader r(std::span<const std::uint8_t>(b, 8));
  EXPECT_EQ(r.ReadU8(), 0x01);
  EXPECT_EQ(r.ReadU16LE(), 0x0302);
  EXPECT_EQ(r.PeekU8(), 0x04);
  EXPECT_EQ(r.ReadI32LE(), static_cast<std::int32_t>(0x07060504));
  EXPECT_EQ(r.Remaining(), 1u);
  EXPECT_THROW_MSG(r.ReadU16LE(), EReadError, "Stream read error");
  EXPECT_EQ(r.Offset(), 7u);  // a failed read does not move
}

TEST(BinaryReaderTest, CountsAreCheckedWithoutWrappingAround) {
  BinaryReader r(Bytes("abcdefgh", 8));
  EXPECT_EQ(r.CheckCount(4, 2), 4u);
  EXPECT_THROW(r.CheckCount(5, 2), EReadError);
  // count * unitSize wraps to a small number in 64 bits: still refused.
  const std::uint64_t wraps = (std::numeric_limits<std::uint64_t>::max() / 4) + 2;
  EXPECT_THROW(r.ReadArray(wraps, 4), EReadError);
  EXPECT_THROW(r.ReadUtf16(std::numeric_limits<std::uint64_t>::max()), EReadError);
  EXPECT_THROW(r.Skip(std::numeric_limits<std::uint64_t>::max()), EReadError);
  EXPECT_EQ(r.Offset(), 0u);
  EXPECT_EQ(r.ReadArray(3, 2).size(), 6u);
  EXPECT_EQ(r.ReadChars(2), "gh");
  EXPECT_TRUE(r.AtEnd());
}

TEST(BinaryReaderTest, PositionsCountFromTheStartOfTheWholeInput) {
  BinaryReader file(Bytes("0123456789", 10), 100);
  file.Skip(2);
  EXPECT_EQ(file.Position(), 102u);
  BinaryReader part = file.SubReader(4);
  EXPECT_EQ(part.Offset(), 0u);
  EXPECT_EQ(part.Position(), 102u);
  part.Skip(3);
  EXPECT_EQ(part.Position(), 105u);
  EXPECT_THROW(part.Skip(2), EReadError);  // a sub-reader ends where its part ends
  EXPECT_EQ(file.Position(), 106u);
}

TEST(BinaryReaderTest, Utf16BytesInBothOrders) {
  EXPECT_EQ(Utf16FromBytes(Bytes("A\0\xAC\x20", 4), false), u"A\u20AC");
  EXPECT_EQ(Utf16FromBytes(Bytes("\0A\x20\xAC", 4), true), u"A\u20AC");
  EXPECT_EQ(Utf16FromBytes(Bytes("A\0B", 3), false), u"A");  // a dangling byte is no unit
  BinaryReader r(Bytes("h\0i\0\0\0x", 7));
  EXPECT_EQ(r.ReadUtf16Z(), u"hi");
  EXPECT_EQ(r.Offset(), 6u);
  EXPECT_THROW(r.ReadUtf16Z(), EReadError);
  EXPECT_EQ(r.Offset(), 6u);
}

TEST(BinaryReaderTest, ReadingThroughAStreamMovesItPastWhatWasRead) {
  for (const bool onDisk : {false, true}) {
    TempDir dir;
    TMemoryStream memory(std::string("xx\x05\x00\x01\x02\x03", 7));
    std::unique_ptr<TFileStream> file;
    TStream* stream = &memory;
    if (onDisk) {
      memory.SaveToFile(dir.Path("data.bin"));
      file = std::make_unique<TFileStream>(dir.Path("data.bin"), fmOpenRead | fmShareDenyNone);
      stream = file.get();
    }
    stream->SetPosition(2);
    EXPECT_EQ(ReadThrough(*stream, [](BinaryReader& r) { return r.ReadU16LE(); }), 5) << onDisk;
    EXPECT_EQ(stream->Position(), 4) << onDisk;
    // A failing read leaves the stream where the reader stopped.
    EXPECT_THROW(ReadThrough(*stream, [](BinaryReader& r) { r.ReadU8(); return r.ReadU32LE(); }), EReadError);
    EXPECT_EQ(stream->Position(), 5) << onDisk;
  }
}

}  // namespace
}  // namespace sw
