#include "base/Escapes.h"

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

}  // namespace sw
