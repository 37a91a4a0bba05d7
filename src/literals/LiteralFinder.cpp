// The literal finder: the tokens of a unit are read once into a list, so that
// the context of a literal (the declaration, call or statement around it) can
// be looked at in both directions. See LiteralFinder.h for the rules.
#include "literals/LiteralFinder.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string_view>

#include "base/AsciiText.h"
#include "base/AnsiText.h"
#include "base/Numbers.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

struct Token {
  TScanToken T;
  bool Excluded = false;  // an exclude pattern matched the code before it
};

bool Is(const TScanToken& token, std::string_view lower) { return TokenIs(token, lower); }
// A word without the "&" the C scanner keeps on it ("String&" is "String").
std::string Word(const TScanToken& token) {
  std::string text = token.Text;
  while (!text.empty() && text.back() == '&') text.pop_back();
  while (!text.empty() && text.front() == '&') text.erase(0, 1);
  return text;
}

std::vector<Token> ReadTokens(TQScanner& scanner, const TStringList& patterns) {
  std::vector<Token> tokens;
  scanner.Start();
  while (!scanner.Eof()) {
    Token token{scanner.TokenRef(0)};
    if (IsLiteral(token.T)) token.Excluded = MatchesExcludePattern(scanner, patterns);
    tokens.push_back(std::move(token));
    scanner.Next();
  }
  return tokens;
}

class Cursor {
 public:
  explicit Cursor(const std::vector<Token>& tokens) : tokens_(tokens) {}
  const TScanToken& operator[](long i) const {
    static const TScanToken none;
    return i < 0 || i >= static_cast<long>(tokens_.size()) ? none : tokens_[static_cast<std::size_t>(i)].T;
  }
  long Size() const { return static_cast<long>(tokens_.size()); }
  // The index of the bracket that opens the group `i` is in (-1 when none).
  long OpenerBefore(long i) const {
    int depth = 0;
    for (long k = i - 1; k >= 0; --k) {
      const TScanToken& t = (*this)[k];
      if (Is(t, ")") || Is(t, "]") || Is(t, "}")) ++depth;
      if (Is(t, "(") || Is(t, "[") || Is(t, "{")) {
        if (depth == 0) return k;
        --depth;
      }
    }
    return -1;
  }
  // The index of the bracket that opens the one closing at `i`.
  long MatchBack(long i) const {
    int depth = 0;
    for (long k = i; k >= 0; --k) {
      const TScanToken& t = (*this)[k];
      if (Is(t, ")") || Is(t, "]") || Is(t, "}")) ++depth;
      if (Is(t, "(") || Is(t, "[") || Is(t, "{"))
        if (--depth == 0) return k;
    }
    return -1;
  }
  // The index of the bracket that closes the one opening at `i`.
  long MatchForward(long i) const {
    int depth = 0;
    for (long k = i; k < Size(); ++k) {
      const TScanToken& t = (*this)[k];
      if (Is(t, "(") || Is(t, "[") || Is(t, "{")) ++depth;
      if (Is(t, ")") || Is(t, "]") || Is(t, "}"))
        if (--depth == 0) return k;
    }
    return Size();
  }

 private:
  const std::vector<Token>& tokens_;
};

std::unique_ptr<TStrConst> MakeConstant(TUnitRec& unit, const std::vector<Token>& tokens, long first, long last) {
  auto item = std::make_unique<TStrConst>(&unit);
  const TScanToken& start = tokens[static_cast<std::size_t>(first)].T;
  item->Kind = start.Kind;
  item->FirstLine = start.Line;
  item->StartCol = start.StartCol;
  for (long k = first; k <= last; ++k) {
    const TScanToken& t = tokens[static_cast<std::size_t>(k)].T;
    item->Value += t.Text;
    if (t.Kind == ttWideString) item->Kind = ttWideString;
    item->LastLine = t.Line;
    item->EndCol = t.EndCol;
  }
  return item;
}

// ---- Object Pascal ------------------------------------------------------------------------

bool IsPascalStringType(const std::vector<std::string>& type) {
  // "string", "string[20]", "array[0..1] of string", "array of AnsiString"...
  std::size_t at = 0;
  for (std::size_t k = 0; k < type.size(); ++k)
    if (type[k] == "of") at = k + 1;
  if (at >= type.size()) return false;
  static const std::set<std::string> strings = {"string", "ansistring", "unicodestring", "widestring", "shortstring",
                                                "utf8string", "rawbytestring"};
  if (!strings.count(type[at])) return false;
  // Only a length may follow: string[N].
  return at + 1 == type.size() || type[at + 1] == "[";
}

std::string Joined(const std::vector<std::string>& words) {
  const auto wordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  std::string out;
  for (const auto& w : words) {
    if (!out.empty() && !w.empty() && (wordChar(out.back()) || out.back() == ']') && wordChar(w.front())) out += ' ';
    out += w;
  }
  return out;
}

}  // namespace

bool MatchesExcludePattern(const TQScanner& scanner, const TStringList& patterns) {
  if (patterns.Empty()) return false;
  const std::string preceding = scanner.PrecedingText();
  for (const auto& raw : patterns) {
    const std::string pattern = LowerUtf8(TrimSpaces(raw));
    if (pattern.empty()) continue;
    if (pattern.back() == '*') {
      if (preceding.find(pattern.substr(0, pattern.size() - 1)) != std::string::npos) return true;
    } else if (EndsWithText(pattern, preceding)) {
      return true;
    }
  }
  return false;
}

TFoundLiterals FindPascalLiterals(TQScanner& scanner, TUnitRec& unit, const TStringList& excludePatterns) {
  scanner.Lines().Assign(unit.Lines);
  const std::vector<Token> tokens = ReadTokens(scanner, excludePatterns);
  const Cursor at(tokens);
  TFoundLiterals found;
  enum class Section { Code, Const, Var, Resourcestring, Uses, Type };
  Section section = Section::Code;
  bool inHeading = false;  // a routine heading, up to its ";"
  int headingDepth = 0;
  long declarationStart = 0;  // first token of the current declaration of a section
  for (long i = 0; i < at.Size(); ++i) {
    const TScanToken& token = at[i];
    if (token.Kind == ttKeyword) {
      const std::string& w = token.LowerText;
      const bool routine = w == "procedure" || w == "function" || w == "constructor" || w == "destructor";
      if (routine) {
        inHeading = true;
        headingDepth = 0;
      }
      if (!(inHeading && headingDepth > 0)) {
        section = w == "const"            ? Section::Const
                  : w == "var"            ? Section::Var
                  : w == "resourcestring" ? Section::Resourcestring
                  : w == "uses"           ? Section::Uses
                  : w == "type"           ? Section::Type
                                          : Section::Code;
        declarationStart = i + 1;
      }
      continue;
    }
    if (inHeading) {
      if (Is(token, "(")) ++headingDepth;
      if (Is(token, ")")) --headingDepth;
      if (Is(token, ";") && headingDepth <= 0) inHeading = false;
    }
    if (Is(token, ";")) {
      if (section == Section::Uses) section = Section::Code;
      declarationStart = i + 1;
      continue;
    }
    if (!IsLiteral(token)) continue;
    if (!HasLetter(token.LowerText)) continue;

    std::string reason;
    const TScanToken& before = at[i - 1];
    if (inHeading && headingDepth > 0) {
      reason = "default parameter value";
    } else if (section == Section::Resourcestring) {
      reason = "resourcestring declaration";
    } else if (section == Section::Uses) {
      reason = "file name in uses clause";
    } else if (Is(before, "external") || Is(before, "name")) {
      reason = "external name";
    } else if (Is(before, "deprecated") || Is(before, "experimental") || Is(before, "unimplemented") ||
               Is(before, "message")) {
      reason = "directive message";
    } else if (Is(before, "..") || Is(at[i + 1], "..") || (Is(before, ".") && Is(at[i - 2], ".")) ||
               (Is(at[i + 1], ".") && Is(at[i + 2], "."))) {
      reason = "range bound";
    } else if (section == Section::Const || section == Section::Var || section == Section::Type) {
      // Name [: type] = value: a constant expression unless typed with a string type.
      long colon = -1, equals = -1;
      for (long k = declarationStart; k < i; ++k) {
        if (colon < 0 && Is(at[k], ":")) colon = k;
        if (equals < 0 && Is(at[k], "=")) equals = k;
      }
      if (section == Section::Type) {
        reason = "type declaration";
      } else if (colon < 0 || (equals >= 0 && equals < colon)) {
        reason = "untyped constant";
      } else {
        std::vector<std::string> type;
        for (long k = colon + 1; k < (equals < 0 ? i : equals); ++k) type.push_back(at[k].LowerText);
        if (!IsPascalStringType(type))
          reason = Joined(type) + (section == Section::Const ? " typed constant" : " variable initializer");
      }
    } else {
      // A case label: the literal, perhaps with more labels, then ":".
      const bool labelStart = Is(before, "of") || Is(before, ";") || Is(before, ",") || Is(before, "else");
      if (labelStart) {
        long k = i + 1;
        while (k < at.Size() && (IsLiteral(at[k]) || at[k].Kind == ttChar || Is(at[k], ",") || Is(at[k], "..")))
          ++k;
        if (Is(at[k], ":")) reason = "case label";
      }
    }
    if (reason.empty() && !token.Localize) reason = "localize off";
    if (reason.empty() && tokens[static_cast<std::size_t>(i)].Excluded) reason = "excluded";
    if (reason.empty())
      found.Offered.push_back(MakeConstant(unit, tokens, i, i));
    else
      found.Left.push_back({token.Line, token.StartCol, token.Text, reason});
  }
  return found;
}

// ---- C++ ------------------------------------------------------------------------------------

namespace {

const std::set<std::string>& StringTypes() {
  static const std::set<std::string> types = {"String", "AnsiString", "UnicodeString"};
  return types;
}
const std::set<std::string>& CharTypes() {
  static const std::set<std::string> types = {"char", "wchar_t", "TCHAR", "_TCHAR", "WCHAR", "char8_t", "char16_t",
                                              "char32_t"};
  return types;
}
// Macros that paste or wrap their argument: a call inside would not compile.
const std::set<std::string>& TextMacros() {
  static const std::set<std::string> macros = {"_T", "TEXT", "_TEXT", "__T", "L"};
  return macros;
}
// Routines of the VCL and RTL whose arguments are `String`s.
const std::set<std::string>& StringRoutines() {
  static const std::set<std::string> routines = {
      "ShowMessage", "ShowMessageFmt", "MessageDlg", "MessageDlgPos", "InputBox", "InputQuery", "Format",
      "Exception",   "StrToInt",       "StrToFloat", "StrToIntDef",   "Trim",     "UpperCase",  "LowerCase",
      "QuotedStr",   "StringReplace",  "Pos",        "ExtractFileName", "ChangeFileExt", "CreateMessageDialog"};
  return routines;
}
// Methods of VCL objects (called through "->") whose arguments are `String`s.
const std::set<std::string>& StringMethods() {
  static const std::set<std::string> methods = {"Add", "Append", "AddObject", "IndexOf", "SetText", "TextOut"};
  return methods;
}
// Routines returning `String`.
const std::set<std::string>& StringFunctions() {
  static const std::set<std::string> functions = {
      "LoadStr",  "IntToStr",  "FloatToStr", "Format",        "Trim",          "UpperCase",    "LowerCase",
      "QuotedStr", "StringReplace", "DateToStr", "TimeToStr", "DateTimeToStr", "FormatFloat", "ExtractFileName",
      "ExtractFilePath", "ChangeFileExt", "IntToHex", "SysErrorMessage", "String", "AnsiString", "UnicodeString"};
  return functions;
}
// Properties of VCL objects that are `String`s.
const std::set<std::string>& StringProperties() {
  static const std::set<std::string> properties = {"Caption", "Text", "Hint", "Title", "Filter", "FileName",
                                                   "DefaultExt", "InitialDir", "DisplayLabel", "TextHint",
                                                   "HelpKeyword", "EditMask"};
  return properties;
}

// What the unit declares: String variables and parameters, functions
// returning String, and the String parameters of its functions.
struct Declarations {
  std::set<std::string> StringNames;
  std::set<std::string> StringFunctions;
  std::map<std::string, std::vector<bool>> Parameters;  // function -> parameter is a String
};

// The parameter types of the list opening at `open`: true for a String.
std::vector<bool> ParameterKinds(const Cursor& at, long open) {
  std::vector<bool> kinds;
  const long close = at.MatchForward(open);
  bool isString = false, pointer = false, any = false;
  int depth = 0;
  for (long k = open + 1; k < close; ++k) {
    const TScanToken& t = at[k];
    if (Is(t, "(") || Is(t, "[") || Is(t, "<")) ++depth;
    if (Is(t, ")") || Is(t, "]") || Is(t, ">")) --depth;
    if (depth == 0 && Is(t, ",")) {
      kinds.push_back(isString && !pointer);
      isString = pointer = any = false;
      continue;
    }
    any = true;
    if (t.Kind == ttIdentifier && StringTypes().count(Word(t))) isString = true;
    if (Is(t, "*")) pointer = true;
  }
  if (any) kinds.push_back(isString && !pointer);
  return kinds;
}

Declarations ReadDeclarations(const Cursor& at) {
  Declarations d;
  for (long i = 0; i < at.Size(); ++i) {
    const TScanToken& t = at[i];
    // A function with its parameter list: remember its parameters.
    if (t.Kind == ttIdentifier && Is(at[i + 1], "(") && !Is(at[i - 1], ".") && !Is(at[i - 1], "->")) {
      const long close = at.MatchForward(i + 1);
      if (Is(at[close + 1], "{") || Is(at[close + 1], ";") || Is(at[close + 1], "const"))
        if (!d.Parameters.count(t.Text)) {
          const std::vector<bool> kinds = ParameterKinds(at, i + 1);
          if (std::find(kinds.begin(), kinds.end(), true) != kinds.end()) d.Parameters[t.Text] = kinds;
        }
    }
    if (t.Kind != ttIdentifier || !StringTypes().count(Word(t))) continue;
    long k = i + 1;
    while (Is(at[k], "&") || Is(at[k], "const") || Is(at[k], "__fastcall")) ++k;
    if (Is(at[k], "*")) continue;
    // Class::Name
    while (at[k].Kind == ttIdentifier && Is(at[k + 1], "::") && at[k + 2].Kind == ttIdentifier) k += 2;
    if (at[k].Kind != ttIdentifier) continue;
    if (Is(at[k + 1], "(") && !Is(at[k + 2], "\"")) {
      // A function returning String, or a variable constructed with arguments:
      // both are String expressions when named.
      d.StringFunctions.insert(Word(at[k]));
    }
    d.StringNames.insert(Word(at[k]));
  }
  return d;
}

class CppContext {
 public:
  CppContext(const Cursor& at, const Declarations& d) : at_(at), d_(d) {}

  // The reason why the literal run first..last cannot be a String, "" when it can.
  std::string Reason(long first, long last) const {
    const TScanToken& before = at_[first - 1];
    const TScanToken& after = at_[last + 1];
    if (Is(before, "+") && EndsStringOperand(first - 2)) return "";
    if (Is(after, "+") && StartsStringOperand(last + 2)) return "";
    const bool whole = Is(after, ";") || Is(after, ",") || Is(after, ")") || Is(after, "}") || Is(after, "+");
    if (Is(before, "case")) return "case label";
    if (Is(before, "<<") || (Is(before, "<") && Is(at_[first - 2], "<"))) return "stream operand";
    const long start = StatementStart(first);
    for (long k = start; k < first; ++k) {
      if (Is(at_[k], "static")) return "static initializer";
      if (Is(at_[k], "constexpr")) return "constexpr initializer";
    }
    if (Is(before, "=") || Is(before, "+=")) {
      if (Is(at_[first - 2], "]")) return "char array initializer";
      bool charType = false, pointer = false, stringType = false;
      for (long k = start; k < first - 1; ++k) {
        const TScanToken& t = at_[k];
        if (t.Kind == ttKeyword || t.Kind == ttIdentifier) {
          if (CharTypes().count(Word(t))) charType = true;
          if (StringTypes().count(Word(t))) stringType = true;
        }
        if (Is(t, "*")) pointer = true;
      }
      if (charType && pointer) return "char pointer initializer";
      if (charType) return "char initializer";
      if (!whole) return "not a String context";
      if (stringType && !pointer) return "";
      if (IsStringLvalue(first - 2)) return "";
      return "not a String context";
    }
    if (Is(before, "return")) return ReturnsString(first) ? "" : "return of a function not returning String";
    if (Is(before, "(") || Is(before, ",") || Is(before, "{")) {
      const long open = at_.OpenerBefore(first);
      if (open < 0) return "not a String context";
      const TScanToken& callee = at_[open - 1];
      if (callee.Kind != ttIdentifier && callee.Kind != ttKeyword) {
        if (Is(at_[open], "{") && Is(callee, "=")) return "braced initializer";
        return "not a String context";
      }
      if (TextMacros().count(callee.Text)) return "inside " + callee.Text + "()";
      if (!whole) return "not a String context";
      if (Is(at_[open], "[")) return "index";
      if (StringTypes().count(Word(callee))) return "";
      // String s("x") / String s{"x"}
      if (at_[open - 2].Kind == ttIdentifier && StringTypes().count(Word(at_[open - 2]))) return "";
      if (Is(at_[open], "{")) return "braced initializer";
      const bool member = Is(at_[open - 2], "->") || Is(at_[open - 2], ".");
      if (member && StringMethods().count(callee.Text)) return "";
      if (!member && StringRoutines().count(callee.Text)) return "";
      const auto params = d_.Parameters.find(callee.Text);
      if (!member && params != d_.Parameters.end()) {
        const std::size_t index = ArgumentIndex(open, first);
        if (index < params->second.size() && params->second[index]) return "";
      }
      if (callee.Kind == ttKeyword) return "argument of " + callee.Text;
      return "argument of " + callee.Text + "()";
    }
    return "not a String context";
  }

 private:
  // The first token of the statement or declaration holding `i`.
  long StatementStart(long i) const {
    long k = i - 1;
    int depth = 0;
    for (; k >= 0; --k) {
      const TScanToken& t = at_[k];
      if (Is(t, ")") || Is(t, "]")) ++depth;
      if (Is(t, "(") || Is(t, "[")) {
        if (depth == 0) continue;  // an enclosing group: the statement goes on before it
        --depth;
      }
      if (depth == 0 && (Is(t, ";") || Is(t, "{") || Is(t, "}") || Is(t, ":"))) break;
    }
    return k + 1;
  }
  std::size_t ArgumentIndex(long open, long at) const {
    std::size_t index = 0;
    int depth = 0;
    for (long k = open + 1; k < at; ++k) {
      if (Is(at_[k], "(") || Is(at_[k], "[") || Is(at_[k], "{")) ++depth;
      if (Is(at_[k], ")") || Is(at_[k], "]") || Is(at_[k], "}")) --depth;
      if (depth == 0 && Is(at_[k], ",")) ++index;
    }
    return index;
  }
  bool IsStringName(long i) const {
    const TScanToken& t = at_[i];
    if (t.Kind != ttIdentifier) return false;
    const bool member = Is(at_[i - 1], "->") || Is(at_[i - 1], ".");
    if (member && StringProperties().count(Word(t))) return true;
    return d_.StringNames.count(Word(t)) > 0 && !d_.StringFunctions.count(Word(t));
  }
  bool IsStringLvalue(long i) const { return IsStringName(i); }
  // The operand ending at `i` is a String.
  bool EndsStringOperand(long i) const {
    if (Is(at_[i], ")")) {
      const long open = at_.MatchBack(i);
      const TScanToken& callee = at_[open - 1];
      return callee.Kind == ttIdentifier &&
             (StringFunctions().count(callee.Text) || d_.StringFunctions.count(callee.Text));
    }
    return IsStringName(i);
  }
  // The operand starting at `i` is a String.
  bool StartsStringOperand(long i) const {
    const TScanToken& t = at_[i];
    if (t.Kind != ttIdentifier) return false;
    if (Is(at_[i + 1], "(")) return StringFunctions().count(t.Text) || d_.StringFunctions.count(t.Text);
    // a->b->Caption: the last name decides.
    long k = i;
    while ((Is(at_[k + 1], "->") || Is(at_[k + 1], ".")) && at_[k + 2].Kind == ttIdentifier) k += 2;
    if (Is(at_[k + 1], "(")) return false;
    return IsStringName(k);
  }
  // The function whose body holds `i` returns a String.
  bool ReturnsString(long i) const {
    long open = i;
    // The outermost brace that follows a ")" is the function's body.
    long body = -1;
    while ((open = at_.OpenerBefore(open)) >= 0) {
      if (Is(at_[open], "{") && (Is(at_[open - 1], ")") || Is(at_[open - 1], "const"))) body = open;
    }
    if (body < 0) return false;
    long close = Is(at_[body - 1], "const") ? body - 2 : body - 1;
    const long params = at_.MatchBack(close);
    for (long k = params - 2; k >= 0 && k >= params - 8; --k) {
      const TScanToken& t = at_[k];
      if (t.Kind == ttIdentifier && StringTypes().count(Word(t))) return !Is(at_[k + 1], "*");
      if (Is(t, ";") || Is(t, "}") || Is(t, "{")) break;
    }
    return false;
  }

  const Cursor& at_;
  const Declarations& d_;
};

}  // namespace

TFoundLiterals FindCppLiterals(TQScanner& scanner, TUnitRec& unit, const TStringList& excludePatterns) {
  scanner.Lines().Assign(unit.Lines);
  const std::vector<Token> tokens = ReadTokens(scanner, excludePatterns);
  const Cursor at(tokens);
  const Declarations declarations = ReadDeclarations(at);
  const CppContext context(at, declarations);
  TFoundLiterals found;
  int depth = 0;
  std::int32_t directiveLine = -1;
  std::string directive;
  for (long i = 0; i < at.Size(); ++i) {
    const TScanToken& token = at[i];
    const TScanToken& before = at[i - 1];
    if (Is(token, "#") && (before.Kind == ttNone || before.Line != token.Line)) {
      directiveLine = token.Line;
      directive = at[i + 1].LowerText;
    }
    if (Is(token, "{")) ++depth;
    if (Is(token, "}")) --depth;
    if (!IsLiteral(token) || IsLiteral(before)) continue;
    // Adjacent literals are one string to the compiler, and so one literal.
    long last = i;
    while (IsLiteral(at[last + 1])) ++last;
    std::string joined;
    for (long k = i; k <= last; ++k) joined += at[k].Text;
    if (!HasLetter(LowerUtf8(joined))) continue;

    std::string reason;
    const bool glued = before.Kind == ttIdentifier && before.Line == token.Line && before.EndCol == token.StartCol;
    const auto macroBetween = [&](long a, long b) {
      return at[a].Kind == ttIdentifier && IsLiteral(at[b]) && !Is(at[a - 1], "(");
    };
    if (token.Line == directiveLine) {
      reason = "#" + directive + " line";
    } else if (glued || token.Kind == ttWideString) {
      reason = "prefixed literal";
    } else if (Is(before, "extern")) {
      reason = "extern \"C\"";
    } else if (Is(before, "operator")) {
      reason = "literal operator";
    } else if ((before.Kind == ttIdentifier && IsLiteral(at[i - 2])) || macroBetween(last + 1, last + 2)) {
      reason = "concatenation with a macro";
    } else if (depth <= 0) {
      reason = "outside a function";
    } else {
      for (long k = at.OpenerBefore(i); reason.empty() && k >= 0; k = at.OpenerBefore(k)) {
        const TScanToken& callee = at[k - 1];
        if (Is(at[k], "[") && Is(callee, "["))
          reason = "attribute";
        else if (Is(at[k], "(") && callee.Kind == ttIdentifier && TextMacros().count(callee.Text))
          reason = "inside " + callee.Text + "()";
      }
      if (reason.empty()) reason = context.Reason(i, last);
    }
    if (reason.empty() && !token.Localize) reason = "localize off";
    if (reason.empty() && tokens[static_cast<std::size_t>(i)].Excluded) reason = "excluded";
    if (reason.empty())
      found.Offered.push_back(MakeConstant(unit, tokens, i, last));
    else
      found.Left.push_back({token.Line, token.StartCol, joined, reason});
  }
  return found;
}

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

}  // namespace sw
