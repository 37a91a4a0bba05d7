// The second round of the window's binding: the language list by keyboard,
// detection when the source folder is left, the language dialog's filter and
// decoded names, tab order, the status line, the remembered placement, the
// read-me fallback of the about box, and a window that can be used at a
// large scale factor on a small screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

#include "support/TestSupport.h"
#include "ui/AboutBox.h"
#include "ui/Binding.h"
#include "window/LangDialogLogic.h"
#include "ui/LangDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"
#include "ui/MainWindowFixture.h"
#include "ui/UiTestSupport.h"
#include "util/LocaleCatalogue.h"

namespace sw::ui {
namespace {

using testing::DialogScript;

class WindowLanguagesTest : public testing::MainWindowFixture {
 protected:
  // The focus leaves `widget` as when the user tabs on.
  static void Leave(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
  }
  ListViewWidget* List() const { return static_cast<ListViewWidget*>(Find<QTreeWidget>("lvLanguages")); }
  QStringList Folders() const {
    QStringList folders;
    for (int i = 0; i < List()->topLevelItemCount(); ++i) folders << List()->topLevelItem(i)->text(1);
    return folders;
  }
};

TEST_F(WindowLanguagesTest, LeavingTheSourceFolderDetectsAndTheKeyboardEditsTheList) {
  for (const char* sub : {"src/de", "src/en", "src/fr"}) std::filesystem::create_directories(dir_.Path(sub));
  Open();
  auto* edSrcDir = Find<QLineEdit>("edSrcDir");
  QTest::keyClicks(edSrcDir, QString::fromStdString(dir_.Path("src")));
  EXPECT_EQ(List()->topLevelItemCount(), 0) << "typing detects nothing";
  Leave(edSrcDir);
  ASSERT_EQ(Folders(), (QStringList{" /en", " /de", " /fr"}));
  EXPECT_EQ(List()->topLevelItem(0)->text(0), QString::fromUtf8("English (United States) \u2014 native"));

  // Ctrl+Down moves the selected language; the selection follows.
  ListViewWidget* list = List();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
  ASSERT_EQ(Logic().lvLanguages.Selected(), 0);
  EXPECT_FALSE(Find<QPushButton>("btMoveUp")->isEnabled());
  // Each move that changes the native language asks first (Yes here).
  dialogs_.ThenPress(QMessageBox::Yes);
  dialogs_.ThenPress(QMessageBox::Yes);
  QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Folders(), (QStringList{" /de", " /en", " /fr"}));
  EXPECT_EQ(Logic().lvLanguages.Selected(), 1);
  EXPECT_TRUE(list->topLevelItem(1)->isSelected());
  EXPECT_EQ(list->topLevelItem(0)->text(0), ToQ(DisplayLangName(0x0407) + TMainWindowLogic::SNativeMark));
  // The buttons do the same.
  QTest::mouseClick(Find<QPushButton>("btMoveDown"), Qt::LeftButton);
  EXPECT_EQ(Folders(), (QStringList{" /de", " /fr", " /en"}));
  QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
  QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Folders(), (QStringList{" /en", " /de", " /fr"}));
  ASSERT_EQ(dialogs_.Shown.size(), 2u);
  dialogs_.Shown.clear();
  // Down alone moves the selection only.
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(Logic().lvLanguages.Selected(), 1);
  EXPECT_EQ(Folders(), (QStringList{" /en", " /de", " /fr"}));

  // Enter and a double-click open the language dialog for the selected row.
  QTest::keyClick(list, Qt::Key_Return);
  const QPoint third = list->visualItemRect(list->topLevelItem(2)).center();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third);
  ASSERT_EQ(dialogs_.Shown.size(), 2u);
  EXPECT_EQ(dialogs_.Shown[0].Title, "Language Settings");
  EXPECT_EQ(dialogs_.Shown[1].Title, "Language Settings");

  // Delete asks, and removes on Yes.
  dialogs_.ThenPress(QMessageBox::Yes);
  QTest::keyClick(list, Qt::Key_Delete);
  ASSERT_EQ(dialogs_.Shown.size(), 3u);
  EXPECT_EQ(Folders(), (QStringList{" /en", " /de"}));
}

TEST_F(WindowLanguagesTest, WithoutAnEnglishFolderTheUserChoosesTheNativeLanguage) {
  for (const char* sub : {"src/de", "src/fr"}) std::filesystem::create_directories(dir_.Path(sub));
  Open();
  QStringList offered;
  dialogs_.Then([&](QDialog& dialog) {
    auto* input = qobject_cast<QInputDialog*>(&dialog);
    EXPECT_NE(input, nullptr);
    if (!input) return static_cast<int>(QDialog::Rejected);
    offered = input->comboBoxItems();
    input->setTextValue(offered.value(1));
    return static_cast<int>(QDialog::Accepted);
  });
  auto* edSrcDir = Find<QLineEdit>("edSrcDir");
  QTest::keyClicks(edSrcDir, QString::fromStdString(dir_.Path("src")));
  Leave(edSrcDir);
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].ObjectName, "ChooseNativeLanguage");
  EXPECT_EQ(offered, (QStringList{"German (Germany) (/de)", "French (France) (/fr)"}));
  EXPECT_EQ(Folders(), (QStringList{" /fr", " /de"}));
}

TEST_F(WindowLanguagesTest, LanguageDialogFiltersItsTreeAndShowsDecodedNames) {
  TLangDialogLogic logic;
  logic.FillLanguages();
  LangDialog dialog(logic);
  QTreeWidget* tree = dialog.Tree();
  auto* filter = dialog.findChild<QLineEdit*>("edFilter");
  ASSERT_NE(filter, nullptr);
  const TLocaleTreeNode* node = nullptr;
  for (int i = 0; i < logic.tvLang.Count() && !node; ++i)
    for (int c = 0; c < logic.tvLang.Item(i)->Count() && !node; ++c)
      if (logic.tvLang.Item(i)->Item(c)->Data() == 0x300C) node = logic.tvLang.Item(i)->Item(c);
  ASSERT_NE(node, nullptr);
  QTreeWidgetItem* ivory = dialog.ItemOf(node);
  ASSERT_NE(ivory, nullptr);
  EXPECT_EQ(ivory->text(0), QString::fromUtf8("French (C\u00F4te d\u2019Ivoire)"));

  QTest::keyClicks(filter, "IVOIRE");
  EXPECT_EQ(logic.edFilter.Text(), "IVOIRE");
  int shownTopLevel = 0;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) shownTopLevel += tree->topLevelItem(i)->isHidden() ? 0 : 1;
  EXPECT_EQ(shownTopLevel, 1) << "only the French group";
  EXPECT_FALSE(ivory->isHidden());
  EXPECT_TRUE(ivory->parent()->isExpanded());
  EXPECT_EQ(tree->currentItem(), ivory) << "the hidden selection gave way to the first match";
  EXPECT_EQ(dialog.findChild<QLineEdit*>("edEngName")->text(), ToQ(DisplayLangName(0x300C)));
  dialog.show();
  dialog.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/language-dialog-filter.png");

  filter->selectAll();
  QTest::keyClick(filter, Qt::Key_Backspace);
  EXPECT_EQ(logic.edFilter.Text(), "");
  shownTopLevel = 0;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) shownTopLevel += tree->topLevelItem(i)->isHidden() ? 0 : 1;
  EXPECT_EQ(shownTopLevel, tree->topLevelItemCount());
}

TEST_F(WindowLanguagesTest, FolderButtonsFollowTheirEditsInTheTabOrder) {
  Open();
  std::vector<QString> chain;
  QWidget* widget = Find<QLineEdit>("edSrcDir");
  for (int i = 0; i < 6 && widget; ++i) {
    if (widget->focusPolicy() & Qt::TabFocus) chain.push_back(widget->objectName());
    widget = widget->nextInFocusChain();
  }
  EXPECT_EQ(chain, (std::vector<QString>{"edSrcDir", "sbSrcDir", "edDestDir", "sbDestDir", "cbRemoveUnusedItems",
                                         "cbKeepUnchangedFiles"}));
}

// Every Tab stop of the window and the language dialog is a control that
// shows it has the focus; the language dialog's tree follows its filter.
TEST_F(WindowLanguagesTest, EveryTabStopShowsTheFocus) {
  const auto tabStops = [](QWidget* window) {
    std::vector<QWidget*> stops;
    QWidget* widget = window;
    do {
      if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(window) && widget != window)
        stops.push_back(widget);
      widget = widget->nextInFocusChain();
    } while (widget && widget != window);
    return stops;
  };
  const auto showsFocus = [](QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QLineEdit*>(w);
  };
  MainWindow& w = Open();
  for (QWidget* stop : tabStops(&w))
    EXPECT_TRUE(showsFocus(stop)) << stop->metaObject()->className() << " " << FromQ(stop->objectName());

  std::filesystem::create_directories(dir_.Path("src/de"));
  TLangDialogLogic logic;
  logic.FillLanguages();
  logic.SetSourceFolder(dir_.Path("src"));
  LangDialog dialog(logic);
  std::vector<std::string> names;
  for (QWidget* stop : tabStops(&dialog)) {
    EXPECT_TRUE(showsFocus(stop)) << stop->metaObject()->className() << " " << FromQ(stop->objectName());
    if (!stop->objectName().isEmpty()) names.push_back(FromQ(stop->objectName()));
  }
  ASSERT_GE(names.size(), 3u);
  const auto filter = std::find(names.begin(), names.end(), "edFilter");
  ASSERT_NE(filter, names.end());
  EXPECT_EQ(*(filter + 1), "tvLang");
  EXPECT_NE(names.back(), "tvLang");
}

TEST_F(WindowLanguagesTest, StatusBarNamesTheSettingsFileAndPlacementIsRemembered) {
  dir_.Write("settings.ini", "[Main]\r\nWindowLeft=30\r\nWindowTop=40\r\nWindowWidth=500\r\nWindowHeight=420\r\n");
  MainWindow& w = Open();
  auto* path = Find<QLabel>("pnlSettingsFile");
  EXPECT_EQ(path->text(), ToQ("Settings: " + dir_.Path("settings.ini")));
  EXPECT_TRUE(w.statusBar()->isAncestorOf(path));
  const QRect area = w.screen()->availableGeometry();
  EXPECT_EQ(w.size(), QSize(std::min(500, area.width()), std::min(420, area.height())));

  w.setGeometry(20, 25, 480, 400);
  w.close();
  const TWindowPlacement saved = TLibrarySettings(dir_.Path("settings.ini")).LoadWindowPlacement();
  EXPECT_EQ(saved.Width, 480);
  EXPECT_EQ(saved.Height, 400);
  EXPECT_EQ(saved.Left, 20);
  EXPECT_EQ(saved.Top, 25);
}

// Run by ctest a second time at 200%: the placement is kept in device
// pixels, so a window saved at one scale has the same size on the screen at
// another.
TEST_F(WindowLanguagesTest, PlacementIsKeptInDevicePixels) {
  // Fits the screen at either scale (800x600 at 100%, 640x400 at 200%).
  dir_.Write("settings.ini", "[Main]\r\nWindowLeft=0\r\nWindowTop=0\r\nWindowWidth=760\r\nWindowHeight=560\r\n");
  MainWindow& w = Open();
  const double ratio = w.devicePixelRatioF();
  EXPECT_EQ(w.size(), QSize(static_cast<int>(760 / ratio), static_cast<int>(560 / ratio)));
  w.setGeometry(10, 10, 300, 200);
  w.close();
  const TWindowPlacement saved = TLibrarySettings(dir_.Path("settings.ini")).LoadWindowPlacement();
  EXPECT_EQ(saved.Width, static_cast<int>(300 * ratio));
  EXPECT_EQ(saved.Height, static_cast<int>(200 * ratio));
}

TEST_F(WindowLanguagesTest, MoreInfoShowsTheReadmeOrSaysItIsMissing) {
  const std::string program = dir_.Write("bin/shelfwright", "x");
  AboutBox about(program);
  about.Logic().btMoreInfo.Click();
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].Title, "Error");
  EXPECT_EQ(dialogs_.Shown[0].Text, ToQ("The file " + dir_.Path("bin/readme.txt") + " does not exist.").toStdString());

  QString shown;
  dialogs_.Then([&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), "ReadmeText");
    shown = dialog.findChild<QTextBrowser*>("ReadmeView")->toPlainText();
    return QDialog::Rejected;
  });
  // Markdown is shown rendered, not as its raw marks.
  about.ShowText("readme.txt", "# Shelfwright\n\nSee the **manual**.");
  EXPECT_EQ(shown, "Shelfwright\nSee the manual.");
}

// Run by ctest a second time with QT_SCALE_FACTOR=2 on a 1280x800 screen.
TEST_F(WindowLanguagesTest, EveryControlOfTheMainWindowCanBeReached) {
  const bool scaled = qEnvironmentVariable("QT_SCALE_FACTOR") == "2";
  MainWindow& w = Open();
  for (const char* sub : {"src/de", "src/en", "src/fr"}) std::filesystem::create_directories(dir_.Path(sub));
  Logic().edSrcDir.SetText(dir_.Path("src"));
  Logic().edSrcDir.Exit();
  QApplication::processEvents();
  const QRect screen = w.screen()->availableGeometry();
  if (scaled) {
    EXPECT_EQ(w.devicePixelRatio(), 2.0);
    EXPECT_EQ(w.screen()->geometry().size(), QSize(640, 400)) << "1280x800 at 200%";
  }
  EXPECT_TRUE(screen.contains(w.frameGeometry())) << "the window fits the screen";

  auto* scroll = Find<QScrollArea>("MainFormScroll");
  const QRect viewport(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
  EXPECT_TRUE(screen.contains(viewport));
  EXPECT_GE(viewport.height(), 100) << "room enough to scroll through";
  int checked = 0;
  for (QWidget* control : w.findChildren<QWidget*>()) {
    const bool interactive = qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                             qobject_cast<QComboBox*>(control) || qobject_cast<QTreeWidget*>(control);
    if (!interactive || !control->isVisibleTo(&w) || control->objectName().isEmpty()) continue;
    ++checked;
    if (scroll->widget()->isAncestorOf(control)) {
      // Inside the scroll area: scrolling brings it into view.
      scroll->ensureWidgetVisible(control, 0, 0);
      QApplication::processEvents();
    }
    const QRect rect(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QRect visible = rect.intersected(screen).intersected(scroll->widget()->isAncestorOf(control) ? viewport : screen);
    EXPECT_FALSE(visible.isEmpty()) << control->objectName().toStdString();
    EXPECT_GE(visible.height(), std::min(rect.height(), 12)) << control->objectName().toStdString();
  }
  EXPECT_GE(checked, 20);
  if (scaled) {
    // The lower half, scrolled to, and the top as the window opens.
    scroll->ensureWidgetVisible(Find<QTreeWidget>("lvLanguages"));
    QApplication::processEvents();
    w.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/main-window-scale2-languages.png");
    scroll->ensureVisible(0, 0);
    QApplication::processEvents();
    w.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/main-window-scale2.png");
  }
}

}  // namespace
}  // namespace sw::ui
