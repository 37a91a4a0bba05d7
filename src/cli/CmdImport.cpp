// `shelfwright-cli import`: reads a translated XLIFF or PO file (the format
// taken from its content) back into one translation language's file. Units
// translated from an older native text and unknown units are reported and
// not applied (stale ones are with --force); --dry-run reports what would
// change and writes nothing. Exit code 1 when anything was reported. The
// first problems are printed, with their total; --json lists them all. The
// work is the exchange service's, shared with the window.
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

#include "app/ExchangeService.h"
#include "cli/Commands.h"
#include "cli/ExchangeTarget.h"

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

int RunImport(const ImportOptions& options) {
  TImportRequest request;
  try {
    ResolveExchangeRequest(options.Library, options.Lang, request);
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  request.Input = options.Input;
  request.DryRun = options.DryRun;
  request.Force = options.Force;
  TImportResult result;
  try {
    result = ImportLanguage(request);
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  std::vector<std::string> problems = ImportProblemLines(request, result);
  if (problems.size() > kProblemsShown) problems.back() += "; --json lists them all";
  for (const std::string& line : problems) PrintError(line);
  const std::string langFile = request.Library.FileOf(request.LangId);
  // The translation checks' problems of what was applied: reported, not refused.
  const std::vector<TCheckProblem> checkProblems = ImportCheckProblems(request, result);
  if (options.Json) {
    nlohmann::json out = {{"file", langFile},
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
    std::cout << ImportSummary(request, result) << "\n";
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
                "Apply units translated from an older native text, and files naming another language or library");
  cmd->add_flag("--json", options->Json, "Print the result as JSON");
  cmd->callback([options]() { SetExitCode(RunImport(*options)); });
}

const CommandRegistration kImportRegistration(74, AddImportCommand);

}  // namespace

}  // namespace sw::cli
