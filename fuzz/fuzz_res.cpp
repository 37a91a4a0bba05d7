// libFuzzer harness for compiled resource files: lists the entries of any
// byte string and extracts its string tables. Damaged input must end in
// EResError; any other exception, a crash or a sanitizer report is a fault.
#include "extract/resources/ResStringTables.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const sw::TResReader reader("fuzz.res", std::string(reinterpret_cast<const char*>(data), size));
    for (int i = 0; i < reader.Count(); ++i) {
      const sw::TResEntry* entry = reader.Entries(i);
      if (entry->Data.size() != entry->DataSize) __builtin_trap();
    }
    sw::TResProcessor processor;
    processor.LoadFromReader(reader);
    if (const auto* strings = static_cast<const sw::TResString*>(processor.FindBlock(sw::ResTypeString)))
      for (int i = 1; i < strings->Count(); ++i)
        if (strings->Strings(i - 1)->Id >= strings->Strings(i)->Id) __builtin_trap();
  } catch (const sw::EResError&) {
  }
  return 0;
}
