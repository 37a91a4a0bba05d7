// A run whose languages share a code page that is not the machine's: the
// copies of native texts in a new translation file are recoded to the
// translation's own code page, never to the machine's, and stay readable on
// every later run; so are those the exchange opens for a language that has
// no file yet.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppTestSupport.h"
#include "app/LibraryRun.h"
#include "platform/NationalLanguage.h"
#include "storage/ExchangeUnits.h"
#include "storage/PropRules.h"
#include "support/LocaleTestSupport.h"
#include "support/RecordingUserInteraction.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

constexpr int kRussian = 0x0419;
constexpr int kUkrainian = 0x0422;

TEST(CodePageRunTest, NewTranslationFileCopiesReadCorrectlyOnAMachineOfAnotherCodePage) {
  SKIP_ON_WINDOWS("the machine's code page comes from the POSIX locale environment; Windows answers from its own settings");
  test::LocaleEnv machine("en_US.UTF-8");
  ASSERT_EQ(platform::GetACP(), 1252u);
  TempDir dir;
  RecordingUserInteraction ui;
  ScopedUserInteraction scope(&ui);
  // "Привет" in Windows-1251, the code page of Russian and of Ukrainian.
  dir.Write("src/ru/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = '\xCF\xF0\xE8\xE2\xE5\xF2';\r\n"
            "implementation\r\nend.\r\n");
  std::filesystem::create_directories(dir.Path("src/uk"));
  TResolvedLibrary library;
  library.Name = library.ShortName = "Lib";
  library.SrcDir = dir.Path("src");
  library.DestDir = dir.Path("out");
  library.ScanFiles = sfDefaultFiles;
  SetDefaultPropRules(library.PropRules);
  library.Languages.AddLibLanguage(kRussian, "ru");
  library.Languages.AddLibLanguage(kUkrainian, "uk");

  const std::u16string hello = u"\u041F\u0440\u0438\u0432\u0435\u0442";
  for (int run = 1; run <= 2; ++run) {
    const TRunResult result = RunLibrary(library);
    ASSERT_TRUE(result.Ok()) << (result.Failure ? result.Failure->Describe() : "");
    const auto uk = testing::ReadLng(dir.Path("out/Lib.UKR.lng"));
    EXPECT_EQ(uk.Text("U:Strings.SHello"), hello) << "run " << run;
    EXPECT_EQ(uk.Revision("U:Strings.SHello"), -1) << "a copy, not a translation";
    EXPECT_EQ(testing::ReadLng(dir.Path("out/Lib.RUS.lng")).Text("U:Strings.SHello"), hello);
  }
}

// The exchange and the coverage open a language column as the run does: the
// copies of a language that has no file yet (exported before its first run)
// are recoded to its own code page, not to the machine's.
TEST(CodePageRunTest, ExchangeOfANewLanguageReadsItsCopiesCorrectlyOnAMachineOfAnotherCodePage) {
  SKIP_ON_WINDOWS("the machine's code page comes from the POSIX locale environment; Windows answers from its own settings");
  test::LocaleEnv machine("en_US.UTF-8");
  ASSERT_EQ(platform::GetACP(), 1252u);
  TempDir dir;
  RecordingUserInteraction ui;
  ScopedUserInteraction scope(&ui);
  dir.Write("src/ru/Strings.pas",
            "unit Strings;\r\ninterface\r\nresourcestring\r\n  SHello = '\xCF\xF0\xE8\xE2\xE5\xF2';\r\n"
            "implementation\r\nend.\r\n");
  TResolvedLibrary library;
  library.Name = library.ShortName = "Lib";
  library.SrcDir = dir.Path("src");
  library.DestDir = dir.Path("out");
  SetDefaultPropRules(library.PropRules);
  library.Languages.AddLibLanguage(kRussian, "ru");
  const TRunResult result = RunLibrary(library);
  ASSERT_TRUE(result.Ok()) << (result.Failure ? result.Failure->Describe() : "");

  const std::string ukrainian = LangFileNameFor(dir.Path("out"), "Lib", kUkrainian);
  ASSERT_FALSE(std::filesystem::exists(ukrainian));
  const TLoadedLanguage loaded =
      LoadLanguage(LangFileNameFor(dir.Path("out"), "Lib", kRussian), ukrainian, kUkrainian);
  EXPECT_FALSE(loaded.LangFileExists);
  const std::vector<TExchangeUnit> units = CollectUnits(*loaded.Storage, loaded.Column);
  ASSERT_EQ(units.size(), 1u);
  const TLocValue* copy = units[0].Item->Values(loaded.Column);
  EXPECT_EQ(copy->Text, u"\u041F\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(copy->Revision, -1);
  EXPECT_EQ(units[0].Status, TUnitStatus::Untranslated);
}

}  // namespace
}  // namespace sw
