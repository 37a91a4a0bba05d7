// Moving literals into a constants file: the rewritten units and the written
// constants unit or script, byte for byte; naming; and the guarantees that
// nothing is written when nothing is selected, on failure or when a file
// changed meanwhile. (Moved here from tests/source with the literals layer.)
#include <gtest/gtest.h>

#include "literals/MoveLiterals.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class MoveLiteralsTest : public ::testing::Test {
 protected:
  // Writes a unit file and adds it to the units to move; returns its path.
  std::string AddUnit(const std::string& name, const std::string& bytes) {
    const std::string path = dir.Write(name, bytes);
    units.push_back(path);
    return path;
  }
  TMoveLiteralsSettings Settings(TLiteralTarget target, const std::string& constFile) {
    TMoveLiteralsSettings settings;
    settings.Target = target;
    settings.ConstFile = dir.Path(constFile);
    return settings;
  }
  // Moves every offered literal of the units and writes.
  TMoveResult MoveAll(const TMoveLiteralsSettings& settings) {
    TMoveLiteralsRequest request;
    request.Settings = settings;
    request.Units = units;
    request.Write = true;
    return MoveLiterals(request).Result;
  }
  TMoveResult MoveAll(TLiteralTarget target, const std::string& constFile) {
    return MoveAll(Settings(target, constFile));
  }
  std::string Read(const std::string& name) const { return TempDir::Read(dir.Path(name)); }
  bool Exists(const std::string& name) const { return platform::FileExists(dir.Path(name)); }

  TempDir dir;
  std::vector<std::string> units;
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
  MoveAll(TLiteralTarget::Pascal, "PrjConst.pas");
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
  MoveAll(TLiteralTarget::Pascal, "PrjConst.pas");
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
  MoveAll(TLiteralTarget::Pascal, "PrjConst.pas");
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
  TMoveLiteralsSettings settings = Settings(TLiteralTarget::Pascal, "PrjConst.pas");
  settings.CodePage = 1251;
  settings.Naming.CyrillicNames = true;
  MoveAll(settings);
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
  MoveAll(TLiteralTarget::Pascal, "PrjConst.pas");
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
  TMoveLiteralsSettings settings = Settings(TLiteralTarget::Pascal, "PrjConst.pas");
  settings.CodePage = 1252;
  MoveAll(settings);
  EXPECT_EQ(Read("Names.pas"),
            "unit Names;\ninterface\nuses PrjConst;\n\nimplementation\nbegin\n"
            "  A(S0); A('!!!'); A(SE);\n"
            "  A(SHello); A(SHELLO1);\nend.\n");

  // Digits alone are no letter, so such literals are not found; named, they
  // still get distinct names.
  TNamingSettings naming;
  TStrConstList existing;
  TUnitRecList named;
  named.Add(std::make_unique<TUnitRec>());
  const std::set<std::string> usedWords;
  const TConstantNamer namer(naming, existing, named, usedWords, true);
  auto first = std::make_unique<TStrConst>(named.Items(0));
  first->Value = "123";
  first->Name = namer.MakeName(first->Value, "");
  EXPECT_EQ(first->Name, "S123");
  named.Items(0)->Constants.Add(std::move(first));
  EXPECT_EQ(namer.MakeName("123 ", ""), "S1231");
  EXPECT_EQ(namer.MakeName("123", ""), "S123");  // the same text reuses the name
  naming.ReuseNames = false;
  EXPECT_EQ(namer.MakeName("123", ""), "S1231");
  naming.ReuseNames = true;
  EXPECT_EQ(namer.MakeName("Hello, world!", "U"), "SHelloWorld");
  naming.UnitPrefix = true;
  naming.NamePrefix = "Str";
  EXPECT_EQ(namer.MakeName("\xC3\x86sop and \xC3\x9F", "Unit1"), "Unit1_StrAEsopAndSS");
  EXPECT_EQ(namer.MakeName("x", "my-unit"), "myunit_StrX");
  naming.UnitPrefix = false;
  naming.NamePrefix = "S";
  naming.CyrillicNames = true;
  EXPECT_EQ(namer.MakeName("\xD0\xB6\xD1\x83\xD0\xBA \xD0\xA9\xD0\xB8\xD1\x82", ""), "SZHukSCHit");
  naming.MaxNameChars = 3;
  EXPECT_EQ(namer.MakeName("abcdef", ""), "SAbc");
}

TEST_F(MoveLiteralsTest, ExcludePatternsAndSelectingEqualTexts) {
  AddUnit("Ex.pas",
          "unit Ex;\ninterface\nimplementation\nbegin\n  Log.Debug('skip me'); Caption := 'take me'; X := 'Take Me';\nend.\n");
  TMoveLiteralsSettings settings = Settings(TLiteralTarget::Pascal, "PrjConst.pas");
  settings.ExcludePatterns.Add(" debug( ");
  TLiteralMove move(settings);
  move.Find(units);
  const TUnitRec& unit = *move.Units().Items(0);
  ASSERT_EQ(unit.Constants.Count(), 2);
  ASSERT_EQ(move.Left(0).size(), 1u);
  EXPECT_EQ(move.Left(0)[0].Reason, "excluded");
  EXPECT_FALSE(unit.Constants.Items(0)->Selected());
  unit.Constants.Items(0)->SetSelected(true);
  EXPECT_TRUE(unit.Constants.Items(1)->Selected());  // same text ignoring case
}

TEST_F(MoveLiteralsTest, ExistingConstantsUnitIsExtendedAndItsNamesReused) {
  const std::string existing =
      "unit PrjConst;\n\ninterface\n\nresourcestring\n  SHello = 'Hello';\n\nimplementation\n\nend.\n";
  dir.Write("PrjConst.pas", existing);
  AddUnit("Use.pas", "unit Use;\ninterface\nuses PrjConst;\nimplementation\nbegin A('Hello'); A('New one'); end.\n");
  MoveAll(TLiteralTarget::Pascal, "PrjConst.pas");
  EXPECT_EQ(Read("Use.pas"), "unit Use;\ninterface\nuses PrjConst;\nimplementation\nbegin A(SHello); A(SNewOne); end.\n");
  EXPECT_EQ(Read("PrjConst.pas"),
            "unit PrjConst;\n\ninterface\n\nresourcestring\n  SHello = 'Hello';\n  SNewOne = 'New one';\n\n"
            "implementation\n\nend.\n");
}

TEST_F(MoveLiteralsTest, ConstantsFileThatIsNoUnitIsLeftAlone) {
  dir.Write("PrjConst.pas", "// notes, not a unit\n");
  const std::string path = AddUnit("Main.pas", kMainUnit);
  EXPECT_THROW(MoveAll(TLiteralTarget::Pascal, "PrjConst.pas"), ESrcProcessError);
  EXPECT_EQ(TempDir::Read(path), kMainUnit);
  EXPECT_EQ(Read("PrjConst.pas"), "// notes, not a unit\n");
}

TEST_F(MoveLiteralsTest, NothingIsWrittenWhenNothingIsSelectedOnFailureOrChangeOnDisk) {
  const std::string good = AddUnit("Good.pas", kMainUnit);
  const std::string bad = AddUnit("Bad.pas", "");
  platform::DeleteFile(bad);  // a unit that cannot be read
  EXPECT_ANY_THROW(MoveAll(TLiteralTarget::Pascal, "PrjConst.pas"));
  EXPECT_EQ(TempDir::Read(good), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));

  units.pop_back();
  // Everything unselected: no unit and no constants file is written.
  TLiteralMove declined(Settings(TLiteralTarget::Pascal, "PrjConst.pas"));
  declined.Find(units);
  const TMoveResult none = declined.Apply(true);
  EXPECT_EQ(none.Literals, 0);
  EXPECT_TRUE(none.Written.empty());
  EXPECT_EQ(TempDir::Read(good), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));

  TLiteralMove raced(Settings(TLiteralTarget::Pascal, "PrjConst.pas"));
  raced.Find(units);
  raced.SelectAll();
  dir.Write("Good.pas", std::string(kMainUnit) + "// edited elsewhere\r\n");
  EXPECT_THROW(raced.Apply(true), ESrcProcessError);
  EXPECT_EQ(TempDir::Read(good), std::string(kMainUnit) + "// edited elsewhere\r\n");
  EXPECT_FALSE(Exists("PrjConst.pas"));
}

TEST_F(MoveLiteralsTest, ProcessWithoutUnitsFails) {
  TLiteralMove move(Settings(TLiteralTarget::Pascal, "PrjConst.pas"));
  EXPECT_THROW_MSG(move.Find({}), ESrcProcessError, "No units to process");
}

TEST_F(MoveLiteralsTest, UsesClauseEditingModes) {
  TQScanner scanner;
  SetUpPascalScanner(scanner);
  TStringList lines;
  lines.SetText("unit A;\ninterface\nuses SysUtils, PrjConst, Classes;\nimplementation\nend.");
  EXPECT_FALSE(EditUsesClause(scanner, lines, "prjconst", TUsesEdit::Add));
  EXPECT_TRUE(EditUsesClause(scanner, lines, "PrjConst", TUsesEdit::Rename, "Texts"));
  EXPECT_EQ(lines[2], "uses SysUtils, Texts, Classes;");
  EXPECT_TRUE(EditUsesClause(scanner, lines, "Texts", TUsesEdit::Remove));
  EXPECT_EQ(lines[2], "uses SysUtils, Classes;");
  EXPECT_TRUE(EditUsesClause(scanner, lines, "SysUtils", TUsesEdit::Remove));
  EXPECT_EQ(lines[2], "uses Classes;");
  EXPECT_TRUE(EditUsesClause(scanner, lines, "Classes", TUsesEdit::Remove));
  EXPECT_EQ(lines[2], "");
  EXPECT_TRUE(EditUsesClause(scanner, lines, "PrjConst", TUsesEdit::Add));
  EXPECT_EQ(lines.Text(), "unit A;\r\ninterface\r\n\r\nuses PrjConst;\r\n\r\nimplementation\r\nend.\r\n");
}

// Literals in String contexts move; the wide literal of ShowMessageW, the
// argument of puts (a char pointer) and the pragma's stay. (The wide and the
// puts literal moved before only replacements that compile were offered.)
const char* const kCppUnit =
    "#include <vcl.h>\r\n"
    "#pragma hdrstop\r\n"
    "\r\n"
    "#include \"Show.h\"\r\n"
    "static const char* kFile = \"outside.txt\";\r\n"
    "void Show()\r\n"
    "{\r\n"
    "  ShowMessage(\"Say \\\"hi\\\"\\tnow\\n\");\r\n"
    "  String wide = \"Wide text\";\r\n"
    "  ShowMessageW(L\"Wide text\");\r\n"
    "  ShowMessage(\"multi\" \"part\");\r\n"
    "  puts(\"char pointer\");\r\n"
    "#pragma message(\"not this one\")\r\n"
    "}\r\n";

TEST_F(MoveLiteralsTest, CppToResourceScriptAndHeader) {
  AddUnit("Show.cpp", kCppUnit);
  MoveAll(TLiteralTarget::CppToResourceScript, "PrjConst.rc");
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
            "  String wide = LoadStr(SWideText);\r\n"
            "  ShowMessageW(L\"Wide text\");\r\n"
            "  ShowMessage(LoadStr(SMultipart));\r\n"
            "  puts(\"char pointer\");\r\n"
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
  AddUnit("More.cpp",
          "void More()\n{\n  ShowMessage(\"Wide text\");\n  ShowMessage(\"Another\");\n  ShowMessage(\"numbered\");\n}\n");
  MoveAll(TLiteralTarget::CppToResourceScript, "PrjConst.rc");
  EXPECT_EQ(Read("More.cpp"),
            "#include \"PrjConst.hpp\"\nvoid More()\n{\n  ShowMessage(LoadStr(SWideText));\n"
            "  ShowMessage(LoadStr(SAnother));\n  ShowMessage(LoadStr(SNumbered));\n}\n");
  EXPECT_EQ(Read("PrjConst.rc"),
            "#include \"PrjConst.hpp\"\r\n\r\nSTRINGTABLE\r\nBEGIN\r\n  SWideText  \"Wide text\"\r\n  49999 \"numbered\"\r\n"
            "  SAnother  \"Another\"\r\n  SNumbered  \"numbered\"\r\nEND\r\n");
  // Below the smallest identifier above 45000 the script uses.
  EXPECT_EQ(Read("PrjConst.hpp"), "#define SWideText 50000\r\n#define SAnother 49998\r\n#define SNumbered 49997\r\n");
}

TEST_F(MoveLiteralsTest, CppToPascalConstantsUnit) {
  AddUnit("Form.cpp", "void f()\n{\n  Label->Caption = \"Caption text\";\n}\n");
  MoveAll(TLiteralTarget::CppToPascalUnit, "PrjConst.rc");
  EXPECT_EQ(Read("Form.cpp"), "#include \"PrjConst.hpp\"\nvoid f()\n{\n  Label->Caption = Prjconst_SCaptionText;\n}\n");
  EXPECT_NE(Read("PrjConst.pas").find("SCaptionText = 'Caption text';"), std::string::npos);
  EXPECT_FALSE(Exists("PrjConst.rc"));
  // A Pascal constants unit is read back for the C++ sources as for Pascal.
  TLiteralMove again(Settings(TLiteralTarget::CppToPascalUnit, "PrjConst.pas"));
  units = {dir.Write("Other.cpp", "void g()\n{\n  ShowMessage(\"Caption text\");\n}\n")};
  again.Find(units);
  ASSERT_EQ(again.Units().Items(0)->Constants.Count(), 1);
  EXPECT_EQ(again.Units().Items(0)->Constants.Items(0)->Name, "SCaptionText");
  EXPECT_EQ(again.Preview(0)[3], "  ShowMessage(Prjconst_SCaptionText);");
}

TEST_F(MoveLiteralsTest, PlanWithoutWritingChangesNothingAndPreviewShowsTheUnit) {
  const std::string path = AddUnit("Main.pas", kMainUnit);
  TLiteralMove move(Settings(TLiteralTarget::Pascal, "PrjConst.pas"));
  move.Find(units);
  move.SelectAll();
  TUnitRecList& found = move.Units();
  found.Items(0)->Constants.Items(0)->Name = "SGreeting";
  found.Items(0)->Constants.Items(2)->Name = "SGreeting";
  const TMoveResult result = move.Apply(false);
  EXPECT_EQ(result.Literals, 3);
  EXPECT_EQ(result.Units, 1);
  EXPECT_EQ(result.Constants, (std::vector<std::string>{"SGreeting", "SLineTwo"}));
  EXPECT_EQ(TempDir::Read(path), kMainUnit);
  EXPECT_FALSE(Exists("PrjConst.pas"));
  const TStringList preview = move.Preview(0);
  EXPECT_EQ(preview[12], "  Writeln(SGreeting);");

  found.Items(0)->Constants.Items(1)->Name = "Not valid";
  EXPECT_THROW(move.Apply(false), ESrcProcessError);
}

}  // namespace
}  // namespace sw
