// Every modal dialog of the desktop program runs through `ExecModal`, so that
// tests (and scripted runs) can answer a dialog instead of a user: an
// installed hook gets the fully built dialog and returns what `exec()` would
// have returned (a QDialog::DialogCode, or a QMessageBox::StandardButton for
// message boxes). Without a hook the dialog runs as usual.
#pragma once

#include <functional>

class QDialog;

namespace sw::ui {

using ModalHook = std::function<int(QDialog&)>;

// Installs `hook` (empty: none); returns the previous one.
ModalHook SetModalHook(ModalHook hook);
int ExecModal(QDialog& dialog);

}  // namespace sw::ui
