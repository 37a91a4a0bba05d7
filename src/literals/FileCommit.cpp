// Writing a set of files all or nothing: check, stage, rename, put back.
#include "literals/FileCommit.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "extract/source/SourceReaders.h"
#include "platform/FileSystem.h"
#include "util/Messages.h"
#include "base/Exceptions.h"
#include "util/UserInteraction.h"

namespace sw {

namespace fs = std::filesystem;

namespace {

// A free name for a staged file beside `target`.
std::string StagingName(const std::string& target) {
  static std::mt19937 random{std::random_device{}()};
  const fs::path path(target);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  for (;;) {
    std::string suffix;
    for (int i = 0; i < 6; ++i) suffix += "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
    const fs::path candidate = folder / ("." + path.filename().string() + ".move-" + suffix);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
  }
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

}  // namespace

std::string RealFilePath(const std::string& path) {
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(fs::absolute(fs::path(path), ec), ec);
  return ec ? path : real.string();
}

std::string WhyNotWritable(const std::string& path, bool exists) {
  std::error_code ec;
  if (!exists) {
    const fs::path folder = fs::path(path).has_parent_path() ? fs::path(path).parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) return "its folder does not exist";
    return std::string();
  }
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::is_regular_file(status)) return "not a regular file";
  // No write permission for anyone: the file is marked read-only, which is
  // honoured even where the user could write it anyway (an administrator).
  const fs::perms writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & writeBits) == fs::perms::none) return "the file is read-only";
  // Opening for update writes nothing and fails where the user may not write.
  std::fstream probe(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!probe.is_open()) return "the file cannot be opened for writing";
  return std::string();
}

void CommitFiles(const std::vector<TPendingFile>& files, std::vector<std::string>* written,
                 const TCommitHooks& hooks) {
  // 1. Every target as it was read, and writable.
  for (const auto& f : files) {
    if (f.Existed) {
      std::string now;
      try {
        now = platform::ReadFileBytes(f.FileName);
      } catch (const std::exception&) {
        throw ESrcProcessError(Format("%s: the file can no longer be read; nothing was written", f.FileName));
      }
      if (now != f.OldBytes)
        throw ESrcProcessError(Format("%s: the file changed since it was read; nothing was written", f.FileName));
    } else if (platform::FileExists(f.FileName)) {
      throw ESrcProcessError(Format("%s: the file was created since the move began; nothing was written", f.FileName));
    }
    const std::string why = WhyNotWritable(f.FileName, f.Existed);
    if (!why.empty()) throw ESrcProcessError(Format("%s: cannot be written: %s; nothing was written", f.FileName, why));
  }

  // 2. Every new content in a temporary file beside its target.
  std::vector<std::string> staged;
  const auto dropStaged = [&] {
    for (const auto& s : staged) RemoveQuietly(s);
  };
  for (const auto& f : files) {
    const std::string name = StagingName(f.FileName);
    for (;;) {
      try {
        platform::WriteFileAtomic(name, f.Bytes);
        std::error_code ec;
        if (f.Existed) fs::permissions(name, fs::status(f.FileName).permissions(), ec);
        break;
      } catch (const std::exception&) {
        RemoveQuietly(name);
        if (AskRetryCancel(SRetryCaption, Format(SCouldNotWriteFile, f.FileName)) != idRetry) {
          dropStaged();
          throw ESrcProcessError(Format(SCouldNotWriteFile, f.FileName) + "; nothing was written");
        }
      }
    }
    staged.push_back(name);
  }

  // 3. Renamed over the targets; a failure puts back those already replaced.
  const auto rename = hooks.Rename ? hooks.Rename : [](const std::string& from, const std::string& to) {
    fs::rename(from, to);
  };
  std::size_t done = 0;
  try {
    for (; done < files.size(); ++done) rename(staged[done], files[done].FileName);
  } catch (const std::exception& e) {
    std::string notRestored;
    for (std::size_t k = 0; k < done; ++k) {
      const TPendingFile& f = files[k];
      try {
        if (f.Existed)
          platform::WriteFileAtomic(f.FileName, f.OldBytes);
        else
          platform::DeleteFile(f.FileName);
      } catch (const std::exception&) {
        notRestored += (notRestored.empty() ? "" : ", ") + f.FileName;
      }
    }
    for (std::size_t k = done; k < staged.size(); ++k) RemoveQuietly(staged[k]);
    throw ESrcProcessError(Format(SCouldNotWriteFile, files[done].FileName) + " (" + e.what() + ")" +
                           (notRestored.empty() ? "; nothing was written"
                                                : "; these files could not be put back: " + notRestored));
  }
  if (written)
    for (const auto& f : files) written->push_back(f.FileName);
}

}  // namespace sw
