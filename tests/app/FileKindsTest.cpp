// The file-kind table as the front ends read it: every row is found by its
// extensions and names, and the lists built from it follow its order.
#include "app/FileKinds.h"

#include <gtest/gtest.h>

#include <string>

namespace sw {
namespace {

TEST(FileKindsTest, EveryRowIsFoundByItsExtensionsAndNames) {
  std::string names;
  for (std::size_t k = 0; k < kFileKinds.size(); ++k) {
    const TFileKind& kind = kFileKinds[k];
    const int index = static_cast<int>(k);
    EXPECT_EQ(FileKindOfName(kind.CliName), index) << kind.CliName;
    for (std::string_view ext : kind.Extensions) {
      if (ext.empty()) continue;
      EXPECT_EQ(FileKindOfExtension(ext), index) << ext;
      EXPECT_EQ(FileKindOfName(ext.substr(1)), index) << ext;
    }
    EXPECT_EQ(FileKindNames(kind.Bit, ","), kind.CliName);
    EXPECT_NE(sfAllFiles & kind.Bit, 0) << kind.CliName;
    EXPECT_TRUE(kind.Read && kind.Merge) << kind.CliName << ": every kind has its reader and merger";
    names += (k ? "," : "") + std::string(kind.CliName);
  }
  EXPECT_EQ(FileKindNames(sfAllFiles, ","), names);
  EXPECT_EQ(FileKindNames(0, ","), "none");
  EXPECT_EQ(FileKindNames(sfDfmFiles | sfResFiles, ", "), "res, dfm") << "in table order";
  EXPECT_EQ(FileKindOfExtension(".txt"), -1);
  EXPECT_EQ(FileKindOfExtension(""), -1);
  EXPECT_EQ(FileKindOfName(""), -1);
  EXPECT_EQ(FileKindOfName("obj"), -1);
}

}  // namespace
}  // namespace sw
