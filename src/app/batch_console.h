#pragma once

#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>

#include "jobs/batch_window_model.h"
#include "jobs/batch_worker.h"
#include "jobs/job_log.h"
#include "session/batch_session.h"

namespace sonvarek {

// The batch window and the main window of the command line: a MessageSink that
// feeds the batch window's model, keeps the job log, and draws the model on the
// error stream (a progress bar on a terminal, plain lines otherwise).
class BatchConsole final : public MessageSink {
 public:
  BatchConsole(BatchKind kind, int total, std::ostream& err, bool terminal);

  void Post(WindowMessage message) override { Handle(message); }
  void Send(WindowMessage message) override { Handle(message); }

  BatchWindowModel Model() const;
  std::vector<std::string> LogLines() const { return log_.Lines(); }
  void FinishDrawing();

 private:
  void Handle(const WindowMessage& message);
  void Draw(bool progressChanged);

  mutable std::mutex mutex_;
  BatchWindowModel model_;
  JobLog log_;
  std::ostream& err_;
  bool terminal_;
  std::string lastTitle_;
  int lastQuarter_ = -1;
  bool lineOpen_ = false;
};

// Runs a batch through the controller as the windows would, drawing it on `err`.
// Ctrl+C cancels it. Returns the exit status: 0 after the
// success pane, 1 after the error pane, 130 after a cancel. `producedFiles`, when
// given, receives the success pane's file list.
int RunBatchOnConsole(BatchController& controller, std::unique_ptr<ConversionBatch> batch, std::ostream& err,
                      std::vector<std::string>* producedFiles = nullptr);

}  // namespace sonvarek
