// Cross-checks with independent implementations: the Free Pascal compiler
// writes the evaluated resourcestrings of a unit it compiles into a .rsj
// file, and llvm-rc compiles resource scripts into .res string tables. The
// constants the loaders read must equal theirs. Skipped when a tool is absent.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>

#include "extract/source/SourceReaders.h"
#include "base/Unicode.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

bool HasTool(const std::string& name) {
  return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The string tables of a 32-bit .res file: string id -> text (UTF-8); with
// `language` >= 0 only the tables of that language.
std::map<int, std::string> ReadStringTables(const std::string& bytes, int language = -1) {
  auto u16 = [&](std::size_t at) {
    if (at + 2 > bytes.size()) throw std::runtime_error("truncated .res");
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
  };
  auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
  std::map<int, std::string> strings;
  std::size_t pos = 0;
  while (pos + 8 <= bytes.size()) {
    const std::size_t dataSize = u32(pos), headerSize = u32(pos + 4);
    std::size_t at = pos + 8;
    auto readId = [&](int& id) {
      if (u16(at) == 0xFFFF) {
        id = static_cast<int>(u16(at + 2));
        at += 4;
      } else {
        id = -1;
        while (u16(at) != 0) at += 2;
        at += 2;
      }
    };
    int type = 0, name = 0;
    readId(type);
    readId(name);
    at = (at + 3) & ~static_cast<std::size_t>(3);
    const int resLanguage = static_cast<int>(u16(at + 6));  // after the data version and the memory flags
    const std::size_t data = pos + headerSize;
    if (type == 6 && (language < 0 || language == resLanguage) && data + dataSize <= bytes.size()) {
      std::size_t p = data;
      for (int i = 0; i < 16 && p + 2 <= data + dataSize; ++i) {
        const std::size_t length = u16(p);
        p += 2;
        std::u16string text;
        for (std::size_t k = 0; k < length; ++k, p += 2) text += static_cast<char16_t>(u16(p));
        if (length) strings[(name - 1) * 16 + i] = Utf16ToUtf8(text);
      }
    }
    pos = (data + dataSize + 3) & ~static_cast<std::size_t>(3);
  }
  return strings;
}

class CrossCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_WINDOWS("runs other compilers through a POSIX shell"); }
  TempDir dir;
};

struct PascalCase {
  const char* Name;
  std::string Text;
  bool NormalizeLineBreaks;  // fpc on Linux makes sLineBreak a lone LF
};

TEST_F(CrossCheckTest, ResourcestringsEqualTheFreePascalCompilers) {
  if (!HasTool("fpc")) GTEST_SKIP() << "fpc (Free Pascal compiler) not installed: cross-check skipped";
  const std::vector<PascalCase> units = {
      {"cxbasic",
       "unit cxbasic;\n"
       "interface\n"
       "const\n"
       "  CRLF2 = #13#10;\n"
       "  Count = 10 * 2;\n"
       "  Typed: string = 'typed';\n"
       "  Sep = ' - ' + CRLF2;\n"
       "resourcestring\n"
       "  SHello = 'Hello';\n"
       "  SQuote = 'It''s ' + '''quoted''';\n"
       "  SLine = 'a' + CRLF2 + 'b' + Sep + 'c';\n"
       "  SCodes = #65#$42'C'#9'd'#0'e';\n"
       "  SDep = 'old' deprecated;\n"
       "  SSplit = 'one' +\n"
       "    'two'; // comment\n"
       "  { a comment } SEmpty = '';\n"
       "implementation\n"
       "resourcestring\n"
       "  SImpl = 'impl' + CRLF2;\n"
       "end.\n",
       false},
      {"cx.dotted",
       "unit cx.dotted;\n"
       "interface\n"
       "{$IFDEF FPC}\nconst CBase = 'fpc';\n{$ELSE}\nconst CBase = 'other';\n{$ENDIF}\n"
       "resourcestring\n"
       "{$IFDEF FPC}\n  SName = 'first ' + CBase;\n{$ELSE}\n  SName = 'second';\n{$ENDIF}\n"
       "  SOld = 'old' deprecated 'use SNew';\n"
       "  SPlat = 'plat' platform;\n"
       "  SExp = 'exp' experimental;\n"
       "  SEnd = 'x' + LineEnding + 'y';\n"
       "implementation\n"
       "end.\n",
       true},
      {"cxbreak",
       "unit cxbreak;\ninterface\nresourcestring\n  SBreak = 'x' + sLineBreak + 'y';\nimplementation\nend.\n", true},
      {"cxwide",
       "\xEF\xBB\xBFunit cxwide;\n"
       "interface\n"
       "resourcestring\n"
       "  SGerman = 'Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC';\n"
       "  SCodes = #$0416#1078 + #233 + #$1F600;\n"
       "  SPair = #$D83D#$DE00;\n"
       "implementation\n"
       "end.\n",
       false},
  };
  for (const auto& unit : units) {
    SCOPED_TRACE(unit.Name);
    const std::string file = dir.Write(std::string(unit.Name) + ".pas", unit.Text);
    const std::string command = "cd " + ShellQuote(dir.Root()) + " && fpc -Mdelphiunicode " +
                                ShellQuote(std::string(unit.Name) + ".pas") + " > fpc.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path("fpc.log"));
    const auto rsj = nlohmann::json::parse(TempDir::Read(dir.Path(std::string(unit.Name) + ".rsj")));

    TPasProcessor processor;
    processor.CodePage = 1252;
    processor.LoadConstants(file);
    const auto& constants = processor.UnitRec().Constants;
    EXPECT_EQ(processor.UnitRec().UnitName, unit.Name);
    ASSERT_EQ(static_cast<std::size_t>(constants.Count()), rsj["strings"].size());
    for (int i = 0; i < constants.Count(); ++i) {
      const auto& expected = rsj["strings"][static_cast<std::size_t>(i)];
      std::string value = constants.Items(i)->Value;
      if (unit.NormalizeLineBreaks)
        for (std::size_t p; (p = value.find("\r\n")) != std::string::npos;) value.erase(p, 1);
      EXPECT_EQ(std::string(unit.Name) + "." + LowerUtf8(constants.Items(i)->Name), expected["name"].get<std::string>());
      EXPECT_EQ(value, expected["value"].get<std::string>());
    }
  }
}

struct ScriptCase {
  const char* Name;
  std::string Script;
  std::string Header;
  unsigned CodePage;
};

TEST_F(CrossCheckTest, StringTablesEqualLlvmRcs) {
  if (!HasTool("llvm-rc")) GTEST_SKIP() << "llvm-rc not installed: cross-check skipped";
  const std::vector<ScriptCase> scripts = {
      {"cxids",
       "#include \"cxids.hpp\"\n"
       "#define IDS_LOCAL 2000\n"
       "/* STRINGTABLE in a comment */\n"
       "STRINGTABLE\n"
       "BEGIN\n"
       "  IDS_HELLO, \"Hello\"\n"
       "  IDS_BYE \"Bye, you\" // comment\n"
       "  IDS_LOCAL L\"Wide\"\n"
       "  3000, \"line\\nbreak\\ttab \\\\ \\x41 \\101\"\n"
       "  3001 \"x\"\n"
       "END\n",
       "#define IDS_HELLO 1001\n#define IDS_BYE 1002\n#define IDS_UNUSED 1003\n", 1252},
      {"cxbraces", "STRINGTABLE\n{\n  17 \"seventeen\"\n  65535 \"last\"\n}\n", "", 1252},
      {"cxutf8",
       "STRINGTABLE\nBEGIN\n  1 \"Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC\"\n  2 L\"\xD0\x96\xD1\x83\xD0\xBA\"\nEND\n", "",
       65001},
      {"cxlatin", "STRINGTABLE\nBEGIN\n  1 \"caf\xE9 \x80\"\nEND\n", "", 1252},
  };
  for (const auto& script : scripts) {
    SCOPED_TRACE(script.Name);
    const std::string file = dir.Write(std::string(script.Name) + ".rc", script.Script);
    if (!script.Header.empty()) dir.Write(std::string(script.Name) + ".hpp", script.Header);
    const std::string res = dir.Path(std::string(script.Name) + ".res");
    const std::string command = "cd " + ShellQuote(dir.Root()) + " && llvm-rc -c " +
                                std::to_string(script.CodePage) + " -fo " + ShellQuote(res) + " " +
                                ShellQuote(file) + " > llvm-rc.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path("llvm-rc.log"));
    const auto tables = ReadStringTables(TempDir::Read(res));

    TCPPProcessor processor;
    processor.CodePage = script.CodePage;
    processor.LoadConstants(file);
    std::map<int, std::string> ours;
    for (const auto& c : processor.UnitRec().Constants) ours[c->Id] = c->Value;
    EXPECT_EQ(ours, tables);
  }
}

TEST_F(CrossCheckTest, ScriptsAsProjectsWriteThemEqualLlvmRcsTablesPerLanguage) {
  if (!HasTool("llvm-rc")) GTEST_SKIP() << "llvm-rc not installed: cross-check skipped";
  dir.Write("resource.h",
            "#ifndef RESOURCE_H\n#define RESOURCE_H\n"
            "#define LANG_ENGLISH 0x09\n#define SUBLANG_ENGLISH_US 0x01\n"
            "#define LANG_GERMAN 0x07\n#define SUBLANG_GERMAN 0x01\n"
            "#define IDS_BASE 0x100\n#define IDS_TITLE (IDS_BASE + 1)\n#define IDS_FLAGS ((0x10 + 0x4) | 0x3) & ~0x4\n"
            "#endif\n");
  const std::string file = dir.Write("cxlangs.rc",
      "#include \"resource.h\"\n"
      "#include \"resource.h\"\n"
      "#ifdef APSTUDIO_INVOKED\n1 TEXTINCLUDE\nBEGIN\n  \"resource.h\\0\"\nEND\n#endif\n"
      "#if 0\nSTRINGTABLE\nBEGIN\n  9 \"never\"\nEND\n#endif\n"
      "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
      "1 DIALOGEX 0, 0, 100, 50\nCAPTION \"About\"\nBEGIN\n  LTEXT \"x\", -1, 1, 1, 10, 10\nEND\n"
      "STRINGTABLE DISCARDABLE\nBEGIN\n"
      "  IDS_TITLE, \"Say \"\"hello\"\"\"\n"
      "  IDS_BASE + 2 \"joined \" \"text\"\n"
      "  IDS_FLAGS L\"wide \\x0416\"\n"
      "  0x20 \"tab\\there \\x41\\101 back\\\\slash \\q\"\nEND\n"
      "STRINGTABLE PRELOAD\nBEGIN\n  40 \"second table\"\nEND\n"
      "STRINGTABLE LANGUAGE LANG_GERMAN, SUBLANG_GERMAN\nBEGIN\n"
      "  IDS_TITLE \"Sag \"\"hallo\"\"\"\n  40 \"zweite Tabelle\"\nEND\n");
  const std::string res = dir.Path("cxlangs.res");
  const std::string command = "cd " + ShellQuote(dir.Root()) + " && llvm-rc -c 1252 -fo " + ShellQuote(res) +
                              " cxlangs.rc > llvm-rc.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path("llvm-rc.log"));
  const std::string bytes = TempDir::Read(res);
  for (const int language : {0x0409, 0x0407}) {
    SCOPED_TRACE(language);
    TCPPProcessor processor;
    processor.CodePage = 1252;
    processor.LangId = static_cast<std::uint16_t>(language);
    processor.LoadConstants(file);
    EXPECT_EQ(processor.TakenLanguage, language);
    std::map<int, std::string> ours;
    for (const auto& c : processor.UnitRec().Constants) ours[c->Id] = c->Value;
    const auto theirs = ReadStringTables(bytes, language);
    EXPECT_EQ(ours, theirs);
    EXPECT_GE(theirs.size(), 2u);
  }
}

}  // namespace
}  // namespace sw
