// See RunMemory.h.
#include "memory/RunMemory.h"

#include <algorithm>
#include <unordered_map>

// xxHash header only: no library to link.
#define XXH_INLINE_ALL
#include <xxhash.h>

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
  nativePlaces_.clear();
  nativeBefore_.Clear();
  // A storage without languages has nothing loaded yet (no native file).
  nativeSeen_ = storage.LanguageCount() > 0;
  if (!nativeSeen_) return;
  for (auto& [item, place] : CollectPlaces(storage)) {
    nativeBefore_.Add(item->NativeValue()->Text, 0);
    nativePlaces_.push_back(std::move(place));
  }
}

void TRunMemory::EndNativePass(const TLocStorage& storage, std::int32_t revision) {
  items_ = CollectPlaces(storage);
  placeHashes_.clear();
  placeHashes_.reserve(items_.size());
  for (const auto& item : items_) placeHashes_.push_back(TTranslationMemory::PlaceHash(item.second));
  sources_.clear();
  newItems_.assign(items_.size(), false);
  // The items are met in the order they were before, save those the pass
  // added or removed: each is looked for where the last one was found, and
  // by its place only when it is not there.
  std::unordered_map<std::string_view, std::size_t> byPlace;
  std::size_t next = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const auto& [item, place] = items_[i];
    std::size_t found = nativePlaces_.size();
    if (next < nativePlaces_.size() && nativePlaces_[next] == place) {
      found = next;
    } else if (nativeSeen_) {
      if (byPlace.empty()) {
        byPlace.reserve(nativePlaces_.size());
        for (std::size_t j = 0; j < nativePlaces_.size(); ++j) byPlace.emplace(nativePlaces_[j], j);
      }
      if (const auto at = byPlace.find(place); at != byPlace.end()) found = at->second;
    }
    if (found == nativePlaces_.size()) {
      newItems_[i] = true;
      continue;
    }
    next = found + 1;
    const std::u16string_view before = nativeBefore_.Text(found);
    if (before != item->NativeValue()->Text) {
      memory_->AddPreviousText(place, before, revision);
      ++report_.PreviousTexts;
    }
  }
  nativePlaces_.clear();
  nativeBefore_.Clear();
}

void TRunMemory::BeginTranslationPass(const TLocStorage& /*storage*/, int column) {
  PassSaved(false);
  memory_->BeginStep();
  inPass_ = true;
  snapshot_.Clear();
  for (const auto& [item, place] : items_) {
    const TLocValue* value = item->Values(column);
    snapshot_.Add(value->Text, value->Revision);
  }
}

std::uint64_t TRunMemory::FolderPrint(int column) const {
  // Each text's hash is seeded with its place's; the sum, weighted by the
  // items' order, changes with any one of them.
  std::uint64_t print = 0, count = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const TLocItem* item = items_[i].first;
    if (!item->IsUsed) continue;
    const std::u16string_view text = item->Values(column)->Text;
    print = print * 0x9E3779B97F4A7C15ull + XXH3_64bits_withSeed(text.data(), text.size() * sizeof(char16_t), placeHashes_[i]);
    ++count;
  }
  return memory::MixHash(print ^ memory::MixHash(count));
}

void TRunMemory::EndTranslationPass(TLocStorage& storage, int column, std::int32_t revision,
                                    const std::string& languageName, std::vector<std::string>& warnings) {
  const LANGID nativeLang = storage.Languages(0);
  const LANGID lang = storage.Languages(column);
  const auto seen = memory_->SeenRevision(lang);
  if (sources_.size() != items_.size()) sources_.assign(items_.size(), 0);
  // A folder that supplied the same texts as when the memory last read it
  // has no news: its texts need not be looked up, nor remembered again.
  const std::uint64_t print = FolderPrint(column);
  const bool sameFolder = memory_->FolderPrint(lang) == print;
  std::vector<std::string> kept;
  int reused = 0;
  std::string utf8;  // the value's text in UTF-8, when `hasUtf8`
  for (std::size_t i = 0; i < items_.size(); ++i) {
    TLocItem* item = items_[i].first;
    const std::string& place = items_[i].second;
    TLocValue* value = item->Values(column);
    const std::u16string_view beforeText = snapshot_.Text(i);
    const std::int32_t beforeRevision = snapshot_.Revision(i);
    const std::u16string_view native = item->NativeValue()->Text;
    bool hasUtf8 = false;
    if (item->IsUsed) {
      // Met in the folder: the value now holds the folder's text.
      bool hasLast = true, folderChanged = false;
      if (!sameFolder) {
        utf8.clear();
        AppendUtf16AsUtf8(utf8, value->Text);
        hasUtf8 = true;
        const auto was = memory_->NoteFolderText(lang, place, placeHashes_[i], utf8);
        hasLast = was != TTranslationMemory::TFolderTextWas::None;
        folderChanged = was != TTranslationMemory::TFolderTextWas::Same;
      }
      const bool changed = value->Text != beforeText || value->Revision != beforeRevision;
      if (changed) {
        const bool news = preferFolders_ || (hasLast && folderChanged) ||
                          (beforeRevision == -1 && value->Text != native);
        if (!news) {
          if (beforeText != value->Text) {
            kept.push_back(place);
            hasUtf8 = false;
          }
          value->SetText(beforeText);
          value->SetRevision(beforeRevision);
        } else if (value->Text == native && IsText(item->ValueKind())) {
          // A folder that holds the native text has not translated it.
          value->SetRevision(-1);
        }
      }
    }
    if (!IsText(item->ValueKind())) continue;
    if (value->Revision == -1 && newItems_[i]) {
      if (sources_[i] == 0) sources_[i] = memory_->FindSource(nativeLang, native);
      if (auto translation = memory_->ExactTranslation(sources_[i], lang); translation && *translation != native) {
        value->SetText(*translation);
        // To be reviewed: never up to date.
        value->SetRevision(std::max(0, item->NativeValue()->Revision - 1));
        ++reused;
      }
    } else if (value->Revision != -1 && value->IsUpToDate() && (!seen || value->Revision > *seen) &&
               value->Text != native) {
      if (sources_[i] == 0) sources_[i] = memory_->SourceOf(nativeLang, native);
      if (!hasUtf8) {
        utf8.clear();
        AppendUtf16AsUtf8(utf8, value->Text);
      }
      memory_->RecordUnit(sources_[i], nativeLang, native, lang, utf8,
                          value->Revision == revision ? TUnitOrigin::Folder : TUnitOrigin::Import, place);
      ++report_.UnitsRecorded;
    }
  }
  if (!sameFolder) memory_->SetFolderPrint(lang, print);
  memory_->SetSeenRevision(lang, revision);
  passLang_ = lang;
  snapshot_.Clear();
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
