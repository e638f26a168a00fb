#include "jobs/wav_normalizer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/progress_fraction.h"
#include "jobs/wav_file.h"
#include "platform/staged_file.h"
#include "platform/ticks.h"

namespace sonvarek {
namespace {

// A pass's progress: thousandths done, and milliseconds since the pass began.
WindowMessage Progress(int64_t thousandths, SteadyClock::time_point start) {
  return {Message::ExtractProgress, thousandths, MillisecondsSince(start), {}, {}};
}

// Every possible sample's scaled value, so the per-sample work is one look-up.
class ScaleTable {
 public:
  explicit ScaleTable(double factor) : values_(65536) {
    for (int32_t sample = -32768; sample <= 32767; ++sample) {
      values_[static_cast<uint16_t>(sample)] = ScaleSample(static_cast<int16_t>(sample), factor);
    }
  }
  void Apply(uint8_t* bytes, size_t size) const {
    for (size_t i = 0; i + 1 < size; i += 2) {
      auto scaled = static_cast<uint16_t>(values_[static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8))]);
      bytes[i] = static_cast<uint8_t>(scaled);
      bytes[i + 1] = static_cast<uint8_t>(scaled >> 8);
    }
  }

 private:
  std::vector<int16_t> values_;
};

enum class PassResult { Done, Cancelled, Failed };

struct ScalePass {
  uint64_t progressEvery;  // full blocks between progress messages
  bool sendProgress;       // send (wait for the window) rather than post
};

// Reads a block limited to the data still to go, so that chunks after the data
// (a trailing LIST or id3 chunk) are never taken for samples.
int64_t ReadBlock(File& file, std::vector<uint8_t>& block, uint64_t processed, uint64_t dataSize) {
  size_t wanted = static_cast<size_t>(std::min<uint64_t>(kNormalizeBlockBytes, dataSize - processed));
  return file.Read(block.data(), wanted);
}

// Reads the data block by block until a short block or the data's end, polling the
// cancel event before each block. `process` takes a block's bytes (false: it logged
// a failure); `afterFullBlock` gets the count of full blocks so far.
template <typename Process, typename AfterFullBlock>
PassResult ForEachBlock(File& file, const std::string& path, uint64_t dataSize, ConversionBatch& batch,
                        Process process, AfterFullBlock afterFullBlock) {
  std::vector<uint8_t> block(kNormalizeBlockBytes);
  uint64_t processed = 0;
  uint64_t blocks = 0;
  while (processed < dataSize) {
    if (batch.StopIfCancelled()) return PassResult::Cancelled;
    int64_t count = ReadBlock(file, block, processed, dataSize);
    if (count < 0) {
      batch.Log(FormatLogLine(logformat::kWavCantRead, path));
      return PassResult::Failed;
    }
    if (count == 0) break;
    if (!process(block.data(), static_cast<size_t>(count))) return PassResult::Failed;
    if (static_cast<size_t>(count) < kNormalizeBlockBytes) break;
    ++blocks;
    processed += kNormalizeBlockBytes;
    afterFullBlock(blocks);
  }
  return PassResult::Done;
}

// Where scaled blocks go: back over the blocks read (a file of our own, just
// written) or, in order, into a new file.
struct ScaleTarget {
  File& file;
  bool inPlace;
  int64_t position;  // of the next block, for rewriting in place
};

PassResult ScaleBlocks(File& input, ScaleTarget target, const std::string& path, uint64_t dataSize, double factor,
                       ConversionBatch& batch, MessageSink* window, ScalePass pass, SteadyClock::time_point start) {
  ScaleTable table(factor);
  uint64_t totalBlocks = dataSize / kNormalizeBlockBytes;
  auto rewrite = [&](uint8_t* bytes, size_t count) {
    table.Apply(bytes, count);
    if ((target.inPlace && !target.file.Seek(target.position)) || !target.file.WriteAll(bytes, count)) {
      batch.Log(FormatLogLine(logformat::kErrorWriteFile, path, target.file.ErrorText()));
      return false;
    }
    target.position += static_cast<int64_t>(count);
    return true;
  };
  auto report = [&](uint64_t blocks) {
    if (window == nullptr || blocks % pass.progressEvery != 0) return;
    WindowMessage progress = Progress(ProgressThousandths(blocks, totalBlocks), start);
    if (pass.sendProgress) {
      window->Send(std::move(progress));
    } else {
      window->Post(std::move(progress));
    }
  };
  return ForEachBlock(input, path, dataSize, batch, rewrite, report);
}

// Copies `size` bytes from `from` at `offset` to the end of `to` unchanged.
bool CopyBytes(File& from, uint64_t offset, uint64_t size, File& to) {
  std::vector<uint8_t> buffer(size_t{64} * 1024);
  if (!from.Seek(static_cast<int64_t>(offset))) return false;
  while (size > 0) {
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(size, buffer.size()));
    int64_t count = from.Read(buffer.data(), wanted);
    if (count <= 0) return count == 0;
    if (!to.WriteAll(buffer.data(), static_cast<size_t>(count))) return false;
    size -= static_cast<uint64_t>(count);
  }
  return true;
}

// A link is followed so that its target gets the result and the link stays a link.
std::string ReplacedPath(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  std::filesystem::path target = std::filesystem::canonical(path, error);
  return error ? path : target.string();
}

// Writes the whole file, its samples scaled, into a new file beside it and renames
// that over it only when every byte arrived: a cancel, a full disk or a kill
// leaves the original exactly as it was.
PassResult WriteScaledCopy(OpenedWav& wav, const std::string& path, double factor, ConversionBatch& batch,
                           SteadyClock::time_point start) {
  struct stat original {};
  const mode_t mode = ::fstat(wav.file.descriptor(), &original) == 0 ? original.st_mode : 0644;
  StagedFile staged = StagedFile::Create(ReplacedPath(path), mode);
  if (!staged.IsOpen()) {
    batch.Log(FormatLogLine(logformat::kErrorWriteFile, path, staged.ErrorText()));
    return PassResult::Failed;
  }
  auto copyFailed = [&] {
    batch.Log(FormatLogLine(logformat::kErrorWriteFile, path, staged.file().ErrorText()));
    return PassResult::Failed;
  };
  const uint64_t dataEnd = wav.dataOffset + wav.dataSize;
  if (!CopyBytes(wav.file, 0, wav.dataOffset, staged.file())) return copyFailed();
  PassResult result = ScaleBlocks(wav.file, ScaleTarget{staged.file(), false, 0}, path, wav.dataSize, factor, batch,
                                  batch.progressWindow, ScalePass{30, true}, start);
  if (result != PassResult::Done) return result;
  std::optional<int64_t> size = wav.file.Size();
  if (!size || !CopyBytes(wav.file, dataEnd, static_cast<uint64_t>(*size) - dataEnd, staged.file())) {
    return copyFailed();
  }
  if (!staged.Commit()) {
    batch.Log(FormatLogLine(logformat::kErrorWriteFile, path, staged.ErrorText()));
    return PassResult::Failed;
  }
  return PassResult::Done;
}

PassResult FindPeak(File& file, const std::string& path, uint64_t dataSize, ConversionBatch& batch,
                    SteadyClock::time_point start, PeakMeter& meter) {
  uint64_t totalBlocks = dataSize / kNormalizeBlockBytes;
  auto measure = [&meter](uint8_t* bytes, size_t count) {
    meter.Add(bytes, count);
    return true;
  };
  auto report = [&](uint64_t blocks) {
    if (batch.progressWindow == nullptr || blocks % 50 != 0) return;
    batch.progressWindow->Send(Progress(ProgressThousandths(blocks, totalBlocks), start));
  };
  return ForEachBlock(file, path, dataSize, batch, measure, report);
}

void SendPhase(ConversionBatch& batch, JobPhaseCode phase, const std::string& path) {
  if (batch.progressWindow != nullptr) batch.progressWindow->Send({Message::JobPhase, Wire(phase), 0, path, {}});
}

bool CloseOrLog(File& file, const std::string& path, ConversionBatch& batch) {
  if (file.Close()) return true;
  batch.Log(FormatLogLine(logformat::kErrorWriteFile, path, file.ErrorText()));
  return false;
}

}  // namespace

double NormalizeFactor(int32_t ratioPercent, int32_t peak) {
  if (peak <= 0) return 0.0;
  return ratioPercent * 0.01 * 32767.0 / peak;
}

int16_t ScaleSample(int16_t sample, double factor) {
  auto scaled = static_cast<int64_t>(std::trunc(sample * factor + 0.5));
  return static_cast<int16_t>(static_cast<uint16_t>(scaled & 0xFFFF));
}

void PeakMeter::Add(const uint8_t* bytes, size_t size) {
  int32_t low = minimum;
  int32_t high = maximum;
  for (size_t i = 0; i + 1 < size; i += 2) {
    int32_t sample = static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
    low = std::min(low, sample);
    high = std::max(high, sample);
  }
  minimum = low;
  maximum = high;
}

bool ScaleWavFile(MessageSink* progressWindow, const std::string& path, double factor, ConversionBatch& batch) {
  SteadyClock::time_point start = SteadyClock::now();
  OpenedWav wav = OpenWavForReader(WavReader::Scaler, path);
  if (wav.status != WavOpenStatus::Ok) {
    batch.Log(wav.logLine);
    return false;
  }
  ScaleTarget target{wav.file, true, static_cast<int64_t>(wav.dataOffset)};
  PassResult result =
      ScaleBlocks(wav.file, target, path, wav.dataSize, factor, batch, progressWindow, ScalePass{26, false}, start);
  if (!CloseOrLog(wav.file, path, batch) || result == PassResult::Failed) return false;
  if (result == PassResult::Cancelled) return true;
  if (progressWindow != nullptr) progressWindow->Post(Progress(1000, start));
  return true;
}

int NormalizeWavFile(const std::string& path, ConversionBatch& batch) {
  SteadyClock::time_point start = SteadyClock::now();
  OpenedWav wav = OpenWavForReader(WavReader::Normalizer, path);
  if (wav.status != WavOpenStatus::Ok) {
    batch.Log(wav.logLine);
    return 0;
  }
  SendPhase(batch, JobPhaseCode::SeekingPeak, path);
  PeakMeter meter;
  if (FindPeak(wav.file, path, wav.dataSize, batch, start, meter) != PassResult::Done) return 0;

  double factor = NormalizeFactor(batch.settings.NormalizeRatio, meter.Peak());
  SendPhase(batch, JobPhaseCode::Normalizing, path);
  start = SteadyClock::now();
  // A silent file has no peak to scale to and stays as it is.
  if (factor > 0.0 && WriteScaledCopy(wav, path, factor, batch, start) != PassResult::Done) return 0;
  if (batch.progressWindow != nullptr) batch.progressWindow->Send(Progress(1000, start));
  return 1;
}

}  // namespace sonvarek
