#include "util/StringListFiles.h"

#include "base/Exceptions.h"
#include "util/Messages.h"
#include "util/UserInteraction.h"

namespace sw {

void LoadStringList(TStringList& list, const std::string& fileName) { list.LoadFromFile(fileName); }

void SaveStringListRetry(const TStringList& list, const std::string& fileName) {
  for (;;) {
    try {
      list.SaveToFile(fileName);
      return;
    } catch (const std::exception&) {
      if (AskRetryCancel(SRetryCaption, Format(SCouldNotWriteFile, fileName)) != idRetry) return;
    }
  }
}

}  // namespace sw
