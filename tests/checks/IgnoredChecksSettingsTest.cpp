// The ignore list in the settings file: read per library as written, and
// moved with its library when an earlier one is deleted.
#include <gtest/gtest.h>

#include "app/LibrarySettings.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

TEST(IgnoredChecksSettingsTest, ReadPerLibraryAndRenumberedOnDelete) {
  TempDir dir;
  const std::string file = dir.Write(
      "s.ini",
      "[Library1]\r\nName=One\r\n[IgnoredChecks1Lib]\r\nDEU spaces unit/A/B\r\n"
      "[Library2]\r\nName=Two\r\n[IgnoredChecks2Lib]\r\n; a comment\r\nFRA identical form/F/C=D\r\n"
      "* empty group/G/I\r\n");
  TLibrarySettings settings(file);
  EXPECT_EQ(settings.LoadIgnoredChecks(1), (std::vector<std::string>{"DEU spaces unit/A/B"}));
  EXPECT_EQ(settings.LoadIgnoredChecks(2),
            (std::vector<std::string>{"FRA identical form/F/C=D", "* empty group/G/I"}));
  EXPECT_TRUE(settings.LoadIgnoredChecks(3).empty());
  EXPECT_TRUE(TLibrarySettings(dir.Path("missing.ini")).LoadIgnoredChecks(1).empty());

  settings.DeleteLibrarySettings(1, 2);
  EXPECT_EQ(settings.LoadIgnoredChecks(1),
            (std::vector<std::string>{"FRA identical form/F/C=D", "* empty group/G/I"}));
  EXPECT_TRUE(settings.LoadIgnoredChecks(2).empty());
}

}  // namespace
}  // namespace sw
