// Runs the window tests inside one QApplication on the offscreen platform
// unless the caller chose another (QT_QPA_PLATFORM=xcb under xvfb-run works too).
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>

namespace {

QtMessageHandler g_standardHandler = nullptr;

// The offscreen platform warns about every window feature it lacks; the rest stays.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  if (g_standardHandler)
    g_standardHandler(type, context, message);
  else
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  g_standardHandler = qInstallMessageHandler(FilterMessages);
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Shelfwright");
  return RUN_ALL_TESTS();
}
