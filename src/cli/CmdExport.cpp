// `shelfwright-cli export`: writes one translation language of a library to
// an XLIFF 1.2 or gettext PO file for translators (all units, or with
// --only-open the untranslated and out-of-date ones). The output file is
// written completely before it replaces an older one.
#include <iostream>
#include <memory>

#include "base/AsciiText.h"
#include "cli/Commands.h"
#include "cli/ExchangeTarget.h"
#include "exchange/Exchange.h"
#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "util/QStrings.h"

namespace sw::cli {

namespace {

struct ExportOptions {
  LibraryOptions Library;
  std::string Lang;
  std::string Format;
  bool OnlyOpen = false;
  std::string Output;
};

int RunExport(const ExportOptions& options) {
  ExchangeLibrary library;
  LANGID langId = 0;
  TExportOptions exportOptions;
  try {
    library = ResolveLibrary(options.Library, "--languages");
    langId = ResolveTranslation(library, options.Lang);
    const std::string format = LowerAscii(options.Format);
    if (format == "xliff" || format == "xlf")
      exportOptions.Format = TExchangeFormat::Xliff;
    else if (format == "po")
      exportOptions.Format = TExchangeFormat::Po;
    else
      throw UsageError("--format " + options.Format + ": use xliff or po");
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  exportOptions.OnlyOpen = options.OnlyOpen;
  exportOptions.ProjectName = library.ShortName;
  const TLoadedLanguage loaded = LoadLanguage(library.FileOf(library.Languages[0]), library.FileOf(langId), langId);
  // The library's memory adds previous native texts and similar translations.
  std::unique_ptr<TTranslationMemory> memory;
  if (!library.MemoryFile.empty() && platform::FileExists(library.MemoryFile)) {
    memory = std::make_unique<TTranslationMemory>(library.MemoryFile);
    for (const auto& note : memory->Notes()) PrintError(note);
    const LANGID native = library.Languages[0];
    exportOptions.MemoryNotes = [&memory, &loaded, native, langId](const TExchangeUnit& unit) {
      TExportMemoryNotes notes;
      if (unit.Status == TUnitStatus::UpToDate || (unit.Kind != vkString && unit.Kind != vkStrings)) return notes;
      if (unit.Status == TUnitStatus::OutOfDate)
        notes.PreviousSource = memory->TranslatedFrom(unit.Place, unit.Item->Values(loaded.Column)->Revision);
      const std::u16string& current = unit.Item->Values(loaded.Column)->Text;
      for (const TSuggestion& suggestion : memory->Suggestions(native, unit.Item->NativeValue()->Text, langId)) {
        // The translation the unit already has is no suggestion.
        if (unit.Status == TUnitStatus::OutOfDate && suggestion.Text == current) continue;
        notes.Suggestions.push_back({suggestion.Percent, suggestion.NativeText, suggestion.Text});
      }
      return notes;
    };
  }
  const std::string text = BuildExport(*loaded.Storage, loaded.Column, exportOptions);
  platform::WriteFileAtomic(options.Output, text);

  std::array<int, 3> counts{};
  for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column))
    if (!options.OnlyOpen || unit.Status != TUnitStatus::UpToDate) ++counts[static_cast<std::size_t>(unit.Status)];
  std::cout << "Exported " << counts[0] + counts[1] + counts[2] << " units of " << DisplayLangName(langId) << " ("
            << counts[0] << " up to date, " << counts[1] << " out of date, " << counts[2] << " untranslated) to "
            << options.Output << "\n";
  return kExitOk;
}

void AddExportCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("export", "Write one translation language to an XLIFF 1.2 or PO file for translators");
  auto options = std::make_shared<ExportOptions>();
  AddLibraryOptions(cmd, options->Library, "--languages");
  cmd->add_option("--lang", options->Lang, "The translation language: abbreviation (DEU) or identifier")->required();
  cmd->add_option("--format", options->Format, "xliff or po")->required();
  cmd->add_flag("--only-open", options->OnlyOpen, "Only untranslated and out-of-date units");
  cmd->add_option("-o,--output", options->Output, "The file to write")->required();
  cmd->callback([options]() { SetExitCode(RunExport(*options)); });
}

const CommandRegistration kExportRegistration(72, AddExportCommand);

}  // namespace

}  // namespace sw::cli
