// The pseudo-translation of single texts: what is kept piece by piece
// (specifiers, accelerators, line breaks, spaces, report expressions, file
// masks, texts without words), the lengthening figures, markers, mirroring
// and the code page of the pseudo-language.
#include <gtest/gtest.h>

#include "base/Unicode.h"
#include "checks/FormatString.h"
#include "checks/PseudoTranslation.h"
#include "checks/TextRules.h"

namespace sw {
namespace {

std::u16string U(const char* utf8) { return Utf8ToUtf16(utf8); }
std::string S(const std::u16string& text) { return Utf16ToUtf8(text); }

std::u16string Pseudo(const std::u16string& native, TPseudoOptions options = {}, bool list = false,
                      bool report = false, const std::u16string& id = u"") {
  const TPseudoTranslator translator(options);
  return translator.Translate(TPseudoText{native, list, report, id});
}

TEST(PseudoTranslationTest, ExactTexts) {
  struct Case {
    const char* native;
    const char* pseudo;
  } cases[] = {
      {"Ready", "Réåðý·····"},
      {"&Open...", "&Opéñ·······..."},  // the accelerator's letter stays
      {"E&xit", "É&xît····"},
      {"Save %s?", "Šåvé %s········?"},
      {"  Name:  ", "  Ñåmé·········:  "},  // 9 characters +100%
      {"Tom && Jerry", "Töm && Jérrý·········"},  // 11 characters +80%
      {"Files (*.txt)|*.txt", "Fîléš (*.txt)|*.txt················"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(Pseudo(U(c.native))), c.pseudo) << c.native;
}

TEST(PseudoTranslationTest, TextsWithoutWordsStayAsTheyAre) {
  for (const char* text : {"-", "100", "*.txt", "%d%%", " %s ", "1.5", "*.*", "(%d)", "&1", ""}) {
    EXPECT_FALSE(IsPseudoWordText(U(text))) << text;
    EXPECT_EQ(S(Pseudo(U(text))), text);
  }
  EXPECT_FALSE(IsPseudoWordText(u"[Page#]", true));
  EXPECT_EQ(Pseudo(u"[Page#] [Date]", {}, false, true), u"[Page#] [Date]");
  for (const char* text : {"A", "OK", "x = %d", "Page [Page#]", "&X"}) EXPECT_TRUE(IsPseudoWordText(U(text))) << text;
  EXPECT_EQ(S(Pseudo(u"&X")), "&X·");
}

TEST(PseudoTranslationTest, KeptPiecesSurvive) {
  const char* texts[] = {
      "File '%s' not found.",   "%1:s of %0:d items",       "%-10.2f kB at %*d%%", "&Save all files",
      "Line 1\r\nLine 2\nLine 3", " leading and trailing\t", "Find &next: %s",      "Saving %s...\r\n",
  };
  for (const TPseudoOptions& options :
       {TPseudoOptions{}, TPseudoOptions{kPseudoLangId, 50, true, false},
        TPseudoOptions{kPseudoMirroredLangId, kPseudoExpandAuto, true, true}}) {
    for (const char* text : texts) {
      const std::u16string native = U(text);
      const std::u16string pseudo = Pseudo(native, options);
      EXPECT_NE(pseudo, native) << text;
      const TFormatString a = ParseFormatString(native), b = ParseFormatString(pseudo);
      EXPECT_EQ(a.Valid, b.Valid) << text;
      EXPECT_EQ(a.Specifiers, b.Specifiers) << text << " -> " << S(pseudo);
      EXPECT_EQ(a.Args.size(), b.Args.size()) << text;
      for (const auto& [index, arg] : a.Args) {
        ASSERT_TRUE(b.Args.count(index)) << text;
        EXPECT_EQ(b.Args.at(index).Class, arg.Class) << text;
      }
      EXPECT_EQ(CountAccelerators(pseudo), CountAccelerators(native)) << text;
      EXPECT_EQ(AcceleratorKey(pseudo), AcceleratorKey(native)) << text;
      EXPECT_EQ(CountLineBreaks(pseudo), CountLineBreaks(native)) << text;
      EXPECT_EQ(CountListLines(pseudo), CountListLines(native)) << text;
      // Leading and trailing spaces.
      EXPECT_EQ(pseudo.find_first_not_of(u" \t"), native.find_first_not_of(u" \t")) << text;
      EXPECT_EQ(pseudo.size() - pseudo.find_last_not_of(u" \t"), native.size() - native.find_last_not_of(u" \t"))
          << text;
    }
  }
}

TEST(PseudoTranslationTest, StringListsKeepTheirLinesEachBracketed) {
  TPseudoOptions options;
  options.Markers = true;
  EXPECT_EQ(S(Pseudo(u"ANSI\r\n-\r\nUTF-8\r\n", options, true)), "[ÅÑŠÎ····]\r\n-\r\n[ÜTF-8·····]\r\n");
  EXPECT_EQ(S(Pseudo(u"One\r\nTwo", options, false, false, u"p7")), "[p7:Öñé···\r\nTwö···]");
}

TEST(PseudoTranslationTest, ReportExpressionsAreKept) {
  const std::u16string native = u"Page [Page#] of [TotalPages#], [<Data.\"Name [x]\">]";
  TPseudoOptions options;
  options.Markers = true;
  const std::u16string pseudo = Pseudo(native, options, false, true);
  for (const char16_t* expression : {u"[Page#]", u"[TotalPages#]", u"[<Data.\"Name [x]\">]"})
    EXPECT_NE(pseudo.find(expression), std::u16string::npos) << S(pseudo);
  EXPECT_EQ(pseudo.front(), u'\u00AB');  // markers that are no expression
  EXPECT_EQ(pseudo.back(), u'\u00BB');
}

TEST(PseudoTranslationTest, ExpansionFigures) {
  struct Case {
    int length, expand, percent;
  } cases[] = {{1, -1, 100}, {10, -1, 100}, {11, -1, 80}, {20, -1, 80}, {21, -1, 60},
               {30, -1, 60}, {31, -1, 40},  {50, -1, 40}, {51, -1, 30}, {400, -1, 30}, {5, 25, 25}, {80, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(PseudoExpansionPercent(c.length, c.expand), c.percent) << c.length;
  // The padding is the figure of the whole text, rounded up.
  for (int length : {1, 3, 10, 11, 17, 20, 25, 40, 50, 77}) {
    const std::u16string native(static_cast<std::size_t>(length), u'a');
    const int padding = static_cast<int>(Pseudo(native).size()) - length;
    EXPECT_EQ(padding, std::max(1, (length * PseudoExpansionPercent(length, -1) + 99) / 100)) << length;
  }
  TPseudoOptions fixed;
  fixed.Expand = 50;
  EXPECT_EQ(Pseudo(u"abcdefghij", fixed).size(), 15u);
  fixed.Expand = 0;
  EXPECT_EQ(S(Pseudo(u"abc", fixed)), "åbç");
  int expand = 0;
  EXPECT_TRUE(ParsePseudoExpand("auto", expand));
  EXPECT_EQ(expand, kPseudoExpandAuto);
  EXPECT_TRUE(ParsePseudoExpand("35%", expand));
  EXPECT_EQ(expand, 35);
  for (const char* bad : {"", "-5", "1001", "abc", "5.5", "%"}) EXPECT_FALSE(ParsePseudoExpand(bad, expand)) << bad;
}

TEST(PseudoTranslationTest, Mirroring) {
  TPseudoOptions options;
  options.LangId = kPseudoMirroredLangId;
  options.Mirror = true;
  options.Expand = 0;
  EXPECT_EQ(S(Pseudo(u"Open (%s)", options)), "(%s) ñépÖ");
  EXPECT_EQ(S(Pseudo(u"&Save as", options)), "šå évå&S");  // "&S" one piece
  // Specifiers keep their order, which gives them their arguments.
  EXPECT_EQ(S(Pseudo(u"%s of %d", options)), "%s ƒö %d");
  EXPECT_EQ(S(Pseudo(u"%1:s of %0:d", options)), "%1:s ƒö %0:d");
}

TEST(PseudoTranslationTest, LookAlikesExistInTheCodePage) {
  for (const LANGID lang : {kPseudoLangId, kPseudoMirroredLangId, LANGID(0x0405), LANGID(0x0419), LANGID(0x041F)}) {
    TPseudoOptions options;
    options.LangId = lang;
    const TPseudoTranslator translator(options);
    for (char16_t c = u'A'; c <= u'z'; ++c) {
      const char16_t look = translator.LookAlike(c);
      const std::u16string one(1, look);
      EXPECT_EQ(AnsiToWideByLang(WideToAnsiByLang(one, lang), lang), one) << std::hex << lang << " " << char(c);
    }
  }
  EXPECT_EQ(GetCodePage(kPseudoLangId), 1252u);
  EXPECT_EQ(GetLangAbbr(kPseudoLangId), "QPS");
  EXPECT_EQ(GetLangAbbr(kPseudoMirroredLangId), "QPM");
  EXPECT_EQ(LangIdFromAbbr("qps"), kPseudoLangId);
  EXPECT_EQ(LangIdFromAbbr("QPM"), kPseudoMirroredLangId);
  EXPECT_EQ(GetLocaleInfoStr(kPseudoMirroredLangId, LOCALE_SNAME), "qps-plocm");
  const TPseudoTranslator latin({});
  EXPECT_NE(latin.LookAlike(u'e'), u'e');
  EXPECT_NE(latin.LookAlike(u'S'), u'S');
}

}  // namespace
}  // namespace sw
