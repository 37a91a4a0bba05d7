// Whether a pass left a language file as it was: the file a pass would save,
// built with the revision and build number the file had on disk, compared
// byte for byte with the file on disk. Used by the run for libraries that
// keep unchanged files (`KeepUnchangedFiles`): such a file is not written, so
// its revision does not rise and version control sees no change.
//
// It decides nothing else: that a pass which stamped values with its own
// revision changed its file is the caller's shortcut, and what the memory
// and the summary make of a kept file is the run's.
#pragma once

#include <cstdint>

namespace sw {

class TLangFile;
class TLocStorage;

// True when saving `column` of `storage` into `file` with header revision
// `revision` and build `build` would write exactly the bytes of the file on
// disk. The file's header fields are left as they were on return. A file that
// cannot be read counts as changed.
bool LanguageFileUnchanged(TLangFile& file, const TLocStorage& storage, int column, std::int32_t revision,
                           std::int32_t build);

}  // namespace sw
