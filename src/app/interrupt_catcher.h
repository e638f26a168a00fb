#pragma once

#include <csignal>

namespace sonvarek {

// While it lives, Ctrl+C only raises a flag; the command's waiting loop turns it into
// a cancel. The previous handling comes back when it ends.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
  bool Interrupted() const;

 private:
  struct sigaction previous_ {};
};

}  // namespace sonvarek
