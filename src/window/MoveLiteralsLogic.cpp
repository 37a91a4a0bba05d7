// The "Move literals" dialog's logic: builds the move's settings from the
// controls, finds the literals through the literal-moving service, keeps
// the selection and names the user edits, previews, and applies them as a
// plan through MoveLiterals.
#include "window/MoveLiteralsLogic.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "window/CountsLogic.h"
#include "app/LibrarySettings.h"
#include "platform/FileSystem.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"

namespace sw {

TMoveLiteralsLogic::TMoveLiteralsLogic() {
  cbLanguage.AddItem("Object Pascal units (PrjConst.pas)");
  cbLanguage.AddItem("C++ sources to a Pascal unit (PrjConst.pas)");
  cbLanguage.AddItem("C++ sources to a resource script (PrjConst.rc)");
  cbLanguage.SetItemIndex(mlPascal);
  edPrefix.SetText("S");
  edMaxNameChars.SetText("20");
  cbLanguage.OnChange = [this] {
    if (fromFolder_) {
      sources_ = FolderFiles();
      chosen_.assign(sources_.size(), false);
    }
    SettingsChanged();
  };
  edPrefix.OnChange = [this] { SettingsChanged(); };
  edMaxNameChars.OnChange = [this] { SettingsChanged(); };
  edExclude.OnChange = [this] { SettingsChanged(); };
  cbUnitPrefix.OnClick = [this] { SettingsChanged(); };
  cbCyrillicNames.OnClick = [this] { SettingsChanged(); };
  cbReuseNames.OnClick = [this] { SettingsChanged(); };
  btApply.OnClick = [this] { Apply(); };
  btAllUnits.OnClick = [this] { ChooseAllSources(true); };
  btNoUnits.OnClick = [this] { ChooseAllSources(false); };
  btCancel.OnClick = [this] { Cancel(); };
  btApply.SetEnabled(false);
}

std::string TMoveLiteralsLogic::NativeFolder(const std::string& srcDir, const TLibLangList& languages) {
  if (languages.Count() == 0 || srcDir.empty()) return std::string();
  return JoinPath(srcDir, languages.Items(0)->SubFolder);
}

TMoveLiteralsSettings TMoveLiteralsLogic::Settings() const {
  TMoveLiteralsSettings settings;
  settings.Target = cbLanguage.ItemIndex() == mlPascal          ? TLiteralTarget::Pascal
                    : cbLanguage.ItemIndex() == mlCppPascalUnit ? TLiteralTarget::CppToPascalUnit
                                                                : TLiteralTarget::CppToResourceScript;
  std::string folder = folder_;
  if (folder.empty() && !sources_.empty()) folder = ExtractFilePath(sources_.front());
  const std::string name =
      settings.Target == TLiteralTarget::CppToResourceScript ? "PrjConst.rc" : "PrjConst.pas";
  settings.ConstFile = folder.empty() ? name : JoinPath(folder, name);
  settings.Naming.NamePrefix = edPrefix.Text();
  settings.Naming.UnitPrefix = cbUnitPrefix.Checked();
  int maxChars = 20;
  if (TryStrToInt(TrimSpaces(edMaxNameChars.Text()), maxChars) && maxChars >= 1) settings.Naming.MaxNameChars = maxChars;
  settings.Naming.CyrillicNames = cbCyrillicNames.Checked();
  settings.Naming.ReuseNames = cbReuseNames.Checked();
  const std::string patterns = edExclude.Text();
  for (std::size_t start = 0; start <= patterns.size();) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    const std::string pattern = TrimSpaces(patterns.substr(start, end - start));
    if (!pattern.empty()) settings.ExcludePatterns.Add(pattern);
    start = end + 1;
  }
  return settings;
}

std::string TMoveLiteralsLogic::ConstantsFile() const { return Settings().ConstFile; }

std::vector<std::string> TMoveLiteralsLogic::FolderFiles() const {
  std::vector<std::string> files;
  const bool pascal = cbLanguage.ItemIndex() == mlPascal;
  try {
    for (const auto& entry : platform::ListFolder(folder_)) {
      if (entry.IsDirectory()) continue;
      if (pascal ? IsPascalSourceFile(entry.Name) : IsCppSourceFile(entry.Name))
        files.push_back(JoinPath(folder_, entry.Name));
    }
  } catch (const std::exception&) {
    // An unreadable folder shows as such; there is nothing to move.
    files.clear();
  }
  return files;
}

void TMoveLiteralsLogic::SetFolder(const std::string& folder) {
  folder_ = folder;
  fromFolder_ = true;
  sources_ = FolderFiles();
  // Nothing is chosen for the user: a folder may hold units that must stay as they are.
  chosen_.assign(sources_.size(), false);
  applied_ = false;
  Rescan();
}

void TMoveLiteralsLogic::SetFiles(std::vector<std::string> files) {
  sources_ = std::move(files);
  chosen_.assign(sources_.size(), true);
  fromFolder_ = false;
  folder_.clear();
  applied_ = false;
  if (!sources_.empty() && !IsPascalSourceFile(sources_.front()) && cbLanguage.ItemIndex() == mlPascal)
    cbLanguage.SetItemIndex(mlCppPascalUnit);
  Rescan();
}

bool TMoveLiteralsLogic::SourceChosen(int source) const {
  return source >= 0 && source < static_cast<int>(chosen_.size()) && chosen_[static_cast<std::size_t>(source)];
}

void TMoveLiteralsLogic::SetSourceChosen(int source, bool chosen) {
  if (source < 0 || source >= static_cast<int>(chosen_.size()) || SourceChosen(source) == chosen || applied_) return;
  chosen_[static_cast<std::size_t>(source)] = chosen;
  Rescan(true);
}

void TMoveLiteralsLogic::ChooseAllSources(bool chosen) {
  if (applied_) return;
  chosen_.assign(sources_.size(), chosen);
  Rescan(true);
}

std::vector<std::string> TMoveLiteralsLogic::ChosenFiles() const {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < sources_.size(); ++i)
    if (chosen_[i]) files.push_back(sources_[i]);
  return files;
}

void TMoveLiteralsLogic::SettingsChanged() {
  if (updating_) return;
  Rescan();
}

void TMoveLiteralsLogic::Rescan(bool keep) {
  // Ticks and names of the literals found before, by file and place.
  std::map<std::tuple<std::string, std::int32_t, std::int32_t>, std::pair<bool, std::string>> kept;
  if (keep && move_)
    for (const Row& r : rows_)
      if (r.Offered) {
        const TStrConst& c = Constant(r);
        kept[{UnitFile(r.Unit), c.FirstLine, c.StartCol}] = {c.Selected(), c.Name};
      }
  error_.clear();
  rows_.clear();
  move_.reset();
  int maxChars = 0;
  if (!TryStrToInt(TrimSpaces(edMaxNameChars.Text()), maxChars) || maxChars < 1)
    error_ = "Characters used for names: not a positive number";
  const std::vector<std::string> files = ChosenFiles();
  if (error_.empty() && !files.empty()) {
    try {
      auto move = std::make_unique<TLiteralMove>(Settings());
      move->Find(files);
      // Every offered literal of a unit the user chose starts selected.
      move->SelectAll();
      for (int u = 0; u < move->Units().Count(); ++u) {
        TUnitRec& unit = *move->Units().Items(u);
        for (int i = 0; i < unit.Constants.Count(); ++i) {
          TStrConst& c = *unit.Constants.Items(i);
          const auto found = kept.find({unit.FileName, c.FirstLine, c.StartCol});
          if (found == kept.end()) continue;
          c.SetSelected(found->second.first);
          c.Name = found->second.second;
        }
      }
      move_ = std::move(move);
    } catch (const std::exception& e) {
      error_ = e.what();
    }
  }
  if (move_) {
    for (int u = 0; u < move_->Units().Count(); ++u) {
      // Offered and left literals of the unit, in file order.
      std::vector<std::tuple<std::int32_t, std::int32_t, Row>> unitRows;
      const TUnitRec& unit = *move_->Units().Items(u);
      for (int i = 0; i < unit.Constants.Count(); ++i)
        unitRows.emplace_back(unit.Constants.Items(i)->FirstLine, unit.Constants.Items(i)->StartCol, Row{u, i, true});
      const auto& left = move_->Left(u);
      for (int i = 0; i < static_cast<int>(left.size()); ++i)
        unitRows.emplace_back(left[static_cast<std::size_t>(i)].Line, left[static_cast<std::size_t>(i)].StartCol,
                              Row{u, i, false});
      std::stable_sort(unitRows.begin(), unitRows.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
      });
      for (const auto& r : unitRows) rows_.push_back(std::get<2>(r));
    }
  }
  UpdateStatus();
  if (OnRowsChanged) OnRowsChanged();
}

void TMoveLiteralsLogic::UpdateStatus() {
  if (!error_.empty()) {
    lblStatus.SetCaption(error_);
    btApply.SetEnabled(false);
    return;
  }
  if (applied_) {
    btApply.SetEnabled(false);
    return;
  }
  const int selected = move_ ? move_->Units().TotalSelected() : 0;
  int offered = 0;
  for (const Row& r : rows_) offered += r.Offered ? 1 : 0;
  const int chosen = static_cast<int>(ChosenFiles().size());
  if (chosen == 0)
    lblStatus.SetCaption(sources_.empty() ? "No units: pick files"
                                          : "Tick the units to move literals from (" +
                                                CountOf(static_cast<int>(sources_.size()), "unit", "units") +
                                                " in the folder)");
  else
    lblStatus.SetCaption(GroupedNumber(selected) + " of " + CountOf(offered, "literal", "literals") + " selected in " +
                         CountOf(UnitCount(), "unit", "units") + " (" + GroupedNumber(static_cast<int>(rows_.size()) - offered) +
                         " stay); constants go to " + ConstantsFile());
  btApply.SetEnabled(selected > 0);
  btAllUnits.SetEnabled(!sources_.empty());
  btNoUnits.SetEnabled(chosen > 0);
}

TStrConst& TMoveLiteralsLogic::Constant(const Row& r) const {
  return *move_->Units().Items(r.Unit)->Constants.Items(r.Index);
}

const TLeftLiteral& TMoveLiteralsLogic::LeftLiteral(const Row& r) const {
  return move_->Left(r.Unit).at(static_cast<std::size_t>(r.Index));
}

bool TMoveLiteralsLogic::Offered(int row) const { return rows_.at(static_cast<std::size_t>(row)).Offered; }

std::string TMoveLiteralsLogic::Reason(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return r.Offered ? std::string(kOffered) : LeftLiteral(r).Reason;
}

bool TMoveLiteralsLogic::Checked(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return r.Offered && Constant(r).Selected();
}

void TMoveLiteralsLogic::SetChecked(int row, bool checked) {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  if (!r.Offered) return;
  Constant(r).SetSelected(checked);
  UpdateStatus();
}

std::string TMoveLiteralsLogic::Literal(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return r.Offered ? Constant(r).Value : LeftLiteral(r).Text;
}

std::string TMoveLiteralsLogic::Name(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  return r.Offered ? Constant(r).Name : std::string();
}

bool TMoveLiteralsLogic::SetName(int row, const std::string& name) {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  const std::string trimmed = TrimSpaces(name);
  if (!r.Offered || !IsConstantName(trimmed)) return false;
  Constant(r).Name = trimmed;
  return true;
}

std::string TMoveLiteralsLogic::Place(int row) const {
  const Row& r = rows_.at(static_cast<std::size_t>(row));
  const std::int32_t line = r.Offered ? Constant(r).FirstLine : LeftLiteral(r).Line;
  const std::int32_t column = r.Offered ? Constant(r).StartCol : LeftLiteral(r).StartCol;
  return ExtractFileName(UnitFile(r.Unit)) + ":" + std::to_string(line + 1) + ":" + std::to_string(column);
}

int TMoveLiteralsLogic::UnitOfRow(int row) const { return rows_.at(static_cast<std::size_t>(row)).Unit; }

std::string TMoveLiteralsLogic::UnitFile(int unit) const { return move_->Units().Items(unit)->FileName; }

std::string TMoveLiteralsLogic::Preview(int unit) {
  if (!move_ || unit < 0 || unit >= UnitCount()) return std::string();
  try {
    return move_->Preview(unit).Join("\n");
  } catch (const std::exception& e) {
    return std::string("(no preview: ") + e.what() + ")";
  }
}

std::string TMoveLiteralsLogic::ConfirmationText() const {
  if (!move_) return std::string();
  int units = 0;
  for (int u = 0; u < move_->Units().Count(); ++u) {
    const TUnitRec& unit = *move_->Units().Items(u);
    for (int i = 0; i < unit.Constants.Count(); ++i)
      if (unit.Constants.Items(i)->Selected()) {
        ++units;
        break;
      }
  }
  const int literals = move_->Units().TotalSelected();
  return "Move " + CountOf(literals, "literal", "literals") + " of " + CountOf(units, "unit", "units") + " to " +
         ConstantsFile() + "? " + CountOf(units + 1, "file is", "files are") + " written in place.";
}

bool TMoveLiteralsLogic::Apply() {
  if (!move_ || !error_.empty() || applied_ || move_->Units().TotalSelected() == 0) return false;
  if (OnConfirm && !OnConfirm(ConfirmationText())) {
    lblStatus.SetCaption("Nothing was written");
    return false;
  }
  try {
    // The selection and names as a plan, applied to the units as they were read.
    const std::vector<TPlanEntry> plan = move_->Plan();
    TMoveLiteralsRequest request;
    request.Settings = move_->Settings();
    request.Units = ChosenFiles();
    request.Plan = &plan;
    request.Expected = move_->Sources();
    request.Write = true;
    result_ = MoveLiterals(request).Result;
  } catch (const std::exception& e) {
    error_ = e.what();
    UpdateStatus();
    // The next attempt starts from the files as they are now.
    error_.clear();
    lblStatus.SetCaption(std::string("Nothing was written: ") + e.what());
    return false;
  }
  // The units now hold the names: what was found before no longer stands.
  applied_ = true;
  rows_.clear();
  move_.reset();
  lblStatus.SetCaption("Moved " + CountOf(result_.Literals, "literal", "literals") + " in " +
                       CountOf(result_.Units, "unit", "units") + "; " +
                       CountOf(static_cast<int>(result_.Written.size()), "file", "files") + " written");
  btApply.SetEnabled(false);
  btAllUnits.SetEnabled(false);
  btNoUnits.SetEnabled(false);
  btCancel.SetCaption("Close");
  if (OnRowsChanged) OnRowsChanged();
  return true;
}

std::string TMoveLiteralsLogic::WrittenText() const {
  if (!applied_) return std::string();
  std::string text = "Written:\n";
  for (const std::string& file : result_.Written) text += "  " + file + "\n";
  text += CountOf(static_cast<int>(result_.Constants.size()), "constant", "constants") + " declared in " +
          ConstantsFile() + ":\n";
  for (const std::string& name : result_.Constants) text += "  " + name + "\n";
  return text;
}

void TMoveLiteralsLogic::Cancel() {
  if (OnClose) OnClose(applied_);
}

}  // namespace sw
