// Source processors: the constant records, the processor base, the Object
// Pascal resourcestring loader and the resource-script STRINGTABLE loader.
// See SrcProcs.h for what each reads and how text is decoded.
#include "extract/source/SrcProcs.h"

#include <utility>

#include "platform/FileSystem.h"
#include "util/QConsts.h"
#include "util/QStrings.h"

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

int TStrConstList::IndexOfName(const std::string& name) const {
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
void ApplyCodePagePragmas(const TStringList& raw, unsigned defaultCodePage, std::vector<unsigned>& codePages) {
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
  lines.LoadFromFile(fileName);
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

TSourceProcessor::TSourceProcessor()
    : ownedUnitRec_(std::make_unique<TUnitRec>()), unitRec_(ownedUnitRec_.get()) {}

TSourceProcessor::TSourceProcessor(TSourceProcessor& other)
    : Units(other.Units),
      InsertLine(other.InsertLine),
      ConstFileName(other.ConstFileName),
      unitRec_(other.unitRec_),
      sharesUnitRec_(true) {}

TSourceProcessor::~TSourceProcessor() = default;

std::string TSourceProcessor::ConstUnitName() const {
  const std::string name = ExtractFileName(ConstFileName);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

void TSourceProcessor::AssignSettings(const TSourceProcessor& other) {
  ExcludePatterns.Assign(other.ExcludePatterns);
  ReuseNames = other.ReuseNames;
  MaxNameChars = other.MaxNameChars;
  NamePrefix = other.NamePrefix;
  UnitPrefix = other.UnitPrefix;
  CyrillicNames = other.CyrillicNames;
}

std::string TSourceProcessor::GetReference(const TStrConst&) const { return std::string(); }

void TSourceProcessor::SelectConstants(TUnitRec& unitRec, bool& cancel) {
  if (OnSelectConstants) {
    OnSelectConstants(unitRec, cancel);
    return;
  }
  // Nobody to ask: every literal found is moved.
  for (const auto& item : unitRec.Constants)
    if (item) item->SetSelected(true);
}

void TSourceProcessor::LoadConstants(const std::string& fileName) {
  UnitRec().FileName = fileName;
  UnitRec().UnitName.clear();
  UnitRec().Constants.Clear();
}

bool TSourceProcessor::AcceptLiteral() const {
  if (!HasLetter(Scanner.TokenLower())) return false;
  const std::string preceding = Scanner.PrecedingText();
  for (const auto& raw : ExcludePatterns) {
    const std::string pattern = LowerUtf8(TrimSpaces(raw));
    if (!pattern.empty() && pattern.back() == '*') {
      if (preceding.find(pattern.substr(0, pattern.size() - 1)) != std::string::npos) return false;
    } else if (EndsWithText(pattern, preceding)) {
      return false;
    }
  }
  return true;
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
  return nullptr;
}

// Moves past the next ";" (or to the end of the text).
void SkipThroughSemicolon(TQScanner& scanner) {
  while (!scanner.Eof() && !At(scanner, ";")) scanner.Next();
  if (!scanner.Eof()) scanner.Next();
}

}  // namespace

TPasProcessor::TPasProcessor() {
  Init();
  ConstFileName = "PrjConst.pas";
}

TPasProcessor::TPasProcessor(TSourceProcessor& other) : TSourceProcessor(other) { Init(); }

void TPasProcessor::Init() {
  TSourceProcessor::Init();
  Scanner.SetMode(smPascal);
  static constexpr const char* kKeywords[] = {
      "program", "unit",  "library", "interface", "package",   "implementation", "const", "uses",
      "constructor", "destructor", "procedure", "function", "var", "type", "class", "record",
      "label", "try", "case", "begin", "end", "initialization", "finalization", "resourcestring"};
  Scanner.Keywords().Clear();
  for (const char* word : kKeywords) Scanner.Keywords().Add(word);
}

std::string TPasProcessor::GetReference(const TStrConst& strConst) const { return strConst.Name; }

void TPasProcessor::LoadConstants(const std::string& fileName) {
  TSourceProcessor::LoadConstants(fileName);
  TUnitRec& unit = UnitRec();
  if (!platform::FileExists(fileName)) return;
  unit.Encoding = LoadSourceLines(fileName, CodePage, false, Scanner.Lines());
  unit.CodePage = CodePage;
  Scanner.SetCodePage(CodePage);
  Scanner.SetLineCodePages({});
  Scanner.Start();

  while (!Scanner.Eof() && !At(Scanner, "unit")) Scanner.Next();
  if (Scanner.Eof()) return;
  Scanner.Next();
  if (Scanner.Eof()) return;
  unit.UnitName = Scanner.TokenText();
  HasResourcestring = false;
  TStrConstList locals;

  auto formatError = [&](const std::string& what) {
    throw ESrcProcessError(Format(SWrongConstUnitFormat, what, CurrentLine()));
  };

  while (!Scanner.Eof()) {
    // Section search.
    while (!Scanner.Eof() && !At(Scanner, "resourcestring") && !At(Scanner, "const")) {
      if (Scanner.TokenKind() == ttKeyword && Scanner.TokenLower() == "implementation")
        InsertLine = Scanner.TokenRef(-1).Line;
      Scanner.Next();
    }
    if (Scanner.Eof()) break;
    const bool constSection = At(Scanner, "const");
    if (!constSection) HasResourcestring = true;
    Scanner.Next();

    while (!Scanner.Eof() && Scanner.TokenKind() != ttKeyword) {
      if (Scanner.TokenKind() != ttIdentifier) {
        if (!constSection) formatError(fileName);
        SkipThroughSemicolon(Scanner);
        continue;
      }
      auto item = std::make_unique<TStrConst>(&unit);
      item->Name = Scanner.TokenText();
      Scanner.Next();
      if (Scanner.Eof() || !At(Scanner, "=")) {
        if (!constSection) formatError(fileName);
        SkipThroughSemicolon(Scanner);
        continue;
      }
      Scanner.Next();
      if (Scanner.Eof()) {
        if (!constSection) formatError(fileName);
        break;
      }
      const int valueLine = Scanner.TokenLine();
      if (valueLine > 0) {
        const std::string& above = Scanner.Lines()[valueLine - 1];
        if (above.find("//") != std::string::npos) item->Comment = TrimSpaces(above);
      }
      item->FirstLine = valueLine;
      item->StartCol = Scanner.TokenStartCol();

      // Pieces joined with "+".
      bool known = true;
      for (;;) {
        std::string piece;
        const TTokenKind kind = Scanner.TokenKind();
        if (Scanner.Eof()) {
          known = false;
        } else if (kind == ttChar || kind == ttString || kind == ttWideString) {
          piece = Scanner.TokenText();
        } else if (kind != ttIdentifier) {
          // Only a word can name a value (an unterminated string cannot).
          known = false;
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
            known = false;
        }
        if (!known) {
          if (!constSection) formatError(item->Name + " " + fileName);
          break;
        }
        item->Parts.Add(piece);
        item->Value += piece;
        Scanner.Next();
        if (Scanner.Eof() || !At(Scanner, "+")) break;
        Scanner.Next();
      }
      if (!known) {
        // A numeric or computed constant: not a text, so it cannot feed a
        // later value. Its declaration is passed over and the section goes on.
        SkipThroughSemicolon(Scanner);
        continue;
      }
      const TScanToken& last = Scanner.TokenRef(-1);
      item->LastLine = last.Line;
      item->EndCol = last.EndCol;
      TStrConst* added = item.get();
      if (constSection)
        locals.Add(std::move(item));
      else
        unit.Constants.Add(std::move(item));
      added->SetSelected(true);

      if (!Scanner.Eof() && At(Scanner, "deprecated")) Scanner.Next();
      if (!Scanner.Eof() && At(Scanner, ";")) {
        Scanner.Next();
        continue;
      }
      if (constSection && !Scanner.Eof() && Scanner.TokenKind() != ttKeyword) {
        // A value followed by more than "deprecated" (a typed or computed
        // tail): the declaration is passed over, the section goes on.
        SkipThroughSemicolon(Scanner);
        continue;
      }
      break;
    }
    if (!constSection) InsertLine = Scanner.TokenRef(-1).Line;
  }
}

// ---- TCPPProcessor --------------------------------------------------------------------

TCPPProcessor::TCPPProcessor() {
  Init();
  ConstFileName = "PrjConst.rc";
}

TCPPProcessor::~TCPPProcessor() = default;

void TCPPProcessor::Init() {
  TSourceProcessor::Init();
  Scanner.SetMode(smC);
  static constexpr const char* kKeywords[] = {
      "char",   "class",   "double",   "enum",    "float",    "int",      "const",    "long",   "short",
      "struct", "union",   "unsigned", "void",    "extern",   "register", "static",   "break",  "case",
      "continue", "default", "delete", "do",      "else",     "for",      "goto",     "if",     "new",
      "return", "switch",  "while",    "friend",  "operator", "this",     "virtual",  "public", "inline",
      "overload", "sizeof", "typedef", "private", "protected"};
  Scanner.Keywords().Clear();
  for (const char* word : kKeywords) Scanner.Keywords().Add(word);
}

std::string TCPPProcessor::GetReference(const TStrConst& strConst) const {
  std::string reference = PascalUnitMode ? Capitalize(ConstUnitName()) + "_" + strConst.Name
                                         : "LoadStr(" + strConst.Name + ")";
  if (strConst.Kind == ttWideString) reference += ".c_str()";
  return reference;
}

void TCPPProcessor::LoadConstants(const std::string& fileName) {
  UnitRec().FileName = fileName;
  UnitRec().UnitName.clear();
  if (PascalUnitMode)
    LoadPasConstants(fileName);
  else
    LoadRCConstants(fileName);
}

void TCPPProcessor::LoadPasConstants(const std::string& fileName) {
  if (!pasProcessor_) pasProcessor_ = std::make_unique<TPasProcessor>(*this);
  pasProcessor_->CodePage = CodePage;
  pasProcessor_->LoadConstants(fileName);
  InsertLine = pasProcessor_->InsertLine;
}

void TCPPProcessor::RCFormatError(const std::string& fileName, const char* detail) const {
  throw ESrcProcessError(Format(SWrongRCFormat, fileName, CurrentLine(), detail));
}

void TCPPProcessor::ReadDefine() {
  // Only what belongs to the directive is consumed, and only from its own
  // line: "#define GUARD" followed by another line loses nothing that follows.
  if (!Scanner.Available(1)) return;
  const TScanToken& word = Scanner.TokenRef(1);
  if (Is(word, "define")) {
    Scanner.Next();
    if (!Scanner.Available(1) || Scanner.TokenRef(1).Line != Scanner.TokenLine()) return;
    Scanner.Next();
    auto item = std::make_unique<TStrConst>(&UnitRec());
    item->StartCol = Scanner.TokenStartCol();
    item->Name = Scanner.TokenText();
    if (!Scanner.Available(1)) return;
    const TScanToken& value = Scanner.TokenRef(1);
    int number = 0;
    if (value.Kind == ttNumber && value.Line == Scanner.TokenLine() && IsAllDigits(value.Text) &&
        TryStrToInt(value.Text, number)) {
      Scanner.Next();
      item->Id = static_cast<std::uint16_t>(number);
      UnitRec().Constants.Add(std::move(item));
    }
  } else if (Is(word, "include")) {
    Scanner.Next();
  }
}

void TCPPProcessor::LoadRCConstants(const std::string& fileName) {
  TUnitRec& unit = UnitRec();
  unit.Constants.Clear();
  if (!platform::FileExists(fileName)) return;

  // Whatever stops the reading, the #define'd identifiers that received no
  // text are not constants of the script.
  struct DropEmpty {
    TStrConstList& list;
    ~DropEmpty() {
      for (int i = list.Count() - 1; i >= 0; --i)
        if (list.Items(i)->Value.empty()) list.Delete(i);
    }
  } dropEmpty{unit.Constants};

  const std::string stem = [&] {
    const std::string name = ExtractFileName(fileName);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
  }();
  const std::string folder = ExtractFilePath(fileName);
  std::string header = platform::FindFileIgnoringCase(folder.empty() ? "." : folder, stem + ".hpp");
  std::vector<unsigned> codePages;
  Scanner.SetCodePage(CodePage);
  if (!header.empty()) {
    LoadSourceLines(header, CodePage, true, Scanner.Lines(), &codePages);
    Scanner.SetLineCodePages(std::move(codePages));
    Scanner.Start();
    while (!Scanner.Eof()) {
      if (At(Scanner, "#") && Scanner.TokenStartCol() == 1) ReadDefine();
      Scanner.Next();
    }
  }

  unit.Encoding = LoadSourceLines(fileName, CodePage, true, Scanner.Lines(), &codePages);
  unit.CodePage = CodePage;
  Scanner.SetLineCodePages(std::move(codePages));
  unit.UnitName = stem + "_RC";
  Scanner.Start();

  while (!Scanner.Eof() && !At(Scanner, "stringtable")) {
    if (At(Scanner, "#")) ReadDefine();
    Scanner.Next();
  }
  InsertLine = 0;
  if (Scanner.Eof()) return;

  Scanner.Next();
  if (Scanner.Eof() || (!At(Scanner, "begin") && !At(Scanner, "{")))
    RCFormatError(fileName, SRCBeginExpected);
  Scanner.Next();
  while (!Scanner.Eof() && !At(Scanner, "end") && !At(Scanner, "}")) {
    if (At(Scanner, "#") && Is(Scanner.TokenRef(1), "pragma")) {
      // A code-page switch may stand between entries; the loader applied it
      // when it decoded the lines.
      const std::int32_t line = Scanner.TokenLine();
      while (!Scanner.Eof() && Scanner.TokenLine() == line) Scanner.Next();
      continue;
    }
    TStrConst* entry = nullptr;
    if (Scanner.TokenKind() == ttNumber) {
      const int number = StrToInt(Scanner.TokenText());
      auto item = std::make_unique<TStrConst>(&unit);
      item->Id = static_cast<std::uint16_t>(number);
      if (item->Id > 45000 && item->Id < NextId) NextId = item->Id;
      entry = item.get();
      unit.Constants.Add(std::move(item));
    } else if (Scanner.TokenKind() == ttIdentifier) {
      const int index = unit.Constants.IndexOfName(Scanner.TokenText());
      if (index < 0) RCFormatError(fileName, SRCNoConstIdentifier);
      entry = unit.Constants.Items(index);
    } else {
      RCFormatError(fileName, SRCNoConstIdentifier);
    }
    entry->FirstLine = entry->LastLine = Scanner.TokenLine();
    entry->StartCol = Scanner.TokenStartCol();
    entry->Name = Scanner.TokenText();
    Scanner.Next();
    if (!Scanner.Eof() && At(Scanner, ",")) Scanner.Next();
    if (Scanner.Eof() || (Scanner.TokenKind() != ttString && Scanner.TokenKind() != ttWideString))
      RCFormatError(fileName, SRCStringExpected);
    entry->Value = Scanner.TokenText();
    entry->Kind = Scanner.TokenKind();
    entry->EndCol = Scanner.TokenEndCol();
    Scanner.Next();
  }
  InsertLine = Scanner.TokenRef(-1).Line;
}

}  // namespace sw
