// Ending the program from outside as a normal close: SIGTERM (sent by a
// logout, a shutdown or `kill`) closes the given window as the user would, so
// that its close handling saves the library. The signal handler only writes a
// byte to a socket pair; the event loop reads it and closes the window. On
// Windows, where no such signal reaches a window program, nothing is installed.
#pragma once

class QWidget;

namespace sw::ui {

// Installs the handler for `window`, which must outlive the event loop.
void CloseOnTermination(QWidget& window);

}  // namespace sw::ui
