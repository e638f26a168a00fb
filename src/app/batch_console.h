#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_command.h"
#include "session/batch_run.h"
#include "session/run_overrides.h"

namespace sonvarek {

// The batch window of the command line: draws the model on the error stream (a
// progress bar on a terminal, plain lines otherwise) with the log lines between.
class BatchConsole final : public BatchView {
 public:
  BatchConsole(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}

  void LogLine(const std::string& line, const BatchWindowModel& model) override;
  void ModelChanged(const BatchWindowModel& model, bool progressChanged) override;
  void Finished(const BatchWindowModel& model) override;

 private:
  void Draw(const BatchWindowModel& model, bool progressChanged);

  std::ostream& err_;
  bool terminal_;
  std::string lastTitle_;
  int lastQuarter_ = -1;
  bool lineOpen_ = false;
};

// Runs a batch as the windows would, drawing it on `err`. Ctrl+C cancels it. Returns
// the exit status: 0 after the success pane, 1 after the error pane, 130 after a
// cancel. `producedFiles`, when given, receives the success pane's file list.
int RunBatchOnConsole(std::unique_ptr<ConversionBatch> batch, UserNotice& notice, std::ostream& err,
                      std::vector<std::string>* producedFiles = nullptr);

// A file batch of `kind` with the settings of the program folder and `overrides` for
// this run, on the console: 1 after telling that the output folder cannot be made.
int RunFileBatchOnConsole(BatchKind kind, const std::vector<std::string>& files, const FileBatchOverrides& overrides,
                          const CommandContext& context);

}  // namespace sonvarek
