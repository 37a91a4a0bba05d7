// The plan of a literal move, as the command line prints it and reads it
// back: every literal found, in file order, with whether it is selected, the
// name of its constant and `offered` or the reason it stays.
//
// Text: one literal a line, tab-separated: file, line, column (both 1-based;
// the column counts bytes of the UTF-8 line), "[x]" or "[ ]", the name ("-"
// for a literal not offered), the literal quoted and escaped (EscapeForLine),
// the reason. Lines starting with "#" and empty lines are passed over;
// a line without the reason (as older plans were written) is an offered one.
// JSON: {"constFile": ..., "units": [{"file": ..., "candidates": [{"line",
// "column", "literal", "name", "selected", "reason"}]}]}.
#pragma once

#include <string>
#include <vector>

#include "extract/source/SourceReaders.h"

namespace sw {

struct TPlanEntry {
  std::string File;
  int Line = 0;    // 1-based
  int Column = 0;  // 1-based
  bool Selected = false;
  std::string Name;
  std::string Literal;
  std::string Reason = "offered";

  bool Offered() const { return Reason == "offered"; }
};

// Reads a plan (text or JSON) from the bytes of `fileName`. Raises Exception
// naming the file and the line for anything that is not a plan.
std::vector<TPlanEntry> ReadPlan(const std::string& bytes, const std::string& fileName);

// The plan as text or as a JSON document (with a final line end).
std::string FormatPlan(const std::vector<TPlanEntry>& plan, const std::string& constFile, bool json);

// Makes the selection and names of the units exactly those of the plan.
// Raises when an entry names no literal of the units, when a literal differs
// (the unit changed since the plan was made) or when a literal not offered
// is selected.
void ApplyPlan(TUnitRecList& units, const std::vector<TPlanEntry>& plan);

}  // namespace sw
