// libFuzzer harness for the run's per-file cache: any bytes, given a cache
// file's magic and a right checksum so that the fuzzer reaches the entries,
// are loaded; the same bytes are decoded as a form's record, and a record
// that decodes is encoded back to the same bytes and applied to a storage,
// in a native pass and in a translation. Only an sw::Exception may end an
// application; a crash, a hang or a sanitizer report is a fault, and so is a
// record that does not encode back to its bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract/forms/FormRecord.h"
#include "extract/forms/LocFormProc.h"
#include "memory/FileCache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  std::string file("SWCACHE\0", 8);
  file += input;
  const std::uint64_t sum = sw::ContentHash(file);
  for (int i = 0; i < 8; ++i) file += static_cast<char>((sum >> (8 * i)) & 0xFF);
  sw::TFileCache cache;
  cache.LoadBytes(file);
  (void)cache.Find("", 0);

  sw::TFormRecord record;
  if (!sw::DecodeFormRecord(input, record)) return 0;
  if (sw::EncodeFormRecord(record) != input) __builtin_trap();
  sw::TLocStorage storage;
  sw::TLocFormProcessor processor;
  processor.Storage = &storage;
  try {
    processor.ApplyRecord(record);  // native: creates what the record names
    processor.Column = storage.AddLanguage(0, 0x0407);
    processor.ApplyRecord(record);
  } catch (const sw::Exception&) {
  }
  return 0;
}
