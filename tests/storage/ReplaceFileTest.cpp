// Every writer of a file the user keeps (language files, plain and in the LZQ
// container, settings and lib.ini through the profile and string-list
// writers, memory streams) replaces the
// file atomically: a write that fails after any number of bytes leaves the old
// file byte for byte and no temporary file; the file's permissions and a
// symbolic link to it survive the replacement.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/Unicode.h"
#include "platform/FileSystem.h"
#include "runtime/IniFile.h"
#include "runtime/StringList.h"
#include "runtime/Streams.h"
#include "storage/UnitsTree.h"
#include "storage/LocLangFile.h"
#include "storage/LocStorage.h"
#include "support/FileSizeLimit.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

// Each writer writes a small file (`large` false: the file as it was) or a
// large one (the replacement).
struct Writer {
  std::string Name;
  std::function<void(const std::string& path, bool large)> Write;
};

std::string Text(bool large) {
  std::string text = "[Old]\r\n";
  for (int i = 0; i < (large ? 400 : 2); ++i) text += "Line" + std::to_string(i) + "=some text of a line\r\n";
  return text;
}

std::vector<Writer> Writers() {
  return {
      {"WriteFileAtomic", [](const std::string& path, bool large) { platform::WriteFileAtomic(path, Text(large)); }},
      {"TStringList::SaveToFile",
       [](const std::string& path, bool large) {
         TStringList list;
         list.SetText(Text(large));
         list.SaveToFile(path);
       }},
      {"TIniFile::UpdateFile",
       [](const std::string& path, bool large) {
         TIniFile ini(path);
         for (int i = 0; i < (large ? 300 : 1); ++i)
           ini.WriteString("Library" + std::to_string(i), "Name", "A library name");
         ini.UpdateFile();
       }},
      {"TMemoryStream::SaveToFile",
       [](const std::string& path, bool large) {
         TMemoryStream stream;
         stream.WriteBytes(Text(large));
         stream.SaveToFile(path);
       }},
      {"TLangFile::SaveStorage",
       [](const std::string& path, bool large) {
         TLangFile file(path, false);
         if (fs::exists(path)) file.Lock();  // as the run does: only an existing file is locked
         TLocStorage storage;
         for (int i = 0; i < (large ? 200 : 1); ++i) {
           TLocConstant* c = storage.FindOrAddConstant(i + 1, "Strings", 0, "S" + std::to_string(i));
           c->NativeValue()->SetText(u"some longer text of a constant");
           c->NativeValue()->SetRevision(1);
         }
         file.SaveStorage(&storage, 0, false);
       }},
      {"TLangFile::SaveStorage in the LZQ container",
       [](const std::string& path, bool large) {
         TLangFile file(path, false);
         file.Compressed = true;
         TLocStorage storage;
         for (int i = 0; i < (large ? 1000 : 1); ++i) {
           TLocConstant* c = storage.FindOrAddConstant(i + 1, "Strings", 0, "S" + std::to_string(i));
           c->NativeValue()->SetText(u"text " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                     u" of a constant, number " + Utf8ToUtf16(std::to_string(i * 7919)));
           c->NativeValue()->SetRevision(1);
         }
         file.SaveStorage(&storage, 0, false);
       }},
  };
}

int EntriesIn(const std::string& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

TEST(ReplaceFileTest, AWriteThatFailsAfterAnyNumberOfBytesKeepsTheOldFile) {
  SKIP_ON_WINDOWS("needs the file-size limit of a POSIX process to make a write fail");
  for (const Writer& writer : Writers()) {
    for (rlim_t limit : {0, 1, 100, 4096}) {
      SCOPED_TRACE(writer.Name + " failing after " + std::to_string(limit) + " bytes");
      TempDir dir;
      const std::string path = dir.Path("kept.ini");
      writer.Write(path, false);
      const std::string old = TempDir::Read(path);
      bool failed = false;
      std::string message;
      {
        ScopedFileSizeLimit full(limit);
        ASSERT_TRUE(full.Active());
        try {
          writer.Write(path, true);
        } catch (const Exception& e) {
          failed = true;
          message = e.Message();
        }
      }
      EXPECT_TRUE(failed);
      EXPECT_NE(message.find(path), std::string::npos) << message;
      EXPECT_EQ(TempDir::Read(path), old);
      EXPECT_EQ(EntriesIn(dir.Root()), 1) << "a temporary file was left behind";
    }
  }
}

TEST(ReplaceFileTest, PermissionsAndSymbolicLinksSurvive) {
  SKIP_ON_WINDOWS("POSIX permission bits and symbolic links");
  for (const Writer& writer : Writers()) {
    SCOPED_TRACE(writer.Name);
    TempDir dir;
    // Permissions of the replaced file.
    const std::string plain = dir.Path("plain.ini");
    writer.Write(plain, false);
    const std::string old = TempDir::Read(plain);
    ASSERT_EQ(::chmod(plain.c_str(), 0640), 0);
    writer.Write(plain, true);
    struct stat st {};
    ASSERT_EQ(::stat(plain.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(TempDir::Read(plain), old);

    // A link in another folder: the link stays, its target gets the new
    // content, and the temporary file is made beside the target.
    fs::create_directories(dir.Path("shared"));
    const std::string target = dir.Path("shared/target.ini");
    writer.Write(target, false);
    fs::create_directories(dir.Path("project"));
    const std::string link = dir.Path("project/link.ini");
    fs::create_symlink("../shared/target.ini", link);
    writer.Write(link, true);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("../shared/target.ini"));
    EXPECT_NE(TempDir::Read(target), old);
    EXPECT_EQ(TempDir::Read(target), TempDir::Read(link));
    EXPECT_EQ(EntriesIn(dir.Path("project")), 1);
    EXPECT_EQ(EntriesIn(dir.Path("shared")), 1);
  }
}

}  // namespace
}  // namespace sw
