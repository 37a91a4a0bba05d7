// `shelfwright-cli scan FILE.res [--json]` (also .r32): prints the strings of
// the file's string tables in identifier order. Plain output is one line per
// string, the identifier, a tab and the text as UTF-8 with backslash, tab,
// CR, LF and other control characters escaped; JSON output is
// {"file", "strings": [{"id", "text"}]}.
#include "app/FileKinds.h"
#include "cli/Commands.h"
#include "extract/resources/WinResProc.h"
#include "base/Unicode.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <iostream>

namespace sw::cli {

namespace {

std::string EscapeLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += fmt::format("\\x{:02x}", static_cast<unsigned char>(c));
        else
          out += c;
    }
  }
  return out;
}

int ScanResFile(const ScanOptions& options) {
  TResProcessor processor;
  try {
    processor.LoadFromResFile(options.File);
  } catch (EResError& e) {
    PrintError(e.AttachFile(options.File).Describe());
    return kExitFailure;
  }
  const auto* strings = static_cast<const TResString*>(processor.FindBlock(ResTypeString));
  const int count = strings ? strings->Count() : 0;
  if (options.Json) {
    auto list = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
      const TResStringItem* item = strings->Strings(i);
      list.push_back({{"id", item->Id}, {"text", Utf16ToUtf8(item->Text)}});
    }
    const nlohmann::json out = {{"file", options.File}, {"strings", std::move(list)}};
    // A file name that is not UTF-8 must not stop the output.
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else {
    for (int i = 0; i < count; ++i) {
      const TResStringItem* item = strings->Strings(i);
      std::cout << item->Id << '\t' << EscapeLine(Utf16ToUtf8(item->Text)) << '\n';
    }
  }
  return kExitOk;
}

const ScannerRegistration kResScanner(sfResFiles, ScanResFile);

}  // namespace

}  // namespace sw::cli
