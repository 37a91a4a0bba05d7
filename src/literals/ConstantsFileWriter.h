// The constants-file writer: the new content of the constants file for the
// constants to declare, as pending files (FileCommit.h). A Pascal constants
// unit (PrjConst.pas) gets the declarations in its last resourcestring
// section (a new unit, or a section before the implementation, when it has
// none); a resource script (PrjConst.rc) gets them in its STRINGTABLE (or a
// new one) with their identifiers #defined in its header (PrjConst.hpp),
// numbered down from below the smallest identifier above 45000 it uses.
// Existing files keep every byte outside the insertion; new files are
// written with CR LF line ends (the Pascal unit in UTF-8 with a byte-order
// mark when a text is not ASCII; a script then declares code page 65001).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "extract/source/SourceReaders.h"
#include "literals/FileCommit.h"

namespace sw {

// `path` with its extension (from the last "." of its file name) replaced by `ext`.
std::string WithExtension(const std::string& path, const std::string& ext);
// The unit name of a constants file: its name without folder and extension.
std::string ConstantsUnitName(const std::string& fileName);

// Nothing to declare makes no file. Raises ESrcProcessError when an existing
// constants file is not a Pascal unit.
std::vector<TPendingFile> BuildPascalConstants(const std::string& fileName, unsigned codePage,
                                               const std::vector<TStrConst*>& constants);

// Gives each constant its identifier (and every selected literal of `units`
// of the same name the same one) and builds the header and the script.
// `existing` is the script's constants as read; `nextId` the identifier to
// count down from.
std::vector<TPendingFile> BuildResourceScript(const std::string& fileName, unsigned codePage,
                                              const std::vector<TStrConst*>& constants, const TStrConstList& existing,
                                              std::uint16_t nextId, TUnitRecList& units);

}  // namespace sw
