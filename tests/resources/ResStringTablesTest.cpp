#include "extract/resources/ResStringTables.h"

#include <utility>
#include <vector>

#include "resources/ResFileBuilder.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using test::ResEntry;
using test::ResFile;
using test::StringTable;
using Strings = std::vector<std::pair<int, std::u16string>>;

class ResStringTablesTest : public ::testing::Test {
 protected:
  // The strings the processor extracts from `image`.
  Strings Extract(const std::string& image) {
    processor.LoadFromReader(TResReader("x.res", image));
    return Current();
  }
  Strings Current() const {
    Strings out;
    const auto* block = static_cast<const TResString*>(processor.FindBlock(ResTypeString));
    if (!block) return out;
    for (int i = 0; i < block->Count(); ++i) out.emplace_back(block->Strings(i)->Id, block->Strings(i)->Text);
    EXPECT_EQ(block->Strings(block->Count()), nullptr);
    EXPECT_EQ(block->Strings(-1), nullptr);
    return out;
  }

  TResProcessor processor;
};

TEST_F(ResStringTablesTest, TableNameGivesIdentifiersAndEmptySlotsGiveNothing) {
  std::vector<std::u16string> slots(16);
  slots[0] = u"first";
  slots[15] = u"last";
  EXPECT_EQ(Extract(ResFile({StringTable(1, slots)})), (Strings{{0, u"first"}, {15, u"last"}}));
  EXPECT_EQ(Extract(ResFile({StringTable(4097, {u"", u"b"})})), (Strings{{65537, u"b"}}));
  // A table with only empty slots gives no block at all.
  EXPECT_EQ(Extract(ResFile({StringTable(3, {})})), Strings{});
  EXPECT_EQ(processor.Blocks().Count(), 0);
}

TEST_F(ResStringTablesTest, FirstStringInFileOrderWinsAndIdsComeOutSorted) {
  const std::string image = ResFile({StringTable(3, {u"c0"}), StringTable(1, {u"en", u"a1"}, 0x0409),
                                     StringTable(1, {u"de", u"", u"de2"}, 0x0407), StringTable(2, {u"", u"b1"})});
  EXPECT_EQ(Extract(image), (Strings{{0, u"en"}, {1, u"a1"}, {2, u"de2"}, {17, u"b1"}, {32, u"c0"}}));
}

TEST_F(ResStringTablesTest, TextsStayUtf16) {
  using namespace std::string_literals;
  const std::u16string text = u"\u4E2D\u6587 \U0001F600 \u0416 \0 end"s;
  EXPECT_EQ(text.size(), 13u);
  EXPECT_EQ(Extract(ResFile({StringTable(1, {text})})), (Strings{{0, text}}));
}

TEST_F(ResStringTablesTest, OnlyOrdinalStringTablesAreRead) {
  const std::string table = test::StringTableData({u"x"});
  const std::string image = ResFile({ResEntry(TResId::FromName(u"6"), TResId::FromOrdinal(1), table),
                                     ResEntry(TResId::FromOrdinal(6), TResId::FromName(u"T"), table),
                                     ResEntry(TResId::FromOrdinal(ResTypeRCData), TResId::FromOrdinal(1), table)});
  EXPECT_EQ(Extract(image), Strings{});
  EXPECT_EQ(processor.FindBlock(ResTypeString), nullptr);
}

TEST_F(ResStringTablesTest, TableRunningPastItsDataIsRejected) {
  std::string shortTable = test::StringTableData({u"abc"}).substr(0, 12);  // slots 0-4 only
  EXPECT_THROW_MSG(Extract(ResFile({ResEntry(TResId::FromOrdinal(6), TResId::FromOrdinal(1), shortTable)})),
                   EResError, "Invalid file format");
  std::string overlong = test::StringTableData({u"abc"});
  overlong[0] = 100;  // slot 0 claims more code units than the data holds
  EXPECT_THROW_MSG(Extract(ResFile({ResEntry(TResId::FromOrdinal(6), TResId::FromOrdinal(1), overlong)})),
                   EResError, "Invalid file format");
}

TEST_F(ResStringTablesTest, LoadingAgainReplacesBlocksUnlessTheFileFails) {
  TempDir dir;
  processor.LoadFromResFile(dir.Write("a.res", ResFile({StringTable(1, {u"a"})})));
  EXPECT_THROW_MSG(processor.LoadFromResFile(dir.Path("none.res")), EResError,
                   "Couldn't open: " + dir.Path("none.res"));
  EXPECT_THROW_MSG(processor.LoadFromResFile(dir.Write("bad.res", ResFile({}) + "xx")), EResError,
                   "Invalid file format");
  EXPECT_EQ(Current(), (Strings{{0, u"a"}}));
  processor.LoadFromResFile(dir.Write("b.res", ResFile({StringTable(2, {u"b"})})));
  EXPECT_EQ(Current(), (Strings{{16, u"b"}}));
  EXPECT_EQ(processor.Blocks().Count(), 1);
}

}  // namespace
}  // namespace sw
