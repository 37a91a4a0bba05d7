// The about box: the program's picture, name, version and legal notice, and
// "More Info", which shows readme.txt beside the program (Markdown) rendered
// in a window of its own. Created once at start-up, shown modally.
#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "window/AboutBoxLogic.h"

namespace sw::ui {

class AboutBox : public QDialog {
 public:
  // `programFile` is the program's own path (its version information and the
  // folder of readme.txt).
  explicit AboutBox(const std::string& programFile, QWidget* parent = nullptr);
  ~AboutBox() override;

  TAboutBoxLogic& Logic() { return *logic_; }
  // The read-me's text (Markdown) rendered in a box of its own.
  void ShowText(const std::string& title, const std::string& text);

 private:
  std::unique_ptr<TAboutBoxLogic> logic_;
};

}  // namespace sw::ui
