// Moving literals into a constants file: the rewritten units and the written
// constants unit or script, byte for byte; naming; and the guarantees that
// nothing is written on cancel, on failure or when a file changed meanwhile.
#include <gtest/gtest.h>

#include "extract/source/SrcProcs.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class MoveLiteralsTest : public ::testing::Test {
 protected:
  // Adds a unit file to `units`; returns its path.
  std::string AddUnit(const std::string& name, const std::string& bytes) {
    const std::string path = dir.Write(name, bytes);
    auto unit = std::make_unique<TUnitRec>();
    unit->FileName = path;
    units.Add(std::move(unit));
    return path;
  }
  void Prepare(TSourceProcessor& processor, const std::string& constFile) {
    processor.ConstFileName = dir.Path(constFile);
    processor.Units = &units;
  }
  std::string Read(const std::string& name) const { return TempDir::Read(dir.Path(name)); }
  bool Exists(const std::string& name) const { return platform::FileExists(dir.Path(name)); }

  TempDir dir;
  TUnitRecList units;
};

const char* const kMainUnit =
    "unit Main;\r\n"
    "\r\n"
    "interface\r\n"
    "\r\n"
    "uses SysUtils;\r\n"
    "\r\n"
    "procedure Show;\r\n"
    "\r\n"
    "implementation\r\n"
    "\r\n"
    "procedure Show;\r\n"
    "begin\r\n"
    "  Writeln('Hello, world!');\r\n"
    "  Writeln('Line'#13#10'two', '!!!');\r\n"
    "  Writeln('Hello, world!');\r\n"
    "end;\r\n"
    "\r\n"
    "end.\r\n";

TEST_F(MoveLiteralsTest, PascalUnitWithUsesClauseAndNewConstantsUnit) {
  AddUnit("Main.pas", kMainUnit);
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("Main.pas"),
            "unit Main;\r\n"
            "\r\n"
            "interface\r\n"
            "\r\n"
            "uses SysUtils, PrjConst;\r\n"
            "\r\n"
            "procedure Show;\r\n"
            "\r\n"
            "implementation\r\n"
            "\r\n"
            "procedure Show;\r\n"
            "begin\r\n"
            "  Writeln(SHelloWorld);\r\n"
            "  Writeln(SLineTwo, '!!!');\r\n"
            "  Writeln(SHelloWorld);\r\n"
            "end;\r\n"
            "\r\n"
            "end.\r\n");
  EXPECT_EQ(Read("PrjConst.pas"),
            "unit PrjConst;\r\n"
            "\r\n"
            "interface\r\n"
            "\r\n"
            "resourcestring\r\n"
            "  SHelloWorld = 'Hello, world!';\r\n"
            "  SLineTwo = 'Line'#13#10'two';\r\n"
            "\r\n"
            "implementation\r\n"
            "\r\n"
            "end.\r\n");
  // The constants unit reads back with the exact values.
  TPasProcessor reader;
  reader.LoadConstants(dir.Path("PrjConst.pas"));
  ASSERT_EQ(reader.UnitRec().Constants.Count(), 2);
  EXPECT_EQ(reader.UnitRec().Constants.Items(1)->Value, "Line\r\ntwo");
}

TEST_F(MoveLiteralsTest, PascalUnitWithoutUsesConstSectionsAndLocalizeRegions) {
  AddUnit("Plain.pas",
          "unit Plain;\n"
          "interface\n"
          "const\n"
          "  Untyped = 'not moved';\n"
          "  Typed: string = 'typed';\n"
          "  List: array[0..1] of string = ('first', 'second');\n"
          "implementation\n"
          "// localize off\n"
          "procedure P; begin S := 'kept'; end;\n"
          "// localize on\n"
          "resourcestring\n"
          "  SOld = 'old';\n"
          "procedure Q; begin S := 'moved' + 'old'; end;\n"
          "end.\n");
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("Plain.pas"),
            "unit Plain;\n"
            "interface\n"
            "uses PrjConst;\n"
            "\n"
            "const\n"
            "  Untyped = 'not moved';\n"
            "  Typed: string = STyped;\n"
            "  List: array[0..1] of string = (SFirst, SSecond);\n"
            "implementation\n"
            "// localize off\n"
            "procedure P; begin S := 'kept'; end;\n"
            "// localize on\n"
            "resourcestring\n"
            "  SOld = 'old';\n"
            "procedure Q; begin S := SMoved + SOld1; end;\n"
            "end.\n");
  EXPECT_NE(Read("PrjConst.pas").find("  SOld1 = 'old';\r\n"), std::string::npos) << Read("PrjConst.pas");
}

TEST_F(MoveLiteralsTest, ProgramGetsAUsesClauseAndKeepsFileNamesOfItsUses) {
  AddUnit("Demo.dpr",
          "program Demo;\r\n\r\n{$APPTYPE CONSOLE}\r\n\r\nbegin\r\n  Writeln('Hi there');\r\nend.\r\n");
  AddUnit("Demo2.dpr",
          "program Demo2;\r\nuses SysUtils, Unit1 in 'Unit1.pas';\r\nbegin\r\n  Writeln('Hi there');\r\nend.\r\n");
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("Demo.dpr"),
            "program Demo;\r\n\r\n{$APPTYPE CONSOLE}\r\n\r\nuses PrjConst;\r\n\r\nbegin\r\n  Writeln(SHiThere);\r\nend.\r\n");
  EXPECT_EQ(Read("Demo2.dpr"),
            "program Demo2;\r\nuses SysUtils, PrjConst, Unit1 in 'Unit1.pas';\r\nbegin\r\n  Writeln(SHiThere);\r\nend.\r\n");
  // Equal texts of two units share one declaration.
  const std::string constants = Read("PrjConst.pas");
  EXPECT_EQ(constants.find("SHiThere"), constants.rfind("SHiThere"));
}

TEST_F(MoveLiteralsTest, AnsiUnitKeepsItsCodePageAndSpansLandOnItsBytes) {
  // "Привет" and "мир" in code page 1251; the second literal starts after
  // non-ASCII text, where UTF-8 columns and byte columns differ.
  const std::string unit =
      "unit Ru;\r\ninterface\r\nimplementation\r\nbegin\r\n  Show('\xCF\xF0\xE8\xE2\xE5\xF2', '\xEC\xE8\xF0');\r\nend.\r\n";
  AddUnit("Ru.pas", unit);
  TPasProcessor processor;
  processor.CodePage = 1251;
  processor.CyrillicNames = true;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("Ru.pas"),
            "unit Ru;\r\ninterface\r\nuses PrjConst;\r\n\r\nimplementation\r\nbegin\r\n  Show(SPrivet, SMir);\r\nend.\r\n");
  // The new constants unit holds the texts in UTF-8 behind a byte-order mark.
  EXPECT_EQ(Read("PrjConst.pas").substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(Read("PrjConst.pas").find("SPrivet = '\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82';"),
            std::string::npos);
}

TEST_F(MoveLiteralsTest, Utf8AndUtf16UnitsKeepMarkAndBytesOutsideTheSpans) {
  const std::string utf8 =
      "\xEF\xBB\xBFunit U8;\ninterface\nimplementation\nbegin\n  { \xC3\xBC } Show('Gr\xC3\xBC\xC3\x9F" "e');\nend.\n";
  AddUnit("U8.pas", utf8);
  std::string wide = "\xFF\xFE";
  for (char c : std::string("unit U16;\r\ninterface\r\nimplementation\r\nbegin Show('Wide'); end.\r\n")) {
    wide += c;
    wide += '\0';
  }
  AddUnit("U16.pas", wide);
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("U8.pas"),
            "\xEF\xBB\xBFunit U8;\ninterface\nuses PrjConst;\n\nimplementation\nbegin\n  { \xC3\xBC } Show(SGruSSe);\nend.\n");
  std::string expected = "\xFF\xFE";
  for (char c : std::string("unit U16;\r\ninterface\r\nuses PrjConst;\r\n\r\nimplementation\r\nbegin Show(SWide); end.\r\n")) {
    expected += c;
    expected += '\0';
  }
  EXPECT_EQ(Read("U16.pas"), expected);
}

TEST_F(MoveLiteralsTest, NamingEdgeCases) {
  AddUnit("Names.pas",
          "unit Names;\ninterface\nimplementation\nbegin\n"
          "  A('--------------------word'); A('!!!'); A('\xE9');\n"
          "  A('Hello'); A('HELLO');\nend.\n");
  TPasProcessor processor;
  processor.CodePage = 1252;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("Names.pas"),
            "unit Names;\ninterface\nuses PrjConst;\n\nimplementation\nbegin\n"
            "  A(S0); A('!!!'); A(SE);\n"
            "  A(SHello); A(SHELLO1);\nend.\n");

  // Digits alone are no letter, so such literals are not found; named, they
  // still get distinct names.
  TPasProcessor namer;
  TUnitRecList named;
  named.Add(std::make_unique<TUnitRec>());
  namer.Units = &named;
  auto first = std::make_unique<TStrConst>(named.Items(0));
  first->Value = "123";
  first->Name = namer.MakeConstName(first->Value, "");
  EXPECT_EQ(first->Name, "S123");
  named.Items(0)->Constants.Add(std::move(first));
  EXPECT_EQ(namer.MakeConstName("123 ", ""), "S1231");
  EXPECT_EQ(namer.MakeConstName("123", ""), "S123");  // the same text reuses the name
  namer.ReuseNames = false;
  EXPECT_EQ(namer.MakeConstName("123", ""), "S1231");
  namer.ReuseNames = true;
  EXPECT_EQ(namer.MakeConstName("Hello, world!", "U"), "SHelloWorld");
  namer.UnitPrefix = true;
  namer.NamePrefix = "Str";
  EXPECT_EQ(namer.MakeConstName("\xC3\x86sop and \xC3\x9F", "Unit1"), "Unit1_StrAEsopAndSS");
  EXPECT_EQ(namer.MakeConstName("x", "my-unit"), "myunit_StrX");
  namer.UnitPrefix = false;
  namer.NamePrefix = "S";
  namer.CyrillicNames = true;
  EXPECT_EQ(namer.MakeConstName("\xD0\xB6\xD1\x83\xD0\xBA \xD0\xA9\xD0\xB8\xD1\x82", ""), "SZHukSCHit");
  namer.MaxNameChars = 3;
  EXPECT_EQ(namer.MakeConstName("abcdef", ""), "SAbc");
}

TEST_F(MoveLiteralsTest, ExcludePatternsAndSelectingEqualTexts) {
  AddUnit("Ex.pas",
          "unit Ex;\ninterface\nimplementation\nbegin\n  Log.Debug('skip me'); Caption := 'take me'; X := 'Take Me';\nend.\n");
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.ExcludePatterns.Add(" debug( ");
  processor.FindLiterals();
  const TUnitRec& unit = *units.Items(0);
  ASSERT_EQ(unit.Constants.Count(), 2);
  EXPECT_FALSE(unit.Constants.Items(0)->Selected());
  unit.Constants.Items(0)->SetSelected(true);
  EXPECT_TRUE(unit.Constants.Items(1)->Selected());  // same text ignoring case
}

TEST_F(MoveLiteralsTest, ExistingConstantsUnitIsExtendedAndItsNamesReused) {
  const std::string existing =
      "unit PrjConst;\n\ninterface\n\nresourcestring\n  SHello = 'Hello';\n\nimplementation\n\nend.\n";
  dir.Write("PrjConst.pas", existing);
  AddUnit("Use.pas", "unit Use;\ninterface\nuses PrjConst;\nimplementation\nbegin A('Hello'); A('New one'); end.\n");
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.Process();
  EXPECT_EQ(Read("Use.pas"), "unit Use;\ninterface\nuses PrjConst;\nimplementation\nbegin A(SHello); A(SNewOne); end.\n");
  EXPECT_EQ(Read("PrjConst.pas"),
            "unit PrjConst;\n\ninterface\n\nresourcestring\n  SHello = 'Hello';\n  SNewOne = 'New one';\n\n"
            "implementation\n\nend.\n");
}

TEST_F(MoveLiteralsTest, ConstantsFileThatIsNoUnitIsLeftAlone) {
  dir.Write("PrjConst.pas", "// notes, not a unit\n");
  const std::string path = AddUnit("Main.pas", kMainUnit);
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  EXPECT_THROW(processor.Process(), ESrcProcessError);
  EXPECT_EQ(TempDir::Read(path), kMainUnit);
  EXPECT_EQ(Read("PrjConst.pas"), "// notes, not a unit\n");
}

TEST_F(MoveLiteralsTest, NothingIsWrittenOnCancelFailureOrChangeOnDisk) {
  const std::string good = AddUnit("Good.pas", kMainUnit);
  const std::string bad = AddUnit("Bad.pas", "");
  platform::DeleteFile(bad);  // a unit that cannot be read
  TPasProcessor failing;
  Prepare(failing, "PrjConst.pas");
  EXPECT_ANY_THROW(failing.Process());
  EXPECT_EQ(TempDir::Read(good), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));

  units.Items(1)->Enabled = false;
  // Everything unselected: no unit and no constants file is written.
  TPasProcessor declined;
  Prepare(declined, "PrjConst.pas");
  declined.OnSelectConstants = [](TUnitRec& unit, bool&) {
    for (const auto& c : unit.Constants) c->SetSelected(false);
  };
  declined.Process();
  EXPECT_EQ(TempDir::Read(good), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));

  TPasProcessor cancelled;
  Prepare(cancelled, "PrjConst.pas");
  cancelled.OnSelectConstants = [](TUnitRec&, bool& cancel) { cancel = true; };
  cancelled.Process();
  EXPECT_EQ(TempDir::Read(good), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));

  TPasProcessor raced;
  Prepare(raced, "PrjConst.pas");
  raced.FindLiterals();
  for (const auto& c : units.Items(0)->Constants) c->SetSelected(true);
  dir.Write("Good.pas", std::string(kMainUnit) + "// edited elsewhere\r\n");
  EXPECT_THROW(raced.ApplyLiterals(), ESrcProcessError);
  EXPECT_EQ(TempDir::Read(good), std::string(kMainUnit) + "// edited elsewhere\r\n");
  EXPECT_FALSE(Exists("PrjConst.pas"));
  (void)bad;
}

TEST_F(MoveLiteralsTest, ProcessWithoutUnitsFails) {
  TPasProcessor processor;
  EXPECT_THROW_MSG(processor.Process(), ESrcProcessError, "No units to process");
}

TEST_F(MoveLiteralsTest, UsesClauseEditingModes) {
  TPasProcessor processor;
  TStringList lines;
  lines.SetText("unit A;\ninterface\nuses SysUtils, PrjConst, Classes;\nimplementation\nend.");
  EXPECT_FALSE(processor.EditUsesClause(lines, "prjconst", 0));
  EXPECT_TRUE(processor.EditUsesClause(lines, "PrjConst", 2, "Texts"));
  EXPECT_EQ(lines[2], "uses SysUtils, Texts, Classes;");
  EXPECT_TRUE(processor.EditUsesClause(lines, "Texts", 1));
  EXPECT_EQ(lines[2], "uses SysUtils, Classes;");
  EXPECT_TRUE(processor.EditUsesClause(lines, "SysUtils", 1));
  EXPECT_EQ(lines[2], "uses Classes;");
  EXPECT_TRUE(processor.EditUsesClause(lines, "Classes", 1));
  EXPECT_EQ(lines[2], "");
  EXPECT_TRUE(processor.EditUsesClause(lines, "PrjConst", 0));
  EXPECT_EQ(lines.Text(), "unit A;\r\ninterface\r\n\r\nuses PrjConst;\r\n\r\nimplementation\r\nend.\r\n");
}

const char* const kCppUnit =
    "#include <vcl.h>\r\n"
    "#pragma hdrstop\r\n"
    "\r\n"
    "#include \"Show.h\"\r\n"
    "static const char* kFile = \"outside.txt\";\r\n"
    "void Show()\r\n"
    "{\r\n"
    "  ShowMessage(\"Say \\\"hi\\\"\\tnow\\n\");\r\n"
    "  ShowMessageW(L\"Wide text\");\r\n"
    "  puts(\"multi\" \"part\");\r\n"
    "#pragma message(\"not this one\")\r\n"
    "}\r\n";

TEST_F(MoveLiteralsTest, CppToResourceScriptAndHeader) {
  AddUnit("Show.cpp", kCppUnit);
  TCPPProcessor processor;
  processor.PascalUnitMode = false;
  Prepare(processor, "PrjConst.rc");
  processor.Process();
  EXPECT_EQ(Read("Show.cpp"),
            "#include <vcl.h>\r\n"
            "#pragma hdrstop\r\n"
            "\r\n"
            "#include \"Show.h\"\r\n"
            "#include \"PrjConst.hpp\"\r\n"
            "static const char* kFile = \"outside.txt\";\r\n"
            "void Show()\r\n"
            "{\r\n"
            "  ShowMessage(LoadStr(SSayHiNow));\r\n"
            "  ShowMessageW(LoadStr(SWideText).c_str());\r\n"
            "  puts(LoadStr(SMultipart));\r\n"
            "#pragma message(\"not this one\")\r\n"
            "}\r\n");
  EXPECT_EQ(Read("PrjConst.rc"),
            "/* this file was generated by Polyverb */\r\n"
            "\r\n"
            "#include \"PrjConst.hpp\"\r\n"
            "\r\n"
            "STRINGTABLE\r\n"
            "BEGIN\r\n"
            "  SSayHiNow  \"Say \"\"hi\"\"\\tnow\\n\"\r\n"
            "  SWideText  \"Wide text\"\r\n"
            "  SMultipart  \"multipart\"\r\n"
            "END\r\n");
  EXPECT_EQ(Read("PrjConst.hpp"), "#define SSayHiNow 50000\r\n#define SWideText 49999\r\n#define SMultipart 49998\r\n");

}

TEST_F(MoveLiteralsTest, ExistingScriptAndHeaderAreExtended) {
  const std::string script =
      "#include \"PrjConst.hpp\"\r\n\r\nSTRINGTABLE\r\nBEGIN\r\n  SWideText  \"Wide text\"\r\n  49999 \"numbered\"\r\nEND\r\n";
  dir.Write("PrjConst.rc", script);
  dir.Write("PrjConst.hpp", "#define SWideText 50000");
  AddUnit("More.cpp", "void More()\n{\n  puts(\"Wide text\");\n  puts(\"Another\");\n  puts(\"numbered\");\n}\n");
  TCPPProcessor processor;
  processor.PascalUnitMode = false;
  Prepare(processor, "PrjConst.rc");
  processor.Process();
  EXPECT_EQ(Read("More.cpp"),
            "#include \"PrjConst.hpp\"\nvoid More()\n{\n  puts(LoadStr(SWideText));\n  puts(LoadStr(SAnother));\n"
            "  puts(LoadStr(SNumbered));\n}\n");
  EXPECT_EQ(Read("PrjConst.rc"),
            "#include \"PrjConst.hpp\"\r\n\r\nSTRINGTABLE\r\nBEGIN\r\n  SWideText  \"Wide text\"\r\n  49999 \"numbered\"\r\n"
            "  SAnother  \"Another\"\r\n  SNumbered  \"numbered\"\r\nEND\r\n");
  // Below the smallest identifier above 45000 the script uses.
  EXPECT_EQ(Read("PrjConst.hpp"), "#define SWideText 50000\r\n#define SAnother 49998\r\n#define SNumbered 49997\r\n");
}

TEST_F(MoveLiteralsTest, CppToPascalConstantsUnit) {
  AddUnit("Form.cpp", "void f()\n{\n  Label->Caption = \"Caption text\";\n}\n");
  TCPPProcessor processor;
  Prepare(processor, "PrjConst.rc");
  processor.Process();
  EXPECT_EQ(Read("Form.cpp"), "#include \"PrjConst.hpp\"\nvoid f()\n{\n  Label->Caption = Prjconst_SCaptionText;\n}\n");
  EXPECT_NE(Read("PrjConst.pas").find("SCaptionText = 'Caption text';"), std::string::npos);
  EXPECT_FALSE(Exists("PrjConst.rc"));
}

TEST_F(MoveLiteralsTest, PlanWithoutWritingChangesNothingAndPreviewShowsTheUnit) {
  const std::string path = AddUnit("Main.pas", kMainUnit);
  TPasProcessor processor;
  Prepare(processor, "PrjConst.pas");
  processor.FindLiterals();
  for (const auto& c : units.Items(0)->Constants) c->SetSelected(true);
  units.Items(0)->Constants.Items(0)->Name = "SGreeting";
  units.Items(0)->Constants.Items(2)->Name = "SGreeting";
  const TMoveResult result = processor.ApplyLiterals(false);
  EXPECT_EQ(result.Literals, 3);
  EXPECT_EQ(result.Units, 1);
  EXPECT_EQ(result.Constants, (std::vector<std::string>{"SGreeting", "SLineTwo"}));
  EXPECT_EQ(TempDir::Read(path), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));
  const TStringList preview = processor.PreviewUnit(*units.Items(0));
  EXPECT_EQ(preview[12], "  Writeln(SGreeting);");

  units.Items(0)->Constants.Items(1)->Name = "Not valid";
  EXPECT_THROW(processor.ApplyLiterals(false), ESrcProcessError);
}

}  // namespace
}  // namespace sw
