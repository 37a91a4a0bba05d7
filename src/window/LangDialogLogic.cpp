#include "window/LangDialogLogic.h"

#include <cctype>

#include "platform/FileSystem.h"
#include "platform/NationalLanguage.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// The first node in display order (every level) whose data equals `data`.
const TLocaleTreeNode* FindNodeByData(const TLocaleTreeNode& parent, int data) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TLocaleTreeNode* node = parent.Item(i);
    if (node->Data() == data) return node;
    if (const TLocaleTreeNode* found = FindNodeByData(*node, data)) return found;
  }
  return nullptr;
}

constexpr std::size_t kMaxSubFolderLength = 1000;

// The first node in display order that the filter leaves and that matches itself.
template <typename Pred>
const TLocaleTreeNode* FindFirst(const TLocaleTreeNode& parent, Pred&& matches) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TLocaleTreeNode* node = parent.Item(i);
    if (matches(*node)) return node;
    if (const TLocaleTreeNode* found = FindFirst(*node, matches)) return found;
  }
  return nullptr;
}

}  // namespace

TLangDialogLogic::TLangDialogLogic() {
  edEngName.SetEnabled(false);
  edExt.ReadOnly = true;
  edExt.MaxLength = 3;
  btOK.SetEnabled(false);
  cbSubFolders.OnChange = [this] { UpdateOK(); };
  edFilter.OnChange = [this] { edFilterChange(); };
}

std::string TLangDialogLogic::NodeCaption(const TLocaleTreeNode& node) {
  return LocaleTextToUtf8(node.Text(), static_cast<LANGID>(node.Data()));
}

int TLangDialogLogic::MatchRank(const TLocaleTreeNode& node) const {
  const std::string filter = LowerAscii(edFilter.Text());
  if (filter.empty()) return 0;
  const std::string caption = LowerAscii(NodeCaption(node));
  const std::string abbr = LowerAscii(GetLocaleInfoStr(static_cast<LANGID>(node.Data()), LOCALE_SABBREVLANGNAME));
  if (caption.rfind(filter, 0) == 0 || (!abbr.empty() && abbr.rfind(filter, 0) == 0)) return 0;
  int rank = -1;
  for (std::size_t at = caption.find(filter); at != std::string::npos; at = caption.find(filter, at + 1)) {
    // "ger" begins the word "German" in "Swiss German" but is only inside "Algeria".
    const bool wordStart = !std::isalnum(static_cast<unsigned char>(caption[at - 1]));
    if (wordStart) return 1;
    rank = 2;
  }
  return rank;
}

bool TLangDialogLogic::NodeMatches(const TLocaleTreeNode& node) const { return MatchRank(node) >= 0; }

bool TLangDialogLogic::NodeVisible(const TLocaleTreeNode& node) const {
  if (NodeMatches(node)) return true;
  if (node.Parent() && NodeMatches(*node.Parent())) return true;
  for (int i = 0; i < node.Count(); ++i)
    if (NodeMatches(*node.Item(i))) return true;
  return false;
}

void TLangDialogLogic::edFilterChange() {
  // The selection follows the filter: a language the filter hides gives way
  // to the first one it shows, or to none.
  if (!selected_ || !NodeVisible(*selected_)) {
    // The best match first: a name or abbreviation that begins with the
    // filter, then a word that does, then the filter anywhere; in display
    // order within a rank.
    const TLocaleTreeNode* best = nullptr;
    for (int rank = 0; rank <= 2 && !best; ++rank)
      best = FindFirst(tvLang.Root(), [this, rank](const TLocaleTreeNode& n) { return MatchRank(n) == rank; });
    selected_ = best;
    tvLangChange();
  }
  if (OnFilterChanged) OnFilterChanged();
}

void TLangDialogLogic::SelectNode(const TLocaleTreeNode* node) {
  selected_ = node;
  tvLangChange();
}

void TLangDialogLogic::FillLanguages() {
  FillLocaleTree(tvLang);
  selected_ = nullptr;
  if (OnTreeChanged) OnTreeChanged();
  const TLocaleTreeNode* node = FindNodeByData(tvLang.Root(), platform::GetUserDefaultLangID());
  if (!node && tvLang.Count() > 0) node = tvLang.Item(0);
  if (node)
    SelectNode(node);
  else
    UpdateOK();
}

bool TLangDialogLogic::SelectLangId(LANGID id) {
  const TLocaleTreeNode* node = FindNodeByData(tvLang.Root(), id);
  SelectNode(node);
  return node != nullptr;
}

void TLangDialogLogic::tvLangChange() {
  if (selected_) {
    const auto id = static_cast<LANGID>(selected_->Data());
    // The name the language list and the language files give the language
    // (for a group, the language's own name without a country).
    edEngName.SetText(DisplayLangName(id));
    if (selected_->Count() > 0) {
      // A language group: a two-letter abbreviation.
      edExt.SetText(UpperAscii(GetLocaleInfoStr(id, 3)).substr(0, 2));
    } else {
      edExt.SetText(UpperAscii(GetLocaleInfoStr(id, 3)));
    }
  } else {
    edEngName.SetText("");
    edExt.SetText("");
  }
  UpdateOK();
}

void TLangDialogLogic::SetSourceFolder(const std::string& folder) {
  sourceFolder_ = folder;
  lbLangFolder.SetCaption(Format("Language folder (a subfolder of %s )", folder));
  FillSubFolders();
}

void TLangDialogLogic::FillSubFolders() {
  cbSubFolders.ClearItems();
  if (!platform::DirectoryExists(sourceFolder_)) return;
  std::vector<platform::DirEntry> entries;
  try {
    entries = platform::ListFolder(sourceFolder_, true);
  } catch (const Exception&) {
    return;  // an unreadable folder offers no sub-folders
  }
  for (const auto& entry : entries) {
    // Only plain folders: hidden or otherwise marked ones are not offered.
    if (entry.Attributes == platform::faDirectory && entry.Name != "." && entry.Name != "..")
      cbSubFolders.AddItem("/" + entry.Name);
  }
}

void TLangDialogLogic::SelectSubFolder(const std::string& name) {
  int found = -1;
  for (int i = 0; i < cbSubFolders.Count(); ++i) {
    if (SameText(cbSubFolders.Items()[static_cast<std::size_t>(i)], "/" + name)) {
      found = i;
      break;
    }
  }
  cbSubFolders.SetItemIndex(found);
  UpdateOK();
}

LANGID TLangDialogLogic::SelectedLangId() const { return selected_ ? static_cast<LANGID>(selected_->Data()) : 0; }

std::string TLangDialogLogic::SelectedSubFolder() const {
  const std::string text = cbSubFolders.Text();
  if (text.empty()) return "";
  return text.substr(1, kMaxSubFolderLength);
}

void TLangDialogLogic::UpdateOK() { btOK.SetEnabled(SelectedLangId() != 0 && !SelectedSubFolder().empty()); }

}  // namespace sw
