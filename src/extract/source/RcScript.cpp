// Resource scripts as the resource compiler reads them (see RcScript.h): the
// comment blanking, the integer expressions, the preprocessor, the statement
// reader and the choice of language.
#include "extract/source/RcScript.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>

#include "extract/source/QScanner.h"
#include "extract/source/SrcProcs.h"
#include "extract/source/WinSymbols.h"
#include "platform/FileSystem.h"
#include "base/Exceptions.h"
#include "base/Unicode.h"
#include "util/QConsts.h"
#include "util/QStrings.h"

namespace sw {

namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxMacroDepth = 64;
constexpr std::size_t kMaxFiles = 256;  // files read for one script, includes counted

// Messages of the resource-script reader.
constexpr const char* SRCBadNumber = "\"%s\" is not a number";
constexpr const char* SRCIdTooLarge = "String id %u does not fit in 16 bits";
constexpr const char* SRCNarrowEscape = "Escape code \"%s\" does not fit in a narrow string";
constexpr const char* SRCWarnDuplicate = "%s line %d: string id %u already has a text (line %d); this one is ignored";
constexpr const char* SRCWarnIncludeMissing = "%s line %d: include file \"%s\" not found";
constexpr const char* SRCWarnIncludeDepth = "%s line %d: includes nested too deeply (or too many), \"%s\" not read";
constexpr const char* SRCWarnCondition = "%s line %d: condition not understood (%s), taken as false";
constexpr const char* SRCWarnUnbalanced = "%s line %d: #%s without #if";
constexpr const char* SRCWarnUnclosed = "%s: #if without #endif";
constexpr const char* SRCWarnSurrogate = "%s line %d: \\x%04X is half a surrogate pair, kept as U+FFFD";
constexpr const char* SRCWarnError = "%s line %d: #error %s";

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Trimmed(std::string_view s) {
  std::size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return std::string(s.substr(a, b - a));
}

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
          if (!IsBlank(line[i])) line[i] = ' ';
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

// Reads a C integer literal (with U/L suffixes); false when malformed.
bool ParseNumber(std::string_view text, std::uint32_t& value) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == 'u' || text[end - 1] == 'U' || text[end - 1] == 'l' || text[end - 1] == 'L'))
    --end;
  const std::string_view digits = text.substr(0, end);
  if (digits.empty() || digits[0] < '0' || digits[0] > '9') return false;
  std::uint64_t v = 0;
  if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    if (digits.size() == 2) return false;
    for (std::size_t i = 2; i < digits.size(); ++i) {
      const int h = HexValue(digits[i]);
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
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c >= '0' && c <= '9') {
      const std::size_t start = i;
      while (i < text.size() && (IsNameChar(text[i]))) ++i;
      TExprToken token{TExprToken::Number, std::string(text.substr(start, i - start))};
      if (!ParseNumber(token.Text, token.Value)) token.Type = TExprToken::Bad;
      tokens.push_back(std::move(token));
      continue;
    }
    if (IsNameStart(c)) {
      const std::size_t start = i;
      while (i < text.size() && IsNameChar(text[i])) ++i;
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
    if (tokens_.empty()) return Fail("empty expression", error);
    value = Binary(0);
    if (failed_) {
      error = error_;
      return false;
    }
    if (pos_ != tokens_.size()) return Fail("\"" + tokens_[pos_].Text + "\" unexpected", error);
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
      SetFailed("division by zero");
      return 0;
    }
    if (sb == -1) return op == "/" ? 0u - a : 0u;  // no overflow trap on INT_MIN / -1
    return static_cast<std::uint32_t>(op == "/" ? sa / sb : sa % sb);
  }
  std::uint32_t Unary() {
    if (pos_ >= tokens_.size()) {
      SetFailed("expression ends too early");
      return 0;
    }
    // Hostile input: nesting and macro expansion are bounded.
    if (++nesting_ > kMaxNesting) {
      SetFailed("expression nested too deeply");
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
        if (!failed_ && !AtOp(")")) SetFailed("\")\" expected");
        ++pos_;
        return value;
      }
      SetFailed("\"" + token.Text + "\" unexpected");
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
        SetFailed("a name must follow \"defined\"");
        return 0;
      }
      const bool defined = macros_.Defined(tokens_[pos_].Text);
      ++pos_;
      if (paren) {
        if (!AtOp(")")) SetFailed("\")\" expected");
        ++pos_;
      }
      return defined ? 1 : 0;
    }
    if (name == "MAKELANGID" && AtOp("(")) {
      ++pos_;
      const std::uint32_t primary = Binary(0);
      if (!AtOp(",")) SetFailed("\",\" expected");
      ++pos_;
      const std::uint32_t sub = Binary(0);
      if (!AtOp(")")) SetFailed("\")\" expected");
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
        SetFailed("\"" + name + "\" takes arguments");
        return 0;
      }
      if (depth_ >= kMaxMacroDepth) {
        SetFailed("\"" + name + "\" refers to itself");
        return 0;
      }
      if (--*budget_ < 0) {
        SetFailed("too many macro expansions");
        return 0;
      }
      TRcExpression inner(macros_, conditional_, depth_ + 1, budget_);
      std::string error;
      if (!inner.Run(macro->Body, value, error)) SetFailed("\"" + name + "\": " + error);
      return value;
    }
    if (FindWindowsSymbol(name, value)) return value;
    if (conditional_) return 0;
    SetFailed("\"" + name + "\" unknown");
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

void TRcScriptReader::ReadOwnHeader(const std::string& fileName) {
  ownHeader_ = CanonicalPath(fileName);
  TStringList lines;
  std::vector<unsigned> codePages;
  LoadSourceLines(fileName, CodePage, true, lines, &codePages);
  BlankComments(lines);
  for (int n = 0; n < lines.Count(); ++n) {
    const std::string& line = lines[n];
    if (line.empty() || line[0] != '#') continue;
    std::size_t i = 1;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (line.compare(i, 6, "define") != 0 || i + 6 >= line.size() || !IsBlank(line[i + 6])) continue;
    i += 6;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && IsNameChar(line[i])) ++i;
    if (i == start) continue;
    const std::string name = line.substr(start, i - start);
    const bool function = i < line.size() && line[i] == '(';
    Macros.Define(name, Trimmed(std::string_view(line).substr(i)), function);
  }
}

void TRcScriptReader::Read(const std::string& fileName, TRcScript& result) {
  Macros.Define("RC_INVOKED", "1");
  Macros.Define("_WIN32", "1");
  lines_.Clear();
  codePages_.clear();
  origins_.clear();
  conditions_.clear();
  Preprocess(fileName, true, 0, result);
  Parse(result);
}

void TRcScriptReader::Preprocess(const std::string& fileName, bool text, int depth, TRcScript& result) {
  const int fileIndex = static_cast<int>(files_.size());
  files_.push_back(fileName);
  TStringList lines;
  std::vector<unsigned> codePages;
  const TextEncoding encoding = LoadSourceLines(fileName, CodePage, true, lines, &codePages);
  if (fileIndex == 0) result.Encoding = encoding;
  BlankComments(lines);
  const std::size_t conditionDepth = conditions_.size();

  for (int n = 0; n < lines.Count(); ++n) {
    std::string line = lines[n];
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size() && line[i] == '#') {
      // A directive, continued by a backslash at the end of its lines.
      const int first = n;
      while (!line.empty() && Trimmed(line).size() > 0 && Trimmed(line).back() == '\\' && n + 1 < lines.Count()) {
        std::string trimmed = Trimmed(line);
        trimmed.pop_back();
        line = trimmed + " " + lines[++n];
      }
      Directive(line.substr(i + 1), fileIndex, first, depth, result);
      if (text)
        for (int k = first; k <= n; ++k) {
          lines_.Add(std::string());
          codePages_.push_back(codePages[static_cast<std::size_t>(k)]);
          origins_.push_back({fileIndex, k});
        }
      continue;
    }
    if (!text) continue;
    lines_.Add(Active() ? line : std::string());
    codePages_.push_back(codePages[static_cast<std::size_t>(n)]);
    origins_.push_back({fileIndex, n});
  }
  if (conditions_.size() > conditionDepth) {
    result.Warnings.push_back(Format(SRCWarnUnclosed, fileName));
    conditions_.resize(conditionDepth);
  }
}

void TRcScriptReader::Directive(const std::string& rest, int fileIndex, int lineIndex, int depth, TRcScript& result) {
  std::size_t i = 0;
  while (i < rest.size() && IsBlank(rest[i])) ++i;
  const std::size_t start = i;
  while (i < rest.size() && IsNameChar(rest[i])) ++i;
  const std::string word = rest.substr(start, i - start);
  const std::string argument = Trimmed(std::string_view(rest).substr(i));
  const std::string& file = files_[static_cast<std::size_t>(fileIndex)];

  auto condition = [&](const std::string& expression) {
    std::uint32_t value = 0;
    std::string error;
    if (Macros.Evaluate(expression, true, value, &error)) return value != 0;
    result.Warnings.push_back(Format(SRCWarnCondition, file, lineIndex, error));
    return false;
  };
  auto firstName = [](const std::string& text) {
    std::size_t k = 0;
    while (k < text.size() && IsNameChar(text[k])) ++k;
    return text.substr(0, k);
  };

  if (word == "if" || word == "ifdef" || word == "ifndef") {
    TCondition c;
    c.ParentActive = Active();
    if (c.ParentActive) {
      if (word == "if")
        c.Active = condition(argument);
      else
        c.Active = Macros.Defined(firstName(argument)) == (word == "ifdef");
    } else {
      c.Active = false;
    }
    c.Taken = c.Active;
    conditions_.push_back(c);
    return;
  }
  if (word == "elif" || word == "else" || word == "endif") {
    if (conditions_.empty()) {
      result.Warnings.push_back(Format(SRCWarnUnbalanced, file, lineIndex, word));
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
    Macros.Define(name, Trimmed(std::string_view(argument).substr(name.size())), function);
  } else if (word == "undef") {
    Macros.Undefine(firstName(argument));
  } else if (word == "include") {
    if (argument.size() >= 2 && (argument[0] == '"' || argument[0] == '<')) {
      const char close = argument[0] == '"' ? '"' : '>';
      const std::size_t end = argument.find(close, 1);
      if (end != std::string::npos)
        Include(argument.substr(1, end - 1), close == '>', fileIndex, lineIndex, depth, result);
    }
  } else if (word == "pragma") {
    if (firstName(argument) == "once") onceFiles_.insert(CanonicalPath(file));
  } else if (word == "error") {
    result.Warnings.push_back(Format(SRCWarnError, file, lineIndex, argument));
  }
  // Every other directive (#line, #pragma code_page, which the line loader
  // applied, #message, ...) is passed over.
}

void TRcScriptReader::Include(const std::string& name, bool angle, int fileIndex, int lineIndex, int depth,
                              TRcScript& result) {
  const std::string& from = files_[static_cast<std::size_t>(fileIndex)];
  const std::string path = ResolveInclude(ExtractFilePath(from), name);
  if (path.empty()) {
    // System headers are not read: their symbols that matter are built in.
    if (!angle && !IsSystemInclude(name))
      result.Warnings.push_back(Format(SRCWarnIncludeMissing, from, lineIndex, name));
    return;
  }
  const std::string canonical = CanonicalPath(path);
  if (canonical == ownHeader_ || onceFiles_.count(canonical)) return;
  if (depth >= kMaxIncludeDepth || files_.size() >= kMaxFiles) {
    result.Warnings.push_back(Format(SRCWarnIncludeDepth, from, lineIndex, name));
    return;
  }
  Preprocess(path, !IsHeaderLike(path), depth + 1, result);
}

// ---- Statements ------------------------------------------------------------------------

namespace {

struct TRcToken {
  enum Kind { End, Word, String, Punct, BadString } Type = End;
  std::string Text;   // words and punctuation as written; strings: the decoded value
  bool Wide = false;
  int Line = 0;       // index into the combined lines
  int StartCol = 0;   // one-based
  int EndCol = 0;     // one-based, just after
  std::string Error;  // a string whose escape could not be read
  std::vector<std::uint32_t> Surrogates;  // lone halves met in a wide string
};

bool IsPunct(char c) { return std::string_view(",{}()+-*/%|&^~!<>=;").find(c) != std::string_view::npos; }

// Decodes a string literal starting at the quote at `i` (after an optional
// L prefix); `i` ends past the closing quote.
bool ReadRcString(const std::string& line, std::size_t& i, bool wide, unsigned codePage, TRcToken& token) {
  std::string& out = token.Text;
  std::string bytes;     // narrow codes waiting for their code page
  std::u16string units;  // wide codes waiting to become UTF-8
  auto flush = [&] {
    if (!bytes.empty()) out += DecodeAnsiToUtf8(bytes, codePage), bytes.clear();
    if (!units.empty()) {
      std::u16string clean;
      for (std::size_t k = 0; k < units.size(); ++k) {
        const char16_t u = units[k];
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF) {
          clean += u;
          clean += units[++k];
        } else if (u >= 0xD800 && u <= 0xDFFF) {
          token.Surrogates.push_back(u);
          clean += u'\xFFFD';
        } else {
          clean += u;
        }
      }
      out += Utf16ToUtf8(clean);
      units.clear();
    }
  };
  auto code = [&](std::uint32_t value, const std::string& written) {
    if (wide) {
      units += static_cast<char16_t>(value);
    } else if (value > 0xFF) {
      if (token.Error.empty()) token.Error = Format(SRCNarrowEscape, written);
    } else {
      if (!units.empty()) flush();
      bytes += static_cast<char>(value);
    }
  };
  auto text = [&](std::string_view s) {
    flush();
    out.append(s);
  };

  ++i;  // the opening quote
  while (i < line.size()) {
    const char c = line[i];
    if (c == '"') {
      if (i + 1 < line.size() && line[i + 1] == '"') {
        text("\"");
        i += 2;
        continue;
      }
      ++i;
      flush();
      return true;
    }
    if (c != '\\' || i + 1 >= line.size()) {
      text(std::string_view(line).substr(i, 1));
      ++i;
      continue;
    }
    const std::size_t escape = i;
    const char e = line[i + 1];
    i += 2;
    switch (e) {
      case 'n': text("\n"); break;
      case 'r': text("\r"); break;
      case 't': case 'T': text("\t"); break;
      case 'a': text("\a"); break;
      case 'A': text("\b"); break;
      case 'b': text("\b"); break;
      case 'f': text("\f"); break;
      case 'v': text("\v"); break;
      case '\\': text("\\"); break;
      case '"': text("\""); break;
      case 'x': case 'X': {
        const std::size_t digits = i;
        std::uint32_t value = 0;
        while (i < line.size() && i - digits < (wide ? 4u : 2u) && HexValue(line[i]) >= 0)
          value = (value << 4) | static_cast<unsigned>(HexValue(line[i++]));
        code(value, line.substr(escape, i - escape));
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          std::uint32_t value = static_cast<unsigned>(e - '0');
          while (i < line.size() && i - escape < 4 && line[i] >= '0' && line[i] <= '7')
            value = (value << 3) | static_cast<unsigned>(line[i++] - '0');
          code(value, line.substr(escape, i - escape));
        } else {
          // Not an escape: the backslash stands for itself.
          text("\\");
          i = escape + 1;
        }
    }
  }
  flush();
  return false;
}

class TRcTokenizer {
 public:
  TRcTokenizer(const TStringList& lines, const std::vector<unsigned>& codePages, unsigned codePage)
      : lines_(lines), codePages_(codePages), codePage_(codePage) {}

  TRcToken Next() {
    TRcToken token;
    while (line_ < lines_.Count()) {
      const std::string& line = lines_[line_];
      while (col_ < line.size() && IsBlank(line[col_])) ++col_;
      if (col_ >= line.size()) {
        ++line_;
        col_ = 0;
        continue;
      }
      token.Line = line_;
      token.StartCol = static_cast<int>(col_) + 1;
      const char c = line[col_];
      const bool widePrefix = (c == 'L' || c == 'l') && col_ + 1 < line.size() && line[col_ + 1] == '"';
      if (c == '"' || widePrefix) {
        if (widePrefix) ++col_;
        token.Wide = widePrefix;
        const unsigned cp = static_cast<std::size_t>(line_) < codePages_.size() && codePages_[line_] != 0
                                ? codePages_[line_]
                                : codePage_;
        token.Type = ReadRcString(line, col_, widePrefix, cp, token) ? TRcToken::String : TRcToken::BadString;
      } else if (IsPunct(c)) {
        static constexpr const char* kTwo[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
        token.Type = TRcToken::Punct;
        token.Text = std::string(1, c);
        for (const char* op : kTwo)
          if (line.compare(col_, 2, op) == 0) token.Text = op;
        col_ += token.Text.size();
      } else {
        const std::size_t start = col_;
        while (col_ < line.size() && !IsBlank(line[col_]) && !IsPunct(line[col_]) && line[col_] != '"') ++col_;
        token.Type = TRcToken::Word;
        token.Text = line.substr(start, col_ - start);
      }
      token.EndCol = static_cast<int>(col_) + 1;
      return token;
    }
    token.Type = TRcToken::End;
    token.Line = lines_.Count() > 0 ? lines_.Count() - 1 : 0;
    return token;
  }

 private:
  const TStringList& lines_;
  const std::vector<unsigned>& codePages_;
  unsigned codePage_;
  int line_ = 0;
  std::size_t col_ = 0;
};

bool IsWord(const TRcToken& token, const char* upper) {
  return token.Type == TRcToken::Word && UpperAscii(token.Text) == upper;
}

bool IsMemoryFlag(const TRcToken& token) {
  static constexpr const char* kFlags[] = {"DISCARDABLE", "PRELOAD", "LOADONCALL", "MOVEABLE", "FIXED",
                                           "PURE",        "IMPURE",  "SHARED",     "NONSHARED"};
  if (token.Type != TRcToken::Word) return false;
  const std::string upper = UpperAscii(token.Text);
  return std::find(std::begin(kFlags), std::end(kFlags), upper) != std::end(kFlags);
}

bool IsBlockOpen(const TRcToken& token) {
  return IsWord(token, "BEGIN") || (token.Type == TRcToken::Punct && token.Text == "{");
}
bool IsBlockClose(const TRcToken& token) {
  return IsWord(token, "END") || (token.Type == TRcToken::Punct && token.Text == "}");
}

// Resource types whose statement is "name TYPE file".
bool IsFileResourceType(const TRcToken& token) {
  static constexpr const char* kTypes[] = {"ICON", "CURSOR", "BITMAP", "FONT", "HTML", "MESSAGETABLE",
                                           "ANICURSOR", "ANIICON", "PLUGPLAY", "VXD"};
  if (token.Type != TRcToken::Word) return false;
  const std::string upper = UpperAscii(token.Text);
  return std::find(std::begin(kTypes), std::end(kTypes), upper) != std::end(kTypes);
}

// The statement reader: a token stream with one token of look-ahead.
class TRcParser {
 public:
  TRcParser(TRcTokenizer& tokenizer, const TRcMacros& macros, const std::function<void(int, const std::string&)>& fail)
      : tokenizer_(tokenizer), macros_(macros), fail_(fail) {
    current_ = tokenizer_.Next();
    next_ = tokenizer_.Next();
  }

  const TRcToken& Current() const { return current_; }
  const TRcToken& Peek() const { return next_; }
  const TRcToken& Previous() const { return previous_; }
  bool AtEnd() const { return current_.Type == TRcToken::End; }
  void Advance() {
    if (AtEnd()) return;
    previous_ = std::move(current_);
    current_ = std::move(next_);
    next_ = tokenizer_.Next();
  }
  [[noreturn]] void Fail(const std::string& detail) {
    fail_(AtEnd() ? previous_.Line : current_.Line, detail);
    throw std::logic_error("unreachable");
  }

  // Reads an integer expression: the longest run of tokens that forms one.
  // `written` receives its text as written (tokens joined by blanks).
  std::uint32_t Expression(std::string& written, const char* failDetail) {
    std::string text;
    int depth = 0;
    bool expectOperand = true;
    int count = 0;
    while (!AtEnd()) {
      const TRcToken& t = current_;
      if (t.Type == TRcToken::Word) {
        if (!expectOperand) break;
        expectOperand = false;
      } else if (t.Type == TRcToken::Punct) {
        const std::string& p = t.Text;
        if (p == "(") {
          // An operand or the arguments of a macro call (MAKELANGID(...)).
          if (!expectOperand && !(count > 0 && Previous().Type == TRcToken::Word)) break;
          ++depth;
          expectOperand = true;
        } else if (p == ")") {
          if (depth == 0 || expectOperand) break;
          --depth;
        } else if (p == "~" || p == "!") {
          if (!expectOperand) break;
        } else if (p == "-" || p == "+") {
          expectOperand = true;
        } else if (p == "," || p == "{" || p == "}" || p == ";" || p == "=") {
          if (depth == 0) break;
          expectOperand = true;
        } else {
          if (expectOperand) break;
          expectOperand = true;
        }
      } else {
        break;
      }
      if (!text.empty()) text += ' ';
      text += t.Text;
      ++count;
      Advance();
    }
    written = text;
    if (count == 0) Fail(failDetail);
    std::uint32_t value = 0;
    std::string error;
    if (!macros_.Evaluate(text, false, value, &error)) {
      // An unknown name keeps the loader's long-standing message; a bad
      // number says which.
      Fail(error.find("not a number") != std::string::npos ? error : failDetail);
    }
    return value;
  }

  // Passes over a BEGIN/END or brace block with everything nested in it.
  void SkipBlock() {
    int depth = 0;
    while (!AtEnd()) {
      if (IsBlockOpen(current_)) ++depth;
      else if (IsBlockClose(current_)) --depth;
      Advance();
      if (depth == 0) return;
    }
  }

 private:
  TRcTokenizer& tokenizer_;
  const TRcMacros& macros_;
  const std::function<void(int, const std::string&)>& fail_;
  TRcToken previous_, current_, next_;
};

}  // namespace

void TRcScriptReader::Parse(TRcScript& result) {
  TRcTokenizer tokenizer(lines_, codePages_, CodePage);
  auto origin = [&](int line) {
    if (line >= 0 && static_cast<std::size_t>(line) < origins_.size()) return origins_[static_cast<std::size_t>(line)];
    return TSourceLine{0, 0};
  };
  const std::function<void(int, const std::string&)> fail = [&](int line, const std::string& detail) {
    const TSourceLine at = origin(line);
    throw TRcScriptError{files_[static_cast<std::size_t>(at.File)], at.Line, detail};
  };
  TRcParser p(tokenizer, Macros, fail);
  int language = kRcNoLanguage;
  bool firstTableOfScript = true;

  auto readLanguage = [&]() {
    std::string written;
    const std::uint32_t primary = p.Expression(written, SRCBeginExpected);
    if (!(p.Current().Type == TRcToken::Punct && p.Current().Text == ",")) p.Fail(SRCBeginExpected);
    p.Advance();
    const std::uint32_t sub = p.Expression(written, SRCBeginExpected);
    return static_cast<int>(((sub & 0x3F) << 10) | (primary & 0x3FF));
  };

  while (!p.AtEnd()) {
    const TRcToken& t = p.Current();
    if (IsWord(t, "LANGUAGE")) {
      p.Advance();
      language = readLanguage();
      continue;
    }
    if (IsWord(t, "VERSION") || IsWord(t, "CHARACTERISTICS")) {
      p.Advance();
      std::string written;
      p.Expression(written, SRCBeginExpected);
      continue;
    }
    if (!IsWord(t, "STRINGTABLE")) {
      // "name TYPE ..." of any other resource: a file reference or a block.
      p.Advance();
      if (p.AtEnd()) break;
      const bool fileType = IsFileResourceType(p.Current());
      if (p.Current().Type == TRcToken::Word && !IsWord(p.Current(), "STRINGTABLE")) p.Advance();
      while (IsMemoryFlag(p.Current())) p.Advance();
      if (p.Current().Type == TRcToken::String || fileType) {
        p.Advance();
        continue;
      }
      while (!p.AtEnd() && !IsBlockOpen(p.Current()) && !IsWord(p.Current(), "STRINGTABLE")) p.Advance();
      if (IsBlockOpen(p.Current())) p.SkipBlock();
      continue;
    }

    // STRINGTABLE [options] BEGIN entries END
    TRcStringTable table;
    const TSourceLine at = origin(t.Line);
    table.FileName = files_[static_cast<std::size_t>(at.File)];
    table.Line = at.Line;
    table.Language = language;
    const bool ownScript = at.File == 0;
    p.Advance();
    for (;;) {
      if (IsMemoryFlag(p.Current())) {
        p.Advance();
      } else if (IsWord(p.Current(), "LANGUAGE")) {
        p.Advance();
        table.Language = readLanguage();
      } else if (IsWord(p.Current(), "CHARACTERISTICS") || IsWord(p.Current(), "VERSION")) {
        p.Advance();
        std::string written;
        p.Expression(written, SRCBeginExpected);
      } else {
        break;
      }
    }
    if (!IsBlockOpen(p.Current())) p.Fail(SRCBeginExpected);
    p.Advance();
    const int tableIndex = static_cast<int>(result.Tables.size());
    result.Tables.push_back(table);
    int lastEntryLine = -1;
    while (!p.AtEnd() && !IsBlockClose(p.Current())) {
      TRcStringEntry entry;
      entry.Table = tableIndex;
      const TRcToken first = p.Current();
      const TSourceLine entryAt = origin(first.Line);
      entry.FileName = files_[static_cast<std::size_t>(entryAt.File)];
      entry.Line = entry.LastLine = entryAt.Line;
      entry.StartCol = first.StartCol;
      if (first.Type != TRcToken::Word && !(first.Type == TRcToken::Punct && (first.Text == "(" || first.Text == "-" ||
                                                                             first.Text == "~" || first.Text == "+")))
        p.Fail(SRCNoConstIdentifier);
      std::string written;
      const std::uint32_t id = p.Expression(written, SRCNoConstIdentifier);
      if (id > 0xFFFF) p.Fail(Format(SRCIdTooLarge, id));
      entry.Id = static_cast<std::uint16_t>(id);
      if (written == first.Text && first.Type == TRcToken::Word && IsNameStart(first.Text[0])) {
        entry.Name = first.Text;
        entry.Named = true;
        entry.DefineOrder = Macros.DefineOrder(first.Text);
      } else if (written == first.Text && first.Text == std::to_string(id)) {
        entry.Name = first.Text;
      } else {
        entry.Name = std::to_string(id);
      }
      if (p.Current().Type == TRcToken::Punct && p.Current().Text == ",") p.Advance();
      if (p.Current().Type != TRcToken::String) {
        if (p.Current().Type == TRcToken::BadString && !p.Current().Error.empty()) p.Fail(p.Current().Error);
        p.Fail(SRCStringExpected);
      }
      while (p.Current().Type == TRcToken::String) {
        const TRcToken& s = p.Current();
        if (!s.Error.empty()) p.Fail(s.Error);
        for (std::uint32_t half : s.Surrogates)
          result.Warnings.push_back(Format(SRCWarnSurrogate, entry.FileName, origin(s.Line).Line, half));
        entry.Value += s.Text;
        entry.Wide = entry.Wide || s.Wide;
        entry.EndCol = s.EndCol;
        entry.LastLine = origin(s.Line).Line;
        p.Advance();
      }
      lastEntryLine = entry.LastLine;
      ++result.Tables[static_cast<std::size_t>(tableIndex)].Entries;
      result.Entries.push_back(std::move(entry));
    }
    if (ownScript && firstTableOfScript) {
      result.InsertLine = lastEntryLine >= 0 ? lastEntryLine : origin(p.Previous().Line).Line;
      firstTableOfScript = false;
    }
    p.Advance();  // END
  }
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
