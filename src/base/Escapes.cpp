#include "base/Escapes.h"

#include "base/Numbers.h"

namespace sw {

std::string EscapeForLine(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (b < 0x20 || b == 0x7F)
          out += std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
        else
          out += c;
    }
  }
  return out + "\"";
}

std::string QuotePascal(std::string_view text, char quote) {
  std::string result(1, quote);
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 32) {
      result += c;
      if (c == quote) result += c;
      ++i;
      continue;
    }
    result += quote;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 32) {
      result += '#';
      result += std::to_string(static_cast<unsigned char>(text[i]));
      ++i;
    }
    if (i == text.size()) return result;
    result += quote;
  }
  result += quote;
  return result;
}

bool UnescapeLine(std::string_view text, std::string& out) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  const std::string_view inner = text.substr(1, text.size() - 2);
  out.clear();
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] != '\\') {
      out += inner[i];
      continue;
    }
    if (++i >= inner.size()) return false;
    switch (inner[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case 'x':
        if (i + 2 >= inner.size() || HexDigit(inner[i + 1]) < 0 || HexDigit(inner[i + 2]) < 0) return false;
        out += static_cast<char>(HexDigit(inner[i + 1]) * 16 + HexDigit(inner[i + 2]));
        i += 2;
        break;
      default:
        return false;
    }
  }
  return true;
}

// Resource-script quoting: as C, except that a double quote is doubled, the
// form resource compilers read, and other control characters are written as
// three-digit octal escapes, which no following character can extend.
std::string QuoteRC(std::string_view text) {
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

}  // namespace sw
