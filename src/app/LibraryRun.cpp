#include "app/LibraryRun.h"

#include <filesystem>

#include "memory/TranslationMemory.h"
#include "platform/FileSystem.h"
#include "storage/PropRules.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

std::string Resolve(const std::string& folder, const std::string& base) {
  if (folder.empty() || base.empty() || folder[0] == '/') return folder;
#ifdef _WIN32
  if (folder.size() >= 2 && (folder[1] == ':' || folder[0] == '\\')) return folder;
#endif
  // "a/b/../../out" is shown and used as "out": the folder the user meant.
  return std::filesystem::path(JoinPath(base, folder)).lexically_normal().string();
}

}  // namespace

std::string SettingsFolder(const std::string& settingsFile) {
  if (settingsFile.empty()) return "";
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(settingsFile, ec);
  return ExtractFilePath(ec ? settingsFile : absolute.string());
}

TStringList RulesInForce(const TStringList& ownRules, const TStringList& globalRules) {
  TStringList rules;
  if (!ownRules.Empty())
    rules.Assign(ownRules);
  else if (!globalRules.Empty())
    rules.Assign(globalRules);
  else
    SetDefaultPropRules(rules);
  return rules;
}

TResolvedLibrary ResolveLibrary(const TLibraryDefinition& library, const TStringList& globalRules,
                                const std::string& baseFolder) {
  TResolvedLibrary resolved;
  resolved.Name = library.Name;
  resolved.ShortName = library.ShortName;
  resolved.SrcDir = Resolve(library.SrcDir, baseFolder);
  resolved.DestDir = Resolve(library.DestDir, baseFolder);
  resolved.ScanFiles = library.ScanFiles;
  resolved.Languages.Assign(library.Languages);
  resolved.PropRules = RulesInForce(library.PropRules, globalRules);
  resolved.KeepUnchangedFiles = library.KeepUnchangedFiles;
  resolved.MemoryFile = library.MemoryFile.empty()
                            ? TTranslationMemory::DefaultFileName(resolved.DestDir, resolved.ShortName)
                            : Resolve(library.MemoryFile, baseFolder);
  return resolved;
}

TResolvedLibrary LoadResolvedLibrary(const TLibrarySettings& settings, int n) {
  const TLibraryList list = settings.LoadLibraryList();
  if (n < 1 || n > static_cast<int>(list.Names.size()))
    throw EShelfwrightError("no library " + std::to_string(n) + " in " + settings.FileName() + " (it holds " +
                            std::to_string(list.Names.size()) + ")");
  return ResolveLibrary(settings.LoadLibrary(n), list.GlobalPropRules, SettingsFolder(settings.FileName()));
}

TRunResult RunLibrary(const TResolvedLibrary& library, const TRunControl& control) {
  TLibraryFilesProcessor processor(library, control);
  TRunResult result;
  try {
    processor.Run();
    if (processor.Stats().Cancelled) {
      result.Stats = processor.Stats();
      return result;
    }
    result.LibIniUnchanged = !WriteLibIni(library.DestDir, library.Name, library.ShortName, library.Languages,
                                          library.PropRules, library.KeepUnchangedFiles);
    result.LibIni = JoinPath(library.DestDir, "lib.ini");
  } catch (Exception& e) {
    result.Failure = TRunFileError(e);
  } catch (const std::exception& e) {
    result.Failure = TRunFileError{"", e.what()};
  }
  result.Stats = processor.Stats();
  return result;
}

}  // namespace sw
