// The preprocessor of resource scripts (see RcPreprocessor.h): comment
// blanking, integer expressions over macros, conditions, includes.
#include "extract/source/RcPreprocessor.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "extract/source/RcTokenizer.h"
#include "extract/source/SourceErrors.h"
#include "extract/source/SourceReaders.h"
#include "extract/source/WinSymbols.h"
#include "platform/FileSystem.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "base/Numbers.h"
#include "util/Messages.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"

namespace sw {

namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxMacroDepth = 64;
constexpr std::size_t kMaxFiles = 256;  // files read for one script, includes counted

// Blanks the comments of a file's lines (column positions stay), leaving
// string and character literals alone. A block comment may span lines.
void BlankComments(TStringList& lines) {
  bool inBlock = false;
  for (int n = 0; n < lines.Count(); ++n) {
    std::string& line = lines[n];
    std::size_t i = 0;
    while (i < line.size()) {
      if (inBlock) {
        if (line.compare(i, 2, "*/") == 0) {
          line[i] = line[i + 1] = ' ';
          i += 2;
          inBlock = false;
        } else {
          if (!RcIsBlank(line[i])) line[i] = ' ';
          ++i;
        }
        continue;
      }
      const char c = line[i];
      if (c == '"' || c == '\'') {
        // A literal ends at its closing quote or at the end of the line.
        ++i;
        while (i < line.size() && line[i] != c) {
          if (line[i] == '\\' && i + 1 < line.size()) ++i;
          ++i;
        }
        if (i < line.size()) ++i;
        continue;
      }
      if (line.compare(i, 2, "//") == 0) {
        for (std::size_t k = i; k < line.size(); ++k) line[k] = ' ';
        break;
      }
      if (line.compare(i, 2, "/*") == 0) {
        line[i] = line[i + 1] = ' ';
        i += 2;
        inBlock = true;
        continue;
      }
      ++i;
    }
  }
}

// ---- Expressions -----------------------------------------------------------------

struct TExprToken {
  enum Kind { Number, Name, Op, Bad } Type;
  std::string Text;
  std::uint32_t Value = 0;
};

// Reads a C integer literal (with U/L suffixes) or a Pascal "$" hexadecimal
// one; false when malformed.
bool ParseNumber(std::string_view text, std::uint32_t& value) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == 'u' || text[end - 1] == 'U' || text[end - 1] == 'l' || text[end - 1] == 'L'))
    --end;
  const std::string_view digits = text.substr(0, end);
  const bool pascalHex = !digits.empty() && digits[0] == '$';
  if (digits.empty() || ((digits[0] < '0' || digits[0] > '9') && !pascalHex)) return false;
  std::uint64_t v = 0;
  const bool cHex = digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  if (cHex || pascalHex) {
    const std::size_t first = pascalHex ? 1 : 2;
    if (digits.size() == first) return false;
    for (std::size_t i = first; i < digits.size(); ++i) {
      const int h = HexDigit(digits[i]);
      if (h < 0) return false;
      v = ((v << 4) | static_cast<unsigned>(h)) & 0xFFFFFFFFull;
    }
  } else if (digits[0] == '0') {
    for (char c : digits) {
      if (c < '0' || c > '7') return false;
      v = ((v << 3) | static_cast<unsigned>(c - '0')) & 0xFFFFFFFFull;
    }
  } else {
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      v = (v * 10 + static_cast<unsigned>(c - '0')) & 0xFFFFFFFFull;
    }
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

std::vector<TExprToken> TokenizeExpression(std::string_view text) {
  static constexpr const char* kTwo[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
  std::vector<TExprToken> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (RcIsBlank(c)) {
      ++i;
      continue;
    }
    if ((c >= '0' && c <= '9') || c == '$') {
      const std::size_t start = i++;
      while (i < text.size() && (RcIsNameChar(text[i]))) ++i;
      TExprToken token{TExprToken::Number, std::string(text.substr(start, i - start))};
      if (!ParseNumber(token.Text, token.Value)) token.Type = TExprToken::Bad;
      tokens.push_back(std::move(token));
      continue;
    }
    if (RcIsNameStart(c)) {
      const std::size_t start = i;
      while (i < text.size() && RcIsNameChar(text[i])) ++i;
      tokens.push_back({TExprToken::Name, std::string(text.substr(start, i - start))});
      continue;
    }
    bool two = false;
    for (const char* op : kTwo)
      if (text.compare(i, 2, op) == 0) {
        tokens.push_back({TExprToken::Op, op});
        i += 2;
        two = true;
        break;
      }
    if (two) continue;
    if (std::string_view("()+-*/%~!<>&|^,").find(c) != std::string_view::npos)
      tokens.push_back({TExprToken::Op, std::string(1, c)});
    else
      tokens.push_back({TExprToken::Bad, std::string(1, c)});
    ++i;
  }
  return tokens;
}


}  // namespace

// Recursive-descent evaluation over the tokens of one expression; macro
// bodies are evaluated as parenthesised sub-expressions.
class TRcExpression {
 public:
  TRcExpression(const TRcMacros& macros, bool conditional, int depth, long* budget = nullptr)
      : macros_(macros), conditional_(conditional), depth_(depth), budget_(budget ? budget : &ownBudget_) {}

  bool Run(const std::string& text, std::uint32_t& value, std::string& error) {
    tokens_ = TokenizeExpression(text);
    pos_ = 0;
    if (tokens_.empty()) return Fail(SRCExprEmpty, error);
    value = Binary(0);
    if (failed_) {
      error = error_;
      return false;
    }
    if (pos_ != tokens_.size()) return Fail(Format(SRCExprUnexpected, tokens_[pos_].Text), error);
    return true;
  }

 private:
  bool Fail(const std::string& why, std::string& error) {
    error = why;
    return false;
  }
  void SetFailed(const std::string& why) {
    if (!failed_) error_ = why;
    failed_ = true;
  }
  // What stands at the current position, as a message names it.
  std::string Found() const {
    return pos_ < tokens_.size() ? Format(SRCQuoted, tokens_[pos_].Text) : std::string(SRCExprEnd);
  }
  // Fails unless the current token is `op` (the caller passes over it).
  void Expect(const char* op) {
    if (!AtOp(op)) SetFailed(Format(SRCFoundInstead, Format(SRCExpected, op), Found()));
  }
  bool AtOp(const char* op) const {
    return pos_ < tokens_.size() && tokens_[pos_].Type == TExprToken::Op && tokens_[pos_].Text == op;
  }
  static int Precedence(const std::string& op) {
    if (op == "||") return 1;
    if (op == "&&") return 2;
    if (op == "|") return 3;
    if (op == "^") return 4;
    if (op == "&") return 5;
    if (op == "==" || op == "!=") return 6;
    if (op == "<" || op == ">" || op == "<=" || op == ">=") return 7;
    if (op == "<<" || op == ">>") return 8;
    if (op == "+" || op == "-") return 9;
    if (op == "*" || op == "/" || op == "%") return 10;
    return 0;
  }
  std::uint32_t Binary(int minPrecedence) {
    std::uint32_t left = Unary();
    while (!failed_ && pos_ < tokens_.size() && tokens_[pos_].Type == TExprToken::Op) {
      const std::string op = tokens_[pos_].Text;
      const int precedence = Precedence(op);
      if (precedence == 0 || precedence <= minPrecedence) break;
      ++pos_;
      const std::uint32_t right = Binary(precedence);
      if (failed_) return 0;
      left = Apply(op, left, right);
    }
    return left;
  }
  std::uint32_t Apply(const std::string& op, std::uint32_t a, std::uint32_t b) {
    const auto sa = static_cast<std::int32_t>(a), sb = static_cast<std::int32_t>(b);
    if (op == "||") return (a || b) ? 1 : 0;
    if (op == "&&") return (a && b) ? 1 : 0;
    if (op == "|") return a | b;
    if (op == "^") return a ^ b;
    if (op == "&") return a & b;
    if (op == "==") return a == b;
    if (op == "!=") return a != b;
    if (op == "<") return sa < sb;
    if (op == ">") return sa > sb;
    if (op == "<=") return sa <= sb;
    if (op == ">=") return sa >= sb;
    if (op == "<<") return b >= 32 ? 0 : a << b;
    if (op == ">>") return b >= 32 ? 0 : a >> b;
    if (op == "+") return a + b;
    if (op == "-") return a - b;
    if (op == "*") return a * b;
    if (b == 0) {
      SetFailed(SRCExprDivisionByZero);
      return 0;
    }
    if (sb == -1) return op == "/" ? 0u - a : 0u;  // no overflow trap on INT_MIN / -1
    return static_cast<std::uint32_t>(op == "/" ? sa / sb : sa % sb);
  }
  std::uint32_t Unary() {
    if (pos_ >= tokens_.size()) {
      SetFailed(SRCExprEndsEarly);
      return 0;
    }
    // Hostile input: nesting and macro expansion are bounded.
    if (++nesting_ > kMaxNesting) {
      SetFailed(SRCExprTooDeep);
      return 0;
    }
    struct Leave {
      int& n;
      ~Leave() { --n; }
    } leave{nesting_};
    const TExprToken& token = tokens_[pos_];
    if (token.Type == TExprToken::Op) {
      ++pos_;
      if (token.Text == "-") return 0u - Unary();
      if (token.Text == "+") return Unary();
      if (token.Text == "~") return ~Unary();
      if (token.Text == "!") return Unary() == 0 ? 1 : 0;
      if (token.Text == "(") {
        const std::uint32_t value = Binary(0);
        if (!failed_) Expect(")");
        ++pos_;
        return value;
      }
      SetFailed(Format(SRCExprUnexpected, token.Text));
      return 0;
    }
    ++pos_;
    if (token.Type == TExprToken::Number) return token.Value;
    if (token.Type == TExprToken::Bad) {
      SetFailed(Format(SRCBadNumber, token.Text));
      return 0;
    }
    return Name(token.Text);
  }
  std::uint32_t Name(const std::string& name) {
    if (conditional_ && name == "defined") {
      const bool paren = AtOp("(");
      if (paren) ++pos_;
      if (pos_ >= tokens_.size() || tokens_[pos_].Type != TExprToken::Name) {
        SetFailed(Format(SRCFoundInstead, SRCExprNameAfterDefined, Found()));
        return 0;
      }
      const bool defined = macros_.Defined(tokens_[pos_].Text);
      ++pos_;
      if (paren) {
        Expect(")");
        ++pos_;
      }
      return defined ? 1 : 0;
    }
    if (name == "MAKELANGID" && AtOp("(")) {
      ++pos_;
      const std::uint32_t primary = Binary(0);
      Expect(",");
      ++pos_;
      const std::uint32_t sub = Binary(0);
      Expect(")");
      ++pos_;
      return ((sub & 0x3F) << 10) | (primary & 0x3FF);
    }
    // Identifiers of string tables have always been found without regard
    // to case; conditions compare exactly, as the preprocessor does.
    const TRcMacros::TMacro* macro = macros_.Find(name, !conditional_);
    std::uint32_t value = 0;
    if (macro && macro->Body.empty() && !conditional_ && FindWindowsSymbol(name, value)) return value;
    if (macro) {
      if (macro->Function) {
        SetFailed(Format(SRCExprTakesArguments, name));
        return 0;
      }
      if (depth_ >= kMaxMacroDepth) {
        SetFailed(Format(SRCExprRecursive, name));
        return 0;
      }
      if (--*budget_ < 0) {
        SetFailed(SRCExprTooManyExpansions);
        return 0;
      }
      TRcExpression inner(macros_, conditional_, depth_ + 1, budget_);
      std::string error;
      if (!inner.Run(macro->Body, value, error)) SetFailed(Format(SRCExprInMacro, name, error));
      return value;
    }
    if (FindWindowsSymbol(name, value)) return value;
    if (conditional_) return 0;
    SetFailed(Format(SRCExprUnknown, name));
    return 0;
  }

  static constexpr int kMaxNesting = 200;
  const TRcMacros& macros_;
  bool conditional_;
  int depth_;
  long ownBudget_ = 10000;
  long* budget_;
  int nesting_ = 0;
  std::vector<TExprToken> tokens_;
  std::size_t pos_ = 0;
  bool failed_ = false;
  std::string error_;
};

// ---- Macros -------------------------------------------------------------------------

void TRcMacros::Define(const std::string& name, const std::string& body, bool function) {
  auto order = firstOrder_.find(name);
  if (order == firstOrder_.end()) order = firstOrder_.emplace(name, nextOrder_++).first;
  macros_[name] = TMacro{body, function, order->second};
}

void TRcMacros::Undefine(const std::string& name) { macros_.erase(name); }

bool TRcMacros::Defined(const std::string& name) const { return macros_.count(name) != 0; }

const TRcMacros::TMacro* TRcMacros::Find(const std::string& name, bool anyCase) const {
  const auto it = macros_.find(name);
  if (it != macros_.end()) return &it->second;
  if (anyCase)
    for (const auto& [other, macro] : macros_)
      if (SameText(other, name)) return &macro;
  return nullptr;
}

long TRcMacros::DefineOrder(const std::string& name) const {
  const TMacro* macro = Find(name, true);
  return macro ? macro->Order : -1;
}

bool TRcMacros::Evaluate(const std::string& text, bool conditional, std::uint32_t& value, std::string* error) const {
  TRcExpression expression(*this, conditional, 0);
  std::string why;
  const bool ok = expression.Run(text, value, why);
  if (!ok && error) *error = why;
  return ok;
}

// ---- Preprocessor ---------------------------------------------------------------------

namespace {

// Finds `name` (which may hold folders, with either slash) below `folder`,
// each part exactly or else without regard to case.
std::string ResolveInclude(const std::string& folder, std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  if (!name.empty() && name[0] == '/') return platform::FileExists(name) ? name : std::string();
  std::string current = folder.empty() ? "." : folder;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t slash = name.find('/', start);
    if (slash == std::string::npos) slash = name.size();
    const std::string part = name.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      current += "/..";
      continue;
    }
    // Each part exactly, else one that differs only in the case of letters.
    std::error_code error;
    const std::filesystem::path exact = std::filesystem::path(current) / part;
    if (std::filesystem::exists(exact, error)) {
      current = exact.string();
      continue;
    }
    std::string found;
    for (std::filesystem::directory_iterator it(current, error), end; !error && it != end; it.increment(error))
      if (SameText(it->path().filename().string(), part)) {
        found = it->path().string();
        break;
      }
    if (found.empty()) return std::string();
    current = found;
  }
  return platform::FileExists(current) ? current : std::string();
}

// Headers and scripts of the system and its frameworks: scripts often name
// them in quotes too; when the folder does not hold them they are not missed.
bool IsSystemInclude(std::string name) {
  static constexpr const char* kNames[] = {
      "windows.h", "winres.h",   "winresrc.h", "windres.h", "newres.h", "afxres.h", "afxres.rc", "winver.h",
      "winuser.h", "winnt.h",    "commctrl.h", "richedit.h", "dlgs.h", "winuser.rh", "ntverp.h", "common.ver",
      "vcl.h",     "afxprint.rc", "afxdb.rc",  "afxolecl.rc", "afxolesv.rc", "atlres.h", "wx/msw/wx.rc"};
  name = LowerAscii(name);
  std::replace(name.begin(), name.end(), '\\', '/');
  const std::size_t slash = name.rfind('/');
  const std::string base = slash == std::string::npos || name.rfind("wx/", 0) == 0 ? name : name.substr(slash + 1);
  return std::find(std::begin(kNames), std::end(kNames), base) != std::end(kNames);
}

// Files whose text is C (headers): only their directives count.
bool IsHeaderLike(const std::string& fileName) {
  const std::string ext = LowerAscii(ExtractFileExt(fileName));
  return ext == ".h" || ext == ".hpp" || ext == ".hh" || ext == ".hxx" || ext == ".c" || ext == ".cpp" ||
         ext == ".inl";
}

// A path that names the same file whatever way it was reached.
std::string CanonicalPath(const std::string& path) {
  std::error_code error;
  const auto canonical = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
  return error ? path : canonical.string();
}


}  // namespace

std::string TRcFileAccess::ReadFile(const std::string& path) const {
  return Read ? Read(path) : platform::ReadRegularFile(path);
}

std::string FindRcLookup(const TRcLookup& lookup) {
  if (lookup.Kind == TRcLookup::OwnHeader)
    return platform::FindFileIgnoringCase(lookup.Folder.empty() ? "." : lookup.Folder, lookup.Name);
  return ResolveInclude(lookup.Folder, lookup.Name);
}

void ReadRcHeaderDefines(const std::string& fileName, unsigned codePage, TRcMacros& macros, TRcFileAccess* files) {
  TStringList lines;
  std::vector<unsigned> codePages;
  DecodeSourceLines(files ? files->ReadFile(fileName) : platform::ReadRegularFile(fileName), codePage, true, lines,
                    &codePages);
  BlankComments(lines);
  for (int n = 0; n < lines.Count(); ++n) {
    const std::string& line = lines[n];
    if (line.empty() || line[0] != '#') continue;
    std::size_t i = 1;
    while (i < line.size() && RcIsBlank(line[i])) ++i;
    if (line.compare(i, 6, "define") != 0 || i + 6 >= line.size() || !RcIsBlank(line[i + 6])) continue;
    i += 6;
    while (i < line.size() && RcIsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && RcIsNameChar(line[i])) ++i;
    if (i == start) continue;
    const std::string name = line.substr(start, i - start);
    const bool function = i < line.size() && line[i] == '(';
    macros.Define(name, RcTrimmed(std::string_view(line).substr(i)), function);
  }
}

TRcSourceLine TRcText::Origin(int line) const {
  if (line >= 0 && static_cast<std::size_t>(line) < Origins.size()) return Origins[static_cast<std::size_t>(line)];
  if (!Origins.empty() && line >= 0) return Origins.back();
  return TRcSourceLine{0, 0};
}

void TRcPreprocessor::SkipHeader(const std::string& fileName) { skipped_.insert(CanonicalPath(fileName)); }

void TRcPreprocessor::Run(const std::string& fileName, TRcText& text) {
  text_ = &text;
  conditions_.clear();
  Preprocess(fileName, true, 0);
  text_ = nullptr;
}

void TRcPreprocessor::Preprocess(const std::string& fileName, bool keepText, int depth) {
  TRcText& out = *text_;
  const int fileIndex = static_cast<int>(out.Files.size());
  out.Files.push_back(fileName);
  TStringList lines;
  std::vector<unsigned> codePages;
  const TextEncoding encoding =
      DecodeSourceLines(files_ ? files_->ReadFile(fileName) : platform::ReadRegularFile(fileName), codePage_, true,
                        lines, &codePages);
  if (fileIndex == 0) out.Encoding = encoding;
  BlankComments(lines);
  const std::size_t conditionDepth = conditions_.size();

  for (int n = 0; n < lines.Count(); ++n) {
    std::string line = lines[n];
    std::size_t i = 0;
    while (i < line.size() && RcIsBlank(line[i])) ++i;
    if (i < line.size() && line[i] == '#') {
      // A directive, continued by a backslash at the end of its lines.
      const int first = n;
      while (!line.empty() && RcTrimmed(line).size() > 0 && RcTrimmed(line).back() == '\\' && n + 1 < lines.Count()) {
        std::string trimmed = RcTrimmed(line);
        trimmed.pop_back();
        line = trimmed + " " + lines[++n];
      }
      Directive(line.substr(i + 1), fileIndex, first, depth);
      if (keepText)
        for (int k = first; k <= n; ++k) {
          out.Lines.Add(std::string());
          out.CodePages.push_back(codePages[static_cast<std::size_t>(k)]);
          out.Origins.push_back({fileIndex, k});
        }
      continue;
    }
    if (!keepText) continue;
    out.Lines.Add(Active() ? line : std::string());
    out.CodePages.push_back(codePages[static_cast<std::size_t>(n)]);
    out.Origins.push_back({fileIndex, n});
  }
  if (conditions_.size() > conditionDepth) {
    warnings_.push_back(Format(SRCWarnUnclosed, fileName));
    conditions_.resize(conditionDepth);
  }
}

void TRcPreprocessor::Directive(const std::string& rest, int fileIndex, int lineIndex, int depth) {
  std::size_t i = 0;
  while (i < rest.size() && RcIsBlank(rest[i])) ++i;
  const std::size_t start = i;
  while (i < rest.size() && RcIsNameChar(rest[i])) ++i;
  const std::string word = rest.substr(start, i - start);
  const std::string argument = RcTrimmed(std::string_view(rest).substr(i));
  // A copy: an include adds to the list of files.
  const std::string file = text_->Files[static_cast<std::size_t>(fileIndex)];

  auto condition = [&](const std::string& expression) {
    std::uint32_t value = 0;
    std::string error;
    if (macros_.Evaluate(expression, true, value, &error)) return value != 0;
    warnings_.push_back(Format(SRCWarnCondition, file, lineIndex, error));
    return false;
  };
  auto firstName = [](const std::string& text) {
    std::size_t k = 0;
    while (k < text.size() && RcIsNameChar(text[k])) ++k;
    return text.substr(0, k);
  };

  if (word == "if" || word == "ifdef" || word == "ifndef") {
    TCondition c;
    c.ParentActive = Active();
    if (c.ParentActive) {
      if (word == "if")
        c.Active = condition(argument);
      else
        c.Active = macros_.Defined(firstName(argument)) == (word == "ifdef");
    } else {
      c.Active = false;
    }
    c.Taken = c.Active;
    conditions_.push_back(c);
    return;
  }
  if (word == "elif" || word == "else" || word == "endif") {
    if (conditions_.empty()) {
      warnings_.push_back(Format(SRCWarnUnbalanced, file, lineIndex, word));
      return;
    }
    TCondition& c = conditions_.back();
    if (word == "endif") {
      conditions_.pop_back();
    } else if (word == "else") {
      c.Active = c.ParentActive && !c.Taken && !c.SawElse;
      c.Taken = c.Taken || c.Active;
      c.SawElse = true;
    } else {
      c.Active = c.ParentActive && !c.Taken && !c.SawElse && condition(argument);
      c.Taken = c.Taken || c.Active;
    }
    return;
  }
  if (!Active()) return;

  if (word == "define") {
    const std::string name = firstName(argument);
    if (name.empty()) return;
    const bool function = argument.size() > name.size() && argument[name.size()] == '(';
    macros_.Define(name, RcTrimmed(std::string_view(argument).substr(name.size())), function);
  } else if (word == "undef") {
    macros_.Undefine(firstName(argument));
  } else if (word == "include") {
    if (argument.size() >= 2 && (argument[0] == '"' || argument[0] == '<')) {
      const char close = argument[0] == '"' ? '"' : '>';
      const std::size_t end = argument.find(close, 1);
      if (end == std::string::npos)
        RaiseRcScriptError(file, lineIndex, Format(SRCFoundInstead, Format(SRCExpected, std::string(1, close)), SRCEndOfLine));
      Include(argument.substr(1, end - 1), close == '>', fileIndex, lineIndex, depth);
    } else {
      RaiseRcScriptError(file, lineIndex, Format(SRCFoundInstead, SRCIncludeNameExpected,
                                                 argument.empty() ? std::string(SRCEndOfLine)
                                                                  : Format(SRCQuoted, argument)));
    }
  } else if (word == "pragma") {
    if (firstName(argument) == "once") skipped_.insert(CanonicalPath(file));
  } else if (word == "error") {
    warnings_.push_back(Format(SRCWarnError, file, lineIndex, argument));
  }
  // Every other directive (#line, #pragma code_page, which the line loader
  // applied, #message, ...) is passed over.
}

void TRcPreprocessor::Include(const std::string& name, bool angle, int fileIndex, int lineIndex, int depth) {
  const std::string from = text_->Files[static_cast<std::size_t>(fileIndex)];
  const std::string path = ResolveInclude(ExtractFilePath(from), name);
  if (files_) files_->Lookups.push_back({TRcLookup::Include, ExtractFilePath(from), name, path});
  if (path.empty()) {
    // System headers are not read: their symbols that matter are built in.
    if (angle || IsSystemInclude(name)) return;
    RaiseRcScriptError(from, lineIndex, Format(SRCIncludeMissing, name));
  }
  const std::string canonical = CanonicalPath(path);
  if (skipped_.count(canonical)) return;
  if (depth >= kMaxIncludeDepth || text_->Files.size() >= kMaxFiles) {
    warnings_.push_back(Format(SRCWarnIncludeDepth, from, lineIndex, name));
    return;
  }
  Preprocess(path, !IsHeaderLike(path), depth + 1);
}

}  // namespace sw
