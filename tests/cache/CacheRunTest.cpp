// Processing runs with the per-file cache: each step runs one library that
// keeps a cache and the same library without one (into another folder), and
// the language files of both must stay byte for byte the same, while the
// count of files taken from the cache shows what was parsed again.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/AppTestSupport.h"
#include "app/LibraryRun.h"
#include "memory/FileCache.h"
#include "storage/PropRules.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using testing::ReadLng;
namespace fs = std::filesystem;

constexpr int kEnglish = 1033;
constexpr int kGerman = 1031;

std::string Form(const std::string& caption, const std::string& hint = "Tip") {
  return "object Main: TForm\r\n  Caption = '" + caption + "'\r\n  Hint = '" + hint +
         "'\r\n  object Label1: TLabel\r\n    Caption = 'Name'\r\n  end\r\nend\r\n";
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CacheRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("src/en/Main.dfm", Form("Main window"));
    dir.Write("src/en/Other.dfm", "object Other: TForm\r\n  Caption = 'Other window'\r\nend\r\n");
    dir.Write("src/de/Main.dfm", Form("Hauptfenster"));
  }
  TResolvedLibrary Library(const std::string& shortName, const std::string& dest, bool useCache,
                           const char* rule = nullptr) {
    TResolvedLibrary library;
    library.Name = library.ShortName = shortName;
    library.SrcDir = dir.Path("src");
    library.DestDir = dir.Path(dest);
    if (rule)
      library.PropRules.Add(rule);
    else
      SetDefaultPropRules(library.PropRules);
    library.UseCache = useCache;
    library.Languages.AddLibLanguage(kEnglish, "en");
    library.Languages.AddLibLanguage(kGerman, "de");
    return library;
  }
  // Runs the library with a cache and the same without; returns the files
  // taken from the cache.
  int Step(const std::string& shortName = "Lib", const char* rule = nullptr) {
    const TRunResult cached = RunLibrary(Library(shortName, "out", true, rule));
    const TRunResult plain = RunLibrary(Library(shortName, "ref", false, rule));
    EXPECT_TRUE(cached.Ok() && plain.Ok());
    EXPECT_EQ(plain.Stats.FilesReused, 0);
    EXPECT_EQ(cached.Stats.Warnings, plain.Stats.Warnings);
    for (const char* abbr : {"ENU", "DEU"}) {
      const std::string name = shortName + "." + abbr + ".lng";
      EXPECT_EQ(ReadBytes(dir.Path("out/" + name)), ReadBytes(dir.Path("ref/" + name))) << name;
    }
    // The check counts too, which the cache keeps per column.
    EXPECT_EQ(cached.Stats.Languages.size(), plain.Stats.Languages.size());
    for (std::size_t i = 0; i < std::min(cached.Stats.Languages.size(), plain.Stats.Languages.size()); ++i) {
      EXPECT_EQ(cached.Stats.Languages[i].CheckErrors, plain.Stats.Languages[i].CheckErrors) << i;
      EXPECT_EQ(cached.Stats.Languages[i].CheckWarnings, plain.Stats.Languages[i].CheckWarnings) << i;
    }
    EXPECT_FALSE(fs::exists(dir.Path("ref/" + shortName + ".cache")));
    // No new cache is left beside the cache ("." + name + ".<letters>").
    for (const auto& entry : fs::directory_iterator(dir.Path("out")))
      EXPECT_NE(entry.path().filename().string().rfind("." + shortName + ".cache.", 0), 0u) << entry.path();
    return cached.Stats.FilesReused;
  }
  std::u16string German(const std::string& key, const std::string& shortName = "Lib") const {
    return ReadLng(dir.Path("out/" + shortName + ".DEU.lng")).Text(key);
  }
  void SetTime(const std::string& relative, fs::file_time_type time) { fs::last_write_time(dir.Path(relative), time); }

  TempDir dir;
};

TEST_F(CacheRunTest, OnlyChangedFilesAreParsedAgain) {
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Step(), 3) << "unchanged";
  dir.Write("src/de/Main.dfm", Form("Neues Fenster"));
  EXPECT_EQ(Step(), 2) << "one changed";
  EXPECT_EQ(German("F:Main..Caption"), u"Neues Fenster");
  // Touched, same content: read and hashed, not parsed.
  SetTime("src/en/Other.dfm", fs::file_time_type::clock::now() + std::chrono::hours(1));
  EXPECT_EQ(Step(), 3) << "touched";
  // Same size, other bytes, new time: parsed.
  dir.Write("src/de/Main.dfm", Form("Neues Fenstex"));
  EXPECT_EQ(Step(), 2) << "same size, changed";
  EXPECT_EQ(German("F:Main..Caption"), u"Neues Fenstex");
  // A form that no longer parses is not taken from the cache either.
  dir.Write("src/de/Main.dfm", "object Main: TForm\r\n  Caption = 'cut");
  const TRunResult broken = RunLibrary(Library("Lib", "out", true));
  EXPECT_EQ(broken.Stats.FilesFailed, 1);
  EXPECT_EQ(broken.Stats.FilesReused, 2);
}

std::string Unit(const std::string& hello) {
  // SHello declared twice: the reader warns, and the first one stands.
  return "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = '" + hello +
         "';\r\n  SBye = 'Bye';\r\n  SHello = 'again';\r\nimplementation\r\nend.\r\n";
}

TEST_F(CacheRunTest, UnitsAreKeptAsFormsAre) {
  dir.Write("src/en/Strings.pas", Unit("Hello"));
  dir.Write("src/de/Strings.pas", Unit("Hallo"));
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Step(), 5) << "unchanged";
  dir.Write("src/de/Strings.pas", Unit("Guten Tag"));
  EXPECT_EQ(Step(), 4) << "one unit changed";
  EXPECT_EQ(German("U:Strings.SHello"), u"Guten Tag");
  // A unit that no longer reads fails as it would without the cache.
  dir.Write("src/de/Strings.pas", "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = 'cut");
  const TRunResult broken = RunLibrary(Library("Lib", "out", true));
  EXPECT_EQ(broken.Stats.FilesFailed, 1);
  EXPECT_EQ(broken.Stats.FilesReused, 4);
}

std::string Script(const std::string& text) {
  return "#include \"ids.h\"\r\n#include \"texts.rc2\"\r\nSTRINGTABLE\r\nBEGIN\r\n  IDS_SAVED, \"" + text +
         "\"\r\nEND\r\n";
}

std::string MoreTexts(const std::string& text) {
  return "STRINGTABLE\r\nBEGIN\r\n  2, \"" + text + "\"\r\nEND\r\n";
}

TEST_F(CacheRunTest, ScriptsAreParsedAgainWhenAFileTheyReadChanges) {
  // Each script reads a header and another script, both found without
  // regard to case, and has no own header (Messages.hpp) yet. The German
  // text lacks the "%s": a check error, whose count the cache keeps.
  for (const char* lang : {"en", "de"}) {
    dir.Write(std::string("src/") + lang + "/Messages.rc", Script(lang[0] == 'e' ? "Saved %s" : "Gespeichert"));
    dir.Write(std::string("src/") + lang + "/IDS.H", "#define IDS_SAVED 1\r\n");
    dir.Write(std::string("src/") + lang + "/Texts.RC2", MoreTexts(lang[0] == 'e' ? "Printed" : "Gedruckt"));
  }
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Step(), 5) << "unchanged";
  const struct {
    const char* name;
    std::function<void()> change;
    std::u16string text;  // German "2" after the change
  } cases[] = {
      {"included script changed", [&] { dir.Write("src/de/Texts.RC2", MoreTexts("Neu gedruckt")); }, u"Neu gedruckt"},
      {"included script touched",
       [&] { SetTime("src/de/Texts.RC2", fs::file_time_type::clock::now() + std::chrono::hours(1)); },
       u"Neu gedruckt"},
      {"header changed",  // the same id under another name
       [&] {
         dir.Write("src/de/IDS.H", "#define IDS_OTHER 2\r\n#define IDS_SAVED 1\r\n");
       },
       u"Neu gedruckt"},
      {"a look-up finds another file", [&] { dir.Write("src/de/texts.rc2", MoreTexts("Exakt")); }, u"Exakt"},
      {"an own header appears", [&] { dir.Write("src/de/Messages.hpp", "#define IDS_SAVED 1\r\n"); }, u"Exakt"},
  };
  for (const auto& c : cases) {
    c.change();
    const bool parsed = std::string_view(c.name).find("touched") == std::string_view::npos;
    EXPECT_EQ(Step(), parsed ? 4 : 5) << c.name;
    EXPECT_EQ(German("U:Messages_RC.2"), c.text) << c.name;
    EXPECT_EQ(Step(), 5) << c.name << ", then unchanged";
  }
}

TEST_F(CacheRunTest, AnOldStampAloneVouchesForItsFile) {
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  SetTime("src/de/Main.dfm", old);
  Step();
  // Other bytes of the same size under the same old time: the stamp is
  // trusted and the file not read (what a build tool would do too).
  dir.Write("src/de/Main.dfm", Form("Hauptfenstex"));
  SetTime("src/de/Main.dfm", old);
  EXPECT_EQ(RunLibrary(Library("Lib", "out", true)).Stats.FilesReused, 3);
  EXPECT_EQ(German("F:Main..Caption"), u"Hauptfenster");
}

TEST_F(CacheRunTest, MissingOrDamagedCacheGivesTheSameFiles) {
  const std::string cache = dir.Path("out/Lib.cache");
  // A changed byte among the results costs only the result it lies in (the
  // index and each result have their own hash); the files stay the same.
  const struct {
    const char* name;
    std::function<void()> spoil;
    int reusedAtMost;
  } cases[] = {
      {"deleted", [&] { fs::remove(cache); }, 0},
      {"emptied", [&] { dir.Write("out/Lib.cache", ""); }, 0},
      {"one byte changed",
       [&] {
         std::string bytes = ReadBytes(cache);
         bytes[bytes.size() / 2] ^= 1;
         dir.Write("out/Lib.cache", bytes);
       },
       2},
      {"one byte of each result changed",
       [&] {
         std::string bytes = ReadBytes(cache);
         for (std::size_t at = 24; at + 200 < bytes.size(); at += 16) bytes[at] ^= 1;
         dir.Write("out/Lib.cache", bytes);
       },
       0},
      {"cut short", [&] { dir.Write("out/Lib.cache", ReadBytes(cache).substr(0, 40)); }, 0},
      {"a folder", [&] {
         fs::remove(cache);
         fs::create_directory(cache);
       }, 0},
  };
  Step();
  for (const auto& c : cases) {
    c.spoil();
    dir.Write("src/de/Main.dfm", Form(std::string("Fenster ") + c.name));
    EXPECT_LE(Step(), c.reusedAtMost) << c.name;
    EXPECT_EQ(German("F:Main..Caption"), u"Fenster " + Utf8ToUtf16(c.name)) << c.name;
    if (fs::is_directory(cache)) fs::remove(cache);
    Step();
  }
}

TEST_F(CacheRunTest, LibrariesSharingASourceFolderKeepTheirOwnResults) {
  // Two libraries over one folder, with other rules: each has its cache.
  EXPECT_EQ(Step("Captions", "+.Caption"), 0);
  EXPECT_EQ(Step("Hints", "+.Hint"), 0);
  EXPECT_EQ(Step("Captions", "+.Caption"), 3);
  EXPECT_EQ(Step("Hints", "+.Hint"), 3);
  EXPECT_EQ(German("F:Main..Hint", "Hints"), u"Tip");
  EXPECT_EQ(German("F:Main..Caption", "Hints"), u"<missing>");
  // Even one library's cache under the other's name yields nothing of it.
  // Removed first: MinGW's copy_file refuses to overwrite even when told to.
  fs::remove(dir.Path("out/Hints.cache"));
  fs::copy_file(dir.Path("out/Captions.cache"), dir.Path("out/Hints.cache"));
  EXPECT_EQ(Step("Hints", "+.Hint"), 0);
  EXPECT_EQ(German("F:Main..Caption", "Hints"), u"<missing>");
}

}  // namespace
}  // namespace sw
