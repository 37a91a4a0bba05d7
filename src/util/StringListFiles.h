// Loading and saving whole text files as string lists; saving asks the user
// to retry when the file cannot be written.
#pragma once

#include <string>

#include "runtime/StringList.h"

namespace sw {

void LoadStringList(TStringList& list, const std::string& fileName);
// Saves the list; on failure asks "Could not write to file ..." with Retry
// and Cancel through the user-interaction seam. Cancel returns normally.
void SaveStringListRetry(const TStringList& list, const std::string& fileName);

}  // namespace sw
