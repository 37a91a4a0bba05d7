// `shelfwright-cli check`: runs the translation checks (checks/Checks.h) on
// the language files of a library given as `process` takes it (its language
// list as --languages, since --lang picks the languages to check), prints
// one line per problem and the counts per language, or everything as JSON.
// The native language is checked too, for the rules that apply there.
// Problems on the library's ignore list ([IgnoredChecks<N>Lib] of the
// settings file) are counted as ignored. Exit code 1 when a problem at or
// above --fail-on is found, 2 for a usage error.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>

#include "app/LibrarySettings.h"
#include "base/Unicode.h"
#include "checks/Checks.h"
#include "checks/FormTree.h"
#include "cli/Commands.h"
#include "cli/LibraryOptions.h"
#include "platform/FileSystem.h"
#include "platform/SettingsLocation.h"
#include "util/LocaleCatalogue.h"

namespace sw::cli {

namespace {

struct CheckOptions {
  LibraryOptions Library;
  std::vector<std::string> Langs;
  bool Json = false;
  std::string FailOn = "error";
  std::vector<std::string> Only;
  std::vector<std::string> Skip;
};

struct LanguageCounts : TCheckCounts {
  bool FileExists = true;
};

std::string CheckNames() {
  std::string names;
  for (const TCheckDef& check : CheckTable()) names += (names.empty() ? "" : ", ") + std::string(check.Name);
  return names;
}

// The number of library `options` names in its settings file; 0 for a
// library given on the command line.
int StoredLibraryNumber(const LibraryOptions& options, std::string& settingsFile) {
  if (options.Library == 0 && options.Name.empty()) return 0;
  settingsFile = options.SettingsFile.empty() ? platform::SettingsFileName() : options.SettingsFile;
  if (options.Library != 0) return options.Library;
  return TLibrarySettings(settingsFile).FindLibraryByName(options.Name);
}

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

int RunCheck(const CheckOptions& options) {
  TResolvedLibrary library;
  TCheckSelection selection{options.Only, options.Skip};
  TCheckSeverity threshold = TCheckSeverity::Error;
  bool never = false;
  std::vector<LANGID> langIds;
  std::vector<TIgnoredCheck> ignored;
  try {
    if (options.FailOn == "warning")
      threshold = TCheckSeverity::Warning;
    else if (options.FailOn == "never")
      never = true;
    else if (options.FailOn != "error")
      throw UsageError("--fail-on " + options.FailOn + ": use error, warning or never");
    for (const std::string& name : selection.UnknownNames())
      throw UsageError("no check named \"" + name + "\" (checks: " + CheckNames() + ")");
    library = ResolveLibraryOptions(options.Library, false, "--languages");
    if (library.Languages.Count() == 0) throw UsageError("the library \"" + library.Name + "\" has no languages");
    for (const std::string& lang : options.Langs) {
      const auto id = static_cast<LANGID>(ParseLangId(lang, "--lang"));
      if (library.Languages.IndexOfLangId(id) < 0)
        throw UsageError("--lang " + lang + ": not a language of the library \"" + library.Name + "\"");
      if (std::find(langIds.begin(), langIds.end(), id) == langIds.end()) langIds.push_back(id);
    }
    std::string settingsFile;
    if (const int n = StoredLibraryNumber(options.Library, settingsFile))
      ignored = ParseIgnoredChecks(TLibrarySettings(settingsFile).LoadIgnoredChecks(n),
                                   settingsFile + ": [" + IgnoredChecksSectionName(n) + "]");
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  // Checked in the library's order, whatever the order of --lang.
  std::vector<LANGID> order;
  for (int i = 0; i < library.Languages.Count(); ++i) {
    const auto id = static_cast<LANGID>(library.Languages[i]->LangId);
    if (langIds.empty() || std::find(langIds.begin(), langIds.end(), id) != langIds.end()) order.push_back(id);
  }
  const auto nativeId = static_cast<LANGID>(library.Languages[0]->LangId);
  const std::string nativeFile = LangFileNameFor(library.DestDir, library.ShortName, nativeId);

  std::unique_ptr<TFormTrees> forms;
  if (selection.Runs("hotkeys")) {
    const std::string folder = library.SrcDir.empty() ? "" : JoinPath(library.SrcDir, library.Languages[0]->SubFolder);
    if (folder.empty() || !platform::DirectoryExists(folder)) {
      PrintError("hotkeys not checked: the native forms are needed and " +
                 (folder.empty() ? std::string("no source folder is given") : folder + " does not exist"));
    } else {
      forms = std::make_unique<TFormTrees>(ReadFormTrees(folder, nativeId));
      for (const std::string& error : forms->Errors) PrintError("hotkeys not checked in " + error);
    }
  }

  std::vector<TCheckProblem> problems;
  std::map<LANGID, LanguageCounts> counts;
  for (const LANGID id : order) {
    const bool native = id == nativeId;
    const std::string langFile = LangFileNameFor(library.DestDir, library.ShortName, id);
    const TLoadedLanguage loaded = LoadLanguage(nativeFile, native ? std::string() : langFile, id);
    const int column = native ? 0 : loaded.Column;
    auto found = CheckColumn(*loaded.Storage, column, selection, forms.get(), ignored);
    LanguageCounts& count = counts[id];
    count.FileExists = native || loaded.LangFileExists;
    for (TCheckProblem& problem : found) {
      count.Add(problem);
      problems.push_back(std::move(problem));
    }
  }

  bool failing = false;
  for (const TCheckProblem& problem : problems)
    if (!never && !problem.Ignored && problem.Severity >= threshold) failing = true;

  if (options.Json) {
    nlohmann::json list = nlohmann::json::array();
    for (const TCheckProblem& problem : problems)
      list.push_back({{"lang", GetLangAbbr(problem.LangId)},
                      {"item", problem.Item},
                      {"check", problem.Check},
                      {"severity", SeverityName(problem.Severity)},
                      {"native", Utf16ToUtf8(problem.Native)},
                      {"translation", Utf16ToUtf8(problem.Translation)},
                      {"message", problem.Message},
                      {"ignored", problem.Ignored}});
    nlohmann::json countsJson = nlohmann::json::object();
    for (const LANGID id : order) {
      const LanguageCounts& count = counts[id];
      countsJson[GetLangAbbr(id)] = {{"error", count.Errors},
                                     {"warning", count.Warnings},
                                     {"ignored", count.Ignored},
                                     {"native", id == nativeId},
                                     {"fileExists", count.FileExists}};
    }
    const nlohmann::json out = {{"library", library.Name},
                                {"problems", list},
                                {"counts", countsJson},
                                {"failOn", options.FailOn},
                                {"ok", !failing}};
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    for (const TCheckProblem& problem : problems)
      if (!problem.Ignored) std::cout << ProblemLine(problem) << "\n";
    for (const LANGID id : order) {
      const LanguageCounts& count = counts[id];
      std::cout << GetLangAbbr(id) << ": " << Plural(count.Errors, "error") << ", "
                << Plural(count.Warnings, "warning");
      if (count.Ignored > 0) std::cout << ", " << count.Ignored << " ignored";
      if (id == nativeId) std::cout << " (native)";
      if (!count.FileExists) std::cout << " (no language file yet)";
      std::cout << "\n";
    }
  }
  return failing ? kExitFailure : kExitOk;
}

void AddCheckCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand(
      "check", "Check the translations of a library: format specifiers, accelerators, hotkeys, string lists, ...");
  auto options = std::make_shared<CheckOptions>();
  AddLibraryOptions(cmd, options->Library, "--languages");
  cmd->add_option("--lang", options->Langs,
                  "A language to check (abbreviation such as DEU, or identifier); repeat for more. "
                  "Default: every language, the native one for the checks that apply there");
  cmd->add_flag("--json", options->Json, "Print the problems and counts as JSON");
  cmd->add_option("--fail-on", options->FailOn,
                  "Exit with 1 when a problem of this severity or above is found: error (default), warning or never");
  cmd->add_option("--only", options->Only, "Run only these checks (comma-separated)")->delimiter(',');
  cmd->add_option("--skip", options->Skip, "Do not run these checks (comma-separated)")->delimiter(',');
  cmd->footer("Checks: " + CheckNames() +
              ".\nKnown false positives go into the settings file's [IgnoredChecks<N>Lib] section, one "
              "\"LANG CHECK ITEM\" line each; they are counted as ignored.");
  cmd->callback([options]() { SetExitCode(RunCheck(*options)); });
}

const CommandRegistration kCheckRegistration(71, AddCheckCommand);

}  // namespace

}  // namespace sw::cli
