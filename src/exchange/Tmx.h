// TMX 1.4b, the translation memory exchange format of computer-aided
// translation tools: a <header> naming the source language, then one <tu> per
// translation unit with one <tuv xml:lang="..."><seg>text</seg></tuv> per
// language. Written through pugixml with the usual
// <!DOCTYPE tmx SYSTEM "tmx14.dtd">; read the same way.
//
// The reader takes a file from anywhere: it refuses files above 256 MiB,
// encodings other than UTF-8, and any document type declaration other than
// the plain reference to tmx14.dtd (which is never fetched), so entity
// declarations cannot expand. Segments with inline markup (<bpt>, <ph>, ...)
// are skipped and counted, not flattened into a wrong text. Errors name the
// file and the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/ExchangeUnits.h"

namespace sw {

struct TTmxUnit {
  std::string SourceLang;  // BCP 47 as written ("en-US")
  std::u16string Source;
  std::string TargetLang;
  std::u16string Target;
  std::string ChangeDate;  // "20261207T134500Z", "" when none
  std::string Origin;      // the unit's "x-origin" property, "" when none
};

struct TTmxDocument {
  std::string SourceLang;  // the header's srclang
  std::vector<TTmxUnit> Units;
  int SkippedMarkup = 0;   // variants with inline markup
  int SkippedNoSource = 0; // units without a variant in the source language
};

// The document text (UTF-8).
std::string BuildTmx(const std::vector<TTmxUnit>& units, const std::string& sourceLang, const std::string& toolVersion);

// Reads a TMX document; EExchangeError names the file (and line) and the problem.
TTmxDocument ParseTmx(std::string_view data, const std::string& fileName);
TTmxDocument ReadTmxFile(const std::string& fileName);

// Seconds since 1970 as a TMX date ("20261207T134500Z") and back (0 when the
// text is no such date).
std::string TmxDate(std::int64_t seconds);
std::int64_t TmxDateSeconds(std::string_view date);

}  // namespace sw
