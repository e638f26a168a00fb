#pragma once

#include <cstdint>
#include <span>

namespace sonvarek::soak {

// What this process holds at one moment: resident memory (VmRSS of /proc/self/status)
// and open file descriptors (entries of /proc/self/fd, the one that lists them left out).
struct UsageSample {
  int64_t rssKiB = 0;
  int fds = 0;
};

// -1 in a field that could not be read.
UsageSample SampleThisProcess();

// The series after its warm-up, compared between its first and its last tenth (at least
// one sample each), by the median of each.
struct UsageTrend {
  int measured = 0;  // samples after the warm-up
  int64_t firstRssKiB = 0;
  int64_t lastRssKiB = 0;
  int firstFds = 0;
  int lastFds = 0;
  int64_t rssToleranceKiB = 0;
  bool flat = false;
};

// Allowed RSS growth: the larger of these two. The fd count must not grow at all.
inline constexpr int64_t kRssToleranceKiB = 2048;
inline constexpr int kRssTolerancePercent = 5;

// `warmUp` samples are skipped first (fewer when the series is short, so that at least
// half of it is measured). A series of no sample is flat.
UsageTrend Trend(std::span<const UsageSample> samples, int warmUp);

}  // namespace sonvarek::soak
