#pragma once

#include <algorithm>
#include <cstdint>

namespace sonvarek {

// Progress in thousandths (0..1000) of `done` out of `total`, as every step reports
// it: `done` / (`total` / 1000) in whole numbers, or exactly when `total` is below
// 1000 and has no unit per thousandth. Nothing to do (`total` 0) is done: 1000.
inline int64_t ProgressThousandths(uint64_t done, uint64_t total) {
  if (total == 0) return 1000;
  const uint64_t value = total < 1000 ? done * 1000 / total : done / (total / 1000);
  return static_cast<int64_t>(std::min<uint64_t>(value, 1000));
}

}  // namespace sonvarek
