// `shelfwright-cli memory export|import`: the library's translation memory
// shared with computer-aided translation tools as TMX 1.4b. Export writes
// every unit (or those of one translation language) with the native text as
// source; import adds a TMX file's units for the library's languages to the
// memory, where they feed reuse and suggestions. An import never changes a
// language file. Each import is one transaction: a failed one adds nothing.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "BuildInfo.h"
#include "base/AsciiText.h"
#include "cli/Commands.h"
#include "cli/LibraryOptions.h"
#include "exchange/Tmx.h"
#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "util/LocaleCatalogue.h"

namespace sw::cli {

namespace {

struct MemoryOptions {
  LibraryOptions Library;
  std::string MemoryFile;
  std::string Lang;
  std::string Output;
  std::string Input;
};

struct MemoryLibrary {
  TResolvedLibrary Library;
  std::string MemoryFile;
};

MemoryLibrary Resolve(const MemoryOptions& options) {
  MemoryLibrary resolved;
  resolved.Library = ResolveLibraryOptions(options.Library, false);
  resolved.MemoryFile = options.MemoryFile.empty() ? resolved.Library.MemoryFile : options.MemoryFile;
  if (resolved.Library.Languages.Count() == 0)
    throw UsageError("the library \"" + resolved.Library.Name + "\" has no languages");
  return resolved;
}

LANGID NativeOf(const TResolvedLibrary& library) { return static_cast<LANGID>(library.Languages[0]->LangId); }

// The translation language of the library a TMX language tag names: the
// same tag first, else the same primary language; 0 when none.
LANGID TranslationFor(const TResolvedLibrary& library, const std::string& tag) {
  LANGID primary = 0;
  for (int i = 1; i < library.Languages.Count(); ++i) {
    const auto id = static_cast<LANGID>(library.Languages[i]->LangId);
    const std::string own = LanguageTag(id);
    if (LowerAscii(own) == LowerAscii(tag) || LowerAscii(PosixLanguageTag(id)) == LowerAscii(tag)) return id;
    if (primary == 0 && SameLanguage(own, tag)) primary = id;
  }
  return primary;
}

int RunMemoryExport(const MemoryOptions& options) {
  MemoryLibrary resolved;
  std::optional<LANGID> lang;
  try {
    resolved = Resolve(options);
    if (!options.Lang.empty()) {
      const auto id = static_cast<LANGID>(ParseLangId(options.Lang, "--lang"));
      if (resolved.Library.Languages.IndexOfLangId(id) < 1)
        throw UsageError("--lang " + options.Lang + ": not a translation language of the library \"" +
                         resolved.Library.Name + "\"");
      lang = id;
    }
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  if (!platform::FileExists(resolved.MemoryFile)) {
    PrintError("no memory file " + resolved.MemoryFile + " (process the library first, or give --memory FILE)");
    return kExitFailure;
  }
  try {
    TTranslationMemory memory(resolved.MemoryFile);
    for (const auto& note : memory.Notes()) PrintError(note);
    const std::string sourceLang = LanguageTag(NativeOf(resolved.Library));
    std::vector<TTmxUnit> units;
    memory.ForEachUnit(lang, [&](const TMemoryUnit& unit) {
      if (unit.NativeLang != NativeOf(resolved.Library)) return;
      units.push_back({sourceLang, unit.NativeText, LanguageTag(unit.Lang), unit.Text, TmxDate(unit.LastSeen),
                       UnitOriginName(unit.Origin)});
    });
    platform::WriteFileAtomic(options.Output, BuildTmx(units, sourceLang, SHELFWRIGHT_VERSION));
    std::cout << "Exported " << units.size() << " translation units from " << resolved.MemoryFile << " to "
              << options.Output << "\n";
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  return kExitOk;
}

int RunMemoryImport(const MemoryOptions& options) {
  MemoryLibrary resolved;
  try {
    resolved = Resolve(options);
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  try {
    const TTmxDocument document = ReadTmxFile(options.Input);
    const LANGID native = NativeOf(resolved.Library);
    const std::string nativeTag = LanguageTag(native);
    TTranslationMemory memory(resolved.MemoryFile);
    for (const auto& note : memory.Notes()) PrintError(note);
    int added = 0, otherSource = 0, otherTarget = 0, empty = 0;
    memory.Begin();
    for (const TTmxUnit& unit : document.Units) {
      if (!SameLanguage(unit.SourceLang, nativeTag)) {
        ++otherSource;
        continue;
      }
      const LANGID target = TranslationFor(resolved.Library, unit.TargetLang);
      if (target == 0) {
        ++otherTarget;
        continue;
      }
      if (unit.Source.empty() || unit.Target.empty() || unit.Source == unit.Target) {
        ++empty;
        continue;
      }
      TMemoryUnit record;
      record.NativeLang = native;
      record.NativeText = unit.Source;
      record.Lang = target;
      record.Text = unit.Target;
      record.Origin = TUnitOrigin::Import;
      record.LastSeen = TmxDateSeconds(unit.ChangeDate);
      memory.RecordUnit(record);
      ++added;
    }
    memory.Commit();
    std::cout << "Imported " << added << " of " << document.Units.size() << " translation units from " << options.Input
              << " into " << resolved.MemoryFile << "\n";
    if (otherSource > 0) std::cout << "  skipped " << otherSource << " with a source language other than " << nativeTag << "\n";
    if (otherTarget > 0) std::cout << "  skipped " << otherTarget << " for languages the library does not have\n";
    if (empty > 0) std::cout << "  skipped " << empty << " without a translation\n";
    if (document.SkippedMarkup > 0) std::cout << "  skipped " << document.SkippedMarkup << " with inline markup\n";
    if (document.SkippedNoSource > 0)
      std::cout << "  skipped " << document.SkippedNoSource << " without a variant in the source language\n";
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  return kExitOk;
}

void AddMemoryCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("memory", "Share the library's translation memory as TMX 1.4b");
  cmd->require_subcommand(1);
  auto exportOptions = std::make_shared<MemoryOptions>();
  auto* exp = cmd->add_subcommand("export", "Write the memory's translation units to a TMX file");
  AddLibraryOptions(exp, exportOptions->Library, "--languages");
  exp->add_option("--memory", exportOptions->MemoryFile, "The memory file (default: the library's)");
  exp->add_option("--lang", exportOptions->Lang, "Only this translation language: abbreviation (DEU) or identifier");
  exp->add_option("-o,--output", exportOptions->Output, "The TMX file to write")->required();
  exp->callback([exportOptions]() { SetExitCode(RunMemoryExport(*exportOptions)); });

  auto importOptions = std::make_shared<MemoryOptions>();
  auto* imp = cmd->add_subcommand("import", "Add a TMX file's translation units to the memory (never to a language file)");
  AddLibraryOptions(imp, importOptions->Library, "--languages");
  imp->add_option("--memory", importOptions->MemoryFile, "The memory file (default: the library's)");
  imp->add_option("file", importOptions->Input, "The TMX file to read")->required();
  imp->callback([importOptions]() { SetExitCode(RunMemoryImport(*importOptions)); });
}

const CommandRegistration kMemoryRegistration(76, AddMemoryCommand);

}  // namespace

}  // namespace sw::cli
