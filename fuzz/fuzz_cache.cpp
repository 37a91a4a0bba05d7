// libFuzzer harness for the run's per-file cache: any bytes, given a cache
// file's magic, and a trailer whose index offset the input's last two bytes
// choose (the index's length, little endian) and whose checksum is right so
// that the fuzzer reaches the entries, are loaded, and the result of an
// entry is read; the same bytes are decoded as a form's record, and a record
// that decodes is encoded back to the same bytes and applied to a storage,
// in a native pass and in a translation. Only an sw::Exception may end an
// application; a crash, a hang or a sanitizer report is a fault, and so is a
// record that does not encode back to its bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "extract/forms/FormRecord.h"
#include "extract/forms/LocFormProc.h"
#include "memory/FileCache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  std::string file("SWCACHE\0", 8);
  if (size >= 2) {
    file.append(input, 0, size - 2);
    const std::size_t indexBytes = data[size - 2] | (std::size_t{data[size - 1]} << 8);
    if (file.size() >= 20) {
      const std::uint64_t offset = file.size() - std::min(file.size() - 20, indexBytes);
      const std::uint64_t sum =
          sw::CacheChecksum(std::string_view(file).substr(0, 20), std::string_view(file).substr(offset), offset);
      for (int i = 0; i < 8; ++i) file += static_cast<char>((offset >> (8 * i)) & 0xFF);
      for (int i = 0; i < 8; ++i) file += static_cast<char>((sum >> (8 * i)) & 0xFF);
    }
  }
  sw::TFileCache cache;
  cache.LoadBytes(file);
  std::string result;
  if (const sw::TFileCache::TEntry* entry = cache.Find("", 0)) (void)cache.ReadResult(*entry, result);

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
