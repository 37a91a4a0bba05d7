// The constants-file writer: Pascal constants units, resource scripts and
// their headers.
#include "literals/ConstantsFileWriter.h"

#include <algorithm>
#include <map>

#include "platform/FileSystem.h"
#include "base/AsciiText.h"
#include "base/AnsiText.h"
#include "base/Escapes.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

bool HasNonAscii(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Reads an existing file as a source text; false when it does not exist.
bool ReadExisting(const std::string& fileName, unsigned codePage, TSourceText& text) {
  if (!platform::FileExists(fileName)) return false;
  std::vector<unsigned> codePages;
  if (SameText(ExtractFileExt(fileName), ".rc")) {
    TStringList ignored;
    LoadSourceLines(fileName, codePage, true, ignored, &codePages);
  }
  text.Load(fileName, codePage, codePages.empty() ? nullptr : &codePages);
  return true;
}

// New text file bytes: CR LF line ends; UTF-8 with a byte-order mark when
// anything is not ASCII.
std::string NewFileBytes(const TStringList& lines, bool bom) {
  std::string bytes = lines.Text();
  if (bom && HasNonAscii(bytes)) bytes.insert(0, "\xEF\xBB\xBF");
  return bytes;
}

}  // namespace

std::string WithExtension(const std::string& path, const std::string& ext) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string ConstantsUnitName(const std::string& fileName) {
  const std::string name = ExtractFileName(fileName);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::vector<TPendingFile> BuildPascalConstants(const std::string& fileName, unsigned codePage,
                                               const std::vector<TStrConst*>& constants) {
  std::vector<std::string> declarations;
  for (const TStrConst* c : constants) declarations.push_back("  " + c->Name + " = " + QuotePascal(c->Value) + ";");
  // Nothing moved, nothing to declare: no file is made or touched.
  if (declarations.empty()) return {};
  TPendingFile file;
  file.FileName = fileName;
  TSourceText existing;
  if (ReadExisting(fileName, codePage, existing)) {
    file.Existed = true;
    file.OldBytes = existing.Bytes();
    // Where the declarations go, read from the file as it is now.
    TPasProcessor probe;
    probe.CodePage = codePage;
    probe.LoadConstants(fileName);
    if (probe.UnitRec().UnitName.empty())
      throw ESrcProcessError(Format("%s: the constants file is not a Pascal unit; nothing was written", fileName));
    std::string text;
    if (!probe.HasResourcestring) text += "\n\nresourcestring";
    for (const auto& d : declarations) text += "\n" + d;
    const std::int32_t line = std::clamp<std::int32_t>(probe.InsertLine, 0, existing.Lines().Count() - 1);
    const auto col = static_cast<std::int32_t>(existing.Lines()[line].size()) + 1;
    file.Bytes = existing.Apply({{line, col, line, col, text}});
    return {file};
  }
  TStringList lines;
  lines.Add("unit " + ConstantsUnitName(fileName) + ";");
  lines.Add("");
  lines.Add("interface");
  lines.Add("");
  lines.Add("resourcestring");
  for (const auto& d : declarations) lines.Add(d);
  for (const char* tail : {"", "implementation", "", "end."}) lines.Add(tail);
  file.Bytes = NewFileBytes(lines, true);
  return {file};
}

std::vector<TPendingFile> BuildResourceScript(const std::string& fileName, unsigned codePage,
                                              const std::vector<TStrConst*>& constants, const TStrConstList& existingConstants,
                                              std::uint16_t nextId, TUnitRecList& units) {
  // Identifiers in use by the script already; new ones count down past them.
  std::vector<std::uint16_t> used;
  for (const auto& c : existingConstants)
    if (c) used.push_back(c->Id);
  std::map<std::string, std::uint16_t> ids;
  std::uint16_t next = nextId;
  for (TStrConst* c : constants) {
    while (std::find(used.begin(), used.end(), next) != used.end()) --next;
    c->Id = next;
    used.push_back(next);
    ids[c->Name] = next;
  }
  for (const auto& unit : units)
    if (unit)
      for (const auto& c : unit->Constants)
        if (c && c->Selected() && ids.count(c->Name)) c->Id = ids[c->Name];
  if (constants.empty()) return {};

  const std::string headerName = WithExtension(fileName, ".hpp");
  std::vector<TPendingFile> files;
  // The header first: the script includes it.
  {
    TPendingFile file;
    file.FileName = headerName;
    std::string text;
    for (const TStrConst* c : constants) text += "#define " + c->Name + " " + std::to_string(c->Id) + "\n";
    TSourceText existing;
    if (ReadExisting(headerName, codePage, existing)) {
      file.Existed = true;
      file.OldBytes = existing.Bytes();
      std::string bytes = existing.Bytes();
      const bool endsWithBreak = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
      if (!endsWithBreak && !existing.Lines().Empty()) text = "\n" + text;
      bytes += existing.Encode(text);
      file.Bytes = std::move(bytes);
    } else {
      TStringList lines;
      lines.SetText(text);
      file.Bytes = NewFileBytes(lines, false);
    }
    files.push_back(std::move(file));
  }
  TPendingFile script;
  script.FileName = fileName;
  std::vector<std::string> entries;
  for (const TStrConst* c : constants) entries.push_back("  " + c->Name + "  " + QuoteRC(c->Value));
  TSourceText existing;
  if (ReadExisting(fileName, codePage, existing)) {
    script.Existed = true;
    script.OldBytes = existing.Bytes();
    bool hasTable = false;
    for (const auto& l : existing.Lines())
      if (PosText("stringtable", l) > 0) hasTable = true;
    std::string text;
    std::int32_t line = 0;
    if (hasTable) {
      TCPPProcessor probe;
      probe.CodePage = codePage;
      probe.LoadConstants(fileName);
      line = std::clamp<std::int32_t>(probe.InsertLine, 0, existing.Lines().Count() - 1);
      for (const auto& e : entries) text += "\n" + e;
    } else {
      // No table to add to: a new one at the end.
      line = existing.Lines().Count() - 1;
      text = "\n\nSTRINGTABLE\nBEGIN";
      for (const auto& e : entries) text += "\n" + e;
      text += "\nEND";
    }
    if (line < 0) {
      script.Bytes = existing.Bytes() + existing.Encode(text.substr(1) + "\n");
    } else {
      const auto col = static_cast<std::int32_t>(existing.Lines()[line].size()) + 1;
      script.Bytes = existing.Apply({{line, col, line, col, text}});
    }
  } else {
    bool nonAscii = false;
    for (const TStrConst* c : constants) nonAscii = nonAscii || HasNonAscii(c->Value);
    TStringList lines;
    lines.Add("/* this file was generated by Polyverb */");
    lines.Add("");
    lines.Add("#include \"" + ExtractFileName(headerName) + "\"");
    // Texts beyond ASCII are written in UTF-8, which the script declares.
    if (nonAscii) lines.Add("#pragma code_page(65001)");
    lines.Add("");
    lines.Add("STRINGTABLE");
    lines.Add("BEGIN");
    for (const auto& e : entries) lines.Add(e);
    lines.Add("END");
    script.Bytes = NewFileBytes(lines, false);
  }
  files.push_back(std::move(script));
  return files;
}

}  // namespace sw
