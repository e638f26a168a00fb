#pragma once

#include <optional>

#include "platform/auto_play.h"

namespace sonvarek::test {

// The desktop's auto-play value, kept in memory so that no test touches the real one.
class MemoryAutoRun final : public AutoRunSetting {
 public:
  std::optional<bool> ReadNever() override { return never; }
  bool WriteNever(bool value) override {
    never = value;
    return true;
  }
  bool never = false;
};

}  // namespace sonvarek::test
