#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sonvarek {

// A manual-reset event: stays set until Reset. Workers poll it with IsSet (a zero
// time-out wait) between blocks; waiters may block with a time-out.
class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // True when the event was set within the time-out.
  bool WaitFor(std::chrono::milliseconds timeout) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_;
};

}  // namespace sonvarek
