// See TranslationMemory.h. The schema (version 4):
//   sources(id, lang, text)               native texts of the units (kept
//                                         unique by this class, which holds
//                                         them all by text while it writes)
//   source_trigrams                       FTS5 trigram index over sources.text,
//                                         filled up to counters.indexed_source
//   unit_sets(lang, units)                a translation language's units
//   folder_sets(lang, texts)              what its folder supplied last, by place
//   folder_prints(lang, print)            the run's fingerprint of those texts
//   previous_texts(id, place, text, replaced_at)
//   languages(lang, seen_revision)        how far each language was recorded
//   counters(name, value)                 next_unit, indexed_source
// Version 1 kept a row per unit (units) and per folder text (folder_texts);
// version 2 had no fingerprints; version 3 had a unique index over the
// native texts and sets of fixed-size numbers.
//
// A set's record: a count, then per unit its id, native text id and first
// seen time (each the difference from the unit before), last seen (the
// difference from first seen), origin (1 byte), text and place; per folder
// text its place and text. Numbers are unsigned LEB128 varints, differences
// zigzag-encoded; a text is its length and its UTF-8 bytes; a place is the
// length it shares with the place before, then the rest as a text (places
// come in the items' order, which groups them by file). Version 3's records
// held every number in fixed little-endian bytes (count and text lengths 4,
// ids and times 8) and places in full.
#include "memory/TranslationMemory.h"

#include <edlib.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

// xxHash header only: no library to link.
#define XXH_INLINE_ALL
#include <xxhash.h>

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
    R"sql(
CREATE TABLE unit_sets(lang INTEGER PRIMARY KEY, units BLOB NOT NULL);
CREATE TABLE folder_sets(lang INTEGER PRIMARY KEY, texts BLOB NOT NULL);
CREATE TABLE counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;
)sql",
    R"sql(
CREATE TABLE folder_prints(lang INTEGER PRIMARY KEY, print INTEGER NOT NULL);
)sql",
    // The native texts without their unique index: a large library's first
    // run spent more on that index than on everything else it remembers.
    R"sql(
CREATE TABLE sources_v4(id INTEGER PRIMARY KEY, lang INTEGER NOT NULL, text TEXT NOT NULL);
INSERT INTO sources_v4(id, lang, text) SELECT id, lang, text FROM sources ORDER BY id;
DROP TABLE sources;
ALTER TABLE sources_v4 RENAME TO sources;
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

// The page size of a new file: a large library's first run writes a frame
// and a page (two system calls and a checksum) per page, four times as many
// at SQLite's default of 4 KiB; a small library's file grows with it, as
// every table has a page of its own (about 16 of them).
constexpr int kPageSize = 16384;

// Statement ids of the cache.
enum : int {
  kLoadUnits,
  kSaveUnits,
  kLoadFolders,
  kSaveFolders,
  kAddPrevious,
  kFindSource,
  kAddSource,
  kAddSources,
  kSeenRevision,
  kSetSeenRevision,
  kPrevious,
  kCounter,
  kSetCounter,
  kFolderPrint,
  kSetFolderPrint,
  kDropFolderPrint,
  kStatementCount
};

// The bytes of a set's record (see above). Written through a pointer into
// room the caller reserves for each entry (Room), which a large library's
// million entries make worth it.
class TRecordWriter {
 public:
  static constexpr std::size_t kVarintBytes = 10;
  // Makes room for `bytes` more.
  void Room(std::size_t bytes) {
    if (bytes <= static_cast<std::size_t>(end_ - next_)) return;
    const std::size_t used = Used();
    out_.resize(std::max(out_.size() * 2, used + bytes));
    next_ = out_.data() + used;
    end_ = out_.data() + out_.size();
  }
  void Byte(std::uint8_t v) { *next_++ = static_cast<char>(v); }
  void Varint(std::uint64_t v) {
    while (v >= 0x80) {
      *next_++ = static_cast<char>((v & 0x7F) | 0x80);
      v >>= 7;
    }
    *next_++ = static_cast<char>(v);
  }
  // The difference `v - from`, zigzag-encoded (small either way).
  void Delta(std::int64_t v, std::int64_t from) {
    const std::uint64_t d = static_cast<std::uint64_t>(v) - static_cast<std::uint64_t>(from);
    Varint((d << 1) ^ (0 - (d >> 63)));
  }
  void Text(std::string_view text) {
    Varint(text.size());
    if (!text.empty()) std::memcpy(next_, text.data(), text.size());
    next_ += text.size();
  }
  // `place` after `before`: the length they share, then the rest.
  void Place(std::string_view place, std::string_view before) {
    const std::size_t limit = std::min(place.size(), before.size());
    std::size_t shared = 0;
    // Eight bytes at a time: places share most of their length.
    while (shared + 8 <= limit) {
      std::uint64_t x, y;
      std::memcpy(&x, place.data() + shared, 8);
      std::memcpy(&y, before.data() + shared, 8);
      if (x != y) break;
      shared += 8;
    }
    while (shared < limit && place[shared] == before[shared]) ++shared;
    Varint(shared);
    Text(place.substr(shared));
  }
  std::string_view Bytes() const { return {out_.data(), Used()}; }

 private:
  std::size_t Used() const { return out_.empty() ? 0 : static_cast<std::size_t>(next_ - out_.data()); }
  std::string out_;
  char* next_ = nullptr;
  char* end_ = nullptr;
};

// Reads a record; one that ends early or holds impossible lengths is damage.
// Fixed* read version 3's records.
class TRecordReader {
 public:
  TRecordReader(std::string_view bytes, const std::string& fileName, const char* what)
      : bytes_(bytes), fileName_(fileName), what_(what) {}
  std::uint8_t Byte() {
    Need(1);
    return static_cast<std::uint8_t>(bytes_[pos_++]);
  }
  std::uint64_t Varint() {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      const std::uint8_t b = Byte();
      if (shift == 63 && b > 1) Damaged();  // more than 64 bits
      v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if (b < 0x80) return v;
    }
  }
  std::int64_t Delta(std::int64_t from) {
    const std::uint64_t z = Varint();
    const std::uint64_t d = (z >> 1) ^ (0 - (z & 1));
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(from) + d);
  }
  std::string_view Text() { return Bytes(Varint()); }
  // The place after `place` (which it replaces).
  void Place(std::string& place) {
    const std::uint64_t shared = Varint();
    if (shared > place.size()) Damaged();
    const std::string_view rest = Text();
    place.resize(static_cast<std::size_t>(shared));
    place.append(rest);
  }
  std::uint32_t Count(std::size_t leastBytesEach) { return CheckCount(Varint(), leastBytesEach); }

  std::int64_t FixedInt(int bytes) {
    Need(static_cast<std::size_t>(bytes));
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    pos_ += static_cast<std::size_t>(bytes);
    if (bytes < 8 && (v >> (8 * bytes - 1)) != 0) v |= ~std::uint64_t{0} << (8 * bytes);  // sign
    return static_cast<std::int64_t>(v);
  }
  std::string_view FixedText() { return Bytes(static_cast<std::uint32_t>(FixedInt(4))); }
  std::uint32_t FixedCount(std::size_t leastBytesEach) {
    return CheckCount(static_cast<std::uint32_t>(FixedInt(4)), leastBytesEach);
  }

  void End() {
    if (pos_ != bytes_.size()) Damaged();
  }

 private:
  std::string_view Bytes(std::uint64_t size) {
    Need(size);
    const std::string_view text = bytes_.substr(pos_, static_cast<std::size_t>(size));
    pos_ += static_cast<std::size_t>(size);
    return text;
  }
  std::uint32_t CheckCount(std::uint64_t count, std::size_t leastBytesEach) {
    if (count > UINT32_MAX || leastBytesEach * count > bytes_.size() - pos_) Damaged();
    return static_cast<std::uint32_t>(count);
  }
  void Need(std::uint64_t n) {
    if (n > bytes_.size() - pos_) Damaged();
  }
  [[noreturn]] void Damaged() const {
    EMemoryError error("Memory file " + fileName_ + ": the " + what_ + " are damaged (" + std::to_string(bytes_.size()) +
                           " bytes, unreadable at byte " + std::to_string(pos_) + ")",
                       SQLITE_CORRUPT);
    error.AttachFile(fileName_);
    throw error;
  }
  std::string_view bytes_;
  std::size_t pos_ = 0;
  const std::string& fileName_;
  const char* what_;
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
      const auto size = std::filesystem::file_size(fileName_, ec);
      if (!ec && static_cast<std::int64_t>(size) <= kFullCheckBytes) {
        const std::string check = db_->QueryText("PRAGMA quick_check");
        if (check != "ok") throw EMemoryError("integrity check: " + check, SQLITE_CORRUPT);
      } else {
        db_->QueryInt("SELECT count(*) FROM sqlite_schema");
      }
    }
    if (version <= kSchemaVersion) {
      // Before the first table: a large library's sets fill thousands of
      // pages, each a frame in the journal and a write of its own (a file
      // made with smaller pages keeps them).
      if (startedEmpty_) db_->Exec("PRAGMA page_size=" + std::to_string(kPageSize));
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
    for (int v = from; v < kSchemaVersion; ++v) {
      db_->Exec(kMigrations[v]);
      if (v == 1) MigrateToSets();  // written in the compact records at once
      if (v == 3 && from >= 2) CompactSets();
    }
    db_->Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    db_->Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

// Version 1's rows become version 2's sets.
void TTranslationMemory::MigrateToSets() {
  std::map<LANGID, TUnitSet> units;
  std::int64_t nextId = 1;
  {
    sql::TStatement q(*db_, "SELECT id, source, lang, text, origin, place, first_seen, last_seen FROM units ORDER BY id");
    while (q.Step()) {
      const std::string text = q.Text(3), place = q.Text(5);
      units[static_cast<LANGID>(q.Int(2))].Add(
          {q.Int(0), q.Int(1), q.Int(6), q.Int(7), static_cast<std::uint8_t>(q.Int(4)), text, place});
      nextId = q.Int(0) + 1;
    }
  }
  std::map<LANGID, TFolderSet> folders;
  {
    sql::TStatement q(*db_, "SELECT place, lang, text FROM folder_texts");
    while (q.Step()) folders[static_cast<LANGID>(q.Int(1))].Set(q.Text(0), q.Text(2));
  }
  db_->Exec("DROP TABLE units; DROP TABLE folder_texts;");
  statements_.resize(kStatementCount);
  for (auto& [lang, set] : units) {
    set.Dirty = true;
    unitSets_.emplace(lang, std::move(set));
  }
  for (auto& [lang, set] : folders) {
    set.Dirty = true;
    folderSets_.emplace(lang, std::move(set));
  }
  nextUnitId_ = nextId;
  nextUnitIdDirty_ = true;
  Flush();
  // Version 1 indexed every native text as it was added.
  SetCounter("indexed_source", db_->QueryInt("SELECT coalesce(max(id), 0) FROM sources"));
  Forget();
  statements_.clear();
}

// Version 3's sets, of fixed-size numbers and whole places, are written again
// in the compact records.
void TTranslationMemory::CompactSets() {
  statements_.resize(kStatementCount);
  {
    sql::TStatement q(*db_, "SELECT lang, units FROM unit_sets");
    while (q.Step()) {
      TUnitSet& set = unitSets_[static_cast<LANGID>(q.Int(0))];
      ReadUnits(q.Blob(1), true, set);
      set.Dirty = true;
    }
  }
  {
    sql::TStatement q(*db_, "SELECT lang, texts FROM folder_sets");
    while (q.Step()) {
      TFolderSet& set = folderSets_[static_cast<LANGID>(q.Int(0))];
      ReadFolders(q.Blob(1), true, set);
      set.Dirty = true;
    }
  }
  Flush();
  Forget();
  statements_.clear();
}

sql::TStatement& TTranslationMemory::Statement(int id, std::string_view text) {
  auto& slot = statements_[static_cast<std::size_t>(id)];
  if (!slot) slot = std::make_unique<sql::TStatement>(*db_, text);
  return *slot;
}

void TTranslationMemory::Begin() {
  Forget();  // another program may have written since
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
  transactionTime_ = Now();
}

void TTranslationMemory::Commit() {
  Flush();
  db_->Exec("COMMIT");
  inTransaction_ = false;
}

void TTranslationMemory::Rollback() {
  inTransaction_ = false;
  Forget();
  for (auto& statement : statements_)
    if (statement) statement->Reset();
  db_->Exec("ROLLBACK");
}

void TTranslationMemory::BeginStep() {
  Flush();
  db_->Exec("SAVEPOINT step");
}

void TTranslationMemory::EndStep(bool keep) {
  if (keep) {
    Flush();
    // A run's step is one language's pass: the sets it used are written and
    // the next pass needs another language's. Held for the whole run, the
    // sets of every language would add up to more than the run's storage.
    unitSets_.clear();
    folderSets_.clear();
  } else {
    db_->Exec("ROLLBACK TO step");
    Forget();
  }
  db_->Exec("RELEASE step");
}

void TTranslationMemory::Flush() {
  WriteNewSources();
  for (auto& [lang, set] : unitSets_) {
    if (!set.Dirty) continue;
    TRecordWriter record;
    record.Room(TRecordWriter::kVarintBytes + set.Units.size() * 24);
    record.Varint(set.Units.size());
    TUnitRecord before;
    for (const TUnitRecord& unit : set.Units) {
      record.Room(7 * TRecordWriter::kVarintBytes + 1 + unit.Text.size() + unit.Place.size());
      record.Delta(unit.Id, before.Id);
      record.Delta(unit.Source, before.Source);
      record.Delta(unit.FirstSeen, before.FirstSeen);
      record.Delta(unit.LastSeen, unit.FirstSeen);
      record.Byte(unit.Origin);
      record.Text(unit.Text);
      record.Place(unit.Place, before.Place);
      before = unit;
    }
    Statement(kSaveUnits, "INSERT OR REPLACE INTO unit_sets(lang, units) VALUES(?, ?)")
        .Bind(1, std::int64_t{lang})
        .BindBlob(2, record.Bytes())
        .Run();
    set.Dirty = false;
  }
  for (auto& [lang, set] : folderSets_) {
    if (!set.Dirty) continue;
    TRecordWriter record;
    record.Room(TRecordWriter::kVarintBytes + set.Texts.size() * 16);
    record.Varint(set.Texts.size());
    std::string_view before;
    for (const auto& [place, text] : set.Texts) {
      record.Room(3 * TRecordWriter::kVarintBytes + text.size() + place.size());
      record.Place(place, before);
      record.Text(text);
      before = place;
    }
    Statement(kSaveFolders, "INSERT OR REPLACE INTO folder_sets(lang, texts) VALUES(?, ?)")
        .Bind(1, std::int64_t{lang})
        .BindBlob(2, record.Bytes())
        .Run();
    set.Dirty = false;
  }
  for (auto& [lang, print] : folderPrints_) {
    if (!print.Dirty) continue;
    if (print.Print)
      Statement(kSetFolderPrint, "INSERT OR REPLACE INTO folder_prints(lang, print) VALUES(?, ?)")
          .Bind(1, std::int64_t{lang})
          .Bind(2, static_cast<std::int64_t>(*print.Print))
          .Run();
    else
      Statement(kDropFolderPrint, "DELETE FROM folder_prints WHERE lang = ?").Bind(1, std::int64_t{lang}).Run();
    print.Dirty = false;
  }
  if (nextUnitIdDirty_) {
    SetCounter("next_unit", nextUnitId_);
    nextUnitIdDirty_ = false;
  }
}

void TTranslationMemory::Forget() {
  unitSets_.clear();
  folderSets_.clear();
  folderPrints_.clear();
  sourceIds_.clear();
  newSources_.clear();
  sourcesLoaded_ = false;
  nextUnitId_ = 0;
  nextUnitIdDirty_ = false;
}

void TTranslationMemory::Changed() {
  if (!inTransaction_) Flush();
}

std::int64_t TTranslationMemory::Counter(const char* name) {
  auto& q = Statement(kCounter, "SELECT value FROM counters WHERE name = ?");
  q.Bind(1, std::string_view(name));
  const std::int64_t value = q.Step() ? q.Int(0) : 0;
  q.Reset();
  return value;
}

void TTranslationMemory::SetCounter(const char* name, std::int64_t value) {
  Statement(kSetCounter, "INSERT OR REPLACE INTO counters(name, value) VALUES(?, ?)")
      .Bind(1, std::string_view(name))
      .Bind(2, value)
      .Run();
}

std::uint32_t TTranslationMemory::TUnitSet::First(std::int64_t source) const {
  return BySource.Find(memory::MixHash(static_cast<std::uint64_t>(source)),
                       [&](std::uint32_t i) { return Units[i].Source == source; });
}

void TTranslationMemory::TUnitSet::Add(TUnitRecord unit, std::uint32_t first) {
  unit.Text = Bytes.Keep(unit.Text);
  unit.Place = Bytes.Keep(unit.Place);
  const auto i = static_cast<std::uint32_t>(Units.size());
  Units.push_back(unit);
  NextOf.push_back(memory::TFlatIndex::kNone);
  if (first == memory::TFlatIndex::kNone) {
    BySource.Insert(memory::MixHash(static_cast<std::uint64_t>(unit.Source)), i);
  } else {
    // Kept in record order: the chain's last gets the new one.
    std::uint32_t last = first;
    while (NextOf[last] != memory::TFlatIndex::kNone) last = NextOf[last];
    NextOf[last] = i;
  }
}

std::uint64_t TTranslationMemory::PlaceHash(std::string_view place) { return XXH3_64bits(place.data(), place.size()); }

std::uint32_t TTranslationMemory::TFolderSet::Find(std::string_view place, std::uint64_t hash) const {
  return ByPlace.Find(hash, [&](std::uint32_t i) { return Texts[i].first == place; });
}

void TTranslationMemory::TFolderSet::Set(std::string_view place, std::string_view text) {
  const std::uint64_t hash = PlaceHash(place);
  const std::uint32_t i = Find(place, hash);
  if (i != memory::TFlatIndex::kNone) {
    Texts[i].second = Bytes.Keep(text);
    return;
  }
  ByPlace.Insert(hash, static_cast<std::uint32_t>(Texts.size()));
  Texts.emplace_back(Bytes.Keep(place), Bytes.Keep(text));
}

const TTranslationMemory::TUnitRecord* TTranslationMemory::TUnitSet::Latest(std::int64_t source) const {
  const TUnitRecord* best = nullptr;
  for (std::uint32_t i = First(source); i != memory::TFlatIndex::kNone; i = NextOf[i]) {
    const TUnitRecord& unit = Units[i];
    if (unit.Origin == static_cast<std::uint8_t>(TUnitOrigin::Pseudo)) continue;
    if (!best || unit.LastSeen > best->LastSeen || (unit.LastSeen == best->LastSeen && unit.Id > best->Id)) best = &unit;
  }
  return best;
}

void TTranslationMemory::ReadUnits(std::string_view bytes, bool fixed, TUnitSet& set) const {
  TRecordReader record(bytes, fileName_, "translation units");
  const std::uint32_t count = fixed ? record.FixedCount(8 * 4 + 1 + 4 + 4) : record.Count(8);
  set.Units.reserve(count);
  set.NextOf.reserve(count);
  set.BySource.Reserve(count);
  TUnitRecord before;
  std::string place;
  for (std::uint32_t i = 0; i < count; ++i) {
    TUnitRecord unit;
    if (fixed) {
      unit.Id = record.FixedInt(8);
      unit.Source = record.FixedInt(8);
      unit.FirstSeen = record.FixedInt(8);
      unit.LastSeen = record.FixedInt(8);
      unit.Origin = static_cast<std::uint8_t>(record.FixedInt(1));
      unit.Text = record.FixedText();
      unit.Place = record.FixedText();
    } else {
      unit.Id = record.Delta(before.Id);
      unit.Source = record.Delta(before.Source);
      unit.FirstSeen = record.Delta(before.FirstSeen);
      unit.LastSeen = record.Delta(unit.FirstSeen);
      unit.Origin = record.Byte();
      unit.Text = record.Text();
      record.Place(place);
      unit.Place = place;
    }
    set.Add(unit);
    before = set.Units.back();
  }
  record.End();
}

void TTranslationMemory::ReadFolders(std::string_view bytes, bool fixed, TFolderSet& set) const {
  TRecordReader record(bytes, fileName_, "folder texts");
  const std::uint32_t count = fixed ? record.FixedCount(8) : record.Count(3);
  set.Texts.reserve(count);
  set.ByPlace.Reserve(count);
  std::string place;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (fixed) {
      const std::string_view fixedPlace = record.FixedText();
      set.Set(fixedPlace, record.FixedText());
    } else {
      record.Place(place);
      set.Set(place, record.Text());
    }
  }
  record.End();
}

TTranslationMemory::TUnitSet& TTranslationMemory::Units(LANGID lang) {
  const auto found = unitSets_.find(lang);
  if (found != unitSets_.end()) return found->second;
  TUnitSet& set = unitSets_[lang];
  auto& q = Statement(kLoadUnits, "SELECT units FROM unit_sets WHERE lang = ?");
  q.Bind(1, std::int64_t{lang});
  try {
    if (q.Step()) ReadUnits(q.Blob(0), false, set);
  } catch (...) {
    q.Reset();
    unitSets_.erase(lang);
    throw;
  }
  q.Reset();
  return set;
}

TTranslationMemory::TFolderSet& TTranslationMemory::Folders(LANGID lang) {
  const auto found = folderSets_.find(lang);
  if (found != folderSets_.end()) return found->second;
  TFolderSet& set = folderSets_[lang];
  auto& q = Statement(kLoadFolders, "SELECT texts FROM folder_sets WHERE lang = ?");
  q.Bind(1, std::int64_t{lang});
  try {
    if (q.Step()) ReadFolders(q.Blob(0), false, set);
  } catch (...) {
    q.Reset();
    folderSets_.erase(lang);
    throw;
  }
  q.Reset();
  return set;
}

std::unordered_map<std::string, std::u16string> TTranslationMemory::FolderTexts(LANGID lang) {
  std::unordered_map<std::string, std::u16string> texts;
  for (const auto& [place, text] : Folders(lang).Texts) texts.insert_or_assign(std::string(place), Utf8ToUtf16(text));
  return texts;
}

std::optional<std::string_view> TTranslationMemory::LastFolderText(LANGID lang, const std::string& place) {
  const TFolderSet& set = Folders(lang);
  const std::uint32_t i = set.Find(place);
  if (i == memory::TFlatIndex::kNone) return std::nullopt;
  return set.Texts[i].second;
}

void TTranslationMemory::SetFolderText(const std::string& place, LANGID lang, std::u16string_view text) {
  SetFolderTextUtf8(place, lang, Utf16ToUtf8(text));
}

void TTranslationMemory::SetFolderTextUtf8(const std::string& place, LANGID lang, std::string_view utf8) {
  TFolderSet& set = Folders(lang);
  set.Set(place, utf8);
  set.Dirty = true;
  set.PrintForgotten = true;
  folderPrints_[lang] = {std::nullopt, true};
  Changed();
}

TTranslationMemory::TFolderTextWas TTranslationMemory::NoteFolderText(LANGID lang, const std::string& place,
                                                                      std::uint64_t hash, std::string_view utf8) {
  TFolderSet& set = Folders(lang);
  const std::uint32_t i = set.Find(place, hash);
  TFolderTextWas was = TFolderTextWas::None;
  if (i != memory::TFlatIndex::kNone) {
    if (set.Texts[i].second == utf8) return TFolderTextWas::Same;
    set.Texts[i].second = set.Bytes.Keep(utf8);
    was = TFolderTextWas::Different;
  } else {
    set.ByPlace.Insert(hash, static_cast<std::uint32_t>(set.Texts.size()));
    set.Texts.emplace_back(set.Bytes.Keep(place), set.Bytes.Keep(utf8));
  }
  set.Dirty = true;
  if (!set.PrintForgotten) {
    folderPrints_[lang] = {std::nullopt, true};
    set.PrintForgotten = true;
  }
  Changed();
  return was;
}

std::optional<std::uint64_t> TTranslationMemory::FolderPrint(LANGID lang) {
  const auto found = folderPrints_.find(lang);
  if (found != folderPrints_.end()) return found->second.Print;
  auto& q = Statement(kFolderPrint, "SELECT print FROM folder_prints WHERE lang = ?");
  q.Bind(1, std::int64_t{lang});
  std::optional<std::uint64_t> print;
  if (q.Step()) print = static_cast<std::uint64_t>(q.Int(0));
  q.Reset();
  folderPrints_[lang] = {print, false};
  return print;
}

void TTranslationMemory::SetFolderPrint(LANGID lang, std::uint64_t print) {
  folderPrints_[lang] = {print, true};
  if (const auto set = folderSets_.find(lang); set != folderSets_.end()) set->second.PrintForgotten = false;
  Changed();
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

void TTranslationMemory::LoadSources() {
  if (sourcesLoaded_) return;
  sql::TStatement q(*db_, "SELECT id, lang, text FROM sources");
  nextSourceId_ = 1;
  while (q.Step()) {
    sourceIds_[static_cast<LANGID>(q.Int(1))].emplace(q.Text(2), q.Int(0));
    nextSourceId_ = std::max(nextSourceId_, q.Int(0) + 1);
  }
  sourcesLoaded_ = true;
}

std::int64_t TTranslationMemory::SourceId(LANGID nativeLang, std::string_view utf8, bool create) {
  LoadSources();
  auto& ids = sourceIds_[nativeLang];
  const auto found = ids.find(utf8);
  if (found != ids.end()) return found->second;
  if (!create) return 0;
  const std::int64_t added = nextSourceId_++;
  const auto kept = ids.emplace(std::string(utf8), added).first;
  newSources_.push_back({added, nativeLang, &kept->first});
  if (!inTransaction_) WriteNewSources();
  return added;
}

void TTranslationMemory::WriteNewSources() {
  // Many rows a statement: a large library's first run adds a hundred
  // thousand native texts, and a statement's own work would be most of it.
  constexpr std::size_t kRows = 64;
  std::size_t i = 0;
  if (newSources_.size() >= kRows) {
    std::string sql = "INSERT INTO sources(id, lang, text) VALUES(?, ?, ?)";
    for (std::size_t row = 1; row < kRows; ++row) sql += ", (?, ?, ?)";
    auto& many = Statement(kAddSources, sql);
    for (; i + kRows <= newSources_.size(); i += kRows) {
      for (std::size_t row = 0; row < kRows; ++row) {
        const TNewSource& source = newSources_[i + row];
        const int at = static_cast<int>(3 * row);
        many.Bind(at + 1, source.Id).Bind(at + 2, std::int64_t{source.Lang}).Bind(at + 3, std::string_view(*source.Text));
      }
      many.Run();
    }
  }
  for (; i < newSources_.size(); ++i) {
    const TNewSource& source = newSources_[i];
    Statement(kAddSource, "INSERT INTO sources(id, lang, text) VALUES(?, ?, ?)")
        .Bind(1, source.Id)
        .Bind(2, std::int64_t{source.Lang})
        .Bind(3, std::string_view(*source.Text))
        .Run();
  }
  newSources_.clear();
}

std::int64_t TTranslationMemory::SourceOf(LANGID nativeLang, std::u16string_view nativeText) {
  if (nativeText.empty()) return 0;
  return SourceId(nativeLang, Utf16ToUtf8(nativeText), true);
}

std::int64_t TTranslationMemory::FindSource(LANGID nativeLang, std::u16string_view nativeText) {
  if (nativeText.empty()) return 0;
  return SourceId(nativeLang, Utf16ToUtf8(nativeText), false);
}

void TTranslationMemory::RecordUnit(const TMemoryUnit& unit) {
  if (unit.Text.empty() || unit.NativeText.empty() || unit.Text == unit.NativeText) return;
  const std::int64_t now = unit.LastSeen != 0 ? unit.LastSeen : Now();
  Record(SourceOf(unit.NativeLang, unit.NativeText), unit.Lang, Utf16ToUtf8(unit.Text), unit.Origin, unit.Place,
         unit.FirstSeen != 0 ? unit.FirstSeen : now, now);
}

void TTranslationMemory::RecordUnit(std::int64_t nativeSource, LANGID nativeLang, std::u16string_view nativeText,
                                    LANGID lang, std::string_view text, TUnitOrigin origin, const std::string& place) {
  if (text.empty() || nativeText.empty()) return;
  if (nativeSource == 0) nativeSource = SourceOf(nativeLang, nativeText);
  const std::int64_t now = inTransaction_ ? transactionTime_ : Now();
  Record(nativeSource, lang, text, origin, place, now, now);
}

void TTranslationMemory::Record(std::int64_t source, LANGID lang, std::string_view text, TUnitOrigin origin,
                                const std::string& place, std::int64_t firstSeen, std::int64_t now) {
  TUnitSet& set = Units(lang);
  const std::uint32_t first = set.First(source);
  for (std::uint32_t i = first; i != memory::TFlatIndex::kNone; i = set.NextOf[i]) {
    TUnitRecord& record = set.Units[i];
    if (record.Text != text) continue;
    record.Origin = static_cast<std::uint8_t>(origin);
    if (!place.empty() && record.Place != place) record.Place = set.Bytes.Keep(place);
    record.FirstSeen = std::min(record.FirstSeen, firstSeen);
    record.LastSeen = std::max(record.LastSeen, now);
    set.Dirty = true;
    Changed();
    return;
  }
  if (nextUnitId_ == 0) nextUnitId_ = std::max<std::int64_t>(1, Counter("next_unit"));
  set.Add({nextUnitId_++, source, firstSeen, now, static_cast<std::uint8_t>(origin), text, place}, first);
  set.Dirty = true;
  nextUnitIdDirty_ = true;
  Changed();
}

std::optional<std::u16string> TTranslationMemory::ExactTranslation(LANGID nativeLang, std::u16string_view nativeText,
                                                                    LANGID lang) {
  return ExactTranslation(SourceId(nativeLang, Utf16ToUtf8(nativeText), false), lang);
}

std::optional<std::u16string> TTranslationMemory::ExactTranslation(std::int64_t source, LANGID lang) {
  if (source == 0) return std::nullopt;
  const TUnitRecord* unit = Units(lang).Latest(source);
  if (!unit) return std::nullopt;
  return Utf8ToUtf16(unit->Text);
}

void TTranslationMemory::IndexSources() {
  WriteNewSources();
  const std::int64_t top = db_->QueryInt("SELECT coalesce(max(id), 0) FROM sources");
  if (top <= Counter("indexed_source")) return;
  const bool own = !inTransaction_;
  try {
    if (own) db_->Exec("BEGIN IMMEDIATE");
    sql::TStatement add(*db_, "INSERT INTO source_trigrams(rowid, text) SELECT id, text FROM sources WHERE id > ?");
    add.Bind(1, Counter("indexed_source")).Run();
    SetCounter("indexed_source", top);
    if (own) db_->Exec("COMMIT");
  } catch (const EMemoryError& e) {
    if (own) sqlite3_exec(db_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    // Another program writing: the texts indexed so far are the candidates.
    if ((e.SqliteCode() & 0xFF) == SQLITE_BUSY) return;
    throw;
  }
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
  IndexSources();
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
  const TUnitSet& units = Units(lang);
  for (const auto& [percent, id] : scored) {
    if (found.size() >= limit) break;
    if (const TUnitRecord* unit = units.Latest(id)) found.push_back({percent, sourceTexts[id], Utf8ToUtf16(unit->Text)});
  }
  return found;
}

std::vector<LANGID> TTranslationMemory::UnitLanguages() {
  std::set<LANGID> langs;
  sql::TStatement q(*db_, "SELECT lang FROM unit_sets");
  while (q.Step()) langs.insert(static_cast<LANGID>(q.Int(0)));
  for (const auto& [lang, set] : unitSets_) langs.insert(lang);
  return {langs.begin(), langs.end()};
}

void TTranslationMemory::ForEachUnit(std::optional<LANGID> lang, const std::function<void(const TMemoryUnit&)>& f) {
  struct TListed {
    LANGID Lang;
    const TUnitRecord* Unit;
  };
  std::vector<TListed> listed;
  for (const LANGID l : lang ? std::vector<LANGID>{*lang} : UnitLanguages())
    for (const TUnitRecord& unit : Units(l).Units) listed.push_back({l, &unit});
  std::sort(listed.begin(), listed.end(), [](const TListed& a, const TListed& b) { return a.Unit->Id < b.Unit->Id; });
  LoadSources();
  std::unordered_map<std::int64_t, std::pair<LANGID, const std::string*>> sources;
  for (const auto& [sourceLang, ids] : sourceIds_)
    for (const auto& [text, id] : ids) sources.emplace(id, std::make_pair(sourceLang, &text));
  for (const TListed& entry : listed) {
    const auto source = sources.find(entry.Unit->Source);
    if (source == sources.end()) continue;  // a unit of a native text the file has lost
    TMemoryUnit unit;
    unit.NativeLang = source->second.first;
    unit.NativeText = Utf8ToUtf16(*source->second.second);
    unit.Lang = entry.Lang;
    unit.Text = Utf8ToUtf16(entry.Unit->Text);
    const auto origin = entry.Unit->Origin;
    unit.Origin = origin <= 3 ? static_cast<TUnitOrigin>(origin) : TUnitOrigin::Import;
    unit.Place = std::string(entry.Unit->Place);
    unit.FirstSeen = entry.Unit->FirstSeen;
    unit.LastSeen = entry.Unit->LastSeen;
    f(unit);
  }
}

std::int64_t TTranslationMemory::UnitCount() {
  std::int64_t count = 0;
  for (const LANGID lang : UnitLanguages()) count += static_cast<std::int64_t>(Units(lang).Units.size());
  return count;
}

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
