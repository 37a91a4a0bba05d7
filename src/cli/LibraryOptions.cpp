// The library-naming options shared by the commands (see LibraryOptions.h).
#include "cli/LibraryOptions.h"

#include <optional>

#include "app/FileKinds.h"
#include "app/LanguageIds.h"
#include "app/LibrarySettings.h"
#include "base/AsciiText.h"
#include "platform/SettingsLocation.h"
#include "util/LocaleCatalogue.h"
#include "runtime/StringList.h"
#include "platform/FileSystem.h"

namespace sw::cli {

int ParseLangId(const std::string& text, const std::string& option) {
  const std::optional<LANGID> id = ParseLanguageId(text);
  if (!id || GetLangAbbr(*id).empty())
    throw UsageError(option + " " + text +
                     ": not a known language (decimal or 0x hex identifier, or abbreviation such as DEU)");
  return *id;
}

namespace {

int ParseScan(const std::string& text) {
  int flags = 0;
  std::string rest = text;
  while (!rest.empty()) {
    auto [item, tail] = SplitAt(",", rest);
    rest = tail;
    const std::string kind = LowerAscii(TrimSpaces(item));
    if (kind == "none" || kind.empty()) continue;
    const int k = FileKindOfName(kind);
    if (k < 0)
      throw UsageError("--scan: unknown file kind \"" + kind + "\" (use " + FileKindNames(sfAllFiles, ", ") +
                       " or none)");
    flags |= kFileKinds[static_cast<std::size_t>(k)].Bit;
  }
  return flags;
}

}  // namespace

TResolvedLibrary ResolveLibraryOptions(const LibraryOptions& options, bool requireSource,
                                       const std::string& langsOption) {
  const bool stored = options.Library != 0 || !options.Name.empty();
  const bool given = !options.SrcDir.empty() || !options.DestDir.empty() || !options.ShortName.empty() ||
                     !options.Langs.empty();
  if (stored && given)
    throw UsageError("give either --library/--name or --src/--dest/--short-name/" + langsOption + ", not both");
  if (options.Library != 0 && !options.Name.empty()) throw UsageError("give either --library or --name, not both");
  TResolvedLibrary library;
  if (stored) {
    const std::string fileName = options.SettingsFile.empty() ? platform::SettingsFileName() : options.SettingsFile;
    TLibrarySettings settings(fileName);
    // A settings file the user named must be there (not a usage error: the
    // command line is fine, the file is not).
    if (!options.SettingsFile.empty()) settings.RequireFile();
    int n = options.Library;
    if (!options.Name.empty()) {
      n = settings.FindLibraryByName(options.Name);
      if (n == 0) throw UsageError("no library named \"" + options.Name + "\" in " + fileName);
    }
    try {
      library = LoadResolvedLibrary(settings, n);
    } catch (const EShelfwrightError& e) {
      throw UsageError(e.Message());
    }
  } else {
    if ((requireSource && options.SrcDir.empty()) || options.DestDir.empty() || options.ShortName.empty() ||
        options.Langs.empty())
      throw UsageError(std::string("give --settings FILE with --library N or --name NAME, or ") +
                       (requireSource ? "--src, " : "") + "--dest, --short-name and at least one " + langsOption);
    TLibraryDefinition definition;
    for (const auto& lang : options.Langs) {
      const auto [id, folder] = SplitAt("=", lang);
      const int langId = ParseLangId(id, langsOption);
      if (!definition.Languages.AddLibLanguage(langId, folder))
        throw UsageError(langsOption + " " + lang + ": the language is given twice");
    }
    definition.Name = options.ShortName;
    definition.SrcDir = options.SrcDir;
    definition.DestDir = options.DestDir;
    definition.ShortName = options.ShortName;
    definition.ScanFiles = sfDefaultFiles;
    library = ResolveLibrary(definition, TStringList(), "");
  }
  if (!options.Scan.empty()) library.ScanFiles = ParseScan(options.Scan);
  if (!options.RulesFile.empty()) {
    TStringList rules;
    rules.LoadFromFile(options.RulesFile);
    TStringList kept;
    for (const auto& rule : rules)
      if (!TrimSpaces(rule).empty()) kept.Add(rule);
    library.PropRules.Assign(kept);
  }
  return library;
}

void AddLibraryOptions(CLI::App* cmd, LibraryOptions& options, const std::string& langsOption) {
  cmd->add_option("--settings", options.SettingsFile, "Settings file holding the libraries");
  cmd->add_option("--library", options.Library, "Number of the stored library (1-based)");
  cmd->add_option("--name", options.Name, "Name of the stored library");
  cmd->add_option("--src", options.SrcDir, "Source folder of a library given on the command line");
  cmd->add_option("--dest", options.DestDir, "Destination folder for the language files and lib.ini");
  cmd->add_option("--short-name", options.ShortName, "Short name: stem of the language files");
  cmd->add_option(langsOption, options.Langs,
                  "Language ID[=SUBFOLDER]; ID decimal, 0x hex or an abbreviation such as DEU; the first is native")
      ->take_all();
}

}  // namespace sw::cli
