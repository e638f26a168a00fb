#include "jobs/batch_worker.h"


#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/output_clash.h"
#include "jobs/step_files.h"
#include "platform/folders.h"
#include "platform/staged_file.h"
#include "platform/thread_priority.h"

namespace sonvarek {
namespace {

void End(ConversionBatch& batch, bool succeeded) {
  if (batch.progressWindow == nullptr) return;
  if (!succeeded) return batch.progressWindow->Send({Message::BatchFailed, 0, 0, {}, {}});
  batch.progressWindow->Send({Message::BatchSucceeded, 0, 0, {}, MakeBatchEnd(batch)});
}

void SendJobStarts(ConversionBatch& batch, const ConversionJob& job) {
  if (batch.progressWindow != nullptr) batch.progressWindow->Send({Message::JobPhase, Wire(JobPhaseCode::JobStarts), 0, job.sourceName, {}});
}

// The outcome of one step for the worker loop: go on, or end with success/failure.
enum class Next { Continue, Succeed, Fail };

// A cancel ends the batch like a success, also where the cancelled step returned 0.
Next AfterStep(const ConversionBatch& batch, int result) {
  if (batch.cancelled) return Next::Succeed;
  return result == 0 ? Next::Fail : Next::Continue;
}

// A temporary WAV file of a rip is gone when its job ends, however it ends: after a
// failed encoding nobody would ever find it in the temporary folder.
class TemporaryWavOfJob {
 public:
  explicit TemporaryWavOfJob(ConversionBatch& batch) : batch_(batch) {}
  ~TemporaryWavOfJob() {
    std::string ignored;  // a leftover in the temporary folder is harmless; nothing to report
    RemoveTemporaryWav(batch_, ignored);
    batch_.temporaryPath.clear();
  }
  TemporaryWavOfJob(const TemporaryWavOfJob&) = delete;
  TemporaryWavOfJob& operator=(const TemporaryWavOfJob&) = delete;

 private:
  ConversionBatch& batch_;
};

// The CD side learns how the track's job ended.
Next NoteTrackOutcome(ConversionBatch& batch, Next next) {
  if (!batch.rip) return next;
  RipJobEnd end = RipJobEnd::Done;
  if (batch.cancelled) {
    end = RipJobEnd::Cancelled;
  } else if (next == Next::Fail) {
    end = RipJobEnd::Failed;
  }
  batch.rip->JobEnded(batch, end);
  return next;
}

Next RipSteps(ConversionBatch& batch, const StepTable& steps) {
  ConversionJob& job = batch.CurrentJob();
  TemporaryWavOfJob temporary(batch);
  if (batch.progressWindow != nullptr) batch.progressWindow->Post({Message::JobPhase, Wire(JobPhaseCode::JobStarts), 0, job.sourceName, {}});
  if (batch.mainWindow != nullptr) batch.mainWindow->Post({Message::SelectTrackRow, job.trackIndex, 0, {}});
  Next next = AfterStep(batch, steps.extract(batch));
  if (next != Next::Continue) return next;
  if (batch.outputFormat == OutputFormat::Mp3) return AfterStep(batch, steps.encodeMp3(batch));
  if (batch.outputFormat == OutputFormat::Ogg) return AfterStep(batch, steps.encodeOgg(batch));
  return Next::Continue;
}

Next RipJob(ConversionBatch& batch, const StepTable& steps) { return NoteTrackOutcome(batch, RipSteps(batch, steps)); }

// A rip's look-up, log and CUE sheet come last, also after a failure or a cancel: the
// log then says what went wrong. A log that cannot be written fails the batch.
void EndRip(ConversionBatch& batch, const StepTable& steps, bool succeeded) {
  if (batch.kind == BatchKind::CdRip && steps.finishRip && steps.finishRip(batch) == 0) {
    succeeded = false;
  }
  End(batch, succeeded);
}

Next EncodeJob(ConversionBatch& batch, const StepTable& steps) {
  SendJobStarts(batch, batch.CurrentJob());
  return AfterStep(batch, batch.oggOutput() ? steps.encodeOgg(batch) : steps.encodeMp3(batch));
}

Next DecodeJob(ConversionBatch& batch, const StepTable& steps) {
  ConversionJob& job = batch.CurrentJob();
  job.outputPath = PlannedOutputPath(batch, BatchKind::Decode, job);
  job.outputFolder = batch.settings.effectiveOutputFolder;
  SendJobStarts(batch, job);
  return AfterStep(batch, steps.decode(job.sourceName, job.outputPath, 24000, batch));
}

Next NormalizeJob(ConversionBatch& batch, const StepTable& steps) {
  ConversionJob& job = batch.CurrentJob();
  job.outputPath = job.sourceName;  // changed in place
  job.outputFolder = batch.settings.effectiveOutputFolder;
  SendJobStarts(batch, job);
  return AfterStep(batch, steps.normalize(batch));
}

bool WritesIntoOutputFolder(BatchKind kind) { return kind != BatchKind::Normalize; }

// A folder we cannot write into fails the batch before a track is read, not after
// the first track was read in vain. The test is a real file, since permissions
// alone do not tell (read-only mounts, root).
bool OutputFolderWritable(const ConversionBatch& batch) {
  const std::string& folder = batch.settings.effectiveOutputFolder;
  MakeSureDirectoryPathExists(folder);
  StagedFile probe = StagedFile::Create(WithOneTrailingSlash(folder) + "write-test");
  if (probe.IsOpen()) return true;
  batch.Log(FormatLogLine(logformat::kErrorOutputFolderNotWritable, folder, probe.ErrorText()));
  return false;
}

// Checks that need no track read and no file opened; false after the log line.
bool Preflight(ConversionBatch& batch, BatchKind kind) {
  if (std::optional<OutputClash> clash = FindOutputClash(batch, kind)) {
    batch.Log(FormatLogLine(logformat::kErrorOutputClash, clash->firstSource, clash->secondSource, clash->path));
    return false;
  }
  return !WritesIntoOutputFolder(kind) || batch.jobs.empty() || OutputFolderWritable(batch);
}

// After a failure the user learns which jobs of the batch were never started.
void LogJobsNotDone(const ConversionBatch& batch) {
  std::string names;
  for (size_t i = batch.currentJob + 1; i < batch.jobs.size(); ++i) {
    names += (names.empty() ? "" : ", ") + batch.jobs[i].sourceName;
  }
  if (!names.empty()) batch.Log(FormatLogLine(logformat::kNotDone, names));
}

}  // namespace

void RunBatch(ConversionBatch& batch, const StepTable& steps) {
  const BatchKind kind = batch.kind;
  if (!Preflight(batch, kind)) return End(batch, false);
  for (batch.currentJob = 0; batch.currentJob < batch.jobs.size(); ++batch.currentJob) {
    Next next = Next::Continue;
    switch (kind) {
      case BatchKind::CdRip: next = RipJob(batch, steps); break;
      case BatchKind::EncodeMp3:
      case BatchKind::EncodeOgg: next = EncodeJob(batch, steps); break;
      case BatchKind::Decode: next = DecodeJob(batch, steps); break;
      case BatchKind::Normalize: next = NormalizeJob(batch, steps); break;
    }
    if (next == Next::Fail) {
      LogJobsNotDone(batch);
      return EndRip(batch, steps, false);
    }
    if (next == Next::Succeed) return EndRip(batch, steps, true);
  }
  EndRip(batch, steps, true);
}

int NiceForThreadPriority(int32_t& threadPriority) {
  if (threadPriority < 0 || threadPriority > 4) threadPriority = 2;
  static constexpr int kNice[] = {10, 5, 0, -5, -10};
  return kNice[threadPriority];
}

bool BatchRunner::Start(std::unique_ptr<ConversionBatch> batch, StepTable steps, int nice) {
  if (running_.load()) return false;
  if (worker_.joinable()) worker_.join();
  running_.store(true);
  finished_.Reset();
  worker_ = std::thread([this, owned = std::move(batch), steps = std::move(steps), nice]() mutable {
    SetCurrentThreadNice(nice);
    RunBatch(*owned, steps);
    owned.reset();
    running_.store(false);
    finished_.Set();
  });
  return true;
}

bool BatchRunner::WaitFor(std::chrono::milliseconds timeout) { return finished_.WaitFor(timeout); }

void BatchRunner::Wait() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace sonvarek
