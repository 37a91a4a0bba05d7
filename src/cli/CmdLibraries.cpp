// `shelfwright-cli libraries`: lists the libraries stored in a settings file
// with their folders, file kinds and languages (text or JSON).
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

#include "app/FileKinds.h"
#include "app/LibrarySettings.h"
#include "cli/Commands.h"
#include "platform/SettingsLocation.h"
#include "util/LocaleCatalogue.h"

namespace sw::cli {

namespace {

struct LibrariesOptions {
  std::string SettingsFile;
  bool Json = false;
};

int RunLibraries(const LibrariesOptions& options) {
  const std::string fileName =
      options.SettingsFile.empty() ? platform::SettingsFileName() : options.SettingsFile;
  TLibrarySettings settings(fileName);
  // A file the user named must be there: a typo is no empty list.
  if (!options.SettingsFile.empty()) settings.RequireFile();
  const TLibraryList list = settings.LoadLibraryList();
  if (options.Json) {
    nlohmann::json libraries = nlohmann::json::array();
    for (int n = 1; n <= static_cast<int>(list.Names.size()); ++n) {
      const TLibraryDefinition library = settings.LoadLibrary(n);
      nlohmann::json languages = nlohmann::json::array();
      for (int i = 0; i < library.Languages.Count(); ++i) {
        const auto id = static_cast<LANGID>(library.Languages[i]->LangId);
        languages.push_back({{"id", library.Languages[i]->LangId},
                             {"abbr", GetLangAbbr(id)},
                             {"name", DisplayLangName(id)},
                             {"subFolder", library.Languages[i]->SubFolder},
                             {"native", i == 0}});
      }
      libraries.push_back({{"number", n},
                           {"name", library.Name},
                           {"shortName", library.ShortName},
                           {"srcDir", library.SrcDir},
                           {"destDir", library.DestDir},
                           {"scanFiles", library.ScanFiles},
                           {"languages", languages},
                           {"propRules", library.PropRules.Lines()}});
    }
    const nlohmann::json out = {{"settingsFile", fileName},
                                {"lastLib", list.LastLib},
                                {"globalPropRules", list.GlobalPropRules.Lines()},
                                {"libraries", libraries}};
    // Settings hold 8-bit text in some code page: invalid UTF-8 is replaced
    // rather than aborting the listing.
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return kExitOk;
  }
  std::cout << "Settings: " << fileName << "\n";
  if (list.Names.empty()) {
    std::cout << "No libraries.\n";
    return kExitOk;
  }
  for (int n = 1; n <= static_cast<int>(list.Names.size()); ++n) {
    const TLibraryDefinition library = settings.LoadLibrary(n);
    std::cout << n << ". " << library.Name << (n == list.LastLib ? "  (last used)" : "") << "\n"
              << "   short name: " << library.ShortName << "\n"
              << "   source:     " << library.SrcDir << "\n"
              << "   output:     " << library.DestDir << "\n"
              << "   scan:       " << FileKindNames(library.ScanFiles, ",") << "\n";
    if (library.Languages.Count() == 0) std::cout << "   languages:  none\n";
    for (int i = 0; i < library.Languages.Count(); ++i) {
      const auto* language = library.Languages[i];
      const auto id = static_cast<LANGID>(language->LangId);
      std::cout << (i == 0 ? "   languages:  " : "               ") << GetLangAbbr(id) << "  "
                << DisplayLangName(id) << " (" << language->LangId << "), folder \"" << language->SubFolder
                << "\"" << (i == 0 ? ", native" : "") << "\n";
    }
    if (library.PropRules.Count() > 0)
      std::cout << "   rules:      " << library.PropRules.Join(" ") << "\n";
  }
  return kExitOk;
}

void AddLibrariesCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("libraries", "List the libraries stored in a settings file");
  auto options = std::make_shared<LibrariesOptions>();
  cmd->add_option("--settings", options->SettingsFile, "Settings file (default: the program's settings)");
  cmd->add_flag("--json", options->Json, "Print JSON instead of text");
  cmd->callback([options]() { SetExitCode(RunLibraries(*options)); });
}

const CommandRegistration kLibrariesRegistration(30, AddLibrariesCommand);

}  // namespace

}  // namespace sw::cli
