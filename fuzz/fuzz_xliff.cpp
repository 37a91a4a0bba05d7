// libFuzzer harness for XLIFF files: bytes read as an XLIFF document (UTF-8
// or UTF-16, DTDs, references, groups, the places translate-toolkit keeps
// ids in) and through the dispatcher that also refuses a document without
// units, then applied to a small storage (ExchangeHarness.h).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ExchangeHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  sw::fuzz::CheckDocument([&] { return sw::ParseXliff(input, "fuzz.xlf"); });
  sw::fuzz::CheckDocument([&] { return sw::ParseExchangeDocument(input, "fuzz.xlf"); });
  return 0;
}
