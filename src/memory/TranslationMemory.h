// The library's translation memory: one SQLite file per library (by default
// <ShortName>.memory.sqlite beside the language files) that remembers what
// the language files alone cannot tell:
//   - per item and translation language, the text the translation folder
//     supplied at the last run that read it (so a run can tell news from the
//     folder from a folder that is merely stale);
//   - per item, the native texts it had before, with the native revision that
//     replaced each;
//   - translation units: a native text in its language, a translation in
//     another, where the translation came from, the item it was seen on, and
//     when it was first and last seen; candidates for similar texts come from
//     an FTS5 trigram index over the native texts and are scored with edlib.
//
// A run meets every item of every language, so the folder texts and the
// units of one translation language are kept together, one record each
// (a run reads and writes a language's whole set at once instead of one row
// per item); the native texts are rows, indexed for similar texts the first
// time suggestions are asked for. Within a transaction the sets live in
// this object and are written when a step ends (and let go, to be read
// again when asked for) or the transaction commits; outside one, every
// change is written at once. A language's folder texts carry the caller's
// fingerprint of them, so that a run can tell that a folder has not changed
// without reading them.
//
// Items are named by their place (ExchangeUnits.h), texts are stored as UTF-8.
// The file is opened in WAL mode with a busy timeout; a writer takes the
// write lock for its whole transaction (Begin .. Commit), so a run or an
// import that is killed leaves the file as it was before it. A file that is
// damaged or written by a newer schema is renamed aside (never deleted) and
// replaced by an empty one; `Notes()` says what was done. The schema carries
// its version (PRAGMA user_version) and is migrated forward on opening.
//
// No SQL leaves this layer: callers see only this interface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <map>
#include <unordered_map>
#include <vector>

#include "memory/FlatTextTable.h"
#include "memory/MemoryError.h"
#include "platform/NationalLanguage.h"

namespace sw {

namespace sql {
class TDatabase;
class TStatement;
}  // namespace sql

// Where a translation unit came from.
enum class TUnitOrigin { Folder = 0, Import = 1, Reuse = 2, Pseudo = 3 };
// "folder", "import", "reuse", "pseudo".
const char* UnitOriginName(TUnitOrigin origin);

struct TMemoryUnit {
  LANGID NativeLang = 0;
  std::u16string NativeText;
  LANGID Lang = 0;
  std::u16string Text;
  TUnitOrigin Origin = TUnitOrigin::Folder;
  std::string Place;           // the item it was (last) seen on; "" for imported units
  std::int64_t FirstSeen = 0;  // seconds since 1970 (UTC)
  std::int64_t LastSeen = 0;
};

struct TPreviousText {
  std::u16string Text;
  std::int32_t ReplacedAt = 0;  // the native revision that replaced it
};

struct TSuggestion {
  int Percent = 0;
  std::u16string NativeText;
  std::u16string Text;
};

// The similarity of two texts in percent: 100 * (1 - edit distance / longer
// length), computed on UTF-16 code units with edlib.
int SimilarityPercent(std::u16string_view a, std::u16string_view b);

class TTranslationMemory {
 public:
  static constexpr int kSchemaVersion = 4;
  // A file larger than this gets only a check of its schema on opening: a
  // full page check would cost a large library's run more than its memory work.
  static constexpr std::int64_t kFullCheckBytes = 32 << 20;
  static constexpr int kBusyTimeoutMs = 10000;

  // <destDir>/<shortName>.memory.sqlite
  static std::string DefaultFileName(const std::string& destDir, const std::string& shortName);

  // Opens the file, creating it when missing; sets a damaged or newer file
  // aside. Raises EMemoryError when the file cannot be opened or created at
  // all (a folder in its place, no permission).
  // `busyTimeoutMs`: how long a write waits for another program's.
  explicit TTranslationMemory(std::string fileName, int busyTimeoutMs = kBusyTimeoutMs);
  ~TTranslationMemory();  // rolls back an unfinished transaction
  TTranslationMemory(const TTranslationMemory&) = delete;
  TTranslationMemory& operator=(const TTranslationMemory&) = delete;

  const std::string& FileName() const { return fileName_; }
  // The file started empty at this opening (missing, or set aside).
  bool StartedEmpty() const { return startedEmpty_; }
  // What opening did that the user should know ("... set aside as ...").
  const std::vector<std::string>& Notes() const { return notes_; }

  // The write transaction: Begin waits up to the busy timeout for another
  // program and raises EMemoryError "... is in use by another program" after.
  void Begin();
  void Commit();
  void Rollback();
  bool InTransaction() const { return inTransaction_; }
  // A step inside the transaction that can be undone alone (a pass whose
  // language file could not be written).
  void BeginStep();
  void EndStep(bool keep);

  // Folder texts of one translation language, by place.
  std::unordered_map<std::string, std::u16string> FolderTexts(LANGID lang);
  void SetFolderText(const std::string& place, LANGID lang, std::u16string_view text);
  // The same for a run, in UTF-8 without copies: the text the folder
  // supplied last for `place` (null when none), and setting it.
  // (valid until the next change to the memory).
  std::optional<std::string_view> LastFolderText(LANGID lang, const std::string& place);
  void SetFolderTextUtf8(const std::string& place, LANGID lang, std::string_view utf8);
  // Both at once: remembers `utf8` as the folder's text for `place` and
  // says what the memory had.
  enum class TFolderTextWas { None, Different, Same };
  // `placeHash`: PlaceHash(place), which a run computes once for all languages.
  TFolderTextWas NoteFolderText(LANGID lang, const std::string& place, std::uint64_t placeHash, std::string_view utf8);
  static std::uint64_t PlaceHash(std::string_view place);
  // A caller's fingerprint of a language's folder texts as they were last
  // set: a run whose folder yields the same one need not look them up. Any
  // change to the language's folder texts forgets it.
  std::optional<std::uint64_t> FolderPrint(LANGID lang);
  void SetFolderPrint(LANGID lang, std::uint64_t print);

  // Previous native texts.
  void AddPreviousText(const std::string& place, std::u16string_view text, std::int32_t replacedAt);
  // The latest previous text of every item that has one.
  std::unordered_map<std::string, TPreviousText> LatestPreviousTexts();
  std::vector<TPreviousText> PreviousTexts(const std::string& place);
  // The native text an out-of-date translation of `translationRevision` was
  // made for: the first previous text replaced after that revision (the
  // latest one when none was); nullopt when the memory has none.
  std::optional<std::u16string> TranslatedFrom(const std::string& place, std::int32_t translationRevision);

  // Records a unit (or updates its last seen time, place and origin). A unit
  // whose translation equals its native text, or is empty, is not recorded.
  void RecordUnit(const TMemoryUnit& unit);
  // The same for a run: `nativeSource` is a SourceOf() id (0: look it up),
  // `text` the translation in UTF-8; the unit is seen now.
  void RecordUnit(std::int64_t nativeSource, LANGID nativeLang, std::u16string_view nativeText, LANGID lang,
                  std::string_view text, TUnitOrigin origin, const std::string& place);
  // The id the memory gives a native text, creating it; 0 for an empty text.
  std::int64_t SourceOf(LANGID nativeLang, std::u16string_view nativeText);
  // The id of a native text without creating it: 0 when the memory has none.
  std::int64_t FindSource(LANGID nativeLang, std::u16string_view nativeText);
  // The latest translation of `nativeText` into `lang`.
  std::optional<std::u16string> ExactTranslation(LANGID nativeLang, std::u16string_view nativeText, LANGID lang);
  // The same for a native text's id (0: none).
  std::optional<std::u16string> ExactTranslation(std::int64_t source, LANGID lang);
  // Translations of similar native texts (at least `minPercent`, exact
  // matches excluded), best first, at most `limit`.
  std::vector<TSuggestion> Suggestions(LANGID nativeLang, std::u16string_view nativeText, LANGID lang,
                                       int minPercent = 75, std::size_t limit = 3);
  // Every unit, or those of one translation language, oldest first.
  void ForEachUnit(std::optional<LANGID> lang, const std::function<void(const TMemoryUnit&)>& f);
  std::int64_t UnitCount();

  // The language file revision up to which the memory has recorded a
  // language's translations; nullopt when it never has.
  std::optional<std::int32_t> SeenRevision(LANGID lang);
  void SetSeenRevision(LANGID lang, std::int32_t revision);

  // SQLite's integrity check: "ok" or the problems found.
  std::string IntegrityCheck();

 private:
  void Open(bool allowSetAside);
  void SetAside(const std::string& why, const std::string& suffix);
  void Migrate(int from);
  void MigrateToSets();
  void CompactSets();
  sql::TStatement& Statement(int id, std::string_view sql);
  std::int64_t SourceId(LANGID nativeLang, std::string_view utf8, bool create);
  void Record(std::int64_t source, LANGID lang, std::string_view text, TUnitOrigin origin, const std::string& place,
              std::int64_t first, std::int64_t now);

  struct TUnitRecord {
    std::int64_t Id = 0;
    std::int64_t Source = 0;
    std::int64_t FirstSeen = 0;
    std::int64_t LastSeen = 0;
    std::uint8_t Origin = 0;
    std::string_view Text;  // UTF-8, in the set's arena
    std::string_view Place;
  };
  // One translation language's units, and where each native text's are.
  struct TUnitSet {
    std::vector<TUnitRecord> Units;
    memory::TFlatIndex BySource;      // source -> its first unit
    std::vector<std::uint32_t> NextOf;  // the next unit of the same source
    memory::TTextArena Bytes;
    bool Dirty = false;
    std::uint32_t First(std::int64_t source) const;
    // `first`: First(unit.Source).
    void Add(TUnitRecord unit, std::uint32_t first);
    void Add(TUnitRecord unit) { Add(unit, First(unit.Source)); }
    const TUnitRecord* Latest(std::int64_t source) const;
  };
  // One translation language's folder texts: place -> UTF-8 text.
  struct TFolderSet {
    std::vector<std::pair<std::string_view, std::string_view>> Texts;
    memory::TFlatIndex ByPlace;
    memory::TTextArena Bytes;
    bool Dirty = false;
    bool PrintForgotten = false;  // the language's folder print is forgotten already
    std::uint32_t Find(std::string_view place, std::uint64_t hash) const;
    std::uint32_t Find(std::string_view place) const { return Find(place, PlaceHash(place)); }
    void Set(std::string_view place, std::string_view text);
  };
  // Reads a set's record into `set`; `fixed`: version 3's record.
  void ReadUnits(std::string_view bytes, bool fixed, TUnitSet& set) const;
  void ReadFolders(std::string_view bytes, bool fixed, TFolderSet& set) const;
  TUnitSet& Units(LANGID lang);
  TFolderSet& Folders(LANGID lang);
  void LoadSources();
  std::vector<LANGID> UnitLanguages();
  // Writes what changed in the sets; Forget drops them (after a rollback).
  void Flush();
  void Forget();
  void Changed();  // outside a transaction: writes at once
  std::int64_t Counter(const char* name);
  void SetCounter(const char* name, std::int64_t value);
  void IndexSources();

  std::string fileName_;
  std::unique_ptr<sql::TDatabase> db_;
  std::vector<std::unique_ptr<sql::TStatement>> statements_;
  std::vector<std::string> notes_;
  bool startedEmpty_ = false;
  bool inTransaction_ = false;
  int busyTimeoutMs_ = kBusyTimeoutMs;
  std::map<LANGID, TUnitSet> unitSets_;
  std::map<LANGID, TFolderSet> folderSets_;
  // Native text ids by UTF-8 text, looked up without a copy of the text.
  struct TTextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  std::unordered_map<LANGID, std::unordered_map<std::string, std::int64_t, TTextHash, std::equal_to<>>> sourceIds_;
  // Folder prints read or set, and whether each is to be written (nullopt: none).
  struct TPrint {
    std::optional<std::uint64_t> Print;
    bool Dirty = false;
  };
  std::map<LANGID, TPrint> folderPrints_;
  bool sourcesLoaded_ = false;
  // Native texts added in the transaction and not written yet (their texts
  // are the keys of sourceIds_), and the id the next one gets.
  struct TNewSource {
    std::int64_t Id;
    LANGID Lang;
    const std::string* Text;
  };
  std::vector<TNewSource> newSources_;
  std::int64_t nextSourceId_ = 1;
  void WriteNewSources();
  std::int64_t nextUnitId_ = 0;  // 0: not read yet
  bool nextUnitIdDirty_ = false;
  std::int64_t transactionTime_ = 0;  // when the transaction began: the time units recorded in it are seen
};

}  // namespace sw
