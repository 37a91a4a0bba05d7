// The items view's logic over a small library written here: filters, order,
// status, problems, saving an edited translation (through the import, with
// the memory updated) and the ignore list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "window/ItemsViewLogic.h"
#include "app/LibrarySettings.h"
#include "base/Unicode.h"
#include "memory/TranslationMemory.h"
#include "support/TestSupport.h"
#include "support/TwoLanguageLibrary.h"

namespace sw {
namespace {

constexpr LANGID kEnglish = testing::kLibraryEnglish;
constexpr LANGID kGerman = testing::kLibraryGerman;
using Item = testing::TLibraryRow;

// Native revision 4, German file revision 5.
const std::vector<Item> kItems = {
    {true, "MainForm", "miOpen", "Caption", u"&Open...", u"\u00D6&ffnen...", 5},
    {true, "MainForm", "btnSave", "Caption", u"&Save", u"Speichern", 5},
    {false, "Consts", "", "SHello", u"Hello world", u"Hallo Welt", 3},
    {false, "Consts", "", "SBye", u"Goodbye", u"", -1},
    {false, "Consts", "", "SFile", u"File %s not found", u"Datei %s nicht gefunden", 5},
    {false, "Consts", "", "SSize", u"Size", u"Gr\u00F6\u00DFe", 5},
};

const std::string kOpen = "form/MainForm/miOpen/Caption";
const std::string kSave = "form/MainForm/btnSave/Caption";
const std::string kHello = "unit/Consts/SHello";
const std::string kBye = "unit/Consts/SBye";
const std::string kFile = "unit/Consts/SFile";
const std::string kSize = "unit/Consts/SSize";

std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ItemsViewLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.DestDir = dir_.Path("out");
    std::filesystem::create_directories(library_.DestDir);
    library_.ShortName = "Demo";
    library_.Languages = {kEnglish, kGerman};
    library_.SettingsFile = dir_.Path("settings.ini");
    library_.LibraryNumber = 1;
    WriteFiles(kItems);
  }

  std::string NativeFile() const { return LangFileNameFor(library_.DestDir, "Demo", kEnglish); }
  std::string GermanFile() const { return LangFileNameFor(library_.DestDir, "Demo", kGerman); }

  void WriteFiles(const std::vector<Item>& items, std::int32_t nativeRevision = 4) {
    testing::WriteTwoLanguageLibrary(library_.DestDir, "Demo", items, nativeRevision);
  }

  std::unique_ptr<TItemsViewLogic> Open(std::unique_ptr<ITranslationSaver> saver = MakeTranslationSaver()) {
    auto logic = std::make_unique<TItemsViewLogic>(library_, std::move(saver));
    logic->Load(kGerman);
    return logic;
  }

  static std::vector<std::string> Places(const TItemsViewLogic& logic) {
    std::vector<std::string> places;
    for (int row = 0; row < logic.RowCount(); ++row) places.push_back(logic.Place(row));
    return places;
  }

  TItemsLibrary library_;
  TempDir dir_;
};

TEST_F(ItemsViewLogicTest, RowsShowStatusTranslationAndProblems) {
  auto logic = Open();
  ASSERT_EQ(Places(*logic), (std::vector<std::string>{kBye, kFile, kHello, kSize, kSave, kOpen}));
  struct Case {
    std::string Place;
    TUnitStatus Status;
    std::u16string Translation;
    std::string Problems;
  };
  const Case cases[] = {
      {kHello, TUnitStatus::OutOfDate, u"Hallo Welt", ""},
      {kBye, TUnitStatus::Untranslated, u"", ""},  // the stored native copy is no translation
      {kOpen, TUnitStatus::UpToDate, u"\u00D6&ffnen...", ""},
      {kSave, TUnitStatus::UpToDate, u"Speichern", "error [accelerator]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Place);
    const int row = logic->RowOfPlace(c.Place);
    ASSERT_GE(row, 0);
    EXPECT_EQ(logic->Status(row), c.Status);
    EXPECT_EQ(logic->Translation(row), c.Translation);
    EXPECT_EQ(logic->ProblemsText(row), c.Problems);
  }
  EXPECT_EQ(logic->Path(logic->RowOfPlace(kSave)), "MainForm.btnSave.Caption");
}

TEST_F(ItemsViewLogicTest, FiltersCombine) {
  struct Case {
    TStatusFilter Status;
    std::string Problem;
    std::string Text;
    std::vector<std::string> Places;
  };
  const Case cases[] = {
      {TStatusFilter::Open, "", "", {kBye, kHello}},
      {TStatusFilter::OutOfDate, "", "", {kHello}},
      {TStatusFilter::Untranslated, "", "", {kBye}},
      {TStatusFilter::UpToDate, "", "", {kFile, kSize, kSave, kOpen}},
      {TStatusFilter::All, "accelerator", "", {kSave}},
      {TStatusFilter::All, "format", "", {}},
      {TStatusFilter::All, TItemsViewLogic::kAnyProblem, "", {kSave}},
      {TStatusFilter::All, TItemsViewLogic::kNoProblem, "", {kBye, kFile, kHello, kSize, kOpen}},
      // Text: native or translation, case ignored, beyond ASCII too.
      {TStatusFilter::All, "", "HALLO", {kHello}},
      {TStatusFilter::All, "", "goodbye", {kBye}},
      {TStatusFilter::All, "", "GR\xC3\x96", {kSize}},
      {TStatusFilter::All, "", "%s", {kFile}},
      {TStatusFilter::All, "", "nothing like it", {}},
      {TStatusFilter::UpToDate, "", "hallo", {}},
      {TStatusFilter::Open, TItemsViewLogic::kAnyProblem, "", {}},
  };
  auto logic = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Problem + "|" + c.Text + "|" + std::to_string(static_cast<int>(c.Status)));
    logic->SetStatusFilter(c.Status);
    logic->SetProblemFilter(c.Problem);
    logic->SetTextFilter(c.Text);
    EXPECT_EQ(Places(*logic), c.Places);
    EXPECT_EQ(logic->CountText(), std::to_string(c.Places.size()) + " of 6 items");
  }
}

TEST_F(ItemsViewLogicTest, TheCountGroupsThousandsAndOneItemIsOne) {
  std::vector<Item> many;
  for (int i = 0; i < 1234; ++i) {
    const std::u16string n = Utf8ToUtf16(std::to_string(i));
    many.push_back({false, "Consts", "", "S" + std::to_string(i), u"Text " + n, u"Text " + n, 5});
  }
  WriteFiles(many);
  auto logic = Open();
  EXPECT_EQ(logic->CountText(), "1,234 of 1,234 items");
  logic->SetTextFilter("Text 1233");
  EXPECT_EQ(logic->CountText(), "1 of 1,234 items");
  WriteFiles({kItems[0]});
  logic = Open();
  EXPECT_EQ(logic->CountText(), "1 of 1 item");
}

TEST_F(ItemsViewLogicTest, SortsByEachColumnKeepingTheFilter) {
  struct Case {
    TItemsColumn Column;
    bool Descending;
    std::vector<std::string> Places;
  };
  const Case cases[] = {
      {TItemsColumn::Path, false, {kBye, kFile, kHello, kSize, kSave, kOpen}},
      {TItemsColumn::Path, true, {kOpen, kSave, kSize, kHello, kFile, kBye}},
      {TItemsColumn::Native, false, {kOpen, kSave, kFile, kBye, kHello, kSize}},
      // Untranslated rows sort as empty.
      {TItemsColumn::Translation, false, {kBye, kFile, kSize, kHello, kSave, kOpen}},
      // Open work first; equal keys in storage order either way.
      {TItemsColumn::Status, false, {kHello, kBye, kFile, kSize, kSave, kOpen}},
      {TItemsColumn::Status, true, {kFile, kSize, kSave, kOpen, kBye, kHello}},
      {TItemsColumn::Problems, true, {kSave, kBye, kFile, kHello, kSize, kOpen}},
  };
  auto logic = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.Column)) + (c.Descending ? " descending" : ""));
    logic->Sort(c.Column, c.Descending);
    EXPECT_EQ(Places(*logic), c.Places);
  }
  logic->SetStatusFilter(TStatusFilter::Open);
  logic->Sort(TItemsColumn::Native, false);
  EXPECT_EQ(Places(*logic), (std::vector<std::string>{kBye, kHello}));
}

TEST_F(ItemsViewLogicTest, AnEditIsSavedUpToDateAndTheChecksRunAgain) {
  auto logic = Open();
  if (!logic->Editable()) GTEST_SKIP() << "this build has no exchange layer: the view is read-only";
  const int save = logic->RowOfPlace(kSave);
  ASSERT_EQ(logic->ProblemsText(save), "error [accelerator]");
  logic->AcceptTranslation(save, u"&Speichern");
  EXPECT_EQ(logic->ProblemsText(save), "");
  const int hello = logic->RowOfPlace(kHello);
  logic->AcceptTranslation(hello, u"Hallo, Welt!\n");
  EXPECT_EQ(logic->Status(hello), TUnitStatus::UpToDate);
  EXPECT_EQ(logic->ProblemsText(hello), "warning [line-breaks], warning [end-punctuation]");

  // What a fresh view reads from the file.
  auto reread = Open();
  EXPECT_EQ(reread->Translation(reread->RowOfPlace(kSave)), u"&Speichern");
  EXPECT_EQ(reread->Status(reread->RowOfPlace(kHello)), TUnitStatus::UpToDate);
  EXPECT_EQ(reread->Translation(reread->RowOfPlace(kHello)), u"Hallo, Welt!\n");
  EXPECT_EQ(reread->Status(reread->RowOfPlace(kBye)), TUnitStatus::Untranslated);
  // Replaced through a temporary file: nothing else is left in the folder.
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(library_.DestDir))
    files.insert(entry.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"Demo.ENU.lng", "Demo.DEU.lng"}));
}

TEST_F(ItemsViewLogicTest, AnEditThatCannotBeSavedChangesNothing) {
  auto logic = Open();
  if (!logic->Editable()) GTEST_SKIP() << "this build has no exchange layer: the view is read-only";
  struct Case {
    std::string Name;
    std::function<void()> Before;
    std::u16string Text;
  };
  const Case cases[] = {
      // The native text changed on disk since the view read it: the edit is stale.
      {"stale", [&] {
         std::vector<Item> items = kItems;
         items[2].Native = u"Hello, world";
         WriteFiles(items, 6);
       }, u"Hallo"},
      {"empty", [] {}, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    logic = Open();
    c.Before();
    const std::string before = ReadAll(GermanFile());
    const int row = logic->RowOfPlace(kHello);
    EXPECT_THROW(logic->AcceptTranslation(row, c.Text), Exception);
    EXPECT_EQ(ReadAll(GermanFile()), before);
    EXPECT_EQ(logic->Status(row), TUnitStatus::OutOfDate);
    EXPECT_EQ(logic->Translation(row), u"Hallo Welt");
  }
  auto readOnly = Open(nullptr);
  EXPECT_FALSE(readOnly->Editable());
  EXPECT_THROW(readOnly->AcceptTranslation(0, u"x"), Exception);
}

TEST_F(ItemsViewLogicTest, MemoryGivesThePreviousNativeTextAndLearnsTheEdit) {
  library_.MemoryFile = dir_.Path("out/Demo.memory.sqlite");
  try {
    TTranslationMemory memory(library_.MemoryFile);
    memory.Begin();
    memory.AddPreviousText(kHello, u"Hello big world", 4);
    memory.Commit();
  } catch (const EMemoryError&) {
    GTEST_SKIP() << "this build keeps no translation memory";
  }
  auto logic = Open();
  const int hello = logic->RowOfPlace(kHello);
  EXPECT_EQ(logic->PreviousNative(hello), std::optional<std::u16string>(u"Hello big world"));
  EXPECT_EQ(logic->PreviousNative(logic->RowOfPlace(kFile)), std::nullopt);  // up to date
  std::u16string deleted;
  for (const TDiffSegment& segment : logic->NativeDiff(hello))
    if (segment.Kind == TDiffSegment::TKind::Deleted) deleted += segment.Text;
  EXPECT_NE(deleted.find(u"big"), std::u16string::npos);

  if (!logic->Editable()) return;
  logic->AcceptTranslation(hello, u"Hallo Welt!");
  TTranslationMemory memory(library_.MemoryFile);
  EXPECT_EQ(memory.ExactTranslation(kEnglish, u"Hello world", kGerman),
            std::optional<std::u16string>(u"Hallo Welt!"));
}

TEST_F(ItemsViewLogicTest, IgnoringAProblemKeepsItListedAsIgnored) {
  auto logic = Open();
  const int save = logic->RowOfPlace(kSave);
  logic->IgnoreProblem(save, 0);
  logic->IgnoreProblem(save, 0);  // once on the list
  EXPECT_EQ(logic->ProblemsText(save), "error [accelerator] (ignored)");
  EXPECT_EQ(TLibrarySettings(library_.SettingsFile).LoadIgnoredChecks(1),
            (std::vector<std::string>{"DEU accelerator " + kSave}));
  logic->SetProblemFilter(TItemsViewLogic::kAnyProblem);
  EXPECT_EQ(logic->RowCount(), 0);
  logic->SetProblemFilter("accelerator");
  EXPECT_EQ(Places(*logic), std::vector<std::string>{kSave});

  auto reread = Open();
  EXPECT_EQ(reread->ProblemsText(reread->RowOfPlace(kSave)), "error [accelerator] (ignored)");

  library_.LibraryNumber = 0;  // a library not stored in the settings file
  auto unstored = Open();
  EXPECT_FALSE(unstored->CanIgnore());
  EXPECT_THROW(unstored->IgnoreProblem(unstored->RowOfPlace(kSave), 0), Exception);
}

TEST_F(ItemsViewLogicTest, NextOpenRowSkipsUpToDateRowsAndWraps) {
  auto logic = Open();
  logic->Sort(TItemsColumn::Path, true);  // kOpen kSave kSize kHello kFile kBye
  struct Case {
    int From;
    int Next;
  };
  for (const Case& c : {Case{-1, 3}, Case{0, 3}, Case{3, 5}, Case{5, 3}}) {
    SCOPED_TRACE(c.From);
    EXPECT_EQ(logic->NextOpenRow(c.From), c.Next);
  }
  logic->SetStatusFilter(TStatusFilter::UpToDate);
  EXPECT_EQ(logic->NextOpenRow(0), -1);
}

TEST(WordDiffTest, KeepsBothTextsAndMarksTheChangedWords) {
  struct Case {
    std::u16string Before;
    std::u16string After;
    std::u16string Deleted;  // the changed words, blanks left out
    std::u16string Added;
  };
  const Case cases[] = {
      {u"Open the file", u"Open a file", u"the", u"a"},
      {u"Save", u"Save all files", u"", u"allfiles"},
      {u"Cannot open %s now", u"Cannot open %s", u"now", u""},
      {u"same text", u"same text", u"", u""},
      {u"", u"new", u"", u"new"},
      // Signs are tokens of their own: the word beside them stays.
      {u"&Open...", u"&Open a file...", u"", u"afile"},
      {u"Save (%d)", u"Save [%d]", u"()", u"[]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.Before) + " -> " + Utf16ToUtf8(c.After));
    std::u16string before, after, deleted, added;
    for (const TDiffSegment& segment : WordDiff(c.Before, c.After)) {
      if (segment.Kind != TDiffSegment::TKind::Added) before += segment.Text;
      if (segment.Kind != TDiffSegment::TKind::Deleted) after += segment.Text;
      std::u16string& changed = segment.Kind == TDiffSegment::TKind::Deleted ? deleted : added;
      if (segment.Kind != TDiffSegment::TKind::Same)
        for (char16_t ch : segment.Text)
          if (ch != u' ') changed += ch;
    }
    EXPECT_EQ(before, c.Before);
    EXPECT_EQ(after, c.After);
    if (WordDiffAvailable()) {
      EXPECT_EQ(deleted, c.Deleted);
      EXPECT_EQ(added, c.Added);
    }
  }
}

TEST(WordDiffTest, FoldsLettersOfSeveralScripts) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"ABC xyz", u"abc xyz"},
      {u"\u00C4\u00D6\u00DC\u00DF", u"\u00E4\u00F6\u00FC\u00DF"},
      {u"\u0414\u041E\u041C \u0401", u"\u0434\u043E\u043C \u0451"},
      {u"\u0391\u03A9", u"\u03B1\u03C9"},
      {u"\u0141\u00F3d\u017A", u"\u0142\u00F3d\u017A"},
      {u"\u0178", u"\u00FF"},
  };
  for (const auto& [text, folded] : cases) EXPECT_EQ(FoldCase(text), folded) << Utf16ToUtf8(text);
  EXPECT_TRUE(ContainsFolded(u"Datei \u00D6FFNEN", FoldCase(u"\u00F6ffnen")));
  EXPECT_FALSE(ContainsFolded(u"Da", u"dat"));
}

}  // namespace
}  // namespace sw
