// The subcommands of shelfwright-cli register themselves here: each command
// lives in its own Cmd*.cpp file and adds itself with a static
// `CommandRegistration`. `scan FILE` dispatches on the file's extension to the
// scanners that register themselves with `ScannerRegistration`.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

#include "base/Escapes.h"

namespace sw::cli {

// Exit codes: 0 success, 1 failure, 2 usage error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Adds a subcommand to `app`; the callback it installs must store its exit
// code through `SetExitCode`.
using CommandSetup = std::function<void(CLI::App& app)>;

struct CommandRegistration {
  CommandRegistration(int order, CommandSetup setup);
};

void SetExitCode(int code);

// Options shared by every scanner of `scan`.
struct ScanOptions {
  std::string File;
  bool Json = false;
  std::string RulesFile;   // forms: property rules file ("" = default rules)
  std::string Lang;        // forms: language identifier or abbreviation
  int CodePage = -1;       // sources: code page of ANSI bytes (-1 = system)
};

// A scanner prints what one file holds and returns the exit code.
using Scanner = std::function<int(const ScanOptions& options)>;

struct ScannerRegistration {
  // Registers `scanner` for the extensions of the `fileKinds` (`sf…` bits).
  ScannerRegistration(int fileKinds, Scanner scanner);
};

// The registered scanner of a file name's extension, or nullptr.
const Scanner* FindScanner(const std::string& fileName);

// Writes an error line to stderr ("shelfwright-cli: <message>").
void PrintError(const std::string& message);

// Parses the command line, runs the chosen subcommand and returns the exit code.
int RunCli(int argc, char** argv);

}  // namespace sw::cli
