// `shelfwright-cli pseudo`: writes the pseudo-language file of a library
// given as `process` takes it (its language list as --languages, since
// --lang picks the pseudo-language): every item of the native language file
// pseudo-translated (accented, lengthened, optionally bracketed or
// mirrored; checks/PseudoTranslation.h), up to date, named and written as
// the run names and writes its language files, lib.ini written again.
// Exit code 1 when the file cannot be written, 2 for a usage error.
#include <iostream>
#include <memory>

#include "app/PseudoLanguage.h"
#include "cli/Commands.h"
#include "cli/LibraryOptions.h"

namespace sw::cli {

namespace {

struct PseudoCliOptions {
  LibraryOptions Library;
  std::string Lang;
  std::string Expand = "auto";
  bool Markers = false;
  bool Mirror = false;
  std::string Output;
};

int RunPseudo(const PseudoCliOptions& options) {
  TResolvedLibrary library;
  TPseudoRequest request;
  try {
    if (!ParsePseudoExpand(options.Expand, request.Options.Expand))
      throw UsageError("--expand " + options.Expand + ": use auto or a percentage from 0 to 1000");
    if (!options.Lang.empty())
      request.Options.LangId = static_cast<LANGID>(ParseLangId(options.Lang, "--lang"));
    else if (options.Mirror)
      request.Options.LangId = kPseudoMirroredLangId;
    request.Options.Mirror = options.Mirror || request.Options.LangId == kPseudoMirroredLangId;
    request.Options.Markers = options.Markers;
    request.OutputFile = options.Output;
    library = ResolveLibraryOptions(options.Library, false, "--languages");
    if (library.Languages.Count() == 0) throw UsageError("the library \"" + library.Name + "\" has no languages");
    if (library.Languages[0]->LangId == request.Options.LangId)
      throw UsageError("--lang " + options.Lang + ": that is the library's native language");
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  try {
    const TPseudoResult result = WritePseudoLanguage(library, request);
    std::cout << PseudoSummary(result) << "\n";
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  return kExitOk;
}

void AddPseudoCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand(
      "pseudo", "Write a pseudo-translation of a library: every text accented, lengthened, optionally bracketed");
  auto options = std::make_shared<PseudoCliOptions>();
  AddLibraryOptions(cmd, options->Library, "--languages");
  cmd->add_option("--lang", options->Lang,
                  "The pseudo-language (identifier or abbreviation). Default: 0x0501 (QPS), or 0x09FF (QPM) with "
                  "--mirror");
  cmd->add_option("--expand", options->Expand,
                  "Lengthening: auto (up to 10 characters +100%, 11-20 +80%, 21-30 +60%, 31-50 +40%, longer "
                  "+30%) or a percentage for every text")
      ->default_str("auto");
  cmd->add_flag("--markers", options->Markers, "Bracket each text, [id:...], to see clipped or concatenated texts");
  cmd->add_flag("--mirror", options->Mirror, "Right-to-left text, for the mirrored layout test (0x09FF)");
  cmd->add_option("-o,--output", options->Output,
                  "Write this file instead of <dest>/<short>.<abbr>.lng (lib.ini is then left alone)");
  cmd->footer(
      "Kept as they are: Format specifiers, the & accelerator and its letter, line breaks, leading and trailing "
      "spaces, report expressions such as [Page#], file masks, and texts without words (\"-\", numbers).\n"
      "The pseudo-locales have no abbreviation in the locale data: their files end in .QPS.lng (0x0501) and "
      ".QPM.lng (0x09FF).");
  cmd->callback([options]() { SetExitCode(RunPseudo(*options)); });
}

const CommandRegistration kPseudoRegistration(73, AddPseudoCommand);

}  // namespace

}  // namespace sw::cli
