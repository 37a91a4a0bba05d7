#include "platform/Terminal.h"

#include "platform/Win32Text.h"

namespace sw::platform {

namespace {

HANDLE Handle(StdStream stream) {
  switch (stream) {
    case StdStream::In: return ::GetStdHandle(STD_INPUT_HANDLE);
    case StdStream::Out: return ::GetStdHandle(STD_OUTPUT_HANDLE);
    case StdStream::Err: return ::GetStdHandle(STD_ERROR_HANDLE);
  }
  return ::GetStdHandle(STD_ERROR_HANDLE);
}

}  // namespace

// A console handle answers GetConsoleMode; pipes and files do not.
bool IsTerminal(StdStream stream) {
  DWORD mode = 0;
  const HANDLE h = Handle(stream);
  return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode) != 0;
}

int TerminalColumns(StdStream stream) {
  if (!IsTerminal(stream) || stream == StdStream::In) return 0;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!::GetConsoleScreenBufferInfo(Handle(stream), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace sw::platform
