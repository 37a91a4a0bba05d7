// Library definitions and their persistence, free of any window toolkit.
//
// A library is one application's translation project: display name, short
// name (the stem of its language files), source and destination folders, the
// file kinds to scan and an ordered language list whose first entry is the
// native language. This module owns the in-memory language list
// (`TLibLanguage`, `TLibLangList`) and every persistent format of the
// application layer:
//
// - the settings file, a profile (ini) file with the sections
//   [Main] (LastLib=n), [PropRules] (global rules),
//   [Library<N>] (Name, ShortName, SrcDir, DestDir, ScanFiles, and the
//   switches RemoveUnused, KeepUnchangedFiles, MemoryFile),
//   [Languages<N>Lib] (one "decimal language id=sub-folder" line per language,
//   native first), [PropRules<N>Lib] (per-library rules) and
//   [IgnoredChecks<N>Lib] (translation-check problems known to be false
//   positives, one "LANG CHECK ITEM" line each, hand-edited);
// - the sibling tool's "LibraryPath" value (a semicolon-separated folder list);
// - lib.ini in the destination folder: [Common] Name=, FileName=, NativeExt=,
//   an empty line, [PropRules] and the rules in force, every line ended by CR LF.
//
// The main window drives these operations; nothing here talks to the user.
// Files are replaced atomically, so a crash never leaves half a settings file.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileKinds.h"
#include "base/Exceptions.h"
#include "runtime/StringList.h"
#include "util/OwningList.h"

namespace sw {

class TIniFile;

// The error of the application layer (processing run and library settings).
SW_DECLARE_EXCEPTION(EShelfwrightError, Exception)
// A settings file that cannot be used at all: missing where it must exist,
// a folder, or no profile file (the profile reader's EIniFileError covers the
// last two when the file is read).
SW_DECLARE_EXCEPTION(ESettingsFileError, Exception)

inline constexpr const char* SSettingsFileMissing = "The settings file %s does not exist";
inline constexpr const char* SSettingsFileCreate = "The settings file %s does not exist. Create it?";
// A value of the settings file that cannot be used: file, section, key, problem.
inline constexpr const char* SSettingsValueError = "%s: [%s] %s: %s";
inline constexpr const char* SNotALanguageId = "'%s' is not a valid language identifier";


// One language of a library: a 16-bit Windows language identifier (held in a
// 32-bit field) and its folder below the library's source folder.
class TLibLanguage {
 public:
  TLibLanguage() = default;
  TLibLanguage(int langId, std::string subFolder) : LangId(langId), SubFolder(std::move(subFolder)) {}
  int LangId = 0;
  std::string SubFolder;
};

// The languages of a library in order; the first is the native language.
class TLibLangList : public TQObjectList<TLibLanguage> {
 public:
  // First index whose `LangId` equals the 16-bit identifier, -1 when none.
  int IndexOfLangId(int langId) const;
  // Appends a new language only when the identifier is not in the list yet;
  // returns the new entry, or nullptr when the identifier was already there.
  TLibLanguage* AddLibLanguage(int langId, const std::string& subFolder);
  // Moves the entry at `fromIndex` so that it ends up at `toIndex`.
  void Move(int fromIndex, int toIndex);
  // Replaces the content by copies of `other`'s languages.
  void Assign(const TLibLangList& other);
};

// One library as stored in [Library<N>] and [Languages<N>Lib].
struct TLibraryDefinition {
  std::string Name;
  std::string ShortName;
  std::string SrcDir;
  std::string DestDir;
  int ScanFiles = sfResFiles;
  TLibLangList Languages;
  // The keys of [PropRules<N>Lib] (the part of each line before the first
  // "="). Empty when the library has none: the rules in force then stay.
  TStringList PropRules;
  // MemoryFile=: the library's memory file; "" = <ShortName>.memory.sqlite
  // in the destination folder. A relative name is taken from the settings
  // file's folder. Saving an empty one leaves the stored key as it is (the
  // window does not edit it).
  std::string MemoryFile;
  // KeepUnchangedFiles=1: a language file whose pass changed nothing is
  // left as it is, revision included (off when missing or anything but 1).
  bool KeepUnchangedFiles = false;
};

// What `LoadLibraryList` finds in the settings file.
struct TLibraryList {
  int LastLib = 0;               // [Main] LastLib; 0 = none
  TStringList GlobalPropRules;   // [PropRules] lines as written; empty when none
  std::vector<std::string> Names;  // "Name" of Library1, Library2, ... up to the first gap
};

// Section names of library n.
std::string LibrarySectionName(int n);    // "Library<n>"
std::string LanguagesSectionName(int n);  // "Languages<n>Lib"
std::string PropRulesSectionName(int n);  // "PropRules<n>Lib"
std::string IgnoredChecksSectionName(int n);  // "IgnoredChecks<n>Lib"

// Where and how large the main window was when it closed ([Main] keys
// WindowLeft, WindowTop, WindowWidth, WindowHeight, WindowMaximized).
// A width or height of 0 means nothing is remembered.
struct TWindowPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Maximized = false;
  bool Remembered() const { return Width > 0 && Height > 0; }
  bool operator==(const TWindowPlacement&) const = default;
};

// The settings file holding every library definition. Every operation reads
// or writes the file itself; the object only remembers its name.
class TLibrarySettings {
 public:
  explicit TLibrarySettings(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  // What is at the file's path: nothing yet, a folder, or something else (a
  // file, which reading checks further).
  enum class TFileState { Missing, Folder, Present };
  TFileState FileState() const;
  // For a settings file the user named: raises ESettingsFileError naming it
  // when it does not exist or is a folder.
  void RequireFile() const;
  // Creates an empty settings file (with its folder) where none exists yet.
  void CreateFile();

  // Reads [Main], [PropRules] and the library names. A settings file that does
  // not exist yet is an empty list; one that is no profile file raises
  // EIniFileError. A "LastLib" that is not a whole number raises
  // EConvertError naming the file, the section and the key.
  TLibraryList LoadLibraryList() const;

  // Reads library n (1-based). Missing keys give empty texts and ScanFiles 1;
  // a repeated language identifier is ignored after its first line; a language
  // key that is no language identifier, or a "ScanFiles" that is no whole
  // number, raises EConvertError naming the file, the section and the key.
  TLibraryDefinition LoadLibrary(int n) const;

  // Writes [Library<n>] and replaces [Languages<n>Lib]; [PropRules<n>Lib] is
  // left as it is.
  void SaveLibrary(int n, const TLibraryDefinition& library);

  // Replaces the property rules of library n ([PropRules<n>Lib]), or for
  // n = 0 the default rules of every library without its own ([PropRules]);
  // no rules remove the section (the library then uses the defaults, the
  // defaults the built-in ones).
  void SavePropRules(int n, const TStringList& rules);

  // Writes [Main] LastLib.
  void SaveLastLib(int curLib);

  // [Main] Jobs: how many files a run reads in parallel, 1 to 256; 0 (the
  // machine's cores) when the key is missing or no such number, or the file
  // cannot be read.
  int LoadJobs() const;

  // The lines of [IgnoredChecks<n>Lib] as written (comments left out); empty
  // when the file or the section does not exist.
  std::vector<std::string> LoadIgnoredChecks(int n) const;
  // Adds one "LANG CHECK ITEM" line to [IgnoredChecks<n>Lib] unless the
  // section holds it already.
  void AddIgnoredCheck(int n, const std::string& line);

  // Removes library n and renumbers libraries n+1 .. `libraryCount` one down
  // (their [Library<a>], [Languages<a>Lib], [PropRules<a>Lib] and
  // [IgnoredChecks<a>Lib] headers only; nothing else in the text changes).
  void DeleteLibrarySettings(int n, int libraryCount);

  // Finds a library by its display name (exact, then without regard to case);
  // returns its number or 0.
  int FindLibraryByName(const std::string& name) const;

  // The main window's remembered placement; values that are missing, not
  // whole numbers or out of range give a placement that is not remembered.
  TWindowPlacement LoadWindowPlacement() const;
  void SaveWindowPlacement(const TWindowPlacement& placement);

  // "Remove unused items during refresh" of library n ([Library<n>]
  // RemoveUnused=0/1; off when missing).
  bool LoadRemoveUnused(int n) const;
  void SaveRemoveUnused(int n, bool removeUnused);

 private:
  // Writes the profile back, creating the settings folder when needed.
  void Save(TIniFile& ini) const;
  std::string fileName_;
};

// The first folder of a semicolon-separated list as the sibling tool stores
// it: an item in double quotes may hold blanks; an unquoted item ends at a
// blank or control character. "" when the list is empty.
std::string FirstLibraryPath(std::string_view value);

// The sibling tool's "LibraryPath", first folder only ("" when not set).
std::string ReadLibraryPath();
// The sibling tool's raw "LibraryPath" ("" when not set): the environment
// variable LINGUADESK_LIBRARY_PATH when set (even to ""), else the registry
// where there is one, else the key "LibraryPath" of section [Linguadesk] in
// $XDG_CONFIG_HOME/linguadesk/linguadesk.ini.
std::string ReadSiblingLibraryPath();

// The seven kinds of lines of lib.ini, each ended by CR LF. Raises
// EShelfwrightError for a library without languages.
std::string BuildLibIni(const std::string& name, const std::string& shortName,
                        const TLibLangList& languages, const TStringList& propRules);

// Writes lib.ini into `destDir`, replacing any existing file atomically.
// With `keepSame` a lib.ini that already holds exactly these lines is left
// untouched. Returns whether the file was written.
bool WriteLibIni(const std::string& destDir, const std::string& name, const std::string& shortName,
                 const TLibLangList& languages, const TStringList& propRules, bool keepSame = false);

}  // namespace sw
