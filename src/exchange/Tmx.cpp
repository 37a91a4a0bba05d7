// See Tmx.h.
#include "exchange/Tmx.h"

#include <pugixml.hpp>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>

#include "base/AsciiText.h"
#include "base/Unicode.h"

namespace sw {

namespace {

constexpr std::size_t kMaxTmxBytes = 256u << 20;

int LineAt(std::string_view data, std::ptrdiff_t offset) {
  const auto end = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(data.size())));
  return 1 + static_cast<int>(std::count(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

[[noreturn]] void Fail(const std::string& fileName, std::string_view data, std::ptrdiff_t offset, const std::string& problem) {
  throw EExchangeError(fileName + ":" + std::to_string(LineAt(data, offset)) + ": " + problem);
}

// Refuses what a hostile file could use before pugixml sees it: other
// encodings, and a document type declaration beyond the plain reference.
void CheckProlog(std::string_view data, const std::string& fileName) {
  if (data.size() > kMaxTmxBytes)
    throw EExchangeError(fileName + ": the file has " + std::to_string(data.size()) + " bytes, more than the " +
                         std::to_string(kMaxTmxBytes) + " a TMX file may have");
  if (data.size() >= 2 && ((data[0] == '\xFF' && data[1] == '\xFE') || (data[0] == '\xFE' && data[1] == '\xFF')))
    throw EExchangeError(fileName + ": the file is UTF-16; only UTF-8 TMX files are read");
  // The XML declaration's encoding, when it names one.
  if (data.substr(data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0, 5) == "<?xml") {
    const std::size_t end = data.find("?>");
    const std::string declaration = LowerAscii(std::string(data.substr(0, end == std::string_view::npos ? 200 : end)));
    const std::size_t at = declaration.find("encoding");
    if (at != std::string::npos) {
      const std::size_t quote = declaration.find_first_of("\"'", at);
      const std::size_t close = quote == std::string::npos ? quote : declaration.find(declaration[quote], quote + 1);
      const std::string encoding =
          quote == std::string::npos || close == std::string::npos ? "" : declaration.substr(quote + 1, close - quote - 1);
      if (encoding != "utf-8" && encoding != "utf8")
        throw EExchangeError(fileName + ": the file is in the encoding \"" + encoding + "\"; only UTF-8 TMX files are read");
    }
  }
  for (std::size_t at = data.find("<!"); at != std::string_view::npos; at = data.find("<!", at + 2)) {
    if (data.compare(at, 4, "<!--") == 0) {
      const std::size_t end = data.find("-->", at + 4);
      if (end == std::string_view::npos) return;  // pugixml reports it
      at = end;
      continue;
    }
    if (data.compare(at, 9, "<![CDATA[") == 0) {
      const std::size_t end = data.find("]]>", at);
      if (end == std::string_view::npos) return;
      at = end;
      continue;
    }
    if (data.compare(at, 9, "<!DOCTYPE") != 0) Fail(fileName, data, static_cast<std::ptrdiff_t>(at), "markup declarations are not accepted");
    const std::size_t end = data.find('>', at);
    const std::string_view doctype = data.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at + 1);
    if (doctype.find('[') != std::string_view::npos)
      Fail(fileName, data, static_cast<std::ptrdiff_t>(at),
           "a document type declaration with its own declarations (entities) is not accepted");
    at = end == std::string_view::npos ? at : end;
  }
}

std::u16string SegmentText(pugi::xml_node seg, bool& markup) {
  std::string text;
  for (pugi::xml_node child : seg.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
      text += child.value();
    else if (child.type() == pugi::node_element)
      markup = true;
  }
  return Utf8ToUtf16(text);
}

std::string LangOf(pugi::xml_node tuv) {
  const char* lang = tuv.attribute("xml:lang").value();
  return *lang ? lang : tuv.attribute("lang").value();  // TMX 1.1 wrote "lang"
}

}  // namespace

std::string TmxDate(std::int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &utc);
  return buffer;
}

std::int64_t TmxDateSeconds(std::string_view date) {
  std::tm utc{};
  if (date.size() != 16 || date[8] != 'T' || date[15] != 'Z') return 0;
  for (std::size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u, 10u, 11u, 12u, 13u, 14u})
    if (date[i] < '0' || date[i] > '9') return 0;
  auto number = [&](std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (date[i] - '0');
    return value;
  };
  utc.tm_year = number(0, 4) - 1900;
  utc.tm_mon = number(4, 2) - 1;
  utc.tm_mday = number(6, 2);
  utc.tm_hour = number(9, 2);
  utc.tm_min = number(11, 2);
  utc.tm_sec = number(13, 2);
  return static_cast<std::int64_t>(timegm(&utc));
}

std::string BuildTmx(const std::vector<TTmxUnit>& units, const std::string& sourceLang, const std::string& toolVersion) {
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  doc.append_child(pugi::node_doctype).set_value("tmx SYSTEM \"tmx14.dtd\"");
  pugi::xml_node tmx = doc.append_child("tmx");
  tmx.append_attribute("version") = "1.4";
  pugi::xml_node header = tmx.append_child("header");
  header.append_attribute("creationtool") = "Shelfwright";
  header.append_attribute("creationtoolversion") = toolVersion.c_str();
  header.append_attribute("datatype") = "plaintext";
  header.append_attribute("segtype") = "block";
  header.append_attribute("adminlang") = "en-US";
  header.append_attribute("srclang") = sourceLang.c_str();
  header.append_attribute("o-tmf") = "Shelfwright";
  pugi::xml_node body = tmx.append_child("body");
  for (const TTmxUnit& unit : units) {
    pugi::xml_node tu = body.append_child("tu");
    if (!unit.ChangeDate.empty()) tu.append_attribute("changedate") = unit.ChangeDate.c_str();
    if (!unit.Origin.empty()) {
      pugi::xml_node prop = tu.append_child("prop");
      prop.append_attribute("type") = "x-origin";
      prop.append_child(pugi::node_pcdata).set_value(unit.Origin.c_str());
    }
    for (const auto& [lang, text] : {std::pair{unit.SourceLang, unit.Source}, std::pair{unit.TargetLang, unit.Target}}) {
      pugi::xml_node tuv = tu.append_child("tuv");
      tuv.append_attribute("xml:lang") = lang.c_str();
      tuv.append_child("seg").append_child(pugi::node_pcdata).set_value(Utf16ToUtf8(text).c_str());
    }
  }
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

TTmxDocument ParseTmx(std::string_view data, const std::string& fileName) {
  CheckProlog(data, fileName);
  if (!IsValidUtf8(data)) throw EExchangeError(fileName + ": the file is not valid UTF-8");
  pugi::xml_document doc;
  // Line breaks and blanks inside segments are part of the texts.
  const unsigned flags = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata;
  const pugi::xml_parse_result parsed = doc.load_buffer(data.data(), data.size(), flags, pugi::encoding_utf8);
  if (!parsed) Fail(fileName, data, parsed.offset, std::string("not well-formed XML: ") + parsed.description());
  pugi::xml_node tmx = doc.document_element();
  if (std::string(tmx.name()) != "tmx")
    throw EExchangeError(fileName + ": not a TMX file (the root element is <" + tmx.name() + ">)");
  TTmxDocument document;
  document.SourceLang = tmx.child("header").attribute("srclang").value();
  for (pugi::xml_node tu : tmx.child("body").children("tu")) {
    std::string sourceLang = tu.attribute("srclang").value();
    if (sourceLang.empty() || sourceLang == "*all*") sourceLang = document.SourceLang;
    pugi::xml_node source;
    for (pugi::xml_node tuv : tu.children("tuv"))
      if (SameLanguage(LangOf(tuv), sourceLang) && (!source || LangOf(tuv) == sourceLang)) source = tuv;
    if (!source) {
      ++document.SkippedNoSource;
      continue;
    }
    bool markup = false;
    const std::u16string sourceText = SegmentText(source.child("seg"), markup);
    if (markup) {
      ++document.SkippedMarkup;
      continue;
    }
    std::string origin;
    for (pugi::xml_node prop : tu.children("prop"))
      if (std::string(prop.attribute("type").value()) == "x-origin") origin = prop.text().get();
    std::string date = tu.attribute("changedate").value();
    if (date.empty()) date = tu.attribute("creationdate").value();
    for (pugi::xml_node tuv : tu.children("tuv")) {
      if (tuv == source) continue;
      bool targetMarkup = false;
      TTmxUnit unit;
      unit.Target = SegmentText(tuv.child("seg"), targetMarkup);
      if (targetMarkup) {
        ++document.SkippedMarkup;
        continue;
      }
      unit.SourceLang = LangOf(source);
      unit.Source = sourceText;
      unit.TargetLang = LangOf(tuv);
      unit.ChangeDate = date;
      unit.Origin = origin;
      document.Units.push_back(std::move(unit));
    }
  }
  return document;
}

TTmxDocument ReadTmxFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EExchangeError("Cannot open file " + fileName);
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg()));
  if (size > kMaxTmxBytes)
    throw EExchangeError(fileName + ": the file has " + std::to_string(size) + " bytes, more than the " +
                         std::to_string(kMaxTmxBytes) + " a TMX file may have");
  in.seekg(0);
  std::string data(size, '\0');
  in.read(data.data(), static_cast<std::streamsize>(size));
  return ParseTmx(data, fileName);
}

}  // namespace sw
