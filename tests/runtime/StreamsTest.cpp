#include "runtime/Streams.h"

#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

TEST(StreamsTest, MemoryStreamReadsWhatWasWrittenLittleEndian) {
  TMemoryStream s;
  s.WriteU8(0x01);
  s.WriteU16(0x0302);
  s.WriteU32(0x07060504);
  s.WriteU64(0x0F0E0D0C0B0A0908ULL);
  ASSERT_EQ(s.Size(), 15);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(s.Memory()[i], i + 1);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadU8(), 0x01);
  EXPECT_EQ(s.ReadU16(), 0x0302);
  EXPECT_EQ(s.ReadU32(), 0x07060504u);
  EXPECT_EQ(s.ReadU64(), 0x0F0E0D0C0B0A0908ULL);
}

TEST(StreamsTest, ShortReadRaisesStreamReadError) {
  TMemoryStream s(std::string("ab"));
  EXPECT_THROW_MSG(s.ReadU32(), EReadError, "Stream read error");
  s.SetPosition(0);
  EXPECT_THROW_MSG(s.ReadBytes(3), EReadError, "Stream read error");
}

TEST(StreamsTest, MissingFileRaisesCannotOpen) {
  EXPECT_THROW_MSG(TFileStream("/nonexistent/x.bin", fmOpenRead), EFOpenError,
                   "Cannot open file /nonexistent/x.bin");
}

TEST(StreamsTest, FileStreamRoundTripAndExclusiveLock) {
  TempDir dir;
  const std::string path = dir.Path("a.bin");
  {
    TFileStream f(path, fmCreate);
    f.WriteU32(42);
    // A second writer is kept out while the first holds the file.
    EXPECT_THROW(TFileStream(path, fmOpenReadWrite | fmShareExclusive), EFOpenError);
  }
  TFileStream f(path, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(f.Size(), 4);
  EXPECT_EQ(f.ReadU32(), 42u);
  // Readers that deny writing may share the file; a writer may not join them.
  TFileStream g(path, fmOpenRead | fmShareDenyWrite);
  EXPECT_THROW(TFileStream(path, fmOpenWrite | fmShareDenyNone), EFOpenError);
}

TEST(StreamsTest, CopyFromWithZeroCountCopiesWholeSource) {
  TMemoryStream src(std::string("hello"));
  src.SetPosition(3);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 5);
  EXPECT_EQ(dst.AsString(), "hello");
}

}  // namespace
}  // namespace sw
