// See RunMemory.h.
#include "memory/RunMemory.h"

#include <algorithm>

#include "base/Unicode.h"
#include "storage/ExchangeUnits.h"
#include "storage/LocStorage.h"
#include "base/Exceptions.h"

namespace sw {

const char* const SKeptTranslations =
    "%d translations in the language file differ from the translation folder; kept the language file's";

namespace {

// How many kept items a warning names; the JSON summary lists all.
constexpr std::size_t kKeptListed = 5;

bool IsText(std::uint8_t kind) { return kind == vkString || kind == vkStrings; }

}  // namespace

TRunMemory::TRunMemory(const std::string& fileName, bool preferFolders)
    : memory_(std::make_unique<TTranslationMemory>(fileName)), preferFolders_(preferFolders) {
  report_.Used = true;
  report_.FileName = fileName;
  report_.Notes = memory_->Notes();
  memory_->Begin();
}

TRunMemory::~TRunMemory() = default;

void TRunMemory::BeginNativePass(const TLocStorage& storage) {
  PassSaved(false);  // a pass that was stopped half-way recorded nothing to keep
  memory_->BeginStep();
  inPass_ = true;
  passLang_ = 0;
  nativeBefore_.clear();
  // A storage without languages has nothing loaded yet (no native file).
  nativeSeen_ = storage.LanguageCount() > 0;
  if (!nativeSeen_) return;
  for (const auto& unit : CollectUnits(storage, 0)) nativeBefore_.emplace(unit.Place, unit.Item->NativeValue()->Text);
}

void TRunMemory::CollectItems(const TLocStorage& storage) {
  items_.clear();
  for (auto& unit : CollectUnits(storage, 0)) items_.emplace_back(unit.Item, std::move(unit.Place));
}

void TRunMemory::EndNativePass(const TLocStorage& storage, std::int32_t revision) {
  CollectItems(storage);
  sources_.clear();
  newItems_.clear();
  for (const auto& [item, place] : items_) {
    const auto before = nativeBefore_.find(place);
    if (before == nativeBefore_.end()) {
      newItems_.insert(item);
    } else if (before->second != item->NativeValue()->Text) {
      memory_->AddPreviousText(place, before->second, revision);
      ++report_.PreviousTexts;
    }
  }
  nativeBefore_.clear();
}

void TRunMemory::BeginTranslationPass(const TLocStorage& /*storage*/, int column) {
  PassSaved(false);
  memory_->BeginStep();
  inPass_ = true;
  snapshot_.clear();
  snapshot_.reserve(items_.size());
  for (const auto& [item, place] : items_) {
    const TLocValue* value = item->Values(column);
    snapshot_.push_back({value->Text, value->Revision});
  }
}

void TRunMemory::EndTranslationPass(TLocStorage& storage, int column, std::int32_t revision,
                                    const std::string& languageName, std::vector<std::string>& warnings) {
  const LANGID nativeLang = storage.Languages(0);
  const LANGID lang = storage.Languages(column);
  const auto seen = memory_->SeenRevision(lang);
  if (sources_.size() != items_.size()) sources_.assign(items_.size(), 0);
  std::vector<std::string> kept;
  int reused = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    TLocItem* item = items_[i].first;
    const std::string& place = items_[i].second;
    TLocValue* value = item->Values(column);
    const TSnapshot& before = snapshot_[i];
    const std::u16string_view native = item->NativeValue()->Text;
    if (item->IsUsed) {
      // Met in the folder: the value now holds the folder's text.
      std::string folderText = Utf16ToUtf8(value->Text);
      const auto last = memory_->LastFolderText(lang, place);
      const bool folderChanged = !last || *last != folderText;
      const bool changed = value->Text != before.Text || value->Revision != before.Revision;
      if (changed) {
        const bool news = preferFolders_ || (last && folderChanged) ||
                          (before.Revision == -1 && value->Text != native);
        if (!news) {
          if (before.Text != value->Text) kept.push_back(place);
          value->SetText(before.Text);
          value->SetRevision(before.Revision);
        } else if (value->Text == native && IsText(item->ValueKind())) {
          // A folder that holds the native text has not translated it.
          value->SetRevision(-1);
        }
      }
      if (folderChanged) memory_->SetFolderTextUtf8(place, lang, folderText);
    }
    if (!IsText(item->ValueKind())) continue;
    if (value->Revision == -1 && newItems_.count(item) != 0) {
      if (auto translation = memory_->ExactTranslation(nativeLang, native, lang); translation && *translation != native) {
        value->SetText(std::move(*translation));
        // To be reviewed: never up to date.
        value->SetRevision(std::max(0, item->NativeValue()->Revision - 1));
        ++reused;
      }
    } else if (value->Revision != -1 && value->IsUpToDate() && (!seen || value->Revision > *seen) &&
               value->Text != native) {
      if (sources_[i] == 0) sources_[i] = memory_->SourceOf(nativeLang, native);
      memory_->RecordUnit(sources_[i], nativeLang, native, lang, Utf16ToUtf8(value->Text),
                          value->Revision == revision ? TUnitOrigin::Folder : TUnitOrigin::Import, place);
      ++report_.UnitsRecorded;
    }
  }
  memory_->SetSeenRevision(lang, revision);
  passLang_ = lang;
  snapshot_.clear();
  if (reused > 0) report_.Reused.push_back({lang, reused});
  if (!kept.empty()) {
    std::string listed;
    for (std::size_t i = 0; i < kept.size() && i < kKeptListed; ++i) listed += (i ? ", " : "") + kept[i];
    if (kept.size() > kKeptListed) listed += ", ...";
    warnings.push_back(Format(SKeptTranslations, static_cast<int>(kept.size())) + " (" + languageName + ": " + listed +
                       ")");
    for (auto& place : kept) report_.Kept.push_back({lang, std::move(place)});
  }
}

void TRunMemory::PassSaved(bool written) {
  if (!inPass_) return;
  inPass_ = false;
  memory_->EndStep(written);
  if (!written) sources_.clear();  // the native texts the step added are gone with it
}

void TRunMemory::PassKept(std::int32_t revision) {
  if (!inPass_) return;
  // A later pass stamps its changes with this revision + 1; had the memory
  // seen a higher one, it would not record them.
  if (passLang_ != 0) memory_->SetSeenRevision(passLang_, revision);
  PassSaved(true);
}

void TRunMemory::Finish() {
  PassSaved(false);
  memory_->Commit();
}

}  // namespace sw
