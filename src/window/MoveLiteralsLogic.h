// The "Move literals" dialog: the units of a folder (or files the user
// picks), none of a folder's chosen at first; for the units the user ticks,
// the string literals, one row each with a check box, the literal, its
// proposed (editable) name, its place and `offered` or the reason it stays
// (such rows are never checked); the naming settings; a preview of one
// unit's change. Apply asks first, naming how many literals and files it
// changes, then writes the units and the constants file through the
// literal-moving service (MoveLiterals.h) and shows what it wrote; Cancel
// writes nothing.
//
// Checking a row selects every equal literal of the same unit (ignoring
// case); unchecking affects the row alone. Ticking another unit keeps the
// ticks and names of the others; changing a setting finds the candidates
// again with the new settings (selections and names start over).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "window/Controls.h"
#include "literals/MoveLiterals.h"

namespace sw {

class TLibLangList;

class TMoveLiteralsLogic {
 public:
  enum TLanguage { mlPascal = 0, mlCppPascalUnit = 1, mlCppResourceScript = 2 };

  TMoveLiteralsLogic();

  TLabelModel dlgMoveLiterals{"dlgMoveLiterals", "Move Literals"};
  TComboBoxModel cbLanguage{"cbLanguage"};
  TLabelModel lblPrefix{"lblPrefix", "Name prefix"};
  TEditModel edPrefix{"edPrefix"};
  TCheckBoxModel cbUnitPrefix{"cbUnitPrefix", "Unit name before the prefix", false};
  TLabelModel lblMaxNameChars{"lblMaxNameChars", "Characters used for names"};
  TEditModel edMaxNameChars{"edMaxNameChars"};
  TCheckBoxModel cbCyrillicNames{"cbCyrillicNames", "Cyrillic names", false};
  TCheckBoxModel cbReuseNames{"cbReuseNames", "Reuse names of equal texts", true};
  TLabelModel lblExclude{"lblExclude", "Exclude after (patterns separated by ;)"};
  TEditModel edExclude{"edExclude"};
  TLabelModel lblStatus{"lblStatus", ""};
  TButtonModel btApply{"btApply", "&Apply"};
  TButtonModel btAllUnits{"btAllUnits", "All units"};
  TButtonModel btNoUnits{"btNoUnits", "No units"};
  TButtonModel btCancel{"btCancel", "Cancel"};

  // The native folder of a library: the source folder and the first
  // language's sub-folder ("" without languages).
  static std::string NativeFolder(const std::string& srcDir, const TLibLangList& languages);

  // The units offered: every source file of `folder` for the chosen
  // language (the constants file excluded), none chosen; or the files given,
  // all chosen. Finds the candidates of the chosen ones.
  void SetFolder(const std::string& folder);
  void SetFiles(std::vector<std::string> files);
  const std::vector<std::string>& Files() const { return sources_; }
  bool SourceChosen(int source) const;
  void SetSourceChosen(int source, bool chosen);
  void ChooseAllSources(bool chosen);
  std::vector<std::string> ChosenFiles() const;
  std::string ConstantsFile() const;

  // Every literal, unit by unit in file order.
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // False for a literal that stays (then it cannot be checked or renamed).
  bool Offered(int row) const;
  // "offered" or why the literal stays.
  std::string Reason(int row) const;
  bool Checked(int row) const;
  void SetChecked(int row, bool checked);
  std::string Literal(int row) const;
  std::string Name(int row) const;
  // Renames the constant of one row; false (and unchanged) for a name that
  // is no identifier.
  bool SetName(int row, const std::string& name);
  // "Unit.pas:5:17" (1-based line and column).
  std::string Place(int row) const;
  int UnitOfRow(int row) const;
  int UnitCount() const { return move_ ? move_->Units().Count() : 0; }
  std::string UnitFile(int unit) const;

  // The unit's text after Apply, as UTF-8 lines joined by "\n".
  std::string Preview(int unit);

  // The question Apply asks: how many literals, units and files.
  std::string ConfirmationText() const;
  // Asks `ConfirmationText()` (Yes writes); unset, Apply writes at once.
  std::function<bool(const std::string& question)> OnConfirm;

  // Asks, then writes; false with the message in `Error()` when the user
  // declined or anything failed (then nothing was written). On success the
  // rows are gone, `WrittenText()` says what was written and Cancel turns
  // into Close.
  bool Apply();
  bool Applied() const { return applied_; }
  std::string WrittenText() const;
  void Cancel();
  const std::string& Error() const { return error_; }
  const TMoveResult& Result() const { return result_; }

  // Called when the rows were rebuilt (for the view), and when the dialog
  // is to close, with true after Apply.
  std::function<void()> OnRowsChanged;
  std::function<void(bool applied)> OnClose;

 private:
  // Finds the candidates again; `keep` carries ticks and names over by place.
  void Rescan(bool keep = false);
  void SettingsChanged();
  void UpdateStatus();
  std::vector<std::string> FolderFiles() const;

  struct Row {
    int Unit;
    int Index;  // of the unit's constants, or of its literals that stay
    bool Offered;
  };
  TStrConst& Constant(const Row& row) const;
  const TLeftLiteral& LeftLiteral(const Row& row) const;
  TMoveLiteralsSettings Settings() const;
  std::string folder_;
  std::vector<std::string> sources_;
  std::vector<bool> chosen_;
  bool applied_ = false;
  bool fromFolder_ = false;
  std::unique_ptr<TLiteralMove> move_;
  std::vector<Row> rows_;
  std::string error_;
  TMoveResult result_;
  bool updating_ = false;
};

}  // namespace sw
