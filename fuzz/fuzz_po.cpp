// libFuzzer harness for gettext PO files: bytes read as a PO document (the
// byte-order mark, the NUL check, libgettextpo's parser behind its error
// handler, the "#:" references) and applied to a small storage
// (ExchangeHarness.h).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ExchangeHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  sw::fuzz::CheckDocument([&] { return sw::ParsePo(input, "fuzz.po"); });
  return 0;
}
