#pragma once

#include <chrono>
#include <cstdint>

namespace sonvarek {

// Progress times and job durations come from the monotonic clock, so that a change of
// the wall clock never makes them jump.
using SteadyClock = std::chrono::steady_clock;

// Whole milliseconds from `start` to now.
inline int64_t MillisecondsSince(SteadyClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

// A millisecond count from an arbitrary origin that wraps at 2^32, as a job's start
// tick is kept; only the difference of two counts means anything.
inline uint32_t TickCount() {
  auto now = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now().time_since_epoch());
  return static_cast<uint32_t>(now.count());
}

}  // namespace sonvarek
