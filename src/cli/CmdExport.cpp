// `shelfwright-cli export`: writes one translation language of a library to
// an XLIFF 1.2 or gettext PO file for translators (all units, or with
// --only-open the untranslated and out-of-date ones), through the export
// service the window uses too. "-o -" writes to standard output (the summary
// then goes to standard error); a device or a FIFO is written into; a
// regular file is written completely before it replaces an older one; the
// library's own files are refused.
#include <iostream>
#include <memory>

#include "app/ExchangeService.h"
#include "base/AsciiText.h"
#include "cli/Commands.h"
#include "cli/ExchangeTarget.h"

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
  TExportRequest request;
  try {
    ResolveExchangeRequest(options.Library, options.Lang, request);
    const std::string format = LowerAscii(options.Format);
    if (format == "xliff" || format == "xlf")
      request.Format = TExchangeFormat::Xliff;
    else if (format == "po")
      request.Format = TExchangeFormat::Po;
    else
      throw UsageError("--format " + options.Format + ": use xliff or po");
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  }
  request.OnlyOpen = options.OnlyOpen;
  request.Output = options.Output;
  try {
    const TExportOutcome outcome = ExportLanguage(request, std::cout);
    for (const std::string& note : outcome.Notes) PrintError(note);
    (IsStandardOutputName(request.Output) ? std::cerr : std::cout) << outcome.Summary << "\n";
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  return kExitOk;
}

void AddExportCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("export", "Write one translation language to an XLIFF 1.2 or PO file for translators");
  auto options = std::make_shared<ExportOptions>();
  AddLibraryOptions(cmd, options->Library, "--languages");
  cmd->add_option("--lang", options->Lang, "The translation language: abbreviation (DEU) or identifier")->required();
  cmd->add_option("--format", options->Format, "xliff or po")->required();
  cmd->add_flag("--only-open", options->OnlyOpen, "Only untranslated and out-of-date units");
  cmd->add_option("-o,--output", options->Output, "The file to write; - for standard output")->required();
  cmd->callback([options]() { SetExitCode(RunExport(*options)); });
}

const CommandRegistration kExportRegistration(72, AddExportCommand);

}  // namespace

}  // namespace sw::cli
