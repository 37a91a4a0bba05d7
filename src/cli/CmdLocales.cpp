// `shelfwright-cli locales`: lists the locale catalogue. One line per entry
// of the chosen list mode, in list order: identifier (4 hex digits),
// abbreviation, code page, English display name and localized full name,
// separated by tabs; or a JSON array of objects with `--json`. `--id HEX`
// prints the same fields for one identifier, known or not. Names are printed
// as UTF-8, converted from the code page of their locale.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "app/LanguageIds.h"
#include "cli/Commands.h"
#include "base/Unicode.h"
#include "util/LocaleCatalogue.h"

namespace sw::cli {

namespace {

struct LocalesOptions {
  std::string Mode = "locales";
  bool Json = false;
  std::string Id;
};

struct LocaleFields {
  LANGID Id = 0;
  std::string Abbr;
  unsigned CodePage = 0;
  std::string EnglishName;
  std::string Name;
};

// The 8-bit texts of a locale are in its own code page.
std::string ToUtf8(const std::string& text, LANGID id) { return LocaleTextToUtf8(text, id); }

LocaleFields FieldsOf(LANGID id, const std::string& name) {
  return {id, ToUtf8(GetLangAbbr(id), id), GetCodePage(id), DisplayLangName(id), ToUtf8(name, id)};
}

nlohmann::ordered_json ToJson(const LocaleFields& f) {
  return {{"id", f.Id}, {"abbr", f.Abbr}, {"codePage", f.CodePage}, {"englishName", f.EnglishName}, {"name", f.Name}};
}

std::string ToLine(const LocaleFields& f) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(f.Id));
  return std::string(hex) + "\t" + f.Abbr + "\t" + std::to_string(f.CodePage) + "\t" + f.EnglishName + "\t" + f.Name;
}

int RunLocales(const LocalesOptions& options) {
  if (!options.Id.empty()) {
    const std::optional<LANGID> parsed = ParseLanguageId(options.Id, TBareDigits::Hexadecimal, true);
    if (!parsed) {
      PrintError("--id: '" + options.Id + "' is not a hexadecimal language identifier (0000 to FFFF)");
      return kExitUsage;
    }
    const LANGID id = *parsed;
    const LocaleFields fields = FieldsOf(id, GetLocaleInfoStr(id, LOCALE_SLANGUAGE));
    if (options.Json)
      std::cout << ToJson(fields).dump(2) << "\n";
    else
      std::cout << ToLine(fields) << "\n";
    return kExitOk;
  }
  const LocaleListMode mode = options.Mode == "languages" ? lmLanguages
                              : options.Mode == "both"    ? lmLocalesAndLanguages
                                                          : lmLocales;
  TLocaleEntryList list;
  GetLocaleList(list, mode);
  if (options.Json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const auto& entry : list) out.push_back(ToJson(FieldsOf(entry.Id, entry.Name)));
    std::cout << out.dump(2) << "\n";
  } else {
    for (const auto& entry : list) std::cout << ToLine(FieldsOf(entry.Id, entry.Name)) << "\n";
  }
  return kExitOk;
}

void AddLocalesCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("locales",
                                 "List the supported locales and languages with their abbreviations "
                                 "and code pages");
  auto options = std::make_shared<LocalesOptions>();
  cmd->add_option("--mode", options->Mode, "Which list: languages, locales (default) or both")
      ->check(CLI::IsMember({"languages", "locales", "both"}));
  cmd->add_flag("--json", options->Json, "Print JSON instead of text");
  cmd->add_option("--id", options->Id, "Print one language identifier (hexadecimal, e.g. 0407)");
  cmd->callback([options]() { SetExitCode(RunLocales(*options)); });
}

const CommandRegistration kLocalesRegistration(60, AddLocalesCommand);

}  // namespace

}  // namespace sw::cli
