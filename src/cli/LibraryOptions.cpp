// The library-naming options shared by the commands (see LibraryOptions.h).
#include "cli/LibraryOptions.h"

#include "app/LibraryFilesProcessor.h"
#include "app/LibrarySettings.h"
#include "base/AsciiText.h"
#include "platform/SettingsLocation.h"
#include "util/QLocales.h"
#include "util/QStrings.h"

namespace sw::cli {

int ParseLangId(const std::string& text, const std::string& option) {
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
    throw UsageError(option + " " + text + ": not a known language (decimal or 0x hex identifier, or abbreviation such as DEU)");
  return id;
}

namespace {

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

}  // namespace

std::string ConfigureLibrary(const LibraryOptions& options, TLibraryFilesProcessor& processor, bool requireSource,
                             const std::string& langsOption) {
  const bool stored = options.Library != 0 || !options.Name.empty();
  const bool given = !options.SrcDir.empty() || !options.DestDir.empty() || !options.ShortName.empty() ||
                     !options.Langs.empty();
  if (stored && given)
    throw UsageError("give either --library/--name or --src/--dest/--short-name/" + langsOption + ", not both");
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
    if ((requireSource && options.SrcDir.empty()) || options.DestDir.empty() || options.ShortName.empty() ||
        options.Langs.empty())
      throw UsageError(std::string("give --settings FILE with --library N or --name NAME, or ") +
                       (requireSource ? "--src, " : "") + "--dest, --short-name and at least one " + langsOption);
    for (const auto& lang : options.Langs) {
      const auto [id, folder] = SplitAt("=", lang);
      const int langId = ParseLangId(id, langsOption);
      if (!processor.Languages.AddLibLanguage(langId, folder))
        throw UsageError(langsOption + " " + lang + ": the language is given twice");
    }
    processor.SrcDir = options.SrcDir;
    processor.DestDir = options.DestDir;
    processor.ShortName = options.ShortName;
    processor.ScanFiles = sfAllFiles;
    name = options.ShortName;
  }
  if (!options.Scan.empty()) processor.ScanFiles = ParseScan(options.Scan);
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
