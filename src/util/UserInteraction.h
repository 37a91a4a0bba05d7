// The seam through which the few places below the windows talk to the user
// (message boxes, yes/no and retry/cancel questions, the status window). The
// GUI installs a Qt implementation, the CLI a terminal one, tests a recording
// one; the free functions forward to the installed one.
#pragma once

#include <string>

namespace sw {

// Answers of the question boxes, as the Windows message box returns them.
inline constexpr int idOk = 1;
inline constexpr int idCancel = 2;
inline constexpr int idRetry = 4;
inline constexpr int idYes = 6;
inline constexpr int idNo = 7;

// How the system talks to the user. Implementations must not throw.
class IUserInteraction {
 public:
  virtual ~IUserInteraction() = default;
  virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
  // Returns idYes or idNo.
  virtual int AskYesNo(const std::string& text) = 0;
  // Returns idRetry or idCancel.
  virtual int AskRetryCancel(const std::string& caption, const std::string& text) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void UpdateStatus(const std::string& text) = 0;
  virtual void HideStatus() = 0;
};

// Installs the implementation the free functions forward to; returns the
// previous one. The default, until one is installed, is the terminal one.
IUserInteraction* SetUserInteraction(IUserInteraction* ui);
IUserInteraction& UserInteraction();

void ShowMessageBox(const std::string& caption, const std::string& text);
int AskYesNo(const std::string& text);
int AskRetryCancel(const std::string& caption, const std::string& text);
void ShowStatus(const std::string& text);
void UpdateStatus(const std::string& text);
void HideStatus();

// Installs a user-interaction implementation for the lifetime of the guard.
class ScopedUserInteraction {
 public:
  explicit ScopedUserInteraction(IUserInteraction* ui) : previous_(SetUserInteraction(ui)) {}
  ~ScopedUserInteraction() { SetUserInteraction(previous_); }
  ScopedUserInteraction(const ScopedUserInteraction&) = delete;
  ScopedUserInteraction& operator=(const ScopedUserInteraction&) = delete;

 private:
  IUserInteraction* previous_;
};

}  // namespace sw
