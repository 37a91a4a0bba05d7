// libFuzzer harness for profile files and text lines: TIniFile made from
// arbitrary text is read section by section, edited and read back, and
// TStringList::LoadFromBytes splits arbitrary bytes (with or without a
// byte-order mark) into lines. Neither may raise for any input; an exception,
// a crash, a hang or a sanitizer report is a fault, and so is an edit that
// does not read back or text that does not survive being written and read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/IniFile.h"
#include "runtime/StringList.h"
#include "base/Unicode.h"

namespace {

void CheckLines(const sw::TStringList& list) {
  for (const std::string& line : list)
    if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
}

bool IsFuzz(const std::string& name) {
  if (name.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i)
    if ((name[i] | 0x20) != "fuzz"[i]) return false;
  return true;
}

void FuzzStringList(const std::string& input) {
  sw::TStringList list;
  list.LoadFromBytes(input);
  CheckLines(list);
  if (list.Encoding() == sw::TextEncoding::Utf16LE || list.Encoding() == sw::TextEncoding::Utf16BE)
    for (const std::string& line : list)
      if (!sw::IsValidUtf8(line)) __builtin_trap();
  sw::TStringList again;
  again.SetText(list.Text());
  if (!(again == list)) __builtin_trap();
}

void FuzzIni(const std::string& input) {
  sw::TIniFile ini = sw::TIniFile::FromText(input);
  CheckLines(ini.Lines());

  sw::TStringList sections;
  ini.ReadSections(sections);
  for (const std::string& section : sections) {
    if (!ini.SectionExists(section)) __builtin_trap();
    sw::TStringList keys;
    sw::TStringList values;
    ini.ReadSection(section, keys);
    ini.ReadSectionValues(section, values);
    if (keys.Count() != values.Count()) __builtin_trap();
    for (const std::string& key : keys) {
      (void)ini.ReadString(section, key, "");
      (void)ini.ReadInteger(section, key, 7);
      (void)ini.ReadBool(section, key, false);
    }
  }

  // The profile as written reads back to the same lines.
  const std::string text = ini.Text();
  if (sw::TIniFile::FromText(text).Text() != text) __builtin_trap();

  // Edits of plain names read back whatever the rest of the file holds.
  ini.WriteString("Fuzz", "Key", "Value");
  if (ini.ReadString("Fuzz", "Key", "") != "Value") __builtin_trap();
  ini.WriteInteger("Fuzz", "Number", -12);
  if (ini.ReadInteger("Fuzz", "Number", 0) != -12) __builtin_trap();
  if (!sections.Empty()) {
    const std::string first = sections[0];
    ini.WriteBool(first, "Flag", true);
    if (!ini.ReadBool(first, "Flag", false)) __builtin_trap();
    ini.DeleteKey(first, "Flag");
    if (ini.ValueExists(first, "Flag")) __builtin_trap();
    ini.RenameSection(first, "Renamed Fuzz Section");
    ini.EraseSection("Renamed Fuzz Section");
    if (ini.SectionExists("Renamed Fuzz Section")) __builtin_trap();
  }
  if (ini.ReadString("Fuzz", "Key", "") != "Value" && !(!sections.Empty() && IsFuzz(sections[0]))) __builtin_trap();
  CheckLines(ini.Lines());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  FuzzStringList(input);
  FuzzIni(input);
  return 0;
}
