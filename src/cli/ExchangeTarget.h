// What the translators' commands (stats, export, import) need from a
// library given as `process` takes it: its display name, its destination
// folder and short name, and its languages.
#pragma once

#include <string>
#include <vector>

#include "cli/LibraryOptions.h"
#include "storage/ExchangeUnits.h"
#include "util/LocaleCatalogue.h"

namespace sw::cli {

struct ExchangeLibrary {
  std::string Name;
  std::string DestDir;
  std::string ShortName;
  std::vector<LANGID> Languages;  // the first is native
  std::string MemoryFile;         // the library's memory file (it may not exist)

  std::string FileOf(LANGID id) const { return LangFileNameFor(DestDir, ShortName, id); }
};

inline ExchangeLibrary ResolveLibrary(const LibraryOptions& options, const std::string& langsOption) {
  const TResolvedLibrary definition = ResolveLibraryOptions(options, false, langsOption);
  ExchangeLibrary library;
  library.Name = definition.Name;
  library.DestDir = definition.DestDir;
  library.ShortName = definition.ShortName;
  library.MemoryFile = definition.MemoryFile;
  for (int i = 0; i < definition.Languages.Count(); ++i)
    library.Languages.push_back(static_cast<LANGID>(definition.Languages[i]->LangId));
  if (library.Languages.empty()) throw UsageError("the library \"" + library.Name + "\" has no languages");
  return library;
}

// The translation language `lang` names; raises UsageError when it is the
// native language or not one of the library's.
inline LANGID ResolveTranslation(const ExchangeLibrary& library, const std::string& lang) {
  const auto id = static_cast<LANGID>(ParseLangId(lang, "--lang"));
  for (std::size_t i = 0; i < library.Languages.size(); ++i) {
    if (library.Languages[i] != id) continue;
    if (i == 0) throw UsageError("--lang " + lang + ": that is the native language of \"" + library.Name + "\"");
    return id;
  }
  throw UsageError("--lang " + lang + ": not a language of the library \"" + library.Name + "\"");
}

// Fills an export's or import's library, language and memory file from the
// command line; raises UsageError as the two above do.
template <class Request>
void ResolveExchangeRequest(const LibraryOptions& options, const std::string& lang, Request& request) {
  const ExchangeLibrary library = ResolveLibrary(options, "--languages");
  request.LangId = ResolveTranslation(library, lang);
  request.Library = {library.DestDir, library.ShortName, library.Languages};
  request.MemoryFile = library.MemoryFile;
}

}  // namespace sw::cli
