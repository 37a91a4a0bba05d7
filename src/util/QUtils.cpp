// Version information and the user-interaction seam (see QUtils.h). The
// program's version information is compiled in from the project version, so
// `GetVersionInfo` answers only for the running program's own file.
#include "util/QUtils.h"

#include <filesystem>
#include <iostream>
#include <istream>
#include <ostream>

#include "BuildInfo.h"
#include "platform/FileSystem.h"
#include "platform/Terminal.h"
#include "util/QStrings.h"

namespace sw {

namespace {

bool IsOwnProgram(const std::string& fileName) {
  if (fileName.empty()) return false;
  const std::string self = platform::ExecutablePath();
  if (self.empty()) return false;
  std::error_code ec;
  const bool same = std::filesystem::equivalent(fileName, self, ec);
  return !ec && same;
}

// Message texts may carry CR LF line ends; a terminal wants plain LF.
std::string ForTerminal(const std::string& text) { return ReplaceAll(text, "\r\n", "\n"); }

IUserInteraction* g_installed = nullptr;

}  // namespace

TQVersionInfoRec CompiledVersionInfo(const std::string& programName) {
  TQVersionInfoRec info;
  info.CompanyName = "the Shelfwright developers";
  info.FileDescription = "Shelfwright translation extractor";
  info.FileVersion = SHELFWRIGHT_VERSION ".0";
  info.InternalName = "Shelfwright";
  info.LegalCopyright = "Copyright (C) 2026 the Shelfwright developers";
  info.OriginalFilename = programName;
  info.ProductVersion = SHELFWRIGHT_VERSION;
  info.ProductName = "Shelfwright";
  return info;
}

bool GetVersionInfo(const std::string& fileName, TQVersionInfoRec& info) {
  if (!IsOwnProgram(fileName)) return false;
  info = CompiledVersionInfo(std::filesystem::path(platform::ExecutablePath()).filename().string());
  return true;
}

// ---- The installed implementation -------------------------------------------

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

// ---- Terminal ---------------------------------------------------------------

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

// ---- Recording --------------------------------------------------------------

int RecordingUserInteraction::NextAnswer(int fallback) {
  if (answers_.empty()) return fallback;
  const int answer = answers_.front();
  answers_.erase(answers_.begin());
  return answer;
}

void RecordingUserInteraction::ShowMessage(const std::string& caption, const std::string& text) {
  Calls.push_back({"message", caption, text});
}

int RecordingUserInteraction::AskYesNo(const std::string& text) {
  Calls.push_back({"yesno", "", text});
  return NextAnswer(idNo);
}

int RecordingUserInteraction::AskRetryCancel(const std::string& caption, const std::string& text) {
  Calls.push_back({"retrycancel", caption, text});
  return NextAnswer(idCancel);
}

void RecordingUserInteraction::ShowStatus(const std::string& text) {
  Calls.push_back({"show", "", text});
  StatusVisible = true;
}

void RecordingUserInteraction::UpdateStatus(const std::string& text) {
  Calls.push_back({"update", "", text});
  StatusVisible = true;
}

void RecordingUserInteraction::HideStatus() {
  Calls.push_back({"hide", "", ""});
  StatusVisible = false;
}

}  // namespace sw
