// The platform layer as both implementations must give it: share modes that
// keep a second opener out, the folder order, the atomic replacement of a
// file; and what only the Windows layer does: the registry value of the
// sibling tool, settings beside the program, the program's version resource
// and the system's national-language answers.
#include <gtest/gtest.h>

#include <string>

#include "base/Exceptions.h"
#include "platform/FileSystem.h"
#include "platform/NationalLanguage.h"
#include "platform/SettingsLocation.h"
#include "support/TestSupport.h"
#include "util/VersionInfo.h"

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef DeleteFile
#endif

namespace sw {
namespace {

using platform::FileAccess;
using platform::FileShare;
using platform::NativeFile;

TEST(ShareModeTest, ExclusiveOpenKeepsOthersOutUntilClosed) {
  TempDir dir;
  const std::string file = dir.Write("a.lng", "LF data");
  NativeFile owner;
  ASSERT_TRUE(owner.Open(file, false, FileAccess::ReadWrite, FileShare::Exclusive)) << owner.LastError();

  NativeFile reader;
  EXPECT_FALSE(reader.Open(file, false, FileAccess::Read, FileShare::DenyWrite));
  EXPECT_EQ(reader.LastError(), "the file is in use by another process");
  // Creating over a file in use must fail without emptying it.
  NativeFile writer;
  EXPECT_FALSE(writer.Open(file, true, FileAccess::Write, FileShare::Exclusive));
  owner.Close();
  EXPECT_EQ(TempDir::Read(file), "LF data");

  EXPECT_TRUE(reader.Open(file, false, FileAccess::Read, FileShare::DenyWrite)) << reader.LastError();
}

TEST(ShareModeTest, ReadersThatDenyWritingShareTheFile) {
  TempDir dir;
  const std::string file = dir.Write("b.lng", "x");
  NativeFile first, second, writer;
  ASSERT_TRUE(first.Open(file, false, FileAccess::Read, FileShare::DenyWrite));
  EXPECT_TRUE(second.Open(file, false, FileAccess::Read, FileShare::DenyWrite));
  EXPECT_FALSE(writer.Open(file, false, FileAccess::Write, FileShare::Exclusive));
}

TEST(NativeFileTest, SeekTruncateAndAFolderIsNoFile) {
  TempDir dir;
  const std::string file = dir.Path("c.bin");
  NativeFile f;
  ASSERT_TRUE(f.Open(file, true, FileAccess::ReadWrite, FileShare::Exclusive));
  EXPECT_EQ(f.Write("0123456789", 10), 10u);
  EXPECT_EQ(f.Seek(0, 2), 10);
  EXPECT_TRUE(f.Truncate(4));
  EXPECT_EQ(f.Seek(0, 2), 4);
  EXPECT_EQ(f.Seek(1, 0), 1);
  char buffer[8] = {};
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "123");
  f.Close();

  NativeFile folder;
  EXPECT_FALSE(folder.Open(dir.Root(), false, FileAccess::Read, FileShare::DenyNone));
  EXPECT_FALSE(folder.LastError().empty());
}

TEST(FolderTest, EntriesInUpperCasedOrdinalOrderWithAttributes) {
  TempDir dir;
  dir.Write("b.txt", "12");
  dir.Write("A.txt", "1");
  dir.Write("_x.txt", "");
  ASSERT_TRUE(platform::ForceDirectories(dir.Path("sub/deeper")));
  const auto entries = platform::ListFolder(dir.Root(), true);
  ASSERT_EQ(entries.size(), 6u);
  const char* expected[] = {".", "..", "A.txt", "b.txt", "sub", "_x.txt"};
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].Name, expected[i]) << i;
  EXPECT_EQ(entries[3].Size, 2);
  EXPECT_TRUE(entries[4].IsDirectory());
  EXPECT_FALSE(entries[2].IsDirectory());
  EXPECT_THROW(platform::ListFolder(dir.Path("missing")), Exception);
}

TEST(FolderTest, FindFileIgnoringCaseAndAtomicReplacement) {
  TempDir dir;
  dir.Write("Unit1.DFM", "old");
  const std::string found = platform::FindFileIgnoringCase(dir.Root(), "unit1.dfm");
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(TempDir::Read(found), "old");
  EXPECT_EQ(platform::FindFileIgnoringCase(dir.Root(), "unit2.dfm"), "");

  const std::string target = dir.Path("lib.ini");
  platform::WriteFileAtomic(target, "first\r\n");
  platform::WriteFileAtomic(target, "second\r\n");
  EXPECT_EQ(TempDir::Read(target), "second\r\n");
  // Nothing but the target is left behind in the folder.
  EXPECT_EQ(platform::ListFolder(dir.Root()).size(), 2u);
  EXPECT_THROW(platform::WriteFileAtomic(dir.Path("no/such/folder/x"), "x"), Exception);
}

#ifdef _WIN32

TEST(Win32PlatformTest, PathsUseTheBackslash) {
  EXPECT_EQ(platform::PathDelim, '\\');
  EXPECT_NE(platform::ExecutablePath().find(".exe"), std::string::npos);
}

TEST(Win32PlatformTest, SettingsFileSitsBesideTheProgram) {
  const std::string program = platform::ExecutablePath();
  const std::string expected = program.substr(0, program.rfind('.')) + ".ini";
  EXPECT_EQ(platform::SettingsFileName(), expected);
  EXPECT_EQ(platform::SettingsFileNameFor("C:\\Tools\\shelfwright.exe", "C:\\Users\\u\\AppData"),
            "C:\\Tools\\shelfwright.ini");
}

// Sets or removes HKCU\Software\Tarnix\Linguadesk "LibraryPath" for one test
// and puts back what was there.
class ScopedLibraryPathValue {
 public:
  ScopedLibraryPathValue() {
    wchar_t buffer[4096];
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, L"LibraryPath", RRF_RT_REG_SZ, nullptr, buffer, &size) ==
        ERROR_SUCCESS)
      old_ = buffer;
    else
      hadOld_ = false;
  }
  ~ScopedLibraryPathValue() {
    if (hadOld_)
      Set(old_.c_str());
    else
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LibraryPath");
  }
  static bool Set(const wchar_t* value) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LibraryPath", REG_SZ, value,
                             static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Tarnix\\Linguadesk";
  std::wstring old_;
  bool hadOld_ = true;
};

TEST(Win32PlatformTest, SiblingLibraryPathComesFromTheRegistry) {
  ScopedLibraryPathValue scoped;
  ASSERT_TRUE(ScopedLibraryPathValue::Set(L"\"D:\\Lib Files\";E:\\More \u00C4"));
  const std::string key = "Software\\Tarnix\\Linguadesk";
  EXPECT_EQ(platform::ReadUserRegistryString(key, "LibraryPath"), "\"D:\\Lib Files\";E:\\More \xC3\x84");
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Tarnix\\Linguadesk", L"LibraryPath");
  EXPECT_EQ(platform::ReadUserRegistryString(key, "LibraryPath"), std::nullopt);
}

// The resource in shelfwright-cli.exe says what the compiled-in record says.
TEST(Win32PlatformTest, ProgramCarriesItsVersionResource) {
  const std::wstring cli = [] {
    const std::string narrow = SHELFWRIGHT_CLI_PATH;
    return std::wstring(narrow.begin(), narrow.end());
  }();
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(cli.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoW(cli.c_str(), 0, size, data.data()));
  const auto query = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
    if (!::VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || length == 0)
      return std::string();
    std::string out;
    for (UINT i = 0; i < length && value[i] != 0; ++i) out += static_cast<char>(value[i]);
    return out;
  };
  const TQVersionInfoRec compiled = CompiledVersionInfo("shelfwright-cli.exe");
  EXPECT_EQ(query(L"FileVersion"), compiled.FileVersion);
  EXPECT_EQ(query(L"ProductVersion"), compiled.ProductVersion);
  EXPECT_EQ(query(L"ProductName"), compiled.ProductName);
  EXPECT_EQ(query(L"FileDescription"), compiled.FileDescription);
  EXPECT_EQ(query(L"OriginalFilename"), "shelfwright-cli.exe");
}

// The user's language and code page come from Windows; the names stay with the
// compiled-in table. Where the system's names differ is reported, not failed:
// Windows versions (and Wine) disagree among themselves.
TEST(Win32PlatformTest, UserLanguageFromTheSystemNamesFromTheTable) {
  EXPECT_EQ(platform::GetUserDefaultLangID(), ::GetUserDefaultLangID());
  EXPECT_EQ(platform::GetACP(), ::GetACP());
  int compared = 0, differing = 0;
  std::string examples;
  platform::EnumSystemLocalesA(
      [&](const char* hex) {
        const LCID id = static_cast<LCID>(std::stoul(hex, nullptr, 16));
        for (const std::uint32_t type : {0x0002u, 0x0003u, 0x1001u, 0x1004u}) {
          char ours[256] = {}, system[256] = {};
          platform::GetLocaleInfoA(id, type, ours, sizeof ours);
          if (::GetLocaleInfoA(id, type, system, sizeof system) == 0) continue;
          ++compared;
          if (std::string(ours) != system) {
            if (++differing <= 5) examples += std::string(" ") + hex + ": '" + ours + "' / '" + system + "';";
          }
        }
        return true;
      },
      platform::LcidSupported);
  std::cout << "[ report   ] system locale data differs from the table in " << differing << " of " << compared
            << " answers" << examples << "\n";
  EXPECT_GT(compared, 0);
}

#endif  // _WIN32

}  // namespace
}  // namespace sw
