// TIniFile: a profile file (the Windows ".ini" format) held in memory as its
// lines. Sections are "[name]" lines, keys are "key=value" lines below them;
// section and key names compare without regard to case (Windows-1252 letters
// included). A line inside a section without "=" is a key with an empty value
// (free-form sections such as property rules are read as their keys). Values
// are read trimmed of surrounding blanks. Lines starting with ";" are
// comments.
//
// Edits touch only the lines they change: comments, blank lines, keys of
// other programs and lines that fit no pattern stay exactly as they were.
// Reading accepts CR LF, LF and a lone CR; the file is written with CR LF by
// `UpdateFile`, which replaces it atomically. A missing file is an empty
// profile. Nothing is written until `UpdateFile` is called.
//
// A file that is no profile file is refused when it is loaded (EIniFileError
// naming it), so that it can never be written back as one: a folder or
// another kind of entry, text holding NUL bytes (a binary file), or text with
// lines but no "[section]" line.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Exceptions.h"
#include "runtime/StringList.h"

namespace sw {

SW_DECLARE_EXCEPTION(EIniFileError, Exception)

inline constexpr const char* SIniIsFolder = "%s is a folder, not a settings file";
inline constexpr const char* SIniNotAFile = "%s is not a regular file, so it cannot be a settings file";
inline constexpr const char* SIniHasNulBytes = "%s is not a settings file: it holds NUL bytes (a binary file?)";
inline constexpr const char* SIniNoSection = "%s is not a settings file: it has text but no [section] line";

class TIniFile {
 public:
  // Loads `fileName` when it exists; raises EFOpenError when it exists but
  // cannot be read, EIniFileError when it is no profile file.
  explicit TIniFile(std::string fileName);
  // A profile made from `text` as it stands (not checked); `fileName` is
  // where `UpdateFile` writes.
  static TIniFile FromText(std::string_view text, std::string fileName = {});

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view ident, std::string_view defaultValue) const;
  void WriteString(std::string_view section, std::string_view ident, std::string_view value);
  // A value that is no integer (decimal, "$"/"0x" hexadecimal) gives the default.
  int ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const;
  void WriteInteger(std::string_view section, std::string_view ident, int value);
  // An integer value other than 0 is true.
  bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
  void WriteBool(std::string_view section, std::string_view ident, bool value);

  // The keys of a section in file order (the list is cleared first).
  void ReadSection(std::string_view section, TStringList& keys) const;
  // "key=value" lines of a section with trimmed key and value; a key without
  // "=" is given alone.
  void ReadSectionValues(std::string_view section, TStringList& lines) const;
  // The section names in file order, each once.
  void ReadSections(TStringList& sections) const;
  // True when a "[section]" line exists, even with nothing below it.
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view ident) const;
  void DeleteKey(std::string_view section, std::string_view ident);
  // Appends a free-form line (one without "=", as property rules and ignore
  // lists have) to a section, creating the section at the end when missing.
  void AddSectionLine(std::string_view section, std::string_view line);
  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);
  // Replaces the content of a free-form section (property rules) with
  // `lines`, written as they are, where the section stands (at the end when
  // it is new); a repeated section of that name goes. No lines: no section.
  void WriteSectionLines(std::string_view section, const TStringList& lines);
  // Renames every section of that name; its lines stay as they are.
  void RenameSection(std::string_view section, std::string_view newName);

  // Writes the profile to `FileName()` with CR LF line ends, atomically.
  // Raises EFCreateError when the file cannot be written.
  void UpdateFile();
  bool Modified() const { return modified_; }

  // The profile as it would be written.
  std::string Text() const { return lines_.Text(); }
  const TStringList& Lines() const { return lines_; }

 private:
  TIniFile() = default;
  // Raises EIniFileError for text that is no profile (see above).
  void CheckProfileText() const;
  // [header, end) line ranges of every section with that name, in file order.
  std::vector<std::pair<int, int>> SectionRanges(std::string_view section) const;
  // Index of the first key line of that name in those sections, else -1.
  int FindKeyLine(std::string_view section, std::string_view ident) const;

  std::string fileName_;
  TStringList lines_;
  bool modified_ = false;
};

}  // namespace sw
