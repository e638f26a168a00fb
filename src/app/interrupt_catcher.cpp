#include "app/interrupt_catcher.h"

namespace sonvarek {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

}  // namespace

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous_);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &previous_, nullptr); }

bool InterruptCatcher::Interrupted() const { return interrupted != 0; }

}  // namespace sonvarek
