// Source processors: the constant records, the processor base, the Object
// Pascal resourcestring loader and the resource-script STRINGTABLE loader.
// See SourceReaders.h for what each reads and how text is decoded.
#include "extract/source/SourceReaders.h"

#include <algorithm>
#include <limits>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/FileSystem.h"
#include "util/Messages.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// Words and symbols are matched only where they are code: a string literal
// whose text is "unit" or ";" is not the keyword or the separator.
bool IsCodeToken(const TScanToken& token) {
  switch (token.Kind) {
    case ttIdentifier: case ttKeyword: case ttSymbol: case ttNumber: case ttUserWord1: case ttUserWord2:
      return true;
    default:
      return false;
  }
}
bool Is(const TScanToken& token, std::string_view lower) { return IsCodeToken(token) && token.LowerText == lower; }
bool At(const TQScanner& scanner, std::string_view lower) { return Is(scanner.TokenRef(0), lower); }

}  // namespace

// ---- Constants and unit records -----------------------------------------------

void TStrConst::SetSelected(bool flag) {
  if (flag == selected_) return;
  selected_ = flag;
  if (!flag || !Owner) return;
  for (const auto& other : Owner->Constants)
    if (other && other.get() != this && SameText(other->Value, Value)) other->selected_ = true;
}

int TStrConstList::SelectedCount() const {
  int count = 0;
  for (const auto& item : *this)
    if (item && item->Selected()) ++count;
  return count;
}

// Names of the items indexed so far, without regard to ASCII case, each
// with its first index. The views point into the items' names, which stay
// put while nobody renames an item.
struct TStrConstList::TNameIndex {
  struct Hash {
    std::size_t operator()(std::string_view name) const {
      std::size_t h = 14695981039346656037ull;
      for (char c : name) h = (h ^ static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c)) * 1099511628211ull;
      return h;
    }
  };
  struct Equal {
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
  };
  std::unordered_map<std::string_view, int, Hash, Equal> First;
  int Indexed = 0;
};

TStrConstList::TStrConstList() = default;
TStrConstList::~TStrConstList() = default;
TStrConstList::TStrConstList(TStrConstList&&) noexcept = default;
TStrConstList& TStrConstList::operator=(TStrConstList&&) noexcept = default;

void TStrConstList::BeginNameIndex() { nameIndex_ = std::make_unique<TNameIndex>(); }

void TStrConstList::EndNameIndex() { nameIndex_.reset(); }

int TStrConstList::IndexOfName(const std::string& name) const {
  if (nameIndex_) {
    TNameIndex& index = *nameIndex_;
    if (index.Indexed > Count()) {
      // Items went away: start again.
      index.First.clear();
      index.Indexed = 0;
    }
    for (; index.Indexed < Count(); ++index.Indexed)
      if (const TStrConst* item = Items(index.Indexed)) index.First.emplace(item->Name, index.Indexed);
    const auto found = index.First.find(name);
    return found == index.First.end() ? -1 : found->second;
  }
  for (int i = 0; i < Count(); ++i)
    if (Items(i) && SameText(Items(i)->Name, name)) return i;
  return -1;
}

void TUnitRec::LoadLines(unsigned codePage) {
  const bool script = SameText(ExtractFileExt(FileName), ".rc");
  Encoding = LoadSourceLines(FileName, codePage, script, Lines);
  CodePage = codePage;
}

std::string TUnitRec::BaseName() const { return StripExt(ExtractFileName(FileName)); }

TStrConst* TUnitRecList::FindConstant(const std::string& name) const {
  for (const auto& unit : *this) {
    if (!unit) continue;
    const int i = unit->Constants.IndexOfName(name);
    if (i >= 0) return unit->Constants.Items(i);
  }
  return nullptr;
}

int TUnitRecList::TotalSelected() const {
  int total = 0;
  for (const auto& unit : *this)
    if (unit) total += unit->Constants.SelectedCount();
  return total;
}

// ---- Reading source text ------------------------------------------------------

namespace {

// Finds "#pragma code_page(N)" and "#pragma code_page(DEFAULT)" in the raw
// lines and fills the code page in force for every line; a pragma applies to
// the lines after its own. The scanner finds them so that comments and
// strings are respected.
// Whether `line` holds "code_page" in any case: a text without it anywhere
// holds no pragma, and is not scanned.
bool MentionsCodePage(std::string_view line) {
  constexpr std::string_view word = "code_page";
  for (std::size_t at = line.find('_'); at != std::string_view::npos; at = line.find('_', at + 1)) {
    if (at < 4 || line.size() - at < 5) continue;
    bool same = true;
    for (std::size_t i = 0; i < word.size() && same; ++i) {
      char c = line[at - 4 + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      same = c == word[i];
    }
    if (same) return true;
  }
  return false;
}

void ApplyCodePagePragmas(const TStringList& raw, unsigned defaultCodePage, std::vector<unsigned>& codePages) {
  bool any = false;
  for (int i = 0; i < raw.Count() && !any; ++i) any = MentionsCodePage(raw[i]);
  if (!any) return;
  TQScanner scanner;
  scanner.SetMode(smC);
  scanner.SetCodePage(defaultCodePage);
  scanner.Lines().Assign(raw);
  std::vector<std::pair<int, unsigned>> switches;
  try {
    scanner.Start();
    while (!scanner.Eof()) {
      if (At(scanner, "#") && Is(scanner.TokenRef(1), "pragma") && Is(scanner.TokenRef(2), "code_page") &&
          Is(scanner.TokenRef(3), "(") && Is(scanner.TokenRef(5), ")")) {
        const TScanToken& value = scanner.TokenRef(4);
        int number = 0;
        if (Is(value, "default"))
          switches.emplace_back(scanner.TokenRef(5).Line + 1, defaultCodePage);
        else if (value.Kind == ttNumber && TryStrToInt(value.Text, number) && number > 0)
          switches.emplace_back(scanner.TokenRef(5).Line + 1, static_cast<unsigned>(number));
      }
      scanner.Next();
    }
  } catch (const Exception&) {
    // A malformed literal stops the search here; the main pass reports it.
  }
  for (const auto& [line, codePage] : switches)
    for (std::size_t i = static_cast<std::size_t>(line); i < codePages.size(); ++i) codePages[i] = codePage;
}

}  // namespace

TextEncoding LoadSourceLines(const std::string& fileName, unsigned codePage, bool honourCodePagePragmas,
                             TStringList& lines, std::vector<unsigned>* lineCodePages) {
  return DecodeSourceLines(platform::ReadRegularFile(fileName), codePage, honourCodePagePragmas, lines,
                           lineCodePages);
}

TextEncoding DecodeSourceLines(std::string bytes, unsigned codePage, bool honourCodePagePragmas, TStringList& lines,
                               std::vector<unsigned>* lineCodePages) {
  lines.LoadFromBytes(std::move(bytes));
  const TextEncoding encoding = lines.Encoding();
  std::vector<unsigned> codePages(static_cast<std::size_t>(lines.Count()), codePage);
  if (honourCodePagePragmas) ApplyCodePagePragmas(lines, codePage, codePages);
  for (int i = 0; i < lines.Count(); ++i) {
    std::string& line = lines[i];
    if (encoding == TextEncoding::Ansi)
      line = DecodeAnsiToUtf8(line, codePages[static_cast<std::size_t>(i)]);
    else if (encoding == TextEncoding::Utf8)
      line = SanitizeUtf8(line);
  }
  lines.SetEncoding(encoding);
  if (lineCodePages) *lineCodePages = std::move(codePages);
  return encoding;
}

// ---- TSourceProcessor -------------------------------------------------------------

TSourceProcessor::~TSourceProcessor() = default;

void TSourceProcessor::LoadConstants(const std::string& fileName) {
  Warnings.clear();
  UnitRec().FileName = fileName;
  UnitRec().UnitName.clear();
  UnitRec().Constants.Clear();
}

std::int32_t TSourceProcessor::CurrentLine() const {
  return Scanner.Eof() ? Scanner.TokenRef(-1).Line : Scanner.TokenLine();
}

// ---- TPasProcessor --------------------------------------------------------------------

namespace {

// Named character values a Pascal constant may join with "+".
const char* NamedCharValue(const std::string& lower) {
  if (lower == "cr") return "\r";
  if (lower == "lf") return "\n";
  if (lower == "crlf") return "\r\n";
  if (lower == "tab") return "\t";
  if (lower == "slinebreak") return "\r\n";
  if (lower == "lineending") return "\r\n";  // the Free Pascal spelling of sLineBreak
  return nullptr;
}

// Moves past the next ";" (or to the end of the text).
void SkipThroughSemicolon(TQScanner& scanner) {
  while (!scanner.Eof() && !At(scanner, ";")) scanner.Next();
  if (!scanner.Eof()) scanner.Next();
}

}  // namespace

void SetUpPascalScanner(TQScanner& scanner) {
  scanner.SetMode(smPascal);
  static constexpr const char* kKeywords[] = {
      "program", "unit",  "library", "interface", "package",   "implementation", "const", "uses",
      "constructor", "destructor", "procedure", "function", "var", "type", "class", "record",
      "label", "try", "case", "begin", "end", "initialization", "finalization", "resourcestring"};
  scanner.Keywords().Clear();
  for (const char* word : kKeywords) scanner.Keywords().Add(word);
}

TPasProcessor::TPasProcessor() { Init(); }

void TPasProcessor::Init() {
  TSourceProcessor::Init();
  SetUpPascalScanner(Scanner);
}

void TPasProcessor::FormatError(const std::string& what) const {
  throw ESrcProcessError(Format(SWrongConstUnitFormat, what, CurrentLine()));
}

void TPasProcessor::LoadConstants(const std::string& fileName) {
  if (!platform::FileExists(fileName)) {
    TSourceProcessor::LoadConstants(fileName);
    return;
  }
  LoadConstantsFromBytes(fileName, platform::ReadRegularFile(fileName));
}

void TPasProcessor::LoadConstantsFromBytes(const std::string& fileName, std::string bytes) {
  TSourceProcessor::LoadConstants(fileName);
  TUnitRec& unit = UnitRec();
  unit.Encoding = DecodeSourceLines(std::move(bytes), CodePage, false, Scanner.Lines());
  unit.CodePage = CodePage;
  Scanner.SetCodePage(CodePage);
  Scanner.SetLineCodePages({});
  NoteIncludes();
  struct TakeWarnings {
    TPasProcessor& self;
    ~TakeWarnings() { self.TakeScannerWarnings(); }
  } takeWarnings{*this};
  Scanner.Start();

  if (!ReadUnitHeading()) return;
  HasResourcestring = false;
  TStrConstList locals;
  // Every name read is looked up among those read before it.
  struct NameIndexes {
    TStrConstList& unit;
    TStrConstList& locals;
    NameIndexes(TStrConstList& u, TStrConstList& l) : unit(u), locals(l) {
      unit.BeginNameIndex();
      locals.BeginNameIndex();
    }
    ~NameIndexes() {
      unit.EndNameIndex();
      locals.EndNameIndex();
    }
  } nameIndexes(unit.Constants, locals);
  bool constSection = false;
  while (FindSection(constSection)) {
    ReadSection(constSection, locals);
    if (!constSection) InsertLine = Scanner.TokenRef(-1).Line;
  }
}

bool TPasProcessor::ReadUnitHeading() {
  while (!Scanner.Eof() && !At(Scanner, "unit")) Scanner.Next();
  if (Scanner.Eof()) return false;
  Scanner.Next();
  if (Scanner.Eof()) return false;
  // A dotted name (Company.Product.Strings) is one unit name.
  std::string name = Scanner.TokenText();
  while (Scanner.Available(2) && Is(Scanner.TokenRef(1), ".") && Scanner.TokenRef(2).Kind == ttIdentifier) {
    Scanner.Next();
    Scanner.Next();
    name += "." + Scanner.TokenText();
  }
  UnitRec().UnitName = name;
  return true;
}

bool TPasProcessor::FindSection(bool& constSection) {
  while (!Scanner.Eof() && !At(Scanner, "resourcestring") && !At(Scanner, "const")) {
    if (Scanner.TokenKind() == ttKeyword && Scanner.TokenLower() == "implementation")
      InsertLine = Scanner.TokenRef(-1).Line;
    Scanner.Next();
  }
  if (Scanner.Eof()) return false;
  constSection = At(Scanner, "const");
  if (!constSection) HasResourcestring = true;
  Scanner.Next();
  return true;
}

void TPasProcessor::ReadSection(bool constSection, TStrConstList& locals) {
  TUnitRec& unit = UnitRec();
  const std::string& fileName = unit.FileName;
  while (!Scanner.Eof() && Scanner.TokenKind() != ttKeyword) {
    if (Scanner.TokenKind() != ttIdentifier) {
      if (!constSection) FormatError(fileName);
      SkipThroughSemicolon(Scanner);
      continue;
    }
    auto item = std::make_unique<TStrConst>(&unit);
    item->Name = Scanner.TokenText();
    const std::int32_t nameLine = Scanner.TokenLine();
    Scanner.Next();
    if (Scanner.Eof() || !At(Scanner, "=")) {
      if (!constSection) FormatError(fileName);
      SkipThroughSemicolon(Scanner);
      continue;
    }
    Scanner.Next();
    if (Scanner.Eof()) {
      if (!constSection) FormatError(fileName);
      return;
    }
    if (!ReadValue(*item, locals)) {
      if (!constSection) FormatError(item->Name + " " + fileName);
      // A numeric or computed constant: not a text, so it cannot feed a
      // later value. Its declaration is passed over and the section goes on.
      SkipThroughSemicolon(Scanner);
      continue;
    }
    TStrConstList& target = constSection ? locals : unit.Constants;
    const int earlier = target.IndexOfName(item->Name);
    if (earlier >= 0) {
      // Both branches of a conditional were read: the first declaration
      // stands.
      if (!constSection)
        Warnings.push_back(Format("%s line %d: %s declared again (first on line %d); the first declaration stands",
                                  fileName, nameLine, item->Name, target.Items(earlier)->FirstLine));
    } else {
      TStrConst* added = item.get();
      target.Add(std::move(item));
      added->SetSelected(true);
    }

    SkipHintDirectives();
    if (!Scanner.Eof() && At(Scanner, ";")) {
      Scanner.Next();
      continue;
    }
    if (constSection && !Scanner.Eof() && Scanner.TokenKind() != ttKeyword) {
      // A value followed by more than a hint (a typed or computed tail): the
      // declaration is passed over, the section goes on.
      SkipThroughSemicolon(Scanner);
      continue;
    }
    return;
  }
}

bool TPasProcessor::ReadValue(TStrConst& item, const TStrConstList& locals) {
  const TUnitRec& unit = UnitRec();
  const int valueLine = Scanner.TokenLine();
  if (valueLine > 0) {
    const std::string& above = Scanner.Lines()[valueLine - 1];
    if (above.find("//") != std::string::npos) item.Comment = TrimSpaces(above);
  }
  item.FirstLine = valueLine;
  item.StartCol = Scanner.TokenStartCol();
  for (;;) {
    std::string piece;
    const TTokenKind kind = Scanner.TokenKind();
    if (Scanner.Eof()) return false;
    if (kind == ttChar || kind == ttString || kind == ttWideString) {
      piece = Scanner.TokenText();
    } else if (kind != ttIdentifier) {
      return false;  // only a word can name a value (an unterminated string cannot)
    } else if (const char* named = NamedCharValue(Scanner.TokenLower())) {
      piece = named;
    } else if (Scanner.TokenLower() == "null_terminator") {
      piece = std::string(1, '\0');
    } else {
      const int local = locals.IndexOfName(Scanner.TokenText());
      const int declared = local >= 0 ? -1 : unit.Constants.IndexOfName(Scanner.TokenText());
      if (local >= 0)
        piece = locals.Items(local)->Value;
      else if (declared >= 0)
        piece = unit.Constants.Items(declared)->Value;
      else
        return false;
    }
    item.Parts.Add(piece);
    item.Value += piece;
    Scanner.Next();
    if (Scanner.Eof() || !At(Scanner, "+")) break;
    Scanner.Next();
  }
  const TScanToken& last = Scanner.TokenRef(-1);
  item.LastLine = last.Line;
  item.EndCol = last.EndCol;
  return true;
}

void TPasProcessor::SkipHintDirectives() {
  while (!Scanner.Eof()) {
    if (At(Scanner, "deprecated")) {
      Scanner.Next();
      if (!Scanner.Eof() && (Scanner.TokenKind() == ttString || Scanner.TokenKind() == ttChar)) Scanner.Next();
    } else if (At(Scanner, "platform") || At(Scanner, "experimental") || At(Scanner, "library")) {
      Scanner.Next();
    } else {
      return;
    }
  }
}

void TPasProcessor::NoteIncludes() {
  const TStringList& lines = Scanner.Lines();
  for (int n = 0; n < lines.Count(); ++n) {
    const std::string upper = UpperAscii(lines[n]);
    for (const char* opener : {"{$", "(*$"}) {
      for (std::size_t at = upper.find(opener); at != std::string::npos; at = upper.find(opener, at + 1)) {
        std::size_t i = at + std::string_view(opener).size();
        std::size_t word = i;
        while (word < upper.size() && upper[word] >= 'A' && upper[word] <= 'Z') ++word;
        const std::string directive = upper.substr(i, word - i);
        if ((directive != "I" && directive != "INCLUDE") || word >= upper.size() || upper[word] != ' ') continue;
        std::string name = TrimSpaces(lines[n].substr(word));
        const std::size_t close = name.find(opener[0] == '{' ? "}" : "*)");
        if (close != std::string::npos) name = TrimSpaces(name.substr(0, close));
        Warnings.push_back(Format("%s line %d: include file %s not read", UnitRec().FileName, n, name));
      }
    }
  }
}

void TPasProcessor::TakeScannerWarnings() {
  for (const auto& warning : Scanner.Warnings()) Warnings.push_back(UnitRec().FileName + " " + warning);
  Scanner.Warnings().clear();
}

// ---- TCPPProcessor --------------------------------------------------------------------

void SetUpCppScanner(TQScanner& scanner) {
  scanner.SetMode(smC);
  static constexpr const char* kKeywords[] = {
      "char",   "class",   "double",   "enum",    "float",    "int",      "const",    "long",   "short",
      "struct", "union",   "unsigned", "void",    "extern",   "register", "static",   "break",  "case",
      "continue", "default", "delete", "do",      "else",     "for",      "goto",     "if",     "new",
      "return", "switch",  "while",    "friend",  "operator", "this",     "virtual",  "public", "inline",
      "overload", "sizeof", "typedef", "private", "protected"};
  scanner.Keywords().Clear();
  for (const char* word : kKeywords) scanner.Keywords().Add(word);
}

TCPPProcessor::TCPPProcessor() { Init(); }

TCPPProcessor::~TCPPProcessor() = default;

void TCPPProcessor::Init() {
  TSourceProcessor::Init();
  SetUpCppScanner(Scanner);
}

void TCPPProcessor::LoadConstants(const std::string& fileName) {
  TSourceProcessor::LoadConstants(fileName);
  TUnitRec& unit = UnitRec();
  Tables.clear();
  TakenLanguage = kRcNoLanguage;
  if (!platform::FileExists(fileName)) return;

  const std::string stem = [&] {
    const std::string name = ExtractFileName(fileName);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
  }();
  unit.UnitName = stem + "_RC";
  unit.CodePage = CodePage;

  TRcScriptReader reader;
  reader.CodePage = CodePage;
  const std::string folder = ExtractFilePath(fileName);
  const std::string header = platform::FindFileIgnoringCase(folder.empty() ? "." : folder, stem + ".hpp");
  reader.Files = Files;
  if (Files) Files->Lookups.push_back({TRcLookup::OwnHeader, folder, stem + ".hpp", header});
  if (!header.empty()) reader.ReadOwnHeader(header);
  TRcScript script;
  try {
    reader.Read(fileName, script);
  } catch (const ERcScriptError&) {
    // What was read before the error is still handed out.
    unit.Encoding = script.Encoding;
    InsertLine = script.InsertLine;
    TakeRcEntries(script);
    throw;
  }
  unit.Encoding = script.Encoding;
  InsertLine = script.InsertLine;
  TakeRcEntries(script);
}

void TCPPProcessor::TakeRcEntries(TRcScript& script) {
  TUnitRec& unit = UnitRec();
  TakenLanguage = SelectRcTables(script, LangId);
  Warnings.insert(Warnings.end(), script.Warnings.begin(), script.Warnings.end());

  std::vector<const TRcStringEntry*> taken;
  std::map<std::uint16_t, const TRcStringEntry*> byId;
  for (const auto& entry : script.Entries) {
    if (!script.Tables[static_cast<std::size_t>(entry.Table)].Taken) continue;
    const auto [at, fresh] = byId.emplace(entry.Id, &entry);
    if (!fresh) {
      Warnings.push_back(Format(SRCWarnDuplicate, entry.FileName, entry.Line, entry.Id, at->second->Line));
      continue;
    }
    taken.push_back(&entry);
  }
  // Identifiers in the order of their #define lines (the header's first),
  // then the entries whose id is a number or a built-in name, in table order.
  std::stable_sort(taken.begin(), taken.end(), [](const TRcStringEntry* a, const TRcStringEntry* b) {
    const long ka = a->DefineOrder < 0 ? std::numeric_limits<long>::max() : a->DefineOrder;
    const long kb = b->DefineOrder < 0 ? std::numeric_limits<long>::max() : b->DefineOrder;
    return ka < kb;
  });
  for (const TRcStringEntry* entry : taken) {
    if (entry->Id > 45000 && entry->Id < NextId) NextId = entry->Id;
    if (entry->Value.empty()) continue;
    auto item = std::make_unique<TStrConst>(&unit);
    item->Id = entry->Id;
    item->Name = entry->Name;
    item->Value = entry->Value;
    item->FirstLine = entry->Line;
    item->LastLine = entry->LastLine;
    item->StartCol = entry->StartCol;
    item->EndCol = entry->EndCol;
    item->Kind = entry->Wide ? ttWideString : ttString;
    unit.Constants.Add(std::move(item));
  }

  std::vector<int> languages;
  for (const auto& table : script.Tables)
    if (std::find(languages.begin(), languages.end(), table.Language) == languages.end())
      languages.push_back(table.Language);
  if (languages.size() > 1) {
    std::string all;
    for (int language : languages) all += (all.empty() ? "" : ", ") + RcLanguageName(language);
    Warnings.push_back(Format(SRCWarnLanguages, UnitRec().FileName, all,
                              RcLanguageName(TakenLanguage)));
  }
  Tables = script.Tables;
}

}  // namespace sw
