// libFuzzer harness for compiled programs (PE images): lists the string
// tables and forms of any byte string, groups them by language and chooses
// the languages a run would take. Damaged input must end in EResError; any
// other exception, a crash, a hang or a sanitizer report is a fault.
#include "extract/resources/PeResources.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const sw::TPeImage image("fuzz.exe", bytes);
    for (const sw::TPeResource& resource : image.Resources()) {
      // Every data view lies inside the image.
      if (resource.Offset > size || size - resource.Offset < resource.Data.size()) __builtin_trap();
    }
    const auto languages = sw::PeLanguages(image);
    for (const auto& language : languages)
      for (int i = 1; i < language->Strings.Count(); ++i)
        if (language->Strings.Strings(i - 1)->Id >= language->Strings.Strings(i)->Id) __builtin_trap();
    const auto taken = sw::ChoosePeLanguages(languages, 0x0407);
    if (!languages.empty() && taken.empty()) __builtin_trap();
    for (const std::size_t index : taken)
      if (index >= languages.size()) __builtin_trap();
  } catch (const sw::EResError& e) {
    if (e.FileName() != "fuzz.exe") __builtin_trap();
  }
  return 0;
}
