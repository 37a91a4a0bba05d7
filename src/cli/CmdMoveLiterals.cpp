// `shelfwright-cli move-literals [--pascal|--cpp [--rc]] UNIT... [options]`:
// moves the string literals of source units into a generated constants file
// (PrjConst.pas, or PrjConst.rc with PrjConst.hpp) and rewrites the units to
// refer to the constants, through the literal-moving service (MoveLiterals.h).
//
// Without --write nothing changes: the plan is printed (LiteralPlan.h: every
// literal found, `offered` or the reason it stays), as text or with --json.
// `--plan FILE` reads such a plan back (the user unselected or renamed
// entries) and applies exactly it; --write writes. The summary says how many
// literals moved in how many units and which files were (or would be)
// written. `--check` prints the offered literals as `file:line:column:
// "text"` and exits 1 when there is one, 0 when there is none.
#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "literals/MoveLiterals.h"
#include "platform/FileSystem.h"
#include "base/AsciiText.h"
#include "base/Escapes.h"
#include "base/Exceptions.h"

namespace sw::cli {

namespace {

struct MoveOptions {
  bool Pascal = false;
  bool Cpp = false;
  bool Rc = false;
  std::vector<std::string> Units;
  std::string ConstFile;
  std::string Prefix = "S";
  bool UnitPrefix = false;
  int MaxNameChars = 20;
  bool CyrillicNames = false;
  bool NoReuseNames = false;
  std::vector<std::string> Exclude;
  int CodePage = -1;
  std::string Plan;
  bool Write = false;
  bool Json = false;
  bool Check = false;
};

int RunMoveLiterals(MoveOptions options) {
  if (options.Pascal && options.Cpp) {
    PrintError("--pascal and --cpp exclude each other");
    return kExitUsage;
  }
  if (options.Rc && options.Pascal) {
    PrintError("--rc applies to C++ sources only");
    return kExitUsage;
  }
  if (options.Check && (options.Write || !options.Plan.empty())) {
    PrintError("--check takes neither --write nor --plan");
    return kExitUsage;
  }
  if (options.MaxNameChars < 1) {
    PrintError("--max-name-chars: must be at least 1");
    return kExitUsage;
  }
  if (options.CodePage < -1 || options.CodePage > 65535) {
    PrintError("--codepage: not a code page: " + std::to_string(options.CodePage));
    return kExitUsage;
  }
  if (!options.Pascal && !options.Cpp) {
    options.Pascal = !options.Rc;
    for (const auto& u : options.Units)
      if (!IsPascalSourceFile(u)) options.Pascal = false;
    options.Cpp = !options.Pascal;
  }
  TMoveLiteralsRequest request;
  TMoveLiteralsSettings& settings = request.Settings;
  settings.Target = options.Pascal ? TLiteralTarget::Pascal
                    : options.Rc   ? TLiteralTarget::CppToResourceScript
                                   : TLiteralTarget::CppToPascalUnit;
  settings.ConstFile = options.ConstFile;
  settings.Naming.NamePrefix = options.Prefix;
  settings.Naming.UnitPrefix = options.UnitPrefix;
  settings.Naming.MaxNameChars = options.MaxNameChars;
  settings.Naming.CyrillicNames = options.CyrillicNames;
  settings.Naming.ReuseNames = !options.NoReuseNames;
  for (const auto& pattern : options.Exclude)
    if (!TrimSpaces(pattern).empty()) settings.ExcludePatterns.Add(pattern);
  settings.CodePage = options.CodePage < 0 ? 0u : static_cast<unsigned>(options.CodePage);
  request.Units = options.Units;
  request.Write = options.Write;

  try {
    std::vector<TPlanEntry> plan;
    if (!options.Plan.empty()) {
      plan = ReadPlan(platform::ReadFileBytes(options.Plan), options.Plan);
      request.Plan = &plan;
    }
    const TMoveLiteralsOutcome outcome = MoveLiterals(request);
    if (options.Check) {
      int offered = 0;
      for (const auto& e : outcome.Plan)
        if (e.Offered()) {
          std::cout << e.File << ":" << e.Line << ":" << e.Column << ": " << EscapeForLine(e.Literal) << "\n";
          ++offered;
        }
      std::cerr << offered << " hard-coded literal" << (offered == 1 ? "" : "s") << " could move to "
                << outcome.ConstantsFile << "\n";
      return offered > 0 ? kExitFailure : kExitOk;
    }
    const TMoveResult& result = outcome.Result;
    if (!options.Write) std::cout << FormatPlan(outcome.Plan, outcome.ConstantsFile, options.Json);
    std::string files;
    for (const auto& f : result.Written) files += (files.empty() ? "" : ", ") + f;
    std::ostream& summary = options.Write ? std::cout : std::cerr;
    summary << (options.Write ? "Moved " : "Would move ") << result.Literals << " literal"
            << (result.Literals == 1 ? "" : "s") << " in " << result.Units << " unit" << (result.Units == 1 ? "" : "s")
            << " into " << outcome.ConstantsFile << "; " << (options.Write ? "wrote: " : "would write: ")
            << (files.empty() ? "nothing" : files) << "\n";
    if (!options.Write) summary << "Nothing was changed; run with --write to apply.\n";
  } catch (const EQScannerError& e) {
    PrintError(e.Describe() + "; nothing was written");
    return kExitFailure;
  } catch (const Exception& e) {
    PrintError(e.Message());
    return kExitFailure;
  } catch (const std::exception& e) {
    PrintError(e.what());
    return kExitFailure;
  }
  return kExitOk;
}

void AddMoveLiteralsCommand(CLI::App& app) {
  auto* cmd = app.add_subcommand("move-literals",
                                 "Move the string literals of source units into a generated constants file "
                                 "(prints the plan; --write applies it)");
  auto options = std::make_shared<MoveOptions>();
  cmd->add_flag("--pascal", options->Pascal, "The units are Object Pascal (default for .pas/.dpr files)");
  cmd->add_flag("--cpp", options->Cpp, "The units are C++ sources");
  cmd->add_flag("--rc", options->Rc, "C++: write a resource script with a header instead of a Pascal unit");
  cmd->add_option("units", options->Units, "Source units")->required()->check(CLI::ExistingFile);
  cmd->add_option("--const-file", options->ConstFile,
                  "The constants file (default: PrjConst.pas or PrjConst.rc beside the first unit)");
  cmd->add_option("--prefix", options->Prefix, "First characters of every new constant name (default S)");
  cmd->add_flag("--unit-prefix", options->UnitPrefix, "Put the unit's name and \"_\" in front of new names");
  cmd->add_option("--max-name-chars", options->MaxNameChars, "How many characters of a literal feed its name (20)");
  cmd->add_flag("--cyrillic-names", options->CyrillicNames, "Transliterate Cyrillic letters in names");
  cmd->add_flag("--no-reuse-names", options->NoReuseNames, "Do not give equal texts the name of an existing constant");
  cmd->add_option("--exclude", options->Exclude,
                  "Leave literals after this code text (\"pattern*\": anywhere in the ten tokens before)");
  cmd->add_option("--codepage", options->CodePage, "Code page of unmarked (ANSI) files (default: system)");
  cmd->add_option("--plan", options->Plan, "Apply this plan (as printed, text or JSON) instead of the defaults")
      ->check(CLI::ExistingFile);
  cmd->add_flag("--write", options->Write, "Write the units and the constants file");
  cmd->add_flag("--json", options->Json, "Print the plan as JSON");
  cmd->add_flag("--check", options->Check,
                "Print the literals that could move (file:line:column: \"text\"); exit 1 when there is one");
  cmd->callback([options]() { SetExitCode(RunMoveLiterals(*options)); });
}

const CommandRegistration kMoveLiteralsRegistration(55, AddMoveLiteralsCommand);

}  // namespace

}  // namespace sw::cli
