// The "Move literals" dialog: the string literals of a folder's units (or of
// files the user picks), one row each with a check box, the literal, its
// proposed (editable) name, its place and `offered` or the reason it stays
// (such rows are never checked); the naming settings; a preview of one
// unit's change; Apply writes the units and the constants file through the
// literal-moving service (MoveLiterals.h), Cancel writes nothing.
//
// Checking a row selects every equal literal of the same unit (ignoring
// case); unchecking affects the row alone. Changing a setting finds the
// candidates again with the new settings (selections and names start over).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "literals/MoveLiterals.h"

namespace sw {

class TLibLangList;

class TMoveLiteralsLogic {
 public:
  enum TLanguage { mlPascal = 0, mlCppPascalUnit = 1, mlCppResourceScript = 2 };

  TMoveLiteralsLogic();

  TLabelModel dlgMoveLiterals{"dlgMoveLiterals", "Move literals"};
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
  TButtonModel btApply{"btApply", "Apply"};
  TButtonModel btCancel{"btCancel", "Cancel"};

  // The native folder of a library: the source folder and the first
  // language's sub-folder ("" without languages).
  static std::string NativeFolder(const std::string& srcDir, const TLibLangList& languages);

  // The units: every source file of `folder` for the chosen language (the
  // constants file excluded), or the files given. Finds the candidates.
  void SetFolder(const std::string& folder);
  void SetFiles(std::vector<std::string> files);
  const std::vector<std::string>& Files() const { return files_; }
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

  // Writes; false with the message in `Error()` when anything failed (then
  // nothing was written). Closes the dialog on success.
  bool Apply();
  void Cancel();
  const std::string& Error() const { return error_; }
  const TMoveResult& Result() const { return result_; }

  // Called when the rows were rebuilt (for the view), and when the dialog
  // is to close, with true after Apply.
  std::function<void()> OnRowsChanged;
  std::function<void(bool applied)> OnClose;

 private:
  void Rescan();
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
  std::vector<std::string> files_;
  bool fromFolder_ = false;
  std::unique_ptr<TLiteralMove> move_;
  std::vector<Row> rows_;
  std::string error_;
  TMoveResult result_;
  bool updating_ = false;
};

}  // namespace sw
