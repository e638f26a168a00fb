#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/auto_play.h"
#include "platform/user_notice.h"
#include "session/program_session.h"

namespace sonvarek::soak {

// The desktop's auto-play value kept in memory, so that a soak run never changes the real one.
class MemoryAutoRun final : public AutoRunSetting {
 public:
  std::optional<bool> ReadNever() override { return never_; }
  bool WriteNever(bool never) override {
    never_ = never;
    return true;
  }

 private:
  std::optional<bool> never_ = false;
};

// Prints each notice on standard error and counts them (a run is expected to show none).
class CountingNotice final : public UserNotice {
 public:
  void Show(std::string_view text, NoticeKind kind) override;
  int count() const { return count_; }

 private:
  int count_ = 0;
};

struct BatchOutcome {
  bool succeeded = false;
  std::vector<std::string> files;  // the success pane's list
};

// Runs `batch` through the session's controller as the desktop's batch window does, with
// the worker's log lines going to the session's job log as the main window keeps them,
// and waits for its end. A null batch fails.
BatchOutcome RunToEnd(ProgramSession& session, std::unique_ptr<ConversionBatch> batch);

}  // namespace sonvarek::soak
