// Terminal queries for the text front end: whether a standard stream is an
// interactive terminal, and how wide that terminal is. POSIX implementation
// in PosixTerminal.cpp.
#pragma once

namespace sw::platform {

enum class StdStream { In, Out, Err };

// True when the stream is connected to an interactive terminal.
bool IsTerminal(StdStream stream);
// Columns of the terminal behind the stream; 0 when unknown or not a terminal.
int TerminalColumns(StdStream stream);

}  // namespace sw::platform
