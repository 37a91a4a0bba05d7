// Tests of the text functions of the lower layers (ASCII and locale text,
// numbers, escapes, path names, sections of string lists): wildcard match,
// quoting and escaping, number parsing with its error texts, section reading
// and path joining.
#include "base/AsciiText.h"
#include "base/AnsiText.h"
#include "base/Numbers.h"
#include "base/Escapes.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

TEST(TextFunctionsTest, TextTests) {
  EXPECT_TRUE(HasLetter("12\xE9"));
  EXPECT_FALSE(HasLetter("12 -_!"));
  EXPECT_TRUE(EndsWithText(".DFM", "form.dfm"));
  EXPECT_FALSE(EndsWithText("xform.dfm", "form.dfm"));
}

TEST(TextFunctionsTest, LocaleCaseFoldsWindows1252Letters) {
  EXPECT_EQ(LowerAnsi("ABC\xC0\xDE\xD7\x8A\x8C\x8E\x9F"), "abc\xE0\xFE\xD7\x9A\x9C\x9E\xFF");
  EXPECT_EQ(UpperAnsi("abc\xE0\xFE\xF7\x9A\xFF\xDF\xB5"), "ABC\xC0\xDE\xF7\x8A\x9F\xDF\xB5");
  EXPECT_EQ(LowerAscii("A\xC0"), "a\xC0");
  EXPECT_EQ(Capitalize("\xE9" "COLE"), "\xC9" "cole");
  EXPECT_EQ(Capitalize(""), "");
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  // Folding to upper case puts "_" (95) after the letters.
  EXPECT_GT(CompareText("_", "z"), 0);
}

TEST(TextFunctionsTest, Trimming) {
  EXPECT_EQ(TrimSpaces(" \t\r\nab c \n"), "ab c");
  EXPECT_EQ(TrimSpaces("\v x \v"), "\v x \v");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(Trim("\v x \x01"), "x");
}

TEST(TextFunctionsTest, PosTextFoldsTheLocaleCase) {
  EXPECT_EQ(PosText("", "ab"), 0);
  EXPECT_EQ(PosText("B\xC9", "ab\xE9"), 2);
  EXPECT_EQ(PosText("x", "ab"), 0);
}

TEST(TextFunctionsTest, CuttingAtSeparators) {
  EXPECT_EQ(TextBefore("=", " key = value "), "key");
  EXPECT_EQ(TextBefore("=", " no separator "), " no separator ");
  EXPECT_EQ(SplitAt("::", " a :: b :: c"), std::make_pair(std::string(" a "), std::string(" b :: c")));
  EXPECT_EQ(SplitAt("::", "abc"), std::make_pair(std::string("abc"), std::string()));
}

TEST(TextFunctionsTest, StripExtCutsAtFirstDotOfLastComponent) {
  const std::string d(1, platform::PathDelim);
  EXPECT_EQ(StripExt("name.tar.gz"), "name");
  EXPECT_EQ(StripExt("C:" + d + "dir" + d + "name.tar.gz"), "C:" + d + "dir" + d + "name");
  EXPECT_EQ(StripExt("C:" + d + "a.b" + d + "name"), "C:" + d + "a.b" + d + "name");
  EXPECT_EQ(StripExt("name"), "name");
  EXPECT_EQ(ExtractFileExt("a.b" + d + "name.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("a.b" + d + "name"), "");
  EXPECT_EQ(ExtractFileName("a.b" + d + "name.x"), "name.x");
  EXPECT_EQ(ExtractFilePath("a.b" + d + "name.x"), "a.b" + d);
}

TEST(TextFunctionsTest, JoinWithSepPutsExactlyOneSeparator) {
  for (const char sep : {'\\', '/'}) {
    const std::string s(1, sep);
    SCOPED_TRACE(s);
    EXPECT_EQ(JoinWithSep("C:" + s + "dir" + s, s + "file", sep), "C:" + s + "dir" + s + "file");
    EXPECT_EQ(JoinWithSep("C:" + s + "dir", "file", sep), "C:" + s + "dir" + s + "file");
    EXPECT_EQ(JoinWithSep("C:" + s + "dir" + s, "file", sep), "C:" + s + "dir" + s + "file");
    EXPECT_EQ(JoinWithSep("C:" + s + "dir", s + "file", sep), "C:" + s + "dir" + s + "file");
    EXPECT_EQ(JoinWithSep("", s + "file", sep), s + "file");
    EXPECT_EQ(JoinWithSep("dir", "", sep), "dir");
  }
  // The other separator is an ordinary character.
  EXPECT_EQ(JoinWithSep("a/", "b", '\\'), "a/\\b");
  const std::string d(1, platform::PathDelim);
  EXPECT_EQ(JoinPath("dir" + d, d + "lib.ini"), "dir" + d + "lib.ini");
  EXPECT_EQ(JoinPath("dir", "lib.ini"), "dir" + d + "lib.ini");
  EXPECT_EQ(JoinWithDot("Form1.", "Caption"), "Form1..Caption");
  EXPECT_EQ(JoinWithDot("", "Caption"), "Caption");
  EXPECT_EQ(JoinWithDot("Form1", ""), "Form1");
}

TEST(TextFunctionsTest, Replacing) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("aXa", "x", "y"), "aXa");
  EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "b", ""), "ac");
}

TEST(TextFunctionsTest, DigitConvertersAndTheirErrors) {
  EXPECT_EQ(HexToInt("1F"), 31);
  EXPECT_EQ(HexToInt("ff"), 255);
  EXPECT_EQ(HexToInt(""), 0);
  EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
  EXPECT_EQ(HexToInt("100000001"), 1);  // wraps at 32 bits
  EXPECT_EQ(OctToInt("777"), 511);
  EXPECT_THROW_MSG(HexToInt("1G"), EConvertError, "G is not a hex digit");
  EXPECT_THROW_MSG(OctToInt("8"), EConvertError, "8 is not an oct digit");
  EXPECT_THROW_MSG(OctToInt("1 "), EConvertError, "  is not an oct digit");
}

TEST(TextFunctionsTest, IntegerParsing) {
  EXPECT_EQ(StrToIntTrim("  12 \t"), 12);
  EXPECT_EQ(StrToIntTrim("   "), 0);
  EXPECT_EQ(StrToIntTrim(""), 0);
  EXPECT_EQ(StrToIntTrim("-7"), -7);
  EXPECT_EQ(StrToIntTrim("$1F"), 31);
  EXPECT_EQ(StrToIntTrim("0x10"), 16);
  EXPECT_EQ(StrToIntTrim("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(StrToIntTrim("$FFFFFFFF"), -1);
  EXPECT_THROW_MSG(StrToIntTrim(" 12a "), EConvertError, "'12a' is not a valid integer value");
  EXPECT_THROW_MSG(StrToIntTrim("2147483648"), EConvertError, "'2147483648' is not a valid integer value");
  EXPECT_THROW_MSG(StrToIntTrim("1 2"), EConvertError, "'1 2' is not a valid integer value");
  EXPECT_THROW_MSG(StrToIntTrim("-"), EConvertError, "'-' is not a valid integer value");
  EXPECT_THROW_MSG(StrToInt(""), EConvertError, "'' is not a valid integer value");
  EXPECT_THROW_MSG(StrToInt("$100000000"), EConvertError, "'$100000000' is not a valid integer value");
  EXPECT_EQ(StrToIntDef0(" 42 "), 42);
  EXPECT_EQ(StrToIntDef0("4x2"), 0);
  EXPECT_EQ(StrToIntDef0(""), 0);
  int v = 5;
  EXPECT_FALSE(TryStrToInt("x", v));
  EXPECT_EQ(v, 5);
}

TEST(TextFunctionsTest, FloatParsing) {
  EXPECT_DOUBLE_EQ(StrToFloatDef0(" 1.5 "), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloatDef0("-2.5E3"), -2500);
  EXPECT_DOUBLE_EQ(StrToFloatDef0("+.5e-1"), 0.05);
  EXPECT_DOUBLE_EQ(StrToFloatDef0("7."), 7);
  EXPECT_EQ(StrToFloatDef0("1,5"), 0);
  EXPECT_EQ(StrToFloatDef0("inf"), 0);
  EXPECT_EQ(StrToFloatDef0("nan"), 0);
  EXPECT_EQ(StrToFloatDef0("1e"), 0);
  EXPECT_EQ(StrToFloatDef0("."), 0);
  EXPECT_EQ(StrToFloatDef0("1e999"), 0);
  EXPECT_EQ(StrToFloatDef0(""), 0);
  EXPECT_THROW_MSG(StrToFloat("1.5x"), EConvertError, "'1.5x' is not a valid floating point value");
}

TEST(TextFunctionsTest, LineEscapesReadBack) {
  const std::string all = "a\"\\\n\r\t\x01\x7F\xC3\xA9";
  std::string back;
  ASSERT_TRUE(UnescapeLine(EscapeForLine(all), back));
  EXPECT_EQ(back, all);
  for (const char* bad : {"", "\"", "abc", "\"a\\\"", "\"\\q\"", "\"\\x1\"", "\"\\xG1\""})
    EXPECT_FALSE(UnescapeLine(bad, back)) << bad;
  EXPECT_EQ(QuoteRC("say \"hi\"\\\n\x01" "7"), "\"say \"\"hi\"\"\\\\\\n\\0017\"");
}

TEST(TextFunctionsTest, QuotePascal) {
  EXPECT_EQ(QuotePascal("It's", '\''), "'It''s'");
  EXPECT_EQ(QuotePascal("", '\''), "''");
  EXPECT_EQ(QuotePascal("a\tb", '\''), "'a'#9'b'");
  EXPECT_EQ(QuotePascal("\tb", '\''), "''#9'b'");
  EXPECT_EQ(QuotePascal("line\r\n", '\''), "'line'#13#10");
  EXPECT_EQ(QuotePascal("\r\n", '\''), "''#13#10");
  EXPECT_EQ(QuotePascal("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(QuotePascal("\xE9'", '\''), "'\xE9'''");
}

TEST(TextFunctionsTest, FindSectionWrapsAroundOnce) {
  TStringList list{"[Main]", "LastLib=1", "", "  [library1]  ", "Name=A", "[Library2]", "Name=B"};
  EXPECT_EQ(FindSection(0, list, "Library1"), 3);
  EXPECT_EQ(FindSection(4, list, "LIBRARY1"), 3);
  EXPECT_EQ(FindSection(10, list, "Main"), 0);
  EXPECT_EQ(FindSection(0, list, "Library3"), -1);
  EXPECT_EQ(FindSection(4, list, "Library3"), -1);
  EXPECT_EQ(FindSection(0, list, "Library"), -1);
}

TEST(TextFunctionsTest, ReadSectionKeepsLinesUntrimmedAndSkipsBlanks) {
  TStringList list{"[A]", " x=1 ", "", "y=[2]", "  [B]", "z=3", "[C]"};
  TStringList out{"stale"};
  EXPECT_EQ(ReadSection(0, list, "a", out), 3);
  EXPECT_EQ(out.Lines(), (std::vector<std::string>{" x=1 ", "y=[2]"}));
  EXPECT_EQ(ReadSection(0, list, "B", out), 5);
  EXPECT_EQ(out.Lines(), (std::vector<std::string>{"z=3"}));
  // A header on the last line: an empty section that ends at its header.
  EXPECT_EQ(ReadSection(0, list, "C", out), 6);
  EXPECT_TRUE(out.Empty());
  out.Add("stale");
  EXPECT_EQ(ReadSection(2, list, "missing", out), 2);
  EXPECT_TRUE(out.Empty());
  TStringList tail{"[A]", "x=1", "y=2"};
  EXPECT_EQ(ReadSection(0, tail, "A", out), 2);
}

TEST(TextFunctionsTest, MatchesMaskWildcards) {
  EXPECT_TRUE(MatchesMask("abc", "a?c", true));
  EXPECT_FALSE(MatchesMask("abc", "a??c", true));
  EXPECT_TRUE(MatchesMask("abc", "abc", true));
  EXPECT_FALSE(MatchesMask("abcd", "abc", true));
  EXPECT_FALSE(MatchesMask("ab", "abc", true));
  EXPECT_TRUE(MatchesMask("", "", true));
  EXPECT_FALSE(MatchesMask("a", "", true));
  EXPECT_TRUE(MatchesMask("", "*", true));
  EXPECT_TRUE(MatchesMask("anything", "*", true));
  EXPECT_FALSE(MatchesMask("a", "**", true));
  EXPECT_FALSE(MatchesMask("", "**", true));
  EXPECT_FALSE(MatchesMask("abc", "*?c", true));  // two wildcards after an asterisk
  EXPECT_TRUE(MatchesMask("abc", "a*", true));
  EXPECT_TRUE(MatchesMask("abc", "?*", true));
  EXPECT_FALSE(MatchesMask("", "?", true));
  EXPECT_FALSE(MatchesMask("ABC", "abc", true));
  EXPECT_TRUE(MatchesMask("ABC", "abc", false));
  EXPECT_TRUE(MatchesMask("\xC9T\xC9", "\xE9t*", false));
}

TEST(TextFunctionsTest, MatchesMaskBacktracksOverOccurrences) {
  EXPECT_TRUE(MatchesMask("a.hint.hint", "*.hint", true));
  EXPECT_TRUE(MatchesMask("xabab", "*ab", true));
  EXPECT_TRUE(MatchesMask("aaab", "*aab", true));  // overlapping occurrences
  EXPECT_TRUE(MatchesMask("a.b.c.d", "*.?.d", true));
  EXPECT_TRUE(MatchesMask("xAyAzB", "*A*B", true));
  EXPECT_FALSE(MatchesMask("xAyAzC", "*A*B", true));
  EXPECT_TRUE(MatchesMask("Form1.Button1.Caption", "*.*.Caption", true));
  EXPECT_FALSE(MatchesMask("Form1.Caption", "*.*.Caption", true));
}

TEST(TextFunctionsTest, MatchesMaskWithManyAsterisksOnALongTextEnds) {
  const std::string text(2000, 'a');
  EXPECT_FALSE(MatchesMask(text, "*a*a*a*a*a*a*a*a*a*a*b", true));
  EXPECT_TRUE(MatchesMask(text + "b", "*a*a*a*a*a*a*a*a*a*a*b", true));
  EXPECT_FALSE(MatchesMask(text, "*a?*a?*a?*a?*a?*b", true));
  EXPECT_FALSE(MatchesMask(text, "*a?a*a?a*a?a*a?a*a?a*b", true));
}

// The match rule written out literally: literal runs, question marks, and
// after an asterisk every occurrence of the following literal (overlapping ones too) tried
// against the rest of the mask.
bool ReferenceMatch(const std::string& text, const std::string& mask) {
  if (text.empty() && mask.empty()) return true;
  if (mask == "*") return true;
  std::size_t tp = 0, mp = 0;
  for (;;) {
    std::size_t end = mask.find_first_of("*?", mp);
    if (end == std::string::npos) end = mask.size();
    if (text.compare(tp, end - mp, mask, mp, end - mp) != 0 || tp + (end - mp) > text.size()) return false;
    tp += end - mp;
    mp = end;
    if (mp == mask.size()) return tp == text.size();
    if (mask[mp] == '?') {
      if (tp >= text.size()) return false;
      ++tp, ++mp;
      continue;
    }
    if (mp + 1 == mask.size()) return true;
    std::size_t litEnd = mask.find_first_of("*?", mp + 1);
    if (litEnd == std::string::npos) litEnd = mask.size();
    const std::string literal = mask.substr(mp + 1, litEnd - mp - 1);
    if (literal.empty()) return false;
    for (std::size_t pos = text.find(literal, tp); pos != std::string::npos; pos = text.find(literal, pos + 1))
      if (ReferenceMatch(text.substr(pos + literal.size()), mask.substr(litEnd))) return true;
    return false;
  }
}

std::vector<std::string> AllWords(const std::string& alphabet, std::size_t maxLength) {
  std::vector<std::string> words{""};
  for (std::size_t i = 0; i < words.size(); ++i)
    if (words[i].size() < maxLength)
      for (char c : alphabet) words.push_back(words[i] + c);
  return words;
}

TEST(TextFunctionsTest, MatchesMaskAgreesWithTheRuleOnEverySmallCase) {
  const auto texts = AllWords("ab", 6);
  const auto masks = AllWords("ab*?", 5);
  int checked = 0;
  for (const auto& mask : masks)
    for (const auto& text : texts) {
      ASSERT_EQ(MatchesMask(text, mask, true), ReferenceMatch(text, mask)) << "text " << text << " mask " << mask;
      ++checked;
    }
  EXPECT_GT(checked, 100000);
}

TEST(TextFunctionsTest, MatchesMaskRuleExamples) {
  EXPECT_TRUE(MatchesMask(".Caption", ".Caption", false));
  EXPECT_TRUE(MatchesMask(".CAPTION", ".Caption", false));
  EXPECT_FALSE(MatchesMask("Form1.Caption", ".Caption", false));
  EXPECT_TRUE(MatchesMask("Form1.Button1.Caption", "form1.*", false));
  EXPECT_FALSE(MatchesMask("Form2.Button1.Caption", "form1.*", false));
  EXPECT_TRUE(MatchesMask("Form1.Button1.Hint", "*.hint", false));
  EXPECT_TRUE(MatchesMask(".Hint", "*.hint", false));
  EXPECT_FALSE(MatchesMask("Form1.Button1.HintX", "*.hint", false));
}

}  // namespace
}  // namespace sw
