// The errors of source-code extraction, declared in one place: the source
// processors' error, the scanner's, and the resource-script reader's (a
// kind of the processors' error, so a handler of the one catches the other).
// Where an error happened travels in the exception (`AttachFile`,
// `AttachLocation`, see base/Exceptions.h), never in side fields.
#pragma once

#include <string>

#include "base/Exceptions.h"
#include "util/Messages.h"

namespace sw {

SW_DECLARE_EXCEPTION(ESrcProcessError, Exception)
// A malformed character code, a window offset out of range; the line being
// scanned is attached as the location ("line 3", zero-based).
SW_DECLARE_EXCEPTION(EQScannerError, Exception)
// A resource script the reader rejects: the message is the loader's
// "Wrong format of RC file" naming the file and the zero-based line, and
// the file where the error is is attached (an included file, not
// necessarily the script that was asked for).
SW_DECLARE_EXCEPTION(ERcScriptError, ESrcProcessError)

// "line 3": how a zero-based line index is attached as a location.
inline std::string LineLocation(int line) { return "line " + std::to_string(line); }

[[noreturn]] inline void RaiseScannerError(const std::string& message, int line) {
  EQScannerError error(message);
  if (line >= 0) error.AttachLocation(LineLocation(line));
  throw error;
}

// `detail` says what was expected and what was found.
[[noreturn]] inline void RaiseRcScriptError(const std::string& fileName, int line, const std::string& detail) {
  ERcScriptError error(Format(SWrongRCFormat, fileName, line, detail));
  error.AttachFile(fileName);
  throw error;
}

}  // namespace sw
