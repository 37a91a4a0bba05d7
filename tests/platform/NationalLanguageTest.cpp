// The platform's national-language services against the reference answers
// committed in LocaleReference.inc: locale information, enumeration order,
// the default language from the environment, and the code-page conversions
// over their complete tables.
#include "platform/NationalLanguage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/LocaleTestSupport.h"

namespace sw::platform {
namespace {

using test::LocaleEnv;

std::string Info(LCID id, std::uint32_t type) {
  const int n = GetLocaleInfoA(id, type, nullptr, 0);
  if (n == 0) return "(fails)";
  std::string buf(static_cast<std::size_t>(n), 'x');
  EXPECT_EQ(GetLocaleInfoA(id, type, buf.data(), n), n) << std::hex << id;
  EXPECT_EQ(buf.back(), '\0');
  buf.pop_back();
  return buf;
}

std::string Expected(const char* text) { return *text ? text : "(fails)"; }

std::u16string Decode(unsigned cp, const std::string& bytes) {
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  if (n) {
    EXPECT_EQ(MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n), n);
  }
  return out;
}

std::string Encode(unsigned cp, const std::u16string& text, std::uint32_t flags = 0, bool* used = nullptr) {
  const int n =
      WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n) {
    EXPECT_EQ(WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, used),
              n);
  }
  return out;
}

class NationalLanguageTest : public ::testing::Test {
 protected:
  LocaleEnv env_{"C.UTF-8"};
};

TEST_F(NationalLanguageTest, EveryIdentifierAnswersAsReference) {
  for (const auto& row : test::kLocaleReference) {
    SCOPED_TRACE(testing::Message() << "id 0x" << std::hex << row.Id);
    EXPECT_EQ(Info(row.Id, LocaleSLanguage), Expected(row.Name));
    EXPECT_EQ(Info(row.Id, LocaleSAbbrevLangName), Expected(row.Abbr));
    EXPECT_EQ(Info(row.Id, LocaleSEngLanguage), Expected(row.EnglishName));
    EXPECT_EQ(Info(row.Id, LocaleIDefaultAnsiCodePage), Expected(row.CodePage));
  }
  EXPECT_EQ(std::size(test::kLocaleReference), 1284u);
}

TEST_F(NationalLanguageTest, EnumerationFollowsReferenceOrder) {
  std::vector<std::pair<int, LCID>> expected;
  for (const auto& row : test::kLocaleReference)
    if (row.Order >= 0) expected.emplace_back(row.Order, row.Id);
  std::sort(expected.begin(), expected.end());
  std::vector<LCID> got;
  ASSERT_TRUE(EnumSystemLocalesA(
      [&](const char* hex) {
        EXPECT_EQ(std::strlen(hex), 8u);
        EXPECT_EQ(std::string(hex), std::string(hex).find_first_not_of("0123456789abcdef") == std::string::npos
                                        ? std::string(hex)
                                        : std::string("(not lowercase hex)"));
        got.push_back(static_cast<LCID>(std::stoul(hex, nullptr, 16)));
        return true;
      },
      LcidSupported));
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i].second) << "index " << i;
  EXPECT_EQ(got.size(), 255u);
}

TEST_F(NationalLanguageTest, EnumerationStopsWhenCallbackSaysSoAndRejectsOtherFlags) {
  int calls = 0;
  EXPECT_TRUE(EnumSystemLocalesA([&](const char*) { return ++calls < 3; }, LcidSupported));
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(EnumSystemLocalesA([&](const char*) { return true; }, 4));
}

TEST_F(NationalLanguageTest, VariantEnvironmentsAnswerAsReference) {
  ASSERT_GT(std::size(test::kVariantReference), 0u);
  for (const auto& row : test::kVariantReference) {
    SCOPED_TRACE(testing::Message() << row.Lang << " id 0x" << std::hex << row.Id);
    LocaleEnv env(row.Lang);
    EXPECT_EQ(GetUserDefaultLangID(), row.UserLangId);
    EXPECT_EQ(GetACP(), row.Acp);
    EXPECT_EQ(Info(row.Id, LocaleSLanguage), Expected(row.Name));
    EXPECT_EQ(Info(row.Id, LocaleSAbbrevLangName), Expected(row.Abbr));
    EXPECT_EQ(Info(row.Id, LocaleSEngLanguage), Expected(row.EnglishName));
    EXPECT_EQ(Info(row.Id, LocaleIDefaultAnsiCodePage), Expected(row.CodePage));
  }
}

TEST_F(NationalLanguageTest, LocaleInfoCountsAndFlags) {
  char buf[8];
  EXPECT_EQ(GetLocaleInfoA(0x0409, LocaleSAbbrevLangName, nullptr, 0), 4);
  EXPECT_EQ(GetLocaleInfoA(0x0409, LocaleSAbbrevLangName, buf, 3), 0);  // too small
  EXPECT_EQ(GetLocaleInfoA(0x0409, LocaleSAbbrevLangName, buf, 8), 4);
  EXPECT_STREQ(buf, "ENU");
  EXPECT_EQ(GetLocaleInfoA(0x0409, 0x5A, nullptr, 0), 0);              // type not kept
  EXPECT_EQ(GetLocaleInfoA(0x10407, LocaleSLanguage, nullptr, 0), 0);  // sort identifier
  EXPECT_EQ(Info(0x0409, LocaleSAbbrevLangName | LocaleNoUserOverride), "ENU");
  // The narrow text follows the locale's code page, or the system's on request.
  {
    LocaleEnv ru("ru_RU.UTF-8");
    EXPECT_EQ(Info(0x0414, LocaleSEngLanguage), "Norwegian Bokm\xE5l");
    EXPECT_EQ(Info(0x0414, LocaleSEngLanguage | LocaleUseCpAcp), "Norwegian Bokmal");
  }
}

TEST_F(NationalLanguageTest, DefaultLanguageComesFromLocaleEnvironment) {
  struct Case {
    std::optional<std::string> all, messages, lang;
    LANGID expected;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, std::nullopt, 0x0409},
      {std::nullopt, std::nullopt, "C", 0x0409},
      {std::nullopt, std::nullopt, "POSIX", 0x0409},
      {std::nullopt, std::nullopt, "de_DE.UTF-8", 0x0407},
      {"fr_FR.UTF-8", "de_DE.UTF-8", "it_IT", 0x040C},  // LC_ALL first
      {"", "de_AT.UTF-8", "it_IT", 0x0C07},             // empty counts as unset
      {std::nullopt, std::nullopt, "pt_BR", 0x0416},
      {std::nullopt, std::nullopt, "de_XX.UTF-8", 0x0007},  // unknown territory
      {std::nullopt, std::nullopt, "de", 0x0007},
      {std::nullopt, std::nullopt, "xx_YY.UTF-8", 0x0409},  // unknown language
      {std::nullopt, std::nullopt, "sr_RS@latin", 0x241A},
      {std::nullopt, std::nullopt, "sr_RS", 0x281A},
      {std::nullopt, std::nullopt, "ca_ES.UTF-8@valencia", 0x0803},
      {std::nullopt, std::nullopt, "zh_TW.Big5", 0x0404},
      {std::nullopt, std::nullopt, "_.@", 0x0409},
  };
  for (const auto& c : cases) {
    LocaleEnv env(c.all, c.messages, c.lang);
    EXPECT_EQ(GetUserDefaultLangID(), c.expected) << c.lang.value_or("(unset)");
  }
  LocaleEnv hindi("hi_IN.UTF-8");  // a locale without an ANSI code page
  EXPECT_EQ(GetUserDefaultLangID(), 0x0439);
  EXPECT_EQ(GetACP(), 1252u);
}

// ---- Code pages -----------------------------------------------------------------

TEST_F(NationalLanguageTest, EveryByteAndPairDecodesAsReference) {
  for (const auto& d : test::kCodePageDigests) {
    std::uint64_t h = test::kFnvStart;
    int inputs = 0;
    auto feed = [&](const std::string& bytes) {
      const std::u16string w = Decode(d.CodePage, bytes);
      const auto n = static_cast<unsigned char>(w.size());
      h = test::Fnv(h, &n, 1);
      for (char16_t u : w) {
        const unsigned char le[2] = {static_cast<unsigned char>(u & 0xFF), static_cast<unsigned char>(u >> 8)};
        h = test::Fnv(h, le, 2);
      }
      ++inputs;
    };
    std::vector<int> leads;
    for (int b = 0; b < 256; ++b) feed(std::string(1, static_cast<char>(b)));
    for (int lead = 0x81; lead < 256; ++lead) {
      // A lead byte followed by a trail byte decodes to one character.
      const std::string pair{static_cast<char>(lead), 'A'};
      if (d.DecodeInputs > 256 && Decode(d.CodePage, pair).size() == 1) leads.push_back(lead);
    }
    for (int lead : leads)
      for (int trail = 1; trail < 256; ++trail) feed(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    EXPECT_EQ(inputs, d.DecodeInputs) << "cp " << d.CodePage;
    EXPECT_EQ(h, d.DecodeDigest) << "cp " << d.CodePage;
  }
}

TEST_F(NationalLanguageTest, EveryBmpCharacterEncodesAsReference) {
  for (const auto& d : test::kCodePageDigests) {
    std::uint64_t h = test::kFnvStart;
    int inputs = 0;
    for (unsigned u = 0; u < 0x10000; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      const std::string bytes = Encode(d.CodePage, std::u16string(1, static_cast<char16_t>(u)));
      const auto n = static_cast<unsigned char>(bytes.size());
      h = test::Fnv(h, &n, 1);
      h = test::Fnv(h, bytes.data(), bytes.size());
      ++inputs;
    }
    EXPECT_EQ(inputs, d.EncodeInputs) << "cp " << d.CodePage;
    EXPECT_EQ(h, d.EncodeDigest) << "cp " << d.CodePage;
  }
}

TEST_F(NationalLanguageTest, TextsEncodeAsReferenceWithAndWithoutBestFit) {
  for (const auto& s : test::kEncodeSamples) {
    const std::u16string wide(s.Wide);
    EXPECT_EQ(Encode(s.CodePage, wide), s.Bytes) << "cp " << s.CodePage;
    EXPECT_EQ(Encode(s.CodePage, wide, WcNoBestFitChars), s.NoBestFitBytes) << "cp " << s.CodePage;
  }
}

TEST_F(NationalLanguageTest, KnownCharactersAndUndefinedBytes) {
  EXPECT_EQ(Decode(1252, "\x80\x81\xE9"), u"\u20AC\u0081\u00E9");  // undefined 81 maps to C1
  EXPECT_EQ(Decode(1251, "\xC0\xFF"), u"\u0410\u044F");
  EXPECT_EQ(Decode(1255, "\xCA\xFF"), u"\u05BA\uF896");
  EXPECT_EQ(Decode(932, "\x82\xA0\x93\xFA\x96\x7B"), u"\u3042\u65E5\u672C");
  EXPECT_EQ(Decode(936, "\xD6\xD0\xCE\xC4"), u"\u4E2D\u6587");
  EXPECT_EQ(Decode(949, "\xB0\xA1"), u"\uAC00");
  EXPECT_EQ(Decode(950, "\xA4\xA4"), u"\u4E2D");
  EXPECT_EQ(Encode(932, u"\u00A5\u3042"), "\x5C\x82\xA0");  // best fit, then exact
  EXPECT_EQ(Encode(932, u"\u00A5", WcNoBestFitChars), "?");
  EXPECT_EQ(Encode(1252, u"\u0141\u2212"), "L-");
}

TEST_F(NationalLanguageTest, BrokenDoubleByteSequencesGiveDefaultCharacter) {
  EXPECT_EQ(Decode(932, "\x81"), u"\u30FB");  // lone lead byte at the end
  EXPECT_EQ(Decode(932,
                   "\x81\x20"
                   "A"),
            u"\u30FB"
            u"A");                                                                // invalid trail: both bytes go
  EXPECT_EQ(Decode(936, std::string("\x81\0A", 3)), std::u16string(u"?\0A", 3));  // zero kept
  EXPECT_EQ(Decode(950, "A\xFE"), u"A?");
}

TEST_F(NationalLanguageTest, SurrogatesBecomeDefaultCharacters) {
  bool used = false;
  EXPECT_EQ(Encode(1252, u"a\U0001F600b", 0, &used), "a??b");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(936, std::u16string(1, static_cast<char16_t>(0xDC00))), "?");
  used = true;
  EXPECT_EQ(Encode(1252, u"plain", 0, &used), "plain");
  EXPECT_FALSE(used);
  const char16_t text[] = u"\u4E2D";
  char out[4] = {};
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, 1, out, 4, "#", &used), 1);
  EXPECT_EQ(out[0], '#');
  EXPECT_TRUE(used);
}

TEST_F(NationalLanguageTest, CallsFailAsWindowsCallsDo) {
  char16_t w[4];
  char a[4];
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "", 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", 3, nullptr, 0), 0);   // unknown code page
  EXPECT_EQ(MultiByteToWideChar(1252, 8, "abc", 3, nullptr, 0), 0);  // unsupported flag
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, w, 2), 0);        // too small
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, w, 4), 4);       // with the terminator
  EXPECT_EQ(w[3], u'\0');
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 3, a, 2, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, a, 4, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, nullptr, 3, a, 4, nullptr, nullptr), 0);
  EXPECT_FALSE(IsValidCodePage(437));
  EXPECT_TRUE(IsValidCodePage(0));
  EXPECT_TRUE(IsValidCodePage(65001));
}

TEST_F(NationalLanguageTest, CodePageZeroIsTheSystemCodePage) {
  LocaleEnv ru("ru_RU.UTF-8");
  EXPECT_EQ(Decode(0, "\xC0"), u"\u0410");
  EXPECT_EQ(Decode(3, "\xC0"), u"\u0410");
  EXPECT_EQ(Decode(65001, "\xD0\x90"), u"\u0410");
}

TEST_F(NationalLanguageTest, RandomBytesRoundTripWhereTheCodePageHasExactForms) {
  std::mt19937 rng(1234);
  for (const auto& d : test::kCodePageDigests) {
    for (int round = 0; round < 200; ++round) {
      std::string bytes(static_cast<std::size_t>(rng() % 40), '\0');
      for (auto& c : bytes) c = static_cast<char>(rng());
      const std::u16string wide = Decode(d.CodePage, bytes);
      ASSERT_LE(wide.size(), bytes.size());
      // Decoding what was encoded gives the same characters back, except for
      // characters that only exist as best-fit or default answers.
      const std::string again = Encode(d.CodePage, wide, WcNoBestFitChars);
      const std::u16string wide2 = Decode(d.CodePage, again);
      ASSERT_EQ(wide2.size(), wide.size()) << "cp " << d.CodePage;
    }
  }
}

}  // namespace
}  // namespace sw::platform
