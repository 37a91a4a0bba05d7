// PeResources: the resources of a compiled Windows program (a PE image: .exe,
// .dll, .bpl, a resource DLL), 32-bit (PE32) or 64-bit (PE32+). The reader
// follows the image as the loader lays it out: the DOS header's pointer to
// the PE signature, the file header, the optional header's data directory
// entry of the resources, the section table, and the resource directory tree
// (type, then name, then language; each level with named entries, a length-
// prefixed UTF-16 text, and numbered ones). Data entries give the relative
// virtual address of their bytes, mapped to the file through the section
// that holds them.
//
// Only the resources this system extracts are listed: string tables (type 6)
// and RCDATA (type 10). The reader does not load, relocate or run anything,
// and reads no other part of the image (imports, code, version information).
//
// Damaged or hostile input raises EResError "Invalid file format" with the
// file offset and what was wrong: a resource directory reached twice (a loop
// or a shared subdirectory), sections that overlap in memory or lie past the
// end of the file, counts that do not fit in what is left, names and data
// that run past their section. Every directory is read once, so the work and
// the memory are bounded by the size of the file. `IsPeImage` tells a PE
// image from other files without raising.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "extract/resources/ResStringTables.h"
#include "extract/resources/WinResReader.h"

namespace sw {

// One resource of the image. `Data` stays valid as long as its image lives.
struct TPeResource {
  TResId ResType;
  TResId ResName;
  std::uint16_t Language = 0;
  std::span<const std::uint8_t> Data;
  std::uint64_t Offset = 0;  // of the data in the file
};

// True when `bytes` start like a PE image: "MZ", and at the offset the DOS
// header gives, "PE\0\0".
bool IsPeImage(std::span<const std::uint8_t> bytes);
// The same for the start of a file; false when it cannot be read.
bool IsPeImageFile(const std::string& fileName);

class TPeImage {
 public:
  // Reads the whole file and lists its resources. Raises EResError
  // "Couldn't open: %s" when the file cannot be read and "Invalid file
  // format" (with the offset) when it is no PE image or is damaged; both
  // carry the file name.
  explicit TPeImage(const std::string& fileName);
  // An image already in memory; `fileName` only names it.
  TPeImage(std::string fileName, std::string image);

  TPeImage(const TPeImage&) = delete;
  TPeImage& operator=(const TPeImage&) = delete;

  const std::string& FileName() const { return fileName_; }
  bool Is64() const { return is64_; }
  // String tables and RCDATA, in the order of the resource directory.
  const std::vector<TPeResource>& Resources() const { return resources_; }

 private:
  void Parse();

  std::string fileName_;
  std::string image_;
  bool is64_ = false;
  std::vector<TPeResource> resources_;
};

// A form stored as RCDATA: its resource name (the form's class name, such as
// TMAINFORM) and its binary form stream.
struct TPeForm {
  std::string Name;  // UTF-8; an ordinal name in decimal
  std::span<const std::uint8_t> Data;
  std::uint64_t Offset = 0;
};

// What one resource language of an image holds.
struct TPeLanguage {
  std::uint16_t Language = 0;
  TResString Strings{nullptr};  // decoded as a .res file's string tables are
  std::vector<TPeForm> Forms;   // RCDATA starting with the form stream signature
};

// The resources of the image grouped by language, in the order the languages
// first appear. A damaged string table raises EResError with the file name.
std::vector<std::unique_ptr<TPeLanguage>> PeLanguages(const TPeImage& image);

// The indices in `languages` to take for `langId` (0 = not known), chosen as
// for the string tables of a resource script: the language itself, else its
// primary language, else the neutral ones, else the first present. Empty when
// there are no languages.
std::vector<std::size_t> ChoosePeLanguages(const std::vector<std::unique_ptr<TPeLanguage>>& languages,
                                           std::uint16_t langId);

// "0409" for a resource language.
std::string PeLanguageName(std::uint16_t language);

}  // namespace sw
