// Helpers of the window tests: a script that answers modal dialogs in turn
// and records what was shown, and an environment variable set for one test.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>

#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"

namespace sw::ui::testing {

struct ShownDialog {
  std::string ObjectName;
  std::string Title;
  std::string Text;  // a message box's text
};

// Answers every modal dialog while it lives: the next queued handler gets the
// dialog (already shown, so that clicks reach it); without one a message box
// answers with its escape button's role (No, Ok) and any other dialog is rejected.
class DialogScript {
 public:
  using Handler = std::function<int(QDialog&)>;
  DialogScript() {
    previous_ = SetModalHook([this](QDialog& dialog) { return Answer(dialog); });
  }
  ~DialogScript() { SetModalHook(previous_); }
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  void Then(Handler handler) { handlers_.push_back(std::move(handler)); }
  // Presses a message box's button.
  void ThenPress(QMessageBox::StandardButton button) {
    Then([button](QDialog&) { return static_cast<int>(button); });
  }
  std::vector<ShownDialog> Shown;
  std::size_t Pending() const { return handlers_.size(); }

 private:
  int Answer(QDialog& dialog) {
    ShownDialog shown{FromQ(dialog.objectName()), FromQ(dialog.windowTitle()), {}};
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    if (box) shown.Text = FromQ(box->text());
    Shown.push_back(shown);
    if (handlers_.empty()) {
      if (box) return box->standardButtons() & QMessageBox::No ? QMessageBox::No : QMessageBox::Ok;
      return QDialog::Rejected;
    }
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    dialog.show();
    const int result = handler(dialog);
    dialog.hide();
    return result;
  }

  std::deque<Handler> handlers_;
  ModalHook previous_;
};

}  // namespace sw::ui::testing
