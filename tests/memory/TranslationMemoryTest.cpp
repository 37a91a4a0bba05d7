// The memory file: what it keeps and finds, similar texts with their
// percentages, what opening does with a missing, damaged or newer file, and a
// write transaction that is given up or held by another connection.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>

#include "base/Unicode.h"
#include "memory/TranslationMemory.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;
constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;

class TranslationMemoryTest : public ::testing::Test {
 protected:
  std::string File() const { return dir.Path("lib.memory.sqlite"); }
  static TMemoryUnit Unit(std::u16string native, std::u16string text, LANGID lang = kGerman) {
    TMemoryUnit unit;
    unit.NativeLang = kEnglish;
    unit.NativeText = std::move(native);
    unit.Lang = lang;
    unit.Text = std::move(text);
    unit.Place = "form/Main/btn/Caption";
    return unit;
  }
  // Names of the files in the folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Root())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir dir;
};

TEST_F(TranslationMemoryTest, KeepsWhatACommittedTransactionWrote) {
  {
    TTranslationMemory memory(File());
    EXPECT_TRUE(memory.StartedEmpty());
    memory.Begin();
    memory.SetFolderText("unit/Strings/SHello", kGerman, u"Hallo");
    memory.SetFolderText("unit/Strings/SHello", kGerman, u"Hallo!");
    memory.SetFolderText("unit/Strings/SHello", kFrench, u"Bonjour");
    memory.AddPreviousText("unit/Strings/SHello", u"Hi", 3);
    memory.AddPreviousText("unit/Strings/SHello", u"Hello there", 5);
    memory.RecordUnit(Unit(u"Open file", u"Datei öffnen"));
    memory.RecordUnit(Unit(u"Open file", u"Open file"));  // a copy is no translation
    memory.RecordUnit(Unit(u"Save", u""));
    memory.SetSeenRevision(kGerman, 7);
    memory.Commit();
  }
  TTranslationMemory memory(File());
  EXPECT_FALSE(memory.StartedEmpty());
  EXPECT_TRUE(memory.Notes().empty());
  EXPECT_EQ(memory.FolderTexts(kGerman).at("unit/Strings/SHello"), u"Hallo!");
  EXPECT_EQ(memory.FolderTexts(kFrench).at("unit/Strings/SHello"), u"Bonjour");
  const auto previous = memory.PreviousTexts("unit/Strings/SHello");
  ASSERT_EQ(previous.size(), 2u);
  EXPECT_EQ(previous[1].Text, u"Hello there");
  EXPECT_EQ(previous[1].ReplacedAt, 5);
  EXPECT_EQ(memory.LatestPreviousTexts().at("unit/Strings/SHello").Text, u"Hello there");
  EXPECT_EQ(memory.UnitCount(), 1);
  EXPECT_EQ(memory.ExactTranslation(kEnglish, u"Open file", kGerman), u"Datei öffnen");
  EXPECT_FALSE(memory.ExactTranslation(kEnglish, u"Open file", kFrench));
  EXPECT_FALSE(memory.ExactTranslation(kEnglish, u"Open files", kGerman));
  EXPECT_EQ(memory.SeenRevision(kGerman), 7);
  EXPECT_FALSE(memory.SeenRevision(kFrench));
  EXPECT_EQ(memory.IntegrityCheck(), "ok");
}

TEST_F(TranslationMemoryTest, TheLatestTranslationOfATextWins) {
  TTranslationMemory memory(File());
  memory.Begin();
  auto older = Unit(u"Close", u"Schließen");
  older.LastSeen = 1000;
  auto newer = Unit(u"Close", u"Zumachen");
  newer.LastSeen = 2000;
  memory.RecordUnit(newer);
  memory.RecordUnit(older);
  memory.Commit();
  EXPECT_EQ(memory.ExactTranslation(kEnglish, u"Close", kGerman), u"Zumachen");
  EXPECT_EQ(memory.UnitCount(), 2);
}

TEST_F(TranslationMemoryTest, ARolledBackTransactionLeavesNothing) {
  {
    TTranslationMemory memory(File());
    memory.Begin();
    memory.RecordUnit(Unit(u"Kept", u"Behalten"));
    memory.Commit();
    memory.Begin();
    memory.RecordUnit(Unit(u"Lost", u"Verloren"));
    memory.BeginStep();
    memory.SetFolderText("a", kGerman, u"x");
    memory.EndStep(false);
    memory.SetFolderText("b", kGerman, u"y");
    // Destroyed inside the transaction, as a run that fails.
  }
  TTranslationMemory memory(File());
  EXPECT_EQ(memory.UnitCount(), 1);
  EXPECT_TRUE(memory.FolderTexts(kGerman).empty());
  EXPECT_EQ(memory.IntegrityCheck(), "ok");
}

TEST_F(TranslationMemoryTest, StepsUndoOnlyTheirOwnPart) {
  TTranslationMemory memory(File());
  memory.Begin();
  memory.BeginStep();
  memory.SetFolderText("a", kGerman, u"x");
  memory.EndStep(true);
  memory.BeginStep();
  memory.SetFolderText("b", kGerman, u"y");
  memory.EndStep(false);
  memory.Commit();
  const auto texts = memory.FolderTexts(kGerman);
  EXPECT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts.count("a"), 1u);
}

// A language's folder print lasts while its folder texts do: a change to
// them, a step undone or a transaction given up forgets it.
TEST_F(TranslationMemoryTest, AFolderPrintLastsAsLongAsItsTexts) {
  {
    TTranslationMemory memory(File());
    memory.Begin();
    EXPECT_FALSE(memory.FolderPrint(kGerman));
    memory.SetFolderText("a", kGerman, u"x");
    memory.SetFolderPrint(kGerman, 0xFEDCBA9876543210ull);
    memory.SetFolderText("a", kFrench, u"y");
    memory.SetFolderPrint(kFrench, 7);
    memory.Commit();
  }
  const struct {
    const char* change;
    std::function<void(TTranslationMemory&)> apply;
    std::optional<std::uint64_t> german;
  } cases[] = {
      {"none", [](TTranslationMemory&) {}, 0xFEDCBA9876543210ull},
      {"another language's text", [](TTranslationMemory& m) { m.SetFolderText("b", kFrench, u"z"); },
       0xFEDCBA9876543210ull},
      {"a step undone", [](TTranslationMemory& m) {
         m.BeginStep();
         m.SetFolderPrint(kGerman, 1);
         m.EndStep(false);
       },
       0xFEDCBA9876543210ull},
      {"a new print", [](TTranslationMemory& m) { m.SetFolderPrint(kGerman, 2); }, 2},
      {"a text of the language", [](TTranslationMemory& m) { m.SetFolderText("b", kGerman, u"w"); }, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    {
      TTranslationMemory memory(File());
      memory.Begin();
      c.apply(memory);
      EXPECT_EQ(memory.FolderPrint(kGerman), c.german) << "in the transaction";
      memory.Commit();
    }
    TTranslationMemory memory(File());
    EXPECT_EQ(memory.FolderPrint(kGerman), c.german) << "after it";
    // Back to the first print for the next case; a transaction given up keeps it.
    memory.Begin();
    memory.SetFolderPrint(kGerman, 0xFEDCBA9876543210ull);
    memory.Commit();
    memory.Begin();
    memory.SetFolderPrint(kGerman, 3);
    memory.Rollback();
    EXPECT_EQ(memory.FolderPrint(kGerman), 0xFEDCBA9876543210ull);
  }
  TTranslationMemory memory(File());
  EXPECT_FALSE(memory.FolderPrint(kFrench)) << "a French text changed after it";
}

TEST_F(TranslationMemoryTest, SimilarityInPercent) {
  const struct {
    std::u16string a, b;
    int percent;
  } cases[] = {
      {u"Open file", u"Open file", 100},
      {u"Open file", u"Open files", 90},
      {u"Open file", u"Open fil", 88},
      {u"abcd", u"wxyz", 0},
      {u"", u"", 100},
      {u"", u"abc", 0},
      {u"Größe ändern", u"Größe ändert", 91},
      {u"\u4E00\u4E01\u4E02\u4E03", u"\u4E00\u4E01\u4E02\u4E04", 75},
  };
  for (const auto& c : cases) EXPECT_EQ(SimilarityPercent(c.a, c.b), c.percent) << Utf16ToUtf8(c.a) << " / " << Utf16ToUtf8(c.b);
}

TEST_F(TranslationMemoryTest, SuggestsSimilarTextsFromTheIndexBestFirst) {
  TTranslationMemory memory(File());
  memory.Begin();
  memory.RecordUnit(Unit(u"Open the file", u"Die Datei öffnen"));
  memory.RecordUnit(Unit(u"Open the files", u"Die Dateien öffnen"));
  memory.RecordUnit(Unit(u"Close the window", u"Das Fenster schließen"));
  memory.RecordUnit(Unit(u"Open the file", u"Ouvrir le fichier", kFrench));
  for (int i = 0; i < 200; ++i) memory.RecordUnit(Unit(u"Unrelated text " + Utf8ToUtf16(std::to_string(i)), u"x"));
  memory.Commit();
  const auto suggestions = memory.Suggestions(kEnglish, u"Open the filesz", kGerman);
  ASSERT_EQ(suggestions.size(), 2u);
  EXPECT_EQ(suggestions[0].NativeText, u"Open the files");
  EXPECT_EQ(suggestions[0].Percent, 93);
  EXPECT_EQ(suggestions[1].Percent, 86);
  EXPECT_EQ(suggestions[1].NativeText, u"Open the file");
  EXPECT_EQ(suggestions[1].Text, u"Die Datei öffnen");
  // An exact match is reuse, not a suggestion; below 75% nothing is offered.
  EXPECT_EQ(memory.Suggestions(kEnglish, u"Open the file", kGerman).size(), 1u);
  EXPECT_TRUE(memory.Suggestions(kEnglish, u"Open it", kGerman).empty());
  EXPECT_TRUE(memory.Suggestions(kEnglish, u"ab", kGerman).empty());
  // Quotes and FTS operators in a text are only text.
  EXPECT_TRUE(memory.Suggestions(kEnglish, u"\"OR\" NOT * (", kGerman).empty());
}

TEST_F(TranslationMemoryTest, ADamagedFileIsSetAsideAndTheMemoryStartsEmpty) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"not a database", std::string("This is not an SQLite file at all, just some text.\n") + std::string(4000, 'x')},
      {"truncated header", std::string("SQLite format 3\0", 16) + std::string(100, '\xFF')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.Root());
    fs::create_directories(dir.Root());
    dir.Write("lib.memory.sqlite", c.bytes);
    TTranslationMemory memory(File());
    EXPECT_TRUE(memory.StartedEmpty());
    ASSERT_EQ(memory.Notes().size(), 1u);
    EXPECT_NE(memory.Notes()[0].find("set aside as " + File() + ".damaged"), std::string::npos) << memory.Notes()[0];
    EXPECT_EQ(TempDir::Read(File() + ".damaged"), c.bytes);
    memory.Begin();
    memory.RecordUnit(Unit(u"Yes", u"Ja"));
    memory.Commit();
    EXPECT_EQ(memory.IntegrityCheck(), "ok");
  }
}

TEST_F(TranslationMemoryTest, ACorruptedPageIsFoundAndSetAside) {
  std::size_t unitsPage = 0;
  {
    TTranslationMemory memory(File());
    memory.Begin();
    for (int i = 0; i < 500; ++i) memory.RecordUnit(Unit(u"Text number " + Utf8ToUtf16(std::to_string(i)), u"Nummer"));
    memory.Commit();
    sqlite3* db = nullptr;
    sqlite3_open(File().c_str(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = 'unit_sets'", -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    unitsPage = static_cast<std::size_t>(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
  std::string bytes = TempDir::Read(File());
  ASSERT_GT(bytes.size(), 100u);
  // The page size, from the file's header (big-endian at offset 16).
  const std::size_t pageSize = static_cast<std::size_t>(static_cast<unsigned char>(bytes[16])) << 8 |
                               static_cast<unsigned char>(bytes[17]);
  ASSERT_GE(bytes.size(), unitsPage * pageSize);
  // The units' page, past its header (a page no table uses would not count).
  for (std::size_t i = (unitsPage - 1) * pageSize + 8; i < unitsPage * pageSize; ++i) bytes[i] = '\x5A';
  dir.Write("lib.memory.sqlite", bytes);
  TTranslationMemory memory(File());
  ASSERT_EQ(memory.Notes().size(), 1u);
  EXPECT_TRUE(fs::exists(File() + ".damaged"));
  EXPECT_EQ(memory.UnitCount(), 0);
}

TEST_F(TranslationMemoryTest, ANewerSchemaIsSetAsideNotChanged) {
  {
    sqlite3* db = nullptr;
    sqlite3_open(File().c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE future(x); PRAGMA user_version=99;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const std::string before = TempDir::Read(File());
  TTranslationMemory memory(File());
  ASSERT_EQ(memory.Notes().size(), 1u);
  EXPECT_NE(memory.Notes()[0].find("newer version"), std::string::npos);
  EXPECT_EQ(TempDir::Read(File() + ".newer"), before);
  // A second one gets a name of its own; nothing is ever overwritten.
  memory.Begin();
  memory.Commit();
}

TEST_F(TranslationMemoryTest, SetAsideNamesNeverOverwrite) {
  dir.Write("lib.memory.sqlite.damaged", "first");
  dir.Write("lib.memory.sqlite", std::string(5000, 'z'));
  TTranslationMemory memory(File());
  EXPECT_EQ(TempDir::Read(File() + ".damaged"), "first");
  EXPECT_EQ(TempDir::Read(File() + ".damaged-2"), std::string(5000, 'z'));
}

TEST_F(TranslationMemoryTest, AnOlderSchemaIsMigratedForward) {
  {
    // Version 0: an empty database (as a program creating it and killed at once leaves it).
    sqlite3* db = nullptr;
    sqlite3_open(File().c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA user_version=0;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  TTranslationMemory memory(File());
  EXPECT_TRUE(memory.Notes().empty());
  memory.Begin();
  memory.RecordUnit(Unit(u"Yes", u"Ja"));
  memory.Commit();
  sqlite3* db = nullptr;
  sqlite3_open(File().c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(stmt, 0), TTranslationMemory::kSchemaVersion);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

// A file of the first schema (a row per unit and per folder text) keeps
// everything it held after migration; a damaged set is an error naming the
// file, never a crash or a silently empty memory.
TEST_F(TranslationMemoryTest, FirstSchemaRowsBecomeSetsAndADamagedSetIsReported) {
  auto exec = [this](const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(File().c_str(), &db);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
  };
  exec(R"sql(
CREATE TABLE sources(id INTEGER PRIMARY KEY, lang INTEGER NOT NULL, text TEXT NOT NULL, UNIQUE(lang, text));
CREATE VIRTUAL TABLE source_trigrams USING fts5(text, content='sources', content_rowid='id', tokenize='trigram', detail='none');
CREATE TABLE units(id INTEGER PRIMARY KEY, source INTEGER NOT NULL, lang INTEGER NOT NULL, text TEXT NOT NULL,
                   origin INTEGER NOT NULL, place TEXT NOT NULL, first_seen INTEGER NOT NULL, last_seen INTEGER NOT NULL,
                   UNIQUE(source, lang, text));
CREATE TABLE folder_texts(place TEXT NOT NULL, lang INTEGER NOT NULL, text TEXT NOT NULL, PRIMARY KEY(place, lang)) WITHOUT ROWID;
CREATE TABLE previous_texts(id INTEGER PRIMARY KEY, place TEXT NOT NULL, text TEXT NOT NULL, replaced_at INTEGER NOT NULL);
CREATE TABLE languages(lang INTEGER PRIMARY KEY, seen_revision INTEGER NOT NULL);
INSERT INTO sources VALUES(1, 1033, 'Open the file'), (2, 1033, 'Close');
INSERT INTO source_trigrams(rowid, text) SELECT id, text FROM sources;
INSERT INTO units VALUES(5, 1, 1031, 'Die Datei öffnen', 0, 'form/Main/Open', 100, 200),
                        (6, 2, 1031, 'Schließen', 1, '', 100, 300), (7, 2, 1031, 'Zu', 0, 'form/Main/Close', 100, 250),
                        (8, 1, 1036, 'Ouvrir le fichier', 0, 'form/Main/Open', 100, 200);
INSERT INTO folder_texts VALUES('form/Main/Open', 1031, 'Datei öffnen'), ('form/Main/Open', 1036, 'Ouvrir');
PRAGMA user_version=1;
)sql");
  {
    TTranslationMemory memory(File());
    EXPECT_TRUE(memory.Notes().empty());
    EXPECT_EQ(memory.UnitCount(), 4);
    EXPECT_EQ(memory.ExactTranslation(kEnglish, u"Close", kGerman), u"Schließen") << "the latest seen";
    EXPECT_EQ(memory.FolderTexts(kGerman).at("form/Main/Open"), u"Datei öffnen");
    EXPECT_EQ(memory.FolderTexts(kFrench).at("form/Main/Open"), u"Ouvrir");
    ASSERT_EQ(memory.Suggestions(kEnglish, u"Open the files", kGerman).size(), 1u);
    std::vector<std::int64_t> order;
    memory.ForEachUnit(std::nullopt, [&](const TMemoryUnit& unit) { order.push_back(unit.LastSeen); });
    EXPECT_EQ(order, (std::vector<std::int64_t>{200, 300, 250, 200})) << "oldest first, across languages";
    // A unit recorded after migration gets an id after the migrated ones.
    memory.Begin();
    memory.RecordUnit(Unit(u"New", u"Neu"));
    memory.Commit();
    std::vector<std::u16string> texts;
    memory.ForEachUnit(kGerman, [&](const TMemoryUnit& unit) { texts.push_back(unit.Text); });
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts.back(), u"Neu");
    EXPECT_EQ(memory.IntegrityCheck(), "ok");
  }
  const struct {
    const char* name;
    const char* sql;
  } damage[] = {
      {"cut short", "UPDATE unit_sets SET units = substr(units, 1, length(units) - 3) WHERE lang = 1031"},
      {"a length past the end", "UPDATE unit_sets SET units = x'01' || zeroblob(5) || x'FFFFFF7F' || zeroblob(4) WHERE lang = 1031"},
      {"a count past the end", "UPDATE unit_sets SET units = x'FFFFFF7F' WHERE lang = 1031"},
      {"a number of more than 64 bits", "UPDATE unit_sets SET units = x'01' || x'FFFFFFFFFFFFFFFFFF7F' || zeroblob(8) WHERE lang = 1031"},
      {"a place sharing more than the one before", "UPDATE unit_sets SET units = x'01' || zeroblob(6) || x'0500' WHERE lang = 1031"},
      {"bytes left over", "UPDATE unit_sets SET units = units || x'00' WHERE lang = 1031"},
  };
  for (const auto& c : damage) {
    SCOPED_TRACE(c.name);
    exec(std::string("BEGIN; CREATE TABLE saved AS SELECT * FROM unit_sets; ") + c.sql + "; COMMIT;");
    {
      TTranslationMemory memory(File());
      try {
        memory.ExactTranslation(kEnglish, u"Close", kGerman);
        ADD_FAILURE() << "no error";
      } catch (const EMemoryError& e) {
        EXPECT_NE(e.Message().find(File()), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("translation units are damaged"), std::string::npos) << e.Message();
      }
      EXPECT_EQ(memory.ExactTranslation(kEnglish, u"Open the file", kFrench), u"Ouvrir le fichier")
          << "other languages still read";
    }
    exec("BEGIN; DELETE FROM unit_sets; INSERT INTO unit_sets SELECT * FROM saved; DROP TABLE saved; COMMIT;");
  }
}

// Version 3's sets (fixed-size numbers, whole places) and its native texts
// (under a unique index) keep everything after migration, and the ids go on
// where they stopped.
TEST_F(TranslationMemoryTest, ThirdSchemaSetsAreRewrittenCompactly) {
  auto fixed = [](std::string& out, std::int64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF);
  };
  auto text = [&](std::string& out, std::string_view t) {
    fixed(out, static_cast<std::int64_t>(t.size()), 4);
    out += t;
  };
  auto hex = [](const std::string& bytes) {
    std::string out = "x'";
    for (unsigned char c : bytes) {
      out += "0123456789ABCDEF"[c >> 4];
      out += "0123456789ABCDEF"[c & 15];
    }
    return out + "'";
  };
  struct TOld {
    std::int64_t id, source, first, last;
    int origin;
    std::string text, place;
  };
  auto units = [&](const std::vector<TOld>& list) {
    std::string out;
    fixed(out, static_cast<std::int64_t>(list.size()), 4);
    for (const TOld& u : list) {
      for (std::int64_t v : {u.id, u.source, u.first, u.last}) fixed(out, v, 8);
      fixed(out, u.origin, 1);
      text(out, u.text);
      text(out, u.place);
    }
    return hex(out);
  };
  std::string folders;
  fixed(folders, 2, 4);
  for (const char* t : {"form/Main/Open", "Datei öffnen", "form/Main/Close", "Schließen"}) text(folders, t);
  const std::string sql = R"sql(
CREATE TABLE sources(id INTEGER PRIMARY KEY, lang INTEGER NOT NULL, text TEXT NOT NULL, UNIQUE(lang, text));
CREATE VIRTUAL TABLE source_trigrams USING fts5(text, content='sources', content_rowid='id', tokenize='trigram', detail='none');
CREATE TABLE previous_texts(id INTEGER PRIMARY KEY, place TEXT NOT NULL, text TEXT NOT NULL, replaced_at INTEGER NOT NULL);
CREATE INDEX previous_by_place ON previous_texts(place);
CREATE TABLE languages(lang INTEGER PRIMARY KEY, seen_revision INTEGER NOT NULL);
CREATE TABLE unit_sets(lang INTEGER PRIMARY KEY, units BLOB NOT NULL);
CREATE TABLE folder_sets(lang INTEGER PRIMARY KEY, texts BLOB NOT NULL);
CREATE TABLE counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE folder_prints(lang INTEGER PRIMARY KEY, print INTEGER NOT NULL);
INSERT INTO sources VALUES(1, 1033, 'Open the file'), (2, 1033, 'Close');
INSERT INTO source_trigrams(rowid, text) SELECT id, text FROM sources;
INSERT INTO counters VALUES('next_unit', 9), ('indexed_source', 2);
INSERT INTO languages VALUES(1031, 4);
INSERT INTO folder_prints VALUES(1031, 12345);
INSERT INTO previous_texts(place, text, replaced_at) VALUES('form/Main/Open', 'Open', 3);
INSERT INTO unit_sets VALUES(1031, )sql" +
                          units({{5, 1, 100, 200, 0, "Die Datei öffnen", "form/Main/Open"},
                                 {6, 2, 100, 300, 1, "Schließen", ""},
                                 {7, 2, 100, 250, 0, "Zu", "form/Main/Close"}}) +
                          "), (1036, " + units({{8, 1, 100, 200, 0, "Ouvrir le fichier", "form/Main/Open"}}) + ");\n" +
                          "INSERT INTO folder_sets VALUES(1031, " + hex(folders) + ");\nPRAGMA user_version=3;";
  {
    sqlite3* db = nullptr;
    sqlite3_open(File().c_str(), &db);
    char* message = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_close(db);
  }
  {
    TTranslationMemory memory(File());
    EXPECT_TRUE(memory.Notes().empty());
    EXPECT_EQ(memory.UnitCount(), 4);
    EXPECT_EQ(memory.ExactTranslation(kEnglish, u"Close", kGerman), u"Schließen") << "the latest seen";
    const auto folderTexts = memory.FolderTexts(kGerman);
    EXPECT_EQ(folderTexts, (std::unordered_map<std::string, std::u16string>{{"form/Main/Open", u"Datei öffnen"},
                                                                            {"form/Main/Close", u"Schließen"}}));
    EXPECT_EQ(memory.FolderPrint(kGerman), 12345u);
    EXPECT_EQ(memory.SeenRevision(kGerman), 4);
    ASSERT_EQ(memory.PreviousTexts("form/Main/Open").size(), 1u);
    ASSERT_EQ(memory.Suggestions(kEnglish, u"Open the files", kGerman).size(), 1u);
    std::vector<std::tuple<std::int64_t, std::int64_t, std::string>> seen;
    memory.ForEachUnit(std::nullopt,
                       [&](const TMemoryUnit& unit) { seen.emplace_back(unit.FirstSeen, unit.LastSeen, unit.Place); });
    EXPECT_EQ(seen, (std::vector<std::tuple<std::int64_t, std::int64_t, std::string>>{
                        {100, 200, "form/Main/Open"}, {100, 300, ""}, {100, 250, "form/Main/Close"}, {100, 200, "form/Main/Open"}}));
    // A known native text is not added again; a new one gets the next id.
    memory.Begin();
    memory.RecordUnit(Unit(u"Close", u"Fermer", kFrench));
    memory.RecordUnit(Unit(u"New", u"Neu"));
    memory.Commit();
    std::vector<std::u16string> texts;
    memory.ForEachUnit(std::nullopt, [&](const TMemoryUnit& unit) { texts.push_back(unit.Text); });
    EXPECT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts.back(), u"Neu") << "ids after the migrated ones";
    EXPECT_EQ(memory.IntegrityCheck(), "ok");
  }
  sqlite3* db = nullptr;
  sqlite3_open(File().c_str(), &db);
  auto count = [&](const char* query) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, query, -1, &stmt, nullptr);
    const int n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return n;
  };
  EXPECT_EQ(count("SELECT count(*) FROM sources"), 3);
  EXPECT_EQ(count("SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'sources'"), 0);
  sqlite3_close(db);
}

// Every number a set's record holds survives it, however large or however
// far from its neighbour's; places that share all, part or none of the one
// before come back whole.
TEST_F(TranslationMemoryTest, SetsKeepExtremeNumbersAndPlaces) {
  struct TCase {
    std::u16string native, text;
    std::string place;
    std::int64_t first, last;
  };
  const TCase cases[] = {
      {u"One", u"Eins", "form/Main/btnOne/Caption", 1, 1},
      {u"Two", u"Zwei", "form/Main/btnOne/Caption", INT64_MIN, INT64_MAX},
      {u"Three", u"Drei", "form/Main/btn", INT64_MAX, INT64_MAX},
      {u"Four", u"Vier", "", 0, -5},
      {u"Five", u"Fünf ✓", "unit/Strings/SFive", -1, 1700000000},
      {u"Six", u"Sechs", "unit/Strings/SFive/x", 1700000000, 1},
  };
  {
    TTranslationMemory memory(File());
    memory.Begin();
    for (const TCase& c : cases) {
      TMemoryUnit unit = Unit(c.native, c.text);
      unit.Place = c.place;
      unit.FirstSeen = c.first;
      unit.LastSeen = c.last;
      memory.RecordUnit(unit);
      memory.SetFolderText(c.place, kGerman, c.text);
    }
    memory.Commit();
  }
  TTranslationMemory memory(File());
  std::vector<TMemoryUnit> units;
  memory.ForEachUnit(kGerman, [&](const TMemoryUnit& unit) { units.push_back(unit); });
  ASSERT_EQ(units.size(), std::size(cases));
  for (std::size_t i = 0; i < units.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(units[i].NativeText, cases[i].native);
    EXPECT_EQ(units[i].Text, cases[i].text);
    EXPECT_EQ(units[i].Place, cases[i].place);
    // A time of 0 stands for "now" when a unit is recorded.
    if (cases[i].first != 0) {
      EXPECT_EQ(units[i].FirstSeen, cases[i].first);
    }
    if (cases[i].last != 0) {
      EXPECT_EQ(units[i].LastSeen, cases[i].last);
    }
  }
  const auto folderTexts = memory.FolderTexts(kGerman);
  EXPECT_EQ(folderTexts.size(), std::size(cases) - 1) << "two cases share a place";
  EXPECT_EQ(folderTexts.at("form/Main/btnOne/Caption"), u"Zwei");
  EXPECT_EQ(folderTexts.at("unit/Strings/SFive/x"), u"Sechs");
  EXPECT_EQ(folderTexts.at(""), u"Vier");
}

// Native texts added in a transaction are written many to a statement when
// a step ends; a step undone takes its own with it, and the ids go on from
// the last one kept.
TEST_F(TranslationMemoryTest, ManyNewNativeTextsInOneTransaction) {
  auto native = [](const char* kind, int i) { return Utf8ToUtf16(std::string(kind) + " text number " + std::to_string(i)); };
  {
    TTranslationMemory memory(File());
    memory.Begin();
    memory.BeginStep();
    for (int i = 0; i < 150; ++i) memory.RecordUnit(Unit(native("kept", i), u"Behalten"));
    memory.EndStep(true);
    memory.BeginStep();
    for (int i = 0; i < 70; ++i) memory.RecordUnit(Unit(native("undone", i), u"Verworfen"));
    memory.EndStep(false);
    memory.RecordUnit(Unit(u"The last one", u"Der letzte"));
    memory.Commit();
  }
  TTranslationMemory memory(File());
  EXPECT_EQ(memory.UnitCount(), 151);
  for (int i : {0, 63, 64, 127, 128, 149}) {
    EXPECT_EQ(memory.ExactTranslation(kEnglish, native("kept", i), kGerman), u"Behalten") << i;
  }
  EXPECT_FALSE(memory.ExactTranslation(kEnglish, native("undone", 0), kGerman));
  EXPECT_EQ(memory.ExactTranslation(kEnglish, u"The last one", kGerman), u"Der letzte");
  EXPECT_EQ(memory.FindSource(kEnglish, u"The last one"), 151);
  const auto suggestions = memory.Suggestions(kEnglish, u"kept text number 1000", kGerman);
  ASSERT_FALSE(suggestions.empty());
  EXPECT_EQ(suggestions.front().Text, u"Behalten");
  EXPECT_EQ(memory.IntegrityCheck(), "ok");
}

TEST_F(TranslationMemoryTest, AFolderInPlaceOfTheFileIsAnError) {
  fs::create_directories(File());
  try {
    TTranslationMemory memory(File());
    FAIL() << "no error";
  } catch (const EMemoryError& e) {
    EXPECT_EQ(e.Message(), "Cannot open the memory file " + File() + ": it is a folder");
  }
}

TEST_F(TranslationMemoryTest, AWriterHeldByAnotherConnectionIsReportedNotWaitedForever) {
  TTranslationMemory memory(File());
  sqlite3* other = nullptr;
  sqlite3_open(File().c_str(), &other);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  // A short wait for the test: the lock is held until the end.
  sqlite3_busy_timeout(other, 0);
  TTranslationMemory second(File(), 200);
  EXPECT_THROW(
      {
        try {
          second.Begin();
        } catch (const EMemoryError& e) {
          EXPECT_NE(e.Message().find("is in use by another program"), std::string::npos) << e.Message();
          throw;
        }
      },
      EMemoryError);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  second.Begin();
  second.Commit();
}

}  // namespace
}  // namespace sw
