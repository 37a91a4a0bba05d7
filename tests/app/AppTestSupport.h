// Helpers for the processing-run tests: writers of the input files a library
// holds (compiled resource files with string tables, binary form streams) and
// a reader that turns a language file into a flat map for comparisons.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Streams.h"
#include "base/Unicode.h"
#include "storage/LocLangFile.h"

namespace sw::testing {

inline void PutU16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

// A 32-bit .res file holding string tables for the given (id, text) pairs.
inline std::string StringTableRes(const std::vector<std::pair<int, std::u16string>>& strings,
                                  std::uint16_t lang = 0x0409) {
  std::string out;
  PutU32(out, 0);
  PutU32(out, 32);
  PutU16(out, 0xFFFF);
  PutU16(out, 0);
  PutU16(out, 0xFFFF);
  PutU16(out, 0);
  out.append(16, '\0');
  std::map<int, std::map<int, std::u16string>> tables;
  for (const auto& [id, text] : strings) tables[id / 16 + 1][id % 16] = text;
  for (const auto& [block, slots] : tables) {
    std::string data;
    for (int slot = 0; slot < 16; ++slot) {
      const auto it = slots.find(slot);
      const std::u16string text = it == slots.end() ? u"" : it->second;
      PutU16(data, static_cast<std::uint32_t>(text.size()));
      for (char16_t c : text) PutU16(data, c);
    }
    std::string header;
    PutU16(header, 0xFFFF);
    PutU16(header, 6);
    PutU16(header, 0xFFFF);
    PutU16(header, static_cast<std::uint32_t>(block));
    PutU32(header, 0);
    PutU16(header, 0x1030);
    PutU16(header, lang);
    PutU32(header, 0);
    PutU32(header, 0);
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    PutU32(out, static_cast<std::uint32_t>(8 + header.size()));
    out += header;
    out += data;
    while (out.size() % 4) out += '\0';
  }
  return out;
}

// Builds a binary form stream ("TPF0") component by component.
class BinaryForm {
 public:
  BinaryForm() : bytes_("TPF0") {}
  BinaryForm& Begin(const std::string& cls, const std::string& name) {
    Short(cls);
    Short(name);
    return *this;
  }
  BinaryForm& String(const std::string& prop, const std::string& ascii) {
    Short(prop);
    bytes_ += '\x06';
    Short(ascii);
    return *this;
  }
  BinaryForm& WideString(const std::string& prop, const std::u16string& text) {
    Short(prop);
    bytes_ += '\x12';
    PutU32(bytes_, static_cast<std::uint32_t>(text.size()));
    for (char16_t c : text) PutU16(bytes_, c);
    return *this;
  }
  BinaryForm& Int(const std::string& prop, int value) {
    Short(prop);
    bytes_ += '\x04';
    PutU32(bytes_, static_cast<std::uint32_t>(value));
    return *this;
  }
  BinaryForm& EndProperties() {
    bytes_ += '\0';
    return *this;
  }
  BinaryForm& End() {
    bytes_ += '\0';
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  void Short(const std::string& s) {
    bytes_ += static_cast<char>(s.size());
    bytes_ += s;
  }
  std::string bytes_;
};

// A language file read into a map: "U:<unit>.<constant>", "F:<form>.<component>.<property>"
// (component empty for the form's own), "X:<group>.<item>".
struct LngContent {
  TLangFileHeader Header;
  std::map<std::string, TLangFileEntry> Entries;
  const TLangFileEntry* Find(const std::string& key) const {
    const auto it = Entries.find(key);
    return it == Entries.end() ? nullptr : &it->second;
  }
  std::u16string Text(const std::string& key) const {
    const auto* entry = Find(key);
    return entry ? entry->Text : u"<missing>";
  }
  int Revision(const std::string& key) const {
    const auto* entry = Find(key);
    return entry ? entry->Revision : -1000;
  }
};

class LngCollector : public TLangFileVisitor {
 public:
  explicit LngCollector(LngContent& out) : out_(out) {}
  void Header(const TLangFileHeader& header) override { out_.Header = header; }
  void Unit(const std::string& name, std::uint16_t) override { unit_ = name; }
  void Constant(const TLangFileEntry& entry) override { out_.Entries["U:" + unit_ + "." + entry.Name] = entry; }
  void Form(const std::string& name, std::uint16_t) override {
    form_ = name;
    component_.clear();
  }
  void Component(const std::string& name, std::uint16_t) override { component_ = name; }
  void Property(const TLangFileEntry& entry) override {
    out_.Entries["F:" + form_ + "." + component_ + "." + entry.Name] = entry;
  }
  void ExtGroup(const std::string& name, std::uint16_t) override { group_ = name; }
  void ExtItem(const TLangFileEntry& entry) override { out_.Entries["X:" + group_ + "." + entry.Name] = entry; }

 private:
  LngContent& out_;
  std::string unit_, form_, component_, group_;
};

inline LngContent ReadLng(const std::string& path) {
  LngContent content;
  TMemoryStream data;
  data.LoadFromFile(path);
  ExpandIfCompressed(data);
  data.SetPosition(0);
  TLangFileReader reader(data, path);
  LngCollector collector(content);
  reader.Read(collector);
  return content;
}

}  // namespace sw::testing
