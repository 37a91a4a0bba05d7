// Pascal units as real projects write them: dotted unit names, hint
// directives, conditional branches, include directives and character codes
// that are half a surrogate pair.
#include <gtest/gtest.h>

#include "extract/source/SourceReaders.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using Strings = std::vector<std::string>;

class PasUnitsTest : public ::testing::Test {
 protected:
  Strings Load(const std::string& text, const std::string& name = "Unit1") {
    path = dir.Write(name + ".pas", text);
    processor.LoadConstants(path);
    Strings result;
    for (const auto& c : processor.UnitRec().Constants) result.push_back(c->Name + "=" + c->Value);
    return result;
  }
  TempDir dir;
  std::string path;
  TPasProcessor processor;
};

TEST_F(PasUnitsTest, DottedUnitNameIsTheWholeName) {
  EXPECT_EQ(Load("unit Company.Product.Strings;\ninterface\nresourcestring\n  SA = 'a';\nimplementation\nend.\n"),
            Strings{"SA=a"});
  EXPECT_EQ(processor.UnitRec().UnitName, "Company.Product.Strings");
  Load("unit Plain;\ninterface\nimplementation\nend.\n");
  EXPECT_EQ(processor.UnitRec().UnitName, "Plain");
}

TEST_F(PasUnitsTest, HintDirectivesArePassedOver) {
  EXPECT_EQ(Load("unit Hints;\ninterface\nconst\n  CBase = 'base' platform;\nresourcestring\n"
                 "  SOld = 'old' deprecated 'use SNew instead';\n"
                 "  SPlat = 'plat' platform;\n"
                 "  SExp = 'exp' experimental;\n"
                 "  SLib = 'lib' library;\n"
                 "  SBoth = CBase + '!' deprecated;\n"
                 "  SLast = 'last';\nimplementation\nend.\n"),
            (Strings{"SOld=old", "SPlat=plat", "SExp=exp", "SLib=lib", "SBoth=base!", "SLast=last"}));
}

TEST_F(PasUnitsTest, EveryConditionalBranchIsReadAndTheFirstDeclarationStands) {
  EXPECT_EQ(Load("unit Cond;\ninterface\n{$I settings.inc}\nresourcestring\n"
                 "{$IFDEF FPC}\n  SName = 'fpc';\n{$ELSE}\n  SName = 'delphi';\n{$ENDIF}\n"
                 "{$IF Defined(MSWINDOWS)}\n  SOnly = 'windows';\n{$IFEND}\n"
                 "  SAfter = SName + '/' + SOnly;\n"
                 "(*$INCLUDE more.inc*)\n{$I+}\nimplementation\nend.\n"),
            (Strings{"SName=fpc", "SOnly=windows", "SAfter=fpc/windows"}));
  EXPECT_EQ(processor.Warnings,
            (Strings{path + " line 2: include file settings.inc not read",
                     path + " line 13: include file more.inc not read",
                     path + " line 7: SName declared again (first on line 5); the first declaration stands"}));
}

TEST_F(PasUnitsTest, HalfASurrogatePairIsKeptAsReplacementCharacter) {
  // Not even a resourcestring: it used to end the whole unit.
  EXPECT_EQ(Load("unit Sur;\ninterface\nconst\n  CBad = #$D800;\nresourcestring\n  SLow = 'a'#$DC00'b';\n"
                 "  SPair = #$D83D#$DE00;\nimplementation\nend.\n"),
            (Strings{"SLow=a\xEF\xBF\xBD" "b", "SPair=\xF0\x9F\x98\x80"}));
  EXPECT_EQ(processor.Warnings,
            (Strings{path + " line 3: \"#$D800\" is half a surrogate pair, kept as U+FFFD",
                     path + " line 5: \"#$DC00\" is half a surrogate pair, kept as U+FFFD"}));
}

}  // namespace
}  // namespace sw
