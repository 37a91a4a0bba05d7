#include "util/UserInteraction.h"

#include "util/TerminalUserInteraction.h"

namespace sw {

namespace {

IUserInteraction* g_installed = nullptr;

}  // namespace

IUserInteraction* SetUserInteraction(IUserInteraction* ui) {
  IUserInteraction* previous = g_installed;
  g_installed = ui;
  return previous;
}

IUserInteraction& UserInteraction() {
  if (g_installed) return *g_installed;
  static TerminalUserInteraction terminal;
  return terminal;
}

void ShowMessageBox(const std::string& caption, const std::string& text) { UserInteraction().ShowMessage(caption, text); }
int AskYesNo(const std::string& text) { return UserInteraction().AskYesNo(text); }
int AskRetryCancel(const std::string& caption, const std::string& text) {
  return UserInteraction().AskRetryCancel(caption, text);
}
void ShowStatus(const std::string& text) { UserInteraction().ShowStatus(text); }
void UpdateStatus(const std::string& text) { UserInteraction().UpdateStatus(text); }
void HideStatus() { UserInteraction().HideStatus(); }

}  // namespace sw
