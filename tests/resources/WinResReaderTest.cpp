#include "extract/resources/WinResReader.h"

#include "resources/ResFileBuilder.h"
#include "runtime/BinaryReader.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using test::PatchU32;
using test::ResEntry;
using test::ResFile;

const TResId kRCData = TResId::FromOrdinal(ResTypeRCData);

class WinResReaderTest : public ::testing::Test {
 protected:
  static void ExpectInvalid(const std::string& image) {
    EXPECT_THROW_MSG(TResReader("x.res", image), EResError, "Invalid file format");
  }
};

TEST_F(WinResReaderTest, FilesUpToTheMarkerHaveNoEntries) {
  for (const std::string& image : {std::string(), std::string(10, '\0'), test::ResMarker()}) {
    const TResReader reader("x.res", image);
    EXPECT_EQ(reader.Count(), 0);
    EXPECT_EQ(reader.Entries(0), nullptr);
  }
}

TEST_F(WinResReaderTest, ListsEntriesAfterPaddingWithTheirData) {
  std::vector<std::string> entries;
  for (int size : {1, 2, 3, 4, 5, 0}) entries.push_back(ResEntry(kRCData, TResId::FromOrdinal(size), std::string(size, 'a' + size)));
  const TResReader reader("x.res", ResFile(entries));
  ASSERT_EQ(reader.Count(), 6);
  EXPECT_EQ(reader.Entries(0)->Offset, 32u);
  EXPECT_EQ(reader.Entries(0)->HeaderSize, 32u);
  for (int i = 0; i < reader.Count(); ++i) {
    const TResEntry& e = *reader.Entries(i);
    EXPECT_EQ(e.ResName, TResId::FromOrdinal(static_cast<std::uint16_t>(e.DataSize)));
    EXPECT_EQ(std::string(e.Data.begin(), e.Data.end()), std::string(e.DataSize, static_cast<char>('a' + e.DataSize)));
  }
  EXPECT_EQ(reader.Entries(-1), nullptr);
  EXPECT_EQ(reader.Entries(6), nullptr);
  // A file may end right after odd-sized data, without the padding.
  const std::string unpadded = ResFile({ResEntry(kRCData, kRCData, "abc")});
  EXPECT_EQ(TResReader("x.res", unpadded.substr(0, unpadded.size() - 1)).Count(), 1);
}

TEST_F(WinResReaderTest, NamedTypesAndNamesListAsTexts) {
  // Names of odd and even length exercise the alignment of the name field.
  const std::string image = ResFile({ResEntry(TResId::FromName(u"AB"), TResId::FromName(u"NAME"), "x"),
                                     ResEntry(TResId::FromName(u"6"), TResId::FromName(u"ABC"), "yy"),
                                     ResEntry(TResId::FromOrdinal(6), TResId::FromName(u""), "z")});
  const TResReader reader("x.res", image);
  ASSERT_EQ(reader.Count(), 3);
  EXPECT_EQ(reader.Entries(0)->ResType, TResId::FromName(u"AB"));
  EXPECT_EQ(reader.Entries(0)->ResName, TResId::FromName(u"NAME"));
  EXPECT_EQ(reader.Entries(1)->ResName, TResId::FromName(u"ABC"));
  EXPECT_EQ(reader.Entries(1)->DataSize, 2u);
  EXPECT_FALSE(reader.Entries(1)->ResType.IsOrdinal());
  EXPECT_FALSE(reader.Entries(1)->ResType.IsOrdinal(6));
  EXPECT_TRUE(reader.Entries(2)->ResType.IsOrdinal(6));
  EXPECT_EQ(reader.Entries(2)->ResName, TResId::FromName(u""));
}

TEST_F(WinResReaderTest, SixteenBitResourceFileIsRejected) {
  // 16-bit entry: type 0xFF ordinal, name 0xFF ordinal, flags, size, data.
  ExpectInvalid(std::string("\xFF\x0A\x00\xFF\x01\x00\x30\x10\x04\x00\x00\x00" "abcd", 16));
}

TEST_F(WinResReaderTest, DamagedEntriesAreRejected) {
  const std::string good = ResFile({ResEntry(kRCData, kRCData, "data")});
  const std::size_t entry = 32;
  auto with = [&](std::size_t at, std::uint32_t v) {
    std::string image = good;
    PatchU32(image, at, v);
    return image;
  };
  ExpectInvalid(with(entry, 5));                 // data size past the end
  ExpectInvalid(with(entry, 0xFFFFFFFF));        // ... by far
  ExpectInvalid(with(entry + 4, 37));            // header size past the end
  ExpectInvalid(with(entry + 4, 0xFFFFFFF0));    // ... so far that the sum would wrap
  for (std::uint32_t headerSize : {0u, 4u, 8u, 12u, 15u})  // smaller than sizes, type and name
    ExpectInvalid(with(entry + 4, headerSize));
  std::string zeroSizes = good;  // an entry of zeros must not stall the walk
  PatchU32(zeroSizes, entry, 0);
  PatchU32(zeroSizes, entry + 4, 0);
  ExpectInvalid(zeroSizes);
  // A named type whose terminator lies beyond the header.
  std::string unterminated = ResFile({ResEntry(TResId::FromName(u"LONGNAME"), kRCData, "")});
  PatchU32(unterminated, entry + 4, 20);
  ExpectInvalid(unterminated);
  for (const std::string& tail : {std::string(1, 'x'), std::string(7, '\0'), std::string(8, '\0'), std::string(40, '\x7F')})
    ExpectInvalid(good + tail);
}

TEST_F(WinResReaderTest, EveryTruncationAndCorruptionFailsCleanly) {
  const std::string good = ResFile({ResEntry(TResId::FromName(u"TYPE"), TResId::FromName(u"N"), "abcde"),
                                    test::StringTable(1, {u"one", u"", u"three"})});
  auto check = [](const std::string& image) {
    try {
      const TResReader reader("x.res", image);
      for (int i = 0; i < reader.Count(); ++i) {
        const TResEntry& e = *reader.Entries(i);
        EXPECT_LE(e.Offset + e.HeaderSize + e.DataSize, image.size());
      }
    } catch (const EResError& e) {
      EXPECT_EQ(e.Message(), "Invalid file format");
    }
  };
  for (std::size_t size = 0; size <= good.size(); ++size) check(good.substr(0, size));
  for (std::size_t at = 32; at < good.size(); ++at)
    for (const char byte : {'\x00', '\x01', '\x7F', '\xFF'}) {
      std::string image = good;
      image[at] = byte;
      check(image);
    }
}

TEST_F(WinResReaderTest, ReadsFilesAndNamesThoseItCannotOpen) {
  TempDir dir;
  const std::string path = dir.Write("a.res", ResFile({ResEntry(kRCData, kRCData, "abc")}));
  const TResReader reader(path);
  EXPECT_EQ(reader.FileName(), path);
  ASSERT_EQ(reader.Count(), 1);
  EXPECT_EQ(reader.Entries(0)->Data.size(), 3u);
  EXPECT_THROW_MSG(TResReader(dir.Path("missing.res")), EResError, "Couldn't open: " + dir.Path("missing.res"));
  EXPECT_THROW_MSG(TResReader(dir.Root()), EResError, "Couldn't open: " + dir.Root());
}

TEST(BinaryReaderTest, ShortReadsFailWithoutMoving) {
  BinaryReader r(std::string_view("\x01\x02\x03", 3));
  EXPECT_EQ(r.ReadU16LE(), 0x0201);
  EXPECT_THROW_MSG(r.ReadU16LE(), EReadError, "Stream read error");
  EXPECT_EQ(r.Offset(), 2u);
  EXPECT_THROW(r.ReadUtf16(std::size_t(-1) / 2 + 1), EReadError);  // count * 2 must not wrap
  EXPECT_THROW(r.Seek(4), EReadError);
  BinaryReader text(std::string_view("a\0b\0", 4));
  EXPECT_THROW(text.ReadUtf16Z(), EReadError);  // no terminator
  EXPECT_EQ(text.Offset(), 0u);
}

}  // namespace
}  // namespace sw
