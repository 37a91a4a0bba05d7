// Writing a set of files as one change: the constants file and the units of
// a literal move. Before anything is written every target is checked: it
// still holds the bytes it held when read (or, new, still does not exist),
// it is writable (not marked read-only, and the user may write it), and its
// folder exists. Then each new content goes to a temporary file beside its
// target; only when all are written are they renamed over the targets. A
// rename that fails puts back the targets already replaced (their old bytes,
// or no file for a new one), so that the set is written whole or not at all.
//
// Targets are given by their real path (links resolved), so that one file
// named twice is seen as one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sw {

// One file to write: its new bytes and, for a file that existed, the bytes
// it held when read.
struct TPendingFile {
  std::string FileName;
  std::string Bytes;
  bool Existed = false;
  std::string OldBytes;
};

// The real path of a file: links and "." / ".." resolved; for a file that
// does not exist, its folder resolved.
std::string RealFilePath(const std::string& path);

// Why `path` cannot be written ("" when it can): an existing file must be
// writable by the user and not read-only; a new one needs an existing folder.
std::string WhyNotWritable(const std::string& path, bool exists);

struct TCommitHooks {
  // Renames a staged file over its target; raises on failure. Tests replace it.
  std::function<void(const std::string& from, const std::string& to)> Rename;
};

// Checks, stages and renames as described above. Raises ESrcProcessError
// naming the file and saying what was (not) written. `written` receives the
// files written, in order.
void CommitFiles(const std::vector<TPendingFile>& files, std::vector<std::string>* written,
                 const TCommitHooks& hooks = TCommitHooks());

}  // namespace sw
