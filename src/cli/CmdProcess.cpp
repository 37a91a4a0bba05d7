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
#include "platform/SettingsLocation.h"
#include "storage/LocCommon.h"
#include "util/QConsts.h"
#include "util/QLocales.h"
#include "util/QStrings.h"
#include "util/TerminalUserInteraction.h"

namespace sw::cli {

namespace {

struct ProcessOptions {
  std::string SettingsFile;
  int Library = 0;
  std::string Name;
  std::string SrcDir;
  std::string DestDir;
  std::string ShortName;
  std::vector<std::string> Langs;
  std::string Scan;
  bool RemoveUnused = false;
  std::string RulesFile;
  bool Json = false;
  bool Quiet = false;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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

int ParseLangId(const std::string& text) {
  const std::string t = TrimSpaces(text);
  int id = 0;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    bool ok = true;
    for (std::size_t i = 2; i < t.size(); ++i) ok = ok && IsHexDigitChar(t[i]);
    if (ok && t.size() <= 6) id = HexToInt(t.substr(2));
  } else if (IsAllDigits(t)) {
    if (t.size() <= 5) id = std::stoi(t);
  } else if (!t.empty()) {
    id = LangIdFromAbbr(UpperAscii(t));
    if (id == 0) id = LangIdFromEnglishName(t);
  }
  if (id <= 0 || id > 0xFFFF || GetLangAbbr(static_cast<LANGID>(id)).empty())
    throw UsageError("--lang " + text + ": not a known language (decimal or 0x hex identifier, or abbreviation such as DEU)");
  return id;
}

int ParseScan(const std::string& text) {
  int flags = 0;
  std::string rest = text;
  while (!rest.empty()) {
    auto [item, tail] = SplitAt(",", rest);
    rest = tail;
    const std::string kind = LowerAscii(TrimSpaces(item));
    if (kind == "res" || kind == "r32")
      flags |= sfResFiles;
    else if (kind == "pas")
      flags |= sfPasFiles;
    else if (kind == "rc")
      flags |= sfRcFiles;
    else if (kind == "dfm")
      flags |= sfDfmFiles;
    else if (kind == "none" || kind.empty())
      continue;
    else
      throw UsageError("--scan: unknown file kind \"" + kind + "\" (use res, pas, rc, dfm or none)");
  }
  return flags;
}

// Fills the processor from the options; returns the library's display name.
std::string Configure(const ProcessOptions& options, TLibraryFilesProcessor& processor) {
  const bool stored = options.Library != 0 || !options.Name.empty();
  const bool given = !options.SrcDir.empty() || !options.DestDir.empty() || !options.ShortName.empty() ||
                     !options.Langs.empty();
  if (stored && given) throw UsageError("give either --library/--name or --src/--dest/--short-name/--lang, not both");
  if (options.Library != 0 && !options.Name.empty()) throw UsageError("give either --library or --name, not both");
  std::string name;
  if (stored) {
    const std::string fileName = options.SettingsFile.empty() ? platform::SettingsFileName() : options.SettingsFile;
    TLibrarySettings settings(fileName);
    const TLibraryList list = settings.LoadLibraryList();
    int n = options.Library;
    if (!options.Name.empty()) {
      n = settings.FindLibraryByName(options.Name);
      if (n == 0) throw UsageError("no library named \"" + options.Name + "\" in " + fileName);
    }
    if (n < 1 || n > static_cast<int>(list.Names.size()))
      throw UsageError("no library " + std::to_string(n) + " in " + fileName + " (it holds " +
                       std::to_string(list.Names.size()) + ")");
    // The rules in force follow the window: defaults, replaced by the global
    // rules, replaced by the library's own.
    if (list.GlobalPropRules.Count() > 0) processor.PropRules.Assign(list.GlobalPropRules);
    TLibraryDefinition library = settings.LoadLibrary(n);
    if (library.PropRules.Count() > 0) processor.PropRules.Assign(library.PropRules);
    processor.Languages.Assign(library.Languages);
    processor.SrcDir = library.SrcDir;
    processor.DestDir = library.DestDir;
    processor.ShortName = library.ShortName;
    processor.ScanFiles = library.ScanFiles;
    name = library.Name;
  } else {
    if (options.SrcDir.empty() || options.DestDir.empty() || options.ShortName.empty() || options.Langs.empty())
      throw UsageError(
          "give --settings FILE with --library N or --name NAME, or --src, --dest, --short-name and at least one --lang");
    for (const auto& lang : options.Langs) {
      const auto [id, folder] = SplitAt("=", lang);
      const int langId = ParseLangId(id);
      if (!processor.Languages.AddLibLanguage(langId, folder))
        throw UsageError("--lang " + lang + ": the language is given twice");
    }
    processor.SrcDir = options.SrcDir;
    processor.DestDir = options.DestDir;
    processor.ShortName = options.ShortName;
    processor.ScanFiles = sfAllFiles;
    name = options.ShortName;
  }
  if (!options.Scan.empty()) processor.ScanFiles = ParseScan(options.Scan);
  processor.RemoveUnused = options.RemoveUnused;
  if (!options.RulesFile.empty()) {
    TStringList rules;
    rules.LoadFromFile(options.RulesFile);
    TStringList kept;
    for (const auto& rule : rules)
      if (!TrimSpaces(rule).empty()) kept.Add(rule);
    processor.PropRules.Assign(kept);
  }
  return name;
}

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
    name = Configure(options, processor);
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
  cmd->add_option("--settings", options->SettingsFile, "Settings file holding the libraries");
  cmd->add_option("--library", options->Library, "Number of the stored library (1-based)");
  cmd->add_option("--name", options->Name, "Name of the stored library");
  cmd->add_option("--src", options->SrcDir, "Source folder of a library given on the command line");
  cmd->add_option("--dest", options->DestDir, "Destination folder for the language files and lib.ini");
  cmd->add_option("--short-name", options->ShortName, "Short name: stem of the language files");
  cmd->add_option("--lang", options->Langs,
                  "Language ID[=SUBFOLDER]; ID decimal, 0x hex or an abbreviation such as DEU; the first is native")
      ->take_all();
  cmd->add_option("--scan", options->Scan, "File kinds to read: res,pas,rc,dfm (default: all, or the stored ones)");
  cmd->add_flag("--remove-unused", options->RemoveUnused, "Remove items no longer found in the sources");
  cmd->add_option("--rules", options->RulesFile, "Property rules file (one rule per line) replacing the rules in force");
  cmd->add_flag("--json", options->Json, "Print the summary as JSON");
  cmd->add_flag("-q,--quiet", options->Quiet, "Print no status lines");
  cmd->callback([options]() { SetExitCode(RunProcess(*options)); });
}

const CommandRegistration kProcessRegistration(10, AddProcessCommand);

}  // namespace

}  // namespace sw::cli
