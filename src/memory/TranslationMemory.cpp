// See TranslationMemory.h. The schema (version 1):
//   sources(id, lang, text)               native texts of the units, unique
//   source_trigrams                       FTS5 trigram index over sources.text
//   units(id, source, lang, text, origin, place, first_seen, last_seen)
//   folder_texts(place, lang, text)       what each folder supplied last
//   previous_texts(id, place, text, replaced_at)
//   languages(lang, seen_revision)        how far each language was recorded
#include "memory/TranslationMemory.h"

#include <edlib.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/Unicode.h"
#include "memory/Sqlite.h"

namespace sw {

namespace {

// Each step brings the schema from version i to i + 1.
const char* const kMigrations[] = {
    R"sql(
CREATE TABLE sources(id INTEGER PRIMARY KEY, lang INTEGER NOT NULL, text TEXT NOT NULL, UNIQUE(lang, text));
CREATE VIRTUAL TABLE source_trigrams USING fts5(text, content='sources', content_rowid='id',
                                                tokenize='trigram', detail='none');
CREATE TABLE units(id INTEGER PRIMARY KEY, source INTEGER NOT NULL REFERENCES sources(id),
                   lang INTEGER NOT NULL, text TEXT NOT NULL, origin INTEGER NOT NULL,
                   place TEXT NOT NULL, first_seen INTEGER NOT NULL, last_seen INTEGER NOT NULL,
                   UNIQUE(source, lang, text));
CREATE TABLE folder_texts(place TEXT NOT NULL, lang INTEGER NOT NULL, text TEXT NOT NULL,
                          PRIMARY KEY(place, lang)) WITHOUT ROWID;
CREATE TABLE previous_texts(id INTEGER PRIMARY KEY, place TEXT NOT NULL, text TEXT NOT NULL,
                            replaced_at INTEGER NOT NULL);
CREATE INDEX previous_by_place ON previous_texts(place);
CREATE TABLE languages(lang INTEGER PRIMARY KEY, seen_revision INTEGER NOT NULL);
)sql",
};
static_assert(std::size(kMigrations) == TTranslationMemory::kSchemaVersion);

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The name a set-aside file gets: <file>.<suffix>, then <file>.<suffix>-2, ...
std::string FreeName(const std::string& fileName, const std::string& suffix) {
  std::error_code ec;
  std::string name = fileName + "." + suffix;
  for (int n = 2; std::filesystem::exists(name, ec) || std::filesystem::exists(name + "-wal", ec); ++n)
    name = fileName + "." + suffix + "-" + std::to_string(n);
  return name;
}

// Statement ids of the cache.
enum : int {
  kSetFolderText,
  kFolderTexts,
  kAddPrevious,
  kFindSource,
  kAddSource,
  kIndexSource,
  kUpsertUnit,
  kExact,
  kSeenRevision,
  kSetSeenRevision,
  kPrevious,
  kTranslationsOf,
  kStatementCount
};

}  // namespace

const char* UnitOriginName(TUnitOrigin origin) {
  switch (origin) {
    case TUnitOrigin::Folder: return "folder";
    case TUnitOrigin::Import: return "import";
    case TUnitOrigin::Reuse: return "reuse";
    case TUnitOrigin::Pseudo: return "pseudo";
  }
  return "folder";
}

int SimilarityPercent(std::u16string_view a, std::u16string_view b) {
  const std::size_t longer = std::max(a.size(), b.size());
  if (longer == 0) return 100;
  // edlib compares bytes; UTF-16 code units are mapped onto a small alphabet
  // of the characters the two texts hold (edlib allows up to 256 symbols).
  std::vector<char16_t> alphabet(a.begin(), a.end());
  alphabet.insert(alphabet.end(), b.begin(), b.end());
  std::sort(alphabet.begin(), alphabet.end());
  alphabet.erase(std::unique(alphabet.begin(), alphabet.end()), alphabet.end());
  if (alphabet.size() > 255) alphabet.resize(255);  // the rest share the last symbol
  auto encode = [&](std::u16string_view text) {
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto it = std::lower_bound(alphabet.begin(), alphabet.end(), text[i]);
      out[i] = static_cast<char>(static_cast<unsigned char>(std::min<std::size_t>(it - alphabet.begin(), 254)));
    }
    return out;
  };
  const std::string ea = encode(a), eb = encode(b);
  const EdlibAlignResult result = edlibAlign(ea.data(), static_cast<int>(ea.size()), eb.data(),
                                             static_cast<int>(eb.size()), edlibDefaultAlignConfig());
  const int distance = result.editDistance;
  edlibFreeAlignResult(result);
  if (distance < 0) return 0;
  return static_cast<int>((100 * (longer - static_cast<std::size_t>(distance))) / longer);
}

std::string TTranslationMemory::DefaultFileName(const std::string& destDir, const std::string& shortName) {
  return (std::filesystem::path(destDir) / (shortName + ".memory.sqlite")).string();
}

TTranslationMemory::TTranslationMemory(std::string fileName, int busyTimeoutMs)
    : fileName_(std::move(fileName)), busyTimeoutMs_(busyTimeoutMs) {
  Open(true);
}

TTranslationMemory::~TTranslationMemory() {
  if (inTransaction_) {
    try {
      Rollback();
    } catch (...) {  // the connection's close rolls back too
    }
  }
  statements_.clear();
}

void TTranslationMemory::Open(bool allowSetAside) {
  std::error_code ec;
  if (std::filesystem::is_directory(fileName_, ec)) {
    EMemoryError error("Cannot open the memory file " + fileName_ + ": it is a folder");
    error.AttachFile(fileName_);
    throw error;
  }
  startedEmpty_ = !std::filesystem::exists(fileName_, ec) || std::filesystem::file_size(fileName_, ec) == 0;
  statements_.clear();
  db_ = std::make_unique<sql::TDatabase>(fileName_);
  sqlite3_busy_timeout(db_->Handle(), busyTimeoutMs_);
  int version = 0;
  try {
    // Read before anything is written: a newer program's file is set aside untouched.
    version = static_cast<int>(db_->QueryInt("PRAGMA user_version"));
    if (!startedEmpty_ && version <= kSchemaVersion) {
      const std::string check = db_->QueryText("PRAGMA quick_check");
      if (check != "ok") throw EMemoryError("integrity check: " + check, SQLITE_CORRUPT);
    }
    if (version <= kSchemaVersion) {
      db_->Exec("PRAGMA journal_mode=WAL");
      db_->Exec("PRAGMA synchronous=NORMAL");
    }
  } catch (const EMemoryError& e) {
    if (!allowSetAside || !sql::IsDamageCode(e.SqliteCode())) throw;
    SetAside("it is damaged (" + e.Message() + ")", "damaged");
    return Open(false);
  }
  if (version > kSchemaVersion) {
    if (!allowSetAside) throw EMemoryError("Memory file " + fileName_ + ": schema version " + std::to_string(version));
    SetAside("it was written by a newer version of this program (schema " + std::to_string(version) + ", this one reads up to " +
                 std::to_string(kSchemaVersion) + ")",
             "newer");
    return Open(false);
  }
  if (version < kSchemaVersion) Migrate(version);
  statements_.resize(kStatementCount);
}

void TTranslationMemory::SetAside(const std::string& why, const std::string& suffix) {
  statements_.clear();
  db_.reset();
  const std::string aside = FreeName(fileName_, suffix);
  std::error_code ec;
  std::filesystem::rename(fileName_, aside, ec);
  if (ec) {
    EMemoryError error("Cannot set the memory file " + fileName_ + " aside as " + aside + ": " + ec.message());
    error.AttachFile(fileName_);
    throw error;
  }
  // The journal belongs to the file it was written for.
  for (const char* companion : {"-wal", "-shm"})
    if (std::filesystem::exists(fileName_ + companion, ec)) std::filesystem::rename(fileName_ + companion, aside + companion, ec);
  notes_.push_back("The memory file " + fileName_ + " was set aside as " + aside + " because " + why +
                   "; the run starts with an empty memory");
}

void TTranslationMemory::Migrate(int from) {
  db_->Exec("BEGIN IMMEDIATE");
  try {
    // Another program may have created the schema while this one waited.
    from = static_cast<int>(db_->QueryInt("PRAGMA user_version"));
    for (int v = from; v < kSchemaVersion; ++v) db_->Exec(kMigrations[v]);
    db_->Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    db_->Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

sql::TStatement& TTranslationMemory::Statement(int id, std::string_view text) {
  auto& slot = statements_[static_cast<std::size_t>(id)];
  if (!slot) slot = std::make_unique<sql::TStatement>(*db_, text);
  return *slot;
}

void TTranslationMemory::Begin() {
  const int rc = sqlite3_exec(db_->Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) {
    EMemoryError error("The memory file " + fileName_ + " is in use by another program (waited " +
                           std::to_string(busyTimeoutMs_) + " ms); try again when it has finished",
                       rc);
    error.AttachFile(fileName_);
    throw error;
  }
  if (rc != SQLITE_OK) db_->Fail(rc, "cannot start a transaction");
  inTransaction_ = true;
}

void TTranslationMemory::Commit() {
  db_->Exec("COMMIT");
  inTransaction_ = false;
}

void TTranslationMemory::Rollback() {
  inTransaction_ = false;
  for (auto& statement : statements_)
    if (statement) statement->Reset();
  db_->Exec("ROLLBACK");
}

void TTranslationMemory::BeginStep() { db_->Exec("SAVEPOINT step"); }

void TTranslationMemory::EndStep(bool keep) {
  if (!keep) db_->Exec("ROLLBACK TO step");
  db_->Exec("RELEASE step");
}

std::unordered_map<std::string, std::u16string> TTranslationMemory::FolderTexts(LANGID lang) {
  std::unordered_map<std::string, std::u16string> texts;
  auto& q = Statement(kFolderTexts, "SELECT place, text FROM folder_texts WHERE lang = ?");
  q.Bind(1, std::int64_t{lang});
  while (q.Step()) texts.emplace(q.Text(0), q.Text16(1));
  q.Reset();
  return texts;
}

void TTranslationMemory::SetFolderText(const std::string& place, LANGID lang, std::u16string_view text) {
  Statement(kSetFolderText, "INSERT OR REPLACE INTO folder_texts(place, lang, text) VALUES(?, ?, ?)")
      .Bind(1, place)
      .Bind(2, std::int64_t{lang})
      .Bind(3, text)
      .Run();
}

void TTranslationMemory::AddPreviousText(const std::string& place, std::u16string_view text, std::int32_t replacedAt) {
  Statement(kAddPrevious, "INSERT INTO previous_texts(place, text, replaced_at) VALUES(?, ?, ?)")
      .Bind(1, place)
      .Bind(2, text)
      .Bind(3, std::int64_t{replacedAt})
      .Run();
}

std::unordered_map<std::string, TPreviousText> TTranslationMemory::LatestPreviousTexts() {
  std::unordered_map<std::string, TPreviousText> texts;
  sql::TStatement q(*db_, "SELECT place, text, replaced_at FROM previous_texts ORDER BY id");
  while (q.Step()) texts[q.Text(0)] = TPreviousText{q.Text16(1), static_cast<std::int32_t>(q.Int(2))};
  return texts;
}

std::vector<TPreviousText> TTranslationMemory::PreviousTexts(const std::string& place) {
  std::vector<TPreviousText> texts;
  auto& q = Statement(kPrevious, "SELECT text, replaced_at FROM previous_texts WHERE place = ? ORDER BY id");
  q.Bind(1, place);
  while (q.Step()) texts.push_back({q.Text16(0), static_cast<std::int32_t>(q.Int(1))});
  q.Reset();
  return texts;
}

std::optional<std::u16string> TTranslationMemory::TranslatedFrom(const std::string& place,
                                                                 std::int32_t translationRevision) {
  const auto texts = PreviousTexts(place);
  for (const auto& text : texts)
    if (text.ReplacedAt > translationRevision) return text.Text;
  if (texts.empty()) return std::nullopt;
  return texts.back().Text;
}

std::int64_t TTranslationMemory::SourceId(LANGID nativeLang, std::u16string_view nativeText, bool create) {
  auto& find = Statement(kFindSource, "SELECT id FROM sources WHERE lang = ? AND text = ?");
  find.Bind(1, std::int64_t{nativeLang}).Bind(2, nativeText);
  const std::int64_t id = find.Step() ? find.Int(0) : 0;
  find.Reset();
  if (id != 0 || !create) return id;
  Statement(kAddSource, "INSERT INTO sources(lang, text) VALUES(?, ?)")
      .Bind(1, std::int64_t{nativeLang})
      .Bind(2, nativeText)
      .Run();
  const std::int64_t added = db_->LastInsertId();
  Statement(kIndexSource, "INSERT INTO source_trigrams(rowid, text) VALUES(?, ?)").Bind(1, added).Bind(2, nativeText).Run();
  return added;
}

void TTranslationMemory::RecordUnit(const TMemoryUnit& unit) {
  if (unit.Text.empty() || unit.NativeText.empty() || unit.Text == unit.NativeText) return;
  const std::int64_t source = SourceId(unit.NativeLang, unit.NativeText, true);
  const std::int64_t now = unit.LastSeen != 0 ? unit.LastSeen : Now();
  const std::int64_t first = unit.FirstSeen != 0 ? unit.FirstSeen : now;
  Statement(kUpsertUnit,
            "INSERT INTO units(source, lang, text, origin, place, first_seen, last_seen) VALUES(?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT(source, lang, text) DO UPDATE SET origin = excluded.origin, "
            "place = CASE WHEN excluded.place = '' THEN place ELSE excluded.place END, "
            "first_seen = min(first_seen, excluded.first_seen), last_seen = max(last_seen, excluded.last_seen)")
      .Bind(1, source)
      .Bind(2, std::int64_t{unit.Lang})
      .Bind(3, unit.Text)
      .Bind(4, static_cast<std::int64_t>(unit.Origin))
      .Bind(5, unit.Place)
      .Bind(6, first)
      .Bind(7, now)
      .Run();
}

std::optional<std::u16string> TTranslationMemory::ExactTranslation(LANGID nativeLang, std::u16string_view nativeText,
                                                                    LANGID lang) {
  auto& q = Statement(kExact,
                      "SELECT u.text FROM units u JOIN sources s ON s.id = u.source "
                      "WHERE s.lang = ? AND s.text = ? AND u.lang = ? AND u.origin <> 3 "
                      "ORDER BY u.last_seen DESC, u.id DESC LIMIT 1");
  q.Bind(1, std::int64_t{nativeLang}).Bind(2, nativeText).Bind(3, std::int64_t{lang});
  std::optional<std::u16string> text;
  if (q.Step()) text = q.Text16(0);
  q.Reset();
  return text;
}

std::vector<TSuggestion> TTranslationMemory::Suggestions(LANGID nativeLang, std::u16string_view nativeText, LANGID lang,
                                                         int minPercent, std::size_t limit) {
  std::vector<TSuggestion> found;
  const std::string utf8 = Utf16ToUtf8(nativeText);
  // The trigram index needs three characters; shorter texts only match exactly.
  if (nativeText.size() < 3 || utf8.size() > 4000) return found;
  // The query: any of the text's trigrams, each quoted (a quote doubled).
  std::set<std::u16string> trigrams;
  for (std::size_t i = 0; i + 3 <= nativeText.size() && trigrams.size() < 64; ++i) {
    std::u16string trigram(nativeText.substr(i, 3));
    // A trigram cut through a surrogate pair is no character sequence.
    if ((trigram.front() >= 0xDC00 && trigram.front() < 0xE000) || (trigram.back() >= 0xD800 && trigram.back() < 0xDC00)) continue;
    trigrams.insert(std::move(trigram));
  }
  std::string match;
  for (const auto& trigram : trigrams) {
    if (!match.empty()) match += " OR ";
    std::string quoted;
    for (char c : Utf16ToUtf8(trigram)) {
      if (c == '"') quoted += '"';
      quoted += c;
    }
    match += "\"" + quoted + "\"";
  }
  if (match.empty()) return found;
  sql::TStatement candidates(*db_,
                             "SELECT s.id, s.text FROM source_trigrams t JOIN sources s ON s.id = t.rowid "
                             "WHERE source_trigrams MATCH ? AND s.lang = ? ORDER BY t.rank LIMIT 50");
  candidates.Bind(1, match).Bind(2, std::int64_t{nativeLang});
  std::vector<std::pair<int, std::int64_t>> scored;
  std::unordered_map<std::int64_t, std::u16string> sourceTexts;
  while (candidates.Step()) {
    std::u16string text = candidates.Text16(1);
    if (text == nativeText) continue;
    // A length difference alone can rule a candidate out.
    const std::size_t longer = std::max(text.size(), nativeText.size());
    const std::size_t shorter = std::min(text.size(), nativeText.size());
    if (100 * shorter < static_cast<std::size_t>(minPercent) * longer) continue;
    const int percent = SimilarityPercent(nativeText, text);
    if (percent < minPercent) continue;
    scored.emplace_back(percent, candidates.Int(0));
    sourceTexts.emplace(candidates.Int(0), std::move(text));
  }
  std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  auto& translations = Statement(kTranslationsOf,
                                 "SELECT text FROM units WHERE source = ? AND lang = ? AND origin <> 3 "
                                 "ORDER BY last_seen DESC, id DESC LIMIT 1");
  for (const auto& [percent, id] : scored) {
    if (found.size() >= limit) break;
    translations.Bind(1, id).Bind(2, std::int64_t{lang});
    if (translations.Step()) found.push_back({percent, sourceTexts[id], translations.Text16(0)});
    translations.Reset();
  }
  return found;
}

void TTranslationMemory::ForEachUnit(std::optional<LANGID> lang, const std::function<void(const TMemoryUnit&)>& f) {
  sql::TStatement q(*db_,
                    "SELECT s.lang, s.text, u.lang, u.text, u.origin, u.place, u.first_seen, u.last_seen "
                    "FROM units u JOIN sources s ON s.id = u.source WHERE ?1 < 0 OR u.lang = ?1 ORDER BY u.id");
  q.Bind(1, lang ? std::int64_t{*lang} : std::int64_t{-1});
  while (q.Step()) {
    TMemoryUnit unit;
    unit.NativeLang = static_cast<LANGID>(q.Int(0));
    unit.NativeText = q.Text16(1);
    unit.Lang = static_cast<LANGID>(q.Int(2));
    unit.Text = q.Text16(3);
    const auto origin = q.Int(4);
    unit.Origin = origin >= 0 && origin <= 3 ? static_cast<TUnitOrigin>(origin) : TUnitOrigin::Import;
    unit.Place = q.Text(5);
    unit.FirstSeen = q.Int(6);
    unit.LastSeen = q.Int(7);
    f(unit);
  }
}

std::int64_t TTranslationMemory::UnitCount() { return db_->QueryInt("SELECT count(*) FROM units"); }

std::optional<std::int32_t> TTranslationMemory::SeenRevision(LANGID lang) {
  auto& q = Statement(kSeenRevision, "SELECT seen_revision FROM languages WHERE lang = ?");
  q.Bind(1, std::int64_t{lang});
  std::optional<std::int32_t> revision;
  if (q.Step()) revision = static_cast<std::int32_t>(q.Int(0));
  q.Reset();
  return revision;
}

void TTranslationMemory::SetSeenRevision(LANGID lang, std::int32_t revision) {
  Statement(kSetSeenRevision, "INSERT OR REPLACE INTO languages(lang, seen_revision) VALUES(?, ?)")
      .Bind(1, std::int64_t{lang})
      .Bind(2, std::int64_t{revision})
      .Run();
}

std::string TTranslationMemory::IntegrityCheck() {
  sql::TStatement q(*db_, "PRAGMA integrity_check");
  std::string result;
  while (q.Step()) {
    if (!result.empty()) result += '\n';
    result += q.Text(0);
  }
  return result;
}

}  // namespace sw
