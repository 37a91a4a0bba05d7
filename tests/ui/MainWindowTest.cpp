// The main window's Qt binding: the named widgets with their captions, user
// actions reaching the window logic, the logic's changes reaching the widgets,
// and the dialogs (language settings, folder selection, messages) answering.
#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>

#include "support/TestSupport.h"
#include "ui/Binding.h"
#include "ui/LangDialog.h"
#include "ui/QtUserInteraction.h"
#include "ui/MainWindowFixture.h"
#include "ui/UiTestSupport.h"

namespace sw::ui {
namespace {

using testing::DialogScript;

using MainWindowTest = testing::MainWindowFixture;

TEST_F(MainWindowTest, EveryNamedControlExistsWithItsCaption) {
  MainWindow& w = Open();
  EXPECT_EQ(w.objectName(), "MainForm");
  EXPECT_EQ(w.windowTitle(), "Shelfwright");

  const std::vector<std::pair<const char*, const char*>> buttons = {{"btProcess", "Process"}, {"btClose", "Close"},
                                                                    {"btAuto", "Au&to"},      {"btAddLang", "&Add"},
                                                                    {"btEditLang", "&Edit"},  {"btDelLang", "&Delete"}};
  for (const auto& [name, caption] : buttons)
    if (auto* button = Find<QPushButton>(name)) {
      EXPECT_EQ(button->text(), caption) << name;
    }
  EXPECT_TRUE(Find<QPushButton>("btProcess")->isDefault());
  EXPECT_EQ(Find<QPushButton>("btAuto")->toolTip(), "Detect the languages from the names of the source folder's sub-folders");
  EXPECT_EQ(Find<QPushButton>("btAddLang")->toolTip(), "Add new translation");
  EXPECT_EQ(Find<QPushButton>("btEditLang")->toolTip(), "Edit translation settings");
  EXPECT_EQ(Find<QPushButton>("btDelLang")->toolTip(), "Delete translation");
  EXPECT_FALSE(Find<QPushButton>("btEditLang")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btDelLang")->isEnabled());
  EXPECT_NE(Find<QToolButton>("sbSrcDir"), nullptr);
  EXPECT_NE(Find<QToolButton>("sbDestDir"), nullptr);

  const std::vector<std::pair<const char*, const char*>> labels = {{"Label1", "Available libraries:"},
                                                                   {"Label2", "Name"},
                                                                   {"Label3", "Short Name"},
                                                                   {"lblSrcDir", "Source Folder"},
                                                                   {"lblDestDir", "Destination Folder"},
                                                                   {"pnlLangCount", "Languages: 0"}};
  for (const auto& [name, caption] : labels)
    if (auto* label = Find<QLabel>(name)) {
      EXPECT_EQ(label->text(), caption) << name;
    }
  EXPECT_EQ(Find<QLabel>("Label2")->buddy(), Find<QLineEdit>("edLibName"));

  const std::vector<std::pair<const char*, const char*>> groups = {
      {"gbLibSettings", "Library Settings"}, {"gbFilesToScan", "Files to Scan"}, {"gbLanguages", "Languages"}};
  for (const auto& [name, caption] : groups)
    if (auto* group = Find<QGroupBox>(name)) {
      EXPECT_EQ(group->title(), caption) << name;
    }

  const std::vector<std::tuple<const char*, const char*, bool>> boxes = {
      {"cbRemoveUnusedItems", "Remove unused items during refresh", false},
      {"cbResFiles", ".RES, .R32 files", true},
      {"cbPasFiles", ".PAS files", true},
      {"cbDFMFiles", ".DFM Files", true},
      {"cbRCFiles", ".RC Files", true},
      {"cbExeFiles", "Compiled programs (.EXE, .DLL, .BPL)", false}};
  for (const auto& [name, caption, checked] : boxes) {
    if (auto* box = Find<QCheckBox>(name)) {
      EXPECT_EQ(box->text(), caption) << name;
      EXPECT_EQ(box->isChecked(), checked) << name;
    }
  }

  for (const char* name : {"edLibName", "edLibShortName", "edSrcDir", "edDestDir"}) Find<QLineEdit>(name);
  for (const char* name : {"pnlRight", "pnlTop", "pnlLibNames", "pnlLibSetsTop", "pnlLangControl"}) Find<QWidget>(name);
  auto* chooser = Find<QComboBox>("cbLibraries");
  EXPECT_FALSE(chooser->isEditable());

  auto* list = Find<QTreeWidget>("lvLanguages");
  ASSERT_EQ(list->columnCount(), 3);
  EXPECT_EQ(list->headerItem()->text(0), "Language Name");
  EXPECT_EQ(list->headerItem()->text(1), "Sub-Folder");
  EXPECT_EQ(list->headerItem()->text(2), "Coverage");
  EXPECT_EQ(list->columnWidth(0), 220);
  EXPECT_EQ(list->columnWidth(1), 100);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_TRUE(list->dragEnabled());

  EXPECT_EQ(w.menuBar()->objectName(), "MainMenu");
  EXPECT_EQ(Find<QMenu>("miLibrary")->title(), "&Library");
  EXPECT_EQ(Find<QMenu>("Help1")->title(), "&Help");
  const std::vector<std::tuple<const char*, const char*, QKeySequence>> actions = {
      {"miNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"miDelete", "&Delete", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
      {"miExit", "E&xit", QKeySequence()},
      {"About1", "&About", QKeySequence()}};
  for (const auto& [name, caption, shortcut] : actions) {
    if (auto* action = Find<QAction>(name)) {
      EXPECT_EQ(action->text(), caption) << name;
      EXPECT_EQ(action->shortcut(), shortcut) << name;
    }
  }
  EXPECT_TRUE(Find<QAction>("N1")->isSeparator());
  const QList<QAction*> items = Find<QMenu>("miLibrary")->actions();
  // Export and import where this build has the translators' exchange.
  const int exchange = Logic().ExchangeAvailable() ? 2 : 0;
  ASSERT_EQ(items.size(), 9 + exchange);
  EXPECT_EQ(items[0]->objectName(), "miNew");
  EXPECT_EQ(items[2]->objectName(), "miMoveLiterals");
  EXPECT_EQ(items[2]->text(), QString::fromUtf8("&Move literals\u2026"));
  if (exchange) {
    EXPECT_EQ(items[3]->objectName(), "miExport");
    EXPECT_EQ(items[3]->text(), QString::fromUtf8("&Export for translators\u2026"));
    EXPECT_EQ(items[4]->objectName(), "miImport");
    EXPECT_EQ(items[4]->text(), QString::fromUtf8("&Import translations\u2026"));
  }
  EXPECT_EQ(items[3 + exchange]->objectName(), "miItems");
  EXPECT_EQ(items[3 + exchange]->text(), QString::fromUtf8("I&tems\u2026"));
  EXPECT_EQ(items[4 + exchange]->objectName(), "miPseudo");
  EXPECT_EQ(items[4 + exchange]->text(), "&Pseudo-translate");
  EXPECT_EQ(items[5 + exchange]->objectName(), "miPropRules");
  EXPECT_EQ(items[5 + exchange]->text(), QString::fromUtf8("Property &rules\u2026"));
  EXPECT_EQ(items[6 + exchange]->objectName(), "miDefaultRules");
  EXPECT_EQ(items[8 + exchange]->objectName(), "miExit");
}

TEST_F(MainWindowTest, StartsNewLibraryAndShowsIt) {
  Open();
  EXPECT_EQ(Find<QLineEdit>("edLibName")->text(), "New Library");
  EXPECT_EQ(Find<QLineEdit>("edLibName")->selectedText(), "New Library");
  auto* chooser = Find<QComboBox>("cbLibraries");
  ASSERT_EQ(chooser->count(), 1);
  EXPECT_EQ(chooser->currentText(), "New Library");
  EXPECT_TRUE(dialogs_.Shown.empty());
}

TEST_F(MainWindowTest, UserActionsReachTheLogic) {
  MainWindow& w = Open();
  auto* name = Find<QLineEdit>("edLibName");
  name->clear();
  QTest::keyClicks(name, "Tiny Pad");
  EXPECT_EQ(Logic().edLibName.Text(), "Tiny Pad");
  EXPECT_EQ(Find<QComboBox>("cbLibraries")->itemText(0), "Tiny Pad") << "the chooser follows the name";

  auto* pas = Find<QCheckBox>("cbPasFiles");
  QTest::mouseClick(pas, Qt::LeftButton, {}, QPoint(8, pas->height() / 2));  // on the box itself
  EXPECT_EQ(Logic().ScanFlags, sfDefaultFiles & ~sfPasFiles);

  // Entering the empty short-name edit fills it in.
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  auto* shortName = Find<QLineEdit>("edLibShortName");
  shortName->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(shortName->text(), "TinyPad");

  // Ctrl+N starts another library (the first is saved).
  QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(Logic().CurLib, 2);
  EXPECT_EQ(Find<QComboBox>("cbLibraries")->count(), 2);
  EXPECT_EQ(Find<QComboBox>("cbLibraries")->currentIndex(), 1);
  EXPECT_TRUE(Find<QCheckBox>("cbPasFiles")->isChecked()) << "a new library scans every kind";

  // Choosing the first library again loads it.
  auto* chooser = Find<QComboBox>("cbLibraries");
  chooser->setFocus();
  QTest::keyClick(chooser, Qt::Key_Up);
  EXPECT_EQ(Logic().CurLib, 1);
  EXPECT_EQ(name->text(), "Tiny Pad");
  EXPECT_EQ(shortName->text(), "TinyPad");
  EXPECT_FALSE(Find<QCheckBox>("cbPasFiles")->isChecked());
}

TEST_F(MainWindowTest, LogicChangesReachTheWidgets) {
  Open();
  Logic().edSrcDir.SetText(dir_.Path("nowhere"));
  EXPECT_EQ(Find<QLineEdit>("edSrcDir")->text(), QString::fromStdString(dir_.Path("nowhere")));
  Logic().UpdateButtons();
  EXPECT_TRUE(Find<QPushButton>("btAddLang")->isEnabled());

  Logic().Languages.AddLibLanguage(0x0407, "de");
  Logic().Languages.AddLibLanguage(0x040C, "fr");
  Logic().RefreshLanguages();
  auto* list = Find<QTreeWidget>("lvLanguages");
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(1)->text(0), ToQ(GetEnglishLangName(0x040C)));
  EXPECT_EQ(list->topLevelItem(1)->text(1), " /fr");
  EXPECT_EQ(Find<QLabel>("pnlLangCount")->text(), "Languages: 2");

  Logic().KindBox(sfResFiles).SetChecked(false);
  EXPECT_FALSE(Find<QCheckBox>("cbResFiles")->isChecked());
}

TEST_F(MainWindowTest, EnterAnywhereRunsTheDefaultProcessButton) {
  std::filesystem::create_directories(dir_.Path("src/en"));
  dir_.Write("out", "a file where the destination folder should be");
  dir_.Write("settings.ini",
             "[Main]\r\nLastLib=1\r\n[Library1]\r\nName=Pad\r\nShortName=Pad\r\nSrcDir=src\r\nDestDir=out\r\n"
             "[Languages1Lib]\r\n1033=en\r\n");
  Open();
  // The destination cannot be made: the report says so.
  std::string headline;
  dialogs_.Then([&headline](QDialog& dialog) {
    headline = FromQ(dialog.findChild<QLabel*>("lblHeadline")->text());
    return static_cast<int>(QDialog::Accepted);
  });
  QTest::keyClick(Find<QLineEdit>("edLibName"), Qt::Key_Return);
  ASSERT_TRUE(WaitForRun());
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].ObjectName, "RunReport");
  EXPECT_EQ(headline, "Processing stopped by an error");
  EXPECT_EQ(userInteraction_.StatusWidget(), nullptr) << "no status window: the window shows the progress";
}

TEST_F(MainWindowTest, ListSelectionAndDropReachTheLogic) {
  Open();
  for (auto [id, folder] : {std::pair{0x0407, "de"}, {0x040C, "fr"}, {0x0410, "it"}})
    Logic().Languages.AddLibLanguage(id, folder);
  Logic().RefreshLanguages();
  auto* list = static_cast<ListViewWidget*>(Find<QTreeWidget>("lvLanguages"));
  const QRect third = list->visualItemRect(list->topLevelItem(2));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
  EXPECT_EQ(Logic().lvLanguages.Selected(), 2);
  EXPECT_TRUE(Find<QPushButton>("btDelLang")->isEnabled());

  // A drop that does not come from the list itself is refused.
  QMimeData mime;
  mime.setText("it");
  const QPoint first = list->visualItemRect(list->topLevelItem(0)).center();
  QDropEvent foreign(first, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &foreign);
  EXPECT_EQ(Logic().Languages[0]->SubFolder, "de");

  // The list's own row dropped on the first row becomes the native language
  // (asked, Yes), and so does the next one when "it" leaves the top.
  dialogs_.ThenPress(QMessageBox::Yes);
  dialogs_.ThenPress(QMessageBox::Yes);
  list->DropAt(first);
  EXPECT_EQ(Logic().Languages[0]->SubFolder, "it");
  EXPECT_EQ(list->topLevelItem(0)->text(1), " /it");
  EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
  EXPECT_TRUE(list->topLevelItem(0)->isSelected());

  // Dropped below the last row: to the end.
  list->DropAt(QPoint(5, list->viewport()->height() - 2));
  EXPECT_EQ(Logic().Languages[2]->SubFolder, "it");
}

TEST_F(MainWindowTest, AddLanguageDialogReturnsTheChosenLanguageAndFolder) {
  ScopedEnv locale("LC_ALL", "fr_CA.UTF-8");
  std::filesystem::create_directories(dir_.Path("src/french"));
  std::filesystem::create_directories(dir_.Path("src/misc"));
  Open();
  Logic().Languages.AddLibLanguage(0x0409, "en");
  Logic().RefreshLanguages();
  Find<QLineEdit>("edSrcDir")->setText("");  // code, not the user: no event
  QTest::keyClicks(Find<QLineEdit>("edSrcDir"), QString::fromStdString(dir_.Path("src")));
  ASSERT_TRUE(Find<QPushButton>("btAddLang")->isEnabled());

  bool groupsCollapsed = false;
  QString offered;
  dialogs_.Then([&](QDialog& dialog) {
    auto* tree = dialog.findChild<QTreeWidget*>("tvLang");
    auto* ok = dialog.findChild<QPushButton*>("btOK");
    auto* folders = dialog.findChild<QComboBox*>("cbSubFolders");
    EXPECT_EQ(dialog.windowTitle(), "Language Settings");
    EXPECT_EQ(tree->indentation(), 20);
    offered = tree->currentItem() ? tree->currentItem()->text(0) : QString();
    // Only the branch of the preselected language is open.
    int open = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) open += tree->topLevelItem(i)->isExpanded() ? 1 : 0;
    groupsCollapsed = open == 1 && tree->currentItem()->parent() && tree->currentItem()->parent()->isExpanded();
    EXPECT_EQ(dialog.findChild<QLineEdit*>("edExt")->text(), "FRC");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(folders->count(), 2);
    folders->setFocus();
    QTest::keyClick(folders, Qt::Key_Down);  // "/french"
    dialog.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/language-dialog.png");
    EXPECT_EQ(folders->currentText(), "/french");
    EXPECT_TRUE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
    return dialog.result();
  });
  QTest::mouseClick(Find<QPushButton>("btAddLang"), Qt::LeftButton);
  EXPECT_EQ(dialogs_.Pending(), 0u);
  EXPECT_EQ(offered, ToQ(GetLocaleInfoStr(0x0C0C, LOCALE_SLANGUAGE)));
  EXPECT_TRUE(groupsCollapsed);
  ASSERT_EQ(Logic().Languages.Count(), 2);
  EXPECT_EQ(Logic().Languages[1]->LangId, 0x0C0C);
  EXPECT_EQ(Logic().Languages[1]->SubFolder, "french");
  EXPECT_EQ(Find<QTreeWidget>("lvLanguages")->topLevelItem(1)->text(1), " /french");

  // Cancel (by Esc) changes nothing.
  dialogs_.Then([](QDialog& dialog) {
    QTest::keyClick(&dialog, Qt::Key_Escape);
    return dialog.result();
  });
  QTest::mouseClick(Find<QPushButton>("btAddLang"), Qt::LeftButton);
  EXPECT_EQ(Logic().Languages.Count(), 2);
}

TEST_F(MainWindowTest, TreeSelectionInTheDialogReachesItsLogic) {
  TLangDialogLogic logic;
  logic.FillLanguages();
  LangDialog dialog(logic);
  QTreeWidget* tree = dialog.Tree();
  const TLocaleTreeNode* group = nullptr;
  for (int i = 0; i < logic.tvLang.Count() && !group; ++i)
    if (logic.tvLang.Item(i)->Count() > 1) group = logic.tvLang.Item(i);
  ASSERT_NE(group, nullptr);
  tree->setCurrentItem(dialog.ItemOf(group));
  EXPECT_EQ(logic.Selected(), group);
  EXPECT_EQ(dialog.findChild<QLineEdit*>("edEngName")->text(), ToQ(logic.edEngName.Text()));
  EXPECT_EQ(dialog.findChild<QLineEdit*>("edExt")->text().size(), 2);
  EXPECT_FALSE(dialog.findChild<QLineEdit*>("edEngName")->isEnabled());
  EXPECT_TRUE(dialog.findChild<QLineEdit*>("edExt")->isReadOnly());
  EXPECT_TRUE(dialog.findChild<QPushButton*>("btOK")->isDefault());
}

TEST_F(MainWindowTest, FolderButtonOpensFolderDialogAtTheEditsFolder) {
  std::filesystem::create_directories(dir_.Path("start/inner"));
  Open();
  Logic().edDestDir.SetText(dir_.Path("start"));
  QString startedAt;
  dialogs_.Then([&](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    startedAt = files.directory().absolutePath();
    EXPECT_EQ(files.fileMode(), QFileDialog::Directory);
    files.selectFile(QString::fromStdString(dir_.Path("start/inner")));
    dialog.accept();
    return dialog.result();
  });
  QTest::mouseClick(Find<QToolButton>("sbDestDir"), Qt::LeftButton);
  EXPECT_EQ(startedAt, QString::fromStdString(dir_.Path("start")));
  EXPECT_EQ(Logic().edDestDir.Text(), dir_.Path("start/inner"));
  EXPECT_EQ(Find<QLineEdit>("edDestDir")->text(), QString::fromStdString(dir_.Path("start/inner")));
}

TEST_F(MainWindowTest, FolderTypedIntoTheFolderDialogIsCreatedOnOkAfterConfirmation) {
  Open();
  const std::string wanted = dir_.Path("new/deeper");
  auto typeAndAccept = [&](QDialog& dialog) {
    static_cast<QFileDialog&>(dialog).selectFile(QString::fromStdString(wanted));
    dialog.accept();
    return dialog.result();
  };
  dialogs_.Then(typeAndAccept);
  dialogs_.ThenPress(QMessageBox::No);
  QTest::mouseClick(Find<QToolButton>("sbSrcDir"), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(wanted));
  EXPECT_EQ(Logic().edSrcDir.Text(), "");

  dialogs_.Then(typeAndAccept);
  dialogs_.ThenPress(QMessageBox::Yes);
  QTest::mouseClick(Find<QToolButton>("sbSrcDir"), Qt::LeftButton);
  EXPECT_TRUE(std::filesystem::is_directory(wanted));
  EXPECT_EQ(Logic().edSrcDir.Text(), wanted);
  ASSERT_EQ(dialogs_.Shown.size(), 4u);
  EXPECT_EQ(dialogs_.Shown[1].ObjectName, "CreateFolder");
}

TEST_F(MainWindowTest, DeleteLibraryAsksYesNoWithEmptyCaption) {
  Open();
  dialogs_.ThenPress(QMessageBox::No);
  window_->findChild<QAction*>("miDelete")->trigger();
  ASSERT_GE(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown.back().Text, "Delete library \"New Library\"?");
  EXPECT_EQ(dialogs_.Shown.back().Title, "");
  EXPECT_EQ(Logic().CurLib, 1);
  dialogs_.ThenPress(QMessageBox::Yes);
  window_->findChild<QAction*>("miDelete")->trigger();
  EXPECT_EQ(Logic().CurLib, 0);
  EXPECT_EQ(Find<QComboBox>("cbLibraries")->count(), 0);
}

TEST_F(MainWindowTest, AboutBoxShowsNameVersionAndMoreInfo) {
  MainWindow& w = Open();
  bool shown = false;
  dialogs_.Then([&](QDialog& dialog) {
    shown = true;
    EXPECT_EQ(dialog.objectName(), "AboutBox");
    EXPECT_EQ(dialog.windowTitle(), "About");
    EXPECT_EQ(dialog.findChild<QLabel*>("ProductName")->text(), "Shelfwright");
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), "(Polyverb utility)");
    EXPECT_TRUE(dialog.findChild<QLabel*>("lblVersion")->text().startsWith("Version: "));
    EXPECT_NE(dialog.findChild<QPushButton*>("btMoreInfo"), nullptr);
    dialog.grab().save(QString(SHELFWRIGHT_TEST_OUTPUT_DIR) + "/about-box.png");
    QTest::mouseClick(dialog.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    return dialog.result();
  });
  w.findChild<QAction*>("About1")->trigger();
  EXPECT_TRUE(shown);
}

TEST_F(MainWindowTest, CloseSavesTheLibrary) {
  Open();
  QTest::keyClicks(Find<QLineEdit>("edLibName"), "Pad one");  // replaces the selected name
  QTest::mouseClick(Find<QPushButton>("btClose"), Qt::LeftButton);
  EXPECT_FALSE(window_->isVisible());
  const std::string settings = TempDir::Read(dir_.Path("settings.ini"));
  EXPECT_NE(settings.find("Name=Pad one"), std::string::npos) << settings;
  EXPECT_NE(settings.find("WindowWidth="), std::string::npos) << settings;
  EXPECT_NE(settings.find("LastLib=1"), std::string::npos) << settings;
}

TEST_F(MainWindowTest, CtrlDelInATextFieldEditsTheFieldAndNeverDeletesTheLibrary) {
  MainWindow& w = Open();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  auto* name = Find<QLineEdit>("edLibName");
  name->setFocus();
  name->setText("Tiny Pad");
  name->setCursorPosition(0);
  QTest::keyClick(name, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(dialogs_.Shown.empty()) << dialogs_.Shown.front().Text;
  EXPECT_EQ(Logic().CurLib, 1);
  EXPECT_NE(name->text(), "Tiny Pad") << "the key reached the field";

  // Elsewhere the shortcut asks, and No is the default answer.
  auto* list = Find<QTreeWidget>("lvLanguages");
  list->setFocus();
  bool noIsDefault = false;
  dialogs_.Then([&](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    noIsDefault = box && box->defaultButton() == box->button(QMessageBox::No);
    return static_cast<int>(QMessageBox::No);
  });
  QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].ObjectName, "AskYesNo");
  EXPECT_TRUE(noIsDefault);
  EXPECT_EQ(Logic().CurLib, 1);
}

TEST_F(MainWindowTest, FailedSaveOnCloseKeepsTheWindowOpenOrClosesAnyway) {
  Open();
  // The settings file turns into a folder: the save on close fails.
  std::filesystem::create_directories(dir_.Path("settings.ini"));
  std::string buttons;
  dialogs_.Then([&](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    for (QAbstractButton* button : box->buttons()) buttons += FromQ(button->text()) + ";";
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Retry));
    return static_cast<int>(QMessageBox::Cancel);
  });
  QTest::mouseClick(Find<QPushButton>("btClose"), Qt::LeftButton);
  EXPECT_TRUE(window_->isVisible()) << "kept open";
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].ObjectName, "CloseSaveFailed");
  EXPECT_NE(dialogs_.Shown[0].Text.find("is a folder, not a settings file"), std::string::npos);
  for (const char* caption : {"Retry", "Close &anyway", "&Keep open"})
    EXPECT_NE(buttons.find(caption), std::string::npos) << buttons;

  dialogs_.ThenPress(QMessageBox::Discard);
  QTest::mouseClick(Find<QPushButton>("btClose"), Qt::LeftButton);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, SettingsFileOfAnotherKindClosesTheWindowUntouched) {
  const std::string form = "object Main: TForm\r\nend\r\n";
  dir_.Write("settings.ini", form);
  MainWindow& w = Open();
  ASSERT_EQ(dialogs_.Shown.size(), 1u);
  EXPECT_EQ(dialogs_.Shown[0].ObjectName, "Error");
  EXPECT_EQ(dialogs_.Shown[0].Text, dir_.Path("settings.ini") + " is not a settings file: it has text but no [section] line");
  EXPECT_TRUE(QTest::qWaitFor([&w] { return !w.isVisible(); }));
  EXPECT_EQ(Logic().ExitCode, 1);
  EXPECT_EQ(TempDir::Read(dir_.Path("settings.ini")), form);
}

// ---- The status window and message boxes ----------------------------------------------

TEST(QtUserInteractionTest, StatusWindowIsFramelessOnTopFiftyHighAndFollowsTheText) {
  QtUserInteraction ui;
  ui.HideStatus();  // none yet: harmless
  ui.UpdateStatus("Starting processing...");
  QWidget* status = ui.StatusWidget();
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible());
  EXPECT_TRUE(status->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(status->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(status->height(), 50);
  auto* panel = status->findChild<QLabel*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->text(), "Starting processing...");
  const int narrow = status->width();
  EXPECT_EQ(narrow, QFontMetrics(panel->font()).horizontalAdvance(panel->text()) + 10);
  const QPoint centre = status->geometry().center();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(centre.x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(centre.y() - screen.center().y()), 1);

  ui.UpdateStatus("Processing German (Germany) resources and a little more");
  EXPECT_EQ(ui.StatusWidget(), status);
  EXPECT_GT(status->width(), narrow);
  EXPECT_EQ(status->height(), 50);

  ui.ShowStatus("again");
  EXPECT_NE(ui.StatusWidget(), nullptr);
  ui.HideStatus();
  EXPECT_EQ(ui.StatusWidget(), nullptr);
  ui.HideStatus();
}

TEST(QtUserInteractionTest, QuestionsAndMessagesUseMessageBoxes) {
  DialogScript script;
  QtUserInteraction ui;
  script.ThenPress(QMessageBox::Yes);
  EXPECT_EQ(ui.AskYesNo("Delete language?"), idYes);
  EXPECT_EQ(ui.AskYesNo("Delete language?"), idNo);
  script.ThenPress(QMessageBox::Retry);
  EXPECT_EQ(ui.AskRetryCancel("Save", "Try again?"), idRetry);
  ui.ShowMessage("Error", "Cannot read x.res");
  ASSERT_EQ(script.Shown.size(), 4u);
  EXPECT_EQ(script.Shown[0].Title, "");
  EXPECT_EQ(script.Shown[0].Text, "Delete language?");
  EXPECT_EQ(script.Shown[3].Title, "Error");
  EXPECT_EQ(script.Shown[3].Text, "Cannot read x.res");
}

}  // namespace
}  // namespace sw::ui
