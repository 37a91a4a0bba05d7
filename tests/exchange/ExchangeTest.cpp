// Coverage, export and import of a translation language on a small library:
// counts per status, the two formats round trip byte for byte (line breaks,
// quotes, accelerators, markup characters, characters beyond the BMP,
// Cyrillic), stale and unknown units, review states, dry runs, compression,
// and hostile input.
#include <gtest/gtest.h>

#include "base/Unicode.h"
#include "storage/Coverage.h"
#include "exchange/ExchangeTestSupport.h"

namespace sw {
namespace {

using testing::ExchangeLibrary;
using testing::ReplaceOnce;
using testing::Row;

std::vector<Row> DemoRows() {
  return {
      {'C', "Strings", "", "SQuote", vkString, u"Say \"hello\" to 'them'", u"Sag \"hallo\" zu 'ihnen'"},
      {'C', "Strings", "", "SMarkup", vkString, u"<b>bold</b> & <i>x</i> > y", u"<b>fett</b> & <i>x</i> > y"},
      {'C', "Strings", "", "SEmoji", vkString, u"Smile \U0001F600", u"L\u00e4cheln \U0001F600 \U0001D11E"},
      {'C', "Strings", "", "SRussian", vkString, u"Hello, world", u"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440"},
      {'C', "Strings", "", "SOld", vkString, u"New text", u"Alter Text", 2},
      {'C', "Strings", "", "SNew", vkString, u"Brand new words here", u"", -1},
      {'P', "Main", "", "Caption", vkString, u"Main window", u"Hauptfenster"},
      {'P', "Main", "memo", "Lines.Strings", vkStrings, u"First line\r\nSecond line\r\n", u"Erste Zeile\r\nZweite Zeile\r\n"},
      {'P', "Main", "btnOpen", "Caption", vkString, u"&Open...", u"\u00d6&ffnen..."},
      {'P', "Main", "edit", "Font.Size", vkInteger, u"8", u"9"},
      {'P', "Main", "lblEmpty", "Caption", vkString, u"", u""},
  };
}

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { library.Write(DemoRows()); }
  ExchangeLibrary library;
};

TEST_F(ExchangeTest, CoverageCountsItemsAndWordsPerStatusAndGroup) {
  const TLoadedLanguage loaded = LoadLanguage(library.Native(), library.German(), testing::kGerman);
  const TLanguageCoverage coverage = ComputeCoverage(*loaded.Storage, loaded.Column);
  // The empty native caption is nothing to translate.
  EXPECT_EQ(coverage.Total.Items, (std::array<int, 3>{8, 1, 1}));
  EXPECT_EQ(coverage.Total.Words[1], 2);  // "New text"
  EXPECT_EQ(coverage.Total.Words[2], 4);  // "Brand new words here"
  EXPECT_DOUBLE_EQ(coverage.Total.UpToDatePercent(), 80.0);
  ASSERT_EQ(coverage.Groups.size(), 2u);
  EXPECT_EQ(coverage.Groups[0].Kind, TGroupKind::Unit);
  EXPECT_EQ(coverage.Groups[0].Name, "Strings");
  EXPECT_EQ(coverage.Groups[0].Counts.Items, (std::array<int, 3>{4, 1, 1}));
  EXPECT_EQ(coverage.Groups[1].Name, "Main");
  EXPECT_EQ(coverage.Groups[1].Counts.Items, (std::array<int, 3>{4, 0, 0}));

  const auto library2 = LibraryCoverage(library.dir.Root(), "Demo", {testing::kEnglish, testing::kGerman});
  ASSERT_EQ(library2.size(), 1u);
  EXPECT_EQ(library2[0].Total.Items, coverage.Total.Items);
  const auto files = FilesCoverage({library.German(), library.Native()});
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].Total.Words, coverage.Total.Words);
  EXPECT_THROW(FilesCoverage({library.German()}), EExchangeError);
}

TEST_F(ExchangeTest, WordsAreRunsBetweenBlanks) {
  EXPECT_EQ(CountWords(u""), 0);
  EXPECT_EQ(CountWords(u"  one\ttwo\r\nthree\u00a0four  "), 4);
  EXPECT_EQ(CountWords(u"&Open..."), 1);
}

TEST_F(ExchangeTest, XliffCarriesStatesNotesAndOneFilePerGroup) {
  const std::string xliff = library.Export(TExchangeFormat::Xliff);
  EXPECT_NE(xliff.find("<file original=\"unit/Strings\" source-language=\"en-US\" target-language=\"de-DE\""),
            std::string::npos);
  EXPECT_NE(xliff.find("<file original=\"form/Main\""), std::string::npos);
  EXPECT_NE(xliff.find("<trans-unit id=\"form/Main/btnOpen/Caption\" resname=\"Main.btnOpen.Caption\" "
                       "xml:space=\"preserve\" approved=\"yes\">"),
            std::string::npos);
  EXPECT_NE(xliff.find("<target state=\"needs-review-translation\">Alter Text</target>"), std::string::npos);
  EXPECT_NE(xliff.find("<source>&lt;b&gt;bold&lt;/b&gt; &amp; &lt;i&gt;x&lt;/i&gt; &gt; y</source>"),
            std::string::npos);
  EXPECT_NE(xliff.find("<note>Kind: string list</note>"), std::string::npos);
  EXPECT_NE(xliff.find("<note>Component: Main.memo</note>"), std::string::npos);
  // The untranslated unit has no target; the empty caption is not there.
  const auto fresh = xliff.find("id=\"unit/Strings/SNew\"");
  ASSERT_NE(fresh, std::string::npos);
  EXPECT_EQ(xliff.substr(fresh, xliff.find("</trans-unit>", fresh) - fresh).find("<target"), std::string::npos);
  EXPECT_EQ(xliff.find("lblEmpty"), std::string::npos);

  const std::string open = library.Export(TExchangeFormat::Xliff, true);
  EXPECT_EQ(ParseXliff(open, "open.xlf").Entries.size(), 2u);
  EXPECT_EQ(ParseXliff(xliff, "all.xlf").Entries.size(), 10u);
}

TEST_F(ExchangeTest, PoCarriesContextFuzzyAndHeader) {
  const std::string po = library.Export(TExchangeFormat::Po);
  EXPECT_NE(po.find("\"Language: de_DE\\n\""), std::string::npos);
  EXPECT_NE(po.find("\"Content-Type: text/plain; charset=UTF-8\\n\""), std::string::npos);
  EXPECT_EQ(po.find("Plural-Forms"), std::string::npos);
  EXPECT_NE(po.find("#, fuzzy\nmsgctxt \"unit/Strings/SOld\"\nmsgid \"New text\"\nmsgstr \"Alter Text\""),
            std::string::npos);
  EXPECT_NE(po.find("msgctxt \"unit/Strings/SNew\"\nmsgid \"Brand new words here\"\nmsgstr \"\""), std::string::npos);
  EXPECT_NE(po.find("#. Kind: integer\n#. Component: Main.edit\n"), std::string::npos);
  // PO texts carry LF breaks only.
  EXPECT_EQ(po.find("\\r"), std::string::npos);
  EXPECT_NE(po.find("\"First line\\n\""), std::string::npos);
}

TEST_F(ExchangeTest, UnchangedExportReimportsToTheSameBytes) {
  for (bool compressed : {false, true}) {
    library.Write(DemoRows(), 4, 5, compressed);
    const std::string before = TempDir::Read(library.German());
    for (TExchangeFormat format : {TExchangeFormat::Xliff, TExchangeFormat::Po}) {
      const TImportResult result = library.Import(library.Export(format), format == TExchangeFormat::Po ? "de.po" : "de.xlf");
      EXPECT_EQ(result.Changed, 0);
      EXPECT_EQ(result.Unchanged, 9);
      EXPECT_EQ(result.NoTranslation, 1);
      EXPECT_TRUE(result.Clean());
      EXPECT_FALSE(result.Written);
      EXPECT_EQ(TempDir::Read(library.German()), before) << "compressed " << compressed;
    }
  }
}

// Texts no exchange format can carry exactly (a lone surrogate, a NUL
// character) are not rewritten by an unchanged round trip either.
TEST_F(ExchangeTest, UnrepresentableTextsAreLeftAlone) {
  std::vector<Row> rows = DemoRows();
  rows.push_back({'C', "Strings", "", "SHalf", vkString, u"Half", std::u16string(u"Halb \xD800 Paar")});
  rows.push_back({'C', "Strings", "", "SNul", vkString, u"Nul", std::u16string(u"A\0B", 3)});
  library.Write(rows);
  const std::string before = TempDir::Read(library.German());
  for (TExchangeFormat format : {TExchangeFormat::Xliff, TExchangeFormat::Po}) {
    const TImportResult result = library.Import(library.Export(format), format == TExchangeFormat::Po ? "de.po" : "de.xlf");
    EXPECT_EQ(result.Changed, 0);
    EXPECT_TRUE(result.Clean());
  }
  EXPECT_EQ(TempDir::Read(library.German()), before);
}

// A translator fills in the special texts of another copy of the library:
// every one arrives exactly as the first library holds it.
TEST_F(ExchangeTest, SpecialTextsSurviveBothFormatsByteForByte) {
  const auto expected = library.GermanValues();
  for (TExchangeFormat format : {TExchangeFormat::Xliff, TExchangeFormat::Po}) {
    const std::string exported = library.Export(format);
    ExchangeLibrary empty;
    std::vector<Row> rows = DemoRows();
    for (Row& row : rows)
      if (row.Revision != 2) row.Revision = -1;
    empty.Write(rows);
    const TImportResult result = empty.Import(exported, format == TExchangeFormat::Po ? "de.po" : "de.xlf");
    EXPECT_TRUE(result.Clean());
    EXPECT_EQ(result.Changed, 8);
    const auto values = empty.GermanValues();
    for (const char* place : {"unit/Strings/SQuote", "unit/Strings/SMarkup", "unit/Strings/SEmoji",
                              "unit/Strings/SRussian", "form/Main/Caption", "form/Main/memo/Lines.Strings",
                              "form/Main/btnOpen/Caption", "form/Main/edit/Font.Size"}) {
      EXPECT_EQ(values.at(place).Text, expected.at(place).Text) << place;
      EXPECT_EQ(values.at(place).Status, TUnitStatus::UpToDate) << place;
      // Up to date with the file's next revision.
      EXPECT_EQ(values.at(place).Revision, 6) << place;
    }
    EXPECT_EQ(values.at("unit/Strings/SOld"), expected.at("unit/Strings/SOld"));
  }
}

TEST_F(ExchangeTest, ChangedTranslationsAreStampedUpToDate) {
  const auto before = library.GermanValues();
  std::string xliff = library.Export(TExchangeFormat::Xliff);
  xliff = ReplaceOnce(xliff, ">Hauptfenster<", ">Hauptfenster &amp; mehr<");
  xliff = ReplaceOnce(xliff, "<target state=\"needs-review-translation\">Alter Text",
                      "<target state=\"translated\">Neuer Text");
  xliff = ReplaceOnce(xliff, "<source>Brand new words here</source>",
                      "<source>Brand new words here</source><target>Ganz neue W\xc3\xb6rter</target>");
  const TImportResult result = library.Import(xliff, "de.xlf");
  EXPECT_EQ(result.Changed, 3);
  EXPECT_TRUE(result.Written);
  EXPECT_EQ(result.Revision, 6);
  const auto after = library.GermanValues();
  int differ = 0;
  for (const auto& [place, value] : after) {
    if (value == before.at(place)) continue;
    ++differ;
    EXPECT_EQ(value.Status, TUnitStatus::UpToDate) << place;
  }
  EXPECT_EQ(differ, 3);
  EXPECT_EQ(after.at("form/Main/Caption").Text, u"Hauptfenster & mehr");
  EXPECT_EQ(after.at("unit/Strings/SNew").Text, u"Ganz neue W\u00f6rter");
  TLangFile file(library.German(), true);
  EXPECT_EQ(file.Revision, 6);
}

TEST_F(ExchangeTest, NativeRevisionAboveTheFileKeepsImportsUpToDate) {
  library.Write(DemoRows(), 40, 5);
  std::string po = library.Export(TExchangeFormat::Po);
  // Every translation is older than its native text now: the translator
  // reviews one.
  po = ReplaceOnce(po, "#, fuzzy\nmsgctxt \"form/Main/Caption\"\nmsgid \"Main window\"\nmsgstr \"Hauptfenster\"",
                   "msgctxt \"form/Main/Caption\"\nmsgid \"Main window\"\nmsgstr \"Fenster\"");
  const TImportResult result = library.Import(po, "de.po");
  EXPECT_EQ(result.Changed, 1);
  EXPECT_EQ(result.Revision, 40);
  EXPECT_EQ(library.GermanValues().at("form/Main/Caption").Status, TUnitStatus::UpToDate);
}

TEST_F(ExchangeTest, FuzzyAndNeedsStatesImportAsOutOfDate) {
  std::string po = library.Export(TExchangeFormat::Po);
  po = ReplaceOnce(po, "msgctxt \"form/Main/Caption\"\nmsgid \"Main window\"\nmsgstr \"Hauptfenster\"",
                   "#, fuzzy\nmsgctxt \"form/Main/Caption\"\nmsgid \"Main window\"\nmsgstr \"Hauptfenster?\"");
  TImportResult result = library.Import(po, "de.po");
  EXPECT_EQ(result.Changed, 1);
  auto values = library.GermanValues();
  EXPECT_EQ(values.at("form/Main/Caption").Text, u"Hauptfenster?");
  EXPECT_EQ(values.at("form/Main/Caption").Status, TUnitStatus::OutOfDate);
  EXPECT_EQ(values.at("form/Main/Caption").Revision, 3);

  std::string xliff = library.Export(TExchangeFormat::Xliff);
  xliff = ReplaceOnce(xliff, "<target state=\"translated\">Sag", "<target state=\"needs-review-l10n\">Sag");
  result = library.Import(xliff, "de.xlf");
  EXPECT_EQ(result.Changed, 1);
  EXPECT_EQ(library.GermanValues().at("unit/Strings/SQuote").Status, TUnitStatus::OutOfDate);
}

TEST_F(ExchangeTest, StaleUnitsAreReportedAndAppliedOnlyWhenForced) {
  std::string po = library.Export(TExchangeFormat::Po);
  po = ReplaceOnce(po, "msgstr \"Hauptfenster\"", "msgstr \"Fenster\"");
  po = ReplaceOnce(po, "msgstr \"\xc3\x96&ffnen...\"", "msgstr \"\xc3\x96&ffnen\"");
  // The native texts change after the export, as a later run would.
  std::vector<Row> rows = DemoRows();
  for (Row& row : rows) row.NativeRevision = 4;
  rows[6].Native = u"Main window of the app";
  rows[6].NativeRevision = 6;
  library.Write(rows, 6, 5);
  const std::string bytes = TempDir::Read(library.German());
  const auto before = library.GermanValues();

  TImportResult result = library.Import(po, "de.po");
  ASSERT_EQ(result.Stale.size(), 1u);
  EXPECT_EQ(result.Stale[0].Place, "form/Main/Caption");
  EXPECT_FALSE(result.Clean());
  EXPECT_EQ(result.Changed, 1);  // the accelerator change still applies
  EXPECT_EQ(library.GermanValues().at("form/Main/Caption"), before.at("form/Main/Caption"));

  library.Write(rows, 6, 5);
  ASSERT_EQ(TempDir::Read(library.German()), bytes);
  TImportOptions force;
  force.Force = true;
  result = library.Import(po, "de.po", force);
  EXPECT_TRUE(result.Clean());
  EXPECT_EQ(result.Forced, 1);
  EXPECT_EQ(result.Changed, 2);
  EXPECT_EQ(library.GermanValues().at("form/Main/Caption").Text, u"Fenster");
}

TEST_F(ExchangeTest, UnknownAndRepeatedUnitsAreReportedNeverCreated) {
  std::string xliff = library.Export(TExchangeFormat::Xliff);
  xliff = ReplaceOnce(xliff, "id=\"form/Main/Caption\"", "id=\"form/Main/lblGone/Caption\"");
  xliff = ReplaceOnce(xliff, "</body>\n  </file>\n  <file original=\"form/Main\"",
                      "<trans-unit id=\"unit/Strings/SQuote\"><source>Say \"hello\" to 'them'</source>"
                      "<target>x</target></trans-unit></body>\n  </file>\n  <file original=\"form/Main\"");
  const std::string before = TempDir::Read(library.German());
  const TImportResult result = library.Import(xliff, "de.xlf");
  ASSERT_EQ(result.Unknown.size(), 1u);
  EXPECT_EQ(result.Unknown[0].Place, "form/Main/lblGone/Caption");
  EXPECT_GT(result.Unknown[0].Line, 1);
  ASSERT_EQ(result.Invalid.size(), 1u);
  EXPECT_EQ(result.Invalid[0].Message, "given more than once");
  EXPECT_EQ(result.Changed, 0);
  EXPECT_EQ(TempDir::Read(library.German()), before);
  EXPECT_EQ(library.GermanValues().count("form/Main/lblGone/Caption"), 0u);
}

TEST_F(ExchangeTest, NumbersAreCheckedBeforeTheyAreStored) {
  std::string po = library.Export(TExchangeFormat::Po);
  po = ReplaceOnce(po, "msgstr \"9\"", "msgstr \"nine\"");
  const TImportResult result = library.Import(po, "de.po");
  ASSERT_EQ(result.Invalid.size(), 1u);
  EXPECT_EQ(result.Invalid[0].Place, "form/Main/edit/Font.Size");
  EXPECT_EQ(result.Changed, 0);
}

TEST_F(ExchangeTest, DryRunReportsAndWritesNothing) {
  std::string po = library.Export(TExchangeFormat::Po);
  po = ReplaceOnce(po, "msgstr \"Hauptfenster\"", "msgstr \"Fenster\"");
  const std::string before = TempDir::Read(library.German());
  TImportOptions dry;
  dry.DryRun = true;
  const TImportResult result = library.Import(po, "de.po", dry);
  EXPECT_EQ(result.Changed, 1);
  EXPECT_EQ(result.ChangedPlaces, std::vector<std::string>{"form/Main/Caption"});
  EXPECT_FALSE(result.Written);
  EXPECT_EQ(TempDir::Read(library.German()), before);
}

TEST_F(ExchangeTest, ChangesKeepTheFileCompressed) {
  library.Write(DemoRows(), 4, 5, true);
  std::string po = library.Export(TExchangeFormat::Po);
  po = ReplaceOnce(po, "msgstr \"Hauptfenster\"", "msgstr \"Fenster\"");
  EXPECT_TRUE(library.Import(po, "de.po").Written);
  EXPECT_EQ(TempDir::Read(library.German()).substr(0, 5), "LZQ00");
  EXPECT_EQ(library.GermanValues().at("form/Main/Caption").Text, u"Fenster");
}

TEST_F(ExchangeTest, LineBreaksComeBackAsTheNativeTextHasThem) {
  std::string xliff = library.Export(TExchangeFormat::Xliff);
  // A tool that rewrites the file with LF breaks only.
  xliff = ReplaceOnce(xliff, "Erste Zeile\r\nZweite Zeile\r\n", "Erste Zeile\nZweite Zeile\nDritte\n");
  xliff = ReplaceOnce(xliff, "First line\r\nSecond line\r\n", "First line\nSecond line\n");
  const TImportResult result = library.Import(xliff, "de.xlf");
  EXPECT_TRUE(result.Clean());
  EXPECT_EQ(result.Changed, 1);
  EXPECT_EQ(library.GermanValues().at("form/Main/memo/Lines.Strings").Text,
            u"Erste Zeile\r\nZweite Zeile\r\nDritte\r\n");
}

TEST_F(ExchangeTest, AnotherLanguagesFileIsRefusedUnlessForced) {
  std::string po = library.Export(TExchangeFormat::Po);
  po = ReplaceOnce(po, "Language: de_DE", "Language: fr_FR");
  try {
    library.Import(po, "fr.po");
    ADD_FAILURE() << "no error";
  } catch (const EExchangeError& e) {
    EXPECT_NE(e.Describe().find("fr.po: the file is for the language \"fr_FR\", not \"de-DE\""), std::string::npos)
        << e.Describe();
  }
  TImportOptions force;
  force.Force = true;
  EXPECT_TRUE(library.Import(po, "fr.po", force).Clean());
}

TEST_F(ExchangeTest, HostileFilesGiveAnErrorNamingTheFile) {
  auto expectError = [&](const std::string& name, const std::string& text, const std::string& part) {
    try {
      library.Import(text, name);
      ADD_FAILURE() << name << ": no error";
    } catch (const EExchangeError& e) {
      EXPECT_NE(e.Describe().find(part), std::string::npos) << e.Describe();
    }
  };
  expectError("bad.xlf", "<?xml version=\"1.0\"?>\n<xliff version=\"1.2\">\n<file><body><trans-unit", "bad.xlf: not well-formed XML");
  expectError("bad.xlf", "<?xml version=\"1.0\"?>\n<xliff version=\"1.2\">\n<file><body><trans-unit", "(line 3)");
  expectError("root.xlf", "<html/>", "root.xlf: not an XLIFF file");
  expectError("v2.xlf", "<xliff version=\"2.0\"/>", "XLIFF version \"2.0\" is not supported");
  expectError("inline.xlf",
              "<xliff version=\"1.2\"><file><body><trans-unit id=\"x\"><source>a<g id=\"1\">b</g></source>"
              "</trans-unit></body></file></xliff>",
              "inline element <g>");
  expectError("noid.xlf", "<xliff version=\"1.2\"><file><body><trans-unit><source>a</source></trans-unit></body></file></xliff>",
              "trans-unit without an id");
  expectError("utf.xlf", "<xliff version=\"1.2\"><file><body><trans-unit id=\"x\"><source>\xff</source></trans-unit></body></file></xliff>",
              "not valid UTF-8");
  expectError("bad.po", "msgid \"a\"\nmsgstr \"b\n", "bad.po:");
  expectError("latin.po",
              "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\nmsgid \"a\"\nmsgstr \"b\"\n",
              "only UTF-8 is read");
  std::string many;
  for (int i = 0; i < 40; ++i) many += "msgid \"unterminated\n";
  expectError("many.po", many, "many.po:");
  EXPECT_THROW(ImportTranslations(library.Native(), library.German(), testing::kGerman, library.dir.Path("none.po"), {}),
               EExchangeError);
}

// Every cut and a run of flipped bytes either reads or fails with the
// exchange error; nothing else escapes and nothing crashes.
TEST_F(ExchangeTest, CutAndDamagedFilesFailCleanly) {
  for (TExchangeFormat format : {TExchangeFormat::Xliff, TExchangeFormat::Po}) {
    const std::string whole = library.Export(format);
    const std::string name = format == TExchangeFormat::Po ? "cut.po" : "cut.xlf";
    std::vector<std::string> damaged;
    for (std::size_t n = 0; n < whole.size(); n += 5) damaged.push_back(whole.substr(0, n));
    for (std::size_t at = 0; at < whole.size(); at += 11) {
      std::string copy = whole;
      copy[at] = static_cast<char>(copy[at] ^ 0xA5);
      damaged.push_back(copy);
    }
    for (const std::string& data : damaged) {
      const std::string path = library.dir.Write(name, data);
      try {
        (void)ReadExchangeFile(path);
      } catch (const EExchangeError& e) {
        EXPECT_NE(e.Describe().find(name), std::string::npos) << e.Describe();
      }
    }
  }
}

TEST_F(ExchangeTest, MissingFilesAreNamed) {
  ExchangeLibrary none;
  try {
    LoadLanguage(none.Native(), none.German(), testing::kGerman);
    ADD_FAILURE() << "no error";
  } catch (const EExchangeError& e) {
    EXPECT_NE(e.Message().find("Demo.ENU.lng: the native language file does not exist"), std::string::npos);
  }
  // Without a German file every unit is untranslated.
  std::filesystem::remove(library.German());
  const TLoadedLanguage loaded = LoadLanguage(library.Native(), library.German(), testing::kGerman);
  EXPECT_EQ(ComputeCoverage(*loaded.Storage, loaded.Column).Total.Items, (std::array<int, 3>{0, 0, 10}));
}

TEST_F(ExchangeTest, PlacesEscapeWhatWouldBeAmbiguous) {
  EXPECT_EQ(EscapePlaceName("a/b%c d\xe9"), "a%2Fb%25c%20d%E9");
  EXPECT_EQ(LanguageTag(0x0407), "de-DE");
  EXPECT_EQ(LanguageTag(0x0007), "de");
  EXPECT_EQ(PosixLanguageTag(0x0C0A), "es_ES");
  EXPECT_TRUE(SameLanguage("de_AT", "DE-de"));
  EXPECT_FALSE(SameLanguage("de", "fr-FR"));
}

}  // namespace
}  // namespace sw
