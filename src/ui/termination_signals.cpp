#include "ui/termination_signals.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sonvarek {
namespace {

// The handler may only write a byte; the event loop does the rest.
int signalPipe[2] = {-1, -1};

void WriteSignalByte(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t written = write(signalPipe[0], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  for (int end : signalPipe) fcntl(end, F_SETFL, O_NONBLOCK);
  notifier_ = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (read(signalPipe[1], bytes, sizeof bytes) > 0) {
    }
    onSignal_();
  });
  struct sigaction action {};
  action.sa_handler = WriteSignalByte;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigemptyset(&defaults.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &defaults, nullptr);
  notifier_.reset();
  if (signalPipe[0] >= 0) close(signalPipe[0]);
  if (signalPipe[1] >= 0) close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
}

}  // namespace sonvarek
