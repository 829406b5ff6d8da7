#include "platform/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace kelvo6::platform {

namespace {
int pipeEnds[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe.
void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] auto n = ::write(pipeEnds[1], &byte, 1);
}

void setHandler(void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
}
}  // namespace

EndSignals::EndSignals(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
  if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char buffer[16];
    while (::read(pipeEnds[0], buffer, sizeof buffer) > 0) {
    }
    if (onEnd_) onEnd_();
  });
  setHandler(onSignal);
}

EndSignals::~EndSignals() {
  setHandler(SIG_DFL);
  delete notifier_;
  for (int& fd : pipeEnds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

}  // namespace kelvo6::platform
