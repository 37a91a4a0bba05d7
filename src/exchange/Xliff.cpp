// XLIFF 1.2 export and import (pugixml). One <file> per form, unit or
// external group ("original" names it: "form/MainForm"); one <trans-unit>
// per unit with the place as "id", a readable "resname", xml:space
// "preserve", approved="yes" when up to date, <source>, an optional <target>
// with its state, and the value kind and the component path as <note>s.
// Inline markup is neither written nor accepted.
//
// The reader takes UTF-8 or UTF-16 (with its mark), resolves XML's five
// entities and character references itself (any other reference is an
// error), refuses a DOCTYPE with an internal subset and never fetches an
// external DTD (the parser has no means to).
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <sstream>

#include "base/AsciiText.h"
#include "base/Unicode.h"
#include "exchange/Exchange.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

constexpr const char* kXliffNamespace = "urn:oasis:names:tc:xliff:document:1.2";

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

void AddText(pugi::xml_node parent, const char* name, const std::string& text) {
  parent.append_child(name).append_child(pugi::node_pcdata).set_value(text.c_str());
}

// XML's five predefined entities and character references resolved in raw
// text (the parser leaves them alone); anything else raises.
std::string DecodeReferences(std::string_view raw, const std::string& fileName, int line, const std::string& where) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      out += raw[i];
      continue;
    }
    const std::size_t end = raw.find(';', i + 1);
    const std::size_t shown = std::min<std::size_t>(raw.size() - i, 24);
    if (end == std::string_view::npos || end - i > 16)
      RaiseExchangeError(fileName, line, where + ": expected an entity or character reference after '&', got \"" +
                                             std::string(raw.substr(i, shown)) + "\"");
    const std::string_view name = raw.substr(i + 1, end - i - 1);
    if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "amp") out += '&';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() >= 2 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      std::uint32_t code = 0;
      const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      const bool xmlChar = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
      if (digits.empty() || error != std::errc() || last != digits.data() + digits.size() || !xmlChar)
        RaiseExchangeError(fileName, line, where + ": the character reference \"&" + std::string(name) +
                                               ";\" is not an XML character");
      AppendUtf8(out, code);
    } else {
      RaiseExchangeError(fileName, line, where + ": unknown entity reference \"&" + std::string(name) +
                                             ";\" (only XML's five and character references are read)");
    }
    i = end;
  }
  return out;
}

std::string AttributeText(pugi::xml_node node, const char* name, const std::string& fileName, int line) {
  return DecodeReferences(node.attribute(name).value(), fileName, line,
                          std::string("attribute ") + name + " of <" + node.name() + ">");
}

// The character data of an element; raises on element children.
std::u16string ElementText(pugi::xml_node node, const std::string& fileName, int line, const std::string& place) {
  const std::string where = "trans-unit \"" + place + "\": <" + node.name() + ">";
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata)
      text += DecodeReferences(child.value(), fileName, line, where);
    else if (child.type() == pugi::node_cdata)
      text += child.value();
    else if (child.type() == pugi::node_element)
      RaiseExchangeError(fileName, line, where + ": inline element <" + child.name() + "> is not supported");
  }
  if (!IsValidUtf8(text)) RaiseExchangeError(fileName, line, where + " is not valid UTF-8");
  if (text.find('\0') != std::string::npos)
    RaiseExchangeError(fileName, line, where + " holds a NUL character, which no translation can hold");
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

// The place kept by po2xliff: <context-group name="po-reference"> with a
// "sourcefile" (and perhaps a "linenumber" it split off at a colon).
std::string PoReference(pugi::xml_node unit, const std::string& fileName, int line) {
  for (pugi::xml_node group : unit.children("context-group")) {
    if (std::string_view(group.attribute("name").value()) != "po-reference") continue;
    std::string file, number;
    for (pugi::xml_node context : group.children("context")) {
      const std::string_view type = context.attribute("context-type").value();
      std::string text = DecodeReferences(context.text().get(), fileName, line, "<context>");
      if (type == "sourcefile") file = std::move(text);
      else if (type == "linenumber") number = std::move(text);
    }
    if (!number.empty()) file += ":" + number;
    if (LooksLikePlace(file)) return file;
  }
  return "";
}

void CollectTransUnits(pugi::xml_node parent, LineCounter& lines, const std::string& fileName,
                       TImportDocument& document, int depth) {
  // Nested groups are legal XLIFF; a file nesting them without end is not.
  if (depth > 64) RaiseExchangeError(fileName, lines.At(parent.offset_debug()), "groups nested too deeply");
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
    // The PO header that po2xliff carries along is no unit.
    if (AttributeText(node, "restype", fileName, entry.Line) == "x-gettext-domain-header") continue;
    entry.Place = AttributeText(node, "id", fileName, entry.Line);
    if (!LooksLikePlace(entry.Place)) {
      std::string kept = PoReference(node, fileName, entry.Line);
      if (kept.empty()) {
        std::string resname = AttributeText(node, "resname", fileName, entry.Line);
        if (LooksLikePlace(resname)) kept = std::move(resname);
      }
      if (!kept.empty()) entry.Place = std::move(kept);
    }
    if (entry.Place.empty()) RaiseExchangeError(fileName, entry.Line, "trans-unit without an id");
    pugi::xml_node source = node.child("source");
    if (!source) RaiseExchangeError(fileName, entry.Line, "trans-unit \"" + entry.Place + "\" has no <source>");
    entry.Source = ElementText(source, fileName, entry.Line, entry.Place);
    if (pugi::xml_node target = node.child("target")) {
      const int targetLine = lines.At(target.offset_debug());
      std::u16string text = ElementText(target, fileName, targetLine, entry.Place);
      // An empty target is a unit nobody has translated yet.
      if (!text.empty()) entry.Target = std::move(text);
      const std::string state = AttributeText(target, "state", fileName, targetLine);
      entry.NeedsReview = state.rfind("needs-", 0) == 0;
    }
    document.Entries.push_back(std::move(entry));
  }
}

// The document as UTF-8: a UTF-16 one (with its byte-order mark) converted,
// a UTF-8 mark dropped. Other encodings are refused, as is an XML
// declaration naming an encoding the bytes are not in.
std::string XmlAsUtf8(std::string_view data, const std::string& fileName) {
  const auto starts = [&](std::string_view mark) { return data.substr(0, mark.size()) == mark; };
  std::string text;
  bool wide = false;
  if (starts(std::string_view("\xFF\xFE\0\0", 4)) || starts(std::string_view("\0\0\xFE\xFF", 4))) {
    RaiseExchangeError(fileName, 0, "the file is in UTF-32; XLIFF is read in UTF-8 or UTF-16");
  } else if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
    if (data.size() % 2 != 0) RaiseExchangeError(fileName, 0, "UTF-16 text of an odd number of bytes");
    const std::u16string units = Utf16FromBytes(data.substr(2), data[0] == '\xFE');
    for (std::size_t i = 0; i < units.size(); ++i) {
      const char16_t c = units[i];
      const bool high = c >= 0xD800 && c <= 0xDBFF;
      const bool low = c >= 0xDC00 && c <= 0xDFFF;
      if (low || (high && (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)))
        RaiseExchangeError(fileName, 0, "not valid UTF-16: a lone surrogate at byte " + std::to_string(2 + 2 * i));
      if (high) ++i;
    }
    text = Utf16ToUtf8(units);
    wide = true;
  } else {
    text = std::string(starts("\xEF\xBB\xBF") ? data.substr(3) : data);
    if (text.size() >= 2 && (text[0] == '\0' || text[1] == '\0'))
      RaiseExchangeError(fileName, 0, "UTF-16 without a byte-order mark is not read");
  }
  // The encoding the declaration names, if any.
  if (text.rfind("<?xml", 0) == 0) {
    const std::string_view declaration = std::string_view(text).substr(0, text.find("?>"));
    const auto at = declaration.find("encoding");
    if (at != std::string_view::npos) {
      const auto quote = declaration.find_first_of("\"'", at);
      const auto close = quote == std::string_view::npos ? quote : declaration.find(declaration[quote], quote + 1);
      if (close != std::string_view::npos) {
        const std::string name = LowerAscii(declaration.substr(quote + 1, close - quote - 1));
        const bool fits = wide ? name.rfind("utf-16", 0) == 0
                               : name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii";
        if (!fits)
          RaiseExchangeError(fileName, 1, "the XML declaration names the encoding \"" + name + "\" but the file is in " +
                                              (wide ? "UTF-16" : "UTF-8") + "; XLIFF is read in UTF-8 or UTF-16");
      }
    }
  }
  return text;
}

// Whether a DOCTYPE's text has an internal subset ("[...]" outside quotes).
bool HasInternalSubset(std::string_view doctype) {
  char quote = 0;
  for (char c : doctype) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      return true;
    }
  }
  return false;
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
    // Translation tools count a translation that is not approved as fuzzy.
    if (unit.Status == TUnitStatus::UpToDate) tu.append_attribute("approved") = "yes";
    AddText(tu, "source", Utf8(unit.Item->NativeValue()->Text));
    if (unit.Status != TUnitStatus::Untranslated) {
      pugi::xml_node target = tu.append_child("target");
      target.append_attribute("state") =
          unit.Status == TUnitStatus::UpToDate ? "translated" : "needs-review-translation";
      target.append_child(pugi::node_pcdata).set_value(Utf8(unit.Item->Values(column)->Text).c_str());
    }
    AddText(tu, "note", std::string("Kind: ") + ValueKindName(unit.Kind));
    AddText(tu, "note", "Component: " + unit.ComponentPath);
    if (const auto notes = options.Notes.find(unit.Place); notes != options.Notes.end())
      for (const std::string& note : notes->second) {
        pugi::xml_node node = tu.append_child("note");
        node.append_attribute("from") = "check";
        node.append_attribute("priority") = "1";
        node.append_child(pugi::node_pcdata).set_value(note.c_str());
      }
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

TImportDocument ParseXliff(std::string_view raw, const std::string& fileName) {
  const std::string data = XmlAsUtf8(raw, fileName);
  pugi::xml_document doc;
  // Line breaks stay as written (no end-of-line normalisation) and blank
  // texts are kept: both are part of a translation. References are resolved
  // here (DecodeReferences), so that one the parser does not know is an
  // error rather than text; the DOCTYPE is kept to be checked.
  const unsigned flags =
      ((pugi::parse_default & ~pugi::parse_eol & ~pugi::parse_escapes) | pugi::parse_ws_pcdata | pugi::parse_doctype);
  const pugi::xml_parse_result parsed = doc.load_buffer(data.data(), data.size(), flags, pugi::encoding_utf8);
  if (!parsed)
    RaiseExchangeError(fileName, LineAt(data, parsed.offset), std::string("not well-formed XML: ") + parsed.description());
  for (pugi::xml_node node : doc.children())
    if (node.type() == pugi::node_doctype && HasInternalSubset(node.value()))
      RaiseExchangeError(fileName, LineAt(data, node.offset_debug()),
                         "the DOCTYPE has an internal subset, which can declare entities; such a document is not read "
                         "(a DOCTYPE that only names an external DTD is)");
  pugi::xml_node xliff = doc.document_element();
  if (std::string(xliff.name()) != "xliff")
    RaiseExchangeError(fileName, 0, std::string("not an XLIFF file (the root element is <") + xliff.name() + ">)");
  LineCounter lines(data);
  const std::string version = AttributeText(xliff, "version", fileName, lines.At(xliff.offset_debug()));
  if (version != "1.2" && version != "1.1")
    RaiseExchangeError(fileName, 0, "XLIFF version \"" + version + "\" is not supported (1.2 is)");
  TImportDocument document;
  document.Format = TExchangeFormat::Xliff;
  document.FileName = fileName;
  for (pugi::xml_node file : xliff.children("file")) {
    const int line = lines.At(file.offset_debug());
    const std::string language = AttributeText(file, "target-language", fileName, line);
    if (!language.empty()) {
      if (!document.Language.empty() && !SameLanguage(document.Language, language))
        RaiseExchangeError(fileName, line, "the files name two target languages, " + document.Language + " and " + language);
      document.Language = language;
    }
    const std::string product = AttributeText(file, "product-name", fileName, line);
    if (!product.empty()) {
      if (!document.Project.empty() && document.Project != product)
        RaiseExchangeError(fileName, line, "the files name two products, \"" + document.Project + "\" and \"" + product + "\"");
      document.Project = product;
    }
    CollectTransUnits(file.child("body"), lines, fileName, document, 0);
  }
  return document;
}

}  // namespace sw
