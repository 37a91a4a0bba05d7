// A user-interaction implementation that records every call and answers
// questions from a script.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "util/UserInteraction.h"

namespace sw {

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

inline int RecordingUserInteraction::NextAnswer(int fallback) {
  if (answers_.empty()) return fallback;
  const int answer = answers_.front();
  answers_.erase(answers_.begin());
  return answer;
}

inline void RecordingUserInteraction::ShowMessage(const std::string& caption, const std::string& text) {
  Calls.push_back({"message", caption, text});
}

inline int RecordingUserInteraction::AskYesNo(const std::string& text) {
  Calls.push_back({"yesno", "", text});
  return NextAnswer(idNo);
}

inline int RecordingUserInteraction::AskRetryCancel(const std::string& caption, const std::string& text) {
  Calls.push_back({"retrycancel", caption, text});
  return NextAnswer(idCancel);
}

inline void RecordingUserInteraction::ShowStatus(const std::string& text) {
  Calls.push_back({"show", "", text});
  StatusVisible = true;
}

inline void RecordingUserInteraction::UpdateStatus(const std::string& text) {
  Calls.push_back({"update", "", text});
  StatusVisible = true;
}

inline void RecordingUserInteraction::HideStatus() {
  Calls.push_back({"hide", "", ""});
  StatusVisible = false;
}

}  // namespace sw
