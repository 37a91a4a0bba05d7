// The literal finder: which literals are offered and why the others stay, one
// context a row, for C++ and for Object Pascal; and the exclude patterns
// (moved here from the Pascal reader's tests with the literals layer).
#include "literals/LiteralFinder.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace sw {
namespace {

struct ContextCase {
  const char* Code;    // a function body (C++) or a unit part (Pascal)
  const char* Text;    // the literal looked at
  const char* Reason;  // "offered" or why it stays
};

// The reason the literal `text` of `unit` got ("" when it was not found).
std::string ReasonOf(const TFoundLiterals& found, const std::string& text) {
  for (const auto& c : found.Offered)
    if (c->Value == text) return kOffered;
  for (const auto& l : found.Left)
    if (l.Text == text) return l.Reason;
  return std::string();
}

TFoundLiterals Find(bool pascal, const std::string& code, const TStringList& exclude = TStringList()) {
  TQScanner scanner;
  TUnitRec unit;
  if (pascal) {
    SetUpPascalScanner(scanner);
  } else {
    SetUpCppScanner(scanner);
  }
  unit.Lines.SetText(code);
  return pascal ? FindPascalLiterals(scanner, unit, exclude) : FindCppLiterals(scanner, unit, exclude);
}

const char* const kCppDeclarations =
    "String Title();\n"
    "const char* Plain();\n"
    "void Log(const char* text, const String& detail);\n"
    "static String kept;\n";

TEST(LiteralFinderTest, CppOffersOnlyWhereAStringIsAccepted) {
  const std::vector<ContextCase> cases = {
      {"String s = \"init\";", "init", "offered"},
      {"AnsiString s(\"paren init\");", "paren init", "offered"},
      {"UnicodeString s{\"brace init\"};", "brace init", "offered"},
      {"f(String(\"cast\"));", "cast", "offered"},
      {"String s; s = s + \"plus right\";", "plus right", "offered"},
      {"String s; s = \"plus left\" + s;", "plus left", "offered"},
      {"x = IntToStr(3) + \"after call\";", "after call", "offered"},
      {"ShowMessage(\"vcl\");", "vcl", "offered"},
      {"Items->Add(\"method\");", "method", "offered"},
      {"Label1->Caption = \"property\";", "property", "offered"},
      {"Log(\"first\", \"second\");", "second", "offered"},
      {"Log(\"first\", \"second\");", "first", "argument of Log()"},
      {"throw Exception(\"error text\");", "error text", "offered"},
      {"ShowMessage(_T(\"macro\"));", "macro", "inside _T()"},
      {"ShowMessage(TEXT(\"text macro\"));", "text macro", "inside TEXT()"},
      {"ShowMessage(L\"wide\");", "wide", "prefixed literal"},
      {"ShowMessage(u8\"utf8\");", "utf8", "prefixed literal"},
      {"const char *fmt = \"char pointer\";", "char pointer", "char pointer initializer"},
      {"wchar_t *w = \"wide pointer\";", "wide pointer", "char pointer initializer"},
      {"char buffer[] = \"array\";", "array", "char array initializer"},
      {"static String s = \"static one\";", "static one", "static initializer"},
      {"constexpr auto c = \"constexpr one\";", "constexpr one", "constexpr initializer"},
      {"switch (x) { case \"label\": break; }", "label", "case label"},
      {"puts(\"c function\");", "c function", "argument of puts()"},
      {"ShowMessage(\"a \" PRIu64 \" b\");", "a ", "concatenation with a macro"},
      {"std::cout << \"stream\";", "stream", "stream operand"},
      {"auto a = \"auto\";", "auto", "not a String context"},
      {"[[deprecated(\"attr\")]] int y;", "attr", "attribute"},
      {"// localize off\nShowMessage(\"quiet\");\n// localize on", "quiet", "localize off"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    const auto found = Find(false, std::string(kCppDeclarations) + "void f()\n{\n" + c.Code + "\n}\n");
    EXPECT_EQ(ReasonOf(found, c.Text), c.Reason);
  }
  const auto found = Find(false, "String Title()\n{\n  return \"returned\";\n}\n"
                                 "const char* Plain()\n{\n  return \"plain\";\n}\n"
                                 "#include \"header.h\"\n#pragma message(\"note\")\n"
                                 "extern \"C\" void g();\nconst char* outside = \"outside\";\n");
  EXPECT_EQ(ReasonOf(found, "returned"), "offered");
  EXPECT_EQ(ReasonOf(found, "plain"), "return of a function not returning String");
  EXPECT_EQ(ReasonOf(found, "header.h"), "#include line");
  EXPECT_EQ(ReasonOf(found, "note"), "#pragma line");
  EXPECT_EQ(ReasonOf(found, "C"), "extern \"C\"");
  EXPECT_EQ(ReasonOf(found, "outside"), "outside a function");
}

TEST(LiteralFinderTest, PascalLeavesConstantExpressionsAndNonStringTypes) {
  const std::vector<ContextCase> cases = {
      {"const Untyped = 'untyped';", "untyped", "untyped constant"},
      {"const Typed: string = 'typed';", "typed", "offered"},
      {"const Short: string[20] = 'short';", "short", "offered"},
      {"const List: array[0..1] of string = ('first', 'second');", "second", "offered"},
      {"const P: PChar = 'pchar';", "pchar", "pchar typed constant"},
      {"const A: array[0..0] of PChar = ('pchar array');", "pchar array", "array[0..0] of pchar typed constant"},
      {"const R: TRec = (Name: 'record');", "record", "trec typed constant"},
      {"var V: string = 'initialized';", "initialized", "offered"},
      {"var C: PChar = 'pchar var';", "pchar var", "pchar variable initializer"},
      {"resourcestring SOld = 'already';", "already", "resourcestring declaration"},
      {"procedure P(const S: string = 'default'); begin end;", "default", "default parameter value"},
      {"procedure P; begin case S of 'one', 'two': X; end; end;", "two", "case label"},
      {"procedure P; begin Writeln('width':10); end;", "width", "offered"},
      {"procedure P; external 'lib' name 'Entry';", "Entry", "external name"},
      {"procedure P; deprecated 'Use Q';", "Use Q", "directive message"},
      {"procedure P; begin S := 'moved'; end;", "moved", "offered"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    const auto found = Find(true, std::string("unit U;\ninterface\nimplementation\n") + c.Code + "\nend.\n");
    EXPECT_EQ(ReasonOf(found, c.Text), c.Reason);
  }
  const auto program = Find(true, "program P;\nuses U in 'U.pas';\nbegin\nend.\n");
  EXPECT_EQ(ReasonOf(program, "U.pas"), "file name in uses clause");
}

TEST(LiteralFinderTest, ExcludePatternsNeedNoLetterAndMatchTheCodeBefore) {
  TStringList exclude;
  exclude.Add(" debug( ");
  exclude.Add("log*");
  const std::string code = "procedure P; begin Log('!!!'); Log('\xC3\xA9'); Caption := 'Text'; Debug('Debug text') end;";
  auto found = Find(true, code, exclude);
  // "log*" matches anywhere in the ten tokens before, so the caption stays too;
  // "!!!" holds no letter and is no text at all.
  EXPECT_TRUE(found.Offered.empty());
  EXPECT_EQ(ReasonOf(found, "!!!"), "");
  EXPECT_EQ(ReasonOf(found, "Text"), "excluded");
  exclude.Delete(1);
  found = Find(true, code, exclude);
  EXPECT_EQ(ReasonOf(found, "\xC3\xA9"), "offered");
  EXPECT_EQ(ReasonOf(found, "Text"), "offered");
  EXPECT_EQ(ReasonOf(found, "Debug text"), "excluded");
}

}  // namespace
}  // namespace sw
