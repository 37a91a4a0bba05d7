// `shelfwright-cli scan FILE.pas|FILE.rc [--codepage N] [--lang ID] [--json]`: prints the
// unit name and the string constants a source file yields to the processing
// run, in order. A Pascal unit gives its resourcestring constants (id 0); a
// resource script the STRINGTABLEs of one language (with the string ids;
// `--language HEX` names the language being processed, as a run would). The
// JSON form also lists the tables met (file, line, language, entries,
// whether they were taken), the language taken and the warnings; the text
// form prints the warnings to stderr. Texts are printed as UTF-8. When the
// file fails, the constants read before the error are printed, the error
// goes to stderr and the exit code is 1.
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <optional>

#include "app/FileKinds.h"
#include "cli/Commands.h"
#include "extract/source/SourceReaders.h"
#include "platform/FileSystem.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/Escapes.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"

namespace sw::cli {

namespace {

// --lang for a script: a language identifier (decimal or 0x hex) or a
// three-letter abbreviation.
std::optional<std::uint16_t> ParseLanguage(const std::string& text) {
  try {
    std::size_t used = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned long value = std::stoul(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
    if (used == text.size() - (hex ? 2 : 0) && value > 0 && value <= 0xFFFF) return static_cast<std::uint16_t>(value);
  } catch (const std::exception&) {
  }
  try {
    const LANGID id = LangIdFromAbbr(text);
    if (id != 0) return static_cast<std::uint16_t>(id);
  } catch (const Exception&) {
  }
  return std::nullopt;
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
    if (!options.Lang.empty()) {
      const std::optional<std::uint16_t> language = ParseLanguage(options.Lang);
      if (!language) {
        PrintError("unknown language: " + options.Lang);
        return kExitUsage;
      }
      script->LangId = *language;
    }
    processor = std::move(script);
  } else {
    processor = std::make_unique<TPasProcessor>();
  }
  processor->CodePage = options.CodePage < 0 ? 0u : static_cast<unsigned>(options.CodePage);

  std::string error;
  try {
    processor->LoadConstants(options.File);
  } catch (Exception& e) {
    // An error of an included script names its own file.
    error = e.AttachFile(options.File).Describe();
  }

  const TUnitRec& unit = processor->UnitRec();
  if (options.Json) {
    nlohmann::ordered_json json;
    json["file"] = options.File;
    json["unit"] = unit.UnitName;
    json["constants"] = nlohmann::ordered_json::array();
    for (const auto& item : unit.Constants)
      json["constants"].push_back({{"name", item->Name}, {"id", item->Id}, {"text", item->Value}});
    if (const auto* script = dynamic_cast<const TCPPProcessor*>(processor.get())) {
      json["language"] = script->Tables.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(RcLanguageName(script->TakenLanguage));
      json["tables"] = nlohmann::ordered_json::array();
      for (const auto& table : script->Tables)
        json["tables"].push_back({{"file", table.FileName},
                                  {"line", table.Line},
                                  {"language", RcLanguageName(table.Language)},
                                  {"entries", table.Entries},
                                  {"taken", table.Taken}});
    }
    json["warnings"] = processor->Warnings;
    std::cout << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  } else {
    std::cout << "unit " << unit.UnitName << "\n";
    for (const auto& item : unit.Constants)
      std::cout << item->Name << "\t" << item->Id << "\t" << EscapeForLine(item->Value) << "\n";
  }
  std::cout.flush();
  if (!options.Json)
    for (const auto& warning : processor->Warnings) PrintError("warning: " + warning);
  if (!error.empty()) {
    PrintError(error);
    return kExitFailure;
  }
  return kExitOk;
}

const ScannerRegistration kSourceScanner(sfPasFiles | sfRcFiles, ScanSource);

}  // namespace

}  // namespace sw::cli
