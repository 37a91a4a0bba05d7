// The window's part of the translators' exchange: the Library menu's "Export
// for translators..." and "Import translations..." and the small dialog both
// use (the translation language, the file, for an export the format and "only
// open items", for an import whether to apply items translated from an older
// native text). The format of an export follows the file's extension and the
// extension follows the chosen format; an import takes the format from the
// file's content.
//
// The formats themselves are the exchange layer's, which not every build has
// (it needs pugixml and libgettextpo): `MakeTranslatorsExchange` answers
// nullptr there and the window offers neither entry.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "window/Controls.h"
#include "util/LocaleCatalogue.h"

namespace sw {

// Where a library's language files are, and its languages (the first is
// native).
struct TExchangeLibrary {
  std::string DestDir;
  std::string ShortName;
  std::vector<LANGID> Languages;
  std::string MemoryFile;  // the library's memory ("": none)
};

struct TExchangeOutcome {
  bool Clean = true;    // nothing reported (stale or unknown units)
  std::string Summary;  // what was done, as the user reads it
};

class ITranslatorsExchange {
 public:
  virtual ~ITranslatorsExchange() = default;
  virtual TExchangeOutcome Export(const TExchangeLibrary& library, LANGID langId, bool po, bool onlyOpen,
                                  const std::string& fileName) = 0;
  virtual TExchangeOutcome Import(const TExchangeLibrary& library, LANGID langId, const std::string& fileName,
                                  bool force) = 0;
};

// The exchange of this build; nullptr when it has none.
std::unique_ptr<ITranslatorsExchange> MakeTranslatorsExchange();

class TExchangeDialogLogic {
 public:
  enum class TMode { Export, Import };
  // `languages`: the translation languages offered, `preselect` the one chosen at first.
  TExchangeDialogLogic(TMode mode, const std::vector<LANGID>& languages, LANGID preselect,
                       const std::string& folder, const std::string& shortName);

  TMode Mode() const { return mode_; }
  TLabelModel dlgExchange{"dlgExchange"};
  TLabelModel lblLanguage{"lblLanguage", "&Language:"};
  TComboBoxModel cbLanguage{"cbLanguage"};
  TLabelModel lblFormat{"lblFormat", "&Format:"};
  TComboBoxModel cbFormat{"cbFormat"};  // export only
  TCheckBoxModel cbOnlyOpen{"cbOnlyOpen", "&Only untranslated and out-of-date items", false};  // export only
  // import only: what the command line's --force does
  TCheckBoxModel cbForce{"cbForce", "&Force: also apply stale items and a file of another language or library",
                         false};
  TLabelModel lblFile{"lblFile", "F&ile:"};
  TEditModel edFile{"edFile"};
  TButtonModel sbFile{"sbFile", "..."};
  TButtonModel btOK{"btOK"};
  TButtonModel btCancel{"btCancel", "Cancel"};

  LANGID SelectedLangId() const;
  bool Po() const { return cbFormat.ItemIndex() == 1; }
  // The file dialog's filter for the current format ("XLIFF 1.2 (*.xlf *.xliff)").
  std::string FileFilter() const;
  // The user picked a file in the file dialog (or the window offers the
  // file of the last import again).
  void FileChosen(const std::string& fileName);
  // Where the file dialog starts: the file named, else the folder given
  // (for an import, where the last export wrote).
  std::string BrowseStart() const { return edFile.Text().empty() ? folder_ : edFile.Text(); }
  // An import error as the window says it: the advice given for the command
  // line's --force names the check box instead.
  static std::string WindowMessage(const std::string& message);

  // Set by the view: opens the file dialog (save for an export, open for an import).
  std::function<void()> OnBrowse;

 private:
  void FormatChange();
  void FileChange();
  void LanguageChange();
  void UpdateOK();
  std::string DefaultFileName() const;

  TMode mode_;
  std::vector<LANGID> languages_;
  std::string folder_;
  std::string shortName_;
  bool updating_ = false;
  bool fileTyped_ = false;
};

}  // namespace sw
