// `shelfwright-cli import`: reads a translated XLIFF or PO file (the format
// taken from its content) back into one translation language's file. Units
// translated from an older native text and unknown units are reported and
// not applied (stale ones are with --force); --dry-run reports what would
// change and writes nothing. Exit code 1 when anything was reported.
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

#include "checks/Checks.h"
#include "cli/Commands.h"
#include "cli/ExchangeTarget.h"
#include "exchange/Exchange.h"

namespace sw::cli {

namespace {

struct ImportOptions {
  LibraryOptions Library;
  std::string Lang;
  std::string Input;
  bool DryRun = false;
  bool Force = false;
  bool Json = false;
};

nlohmann::json ProblemsJson(const std::vector<TImportProblem>& problems) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& problem : problems)
    list.push_back({{"id", problem.Place}, {"line", problem.Line}, {"message", problem.Message}});
  return list;
}

void PrintProblems(const std::string& input, const char* what, const std::vector<TImportProblem>& problems) {
  for (const auto& problem : problems)
    std::cerr << "shelfwright-cli: " << input << (problem.Line > 0 ? ":" + std::to_string(problem.Line) : "") << ": "
              << what << " \"" << problem.Place << "\": " << problem.Message << "\n";
}

int RunImport(const ImportOptions& options) {
  ExchangeLibrary library;
  LANGID langId = 0;
  try {
    library = ResolveLibrary(options.Library, "--languages");
    langId = ResolveTranslation(library, options.Lang);
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  TImportOptions importOptions;
  importOptions.DryRun = options.DryRun;
  importOptions.Force = options.Force;
  const TImportResult result = ImportTranslations(library.FileOf(library.Languages[0]), library.FileOf(langId), langId,
                                                  options.Input, importOptions);
  PrintProblems(options.Input, "stale unit", result.Stale);
  PrintProblems(options.Input, "unknown unit", result.Unknown);
  PrintProblems(options.Input, "unit", result.Invalid);
  // The translation checks' problems of what was applied: reported, not refused.
  std::vector<TCheckProblem> checkProblems;
  if (result.Written) {
    const TLoadedLanguage loaded = LoadLanguage(library.FileOf(library.Languages[0]), library.FileOf(langId), langId);
    checkProblems = CheckPlaces(*loaded.Storage, loaded.Column, result.ChangedPlaces);
  }
  if (options.Json) {
    nlohmann::json out = {{"file", library.FileOf(langId)},
                          {"input", options.Input},
                          {"dryRun", options.DryRun},
                          {"units", result.Units},
                          {"changed", result.Changed},
                          {"unchanged", result.Unchanged},
                          {"noTranslation", result.NoTranslation},
                          {"forced", result.Forced},
                          {"changedIds", result.ChangedPlaces},
                          {"stale", ProblemsJson(result.Stale)},
                          {"unknown", ProblemsJson(result.Unknown)},
                          {"invalid", ProblemsJson(result.Invalid)},
                          {"written", result.Written},
                          {"revision", result.Revision},
                          {"ok", result.Clean()}};
    out["checkProblems"] = nlohmann::json::array();
    for (const TCheckProblem& problem : checkProblems) out["checkProblems"].push_back(ProblemLine(problem));
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    std::cout << (options.DryRun ? "Would change " : "Changed ") << result.Changed << " of " << result.Units
              << " units (" << result.Unchanged << " unchanged, " << result.NoTranslation << " without translation, "
              << result.Stale.size() << " stale, " << result.Unknown.size() << " unknown, " << result.Invalid.size()
              << " invalid";
    if (result.Forced > 0) std::cout << ", " << result.Forced << " stale ones forced";
    std::cout << ")";
    if (result.Written) std::cout << "; " << library.FileOf(langId) << " written, revision " << result.Revision;
    std::cout << "\n";
    if (options.DryRun)
      for (const auto& place : result.ChangedPlaces) std::cout << "  " << place << "\n";
    for (const TCheckProblem& problem : checkProblems) std::cout << "  check: " << ProblemLine(problem) << "\n";
  }
  return result.Clean() ? kExitOk : kExitFailure;
}

void AddImportCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("import", "Read a translated XLIFF or PO file back into a language file");
  auto options = std::make_shared<ImportOptions>();
  cmd->add_option("input", options->Input, "The translated .xlf/.xliff or .po file")->required();
  AddLibraryOptions(cmd, options->Library, "--languages");
  cmd->add_option("--lang", options->Lang, "The translation language: abbreviation (DEU) or identifier")->required();
  cmd->add_flag("--dry-run", options->DryRun, "Report what would change; write nothing");
  cmd->add_flag("--force", options->Force,
                "Apply units translated from an older native text, and files naming another language");
  cmd->add_flag("--json", options->Json, "Print the result as JSON");
  cmd->callback([options]() { SetExitCode(RunImport(*options)); });
}

const CommandRegistration kImportRegistration(74, AddImportCommand);

}  // namespace

}  // namespace sw::cli
