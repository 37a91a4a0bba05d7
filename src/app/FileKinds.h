// The kinds of files a library's folders are scanned for, declared once: the
// settings bit, the extensions, the command line's name and the window's
// caption of each. Everything that lists the kinds walks this table.
#pragma once

#include <array>
#include <string_view>

namespace sw {

// File kinds of `ScanFiles` (bit values).
inline constexpr int sfResFiles = 1;  // .RES, .R32
inline constexpr int sfPasFiles = 2;  // .PAS
inline constexpr int sfRcFiles = 4;   // .RC
inline constexpr int sfDfmFiles = 8;  // .DFM
inline constexpr int sfAllFiles = 15;  // the kinds a new library scans
// -- compiled programs kind (begin) --
inline constexpr int sfExeFiles = 16;  // .EXE, .DLL, .BPL and resource DLLs; chosen, not scanned by default
// -- compiled programs kind (end) --

struct TFileKind {
  int Bit;                                   // the `ScanFiles` bit
  std::array<std::string_view, 3> Extensions;  // lower case, with the dot; "" when unused
  std::string_view CliName;                  // --scan and the summary's name
  std::string_view Caption;                  // the window's check box
};

// In the order of the run's counters (`TRunStats::FilesRead`).
inline constexpr std::array<TFileKind, 5> kFileKinds{{
    {sfResFiles, {".res", ".r32"}, "res", ".RES, .R32 files"},
    {sfPasFiles, {".pas", ""}, "pas", ".PAS files"},
    {sfRcFiles, {".rc", ""}, "rc", ".RC Files"},
    {sfDfmFiles, {".dfm", ""}, "dfm", ".DFM Files"},
    // Resource DLLs (App.DEU) are recognised by their content: IsResourceDll.
    {sfExeFiles, {".exe", ".dll", ".bpl"}, "exe", "Compiled programs (.EXE, .DLL, .BPL)"},
}};

// The index in `kFileKinds` of the kind with extension `lowerExt` (lower
// case, with the dot); -1 when no kind has it.
constexpr int FileKindOfExtension(std::string_view lowerExt) {
  for (std::size_t k = 0; k < kFileKinds.size(); ++k)
    for (std::string_view ext : kFileKinds[k].Extensions)
      if (!ext.empty() && ext == lowerExt) return static_cast<int>(k);
  return -1;
}

}  // namespace sw
