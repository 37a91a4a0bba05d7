// The resource-script loader: identifiers from the header and the script,
// the first STRINGTABLE, failures with their details, and code pages.
#include <gtest/gtest.h>

#include "source/RcScriptFixture.h"

namespace sw {
namespace {

class RCProcessorTest : public testing::RcScriptFixture {
 protected:
  // Writes the script (and the header when given) and loads it.
  Strings Load(const std::string& script, const std::string& header = "", const std::string& name = "Strings") {
    if (!header.empty()) dir.Write(name + ".hpp", header);
    return LoadScript(script, name);
  }
  std::string FormatError(int line, const std::string& detail) const {
    return RcScriptFixture::FormatError(path, line, detail);
  }
};

TEST_F(RCProcessorTest, IdentifiersFromHeaderAndScriptThenNumberedEntries) {
  EXPECT_EQ(Load("#include \"Strings.hpp\"\n"
                 "  #define IDS_LOCAL 2000\n"
                 "#define IDS_UNUSED 2001\n"
                 "/* a comment\n"
                 "   STRINGTABLE in a comment */\n"
                 "STRINGTABLE\n"
                 "BEGIN\n"
                 "  3000 \"Numbered\"\n"
                 "  IDS_LOCAL, \"Local\" // trailing comment\n"
                 "  ids_hello, \"Hello\"\n"
                 "  1002 L\"Wide\"\n"
                 "END\n",
                 "// header\n"
                 "#define IDS_HELLO 1001\n"
                 "  #define IDS_INDENTED 1003\n"
                 "#define IDS_BYE 1004 /* unused */\n"),
            (Strings{"ids_hello=1001=Hello", "IDS_LOCAL=2000=Local", "3000=3000=Numbered", "1002=1002=Wide"}));
  EXPECT_EQ(processor.UnitRec().UnitName, "Strings_RC");
  EXPECT_EQ(processor.InsertLine, 10);
  const TStrConst& local = *processor.UnitRec().Constants.Items(1);
  EXPECT_EQ(local.FirstLine, 8);
  EXPECT_EQ(local.StartCol, 3);
  EXPECT_EQ(processor.UnitRec().Constants.Items(3)->Kind, ttWideString);
}

TEST_F(RCProcessorTest, EscapesCommasAndBracesAndEveryTable) {
  EXPECT_EQ(Load("STRINGTABLE\n"
                 "{\n"
                 "  1, \"line\\nbreak \\\"quoted\\\" \\x41\\101 tab\\t\"\n"
                 "  2 \"\"\n"
                 "}\n"
                 "STRINGTABLE\n"
                 "BEGIN\n"
                 "  3 \"second table\"\n"
                 "END\n"),
            (Strings{"1=1=line\nbreak \"quoted\" AA tab\t", "3=3=second table"}));
}

TEST_F(RCProcessorTest, HeaderIsFoundWithoutRegardToCaseAndMayBeMissing) {
  dir.Write("MIXED.HPP", "#define IDS_X 7\n");
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n IDS_X \"x\"\nEND\n", "", "Mixed"), (Strings{"IDS_X=7=x"}));
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n 5 \"five\"\nEND\n", "", "NoHeader"), (Strings{"5=5=five"}));
  processor.LoadConstants(dir.Path("absent.rc"));
  EXPECT_EQ(Constants(), Strings{});
  EXPECT_EQ(processor.UnitRec().UnitName, "");
}

TEST_F(RCProcessorTest, DefinesAreIntegerExpressions) {
  const std::string header =
      "#define IDS_SUM (100+1)\n"
      "#define IDS_HEX 0x10\n"
      "#define GUARD\n"
      "#define IDS_AFTER_GUARD 11\n";
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n  IDS_SUM \"x\"\nEND\n", header), (Strings{"IDS_SUM=101=x"}));
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n  IDS_HEX \"x\"\nEND\n", header), (Strings{"IDS_HEX=16=x"}));
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n  0x10 \"x\"\nEND\n", header), (Strings{"16=16=x"}));
  // A #define without a value is no id.
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  GUARD \"x\"\nEND\n", header), ESrcProcessError,
                   FormatError(2, "Can not find constant identifier: \"GUARD\": empty expression"));
  // A #define without a value hides neither the next line's directive nor STRINGTABLE.
  EXPECT_EQ(Load("#define ALSO_GUARD\nSTRINGTABLE\nBEGIN\n  IDS_AFTER_GUARD \"ok\"\nEND\n", header),
            (Strings{"IDS_AFTER_GUARD=11=ok"}));
}

TEST_F(RCProcessorTest, FailuresNameTheirDetailAndKeepWhatWasRead) {
  EXPECT_THROW_MSG(Load("STRINGTABLE DIALOG\nBEGIN\n  1 \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(0, "\"BEGIN\" expected, got \"DIALOG\""));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"one\"\n  2\nEND\n"), ESrcProcessError,
                   FormatError(4, "String constant exptected, got \"END\""));
  EXPECT_EQ(Constants(), (Strings{"1=1=one"}));
  EXPECT_EQ(processor.UnitRec().UnitName, "Strings_RC");
  // A doubled double quote is one quote, as the resource compiler reads it.
  EXPECT_EQ(Load("#define IDS_A 1\nSTRINGTABLE\nBEGIN\n  IDS_A \"say \"\"hi\"\"\"\nEND\n"),
            (Strings{"IDS_A=1=say \"hi\""}));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  IDS_OTHER_HEADER \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(2, "Can not find constant identifier: \"IDS_OTHER_HEADER\" unknown"));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"a\"\n  2"), ESrcProcessError,
                   FormatError(3, "String constant exptected, got the end of the script"));
  EXPECT_THROW_MSG(Load("STRINGTABLE"), ESrcProcessError,
                   FormatError(0, "\"BEGIN\" expected, got the end of the script"));
  // A string reading "end" does not end the table: it joins the one before.
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n  1 \"a\"\n  \"end\"\nEND\n"), (Strings{"1=1=aend"}));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"a\"\n  , \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(3, "Can not find constant identifier, got \",\""));
  // No table at all is no error.
  EXPECT_EQ(Load("#define IDS_A 1\n"), Strings{});
}

TEST_F(RCProcessorTest, NextIdStaysBelowLoadedHighIdentifiers) {
  Load("STRINGTABLE\nBEGIN\n  49000 \"a\"\n  45001 \"b\"\n  50001 \"c\"\n  100 \"d\"\nEND\n");
  EXPECT_EQ(processor.NextId, 45001);
}

TEST_F(RCProcessorTest, ByteOrderMarksAndCodePagePragmas) {
  processor.CodePage = 1252;
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n  1 \"caf\xE9 \\xE9\"\n"
                 "#pragma code_page(1251)\n"
                 "  2 \"\xCF\xF0\xE8\\xE2\"\n"
                 "  /* #pragma code_page(1253) in a comment changes nothing */\n"
                 "# pragma code_page(65001)\n"
                 "  3 \"\xD0\x96 \\xD0\\x96\"\n"
                 "#pragma code_page(DEFAULT)\n"
                 "  4 \"\xE9\"\n"
                 "END\n"),
            (Strings{"1=1=caf\xC3\xA9 \xC3\xA9", "2=2=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2", "3=3=\xD0\x96 \xD0\x96",
                     "4=4=\xC3\xA9"}));
  EXPECT_EQ(processor.UnitRec().Encoding, TextEncoding::Ansi);
  // The pragma in any case of its letters.
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n#PRAGMA Code_Page(1251)\n  1 \"\xCF\"\nEND\n"),
            (Strings{"1=1=\xD0\x9F"}));

  std::string le = "\xFF\xFE";
  for (char16_t c : std::u16string(u"STRINGTABLE\r\nBEGIN\r\n  1 L\"Жук €\"\r\nEND\r\n"))
    le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
  EXPECT_EQ(Load(le), (Strings{"1=1=Жук €"}));
  EXPECT_EQ(processor.UnitRec().Encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(Load("\xEF\xBB\xBFSTRINGTABLE\nBEGIN\n  1 \"\xC3\xA9\xFF\"\nEND\n"), (Strings{"1=1=\xC3\xA9\xEF\xBF\xBD"}));
}

}  // namespace
}  // namespace sw
