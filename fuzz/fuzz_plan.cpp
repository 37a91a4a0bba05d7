// libFuzzer harness for the plan of a literal move (`move-literals --plan`):
// arbitrary bytes are read as a plan, text or JSON. Reading may refuse the
// input only with sw::Exception; a plan read from text, written again and
// read back must write the same text; applying a plan to no units refuses
// every entry that asks for a literal. An exception of another type, a
// crash, a hang or a sanitizer report is a fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "literals/LiteralPlan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<sw::TPlanEntry> plan;
  try {
    plan = sw::ReadPlan(input, "fuzz.plan");
  } catch (const sw::Exception&) {
    return 0;
  }
  const std::string text = sw::FormatPlan(plan, "PrjConst.pas", false);
  (void)sw::FormatPlan(plan, "PrjConst.pas", true);
  const auto first = input.find_first_not_of(" \t\r\n");
  const bool json = first != std::string::npos && input[first] == '{';
  if (!json) {
    std::vector<sw::TPlanEntry> again;
    try {
      again = sw::ReadPlan(text, "again.plan");
    } catch (const sw::Exception&) {
      __builtin_trap();  // what the plan writer wrote must read back
    }
    if (sw::FormatPlan(again, "PrjConst.pas", false) != text) __builtin_trap();
  }
  sw::TUnitRecList none;
  bool asks = false;
  for (const auto& e : plan) asks = asks || e.Offered() || e.Selected;
  try {
    sw::ApplyPlan(none, plan);
    if (asks) __builtin_trap();  // no unit holds the literal asked for
  } catch (const sw::Exception&) {
  }
  return 0;
}
