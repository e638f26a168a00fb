#include "jobs/mp3_encoding_step.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/output_naming.h"
#include "core/string_table.h"
#include "jobs/id3_tagging.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/mp3_config_record.h"
#include "jobs/output_clash.h"
#include "jobs/wav_file.h"
#include "mpegdec/stream_walk.h"
#include "platform/buffer_resize.h"
#include "platform/staged_file.h"
#include "platform/ticks.h"

namespace sonvarek {
namespace {

constexpr uint64_t kChunksPerProgress = 10;

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
  uint64_t written = 0;  // bytes of the MP3 file so far
  SteadyClock::time_point start;
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
  work.written += produced;
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
    if (batch.StopIfCancelled()) return Outcome::Cancelled;
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
  work.written += produced;
  return Outcome::Done;
}

int LogFailure(ConversionBatch& batch, const char* format) {
  batch.Log(FormatLogLine(format));
  return 0;
}

int LogFileError(ConversionBatch& batch, const std::string& errorText) {
  batch.Log(FileErrorLine(errorText));
  return 0;
}

// Nothing (after the log line) when the naming rule leads outside the output folder.
std::optional<std::string> OutputPathOf(ConversionBatch& batch, const ConversionJob& job) {
  if (batch.fromFiles()) return PlannedOutputPath(batch, BatchKind::EncodeMp3, job);
  return TrackOutputPath(batch, job, ".MP3");
}

std::string InputPathOf(const ConversionBatch& batch, const ConversionJob& job) {
  if (batch.fromFiles()) return job.sourceName;
  if (batch.noTemporaryFile()) return job.outputPath;  // the WAV the extraction just made
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

// The ID3v2 writer rewrites the file through a copy of its own; a full disk can cut
// that copy short without a word. What the file must hold afterwards: one ID3v2 tag,
// then exactly the bytes we wrote, ending in our ID3v1 tag when there is one.
bool TaggedFileIsWhole(const std::string& path, uint64_t streamBytes, const std::array<uint8_t, kId3v1TagSize>* tail) {
  File file = File::Open(path, File::Mode::Read);
  std::optional<int64_t> size = file.IsOpen() ? file.Size() : std::nullopt;
  uint8_t head[10];
  if (!size || file.Read(head, sizeof head) != static_cast<int64_t>(sizeof head)) return false;
  const uint64_t tagSize = mpegdec::Id3v2AnnouncedSize(head);
  if (tagSize == 0 || static_cast<uint64_t>(*size) != tagSize + streamBytes) return false;
  if (tail == nullptr) return true;
  std::array<uint8_t, kId3v1TagSize> last{};
  return file.Seek(*size - static_cast<int64_t>(last.size())) &&
         file.Read(last.data(), last.size()) == static_cast<int64_t>(last.size()) && last == *tail;
}

// What the rewriting may have left beside the staged file when it failed.
void RemoveTagWriterLeftovers(const std::string& stagingPath) {
  std::filesystem::path staged(stagingPath);
  const std::string prefix = staged.filename().string() + ".";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(staged.parent_path(), error)) {
    std::string name = entry.path().filename().string();
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

// Steps after the stream was flushed: ID3v1 tag, VBR header, ID3v2 tag, then the file
// takes its name (not after a cancel). 0 after a file error; the name then keeps
// whatever it had before.
int FinishFile(ConversionBatch& batch, const Mp3EncoderLibrary& library, Encoding& work, StagedFile& staged,
               bool cancelled) {
  ConversionJob& job = batch.CurrentJob();
  const Settings& settings = batch.settings;
  if (job.tags.Comment.empty()) job.tags.Comment = DefaultComment();
  std::array<uint8_t, kId3v1TagSize> id3v1 = BuildId3v1Tag(job);
  if (settings.EnableID3) {
    if (!work.output.WriteAll(id3v1.data(), id3v1.size())) return LogFileError(batch, work.output.ErrorText());
    work.written += id3v1.size();
  }
  if (!staged.Close()) return LogFileError(batch, staged.ErrorText());
  const EncoderEntryPoints* entries = library.EntryPoints();
  if (!cancelled && settings.WriteVBRHeader && settings.EnableVBR && entries->writeVbrHeader != nullptr) {
    entries->writeVbrHeader(staged.stagingPath().c_str());
  }
  if (!cancelled && settings.EnableID3V2) {
    WriteId3v2Tag(staged.stagingPath(), job);
    if (!TaggedFileIsWhole(staged.stagingPath(), work.written, settings.EnableID3 ? &id3v1 : nullptr)) {
      RemoveTagWriterLeftovers(staged.stagingPath());
      return LogFileError(batch, text::kTagUpdateFailed);
    }
  }
  work.input.Close();
  batch.PostProgress(Message::EncodeProgress, 1000, MillisecondsSince(work.start));
  std::string errorText;
  if (!batch.noTemporaryFile() && !RemoveFile(batch.temporaryPath, errorText)) return LogFileError(batch, errorText);
  if (cancelled) {
    staged.Discard();
    return 1;
  }
  return staged.Commit() ? 1 : LogFileError(batch, staged.ErrorText());
}

}  // namespace

int EncodeMp3(ConversionBatch& batch, const Mp3EncoderLibrary* library) {
  ConversionJob& job = batch.CurrentJob();
  std::optional<std::string> outputPath = OutputPathOf(batch, job);
  if (!outputPath) return 0;
  const std::string inputPath = InputPathOf(batch, job);
  // Validate the input before anything is created, so a bad input costs nothing.
  OpenedWav wav = OpenWavForReader(WavReader::Mp3Encoder, inputPath);
  if (wav.status != WavOpenStatus::Ok) {
    batch.Log(wav.logLine);
    return 0;
  }
  // Replacing the input by its own output would lose the input.
  if (SameFile(inputPath, *outputPath)) {
    batch.Log(FormatLogLine(logformat::kErrorCantOpenFile, *outputPath));
    return 0;
  }
  job.outputPath = *outputPath;
  job.outputFolder = batch.settings.effectiveOutputFolder;
  LameEncConfig config = Mp3ConfigRecord(batch.settings, wav.header);
  batch.Log(FormatLogLine(logformat::kEncoding, job.sourceName));
  if (batch.progressWindow != nullptr) batch.progressWindow->Post({Message::EncodePhase, Wire(EncoderCode::Mp3), 0, job.sourceName, {}});

  const EncoderEntryPoints* entries = library != nullptr ? library->EntryPoints() : nullptr;
  if (entries == nullptr) return LogFailure(batch, logformat::kErrorInitializeEncoder);
  EncoderStream stream(*entries);
  if (!stream.Open(config)) return LogFailure(batch, logformat::kErrorInitializeEncoder);
  std::vector<int16_t> samples;
  std::vector<uint8_t> mp3;
  if (!TryResize(samples, stream.SamplesPerChunk()) || !TryResize(mp3, stream.BufferSize())) {
    return LogFailure(batch, logformat::kErrorOutOfMemory);
  }
  FreeSpaceCheck space = CheckFreeDiskSpace(batch.settings.effectiveOutputFolder, wav.dataSize >> 2, *batch.diskSpace);
  if (!space.enough) {
    batch.Log(FormatLogLine(logformat::kErrorNotEnoughSpace, space.folder));
    return 0;
  }
  StagedFile staged = StagedFile::Create(*outputPath);
  if (!staged.IsOpen()) {
    batch.Log(FormatLogLine(logformat::kErrorCantOpenFile, *outputPath));
    return 0;
  }

  Encoding work{wav.file, staged.file(), stream, samples, mp3, wav.dataSize, 0, 0, SteadyClock::now(), {}};
  Outcome outcome = EncodeChunks(batch, work);
  const bool cancelled = outcome == Outcome::Cancelled;
  if (outcome == Outcome::Done) outcome = EncodeTail(work);
  if (outcome == Outcome::EncoderFailed) return LogFailure(batch, logformat::kErrorEncodeChunk);
  if (outcome == Outcome::FileFailed) return LogFileError(batch, work.fileError);
  outcome = Flush(work);
  if (outcome == Outcome::EncoderFailed) return LogFailure(batch, logformat::kErrorDeinitStream);
  if (outcome == Outcome::FileFailed) return LogFileError(batch, work.fileError);
  if (FinishFile(batch, *library, work, staged, cancelled) == 0) return 0;

  stream.Close();
  job.startTicks = TickCount() - job.startTicks;
  if (!cancelled) batch.Log(FormatLogLine(logformat::kEncodingOk, job.sourceName));
  return 1;
}

JobStep Mp3EncodingStep(const Mp3EncoderLibrary* library) {
  return [library](ConversionBatch& batch) { return EncodeMp3(batch, library); };
}

}  // namespace sonvarek
