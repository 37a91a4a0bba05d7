// The property rules in force when a library has none of its own.
#pragma once

#include "runtime/StringList.h"

namespace sw {

// Replaces the list's lines with the default rules ("+.Caption", "+.Hint", ...,
// "+.SimpleText", ...): every property name under which real forms keep texts
// a user reads, and for the names that also hold non-texts, only the classes
// whose texts they are.
void SetDefaultPropRules(TStringList& list);

}  // namespace sw
