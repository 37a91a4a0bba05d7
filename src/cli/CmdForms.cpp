// Form files on the command line:
// - `shelfwright-cli scan FILE.dfm [--rules FILE] [--lang ID] [--json]` runs the
//   form extraction of one file into a fresh storage (native column, default
//   property rules unless --rules names a rules file, one rule per line) and
//   prints what was recorded: forms with their properties and components,
//   and the external groups of report designs.
// - `shelfwright-cli form-to-binary IN.dfm OUT [--lang ID]` writes the binary
//   form stream of a text form; OUT is replaced only once it is complete.
// --lang takes a language identifier (decimal or 0x hexadecimal) or an
// abbreviation; it selects the code page of 8-bit text in the form.
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <string>

#include "app/FileKinds.h"
#include "app/LanguageIds.h"
#include "cli/Commands.h"
#include "cli/FormScanOutput.h"
#include "extract/forms/LocFormProc.h"
#include "platform/FileSystem.h"
#include "runtime/FormTextConverter.h"
#include "base/Escapes.h"
#include "base/Unicode.h"
#include "storage/LocStorage.h"
#include "util/LocaleCatalogue.h"
#include "storage/PropRules.h"
#include "util/StringListFiles.h"

namespace sw::cli {

namespace {

// The language named by --lang: an identifier or an abbreviation; false
// when it names none.
bool ParseLang(const std::string& text, LANGID& id) {
  const std::optional<LANGID> parsed = ParseLanguageId(text);
  if (parsed) id = *parsed;
  return parsed.has_value();
}

using Json = nlohmann::ordered_json;

Json ItemJson(const TLocItem& item, const std::string* component = nullptr) {
  Json j = Json::object();
  if (component) j["component"] = *component;
  j["name"] = item.ItemName;
  j["id"] = item.ItemId;
  j["kind"] = item.ValueKind();
  j["text"] = Utf16ToUtf8(item.NativeValue()->Text);
  return j;
}

Json PropertiesJson(const TLocPropertyList& list, const std::string& component) {
  Json props = Json::array();
  for (int i = 0; i < list.Count(); ++i) props.push_back(ItemJson(*list.Items(i), &component));
  return props;
}

Json StorageJson(const TLocStorage& storage, const std::string& file) {
  Json forms = Json::array();
  for (int f = 0; f < storage.Forms->Count(); ++f) {
    const TLocForm* form = storage.Forms->Items(f);
    Json components = Json::array();
    for (int c = 0; c < form->Components->Count(); ++c) {
      const TLocComponent* comp = form->Components->Items(c);
      components.push_back({{"name", comp->ItemName},
                            {"attributes", comp->Attributes},
                            {"properties", PropertiesJson(*comp->Properties, comp->ItemName)}});
    }
    forms.push_back({{"name", form->ItemName},
                     {"attributes", form->Attributes},
                     {"properties", PropertiesJson(*form->Properties, "")},
                     {"components", std::move(components)}});
  }
  Json groups = Json::array();
  for (int g = 0; g < storage.ExtGroups->Count(); ++g) {
    const TLocExtGroup* group = storage.ExtGroups->Items(g);
    Json items = Json::array();
    for (int i = 0; i < group->ExtItems->Count(); ++i) items.push_back(ItemJson(*group->ExtItems->Items(i)));
    groups.push_back({{"name", group->ItemName}, {"items", std::move(items)}});
  }
  return {{"file", file}, {"forms", std::move(forms)}, {"externalGroups", std::move(groups)}};
}

std::string ItemLine(const TLocItem& item) {
  return item.ItemName + " [" + std::to_string(item.ItemId) + ", kind " + std::to_string(item.ValueKind()) +
         "] = " + EscapeForLine(Utf16ToUtf8(item.NativeValue()->Text));
}

void PrintStorage(const TLocStorage& storage) {
  for (int f = 0; f < storage.Forms->Count(); ++f) {
    const TLocForm* form = storage.Forms->Items(f);
    std::cout << "form " << form->ItemName << " (attributes " << form->Attributes << ")\n";
    for (int p = 0; p < form->Properties->Count(); ++p) std::cout << "  " << ItemLine(*form->Properties->Items(p)) << "\n";
    for (int c = 0; c < form->Components->Count(); ++c) {
      const TLocComponent* comp = form->Components->Items(c);
      std::cout << "  component " << comp->ItemName << " (attributes " << comp->Attributes << ")\n";
      for (int p = 0; p < comp->Properties->Count(); ++p)
        std::cout << "    " << ItemLine(*comp->Properties->Items(p)) << "\n";
    }
  }
  for (int g = 0; g < storage.ExtGroups->Count(); ++g) {
    const TLocExtGroup* group = storage.ExtGroups->Items(g);
    std::cout << "external group " << group->ItemName << "\n";
    for (int i = 0; i < group->ExtItems->Count(); ++i) std::cout << "  " << ItemLine(*group->ExtItems->Items(i)) << "\n";
  }
}

int ScanForm(const ScanOptions& options) {
  TLocStorage storage;
  if (!options.Lang.empty()) {
    LANGID id = 0;
    if (!ParseLang(options.Lang, id)) {
      PrintError("unknown language: " + options.Lang);
      return kExitUsage;
    }
    storage.SetNativeLangId(id);
  }
  TLocFormProcessor proc;
  if (!LoadPropRulesOption(proc.PropRules, options.RulesFile)) return kExitFailure;
  proc.Storage = &storage;
  proc.Column = 0;
  proc.LangId = storage.Languages(0);
  proc.Revision = 1;
  int code = kExitOk;
  try {
    proc.ProcessFile(options.File);
  } catch (Exception& e) {
    // What was recorded before the error is still printed.
    PrintError(e.AttachFile(options.File).Describe());
    code = kExitFailure;
  }
  if (options.Json)
    std::cout << StorageJson(storage, options.File).dump(2, ' ', false, Json::error_handler_t::replace)
              << "\n";
  else
    PrintStorage(storage);
  return code;
}

const ScannerRegistration kFormScanner(sfDfmFiles, ScanForm);

}  // namespace

bool LoadPropRulesOption(TStringList& rules, const std::string& rulesFile) {
  try {
    if (rulesFile.empty())
      SetDefaultPropRules(rules);
    else
      LoadStringList(rules, rulesFile);
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return false;
  }
  return true;
}

nlohmann::ordered_json FormStorageJson(const TLocStorage& storage, const std::string& file) {
  return StorageJson(storage, file);
}

void PrintFormStorage(const TLocStorage& storage) { PrintStorage(storage); }

namespace {

struct FormToBinaryOptions {
  std::string In;
  std::string Out;
  std::string Lang;
};

int FormToBinary(const FormToBinaryOptions& options) {
  LANGID id = UserDefaultLangId();
  if (!options.Lang.empty() && !ParseLang(options.Lang, id)) {
    PrintError("unknown language: " + options.Lang);
    return kExitUsage;
  }
  TMemoryStream binary;
  try {
    const std::string text = platform::ReadFileBytes(options.In);
    ObjectTextToBinary(text, binary, [id](std::string_view raw) { return AnsiToWideByLang(raw, id); });
  } catch (Exception& e) {
    PrintError(e.AttachFile(options.In).Describe());
    return kExitFailure;
  }
  try {
    binary.SaveToFile(options.Out);
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  return kExitOk;
}

const CommandRegistration kFormToBinaryRegistration(60, [](CLI::App& app) {
  auto* cmd = app.add_subcommand("form-to-binary", "Convert a text form file into the binary form stream");
  auto options = std::make_shared<FormToBinaryOptions>();
  cmd->add_option("in", options->In, "Text form file (.dfm)")->required();
  cmd->add_option("out", options->Out, "Binary output file (replaced when it exists)")->required();
  cmd->add_option("--lang", options->Lang, "Language of 8-bit text: identifier (decimal, 0x hex) or abbreviation");
  cmd->callback([options]() { SetExitCode(FormToBinary(*options)); });
});

}  // namespace

}  // namespace sw::cli
