#include "process_usage.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace sonvarek::soak {
namespace {

int64_t ReadRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6));  // "VmRSS:  1234 kB"
  }
  return -1;
}

int CountOpenFds() {
  std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir("/proc/self/fd"), closedir);
  if (!folder) return -1;
  const std::string own = std::to_string(dirfd(folder.get()));
  int count = 0;
  while (const dirent* entry = readdir(folder.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != ".." && name != own) ++count;
  }
  return count;
}

template <typename Field>
int64_t Median(std::span<const UsageSample> samples, Field field) {
  std::vector<int64_t> values;
  for (const UsageSample& sample : samples) values.push_back(sample.*field);
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

UsageSample SampleThisProcess() { return {ReadRssKiB(), CountOpenFds()}; }

UsageTrend Trend(std::span<const UsageSample> samples, int warmUp) {
  UsageTrend trend;
  size_t skipped = std::min(static_cast<size_t>(std::max(warmUp, 0)), samples.size() / 2);
  std::span<const UsageSample> measured = samples.subspan(skipped);
  trend.measured = static_cast<int>(measured.size());
  if (measured.empty()) {
    trend.flat = true;
    return trend;
  }
  size_t tenth = std::max<size_t>(1, measured.size() / 10);
  std::span<const UsageSample> first = measured.first(tenth);
  std::span<const UsageSample> last = measured.last(tenth);
  trend.firstRssKiB = Median(first, &UsageSample::rssKiB);
  trend.lastRssKiB = Median(last, &UsageSample::rssKiB);
  trend.firstFds = static_cast<int>(Median(first, &UsageSample::fds));
  trend.lastFds = static_cast<int>(Median(last, &UsageSample::fds));
  trend.rssToleranceKiB = std::max(kRssToleranceKiB, trend.firstRssKiB * kRssTolerancePercent / 100);
  trend.flat = trend.lastFds <= trend.firstFds && trend.lastRssKiB - trend.firstRssKiB <= trend.rssToleranceKiB;
  return trend;
}

}  // namespace sonvarek::soak
