// Moved literals checked by independent tools: Free Pascal compiles a program
// before and after the move, both print the same, and its resource-string
// output lists the moved texts; llvm-rc compiles a generated PrjConst.rc and
// its string table holds the texts under the identifiers of PrjConst.hpp
// (llvm-rc 14 does not act on "#pragma code_page", so the test names the
// code page the script declares).
// Skipped when a tool is absent.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>

#include "extract/source/SrcProcs.h"
#include "base/Unicode.h"
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
  };
  for (const auto& program : programs) {
    SCOPED_TRACE(program.Name);
    const std::string file = dir.Write(std::string(program.Name) + ".pas", program.Text);
    const std::string before = CompileAndRun(program.Name, program.Mode);
    ASSERT_FALSE(before.empty());

    TUnitRecList units;
    auto unit = std::make_unique<TUnitRec>();
    unit->FileName = file;
    units.Add(std::move(unit));
    TPasProcessor processor;
    processor.CodePage = 1252;
    processor.Units = &units;
    processor.ConstFileName = dir.Path("prjconst.pas");
    processor.Process();
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
                                       "  ShowMessage(L\"Wide \\\\ text\");\n"
                                       "  ShowMessage(\"caf\\xE9 \\x01 ctl\");\n"
                                       "  ShowMessage(\"Gr\xFC\xDF" "e\");\n"
                                       "}\n");
  TUnitRecList units;
  auto unit = std::make_unique<TUnitRec>();
  unit->FileName = source;
  units.Add(std::move(unit));
  TCPPProcessor processor;
  processor.PascalUnitMode = false;
  processor.CodePage = 1252;
  processor.Units = &units;
  processor.ConstFileName = dir.Path("PrjConst.rc");
  processor.Process();
  std::map<std::string, std::string> values;
  for (const auto& c : units.Items(0)->Constants) values[c->Name] = c->Value;
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

}  // namespace
}  // namespace sw
