// The language settings dialog: the user picks one language from the tree of
// supported locales (grouped by language) and the sub-folder of the
// library's source folder that holds that language's files. "OK" is enabled
// only when both are chosen, so every language gets a sub-folder. A filter
// above the tree narrows it to the languages whose name or abbreviation
// holds the typed text.
//
// Every text a control shows is UTF-8: the catalogue's 8-bit names are
// decoded with their language's code page first, and "English Name" is the
// name the main window's list and the language files use.
#pragma once

#include <functional>
#include <string>

#include "window/Controls.h"
#include "util/LocaleCatalogue.h"

namespace sw {

class TLangDialogLogic {
 public:
  TLangDialogLogic();

  TLabelModel dlgLangParams{"dlgLangParams", "Language Settings"};
  TLabelModel Label1{"Label1", "Language Identifier"};
  TLabelModel lbFilter{"lbFilter", "&Filter"};
  TEditModel edFilter{"edFilter"};
  TLabelModel lbEngName{"lbEngName", "English Name"};
  TEditModel edEngName{"edEngName"};
  TLabelModel lbExt{"lbExt", "Abbreviation"};
  TEditModel edExt{"edExt"};
  TLabelModel lbLangFolder{"lbLangFolder", "Language folder (a subfolder of %s )"};
  TComboBoxModel cbSubFolders{"cbSubFolders"};
  TButtonModel btOK{"btOK", "OK"};
  TButtonModel btCancel{"btCancel", "Cancel"};

  // The language tree `tvLang` and its selection.
  TLocaleTree tvLang;
  const TLocaleTreeNode* Selected() const { return selected_; }
  // The user (or a test) selects a node: fires tvLangChange.
  void SelectNode(const TLocaleTreeNode* node);
  // Called after the tree was refilled, for the view binding.
  std::function<void()> OnTreeChanged;
  // Called after the filter changed which nodes are shown, for the view binding.
  std::function<void()> OnFilterChanged;

  // The text a tree node shows: its catalogue name, decoded.
  static std::string NodeCaption(const TLocaleTreeNode& node);
  // Whether the filter leaves `node` in the tree: its caption holds the
  // filter text or its abbreviation begins with it (letter case ignored), or
  // its group matches, or one of its locales does. Everything shows while
  // the filter is empty.
  bool NodeVisible(const TLocaleTreeNode& node) const;

  // Fills the tree and preselects the user's default language.
  void FillLanguages();
  // Selects the first node (display order, every level) that carries `id`;
  // none when the tree has no such node, so that OK waits for a choice.
  // Answers whether a node was found.
  bool SelectLangId(LANGID id);
  // Remembers the library's source folder and lists its sub-folders.
  void SetSourceFolder(const std::string& folder);
  // Preselects the sub-folder `name` (ignoring case); none when absent.
  void SelectSubFolder(const std::string& name);

  // 0 when no node is selected.
  LANGID SelectedLangId() const;
  // The chosen sub-folder without its "/" prefix; "" when none.
  std::string SelectedSubFolder() const;

 private:
  void tvLangChange();
  void edFilterChange();
  bool NodeMatches(const TLocaleTreeNode& node) const;
  // How well `node` matches the filter: 0 its caption or abbreviation begins
  // with it, 1 a word of its caption does, 2 the caption holds it elsewhere,
  // -1 no match (letter case ignored).
  int MatchRank(const TLocaleTreeNode& node) const;
  void FillSubFolders();
  void UpdateOK();

  const TLocaleTreeNode* selected_ = nullptr;
  std::string sourceFolder_;
};

}  // namespace sw
