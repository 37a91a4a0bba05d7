// `shelfwright-cli scan FILE.res [--json]` (also .r32): prints the strings of
// the file's string tables in identifier order. Plain output is one line per
// string, the identifier, a tab and the text as UTF-8 with backslash, tab,
// CR, LF and other control characters escaped; JSON output is
// {"file", "strings": [{"id", "text"}]}.
//
// `shelfwright-cli scan FILE.exe [--lang ID] [--rules FILE] [--codepage N]
// [--json]` (also .dll, .bpl and resource DLLs such as App.DEU): lists per
// resource language the strings and forms the program holds, the language a
// run processing --lang would take (without --lang: the language a resource
// DLL's extension names, else neutral, else the first)
// and, for that language, its strings as for a .res file and its form items
// as `scan` prints them for a form file. JSON:
// {"file", "languages": [{"language", "strings": [{"id", "text"}], "forms"}],
//  "taken", "warnings", "formItems": {"forms", "externalGroups"}}; plain
// output prints a line per language, then the taken strings and form items,
// and the warnings on stderr. A .drc beside the program names its strings
// ("names" in JSON: {"id", "unit", "name"}).
#include "app/FileKinds.h"
#include "app/LanguageIds.h"
#include "cli/Commands.h"
#include "cli/FormScanOutput.h"
#include "extract/forms/LocFormProc.h"
#include "extract/resources/CompiledPrograms.h"
#include "extract/resources/ResStringTables.h"
#include "base/Unicode.h"
#include "storage/LocStorage.h"
#include "storage/PropRules.h"
#include "util/LocaleCatalogue.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"
#include "util/StringListFiles.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

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

nlohmann::ordered_json StringsJson(const TResString& strings) {
  auto list = nlohmann::ordered_json::array();
  for (int i = 0; i < strings.Count(); ++i) {
    const TResStringItem* item = strings.Strings(i);
    list.push_back({{"id", item->Id}, {"text", Utf16ToUtf8(item->Text)}});
  }
  return list;
}

int ScanProgram(const ScanOptions& options) {
  std::uint16_t langId = 0;
  if (!options.Lang.empty()) {
    const std::optional<LANGID> parsed = ParseLanguageId(options.Lang);
    if (!parsed) {
      PrintError("unknown language: " + options.Lang);
      return kExitUsage;
    }
    langId = *parsed;
  } else if (IsResourceDll(options.File)) {
    // A resource DLL's extension names its language.
    langId = LangIdFromAbbr(ExtractFileExt(options.File).substr(1));
  }
  TLocStorage storage;
  TLocFormProcessor forms;
  if (!LoadPropRulesOption(forms.PropRules, options.RulesFile)) return kExitFailure;
  std::unique_ptr<TCompiledProgram> program;
  try {
    program = ReadCompiledProgram(options.File, langId,
                                  options.CodePage < 0 ? 0u : static_cast<unsigned>(options.CodePage));
  } catch (Exception& e) {
    PrintError(e.AttachFile(options.File).Describe());
    return kExitFailure;
  }

  // The forms of the language taken, recorded as a form file's would be.
  if (langId != 0) storage.SetNativeLangId(langId);
  forms.Storage = &storage;
  forms.Column = 0;
  forms.LangId = storage.Languages(0);
  forms.Revision = 1;
  int code = kExitOk;
  for (const TPeForm* form : program->Forms) {
    try {
      TMemoryStream stream(std::vector<std::uint8_t>(form->Data.begin(), form->Data.end()));
      forms.ProcessStream(stream);
    } catch (Exception& e) {
      // What was recorded before the error is still printed.
      PrintError(options.File + ": form " + form->Name + " (offset " + std::to_string(form->Offset) +
                 "): " + e.Message());
      code = kExitFailure;
    }
  }

  if (options.Json) {
    auto languages = nlohmann::ordered_json::array();
    for (const auto& language : program->Languages) {
      auto names = nlohmann::ordered_json::array();
      for (const TPeForm& form : language->Forms) names.push_back(form.Name);
      languages.push_back({{"language", PeLanguageName(language->Language)},
                           {"strings", StringsJson(language->Strings)},
                           {"forms", std::move(names)}});
    }
    nlohmann::ordered_json out = {{"file", options.File},
                                  {"languages", std::move(languages)},
                                  {"taken", program->TakenLanguageName()},
                                  {"warnings", program->Warnings}};
    if (!program->DrcFile.empty()) {
      auto names = nlohmann::ordered_json::array();
      for (const auto& [id, define] : program->StringNames) {
        const auto [unit, name] = SplitDrcName(define, nullptr);
        names.push_back({{"id", id}, {"unit", unit}, {"name", name}});
      }
      out["drc"] = program->DrcFile;
      out["names"] = std::move(names);
    }
    nlohmann::ordered_json items = FormStorageJson(storage, options.File);
    items.erase("file");
    out["formItems"] = std::move(items);
    std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  } else {
    for (std::size_t i = 0; i < program->Languages.size(); ++i) {
      const TPeLanguage& language = *program->Languages[i];
      const bool taken = std::find(program->Taken.begin(), program->Taken.end(), i) != program->Taken.end();
      std::string names;
      for (const TPeForm& form : language.Forms) names += (names.empty() ? " " : ", ") + form.Name;
      std::cout << "language " << PeLanguageName(language.Language) << (taken ? " (taken)" : "") << ": "
                << language.Strings.Count() << " strings, " << language.Forms.size() << " forms"
                << (names.empty() ? "" : ":" + names) << '\n';
    }
    for (int i = 0; i < program->Strings.Count(); ++i) {
      const TResStringItem* item = program->Strings.Strings(i);
      std::cout << item->Id << '\t' << EscapeLine(Utf16ToUtf8(item->Text)) << '\n';
    }
    PrintFormStorage(storage);
    for (const auto& warning : program->Warnings) PrintError("warning: " + warning);
  }
  return code;
}

const ScannerRegistration kProgramScanner(sfExeFiles, ScanProgram);

}  // namespace

}  // namespace sw::cli
