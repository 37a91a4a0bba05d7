// `shelfwright-cli dump FILE.lng [--json]`: prints what a language file holds,
// in file order and with the values as stored (a revision of -1 stays -1):
// the header, then every unit with its constants, every form with its own
// and its components' properties, and every external group with its items.
// It reads through the same record reader as the storage loader, so what it
// shows is what a load sees. Texts are printed as UTF-8; 8-bit names are
// decoded with the code page of the file's language. A malformed file gives
// one error line naming the file and exit code 1.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "cli/Commands.h"
#include "platform/FileSystem.h"
#include "base/Unicode.h"
#include "storage/LocLangFile.h"

namespace sw::cli {

namespace {

using nlohmann::ordered_json;

std::string AnsiToUtf8(const std::string& text, LANGID langId) { return LocaleTextToUtf8(text, langId); }

// Builds the JSON document in file order.
class TJsonDumper : public TLangFileVisitor {
 public:
  explicit TJsonDumper(bool compressed) : compressed_(compressed) {}

  void Header(const TLangFileHeader& h) override {
    langId_ = h.LangId;
    doc_["header"] = ordered_json{{"version", h.Version},
                                  {"revision", h.Revision},
                                  {"build", h.Build},
                                  {"langId", h.LangId},
                                  {"langName", AnsiToUtf8(h.LangName, h.LangId)},
                                  {"nativeName", Utf16ToUtf8(h.NativeName)},
                                  {"isNative", h.IsNative},
                                  {"lastConstantId", h.LastConstantId},
                                  {"lastPropertyId", h.LastPropertyId},
                                  {"lastExtItemId", h.LastExtItemId},
                                  {"compressed", compressed_}};
    doc_["units"] = ordered_json::array();
    doc_["forms"] = ordered_json::array();
    doc_["externalGroups"] = ordered_json::array();
  }
  void Unit(const std::string& name, std::uint16_t attributes) override {
    doc_["units"].push_back(Container(name, attributes, "constants"));
  }
  void Constant(const TLangFileEntry& e) override {
    doc_["units"].back()["constants"].push_back(ordered_json{{"name", AnsiToUtf8(e.Name, langId_)},
                                                             {"stringId", e.StringId},
                                                             {"id", e.ItemId},
                                                             {"status", e.Status},
                                                             {"revision", e.Revision},
                                                             {"stamp", e.Stamp},
                                                             {"text", Utf16ToUtf8(e.Text)}});
  }
  void Form(const std::string& name, std::uint16_t attributes) override {
    ordered_json form = Container(name, attributes, "properties");
    form["components"] = ordered_json::array();
    doc_["forms"].push_back(std::move(form));
    inComponent_ = false;
  }
  void Component(const std::string& name, std::uint16_t attributes) override {
    doc_["forms"].back()["components"].push_back(Container(name, attributes, "properties"));
    inComponent_ = true;
  }
  void Property(const TLangFileEntry& e) override {
    ordered_json& form = doc_["forms"].back();
    ordered_json& owner = inComponent_ ? form["components"].back() : form;
    owner["properties"].push_back(ordered_json{{"name", AnsiToUtf8(e.Name, langId_)},
                                               {"id", e.ItemId},
                                               {"kind", e.Kind},
                                               {"status", e.Status},
                                               {"revision", e.Revision},
                                               {"stamp", e.Stamp},
                                               {"text", Utf16ToUtf8(e.Text)}});
  }
  void ExtGroup(const std::string& name, std::uint16_t attributes) override {
    doc_["externalGroups"].push_back(Container(name, attributes, "items"));
  }
  void ExtItem(const TLangFileEntry& e) override {
    doc_["externalGroups"].back()["items"].push_back(ordered_json{{"name", AnsiToUtf8(e.Name, langId_)},
                                                                  {"id", e.ItemId},
                                                                  {"status", e.Status},
                                                                  {"revision", e.Revision},
                                                                  {"stamp", e.Stamp},
                                                                  {"text", Utf16ToUtf8(e.Text)}});
  }

  const ordered_json& Document() const { return doc_; }

 private:
  ordered_json Container(const std::string& name, std::uint16_t attributes, const char* children) const {
    return ordered_json{{"name", AnsiToUtf8(name, langId_)}, {"attributes", attributes}, {children, ordered_json::array()}};
  }

  bool compressed_;
  LANGID langId_ = 0;
  bool inComponent_ = false;
  ordered_json doc_;
};

std::string Quote(const std::string& utf8) { return ordered_json(utf8).dump(); }

std::string Hex4(unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%04X", value & 0xFFFFu);
  return buffer;
}

// Writes one indented line per record.
class TTextDumper : public TLangFileVisitor {
 public:
  TTextDumper(std::ostream& out, bool compressed) : out_(out), compressed_(compressed) {}

  void Header(const TLangFileHeader& h) override {
    langId_ = h.LangId;
    out_ << "version " << h.Version << (compressed_ ? " (compressed)" : " (plain)") << "\n"
         << "revision " << h.Revision << ", build " << h.Build << "\n"
         << "language " << Hex4(h.LangId) << " " << Quote(AnsiToUtf8(h.LangName, h.LangId)) << " native name "
         << Quote(Utf16ToUtf8(h.NativeName)) << (h.IsNative ? ", native" : ", translation") << "\n"
         << "last ids: constant " << h.LastConstantId << ", property " << h.LastPropertyId << ", external item "
         << h.LastExtItemId << "\n";
  }
  void Unit(const std::string& name, std::uint16_t attributes) override {
    out_ << "unit " << Quote(AnsiToUtf8(name, langId_)) << " attributes " << Hex4(attributes) << "\n";
  }
  void Constant(const TLangFileEntry& e) override {
    out_ << "  constant " << Quote(AnsiToUtf8(e.Name, langId_)) << " stringId " << e.StringId;
    Tail(e, false);
  }
  void Form(const std::string& name, std::uint16_t attributes) override {
    out_ << "form " << Quote(AnsiToUtf8(name, langId_)) << " attributes " << Hex4(attributes) << "\n";
    indent_ = "  ";
  }
  void Component(const std::string& name, std::uint16_t attributes) override {
    out_ << "  component " << Quote(AnsiToUtf8(name, langId_)) << " attributes " << Hex4(attributes) << "\n";
    indent_ = "    ";
  }
  void Property(const TLangFileEntry& e) override {
    out_ << indent_ << "property " << Quote(AnsiToUtf8(e.Name, langId_));
    Tail(e, true);
  }
  void ExtGroup(const std::string& name, std::uint16_t attributes) override {
    out_ << "external group " << Quote(AnsiToUtf8(name, langId_)) << " attributes " << Hex4(attributes) << "\n";
  }
  void ExtItem(const TLangFileEntry& e) override {
    out_ << "  item " << Quote(AnsiToUtf8(e.Name, langId_));
    Tail(e, false);
  }

 private:
  void Tail(const TLangFileEntry& e, bool withKind) {
    out_ << " id " << e.ItemId;
    if (withKind) out_ << " kind " << static_cast<int>(e.Kind);
    out_ << " status " << Hex4(e.Status) << " revision " << e.Revision << " stamp " << e.Stamp << " text "
         << Quote(Utf16ToUtf8(e.Text)) << "\n";
  }

  std::ostream& out_;
  bool compressed_;
  LANGID langId_ = 0;
  std::string indent_ = "  ";
};

struct DumpOptions {
  std::string File;
  bool Json = false;
};

int RunDump(const DumpOptions& options) {
  // Everything is produced in memory first, so a malformed file prints
  // nothing but its error line.
  std::ostringstream text;
  try {
    TMemoryStream data(platform::ReadFileBytes(options.File));
    const bool compressed = ExpandIfCompressed(data);
    TLangFileReader reader(data, options.File);
    if (options.Json) {
      TJsonDumper dumper(compressed);
      reader.Read(dumper);
      text << dumper.Document().dump(2) << "\n";
    } else {
      TTextDumper dumper(text, compressed);
      reader.Read(dumper);
    }
  } catch (Exception& e) {
    PrintError(e.AttachFile(options.File).Describe());
    return kExitFailure;
  } catch (const std::exception& e) {
    PrintError(Exception(e.what()).AttachFile(options.File).Describe());
    return kExitFailure;
  }
  std::cout << text.str();
  return kExitOk;
}

const CommandRegistration kDumpRegistration(60, [](CLI::App& app) {
  auto* cmd = app.add_subcommand("dump", "Print what a language file (.lng) holds");
  auto options = std::make_shared<DumpOptions>();
  cmd->add_option("file", options->File, "The language file")->required();
  cmd->add_flag("--json", options->Json, "Print JSON instead of text");
  cmd->callback([options]() { SetExitCode(RunDump(*options)); });
});

}  // namespace

}  // namespace sw::cli
