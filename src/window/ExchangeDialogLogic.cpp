// The export/import dialog of the window (see ExchangeDialogLogic.h).
#include "window/ExchangeDialogLogic.h"

#include "base/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/PathNames.h"

namespace sw {

namespace {

constexpr const char* kXliffCaption = "XLIFF 1.2 (*.xlf)";
constexpr const char* kPoCaption = "gettext PO (*.po)";

std::string LowerExtension(const std::string& fileName) { return LowerAscii(ExtractFileExt(fileName)); }

}  // namespace

TExchangeDialogLogic::TExchangeDialogLogic(TMode mode, const std::vector<LANGID>& languages, LANGID preselect,
                                           const std::string& folder, const std::string& shortName)
    : mode_(mode), languages_(languages), folder_(folder), shortName_(shortName) {
  dlgExchange.SetCaption(mode == TMode::Export ? "Export for Translators" : "Import Translations");
  // Not Alt+I: that is the file's label.
  btOK.SetCaption(mode == TMode::Export ? "&Export" : "I&mport");
  int index = languages_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < languages_.size(); ++i) {
    cbLanguage.AddItem(GetEnglishLangName(languages_[i]) + " (" + GetLangAbbr(languages_[i]) + ")");
    if (languages_[i] == preselect) index = static_cast<int>(i);
  }
  cbLanguage.SetItemIndex(index);
  cbFormat.AddItem(kXliffCaption);
  cbFormat.AddItem(kPoCaption);
  cbFormat.SetItemIndex(0);
  const bool exporting = mode == TMode::Export;
  cbFormat.SetEnabled(exporting);
  cbOnlyOpen.SetEnabled(exporting);
  cbForce.SetEnabled(!exporting);
  edFile.SetText(exporting ? DefaultFileName() : "");

  cbLanguage.OnChange = [this] { LanguageChange(); };
  cbFormat.OnChange = [this] { FormatChange(); };
  edFile.OnChange = [this] { FileChange(); };
  sbFile.OnClick = [this] {
    if (OnBrowse) OnBrowse();
  };
  UpdateOK();
}

LANGID TExchangeDialogLogic::SelectedLangId() const {
  const int index = cbLanguage.ItemIndex();
  return index >= 0 && index < static_cast<int>(languages_.size()) ? languages_[static_cast<std::size_t>(index)] : 0;
}

std::string TExchangeDialogLogic::FileFilter() const {
  if (mode_ == TMode::Import) return "Translated files (*.xlf *.xliff *.po);;All files (*)";
  return Po() ? "gettext PO (*.po)" : "XLIFF 1.2 (*.xlf *.xliff)";
}

std::string TExchangeDialogLogic::DefaultFileName() const {
  const LANGID id = SelectedLangId();
  if (folder_.empty() || id == 0) return "";
  return JoinPath(folder_, (shortName_.empty() ? std::string("export") : shortName_) + "." + GetLangAbbr(id) +
                               (Po() ? ".po" : ".xlf"));
}

void TExchangeDialogLogic::FileChosen(const std::string& fileName) {
  edFile.SetText(fileName);
  fileTyped_ = true;
}

std::string TExchangeDialogLogic::WindowMessage(const std::string& message) {
  static const std::string kCliAdvice = "(--force imports it anyway)";
  const std::size_t at = message.find(kCliAdvice);
  if (at == std::string::npos) return message;
  return message.substr(0, at) + "(tick \"Force\" in the import dialog to import it anyway)" +
         message.substr(at + kCliAdvice.size());
}

void TExchangeDialogLogic::LanguageChange() {
  // The suggested name follows the language until the user names a file.
  if (mode_ == TMode::Export && !fileTyped_) {
    updating_ = true;
    edFile.SetText(DefaultFileName());
    updating_ = false;
  }
  UpdateOK();
}

void TExchangeDialogLogic::FormatChange() {
  if (updating_) return;
  const std::string file = edFile.Text();
  if (!file.empty()) {
    const std::string wanted = Po() ? ".po" : ".xlf";
    const std::string ext = LowerExtension(file);
    const bool known = ext == ".po" || ext == ".xlf" || ext == ".xliff";
    updating_ = true;
    edFile.SetText((known ? file.substr(0, file.size() - ext.size()) : file) + wanted);
    updating_ = false;
  }
  UpdateOK();
}

void TExchangeDialogLogic::FileChange() {
  if (updating_) return;
  fileTyped_ = true;
  if (mode_ == TMode::Export) {
    // The extension decides the format.
    const std::string ext = LowerExtension(edFile.Text());
    updating_ = true;
    if (ext == ".po")
      cbFormat.SetItemIndex(1);
    else if (ext == ".xlf" || ext == ".xliff")
      cbFormat.SetItemIndex(0);
    updating_ = false;
  }
  UpdateOK();
}

void TExchangeDialogLogic::UpdateOK() { btOK.SetEnabled(SelectedLangId() != 0 && !edFile.Text().empty()); }

}  // namespace sw
