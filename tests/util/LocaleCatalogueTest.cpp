// The locale catalogue: English names, abbreviations, the three list modes,
// the tree grouping, the reverse look-ups and the conversions by language.
#include "util/LocaleCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/Unicode.h"
#include "support/LocaleTestSupport.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using test::LocaleEnv;

class LocaleCatalogueTest : public ::testing::Test {
 protected:
  LocaleEnv env_{"C.UTF-8"};

  static TLocaleEntryList List(LocaleListMode mode) {
    TLocaleEntryList list{{"stale", 1}};
    GetLocaleList(list, mode);
    return list;
  }
  static int IndexOf(const TLocaleEntryList& list, LANGID id) {
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i].Id == id) return static_cast<int>(i);
    return -1;
  }
};

TEST_F(LocaleCatalogueTest, EnglishNameTableHasItsRowsAndNoLanguageOnlyIds) {
  const auto& rows = EnglishLangNames();
  ASSERT_EQ(rows.size(), 135u);
  std::set<LANGID> ids;
  for (const auto& row : rows) {
    EXPECT_NE(row.Id, PrimaryLangId(row.Id)) << row.Name;
    EXPECT_TRUE(ids.insert(row.Id).second) << "duplicate " << row.Name;
  }
  EXPECT_STREQ(rows.front().Name, "Arabic (Saudi Arabia)");
  EXPECT_STREQ(rows.back().Name, "Spanish (Puerto Rico)");
  EXPECT_STREQ(FindEnglishLangName(0x042F), "Macedonian (FYROM)");
  EXPECT_EQ(FindEnglishLangName(0x0417), nullptr);
}

TEST_F(LocaleCatalogueTest, EnglishNamesComeFromTableThenLocaleDatabase) {
  EXPECT_EQ(GetEnglishLangName(0x0409), "English (United States)");
  EXPECT_EQ(GetEnglishLangName(0x040A), "Spanish (Traditional Sort)");  // table, not "Spanish (ESP)"
  EXPECT_EQ(GetEnglishLangName(0x0417), "Romansh (RMC)");
  EXPECT_EQ(GetEnglishLangName(0x0428), "Tajik (TAJ)");  // script qualifier cut
  EXPECT_EQ(GetEnglishLangName(0x7C04), "Chinese (ZHH)");
  EXPECT_EQ(GetEnglishLangName(0x0009), "English");  // language-only
  EXPECT_EQ(GetEnglishLangName(0x0004), "Chinese (Simplified)");
  EXPECT_EQ(GetEnglishLangName(0x0069), "");     // unknown language-only
  EXPECT_EQ(GetEnglishLangName(0x0469), " ()");  // unknown locale
  EXPECT_EQ(GetEnglishLangName(0x0414), "Norwegian (Bokmal)");
  EXPECT_EQ(GetEnglishLangName(0x0814), "Norwegian (Nynorsk)");
}

TEST_F(LocaleCatalogueTest, LocaleInfoStrAnswersEmptyForUnknownIdentifiers) {
  EXPECT_EQ(GetLocaleInfoStr(0x0407, LOCALE_SLANGUAGE), "German (Germany)");
  EXPECT_EQ(GetLocaleInfoStr(0x0407, LOCALE_SENGLANGUAGE), "German");
  EXPECT_EQ(GetLocaleInfoStr(0x0411, LOCALE_IDEFAULTANSICODEPAGE), "932");
  EXPECT_EQ(GetLocaleInfoStr(0xFFFF, LOCALE_SLANGUAGE), "");
  EXPECT_EQ(GetLocaleInfoStr(0x0407, 0x7777), "");
}

TEST_F(LocaleCatalogueTest, AbbreviationsAreTakenAsGivenAndCutForLanguageOnlyIds) {
  EXPECT_EQ(GetLangAbbr(0x0409), "ENU");
  EXPECT_EQ(GetLangAbbr(0x0C0A), "ESN");
  EXPECT_EQ(GetLangAbbr(0x0803), "VAL");
  EXPECT_EQ(GetLangAbbr(0x0433), "ZZZ");
  EXPECT_EQ(GetLangAbbr(0x0009), "EN");
  EXPECT_EQ(GetLangAbbr(0x000A), "ES");
  EXPECT_EQ(GetLangAbbr(0x0069), "");
  EXPECT_EQ(GetLangAbbr(0x0469), "");
}

TEST_F(LocaleCatalogueTest, CodePagesOfLanguages) {
  SKIP_ON_WINDOWS("the user's language comes from the POSIX locale environment; Windows answers from its own settings");
  EXPECT_EQ(GetCodePage(0x0419), 1251u);
  EXPECT_EQ(GetCodePage(0x0804), 936u);
  EXPECT_EQ(GetCodePage(0x0430), 0u);  // a locale without one answers "0"
  {
    LocaleEnv ru("ru_RU.UTF-8");
    EXPECT_EQ(GetCodePage(0x0469), 1251u);  // unknown: the system code page
  }
  EXPECT_EQ(GetCodePage(0x0469), 1252u);
}

TEST_F(LocaleCatalogueTest, LocalesModeListsEverySupportedLocaleInOrder) {
  const TLocaleEntryList list = List(lmLocales);
  ASSERT_EQ(list.size(), 255u);
  EXPECT_EQ(list.front(), (TLocaleEntry{"Afrikaans (South Africa)", 0x0436}));
  EXPECT_EQ(list.back(), (TLocaleEntry{"Zulu (South Africa)", 0x0435}));
  EXPECT_EQ(list[static_cast<std::size_t>(IndexOf(list, 0x0414))].Name, "Norwegian Bokm\xE5l (Norway)");
  EXPECT_EQ(List(static_cast<LocaleListMode>(7)), list);  // other modes share mode 1
}

TEST_F(LocaleCatalogueTest, LanguagesModeMergesLanguagesWithSeveralLocales) {
  const TLocaleEntryList list = List(lmLanguages);
  EXPECT_EQ(list.size(), 134u);
  // A single locale keeps its full name and identifier.
  EXPECT_EQ(list[0], (TLocaleEntry{"Afrikaans (South Africa)", 0x0436}));
  EXPECT_EQ(list[1], (TLocaleEntry{"Amharic (Ethiopia)", 0x045E}));
  // Several become one language-only entry where the first one stood.
  EXPECT_EQ(list[2], (TLocaleEntry{"Arabic", 0x0001}));
  EXPECT_EQ(list[IndexOf(list, 0x001A)].Name, "Bosnian");  // Bosnian, Croatian, Serbian share 0x1A
  EXPECT_EQ(IndexOf(list, 0x0409), -1);
  std::set<LANGID> primaries;
  for (const auto& e : list) EXPECT_TRUE(primaries.insert(PrimaryLangId(e.Id)).second) << e.Name;
}

TEST_F(LocaleCatalogueTest, LocalesAndLanguagesModeInsertsLanguageEntries) {
  const TLocaleEntryList list = List(lmLocalesAndLanguages);
  EXPECT_EQ(list.size(), 288u);  // 255 locales + 33 languages with several
  EXPECT_EQ(list[2], (TLocaleEntry{"Arabic", 0x0001}));
  EXPECT_EQ(list[3].Id, 0x3801);
  const int english = IndexOf(list, 0x0009);
  ASSERT_GE(english, 0);
  EXPECT_EQ(list[static_cast<std::size_t>(english)].Name, "English");
  EXPECT_EQ(PrimaryLangId(list[static_cast<std::size_t>(english) + 1].Id), 0x09);
  EXPECT_EQ(IndexOf(list, 0x0036), -1);  // Afrikaans has one locale
  // Every locale of mode 1 is still there, in the same order.
  TLocaleEntryList locales;
  for (const auto& e : list)
    if (e.Id != PrimaryLangId(e.Id)) locales.push_back(e);
  EXPECT_EQ(locales, List(lmLocales));
}

TEST_F(LocaleCatalogueTest, AbbreviationLookUpIgnoresCase) {
  EXPECT_EQ(LangIdFromAbbr("ENU"), 0x0409);
  EXPECT_EQ(LangIdFromAbbr("enu"), 0x0409);
  EXPECT_EQ(LangIdFromAbbr("deu"), 0x0407);
  EXPECT_EQ(LangIdFromAbbr("En"), 0x0009);   // language-only entry of mode 2
  EXPECT_EQ(LangIdFromAbbr("af"), 0);        // Afrikaans has no language-only entry
  EXPECT_EQ(LangIdFromAbbr("ZZZ"), 0x0466);  // first in enumeration order
  EXPECT_EQ(LangIdFromAbbr("XYZ"), 0);
  EXPECT_EQ(LangIdFromAbbr(""), 0);
}

TEST_F(LocaleCatalogueTest, EnglishNameLookUpMatchesPrefixesOfLanguageNames) {
  EXPECT_EQ(LangIdFromEnglishName("eng"), 0x2409);  // first enumerated English locale
  EXPECT_EQ(LangIdFromEnglishName("GERMAN"), 0x0C07);
  EXPECT_EQ(LangIdFromEnglishName("Chinese"), 0x0804);
  EXPECT_EQ(LangIdFromEnglishName(""), 0x0436);  // first entry of mode 1
  EXPECT_EQ(LangIdFromEnglishName("German (Germany)"), 0);
  EXPECT_EQ(LangIdFromEnglishName("Klingon"), 0);
}

TEST_F(LocaleCatalogueTest, TreeGroupsLocalesByLanguage) {
  TLocaleTree tree;
  tree.Add(nullptr, "left over", 1);
  FillLocaleTree(tree);
  EXPECT_TRUE(tree.Sorted());
  EXPECT_EQ(tree.Count(), 134);
  int groups = 0;
  for (int i = 0; i < tree.Count(); ++i) {
    const TLocaleTreeNode* node = tree.Item(i);
    if (i > 0) {
      EXPECT_LE(TLocaleTree::CompareNodeText(tree.Item(i - 1)->Text(), node->Text()), 0);
    }
    if (node->Count() == 0) continue;
    ++groups;
    EXPECT_GT(node->Count(), 1) << node->Text();
    for (int k = 0; k < node->Count(); ++k) {
      EXPECT_EQ(node->Item(k)->Parent(), node);
      EXPECT_EQ(node->Item(k)->Data() & 0xFF, node->Data());
      if (k > 0) {
        EXPECT_LE(TLocaleTree::CompareNodeText(node->Item(k - 1)->Text(), node->Item(k)->Text()), 0);
      }
    }
  }
  EXPECT_EQ(groups, 33);
  const TLocaleTreeNode* first = tree.Item(0);
  EXPECT_EQ(first->Text(), "Afrikaans (South Africa)");  // one locale: a leaf with the locale
  EXPECT_EQ(first->Data(), 0x0436);
  const TLocaleTreeNode* arabic = nullptr;
  for (int i = 0; i < tree.Count(); ++i)
    if (tree.Item(i)->Text() == "Arabic") arabic = tree.Item(i);
  ASSERT_NE(arabic, nullptr);
  EXPECT_EQ(arabic->Text(), "Arabic");
  EXPECT_EQ(arabic->Data(), 0x01);
  EXPECT_EQ(arabic->Count(), 16);
  EXPECT_EQ(arabic->Item(0)->Text(), "Arabic (Algeria)");
  EXPECT_EQ(arabic->Item(0)->Data(), 0x1401);
}

TEST_F(LocaleCatalogueTest, TreeStaysSortedAndChecksIndexes) {
  TLocaleTree tree;
  TLocaleTreeNode* b = tree.Add(nullptr, "beta", 2);
  tree.Add(nullptr, "Alpha", 1);
  EXPECT_EQ(tree.Item(0), b);  // unsorted: insertion order
  tree.SetSorted(true);
  EXPECT_EQ(tree.Item(0)->Text(), "Alpha");
  tree.Add(nullptr, "gamma", 3);
  tree.Add(nullptr, "ALPHA", 4);
  tree.SetText(b, "zeta");
  std::vector<std::string> texts;
  for (int i = 0; i < tree.Count(); ++i) texts.push_back(tree.Item(i)->Text());
  EXPECT_EQ(texts, (std::vector<std::string>{"Alpha", "ALPHA", "gamma", "zeta"}));
  EXPECT_THROW_MSG(tree.Item(4), EListError, "List index out of bounds (4)");
  tree.Clear();
  EXPECT_EQ(tree.Count(), 0);
}

TEST_F(LocaleCatalogueTest, ConversionsByLanguageUseItsCodePage) {
  EXPECT_EQ(AnsiToWideByLang("\xCF\xF0\xE8", 0x0419), u"\u041F\u0440\u0438");
  EXPECT_EQ(WideToAnsiByLang(u"\u041F\u0440\u0438", 0x0419), "\xCF\xF0\xE8");
  EXPECT_EQ(AnsiToWideByLang("\x93\xFA", 0x0411), u"\u65E5");
  EXPECT_EQ(WideToAnsiByLang(u"\u00C5", 0x0405), "A");  // best fit in 1250
  // Text stored under the wrong language is re-read under the right one.
  const std::u16string misread = AnsiToWideByLang("\xCF\xF0\xE8", 0x0409);
  EXPECT_EQ(misread, u"\u00CF\u00F0\u00E8");
  EXPECT_EQ(RecodeWide(misread, 0x0409, 0x0419), u"\u041F\u0440\u0438");
  EXPECT_EQ(AnsiToWideByLang("", 0x0419), u"");
  EXPECT_EQ(WideToAnsiByLang(u"", 0x0419), "");
}

TEST_F(LocaleCatalogueTest, UnknownCodePagesFallBackToTheSystemCodePage) {
  SKIP_ON_WINDOWS("the user's language comes from the POSIX locale environment; Windows answers from its own settings");
  LocaleEnv ru("ru_RU.UTF-8");
  EXPECT_EQ(AnsiToWideCP("\xC0", 437), u"\u0410");
  EXPECT_EQ(WideToAnsiCP(u"\u0410", 437), "\xC0");
  EXPECT_EQ(AnsiToWideCP("\xC0", 0), u"\u0410");
  EXPECT_EQ(AnsiToWideByLang("\xC0", 0x0430), u"\u0410");  // a locale of code page 0
}

TEST_F(LocaleCatalogueTest, DisplayTextsAreTheCatalogueNamesDecodedWithTheirCodePage) {
  EXPECT_EQ(LocaleTextToUtf8(GetLocaleInfoStr(0x0414, LOCALE_SLANGUAGE), 0x0414), "Norwegian Bokm\u00E5l (Norway)");
  EXPECT_EQ(LocaleTextToUtf8("\xCF\xF0\xE8", 0x0419), "\u041F\u0440\u0438");
  EXPECT_EQ(DisplayLangName(0x0409), "English (United States)");
  EXPECT_EQ(DisplayLangName(0x0014), "Norwegian Bokm\u00E5l");
  // Whatever the catalogue holds reaches a person as valid UTF-8.
  TLocaleEntryList list;
  GetLocaleList(list, lmLocalesAndLanguages);
  for (const auto& entry : list) {
    EXPECT_TRUE(IsValidUtf8(LocaleTextToUtf8(entry.Name, entry.Id))) << entry.Id;
    EXPECT_TRUE(IsValidUtf8(DisplayLangName(entry.Id))) << entry.Id;
  }
}

}  // namespace
}  // namespace sw
