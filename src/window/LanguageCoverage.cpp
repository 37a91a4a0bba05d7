// Coverage per language of a library for the window (see LanguageCoverage.h).
#include "window/LanguageCoverage.h"

#include "platform/FileSystem.h"
#include "window/CountsLogic.h"

namespace sw {

std::string TCoverageCell::Text() const {
  if (Native) return "native";
  if (!Error.empty()) return "unreadable";
  if (!Known) return "";
  return PercentText(Counts.UpToDatePercent());
}

std::string TCoverageCell::Details() const {
  if (Native) return "The native language: the others are measured against it";
  if (!Error.empty()) return Error;
  if (!Known) return "Not processed yet";
  std::string text = GroupedNumber(Counts.Items[0]) + " of " + CountOf(Counts.TotalItems(), "item", "items") +
                     " up to date, " + GroupedNumber(Counts.Items[1]) + " out of date, " +
                     GroupedNumber(Counts.Items[2]) + " untranslated";
  if (!FileExists) text += " (no language file yet)";
  return text;
}

std::vector<TCoverageCell> ReadLanguageCoverage(const std::string& destDir, const std::string& shortName,
                                                const std::vector<LANGID>& langIds) {
  std::vector<TCoverageCell> cells(langIds.size());
  for (std::size_t i = 0; i < langIds.size(); ++i) cells[i].LangId = langIds[i];
  if (cells.empty()) return cells;
  cells[0].Native = true;
  if (destDir.empty() || shortName.empty()) return cells;
  const std::string nativeFile = LangFileNameFor(destDir, shortName, langIds[0]);
  if (!platform::FileExists(nativeFile)) return cells;
  for (std::size_t i = 1; i < langIds.size(); ++i) {
    TCoverageCell& cell = cells[i];
    // The same language twice in the list shares the native file: nothing to measure.
    if (langIds[i] == langIds[0]) continue;
    try {
      const std::string langFile = LangFileNameFor(destDir, shortName, langIds[i]);
      TLoadedLanguage loaded = LoadLanguage(nativeFile, langFile, langIds[i]);
      cell.Counts = ComputeCoverage(*loaded.Storage, loaded.Column).Total;
      cell.FileExists = loaded.LangFileExists;
      cell.Known = true;
    } catch (const Exception& e) {
      cell.Error = e.Describe();
    } catch (const std::exception& e) {
      cell.Error = e.what();
    }
  }
  return cells;
}

}  // namespace sw
