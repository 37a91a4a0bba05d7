// Test helper: a canonical text dump of a binary form stream, read through
// TFormReader, so that tests can compare whole streams at a glance.
#pragma once

#include <string>

#include "runtime/FormReader.h"
#include "runtime/Streams.h"
#include "base/Unicode.h"

namespace sw::test {

inline std::string DumpValue(TFormReader& r, int indent);

inline std::string Pad(int indent) { return std::string(static_cast<std::size_t>(indent) * 2, ' '); }

inline std::string DumpValue(TFormReader& r, int indent) {
  const std::uint8_t tag = r.ReadValue();
  switch (tag) {
    case vaNull: return "null";
    case vaFalse: return "false";
    case vaTrue: return "true";
    case vaNil: return "nil";
    case vaInt8:
    case vaInt16:
    case vaInt32: return "int" + std::to_string(tag == vaInt8 ? 8 : tag == vaInt16 ? 16 : 32) + " " +
                         std::to_string(r.ReadIntegerPayload(tag));
    case vaInt64: return "int64 " + std::to_string(r.ReadInt64Payload());
    case vaExtended: return "extended " + fmt::format("{}", r.ReadExtendedPayload());
    case vaSingle: return "single " + fmt::format("{}", r.ReadSinglePayload());
    case vaCurrency: return "currency " + std::to_string(r.ReadCurrencyPayload());
    case vaDate: return "date " + fmt::format("{}", r.ReadDatePayload());
    case vaString: return "string '" + r.ReadStringPayload(tag) + "'";
    case vaLString: return "lstring '" + r.ReadStringPayload(tag) + "'";
    case vaWString: return "wstring '" + Utf16ToUtf8(r.ReadWideStringPayload()) + "'";
    case vaUTF8String: return "utf8 '" + r.ReadUtf8StringPayload() + "'";
    case vaIdent: return "ident " + r.ReadStr();
    case vaSet: {
      std::string s = "set [";
      bool first = true;
      for (const auto& n : r.ReadSetPayload()) s += (first ? "" : ",") + n, first = false;
      return s + "]";
    }
    case vaBinary: {
      std::string s = "binary";
      r.ReadBinaryPayload([&](const std::uint8_t* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) s += fmt::format(" {:02X}", p[i]);
      });
      return s;
    }
    case vaList: {
      std::string s = "(";
      while (!r.EndOfList()) s += "\n" + Pad(indent + 1) + DumpValue(r, indent + 1);
      r.ReadListEnd();
      return s + ")";
    }
    case vaCollection: {
      std::string s = "<";
      while (!r.EndOfList()) {
        s += "\n" + Pad(indent + 1) + "item";
        const auto next = r.NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) s += " [" + std::to_string(r.ReadInteger()) + "]";
        r.CheckValue(vaList);
        while (!r.EndOfList()) {
          const std::string name = r.ReadStr();
          s += "\n" + Pad(indent + 2) + name + ": " + DumpValue(r, indent + 2);
        }
        r.ReadListEnd();
      }
      r.ReadListEnd();
      return s + ">";
    }
    default: return "tag " + std::to_string(tag);
  }
}

inline std::string DumpComponent(TFormReader& r, int indent) {
  std::uint8_t flags = 0;
  std::int32_t pos = 0;
  r.ReadPrefix(flags, pos);
  const std::string cls = r.ReadStr();
  const std::string name = r.ReadStr();
  std::string s = Pad(indent) + "component " + cls + " '" + name + "'";
  if (flags) s += fmt::format(" flags={}", flags);
  if (flags & ffChildPos) s += fmt::format(" pos={}", pos);
  s += "\n";
  while (!r.EndOfList()) {
    const std::string prop = r.ReadStr();
    s += Pad(indent + 1) + prop + ": " + DumpValue(r, indent + 1) + "\n";
  }
  r.ReadListEnd();
  while (!r.EndOfList()) s += DumpComponent(r, indent + 1);
  r.ReadListEnd();
  return s;
}

inline std::string DumpFormStream(const std::string& binary) {
  TMemoryStream stream(binary);
  TFormReader r(stream);
  r.ReadSignature();
  return DumpComponent(r, 0);
}

}  // namespace sw::test
