// The "Move literals" dialog's logic: builds the processor from the
// settings, finds the candidates, keeps the selection and names the user
// edits, previews and applies.
#include "app/MoveLiteralsLogic.h"

#include <algorithm>

#include "app/LibrarySettings.h"
#include "platform/FileSystem.h"
#include "util/QStrings.h"

namespace sw {

namespace {

bool IsIdentifier(const std::string& name) {
  if (name.empty()) return false;
  const auto start = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!start(name[0])) return false;
  return std::all_of(name.begin(), name.end(), [&](char c) { return start(c) || (c >= '0' && c <= '9'); });
}

bool HasExtension(const std::string& name, std::initializer_list<const char*> extensions) {
  const std::string ext = LowerAscii(ExtractFileExt(name));
  for (const char* e : extensions)
    if (ext == e) return true;
  return false;
}

}  // namespace

TMoveLiteralsLogic::TMoveLiteralsLogic() {
  cbLanguage.AddItem("Object Pascal units (PrjConst.pas)");
  cbLanguage.AddItem("C++ sources to a Pascal unit (PrjConst.pas)");
  cbLanguage.AddItem("C++ sources to a resource script (PrjConst.rc)");
  cbLanguage.SetItemIndex(mlPascal);
  edPrefix.SetText("S");
  edMaxNameChars.SetText("20");
  cbLanguage.OnChange = [this] {
    if (fromFolder_) files_ = FolderFiles();
    SettingsChanged();
  };
  edPrefix.OnChange = [this] { SettingsChanged(); };
  edMaxNameChars.OnChange = [this] { SettingsChanged(); };
  edExclude.OnChange = [this] { SettingsChanged(); };
  cbUnitPrefix.OnClick = [this] { SettingsChanged(); };
  cbCyrillicNames.OnClick = [this] { SettingsChanged(); };
  cbReuseNames.OnClick = [this] { SettingsChanged(); };
  btApply.OnClick = [this] { Apply(); };
  btCancel.OnClick = [this] { Cancel(); };
  btApply.SetEnabled(false);
}

std::string TMoveLiteralsLogic::NativeFolder(const std::string& srcDir, const TLibLangList& languages) {
  if (languages.Count() == 0 || srcDir.empty()) return std::string();
  return JoinPath(srcDir, languages.Items(0)->SubFolder);
}

std::string TMoveLiteralsLogic::ConstantsFile() const {
  std::string folder = folder_;
  if (folder.empty() && !files_.empty()) folder = ExtractFilePath(files_.front());
  const std::string name = cbLanguage.ItemIndex() == mlCppResourceScript ? "PrjConst.rc" : "PrjConst.pas";
  return folder.empty() ? name : JoinPath(folder, name);
}

std::vector<std::string> TMoveLiteralsLogic::FolderFiles() const {
  std::vector<std::string> files;
  const bool pascal = cbLanguage.ItemIndex() == mlPascal;
  try {
    for (const auto& entry : platform::ListFolder(folder_)) {
      if (entry.IsDirectory()) continue;
      if (SameText(entry.Name, "PrjConst.pas") || SameText(entry.Name, "PrjConst.hpp")) continue;
      if (pascal ? HasExtension(entry.Name, {".pas", ".dpr"}) : HasExtension(entry.Name, {".cpp", ".c", ".cc", ".cxx"}))
        files.push_back(JoinPath(folder_, entry.Name));
    }
  } catch (const std::exception& e) {
    // An unreadable folder shows as such; there is nothing to move.
    files.clear();
  }
  return files;
}

void TMoveLiteralsLogic::SetFolder(const std::string& folder) {
  folder_ = folder;
  fromFolder_ = true;
  files_ = FolderFiles();
  Rescan();
}

void TMoveLiteralsLogic::SetFiles(std::vector<std::string> files) {
  files_ = std::move(files);
  fromFolder_ = false;
  folder_.clear();
  if (!files_.empty() && !HasExtension(files_.front(), {".pas", ".dpr"}) && cbLanguage.ItemIndex() == mlPascal)
    cbLanguage.SetItemIndex(mlCppPascalUnit);
  Rescan();
}

void TMoveLiteralsLogic::SettingsChanged() {
  if (updating_) return;
  Rescan();
}

void TMoveLiteralsLogic::Rescan() {
  error_.clear();
  rows_.clear();
  units_.Clear();
  if (cbLanguage.ItemIndex() == mlPascal) {
    processor_ = std::make_unique<TPasProcessor>();
  } else {
    auto cpp = std::make_unique<TCPPProcessor>();
    cpp->PascalUnitMode = cbLanguage.ItemIndex() == mlCppPascalUnit;
    processor_ = std::move(cpp);
  }
  TSourceProcessor& p = *processor_;
  p.ConstFileName = ConstantsFile();
  p.NamePrefix = edPrefix.Text();
  p.UnitPrefix = cbUnitPrefix.Checked();
  int maxChars = 20;
  if (!TryStrToInt(TrimSpaces(edMaxNameChars.Text()), maxChars) || maxChars < 1) {
    error_ = "Characters used for names: not a positive number";
    maxChars = 20;
  }
  p.MaxNameChars = maxChars;
  p.CyrillicNames = cbCyrillicNames.Checked();
  p.ReuseNames = cbReuseNames.Checked();
  std::string patterns = edExclude.Text();
  for (std::size_t start = 0; start <= patterns.size();) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    const std::string pattern = TrimSpaces(patterns.substr(start, end - start));
    if (!pattern.empty()) p.ExcludePatterns.Add(pattern);
    start = end + 1;
  }
  const std::string constFile = p.ConstantsFile();
  for (const auto& file : files_) {
    if (SameText(file, constFile)) continue;
    auto unit = std::make_unique<TUnitRec>();
    unit->FileName = file;
    units_.Add(std::move(unit));
  }
  p.Units = &units_;
  if (error_.empty()) {
    try {
      p.FindLiterals();
      // Every candidate starts selected, as a move without questions takes them all.
      for (const auto& unit : units_)
        for (const auto& c : unit->Constants) c->SetSelected(true);
    } catch (const std::exception& e) {
      error_ = e.what();
    }
  }
  for (int u = 0; u < units_.Count(); ++u)
    for (int i = 0; i < units_.Items(u)->Constants.Count(); ++i) rows_.push_back({u, i});
  UpdateStatus();
  if (OnRowsChanged) OnRowsChanged();
}

void TMoveLiteralsLogic::UpdateStatus() {
  if (!error_.empty()) {
    lblStatus.SetCaption(error_);
    btApply.SetEnabled(false);
    return;
  }
  const int selected = units_.TotalSelected();
  lblStatus.SetCaption(Format("%d of %d literals selected in %d units; constants go to %s", selected,
                              static_cast<int>(rows_.size()), units_.Count(), ConstantsFile()));
  btApply.SetEnabled(selected > 0);
}

bool TMoveLiteralsLogic::Checked(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return units_.Items(r.Unit)->Constants.Items(r.Index)->Selected();
}

void TMoveLiteralsLogic::SetChecked(int row, bool checked) {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  units_.Items(r.Unit)->Constants.Items(r.Index)->SetSelected(checked);
  UpdateStatus();
}

std::string TMoveLiteralsLogic::Literal(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return units_.Items(r.Unit)->Constants.Items(r.Index)->Value;
}

std::string TMoveLiteralsLogic::Name(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return units_.Items(r.Unit)->Constants.Items(r.Index)->Name;
}

bool TMoveLiteralsLogic::SetName(int row, const std::string& name) {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  const std::string trimmed = TrimSpaces(name);
  if (!IsIdentifier(trimmed)) return false;
  units_.Items(r.Unit)->Constants.Items(r.Index)->Name = trimmed;
  return true;
}

std::string TMoveLiteralsLogic::Place(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  const TStrConst& c = *units_.Items(r.Unit)->Constants.Items(r.Index);
  return ExtractFileName(units_.Items(r.Unit)->FileName) + ":" + std::to_string(c.FirstLine + 1) + ":" +
         std::to_string(c.StartCol);
}

int TMoveLiteralsLogic::UnitOfRow(int row) const { return rows_.at(static_cast<std::size_t>(row)).Unit; }

std::string TMoveLiteralsLogic::UnitFile(int unit) const { return units_.Items(unit)->FileName; }

std::string TMoveLiteralsLogic::Preview(int unit) {
  if (!processor_ || unit < 0 || unit >= units_.Count()) return std::string();
  try {
    return processor_->PreviewUnit(*units_.Items(unit)).Join("\n");
  } catch (const std::exception& e) {
    return std::string("(no preview: ") + e.what() + ")";
  }
}

bool TMoveLiteralsLogic::Apply() {
  if (!processor_ || !error_.empty()) return false;
  try {
    result_ = processor_->ApplyLiterals(true);
  } catch (const std::exception& e) {
    error_ = e.what();
    UpdateStatus();
    // The next attempt starts from the files as they are now.
    error_.clear();
    lblStatus.SetCaption(std::string("Nothing was written: ") + e.what());
    return false;
  }
  lblStatus.SetCaption(Format("Moved %d literals in %d units", result_.Literals, result_.Units));
  if (OnClose) OnClose(true);
  return true;
}

void TMoveLiteralsLogic::Cancel() {
  if (OnClose) OnClose(false);
}

}  // namespace sw
