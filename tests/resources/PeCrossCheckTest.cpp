// The reader of compiled programs against independent tools on real images:
// - every string table, per language, of Wine's PE DLLs against Debian's
//   python3-pefile;
// - programs and resource DLLs linked by MinGW (windres, gcc): `scan` of the
//   program equals `scan` of its .res and form files, and a library reading
//   the programs processes to the same language files as one reading the
//   .res and .dfm files, the bundled example included.
// Each check is skipped with a message when its tools or files are absent.
#include "extract/resources/PeResources.h"
#include "extract/resources/ResStringTables.h"
#include "resources/ResFileBuilder.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace sw {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string FindTool(const std::vector<std::string>& candidates) {
  for (const auto& path : candidates)
    if (path.find('/') != std::string::npos ? fs::exists(path) : false) return path;
  const char* env = std::getenv("PATH");
  std::string rest = env ? env : "";
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string dir = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    for (const auto& name : candidates)
      if (name.find('/') == std::string::npos && !dir.empty() && fs::exists(fs::path(dir) / name))
        return (fs::path(dir) / name).string();
  }
  return "";
}

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string Hex(const std::u16string& text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char16_t c : text)
    for (const unsigned b : {static_cast<unsigned>(c & 0xFF), static_cast<unsigned>(c >> 8)}) {
      out += kDigits[b >> 4];
      out += kDigits[b & 15];
    }
  return out;
}

// Dumps the string tables of the images named on its command line as JSON:
// [{"file", "tables", "languages": {"0409": {"id": "UTF-16LE hex"}}}].
constexpr const char* kPefileDump = R"PY(
import sys, json, pefile
out = []
for path in sys.argv[1:]:
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_RESOURCE']])
    langs, tables = {}, 0
    root = getattr(pe, 'DIRECTORY_ENTRY_RESOURCE', None)
    for t in (root.entries if root else []):
        if t.name is not None or t.id != 6:
            continue
        for n in t.directory.entries:
            if n.name is not None:
                continue
            for l in n.directory.entries:
                tables += 1
                data = pe.get_data(l.data.struct.OffsetToData, l.data.struct.Size)
                table = langs.setdefault('%04X' % l.id, {})
                pos = 0
                for slot in range(16):
                    length = int.from_bytes(data[pos:pos + 2], 'little')
                    text = data[pos + 2:pos + 2 + 2 * length]
                    pos += 2 + 2 * length
                    if length:
                        table.setdefault(str((n.id - 1) * 16 + slot), text.hex())
    out.append({"file": path, "tables": tables, "languages": langs})
print(json.dumps(out))
)PY";

std::string FindPythonWithPefile() {
  for (const std::string python : {"/usr/bin/python3", "python3"})
    if (Shell(python + " -c 'import pefile' >/dev/null 2>&1") == 0) return python;
  return "";
}

TEST(WinePeCrossCheckTest, StringTablesPerLanguageEqualPefiles) {
  SKIP_ON_WINDOWS("runs python3 through the shell");
  const std::string python = FindPythonWithPefile();
  if (python.empty()) GTEST_SKIP() << "python3-pefile not found (Debian package python3-pefile): cross-check skipped";
  std::vector<std::string> images;
  for (const char* folder : {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
                             "/usr/lib/i386-linux-gnu/wine/i386-windows"}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
      if (entry.path().extension() == ".dll") images.push_back(entry.path().string());
  }
  if (images.empty()) GTEST_SKIP() << "no Wine PE DLLs found (Debian package wine64): cross-check skipped";
  std::sort(images.begin(), images.end());

  TempDir dir;
  dir.Write("dump.py", kPefileDump);
  std::string command = python + " " + Q(dir.Path("dump.py"));
  for (const auto& image : images) command += " " + Q(image);
  ASSERT_EQ(Shell(command + " > " + Q(dir.Path("pefile.json"))), 0);
  const Json reference = Json::parse(TempDir::Read(dir.Path("pefile.json")));
  ASSERT_EQ(reference.size(), images.size());

  int withTables = 0;
  int tables = 0;
  int languageTables = 0;
  for (const auto& expected : reference) {
    const std::string file = expected["file"];
    SCOPED_TRACE(file);
    const TPeImage image(file);
    int ours = 0;
    for (const TPeResource& resource : image.Resources())
      if (resource.ResType.IsOrdinal(ResTypeString) && resource.ResName.IsOrdinal()) ++ours;
    EXPECT_EQ(ours, expected["tables"].get<int>());
    Json actual = Json::object();
    for (const auto& language : PeLanguages(image)) {
      Json strings = Json::object();
      for (int i = 0; i < language->Strings.Count(); ++i)
        strings[std::to_string(language->Strings.Strings(i)->Id)] = Hex(language->Strings.Strings(i)->Text);
      actual[PeLanguageName(language->Language)] = std::move(strings);
    }
    EXPECT_EQ(actual, expected["languages"]);
    if (ours > 0) ++withTables;
    tables += ours;
    languageTables += static_cast<int>(actual.size());
  }
  std::cout << "[ compared ] " << images.size() << " Wine DLLs, " << withTables << " of them with string tables: "
            << tables << " string tables in " << languageTables << " per-language sets\n";
  RecordProperty("dlls", static_cast<int>(images.size()));
  RecordProperty("stringTables", tables);
}

// ---- Programs built with MinGW ---------------------------------------------

struct MinGw {
  std::string Windres = FindTool({"x86_64-w64-mingw32-windres"});
  std::string Gcc = FindTool({"x86_64-w64-mingw32-gcc"});
  bool Found() const { return !Windres.empty() && !Gcc.empty(); }
  // `rc` (UTF-8) to a .res file or an object file, by the output's extension.
  void Compile(const std::string& rc, const std::string& out) const {
    ASSERT_EQ(Shell(Q(Windres) + " -c 65001 -i " + Q(rc) + " -o " + Q(out)), 0) << rc;
  }
  // A resource DLL holding the resources of a .res file.
  void ResourceDll(const std::string& res, const std::string& out) const {
    ASSERT_EQ(Shell(Q(Windres) + " -i " + Q(res) + " -o " + Q(out + ".o")), 0) << res;
    // A DLL of resources only has no entry point, which the linker notes.
    ASSERT_EQ(Shell(Q(Gcc) + " -shared -nostdlib -s -o " + Q(out) + " " + Q(out + ".o") + " 2>/dev/null"), 0) << out;
  }
};

std::string ExampleDir() { return std::string(SHELFWRIGHT_TEST_DATA_DIR) + "/../../examples/tinypad/src"; }

Json ScanJson(const std::string& args, const TempDir& dir) {
  const CliResult result = RunCli("scan " + args + " --json", dir);
  EXPECT_EQ(result.ExitCode, 0) << args << "\n" << result.Err;
  return result.ExitCode == 0 ? Json::parse(result.Out) : Json();
}

// Item numbers restart with every scan of a single form file.
Json WithoutIds(Json json) {
  if (json.is_object()) {
    json.erase("id");
    for (auto& [key, value] : json.items()) value = WithoutIds(value);
  } else if (json.is_array()) {
    for (auto& value : json) value = WithoutIds(value);
  }
  return json;
}

// The language files of a processed library as `dump` shows them, without
// the stamps and the build number, which tell when they were written.
std::map<std::string, Json> ProcessedLibrary(const TempDir& dir, const std::string& src, const std::string& langs) {
  const std::string dest = dir.Path(src + "-out");
  const CliResult run = RunCli("process --src " + Q(dir.Path(src)) + " --dest " + Q(dest) +
                                   " --short-name Lib " + langs + " --scan res,pas,rc,dfm,exe --quiet --json",
                               dir);
  EXPECT_EQ(run.ExitCode, 0) << run.Err << run.Out;
  if (run.ExitCode == 0) {
    EXPECT_EQ(Json::parse(run.Out)["filesFailed"], 0) << run.Out;
  }
  std::map<std::string, Json> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dest, ec)) {
    if (entry.path().extension() != ".lng") continue;
    const CliResult dump = RunCli("dump " + Q(entry.path().string()) + " --json", dir);
    EXPECT_EQ(dump.ExitCode, 0) << dump.Err;
    Json json = Json::parse(dump.Out);
    std::function<void(Json&)> strip = [&](Json& j) {
      if (j.is_object()) {
        j.erase("stamp");
        j.erase("build");
        for (auto& [key, value] : j.items()) strip(value);
      } else if (j.is_array()) {
        for (auto& value : j) strip(value);
      }
    };
    strip(json);
    files[entry.path().filename().string()] = std::move(json);
  }
  return files;
}

class MinGwProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_ON_WINDOWS("runs MinGW through the shell");
    if (!mingw.Found())
      GTEST_SKIP() << "MinGW not found (Debian packages binutils-mingw-w64-x86-64, gcc-mingw-w64-x86-64): "
                      "cross-check skipped";
  }
  MinGw mingw;
  TempDir dir;
};

// A program holding string tables in two languages and two binary forms.
TEST_F(MinGwProgramTest, ScanOfTheProgramEqualsScanOfItsResAndFormFiles) {
  const std::string en =
      "LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n  0, \"Zero\"\n  1, \"Tab\\there \"\"quoted\"\"\"\n"
      "  17, \"Gr\xC3\xB6\xC3\x9F" "e\"\n  65535, \"Last\"\nEND\n";
  const std::string de =
      "LANGUAGE 7, 1\nSTRINGTABLE\nBEGIN\n  0, \"Null\"\n  17, \"Gr\xC3\xB6\xC3\x9F" "e (de)\"\n  65535, \"Letzte\"\nEND\n";
  dir.Write("en.rc", en);
  dir.Write("de.rc", de);
  mingw.Compile(dir.Path("en.rc"), dir.Path("en.res"));
  mingw.Compile(dir.Path("de.rc"), dir.Path("de.res"));
  fs::copy_file(ExampleDir() + "/en/AboutBox.dfm", dir.Path("AboutBox.dfm"));
  const CliResult converted =
      RunCli("form-to-binary " + Q(ExampleDir() + "/en/MainForm.dfm") + " " + Q(dir.Path("MainForm.dfm")) +
                 " --lang 0x0409",
             dir);
  ASSERT_EQ(converted.ExitCode, 0) << converted.Err;
  dir.Write("prog.rc", en + de + "LANGUAGE 9, 1\nTABOUTBOX RCDATA \"" + dir.Path("AboutBox.dfm") +
                           "\"\nTMAINFORM RCDATA \"" + dir.Path("MainForm.dfm") + "\"\n");
  mingw.Compile(dir.Path("prog.rc"), dir.Path("prog.o"));
  dir.Write("main.c", "int main(void) { return 0; }\n");
  ASSERT_EQ(Shell(Q(mingw.Gcc) + " -s -o " + Q(dir.Path("prog.exe")) + " " + Q(dir.Path("main.c")) + " " +
                  Q(dir.Path("prog.o"))),
            0);

  for (const auto& [lang, res] : {std::pair{"0409", "en.res"}, std::pair{"0407", "de.res"}}) {
    SCOPED_TRACE(lang);
    const Json program = ScanJson(Q(dir.Path("prog.exe")) + " --lang 0x" + lang, dir);
    const Json strings = ScanJson(Q(dir.Path(res)), dir);
    ASSERT_TRUE(program.is_object());
    EXPECT_EQ(program["taken"], lang);
    ASSERT_EQ(program["languages"].size(), 2u);
    Json taken;
    for (const auto& language : program["languages"])
      if (language["language"] == lang) taken = language;
    EXPECT_EQ(taken["strings"], strings["strings"]);
    if (std::string(lang) == "0409") {
      EXPECT_EQ(taken["forms"], Json::array({"TABOUTBOX", "TMAINFORM"}));
      Json forms = Json::array();
      for (const char* form : {"AboutBox.dfm", "MainForm.dfm"}) {
        const Json scanned = ScanJson(Q(dir.Path(form)) + " --lang 0x0409", dir);
        for (const auto& f : scanned["forms"]) forms.push_back(f);
      }
      EXPECT_EQ(WithoutIds(program["formItems"]["forms"]), WithoutIds(forms));
      EXPECT_FALSE(forms.empty());
    } else {
      EXPECT_TRUE(program["formItems"]["forms"].empty());
    }
  }

  // A library whose folders hold only the program, and one holding its
  // .res and form files, process to the same language files.
  for (const char* lang : {"en", "de"}) fs::create_directories(dir.Path(std::string("exe/") + lang));
  fs::copy_file(dir.Path("prog.exe"), dir.Path("exe/en/prog.exe"));
  fs::copy_file(dir.Path("prog.exe"), dir.Path("exe/de/prog.exe"));
  fs::create_directories(dir.Path("res/en"));
  fs::create_directories(dir.Path("res/de"));
  fs::copy_file(dir.Path("en.res"), dir.Path("res/en/prog.res"));
  fs::copy_file(dir.Path("de.res"), dir.Path("res/de/prog.res"));
  fs::copy_file(ExampleDir() + "/en/AboutBox.dfm", dir.Path("res/en/AboutBox.dfm"));
  fs::copy_file(ExampleDir() + "/en/MainForm.dfm", dir.Path("res/en/MainForm.dfm"));
  const std::string langs = "--lang ENU=en --lang DEU=de";
  const auto fromPrograms = ProcessedLibrary(dir, "exe", langs);
  const auto fromSources = ProcessedLibrary(dir, "res", langs);
  ASSERT_EQ(fromPrograms.size(), 2u);
  EXPECT_EQ(fromPrograms, fromSources);
  EXPECT_FALSE(fromPrograms.at("Lib.ENU.lng")["forms"].empty());
  EXPECT_FALSE(fromPrograms.at("Lib.DEU.lng")["units"].empty());
}

// The bundled example, once as it is and once with each language folder's
// .res and .dfm files replaced by a resource DLL (Version.ENU, Version.DEU,
// Version.FRA) built from them.
TEST_F(MinGwProgramTest, ExampleWithResourceDllsProcessesToTheSameLanguageFiles) {
  const std::vector<std::tuple<std::string, std::uint16_t, std::string>> languages = {
      {"en", 0x0409, "ENU"}, {"de", 0x0407, "DEU"}, {"fr", 0x040C, "FRA"}};
  for (const auto& [folder, id, abbr] : languages) {
    const std::string from = ExampleDir() + "/" + folder;
    fs::create_directories(dir.Path("sources/" + folder));
    fs::create_directories(dir.Path("dlls/" + folder));
    for (const auto& entry : fs::directory_iterator(from)) {
      fs::copy_file(entry.path(), dir.Path("sources/" + folder + "/" + entry.path().filename().string()));
      const std::string ext = entry.path().extension().string();
      if (ext != ".res" && ext != ".dfm")
        fs::copy_file(entry.path(), dir.Path("dlls/" + folder + "/" + entry.path().filename().string()));
    }
    // The DLL's resources: the string tables of Version.res and the binary
    // forms, all in the folder's language.
    std::vector<std::string> entries;
    const TResReader version(from + "/Version.res");
    for (int i = 0; i < version.Count(); ++i) {
      const TResEntry& e = *version.Entries(i);
      entries.push_back(test::ResEntry(e.ResType, e.ResName, std::string(e.Data.begin(), e.Data.end()), id));
    }
    for (const char* form : {"AboutBox", "MainForm", "PrintForm"}) {
      const std::string binary = dir.Path(folder + "-" + form + ".bin");
      const CliResult converted = RunCli("form-to-binary " + Q(from + "/" + form + ".dfm") + " " + Q(binary) +
                                             " --lang " + std::to_string(id),
                                         dir);
      std::string bytes = converted.ExitCode == 0 ? TempDir::Read(binary) : TempDir::Read(from + "/" + form + ".dfm");
      // A binary form behind a 16-bit resource header: the stream itself.
      bytes = bytes.substr(bytes.find("TPF0"));
      std::u16string name = u"T";
      for (const char c : std::string(form)) name += static_cast<char16_t>(std::toupper(static_cast<unsigned char>(c)));
      entries.push_back(test::ResEntry(TResId::FromOrdinal(ResTypeRCData), TResId::FromName(name), bytes, id));
    }
    const std::string res = dir.Write(folder + ".res", test::ResFile(entries));
    mingw.ResourceDll(res, dir.Path("dlls/" + folder + "/Version." + abbr));
  }
  const std::string langs = "--lang ENU=en --lang DEU=de --lang FRA=fr";
  const auto fromSources = ProcessedLibrary(dir, "sources", langs);
  const auto fromDlls = ProcessedLibrary(dir, "dlls", langs);
  ASSERT_EQ(fromSources.size(), 3u);
  EXPECT_EQ(fromDlls, fromSources);
  EXPECT_FALSE(fromDlls.at("Lib.FRA.lng")["externalGroups"].empty());
}

}  // namespace
}  // namespace sw
