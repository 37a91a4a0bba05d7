// Test helper: a canonical text dump of what a storage holds in one column
// (forms, components, properties, external groups), to compare the content
// recorded from different inputs at a glance.
#pragma once

#include <string>

#include "base/Unicode.h"
#include "storage/LocStorage.h"

namespace sw::test {

inline std::string Escaped(const std::u16string& text) {
  std::string out;
  for (char c : Utf16ToUtf8(text)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

inline std::string DumpItem(const TLocItem& item, int column, bool withIds) {
  std::string s = item.ItemName;
  if (withIds) s += " #" + std::to_string(item.ItemId);
  s += " kind=" + std::to_string(item.ValueKind());
  s += " state=" + std::to_string(item.NativeValue()->StateFlags);
  s += " '" + Escaped(item.Values(column)->Text) + "'";
  return s;
}

inline std::string DumpStorage(const TLocStorage& storage, int column = 0, bool withIds = true) {
  std::string s;
  for (int f = 0; f < storage.Forms->Count(); ++f) {
    const TLocForm* form = storage.Forms->Items(f);
    s += "form '" + form->ItemName + "' attr=" + std::to_string(form->Attributes) + "\n";
    for (int p = 0; p < form->Properties->Count(); ++p)
      s += "  " + DumpItem(*form->Properties->Items(p), column, withIds) + "\n";
    for (int c = 0; c < form->Components->Count(); ++c) {
      const TLocComponent* comp = form->Components->Items(c);
      s += "  component '" + comp->ItemName + "' attr=" + std::to_string(comp->Attributes) + "\n";
      for (int p = 0; p < comp->Properties->Count(); ++p)
        s += "    " + DumpItem(*comp->Properties->Items(p), column, withIds) + "\n";
    }
  }
  for (int g = 0; g < storage.ExtGroups->Count(); ++g) {
    const TLocExtGroup* group = storage.ExtGroups->Items(g);
    s += "group '" + group->ItemName + "'\n";
    for (int i = 0; i < group->ExtItems->Count(); ++i)
      s += "  " + DumpItem(*group->ExtItems->Items(i), column, withIds) + "\n";
  }
  return s;
}

}  // namespace sw::test
