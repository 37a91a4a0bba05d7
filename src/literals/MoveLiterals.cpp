// The literal-moving service: one move from reading to writing.
#include "literals/MoveLiterals.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "literals/ConstantsFileWriter.h"
#include "util/Messages.h"
#include "base/AsciiText.h"
#include "platform/PathNames.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

bool HasExtension(const std::string& name, std::initializer_list<const char*> extensions) {
  const std::string ext = LowerAscii(ExtractFileExt(name));
  return std::any_of(extensions.begin(), extensions.end(), [&](const char* e) { return ext == e; });
}

}  // namespace

bool IsPascalSourceFile(const std::string& name) {
  return HasExtension(name, {".pas", ".dpr", ".dpk", ".lpr", ".pp", ".inc"});
}
bool IsCppSourceFile(const std::string& name) { return HasExtension(name, {".cpp", ".c", ".cc", ".cxx"}); }

std::string ConstantsFileOf(const TMoveLiteralsSettings& settings, const std::vector<std::string>& units) {
  std::string file = settings.ConstFile;
  if (file.empty()) {
    const std::string folder = units.empty() ? std::string() : ExtractFilePath(units.front());
    file = folder + (settings.Target == TLiteralTarget::CppToResourceScript ? "PrjConst.rc" : "PrjConst.pas");
  }
  // C++ sources moved into a Pascal unit: the unit of the same name.
  if (settings.Target == TLiteralTarget::CppToPascalUnit && !SameText(ExtractFileExt(file), ".pas"))
    file = WithExtension(file, ".pas");
  return file;
}

TLiteralMove::TLiteralMove(TMoveLiteralsSettings settings) : settings_(std::move(settings)) {
  if (PascalConstants())
    reader_ = std::make_unique<TPasProcessor>();
  else
    reader_ = std::make_unique<TCPPProcessor>();
  if (settings_.Target == TLiteralTarget::Pascal)
    SetUpPascalScanner(unitScanner_);
  else
    SetUpCppScanner(unitScanner_);
}

TLiteralMove::~TLiteralMove() = default;

std::string TLiteralMove::ConstUnitName() const { return ConstantsUnitName(constFile_); }

TConstantNamer TLiteralMove::Namer() const {
  return TConstantNamer(settings_.Naming, reader_->UnitRec().Constants, units_, usedWords_, PascalConstants());
}

const std::vector<TLeftLiteral>& TLiteralMove::Left(int unit) const { return left_.at(static_cast<std::size_t>(unit)); }

void TLiteralMove::ReadUnit(TUnitRec& unit) {
  unit.Constants.Clear();
  std::vector<unsigned> codePages;
  const unsigned codePage = settings_.CodePage;
  unit.Encoding = LoadSourceLines(unit.FileName, codePage, false, unit.Lines, &codePages);
  unit.CodePage = codePage;
  auto source = std::make_shared<TSourceText>();
  source->Load(unit.FileName, codePage, &codePages);
  if (!(source->Lines() == unit.Lines) && unit.Encoding == TextEncoding::Ansi) {
    // The loader may have recognised UTF-8 without a byte-order mark.
    std::vector<unsigned> utf8(codePages.size(), 65001);
    source->Assign(unit.FileName, std::string(source->Bytes()), 65001, &utf8);
  }
  if (!(source->Lines() == unit.Lines))
    throw ESrcProcessError(Format("%s: the text cannot be mapped back to the file's bytes", unit.FileName));
  unit.Source = std::move(source);
  // Identifier words of the unit: new names stay clear of them, so that no
  // reference is taken over by a declaration of the unit itself.
  unitScanner_.Lines().Assign(unit.Lines);
  unitScanner_.SetCodePage(codePage);
  unitScanner_.SetLineCodePages(codePages);
  unitScanner_.Start();
  while (!unitScanner_.Eof()) {
    if (unitScanner_.TokenKind() == ttIdentifier) usedWords_.insert(LowerAscii(unitScanner_.TokenText()));
    unitScanner_.Next();
  }
}

void TLiteralMove::Find(const std::vector<std::string>& unitFiles) {
  if (unitFiles.empty()) throw ESrcProcessError(SNoUnitsToProcess);
  constFile_ = ConstantsFileOf(settings_, unitFiles);
  units_.Clear();
  left_.clear();
  usedWords_.clear();
  // Each real file once: "U.pas", "./U.pas" and a link to it are one unit;
  // the constants file is none.
  std::set<std::string> seen{RealFilePath(constFile_)};
  for (const auto& name : unitFiles) {
    if (!seen.insert(RealFilePath(name)).second) continue;
    auto unit = std::make_unique<TUnitRec>();
    unit->FileName = name;
    units_.Add(std::move(unit));
  }
  reader_->CodePage = settings_.CodePage;
  reader_->LoadConstants(constFile_);
  if (auto* script = dynamic_cast<TCPPProcessor*>(reader_.get())) nextId_ = script->NextId;
  for (const auto& unit : units_) ReadUnit(*unit);
  const TConstantNamer namer = Namer();
  for (const auto& unit : units_) {
    TFoundLiterals found = settings_.Target == TLiteralTarget::Pascal
                               ? FindPascalLiterals(unitScanner_, *unit, settings_.ExcludePatterns)
                               : FindCppLiterals(unitScanner_, *unit, settings_.ExcludePatterns);
    for (auto& literal : found.Offered) namer.Add(*unit, std::move(literal));
    left_.push_back(std::move(found.Left));
  }
}

std::map<std::string, std::string> TLiteralMove::Sources() const {
  std::map<std::string, std::string> sources;
  for (const auto& unit : units_)
    if (unit->Source) sources[unit->FileName] = unit->Source->Bytes();
  return sources;
}

void TLiteralMove::SelectAll() {
  for (const auto& unit : units_)
    for (const auto& c : unit->Constants) c->SetSelected(true);
}

std::vector<TPlanEntry> TLiteralMove::Plan() const {
  std::vector<TPlanEntry> plan;
  for (int u = 0; u < units_.Count(); ++u) {
    const TUnitRec& unit = *units_.Items(u);
    std::vector<TPlanEntry> entries;
    for (const auto& c : unit.Constants)
      entries.push_back({unit.FileName, c->FirstLine + 1, c->StartCol, c->Selected(), c->Name, c->Value});
    for (const auto& l : left_[static_cast<std::size_t>(u)])
      entries.push_back({unit.FileName, l.Line + 1, l.StartCol, false, std::string(), l.Text, l.Reason});
    std::stable_sort(entries.begin(), entries.end(), [](const TPlanEntry& a, const TPlanEntry& b) {
      return std::tie(a.Line, a.Column) < std::tie(b.Line, b.Column);
    });
    plan.insert(plan.end(), entries.begin(), entries.end());
  }
  return plan;
}

TStringList TLiteralMove::Preview(int unit) {
  TUnitRec& rec = *units_.Items(unit);
  TStringList lines;
  lines.Assign(rec.Lines);
  ApplyEditsToLines(lines, UnitChanges(unitScanner_, rec, settings_.Target, ConstUnitName()));
  return lines;
}

std::vector<TStrConst*> TLiteralMove::ConstantsToWrite() const {
  std::vector<TStrConst*> result;
  std::set<std::string> seen;
  const auto key = [&](const std::string& name) { return PascalConstants() ? LowerAscii(name) : name; };
  for (const auto& c : reader_->UnitRec().Constants)
    if (c) seen.insert(key(c->Name));
  for (const auto& unit : units_)
    for (const auto& c : unit->Constants)
      if (c && c->Selected() && seen.insert(key(c->Name)).second) result.push_back(c.get());
  return result;
}

TMoveResult TLiteralMove::Apply(bool write, const TCommitHooks& hooks) {
  if (units_.Count() == 0) throw ESrcProcessError(SNoUnitsToProcess);
  Namer().ResolveNames();
  TMoveResult result;
  const std::vector<TStrConst*> constants = ConstantsToWrite();
  for (const TStrConst* c : constants) result.Constants.push_back(c->Name);
  const std::string constFile = RealFilePath(constFile_);
  std::vector<TPendingFile> files =
      PascalConstants() ? BuildPascalConstants(constFile, settings_.CodePage, constants)
                        : BuildResourceScript(constFile, settings_.CodePage, constants, reader_->UnitRec().Constants,
                                              nextId_, units_);
  for (const auto& unit : units_) {
    if (unit->Constants.SelectedCount() == 0) continue;
    if (!unit->Source) throw ESrcProcessError(Format("%s: the unit was not read", unit->FileName));
    TPendingFile file;
    file.FileName = RealFilePath(unit->FileName);
    file.Existed = true;
    file.OldBytes = unit->Source->Bytes();
    file.Bytes = unit->Source->Apply(UnitChanges(unitScanner_, *unit, settings_.Target, ConstUnitName()));
    result.Literals += unit->Constants.SelectedCount();
    ++result.Units;
    files.push_back(std::move(file));
  }
  if (write)
    CommitFiles(files, &result.Written, hooks);
  else
    for (const auto& f : files) result.Written.push_back(f.FileName);
  return result;
}

TMoveLiteralsOutcome MoveLiterals(const TMoveLiteralsRequest& request) {
  TLiteralMove move(request.Settings);
  move.Find(request.Units);
  for (const auto& [file, bytes] : move.Sources()) {
    const auto expected = request.Expected.find(file);
    if (expected != request.Expected.end() && expected->second != bytes)
      throw ESrcProcessError(Format("%s: the file changed since it was read; nothing was written", file));
  }
  if (request.Plan)
    ApplyPlan(move.Units(), *request.Plan);
  else
    move.SelectAll();
  TMoveLiteralsOutcome outcome;
  outcome.ConstantsFile = move.ConstantsFile();
  outcome.Result = move.Apply(request.Write);
  outcome.Plan = move.Plan();
  return outcome;
}

}  // namespace sw
