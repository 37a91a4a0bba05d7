// Numbers and counts as the windows write them (see CountsLogic.h).
#include "window/CountsLogic.h"

namespace sw {

std::string GroupedNumber(std::int64_t n) {
  const bool negative = n < 0;
  // Through the unsigned magnitude, so that the lowest value has one too.
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  const std::string digits = std::to_string(magnitude);
  std::string grouped = negative ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string CountOf(std::int64_t n, const std::string& one, const std::string& many) {
  return GroupedNumber(n) + " " + (n == 1 ? one : many);
}

}  // namespace sw
