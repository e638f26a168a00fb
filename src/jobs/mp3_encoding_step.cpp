#include "jobs/mp3_encoding_step.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <new>
#include <vector>

#include "core/output_naming.h"
#include "core/string_table.h"
#include "jobs/id3_tagging.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/mp3_config_record.h"
#include "jobs/wav_file.h"

namespace sonvarek {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kChunksPerProgress = 10;

int64_t MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

uint32_t NowTicks() {
  auto now = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
  return static_cast<uint32_t>(now.count());
}

// One encoder stream, closed on every exit once it was opened.
class EncoderStream {
 public:
  explicit EncoderStream(const EncoderEntryPoints& entries) : entries_(entries) {}
  EncoderStream(const EncoderStream&) = delete;
  EncoderStream& operator=(const EncoderStream&) = delete;
  ~EncoderStream() { Close(); }

  // A stream that asks for no samples or no buffer would never make progress.
  bool Open(LameEncConfig& config) {
    open_ = entries_.initStream(&config, &samplesPerChunk_, &bufferSize_, &handle_) == BE_ERR_SUCCESSFUL;
    return open_ && samplesPerChunk_ > 0 && bufferSize_ > 0;
  }
  bool Encode(const std::vector<int16_t>& samples, uint32_t count, std::vector<uint8_t>& mp3, uint32_t& produced) {
    return entries_.encodeChunk(handle_, count, samples.data(), mp3.data(), &produced) == BE_ERR_SUCCESSFUL &&
           produced <= mp3.size();
  }
  bool Deinit(std::vector<uint8_t>& mp3, uint32_t& produced) {
    return entries_.deinitStream(handle_, mp3.data(), &produced) == BE_ERR_SUCCESSFUL && produced <= mp3.size();
  }
  void Close() {
    if (open_) entries_.closeStream(handle_);
    open_ = false;
  }
  uint32_t SamplesPerChunk() const { return samplesPerChunk_; }
  uint32_t BufferSize() const { return bufferSize_; }

 private:
  const EncoderEntryPoints& entries_;
  HBE_STREAM handle_ = 0;
  uint32_t samplesPerChunk_ = 0;
  uint32_t bufferSize_ = 0;
  bool open_ = false;
};

template <typename T>
bool TryAllocate(std::vector<T>& buffer, size_t size) {
  try {
    buffer.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

enum class Outcome { Done, Cancelled, EncoderFailed, FileFailed };

// What the chunk loop, the tail and the flush work on.
struct Encoding {
  File& input;
  File& output;
  EncoderStream& stream;
  std::vector<int16_t>& samples;
  std::vector<uint8_t>& mp3;
  uint64_t total = 0;
  uint64_t consumed = 0;
  Clock::time_point start;
  std::string fileError;  // the file layer's text when the outcome is FileFailed
};

Outcome FileFailure(Encoding& work, const File& file) {
  work.fileError = file.ErrorText();
  return Outcome::FileFailed;
}

// Reads exactly `bytes` into the sample buffer; a file that ends early is an error.
Outcome ReadSamples(Encoding& work, size_t bytes) {
  int64_t count = work.input.Read(work.samples.data(), bytes);
  if (count < 0) return FileFailure(work, work.input);
  if (static_cast<size_t>(count) != bytes) {
    work.fileError = text::kUnexpectedEndOfFile;
    return Outcome::FileFailed;
  }
  return Outcome::Done;
}

Outcome EncodeAndWrite(Encoding& work, uint32_t sampleCount) {
  uint32_t produced = 0;
  if (!work.stream.Encode(work.samples, sampleCount, work.mp3, produced)) return Outcome::EncoderFailed;
  if (produced > 0 && !work.output.WriteAll(work.mp3.data(), produced)) return FileFailure(work, work.output);
  return Outcome::Done;
}

int64_t Thousandths(uint64_t consumed, uint64_t total) {
  uint64_t perMille = std::max<uint64_t>(total / 1000, 1);
  return static_cast<int64_t>(std::min<uint64_t>(consumed / perMille, 1000));
}

Outcome EncodeChunks(ConversionBatch& batch, Encoding& work) {
  const uint32_t chunkSamples = work.stream.SamplesPerChunk();
  const uint64_t chunkBytes = uint64_t{chunkSamples} * 2;
  uint64_t chunks = 0;
  while (work.total - work.consumed >= chunkBytes) {
    if (batch.CancelRequested()) {
      batch.Log(FormatLogLine(logformat::kUserCanceled));
      batch.cancelled = true;
      return Outcome::Cancelled;
    }
    if (Outcome read = ReadSamples(work, chunkBytes); read != Outcome::Done) return read;
    if (Outcome encoded = EncodeAndWrite(work, chunkSamples); encoded != Outcome::Done) return encoded;
    work.consumed += chunkBytes;
    if (++chunks % kChunksPerProgress == 0) {
      batch.PostProgress(Message::EncodeProgress, Thousandths(work.consumed, work.total),
                         MillisecondsSince(work.start));
    }
  }
  return Outcome::Done;
}

// The samples after the last whole chunk, fewer than one chunk.
Outcome EncodeTail(Encoding& work) {
  const auto remaining = static_cast<size_t>(work.total - work.consumed);
  if (Outcome read = ReadSamples(work, remaining); read != Outcome::Done) return read;
  return EncodeAndWrite(work, static_cast<uint32_t>(remaining / 2));
}

Outcome Flush(Encoding& work) {
  uint32_t produced = 0;
  if (!work.stream.Deinit(work.mp3, produced)) return Outcome::EncoderFailed;
  if (produced > 0 && !work.output.WriteAll(work.mp3.data(), produced)) return FileFailure(work, work.output);
  return Outcome::Done;
}

int LogFailure(ConversionBatch& batch, const char* format) {
  batch.Log(FormatLogLine(format));
  return 0;
}

int LogFileError(ConversionBatch& batch, const std::string& errorText) {
  batch.Log(FormatLogLine(logformat::kErrorSystem, FormatText(logformat::kFileOperationError, errorText)));
  return 0;
}

std::string OutputPathOf(const ConversionBatch& batch, const ConversionJob& job) {
  const std::string& folder = batch.settings.effectiveOutputFolder;
  if (batch.fromFiles) return ConvertedOutputPath(job.sourceName, folder, ".MP3");
  return BuildOutputPath(job, folder, ".MP3", batch.settings);
}

std::string InputPathOf(const ConversionBatch& batch, const ConversionJob& job) {
  if (batch.fromFiles) return job.sourceName;
  if (batch.noTemporaryFile) return BuildOutputPath(job, batch.settings.effectiveOutputFolder, ".WAV", batch.settings);
  return batch.temporaryPath;
}

// Truncating the output must never destroy the input (a WAV file named "x.MP3" in
// the output folder would otherwise be emptied before it is read).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// A file that is already gone needs no deleting.
bool RemoveFile(const std::string& path, std::string& errorText) {
  std::error_code error;
  std::filesystem::remove(path, error);
  if (error) errorText = error.message();
  return !error;
}

// Steps after the stream was flushed: tags, VBR header, clean-up. 0 after a file error.
int FinishFile(ConversionBatch& batch, const Mp3EncoderLibrary& library, Encoding& work, bool cancelled) {
  ConversionJob& job = batch.CurrentJob();
  const Settings& settings = batch.settings;
  if (job.tags.Comment.empty()) job.tags.Comment = DefaultComment();
  if (settings.EnableID3) {
    std::array<uint8_t, kId3v1TagSize> tag = BuildId3v1Tag(job);
    if (!work.output.WriteAll(tag.data(), tag.size())) return LogFileError(batch, work.output.ErrorText());
  }
  if (!work.output.Close()) return LogFileError(batch, work.output.ErrorText());
  const EncoderEntryPoints* entries = library.EntryPoints();
  if (settings.WriteVBRHeader && settings.EnableVBR && entries->writeVbrHeader != nullptr) {
    entries->writeVbrHeader(job.outputPath.c_str());
  }
  if (settings.EnableID3V2) WriteId3v2Tag(job.outputPath, job);
  work.input.Close();
  batch.PostProgress(Message::EncodeProgress, 1000, MillisecondsSince(work.start));
  std::string errorText;
  if (!batch.noTemporaryFile && !RemoveFile(batch.temporaryPath, errorText)) return LogFileError(batch, errorText);
  if (cancelled && !RemoveFile(job.outputPath, errorText)) return LogFileError(batch, errorText);
  return 1;
}

}  // namespace

int EncodeMp3(ConversionBatch& batch, const Mp3EncoderLibrary* library) {
  ConversionJob& job = batch.CurrentJob();
  const std::string outputPath = OutputPathOf(batch, job);
  const std::string inputPath = InputPathOf(batch, job);
  File output = SameFile(inputPath, outputPath) ? File() : File::Open(outputPath, File::Mode::CreateTruncate);
  if (!output.IsOpen()) {
    batch.Log(FormatLogLine(logformat::kErrorCantOpenFile, outputPath));
    return 0;
  }
  job.outputPath = outputPath;
  job.outputFolder = batch.settings.effectiveOutputFolder;

  OpenedWav wav = OpenWavForReader(WavReader::Mp3Encoder, inputPath);
  if (wav.status != WavOpenStatus::Ok) {
    batch.Log(wav.logLine);
    return 0;
  }
  // The encoder takes one or two channels; other layouts would be encoded as noise.
  if (wav.header.channels != 1 && wav.header.channels != 2) {
    batch.Log(FormatLogLine(logformat::kWavUnsupported, inputPath));
    return 0;
  }
  LameEncConfig config = Mp3ConfigRecord(batch.settings, wav.header);
  batch.Log(FormatLogLine(logformat::kEncoding, job.sourceName));
  if (batch.progressWindow != nullptr) batch.progressWindow->Post({Message::EncodePhase, 0, 0, job.sourceName});

  const EncoderEntryPoints* entries = library != nullptr ? library->EntryPoints() : nullptr;
  if (entries == nullptr) return LogFailure(batch, logformat::kErrorInitializeEncoder);
  EncoderStream stream(*entries);
  if (!stream.Open(config)) return LogFailure(batch, logformat::kErrorInitializeEncoder);
  std::vector<int16_t> samples;
  std::vector<uint8_t> mp3;
  if (!TryAllocate(samples, stream.SamplesPerChunk()) || !TryAllocate(mp3, stream.BufferSize())) {
    return LogFailure(batch, logformat::kErrorOutOfMemory);
  }
  FreeSpaceCheck space = CheckFreeDiskSpace(batch.settings.effectiveOutputFolder, wav.dataSize >> 2, *batch.diskSpace);
  if (!space.enough) {
    batch.Log(FormatLogLine(logformat::kErrorNotEnoughSpace, space.folder));
    return 0;
  }

  Encoding work{wav.file, output, stream, samples, mp3, wav.dataSize, 0, Clock::now(), {}};
  Outcome outcome = EncodeChunks(batch, work);
  const bool cancelled = outcome == Outcome::Cancelled;
  if (outcome == Outcome::Done) outcome = EncodeTail(work);
  if (outcome == Outcome::EncoderFailed) return LogFailure(batch, logformat::kErrorEncodeChunk);
  if (outcome == Outcome::FileFailed) return LogFileError(batch, work.fileError);
  outcome = Flush(work);
  if (outcome == Outcome::EncoderFailed) return LogFailure(batch, logformat::kErrorDeinitStream);
  if (outcome == Outcome::FileFailed) return LogFileError(batch, work.fileError);
  if (FinishFile(batch, *library, work, cancelled) == 0) return 0;

  stream.Close();
  job.startTicks = NowTicks() - job.startTicks;
  if (!cancelled) batch.Log(FormatLogLine(logformat::kEncodingOk, job.sourceName));
  return 1;
}

JobStep Mp3EncodingStep(const Mp3EncoderLibrary* library) {
  return [library](ConversionBatch& batch) { return EncodeMp3(batch, library); };
}

StepTable DefaultStepTable(const Mp3EncoderLibrary& library) {
  StepTable steps = DefaultStepTable();
  steps.encodeMp3 = Mp3EncodingStep(&library);
  return steps;
}

}  // namespace sonvarek
