// What the scanners of form files and of compiled programs (whose forms are
// binary form streams) share: the property rules they read with, and what
// `scan` prints for the forms recorded in a storage, the JSON object
// {"file", "forms", "externalGroups"} and the plain lines.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace sw {
class TLocStorage;
class TStringList;
}

namespace sw::cli {

// The property rules of `--rules FILE`, or the default ones when `rulesFile`
// is empty. False, with the error printed, when the file cannot be read.
bool LoadPropRulesOption(TStringList& rules, const std::string& rulesFile);

nlohmann::ordered_json FormStorageJson(const TLocStorage& storage, const std::string& file);
void PrintFormStorage(const TLocStorage& storage);

}  // namespace sw::cli
