// Symbols that resource scripts take from the system headers they include
// with angle brackets (windows.h, winres.h, afxres.h, ...). Those headers are
// not read; the few of their names that appear in string tables and LANGUAGE
// statements are known here: the LANG_* and SUBLANG_* language numbers, the
// dialog-button ids (IDOK, ...) and the framework's standard command and
// string ids that MFC-style string tables list.
#pragma once

#include <cstdint>
#include <string_view>

namespace sw {

// The value of a built-in symbol (compared exactly, as the headers spell
// them); false for names that are not known.
bool FindWindowsSymbol(std::string_view name, std::uint32_t& value);

}  // namespace sw
