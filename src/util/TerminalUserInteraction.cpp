#include "util/TerminalUserInteraction.h"

#include <iostream>
#include <istream>
#include <ostream>

#include "platform/Terminal.h"
#include "base/AsciiText.h"
#include "base/AnsiText.h"
#include "platform/FileSystem.h"

namespace sw {

namespace {

// Message texts may carry CR LF line ends; a terminal wants plain LF.
std::string ForTerminal(const std::string& text) { return ReplaceAll(text, "\r\n", "\n"); }

}  // namespace

TerminalUserInteraction::TerminalUserInteraction()
    : out_(&std::cerr),
      in_(&std::cin),
      terminal_(platform::IsTerminal(platform::StdStream::Err)),
      interactive_(platform::IsTerminal(platform::StdStream::In)),
      columns_(platform::TerminalColumns(platform::StdStream::Err)) {}

TerminalUserInteraction::TerminalUserInteraction(std::ostream& out, std::istream& in, bool terminal, int columns)
    : out_(&out), in_(&in), terminal_(terminal), interactive_(terminal), columns_(columns) {}

TerminalUserInteraction::~TerminalUserInteraction() {
  // Leave the terminal's cursor on a clean line.
  if (StatusOnScreen()) ClearStatusLine();
}

void TerminalUserInteraction::ClearStatusLine() {
  *out_ << "\r\x1b[K" << std::flush;
}

void TerminalUserInteraction::RedrawStatus() {
  if (StatusOnScreen()) WriteStatus(statusText_);
}

void TerminalUserInteraction::WriteStatus(const std::string& text) {
  if (!ShowStatusLines) return;
  std::string line = ForTerminal(text);
  if (terminal_) {
    // One line only, so that "\r" can rewrite it: no line breaks, and no
    // longer than the terminal is wide.
    for (char& c : line)
      if (c == '\n' || c == '\r') c = ' ';
    if (columns_ > 1 && line.size() >= static_cast<std::size_t>(columns_))
      line.resize(static_cast<std::size_t>(columns_) - 1);
    ClearStatusLine();
    *out_ << line << std::flush;
  } else {
    *out_ << line << '\n' << std::flush;
  }
}

void TerminalUserInteraction::ShowMessage(const std::string& caption, const std::string& text) {
  if (StatusOnScreen()) ClearStatusLine();
  if (!caption.empty()) *out_ << caption << ": ";
  *out_ << ForTerminal(text) << '\n' << std::flush;
  RedrawStatus();
}

int TerminalUserInteraction::Ask(const std::string& prompt, char yesKey, int yes, char noKey, int no) {
  if (StatusOnScreen()) ClearStatusLine();
  int answer = no;
  if (!interactive_) {
    // Nobody can answer: say so and take the safe answer.
    *out_ << prompt << noKey << '\n' << std::flush;
  } else {
    for (;;) {
      *out_ << prompt << std::flush;
      std::string reply;
      if (!std::getline(*in_, reply)) {
        *out_ << '\n';
        break;
      }
      const std::string word = LowerAscii(Trim(reply));
      if (!word.empty() && word[0] == yesKey) {
        answer = yes;
        break;
      }
      if (!word.empty() && word[0] == noKey) break;
    }
  }
  RedrawStatus();
  return answer;
}

int TerminalUserInteraction::AskYesNo(const std::string& text) {
  return Ask(ForTerminal(text) + " [y/n] ", 'y', idYes, 'n', idNo);
}

int TerminalUserInteraction::AskRetryCancel(const std::string& caption, const std::string& text) {
  const std::string prefix = caption.empty() ? std::string() : caption + ": ";
  return Ask(prefix + ForTerminal(text) + " [r]etry/[c]ancel ", 'r', idRetry, 'c', idCancel);
}

void TerminalUserInteraction::ShowStatus(const std::string& text) {
  statusText_ = text;
  statusVisible_ = true;
  WriteStatus(text);
}

void TerminalUserInteraction::UpdateStatus(const std::string& text) { ShowStatus(text); }

void TerminalUserInteraction::HideStatus() {
  if (!statusVisible_) return;
  if (StatusOnScreen()) ClearStatusLine();
  statusVisible_ = false;
  statusText_.clear();
}

}  // namespace sw
