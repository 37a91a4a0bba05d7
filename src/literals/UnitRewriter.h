// The unit rewriter: the edits that make a unit refer to the constants file
// instead of its literals: each selected literal's span replaced by its
// reference, and in Object Pascal the constants unit added to the uses
// clause, in C++ an #include of its header. A rewritten unit differs from the
// original only inside those spans (see SourceText.h for how edits land on
// the file's bytes).
#pragma once

#include <string>
#include <vector>

#include "extract/source/SourceScanner.h"
#include "extract/source/SourceText.h"
#include "extract/source/SourceReaders.h"

namespace sw {

enum class TLiteralTarget { Pascal, CppToPascalUnit, CppToResourceScript };

// What a moved literal becomes in the unit: the Pascal name; in C++ the name
// C++Builder gives a Pascal resource string (Unitname_SName) or LoadStr(SName).
std::string LiteralReference(const TStrConst& constant, TLiteralTarget target, const std::string& constUnitName);

enum class TUsesEdit { Add, Remove, Rename };

// The edits of a Pascal uses clause (the scanner is set up for Pascal): Add
// puts `unitName` into the first clause outside the implementation (or a new
// one), Remove takes it out (the whole clause when it is the only entry),
// Rename renames it to `newName`. None when nothing is to change.
std::vector<TTextEdit> UsesClauseEdits(TQScanner& scanner, const TStringList& lines, const std::string& unitName,
                                       TUsesEdit edit, const std::string& newName = std::string());
// Applies UsesClauseEdits to `lines`; true when they changed.
bool EditUsesClause(TQScanner& scanner, TStringList& lines, const std::string& unitName, TUsesEdit edit,
                    const std::string& newName = std::string());

// The edit that #includes `header` after the last #include before the first
// "{" (the first line when there is none); none when it is included already.
std::vector<TTextEdit> IncludeEdits(TQScanner& scanner, const TStringList& lines, const std::string& header);

// Every edit of a unit: its selected literals' spans and the reference to
// the constants file (none when nothing is selected).
std::vector<TTextEdit> UnitChanges(TQScanner& scanner, const TUnitRec& unit, TLiteralTarget target,
                                   const std::string& constUnitName);

}  // namespace sw
