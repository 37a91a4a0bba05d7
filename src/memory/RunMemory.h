// What the processing run asks the library's memory, at four points of a run:
// before and after the native pass, before and after each translation pass.
// It owns the memory's write transaction for the whole run (committed by
// Finish; a run that ends otherwise leaves the memory as it was).
//
// Native pass: a native text that changed goes into the memory as the item's
// previous text; items that did not exist before are remembered as new.
//
// Translation pass: a folder's text replaces the stored translation only when
// it is news, i.e. the folder's text for the item changed since the last run
// read it, or the item is still an untranslated copy and the folder's text
// differs from the native text. Otherwise the stored translation is put back
// as it was and the difference is reported. A text from a folder that equals
// the native text is a copy (untranslated), never a translation. New items
// that are still untranslated get the memory's latest translation of their
// native text, marked out of date. The translations that are up to date and
// new to the memory are recorded as units; the folder's texts are remembered.
//
// With `PreferFolders` every folder text is taken, as without a memory, and
// only the recording is done.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "memory/TranslationMemory.h"

namespace sw {

class TLocStorage;
class TLocItem;

struct TKeptTranslation {
  LANGID Lang = 0;
  std::string Place;
};

struct TReusedCount {
  LANGID Lang = 0;
  int Count = 0;
};

struct TMemoryRunReport {
  bool Used = false;
  std::string FileName;
  std::vector<std::string> Notes;       // a file set aside, ...
  std::vector<TKeptTranslation> Kept;   // every translation kept against its folder
  std::vector<TReusedCount> Reused;     // per translation language with reuses
  int PreviousTexts = 0;                // native texts replaced in this run
  int UnitsRecorded = 0;
};

// "%d translations in the language file differ from the translation folder;
// kept the language file's"
extern const char* const SKeptTranslations;

class TRunMemory {
 public:
  // Opens the memory file and takes its write lock; raises EMemoryError when
  // it cannot (another program holds it past the busy timeout).
  TRunMemory(const std::string& fileName, bool preferFolders);
  ~TRunMemory();

  void BeginNativePass(const TLocStorage& storage);
  void EndNativePass(const TLocStorage& storage, std::int32_t revision);
  void BeginTranslationPass(const TLocStorage& storage, int column);
  // `languageName` names the language in the warning it adds to `warnings`.
  void EndTranslationPass(TLocStorage& storage, int column, std::int32_t revision, const std::string& languageName,
                          std::vector<std::string>& warnings);
  // After a pass: whether its language file was written. What a pass whose
  // file was not written recorded is undone.
  void PassSaved(bool written);
  // After a pass whose language file was left as it was on disk (nothing in
  // it changed): what the pass recorded is kept, and the memory has seen the
  // file's revision on disk, `revision`, not the pass's, which no file holds.
  void PassKept(std::int32_t revision);
  // Commits what the run recorded.
  void Finish();

  const TMemoryRunReport& Report() const { return report_; }
  TTranslationMemory& Memory() { return *memory_; }

 private:
  // Texts and revisions copied into one buffer (a copy each would be an
  // allocation per item and pass).
  class TTextSnapshot {
   public:
    void Clear() {
      chars_.clear();
      entries_.clear();
    }
    void Add(std::u16string_view text, std::int32_t revision) {
      entries_.push_back({chars_.size(), text.size(), revision});
      chars_.insert(chars_.end(), text.begin(), text.end());
    }
    std::u16string_view Text(std::size_t i) const { return {chars_.data() + entries_[i].Start, entries_[i].Size}; }
    std::int32_t Revision(std::size_t i) const { return entries_[i].Revision; }
    std::size_t Size() const { return entries_.size(); }

   private:
    struct TEntry {
      std::size_t Start = 0;
      std::size_t Size = 0;
      std::int32_t Revision = 0;
    };
    std::vector<char16_t> chars_;
    std::vector<TEntry> entries_;
  };
  // What identifies the folder texts of a pass: a hash of the place and
  // text of every item the folder held.
  std::uint64_t FolderPrint(int column) const;

  std::unique_ptr<TTranslationMemory> memory_;
  bool preferFolders_ = false;
  TMemoryRunReport report_;
  // The native texts before the native pass, and their places.
  std::vector<std::string> nativePlaces_;
  TTextSnapshot nativeBefore_;
  bool nativeSeen_ = false;
  // The storage's items with a native text, their places, and the places' hashes.
  std::vector<std::pair<TLocItem*, std::string>> items_;
  std::vector<std::uint64_t> placeHashes_;
  std::vector<bool> newItems_;  // by item
  TTextSnapshot snapshot_;
  std::vector<std::int64_t> sources_;  // the memory's id of each item's native text, 0: not known yet
  bool inPass_ = false;
  LANGID passLang_ = 0;  // the translation language of the pass, 0 in the native pass
};

}  // namespace sw
