// Runs the command line program as a user would, through the shell, and
// keeps what it printed. Only for POSIX systems: the tests that use it call
// SKIP_ON_WINDOWS first.
#pragma once

#include <cstdlib>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>  // Windows: TestSupport.h stands in
#endif

#include "support/TestSupport.h"

namespace sw {

struct CliResult {
  int ExitCode = -1;  // -1 when the program did not exit normally
  std::string Out;
  std::string Err;
};

// Runs `SHELFWRIGHT_CLI_PATH arguments` (the arguments already quoted for the
// shell) in `cwd` ("" = the test's working folder). Standard output and error
// go through files in `scratch`, so that neither can block the other. With
// `timeoutSeconds` the program is stopped after that long (exit code 124), so
// that a run that would wait for ever fails the test instead of hanging it.
inline CliResult RunCli(const std::string& arguments, const TempDir& scratch, const std::string& cwd = "",
                        int timeoutSeconds = 0) {
  const std::string out = scratch.Path("cli.stdout");
  const std::string err = scratch.Path("cli.stderr");
  std::string command = std::string("'") + SHELFWRIGHT_CLI_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  if (timeoutSeconds > 0) command = "timeout " + std::to_string(timeoutSeconds) + " " + command;
  if (!cwd.empty()) command = "cd '" + cwd + "' && " + command;
  const int status = std::system(command.c_str());
  CliResult result;
  result.ExitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Out = TempDir::Read(out);
  result.Err = TempDir::Read(err);
  return result;
}

}  // namespace sw
