// The main window of the desktop program: Qt widgets laid out as the window
// logic names them, each bound to its control model, and the dialogs the logic
// asks for (folder selection, the language dialog, the about box, message
// boxes, the wait cursor). Every decision is TMainWindowLogic's.
#pragma once

#include <memory>
#include <string>

#include <QMainWindow>

#include "app/MainWindowLogic.h"

namespace sw::ui {

class AboutBox;

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
  TCloseAnswer AskCloseAfterFailedSave(const std::string& message) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();

  std::unique_ptr<TMainWindowLogic> logic_;
  AboutBox* aboutBox_;
  bool shown_ = false;
};

}  // namespace sw::ui
