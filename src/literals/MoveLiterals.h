// Moving string literals out of source units into a generated constants
// file: the one service behind the command line's `move-literals` and the
// window's "Move literals" dialog.
//
// `TLiteralMove` holds one move: it reads the constants file and the units
// (each real file once, however it is named; the constants file is never a
// unit), finds their literals (LiteralFinder.h), names the offered ones
// (ConstantNamer.h), previews a unit's change (UnitRewriter.h) and applies
// the selection: the constants file (ConstantsFileWriter.h) and the units,
// written all or nothing (FileCommit.h). `MoveLiterals(request)` runs a
// whole move: find, select (every offered literal, or exactly a plan), and
// write or only compute what would be written.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "extract/source/SourceReaders.h"
#include "literals/ConstantNamer.h"
#include "literals/FileCommit.h"
#include "literals/LiteralFinder.h"
#include "literals/LiteralPlan.h"
#include "literals/UnitRewriter.h"

namespace sw {

// The extensions of Object Pascal units and programs (.pas, .dpr, .dpk,
// .lpr, .pp, .inc) and of C++ sources (.cpp, .c, .cc, .cxx).
bool IsPascalSourceFile(const std::string& name);
bool IsCppSourceFile(const std::string& name);

struct TMoveLiteralsSettings {
  TLiteralTarget Target = TLiteralTarget::Pascal;
  // "" = PrjConst.pas (PrjConst.rc for a resource script) beside the first unit.
  std::string ConstFile;
  TNamingSettings Naming;
  TStringList ExcludePatterns;
  // Code page of ANSI (unmarked) files; 0 = the system ANSI code page.
  unsigned CodePage = 0;
};

// The constants file of a move: the given one (for C++ to a Pascal unit,
// with the extension .pas) or the default beside the first unit.
std::string ConstantsFileOf(const TMoveLiteralsSettings& settings, const std::vector<std::string>& units);

// What applying the moved literals did (or, without writing, would do).
struct TMoveResult {
  int Literals = 0;                    // replaced spans
  int Units = 0;                       // rewritten units
  std::vector<std::string> Written;    // files written, in order
  std::vector<std::string> Constants;  // names declared in the constants file
};

class TLiteralMove {
 public:
  explicit TLiteralMove(TMoveLiteralsSettings settings);
  ~TLiteralMove();

  // Reads the constants file and the units and finds their literals; the
  // offered ones start unselected, but for those an existing constant names.
  // Raises ESrcProcessError "No units to process" without units.
  void Find(const std::vector<std::string>& unitFiles);

  const TMoveLiteralsSettings& Settings() const { return settings_; }
  const std::string& ConstantsFile() const { return constFile_; }
  TUnitRecList& Units() { return units_; }
  const TUnitRecList& Units() const { return units_; }
  // The literals of a unit that stay, with their reasons.
  const std::vector<TLeftLiteral>& Left(int unit) const;
  // The bytes each unit held when read, by unit file name.
  std::map<std::string, std::string> Sources() const;

  // Selects every offered literal.
  void SelectAll();
  // Every literal, offered or not, in file order (TPlanEntry).
  std::vector<TPlanEntry> Plan() const;
  // The unit's text after Apply, as UTF-8 lines.
  TStringList Preview(int unit);
  // Resolves names, builds the constants file and the rewritten units and,
  // with `write`, writes them all or nothing. Raises ESrcProcessError.
  TMoveResult Apply(bool write, const TCommitHooks& hooks = TCommitHooks());

 private:
  void ReadUnit(TUnitRec& unit);
  TQScanner& UnitScanner() { return unitScanner_; }
  std::string ConstUnitName() const;
  bool PascalConstants() const { return settings_.Target != TLiteralTarget::CppToResourceScript; }
  std::vector<TStrConst*> ConstantsToWrite() const;
  TConstantNamer Namer() const;

  TMoveLiteralsSettings settings_;
  std::string constFile_;
  std::unique_ptr<TSourceProcessor> reader_;  // the constants file
  TQScanner unitScanner_;
  TUnitRecList units_;
  std::vector<std::vector<TLeftLiteral>> left_;
  std::set<std::string> usedWords_;
  std::uint16_t nextId_ = 50000;
};

struct TMoveLiteralsRequest {
  TMoveLiteralsSettings Settings;
  std::vector<std::string> Units;
  // Apply exactly this plan; without one every offered literal moves.
  const std::vector<TPlanEntry>* Plan = nullptr;
  // Units that must still hold these bytes (as a dialog read them).
  std::map<std::string, std::string> Expected;
  bool Write = false;
};

struct TMoveLiteralsOutcome {
  std::string ConstantsFile;
  std::vector<TPlanEntry> Plan;  // every literal found, as selected
  TMoveResult Result;
};

TMoveLiteralsOutcome MoveLiterals(const TMoveLiteralsRequest& request);

}  // namespace sw
