// The kinds of files a library's folders are scanned for, declared once: for
// each its settings bit, its extensions, the command line's name, the
// window's check box, and the two functions the processing run calls for a
// file of that kind: `Read`, which parses the file into a `TFileContents`
// (on any thread, touching no storage), and `Merge`, which puts what was
// read into the run's translation storage (on the run's thread, in folder
// order). Everything that lists the kinds walks this table: the run and its
// counters, the command line's --scan, summaries and `libraries`, the
// window's check boxes and the run report.
//
// A new kind is one row here, with its bit, and its reader and merger (a
// file beside FileKindReaders.cpp, declared below) over the extractor that
// parses it. Bits are stored in settings files: a bit once given keeps its
// meaning.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "memory/FileCache.h"

namespace sw {

class TLocStorage;
class TStringList;

// File kinds of `ScanFiles` (bit values).
inline constexpr int sfResFiles = 1;  // .RES, .R32
inline constexpr int sfPasFiles = 2;  // .PAS
inline constexpr int sfRcFiles = 4;   // .RC
inline constexpr int sfDfmFiles = 8;  // .DFM
inline constexpr int sfExeFiles = 16;  // .EXE, .DLL, .BPL and resource DLLs

// What a kind's reader needs to know of the language whose folder it reads.
struct TKindReadSettings {
  std::uint16_t LangId = 0;
  unsigned CodePage = 0;  // of the language: ANSI bytes of its folder are its text
  bool Native = true;     // the native pass, which creates items; a translation fills them
  const TStringList* PropRules = nullptr;  // the library's property rules
};

// Where a kind's merger puts what was read: one column of the run's storage,
// at the pass's revision.
struct TKindMergeTarget {
  TLocStorage& Storage;
  int Column;
  bool Native;  // only the native pass creates items
  std::int32_t Revision;
  const TStringList& PropRules;
  std::vector<std::string>& Warnings;  // what the reader warned of, for the run's statistics
};

// What a reader made of one file; each kind derives its own.
class TFileContents {
 public:
  virtual ~TFileContents() = default;
};

// Raises the reader's error (naming the place when it knows it) for a file
// it cannot read.
using TKindReader = std::unique_ptr<TFileContents> (*)(const std::string& path, const TKindReadSettings& settings);
// Called only with what the same kind's reader returned, once (it may use it up).
using TKindMerger = void (*)(const std::string& path, TFileContents& contents, TKindMergeTarget& target);
// Whether a file read to make a kept result is unchanged since, given its
// path, its stamp and its content hash then (the cache's rules, as for the
// file itself).
using TDependencyCheck = std::function<bool(const std::string& path, const TFileStamp& stamp, std::uint64_t hash)>;
// A kind whose results the run's per-file cache keeps (memory/FileCache.h):
// its reader over the bytes of the file, and the byte form of what it read.
struct TKindCache {
  std::unique_ptr<TFileContents> (*Parse)(const std::string& path, const std::string& bytes,
                                          const TKindReadSettings& settings);
  // False for contents not to be kept (a file that failed part-way).
  bool (*Encode)(const TFileContents& contents, std::string& bytes);
  // Null for bytes that are not what Encode makes.
  std::unique_ptr<TFileContents> (*Decode)(std::string_view bytes);
  // For a kind whose result depends on other files too (null for one that
  // depends on its file alone): whether what it was made from besides its
  // file is as it was then. `unchanged` tells that of one file read then,
  // from its path and the stamp and content hash it had.
  bool (*StillCurrent)(const TFileContents& contents, const TDependencyCheck& unchanged) = nullptr;
};
// For a kind also recognised by content: whether a file whose extension no
// kind has is of this kind.
using TKindRecognizer = bool (*)(const std::string& path);

struct TFileKind {
  int Bit;                                     // the `ScanFiles` bit
  std::array<std::string_view, 3> Extensions;  // lower case, with the dot; "" when unused
  std::string_view CliName;                    // --scan and the summary's name
  std::string_view BoxName;                    // the window's check box
  std::string_view Caption;                    // and its caption
  TKindReader Read;
  TKindMerger Merge;
  // Whether a new library scans the kind. Compiled programs are read by
  // choice: a folder holding both the build output and its sources would
  // yield every string twice.
  bool ScannedByDefault = true;
  TKindRecognizer Recognize = nullptr;
  const TKindCache* Cache = nullptr;  // null: read every time
};

// The readers and mergers of the kinds (FileKindReaders.cpp).
std::unique_ptr<TFileContents> ReadResFile(const std::string& path, const TKindReadSettings& settings);
void MergeResFile(const std::string& path, TFileContents& contents, TKindMergeTarget& target);
std::unique_ptr<TFileContents> ReadPasFile(const std::string& path, const TKindReadSettings& settings);
std::unique_ptr<TFileContents> ReadRcFile(const std::string& path, const TKindReadSettings& settings);
void MergeSourceFile(const std::string& path, TFileContents& contents, TKindMergeTarget& target);
std::unique_ptr<TFileContents> ReadDfmFile(const std::string& path, const TKindReadSettings& settings);
void MergeDfmFile(const std::string& path, TFileContents& contents, TKindMergeTarget& target);
extern const TKindCache kDfmCache;
extern const TKindCache kPasCache;
extern const TKindCache kRcCache;
// Compiled programs and resource DLLs (CompiledProgramKind.cpp).
std::unique_ptr<TFileContents> ReadCompiledFile(const std::string& path, const TKindReadSettings& settings);
void MergeCompiledFile(const std::string& path, TFileContents& contents, TKindMergeTarget& target);
bool IsResourceDllFile(const std::string& path);

// In the order of the run's counters (`TRunStats::FilesRead`) and of the
// window's check boxes.
inline constexpr std::array kFileKinds{
    TFileKind{sfResFiles, {".res", ".r32", ""}, "res", "cbResFiles", ".RES, .R32 files", ReadResFile, MergeResFile},
    TFileKind{sfPasFiles, {".pas", "", ""}, "pas", "cbPasFiles", ".PAS files", ReadPasFile, MergeSourceFile, true,
              nullptr, &kPasCache},
    TFileKind{sfRcFiles, {".rc", "", ""}, "rc", "cbRCFiles", ".RC Files", ReadRcFile, MergeSourceFile, true, nullptr,
              &kRcCache},
    TFileKind{sfDfmFiles, {".dfm", "", ""}, "dfm", "cbDFMFiles", ".DFM Files", ReadDfmFile, MergeDfmFile, true, nullptr,
              &kDfmCache},
    TFileKind{sfExeFiles, {".exe", ".dll", ".bpl"}, "exe", "cbExeFiles", "Compiled programs (.EXE, .DLL, .BPL)",
              ReadCompiledFile, MergeCompiledFile, false, IsResourceDllFile},
};
inline constexpr std::size_t kFileKindCount = kFileKinds.size();

// A new row must not share a bit, an extension or a name with another.
constexpr bool FileKindsAreDistinct() {
  for (std::size_t a = 0; a < kFileKinds.size(); ++a) {
    const TFileKind& kind = kFileKinds[a];
    // (Whether Read and Merge are set cannot be asked here: a sanitized build
    // does not treat a function's address as a constant. FileKindsTest does.)
    if (kind.Bit <= 0 || (kind.Bit & (kind.Bit - 1)) != 0 || kind.Extensions[0].empty()) return false;
    for (std::size_t b = a + 1; b < kFileKinds.size(); ++b) {
      const TFileKind& other = kFileKinds[b];
      if (kind.Bit == other.Bit || kind.CliName == other.CliName || kind.BoxName == other.BoxName) return false;
      for (std::string_view ext : kind.Extensions)
        for (std::string_view otherExt : other.Extensions)
          if (!ext.empty() && ext == otherExt) return false;
    }
  }
  return true;
}
static_assert(FileKindsAreDistinct(), "each file kind needs its own bit (a power of two), extensions and names");

// Every kind's bit.
inline constexpr int sfAllFiles = [] {
  int bits = 0;
  for (const TFileKind& kind : kFileKinds) bits |= kind.Bit;
  return bits;
}();
// The kinds a new library scans (`ScannedByDefault`).
inline constexpr int sfDefaultFiles = [] {
  int bits = 0;
  for (const TFileKind& kind : kFileKinds)
    if (kind.ScannedByDefault) bits |= kind.Bit;
  return bits;
}();

// The index in `kFileKinds` of the kind with extension `lowerExt` (lower
// case, with the dot); -1 when no kind has it.
constexpr int FileKindOfExtension(std::string_view lowerExt) {
  for (std::size_t k = 0; k < kFileKinds.size(); ++k)
    for (std::string_view ext : kFileKinds[k].Extensions)
      if (!ext.empty() && ext == lowerExt) return static_cast<int>(k);
  return -1;
}

// The index in `kFileKinds` of the kind named `name` on the command line
// ("res", or one of its extensions without the dot, "r32"); -1 when none.
constexpr int FileKindOfName(std::string_view lowerName) {
  for (std::size_t k = 0; k < kFileKinds.size(); ++k) {
    if (kFileKinds[k].CliName == lowerName) return static_cast<int>(k);
    for (std::string_view ext : kFileKinds[k].Extensions)
      if (!ext.empty() && ext.substr(1) == lowerName) return static_cast<int>(k);
  }
  return -1;
}

// The command line's names of the kinds whose bits are set, joined by
// `separator` ("res,pas"); "none" when none is.
std::string FileKindNames(int scanFiles, std::string_view separator);

}  // namespace sw
