// `shelfwright-cli move-literals [--pascal|--cpp [--rc]] UNIT... [options]`:
// moves the string literals of source units into a generated constants file
// (PrjConst.pas, or PrjConst.rc with PrjConst.hpp) and rewrites the units to
// refer to the constants.
//
// Without --write nothing changes: the plan is printed, one candidate per
// line: unit file, line and column (both 1-based; the column counts bytes of
// the UTF-8 line), "[x]" or "[ ]" for selected, the proposed name and the
// literal; or, with --json, the same as a JSON document. `--plan FILE` reads
// such a plan back (text or JSON; the user unselected or renamed entries) and
// applies exactly it; --write writes. The summary says how many literals
// moved in how many units and which files were (or would be) written.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "cli/Commands.h"
#include "extract/source/SrcProcs.h"
#include "platform/FileSystem.h"
#include "util/QStrings.h"

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
};

// Reverses EscapeForLine; false when `text` is not such a quoted text.
bool Unescape(const std::string& text, std::string& out) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  const std::string inner = text.substr(1, text.size() - 2);
  out.clear();
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] != '\\') {
      out += inner[i];
      continue;
    }
    if (++i >= inner.size()) return false;
    switch (inner[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case 'x':
        if (i + 2 >= inner.size() || !IsHexDigitChar(inner[i + 1]) || !IsHexDigitChar(inner[i + 2])) return false;
        out += static_cast<char>(HexToInt(inner.substr(i + 1, 2)));
        i += 2;
        break;
      default:
        return false;
    }
  }
  return true;
}

struct PlanEntry {
  std::string File;
  int Line = 0;    // 1-based
  int Column = 0;  // 1-based
  bool Selected = false;
  std::string Name;
  std::string Literal;
};

// Reads a plan printed by this command (text or JSON). Raises with a message
// naming the file and the line.
std::vector<PlanEntry> ReadPlan(const std::string& fileName) {
  const std::string bytes = platform::ReadFileBytes(fileName);
  std::vector<PlanEntry> entries;
  const auto first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && bytes[first] == '{') {
    nlohmann::json json;
    try {
      json = nlohmann::json::parse(bytes);
      for (const auto& unit : json.at("units"))
        for (const auto& c : unit.at("candidates"))
          entries.push_back({unit.at("file").get<std::string>(), c.at("line").get<int>(), c.at("column").get<int>(),
                             c.at("selected").get<bool>(), c.at("name").get<std::string>(),
                             c.at("literal").get<std::string>()});
    } catch (const nlohmann::json::exception& e) {
      throw Exception(fileName + ": not a plan: " + e.what());
    }
    return entries;
  }
  std::istringstream in(bytes);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (int k = 0; k < 5; ++k) {
      const std::size_t tab = line.find('\t', start);
      if (tab == std::string::npos) break;
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(line.substr(start));
    PlanEntry entry;
    if (fields.size() != 6 || !TryStrToInt(fields[1], entry.Line) || !TryStrToInt(fields[2], entry.Column) ||
        (fields[3] != "[x]" && fields[3] != "[ ]") || !Unescape(fields[5], entry.Literal))
      throw Exception(fileName + " line " + std::to_string(number) + ": not a plan line");
    entry.File = fields[0];
    entry.Selected = fields[3] == "[x]";
    entry.Name = fields[4];
    entries.push_back(std::move(entry));
  }
  return entries;
}

// Makes the selection and names of the units exactly those of the plan.
void ApplyPlan(TUnitRecList& units, const std::vector<PlanEntry>& plan) {
  std::map<std::tuple<std::string, int, int>, const PlanEntry*> byPlace;
  for (const auto& e : plan) byPlace[{e.File, e.Line, e.Column}] = &e;
  std::size_t matched = 0;
  std::vector<std::pair<TStrConst*, bool>> selections;
  for (const auto& unit : units) {
    for (const auto& c : unit->Constants) {
      const auto it = byPlace.find({unit->FileName, c->FirstLine + 1, c->StartCol});
      if (it == byPlace.end()) {
        selections.emplace_back(c.get(), false);
        continue;
      }
      const PlanEntry& e = *it->second;
      if (e.Literal != c->Value)
        throw Exception(Format("%s line %d: the plan's literal differs from the unit's; the unit changed since the plan "
                               "was made",
                               unit->FileName, e.Line));
      c->Name = e.Name;
      selections.emplace_back(c.get(), e.Selected);
      ++matched;
    }
  }
  if (matched != plan.size()) {
    for (const auto& e : plan) {
      bool found = false;
      for (const auto& unit : units)
        for (const auto& c : unit->Constants)
          if (unit->FileName == e.File && c->FirstLine + 1 == e.Line && c->StartCol == e.Column) found = true;
      if (!found)
        throw Exception(Format("%s line %d column %d: no such literal; the unit changed since the plan was made or is "
                               "not among the units given",
                               e.File, e.Line, e.Column));
    }
  }
  // Selecting selects equal texts too; unselecting afterwards makes it exact.
  for (auto& [c, selected] : selections)
    if (selected) c->SetSelected(true);
  for (auto& [c, selected] : selections)
    if (!selected) c->SetSelected(false);
}

void PrintPlan(const TUnitRecList& units, const std::string& constFile, bool json) {
  if (json) {
    nlohmann::ordered_json out;
    out["constFile"] = constFile;
    out["units"] = nlohmann::ordered_json::array();
    for (const auto& unit : units) {
      nlohmann::ordered_json u;
      u["file"] = unit->FileName;
      u["candidates"] = nlohmann::ordered_json::array();
      for (const auto& c : unit->Constants)
        u["candidates"].push_back({{"line", c->FirstLine + 1},
                                   {"column", c->StartCol},
                                   {"literal", c->Value},
                                   {"name", c->Name},
                                   {"selected", c->Selected()}});
      out["units"].push_back(std::move(u));
    }
    std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    return;
  }
  for (const auto& unit : units)
    for (const auto& c : unit->Constants)
      std::cout << unit->FileName << "\t" << c->FirstLine + 1 << "\t" << c->StartCol << "\t"
                << (c->Selected() ? "[x]" : "[ ]") << "\t" << c->Name << "\t" << EscapeForLine(c->Value) << "\n";
}

bool IsPascalFile(const std::string& name) {
  const std::string ext = LowerAscii(ExtractFileExt(name));
  return ext == ".pas" || ext == ".dpr" || ext == ".dpk" || ext == ".lpr" || ext == ".pp" || ext == ".inc";
}

int RunMoveLiterals(MoveOptions options) {
  if (options.Pascal && options.Cpp) {
    PrintError("--pascal and --cpp exclude each other");
    return kExitUsage;
  }
  if (options.Rc && options.Pascal) {
    PrintError("--rc applies to C++ sources only");
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
    options.Pascal = true;
    for (const auto& u : options.Units)
      if (!IsPascalFile(u)) options.Pascal = false;
    options.Cpp = !options.Pascal || options.Rc;
    if (options.Rc) options.Pascal = false;
  }
  std::unique_ptr<TSourceProcessor> processor;
  if (options.Pascal) {
    processor = std::make_unique<TPasProcessor>();
  } else {
    auto cpp = std::make_unique<TCPPProcessor>();
    cpp->PascalUnitMode = !options.Rc;
    processor = std::move(cpp);
  }
  if (options.ConstFile.empty()) {
    const std::string folder = ExtractFilePath(options.Units.front());
    options.ConstFile = folder + (options.Rc ? "PrjConst.rc" : "PrjConst.pas");
  }
  processor->ConstFileName = options.ConstFile;
  processor->NamePrefix = options.Prefix;
  processor->UnitPrefix = options.UnitPrefix;
  processor->MaxNameChars = options.MaxNameChars;
  processor->CyrillicNames = options.CyrillicNames;
  processor->ReuseNames = !options.NoReuseNames;
  for (const auto& pattern : options.Exclude)
    if (!TrimSpaces(pattern).empty()) processor->ExcludePatterns.Add(pattern);
  processor->CodePage = options.CodePage < 0 ? 0u : static_cast<unsigned>(options.CodePage);

  TUnitRecList units;
  const std::string constFile = processor->ConstantsFile();
  std::vector<std::string> seen;
  for (const auto& name : options.Units) {
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;  // a unit given twice is moved once
    seen.push_back(name);
    if (SameText(ExtractFileName(name), ExtractFileName(constFile)) &&
        SameText(ExtractFilePath(name), ExtractFilePath(constFile)))
      continue;  // the constants file itself is no unit to move from
    auto unit = std::make_unique<TUnitRec>();
    unit->FileName = name;
    units.Add(std::move(unit));
  }
  processor->Units = &units;

  try {
    processor->FindLiterals();
    if (!options.Plan.empty()) {
      ApplyPlan(units, ReadPlan(options.Plan));
    } else {
      for (const auto& unit : units)
        for (const auto& c : unit->Constants) c->SetSelected(true);
    }
    const TMoveResult result = processor->ApplyLiterals(options.Write);
    if (!options.Write) PrintPlan(units, constFile, options.Json);
    std::string files;
    for (const auto& f : result.Written) files += (files.empty() ? "" : ", ") + f;
    std::ostream& summary = options.Write ? std::cout : std::cerr;
    summary << (options.Write ? "Moved " : "Would move ") << result.Literals << " literal"
            << (result.Literals == 1 ? "" : "s") << " in " << result.Units << " unit" << (result.Units == 1 ? "" : "s")
            << " into " << constFile << "; " << (options.Write ? "wrote: " : "would write: ")
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
  cmd->callback([options]() { SetExitCode(RunMoveLiterals(*options)); });
}

const CommandRegistration kMoveLiteralsRegistration(55, AddMoveLiteralsCommand);

}  // namespace

}  // namespace sw::cli
