// `shelfwright-cli stats`: coverage of every translation language of a
// library (given as `process` takes it) or of language files given by name,
// as text or JSON. --fail-under PERCENT makes the exit code 1 when a
// language's up-to-date share of items is below PERCENT, for CI jobs.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <memory>

#include "base/Unicode.h"
#include "cli/Commands.h"
#include "cli/ExchangeTarget.h"
#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "storage/Coverage.h"

namespace sw::cli {

namespace {

struct StatsOptions {
  LibraryOptions Library;
  std::vector<std::string> Files;
  bool Json = false;
  double FailUnder = -1;
};

nlohmann::json CountsJson(const TCoverageCounts& counts) {
  auto part = [](const std::array<int, 3>& values) {
    return nlohmann::json{{"upToDate", values[0]},
                          {"outOfDate", values[1]},
                          {"untranslated", values[2]},
                          {"total", values[0] + values[1] + values[2]}};
  };
  return {{"items", part(counts.Items)}, {"words", part(counts.Words)}, {"percent", counts.UpToDatePercent()}};
}

std::string CountsText(const TCoverageCounts& counts) {
  return std::to_string(counts.Items[0]) + " up to date, " + std::to_string(counts.Items[1]) + " out of date, " +
         std::to_string(counts.Items[2]) + " untranslated of " + std::to_string(counts.TotalItems()) + " items (" +
         PercentText(counts.UpToDatePercent()) + "); words " + std::to_string(counts.Words[0]) + "/" +
         std::to_string(counts.Words[1]) + "/" + std::to_string(counts.Words[2]) + " of " +
         std::to_string(counts.TotalWords());
}

// Per out-of-date item of a library's language: its place, the native text
// it had before (from the library's memory; null when the memory has none)
// and the current one.
nlohmann::json OutOfDateJson(const ExchangeLibrary& library, const TLanguageCoverage& language) {
  nlohmann::json items = nlohmann::json::array();
  if (!language.FileExists || language.Total.Items[1] == 0) return items;
  std::unique_ptr<TTranslationMemory> memory;
  if (!library.MemoryFile.empty() && platform::FileExists(library.MemoryFile)) {
    try {
      memory = std::make_unique<TTranslationMemory>(library.MemoryFile);
    } catch (const Exception& e) {
      PrintError(e.Describe());
    }
  }
  const TLoadedLanguage loaded =
      LoadLanguage(library.FileOf(library.Languages[0]), library.FileOf(language.LangId), language.LangId);
  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column)) {
    if (unit.Status != TUnitStatus::OutOfDate) continue;
    const TLocValue* value = unit.Item->Values(loaded.Column);
    const auto before = memory ? memory->TranslatedFrom(unit.Place, value->Revision) : std::nullopt;
    items.push_back({{"place", unit.Place},
                     {"previousNative", before ? nlohmann::json(Utf16ToUtf8(*before)) : nlohmann::json()},
                     {"currentNative", Utf16ToUtf8(unit.Item->NativeValue()->Text)},
                     {"translation", Utf16ToUtf8(value->Text)}});
  }
  return items;
}

int RunStats(const StatsOptions& options) {
  const bool libraryGiven = options.Library.Library != 0 || !options.Library.Name.empty() ||
                            !options.Library.DestDir.empty() || !options.Library.Langs.empty();
  std::string name;
  std::vector<TLanguageCoverage> coverage;
  ExchangeLibrary library;
  try {
    if (!options.Files.empty()) {
      if (libraryGiven) throw UsageError("give either a library or language files, not both");
      coverage = FilesCoverage(options.Files);
    } else {
      library = ResolveLibrary(options.Library, "--lang");
      name = library.Name;
      coverage = LibraryCoverage(library.DestDir, library.ShortName, library.Languages);
    }
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  bool below = false;
  for (const auto& language : coverage)
    if (options.FailUnder >= 0 && language.Total.UpToDatePercent() < options.FailUnder) below = true;

  if (options.Json) {
    nlohmann::json languages = nlohmann::json::array();
    for (const auto& language : coverage) {
      nlohmann::json groups = nlohmann::json::array();
      for (const auto& group : language.Groups) {
        nlohmann::json entry = CountsJson(group.Counts);
        entry["kind"] = GroupKindName(group.Kind);
        entry["name"] = group.Name;
        groups.push_back(std::move(entry));
      }
      nlohmann::json entry = CountsJson(language.Total);
      entry["id"] = language.LangId;
      entry["abbr"] = GetLangAbbr(language.LangId);
      entry["name"] = DisplayLangName(language.LangId);
      entry["file"] = language.FileName;
      entry["fileExists"] = language.FileExists;
      entry["groups"] = std::move(groups);
      if (!library.Languages.empty()) entry["outOfDateItems"] = OutOfDateJson(library, language);
      languages.push_back(std::move(entry));
    }
    nlohmann::json out = {{"library", name.empty() ? nlohmann::json() : nlohmann::json(name)},
                          {"languages", languages}};
    if (options.FailUnder >= 0) {
      out["failUnder"] = options.FailUnder;
      out["ok"] = !below;
    }
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    if (!name.empty()) std::cout << name << "\n";
    for (const auto& language : coverage) {
      std::cout << GetLangAbbr(language.LangId) << "  " << DisplayLangName(language.LangId) << ": "
                << CountsText(language.Total) << (language.FileExists ? "" : " (no language file yet)") << "\n";
      for (const auto& group : language.Groups)
        std::cout << "    " << GroupKindName(group.Kind) << " " << group.Name << ": " << CountsText(group.Counts)
                  << "\n";
    }
    if (below) std::cout << "Below " << PercentText(options.FailUnder) << " up to date: failing\n";
  }
  return below ? kExitFailure : kExitOk;
}

void AddStatsCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("stats", "Show how far each translation language is (coverage)");
  auto options = std::make_shared<StatsOptions>();
  cmd->add_option("files", options->Files, "Language files (.lng), one of them native, instead of a library");
  AddLibraryOptions(cmd, options->Library);
  cmd->add_flag("--json", options->Json, "Print JSON instead of text");
  cmd->add_option("--fail-under", options->FailUnder,
                  "Exit with 1 when a language has fewer than PERCENT of its items up to date")
      ->check(CLI::Range(0.0, 100.0));
  cmd->callback([options]() { SetExitCode(RunStats(*options)); });
}

const CommandRegistration kStatsRegistration(70, AddStatsCommand);

}  // namespace

}  // namespace sw::cli
