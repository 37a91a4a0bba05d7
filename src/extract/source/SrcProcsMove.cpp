// Moving string literals out of source units into a generated constants file:
// finding the literals, naming them, rewriting the units to refer to the
// names, and writing the constants unit (PrjConst.pas) or the resource script
// with its header (PrjConst.rc, PrjConst.hpp).
//
// A move is all or nothing: every unit and the constants file are computed
// in memory first; nothing is written when the user cancels, when any unit
// fails, or when a file changed on disk since it was read. Each file is then
// replaced atomically, the constants file before the units that refer to it.
// A rewritten unit differs from the original only inside the replaced spans
// and the added uses clause entry or #include line.
#include "extract/source/SrcProcs.h"

#include <algorithm>
#include <map>

#include "platform/FileSystem.h"
#include "base/Unicode.h"
#include "util/QConsts.h"
#include "util/QStrings.h"
#include "util/UserInteraction.h"

namespace sw {

namespace {

bool IsCode(const TScanToken& token) {
  switch (token.Kind) {
    case ttIdentifier: case ttKeyword: case ttSymbol: case ttNumber: case ttUserWord1: case ttUserWord2:
      return true;
    default:
      return false;
  }
}
bool TokenIs(const TScanToken& token, std::string_view lower) { return IsCode(token) && token.LowerText == lower; }
bool IsLiteral(const TScanToken& token) { return token.Kind == ttString || token.Kind == ttWideString; }

// Decodes the UTF-8 character at i (U+FFFD for a malformed byte) and moves i past it.
char32_t NextChar(std::string_view text, std::size_t& i) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > text.size() || !IsValidUtf8(text.substr(i, n))) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  i += n;
  return c;
}

// Transliteration of Western letters (code page 1252): letters, "-", replacement.
constexpr const char* kWesternTable[] = {
    "ÀÁÂÃÄÅ-A", "Æ-AE", "Ç-C", "ÈÉÊË-E", "ÌÍÎÏ-I", "Ð-G", "Ñ-N", "ÒÓÔÕÖ-O", "ÙÚÛÜ-U", "Ý-Y", "Þß-SS",
    "àáâãäå-a", "æ-ae", "ç-c", "èéêë-e", "ìíîï-i", "ð-g", "ñ-n", "òóôõö-o", "ùúûü-u", "þ-s", "ýÿ-y"};
// Transliteration of Cyrillic capitals (code page 1251).
constexpr const char* kCyrillicTable[] = {
    "А-A", "Б-B", "В-V", "Г-G", "Д-D", "Е-E", "Ё-E",  "Ж-Zh", "З-Z", "И-I",   "І-I", "Ї-YI",
    "Й-Y", "К-K", "Л-L", "М-M", "Н-N", "О-O", "П-P",  "Р-R",  "С-S", "Т-T",   "У-U", "Ф-Ph",
    "Х-H", "Ц-Cs", "Ч-Ch", "Ш-Sh", "Щ-Sch", "Ъ-", "Ы-Y", "Ь-", "Э-E", "Ю-Yu", "Я-Ya"};

// The replacement of `c` in a table, or nullopt when no entry holds it.
bool LookUp(const char* const* table, std::size_t size, char32_t c, std::string& replacement) {
  for (std::size_t e = 0; e < size; ++e) {
    const std::string_view entry(table[e]);
    const std::size_t dash = entry.find('-');
    std::size_t i = 0;
    while (i < dash) {
      if (NextChar(entry, i) == c) {
        replacement = TrimSpaces(entry.substr(dash + 1));
        return true;
      }
    }
  }
  return false;
}

char32_t UpperCyrillic(char32_t c) {
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  return c;
}

// The transliteration of a non-ASCII letter; false when it has none.
bool Transliterate(char32_t c, bool cyrillic, std::string& out) {
  if (!cyrillic) {
    if (c < 0xC0 || c > 0xFF) return false;
    return LookUp(kWesternTable, std::size(kWesternTable), c, out);
  }
  const char32_t upper = UpperCyrillic(c);
  if (!LookUp(kCyrillicTable, std::size(kCyrillicTable), upper, out)) return false;
  if (upper != c) out = LowerAscii(out);
  return true;
}

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

bool IsValidName(const std::string& name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  return std::all_of(name.begin(), name.end(), IsNameChar);
}

bool HasNonAscii(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Resource-script quoting: as C, except that a double quote is doubled, the
// form resource compilers read, and other control characters are written as
// three-digit octal escapes, which no following character can extend.
std::string QuoteRC(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (b) {
      case 7: out += "\\a"; break;
      case 8: out += "\\b"; break;
      case 9: out += "\\t"; break;
      case 10: out += "\\n"; break;
      case 11: out += "\\v"; break;
      case 12: out += "\\f"; break;
      case 13: out += "\\r"; break;
      case '"': out += "\"\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (b < 32) {
          out += '\\';
          out += static_cast<char>('0' + (b >> 6));
          out += static_cast<char>('0' + ((b >> 3) & 7));
          out += static_cast<char>('0' + (b & 7));
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string ChangeExt(const std::string& path, const std::string& ext) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
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

// ---- Naming ---------------------------------------------------------------------------

std::string TSourceProcessor::MakeConstName(const std::string& value, const std::string& unitShortName) const {
  // A unit name such as "my-unit" contributes only what an identifier may hold.
  std::string unitPart;
  for (char c : unitShortName)
    if (IsNameChar(c)) unitPart += c;
  std::string prefix = UnitPrefix ? unitPart + "_" + NamePrefix : NamePrefix;
  std::string base = prefix;
  bool wordStart = true;
  std::size_t i = 0;
  for (int n = 0; n < MaxNameChars && i < value.size(); ++n) {
    const char32_t c = NextChar(value, i);
    if (c < 0x80 && IsNameChar(static_cast<char>(c))) {
      base += wordStart ? static_cast<char>(UpperAscii(std::string(1, static_cast<char>(c)))[0]) : static_cast<char>(c);
      wordStart = false;
    } else if (std::string tr; c >= 0x80 && Transliterate(c, CyrillicNames, tr)) {
      if (tr.empty()) continue;
      base += wordStart ? UpperAscii(tr) : tr;
      wordStart = false;
    } else {
      wordStart = true;
    }
  }
  std::string name = base == prefix ? base + "0" : base;
  const auto taken = [&](const std::string& candidate) {
    const TStrConst* existing = Units ? Units->FindConstant(candidate) : nullptr;
    if (!existing) {
      const int k = UnitRec().Constants.IndexOfName(candidate);
      if (k >= 0) existing = UnitRec().Constants.Items(k);
    }
    if (existing && (!ReuseNames || existing->Value != value)) return true;
    return !existing && UsedWords.count(LowerAscii(candidate)) > 0;
  };
  for (int suffix = 1; taken(name); ++suffix) name = base + std::to_string(suffix);
  return name;
}

bool TSourceProcessor::AcceptsText(const std::string& text) const {
  if (!HasLetter(LowerUtf8(text))) return false;
  const std::string preceding = Scanner.PrecedingText();
  for (const auto& raw : ExcludePatterns) {
    const std::string pattern = LowerUtf8(TrimSpaces(raw));
    if (!pattern.empty() && pattern.back() == '*') {
      if (preceding.find(pattern.substr(0, pattern.size() - 1)) != std::string::npos) return false;
    } else if (!pattern.empty() && EndsWithText(pattern, preceding)) {
      return false;
    }
  }
  return true;
}

std::string TSourceProcessor::ExistingName(const std::string& value) const {
  // A numbered entry of a resource script has no name to refer to.
  for (const auto& c : UnitRec().Constants)
    if (c && c->Value == value && IsValidName(c->Name)) return c->Name;
  if (Units)
    for (const auto& unit : *Units)
      if (unit)
        for (const auto& c : unit->Constants)
          if (c && c->Selected() && c->Value == value) return c->Name;
  return std::string();
}

void TSourceProcessor::AddFoundLiteral(TUnitRec& unit, std::unique_ptr<TStrConst> literal,
                                       const std::string& unitShortName) {
  const std::string existing = ReuseNames ? ExistingName(literal->Value) : std::string();
  literal->Name = existing.empty() ? MakeConstName(literal->Value, unitShortName) : existing;
  TStrConst* added = literal.get();
  unit.Constants.Add(std::move(literal));
  if (!existing.empty()) added->SetSelected(true);
}

// ---- The run ------------------------------------------------------------------------------

void TSourceProcessor::ExtractLiterals(TUnitRec&) {}
void TSourceProcessor::UnitProcessed(TStringList& lines, int changed) {
  ApplyEditsToLines(lines, UnitEdits(lines, changed));
}
std::vector<TTextEdit> TSourceProcessor::UnitEdits(const TStringList&, int) { return {}; }
void TSourceProcessor::WriteConstants(const std::string& unitFilter) {
  CommitFiles(BuildConstants(unitFilter), nullptr);
}
std::vector<TSourceProcessor::PendingFile> TSourceProcessor::BuildConstants(const std::string&) { return {}; }

void TSourceProcessor::ReadUnit(TUnitRec& unit) {
  unit.Constants.Clear();
  std::vector<unsigned> codePages;
  const bool script = SameText(ExtractFileExt(unit.FileName), ".rc");
  unit.Encoding = LoadSourceLines(unit.FileName, CodePage, script, unit.Lines, &codePages);
  unit.CodePage = CodePage;
  auto source = std::make_shared<TSourceText>();
  source->Load(unit.FileName, CodePage, &codePages);
  if (!(source->Lines() == unit.Lines) && unit.Encoding == TextEncoding::Ansi) {
    // The loader may have recognised UTF-8 without a byte-order mark.
    std::vector<unsigned> utf8(codePages.size(), 65001);
    source->Assign(unit.FileName, std::string(source->Bytes()), 65001, &utf8);
  }
  if (!(source->Lines() == unit.Lines))
    throw ESrcProcessError(Format("%s: the text cannot be mapped back to the file's bytes", unit.FileName));
  unit.Source = std::move(source);
  // Identifier words of the unit: new names stay clear of them, so that no
  // reference is taken over by a declaration of the unit itself.
  Scanner.Lines().Assign(unit.Lines);
  Scanner.SetCodePage(CodePage);
  Scanner.SetLineCodePages(codePages);
  Scanner.Start();
  while (!Scanner.Eof()) {
    if (Scanner.TokenKind() == ttIdentifier) UsedWords.insert(LowerAscii(Scanner.TokenText()));
    Scanner.Next();
  }
  Scanner.Start();
}

int TSourceProcessor::ProcessUnit(TUnitRec& unit, TStringList& lines) {
  ReadUnit(unit);
  ExtractLiterals(unit);
  if (unit.Constants.Count() > 0) {
    bool cancel = false;
    SelectConstants(unit, cancel);
    if (cancel) return 2;
  }
  lines.Clear();
  if (unit.Constants.SelectedCount() == 0) {
    lines.Assign(unit.Lines);
    return 0;
  }
  lines.Assign(PreviewUnit(unit));
  return 1;
}

void TSourceProcessor::Process() {
  if (!Units) throw ESrcProcessError(SNoUnitsToProcess);
  LoadConstants(ConstantsFile());
  for (const auto& unit : *Units) {
    if (!unit || !unit->Enabled) continue;
    TStringList lines;
    if (ProcessUnit(*unit, lines) == 2) return;
  }
  ApplyLiterals(true);
}

void TSourceProcessor::FindLiterals() {
  if (!Units) throw ESrcProcessError(SNoUnitsToProcess);
  LoadConstants(ConstantsFile());
  UsedWords.clear();
  for (const auto& unit : *Units)
    if (unit && unit->Enabled) ReadUnit(*unit);
  for (const auto& unit : *Units)
    if (unit && unit->Enabled) {
      Scanner.Lines().Assign(unit->Lines);
      ExtractLiterals(*unit);
    }
}

std::vector<TTextEdit> TSourceProcessor::UnitChanges(TUnitRec& unit) {
  std::vector<TTextEdit> edits;
  for (const auto& c : unit.Constants) {
    if (!c || !c->Selected()) continue;
    edits.push_back({c->FirstLine, c->StartCol, c->LastLine, c->EndCol, GetReference(*c)});
  }
  if (edits.empty()) return edits;
  for (auto& e : UnitEdits(unit.Lines, 1)) edits.push_back(std::move(e));
  return edits;
}

TStringList TSourceProcessor::PreviewUnit(TUnitRec& unit) {
  TStringList lines;
  lines.Assign(unit.Lines);
  ApplyEditsToLines(lines, UnitChanges(unit));
  return lines;
}

void TSourceProcessor::ResolveNames() {
  // Declared so far: name (folded as the language compares) -> value.
  std::map<std::string, std::string> declared;
  const auto key = [&](const std::string& name) { return NamesIgnoreCase() ? LowerAscii(name) : name; };
  for (const auto& c : UnitRec().Constants)
    if (c) declared.emplace(key(c->Name), c->Value);
  std::map<std::string, std::string> byValue;  // value -> name written first
  for (const auto& c : UnitRec().Constants)
    if (c && IsValidName(c->Name)) byValue.emplace(c->Value, c->Name);
  if (!Units) return;
  for (const auto& unit : *Units) {
    if (!unit || !unit->Enabled) continue;
    for (const auto& c : unit->Constants) {
      if (!c || !c->Selected()) continue;
      if (!IsValidName(c->Name)) throw ESrcProcessError(Format("\"%s\" is not a valid constant name", c->Name));
      if (ReuseNames) {
        auto same = byValue.find(c->Value);
        if (same != byValue.end()) c->Name = same->second;
      }
      auto it = declared.find(key(c->Name));
      if (it != declared.end() && it->second != c->Value) {
        // The name stands for another text: give this one a free name.
        const std::string base = c->Name;
        std::string name;
        for (int suffix = 1;; ++suffix) {
          name = base + std::to_string(suffix);
          if (!declared.count(key(name)) && !UsedWords.count(LowerAscii(name))) break;
        }
        c->Name = name;
        it = declared.end();
      }
      if (it == declared.end()) declared.emplace(key(c->Name), c->Value);
      byValue.emplace(c->Value, c->Name);
    }
  }
}

std::vector<TStrConst*> TSourceProcessor::ConstantsToWrite(const std::string& unitFilter) const {
  std::vector<TStrConst*> result;
  if (!Units) return result;
  std::map<std::string, bool> seen;
  const auto key = [&](const std::string& name) { return NamesIgnoreCase() ? LowerAscii(name) : name; };
  for (const auto& c : UnitRec().Constants)
    if (c) seen[key(c->Name)] = true;
  for (const auto& unit : *Units) {
    if (!unit || !unit->Enabled) continue;
    if (!unitFilter.empty() && !SameText(unit->BaseName(), unitFilter)) continue;
    for (const auto& c : unit->Constants) {
      if (!c || !c->Selected()) continue;
      if (seen[key(c->Name)]) continue;
      seen[key(c->Name)] = true;
      result.push_back(c.get());
    }
  }
  return result;
}

TMoveResult TSourceProcessor::ApplyLiterals(bool write) {
  if (!Units) throw ESrcProcessError(SNoUnitsToProcess);
  ResolveNames();
  TMoveResult result;
  std::vector<PendingFile> files = BuildConstants(std::string());
  for (const TStrConst* c : ConstantsToWrite(std::string())) result.Constants.push_back(c->Name);
  for (const auto& unit : *Units) {
    if (!unit || !unit->Enabled || unit->Constants.SelectedCount() == 0) continue;
    if (!unit->Source) throw ESrcProcessError(Format("%s: the unit was not read", unit->FileName));
    PendingFile file;
    file.FileName = unit->FileName;
    file.Existed = true;
    file.OldBytes = unit->Source->Bytes();
    file.Bytes = unit->Source->Apply(UnitChanges(*unit));
    result.Literals += unit->Constants.SelectedCount();
    ++result.Units;
    files.push_back(std::move(file));
  }
  // One file written twice (a unit that is the constants file itself, a
  // unit given twice) would lose one of the two versions.
  for (std::size_t i = 0; i < files.size(); ++i)
    for (std::size_t k = i + 1; k < files.size(); ++k)
      if (files[i].FileName == files[k].FileName)
        throw ESrcProcessError(Format("%s would be written twice; nothing was written", files[i].FileName));
  if (write)
    CommitFiles(files, &result.Written);
  else
    for (const auto& f : files) result.Written.push_back(f.FileName);
  return result;
}

void TSourceProcessor::CommitFiles(const std::vector<PendingFile>& files, std::vector<std::string>* written) {
  for (const auto& f : files) {
    if (f.Existed) {
      std::string now;
      try {
        now = platform::ReadFileBytes(f.FileName);
      } catch (const std::exception&) {
        throw ESrcProcessError(Format("%s: the file can no longer be read; nothing was written", f.FileName));
      }
      if (now != f.OldBytes)
        throw ESrcProcessError(Format("%s: the file changed since it was read; nothing was written", f.FileName));
    } else if (platform::FileExists(f.FileName)) {
      throw ESrcProcessError(Format("%s: the file was created since the move began; nothing was written", f.FileName));
    }
  }
  for (const auto& f : files) {
    for (;;) {
      try {
        platform::WriteFileAtomic(f.FileName, f.Bytes);
        break;
      } catch (const std::exception&) {
        if (AskRetryCancel(SRetryCaption, Format(SCouldNotWriteFile, f.FileName)) != idRetry) {
          std::string done;
          if (written)
            for (const auto& w : *written) done += (done.empty() ? "" : ", ") + w;
          throw ESrcProcessError(Format(SCouldNotWriteFile, f.FileName) +
                                 (done.empty() ? std::string() : "; already written: " + done));
        }
      }
    }
    if (written) written->push_back(f.FileName);
  }
}

// ---- Object Pascal -----------------------------------------------------------------------

void TPasProcessor::ExtractLiterals(TUnitRec& unit) {
  Scanner.Lines().Assign(unit.Lines);
  Scanner.Start();
  bool inResourcestring = false, inConst = false, inUses = false;
  const std::string shortName = unit.BaseName();
  while (!Scanner.Eof()) {
    const TScanToken& token = Scanner.TokenRef(0);
    if (token.Kind == ttKeyword) {
      inResourcestring = token.LowerText == "resourcestring";
      inConst = token.LowerText == "const";
      inUses = token.LowerText == "uses";
    } else if (inUses && TokenIs(token, ";")) {
      inUses = false;
    }
    // Literals a constant cannot replace: file names of a uses clause, names
    // of external routines, directive messages and range bounds.
    bool candidate = IsLiteral(token) && !inResourcestring && !inUses;
    if (candidate && inConst) {
      candidate = TokenIs(Scanner.TokenRef(-1), "(") || TokenIs(Scanner.TokenRef(-1), ",") ||
                  (TokenIs(Scanner.TokenRef(-3), ":") && TokenIs(Scanner.TokenRef(-2), "string") &&
                   TokenIs(Scanner.TokenRef(-1), "="));
    }
    if (candidate) {
      const TScanToken& before = Scanner.TokenRef(-1);
      for (const char* word : {"external", "name", "deprecated", "experimental", "unimplemented", "message", ".."})
        if (TokenIs(before, word)) candidate = false;
      if (Scanner.Available(1) && TokenIs(Scanner.TokenRef(1), "..")) candidate = false;
    }
    if (candidate && token.Localize && AcceptLiteral()) {
      auto item = std::make_unique<TStrConst>(&unit);
      item->Value = token.Text;
      item->FirstLine = item->LastLine = token.Line;
      item->StartCol = token.StartCol;
      item->EndCol = token.EndCol;
      item->Kind = token.Kind;
      AddFoundLiteral(unit, std::move(item), shortName);
    }
    Scanner.Next();
  }
}

void TPasProcessor::UnitProcessed(TStringList& lines, int changed) {
  if (changed == 1) EditUsesClause(lines, ConstUnitName(), 0);
}

std::vector<TTextEdit> TPasProcessor::UnitEdits(const TStringList& lines, int changed) {
  if (changed != 1) return {};
  return UsesClauseEdits(lines, ConstUnitName(), 0);
}

bool TPasProcessor::EditUsesClause(TStringList& lines, const std::string& unitName, int mode,
                                   const std::string& newName) {
  auto edits = UsesClauseEdits(lines, unitName, mode, newName);
  if (edits.empty()) return false;
  ApplyEditsToLines(lines, std::move(edits));
  return true;
}

std::vector<TTextEdit> TPasProcessor::UsesClauseEdits(const TStringList& lines, const std::string& unitName, int mode,
                                                      const std::string& newName) {
  struct Entry {
    std::string Name;
    TScanToken First, Last;  // first and last token of the entry
    TScanToken NameLast;     // last token of its (dotted) name
  };
  struct Clause {
    TScanToken Uses, End;  // "uses" and the ";" that ends it
    std::vector<Entry> Entries;
    std::vector<TScanToken> Separators;  // "," between entries
  };
  Scanner.Lines().Assign(lines);
  Scanner.Start();
  bool havePoint = false, isUnit = false, inImplementation = false, sawInterface = false;
  TScanToken point;        // insertion point for a new clause
  TScanToken clausePoint;  // insertion point in the first clause outside the implementation
  bool haveClausePoint = false;
  std::vector<Clause> clauses;
  bool expectHeadingEnd = false;
  while (!Scanner.Eof()) {
    const TScanToken& token = Scanner.TokenRef(0);
    if (token.Kind == ttKeyword) {
      const std::string& w = token.LowerText;
      if (w == "unit") isUnit = true;
      if ((w == "program" || w == "library") && !havePoint) expectHeadingEnd = true;
      if (w == "interface" && !sawInterface) {
        sawInterface = true;
        if (Scanner.Available(1)) {
          point = Scanner.TokenRef(1);
          havePoint = true;
        }
      }
      if (w == "implementation") inImplementation = true;
      if (w == "uses") {
        Clause clause;
        clause.Uses = token;
        Scanner.Next();
        Entry entry;
        bool inEntry = false;
        while (!Scanner.Eof()) {
          const TScanToken& t = Scanner.TokenRef(0);
          if (TokenIs(t, ",") || TokenIs(t, ";")) {
            if (inEntry) clause.Entries.push_back(entry);
            entry = Entry();
            inEntry = false;
            if (TokenIs(t, ";")) {
              clause.End = t;
              break;
            }
            clause.Separators.push_back(t);
          } else if (!inEntry) {
            entry.Name = t.Text;
            entry.First = entry.Last = entry.NameLast = t;
            inEntry = true;
          } else {
            // A dotted name continues it; "in 'file'" only extends its span.
            if (TokenIs(t, ".") || (TokenIs(Scanner.TokenRef(-1), ".") && t.Kind == ttIdentifier)) {
              entry.Name += t.Text;
              entry.NameLast = t;
            }
            entry.Last = t;
          }
          Scanner.Next();
        }
        if (!inImplementation && !haveClausePoint && !clause.Entries.empty()) {
          // A unit adds at the end of its clause; a program after the first name.
          if (isUnit || clause.Separators.empty())
            clausePoint = clause.End;
          else
            clausePoint = clause.Separators.front();
          haveClausePoint = true;
        }
        clauses.push_back(std::move(clause));
        if (Scanner.Eof()) break;
      }
    } else if (expectHeadingEnd && TokenIs(token, ";")) {
      expectHeadingEnd = false;
      if (Scanner.Available(1)) {
        point = Scanner.TokenRef(1);
        havePoint = true;
      }
    }
    Scanner.Next();
  }

  std::vector<TTextEdit> edits;
  for (const Clause& clause : clauses) {
    for (std::size_t i = 0; i < clause.Entries.size(); ++i) {
      const Entry& entry = clause.Entries[i];
      if (!SameText(entry.Name, unitName)) continue;
      if (mode == 0) return {};
      if (mode == 2) {
        // Only the name itself is replaced, not text that merely contains it.
        return {{entry.First.Line, entry.First.StartCol, entry.NameLast.Line, entry.NameLast.EndCol, newName}};
      }
      // Mode 1: the entry and its separator; the whole clause when it is the only entry.
      if (clause.Entries.size() == 1)
        return {{clause.Uses.Line, clause.Uses.StartCol, clause.End.Line, clause.End.EndCol, ""}};
      if (i > 0) {
        const TScanToken& prevLast = clause.Entries[i - 1].Last;
        return {{prevLast.Line, prevLast.EndCol, entry.Last.Line, entry.Last.EndCol, ""}};
      }
      const Entry& next = clause.Entries[1];
      return {{entry.First.Line, entry.First.StartCol, next.First.Line, next.First.StartCol, ""}};
    }
  }
  if (mode != 0) return {};
  if (haveClausePoint) return {{clausePoint.Line, clausePoint.StartCol, clausePoint.Line, clausePoint.StartCol, ", " + unitName}};
  if (havePoint) return {{point.Line, point.StartCol, point.Line, point.StartCol, "uses " + unitName + ";\n\n"}};
  return {};
}

void TPasProcessor::WriteConstants(const std::string& unitFilter) { CommitFiles(BuildConstants(unitFilter), nullptr); }

std::vector<TSourceProcessor::PendingFile> TPasProcessor::BuildConstants(const std::string& unitFilter) {
  const std::vector<TStrConst*> constants = ConstantsToWrite(unitFilter);
  std::vector<std::string> declarations;
  for (const TStrConst* c : constants) declarations.push_back("  " + c->Name + " = " + QuotePascal(c->Value) + ";");
  // Nothing moved, nothing to declare: no file is made or touched.
  if (declarations.empty()) return {};
  PendingFile file;
  file.FileName = ConstFileName;
  TSourceText existing;
  if (ReadExisting(ConstFileName, CodePage, existing)) {
    file.Existed = true;
    file.OldBytes = existing.Bytes();
    // Where the declarations go, read from the file as it is now.
    TPasProcessor probe;
    probe.CodePage = CodePage;
    probe.LoadConstants(ConstFileName);
    if (probe.UnitRec().UnitName.empty())
      throw ESrcProcessError(Format("%s: the constants file is not a Pascal unit; nothing was written", ConstFileName));
    InsertLine = probe.InsertLine;
    HasResourcestring = probe.HasResourcestring;
    std::string text;
    if (!HasResourcestring) text += "\n\nresourcestring";
    for (const auto& d : declarations) text += "\n" + d;
    const std::int32_t line = std::clamp<std::int32_t>(InsertLine, 0, existing.Lines().Count() - 1);
    const auto col = static_cast<std::int32_t>(existing.Lines()[line].size()) + 1;
    file.Bytes = existing.Apply({{line, col, line, col, text}});
    InsertLine = line + static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n'));
    HasResourcestring = true;
    return {file};
  }
  TStringList lines;
  lines.Add("unit " + ConstUnitName() + ";");
  lines.Add("");
  lines.Add("interface");
  if (!declarations.empty()) {
    lines.Add("");
    lines.Add("resourcestring");
    HasResourcestring = true;
  }
  InsertLine = lines.Count() - 1;
  for (const auto& d : declarations) lines.Insert(++InsertLine, d);
  for (const char* tail : {"", "implementation", "", "end."}) lines.Add(tail);
  file.Bytes = NewFileBytes(lines, true);
  return {file};
}

// ---- C++ -------------------------------------------------------------------------------------

std::string TCPPProcessor::ConstantsFile() const {
  return PascalUnitMode && !SameText(ExtractFileExt(ConstFileName), ".pas") ? ChangeExt(ConstFileName, ".pas")
                                                                               : ConstFileName;
}

void TCPPProcessor::ExtractLiterals(TUnitRec& unit) {
  Scanner.Lines().Assign(unit.Lines);
  Scanner.Start();
  int depth = 0;
  std::int32_t directiveLine = -1;
  const std::string shortName = unit.BaseName();
  while (!Scanner.Eof()) {
    const TScanToken& token = Scanner.TokenRef(0);
    const TScanToken& before = Scanner.TokenRef(-1);
    if (TokenIs(token, "#") && (before.Kind == ttNone || before.Line != token.Line))
      directiveLine = token.Line;
    if (TokenIs(token, "{")) ++depth;
    if (TokenIs(token, "}")) --depth;
    if (depth > 0 && IsLiteral(token) && token.Line != directiveLine) {
      // Adjacent literals are one string to the compiler, and so one constant.
      // A literal glued to a word before it (u8"x", R"(x)") or after "extern"
      // or "operator" stays.
      const bool glued = before.Kind == ttIdentifier && before.Line == token.Line && before.EndCol == token.StartCol;
      const bool skip = glued || TokenIs(before, "extern") || TokenIs(before, "operator") ||
                        IsLiteral(before);  // inside a run already taken as a whole
      std::string joined = token.Text;
      for (int k = 1; k < TQScanner::kWindowAhead && Scanner.Available(k) && IsLiteral(Scanner.TokenRef(k)); ++k)
        joined += Scanner.TokenRef(k).Text;
      if (!skip && (joined == token.Text ? AcceptLiteral() : AcceptsText(joined))) {
        auto item = std::make_unique<TStrConst>(&unit);
        item->Value = token.Text;
        item->Kind = token.Kind;
        item->FirstLine = token.Line;
        item->StartCol = token.StartCol;
        item->LastLine = token.Line;
        item->EndCol = token.EndCol;
        for (int k = 1; k < TQScanner::kWindowAhead && Scanner.Available(k) && IsLiteral(Scanner.TokenRef(k)); ++k) {
          const TScanToken& more = Scanner.TokenRef(k);
          item->Value += more.Text;
          if (more.Kind == ttWideString) item->Kind = ttWideString;
          item->LastLine = more.Line;
          item->EndCol = more.EndCol;
        }
        AddFoundLiteral(unit, std::move(item), shortName);
      }
    }
    Scanner.Next();
  }
}

void TCPPProcessor::UnitProcessed(TStringList& lines, int changed) {
  ApplyEditsToLines(lines, UnitEdits(lines, changed));
}

std::vector<TTextEdit> TCPPProcessor::UnitEdits(const TStringList& lines, int changed) {
  if (changed != 1) return {};
  const std::string header = ConstUnitName() + ".hpp";
  Scanner.Lines().Assign(lines);
  Scanner.Start();
  bool found = false;
  IncludeLine = -1;
  while (!Scanner.Eof() && !TokenIs(Scanner.TokenRef(0), "{")) {
    if (TokenIs(Scanner.TokenRef(0), "#") && Scanner.TokenStartCol() == 1 && Scanner.Available(1) &&
        TokenIs(Scanner.TokenRef(1), "include")) {
      IncludeLine = Scanner.TokenLine();
      std::string included;
      if (Scanner.Available(2) && IsLiteral(Scanner.TokenRef(2)))
        included = Scanner.TokenRef(2).Text;
      else if (Scanner.Available(3) && TokenIs(Scanner.TokenRef(2), "<"))
        included = Scanner.TokenRef(3).Text;
      if (SameText(included, header)) found = true;
    }
    Scanner.Next();
  }
  if (found) return {};
  const std::string line = "#include \"" + header + "\"";
  if (IncludeLine < 0) {
    // No include: the first line of the file, where nothing can enclose it.
    IncludeLine = 0;
    return {{0, 1, 0, 1, line + "\n"}};
  }
  const auto end = static_cast<std::int32_t>(lines[IncludeLine].size()) + 1;
  return {{IncludeLine, end, IncludeLine, end, "\n" + line}};
}

void TCPPProcessor::WriteConstants(const std::string& unitFilter) { CommitFiles(BuildConstants(unitFilter), nullptr); }

std::vector<TSourceProcessor::PendingFile> TCPPProcessor::BuildConstants(const std::string& unitFilter) {
  if (PascalUnitMode) {
    if (!pasProcessor_) pasProcessor_ = std::make_unique<TPasProcessor>(*this);
    pasProcessor_->AssignSettings(*this);
    pasProcessor_->Units = Units;
    pasProcessor_->CodePage = CodePage;
    pasProcessor_->ConstFileName = ConstantsFile();
    pasProcessor_->InsertLine = InsertLine;
    auto files = pasProcessor_->BuildConstants(unitFilter);
    InsertLine = pasProcessor_->InsertLine;
    return files;
  }
  const std::vector<TStrConst*> constants = ConstantsToWrite(unitFilter);
  // Identifiers in use by the script already; new ones count down past them.
  std::vector<std::uint16_t> used;
  for (const auto& c : UnitRec().Constants)
    if (c) used.push_back(c->Id);
  std::map<std::string, std::uint16_t> ids;
  std::uint16_t next = NextId;
  for (TStrConst* c : constants) {
    while (std::find(used.begin(), used.end(), next) != used.end()) --next;
    c->Id = next;
    used.push_back(next);
    ids[c->Name] = next;
  }
  if (Units)
    for (const auto& unit : *Units)
      if (unit)
        for (const auto& c : unit->Constants)
          if (c && c->Selected() && ids.count(c->Name)) c->Id = ids[c->Name];
  if (constants.empty()) return {};

  const std::string headerName = ChangeExt(ConstFileName, ".hpp");
  std::vector<PendingFile> files;
  // The header first: the script includes it.
  {
    PendingFile file;
    file.FileName = headerName;
    std::string text;
    for (const TStrConst* c : constants) text += "#define " + c->Name + " " + std::to_string(c->Id) + "\n";
    TSourceText existing;
    if (ReadExisting(headerName, CodePage, existing)) {
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
  PendingFile script;
  script.FileName = ConstFileName;
  std::vector<std::string> entries;
  for (const TStrConst* c : constants) entries.push_back("  " + c->Name + "  " + QuoteRC(c->Value));
  TSourceText existing;
  if (ReadExisting(ConstFileName, CodePage, existing)) {
    script.Existed = true;
    script.OldBytes = existing.Bytes();
    bool hasTable = false;
    for (const auto& l : existing.Lines())
      if (PosText("stringtable", l) > 0) hasTable = true;
    std::string text;
    std::int32_t line = 0;
    if (hasTable) {
      TCPPProcessor probe;
      probe.PascalUnitMode = false;
      probe.CodePage = CodePage;
      probe.LoadConstants(ConstFileName);
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
    InsertLine = line + static_cast<std::int32_t>(entries.size());
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
    InsertLine = lines.Count() - 1;
    for (const auto& e : entries) lines.Insert(++InsertLine, e);
    lines.Add("END");
    script.Bytes = NewFileBytes(lines, false);
  }
  files.push_back(std::move(script));
  return files;
}

}  // namespace sw
