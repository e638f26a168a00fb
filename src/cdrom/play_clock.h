#pragma once

#include <atomic>
#include <chrono>

#include "platform/ticks.h"

namespace sonvarek {

// The time base of the image drive's audio play; tests drive it by hand.
class PlayClock {
 public:
  virtual ~PlayClock() = default;
  virtual std::chrono::milliseconds Now() const = 0;
};

class SteadyPlayClock final : public PlayClock {
 public:
  std::chrono::milliseconds Now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now().time_since_epoch());
  }
};

class ManualPlayClock final : public PlayClock {
 public:
  std::chrono::milliseconds Now() const override { return std::chrono::milliseconds(now_.load()); }
  void Advance(std::chrono::milliseconds step) { now_ += step.count(); }

 private:
  std::atomic<int64_t> now_{0};
};

}  // namespace sonvarek
