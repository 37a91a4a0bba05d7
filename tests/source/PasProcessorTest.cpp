// The Object Pascal resourcestring loader: evaluation of values, sections,
// failures with their zero-based lines, and the decoding of unit files.
#include <gtest/gtest.h>


#include "extract/source/SourceReaders.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class PasProcessorTest : public ::testing::Test {
 protected:
  // Loads `text` as unit file `name`; returns "Name=Value" per constant.
  std::vector<std::string> Load(const std::string& text, const std::string& name = "Unit1.pas") {
    path = dir.Write(name, text);
    processor.LoadConstants(path);
    return Constants();
  }
  std::vector<std::string> Constants() const {
    std::vector<std::string> result;
    for (const auto& c : processor.UnitRec().Constants) result.push_back(c->Name + "=" + c->Value);
    return result;
  }
  std::string FormatError(const std::string& what, int line) const {
    return "Wrong format of the constats unit\r\nFile: \"" + what + "\"\r\nLine: " + std::to_string(line);
  }
  TempDir dir;
  std::string path;
  TPasProcessor processor;
};

using Strings = std::vector<std::string>;

TEST_F(PasProcessorTest, ReadsResourcestringsOfBothParts) {
  EXPECT_EQ(Load("unit Strings1;\n"
                 "interface\n"
                 "resourcestring\n"
                 "  SHello = 'Hello';\n"
                 "  SIt = 'It''s';\n"
                 "implementation\n"
                 "uses SysUtils;\n"
                 "resourcestring\n"
                 "  SImpl = 'impl' deprecated;\n"
                 "  SAfter = 'after';\n"
                 "procedure X;\n"
                 "begin\n"
                 "end;\n"
                 "end.\n"),
            (Strings{"SHello=Hello", "SIt=It's", "SImpl=impl", "SAfter=after"}));
  EXPECT_EQ(processor.UnitRec().UnitName, "Strings1");
  EXPECT_EQ(processor.UnitRec().FileName, path);
  EXPECT_TRUE(processor.HasResourcestring);
  EXPECT_EQ(processor.InsertLine, 9);  // the line of the last declaration
  const TStrConst& hello = *processor.UnitRec().Constants.Items(0);
  EXPECT_EQ(hello.FirstLine, 3);
  EXPECT_EQ(hello.LastLine, 3);
  EXPECT_EQ(hello.StartCol, 12);
  EXPECT_EQ(hello.EndCol, 19);
  EXPECT_TRUE(hello.Selected());
  EXPECT_EQ(hello.Id, 0);
}

TEST_F(PasProcessorTest, ValuesJoinLiteralsCodesNamedValuesAndConstants) {
  EXPECT_EQ(Load("unit U;\n"
                 "interface\n"
                 "const\n"
                 "  CRLF2 = #13#10;\n"
                 "  Greeting = 'Hi' + Tab;\n"
                 "resourcestring\n"
                 "  SLine = 'a' + CRLF2 + 'b';\n"
                 "  SNamed = 'x' + crlf + sLineBreak + CR + lf + null_terminator + TAB;\n"
                 "  SMixed = greeting + #33 + SLine;\n"
                 "  SSplit = 'one' +\n"
                 "    'two';\n"
                 "implementation\n"
                 "end.\n"),
            (Strings{"SLine=a\r\nb", std::string("SNamed=x\r\n\r\n\r\n") + '\0' + "\t", "SMixed=Hi\t!a\r\nb",
                     "SSplit=onetwo"}));
  const TStrConst& split = *processor.UnitRec().Constants.Items(3);
  EXPECT_EQ(split.FirstLine, 9);
  EXPECT_EQ(split.LastLine, 10);
  EXPECT_EQ(split.EndCol, 10);
  EXPECT_EQ(split.Parts.Count(), 2);
  EXPECT_EQ(split.Parts[1], "two");
}

TEST_F(PasProcessorTest, ConstSectionsSkipWhatIsNotAText) {
  EXPECT_EQ(Load("unit U;\n"
                 "interface\n"
                 "const\n"
                 "  Count = 10 * 2;\n"
                 "  Typed: string = 'typed';\n"
                 "  Arr: array[0..1] of string = (';', 'const');\n"
                 "  Ch = Chr(65);\n"
                 "  Sep = '-';\n"
                 "procedure P(const A: string; const B: Integer);\n"
                 "resourcestring\n"
                 "  S = 'x' + Sep;\n"
                 "implementation\n"
                 "end.\n"),
            (Strings{"S=x-"}));
  // A typed constant is not a name a resourcestring can use.
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nconst\n  T: string = 't';\nresourcestring\n  S = T;\nend.\n"),
                   ESrcProcessError, FormatError("S " + path, 5));
}

TEST_F(PasProcessorTest, FormatErrorsGiveZeroBasedLinesAndKeepEarlierConstants) {
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  SOk = 'ok';\n  SNum = 42;\nend.\n"),
                   ESrcProcessError, FormatError("SNum " + path, 4));
  EXPECT_EQ(Constants(), (Strings{"SOk=ok"}));
  EXPECT_EQ(processor.UnitRec().UnitName, "U");

  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  SFunc = Format('%d', [1]);\nend.\n"),
                   ESrcProcessError, FormatError("SFunc " + path, 3));
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  SMissing = 'a' + Nowhere;\nend.\n"),
                   ESrcProcessError, FormatError("SMissing " + path, 3));
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  SNoEq 'a';\nend.\n"), ESrcProcessError,
                   FormatError(path, 3));
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  'a';\nend.\n"), ESrcProcessError,
                   FormatError(path, 3));
  // An unterminated string is not a value.
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  S = 'open;\nend.\n"), ESrcProcessError,
                   FormatError("S " + path, 3));
  // The text ending inside a declaration: the line of the last token.
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  S ="), ESrcProcessError, FormatError(path, 3));
  // Character-code errors pass through unchanged.
  EXPECT_THROW_MSG(Load("unit U;\ninterface\nresourcestring\n  S = #$110000;\nend.\n"), EQScannerError,
                   "\"#$110000\" not a character");
}

TEST_F(PasProcessorTest, FilesWithoutUnitOrMissingYieldNothing) {
  EXPECT_EQ(Load("program P;\nresourcestring\n  S = 'x';\nbegin\nend.\n", "P.pas"), Strings{});
  // Words inside strings are not headings.
  EXPECT_EQ(Load("program P;\nresourcestring\n  S = 'x';\nbegin\n  Writeln('unit', 'resourcestring');\nend.\n",
                 "P.pas"),
            Strings{});
  EXPECT_EQ(processor.UnitRec().UnitName, "");
  EXPECT_EQ(Load("", "Empty.pas"), Strings{});
  EXPECT_EQ(Load("unit", "Cut.pas"), Strings{});
  processor.LoadConstants(dir.Path("absent.pas"));
  EXPECT_EQ(Constants(), Strings{});
  EXPECT_EQ(processor.UnitRec().UnitName, "");
  EXPECT_EQ(processor.UnitRec().FileName, dir.Path("absent.pas"));
}

TEST_F(PasProcessorTest, CommentLineAboveTheValueIsKept) {
  Load("unit U;\ninterface\nresourcestring\n  // greeting shown at start\n  SHello =\n    'Hello';\nend.\n");
  ASSERT_EQ(processor.UnitRec().Constants.Count(), 1);
  EXPECT_EQ(processor.UnitRec().Constants.Items(0)->Comment, "");
  Load("unit U;\ninterface\nresourcestring\n  // greeting shown at start\n  SHello = 'Hello';\nend.\n");
  EXPECT_EQ(processor.UnitRec().Constants.Items(0)->Comment, "// greeting shown at start");
}

TEST_F(PasProcessorTest, DecodesByteOrderMarksAndTheCallersCodePage) {
  const std::string body = "unit U;\ninterface\nresourcestring\n  S = 'Gr\xC3\xB6\xC3\x9F" "e' + #$20AC;\nend.\n";
  const Strings expected{"S=Gr\xC3\xB6\xC3\x9F" "e\xE2\x82\xAC"};
  EXPECT_EQ(Load("\xEF\xBB\xBF" + body), expected);
  EXPECT_EQ(processor.UnitRec().Encoding, TextEncoding::Utf8);

  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  const std::u16string wide = u"unit U;\r\ninterface\r\nresourcestring\r\n  S = 'Größe' + #$20AC;\r\nend.\r\n";
  for (char16_t c : wide) {
    le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
    be += static_cast<char>(c >> 8), be += static_cast<char>(c & 0xFF);
  }
  EXPECT_EQ(Load(le), expected);
  EXPECT_EQ(processor.UnitRec().Encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(Load(be), expected);
  EXPECT_EQ(processor.UnitRec().Encoding, TextEncoding::Utf16BE);

  // Without a mark the bytes are in the caller's code page, and so are the
  // character codes up to 255.
  processor.CodePage = 1251;
  EXPECT_EQ(Load("unit U;\ninterface\nresourcestring\n  S = '\xCF\xF0\xE8' + #$E2 + #$0416;\nend.\n"),
            (Strings{"S=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\x96"}));
  EXPECT_EQ(processor.UnitRec().Encoding, TextEncoding::Ansi);
  EXPECT_EQ(processor.UnitRec().CodePage, 1251u);
  processor.CodePage = 1252;
  EXPECT_EQ(Load("unit U;\ninterface\nresourcestring\n  S = '\xE9' + #128;\nend.\n"),
            (Strings{"S=\xC3\xA9\xE2\x82\xAC"}));
}

TEST_F(PasProcessorTest, SelectingAConstantSelectsEqualTextsIgnoringCase) {
  TUnitRec unit;
  for (const char* value : {"Hello", "HELLO", "other"}) {
    auto c = std::make_unique<TStrConst>(&unit);
    c->Value = value;
    unit.Constants.Add(std::move(c));
  }
  unit.Constants.Items(1)->SetSelected(true);
  EXPECT_TRUE(unit.Constants.Items(0)->Selected());
  EXPECT_FALSE(unit.Constants.Items(2)->Selected());
  EXPECT_EQ(unit.Constants.SelectedCount(), 2);
  unit.Constants.Items(1)->Name = "SName";
  EXPECT_EQ(unit.Constants.IndexOfName("sname"), 1);
  EXPECT_EQ(unit.Constants.IndexOfName("none"), -1);
}

// The name index a loader uses answers as the walk through the list does:
// without regard to case, the first of equal names, items appended after it
// was begun, a list emptied meanwhile.
TEST_F(PasProcessorTest, NameIndexAnswersAsTheListWalkDoes) {
  TUnitRec unit;
  const auto add = [&](const std::string& name) {
    auto c = std::make_unique<TStrConst>(&unit);
    c->Name = name;
    unit.Constants.Add(std::move(c));
  };
  for (const char* name : {"SOne", "STwo", "sone", "S_3"}) add(name);
  unit.Constants.BeginNameIndex();
  EXPECT_EQ(unit.Constants.IndexOfName("SONE"), 0);
  EXPECT_EQ(unit.Constants.IndexOfName("stwo"), 1);
  EXPECT_EQ(unit.Constants.IndexOfName("s_3"), 3);
  EXPECT_EQ(unit.Constants.IndexOfName("SThree"), -1);
  EXPECT_EQ(unit.Constants.IndexOfName(""), -1);
  add("SThree");
  add("STWO");
  EXPECT_EQ(unit.Constants.IndexOfName("sthree"), 4);
  EXPECT_EQ(unit.Constants.IndexOfName("STwo"), 1);
  unit.Constants.Clear();
  EXPECT_EQ(unit.Constants.IndexOfName("SOne"), -1);
  add("SFour");
  EXPECT_EQ(unit.Constants.IndexOfName("sfour"), 0);
  unit.Constants.EndNameIndex();
  unit.Constants.Items(0)->Name = "SRenamed";  // a rename after the index is gone
  EXPECT_EQ(unit.Constants.IndexOfName("srenamed"), 0);
  EXPECT_EQ(unit.Constants.IndexOfName("sfour"), -1);

  // A unit whose values refer to many constants before them, and a name
  // declared twice: the first declaration stands.
  std::string text = "unit Big;\ninterface\nresourcestring\n";
  for (int i = 0; i < 300; ++i)
    text += "  S" + std::to_string(i) + " = " + (i == 0 ? std::string("'a'") : "s" + std::to_string(i - 1) + " + 'a'") + ";\n";
  text += "  S7 = 'again';\nend.\n";
  const auto lines = Load(text);
  ASSERT_EQ(lines.size(), 300u);
  EXPECT_EQ(lines[7], "S7=" + std::string(8, 'a'));
  EXPECT_EQ(lines[299], "S299=" + std::string(300, 'a'));
}

}  // namespace
}  // namespace sw
