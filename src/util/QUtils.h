// The owning object list every storage list derives from, version
// information, and the seam through which the few places below the windows
// talk to the user (message boxes, yes/no and retry/cancel questions, the
// status window). The GUI installs a Qt implementation, the CLI a terminal
// one, tests a recording one; the free functions forward to the installed one.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"

namespace sw {

// An ordered list that owns its elements: `Delete`, `Clear` and destruction
// free them; `Remove` hands one back to the caller; `PutItem` replaces a slot
// without freeing the old element (the caller keeps it). A slot may be empty
// after `FreeAll`. Index errors raise EListError "List index out of bounds (%d)".
template <typename T>
class TQObjectList {
 public:
  TQObjectList() = default;
  virtual ~TQObjectList() = default;
  TQObjectList(const TQObjectList&) = delete;
  TQObjectList& operator=(const TQObjectList&) = delete;
  TQObjectList(TQObjectList&&) noexcept = default;
  TQObjectList& operator=(TQObjectList&&) noexcept = default;

  int Count() const { return static_cast<int>(items_.size()); }
  T* Items(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].get();
  }
  T* operator[](int index) const { return Items(index); }

  int Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  // Convenience: constructs the element in place; returns it.
  template <typename U = T, typename... Args>
  U* AddNew(Args&&... args) {
    auto item = std::make_unique<U>(std::forward<Args>(args)...);
    U* raw = item.get();
    Add(std::move(item));
    return raw;
  }
  void Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    items_.insert(items_.begin() + index, std::move(item));
  }
  // Replaces the slot; the previous element is released to the caller.
  std::unique_ptr<T> PutItem(int index, std::unique_ptr<T> item) {
    CheckIndex(index);
    std::swap(items_[static_cast<std::size_t>(index)], item);
    return item;
  }
  // Takes the element out of the list without freeing it.
  std::unique_ptr<T> Remove(int index) {
    CheckIndex(index);
    auto item = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    return item;
  }
  virtual void Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
  }
  virtual void FreeAll() {
    for (auto& item : items_) item.reset();
  }
  virtual void Clear() {
    FreeAll();
    items_.clear();
  }
  int IndexOf(const T* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  void CheckIndex(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
  }
  std::vector<std::unique_ptr<T>>& Storage() { return items_; }
  const std::vector<std::unique_ptr<T>>& Storage() const { return items_; }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

struct TQVersionInfoRec {
  std::string CompanyName;
  std::string FileDescription;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string OriginalFilename;
  std::string ProductVersion;
  std::string ProductName;
};

// Fills `info` from the version information of `fileName`. The program's own
// version information is compiled in; any other file has none (false, and
// `info` is left as it was).
bool GetVersionInfo(const std::string& fileName, TQVersionInfoRec& info);

// The version information compiled into this program; `programName` becomes
// the original file name.
TQVersionInfoRec CompiledVersionInfo(const std::string& programName);

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

// Records every call and answers questions from a script; for tests.
class RecordingUserInteraction : public IUserInteraction {
 public:
  struct Call {
    std::string Kind;  // "message", "yesno", "retrycancel", "show", "update", "hide"
    std::string Caption;
    std::string Text;
  };
  void ShowMessage(const std::string& caption, const std::string& text) override;
  int AskYesNo(const std::string& text) override;
  int AskRetryCancel(const std::string& caption, const std::string& text) override;
  void ShowStatus(const std::string& text) override;
  void UpdateStatus(const std::string& text) override;
  void HideStatus() override;

  // Answers given to the next questions, in order; when empty, No / Cancel.
  void SetNextAnswers(std::vector<int> answers) { answers_ = std::move(answers); }
  std::vector<Call> Calls;
  bool StatusVisible = false;

 private:
  int NextAnswer(int fallback);
  std::vector<int> answers_;
};

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
