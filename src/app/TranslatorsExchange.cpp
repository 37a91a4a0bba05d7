// The translators' exchange of a build with the exchange layer: export and
// import as the command line does them, with summaries for the window.
#include <array>

#include "app/ExchangeDialogLogic.h"
#include "exchange/Exchange.h"
#include "platform/FileSystem.h"

namespace sw {

namespace {

std::string Problems(const char* what, const std::vector<TImportProblem>& problems) {
  constexpr std::size_t kShown = 20;
  std::string text;
  for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) {
    const TImportProblem& problem = problems[i];
    text += "\n" + std::string(what) + " \"" + problem.Place + "\"" +
            (problem.Line > 0 ? " (line " + std::to_string(problem.Line) + ")" : "") + ": " + problem.Message;
  }
  if (problems.size() > kShown) text += "\n... and " + std::to_string(problems.size() - kShown) + " more";
  return text;
}

class TTranslatorsExchange : public ITranslatorsExchange {
 public:
  TExchangeOutcome Export(const TExchangeLibrary& library, LANGID langId, bool po, bool onlyOpen,
                          const std::string& fileName) override {
    TExportOptions options;
    options.Format = po ? TExchangeFormat::Po : TExchangeFormat::Xliff;
    options.OnlyOpen = onlyOpen;
    options.ProjectName = library.ProjectName;
    const TLoadedLanguage loaded =
        LoadLanguage(LangFileNameFor(library.DestDir, library.ShortName, library.NativeId),
                     LangFileNameFor(library.DestDir, library.ShortName, langId), langId);
    platform::WriteFileAtomic(fileName, BuildExport(*loaded.Storage, loaded.Column, options));
    std::array<int, 3> counts{};
    for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column))
      if (!onlyOpen || unit.Status != TUnitStatus::UpToDate) ++counts[static_cast<std::size_t>(unit.Status)];
    TExchangeOutcome outcome;
    outcome.Summary = "Exported " + std::to_string(counts[0] + counts[1] + counts[2]) + " units of " +
                      GetEnglishLangName(langId) + " (" + std::to_string(counts[0]) + " up to date, " +
                      std::to_string(counts[1]) + " out of date, " + std::to_string(counts[2]) +
                      " untranslated) to " + fileName;
    return outcome;
  }

  TExchangeOutcome Import(const TExchangeLibrary& library, LANGID langId, const std::string& fileName,
                          bool force) override {
    TImportOptions options;
    options.Force = force;
    const std::string langFile = LangFileNameFor(library.DestDir, library.ShortName, langId);
    const TImportResult result = ImportTranslations(
        LangFileNameFor(library.DestDir, library.ShortName, library.NativeId), langFile, langId, fileName, options);
    TExchangeOutcome outcome;
    outcome.Clean = result.Clean();
    outcome.Summary = "Changed " + std::to_string(result.Changed) + " of " + std::to_string(result.Units) +
                      " units (" + std::to_string(result.Unchanged) + " unchanged, " +
                      std::to_string(result.NoTranslation) + " without translation, " +
                      std::to_string(result.Stale.size()) + " stale, " + std::to_string(result.Unknown.size()) +
                      " unknown, " + std::to_string(result.Invalid.size()) + " invalid";
    if (result.Forced > 0) outcome.Summary += ", " + std::to_string(result.Forced) + " stale ones forced";
    outcome.Summary += ")";
    outcome.Summary += result.Written ? "; " + langFile + " written, revision " + std::to_string(result.Revision)
                                      : "; the language file is unchanged";
    if (!result.Stale.empty())
      outcome.Summary += "\n\nNot applied: translated from an older native text (export again, or apply them "
                         "anyway with the option of the import dialog):" +
                         Problems("stale unit", result.Stale);
    if (!result.Unknown.empty()) outcome.Summary += "\n\nNot applied: unknown units:" + Problems("unknown unit", result.Unknown);
    if (!result.Invalid.empty()) outcome.Summary += "\n\nNot applied:" + Problems("unit", result.Invalid);
    return outcome;
  }
};

}  // namespace

std::unique_ptr<ITranslatorsExchange> MakeTranslatorsExchange() { return std::make_unique<TTranslatorsExchange>(); }

}  // namespace sw
