#include "jobs/output_clash.h"

#include <filesystem>
#include <map>

#include "core/output_naming.h"

namespace sonvarek {
namespace {

const char* RipExtension(OutputFormat outputFormat) {
  switch (outputFormat) {
    case OutputFormat::Wav: return ".WAV";
    case OutputFormat::Ogg: return ".ogg";
    case OutputFormat::Mp3: break;
  }
  return ".MP3";
}

// Two spellings of one file ("a//b", "a/./b", a link to it) compare equal.
std::string Comparable(const std::string& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::path(path).lexically_normal().string() : canonical.string();
}

}  // namespace

std::string PlannedOutputPath(const ConversionBatch& batch, BatchKind kind, const ConversionJob& job) {
  const std::string& folder = batch.settings.effectiveOutputFolder;
  switch (kind) {
    case BatchKind::CdRip: return ExpandOutputPath(job, folder, RipExtension(batch.outputFormat), batch.settings);
    case BatchKind::EncodeMp3: return ConvertedOutputPath(job.sourceName, folder, ".MP3");
    case BatchKind::EncodeOgg: return ConvertedOutputPath(job.sourceName, folder, ".ogg");
    case BatchKind::Decode: return ConvertedOutputPath(job.sourceName, folder, ".WAV");
    case BatchKind::Normalize: return job.sourceName;
  }
  return job.sourceName;
}

std::optional<OutputClash> FindOutputClash(const ConversionBatch& batch, BatchKind kind) {
  std::map<std::string, const ConversionJob*> seen;
  for (const ConversionJob& job : batch.jobs) {
    std::string path = PlannedOutputPath(batch, kind, job);
    auto [earlier, added] = seen.emplace(Comparable(path), &job);
    if (!added) return OutputClash{earlier->second->sourceName, job.sourceName, path};
  }
  return std::nullopt;
}

}  // namespace sonvarek
