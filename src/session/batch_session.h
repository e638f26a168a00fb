#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/batch_worker.h"
#include "jobs/conversion_batch.h"
#include "jobs/mp3_encoder_library.h"
#include "session/disc_session.h"

namespace sonvarek {

// The absolute, normal form of a path the user gave (as it is when that fails).
std::string AbsolutePath(std::string_view path);

// Makes `folder` (absolute, so that play lists and file lists name the files made
// wherever they are read) the output folder of this run, creating it. False when it
// cannot be made; the settings are then unchanged.
bool UseOutputFolder(Settings& settings, std::string_view folder);

// A file batch of `kind` (encode, decode, normalize): one job per file in the order
// given, each path absolute, with a copy of `settings`.
std::unique_ptr<ConversionBatch> MakeFileBatch(BatchKind kind, const std::vector<std::string>& files,
                                               const Settings& settings);

// A rip of the tracks checked in the session's list, in list order, from its drive,
// with a copy of `settings`. Nothing when no track is checked or no drive is open
// (the caller shows text::kSelectOneItem).
std::unique_ptr<ConversionBatch> MakeRipBatch(DiscSession& session, const Settings& settings);

// Runs the program's batches, one at a time, each on its worker thread at the nice
// value of its ThreadPriority setting, with the program's step table made once.
// The batch's end reaches the batch window as its BatchSucceeded/BatchFailed
// message (the files made travel with it as a value).
class BatchController {
 public:
  explicit BatchController(const Mp3EncoderLibrary& library);

  // Starts the batch with these windows. False (the batch dropped unstarted) while
  // an earlier batch still runs.
  bool Start(std::unique_ptr<ConversionBatch> batch, MessageSink& batchWindow, MessageSink& mainWindow);
  // The Abort button: the running batch stops at its next cancel check.
  void Cancel();
  bool CancelRequested() const;
  bool IsRunning() const { return runner_.IsRunning(); }
  // Waits at most `timeout` for the running batch to end; true when none runs.
  bool WaitFor(std::chrono::milliseconds timeout) { return runner_.WaitFor(timeout); }
  void Wait() { runner_.Wait(); }

 private:
  StepTable steps_;
  BatchRunner runner_;
  std::shared_ptr<ManualResetEvent> cancel_;
};

}  // namespace sonvarek
