// `shelfwright-cli scan FILE.pas|FILE.rc [--codepage N] [--json]`: prints the
// unit name and the string constants a source file yields to the processing
// run, in order. A Pascal unit gives its resourcestring constants (id 0); a
// resource script its first STRINGTABLE (with the string ids). Texts are
// printed as UTF-8. When the file fails, the constants read before the error
// are printed, the error goes to stderr and the exit code is 1.
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "extract/source/SrcProcs.h"
#include "platform/FileSystem.h"
#include "util/QStrings.h"

namespace sw::cli {

namespace {

// One printable line: control characters, quotes and backslashes escaped.
std::string EscapeForLine(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (b < 0x20 || b == 0x7F)
          out += std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
        else
          out += c;
    }
  }
  return out + "\"";
}

int ScanSource(const ScanOptions& options) {
  if (options.CodePage < -1 || options.CodePage > 65535) {
    PrintError("--codepage: not a code page: " + std::to_string(options.CodePage));
    return kExitUsage;
  }
  if (!platform::FileExists(options.File)) {
    PrintError(Format(SFOpenError, options.File));
    return kExitFailure;
  }
  std::unique_ptr<TSourceProcessor> processor;
  if (SameText(ExtractFileExt(options.File), ".rc")) {
    auto script = std::make_unique<TCPPProcessor>();
    script->PascalUnitMode = false;
    processor = std::move(script);
  } else {
    processor = std::make_unique<TPasProcessor>();
  }
  processor->CodePage = options.CodePage < 0 ? 0u : static_cast<unsigned>(options.CodePage);

  std::string error;
  try {
    processor->LoadConstants(options.File);
  } catch (const ESrcProcessError& e) {
    error = e.Message();  // names the file and the line itself
  } catch (const EQScannerError& e) {
    error = options.File + (e.Line >= 0 ? " (line " + std::to_string(e.Line) + ")" : "") + ": " + e.Message();
  } catch (const Exception& e) {
    error = options.File + ": " + e.Message();
  }

  const TUnitRec& unit = processor->UnitRec();
  if (options.Json) {
    nlohmann::ordered_json json;
    json["file"] = options.File;
    json["unit"] = unit.UnitName;
    json["constants"] = nlohmann::ordered_json::array();
    for (const auto& item : unit.Constants)
      json["constants"].push_back({{"name", item->Name}, {"id", item->Id}, {"text", item->Value}});
    std::cout << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  } else {
    std::cout << "unit " << unit.UnitName << "\n";
    for (const auto& item : unit.Constants)
      std::cout << item->Name << "\t" << item->Id << "\t" << EscapeForLine(item->Value) << "\n";
  }
  std::cout.flush();
  if (!error.empty()) {
    PrintError(error);
    return kExitFailure;
  }
  return kExitOk;
}

const ScannerRegistration kSourceScanner({".pas", ".rc"}, ScanSource);

}  // namespace

}  // namespace sw::cli
