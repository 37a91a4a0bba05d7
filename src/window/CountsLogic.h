// How the windows write numbers and counts: digits grouped by thousands
// ("55,000") and the noun in the singular for one ("1 unit", "2 units").
// The windows' texts are English, so are the separator and the plurals.
#pragma once

#include <cstdint>
#include <string>

namespace sw {

// 1234567 as "1,234,567"; negative numbers keep their sign.
std::string GroupedNumber(std::int64_t n);
// "1 unit", "0 units", "1,200 units".
std::string CountOf(std::int64_t n, const std::string& one, const std::string& many);

}  // namespace sw
