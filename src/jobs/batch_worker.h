#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

#include "jobs/conversion_batch.h"

namespace sonvarek {

// Runs a batch to its end on the calling thread, in the step order of its kind,
// and ends it with exactly one BatchSucceeded or BatchFailed sent to the progress
// window; a success carries the batch's end (BatchEnd) as its payload, since the
// batch itself is released as soon as it ends. A cancel ends the batch as a success
// after the step that saw it.
void RunBatch(ConversionBatch& batch, const StepTable& steps);

// The worker's nice value for `ThreadPriority` 0..4 (lowest … highest: +10, +5,
// 0, −5, −10). A value outside 0..4 is corrected to 2 in the setting itself.
int NiceForThreadPriority(int32_t& threadPriority);

// The one conversion worker of a window. Only one batch runs at a time: a second
// start while a worker still runs (its window closed early, say) is refused, so
// that no two workers ever share a batch record or its events.
class BatchRunner {
 public:
  BatchRunner() = default;
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;
  ~BatchRunner() { Wait(); }

  // Starts the worker thread at `nice`; the worker owns the batch from now on and
  // releases it when the batch ends. False (and the batch dropped unstarted) while
  // an earlier worker runs.
  bool Start(std::unique_ptr<ConversionBatch> batch, StepTable steps, int nice);
  bool IsRunning() const { return running_.load(); }
  void Wait();
  // Waits at most `timeout` for the running worker to end; true when none runs.
  bool WaitFor(std::chrono::milliseconds timeout);

 private:
  std::thread worker_;
  std::atomic<bool> running_{false};
  ManualResetEvent finished_{true};
};

}  // namespace sonvarek
