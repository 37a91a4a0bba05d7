// Resource scripts as the resource compiler reads them (see RcScript.h): the
// reader that runs the preprocessor and the statement reader, and the
// choice of language.
#include "extract/source/RcScript.h"

#include "extract/source/RcPreprocessor.h"
#include "extract/source/RcStringTables.h"
#include "base/Exceptions.h"

namespace sw {

void TRcScriptReader::ReadOwnHeader(const std::string& fileName) {
  ownHeader_ = fileName;
  ReadRcHeaderDefines(fileName, CodePage, Macros, Files);
}

void TRcScriptReader::Read(const std::string& fileName, TRcScript& result) {
  Macros.Define("RC_INVOKED", "1");
  Macros.Define("_WIN32", "1");
  TRcPreprocessor preprocessor(Macros, CodePage, result.Warnings, Files);
  if (!ownHeader_.empty()) preprocessor.SkipHeader(ownHeader_);
  TRcText text;
  preprocessor.Run(fileName, text);
  result.Encoding = text.Encoding;
  ParseRcStringTables(text, Macros, CodePage, result);
}

// ---- Choosing a language ------------------------------------------------------------

int SelectRcTables(TRcScript& script, std::uint16_t langId) {
  auto& tables = script.Tables;
  for (auto& table : tables) table.Taken = false;
  if (tables.empty()) return kRcNoLanguage;
  auto takeWhere = [&](auto predicate) {
    bool any = false;
    for (auto& table : tables)
      if (predicate(table.Language)) table.Taken = any = true;
    return any;
  };
  const int primary = langId & 0x3FF;
  if (langId != 0) {
    if (takeWhere([&](int l) { return l == langId; })) return langId;
    if (takeWhere([&](int l) { return l == primary; })) return primary;
    for (const auto& table : tables)
      if (table.Language != kRcNoLanguage && (table.Language & 0x3FF) == primary) {
        const int chosen = table.Language;
        takeWhere([&](int l) { return l == chosen; });
        return chosen;
      }
  }
  bool unlabelled = false;
  for (const auto& table : tables) unlabelled = unlabelled || table.Language == kRcNoLanguage;
  if (takeWhere([](int l) { return l == kRcNoLanguage || (l & 0x3FF) == 0; }))
    return unlabelled ? kRcNoLanguage : 0;
  const int first = tables.front().Language;
  takeWhere([&](int l) { return l == first; });
  return first;
}

std::string RcLanguageName(int language) {
  if (language == kRcNoLanguage) return "none";
  return Format("%04X", language);
}

}  // namespace sw
