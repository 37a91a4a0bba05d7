// Coverage statistics of translation languages (see Coverage.h).
#include "storage/Coverage.h"

#include <cstdio>

#include "base/Unicode.h"
#include "platform/FileSystem.h"
#include "util/LocaleCatalogue.h"

namespace sw {

double TCoverageCounts::UpToDatePercent() const {
  const int total = TotalItems();
  return total == 0 ? 100.0 : 100.0 * Items[0] / total;
}

std::string PercentText(double percent) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f%%", percent);
  return buffer;
}

void TCoverageCounts::Add(const TExchangeUnit& unit) {
  const auto index = static_cast<std::size_t>(unit.Status);
  ++Items[index];
  Words[index] += unit.Words;
}

TLanguageCoverage ComputeCoverage(const TLocStorage& storage, int column) {
  TLanguageCoverage coverage;
  coverage.LangId = storage.Languages(column);
  const LANGID native = storage.Languages(0);
  for (const TExchangeUnit& unit : CollectUnits(storage, column)) {
    coverage.Total.Add(unit);
    if (coverage.Groups.empty() || coverage.Groups.back().Kind != unit.GroupKind ||
        coverage.Groups.back().Name != Utf16ToUtf8(AnsiToWideByLang(unit.GroupName, native))) {
      TGroupCoverage group;
      group.Kind = unit.GroupKind;
      group.Name = Utf16ToUtf8(AnsiToWideByLang(unit.GroupName, native));
      coverage.Groups.push_back(std::move(group));
    }
    coverage.Groups.back().Counts.Add(unit);
  }
  return coverage;
}

std::vector<TLanguageCoverage> LibraryCoverage(const std::string& destDir, const std::string& shortName,
                                               const std::vector<LANGID>& langIds) {
  std::vector<TLanguageCoverage> result;
  if (langIds.empty()) return result;
  const std::string nativeFile = LangFileNameFor(destDir, shortName, langIds[0]);
  for (std::size_t i = 1; i < langIds.size(); ++i) {
    const std::string langFile = LangFileNameFor(destDir, shortName, langIds[i]);
    TLoadedLanguage loaded = LoadLanguage(nativeFile, langFile, langIds[i]);
    TLanguageCoverage coverage = ComputeCoverage(*loaded.Storage, loaded.Column);
    coverage.FileName = langFile;
    coverage.FileExists = loaded.LangFileExists;
    result.push_back(std::move(coverage));
  }
  return result;
}

std::vector<TLanguageCoverage> FilesCoverage(const std::vector<std::string>& fileNames) {
  std::string nativeFile;
  std::vector<std::pair<std::string, LANGID>> translations;
  for (const auto& name : fileNames) {
    if (!platform::FileExists(name)) throw EExchangeError(name + ": the language file does not exist");
    std::unique_ptr<TLangFile> file;
    try {
      file = std::make_unique<TLangFile>(name, true);
    } catch (const Exception& e) {
      EExchangeError error(e.Message());
      error.AttachPlaceOf(e).AttachFile(name);
      throw error;
    }
    if (file->IsNative) {
      if (!nativeFile.empty())
        throw EExchangeError(name + ": a second native language file (the first is " + nativeFile + ")");
      nativeFile = name;
    } else {
      translations.emplace_back(name, file->LangId);
    }
  }
  if (nativeFile.empty()) throw EExchangeError("none of the language files given is the native one");
  std::vector<TLanguageCoverage> result;
  for (const auto& [name, langId] : translations) {
    TLoadedLanguage loaded = LoadLanguage(nativeFile, name, langId);
    TLanguageCoverage coverage = ComputeCoverage(*loaded.Storage, loaded.Column);
    coverage.FileName = name;
    coverage.FileExists = true;
    result.push_back(std::move(coverage));
  }
  return result;
}

}  // namespace sw
