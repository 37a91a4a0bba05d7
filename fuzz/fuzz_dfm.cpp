// libFuzzer harness for form files: runs the form extraction over any byte
// string (binary stream, resource-wrapped stream or text form) with rules
// that record everything. Damaged input must end in an sw::Exception; any
// other exception, a crash or a sanitizer report is a fault.
#include "extract/forms/LocFormProc.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sw::TLocStorage storage;
  sw::TLocFormProcessor processor;
  processor.PropRules.Add("**");
  processor.PropRules.Add("-TLabel.Font.Charset");
  processor.Storage = &storage;
  processor.LangId = 0x0409;
  try {
    processor.ProcessBytes(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const sw::Exception&) {
  }
  return 0;
}
