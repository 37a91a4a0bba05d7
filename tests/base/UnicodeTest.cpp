// UTF-8 sequences one at a time: every length, the ill-formed kinds, and the
// round trip of every code point through AppendUtf8; the whole-text
// conversions built on them.
#include "base/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace sw {
namespace {

TEST(UnicodeTest, SequenceLengthsAndIllFormedBytes) {
  char32_t cp = 0;
  EXPECT_EQ(Utf8SequenceAt("A", 0, &cp), 1u);
  EXPECT_EQ(cp, U'A');
  EXPECT_EQ(Utf8SequenceAt("x\xC3\xA9", 1, &cp), 2u);
  EXPECT_EQ(cp, U'\u00E9');
  EXPECT_EQ(Utf8SequenceAt("\xE2\x82\xAC", 0, &cp), 3u);
  EXPECT_EQ(cp, U'\u20AC');
  EXPECT_EQ(Utf8SequenceAt("\xF0\x9F\x98\x80", 0, &cp), 4u);
  EXPECT_EQ(cp, U'\U0001F600');
  EXPECT_EQ(Utf8SequenceAt("\xF4\x8F\xBF\xBF", 0), 4u);  // U+10FFFF, the last
  const char* const illFormed[] = {
      "\x80",              // a continuation byte alone
      "\xC0\x80",          // overlong forms
      "\xC1\xBF",
      "\xE0\x80\x80",
      "\xF0\x8F\xBF\xBF",
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xF5\x80\x80\x80",
      "\xFF",
      "\xE2\x82",          // cut short
      "\xE2\x41\xAC",      // not continued
  };
  for (const char* bytes : illFormed) {
    cp = 0x1234;
    EXPECT_EQ(Utf8SequenceAt(bytes, 0, &cp), 0u) << bytes;
    EXPECT_EQ(cp, 0x1234u) << "left alone";
  }
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xE2\x82" "b")), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
  EXPECT_FALSE(IsValidUtf8("a\xED\xA0\x80"));
  EXPECT_TRUE(IsValidUtf8("a\xF4\x8F\xBF\xBF"));
}

// Appending converts after what the string holds, ASCII runs and the rest alike.
TEST(UnicodeTest, AppendingUtf8KeepsWhatWasThere) {
  const struct {
    std::u16string text;
    std::string utf8;
  } cases[] = {
      {u"", ""},
      {u"plain ASCII", "plain ASCII"},
      {u"Schlie\u00DFen", "Schlie\xC3\x9F" "en"},
      {u"\u00E9t\u00E9", "\xC3\xA9t\xC3\xA9"},
      {u"a\U0001F600b", "a\xF0\x9F\x98\x80" "b"},
      {std::u16string(u"x") + char16_t(0xD800) + u"y", "x\xEF\xBF\xBDy"},  // a lone surrogate
      {std::u16string(u"end") + char16_t(0xDBFF), "end\xEF\xBF\xBD"},      // cut after a high surrogate
  };
  for (const auto& c : cases) {
    std::string out = "kept|";
    AppendUtf16AsUtf8(out, c.text);
    EXPECT_EQ(out, "kept|" + c.utf8);
    EXPECT_EQ(Utf16ToUtf8(c.text), c.utf8);
  }
}

TEST(UnicodeTest, EveryCodePointRoundTrips) {
  std::string all;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string bytes;
    AppendUtf8(bytes, c);
    const std::size_t expected = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    ASSERT_EQ(bytes.size(), expected) << std::hex << static_cast<unsigned>(c);
    char32_t back = 0;
    ASSERT_EQ(Utf8SequenceAt(bytes, 0, &back), expected);
    ASSERT_EQ(back, c);
    if (c % 97 == 0) all += bytes;
  }
  EXPECT_TRUE(IsValidUtf8(all));
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(all)), all);
}

}  // namespace
}  // namespace sw
