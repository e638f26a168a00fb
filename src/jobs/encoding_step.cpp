#include <algorithm>
#include <optional>
#include <vector>

#include "core/string_table.h"
#include "jobs/encoder.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/output_clash.h"
#include "jobs/progress_fraction.h"
#include "jobs/step_files.h"
#include "platform/buffer_resize.h"
#include "platform/ticks.h"

namespace sonvarek {
namespace {

constexpr uint64_t kBlocksPerProgress = 10;

// Nothing (after the log line) when the naming rule leads outside the output folder.
std::optional<std::string> OutputPathOf(ConversionBatch& batch, const ConversionJob& job,
                                        const EncodingFormat& format) {
  if (batch.fromFiles()) return PlannedOutputPath(batch, format.fileBatch, job);
  return TrackOutputPath(batch, job, format.extension);
}

// The input as checked, or nothing after the log line: a bad input costs nothing and
// leaves no file.
std::optional<OpenedWav> OpenInput(ConversionBatch& batch, const std::string& inputPath,
                                   const std::string& outputPath, const EncodingFormat& format) {
  OpenedWav wav = OpenWavForReader(format.reader, inputPath);
  if (wav.status != WavOpenStatus::Ok) {
    batch.Log(wav.logLine);
    return std::nullopt;
  }
  if (SameFile(inputPath, outputPath)) {
    batch.Log(FormatLogLine(logformat::kErrorCantOpenFile, outputPath));
    return std::nullopt;
  }
  return wav;
}

int Fail(const ConversionBatch& batch, const EncoderResult& result) {
  batch.Log(result.failureLine);
  return 0;
}

struct Blocks {
  File& input;
  uint64_t total;  // sample bytes of the input
  SteadyClock::time_point start;
};

// Reads the input block by block into the encoder, polling the cancel event before each
// (a cancel ends the reading with the batch's `cancelled` set).
EncoderResult EncodeBlocks(ConversionBatch& batch, Encoder& encoder, Blocks& work) {
  std::vector<uint8_t> block;
  if (!TryResize(block, std::max<size_t>(encoder.BlockBytes(), 1))) {
    return EncoderResult::Failure(FormatLogLine(logformat::kErrorOutOfMemory));
  }
  uint64_t consumed = 0;
  uint64_t blocks = 0;
  while (consumed < work.total) {
    if (batch.StopIfCancelled()) return EncoderResult::Success();
    const auto bytes = static_cast<size_t>(std::min<uint64_t>(block.size(), work.total - consumed));
    const int64_t count = work.input.Read(block.data(), bytes);
    if (count < 0) return EncoderResult::Failure(FileErrorLine(work.input.ErrorText()));
    if (static_cast<size_t>(count) != bytes) return EncoderResult::Failure(FileErrorLine(text::kUnexpectedEndOfFile));
    if (EncoderResult written = encoder.Write(block.data(), bytes); !written.Ok()) return written;
    consumed += bytes;
    if (++blocks % kBlocksPerProgress == 0) {
      batch.PostProgress(Message::EncodeProgress, ProgressThousandths(consumed, work.total),
                         MillisecondsSince(work.start));
    }
  }
  return EncoderResult::Success();
}

// The end of the job's encoding however it went on: the last progress, the rip's
// temporary WAV file gone, the job's time.
int EndJob(ConversionBatch& batch, ConversionJob& job, SteadyClock::time_point start) {
  batch.PostProgress(Message::EncodeProgress, 1000, MillisecondsSince(start));
  std::string errorText;
  if (!RemoveTemporaryWav(batch, errorText)) return LogFileError(batch, errorText);
  job.startTicks = TickCount() - job.startTicks;
  return 1;
}

}  // namespace

int EncodeWith(ConversionBatch& batch, Encoder& encoder, const EncodingFormat& format) {
  ConversionJob& job = batch.CurrentJob();
  std::optional<std::string> outputPath = OutputPathOf(batch, job, format);
  if (!outputPath) return 0;
  std::optional<OpenedWav> wav = OpenInput(batch, InputPathOf(batch, job), *outputPath, format);
  if (!wav) return 0;
  job.outputPath = *outputPath;
  job.outputFolder = batch.settings.effectiveOutputFolder;
  batch.Log(FormatLogLine(logformat::kEncoding, job.sourceName));
  if (batch.progressWindow != nullptr) {
    batch.progressWindow->Post({Message::EncodePhase, Wire(format.phase), 0, job.sourceName, {}});
  }
  if (EncoderResult opened = encoder.Open(wav->header, job); !opened.Ok()) return Fail(batch, opened);
  if (!HasFreeSpaceFor(batch, batch.settings.effectiveOutputFolder, wav->dataSize >> 2)) return 0;
  StagedFile staged = StagedFile::Create(*outputPath);
  if (!staged.IsOpen()) {
    batch.Log(FormatLogLine(logformat::kErrorCantOpenFile, *outputPath));
    return 0;
  }

  Blocks work{wav->file, wav->dataSize, SteadyClock::now()};
  if (EncoderResult started = encoder.Start(staged); !started.Ok()) return Fail(batch, started);
  if (EncoderResult encoded = EncodeBlocks(batch, encoder, work); !encoded.Ok()) return Fail(batch, encoded);
  if (batch.cancelled) {
    encoder.Discard();
    staged.Discard();
    return EndJob(batch, job, work.start);
  }
  if (EncoderResult finished = encoder.Finish(staged); !finished.Ok()) return Fail(batch, finished);
  wav->file.Close();
  if (!staged.Commit()) return LogFileError(batch, staged.ErrorText());
  if (EndJob(batch, job, work.start) == 0) return 0;
  batch.Log(FormatLogLine(logformat::kEncodingOk, job.sourceName));
  return 1;
}

}  // namespace sonvarek
