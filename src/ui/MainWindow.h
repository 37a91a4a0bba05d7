// The main window of the desktop program: Qt widgets laid out as the window
// logic names them, each bound to its control model, and the dialogs the logic
// asks for (folder selection, the language dialog, the about box, message
// boxes, the wait cursor). Every decision is TMainWindowLogic's.
#pragma once

#include <memory>
#include <string>

#include <QMainWindow>
#include <QPointer>
#include <QPushButton>

#include "window/MainWindowLogic.h"

namespace sw::ui {

class AboutBox;
class QtRunHost;

class MainWindow : public QMainWindow, public IMainWindowDialogs {
 public:
  // `programFile` is the program's own path, for the about box.
  MainWindow(const std::string& settingsFileName, const std::string& programFile, QWidget* parent = nullptr);
  ~MainWindow() override;

  TMainWindowLogic& Logic() { return *logic_; }
  AboutBox& About() { return *aboutBox_; }

  // IMainWindowDialogs
  bool SelectFolder(std::string& folder) override;
  bool ExecLanguageDialog(TLangDialogLogic& dialog) override;
  void ShowAboutBox() override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& message) override;
  void SetWaitCursor(bool wait) override;
  void CloseWindow() override;
  void ShowRunReport(TRunReportLogic& report) override;
  bool ExecExchangeDialog(TExchangeDialogLogic& dialog) override;
  void ShowItemsView(const TItemsLibrary& library) override;
  bool ExecRulesEditor(TRulesEditorLogic& editor) override;

  // The host of the window's runs, for tests that wait for one.
  QtRunHost& RunHost() { return *runHost_; }
  TCloseAnswer AskCloseAfterFailedSave(const std::string& message) override;
  int ChooseNativeLanguage(const std::vector<std::string>& languages) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Saves the library and the window's placement without asking anything:
  // for a logout, whose session manager may end the program right after.
  void SaveForShutdown();

 private:
  void BuildWidgets();
  // The remembered placement (or the default size) fitted into the screen.
  void ApplyPlacement();
  // The window's normal placement into the logic, before it is saved.
  void StorePlacement();
  // The screen's available area, as a placement.
  TWindowPlacement ScreenArea() const;

  static constexpr int kDefaultWidth = 680;  // the language list shows its coverage column whole
  static constexpr int kDefaultHeight = 640;

  std::unique_ptr<TMainWindowLogic> logic_;
  AboutBox* aboutBox_;
  QtRunHost* runHost_;
  bool shown_ = false;
  // Where the focus was when the last run started, to return it after the report.
  QPointer<QWidget> focusBeforeRun_;
  QPointer<QPushButton> btProcess_;
};

}  // namespace sw::ui
