// Moved literals checked by independent tools: Free Pascal compiles a program
// before and after the move, both print the same, and its resource-string
// output lists the moved texts (exactly those of the contexts where a
// resource string is accepted); g++ compiles a C++ unit with every context
// against a small String/LoadStr/_T stub before and after `move-literals
// --cpp --rc --write`, and both print the same; llvm-rc compiles a generated
// PrjConst.rc and its string table holds the texts under the identifiers of
// PrjConst.hpp (llvm-rc 14 does not act on "#pragma code_page", so the test
// names the code page the script declares).
// Skipped with a message when a tool is absent. (Moved here from
// tests/source with the literals layer.)
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>

#include "literals/MoveLiterals.h"
#include "platform/FileSystem.h"
#include "base/Unicode.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

bool HasTool(const std::string& name) {
  return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// String tables of a 32-bit .res file: id -> UTF-8 text.
std::map<int, std::string> StringTables(const std::string& bytes) {
  auto u16 = [&](std::size_t at) -> unsigned {
    if (at + 2 > bytes.size()) throw std::runtime_error("truncated .res");
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
  std::map<int, std::string> strings;
  for (std::size_t pos = 0; pos + 8 <= bytes.size();) {
    const std::size_t dataSize = u32(pos), headerSize = u32(pos + 4);
    std::size_t at = pos + 8;
    int ids[2] = {-1, -1};
    for (int& id : ids) {
      if (u16(at) == 0xFFFF) {
        id = static_cast<int>(u16(at + 2));
        at += 4;
      } else {
        while (u16(at) != 0) at += 2;
        at += 2;
      }
    }
    const std::size_t data = pos + headerSize;
    if (ids[0] == 6)
      for (std::size_t p = data, i = 0; i < 16 && p + 2 <= data + dataSize; ++i) {
        const std::size_t length = u16(p);
        p += 2;
        std::u16string text;
        for (std::size_t k = 0; k < length; ++k, p += 2) text += static_cast<char16_t>(u16(p));
        if (length) strings[(ids[1] - 1) * 16 + static_cast<int>(i)] = Utf16ToUtf8(text);
      }
    pos = (data + dataSize + 3) & ~static_cast<std::size_t>(3);
  }
  return strings;
}

class MoveLiteralsCrossCheckTest : public ::testing::Test {
 protected:
  // Compiles `program` in the test folder with fpc and runs it; returns its output.
  std::string CompileAndRun(const std::string& program, const std::string& mode) {
    const std::string command = "cd " + Quoted(dir.Root()) + " && fpc " + mode + " -FU. " + Quoted(program + ".pas") +
                                " > fpc.log 2>&1 && LC_ALL=C.UTF-8 ./" + program + " > run.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path("fpc.log"));
    return TempDir::Read(dir.Path("run.txt"));
  }
  TempDir dir;
};

struct ProgramCase {
  const char* Name;
  const char* Mode;
  std::string Text;
  std::vector<std::string> Values;  // what PrjConst must hold, in order
};

TEST_F(MoveLiteralsCrossCheckTest, FreePascalBuildsTheSameProgramBeforeAndAfter) {
  if (!HasTool("fpc")) GTEST_SKIP() << "fpc (Free Pascal compiler) not installed: cross-check skipped";
  const std::vector<ProgramCase> programs = {
      {"movedemo", "-Mdelphi",
       "program movedemo;\n"
       "\n"
       "const\n"
       "  Typed: string = 'typed value';\n"
       "  Plain = 'stays';\n"
       "\n"
       "procedure Show(const S: string);\n"
       "begin\n"
       "  Writeln('[', S, ']');\n"
       "end;\n"
       "\n"
       "begin\n"
       "  Show('Hello, world!');\n"
       "  Show('Line'#13#10'two');\n"
       "  Show('It''s ' + 'quoted');\n"
       "  Show('Tab'#9'end'#0'x');\n"
       "  Show(Typed + Plain);\n"
       "  // localize off\n"
       "  Show('not moved');\n"
       "  // localize on\n"
       "  Show('!!!');\n"
       "  Show('Hello, world!');\n"
       "end.\n",
       {"typed value", "Hello, world!", "Line\r\ntwo", "It's ", "quoted", std::string("Tab\tend\0x", 9)}},
      {"movewide", "-Mdelphiunicode",
       "\xEF\xBB\xBFprogram movewide;\r\n"
       "uses cwstring, SysUtils;\r\n"
       "\r\n"
       "procedure Dump(const S: UnicodeString);\r\n"
       "var i: Integer;\r\n"
       "begin\r\n"
       "  for i := 1 to Length(S) do Write(Ord(S[i]), ' ');\r\n"
       "  Writeln;\r\n"
       "end;\r\n"
       "\r\n"
       "begin\r\n"
       "  { \xC3\xBC\xE2\x82\xAC } Dump('Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC'); Dump('\xD0\x96\xD1\x83\xD0\xBA');\r\n"
       "  Dump('\xC3\xA9t\xC3\xA9');\r\n"
       "end.\r\n",
       {"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC", "\xD0\x96\xD1\x83\xD0\xBA", "\xC3\xA9t\xC3\xA9"}},
      // The contexts where a resource string is no constant expression or
      // not of the type: they stay, and the program still builds.
      {"movecontexts", "-Mobjfpc -Sh",
       "program movecontexts;\n"
       "\n"
       "const\n"
       "  P: PChar = 'pchar text';\n"
       "  Names: array[0..1] of string = ('first name', 'second name');\n"
       "  Untyped = 'untyped text';\n"
       "var\n"
       "  V: string = 'initialized var';\n"
       "  S: string;\n"
       "\n"
       "procedure Show(const T: string = 'default text');\n"
       "begin\n"
       "  Writeln('[', T, ']');\n"
       "end;\n"
       "\n"
       "begin\n"
       "  Show;\n"
       "  Show(P);\n"
       "  Show(Names[0] + Names[1]);\n"
       "  Show(Untyped + V);\n"
       "  S := 'two';\n"
       "  case S of\n"
       "    'one': Show('case one');\n"
       "    'two': Show('case two');\n"
       "  end;\n"
       "  Writeln('width':12);\n"
       "end.\n",
       {"first name", "second name", "initialized var", "two", "case one", "case two", "width"}},
  };
  for (const auto& program : programs) {
    SCOPED_TRACE(program.Name);
    const std::string file = dir.Write(std::string(program.Name) + ".pas", program.Text);
    const std::string before = CompileAndRun(program.Name, program.Mode);
    ASSERT_FALSE(before.empty());

    TMoveLiteralsRequest request;
    request.Settings.CodePage = 1252;
    request.Settings.ConstFile = dir.Path("prjconst.pas");
    request.Units = {file};
    request.Write = true;
    MoveLiterals(request);
    ASSERT_NE(TempDir::Read(file), program.Text);

    EXPECT_EQ(CompileAndRun(program.Name, program.Mode), before) << TempDir::Read(file);
    const auto rsj = nlohmann::json::parse(TempDir::Read(dir.Path("prjconst.rsj")));
    std::vector<std::string> values;
    for (const auto& entry : rsj["strings"]) values.push_back(entry["value"].get<std::string>());
    EXPECT_EQ(values, program.Values) << TempDir::Read(dir.Path("prjconst.pas"));
    for (const char* ext : {".pas", ".ppu", ".o", ".rsj"}) std::remove(dir.Path(std::string("prjconst") + ext).c_str());
  }
}

TEST_F(MoveLiteralsCrossCheckTest, LlvmRcCompilesTheGeneratedScript) {
  if (!HasTool("llvm-rc")) GTEST_SKIP() << "llvm-rc not installed: cross-check skipped";
  const std::string source = dir.Write("Show.cpp",
                                       "#include <vcl.h>\n"
                                       "void Show()\n"
                                       "{\n"
                                       "  ShowMessage(\"Say \\\"cheers\\\"\\tnow\\r\\nbye\");\n"
                                       "  String wide = \"Wide \\\\ text\";\n"
                                       "  ShowMessage(\"caf\\xE9 \\x01 ctl\");\n"
                                       "  ShowMessage(\"Gr\xFC\xDF" "e\");\n"
                                       "}\n");
  TMoveLiteralsRequest request;
  request.Settings.Target = TLiteralTarget::CppToResourceScript;
  request.Settings.CodePage = 1252;
  request.Settings.ConstFile = dir.Path("PrjConst.rc");
  request.Units = {source};
  request.Write = true;
  std::map<std::string, std::string> values;
  for (const auto& e : MoveLiterals(request).Plan)
    if (e.Selected) values[e.Name] = e.Literal;
  ASSERT_EQ(values.size(), 4u);

  const std::string res = dir.Path("PrjConst.res");
  const std::string command = "cd " + Quoted(dir.Root()) + " && llvm-rc -c 65001 -fo " + Quoted(res) + " PrjConst.rc > llvm-rc.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path("llvm-rc.log")) << TempDir::Read(dir.Path("PrjConst.rc"));
  const auto tables = StringTables(TempDir::Read(res));

  std::map<int, std::string> expected;
  const std::string header = TempDir::Read(dir.Path("PrjConst.hpp"));
  const std::regex define("#define (\\w+) (\\d+)");
  for (auto it = std::sregex_iterator(header.begin(), header.end(), define); it != std::sregex_iterator(); ++it)
    expected[std::stoi((*it)[2])] = values.at((*it)[1]);
  EXPECT_EQ(expected.size(), 4u);
  EXPECT_EQ(tables, expected);
  EXPECT_EQ(values.at("SSayCheersNowBy"), "Say \"cheers\"\tnow\r\nbye");
}

// A C++Builder-like String: c_str() and no conversion to const char*.
const char* const kVclStub =
    "#include <cstdio>\n"
    "#include <string>\n"
    "class String {\n"
    " public:\n"
    "  String() {}\n"
    "  String(const char* s) : s_(s) {}\n"
    "  String(const wchar_t* w) { while (*w) s_ += static_cast<char>(*w++); }\n"
    "  const char* c_str() const { return s_.c_str(); }\n"
    "  String operator+(const String& o) const { return String((s_ + o.s_).c_str()); }\n"
    " private:\n"
    "  std::string s_;\n"
    "};\n"
    "typedef String AnsiString;\n"
    "typedef String UnicodeString;\n"
    "inline String operator+(const char* a, const String& b) { return String(a) + b; }\n"
    "#define _T(x) L##x\n"
    "#define TEXT(x) L##x\n"
    "String LoadStr(int id);\n"
    "inline void ShowMessage(const String& s) { std::printf(\"%s\\n\", s.c_str()); }\n"
    "inline void ShowMessageW(const wchar_t* w) { std::printf(\"%ls\\n\", w); }\n"
    "struct TLabel { String Caption; };\n"
    "struct TStrings { void Add(const String& s) { ShowMessage(s); } };\n"
    "class Exception { public: Exception(const String& m) : Message(m) {} String Message; };\n";

// Every context: those where a String is accepted and those where it is not.
const char* const kCppContexts =
    "#include \"vcl_stub.h\"\n"
    "#include <cstdio>\n"
    "static const char* kStatic = \"static text\";\n"
    "String Title()\n"
    "{\n"
    "  return \"returned text\";\n"
    "}\n"
    "const char* Plain()\n"
    "{\n"
    "  return \"plain return\";\n"
    "}\n"
    "void Log(const char* tag, const String& detail)\n"
    "{\n"
    "  std::printf(\"%s: %s\\n\", tag, detail.c_str());\n"
    "}\n"
    "int main()\n"
    "{\n"
    "  String init = \"init text\";\n"
    "  AnsiString paren(\"paren text\");\n"
    "  UnicodeString brace{\"brace text\"};\n"
    "  ShowMessage(init + \" plus right\");\n"
    "  ShowMessage(\"plus left \" + init);\n"
    "  ShowMessage(String(\"cast text\"));\n"
    "  ShowMessage(Title() + paren + brace);\n"
    "  TLabel label;\n"
    "  TLabel* Label1 = &label;\n"
    "  Label1->Caption = \"caption text\";\n"
    "  ShowMessage(Label1->Caption);\n"
    "  TStrings items;\n"
    "  TStrings* Items = &items;\n"
    "  Items->Add(\"method text\");\n"
    "  Log(\"tag text\", \"detail text\");\n"
    "  ShowMessageW(_T(\"macro text\"));\n"
    "  ShowMessageW(TEXT(\"text macro\"));\n"
    "  ShowMessageW(L\"wide text\");\n"
    "  const char *fmt = \"line %d of %d\\n\";\n"
    "  std::printf(fmt, 1, 2);\n"
    "  char buffer[] = \"array text\";\n"
    "  std::puts(buffer);\n"
    "  std::puts(kStatic);\n"
    "  std::puts(Plain());\n"
    "  std::puts(\"puts text\");\n"
    "  static const char* local = \"static local\";\n"
    "  std::puts(local);\n"
    "  switch (1) { case 1: ShowMessage(\"in switch\"); break; }\n"
    "  try { throw Exception(\"error text\"); } catch (const Exception& e) { ShowMessage(e.Message); }\n"
    "  return 0;\n"
    "}\n";

// A C string literal of any UTF-8 text.
std::string CLiteral(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    char octal[5];
    std::snprintf(octal, sizeof octal, "\\%03o", c);
    out += (c < 0x20 || c >= 0x7F || c == '"' || c == '\\' || c == '?') ? std::string(octal) : std::string(1, static_cast<char>(c));
  }
  return out + "\"";
}

TEST_F(MoveLiteralsCrossCheckTest, GccBuildsTheSameCppUnitBeforeAndAfter) {
  SKIP_ON_WINDOWS("runs the command line program and g++ through a POSIX shell");
  if (!HasTool("g++")) GTEST_SKIP() << "g++ not installed: cross-check skipped";
  dir.Write("vcl_stub.h", kVclStub);
  const std::string unit = dir.Write("Contexts.cpp", kCppContexts);
  // LoadStr as the resource script defines it: built from the script read back.
  const auto writeLoadStr = [&] {
    std::string code = "#include \"vcl_stub.h\"\nString LoadStr(int id)\n{\n  switch (id) {\n";
    if (platform::FileExists(dir.Path("PrjConst.rc"))) {
      TCPPProcessor script;
      script.LoadConstants(dir.Path("PrjConst.rc"));
      for (const auto& c : script.UnitRec().Constants)
        code += "    case " + std::to_string(c->Id) + ": return String(" + CLiteral(c->Value) + ");\n";
    }
    dir.Write("LoadStr.cpp", code + "  }\n  return String();\n}\n");
  };
  const auto buildAndRun = [&] {
    writeLoadStr();
    const std::string command = "cd " + Quoted(dir.Root()) +
                                " && g++ -std=c++17 -Wall -o contexts Contexts.cpp LoadStr.cpp > gcc.log 2>&1 && "
                                "./contexts > run.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path("gcc.log")) << TempDir::Read(unit);
    return TempDir::Read(dir.Path("run.txt"));
  };
  const std::string before = buildAndRun();
  ASSERT_NE(before.find("detail text"), std::string::npos) << before;

  const CliResult moved = RunCli("move-literals --cpp --rc --write " + Quoted(unit), dir);
  ASSERT_EQ(moved.ExitCode, 0) << moved.Err;
  EXPECT_EQ(buildAndRun(), before) << TempDir::Read(unit);

  // Exactly the literals of the accepted contexts moved.
  TCPPProcessor script;
  script.LoadConstants(dir.Path("PrjConst.rc"));
  std::set<std::string> movedTexts;
  for (const auto& c : script.UnitRec().Constants) movedTexts.insert(c->Value);
  EXPECT_EQ(movedTexts, (std::set<std::string>{"returned text", "init text", "paren text", "brace text", " plus right",
                                               "plus left ", "cast text", "caption text", "method text", "detail text",
                                               "in switch", "error text"}));
  for (const char* stays : {"\"static text\"", "\"plain return\"", "\"tag text\"", "_T(\"macro text\")",
                            "TEXT(\"text macro\")", "L\"wide text\"", "\"line %d of %d\\n\"", "\"array text\"",
                            "\"puts text\"", "\"static local\""})
    EXPECT_NE(TempDir::Read(unit).find(stays), std::string::npos) << stays;

  // Nothing left to move: the check passes.
  const CliResult check = RunCli("move-literals --cpp --rc --check " + Quoted(unit), dir);
  EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err;
}

}  // namespace
}  // namespace sw
