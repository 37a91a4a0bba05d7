// The compiled-programs file kind (see FileKinds.h): programs, libraries and
// packages (.exe, .dll, .bpl) and resource DLLs (a language abbreviation as
// extension, PE content), read through the PE resource reader. Their string
// tables merge as those of compiled resource files, their forms as forms.
#include <memory>
#include <string>

#include "app/FileKinds.h"
#include "extract/resources/CompiledPrograms.h"
#include "storage/LocStorage.h"

namespace sw {

namespace {

struct TCompiledContents : TFileContents {
  std::unique_ptr<TCompiledProgram> Program;
};

}  // namespace

std::unique_ptr<TFileContents> ReadCompiledFile(const std::string& path, const TKindReadSettings& settings) {
  auto contents = std::make_unique<TCompiledContents>();
  contents->Program = ReadCompiledProgram(path, settings.LangId, settings.CodePage);
  return contents;
}

void MergeCompiledFile(const std::string&, TFileContents& contents, TKindMergeTarget& target) {
  const TCompiledProgram& program = *static_cast<TCompiledContents&>(contents).Program;
  TCompiledMergeTarget into;
  into.Storage = &target.Storage;
  into.Column = target.Column;
  into.Revision = target.Revision;
  into.Native = target.Native;
  into.PropRules = &target.PropRules;
  into.LangId = static_cast<std::uint16_t>(target.Storage.Languages(target.Column));
  MergeCompiledProgram(program, into);
  target.Warnings.insert(target.Warnings.end(), program.Warnings.begin(), program.Warnings.end());
}

bool IsResourceDllFile(const std::string& path) { return IsResourceDll(path); }

}  // namespace sw
