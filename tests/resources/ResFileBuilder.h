// Builds compiled resource files (32-bit format) in memory for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "extract/resources/WinResReader.h"

namespace sw::test {

inline void PutU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
inline void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  PutU16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void PatchU32(std::string& bytes, std::size_t at, std::uint32_t v) {
  std::string le;
  PutU32(le, v);
  bytes.replace(at, 4, le);
}
inline void Pad4(std::string& out) {
  while (out.size() % 4 != 0) out += '\0';
}

inline std::string ResIdField(const TResId& id) {
  std::string out;
  if (id.IsOrdinal()) {
    PutU16(out, 0xFFFF);
    PutU16(out, id.Ordinal());
  } else {
    for (const char16_t c : id.Name()) PutU16(out, c);
    PutU16(out, 0);
  }
  return out;
}

// One entry with its padding; the header is laid out as resource compilers do.
inline std::string ResEntry(const TResId& type, const TResId& name, const std::string& data,
                            std::uint16_t language = 0x0409) {
  std::string header = "12345678" + ResIdField(type);
  Pad4(header);
  header += ResIdField(name);
  Pad4(header);
  PutU32(header, 0);       // data version
  PutU16(header, 0x1030);  // memory flags
  PutU16(header, language);
  PutU32(header, 0);  // version
  PutU32(header, 0);  // characteristics
  PatchU32(header, 0, static_cast<std::uint32_t>(data.size()));
  PatchU32(header, 4, static_cast<std::uint32_t>(header.size()));
  std::string entry = header + data;
  Pad4(entry);
  return entry;
}

inline std::string ResMarker() { return ResEntry(TResId::FromOrdinal(0), TResId::FromOrdinal(0), ""); }

inline std::string ResFile(const std::vector<std::string>& entries) {
  std::string file = ResMarker();
  for (const auto& e : entries) file += e;
  return file;
}

// String-table data: the given slots, the rest of the 16 empty.
inline std::string StringTableData(const std::vector<std::u16string>& slots) {
  std::string data;
  for (std::size_t i = 0; i < 16; ++i) {
    const std::u16string text = i < slots.size() ? slots[i] : u"";
    PutU16(data, static_cast<std::uint16_t>(text.size()));
    for (const char16_t c : text) PutU16(data, c);
  }
  return data;
}

inline std::string StringTable(std::uint16_t name, const std::vector<std::u16string>& slots,
                               std::uint16_t language = 0x0409) {
  return ResEntry(TResId::FromOrdinal(ResTypeString), TResId::FromOrdinal(name), StringTableData(slots),
                  language);
}

}  // namespace sw::test
