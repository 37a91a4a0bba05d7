// `shelfwright-cli process`: runs the processing run of one library, either
// stored in a settings file (--settings FILE --library N | --name NAME) or
// given on the command line (--src, --dest, --short-name, --lang ...), then
// writes lib.ini and prints a summary (text or JSON).
//
// Status lines go to stderr as the status window would show them (one
// rewritten progress line on a terminal). Every file that fails is reported on
// stderr prefixed with its name and the run goes on, as the window does; the
// exit code is 0 when every file was read, 1 when the run failed or any file
// failed (the language files are still written), 2 for usage errors.
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

#include "app/LibraryFilesProcessor.h"
#include "app/LibrarySettings.h"
#include "cli/Commands.h"
#include "cli/LibraryOptions.h"
#include "platform/SettingsLocation.h"
#include "storage/LocCommon.h"
#include "util/QConsts.h"
#include "util/QLocales.h"
#include "util/QStrings.h"
#include "util/TerminalUserInteraction.h"

namespace sw::cli {

namespace {

struct ProcessOptions {
  LibraryOptions Library;
  bool RemoveUnused = false;
  bool Json = false;
  bool Quiet = false;
};

// Terminal output of the run: status lines as the terminal implementation
// writes them; each message on one line of stderr.
class ProcessUserInteraction : public TerminalUserInteraction {
 public:
  void ShowMessage(const std::string&, const std::string& text) override {
    HideStatus();
    std::cerr << "shelfwright-cli: " << ReplaceAll(text, "\r\n", ": ") << std::endl;
  }
};

const char* const kKindNames[4] = {"res", "pas", "rc", "dfm"};

nlohmann::json SummaryJson(const std::string& name, const TLibraryFilesProcessor& processor,
                           const std::string& libIni, const std::string& failure) {
  const TRunStats& stats = processor.Stats();
  nlohmann::json filesRead = nlohmann::json::object();
  for (int k = 0; k < 4; ++k) filesRead[kKindNames[k]] = stats.FilesRead[static_cast<std::size_t>(k)];
  nlohmann::json errors = nlohmann::json::array();
  for (const auto& error : stats.Errors) errors.push_back({{"file", error.FileName}, {"message", error.Message}});
  nlohmann::json languages = nlohmann::json::array();
  for (const auto& language : stats.Languages) {
    const auto id = static_cast<LANGID>(language.LangId);
    languages.push_back({{"id", language.LangId},
                         {"abbr", GetLangAbbr(id)},
                         {"name", GetEnglishLangName(id)},
                         {"file", language.FileName},
                         {"revision", language.Revision},
                         {"items", language.Items},
                         {"valuesChanged", language.ValuesChanged}});
  }
  nlohmann::json out = {{"library", name},
                        {"destDir", processor.DestDir},
                        {"filesRead", filesRead},
                        {"filesFailed", stats.FilesFailed},
                        {"errors", errors},
                        {"languages", languages},
                        {"libIni", libIni.empty() ? nlohmann::json() : nlohmann::json(libIni)},
                        {"ok", failure.empty() && stats.FilesFailed == 0}};
  if (!failure.empty()) out["error"] = failure;
  return out;
}

void PrintSummary(const TLibraryFilesProcessor& processor) {
  const TRunStats& stats = processor.Stats();
  std::cout << "Files read:";
  for (int k = 0; k < 4; ++k)
    std::cout << (k ? ", " : " ") << stats.FilesRead[static_cast<std::size_t>(k)] << " ." << kKindNames[k];
  std::cout << "; files failed: " << stats.FilesFailed << "\n";
  for (const auto& language : stats.Languages) {
    const auto id = static_cast<LANGID>(language.LangId);
    std::cout << "  " << GetLangAbbr(id) << "  " << GetEnglishLangName(id) << ": " << language.Items << " items, "
              << language.ValuesChanged << " values changed, revision " << language.Revision << "  -> "
              << language.FileName << "\n";
  }
}

int RunProcess(const ProcessOptions& options) {
  TLibraryFilesProcessor processor;
  std::string name;
  try {
    name = ConfigureLibrary(options.Library, processor);
    processor.RemoveUnused = options.RemoveUnused;
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  ProcessUserInteraction terminal;
  terminal.ShowStatusLines = !options.Quiet;
  TFileNamingUserInteraction ui(terminal, processor);
  ScopedUserInteraction scope(&ui);
  std::string failure;
  std::string libIni;
  ShowStatus(SStartingProcessing);
  try {
    processor.Run();
    WriteLibIni(processor.DestDir, name, processor.ShortName, processor.Languages, processor.PropRules);
    libIni = JoinPath(processor.DestDir, "lib.ini");
  } catch (const Exception& e) {
    failure = e.Message();
  }
  HideStatus();
  if (!failure.empty()) PrintError(ReplaceAll(failure, "\r\n", ": "));
  if (options.Json) {
    std::cout << SummaryJson(name, processor, libIni, failure)
                     .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
              << "\n";
  } else {
    if (failure.empty()) std::cout << SProcessingComplete << "\n";
    PrintSummary(processor);
  }
  return failure.empty() && processor.Stats().FilesFailed == 0 ? kExitOk : kExitFailure;
}

void AddProcessCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("process", "Process a library: extract its texts and write its language files");
  auto options = std::make_shared<ProcessOptions>();
  AddLibraryOptions(cmd, options->Library);
  cmd->add_option("--scan", options->Library.Scan, "File kinds to read: res,pas,rc,dfm (default: all, or the stored ones)");
  cmd->add_flag("--remove-unused", options->RemoveUnused, "Remove items no longer found in the sources");
  cmd->add_option("--rules", options->Library.RulesFile, "Property rules file (one rule per line) replacing the rules in force");
  cmd->add_flag("--json", options->Json, "Print the summary as JSON");
  cmd->add_flag("-q,--quiet", options->Quiet, "Print no status lines");
  cmd->callback([options]() { SetExitCode(RunProcess(*options)); });
}

const CommandRegistration kProcessRegistration(10, AddProcessCommand);

}  // namespace

}  // namespace sw::cli
