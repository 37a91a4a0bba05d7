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
#include <unordered_map>
#include <vector>

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
  static constexpr int kSchemaVersion = 1;
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
  // The latest translation of `nativeText` into `lang`.
  std::optional<std::u16string> ExactTranslation(LANGID nativeLang, std::u16string_view nativeText, LANGID lang);
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
  sql::TStatement& Statement(int id, std::string_view sql);
  std::int64_t SourceId(LANGID nativeLang, std::u16string_view nativeText, bool create);

  std::string fileName_;
  std::unique_ptr<sql::TDatabase> db_;
  std::vector<std::unique_ptr<sql::TStatement>> statements_;
  std::vector<std::string> notes_;
  bool startedEmpty_ = false;
  bool inTransaction_ = false;
  int busyTimeoutMs_ = kBusyTimeoutMs;
};

}  // namespace sw
