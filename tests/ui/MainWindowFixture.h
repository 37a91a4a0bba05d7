// What the tests of the main window share: the window over a settings file in
// a scratch folder, the Qt user interaction installed, modal dialogs scripted,
// and the sibling tool's library path cleared so the machine's does not leak in.
#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include <memory>

#include "support/TestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"
#include "ui/UiTestSupport.h"
#include "util/UserInteraction.h"

namespace sw::ui::testing {

class MainWindowFixture : public ::testing::Test {
 protected:
  MainWindowFixture() : installed_(&userInteraction_) {}

  // Opens and shows the window over settings.ini in the scratch folder.
  MainWindow& Open() {
    window_ = std::make_unique<MainWindow>(dir_.Path("settings.ini"), "");
    window_->show();
    return *window_;
  }
  template <typename T>
  T* Find(const char* name) const {
    T* widget = window_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  TMainWindowLogic& Logic() const { return window_->Logic(); }
  // Lets the event loop run until the window's run has ended.
  bool WaitForRun(int ms = 30000) const {
    return QTest::qWaitFor([this] { return !Logic().Running(); }, ms);
  }

  ScopedEnv libraryPath_{"LINGUADESK_LIBRARY_PATH", ""};
  TempDir dir_;
  DialogScript dialogs_;
  QtUserInteraction userInteraction_;
  ScopedUserInteraction installed_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace sw::ui::testing
