// The user-interaction seam on a terminal.
#pragma once

#include <iosfwd>
#include <string>

#include "util/UserInteraction.h"

namespace sw {

// Writes messages to stderr as "Caption: text" and status lines to stderr
// (one rewritten line on a terminal, plain lines otherwise). Questions are
// answered from stdin when it is a terminal, otherwise with No / Cancel.
class TerminalUserInteraction : public IUserInteraction {
 public:
  // stderr and stdin: one rewritten status line when stderr is a terminal,
  // questions asked when stdin is one.
  TerminalUserInteraction();
  // Explicit streams, for tests: `terminal` says whether they act as an
  // interactive terminal `columns` wide (0: unknown width).
  TerminalUserInteraction(std::ostream& out, std::istream& in, bool terminal, int columns = 0);
  ~TerminalUserInteraction() override;
  TerminalUserInteraction(const TerminalUserInteraction&) = delete;
  TerminalUserInteraction& operator=(const TerminalUserInteraction&) = delete;

  void ShowMessage(const std::string& caption, const std::string& text) override;
  int AskYesNo(const std::string& text) override;
  int AskRetryCancel(const std::string& caption, const std::string& text) override;
  void ShowStatus(const std::string& text) override;
  void UpdateStatus(const std::string& text) override;
  void HideStatus() override;
  // When false, status lines are not written at all.
  bool ShowStatusLines = true;

 private:
  // The status line stands on the terminal's current line.
  bool StatusOnScreen() const { return terminal_ && statusVisible_ && ShowStatusLines; }
  void WriteStatus(const std::string& text);
  void ClearStatusLine();
  void RedrawStatus();
  int Ask(const std::string& prompt, char yesKey, int yes, char noKey, int no);

  std::ostream* out_;
  std::istream* in_;
  bool terminal_;     // output: status rewritten in place
  bool interactive_;  // input: questions can be answered
  int columns_;
  bool statusVisible_ = false;
  std::string statusText_;
};

}  // namespace sw
