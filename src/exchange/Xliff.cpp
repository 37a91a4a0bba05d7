// XLIFF 1.2 export and import (pugixml). One <file> per form, unit or
// external group ("original" names it: "form/MainForm"); one <trans-unit>
// per unit with the place as "id", a readable "resname", xml:space
// "preserve", <source>, an optional <target> with its state, and the value
// kind and the component path as <note>s. Inline markup is neither written
// nor accepted.
#include <pugixml.hpp>

#include <algorithm>
#include <sstream>

#include "base/Unicode.h"
#include "exchange/Exchange.h"
#include "util/QStrings.h"

namespace sw {

namespace {

constexpr const char* kXliffNamespace = "urn:oasis:names:tc:xliff:document:1.2";

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

void AddText(pugi::xml_node parent, const char* name, const std::string& text) {
  parent.append_child(name).append_child(pugi::node_pcdata).set_value(text.c_str());
}

// The character data of an element; raises on element children.
std::u16string ElementText(pugi::xml_node node, const std::string& fileName, const std::string& place) {
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
      text += child.value();
    else if (child.type() == pugi::node_element)
      throw EExchangeError(fileName + ": trans-unit \"" + place + "\": inline element <" + child.name() +
                           "> in <" + node.name() + "> is not supported");
  }
  if (!IsValidUtf8(text))
    throw EExchangeError(fileName + ": trans-unit \"" + place + "\": <" + node.name() + "> is not valid UTF-8");
  return Utf8ToUtf16(text);
}

// Line of a byte offset, 1-based.
int LineAt(std::string_view data, std::ptrdiff_t offset) {
  const auto end = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(data.size())));
  return 1 + static_cast<int>(std::count(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

// Lines of offsets met in increasing order, counted once over the data.
class LineCounter {
 public:
  explicit LineCounter(std::string_view data) : data_(data) {}
  int At(std::ptrdiff_t offset) {
    const auto end = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(data_.size())));
    if (end < position_) return LineAt(data_, offset);
    line_ += static_cast<int>(std::count(data_.begin() + static_cast<std::ptrdiff_t>(position_),
                                         data_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    position_ = end;
    return line_;
  }

 private:
  std::string_view data_;
  std::size_t position_ = 0;
  int line_ = 1;
};

void CollectTransUnits(pugi::xml_node parent, LineCounter& lines, const std::string& fileName,
                       TImportDocument& document, int depth) {
  // Nested groups are legal XLIFF; a file nesting them without end is not.
  if (depth > 64) throw EExchangeError(fileName + ": groups nested too deeply");
  for (pugi::xml_node node : parent.children()) {
    if (node.type() != pugi::node_element) continue;
    const std::string name = node.name();
    if (name == "group") {
      CollectTransUnits(node, lines, fileName, document, depth + 1);
      continue;
    }
    if (name != "trans-unit") continue;
    TImportEntry entry;
    entry.Line = lines.At(node.offset_debug());
    entry.Place = node.attribute("id").value();
    if (entry.Place.empty())
      throw EExchangeError(fileName + ":" + std::to_string(entry.Line) + ": trans-unit without an id");
    pugi::xml_node source = node.child("source");
    if (!source)
      throw EExchangeError(fileName + ":" + std::to_string(entry.Line) + ": trans-unit \"" + entry.Place +
                           "\" has no <source>");
    entry.Source = ElementText(source, fileName, entry.Place);
    if (pugi::xml_node target = node.child("target")) {
      std::u16string text = ElementText(target, fileName, entry.Place);
      // An empty target is a unit nobody has translated yet.
      if (!text.empty()) entry.Target = std::move(text);
      const std::string state = target.attribute("state").value();
      entry.NeedsReview = state.rfind("needs-", 0) == 0;
    }
    document.Entries.push_back(std::move(entry));
  }
}

}  // namespace

std::string BuildXliff(const TLocStorage& storage, int column, const TExportOptions& options) {
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node xliff = doc.append_child("xliff");
  xliff.append_attribute("version") = "1.2";
  xliff.append_attribute("xmlns") = kXliffNamespace;

  const std::string sourceLang = LanguageTag(storage.Languages(0));
  const std::string targetLang = LanguageTag(storage.Languages(column));
  pugi::xml_node body;
  std::string currentFile;
  bool anyFile = false;
  auto openFile = [&](const std::string& original) {
    pugi::xml_node file = xliff.append_child("file");
    file.append_attribute("original") = original.c_str();
    file.append_attribute("source-language") = sourceLang.c_str();
    file.append_attribute("target-language") = targetLang.c_str();
    file.append_attribute("datatype") = "plaintext";
    if (!options.ProjectName.empty()) file.append_attribute("product-name") = options.ProjectName.c_str();
    body = file.append_child("body");
    currentFile = original;
    anyFile = true;
  };
  for (const TExchangeUnit& unit : CollectUnits(storage, column)) {
    if (options.OnlyOpen && unit.Status == TUnitStatus::UpToDate) continue;
    const std::string original = std::string(GroupKindName(unit.GroupKind)) + "/" + EscapePlaceName(unit.GroupName);
    if (!anyFile || original != currentFile) openFile(original);
    pugi::xml_node tu = body.append_child("trans-unit");
    tu.append_attribute("id") = unit.Place.c_str();
    tu.append_attribute("resname") = unit.ResName.c_str();
    tu.append_attribute("xml:space") = "preserve";
    AddText(tu, "source", Utf8(unit.Item->NativeValue()->Text));
    if (unit.Status != TUnitStatus::Untranslated) {
      pugi::xml_node target = tu.append_child("target");
      target.append_attribute("state") =
          unit.Status == TUnitStatus::UpToDate ? "translated" : "needs-review-translation";
      target.append_child(pugi::node_pcdata).set_value(Utf8(unit.Item->Values(column)->Text).c_str());
    }
    AddText(tu, "note", std::string("Kind: ") + ValueKindName(unit.Kind));
    AddText(tu, "note", "Component: " + unit.ComponentPath);
    if (options.MemoryNotes) {
      const TExportMemoryNotes notes = options.MemoryNotes(unit);
      if (notes.PreviousSource && unit.Status == TUnitStatus::OutOfDate) {
        pugi::xml_node alt = tu.append_child("alt-trans");
        alt.append_attribute("alttranstype") = "previous-version";
        AddText(alt, "source", Utf8(*notes.PreviousSource));
        AddText(alt, "target", Utf8(unit.Item->Values(column)->Text));
      }
      for (const TExportSuggestion& suggestion : notes.Suggestions) {
        pugi::xml_node alt = tu.append_child("alt-trans");
        alt.append_attribute("match-quality") = std::to_string(suggestion.Percent).c_str();
        alt.append_attribute("origin") = "memory";
        AddText(alt, "source", Utf8(suggestion.Source));
        AddText(alt, "target", Utf8(suggestion.Target));
      }
    }
  }
  // XLIFF needs at least one <file>; a language without units gets an empty one.
  if (!anyFile) openFile(options.ProjectName.empty() ? "library" : options.ProjectName);
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

TImportDocument ParseXliff(std::string_view data, const std::string& fileName) {
  pugi::xml_document doc;
  // Line breaks stay as written (no end-of-line normalisation) and blank
  // texts are kept: both are part of a translation.
  const unsigned flags = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata;
  const pugi::xml_parse_result parsed = doc.load_buffer(data.data(), data.size(), flags, pugi::encoding_auto);
  if (!parsed)
    throw EExchangeError(fileName + ":" + std::to_string(LineAt(data, parsed.offset)) + ": not well-formed XML: " +
                         parsed.description());
  pugi::xml_node xliff = doc.document_element();
  if (std::string(xliff.name()) != "xliff")
    throw EExchangeError(fileName + ": not an XLIFF file (the root element is <" + xliff.name() + ">)");
  const std::string version = xliff.attribute("version").value();
  if (version != "1.2" && version != "1.1")
    throw EExchangeError(fileName + ": XLIFF version \"" + version + "\" is not supported (1.2 is)");
  TImportDocument document;
  document.Format = TExchangeFormat::Xliff;
  document.FileName = fileName;
  LineCounter lines(data);
  for (pugi::xml_node file : xliff.children("file")) {
    const std::string language = file.attribute("target-language").value();
    if (!language.empty()) {
      if (!document.Language.empty() && !SameLanguage(document.Language, language))
        throw EExchangeError(fileName + ": the files name two target languages, " + document.Language + " and " +
                             language);
      document.Language = language;
    }
    CollectTransUnits(file.child("body"), lines, fileName, document, 0);
  }
  return document;
}

}  // namespace sw
