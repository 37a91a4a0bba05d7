#include "platform/Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace sw::platform {

namespace {

int Descriptor(StdStream stream) {
  switch (stream) {
    case StdStream::In: return STDIN_FILENO;
    case StdStream::Out: return STDOUT_FILENO;
    case StdStream::Err: return STDERR_FILENO;
  }
  return STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StdStream stream) { return ::isatty(Descriptor(stream)) == 1; }

int TerminalColumns(StdStream stream) {
  if (!IsTerminal(stream)) return 0;
  winsize size{};
  if (::ioctl(Descriptor(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace sw::platform
