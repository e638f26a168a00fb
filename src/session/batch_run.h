#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jobs/batch_window_model.h"
#include "jobs/conversion_batch.h"
#include "platform/user_notice.h"

namespace sonvarek {

// What draws a batch window's model for a caller without a toolkit. Every call comes
// under one lock, most of them from the worker's thread.
class BatchView {
 public:
  virtual ~BatchView() = default;
  // A line of the job log, as the worker sent it, with the model as it stands.
  virtual void LogLine(const std::string& line, const BatchWindowModel& model) = 0;
  // The model after any other message; `progressChanged` for a progress message.
  virtual void ModelChanged(const BatchWindowModel& model, bool progressChanged) = 0;
  // The model once the worker has ended, before the run returns.
  virtual void Finished(const BatchWindowModel& model) = 0;
};

enum class BatchRunEnd { Succeeded, Failed, Cancelled };

struct BatchRunOutcome {
  BatchRunEnd end = BatchRunEnd::Failed;
  std::vector<std::string> files;  // the success pane's list, when it succeeded
};

// Runs `batch` to its end on the batch worker as the windows would, the MP3 encoder
// library loaded first when the batch encodes MP3 (its failure told on `notice`).
// `interrupted` is polled while the batch runs; once true the batch is cancelled.
// Failed without drawing anything when the worker would not start.
BatchRunOutcome RunBatchToEnd(std::unique_ptr<ConversionBatch> batch, BatchView& view, UserNotice& notice,
                              const std::function<bool()>& interrupted);

}  // namespace sonvarek
