// See UnchangedLanguageFile.h.
#include "app/UnchangedLanguageFile.h"

#include <exception>
#include <string>

#include "platform/FileSystem.h"
#include "storage/LocLangFile.h"

namespace sw {

bool LanguageFileUnchanged(TLangFile& file, const TLocStorage& storage, int column, std::int32_t revision,
                           std::int32_t build) {
  const std::int32_t passRevision = file.Revision;
  const std::int32_t passBuild = file.Build;
  const std::uint16_t version = file.Version;
  file.Revision = revision;
  file.Build = build;
  bool same = false;
  try {
    same = platform::FileExists(file.FileName) &&
           file.BuildImage(&storage, column, false) == platform::ReadFileBytes(file.FileName);
  } catch (const std::exception&) {
    same = false;  // the save that follows reports what is wrong
  }
  file.Revision = passRevision;
  file.Build = passBuild;
  file.Version = version;
  return same;
}

}  // namespace sw
