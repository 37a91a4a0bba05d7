// The translators' exchange of a build with the exchange layer: the window's
// export and import through the exchange service the command line uses,
// with the outcome as one text for the window; and the items view's saving
// of an edited translation through the same import.
#include <sstream>

#include "window/ExchangeDialogLogic.h"
#include "app/ExchangeService.h"
#include "window/ItemsViewLogic.h"

namespace sw {

namespace {

TLibraryFiles FilesOf(const TExchangeLibrary& library) {
  return {library.DestDir, library.ShortName, library.Languages};
}

class TTranslatorsExchange : public ITranslatorsExchange {
 public:
  TExchangeOutcome Export(const TExchangeLibrary& library, LANGID langId, bool po, bool onlyOpen,
                          const std::string& fileName) override {
    TExportRequest request;
    request.Library = FilesOf(library);
    request.LangId = langId;
    request.Format = po ? TExchangeFormat::Po : TExchangeFormat::Xliff;
    request.OnlyOpen = onlyOpen;
    request.Output = fileName;
    request.MemoryFile = library.MemoryFile;
    // The window has no standard output; a file named "-" is still a file.
    if (request.Output == kStandardOutputName) request.Output = "./-";
    if (IsStandardOutputName(request.Output)) throw EExchangeError("the window cannot export to standard output");
    std::ostringstream unused;
    TExchangeOutcome outcome;
    outcome.Summary = ExportLanguage(request, unused).Summary;
    return outcome;
  }

  TExchangeOutcome Import(const TExchangeLibrary& library, LANGID langId, const std::string& fileName,
                          bool force) override {
    TImportRequest request;
    request.Library = FilesOf(library);
    request.LangId = langId;
    request.Input = fileName;
    request.Force = force;
    request.MemoryFile = library.MemoryFile;
    const TImportResult result = ImportLanguage(request);
    TExchangeOutcome outcome;
    outcome.Clean = result.Clean();
    outcome.Summary = ImportSummary(request, result);
    if (!result.Written) outcome.Summary += "; the language file is unchanged";
    if (!result.Clean()) {
      outcome.Summary += "\n\nNot applied";
      if (!result.Stale.empty())
        outcome.Summary += " (stale units were translated from an older native text: export again, or apply them "
                           "anyway with the option of the import dialog)";
      outcome.Summary += ":";
      for (const std::string& line : ImportProblemLines(request, result)) outcome.Summary += "\n" + line;
    }
    return outcome;
  }
};

// The items view saves an edited translation as an import of that one unit.
class TTranslationSaver : public ITranslationSaver {
 public:
  std::int32_t Save(const TItemsLibrary& library, LANGID langId, const std::string& place,
                    const std::u16string& native, const std::u16string& text) override {
    return SaveTranslation({library.DestDir, library.ShortName, library.Languages}, langId, library.MemoryFile, place,
                           native, text);
  }
};

}  // namespace

std::unique_ptr<ITranslatorsExchange> MakeTranslatorsExchange() { return std::make_unique<TTranslatorsExchange>(); }

std::unique_ptr<ITranslationSaver> MakeTranslationSaver() { return std::make_unique<TTranslationSaver>(); }

}  // namespace sw
