// Tests of the line list: splitting at every line-end style, CR LF on output,
// name=value access, index errors, and byte-order-mark detection on load.
#include "runtime/StringList.h"

#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using Lines = std::vector<std::string>;

TEST(StringListTest, SplitsAtEveryLineEndAndJoinsWithCrLf) {
  TStringList list;
  list.SetText("a\r\nb\nc\rd\r\n\r\ne");
  EXPECT_EQ(list.Lines(), (Lines{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  list.SetText("x\r\n");
  EXPECT_EQ(list.Lines(), (Lines{"x"}));
  list.SetText("\n\r");  // LF then a lone CR: two empty lines
  EXPECT_EQ(list.Lines(), (Lines{"", ""}));
  list.SetText("");
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Text(), "");
  EXPECT_EQ((TStringList{"a", "b"}).Join(", "), "a, b");
}

TEST(StringListTest, NamesAndValues) {
  TStringList list{"Name=Demo", "Path=C:\\a=b", "plain", "name=second"};
  EXPECT_EQ(list.Values("NAME"), "Demo");
  EXPECT_EQ(list.Values("path"), "C:\\a=b");
  EXPECT_EQ(list.Values("plain"), "");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.IndexOf("PLAIN"), 2);
  list.SetValue("name", "New");
  list.SetValue("Added", "1");
  EXPECT_EQ(list.Lines(), (Lines{"name=New", "Path=C:\\a=b", "plain", "name=second", "Added=1"}));
}

TEST(StringListTest, IndexErrors) {
  TStringList list{"a"};
  EXPECT_THROW_MSG(list[1], EListError, "List index out of bounds (1)");
  EXPECT_THROW_MSG(list.Delete(-1), EListError, "List index out of bounds (-1)");
  EXPECT_THROW_MSG(list.Insert(2, "x"), EListError, "List index out of bounds (2)");
  list.Insert(1, "b");
  EXPECT_EQ(list.Lines(), (Lines{"a", "b"}));
}

TEST(StringListTest, LoadRecognisesByteOrderMarks) {
  TStringList list;
  list.LoadFromBytes("\xEF\xBB\xBFL\xC3\xA9 1\r\nb");
  EXPECT_EQ(list.Encoding(), TextEncoding::Utf8);
  EXPECT_EQ(list.Lines(), (Lines{"L\xC3\xA9 1", "b"}));

  list.LoadFromBytes(std::string("\xFF\xFE" "a\0\xE9\0\r\0\n\0\x16\x04", 12));
  EXPECT_EQ(list.Encoding(), TextEncoding::Utf16LE);
  EXPECT_EQ(list.Lines(), (Lines{"a\xC3\xA9", "\xD0\x96"}));

  list.LoadFromBytes(std::string("\xFE\xFF\0a\0\n\x04\x16", 8));
  EXPECT_EQ(list.Encoding(), TextEncoding::Utf16BE);
  EXPECT_EQ(list.Lines(), (Lines{"a", "\xD0\x96"}));

  // An odd last byte is not silently dropped.
  list.LoadFromBytes(std::string("\xFF\xFE" "a\0b", 5));
  EXPECT_EQ(list.Lines(), (Lines{"a\xEF\xBF\xBD"}));

  list.LoadFromBytes("\xE9t\xE9");
  EXPECT_EQ(list.Encoding(), TextEncoding::Ansi);
  EXPECT_EQ(list.Lines(), (Lines{"\xE9t\xE9"}));

  // Too short to be a mark: kept as ANSI bytes.
  list.LoadFromBytes("\xEF\xBB");
  EXPECT_EQ(list.Encoding(), TextEncoding::Ansi);
  EXPECT_EQ(list.Lines(), (Lines{"\xEF\xBB"}));
}

TEST(StringListTest, FileRoundTripKeepsUtf8Mark) {
  TempDir dir;
  TStringList list;
  list.LoadFromFile(dir.Write("in.txt", "\xEF\xBB\xBFone\ntwo"));
  list.Add("three");
  list.SaveToFile(dir.Path("out.txt"));
  EXPECT_EQ(TempDir::Read(dir.Path("out.txt")), "\xEF\xBB\xBFone\r\ntwo\r\nthree\r\n");
  EXPECT_THROW_MSG(list.LoadFromFile(dir.Path("missing.txt")), EFOpenError,
                   "Cannot open file " + dir.Path("missing.txt"));
}

}  // namespace
}  // namespace sw
