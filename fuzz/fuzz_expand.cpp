// Fuzzes the LZQ expander with arbitrary bytes behind a valid header: it must end quietly or
// raise EQCompressError, never read or write out of bounds. Inputs are also compressed and
// expanded again, which must give them back unchanged, and expanded with an output limit,
// which must give a prefix of the full expansion.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "compress/LzqContainer.h"
#include "runtime/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  std::string full;
  bool failed = false;
  {
    sw::TMemoryStream source(std::string("LZQ00\0\0\0\0", 9) + input);
    sw::TMemoryStream dest;
    try {
      sw::ExpandStreamFromStart(source, dest);
    } catch (const sw::EQCompressError&) {
      failed = true;
    }
    full = dest.AsString();
  }
  if (!failed) {
    sw::TMemoryStream source(std::string("LZQ00\0\0\0\0", 9) + input);
    sw::TMemoryStream dest;
    const std::int64_t limit = size == 0 ? 0 : data[0] * 16;
    const std::int64_t written = sw::ExpandStreamPrefix(source, dest, limit);
    if (dest.AsString() != full.substr(0, static_cast<std::size_t>(written))) std::abort();
  }

  sw::TMemoryStream plain(input);
  sw::TMemoryStream packed;
  sw::CompressStreamFromStart(plain, packed);
  sw::TMemoryStream unpacked;
  sw::ExpandStreamFromStart(packed, unpacked);
  if (unpacked.AsString() != input) std::abort();
  return 0;
}
