// The translation memory's stand-in, for builds without SQLite and edlib (the
// Windows cross build, for which the distribution ships neither): the library
// keeps no memory. Runs open none, since the default memory file is ""; a
// memory file named explicitly fails with a message saying so.
#include <optional>
#include <string>
#include <vector>

#include "memory/RunMemory.h"
#include "memory/Sqlite.h"
#include "memory/TranslationMemory.h"

namespace sw {

namespace sql {
TStatement::~TStatement() = default;
TDatabase::~TDatabase() = default;
}  // namespace sql

namespace {
constexpr const char* SNoMemory = "This build keeps no translation memory";
[[noreturn]] void NoMemory() { throw EMemoryError(SNoMemory); }
}  // namespace

const char* const SKeptTranslations =
    "%d translations in the language file differ from the translation folder; kept the language file's";

const char* UnitOriginName(TUnitOrigin) { return ""; }
int SimilarityPercent(std::u16string_view a, std::u16string_view b) { return a == b ? 100 : 0; }

std::string TTranslationMemory::DefaultFileName(const std::string&, const std::string&) { return ""; }
TTranslationMemory::TTranslationMemory(std::string fileName, int) : fileName_(std::move(fileName)) { NoMemory(); }
TTranslationMemory::~TTranslationMemory() = default;
void TTranslationMemory::Begin() { NoMemory(); }
void TTranslationMemory::Commit() { NoMemory(); }
void TTranslationMemory::Rollback() { NoMemory(); }
void TTranslationMemory::BeginStep() { NoMemory(); }
void TTranslationMemory::EndStep(bool) { NoMemory(); }
std::unordered_map<std::string, std::u16string> TTranslationMemory::FolderTexts(LANGID) { NoMemory(); }
void TTranslationMemory::SetFolderText(const std::string&, LANGID, std::u16string_view) { NoMemory(); }
std::optional<std::string_view> TTranslationMemory::LastFolderText(LANGID, const std::string&) { NoMemory(); }
void TTranslationMemory::SetFolderTextUtf8(const std::string&, LANGID, std::string_view) { NoMemory(); }
TTranslationMemory::TFolderTextWas TTranslationMemory::NoteFolderText(LANGID, const std::string&, std::uint64_t,
                                                                      std::string_view) {
  NoMemory();
}
std::optional<std::uint64_t> TTranslationMemory::FolderPrint(LANGID) { NoMemory(); }
std::uint64_t TTranslationMemory::PlaceHash(std::string_view) { NoMemory(); }
void TTranslationMemory::SetFolderPrint(LANGID, std::uint64_t) { NoMemory(); }
void TTranslationMemory::AddPreviousText(const std::string&, std::u16string_view, std::int32_t) { NoMemory(); }
std::unordered_map<std::string, TPreviousText> TTranslationMemory::LatestPreviousTexts() { NoMemory(); }
std::vector<TPreviousText> TTranslationMemory::PreviousTexts(const std::string&) { NoMemory(); }
std::optional<std::u16string> TTranslationMemory::TranslatedFrom(const std::string&, std::int32_t) { NoMemory(); }
void TTranslationMemory::RecordUnit(const TMemoryUnit&) { NoMemory(); }
void TTranslationMemory::RecordUnit(std::int64_t, LANGID, std::u16string_view, LANGID, std::string_view, TUnitOrigin,
                                    const std::string&) {
  NoMemory();
}
std::int64_t TTranslationMemory::SourceOf(LANGID, std::u16string_view) { NoMemory(); }
std::int64_t TTranslationMemory::FindSource(LANGID, std::u16string_view) { NoMemory(); }
std::optional<std::u16string> TTranslationMemory::ExactTranslation(std::int64_t, LANGID) { NoMemory(); }
std::optional<std::u16string> TTranslationMemory::ExactTranslation(LANGID, std::u16string_view, LANGID) {
  NoMemory();
}
void TTranslationMemory::ForEachUnit(std::optional<LANGID>, const std::function<void(const TMemoryUnit&)>&) {
  NoMemory();
}
std::vector<TSuggestion> TTranslationMemory::Suggestions(LANGID, std::u16string_view, LANGID, int, std::size_t) {
  NoMemory();
}
std::int64_t TTranslationMemory::UnitCount() { NoMemory(); }
std::optional<std::int32_t> TTranslationMemory::SeenRevision(LANGID) { NoMemory(); }
void TTranslationMemory::SetSeenRevision(LANGID, std::int32_t) { NoMemory(); }
std::string TTranslationMemory::IntegrityCheck() { NoMemory(); }

TRunMemory::TRunMemory(const std::string&, bool) { NoMemory(); }
TRunMemory::~TRunMemory() = default;
void TRunMemory::BeginNativePass(const TLocStorage&) {}
void TRunMemory::EndNativePass(const TLocStorage&, std::int32_t) {}
void TRunMemory::BeginTranslationPass(const TLocStorage&, int) {}
void TRunMemory::EndTranslationPass(TLocStorage&, int, std::int32_t, const std::string&, std::vector<std::string>&) {}
void TRunMemory::PassSaved(bool) {}
void TRunMemory::PassKept(std::int32_t) {}
void TRunMemory::Finish() {}

}  // namespace sw
