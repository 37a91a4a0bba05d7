#include "app/LangDialogLogic.h"

#include "platform/FileSystem.h"
#include "platform/NationalLanguage.h"
#include "util/QStrings.h"

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

}  // namespace

TLangDialogLogic::TLangDialogLogic() {
  edEngName.SetEnabled(false);
  edExt.ReadOnly = true;
  edExt.MaxLength = 3;
  btOK.SetEnabled(false);
  cbSubFolders.OnChange = [this] { UpdateOK(); };
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
    if (selected_->Count() > 0) {
      // A language group: the language part of its text and a two-letter abbreviation.
      edEngName.SetText(TextBefore("(", selected_->Text()));
      edExt.SetText(UpperAscii(GetLocaleInfoStr(id, 3)).substr(0, 2));
    } else {
      edEngName.SetText(GetLocaleInfoStr(id, 2));
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
