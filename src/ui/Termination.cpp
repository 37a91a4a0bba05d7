#include "ui/Termination.h"

#include <QSocketNotifier>
#include <QWidget>

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#endif

namespace sw::ui {

#ifndef _WIN32
namespace {

int terminationPipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

}  // namespace

void CloseOnTermination(QWidget& window) {
  if (terminationPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0) return;
  auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(terminationPipe[0], &byte, 1);
    window.close();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
}
#else
void CloseOnTermination(QWidget&) {}
#endif

}  // namespace sw::ui
