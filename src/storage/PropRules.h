// The property rules in force when a library has none of its own.
#pragma once

#include "runtime/StringList.h"

namespace sw {

// Replaces the list's lines with the default rules ("+.Caption", "+.Hint", ...).
void SetDefaultPropRules(TStringList& list);

}  // namespace sw
