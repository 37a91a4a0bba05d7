// Tests of the owning list's ownership rules (with an element type that counts
// its live instances), the compiled-in version information and the
// user-interaction seam.
#include "util/OwningList.h"
#include "util/VersionInfo.h"
#include "util/TerminalUserInteraction.h"
#include "support/RecordingUserInteraction.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

struct Counted {
  static inline int Alive = 0;
  explicit Counted(int id) : Id(id) { ++Alive; }
  ~Counted() { --Alive; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
  int Id;
};

class TQObjectListTest : public ::testing::Test {
 protected:
  void SetUp() override { Counted::Alive = 0; }
  void TearDown() override { EXPECT_EQ(Counted::Alive, 0) << "an element leaked or was freed twice"; }

  static void Fill(TQObjectList<Counted>& list, int n) {
    for (int i = 0; i < n; ++i) list.Add(std::make_unique<Counted>(i));
  }
  static std::vector<int> Ids(const TQObjectList<Counted>& list) {
    std::vector<int> ids;
    for (int i = 0; i < list.Count(); ++i) ids.push_back(list.Items(i) ? list.Items(i)->Id : -1);
    return ids;
  }
};

TEST_F(TQObjectListTest, DeleteFreesTheElementAndKeepsOrder) {
  TQObjectList<Counted> list;
  Fill(list, 3);
  list.Delete(0);
  EXPECT_EQ(Counted::Alive, 2);
  EXPECT_EQ(Ids(list), (std::vector<int>{1, 2}));
}

TEST_F(TQObjectListTest, RemoveHandsTheElementToTheCaller) {
  TQObjectList<Counted> list;
  Fill(list, 3);
  std::unique_ptr<Counted> taken = list.Remove(1);
  EXPECT_EQ(Counted::Alive, 3);
  EXPECT_EQ(taken->Id, 1);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 2}));
  list.Clear();
  EXPECT_EQ(Counted::Alive, 1);
}

TEST_F(TQObjectListTest, PutItemReplacesWithoutFreeing) {
  TQObjectList<Counted> list;
  Fill(list, 2);
  std::unique_ptr<Counted> old = list.PutItem(0, std::make_unique<Counted>(7));
  EXPECT_EQ(Counted::Alive, 3);
  EXPECT_EQ(old->Id, 0);
  EXPECT_EQ(Ids(list), (std::vector<int>{7, 1}));
}

TEST_F(TQObjectListTest, FreeAllKeepsTheCountClearEmpties) {
  TQObjectList<Counted> list;
  Fill(list, 3);
  list.FreeAll();
  EXPECT_EQ(Counted::Alive, 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(2), nullptr);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(TQObjectListTest, DestructionFreesEveryElement) {
  {
    TQObjectList<Counted> list;
    Fill(list, 4);
    list.Insert(2, std::make_unique<Counted>(9));
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 9, 2, 3}));
    EXPECT_EQ(Counted::Alive, 5);
  }
  EXPECT_EQ(Counted::Alive, 0);
}

TEST_F(TQObjectListTest, IndexErrorsNameTheIndex) {
  TQObjectList<Counted> list;
  Fill(list, 2);
  EXPECT_THROW_MSG(list.Items(2), EListError, "List index out of bounds (2)");
  EXPECT_THROW_MSG(list.Items(-1), EListError, "List index out of bounds (-1)");
  EXPECT_THROW_MSG(list.Delete(5), EListError, "List index out of bounds (5)");
  EXPECT_THROW_MSG(list.Remove(2), EListError, "List index out of bounds (2)");
  EXPECT_THROW_MSG(list.Insert(3, std::make_unique<Counted>(3)), EListError, "List index out of bounds (3)");
  EXPECT_EQ(Counted::Alive, 2);  // the rejected element was freed, not leaked
}

// A list that counts what its overridden operations see, as the storage
// lists do when they hook Clear.
class HookedList : public TQObjectList<Counted> {
 public:
  int Clears = 0;
  void Clear() override {
    ++Clears;
    TQObjectList<Counted>::Clear();
  }
};

TEST_F(TQObjectListTest, ClearIsVirtual) {
  HookedList list;
  Fill(list, 2);
  TQObjectList<Counted>& base = list;
  base.Clear();
  EXPECT_EQ(list.Clears, 1);
  EXPECT_EQ(Counted::Alive, 0);
}

TEST(QUtilsTest, VersionInfoOfTheRunningProgram) {
  TQVersionInfoRec info;
  ASSERT_TRUE(GetVersionInfo(platform::ExecutablePath(), info));
  EXPECT_EQ(info.ProductName, "Shelfwright");
  EXPECT_EQ(info.LegalCopyright, "Copyright (C) 2026 the Shelfwright developers");
  EXPECT_FALSE(info.FileVersion.empty());
  EXPECT_EQ(info.FileVersion.rfind(info.ProductVersion, 0), 0u) << "file version starts with product version";
  EXPECT_EQ(info.FileVersion, info.ProductVersion) << "the about box and --version show one version";
#ifdef _WIN32
  EXPECT_EQ(info.OriginalFilename, "test_util.exe");
#else
  EXPECT_EQ(info.OriginalFilename, "test_util");
#endif
}

TEST(QUtilsTest, VersionInfoOfOtherFilesIsAbsent) {
  TempDir dir;
  TQVersionInfoRec info;
  info.ProductName = "untouched";
  EXPECT_FALSE(GetVersionInfo(dir.Write("other.exe", "MZ"), info));
  EXPECT_FALSE(GetVersionInfo(dir.Path("missing.exe"), info));
  EXPECT_FALSE(GetVersionInfo("", info));
  EXPECT_EQ(info.ProductName, "untouched");
}

TEST(QUtilsTest, FreeFunctionsForwardToTheInstalledImplementation) {
  RecordingUserInteraction recorder;
  {
    ScopedUserInteraction scope(&recorder);
    recorder.SetNextAnswers({idYes});
    EXPECT_EQ(AskYesNo("Delete library?"), idYes);
    EXPECT_EQ(AskYesNo("Again?"), idNo);  // script used up
    EXPECT_EQ(AskRetryCancel("Error", "Cannot save"), idCancel);
    UpdateStatus("Processing");  // without a prior ShowStatus
    EXPECT_TRUE(recorder.StatusVisible);
    HideStatus();
    HideStatus();
    EXPECT_FALSE(recorder.StatusVisible);
    ShowMessageBox("Error", "bad file");
    EXPECT_EQ(&UserInteraction(), &recorder);
  }
  EXPECT_NE(&UserInteraction(), &recorder);
  ASSERT_EQ(recorder.Calls.size(), 7u);
  EXPECT_EQ(recorder.Calls[0].Kind, "yesno");
  EXPECT_EQ(recorder.Calls[0].Text, "Delete library?");
  EXPECT_EQ(recorder.Calls[2].Kind, "retrycancel");
  EXPECT_EQ(recorder.Calls[2].Caption, "Error");
  EXPECT_EQ(recorder.Calls[3].Kind, "update");
  EXPECT_EQ(recorder.Calls[6].Kind, "message");
  EXPECT_EQ(recorder.Calls[6].Caption, "Error");
  EXPECT_EQ(recorder.Calls[6].Text, "bad file");
}

TEST(QUtilsTest, TerminalWithoutTtyWritesPlainLinesAndAnswersNo) {
  std::ostringstream out;
  std::istringstream in("y\n");
  TerminalUserInteraction ui(out, in, false);
  ui.ShowStatus("Starting processing...");
  ui.UpdateStatus("Processing English resources");
  ui.ShowMessage("Error", "Error during processing form X\r\nbad");
  EXPECT_EQ(ui.AskYesNo("Sure?"), idNo);
  EXPECT_EQ(ui.AskRetryCancel("Error", "Cannot write"), idCancel);
  ui.HideStatus();
  EXPECT_EQ(out.str(),
            "Starting processing...\nProcessing English resources\nError: Error during processing form X\nbad\n"
            "Sure? [y/n] n\nError: Cannot write [r]etry/[c]ancel c\n");
}

TEST(QUtilsTest, TerminalRewritesOneStatusLine) {
  std::ostringstream out;
  std::istringstream in("maybe\nY\nr\n");
  TerminalUserInteraction ui(out, in, true, 12);
  ui.ShowStatus("one");
  ui.UpdateStatus("a much longer line");
  EXPECT_EQ(out.str(), "\r\x1b[Kone\r\x1b[Ka much long");
  out.str("");
  EXPECT_EQ(ui.AskYesNo("Sure?"), idYes);  // "maybe" is asked again
  EXPECT_EQ(out.str(), "\r\x1b[KSure? [y/n] Sure? [y/n] \r\x1b[Ka much long");
  EXPECT_EQ(ui.AskRetryCancel("", "Retry?"), idRetry);
  EXPECT_EQ(ui.AskYesNo("End of input?"), idNo);
  out.str("");
  ui.HideStatus();
  ui.HideStatus();
  EXPECT_EQ(out.str(), "\r\x1b[K");
}

}  // namespace
}  // namespace sw
