#include "jobs/step_files.h"

#include <filesystem>

#include "core/output_naming.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"

namespace sonvarek {

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

std::string InputPathOf(const ConversionBatch& batch, const ConversionJob& job) {
  if (batch.fromFiles()) return job.sourceName;
  if (batch.noTemporaryFile()) return job.outputPath;  // the WAV the extraction just made
  return batch.temporaryPath;
}

int LogFileError(const ConversionBatch& batch, const std::string& errorText) {
  batch.Log(FileErrorLine(errorText));
  return 0;
}

bool HasFreeSpaceFor(const ConversionBatch& batch, std::string_view path, uint64_t requiredBytes) {
  FreeSpaceCheck space = CheckFreeDiskSpace(path, requiredBytes, *batch.diskSpace);
  if (!space.enough) batch.Log(FormatLogLine(logformat::kErrorNotEnoughSpace, space.folder));
  return space.enough;
}

bool RemoveTemporaryWav(ConversionBatch& batch, std::string& errorText) {
  if (batch.noTemporaryFile() || batch.temporaryPath.empty()) return true;
  std::error_code error;
  std::filesystem::remove(batch.temporaryPath, error);  // a file already gone needs no deleting
  if (error) errorText = error.message();
  return !error;
}

}  // namespace sonvarek
