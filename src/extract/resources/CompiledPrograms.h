// CompiledPrograms: a compiled program (.exe, .dll, .bpl) or a resource DLL
// (a PE image named <stem>.<language abbreviation>, such as App.DEU) as input
// of the processing run, in two steps like the other readers: reading, which
// touches no storage and may run on any thread, and merging into the run's
// storage column.
//
// Reading takes the resources of one language (chosen for the language being
// processed as for a resource script's string tables, see
// `ChoosePeLanguages`): the strings of its string tables, decoded as those of
// a .res file, and its forms (RCDATA holding a binary form stream). When a
// `<stem>.drc` file lies beside the program (the linker's map of resource
// strings: `#define Unit_Name id` lines and a STRINGTABLE), the string ids it
// names are read from it with the resource-script reader.
//
// Merging records each string like a .res file's string: a string the .drc
// names becomes the constant `Name` of the unit `Unit`, as the unit's own
// resourcestring section yields it (a unit already in the storage whose
// dotted name spelled with "_" starts the define decides where the unit's
// name ends; otherwise the last "_" does, the "_" before it standing for the
// dots of a dotted unit name); any other string is the constant named by its
// id in the unit named after the file. A translation pass finds its strings
// by those names, or by the string id the native pass recorded. Forms merge
// as binary form files do. Nothing here talks to the user; errors carry the
// file name.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "extract/resources/PeResources.h"
#include "runtime/StringList.h"

namespace sw {

class TLocStorage;

// What reading one compiled program yields.
struct TCompiledProgram {
  std::string FileName;
  std::unique_ptr<TPeImage> Image;  // the forms' bytes point into it
  std::vector<std::unique_ptr<TPeLanguage>> Languages;
  std::vector<std::size_t> Taken;  // indices into Languages
  // The strings of the taken languages (for an id in two, the first
  // language's) and their forms.
  TResString Strings{nullptr};
  std::vector<const TPeForm*> Forms;
  // The .drc read beside the program ("" when none) and the names it gives
  // string ids ("Unit_Name" as written there).
  std::string DrcFile;
  std::map<std::uint16_t, std::string> StringNames;
  std::vector<std::string> Warnings;

  // The language taken first, as "0409"; "" when the program has no resources.
  std::string TakenLanguageName() const;
};

// Reads the program for the language `langId` (0 = not known); `codePage`
// decodes 8-bit text of its .drc (0 = the system ANSI code page). Raises
// EResError with the file name (see TPeImage).
std::unique_ptr<TCompiledProgram> ReadCompiledProgram(const std::string& fileName, std::uint16_t langId,
                                                      unsigned codePage);

// True for a resource DLL: a file whose extension is a known language
// abbreviation (.DEU, .FRA, .ENU, ...) and whose content is a PE image.
bool IsResourceDll(const std::string& fileName);

// Where merged items go: the run's storage, its column and revision.
struct TCompiledMergeTarget {
  TLocStorage* Storage = nullptr;
  int Column = 0;
  std::int32_t Revision = 0;
  bool Native = true;               // the native pass adds what is new
  const TStringList* PropRules = nullptr;  // the forms' property rules
  std::uint16_t LangId = 0;         // the column's language
};

void MergeCompiledProgram(const TCompiledProgram& program, const TCompiledMergeTarget& target);

// The unit and constant a .drc define names, as `MergeCompiledProgram`
// splits it with the units of `storage` (which may be null).
std::pair<std::string, std::string> SplitDrcName(const std::string& define, const TLocStorage* storage);

}  // namespace sw
