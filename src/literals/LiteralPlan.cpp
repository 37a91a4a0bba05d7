// The plan format: reading (text and JSON), writing and applying it.
#include "literals/LiteralPlan.h"

#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <tuple>

#include "base/Escapes.h"
#include "base/Numbers.h"
#include "base/Exceptions.h"

namespace sw {

std::vector<TPlanEntry> ReadPlan(const std::string& bytes, const std::string& fileName) {
  std::vector<TPlanEntry> entries;
  const auto first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && bytes[first] == '{') {
    try {
      const nlohmann::json json = nlohmann::json::parse(bytes);
      for (const auto& unit : json.at("units"))
        for (const auto& c : unit.at("candidates")) {
          TPlanEntry entry{unit.at("file").get<std::string>(), c.at("line").get<int>(), c.at("column").get<int>(),
                           c.at("selected").get<bool>(), c.at("name").get<std::string>(),
                           c.at("literal").get<std::string>()};
          if (c.contains("reason")) entry.Reason = c.at("reason").get<std::string>();
          entries.push_back(std::move(entry));
        }
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
    for (int k = 0; k < 6; ++k) {
      const std::size_t tab = line.find('\t', start);
      if (tab == std::string::npos) break;
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(line.substr(start));
    TPlanEntry entry;
    if ((fields.size() != 6 && fields.size() != 7) || !TryStrToInt(fields[1], entry.Line) ||
        !TryStrToInt(fields[2], entry.Column) || (fields[3] != "[x]" && fields[3] != "[ ]") ||
        !UnescapeLine(fields[5], entry.Literal) || (fields.size() == 7 && fields[6].empty()))
      throw Exception(fileName + " line " + std::to_string(number) + ": not a plan line");
    entry.File = fields[0];
    entry.Selected = fields[3] == "[x]";
    entry.Name = fields[4];
    if (fields.size() == 7) entry.Reason = fields[6];
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string FormatPlan(const std::vector<TPlanEntry>& plan, const std::string& constFile, bool json) {
  if (json) {
    nlohmann::ordered_json out;
    out["constFile"] = constFile;
    out["units"] = nlohmann::ordered_json::array();
    std::string current;
    for (const auto& e : plan) {
      if (out["units"].empty() || e.File != current) {
        nlohmann::ordered_json u;
        u["file"] = e.File;
        u["candidates"] = nlohmann::ordered_json::array();
        out["units"].push_back(std::move(u));
        current = e.File;
      }
      out["units"].back()["candidates"].push_back({{"line", e.Line},
                                                   {"column", e.Column},
                                                   {"literal", e.Literal},
                                                   {"name", e.Name},
                                                   {"selected", e.Selected},
                                                   {"reason", e.Reason}});
    }
    return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  }
  std::string text;
  for (const auto& e : plan)
    text += e.File + "\t" + std::to_string(e.Line) + "\t" + std::to_string(e.Column) + "\t" +
            (e.Selected ? "[x]" : "[ ]") + "\t" + (e.Name.empty() ? "-" : e.Name) + "\t" + EscapeForLine(e.Literal) +
            "\t" + e.Reason + "\n";
  return text;
}

void ApplyPlan(TUnitRecList& units, const std::vector<TPlanEntry>& plan) {
  std::map<std::tuple<std::string, int, int>, const TPlanEntry*> byPlace;
  for (const auto& e : plan) {
    if (!e.Offered()) {
      if (e.Selected)
        throw Exception(Format("%s line %d column %d: the literal is not offered (%s) and cannot be selected", e.File,
                               e.Line, e.Column, e.Reason));
      continue;
    }
    byPlace[{e.File, e.Line, e.Column}] = &e;
  }
  std::size_t matched = 0;
  std::vector<std::pair<TStrConst*, bool>> selections;
  for (const auto& unit : units) {
    for (const auto& c : unit->Constants) {
      const auto it = byPlace.find({unit->FileName, c->FirstLine + 1, c->StartCol});
      if (it == byPlace.end()) {
        selections.emplace_back(c.get(), false);
        continue;
      }
      const TPlanEntry& e = *it->second;
      if (e.Literal != c->Value)
        throw Exception(Format("%s line %d: the plan's literal differs from the unit's; the unit changed since the plan "
                               "was made",
                               unit->FileName, e.Line));
      c->Name = e.Name;
      selections.emplace_back(c.get(), e.Selected);
      ++matched;
    }
  }
  if (matched != byPlace.size()) {
    for (const auto& [place, e] : byPlace) {
      bool found = false;
      for (const auto& unit : units)
        for (const auto& c : unit->Constants)
          if (unit->FileName == e->File && c->FirstLine + 1 == e->Line && c->StartCol == e->Column) found = true;
      if (!found)
        throw Exception(Format("%s line %d column %d: no such literal; the unit changed since the plan was made or is "
                               "not among the units given",
                               e->File, e->Line, e->Column));
    }
  }
  // Selecting selects equal texts too; unselecting afterwards makes it exact.
  for (auto& [c, selected] : selections)
    if (selected) c->SetSelected(true);
  for (auto& [c, selected] : selections)
    if (!selected) c->SetSelected(false);
}

}  // namespace sw
