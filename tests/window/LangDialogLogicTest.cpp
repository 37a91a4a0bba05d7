// The language settings dialog and the about box through their control
// models: preselection from the user's default language, group and leaf
// nodes, the sub-folder list and the rule that enables "OK".
#include "window/LangDialogLogic.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "window/AboutBoxLogic.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "platform/PathNames.h"
#include "util/VersionInfo.h"

namespace sw {
namespace {

class ScopedLocaleEnv {
 public:
  explicit ScopedLocaleEnv(const char* value) {
    if (const char* old = std::getenv("LC_ALL")) old_ = old;
    ::setenv("LC_ALL", value, 1);
  }
  ~ScopedLocaleEnv() {
    if (old_)
      ::setenv("LC_ALL", old_->c_str(), 1);
    else
      ::unsetenv("LC_ALL");
  }

 private:
  std::optional<std::string> old_;
};

const TLocaleTreeNode* FindNode(const TLocaleTreeNode& parent, int data) {
  for (int i = 0; i < parent.Count(); ++i) {
    if (parent.Item(i)->Data() == data) return parent.Item(i);
    if (const TLocaleTreeNode* found = FindNode(*parent.Item(i), data)) return found;
  }
  return nullptr;
}

class LangDialogLogicTest : public ::testing::Test {
 protected:
  // The dialog as the main window prepares it.
  void Prepare(const std::string& folder, const std::string& subFolder) {
    dialog_.FillLanguages();
    dialog_.SetSourceFolder(folder);
    dialog_.SelectSubFolder(subFolder);
  }
  std::string MakeSource() const {
    for (const char* sub : {"src/fr", "src/DE", "src/.svn", "src/Italiano"})
      std::filesystem::create_directories(dir_.Path(sub));
    dir_.Write("src/notes.txt", "x");
    return dir_.Path("src");
  }

  TempDir dir_;
  TLangDialogLogic dialog_;
};

TEST_F(LangDialogLogicTest, StartsWithCaptionsAndOkDisabled) {
  EXPECT_EQ(dialog_.dlgLangParams.Caption(), "Language Settings");
  EXPECT_EQ(dialog_.Label1.Caption(), "Language Identifier");
  EXPECT_EQ(dialog_.lbEngName.Caption(), "English Name");
  EXPECT_EQ(dialog_.lbExt.Caption(), "Abbreviation");
  EXPECT_FALSE(dialog_.btOK.Enabled());
  EXPECT_FALSE(dialog_.edEngName.Enabled());
  EXPECT_TRUE(dialog_.edExt.ReadOnly);
  EXPECT_EQ(dialog_.edExt.MaxLength, 3);
}

TEST_F(LangDialogLogicTest, PreselectsTheUsersDefaultLanguageLeaf) {
  SKIP_ON_WINDOWS("the user's language comes from the POSIX locale environment; Windows answers from its own settings");
  ScopedLocaleEnv locale("de_AT.UTF-8");
  Prepare(MakeSource(), "");
  ASSERT_NE(dialog_.Selected(), nullptr);
  EXPECT_EQ(dialog_.SelectedLangId(), 0x0C07);
  EXPECT_EQ(dialog_.Selected()->Count(), 0);
  EXPECT_EQ(dialog_.edEngName.Text(), DisplayLangName(0x0C07)) << "the name the list and the files use";
  EXPECT_EQ(dialog_.edExt.Text(), "DEA");
  EXPECT_FALSE(dialog_.btOK.Enabled()) << "no sub-folder chosen yet";

  dialog_.cbSubFolders.UserSelect(1);
  EXPECT_TRUE(dialog_.btOK.Enabled());
  EXPECT_EQ(dialog_.SelectedSubFolder(), "fr");
}

TEST_F(LangDialogLogicTest, TreeGroupsLanguagesAndIsSortedByText) {
  dialog_.FillLanguages();
  const TLocaleTree& tree = dialog_.tvLang;
  ASSERT_GT(tree.Count(), 10);
  for (int i = 1; i < tree.Count(); ++i)
    EXPECT_LE(TLocaleTree::CompareNodeText(tree.Item(i - 1)->Text(), tree.Item(i)->Text()), 0) << i;
  const TLocaleTreeNode* german = FindNode(tree.Root(), 0x07);
  ASSERT_NE(german, nullptr);
  EXPECT_GT(german->Count(), 1);
  EXPECT_NE(FindNode(*german, 0x0407), nullptr);
}

TEST_F(LangDialogLogicTest, GroupNodeGivesLanguagePartTwoLetterAbbreviationAndPrimaryId) {
  Prepare(MakeSource(), "de");
  const TLocaleTreeNode* group = FindNode(dialog_.tvLang.Root(), 0x07);
  ASSERT_NE(group, nullptr);
  dialog_.SelectNode(group);
  EXPECT_EQ(dialog_.edEngName.Text(), "German");
  EXPECT_EQ(dialog_.edEngName.Text(), DisplayLangName(0x07));
  EXPECT_EQ(dialog_.edExt.Text().size(), 2u);
  EXPECT_EQ(dialog_.edExt.Text(), "DE");
  EXPECT_TRUE(dialog_.btOK.Enabled());
  EXPECT_EQ(dialog_.SelectedLangId(), 0x07);
  EXPECT_EQ(dialog_.SelectedSubFolder(), "DE") << "the entry as listed, not as asked for";
}

TEST_F(LangDialogLogicTest, SubFolderListOffersOnlyPlainFoldersWithSlashPrefix) {
  Prepare(MakeSource(), "");
  EXPECT_EQ(dialog_.cbSubFolders.Items(), (std::vector<std::string>{"/DE", "/fr", "/Italiano"}));
  EXPECT_EQ(dialog_.lbLangFolder.Caption(), "Language folder (a subfolder of " + dir_.Path("src") + " )");
}

TEST_F(LangDialogLogicTest, SelectSubFolderMatchesIgnoringCaseOrSelectsNothing) {
  Prepare(MakeSource(), "ITALIANO");
  EXPECT_EQ(dialog_.cbSubFolders.ItemIndex(), 2);
  EXPECT_TRUE(dialog_.btOK.Enabled());
  dialog_.SelectSubFolder("es");
  EXPECT_EQ(dialog_.cbSubFolders.ItemIndex(), -1);
  EXPECT_EQ(dialog_.SelectedSubFolder(), "");
  EXPECT_FALSE(dialog_.btOK.Enabled());
}

TEST_F(LangDialogLogicTest, FolderWithoutSubFoldersOrMissingLeavesListEmptyAndOkDisabled) {
  dir_.Write("flat/a.pas", "unit a;");
  Prepare(dir_.Path("flat"), "a.pas");
  EXPECT_EQ(dialog_.cbSubFolders.Count(), 0);
  EXPECT_FALSE(dialog_.btOK.Enabled());
  dialog_.SetSourceFolder(dir_.Path("missing"));
  EXPECT_EQ(dialog_.cbSubFolders.Count(), 0);
  EXPECT_FALSE(dialog_.btOK.Enabled());
}

TEST_F(LangDialogLogicTest, NoSelectedNodeMeansNoLanguageAndOkDisabled) {
  Prepare(MakeSource(), "fr");
  dialog_.SelectNode(nullptr);
  EXPECT_EQ(dialog_.SelectedLangId(), 0);
  EXPECT_FALSE(dialog_.btOK.Enabled());
}

TEST_F(LangDialogLogicTest, NamesAreDecodedAndAgreeWithTheListAndTheFiles) {
  Prepare(MakeSource(), "fr");
  // Catalogue names in a code page reach the controls as UTF-8.
  const TLocaleTreeNode* ivory = FindNode(dialog_.tvLang.Root(), 0x300C);
  ASSERT_NE(ivory, nullptr);
  EXPECT_EQ(TLangDialogLogic::NodeCaption(*ivory), "French (C\u00F4te d\u2019Ivoire)");
  const TLocaleTreeNode* bokmal = FindNode(dialog_.tvLang.Root(), 0x0414);
  ASSERT_NE(bokmal, nullptr);
  EXPECT_EQ(TLangDialogLogic::NodeCaption(*bokmal), "Norwegian Bokm\u00E5l (Norway)");
  // "English Name" is the name of the main window's list and of the language file.
  dialog_.SelectNode(bokmal);
  EXPECT_EQ(dialog_.edEngName.Text(), "Norwegian (Bokmal)");
  EXPECT_EQ(dialog_.edEngName.Text(), DisplayLangName(0x0414));
  EXPECT_EQ(dialog_.edEngName.Text(), GetEnglishLangName(0x0414));
  // A language-only name that is not ASCII is decoded as well.
  EXPECT_EQ(DisplayLangName(0x0014), "Norwegian Bokm\u00E5l");
}

TEST_F(LangDialogLogicTest, FilterNarrowsTheTreeAndMovesAHiddenSelection) {
  SKIP_ON_WINDOWS("the user's language comes from the POSIX locale environment; Windows answers from its own settings");
  ScopedLocaleEnv locale("de_AT.UTF-8");
  Prepare(MakeSource(), "fr");
  int refreshed = 0;
  dialog_.OnFilterChanged = [&] { ++refreshed; };
  const TLocaleTreeNode* austria = dialog_.Selected();
  ASSERT_NE(austria, nullptr);
  const TLocaleTreeNode* german = FindNode(dialog_.tvLang.Root(), 0x07);
  const TLocaleTreeNode* french = FindNode(dialog_.tvLang.Root(), 0x0C);
  const TLocaleTreeNode* france = FindNode(dialog_.tvLang.Root(), 0x040C);
  ASSERT_TRUE(german && french && france);
  for (const TLocaleTreeNode* node : {german, austria, french, france}) EXPECT_TRUE(dialog_.NodeVisible(*node));

  // A part of a name, any letter case: the group shows with all its locales,
  // and the selection, still shown, stays.
  dialog_.edFilter.SetText("GERM");
  EXPECT_EQ(refreshed, 1);
  EXPECT_TRUE(dialog_.NodeVisible(*german));
  EXPECT_TRUE(dialog_.NodeVisible(*austria));
  EXPECT_FALSE(dialog_.NodeVisible(*french));
  EXPECT_FALSE(dialog_.NodeVisible(*france));
  EXPECT_EQ(dialog_.Selected(), austria);

  // A filter that hides the selection selects the first language it shows.
  dialog_.edFilter.SetText("french (france)");
  EXPECT_EQ(dialog_.Selected(), france);
  EXPECT_TRUE(dialog_.NodeVisible(*french)) << "the group of a matching locale";
  EXPECT_FALSE(dialog_.NodeVisible(*german));
  EXPECT_EQ(dialog_.edExt.Text(), "FRA");
  EXPECT_TRUE(dialog_.btOK.Enabled());

  // An abbreviation finds its locale; a decoded name matches as shown.
  dialog_.edFilter.SetText("dea");
  EXPECT_EQ(dialog_.SelectedLangId(), 0x0C07);
  dialog_.edFilter.SetText("c\u00F4te");
  EXPECT_EQ(dialog_.SelectedLangId(), 0x300C);

  // Nothing matches: nothing is selected and OK is off.
  dialog_.edFilter.SetText("no such language");
  EXPECT_EQ(dialog_.Selected(), nullptr);
  EXPECT_EQ(dialog_.edEngName.Text(), "");
  EXPECT_FALSE(dialog_.btOK.Enabled());

  // A name that begins with the filter comes before a word that does, and
  // that before the filter inside a word: "ger" is German, not Algeria.
  dialog_.edFilter.SetText("ger");
  EXPECT_EQ(PrimaryLangId(dialog_.SelectedLangId()), 0x07) << dialog_.edEngName.Text();
  dialog_.edFilter.SetText("");
  EXPECT_TRUE(dialog_.NodeVisible(*french));
}

TEST_F(LangDialogLogicTest, SelectingALanguageByIdFindsLeafOrGroupElseSelectsNothing) {
  Prepare(MakeSource(), "fr");
  EXPECT_TRUE(dialog_.SelectLangId(0x080C));  // French (Belgium): a leaf
  EXPECT_EQ(dialog_.SelectedLangId(), 0x080C);
  EXPECT_EQ(dialog_.Selected()->Count(), 0);
  EXPECT_TRUE(dialog_.btOK.Enabled());
  EXPECT_TRUE(dialog_.SelectLangId(0x0C));  // French: the group
  EXPECT_GT(dialog_.Selected()->Count(), 0);
  // An identifier the tree does not hold selects nothing: OK waits for a choice.
  EXPECT_FALSE(dialog_.SelectLangId(0x7FFF));
  EXPECT_EQ(dialog_.Selected(), nullptr);
  EXPECT_EQ(dialog_.edEngName.Text(), "");
  EXPECT_EQ(dialog_.edExt.Text(), "");
  EXPECT_FALSE(dialog_.btOK.Enabled());
}

// ---- About box -------------------------------------------------------------------

TEST(AboutBoxLogicTest, OwnProgramShowsVersionAndLegalNotice) {
  std::string opened;
  const std::string self = platform::ExecutablePath();
  TAboutBoxLogic about(self, [&](const std::string& file) {
    opened = file;
    return true;
  });
  EXPECT_EQ(about.AboutBox.Caption(), "About");
  EXPECT_EQ(about.ProductName.Caption(), "Shelfwright");
  EXPECT_EQ(about.Label1.Caption(), "(Polyverb utility)");
  TQVersionInfoRec info;
  ASSERT_TRUE(GetVersionInfo(self, info));
  EXPECT_EQ(about.lblVersion.Caption(), "Version: " + info.FileVersion);
  EXPECT_FALSE(info.FileVersion.empty());
  EXPECT_EQ(about.lblCopyright.Caption(), info.LegalCopyright);

  // The test program has no read-me beside it: the box says so instead of
  // opening nothing.
  std::string error;
  about.OnShowError = [&](const std::string& message) { error = message; };
  about.btMoreInfo.Click();
  EXPECT_EQ(opened, "");
  EXPECT_EQ(error, "The file " + JoinPath(ExtractFilePath(self), "readme.txt") + " does not exist.");
}

TEST(AboutBoxLogicTest, FileWithoutVersionInformationLeavesBareLabels) {
  TempDir dir;
  TAboutBoxLogic about(dir.Write("other", "x"), nullptr);
  EXPECT_EQ(about.lblVersion.Caption(), "Version: ");
  EXPECT_EQ(about.lblCopyright.Caption(), "");
  about.btMoreInfo.Click();  // no opener: nothing happens
}

TEST(AboutBoxLogicTest, MoreInfoOpensTheReadmeOrShowsItsTextWhenNothingOpensIt) {
  TempDir dir;
  const std::string program = dir.Write("prog", "x");
  dir.Write("readme.txt", "Shelfwright\nGr\xC3\xBC\xC3\x9F" "e\n");
  std::vector<std::string> opened;
  bool opens = true;
  TAboutBoxLogic about(program, [&](const std::string& file) {
    opened.push_back(file);
    return opens;
  });
  std::string title, text, error;
  about.OnShowText = [&](const std::string& t, const std::string& body) {
    title = t;
    text = body;
  };
  about.OnShowError = [&](const std::string& message) { error = message; };
  about.btMoreInfo.Click();
  ASSERT_EQ(opened, std::vector<std::string>{about.ReadmePath()});
  EXPECT_TRUE(platform::FileExists(about.ReadmePath()));
  EXPECT_EQ(text, "") << "opened by its application: nothing more to show";

  opens = false;
  about.btMoreInfo.Click();
  EXPECT_EQ(title, "readme.txt");
  EXPECT_EQ(text, "Shelfwright\nGr\u00FC\u00DFe\n");
  EXPECT_EQ(error, "");

  // Bytes that are not UTF-8 are shown as Latin-1, never passed on broken.
  dir.Write("readme.txt", "caf\xE9");
  about.btMoreInfo.Click();
  EXPECT_EQ(text, "caf\u00E9");
  // A huge file is cut, without splitting a character.
  dir.Write("readme.txt", std::string(TAboutBoxLogic::kMaxReadmeSize - 1, 'a') + "\xC3\xA9tail");
  about.btMoreInfo.Click();
  EXPECT_EQ(text.size(), TAboutBoxLogic::kMaxReadmeSize - 1);
}

}  // namespace
}  // namespace sw
