// The items view through its widgets: opened from the main window's Library
// menu over a stored library, filtered to the out-of-date items, a
// translation edited and accepted with Ctrl+Enter (the next open item comes
// up, the language file holds the edit), and a problem ignored.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <fstream>

#include "app/LibrarySettings.h"
#include "support/TwoLanguageLibrary.h"
#include "ui/ItemsView.h"
#include "ui/MainWindowFixture.h"

namespace sw::ui {
namespace {

using sw::testing::kLibraryEnglish;
using sw::testing::kLibraryGerman;

class ItemsViewTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    std::ofstream(dir_.Path("settings.ini"), std::ios::binary)
        << "[Main]\r\nLastLib=1\r\n\r\n[Library1]\r\nName=Demo\r\nShortName=Demo\r\nSrcDir=src\r\nDestDir=out\r\n"
           "ScanFiles=15\r\n\r\n[Languages1Lib]\r\n1033=en\r\n1031=de\r\n";
    std::filesystem::create_directories(dir_.Path("src/en"));
    sw::testing::WriteTwoLanguageLibrary(
        dir_.Path("out"), "Demo",
        {
            {true, "MainForm", "btnSave", "Caption", u"&Save", u"Speichern", 5},
            {false, "Consts", "", "SBye", u"Goodbye", u"", -1},
            {false, "Consts", "", "SHello", u"Hello world", u"Hallo Welt", 3},
            {false, "Consts", "", "SOpen", u"Open the file", u"Datei \u00F6ffnen", 3},
            {false, "Consts", "", "SSize", u"Size", u"Gr\u00F6\u00DFe", 5},
        });
  }

  // Opens the view from the Library menu and hands it to `test` while it is shown.
  void WithItemsView(const std::function<void(ItemsView&)>& test) {
    Open();
    bool shown = false;
    dialogs_.Then([&](QDialog& dialog) {
      auto* view = dynamic_cast<ItemsView*>(&dialog);
      EXPECT_NE(view, nullptr) << dialog.objectName().toStdString();
      if (view) {
        shown = true;
        test(*view);
      }
      return static_cast<int>(QDialog::Accepted);
    });
    Logic().miItems.Click();
    EXPECT_TRUE(shown);
  }

  std::map<std::string, std::pair<std::u16string, TUnitStatus>> German() const {
    const TLoadedLanguage loaded =
        LoadLanguage(dir_.Path("out/Demo.ENU.lng"), dir_.Path("out/Demo.DEU.lng"), kLibraryGerman);
    std::map<std::string, std::pair<std::u16string, TUnitStatus>> values;
    for (const TExchangeUnit& unit : CollectUnits(*loaded.Storage, loaded.Column))
      values[unit.Place] = {unit.Item->Values(loaded.Column)->Text, unit.Status};
    return values;
  }
};

TEST_F(ItemsViewTest, FilterToOutOfDateEditAndMoveOnWithCtrlEnter) {
  if (!MakeTranslationSaver()) GTEST_SKIP() << "this build has no exchange layer: the view is read-only";
  WithItemsView([&](ItemsView& view) {
    auto* table = view.findChild<QTableView*>("tvItems");
    auto* status = view.findChild<QComboBox*>("cbItemsStatus");
    auto* editor = view.findChild<QPlainTextEdit*>("edTranslation");
    auto* count = view.findChild<QLabel*>("lblItemsCount");
    ASSERT_TRUE(table && status && editor && count);
    EXPECT_EQ(table->model()->rowCount(), 5);

    status->setCurrentIndex(status->findText("Out of date"));
    ASSERT_EQ(table->model()->rowCount(), 2);
    EXPECT_EQ(count->text(), "2 of 5 items");
    EXPECT_EQ(table->model()->index(0, 0).data().toString(), "Consts.SHello");
    EXPECT_EQ(table->model()->index(0, 3).data().toString(), "Out of date");
    EXPECT_EQ(view.CurrentRow(), 0);
    EXPECT_EQ(editor->toPlainText(), "Hallo Welt");

    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, "Hallo, Welt");
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(view.CurrentRow(), 1);
    EXPECT_EQ(editor->toPlainText(), QString::fromUtf8("Datei \xC3\xB6" "ffnen"));
    EXPECT_EQ(table->model()->index(0, 3).data().toString(), "Up to date");
    EXPECT_EQ(table->model()->index(0, 2).data().toString(), "Hallo, Welt");
  });
  const auto german = German();
  EXPECT_EQ(german.at("unit/Consts/SHello"), std::make_pair(std::u16string(u"Hallo, Welt"), TUnitStatus::UpToDate));
  EXPECT_EQ(german.at("unit/Consts/SOpen").second, TUnitStatus::OutOfDate);
}

TEST_F(ItemsViewTest, TextAndProblemFiltersAndIgnoreThisProblem) {
  WithItemsView([&](ItemsView& view) {
    auto* table = view.findChild<QTableView*>("tvItems");
    auto* problem = view.findChild<QComboBox*>("cbItemsProblem");
    auto* find = view.findChild<QLineEdit*>("edItemsFilter");
    auto* problems = view.findChild<QListWidget*>("lwProblems");
    auto* ignore = view.findChild<QPushButton*>("btIgnore");
    ASSERT_TRUE(table && problem && find && problems && ignore);

    QTest::keyClicks(find, "GR\xC3\x96");
    ASSERT_EQ(table->model()->rowCount(), 1);
    EXPECT_EQ(table->model()->index(0, 0).data().toString(), "Consts.SSize");
    find->clear();

    problem->setCurrentIndex(problem->findText("With problems"));
    ASSERT_EQ(table->model()->rowCount(), 1);
    EXPECT_EQ(table->model()->index(0, 4).data().toString(), "error [accelerator]");
    ASSERT_EQ(problems->count(), 1);
    ASSERT_TRUE(ignore->isEnabled());
    QTest::mouseClick(ignore, Qt::LeftButton);
    EXPECT_EQ(table->model()->index(0, 4).data().toString(), "error [accelerator] (ignored)");
  });
  EXPECT_EQ(TLibrarySettings(dir_.Path("settings.ini")).LoadIgnoredChecks(1),
            std::vector<std::string>{"DEU accelerator form/MainForm/btnSave/Caption"});
}

}  // namespace
}  // namespace sw::ui
