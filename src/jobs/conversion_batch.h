#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "core/window_messages.h"
#include "jobs/rip_hooks.h"
#include "platform/disk_space.h"
#include "platform/manual_reset_event.h"
#include "platform/message_sink.h"

namespace sonvarek {

class Mp3EncoderLibrary;

// What a batch does with its jobs.
enum class BatchKind {
  CdRip,      // extract each checked track, then encode it in the output format
  EncodeMp3,  // WAV files to MP3
  EncodeOgg,  // WAV files to Ogg Vorbis
  Decode,     // MP3 files to WAV
  Normalize,  // WAV files normalized in place
};

// One batch of jobs, shared by its creator, the worker and the steps. The worker
// owns it once started and releases it (and the jobs) when the batch ends.
struct ConversionBatch {
  BatchKind kind = BatchKind::Normalize;
  OutputFormat outputFormat = OutputFormat::Mp3;  // of a rip, fixed when the batch is made
  MessageSink* progressWindow = nullptr;  // the batch window: phases and progress
  MessageSink* mainWindow = nullptr;      // log lines and the selected track row
  std::string temporaryPath;              // a rip's current temporary WAV file, made by its extraction
  std::shared_ptr<ManualResetEvent> cancelEvent = std::make_shared<ManualResetEvent>();
  std::vector<ConversionJob> jobs;
  size_t currentJob = 0;                  // index into jobs
  bool cancelled = false;                 // a step saw the cancel event; the worker stops after it
  Settings settings;                      // a copy: the worker never reads what the windows change
  const DiskSpaceProbe* diskSpace = &SystemDiskSpaceProbe();
  // Released with the batch: a window that may be destroyed before its worker ends
  // keeps the message end that the worker still holds alive through this.
  std::shared_ptr<const void> windowKeepAlive;
  // CD rips only: the CD side (the drive, the rip report), which reads each track and
  // writes the rip log and CUE sheet at the end.
  std::shared_ptr<RipHooks> rip;

  // The kind and the format say what the batch flags of the windows' design say.
  bool fromFiles() const { return kind != BatchKind::CdRip; }
  bool oggOutput() const { return kind == BatchKind::EncodeOgg || (!fromFiles() && outputFormat == OutputFormat::Ogg); }
  // A rip writes its WAV as the final output; file batches have no temporary file.
  bool noTemporaryFile() const { return fromFiles() || outputFormat == OutputFormat::Wav; }

  ConversionJob& CurrentJob() { return jobs.at(currentJob); }
  bool CancelRequested() const { return cancelEvent->IsSet(); }
  // A step's poll of the cancel event: when it is set, logs the user's cancel, sets
  // `cancelled` and returns true, and the step stops where it is.
  bool StopIfCancelled();
  void Log(std::string line) const;
  void PostProgress(Message id, int64_t thousandths, int64_t elapsedMs) const;
};

// How a batch ended, handed to the batch window as a value of its own: the files
// made in job order, the folder of the last job, and the folder to open (empty
// unless the settings ask for it). The window never reads the batch itself, which
// the worker releases as soon as the batch ends.
struct BatchEnd final : MessagePayload {
  std::vector<std::string> files;
  std::string folder;
  std::string folderToOpen;
  // A CD rip's AccurateRip verdict per track ("Track N: verdict") and its log file.
  std::vector<std::string> verdicts;
  std::string ripLogPath;
};

// The end of a batch as it stands now.
std::shared_ptr<const BatchEnd> MakeBatchEnd(const ConversionBatch& batch);

// The output path of a CD track's job by the naming rule under the effective output
// folder, its subfolders made. Nothing, after the log line that says so, when the
// expanded rule would lead outside that folder.
std::optional<std::string> TrackOutputPath(ConversionBatch& batch, const ConversionJob& job,
                                           std::string_view extension);

// The step functions of the workers, one table so that each step plugs in without
// the engine knowing it. A step returns 1 on success (also after a cancel, with
// `cancelled` set) and 0 after it logged a failure.
using JobStep = std::function<int(ConversionBatch& batch)>;
using DecodeStep =
    std::function<int(const std::string& source, const std::string& output, int32_t rate, ConversionBatch& batch)>;

struct StepTable {
  JobStep extract;
  JobStep encodeMp3;
  JobStep encodeOgg;
  DecodeStep decode;
  JobStep normalize;
  // After the last job of a CD rip, however the batch ended: the AccurateRip look-up,
  // the rip log and the CUE sheet. Returns 0 after a logged failure.
  JobStep finishRip;
};

// The program's one step table, the MP3 step bound to `library` (none: each MP3
// step fails to initialise). A rip's extraction and finish are its batch's RipHooks;
// a rip batch without them logs that CD extraction is not available and fails.
StepTable ProgramSteps(const Mp3EncoderLibrary* library);

}  // namespace sonvarek
