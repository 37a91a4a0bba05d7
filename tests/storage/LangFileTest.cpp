// The language file: every format version 1-7 read from hand-built bytes,
// plain and compressed, written back byte for byte; column loads, numbering,
// locking, read-only files and the safety of a failed save.
#include "storage/LocLangFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#ifndef _WIN32
#include <sys/wait.h>  // Windows: TestSupport.h stands in
#endif

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "LangFileBytes.h"
#include "compress/LzqContainer.h"
#include "support/TestSupport.h"
#include "util/Messages.h"

namespace sw {
namespace {

using test::Bytes;

// ---- A sample library and its bytes in each version ------------------------

struct Entry {
  std::string Name;
  std::uint16_t Status = 0;
  std::uint16_t StringId = 0;
  std::int32_t Id = 0;
  std::uint8_t Kind = vkString;
  std::u16string Text;
  double Float = 0;
  std::int32_t Int = 0;
  std::int32_t Revision = 0;
  std::uint64_t Stamp = 0;
};

struct Container {
  std::string Name;
  std::uint16_t Attributes = 0;
  std::vector<Entry> Entries;
};

struct FormRec {
  std::string Name;
  std::uint16_t Attributes = 0;
  std::vector<Entry> Properties;
  std::vector<Container> Components;
};

struct Sample {
  std::int32_t Revision = 5;
  std::int32_t Build = 77;
  std::uint16_t LangId = 0x0409;
  std::uint16_t ReservedA = 0x1234;
  std::string LangName = "English";
  std::u16string NativeName = u"English";
  std::uint16_t IsNative = 1;
  std::uint16_t ReservedB = 0x4321;
  std::int32_t LastConstantId = 3;
  std::int32_t LastPropertyId = 13;
  std::int32_t LastExtItemId = 20;
  std::vector<Container> Units;
  std::vector<FormRec> Forms;
  std::vector<Container> Groups;
};

Sample MakeSample() {
  Sample s;
  s.Units = {{"Main", 2, {{"SError", 0x0100, 0, 1, vkString, u"Error", 0, 0, 3, 0x1122334455667788ull},
                          {"SOk", 0x0001, 0, 2, vkString, u"OK \u00e9\u4e2d", 0, 0, 4, 9}}},
             {"RC", 0, {{"101", 0, 101, 3, vkString, u"", 0, 0, 5, 0}}}};
  FormRec form{"Form1", 0, {{"Caption", 0x20, 0, 10, vkString, u"Main window", 0, 0, 5, 1}}, {}};
  form.Components = {{"Button1",
                      4,
                      {{"Caption", 0x0120, 0, 11, vkString, u"&OK", 0, 0, 5, 2},
                       {"Ratio", 0, 0, 13, vkFloat, u"", 1.5, 0, 2, 3},
                       {"Width", 0, 0, 12, vkInteger, u"", 0, 75, 2, 4}}},
                     {"Empty", 0, {}}};
  s.Forms = {form};
  s.Groups = {{"FRFORM:Form1:frxReport1", 1, {{"Memo1.Text", 0x0100, 0, 20, vkStrings, u"Hello\r\nWorld", 0, 0, -1, 5}}}};
  return s;
}

// What a file of `version` can carry of the sample; the rest reads as 0.
Sample Degrade(Sample s, int version) {
  auto clearEntry = [&](Entry& e) {
    if (version < 2) e.Status = 0;
    if (version < 4) {
      e.Float = 0;
      e.Int = 0;
    }
  };
  for (auto& u : s.Units) {
    if (version < 2) u.Attributes = 0;
    for (auto& e : u.Entries) clearEntry(e);
  }
  for (auto& f : s.Forms) {
    if (version < 2) f.Attributes = 0;
    for (auto& e : f.Properties) clearEntry(e);
    for (auto& c : f.Components) {
      if (version < 2) c.Attributes = 0;
      for (auto& e : c.Entries) clearEntry(e);
    }
  }
  if (version < 2) s.ReservedB = 0;
  if (version < 3) s.ReservedA = 0;
  if (version < 5) s.Build = 0;
  if (version < 7) {
    s.Groups.clear();
    s.LastExtItemId = 0;
  }
  return s;
}

std::string Write(const Sample& s, int version) {
  Bytes b(version);
  b.U16(0x464C).U16(static_cast<unsigned>(version)).I32(s.Revision);
  if (version >= 5) b.I32(s.Build);
  b.U16(s.LangId).U16From(3, s.ReservedA);
  b.Ansi(s.LangName, true).Wide(s.NativeName, true).U16(s.IsNative).U16From(2, s.ReservedB);
  b.I32(s.LastConstantId).I32(s.LastPropertyId);
  if (version >= 7) b.I32(s.LastExtItemId);
  auto property = [&](const Entry& e) {
    b.Ansi(e.Name).U16From(2, e.Status).I32(e.Id).I32(e.Kind);
    if (e.Kind == vkString || e.Kind == vkStrings) b.Wide(e.Text);
    if (version >= 4 && e.Kind == vkFloat) b.F64(e.Float);
    if (version >= 4 && e.Kind == vkInteger) b.I32(e.Int);
    b.I32(e.Revision).U64(e.Stamp);
  };
  b.U16(static_cast<unsigned>(s.Units.size()));
  for (const auto& u : s.Units) {
    b.Ansi(u.Name).U16From(2, u.Attributes).U16(static_cast<unsigned>(u.Entries.size()));
    for (const auto& e : u.Entries)
      b.Ansi(e.Name).U16From(2, e.Status).U16(e.StringId).I32(e.Id).Wide(e.Text).I32(e.Revision).U64(e.Stamp);
  }
  b.U16(static_cast<unsigned>(s.Forms.size()));
  for (const auto& f : s.Forms) {
    b.Ansi(f.Name).U16From(2, f.Attributes).U16(static_cast<unsigned>(f.Properties.size()));
    for (const auto& e : f.Properties) property(e);
    b.U16(static_cast<unsigned>(f.Components.size()));
    for (const auto& c : f.Components) {
      b.Ansi(c.Name).U16From(2, c.Attributes).U16(static_cast<unsigned>(c.Entries.size()));
      for (const auto& e : c.Entries) property(e);
    }
  }
  if (version >= 7) {
    b.U16(static_cast<unsigned>(s.Groups.size()));
    for (const auto& g : s.Groups) {
      b.Ansi(g.Name).U16(g.Attributes).U16(static_cast<unsigned>(g.Entries.size()));
      for (const auto& e : g.Entries)
        b.Ansi(e.Name).U16(e.Status).I32(e.Id).Wide(e.Text).I32(e.Revision).U64(e.Stamp);
    }
  }
  return b.Data();
}

std::string Compress(const std::string& plain) {
  TMemoryStream in(plain);
  TMemoryStream out;
  CompressStreamFromStart(in, out);
  return out.AsString();
}

std::string Expand(const std::string& packed) {
  TMemoryStream in(packed);
  TMemoryStream out;
  ExpandStreamFromStart(in, out);
  return out.AsString();
}

// ---- Every version, plain and compressed ----------------------------------------

class LangFileVersionTest : public ::testing::TestWithParam<std::tuple<int, bool>> {
 protected:
  int Version() const { return std::get<0>(GetParam()); }
  bool IsCompressed() const { return std::get<1>(GetParam()); }
  std::string FileBytes(const std::string& plain) const { return IsCompressed() ? Compress(plain) : plain; }
  TempDir dir;
};

TEST_P(LangFileVersionTest, ReadsHeaderAndWholeStorageAndWritesItBackExactly) {
  const int version = Version();
  const Sample sample = MakeSample();
  const Sample expected = Degrade(sample, version);
  const std::string path = dir.Write("lib.ENU.lng", FileBytes(Write(sample, version)));

  TLangFile file(path, false);
  EXPECT_EQ(file.Version, version);
  EXPECT_EQ(file.Compressed, IsCompressed());
  EXPECT_FALSE(file.ReadOnly);
  EXPECT_EQ(file.Revision, 5);
  EXPECT_EQ(file.Build, expected.Build);
  EXPECT_EQ(file.LangId, 0x0409);
  EXPECT_EQ(file.ReservedA, expected.ReservedA);
  EXPECT_EQ(file.ReservedB, expected.ReservedB);
  EXPECT_EQ(file.LangName, "English");
  EXPECT_EQ(file.NativeName, u"English");
  EXPECT_TRUE(file.IsNative);

  TLocStorage storage;
  file.LoadStorage(&storage, -1, 0);
  // The header's counters seed the storage's, which alone owns them.
  EXPECT_EQ(storage.LastConstantId, 3);
  EXPECT_EQ(storage.LastPropertyId, 13);
  EXPECT_EQ(storage.LastExtItemId, expected.LastExtItemId);
  EXPECT_EQ(storage.NativeLangId, 0x0409);
  ASSERT_EQ(storage.Units->Count(), 2);
  const TLocUnit* main = storage.Units->Items(0);
  EXPECT_EQ(main->ItemName, "Main");
  EXPECT_EQ(main->Attributes, version >= 2 ? 2 : 0);
  const TLocConstant* error = storage.FindConstant("MAIN", "SError");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->ItemId, 1);
  EXPECT_EQ(error->NativeValue()->Text, u"Error");
  EXPECT_EQ(error->NativeValue()->Revision, 3);
  EXPECT_EQ(error->NativeValue()->Stamp, 0x1122334455667788ull);
  EXPECT_EQ(error->NativeValue()->StateFlags, version >= 2 ? 0x0100 : 0);
  EXPECT_EQ(error->NativeValue()->LangId, 0x0409);
  EXPECT_EQ(storage.FindConstant("Main", "SOk")->NativeValue()->Text, u"OK \u00e9\u4e2d");
  EXPECT_EQ(storage.FindResString(101)->ItemName, "101");

  ASSERT_EQ(storage.Forms->Count(), 1);
  TLocForm* form = storage.Forms->Items(0);
  EXPECT_EQ(form->FindProperty("", "Caption")->NativeValue()->Text, u"Main window");
  EXPECT_EQ(form->FindComponent("Button1")->Attributes, version >= 2 ? 4 : 0);
  EXPECT_EQ(form->FindProperty("Button1", "Caption")->NativeValue()->Text, u"&OK");
  EXPECT_EQ(form->FindProperty("Button1", "Width")->ValueKind(), vkInteger);
  EXPECT_EQ(form->FindProperty("Button1", "Width")->NativeValue()->Text, version >= 4 ? u"75" : u"");
  EXPECT_EQ(form->FindProperty("Button1", "Ratio")->NativeValue()->Text, version >= 4 ? u"1.5" : u"");
  EXPECT_NE(form->FindComponent("Empty"), nullptr);

  if (version == 7) {
    const TLocExtItem* memo = storage.FindExtItem("FRFORM:Form1:frxReport1", "Memo1.Text");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->ItemId, 20);
    EXPECT_EQ(memo->NativeValue()->Text, u"Hello\r\nWorld");
    EXPECT_EQ(memo->NativeValue()->Revision, -1);  // external revisions stay as stored
  } else {
    EXPECT_EQ(storage.ExtGroups->Count(), 0);
  }

  // Written back: the version is kept (raised to 4 when lower), and so is
  // the compression. Kinds stored in memory as read come back as written.
  Sample reloaded = expected;
  if (version < 4) {
    // Numbers had no payload; they are saved from their empty text.
    for (auto& c : reloaded.Forms[0].Components)
      for (auto& e : c.Entries) e.Float = 0, e.Int = 0;
  }
  file.SaveStorage(&storage, 0, false);
  const std::string written = TempDir::Read(path);
  const std::string plain = Write(reloaded, std::max(version, 4));
  EXPECT_EQ(IsCompressed() ? Expand(written) : written, plain);
  if (IsCompressed()) {
    EXPECT_EQ(written, Compress(plain));
  }
  EXPECT_EQ(file.Version, std::max(version, 4));
}

TEST_P(LangFileVersionTest, DumpShowsTheRecordsAsStored) {
  SKIP_ON_WINDOWS("runs the command line program through a POSIX shell");
  const std::string path = dir.Write("lib.ENU.lng", FileBytes(Write(MakeSample(), Version())));
  const std::string out = dir.Path("out.json");
  const std::string command = std::string(SHELFWRIGHT_CLI_PATH) + " dump --json " + path + " > " + out;
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string json = TempDir::Read(out);
  EXPECT_NE(json.find("\"version\": " + std::to_string(Version())), std::string::npos);
  EXPECT_NE(json.find(std::string("\"compressed\": ") + (IsCompressed() ? "true" : "false")), std::string::npos);
  EXPECT_NE(json.find("\"stamp\": 1234605616436508552"), std::string::npos);
  EXPECT_NE(json.find("\"text\": \"OK \xc3\xa9\xe4\xb8\xad\""), std::string::npos);
  EXPECT_EQ(json.find("\"revision\": -1") != std::string::npos, Version() == 7);
}

INSTANTIATE_TEST_SUITE_P(AllVersions, LangFileVersionTest,
                         ::testing::Combine(::testing::Range(1, 8), ::testing::Bool()),
                         [](const auto& info) {
                           return "V" + std::to_string(std::get<0>(info.param)) +
                                  (std::get<1>(info.param) ? "Compressed" : "Plain");
                         });

// ---- Header, format limits and length prefixes ----------------------------------

class LangFileTest : public ::testing::Test {
 protected:
  // A native storage with one unit holding the given constants.
  static void AddConstant(TLocStorage& storage, std::int32_t id, const std::string& name, std::u16string text,
                          std::int32_t revision = 1) {
    TLocConstant* c = storage.FindOrAddConstant(id, "Unit1", 0, name);
    c->NativeValue()->SetText(std::move(text));
    c->NativeValue()->SetRevision(revision);
  }
  TempDir dir;
};

TEST_F(LangFileTest, RejectsBadSignatureVersionZeroAndNewerVersions) {
  EXPECT_THROW_MSG(TLangFile(dir.Write("a.lng", std::string("\x4C\x46\x00\x00", 4)), false), ELangFileError,
                   "Invalid file format");
  EXPECT_THROW_MSG(TLangFile(dir.Write("b.lng", std::string("\x4C\x47\x07\x00", 4)), false), ELangFileError,
                   "Invalid file format");
  EXPECT_THROW_MSG(TLangFile(dir.Write("c.lng", std::string("\x4C\x46\x08\x00", 4)), false), ELangFileError,
                   "The language file can not be read. You need to download the latest Linguadesk");
}

TEST_F(LangFileTest, TruncatedFileRaisesReadErrorNamingFileAndOffset) {
  std::string bytes = Write(MakeSample(), 7);
  const std::string path = dir.Write("t.lng", bytes.substr(0, bytes.size() - 5));
  TLangFile file(path, false);
  TLocStorage storage;
  try {
    file.LoadStorage(&storage, -1, 0);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("Stream read error"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("offset"), std::string::npos);
  }
}

TEST_F(LangFileTest, DumpOfMalformedFileGivesOneErrorLineNamingItAndExitCode1) {
  SKIP_ON_WINDOWS("runs the command line program through a POSIX shell");
  const std::string bytes = Write(MakeSample(), 7);
  for (const std::string& content : {bytes.substr(0, bytes.size() - 3), std::string("\x4C\x46\x09\x00", 4)}) {
    const std::string path = dir.Write("bad.lng", content);
    const std::string command = std::string(SHELFWRIGHT_CLI_PATH) + " dump " + path + " > " + dir.Path("out") +
                                " 2> " + dir.Path("err");
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = TempDir::Read(dir.Path("err"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_EQ(TempDir::Read(dir.Path("out")), "");
  }
}

TEST_F(LangFileTest, HostileLengthsAndCountsNeverReadPastTheData) {
  // Every prefix of a valid file, and every single-byte corruption of the
  // header area, either loads or raises one of the module's errors.
  const std::string bytes = Write(MakeSample(), 7);
  for (std::size_t n = 0; n < bytes.size(); n += 3) {
    TMemoryStream data(bytes.substr(0, n));
    TLangFile file(dir.Path("none.lng"), false);
    TLocStorage storage;
    EXPECT_THROW(file.LoadStorageFromStream(&storage, -1, 0, data), Exception) << n;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string bad = bytes;
    bad[i] = static_cast<char>(0xFF);
    TMemoryStream data(bad);
    TLangFile file(dir.Path("none.lng"), false);
    TLocStorage storage;
    try {
      file.LoadStorageFromStream(&storage, -1, 0, data);
    } catch (const Exception&) {
    }
  }
}

TEST_F(LangFileTest, LengthPrefixesAtTheirBoundariesInVersions5And7) {
  for (int version : {5, 7}) {
    for (std::uint32_t n : {127u, 128u, 16383u, 16384u}) {
      Sample s;
      s.Units = {{"U", 0, {{"C", 0, 0, 1, vkString, std::u16string(n, u'x'), 0, 0, 1, 0}}}};
      const std::string plain = Write(s, version);
      const std::string path = dir.Write("p.lng", plain);
      TLocStorage storage;
      TLangFile file(path, false);
      file.LoadStorage(&storage, -1, 0);
      EXPECT_EQ(storage.FindConstant("U", "C")->NativeValue()->Text.size(), n);
      file.SaveStorage(&storage, 0, false);
      EXPECT_EQ(TempDir::Read(path), plain) << "version " << version << " length " << n;
    }
  }
  // The prefix bytes themselves, as the format gives them.
  Sample s;
  s.Units = {{"U", 0, {{"C", 0, 0, 1, vkString, std::u16string(128, u'x'), 0, 0, 1, 0}}}};
  const std::string v7 = Write(s, 7);
  EXPECT_NE(v7.find(std::string("\x80\x01", 2) + std::string("x\0", 2)), std::string::npos);
}

TEST_F(LangFileTest, TooManyEntriesRaiseAndWriteNothing) {
  TLocStorage storage;
  for (int i = 0; i < 65536; ++i) storage.FindOrAddConstant(i + 1, "Unit1", 0, "C" + std::to_string(100000 + i));
  const std::string path = dir.Write("big.lng", "old");
  TLangFile file(dir.Path("big-new.lng"), false);
  file.FileName = path;
  EXPECT_THROW_MSG(file.SaveStorage(&storage, 0, false), ELangFileError,
                   "Cannot save the constants of unit \"Unit1\": it holds 65536 entries, a language file can "
                   "store at most 65535");
  EXPECT_EQ(TempDir::Read(path), "old");
  // 65535 still fits, and reads back whole.
  storage.Units->Items(0)->Constants->Delete(0);
  ASSERT_NO_THROW(file.SaveStorage(&storage, 0, false));
  TLocStorage back;
  TLangFile(path, true).LoadStorage(&back, -1, 0);
  ASSERT_EQ(back.Units->Count(), 1);
  const auto& constants = *back.Units->Items(0)->Constants;
  ASSERT_EQ(constants.Count(), 65535);
  EXPECT_EQ(constants.Items(0)->ItemName, "C100001");
  EXPECT_EQ(constants.Items(65534)->ItemName, "C165535");
  EXPECT_NE(back.FindConstant("Unit1", "C132768"), nullptr);
}

TEST_F(LangFileTest, StringTooLongForVersion5RaisesAndWritesNothing) {
  const std::string path = dir.Write("v5.lng", Write(Sample{}, 5));
  TLangFile file(path, false);
  TLocStorage storage;
  AddConstant(storage, 1, "Long", std::u16string(65536, u'y'));
  EXPECT_THROW_MSG(file.SaveStorage(&storage, 0, false), ELangFileError,
                   "Unit1.Long: Cannot save a string of 65536 characters in a language file of version 5 "
                   "(at most 65535)");
  EXPECT_EQ(TempDir::Read(path), Write(Sample{}, 5));
}

TEST_F(LangFileTest, CompressedHeaderLongerThanThePrefixIsStillRead) {
  Sample s;
  s.NativeName.clear();
  // Text that does not compress well, so the header ends far beyond the
  // first 2048 compressed bytes.
  std::uint32_t x = 12345;
  for (int i = 0; i < 3000; ++i) {
    x = x * 1103515245u + 12345u;
    s.NativeName.push_back(static_cast<char16_t>(0x4E00 + (x >> 16) % 2000));
  }
  const std::string path = dir.Write("h.lng", Compress(Write(s, 7)));
  TLangFile file(path, false);
  EXPECT_TRUE(file.Compressed);
  EXPECT_EQ(file.NativeName, s.NativeName);
  TLocStorage storage;
  file.LoadStorage(&storage, -1, 0);
  EXPECT_EQ(storage.LastExtItemId, 20);
}

TEST_F(LangFileTest, Version5KeepsVersion5AndLosesItsExternalGroups) {
  const std::string path = dir.Write("v5.lng", Write(Sample{}, 5));
  TLangFile file(path, false);
  TLocStorage storage;
  file.LoadStorage(&storage, -1, 0);
  storage.ExtGroups->FindOrAdd("G")->FindOrAddExtItem(1, "I", vkString);
  file.SaveStorage(&storage, 0, false);
  EXPECT_EQ(TempDir::Read(path), Write(Sample{}, 5));
}

// The bytes read for the header serve the pass's load, but only while the
// file is what was read: a file replaced in between is loaded as it is now.
TEST_F(LangFileTest, LoadUsesTheFileAsItIsWhenItChangedAfterTheHeaderWasRead) {
  TLocStorage first;
  AddConstant(first, 1, "SOld", u"old");
  TLocStorage second;
  AddConstant(second, 1, "SNew", u"new text");
  const std::string path = dir.Path("changing.lng");
  TLangFile(path, false).SaveStorage(&first, 0, false);

  TLangFile unchanged(path, false);
  TLocStorage loaded;
  unchanged.LoadStorage(&loaded, -1, 0);
  ASSERT_NE(loaded.FindConstant("Unit1", "SOld"), nullptr);

  TLangFile stale(path, false);
  TLangFile(path, false).SaveStorage(&second, 0, false);
  TLocStorage reloaded;
  stale.LoadStorage(&reloaded, -1, 0);
  EXPECT_EQ(reloaded.FindConstant("Unit1", "SOld"), nullptr);
  ASSERT_NE(reloaded.FindConstant("Unit1", "SNew"), nullptr);
  EXPECT_EQ(reloaded.FindConstant("Unit1", "SNew")->NativeValue()->Text, u"new text");
  // A second load of the same object reads the file again.
  TLocStorage again;
  stale.LoadStorage(&again, -1, 0);
  EXPECT_NE(again.FindConstant("Unit1", "SNew"), nullptr);
}

TEST_F(LangFileTest, NewFileIsVersion7AndPlain) {
  const std::string path = dir.Path("new.lng");
  TLangFile file(path, false);
  EXPECT_EQ(file.Version, 7);
  EXPECT_FALSE(file.Compressed);
  TLocStorage storage;
  file.SaveStorage(&storage, 0, false);
  Sample empty;
  empty = Sample{0, 0, 0, 0, "", u"", 0, 0, 0, 0, 0, {}, {}, {}};
  EXPECT_EQ(TempDir::Read(path), Write(empty, 7));
}

TEST_F(LangFileTest, OnlyFloatIntegerAndStringPropertiesAreWritten) {
  TLocStorage storage;
  TLocForm* form = storage.Forms->FindOrAdd("Form1");
  form->FindOrAddProperty(1, "", vkList, "Items");
  form->FindOrAddProperty(2, "Panel", vkBinary, "Picture");
  form->FindOrAddProperty(3, "Panel", vkIdent, "Align");
  TLangFile file(dir.Path("k.lng"), false);
  const std::string image = file.BuildImage(&storage, 0, false);
  Sample expected{0, 0, 0, 0, "", u"", 0, 0, 0, 0, 0, {}, {}, {}};
  expected.LastPropertyId = 3;  // the storage's counter, which numbered the three
  expected.Forms = {{"Form1", 0, {}, {{"Panel", 0, {}}}}};
  EXPECT_EQ(image, Write(expected, 7));
}

TEST_F(LangFileTest, SavedStatusTakesItemBitsFromNativeValueAndRevisionOnRequest) {
  TLocStorage storage;
  AddConstant(storage, 1, "C", u"native", 9);
  storage.AddLanguage(0, 0x0407);
  TLocConstant* c = storage.FindConstant("Unit1", "C");
  c->NativeValue()->StateFlags = 0x0231;
  c->Values(1)->StateFlags = 0x01FF;
  c->Values(1)->SetText(u"nativ");
  c->Values(1)->SetRevision(4);
  TLangFile file(dir.Path("s.lng"), false);
  Sample s{0, 0, 0, 0, "", u"", 0, 0, 0, 0, 0, {}, {}, {}};
  s.LastConstantId = 1;  // the storage's counters, in a translation file too
  s.Units = {{"Unit1", 0, {{"C", 0x0131, 0, 1, vkString, u"nativ", 0, 0, 4, 0}}}};
  EXPECT_EQ(file.BuildImage(&storage, 1, false), Write(s, 7));
  s.Units[0].Entries[0].Revision = 9;
  EXPECT_EQ(file.BuildImage(&storage, 1, true), Write(s, 7));
}

// ---- Native and column loads ----------------------------------------------------

TEST_F(LangFileTest, NativeLoadNumbersUnnumberedItemsAndReplacesUnsetRevisions) {
  Sample s;
  s.LastConstantId = 7;
  s.Units = {{"U", 0, {{"A", 0, 0, 0, vkString, u"a", 0, 0, -1, 0}, {"B", 0, 0, 3, vkString, u"b", 0, 0, 2, 0}}}};
  s.Forms = {{"F", 0, {{"P", 0, 0, 0, vkString, u"p", 0, 0, 1, 0}}, {}}};
  s.Groups = {{"G", 0, {{"X", 0, 0, 0, vkString, u"x", 0, 0, -1, 0}}}};
  const std::string path = dir.Write("n.lng", Write(s, 7));
  TLangFile file(path, false);
  TLocStorage storage;
  file.LoadStorage(&storage, -1, 0);
  EXPECT_EQ(storage.FindConstant("U", "A")->ItemId, 8);
  EXPECT_EQ(storage.LastConstantId, 8);
  EXPECT_EQ(storage.FindConstant("U", "A")->NativeValue()->Revision, 5);  // -1 becomes the file's revision
  EXPECT_EQ(storage.Forms->Items(0)->FindProperty("", "P")->ItemId, 14);
  EXPECT_EQ(storage.LastPropertyId, 14);
  EXPECT_EQ(storage.FindExtItem("G", "X")->ItemId, 21);
  EXPECT_EQ(storage.FindExtItem("G", "X")->NativeValue()->Revision, -1);
}

TEST_F(LangFileTest, LastIdsRiseToLargestIdReadComparedUnsigned) {
  Sample s;
  s.LastConstantId = 1;
  s.Units = {{"U", 0, {{"A", 0, 0, 40, vkString, u"a", 0, 0, 1, 0}}}};
  const std::string path = dir.Write("m.lng", Write(s, 7));
  TLangFile file(path, false);
  TLocStorage storage;
  file.LoadStorage(&storage, -1, 0);
  EXPECT_EQ(storage.LastConstantId, 40);
}

TEST_F(LangFileTest, RenumberFlagGivesClashingIdsNewNumbers) {
  Sample s;
  s.LastConstantId = 5;
  s.Units = {{"U", 0, {{"A", 0, 0, 2, vkString, u"a", 0, 0, 1, 0}, {"B", 0, 0, 2, vkString, u"b", 0, 0, 1, 0}}}};
  const std::string path = dir.Write("r.lng", Write(s, 7));
  {
    TLangFile file(path, false);
    TLocStorage storage;
    file.LoadStorage(&storage, -1, lfRenumber);
    EXPECT_EQ(storage.FindConstant("U", "A")->ItemId, 2);
    EXPECT_EQ(storage.FindConstant("U", "B")->ItemId, 6);
  }
  {
    TLangFile file(path, false);
    TLocStorage storage;
    file.LoadStorage(&storage, -1, 0);
    EXPECT_EQ(storage.FindConstant("U", "B")->ItemId, 2);
  }
}

class LangFileColumnTest : public LangFileTest {
 protected:
  void SetUp() override {
    TLangFile native(dir.Write("lib.ENU.lng", Write(MakeSample(), 7)), false);
    native.LoadStorage(&storage, -1, 0);
    column = storage.AddLanguage(0, 0x0407);
  }
  TLocStorage storage;
  int column = 0;
};

TEST_F(LangFileColumnTest, DropsEntriesWithoutItemAndReadsTheNextOnesCorrectly) {
  Sample t;
  t.LangId = 0x0407;
  t.IsNative = 0;
  t.Units = {{"Main",
              0,
              {{"SError", 0x0100, 0, 1, vkString, u"Fehler", 0, 0, 5, 7},
               {"Gone", 0, 0, 99, vkString, u"weg", 0, 0, 5, 0},
               {"SOk", 0x0100, 0, 2, vkString, u"Gut", 0, 0, 2, 0}}}};
  t.Forms = {{"Form1",
              0,
              {},
              {{"Button1",
                0,
                {{"Width", 0, 0, 12, vkString, u"wrong kind", 0, 0, 5, 0},
                 {"Caption", 0, 0, 11, vkString, u"&Gut", 0, 0, 5, 0}}}}}};
  t.Groups = {{"Other", 0, {{"Memo1.Text", 0, 0, 20, vkString, u"Hallo", 0, 0, -1, 0}}}};
  TLangFile file(dir.Write("lib.DEU.lng", Write(t, 7)), false);
  file.LoadStorage(&storage, column, 0);

  const TLocConstant* error = storage.FindConstant("Main", "SError");
  EXPECT_EQ(error->Values(column)->Text, u"Fehler");
  EXPECT_EQ(error->Values(column)->Stamp, 7u);
  EXPECT_EQ(error->Values(column)->LangId, 0x0407);
  EXPECT_EQ(error->NativeValue()->Text, u"Error");
  // Revision 5 is not older than the native revision 3: the bit stays.
  EXPECT_TRUE(error->Values(column)->HasState(lsTranslated));
  // Revision 2 is older than the native revision 4: the bit is cleared.
  const TLocConstant* ok = storage.FindConstant("Main", "SOk");
  EXPECT_EQ(ok->Values(column)->Text, u"Gut");
  EXPECT_FALSE(ok->Values(column)->HasState(lsTranslated));
  TLocForm* form = storage.Forms->Items(0);
  EXPECT_EQ(form->FindProperty("Button1", "Width")->Values(column)->Text, u"75");  // kind differs: dropped
  EXPECT_EQ(form->FindProperty("Button1", "Caption")->Values(column)->Text, u"&Gut");
  // External entries are matched by number; their revision -1 stays.
  const TLocExtItem* memo = storage.FindExtItem("FRFORM:Form1:frxReport1", "Memo1.Text");
  EXPECT_EQ(memo->Values(column)->Text, u"Hallo");
  EXPECT_EQ(memo->Values(column)->Revision, -1);
  EXPECT_EQ(storage.LastConstantId, 99);
}

TEST_F(LangFileColumnTest, FindByNameFlagMatchesByPathWithoutRegardToCase) {
  Sample t;
  t.Units = {{"MAIN", 0, {{"serror", 0, 0, 500, vkString, u"Fehler", 0, 0, 5, 0}}}};
  t.Forms = {{"form1", 0, {{"caption", 0, 0, 501, vkString, u"Hauptfenster", 0, 0, 5, 0}}, {}}};
  t.Groups = {{"frform:form1:frxreport1", 0, {{"MEMO1.TEXT", 0, 0, 502, vkString, u"Hallo", 0, 0, 5, 0}}}};
  TLangFile file(dir.Write("lib.DEU.lng", Write(t, 7)), false);
  file.LoadStorage(&storage, column, lfFindByName);
  EXPECT_EQ(storage.FindConstant("Main", "SError")->Values(column)->Text, u"Fehler");
  EXPECT_EQ(storage.Forms->Items(0)->FindProperty("", "Caption")->Values(column)->Text, u"Hauptfenster");
  EXPECT_EQ(storage.FindExtItem("FRFORM:Form1:frxReport1", "Memo1.Text")->Values(column)->Text, u"Hallo");
}

TEST_F(LangFileColumnTest, ArgumentChecksComeBeforeAnyEffect) {
  TLangFile file(dir.Path("lib.DEU.lng"), false);
  EXPECT_THROW_MSG(file.LoadStorage(nullptr, 0, 0), ELangFileError, "Invalid LocStorage");
  EXPECT_THROW_MSG(file.SaveStorage(nullptr, 0, false), ELangFileError, "Invalid LocStorage");
  EXPECT_THROW_MSG(file.LoadStorage(&storage, 2, 0), ELangFileError, "Invalid index");
  EXPECT_THROW_MSG(file.SaveStorage(&storage, 2, false), ELangFileError, "Invalid index");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("lib.DEU.lng")));
}

// ---- Locking, read-only files and failed saves ----------------------------------

TEST_F(LangFileTest, FileHeldForWritingElsewhereOpensReadOnlyAndRefusesToSave) {
  const std::string path = dir.Write("ro.lng", Write(Sample{}, 7));
  platform::NativeFile other;
  ASSERT_TRUE(other.Open(path, false, platform::FileAccess::ReadWrite, platform::FileShare::DenyNone));
  TLangFile file(path, false);
  EXPECT_TRUE(file.ReadOnly);
  TLocStorage storage;
  EXPECT_THROW_MSG(file.SaveStorage(&storage, 0, false), ELangFileError,
                   Format("File \"%s\" was opened as read-only", path));
  EXPECT_THROW_MSG(file.Lock(), ELangFileError, "Can not open language file exclusively");
}

TEST_F(LangFileTest, LockIsReleasedForTheSaveAndTakenAgain) {
  const std::string path = dir.Write("l.lng", Write(Sample{}, 7));
  TLangFile file(path, false);
  file.Lock();
  EXPECT_TRUE(file.IsLocked());
  // While locked, another writer is kept out.
  EXPECT_TRUE(TLangFile(path, false).ReadOnly);
  TLocStorage storage;
  AddConstant(storage, 1, "C", u"text");
  file.SaveStorage(&storage, 0, false);
  EXPECT_TRUE(file.IsLocked());
  EXPECT_TRUE(TLangFile(path, false).ReadOnly);
  file.Unlock();
  EXPECT_FALSE(file.IsLocked());
  EXPECT_FALSE(TLangFile(path, false).ReadOnly);
  TLocStorage reloaded;
  TLangFile(path, false).LoadStorage(&reloaded, -1, 0);
  EXPECT_EQ(reloaded.FindConstant("Unit1", "C")->NativeValue()->Text, u"text");
}

TEST_F(LangFileTest, SaveDoesNotReplaceAFileAnotherProcessHolds) {
  const std::string path = dir.Write("h.lng", Write(Sample{}, 7));
  TLangFile file(path, false);
  TLangFile holder(path, false);
  holder.Lock();
  TLocStorage storage;
  AddConstant(storage, 1, "C", u"text");
  EXPECT_THROW(file.SaveStorage(&storage, 0, false), EFCreateError);
  EXPECT_EQ(TempDir::Read(path), Write(Sample{}, 7));
}

// The file write fails after a few bytes (the file-size limit of the
// process): the old file must stay as it was, and no temporary file remains.
#ifdef _WIN32
TEST_F(LangFileTest, FailedWriteLeavesThePreviousFileIntact) {
  SKIP_ON_WINDOWS("needs the file-size limit of a POSIX process to make a write fail");
}
#else
TEST_F(LangFileTest, FailedWriteLeavesThePreviousFileIntact) {
  Sample old = MakeSample();
  const std::string oldBytes = Write(old, 7);
  const std::string path = dir.Write("f.lng", oldBytes);
  TLangFile file(path, false);
  file.Lock();
  TLocStorage storage;
  for (int i = 0; i < 200; ++i) AddConstant(storage, i + 1, "C" + std::to_string(i), u"some longer text");

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = saved;
  limited.rlim_cur = 100;  // the write fails once 100 bytes are in the file
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool failed = false;
  try {
    file.SaveStorage(&storage, 0, false);
  } catch (const Exception&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_TRUE(failed);
  EXPECT_EQ(TempDir::Read(path), oldBytes);
  EXPECT_TRUE(file.IsLocked());
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Root())) ++entries;
  EXPECT_EQ(entries, 1);
}
#endif

}  // namespace
}  // namespace sw
