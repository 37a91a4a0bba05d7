// Text files as string lists: the save-retry prompt.
#include "util/StringListFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/RecordingUserInteraction.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

class RetryingUserInteraction : public RecordingUserInteraction {
 public:
  std::function<void()> OnRetry;
  int AskRetryCancel(const std::string& caption, const std::string& text) override {
    const int answer = RecordingUserInteraction::AskRetryCancel(caption, text);
    if (answer == idRetry && OnRetry) OnRetry();
    return answer;
  }
};

TEST(SaveStringListRetryTest, CancelReturnsQuietlyAndRetrySavesOnceTheFolderExists) {
  TempDir dir;
  const std::string path = dir.Path("missing/lib.ini");
  TStringList list{"[Common]", "Name=Demo"};
  {
    RecordingUserInteraction ui;
    ScopedUserInteraction scope(&ui);
    ui.SetNextAnswers({idCancel});
    EXPECT_NO_THROW(SaveStringListRetry(list, path));
    ASSERT_EQ(ui.Calls.size(), 1u);
    EXPECT_EQ(ui.Calls[0].Kind, "retrycancel");
    EXPECT_EQ(ui.Calls[0].Caption, "Polyverb");
    EXPECT_EQ(ui.Calls[0].Text, "Could not write to file \"" + path + "\"");
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  {
    RetryingUserInteraction ui;
    ScopedUserInteraction scope(&ui);
    ui.SetNextAnswers({idRetry, idRetry});
    int retries = 0;
    ui.OnRetry = [&] {
      if (++retries == 2) std::filesystem::create_directories(dir.Path("missing"));
    };
    SaveStringListRetry(list, path);
    EXPECT_EQ(ui.Calls.size(), 2u);
    EXPECT_EQ(TempDir::Read(path), "[Common]\r\nName=Demo\r\n");
  }
}

}  // namespace
}  // namespace sw
