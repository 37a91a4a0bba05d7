// The registry of shelfwright-cli's subcommands, the shared `scan` command
// and the command-line driver.
#include "cli/Commands.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>

#include "BuildInfo.h"
#include "app/FileKinds.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "extract/resources/CompiledPrograms.h"

namespace sw::cli {

namespace {

struct Registry {
  std::vector<std::pair<int, CommandSetup>> commands;
  std::map<std::string, Scanner> scanners;
  int exitCode = kExitOk;
};

Registry& GetRegistry() {
  static Registry registry;
  return registry;
}

std::string LowerExtension(const std::string& fileName) {
  const auto slash = fileName.find_last_of("/\\");
  const auto dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return LowerAscii(fileName.substr(dot));
}

void AddScanCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("scan", "Print the translatable texts one input file holds");
  auto options = std::make_shared<ScanOptions>();
  cmd->add_option("file", options->File, "A .res/.r32, .dfm, .pas, .rc, .exe/.dll/.bpl file or a resource DLL")->required();
  cmd->add_flag("--json", options->Json, "Print JSON instead of text");
  cmd->add_option("--rules", options->RulesFile, "Property rules file for forms (one rule per line)");
  cmd->add_option("--lang", options->Lang, "Language of a form: identifier (decimal, 0x hex) or abbreviation");
  cmd->add_option("--codepage", options->CodePage, "Code page of ANSI bytes in a source file");
  cmd->callback([options]() {
    const Scanner* scanner = FindScanner(options->File);
    // A resource DLL (App.DEU) is told by its content, not its extension.
    if (!scanner && IsResourceDll(options->File)) scanner = FindScanner(".exe");
    if (!scanner) {
      PrintError(options->File + ": cannot scan files of this kind");
      SetExitCode(kExitUsage);
      return;
    }
    SetExitCode((*scanner)(*options));
  });
}

const CommandRegistration kScanRegistration(50, AddScanCommand);

}  // namespace

CommandRegistration::CommandRegistration(int order, CommandSetup setup) {
  GetRegistry().commands.emplace_back(order, std::move(setup));
}

ScannerRegistration::ScannerRegistration(int fileKinds, Scanner scanner) {
  for (const TFileKind& kind : kFileKinds)
    if (fileKinds & kind.Bit)
      for (std::string_view ext : kind.Extensions)
        if (!ext.empty()) GetRegistry().scanners[std::string(ext)] = scanner;
}

const Scanner* FindScanner(const std::string& fileName) {
  const auto& scanners = GetRegistry().scanners;
  const auto it = scanners.find(LowerExtension(fileName));
  return it == scanners.end() ? nullptr : &it->second;
}

void SetExitCode(int code) { GetRegistry().exitCode = code; }

void PrintError(const std::string& message) { std::cerr << "shelfwright-cli: " << message << std::endl; }

int RunCli(int argc, char** argv) {
  CLI::App app{"Shelfwright: extracts the translatable texts of Windows applications into language files",
               "shelfwright-cli"};
  app.set_version_flag("--version", std::string("shelfwright-cli ") + SHELFWRIGHT_VERSION);
  app.require_subcommand(1);
  auto& registry = GetRegistry();
  std::stable_sort(registry.commands.begin(), registry.commands.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [order, setup] : registry.commands) setup(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  } catch (const sw::Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  } catch (const std::exception& e) {
    PrintError(e.what());
    return kExitFailure;
  }
  return registry.exitCode;
}


}  // namespace sw::cli
