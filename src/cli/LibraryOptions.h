// The options that name a library, shared by every command that works on
// one: a stored library (--settings FILE with --library N or --name NAME) or
// one given on the command line (--src, --dest, --short-name and the
// language list, the first language being the native one).
#pragma once

#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/LibraryRun.h"

namespace sw::cli {

struct LibraryOptions {
  std::string SettingsFile;
  int Library = 0;
  std::string Name;
  std::string SrcDir;
  std::string DestDir;
  std::string ShortName;
  std::vector<std::string> Langs;
  std::string Scan;       // --scan (commands that offer it)
  std::string RulesFile;  // --rules (commands that offer it)
};

// A command line that cannot be carried out as given (exit code 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Registers the options above, except --scan and --rules; the language list
// goes under `langsOption` ("--lang" for `process`).
void AddLibraryOptions(CLI::App* cmd, LibraryOptions& options, const std::string& langsOption = "--lang");

// A language identifier: decimal, 0x hex, an abbreviation such as DEU or an
// English name, of a language the catalogue knows. Raises UsageError naming
// `option`.
int ParseLangId(const std::string& text, const std::string& option = "--lang");

// The library the options name, resolved by the run service (the rules in
// force, folders relative to the settings file), with --scan and --rules
// applied. A library given on the command line needs --src only when
// `requireSource`. Raises UsageError for options that cannot be carried out,
// and the settings' own errors for a file that cannot be read.
TResolvedLibrary ResolveLibraryOptions(const LibraryOptions& options, bool requireSource = true,
                                       const std::string& langsOption = "--lang");

}  // namespace sw::cli
