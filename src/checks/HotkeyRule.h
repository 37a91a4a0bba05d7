// hotkeys (warning): within one form, the captions of controls with the
// same parent, and the items of one menu level (the children of one menu or
// menu item), must not use the same accelerator letter (compared without
// regard to case) in the language checked: Alt+letter would reach only the
// first of them. The structure comes from the native form files, frames and
// inherited forms merged in (FormTree.h); the texts come from the storage's
// column, the shown text (an untranslated copy included). The captions are
// the properties "Caption" and "EditLabel.Caption" of each child.
//
// Each item of a clash is reported, naming the others; in a translation only
// items translated there (up to date or out of date), in the native column
// every item. Also run on the native column.
#pragma once

#include "checks/Checks.h"

namespace sw {

void CheckHotkeys(const TCheckContext& context, TCheckSink& sink);

}  // namespace sw
