// Tests of the profile file: case-insensitive sections and keys, trimmed
// values, free-form sections read as keys, and edits that keep every other
// line of the file as it was.
#include "runtime/IniFile.h"

#include <gtest/gtest.h>

#include "base/Exceptions.h"

#include <filesystem>
#include "support/TestSupport.h"

namespace sw {
namespace {

const char* const kSettings =
    "; settings written by hand\r\n"
    "stray=before any section\r\n"
    "[Main]\r\n"
    "LastLib = 2 \r\n"
    "\r\n"
    "[Library1]\r\n"
    "Name=  Demo app\t\r\n"
    "ShortName=demo\r\n"
    "Foreign=kept\r\n"
    "  ; a comment inside\r\n"
    "odd line without equals\r\n"
    "\r\n"
    "[PropRules1Lib]\r\n"
    "TForm.Caption\r\n"
    "+.Hint=ignored part\r\n"
    "[Languages1Lib]\r\n"
    "1033=en\r\n"
    "1031=de\r\n"
    "1033=duplicate\r\n";

std::vector<std::string> Lines(const TStringList& list) { return list.Lines(); }

TEST(IniFileTest, ReadsWithoutRegardToCaseAndTrimsValues) {
  const TIniFile ini = TIniFile::FromText(kSettings);
  EXPECT_EQ(ini.ReadString("main", "LASTLIB", ""), "2");
  EXPECT_EQ(ini.ReadInteger("MAIN", "lastlib", 0), 2);
  EXPECT_EQ(ini.ReadString("Library1", "Name", ""), "Demo app");
  EXPECT_EQ(ini.ReadString("Library1", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Library9", "Name", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("", "stray", "none"), "none");  // keys above every section belong to none
  EXPECT_EQ(ini.ReadInteger("Library1", "ShortName", 7), 7);  // not a number
  EXPECT_EQ(ini.ReadInteger("Library1", "ScanFiles", 1), 1);
  EXPECT_EQ(ini.ReadString("Languages1Lib", "1033", ""), "en");  // the first of duplicates
  EXPECT_TRUE(ini.ValueExists("library1", "odd line without equals"));
  EXPECT_FALSE(ini.ValueExists("library1", "; a comment inside"));
  EXPECT_TRUE(ini.SectionExists("propRULES1lib"));
  EXPECT_FALSE(ini.SectionExists("Library2"));
}

TEST(IniFileTest, ListsKeysValuesAndSections) {
  const TIniFile ini = TIniFile::FromText(kSettings);
  TStringList out{"stale"};
  ini.ReadSection("PropRules1Lib", out);
  EXPECT_EQ(Lines(out), (std::vector<std::string>{"TForm.Caption", "+.Hint"}));
  ini.ReadSection("Languages1Lib", out);
  EXPECT_EQ(Lines(out), (std::vector<std::string>{"1033", "1031", "1033"}));
  ini.ReadSectionValues("Library1", out);
  EXPECT_EQ(Lines(out), (std::vector<std::string>{"Name=Demo app", "ShortName=demo", "Foreign=kept",
                                                  "odd line without equals"}));
  ini.ReadSection("Nowhere", out);
  EXPECT_TRUE(out.Empty());
  ini.ReadSections(out);
  EXPECT_EQ(Lines(out), (std::vector<std::string>{"Main", "Library1", "PropRules1Lib", "Languages1Lib"}));
}

TEST(IniFileTest, WritingKeepsForeignLines) {
  TIniFile ini = TIniFile::FromText(kSettings);
  EXPECT_FALSE(ini.Modified());
  ini.WriteString("library1", "NAME", "Renamed");
  ini.WriteInteger("Library1", "ScanFiles", 9);
  ini.WriteString("Main", "LastLib", "3");
  ini.WriteString("Library2", "Name", "Second");
  EXPECT_TRUE(ini.Modified());
  EXPECT_EQ(ini.Text(),
            "; settings written by hand\r\n"
            "stray=before any section\r\n"
            "[Main]\r\n"
            "LastLib=3\r\n"
            "\r\n"
            "[Library1]\r\n"
            "Name=Renamed\r\n"
            "ShortName=demo\r\n"
            "Foreign=kept\r\n"
            "  ; a comment inside\r\n"
            "odd line without equals\r\n"
            "ScanFiles=9\r\n"
            "\r\n"
            "[PropRules1Lib]\r\n"
            "TForm.Caption\r\n"
            "+.Hint=ignored part\r\n"
            "[Languages1Lib]\r\n"
            "1033=en\r\n"
            "1031=de\r\n"
            "1033=duplicate\r\n"
            "[Library2]\r\n"
            "Name=Second\r\n");
}

TEST(IniFileTest, EraseSectionAndDeleteKeyTouchOnlyTheirLines) {
  TIniFile ini = TIniFile::FromText(
      "[A]\r\nx=1\r\n[b]\r\nkeep=1\r\n[B]\r\ny=2\r\n;c\r\n\r\n[C]\r\nz=3\r\nz=4\r\nw=5\r\n");
  ini.EraseSection("b");
  ini.DeleteKey("c", "Z");
  ini.DeleteKey("c", "absent");
  EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\n[C]\r\nw=5\r\n");
  EXPECT_FALSE(ini.ValueExists("C", "z"));
  ini.RenameSection("c", "Library1");
  EXPECT_EQ(ini.ReadString("LIBRARY1", "w", ""), "5");
}

TEST(IniFileTest, SectionLinesReplaceTheSectionWhereItStandsAndRepeatsGo) {
  struct Case {
    const char* before;
    std::vector<std::string> lines;
    const char* after;
  } cases[] = {
      {"[A]\r\nx=1\r\n[Rules]\r\n+.Old\r\n\r\n[B]\r\ny=2\r\n[rules]\r\n-.Again\r\n",
       {"+.Caption", "-TLabel.Caption"},
       "[A]\r\nx=1\r\n[Rules]\r\n+.Caption\r\n-TLabel.Caption\r\n\r\n[B]\r\ny=2\r\n"},
      {"[A]\r\nx=1\r\n", {"*.Hint"}, "[A]\r\nx=1\r\n[Rules]\r\n*.Hint\r\n"},
      {"[A]\r\n[Rules]\r\n+.Old\r\n\r\n[B]\r\n", {}, "[A]\r\n\r\n[B]\r\n"},
      // A line break in a rule cannot forge a section.
      {"", {"+.A\r\n[Main]"}, "[Rules]\r\n+.A  [Main]\r\n"},
  };
  for (const Case& c : cases) {
    TIniFile ini = TIniFile::FromText(c.before);
    TStringList lines;
    for (const auto& line : c.lines) lines.Add(line);
    ini.WriteSectionLines("Rules", lines);
    EXPECT_EQ(ini.Text(), c.after) << c.before;
  }
}

TEST(IniFileTest, WriteIntoEmptyProfileAndNewKeyGoesBeforeTrailingBlanks) {
  TIniFile ini = TIniFile::FromText("");
  ini.WriteBool("S", "Flag", true);
  EXPECT_TRUE(ini.ReadBool("s", "flag", false));
  EXPECT_FALSE(ini.ReadBool("s", "other", false));
  EXPECT_EQ(ini.Text(), "[S]\r\nFlag=1\r\n");

  TIniFile spaced = TIniFile::FromText("[S]\na=1\n\n\n[T]\n");
  spaced.WriteString("S", "b", "2");
  spaced.WriteString("T", "c", "3");
  EXPECT_EQ(spaced.Text(), "[S]\r\na=1\r\nb=2\r\n\r\n\r\n[T]\r\nc=3\r\n");
}

TEST(IniFileTest, LineBreaksInWrittenValuesCannotForgeLines) {
  TIniFile ini = TIniFile::FromText("[Library1]\r\n");
  ini.WriteString("Library1", "Name", "evil\r\n[Main]\r\nLastLib=99");
  EXPECT_FALSE(ini.SectionExists("Main"));
  EXPECT_EQ(ini.Lines().Count(), 2);
  EXPECT_EQ(ini.ReadString("Library1", "Name", ""), "evil  [Main]  LastLib=99");
}

TEST(IniFileTest, ReadsEveryLineEndStyle) {
  const TIniFile ini = TIniFile::FromText("[A]\rx=1\n[B]\r\ny=2\r[C]\nz=3");
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  EXPECT_EQ(ini.ReadString("B", "y", ""), "2");
  EXPECT_EQ(ini.ReadString("C", "z", ""), "3");
}

TEST(IniFileTest, FileRoundTripAndMissingFile) {
  TempDir dir;
  const std::string path = dir.Path("settings.ini");
  {
    TIniFile missing(path);
    TStringList sections;
    missing.ReadSections(sections);
    EXPECT_TRUE(sections.Empty());
    missing.WriteString("Main", "LastLib", "1");
    missing.UpdateFile();
    EXPECT_FALSE(missing.Modified());
  }
  EXPECT_EQ(TempDir::Read(path), "[Main]\r\nLastLib=1\r\n");

  dir.Write("unix.ini", "; from elsewhere\n[Main]\nLastLib=4\n");
  TIniFile unix(dir.Path("unix.ini"));
  EXPECT_EQ(unix.ReadInteger("Main", "LastLib", 0), 4);
  unix.WriteInteger("Main", "LastLib", 5);
  unix.UpdateFile();
  EXPECT_EQ(TempDir::Read(dir.Path("unix.ini")), "; from elsewhere\r\n[Main]\r\nLastLib=5\r\n");

  // A byte-order mark is not part of the first section's name, and is kept.
  dir.Write("bom.ini", "\xEF\xBB\xBF[Main]\r\nLastLib=6\r\n");
  TIniFile bom(dir.Path("bom.ini"));
  EXPECT_EQ(bom.ReadInteger("Main", "LastLib", 0), 6);
  bom.UpdateFile();
  EXPECT_EQ(TempDir::Read(dir.Path("bom.ini")), "\xEF\xBB\xBF[Main]\r\nLastLib=6\r\n");

  TIniFile noName = TIniFile::FromText("[A]");
  EXPECT_THROW(noName.UpdateFile(), EFCreateError);
}

TEST(IniFileTest, WhatIsNoProfileFileIsRefusedAndNeverWritten) {
  TempDir dir;
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Message;
  };
  const std::string form = "object MainForm: TMainForm\r\n  Caption = 'Main'\r\nend\r\n";
  const Case cases[] = {
      {"form.dfm", form, SIniNoSection},
      {"binary.res", std::string("\0\0\0\0 \0\0\0[Main]\r\n", 14), SIniHasNulBytes},
      {"keys.ini", "LastLib=1\r\nName=x\r\n", SIniNoSection},
      {"utf16.ini", std::string("[\0M\0]\0", 6), SIniHasNulBytes},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write(c.Name, c.Bytes);
    EXPECT_THROW_MSG(TIniFile{path}, EIniFileError, Format(c.Message, path));
    EXPECT_EQ(TempDir::Read(path), c.Bytes) << c.Name;
  }
  // A folder is no file at all.
  std::filesystem::create_directories(dir.Path("folder.ini"));
  EXPECT_THROW_MSG(TIniFile{dir.Path("folder.ini")}, EIniFileError, Format(SIniIsFolder, dir.Path("folder.ini")));

  // What a profile may be: empty, blank, comments only, keys before the first
  // section, UTF-16 with its mark.
  const std::string fine[] = {"", "\r\n  \r\n", "; nothing yet\r\n", "stray=1\r\n[Main]\r\nLastLib=2\r\n",
                              std::string("\xFF\xFE[\0A\0]\0", 8)};
  for (const std::string& bytes : fine) {
    const std::string path = dir.Write("fine.ini", bytes);
    EXPECT_NO_THROW(TIniFile{path}) << bytes;
  }
}

}  // namespace
}  // namespace sw
