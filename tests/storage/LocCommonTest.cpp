// Length-prefixed strings of the language file and the default property rules.
#include "storage/LocCommon.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"
#include "storage/LngStrings.h"
#include "storage/PropRules.h"

namespace sw {
namespace {

std::string LengthBytes(std::uint32_t n, int version) {
  TMemoryStream s;
  WriteLength(s, n, version);
  return s.AsString();
}

std::uint32_t ReadBack(const std::string& bytes, int version) {
  TMemoryStream s(bytes);
  const std::uint32_t n = ReadLength(s, version);
  EXPECT_EQ(s.Position(), static_cast<std::int64_t>(bytes.size()));
  return n;
}

TEST(LengthPrefixTest, VariablePrefixFromVersion6AndU16Before) {
  EXPECT_EQ(LengthBytes(0, 7), std::string("\x00", 1));
  EXPECT_EQ(LengthBytes(127, 7), "\x7F");
  EXPECT_EQ(LengthBytes(128, 7), "\x80\x01");
  EXPECT_EQ(LengthBytes(16383, 7), "\xFF\x7F");
  EXPECT_EQ(LengthBytes(16384, 7), std::string("\x80\x80\x01\x00", 4));
  EXPECT_EQ(LengthBytes(MaxStringLength, 6), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(LengthBytes(128, 5), std::string("\x80\x00", 2));
  EXPECT_EQ(LengthBytes(65535, 5), "\xFF\xFF");
  for (std::uint32_t n : {0u, 1u, 127u, 128u, 129u, 16383u, 16384u, 70000u, MaxStringLength})
    EXPECT_EQ(ReadBack(LengthBytes(n, 7), 7), n) << n;
}

TEST(LengthPrefixTest, UnrepresentableLengthsRaiseAndWriteNothing) {
  TMemoryStream s;
  EXPECT_THROW(WriteLength(s, 1u << 30, 7), ELangFileError);
  EXPECT_THROW(WriteLength(s, 65536, 5), ELangFileError);
  EXPECT_EQ(s.Size(), 0);
}

TEST(LengthPrefixTest, StringsRoundTripAndEmptyWideStringIsOnePrefix) {
  TMemoryStream s;
  WriteWideString(s, u"", 7);
  EXPECT_EQ(s.AsString(), std::string("\x00", 1));
  TMemoryStream s5;
  WriteWideString(s5, u"", 5);
  EXPECT_EQ(s5.AsString(), std::string("\x00\x00", 2));

  TMemoryStream t;
  WriteAnsiString(t, "Caption", 7);
  WriteWideString(t, u"\u00c4\u4e2d", 7);
  EXPECT_EQ(t.AsString(), std::string("\x07" "Caption" "\x02\xC4\x00\x2D\x4E", 13));
  t.SetPosition(0);
  EXPECT_EQ(ReadAnsiString(t, 7), "Caption");
  EXPECT_EQ(ReadWideString(t, 7), u"\u00c4\u4e2d");
}

TEST(LengthPrefixTest, LengthBeyondTheDataRaisesReadError) {
  TMemoryStream wide(std::string("\x80\x80\xFF\xFF" "ab", 6));  // claims about 2^30 units
  EXPECT_THROW_MSG(ReadWideString(wide, 7), EReadError, "Stream read error");
  TMemoryStream ansi(std::string("\x05\x00" "abc", 5));
  EXPECT_THROW_MSG(ReadAnsiString(ansi, 5), EReadError, "Stream read error");
  TMemoryStream cut(std::string("\x80", 1));
  EXPECT_THROW(ReadLength(cut, 7), EReadError);
}

TEST(PropRulesTest, DefaultRulesReplaceTheList) {
  TStringList rules{"-.Anything"};
  SetDefaultPropRules(rules);
  ASSERT_EQ(rules.Count(), 21);
  EXPECT_EQ(rules[0], "+.Caption");
  EXPECT_EQ(rules[6], "+.Title.Caption");
  EXPECT_EQ(rules[11], "+.Values");
  EXPECT_EQ(rules[12], "+.SimpleText");
}

}  // namespace
}  // namespace sw
