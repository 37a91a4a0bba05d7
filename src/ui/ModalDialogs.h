// Every modal dialog of the desktop program runs through `ExecModal`, so that
// tests (and scripted runs) can answer a dialog instead of a user: an
// installed hook gets the fully built dialog and returns what `exec()` would
// have returned (a QDialog::DialogCode, or a QMessageBox::StandardButton for
// message boxes). Without a hook the dialog runs as usual.
//
// Before it is shown, a dialog is fitted to the screen it opens on: no larger
// than the screen's free area (the window frame allowed for) and placed
// inside it, so its buttons are in view at any scale factor on a small screen.
// The file dialogs and message boxes of the toolkit size themselves.
#pragma once

#include <functional>

class QDialog;
class QScrollArea;
class QWidget;

namespace sw::ui {

using ModalHook = std::function<int(QDialog&)>;

// Installs `hook` (empty: none); returns the previous one.
ModalHook SetModalHook(ModalHook hook);
int ExecModal(QDialog& dialog);

// Shrinks `window` to the free area of its screen and moves it inside,
// centred over its parent where that fits.
void FitToScreen(QWidget& window);

// A frameless scroll area around `content` (which it takes), for the part of
// a dialog that may scroll on a small screen while its buttons stay put.
QScrollArea* ScrollingBody(QWidget* content, QWidget* parent);

}  // namespace sw::ui
