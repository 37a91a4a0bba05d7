// Converting the text form of a form file into the binary component stream;
// see FormTextConverter.h for the syntax.
#include "runtime/FormTextConverter.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "runtime/FormReader.h"
#include "runtime/FormWriter.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "base/StopToken.h"
#include "base/Unicode.h"

namespace sw {

namespace {

inline constexpr const char* SNameTooLong = "Name longer than 255 bytes";
inline constexpr const char* SCurrencyOutOfRange = "Currency value out of range";

enum class TokenKind { Eof, Symbol, String, Integer, Float, Char };

bool IsSymbolStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsSymbolChar(unsigned char c) { return IsSymbolStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
int HexValue(unsigned char c) { return HexDigit(static_cast<char>(c)); }

class TFormTextParser {
 public:
  TFormTextParser(std::string_view text, bool utf8, const TAnsiDecoder& decode, TStream& output)
      : text_(text), utf8_(utf8), decode_(decode), writer_(output) {}

  void Convert() {
    NextToken();
    writer_.WriteSignature();
    ConvertObject(0);
  }

 private:
  [[noreturn]] void Error(const std::string& message) const {
    throw EParserError(Format(SParseError, message, tokenLine_));
  }
  [[noreturn]] void ErrorHere(const std::string& message) const {
    throw EParserError(Format(SParseError, message, line_));
  }

  bool AtEnd() const { return p_ >= text_.size(); }
  unsigned char Peek(std::size_t ahead = 0) const {
    return p_ + ahead < text_.size() ? static_cast<unsigned char>(text_[p_ + ahead]) : 0;
  }

  // Skips blanks and control characters, counting CR LF, LF and a lone CR
  // as one line break each.
  void SkipBlanks() {
    while (!AtEnd()) {
      const unsigned char c = Peek();
      if (c == '\n') {
        ++line_;
      } else if (c == '\r') {
        if (Peek(1) != '\n') ++line_;
      } else if (c > ' ') {
        return;
      }
      ++p_;
    }
  }

  std::u16string Decode(const std::string& raw) const {
    if (utf8_) return Utf8ToUtf16(raw);
    if (decode_) return decode_(raw);
    std::u16string wide;
    for (unsigned char c : raw) wide += static_cast<char16_t>(c);
    return wide;
  }

  void NextToken() {
    SkipBlanks();
    tokenLine_ = line_;
    tokenText_.clear();
    if (AtEnd()) {
      token_ = TokenKind::Eof;
      return;
    }
    const unsigned char c = Peek();
    if (IsSymbolStart(c)) {
      const std::size_t start = p_;
      while (!AtEnd() && IsSymbolChar(Peek())) ++p_;
      tokenText_.assign(text_.data() + start, p_ - start);
      token_ = TokenKind::Symbol;
    } else if (c == '\'' || c == '#') {
      ScanString();
    } else if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && IsDigit(Peek(1)))) {
      ScanNumber();
    } else {
      ++p_;
      tokenText_.assign(1, static_cast<char>(c));
      token_ = TokenKind::Char;
    }
  }

  void ScanString() {
    string_.clear();
    for (;;) {
      const unsigned char c = Peek();
      if (AtEnd() || (c != '\'' && c != '#')) break;
      if (c == '\'') {
        ++p_;
        std::string& raw = raw_;
        raw.clear();
        for (;;) {
          if (AtEnd() || Peek() == '\r' || Peek() == '\n') ErrorHere(SInvalidString);
          const char ch = text_[p_++];
          if (ch == '\'') {
            if (Peek() != '\'' || AtEnd()) break;
            ++p_;
          }
          raw += ch;
        }
        string_ += Decode(raw);
      } else {
        ++p_;
        std::uint32_t code = 0;
        int digits = 0;
        if (Peek() == '$') {
          ++p_;
          while (!AtEnd() && HexValue(Peek()) >= 0) {
            code = code * 16 + static_cast<std::uint32_t>(HexValue(Peek()));
            ++p_;
            if (++digits > 6) ErrorHere(SInvalidString);
          }
        } else {
          while (!AtEnd() && IsDigit(Peek())) {
            code = code * 10 + (Peek() - '0');
            ++p_;
            if (++digits > 7) ErrorHere(SInvalidString);
          }
        }
        if (digits == 0 || code > 0x10FFFF) ErrorHere(SInvalidString);
        if (code > 0xFFFF) {
          code -= 0x10000;
          string_ += static_cast<char16_t>(0xD800 + (code >> 10));
          string_ += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
          string_ += static_cast<char16_t>(code);
        }
      }
    }
    token_ = TokenKind::String;
  }

  void ScanNumber() {
    const std::size_t start = p_;
    if (Peek() == '$') {
      ++p_;
      std::uint64_t value = 0;
      int digits = 0;
      while (!AtEnd() && HexValue(Peek()) >= 0) {
        value = value * 16 + static_cast<std::uint64_t>(HexValue(Peek()));
        ++p_;
        ++digits;
      }
      tokenText_.assign(text_.data() + start, p_ - start);
      if (digits == 0 || digits > 16) Error(Format(SInvalidNumber, tokenText_));
      integer_ = static_cast<std::int64_t>(value);
      token_ = TokenKind::Integer;
      return;
    }
    if (Peek() == '-' || Peek() == '+') ++p_;
    bool isFloat = false;
    while (!AtEnd() && IsDigit(Peek())) ++p_;
    if (Peek() == '.' && IsDigit(Peek(1))) {
      isFloat = true;
      ++p_;
      while (!AtEnd() && IsDigit(Peek())) ++p_;
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
      isFloat = true;
      p_ += 2;
      while (!AtEnd() && IsDigit(Peek())) ++p_;
    }
    std::string_view number = text_.substr(start, p_ - start);
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    floatType_ = 0;
    const unsigned char suffix = Peek();
    if (suffix == 'c' || suffix == 'C' || suffix == 'd' || suffix == 'D' || suffix == 's' || suffix == 'S') {
      isFloat = true;
      floatType_ = static_cast<char>(suffix | 0x20);
      ++p_;
    }
    tokenText_.assign(text_.data() + start, p_ - start);
    if (!AtEnd() && IsSymbolChar(Peek())) Error(Format(SInvalidNumber, tokenText_ + static_cast<char>(Peek())));
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (isFloat) {
      const auto [ptr, ec] = std::from_chars(first, last, float_);
      if (ec != std::errc() || ptr != last) Error(Format(SInvalidNumber, tokenText_));
      token_ = TokenKind::Float;
    } else {
      const auto [ptr, ec] = std::from_chars(first, last, integer_);
      if (ec != std::errc() || ptr != last) Error(Format(SInvalidNumber, tokenText_));
      token_ = TokenKind::Integer;
    }
  }

  bool IsChar(char c) const { return token_ == TokenKind::Char && tokenText_[0] == c; }
  bool IsSymbol(std::string_view s) const { return token_ == TokenKind::Symbol && SameTextAscii(tokenText_, s); }
  void CheckChar(char c) const {
    if (!IsChar(c)) Error(Format(SCharExpected, std::string(1, c)));
  }
  std::string TakeSymbol() {
    if (token_ != TokenKind::Symbol) Error(SIdentifierExpected);
    std::string s = tokenText_;
    NextToken();
    return s;
  }
  // A symbol and any ".symbol" parts that follow it.
  std::string TakeDottedSymbol() {
    std::string s = TakeSymbol();
    while (IsChar('.')) {
      NextToken();
      s += '.';
      s += TakeSymbol();
    }
    if (s.size() > 255) Error(SNameTooLong);
    return s;
  }
  void CheckDepth(int depth) const {
    if (depth > MaxFormNesting) Error(Format(STextNestingTooDeep, MaxFormNesting));
  }

  bool AtObjectKeyword() const { return IsSymbol("OBJECT") || IsSymbol("INHERITED") || IsSymbol("INLINE"); }

  void ConvertObject(int depth) {
    CheckDepth(depth);
    std::uint8_t flags = 0;
    if (IsSymbol("INHERITED")) {
      flags = ffInherited;
    } else if (IsSymbol("INLINE")) {
      flags = ffInline;
    } else if (!IsSymbol("OBJECT")) {
      Error(Format(SSymbolExpected, "OBJECT"));
    }
    NextToken();
    std::string name;
    std::string className = TakeDottedSymbol();
    if (IsChar(':')) {
      NextToken();
      name = className;
      className = TakeDottedSymbol();
    }
    std::int64_t position = 0;
    if (IsChar('[')) {
      NextToken();
      if (token_ != TokenKind::Integer) Error(SNumberExpected);
      position = integer_;
      if (position < std::numeric_limits<std::int32_t>::min() || position > std::numeric_limits<std::int32_t>::max())
        Error(Format(SInvalidNumber, tokenText_));
      flags |= ffChildPos;
      NextToken();
      CheckChar(']');
      NextToken();
    }
    writer_.WritePrefix(flags, static_cast<std::int32_t>(position));
    writer_.WriteStr(className);
    writer_.WriteStr(name);
    while (!IsSymbol("END") && !AtObjectKeyword()) {
      ThrowIfStopRequested();  // a large form is many properties: a cancel ends it here
      ConvertProperty(depth);
    }
    writer_.WriteListEnd();
    while (!IsSymbol("END")) ConvertObject(depth + 1);
    writer_.WriteListEnd();
    NextToken();
  }

  void ConvertProperty(int depth) {
    if (token_ == TokenKind::Eof) Error(Format(SSymbolExpected, "END"));
    const std::string name = TakeDottedSymbol();
    writer_.WriteStr(name);
    CheckChar('=');
    NextToken();
    ConvertValue(depth);
  }

  void ConvertValue(int depth) {
    CheckDepth(depth);
    switch (token_) {
      case TokenKind::Integer:
        writer_.WriteInteger(integer_);
        NextToken();
        return;
      case TokenKind::Float:
        WriteFloat();
        NextToken();
        return;
      case TokenKind::String: {
        std::u16string text = string_;
        NextToken();
        while (IsChar('+')) {
          NextToken();
          if (token_ != TokenKind::String) Error(SStringExpected);
          text += string_;
          NextToken();
        }
        writer_.WriteString(text);
        return;
      }
      case TokenKind::Symbol:
        writer_.WriteIdent(TakeDottedSymbol());
        return;
      case TokenKind::Char:
        break;
      case TokenKind::Eof:
        Error(SInvalidTextPropertyValue);
    }
    switch (tokenText_[0]) {
      case '[': {
        NextToken();
        std::vector<std::string> names;
        if (!IsChar(']')) {
          for (;;) {
            names.push_back(TakeDottedSymbol());
            if (IsChar(']')) break;
            CheckChar(',');
            NextToken();
          }
        }
        writer_.WriteSet(names);
        NextToken();
        return;
      }
      case '(':
        NextToken();
        writer_.WriteValue(vaList);
        while (!IsChar(')')) ConvertValue(depth + 1);
        writer_.WriteListEnd();
        NextToken();
        return;
      case '{':
        ConvertBinary();
        NextToken();
        return;
      case '<':
        NextToken();
        writer_.WriteValue(vaCollection);
        while (!IsChar('>')) {
          if (!IsSymbol("item")) Error(Format(SSymbolExpected, "item"));
          NextToken();
          if (IsChar('[')) {
            NextToken();
            if (token_ != TokenKind::Integer) Error(SNumberExpected);
            if (integer_ < std::numeric_limits<std::int32_t>::min() ||
                integer_ > std::numeric_limits<std::int32_t>::max())
              Error(Format(SInvalidNumber, tokenText_));
            writer_.WriteInteger(integer_);
            NextToken();
            CheckChar(']');
            NextToken();
          }
          writer_.WriteValue(vaList);
          while (!IsSymbol("end")) ConvertProperty(depth + 1);
          writer_.WriteListEnd();
          NextToken();
        }
        writer_.WriteListEnd();
        NextToken();
        return;
      default:
        Error(SInvalidTextPropertyValue);
    }
  }

  void WriteFloat() {
    switch (floatType_) {
      case 's':
        writer_.WriteSingle(static_cast<float>(float_));
        return;
      case 'c': {
        // The text holds the amount times 10000, the stored integer itself.
        const double scaled = std::nearbyint(float_);
        if (!(scaled >= -9.2233720368547758e18 && scaled < 9.2233720368547758e18)) Error(SCurrencyOutOfRange);
        writer_.WriteCurrency(static_cast<std::int64_t>(scaled));
        return;
      }
      case 'd':
        writer_.WriteDate(float_);
        return;
      default:
        writer_.WriteExtended(float_);
    }
  }

  // Hexadecimal digit pairs up to "}", blanks and line breaks between them
  // allowed; reads the raw text after the "{" token.
  void ConvertBinary() {
    std::string data;
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) ErrorHere(SInvalidBinary);
      const unsigned char c = Peek();
      if (c == '}') break;
      const int v = HexValue(c);
      if (v < 0) ErrorHere(SInvalidBinary);
      ++p_;
      if (high < 0) {
        high = v;
      } else {
        data += static_cast<char>((high << 4) | v);
        high = -1;
      }
    }
    if (high >= 0) ErrorHere(SInvalidBinary);
    ++p_;  // the "}"
    writer_.WriteBinary(data);
  }

  std::string_view text_;
  bool utf8_;
  const TAnsiDecoder& decode_;
  TFormWriter writer_;
  std::size_t p_ = 0;
  int line_ = 1;
  int tokenLine_ = 1;
  TokenKind token_ = TokenKind::Eof;
  std::string tokenText_;
  std::string raw_;  // the bytes of a quoted segment, reused from string to string
  std::u16string string_;
  std::int64_t integer_ = 0;
  double float_ = 0;
  char floatType_ = 0;
};

}  // namespace

void ObjectTextToBinary(std::string_view text, TStream& output, const TAnsiDecoder& decodeAnsi) {
  std::string converted;
  bool utf8 = false;
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
    utf8 = true;
  } else if (text.size() >= 2 && (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF")) {
    const bool bigEndian = text[0] == '\xFE';
    converted = Utf16ToUtf8(Utf16FromBytes(text.substr(2), bigEndian));
    text = converted;
    utf8 = true;
  }
  TFormTextParser parser(text, utf8, decodeAnsi, output);
  parser.Convert();
}

}  // namespace sw
