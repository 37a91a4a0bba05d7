#include "extract/resources/CompiledPrograms.h"

#include "base/AsciiText.h"
#include "extract/forms/LocFormProc.h"
#include "extract/source/RcScript.h"
#include "extract/source/SourceErrors.h"
#include "platform/FileSystem.h"
#include "runtime/Streams.h"
#include "storage/LocStorage.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// Reads the string ids a .drc names; a damaged .drc costs its names only.
void ReadDrc(TCompiledProgram& program, unsigned codePage) {
  const std::string folder = ExtractFilePath(program.FileName);
  const std::string drc =
      platform::FindFileIgnoringCase(folder.empty() ? "." : folder, StripExt(ExtractFileName(program.FileName)) + ".drc");
  if (drc.empty()) return;
  program.DrcFile = drc;
  TRcScriptReader reader;
  reader.CodePage = codePage;
  TRcScript script;
  try {
    reader.Read(drc, script);
  } catch (const ERcScriptError& e) {
    program.Warnings.push_back(e.Describe() + "; the names it gave before are used");
  }
  for (const TRcStringEntry& entry : script.Entries)
    if (entry.Named) program.StringNames.emplace(entry.Id, entry.Name);
}

// The constant a numbered string is merged into: one of a unit read from a
// compiled file holding that string id, or, for an id other than 0, one a
// native pass named by a .drc.
TLocConstant* FindByStringId(const TLocStorage& storage, std::uint16_t stringId) {
  TLocConstant* named = nullptr;
  for (int u = 0; u < storage.Units->Count(); ++u) {
    const TLocUnit* unit = storage.Units->Items(u);
    const int c = unit->Constants->IndexOfStringId(stringId);
    if (c < 0) continue;
    if ((unit->Attributes & uaSourceConstant) == 0) return unit->Constants->Items(c);
    if (!named && stringId != 0) named = unit->Constants->Items(c);
  }
  return named;
}

void SetValue(TLocConstant& constant, const TCompiledMergeTarget& target, const std::u16string& text) {
  constant.IsUsed = true;
  TLocValue* value = constant.Values(target.Column);
  if (value->Text != text) {
    value->SetText(text);
    value->SetRevision(target.Revision);
  }
}

}  // namespace

std::string TCompiledProgram::TakenLanguageName() const {
  return Taken.empty() ? std::string() : PeLanguageName(Languages[Taken.front()]->Language);
}

std::unique_ptr<TCompiledProgram> ReadCompiledProgram(const std::string& fileName, std::uint16_t langId,
                                                      unsigned codePage) {
  auto program = std::make_unique<TCompiledProgram>();
  program->FileName = fileName;
  program->Image = std::make_unique<TPeImage>(fileName);
  program->Languages = PeLanguages(*program->Image);
  program->Taken = ChoosePeLanguages(program->Languages, langId);
  for (const std::size_t index : program->Taken) {
    const TPeLanguage& language = *program->Languages[index];
    for (int i = 0; i < language.Strings.Count(); ++i) {
      const TResStringItem* item = language.Strings.Strings(i);
      program->Strings.AddString(item->Id, item->Text);
    }
    for (const TPeForm& form : language.Forms) program->Forms.push_back(&form);
  }
  if (program->Languages.size() > 1) {
    std::string all;
    std::string taken;
    for (const auto& language : program->Languages) all += (all.empty() ? "" : ", ") + PeLanguageName(language->Language);
    for (const std::size_t index : program->Taken)
      taken += (taken.empty() ? "" : ", ") + PeLanguageName(program->Languages[index]->Language);
    program->Warnings.push_back(
        Format("%s: resources of the languages %s; took those of %s", fileName, all, taken));
  }
  ReadDrc(*program, codePage);
  return program;
}

bool IsResourceDll(const std::string& fileName) {
  std::string ext = ExtractFileExt(fileName);
  if (ext.size() < 3 || ext.size() > 4) return false;
  if (LangIdFromAbbr(ext.substr(1)) == 0) return false;
  return IsPeImageFile(fileName);
}

std::pair<std::string, std::string> SplitDrcName(const std::string& define, const TLocStorage* storage) {
  std::size_t best = 0;
  std::string unitName;
  if (storage) {
    for (int u = 0; u < storage->Units->Count(); ++u) {
      std::string spelled = storage->Units->Items(u)->ItemName;
      for (char& c : spelled)
        if (c == '.') c = '_';
      if (spelled.size() + 1 < define.size() && spelled.size() > best && define[spelled.size()] == '_' &&
          UpperAscii(define.substr(0, spelled.size())) == UpperAscii(spelled)) {
        best = spelled.size();
        unitName = storage->Units->Items(u)->ItemName;
      }
    }
  }
  if (best > 0) return {unitName, define.substr(best + 1)};
  const auto last = define.rfind('_');
  if (last == std::string::npos || last == 0 || last + 1 == define.size()) return {"", define};
  unitName = define.substr(0, last);
  for (char& c : unitName)
    if (c == '_') c = '.';
  return {unitName, define.substr(last + 1)};
}

void MergeCompiledProgram(const TCompiledProgram& program, const TCompiledMergeTarget& target) {
  TLocStorage& storage = *target.Storage;
  const std::string fileUnit = StripExt(ExtractFileName(program.FileName));
  for (int i = 0; i < program.Strings.Count(); ++i) {
    const TResStringItem* item = program.Strings.Strings(i);
    const auto stringId = static_cast<std::uint16_t>(item->Id);
    TLocConstant* constant = nullptr;
    const auto named = program.StringNames.find(stringId);
    if (named != program.StringNames.end()) {
      const auto [unitName, constName] = SplitDrcName(named->second, &storage);
      if (!unitName.empty()) {
        constant = storage.FindConstant(unitName, constName);
        if (!constant && target.Native) {
          constant = storage.FindOrAddConstant(-1, unitName, stringId, constName);
          constant->OwnerUnit->SetAttr(uaSourceConstant, true);
        }
        if (constant) {
          SetValue(*constant, target, item->Text);
          continue;
        }
      }
    }
    constant = FindByStringId(storage, stringId);
    if (!constant) {
      if (!target.Native) continue;
      constant = storage.FindOrAddConstant(-1, fileUnit, stringId, std::to_string(item->Id));
    }
    SetValue(*constant, target, item->Text);
  }

  for (const TPeForm* form : program.Forms) {
    TMemoryStream stream(std::vector<std::uint8_t>(form->Data.begin(), form->Data.end()));
    TLocFormProcessor processor;
    if (target.PropRules) processor.PropRules.Assign(*target.PropRules);
    processor.LangId = target.LangId;
    processor.Storage = target.Storage;
    processor.Column = target.Column;
    processor.Revision = target.Revision;
    processor.ProcessStream(stream);
  }
}

}  // namespace sw
