// libFuzzer harness for the source loaders: arbitrary bytes are written to a
// Pascal unit and to a resource script (with the same bytes as its .hpp
// header) and loaded by TPasProcessor and TCPPProcessor in both of its modes,
// with a code page chosen by the input's length. A malformed file must end in
// one of the project's exceptions; anything else escaping, a crash, a hang or
// a sanitizer report is a fault. Lines, names and values read must be UTF-8.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "extract/source/SourceReaders.h"
#include "base/Exceptions.h"
#include "base/Unicode.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = "/tmp/sw-fuzz-source-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
  return path;
}

void CheckUnit(const sw::TUnitRec& unit) {
  for (const std::string& line : unit.Lines)
    if (!sw::IsValidUtf8(line)) __builtin_trap();
  for (const auto& c : unit.Constants) {
    if (c->Owner != &unit) __builtin_trap();
    if (!sw::IsValidUtf8(c->Name) || !sw::IsValidUtf8(c->Value)) __builtin_trap();
  }
}

template <typename F>
void Try(F&& f) {
  try {
    f();
  } catch (const sw::Exception&) {
  }
}

// 0 = the system ANSI code page; 932 and 936 are double-byte.
constexpr unsigned kCodePages[] = {0, 1252, 1251, 932, 936, 65001};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const unsigned codePage = kCodePages[size % (sizeof kCodePages / sizeof kCodePages[0])];

  const std::string pas = WriteFile("Unit1.pas", input);
  {
    sw::TPasProcessor processor;
    processor.CodePage = codePage;
    Try([&] { processor.LoadConstants(pas); });
    CheckUnit(processor.UnitRec());
  }

  WriteFile("Strings.hpp", input);
  const std::string rc = WriteFile("Strings.rc", input);
  {
    sw::TCPPProcessor processor;
    processor.CodePage = codePage;
    Try([&] { processor.LoadConstants(rc); });
    CheckUnit(processor.UnitRec());
  }
  return 0;
}
