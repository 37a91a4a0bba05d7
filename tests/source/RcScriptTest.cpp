// Resource scripts as real projects write them: every table, optional
// statements, languages, included headers, the preprocessor, the resource
// compiler's strings, other statements passed over, and errors that keep
// their place.
#include <gtest/gtest.h>

#include "extract/source/RcTokenizer.h"
#include "source/RcScriptFixture.h"

namespace sw {
namespace {

class RcScriptTest : public testing::RcScriptFixture {
 protected:
  Strings Load(const std::string& script, const std::string& name = "App") { return LoadScript(script, name); }
  bool Warned(const std::string& part) const {
    for (const auto& w : processor.Warnings)
      if (w.find(part) != std::string::npos) return true;
    return false;
  }
};

TEST_F(RcScriptTest, EveryTableWithOptionalStatementsAndFirstOfDuplicateIds) {
  EXPECT_EQ(Load("STRINGTABLE DISCARDABLE\nBEGIN\n  1 \"one\"\nEND\n"
                 "STRINGTABLE PRELOAD MOVEABLE PURE IMPURE LOADONCALL FIXED\n{\n  2, \"two\"\n}\n"
                 "STRINGTABLE CHARACTERISTICS 5 VERSION 0x10\nBEGIN\n  3 \"three\"\n  1 \"again\"\nEND\n"
                 "stringtable begin 4 \"four\" end\n"),
            (Strings{"1=1=one", "2=2=two", "3=3=three", "4=4=four"}));
  EXPECT_TRUE(Warned("App.rc line 11: string id 1 already has a text (line 2)")) << processor.Warnings.size();
  ASSERT_EQ(processor.Tables.size(), 4u);
  EXPECT_EQ(processor.Tables[2].Line, 8);
  EXPECT_EQ(processor.Tables[2].Entries, 2);
  EXPECT_TRUE(processor.Tables[3].Taken);
  EXPECT_EQ(processor.TakenLanguage, kRcNoLanguage);
}

TEST_F(RcScriptTest, LanguageOfTheRunElsePrimaryElseNeutralElseFirst) {
  const std::string script =
      "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
      "STRINGTABLE\nBEGIN\n  1 \"Hello\"\nEND\n"
      "STRINGTABLE LANGUAGE LANG_GERMAN, SUBLANG_GERMAN\nBEGIN\n  1 \"Hallo\"\nEND\n"
      "LANGUAGE 0x0C, 1\n"
      "STRINGTABLE\nBEGIN\n  1 \"Bonjour\"\nEND\n"
      "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL\n"
      "STRINGTABLE\nBEGIN\n  2 \"neutral\"\nEND\n";
  processor.LangId = 0x0407;
  EXPECT_EQ(Load(script), (Strings{"1=1=Hallo"}));
  EXPECT_EQ(processor.TakenLanguage, 0x0407);
  EXPECT_TRUE(Warned("string tables of the languages 0409, 0407, 040C, 0000; took those of 0407"));
  processor.LangId = 0x0C07;  // Austrian German: its primary language's tables
  EXPECT_EQ(Load(script), (Strings{"1=1=Hallo"}));
  processor.LangId = 0x0410;  // Italian: none, so the neutral ones
  EXPECT_EQ(Load(script), (Strings{"2=2=neutral"}));
  EXPECT_EQ(processor.TakenLanguage, 0);
  processor.LangId = 0x0410;
  EXPECT_EQ(Load("LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n 1 \"en\"\nEND\n"
                 "LANGUAGE 7, 1\nSTRINGTABLE\nBEGIN\n 1 \"de\"\nEND\n"),
            (Strings{"1=1=en"}));
  EXPECT_EQ(processor.TakenLanguage, 0x0409);
  EXPECT_EQ(processor.Tables[1].Taken, false);
}

TEST_F(RcScriptTest, IdentifiersFromIncludedHeadersWithGuardsAndSystemSymbols) {
  dir.Write("Resource.h",
            "#ifndef RESOURCE_H\n#define RESOURCE_H\n"
            "#include \"sub/ids.h\"\n"
            "#define IDS_BASE 0x100\n"
            "#define IDS_NEXT (IDS_BASE + 1)\n"
            "#endif\n");
  std::filesystem::create_directories(dir.Path("sub"));
  dir.Write("sub/IDS.H", "#pragma once\n#define IDS_NESTED 07L\nint NotForTheScript(void);\n");
  EXPECT_EQ(Load("#include <windows.h>\n#include \"resource.h\"\n#include \"Resource.h\"\n#include \"sub/ids.h\"\n"
                 "STRINGTABLE\nBEGIN\n"
                 "  IDS_NEXT \"next\"\n  IDS_NESTED, \"nested\"\n  IDS_BASE + 2 \"sum\"\n  IDOK \"OK\"\n"
                 "  MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN) \"made\"\nEND\n"),
            (Strings{"IDS_NESTED=7=nested", "IDS_NEXT=257=next", "258=258=sum", "IDOK=1=OK", "1031=1031=made"}));
  EXPECT_FALSE(Warned("windows.h"));
  EXPECT_EQ(Load("#include \"windows.h\"\n#include \"afxres.h\"\nSTRINGTABLE\nBEGIN\n  IDOK \"ok\"\nEND\n"),
            Strings{"IDOK=1=ok"});
  EXPECT_TRUE(processor.Warnings.empty());
}

TEST_F(RcScriptTest, PreprocessorConditionsAndExpressions) {
  EXPECT_EQ(Load("#define A 5\n"
                 "#define B ((A << 2) | 0x3) & ~1U\n"
                 "#if 0\nSTRINGTABLE BEGIN 90 \"never\" END\n#endif\n"
                 "#ifdef APSTUDIO_INVOKED\n1 TEXTINCLUDE\nBEGIN\n \"resource.h\\0\"\nEND\n#endif\n"
                 "#if defined(A) && A > 4\n#define C 1\n#elif 1\n#define C 2\n#else\n#define C 3\n#endif\n"
                 "#ifndef RC_INVOKED\n#define D 100\n#else\n#define D 200\n#endif\n"
                 "#define F\n#undef F\n#ifdef F\n#define E 1\n#else\n#define E 2\n#endif\n"
                 "#define LONG_ONE 1 + \\\n  1000\n"
                 "#unknown directive\n"
                 "STRINGTABLE\nBEGIN\n  B \"b\"\n  C \"c\"\n  D \"d\"\n  E \"e\"\n  LONG_ONE \"long\"\n"
                 "  010 \"octal\"\n  0x1fL \"hex\"\nEND\n"),
            (Strings{"B=22=b", "C=1=c", "D=200=d", "E=2=e", "LONG_ONE=1001=long", "8=8=octal", "31=31=hex"}));
}

TEST_F(RcScriptTest, StringsAsTheResourceCompilerReadsThem) {
  processor.CodePage = 1252;
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n"
                 "  1 \"say \"\"hi\"\"\"\n"
                 "  2 \"joined \" L\"wide \"\n    \"next line\"\n"
                 "  3 \"\\x414\\101\\q\\N\\\\ \\xE9\"\n"
                 "  4 L\"\\x0416\\x41424\"\n"
                 "  5 \"tab\\tcr\\rlf\\n\"\n"
                 "END\n"),
            (Strings{"1=1=say \"hi\"", "2=2=joined wide next line", "3=3=A4A\\q\\N\\ \xC3\xA9", "4=4=\xD0\x96\xE4\x85\x82" "4",
                     "5=5=tab\tcr\rlf\n"}));
  EXPECT_EQ(processor.UnitRec().Constants.Items(3)->Kind, ttWideString);
  EXPECT_EQ(Load("STRINGTABLE\nBEGIN\n  1 L\"a\\xD800b\"\nEND\n"), (Strings{"1=1=a\xEF\xBF\xBD" "b"}));
  EXPECT_TRUE(Warned("App.rc line 2: \\xD800 is half a surrogate pair"));
}

TEST_F(RcScriptTest, OtherStatementsArePassedOver) {
  EXPECT_EQ(Load("IDI_APP ICON \"app.ico\"\n"
                 "IDB_LOGO BITMAP res\\logo.bmp\n"
                 "1 24 \"app.manifest\"\n"
                 "IDD_ABOUT DIALOGEX 0, 0, 100, 50\nSTYLE DS_MODALFRAME | WS_POPUP\nCAPTION \"About END\"\n"
                 "FONT 8, \"MS Shell Dlg\"\nBEGIN\n  LTEXT \"STRINGTABLE\", -1, 1, 1, 10, 10\n"
                 "  CONTROL \"x\", 1, \"Button\", 0, 0, 0, 1, 1\nEND\n"
                 "IDR_MENU MENU DISCARDABLE\nBEGIN\n  POPUP \"&File\"\n  BEGIN\n    MENUITEM \"E&xit\", 1\n  END\nEND\n"
                 "1 VERSIONINFO FILEVERSION 1,0,0,1\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n"
                 "  BLOCK \"040904b0\" { VALUE \"FileDescription\", \"App\\0\" }\n END\nEND\n"
                 "IDR_ACC ACCELERATORS\nBEGIN\n  \"N\", 1, VIRTKEY, CONTROL\nEND\n"
                 "IDR_DATA MYTYPE { 1, 2, \"three\" }\n"
                 "STRINGTABLE\nBEGIN\n  7 \"seven\"\nEND\n"),
            (Strings{"7=7=seven"}));
}

TEST_F(RcScriptTest, ErrorsNameTheFileAndLine) {
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"ok\"\n  12abc \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(path, 3, "\"12abc\" is not a number"));
  EXPECT_EQ(Constants(), (Strings{"1=1=ok"}));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"\\777\"\nEND\n"), ESrcProcessError,
                   FormatError(path, 2, "Escape code \"\\777\" does not fit in a narrow string"));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  65535 + 1 \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(path, 2, "String id 65536 does not fit in 16 bits"));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"open\nEND\n"), ESrcProcessError,
                   FormatError(path, 2, "String constant exptected, got a string without its closing quote"));
  EXPECT_THROW_MSG(Load("STRINGTABLE LANGUAGE 7\nBEGIN\nEND\n"), ESrcProcessError,
                   FormatError(path, 1, "\",\" expected, got \"BEGIN\""));
  const std::string part = dir.Write("part.rc2", "\n\nSTRINGTABLE\nBEGIN\n  IDS_NOWHERE \"x\"\nEND\n");
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  1 \"one\"\nEND\n#include \"part.rc2\"\n"), ESrcProcessError,
                   FormatError(part, 4, "Can not find constant identifier: \"IDS_NOWHERE\" unknown"));
  EXPECT_EQ(Constants(), (Strings{"1=1=one"}));
}

TEST_F(RcScriptTest, IncludesWrittenWithBackslashesAreFollowed) {
  // The layout of a Windows project: the script includes shared files of a
  // sibling folder, written as Windows writes paths (and in another case).
  std::filesystem::create_directories(dir.Path("all"));
  std::filesystem::create_directories(dir.Path("app"));
  dir.Write("all/Consts.rc", "#include \"ids.h\"\nSTRINGTABLE\nBEGIN\n  IDS_SHARED \"shared\"\nEND\n");
  dir.Write("all/ids.h", "#define IDS_SHARED 10\n#define IDS_OWN 11\n");
  EXPECT_EQ(Load("#include \"..\\all\\ids.h\"\n#include \"..\\ALL\\consts.rc\"\n"
                 "STRINGTABLE\nBEGIN\n  IDS_OWN \"own\"\nEND\n",
                 "app/App"),
            (Strings{"IDS_SHARED=10=shared", "IDS_OWN=11=own"}));
  ASSERT_EQ(processor.Tables.size(), 2u);
  EXPECT_NE(processor.Tables[0].FileName.find("onsts.rc"), std::string::npos) << processor.Tables[0].FileName;
  EXPECT_TRUE(processor.Warnings.empty());
}

TEST_F(RcScriptTest, AnIncludeThatCannotBeFoundIsAnErrorNamingFileLineAndName) {
  std::filesystem::create_directories(dir.Path("all"));
  // As the reader names it: with the platform's separators.
  const std::string shared =
      std::filesystem::path(dir.Write("all/shared.rc", "\n#include \"gone.h\"\n")).make_preferred().string();
  const struct {
    std::string Script;
    std::string File;  // empty: the script itself
    int Line;
    std::string Detail;
  } cases[] = {
      {"STRINGTABLE\nBEGIN\n  1 \"one\"\nEND\n#include \"..\\all\\none.rc\"\n", "", 4,
       "Include file \"..\\all\\none.rc\" not found"},
      {"#include \"missing.h\"\n", "", 0, "Include file \"missing.h\" not found"},
      {"// shared\n#include \"all/shared.rc\"\n", shared, 1, "Include file \"gone.h\" not found"},
      {"#include resource.h\n", "", 0, "A file name in quotes or <> expected, got \"resource.h\""},
      {"\n#include \"open.h\n", "", 1, "\"\"\" expected, got the end of the line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Script);
    try {
      Load(c.Script);
      ADD_FAILURE() << "no error";
    } catch (const ERcScriptError& e) {
      const std::string file = c.File.empty() ? path : c.File;
      EXPECT_EQ(e.Message(), FormatError(file, c.Line, c.Detail));
      EXPECT_EQ(e.FileName(), file);
    }
  }
  // System headers, in quotes or not, are never missed; nor is what an
  // inactive region includes.
  EXPECT_EQ(Load("#include <windows.h>\n#include \"afxres.h\"\n#include \"..\\inc\\winres.h\"\n"
                 "#ifdef APSTUDIO_INVOKED\n#include \"nowhere.h\"\n#endif\n"
                 "STRINGTABLE\nBEGIN\n  IDOK \"ok\"\nEND\n"),
            Strings{"IDOK=1=ok"});
}

TEST_F(RcScriptTest, PascalHexNumbersOfBorlandScripts) {
  dir.Write("Borland.hpp", "#define deResBase $5400\n#define deNext (deResBase + $10)\n");
  EXPECT_EQ(Load("#if deResBase == 0x5400 && $ff == 255\n#define deOk 1\n#endif\n"
                 "STRINGTABLE\nBEGIN\n  deResBase \"base\"\n  deNext, \"next\"\n  $7FFF \"top\"\n"
                 "  deResBase + deOk + 1 \"sum\"\nEND\n",
                 "Borland"),
            (Strings{"deResBase=21504=base", "deNext=21520=next", "32767=32767=top", "21506=21506=sum"}));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  $ \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(path, 2, "\"$\" is not a number"));
  EXPECT_THROW_MSG(Load("STRINGTABLE\nBEGIN\n  $5G \"x\"\nEND\n"), ESrcProcessError,
                   FormatError(path, 2, "\"$5G\" is not a number"));
}

// Every way the reader rejects a script raises its one error, which names
// the file and the line and says what was expected and what was found.
TEST_F(RcScriptTest, EveryRejectionSaysWhereWhatWasExpectedAndWhatWasFound) {
  const struct {
    std::string Script;
    int Line;
    std::string Detail;
  } cases[] = {
      {"STRINGTABLE MENU\nBEGIN\nEND\n", 0, "\"BEGIN\" expected, got \"MENU\""},
      {"STRINGTABLE LANGUAGE 7 BEGIN\nEND\n", 0, "\",\" expected, got \"BEGIN\""},
      {"STRINGTABLE LANGUAGE , 1\nBEGIN\nEND\n", 0, "A language expected, got \",\""},
      {"LANGUAGE LANG_NOWHERE, 1\n", 0, "A language expected: \"LANG_NOWHERE\" unknown"},
      {"STRINGTABLE VERSION\nBEGIN\nEND\n", 1, "A value of VERSION expected: \"BEGIN\" unknown"},
      {"STRINGTABLE CHARACTERISTICS {\nEND\n", 0, "A value of CHARACTERISTICS expected, got \"{\""},
      {"STRINGTABLE\nBEGIN\n  \"x\"\nEND\n", 2, "Can not find constant identifier, got a string"},
      {"STRINGTABLE\nBEGIN\n  (1 \"x\"\nEND\n", 2,
       "Can not find constant identifier: \")\" expected, got the end of the expression"},
      {"STRINGTABLE\nBEGIN\n  1 / 0 \"x\"\nEND\n", 2, "Can not find constant identifier: division by zero"},
      {"#define F(x) x\nSTRINGTABLE\nBEGIN\n  F \"x\"\nEND\n", 3,
       "Can not find constant identifier: \"F\" takes arguments"},
      {"STRINGTABLE\nBEGIN\n  MAKELANGID(7 1) \"x\"\nEND\n", 2,
       "Can not find constant identifier: \",\" expected, got the end of the expression"},
      {"STRINGTABLE\nBEGIN\n  1\nEND\n", 3, "String constant exptected, got \"END\""},
      {"STRINGTABLE\nBEGIN\n  1\n  \"ok\" \"\\400\"\nEND\n", 3, "Escape code \"\\400\" does not fit in a narrow string"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Script);
    try {
      Load(c.Script);
      ADD_FAILURE() << "no error";
    } catch (const ERcScriptError& e) {
      EXPECT_EQ(e.Message(), FormatError(path, c.Line, c.Detail));
      EXPECT_EQ(e.FileName(), path);
      EXPECT_EQ(e.Describe(), e.Message()) << "the message names the file already";
    }
  }
}

TEST_F(RcScriptTest, TokensOfStatements) {
  TStringList lines;
  lines.Add("IDS_A, L\"w\\x0416\" \"a\"\"b\" {1<<2}");
  lines.Add("  \"open");
  EXPECT_EQ(DumpRcTokens(lines, 1252),
            "0:1 Word IDS_A\n0:6 Punct ,\n0:8 String L\"w\xD0\x96\"\n0:19 String \"a\"b\"\n0:26 Punct {\n"
            "0:27 Word 1\n0:28 Punct <<\n0:30 Word 2\n0:31 Punct }\n1:3 BadString \"open\"\n1:0 End\n");
  EXPECT_STREQ(RcTokenKindName(TRcToken::BadString), "BadString");
}

TEST_F(RcScriptTest, GeneratedConstantsScriptStillLoadsAsWritten) {
  // The shape the constants writer produces: header of #define lines, the
  // script including it, one table of "Name  quoted-value" lines.
  dir.Write("PrjConst.hpp", "#define SHello 50000\n#define SQuote 49999\n#define SCtl 49998\n");
  EXPECT_EQ(Load("/* this file was generated by Polyverb */\n\n#include \"PrjConst.hpp\"\n\nSTRINGTABLE\nBEGIN\n"
                 "  SHello  \"Hello\"\n  SQuote  \"say \\\"it\\\" \\\\ 'x'\"\n"
                 "  SCtl  \"\\a\\b\\t\\n\\v\\f\\r\\x01\\x1F\"\nEND\n",
                 "PrjConst"),
            (Strings{"SHello=50000=Hello", "SQuote=49999=say \"it\" \\ 'x'", "SCtl=49998=\a\b\t\n\v\f\r\x01\x1F"}));
  EXPECT_EQ(processor.UnitRec().UnitName, "PrjConst_RC");
  EXPECT_EQ(processor.InsertLine, 8);
  EXPECT_EQ(processor.NextId, 49998);
  EXPECT_TRUE(processor.Warnings.empty());
}

TEST_F(RcScriptTest, HostileScriptsEndWithinBounds) {
  // A script including itself twice, macros that double on every level,
  // parentheses nested without end: each is cut off with a warning or an
  // error, never a crash or a hang.
  EXPECT_EQ(Load("#include \"App.rc\"\n#include \"App.rc\"\nSTRINGTABLE\nBEGIN\n  1 \"x\"\nEND\n"), Strings{"1=1=x"});
  EXPECT_TRUE(Warned("not read"));
  std::string macros;
  for (int i = 0; i < 60; ++i)
    macros += "#define M" + std::to_string(i) + " (M" + std::to_string(i + 1) + " + M" + std::to_string(i + 1) + ")\n";
  macros += "#define M60 1\n";
  EXPECT_THROW(Load(macros + "STRINGTABLE\nBEGIN\n  M0 \"x\"\nEND\n"), ESrcProcessError);
  EXPECT_THROW(Load("STRINGTABLE\nBEGIN\n  " + std::string(100000, '(') + "1 \"x\"\nEND\n"), ESrcProcessError);
  EXPECT_EQ(Load("#if " + std::string(5000, '(') + "\n#endif\nSTRINGTABLE\nBEGIN\n 2 \"y\"\nEND\n"), Strings{"2=2=y"});
  // Random scripts: the replay of the source fuzz corpus (fuzz_replay_source) feeds the
  // resource-script reader damaged scripts and checks that every failure is one of the
  // project's exceptions, with no crash, hang or out-of-bounds access.
}

}  // namespace
}  // namespace sw
