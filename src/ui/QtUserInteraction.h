// The desktop program's way of talking to the user: Qt message boxes and the
// status window, a frameless stay-on-top strip that shows one line of
// progress while a library is processed and repaints at once, because the
// run holds the user-interface thread.
#pragma once

#include <memory>

#include "util/UserInteraction.h"

class QLabel;
class QWidget;

namespace sw::ui {

class StatusWindow;

class QtUserInteraction : public IUserInteraction {
 public:
  QtUserInteraction();
  ~QtUserInteraction() override;

  void ShowMessage(const std::string& caption, const std::string& text) override;
  int AskYesNo(const std::string& text) override;
  int AskRetryCancel(const std::string& caption, const std::string& text) override;
  void ShowStatus(const std::string& text) override;
  void UpdateStatus(const std::string& text) override;
  void HideStatus() override;

  // The status window while one is shown, for tests.
  QWidget* StatusWidget() const;

 private:
  std::unique_ptr<StatusWindow> status_;
};

}  // namespace sw::ui
