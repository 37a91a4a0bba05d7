// What `scan` prints for the forms recorded in a storage, shared by the
// scanners of form files and of compiled programs (whose forms are binary
// form streams): the JSON object {"file", "forms", "externalGroups"} and the
// plain lines.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace sw {
class TLocStorage;
}

namespace sw::cli {

nlohmann::ordered_json FormStorageJson(const TLocStorage& storage, const std::string& file);
void PrintFormStorage(const TLocStorage& storage);

}  // namespace sw::cli
