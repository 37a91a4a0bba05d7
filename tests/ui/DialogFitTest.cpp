// Every dialog of the window opens within the screen with its buttons and
// check boxes in view: run at 100% and, as its own test, at 200% on a
// 1280x800 screen (640x400 device-independent pixels). With
// SHELFWRIGHT_SHOTS_DIR set, each dialog is saved there as a picture (and,
// on a real display, the whole screen with it).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>

#include <functional>
#include <string>

#include "window/LangDialogLogic.h"
#include "window/MoveLiteralsLogic.h"
#include "window/RunReportLogic.h"
#include "support/TestSupport.h"
#include "ui/AboutBox.h"
#include "ui/Binding.h"
#include "ui/ExchangeDialog.h"
#include "ui/ItemsView.h"
#include "ui/LangDialog.h"
#include "ui/ModalDialogs.h"
#include "ui/MoveLiteralsDialog.h"
#include "ui/RulesEditor.h"
#include "ui/RunReportDialog.h"
#include "storage/PropRules.h"
#include "support/TwoLanguageLibrary.h"

namespace sw::ui {
namespace {

bool Scaled() { return qEnvironmentVariable("QT_SCALE_FACTOR") == "2"; }

// The part of `widget` that its ancestors up to its window leave in view, in
// global coordinates.
QRect VisiblePart(const QWidget* widget) {
  QRect visible(widget->mapToGlobal(QPoint(0, 0)), widget->size());
  for (const QWidget* w = widget->parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget())
    visible &= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  return visible;
}

void SaveShots(QDialog& dialog, const std::string& name) {
  const QString folder = qEnvironmentVariable("SHELFWRIGHT_SHOTS_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  dialog.grab().save(folder + "/" + ToQ(name) + ".png");
  if (QGuiApplication::platformName() == "xcb") {
    QApplication::processEvents();
    dialog.screen()->grabWindow(0).save(folder + "/" + ToQ(name) + "-screen.png");
  }
}

// Opens the dialog the way the program does and checks it where it stands.
void ExpectFits(const std::string& name, const std::function<void()>& open, int* shown = nullptr) {
  int count = 0;
  const ModalHook previous = SetModalHook([&](QDialog& dialog) {
    ++count;
    dialog.show();
    QApplication::processEvents();
    const QRect screen = dialog.screen()->availableGeometry();
    if (Scaled()) {
      EXPECT_EQ(dialog.screen()->geometry().size(), QSize(640, 400)) << "1280x800 at 200%";
    }
    EXPECT_TRUE(screen.contains(dialog.frameGeometry()))
        << name << ": the dialog " << dialog.frameGeometry().width() << "x" << dialog.frameGeometry().height()
        << " at " << dialog.frameGeometry().x() << "," << dialog.frameGeometry().y() << " leaves the screen";
    int checked = 0;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
      if (button->objectName().isEmpty() || !button->isVisibleTo(&dialog)) continue;
      // In a scrolling part, scrolling brings it into view.
      for (QWidget* w = button->parentWidget(); w && w != &dialog; w = w->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(w)) scroll->ensureWidgetVisible(button, 0, 0);
      QApplication::processEvents();
      const QRect whole(button->mapToGlobal(QPoint(0, 0)), button->size());
      EXPECT_EQ(VisiblePart(button), whole) << name << ": " << FromQ(button->objectName()) << " is cut off";
      EXPECT_TRUE(screen.contains(whole)) << name << ": " << FromQ(button->objectName()) << " is off the screen";
      ++checked;
    }
    EXPECT_GE(checked, 1) << name;
    SaveShots(dialog, name + (Scaled() ? "-scale2" : ""));
    dialog.hide();
    return static_cast<int>(QDialog::Rejected);
  });
  open();
  SetModalHook(previous);
  EXPECT_GE(count, 1) << name << " was not shown";
  if (shown) *shown = count;
}

TEST(DialogFitTest, MoveLiteralsWithManyUnits) {
  TempDir dir;
  for (int i = 0; i < 6; ++i)
    dir.Write("Unit" + std::to_string(i) + ".pas",
              "unit Unit" + std::to_string(i) +
                  ";\ninterface\nimplementation\nbegin A('Hello world'); A('A longer text to move, with words');\n"
                  "A('Third literal of the unit'); end.\n");
  TMoveLiteralsLogic logic;
  logic.SetFolder(dir.Root());
  // Every unit ticked so that both lists are full (the program opens the
  // dialog with none chosen, as the dialog's own tests check).
  logic.ChooseAllSources(true);
  ExpectFits("move-literals", [&] {
    MoveLiteralsDialog dialog(logic);
    ExecModal(dialog);
  });
}

TEST(DialogFitTest, LanguageDialog) {
  TempDir dir;
  for (const char* sub : {"de", "en", "fr", "a-sub-folder-with-a-rather-long-name"})
    std::filesystem::create_directories(dir.Path(sub));
  TLangDialogLogic logic;
  logic.FillLanguages();
  logic.SetSourceFolder(dir.Root());
  logic.SelectSubFolder("de");
  ExpectFits("language-dialog", [&] {
    LangDialog dialog(logic);
    ExecModal(dialog);
  });
}

TEST(DialogFitTest, RunReportWithManyLanguagesAndProblems) {
  TResolvedLibrary library;
  library.Name = library.ShortName = "Pad";
  library.DestDir = "/out/a/destination/folder/of/some/length";
  TRunResult result;
  std::vector<TCoverageCell> coverage;
  const LANGID ids[] = {0x0409, 0x0407, 0x040C, 0x0410, 0x0C0A, 0x0413, 0x0416, 0x0419,
                        0x0411, 0x0804, 0x0412, 0x041F, 0x0415, 0x0405, 0x040E, 0x041D};
  for (LANGID id : ids) {
    library.Languages.AddLibLanguage(id, GetLangAbbr(id));
    result.Stats.Languages.push_back({id, "/out/Pad." + GetLangAbbr(id) + ".lng", 12345, 67, 3});
    TCoverageCell cell;
    cell.Native = coverage.empty();
    cell.Known = true;
    cell.Counts.Items = {10000, 1345, 1000};
    coverage.push_back(cell);
  }
  result.Stats.LanguageFilesPlanned = static_cast<int>(std::size(ids));
  result.Stats.FilesFailed = 2;
  result.Stats.Errors = {{"/src/en/A.dfm", "Invalid property (line 3)"}, {"/src/de/B.res", "Invalid file format"}};
  result.LibIni = "/out/lib.ini";
  TRunReportLogic report(library, result, coverage);
  ExpectFits("run-report", [&] {
    RunReportDialog dialog(report);
    ExecModal(dialog);
  });
}

TEST(DialogFitTest, ExportAndImport) {
  for (auto mode : {TExchangeDialogLogic::TMode::Export, TExchangeDialogLogic::TMode::Import}) {
    TExchangeDialogLogic logic(mode, {0x0407, 0x040C}, 0x0407, "/out/a/destination/folder", "TinyPad");
    ExpectFits(mode == TExchangeDialogLogic::TMode::Export ? "export" : "import", [&] {
      ExchangeDialog dialog(logic);
      ExecModal(dialog);
    });
  }
}

TEST(DialogFitTest, AboutBoxAndItsReadme) {
  AboutBox box("");
  ExpectFits("about-box", [&] { ExecModal(box); });
  std::string text = "# Shelfwright\n\nA paragraph of text that is long enough to wrap at any width, twice over.\n";
  for (int i = 0; i < 60; ++i) text += "\n- item " + std::to_string(i);
  ExpectFits("readme", [&] { box.ShowText("readme.txt", text); });
}

TEST(DialogFitTest, RulesEditor) {
  TStringList defaults;
  SetDefaultPropRules(defaults);
  TRulesEditorLogic logic(TRulesEditorLogic::TScope::Library, "TinyPad", TStringList(), defaults);
  ExpectFits("rules-editor", [&] {
    RulesEditor dialog(logic);
    ExecModal(dialog);
  });
}

TEST(DialogFitTest, ItemsView) {
  TempDir dir;
  sw::testing::WriteTwoLanguageLibrary(
      dir.Path("out"), "Pad",
      {{true, "MainForm", "miOpen", "Caption", u"&Open a file...", u"\u00D6ffnen...", 3},
       {false, "Strings", "", "SFileNotFound", u"The file '%s' was not found.", u"Datei '%s' nicht gefunden.", 3},
       {false, "Strings", "", "SBye", u"Goodbye", u"", -1}});
  TItemsLibrary library;
  library.DestDir = dir.Path("out");
  library.ShortName = "Pad";
  library.Languages = {sw::testing::kLibraryEnglish, sw::testing::kLibraryGerman};
  ExpectFits("items-view", [&] {
    ItemsView view(library);
    ASSERT_TRUE(view.Open());
    ExecModal(view);
  });
}

}  // namespace
}  // namespace sw::ui
