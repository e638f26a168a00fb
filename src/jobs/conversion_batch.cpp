#include "jobs/conversion_batch.h"

#include "core/output_naming.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/mp3_decoding_step.h"
#include "jobs/mp3_encoder.h"
#include "jobs/ogg_encoder.h"
#include "jobs/wav_normalizer.h"

namespace sonvarek {
namespace {

// A rip whose batch has no CD side cannot read a track.
int ExtractFromRip(ConversionBatch& batch) {
  if (batch.rip) return batch.rip->Extract(batch);
  batch.Log(FormatLogLine(logformat::kErrorStepUnavailable, std::string("CD extraction")));
  return 0;
}

int FinishOfRip(ConversionBatch& batch) { return batch.rip ? batch.rip->Finish(batch) : 1; }

}  // namespace

void ConversionBatch::Log(std::string line) const {
  if (mainWindow != nullptr) SendLogLine(*mainWindow, std::move(line));
}

bool ConversionBatch::StopIfCancelled() {
  if (!CancelRequested()) return false;
  Log(FormatLogLine(logformat::kUserCanceled));
  cancelled = true;
  return true;
}

void ConversionBatch::PostProgress(Message id, int64_t thousandths, int64_t elapsedMs) const {
  if (progressWindow != nullptr) progressWindow->Post({id, thousandths, elapsedMs, {}});
}

std::shared_ptr<const BatchEnd> MakeBatchEnd(const ConversionBatch& batch) {
  auto end = std::make_shared<BatchEnd>();
  for (const ConversionJob& job : batch.jobs) {
    end->files.push_back(job.outputPath);
    end->folder = job.outputFolder;
  }
  if (batch.settings.bOpenOutputFolder != 0) end->folderToOpen = batch.settings.OutputFolder;
  if (batch.rip) batch.rip->DescribeEnd(*end);
  return end;
}

std::optional<std::string> TrackOutputPath(ConversionBatch& batch, const ConversionJob& job,
                                           std::string_view extension) {
  const std::string& folder = batch.settings.effectiveOutputFolder;
  std::optional<std::string> path = BuildOutputPath(job, folder, extension, batch.settings);
  if (!path) batch.Log(FormatLogLine(logformat::kErrorOutsideOutputFolder, job.sourceName, folder));
  return path;
}

StepTable ProgramSteps(const Mp3EncoderLibrary* library) {
  StepTable steps;
  steps.extract = ExtractFromRip;
  steps.encodeMp3 = Mp3EncodingStep(library);
  steps.encodeOgg = OggEncodingStep();
  steps.decode = Mp3DecodingStep();
  steps.normalize = [](ConversionBatch& batch) { return NormalizeWavFile(batch.CurrentJob().sourceName, batch); };
  steps.finishRip = FinishOfRip;
  return steps;
}

}  // namespace sonvarek
