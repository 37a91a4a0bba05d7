// Library definitions, the settings file, the sibling tool's library path and
// lib.ini (formats described in LibrarySettings.h).
//
// The settings file is read two ways, as the window always did: the library
// list and the renumbering after a deletion work on the file as plain lines,
// loading and saving one library go through the profile-file class. Both keep
// every line they do not change as it was.
#include "app/LibrarySettings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/SettingsLocation.h"
#include "runtime/IniFile.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

// ---- TLibLangList ----------------------------------------------------------

int TLibLangList::IndexOfLangId(int langId) const {
  const auto wanted = static_cast<std::uint16_t>(langId);
  for (int i = 0; i < Count(); ++i)
    if (static_cast<std::uint16_t>(Items(i)->LangId) == wanted) return i;
  return -1;
}

TLibLanguage* TLibLangList::AddLibLanguage(int langId, const std::string& subFolder) {
  if (IndexOfLangId(langId) != -1) return nullptr;
  return AddNew(langId, subFolder);
}

void TLibLangList::Move(int fromIndex, int toIndex) {
  if (fromIndex == toIndex) {
    CheckIndex(fromIndex);
    return;
  }
  CheckIndex(toIndex);
  auto item = Remove(fromIndex);
  Insert(toIndex, std::move(item));
}

void TLibLangList::Assign(const TLibLangList& other) {
  if (&other == this) return;
  Clear();
  for (const auto& language : other) AddNew(language->LangId, language->SubFolder);
}

// ---- Section names ---------------------------------------------------------

std::string LibrarySectionName(int n) { return "Library" + std::to_string(n); }
std::string LanguagesSectionName(int n) { return "Languages" + std::to_string(n) + "Lib"; }
std::string PropRulesSectionName(int n) { return "PropRules" + std::to_string(n) + "Lib"; }
std::string IgnoredChecksSectionName(int n) { return "IgnoredChecks" + std::to_string(n) + "Lib"; }

namespace {

// A conversion error of one value, told with its place in the settings file.
[[noreturn]] void RaiseValueError(const std::string& fileName, const std::string& section, const std::string& key,
                                  const std::string& problem) {
  throw EConvertError(Format(SSettingsValueError, fileName, section, key, problem));
}

int IntegerValue(const std::string& fileName, const std::string& section, const std::string& key,
                 const std::string& value) {
  try {
    return StrToIntTrim(value);
  } catch (const EConvertError& e) {
    RaiseValueError(fileName, section, key, e.Message());
  }
}

int LanguageIdFromKey(const std::string& fileName, const std::string& section, const std::string& key) {
  const int id = IntegerValue(fileName, section, key, key);
  // An identifier is 16 bits wide; a larger number would silently name
  // another language, so it is refused like text that is no number.
  if (id < 0 || id > 0xFFFF) RaiseValueError(fileName, section, key, Format(SNotALanguageId, key));
  return id;
}

}  // namespace

// ---- TLibrarySettings ------------------------------------------------------

TLibrarySettings::TFileState TLibrarySettings::FileState() const {
  if (platform::DirectoryExists(fileName_)) return TFileState::Folder;
  std::error_code ec;
  return std::filesystem::exists(fileName_, ec) ? TFileState::Present : TFileState::Missing;
}

void TLibrarySettings::RequireFile() const {
  switch (FileState()) {
    case TFileState::Missing: throw ESettingsFileError(Format(SSettingsFileMissing, fileName_));
    case TFileState::Folder: throw ESettingsFileError(Format(SIniIsFolder, fileName_));
    case TFileState::Present: break;
  }
}

void TLibrarySettings::CreateFile() {
  if (FileState() != TFileState::Missing) return;
  TIniFile ini(fileName_);
  Save(ini);
}

TLibraryList TLibrarySettings::LoadLibraryList() const {
  TLibraryList result;
  // A settings file that does not exist yet has no libraries (first start);
  // a folder in its place is refused by the profile reader.
  if (FileState() == TFileState::Missing) return result;
  const TIniFile ini(fileName_);
  result.LastLib = IntegerValue(fileName_, "Main", "LastLib", ini.ReadString("Main", "LastLib", ""));
  TStringList content;
  ini.ReadSectionValues("PropRules", content);
  if (content.Count() > 0) result.GlobalPropRules.Assign(content);
  for (int n = 1;; ++n) {
    ini.ReadSectionValues(LibrarySectionName(n), content);
    if (content.Count() == 0) break;
    result.Names.push_back(ini.ReadString(LibrarySectionName(n), "Name", ""));
  }
  return result;
}

TLibraryDefinition TLibrarySettings::LoadLibrary(int n) const {
  TLibraryDefinition library;
  if (FileState() == TFileState::Missing) return library;
  TIniFile ini(fileName_);
  const std::string section = LibrarySectionName(n);
  library.Name = ini.ReadString(section, "Name", "");
  library.ShortName = ini.ReadString(section, "ShortName", "");
  library.SrcDir = ini.ReadString(section, "SrcDir", "");
  library.DestDir = ini.ReadString(section, "DestDir", "");
  // A mistyped value must not quietly scan only compiled resources: with
  // "Remove unused" that would purge every other item.
  const std::string scanFiles = ini.ReadString(section, "ScanFiles", "");
  library.ScanFiles = scanFiles.empty() ? sfResFiles : IntegerValue(fileName_, section, "ScanFiles", scanFiles);
  library.MemoryFile = ini.ReadString(section, "MemoryFile", "");
  library.KeepUnchangedFiles = TrimSpaces(ini.ReadString(section, "KeepUnchangedFiles", "")) == "1";

  const std::string langSection = LanguagesSectionName(n);
  TStringList keys;
  ini.ReadSection(langSection, keys);
  for (const auto& key : keys)
    library.Languages.AddLibLanguage(LanguageIdFromKey(fileName_, langSection, key),
                                     ini.ReadString(langSection, key, ""));

  ini.ReadSection(PropRulesSectionName(n), keys);
  // Only the part before the first "=" of a rule line counts.
  for (const auto& key : keys) library.PropRules.Add(key);
  return library;
}

void TLibrarySettings::Save(TIniFile& ini) const {
  // The default settings folder does not exist at first start; a library
  // typed in then must not be lost when the window closes.
  const std::string folder = ExtractFilePath(fileName_);
  if (!folder.empty() && !platform::DirectoryExists(folder)) platform::ForceDirectories(folder);
  ini.UpdateFile();
}

void TLibrarySettings::SaveLibrary(int n, const TLibraryDefinition& library) {
  TIniFile ini(fileName_);
  const std::string section = LibrarySectionName(n);
  ini.WriteString(section, "Name", library.Name);
  ini.WriteString(section, "ShortName", library.ShortName);
  ini.WriteString(section, "SrcDir", library.SrcDir);
  ini.WriteString(section, "DestDir", library.DestDir);
  ini.WriteInteger(section, "ScanFiles", library.ScanFiles);
  if (!library.MemoryFile.empty()) ini.WriteString(section, "MemoryFile", library.MemoryFile);
  // Written only when on, so that libraries that never used it keep their sections as they were.
  if (library.KeepUnchangedFiles)
    ini.WriteInteger(section, "KeepUnchangedFiles", 1);
  else
    ini.DeleteKey(section, "KeepUnchangedFiles");
  const std::string langSection = LanguagesSectionName(n);
  ini.EraseSection(langSection);
  for (const auto& language : library.Languages)
    ini.WriteString(langSection, std::to_string(language->LangId), language->SubFolder);
  Save(ini);
}

void TLibrarySettings::SavePropRules(int n, const TStringList& rules) {
  TIniFile ini(fileName_);
  ini.WriteSectionLines(n == 0 ? std::string("PropRules") : PropRulesSectionName(n), rules);
  Save(ini);
}

void TLibrarySettings::SaveLastLib(int curLib) {
  TIniFile ini(fileName_);
  ini.WriteInteger("Main", "LastLib", curLib);
  Save(ini);
}

int TLibrarySettings::LoadJobs() const {
  try {
    if (!platform::FileExists(fileName_)) return 0;
    const int jobs = StrToIntTrim(TIniFile(fileName_).ReadString("Main", "Jobs", "0"));
    return jobs >= 1 && jobs <= 256 ? jobs : 0;
  } catch (const std::exception&) {
    return 0;  // a setting for speed never stops a run
  }
}

std::vector<std::string> TLibrarySettings::LoadIgnoredChecks(int n) const {
  if (FileState() == TFileState::Missing) return {};
  const TIniFile ini(fileName_);
  TStringList lines;
  ini.ReadSectionValues(IgnoredChecksSectionName(n), lines);
  return lines.Lines();
}

void TLibrarySettings::AddIgnoredCheck(int n, const std::string& line) {
  const std::vector<std::string> present = LoadIgnoredChecks(n);
  if (std::find(present.begin(), present.end(), line) != present.end()) return;
  TIniFile ini(fileName_);
  ini.AddSectionLine(IgnoredChecksSectionName(n), line);
  Save(ini);
}

void TLibrarySettings::DeleteLibrarySettings(int n, int libraryCount) {
  TIniFile ini(fileName_);
  ini.EraseSection(LibrarySectionName(n));
  ini.EraseSection(LanguagesSectionName(n));
  ini.EraseSection(PropRulesSectionName(n));
  ini.EraseSection(IgnoredChecksSectionName(n));
  // The libraries after it move down one number, each with its languages
  // and its own property rules.
  for (int a = n + 1; a <= libraryCount; ++a) {
    ini.RenameSection(LibrarySectionName(a), LibrarySectionName(a - 1));
    ini.RenameSection(LanguagesSectionName(a), LanguagesSectionName(a - 1));
    ini.RenameSection(PropRulesSectionName(a), PropRulesSectionName(a - 1));
    ini.RenameSection(IgnoredChecksSectionName(a), IgnoredChecksSectionName(a - 1));
  }
  Save(ini);
}

int TLibrarySettings::FindLibraryByName(const std::string& name) const {
  const TLibraryList list = LoadLibraryList();
  for (std::size_t i = 0; i < list.Names.size(); ++i)
    if (list.Names[i] == name) return static_cast<int>(i) + 1;
  for (std::size_t i = 0; i < list.Names.size(); ++i)
    if (SameText(list.Names[i], name)) return static_cast<int>(i) + 1;
  return 0;
}

// ---- Library path ----------------------------------------------------------

std::string FirstLibraryPath(std::string_view value) {
  std::size_t pos = 0;
  const auto isBlankOrControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  // Items are separated by ";"; blanks and control characters before an item
  // are skipped, and an empty item counts as an item.
  while (pos < value.size() && isBlankOrControl(value[pos])) ++pos;
  if (pos >= value.size()) return "";
  if (value[pos] == '"') {
    // Quoted item: up to the closing quote, a doubled quote standing for one.
    std::string item;
    ++pos;
    while (pos < value.size()) {
      if (value[pos] == '"') {
        if (pos + 1 < value.size() && value[pos + 1] == '"') {
          item += '"';
          pos += 2;
          continue;
        }
        break;
      }
      item += value[pos++];
    }
    return item;
  }
  std::size_t end = pos;
  while (end < value.size() && value[end] != ';' && !isBlankOrControl(value[end])) ++end;
  return std::string(value.substr(pos, end - pos));
}

std::string ReadSiblingLibraryPath() {
  if (const char* value = std::getenv("LINGUADESK_LIBRARY_PATH")) return value;
  if (auto value = platform::ReadUserRegistryString("Software\\Tarnix\\Linguadesk", "LibraryPath")) return *value;
  const std::string home = platform::ConfigHome();
  if (home.empty()) return "";
  const std::string file = JoinPath(JoinPath(home, "linguadesk"), "linguadesk.ini");
  if (!platform::FileExists(file)) return "";
  try {
    return TIniFile(file).ReadString("Linguadesk", "LibraryPath", "");
  } catch (const Exception&) {
    return "";  // an unreadable file is as good as a missing one: no default folder
  }
}

std::string ReadLibraryPath() { return FirstLibraryPath(ReadSiblingLibraryPath()); }

// ---- lib.ini ---------------------------------------------------------------

std::string BuildLibIni(const std::string& name, const std::string& shortName, const TLibLangList& languages,
                        const TStringList& propRules) {
  // Without a first language there is no native abbreviation to write; say so
  // instead of failing with a bare list index error.
  if (languages.Count() == 0) throw EShelfwrightError(Format(SLibIniNoLanguages, name));
  TStringList lines;
  lines.Add("[Common]");
  lines.Add("Name=" + name);
  lines.Add("FileName=" + shortName);
  lines.Add("NativeExt=" + GetLangAbbr(static_cast<LANGID>(languages[0]->LangId)));
  lines.Add("");
  lines.Add("[PropRules]");
  lines.AddStrings(propRules);
  return lines.Text();
}

bool WriteLibIni(const std::string& destDir, const std::string& name, const std::string& shortName,
                 const TLibLangList& languages, const TStringList& propRules, bool keepSame) {
  const std::string text = BuildLibIni(name, shortName, languages, propRules);
  const std::string fileName = JoinPath(destDir, "lib.ini");
  if (keepSame && platform::FileExists(fileName)) {
    try {
      if (platform::ReadFileBytes(fileName) == text) return false;
    } catch (const std::exception&) {
      // Unreadable: replaced as it would be without `keepSame`.
    }
  }
  platform::WriteFileAtomic(fileName, text);
  return true;
}

// ---- Window placement and per-library switches -------------------------------

namespace {

// A whole number in [low, high] read leniently: anything else is nullopt.
std::optional<int> ReadBoundedInt(const TIniFile& ini, std::string_view section, std::string_view key, int low,
                                  int high) {
  const std::string text = TrimSpaces(ini.ReadString(section, key, ""));
  if (text.empty() || text.size() > 7) return std::nullopt;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  int value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  if (text[0] == '-') value = -value;
  if (value < low || value > high) return std::nullopt;
  return value;
}

constexpr int kMaxCoordinate = 100000;

}  // namespace

TWindowPlacement TLibrarySettings::LoadWindowPlacement() const {
  TWindowPlacement placement;
  if (!platform::FileExists(fileName_)) return placement;
  const TIniFile ini(fileName_);
  const auto left = ReadBoundedInt(ini, "Main", "WindowLeft", -kMaxCoordinate, kMaxCoordinate);
  const auto top = ReadBoundedInt(ini, "Main", "WindowTop", -kMaxCoordinate, kMaxCoordinate);
  const auto width = ReadBoundedInt(ini, "Main", "WindowWidth", 1, kMaxCoordinate);
  const auto height = ReadBoundedInt(ini, "Main", "WindowHeight", 1, kMaxCoordinate);
  if (!left || !top || !width || !height) return placement;
  placement = {*left, *top, *width, *height, ReadBoundedInt(ini, "Main", "WindowMaximized", 0, 1).value_or(0) == 1};
  return placement;
}

void TLibrarySettings::SaveWindowPlacement(const TWindowPlacement& placement) {
  if (!placement.Remembered()) return;
  TIniFile ini(fileName_);
  ini.WriteInteger("Main", "WindowLeft", placement.Left);
  ini.WriteInteger("Main", "WindowTop", placement.Top);
  ini.WriteInteger("Main", "WindowWidth", placement.Width);
  ini.WriteInteger("Main", "WindowHeight", placement.Height);
  ini.WriteInteger("Main", "WindowMaximized", placement.Maximized ? 1 : 0);
  Save(ini);
}

bool TLibrarySettings::LoadRemoveUnused(int n) const {
  if (!platform::FileExists(fileName_)) return false;
  const TIniFile ini(fileName_);
  return ReadBoundedInt(ini, LibrarySectionName(n), "RemoveUnused", 0, 1).value_or(0) == 1;
}

void TLibrarySettings::SaveRemoveUnused(int n, bool removeUnused) {
  TIniFile ini(fileName_);
  ini.WriteInteger(LibrarySectionName(n), "RemoveUnused", removeUnused ? 1 : 0);
  Save(ini);
}

}  // namespace sw
