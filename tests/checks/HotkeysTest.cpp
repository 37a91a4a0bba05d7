// The native forms' structure (frames and inherited forms merged in) and the
// hotkeys check over it: a small library with a host form holding an inline
// frame, a menu with two levels and a panel, and an inherited dialog, run
// through the processing run so that the storage names its items as it
// always does.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/LibraryRun.h"
#include "checks/Checks.h"
#include "checks/FormTree.h"
#include "storage/ExchangeUnits.h"
#include "storage/PropRules.h"
#include "support/RecordingUserInteraction.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;

// {English, German} caption pairs, written into the two folders.
std::string HostForm(bool german) {
  auto t = [german](const char* en, const char* de) { return std::string("'") + (german ? de : en) + "'"; };
  return "object HostForm: THostForm\r\n"
         "  Caption = " + t("Host", "Wirt") + "\r\n"
         "  object btnOK: TButton\r\n    Caption = " + t("&OK", "&OK") + "\r\n  end\r\n"
         "  object btnOpen: TButton\r\n    Caption = " + t("O&pen", "&Offnen") + "\r\n  end\r\n"
         "  object Panel1: TPanel\r\n"
         "    object btnCancel: TButton\r\n      Caption = " + t("&Cancel", "&Abbrechen") + "\r\n    end\r\n"
         "    object btnOther: TButton\r\n      Caption = " + t("&Other", "&Anderes") + "\r\n    end\r\n"
         "  end\r\n"
         "  object MainMenu1: TMainMenu\r\n"
         "    object miFile: TMenuItem\r\n      Caption = " + t("&File", "&Datei") + "\r\n"
         "      object miOpen: TMenuItem\r\n        Caption = " + t("&Open", "&Oeffnen") + "\r\n      end\r\n"
         "      object miSave: TMenuItem\r\n        Caption = " + t("&Save", "&Speichern") + "\r\n      end\r\n"
         "    end\r\n"
         "    object miEdit: TMenuItem\r\n      Caption = " + t("&Edit", "&Bearbeiten") + "\r\n"
         "      object miSelect: TMenuItem\r\n        Caption = " + t("&Select all", "Alles au&swaehlen") +
         "\r\n      end\r\n"
         "    end\r\n"
         "  end\r\n"
         "  inline Frame1: TMyFrame\r\n"
         "    inherited lblName: TLabel\r\n      Caption = " + t("&Name:", "&Bezeichnung:") + "\r\n    end\r\n"
         "  end\r\n"
         "end\r\n";
}

std::string MyFrame(bool german) {
  return std::string("object MyFrame: TMyFrame\r\n") +
         "  object lblName: TLabel\r\n    Caption = 'Name'\r\n  end\r\n"
         "  object btnBrowse: TButton\r\n    Caption = '" + (german ? "&Blaettern" : "&Browse") + "'\r\n  end\r\n"
         "end\r\n";
}

std::string BaseDlg(bool german) {
  return std::string("object BaseDlg: TBaseDlg\r\n") + "  object btnHelp: TButton\r\n    Caption = '" +
         (german ? "&Hilfe" : "&Help") + "'\r\n  end\r\nend\r\n";
}

std::string DerivedDlg(bool german) {
  return std::string("inherited DerivedDlg: TDerivedDlg\r\n") + "  object btnHome: TButton\r\n    Caption = '" +
         (german ? "&Start" : "&Home") + "'\r\n  end\r\nend\r\n";
}

class HotkeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const bool german : {false, true}) {
      const std::string folder = german ? "src/de/" : "src/en/";
      dir.Write(folder + "Host.dfm", HostForm(german));
      dir.Write(folder + "MyFrame.dfm", MyFrame(german));
      dir.Write(folder + "BaseDlg.dfm", BaseDlg(german));
      dir.Write(folder + "DerivedDlg.dfm", DerivedDlg(german));
    }
    dir.Write("src/en/DerivedDlg.pas",
              "unit DerivedDlg;\r\ninterface\r\ntype\r\n  TDerivedDlg = class (Base.TBaseDlg)\r\n  end;\r\n");
    TResolvedLibrary library;
    library.Name = library.ShortName = "Lib";
    library.SrcDir = dir.Path("src");
    library.DestDir = dir.Path("out");
    library.ScanFiles = sfDfmFiles;
    SetDefaultPropRules(library.PropRules);
    library.Languages.AddLibLanguage(kEnglish, "en");
    library.Languages.AddLibLanguage(kGerman, "de");
    const TRunResult result = RunLibrary(library);
    ASSERT_TRUE(result.Ok()) << (result.Failure ? result.Failure->Describe() : "");
    trees = ReadFormTrees(dir.Path("src/en"), kEnglish);
    ASSERT_TRUE(trees.Errors.empty()) << trees.Errors[0];
  }

  // "item: message" of the hotkey problems of a column.
  std::vector<std::string> Problems(bool native) {
    const TLoadedLanguage loaded = LoadLanguage(dir.Path("out/Lib.ENU.lng"), dir.Path("out/Lib.DEU.lng"), kGerman);
    TCheckSelection selection{{"hotkeys"}, {}};
    std::vector<std::string> lines;
    for (const auto& problem : CheckColumn(*loaded.Storage, native ? 0 : loaded.Column, selection, &trees))
      lines.push_back(problem.Item + ": " + problem.Message);
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  const TFormNode* Node(const TFormNode& root, const std::string& name) {
    if (root.Name == name) return &root;
    for (const TFormNode& child : root.Children)
      if (const TFormNode* found = Node(child, name)) return found;
    return nullptr;
  }

  const TFormTree& Tree(const std::string& form) {
    for (const TFormTree& tree : trees.Forms)
      if (tree.FormName == form) return tree;
    ADD_FAILURE() << "no form " << form;
    return trees.Forms.at(0);
  }

  RecordingUserInteraction ui;
  ScopedUserInteraction scope{&ui};
  TempDir dir;
  TFormTrees trees;
};

TEST_F(HotkeysTest, FramesAndAncestorsAreMergedWithTheirStoragePaths) {
  ASSERT_EQ(trees.Forms.size(), 4u);
  const TFormNode* frame = Node(Tree("HostForm").Root, "Frame1");
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->Children.size(), 2u);
  const TFormNode& label = frame->Children[0];
  EXPECT_EQ(label.Name, "lblName");
  ASSERT_EQ(label.Sources.size(), 2u);
  EXPECT_EQ(label.Sources[0].Form, "HostForm");
  EXPECT_EQ(label.Sources[0].Path, "Frame1.lblName");
  EXPECT_EQ(label.Sources[1].Form, "MyFrame");
  EXPECT_EQ(label.Sources[1].Path, "lblName");

  const TFormTree& derived = Tree("DerivedDlg");
  ASSERT_EQ(derived.Root.Children.size(), 2u);
  EXPECT_EQ(derived.Root.Children[0].Name, "btnHelp");
  EXPECT_EQ(derived.Root.Children[0].Sources[0].Form, "BaseDlg");
  EXPECT_EQ(derived.Root.Children[1].Name, "btnHome");
  EXPECT_EQ(derived.Root.Children[1].Sources[0].Form, "DerivedDlg");
}

TEST_F(HotkeysTest, SiblingsAndMenuLevelsWithTheSameLetterAreReported) {
  // "&OK" is the same in German, an untranslated copy: it takes part in the
  // clash but is not reported itself. "&Speichern" and "Alles au&swaehlen"
  // are in two different menus.
  EXPECT_EQ(Problems(false),
            (std::vector<std::string>{
                "form/HostForm/Frame1.lblName/Caption: the accelerator \"B\" is also used by "
                "form/MyFrame/btnBrowse/Caption (\"&Blaettern\")",
                "form/HostForm/btnCancel/Caption: the accelerator \"A\" is also used by "
                "form/HostForm/btnOther/Caption (\"&Anderes\")",
                "form/HostForm/btnOpen/Caption: the accelerator \"O\" is also used by form/HostForm/btnOK/Caption "
                "(\"&OK\")",
                "form/HostForm/btnOther/Caption: the accelerator \"A\" is also used by "
                "form/HostForm/btnCancel/Caption (\"&Abbrechen\")",
                "form/MyFrame/btnBrowse/Caption: the accelerator \"B\" is also used by "
                "form/HostForm/Frame1.lblName/Caption (\"&Bezeichnung:\")",
            }));
}

TEST_F(HotkeysTest, TheNativeLanguageIsCheckedToo) {
  // "&Home" clashes with the ancestor's "&Help"; "&Save" and "&Select all"
  // are in two menus, "&Open" and "O&pen" have different letters.
  EXPECT_EQ(Problems(true), (std::vector<std::string>{
                                "form/BaseDlg/btnHelp/Caption: the accelerator \"H\" is also used by "
                                "form/DerivedDlg/btnHome/Caption (\"&Home\")",
                                "form/DerivedDlg/btnHome/Caption: the accelerator \"H\" is also used by "
                                "form/BaseDlg/btnHelp/Caption (\"&Help\")",
                            }));
}

TEST_F(HotkeysTest, AFormFileThatCannotBeReadIsLeftOutAndNamed) {
  dir.Write("src/en/Broken.dfm", "object X: TX\r\n  Caption = \r\nend\r\n");
  const TFormTrees read = ReadFormTrees(dir.Path("src/en"), kEnglish);
  EXPECT_EQ(read.Forms.size(), 4u);
  ASSERT_EQ(read.Errors.size(), 1u);
  EXPECT_NE(read.Errors[0].find("Broken.dfm: "), std::string::npos) << read.Errors[0];
}

}  // namespace
}  // namespace sw
