#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonvarek {

// What a progress pane shows for p thousandths after t milliseconds.
struct ProgressText {
  std::string elapsed;                   // "%02d:%02d" of t
  std::optional<std::string> estimated;  // the step's estimated total time; absent when p is 0
  int barPercent = 0;                    // p / 10
  std::string percentText;               // "%d.%d%%" of p / 10 and p % 10
};

ProgressText FormatProgress(int64_t thousandths, int64_t elapsedMs);

}  // namespace sonvarek
