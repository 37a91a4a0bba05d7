// Hostile and unusual translated files: DTDs and entity references, files
// without units, NUL characters, byte-order marks and UTF-16, another
// library's export, oversized inputs, and the places translate-toolkit's
// converters keep unit ids in. Each either imports as the user meant or
// fails with an EExchangeError naming the file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <fstream>

#include "base/Unicode.h"
#include "exchange/ExchangeTestSupport.h"

namespace sw {
namespace {

using testing::ExchangeLibrary;
using testing::ReplaceOnce;
using testing::Row;

std::vector<Row> Rows() {
  return {
      {'C', "Strings", "", "SCity", vkString, u"Berlin", u"Berlin"},
      {'C', "Strings", "", "SGreeting", vkString, u"Hello", u"Hallo"},
      {'C', "Strings", "", "SOld", vkString, u"New text", u"Alter Text", 2},
      {'P', "Main", "", "Caption", vkString, u"Main window", u"Hauptfenster"},
  };
}

class HostileImportTest : public ::testing::Test {
 protected:
  void SetUp() override { library.Write(Rows()); }

  // The import's error as the front ends show it; "" when none.
  std::string ImportError(const std::string& text, const std::string& name, TImportOptions options = {}) {
    try {
      library.Import(text, name, options);
    } catch (const EExchangeError& e) {
      return e.Describe();
    }
    return "";
  }
  static std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : Utf8ToUtf16(utf8)) {
      const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
      bytes += bigEndian ? high : low;
      bytes += bigEndian ? low : high;
    }
    return bytes;
  }

  ExchangeLibrary library;
};

TEST_F(HostileImportTest, DtdsAndEntityReferences) {
  const std::string xliff = library.Export(TExchangeFormat::Xliff);
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  ASSERT_EQ(xliff.rfind(declaration, 0), 0u) << xliff;
  const auto withDoctype = [&](const std::string& doctype) {
    return declaration + doctype + "\n" + xliff.substr(declaration.size());
  };
  const std::string hallo = "<target state=\"translated\">Hallo</target>";
  struct Case {
    const char* Name;
    std::string Text;
    std::string Error;  // "" when it imports
  };
  const std::vector<Case> cases = {
      {"internal.xlf",
       withDoctype("<!DOCTYPE xliff [ <!ENTITY xxe SYSTEM \"file:///etc/passwd\"> ]>") ,
       "internal.xlf: the DOCTYPE has an internal subset, which can declare entities"},
      {"internal-only-elements.xlf", withDoctype("<!DOCTYPE xliff [ <!ELEMENT xliff ANY> ]>"), "internal subset"},
      {"unknown.xlf",
       ReplaceOnce(withDoctype("<!DOCTYPE xliff SYSTEM \"xliff.dtd\">"), hallo, "<target state=\"translated\">&xxe;</target>"),
       "unknown.xlf: trans-unit \"unit/Strings/SGreeting\": <target>: unknown entity reference \"&xxe;\""},
      {"attribute.xlf", ReplaceOnce(xliff, "id=\"unit/Strings/SGreeting\"", "id=\"&xxe;\""), "unknown entity reference \"&xxe;\""},
      {"nul-reference.xlf", ReplaceOnce(xliff, hallo, "<target state=\"translated\">Ha&#0;llo</target>"),
       "the character reference \"&#0;\" is not an XML character"},
      {"bare-ampersand.xlf", ReplaceOnce(xliff, hallo, "<target state=\"translated\">Hallo & Tschüss</target>"),
       "expected an entity or character reference after '&'"},
      // A DOCTYPE naming an external DTD only, as XLIFF 1.1 and TMX files have it: read, never fetched.
      {"external.xlf",
       withDoctype("<!DOCTYPE xliff PUBLIC \"-//XLIFF//DTD XLIFF//EN\" "
                   "\"http://shelfwright.invalid/xliff.dtd\">"),
       ""},
  };
  for (const Case& c : cases) {
    library.Write(Rows());
    const std::string error = ImportError(c.Text, c.Name);
    if (c.Error.empty()) {
      EXPECT_EQ(error, "") << c.Name;
    } else {
      EXPECT_NE(error.find(c.Error), std::string::npos) << c.Name << ": " << error;
      EXPECT_NE(error.find(" (line "), std::string::npos) << c.Name << ": " << error;
    }
  }
  // References that XML knows are resolved, in text and in attributes.
  library.Write(Rows());
  const TImportResult result =
      library.Import(ReplaceOnce(xliff, hallo, "<target state=\"translated\">&#x48;a&#108;lo &amp; &lt;&apos;&gt;</target>"),
                     "known.xlf");
  EXPECT_TRUE(result.Clean());
  EXPECT_EQ(library.GermanValues().at("unit/Strings/SGreeting").Text, u"Hallo & <'>");
}

TEST_F(HostileImportTest, FilesWithoutUnitsAreErrors) {
  const struct {
    const char* Name;
    std::string Text;
    const char* Error;
  } cases[] = {
      {"empty.po", "", "empty.po: the PO file holds no entry"},
      {"header.po", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n", "the PO file holds no entry"},
      {"empty.xlf", "<xliff version=\"1.2\"><file><body/></file></xliff>", "empty.xlf: the XLIFF file holds no trans-unit"},
      {"nofile.xlf", "<?xml version=\"1.0\"?><xliff version=\"1.2\"/>", "the XLIFF file holds no trans-unit"},
  };
  const std::string before = TempDir::Read(library.German());
  for (const auto& c : cases) {
    const std::string error = ImportError(c.Text, c.Name);
    EXPECT_NE(error.find(c.Error), std::string::npos) << c.Name << ": " << error;
  }
  // A fully translated language exported with --only-open has nothing to import either.
  library.Write({Rows()[0], Rows()[1]});
  EXPECT_NE(ImportError(library.Export(TExchangeFormat::Xliff, true), "open.xlf").find("holds no trans-unit"),
            std::string::npos);
  library.Write(Rows());
  EXPECT_EQ(TempDir::Read(library.German()), before);
}

TEST_F(HostileImportTest, NulCharactersAreRefusedNamingTheEntry) {
  const std::string po = library.Export(TExchangeFormat::Po);
  const std::string berlin = "msgctxt \"unit/Strings/SCity\"\nmsgid \"Berlin\"\nmsgstr \"Berlin\"";
  const struct {
    const char* Name;
    std::string Value;
  } cases[] = {
      {"byte.po", std::string("msgstr \"Ber\0lin\"", 16)},
      {"octal.po", "msgstr \"Ber\\0lin\""},
      {"octal3.po", "msgstr \"Ber\\000lin\""},
      {"hex.po", "msgstr \"Ber\\x00lin\""},
      {"continued.po", "msgstr \"\"\n\"Ber\\0\"\n\"lin\""},
  };
  const std::string before = TempDir::Read(library.German());
  for (const auto& c : cases) {
    const std::string text = ReplaceOnce(po, berlin, "msgctxt \"unit/Strings/SCity\"\nmsgid \"Berlin\"\n" + c.Value);
    const std::string error = ImportError(text, c.Name);
    EXPECT_NE(error.find(std::string(c.Name) + ": entry \"unit/Strings/SCity\": the msgstr holds a NUL character"),
              std::string::npos)
        << c.Name << ": " << error;
    EXPECT_NE(error.find("(line "), std::string::npos) << error;
  }
  // An escaped backslash before a zero is no NUL.
  EXPECT_TRUE(library.Import(ReplaceOnce(po, berlin, "msgctxt \"unit/Strings/SCity\"\nmsgid \"Berlin\"\nmsgstr \"Ber\\\\0lin\""),
                             "backslash.po")
                  .Clean());
  EXPECT_EQ(library.GermanValues().at("unit/Strings/SCity").Text, u"Ber\\0lin");
  library.Write(Rows());
  // The same in XLIFF.
  const std::string xliff = ReplaceOnce(library.Export(TExchangeFormat::Xliff), ">Berlin</target>", ">Ber&#0;lin</target>");
  EXPECT_NE(ImportError(xliff, "nul.xlf").find("is not an XML character"), std::string::npos);
  EXPECT_EQ(TempDir::Read(library.German()), before);
}

TEST_F(HostileImportTest, ByteOrderMarksAndUtf16AreRead) {
  const std::string po = ReplaceOnce(library.Export(TExchangeFormat::Po), "msgstr \"Hallo\"", "msgstr \"Grüß Gott\"");
  const std::string xliff = ReplaceOnce(library.Export(TExchangeFormat::Xliff), ">Hallo</target>", ">Grüß dich \U0001F600</target>");
  const std::string declared16 = ReplaceOnce(xliff, "encoding=\"UTF-8\"", "encoding=\"UTF-16\"");
  const struct {
    const char* Name;
    std::string Text;
    std::u16string Expected;
  } cases[] = {
      {"bom.po", "\xEF\xBB\xBF" + po, u"Grüß Gott"},
      {"bom.xlf", "\xEF\xBB\xBF" + xliff, u"Grüß dich \U0001F600"},
      {"le.xlf", Utf16(declared16, false), u"Grüß dich \U0001F600"},
      {"be.xlf", Utf16(declared16, true), u"Grüß dich \U0001F600"},
      {"le-undeclared.xlf", Utf16(ReplaceOnce(xliff, " encoding=\"UTF-8\"", ""), false), u"Grüß dich \U0001F600"},
  };
  for (const auto& c : cases) {
    library.Write(Rows());
    TImportResult result;
    ASSERT_NO_THROW(result = library.Import(c.Text, c.Name)) << c.Name;
    EXPECT_TRUE(result.Clean()) << c.Name;
    EXPECT_EQ(result.Changed, 1) << c.Name;
    EXPECT_EQ(library.GermanValues().at("unit/Strings/SGreeting").Text, c.Expected) << c.Name;
  }
  // What the bytes and the declaration say must agree; other encodings are named.
  library.Write(Rows());
  EXPECT_NE(ImportError(Utf16(xliff, false), "mixed.xlf").find("names the encoding \"utf-8\" but the file is in UTF-16"),
            std::string::npos);
  EXPECT_NE(ImportError(ReplaceOnce(xliff, "encoding=\"UTF-8\"", "encoding=\"ISO-8859-1\""), "latin.xlf")
                .find("latin.xlf: the XML declaration names the encoding \"iso-8859-1\""),
            std::string::npos);
  std::string lone = Utf16(xliff, false);
  lone.replace(lone.find(std::string("B\0e\0r\0l\0i\0n\0", 12)), 2, "\x00\xD8", 2);
  EXPECT_NE(ImportError(lone, "lone.xlf").find("a lone surrogate"), std::string::npos);
}

TEST_F(HostileImportTest, AnotherLibrarysExportIsRefusedUnlessForced) {
  TImportOptions demo;
  demo.ProjectName = "Demo";
  const std::string po = library.Export(TExchangeFormat::Po);
  const std::string xliff = library.Export(TExchangeFormat::Xliff);
  ASSERT_NE(xliff.find("product-name=\"Demo\""), std::string::npos);
  ASSERT_NE(po.find("Project-Id-Version: Demo\\n"), std::string::npos);
  const struct {
    const char* Name;
    std::string Text;
    bool Refused;
  } cases[] = {
      {"other.po", ReplaceOnce(po, "Project-Id-Version: Demo\\n", "Project-Id-Version: Other\\n"), true},
      {"other.xlf", [&] {
         std::string text = xliff;
         for (auto at = text.find("product-name=\"Demo\""); at != std::string::npos; at = text.find("product-name=\"Demo\""))
           text.replace(at, 19, "product-name=\"Other\"");
         return text;
       }(), true},
      {"own.po", po, false},
      {"own.xlf", xliff, false},
      // gettext's placeholder and no product at all say nothing.
      {"template.po", ReplaceOnce(po, "Project-Id-Version: Demo\\n", "Project-Id-Version: PACKAGE VERSION\\n"), false},
      {"unnamed.xlf", [&] {
         std::string text = xliff;
         for (auto at = text.find(" product-name=\"Demo\""); at != std::string::npos; at = text.find(" product-name=\"Demo\""))
           text.erase(at, 20);
         return text;
       }(), false},
  };
  for (const auto& c : cases) {
    const std::string error = ImportError(c.Text, c.Name, demo);
    if (c.Refused)
      EXPECT_NE(error.find(std::string(c.Name) + ": the file is an export of \"Other\", not of \"Demo\" (--force imports it anyway)"),
                std::string::npos)
          << c.Name << ": " << error;
    else
      EXPECT_EQ(error, "") << c.Name;
    if (!c.Refused) continue;
    TImportOptions forced = demo;
    forced.Force = true;
    EXPECT_NO_THROW(library.Import(c.Text, c.Name, forced)) << c.Name;
  }
}

TEST_F(HostileImportTest, InputsBeyondTheBoundAreRefusedBeforeReading) {
  // A sparse file one byte too large: refused by its size, nothing read.
  const std::string huge = library.dir.Path("huge.po");
  {
    std::ofstream create(huge, std::ios::binary);
  }
  std::filesystem::resize_file(huge, kMaxExchangeFileSize + 1);
  try {
    ImportTranslations(library.Native(), library.German(), testing::kGerman, huge, {});
    ADD_FAILURE() << "no error";
  } catch (const EExchangeError& e) {
    EXPECT_EQ(e.Describe(), huge + ": the file has 268435457 bytes, more than the 268435456 bytes (256 MiB) an XLIFF or "
                                   "PO file may have");
  }
  // Input of unknown size is read up to the bound only.
  SKIP_ON_WINDOWS("/dev/zero and FIFOs");
  try {
    (void)ReadExchangeBytes("/dev/zero", 100000);
    ADD_FAILURE() << "no error";
  } catch (const EExchangeError& e) {
    EXPECT_EQ(e.Describe(), "/dev/zero: the input holds more than the 100000 bytes an XLIFF or PO file may have (read "
                            "up to that bound)");
  }
  EXPECT_EQ(ReadExchangeBytes(library.dir.Write("exact.po", std::string(1000, 'x')), 1000).size(), 1000u);
  EXPECT_THROW(ReadExchangeBytes(library.dir.Write("over.po", std::string(1001, 'x')), 1000), EExchangeError);
  EXPECT_THROW(ReadExchangeBytes(library.dir.Root(), 1000), EExchangeError);
}

TEST_F(HostileImportTest, UpToDateXliffUnitsAreApproved) {
  const std::string xliff = library.Export(TExchangeFormat::Xliff);
  EXPECT_NE(xliff.find("<trans-unit id=\"unit/Strings/SGreeting\" resname=\"Strings.SGreeting\" xml:space=\"preserve\" "
                       "approved=\"yes\">"),
            std::string::npos)
      << xliff;
  const auto old = xliff.find("<trans-unit id=\"unit/Strings/SOld\"");
  ASSERT_NE(old, std::string::npos);
  EXPECT_EQ(xliff.substr(old, xliff.find('>', old) - old).find("approved"), std::string::npos);
}

// xliff2po turns the XLIFF id into the "#:" reference and drops msgctxt;
// po2xliff numbers the units and keeps the reference as a context group.
TEST_F(HostileImportTest, UnitIdsComeBackFromWhereConvertersKeepThem) {
  const std::string po =
      "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: PACKAGE VERSION\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
      "#: unit/Strings/SGreeting\nmsgid \"Hello\"\nmsgstr \"Servus\"\n\n"
      "#: elsewhere.c:12 unit/Strings/SCity\nmsgid \"Berlin\"\nmsgstr \"Bärlin\"\n\n"
      "#: other.c:3\nmsgid \"Main window\"\nmsgstr \"Fenster\"\n";
  TImportResult result = library.Import(po, "x2p.po");
  EXPECT_EQ(result.Changed, 2);
  ASSERT_EQ(result.Unknown.size(), 1u);
  EXPECT_EQ(result.Unknown[0].Place, "(no msgctxt) Main window");
  EXPECT_EQ(library.GermanValues().at("unit/Strings/SGreeting").Text, u"Servus");

  library.Write(Rows());
  const std::string xliff =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.1\" version=\"1.1\">"
      "<file original=\"de.po\" source-language=\"en-US\" datatype=\"plaintext\"><body>"
      "<trans-unit xml:space=\"preserve\" id=\"1\" approved=\"no\" restype=\"x-gettext-domain-header\">"
      "<source>Project-Id-Version: Demo\n</source><target>Project-Id-Version: Demo\n</target></trans-unit>"
      "<trans-unit xml:space=\"preserve\" id=\"2\" approved=\"yes\"><source>Hello</source><target state=\"translated\">Servus</target>"
      "<context-group name=\"po-reference\" purpose=\"location\"><context context-type=\"sourcefile\">unit/Strings/SGreeting"
      "</context></context-group></trans-unit>"
      "<trans-unit id=\"3\" resname=\"unit/Strings/SCity\"><source>Berlin</source><target>B&#xE4;rlin</target></trans-unit>"
      "</body></file></xliff>";
  result = library.Import(xliff, "p2x.xlf");
  EXPECT_TRUE(result.Clean());
  EXPECT_EQ(result.Units, 2);
  EXPECT_EQ(result.Changed, 2);
  EXPECT_EQ(library.GermanValues().at("unit/Strings/SCity").Text, u"Bärlin");
}

}  // namespace
}  // namespace sw
