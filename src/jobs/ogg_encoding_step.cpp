#include "jobs/ogg_encoding_step.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <ogg/ogg.h>
#include <random>
#include <string>
#include <utility>
#include <vector>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include "core/output_naming.h"
#include "core/text_format.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/output_clash.h"
#include "jobs/wav_file.h"
#include "platform/staged_file.h"
#include "platform/ticks.h"

namespace sonvarek {
namespace {

constexpr size_t kBytesPerFrame = 4;  // 16-bit stereo
constexpr size_t kReadBytes = 4096;
constexpr int kFramesPerRead = static_cast<int>(kReadBytes / kBytesPerFrame);
constexpr uint64_t kReadsPerProgress = 10;
constexpr int32_t kDefaultQuality = 60;

float VorbisQuality(int32_t setting) {
  const int32_t quality = setting >= 1 && setting <= 100 ? setting : kDefaultQuality;
  return static_cast<float>(quality) / 100.0f;
}

// The comments the [Ogg Vorbis] switches choose, in the order the switches stand;
// an empty text is left out rather than written as an empty field.
std::vector<std::string> ChosenComments(const ConversionJob& job, const Settings& settings) {
  const TagSet& tags = job.tags;
  const std::array<std::pair<const char*, const std::string*>, 11> texts = {{
      {"TITLE=%s", &tags.Title},
      {"ARTIST=%s", &tags.Artist},
      {"ALBUM=%s", &tags.Album},
      {"YEAR=%s", &tags.Year},
      {"GENRE=%s", &tags.GenreName},
      {"COMMENT=%s", &tags.Comment},
      {"COMPOSER=%s", &tags.Composer},
      {"ORIGARTIST=%s", &tags.OrigArtist},
      {"Copyright=%s", &tags.Copyright},
      {"URL=%s", &tags.URL},
      {"ENCODED BY=%s", &tags.EncodedBy},
  }};
  std::vector<std::string> comments;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (settings.OggComment[i] != 0 && !texts[i].second->empty()) {
      comments.push_back(FormatText(texts[i].first, *texts[i].second));
    }
  }
  if (settings.OggComment[11] != 0 && job.trackIndex >= 0) {
    comments.push_back(FormatText("TRACKNUMBER=%02d", job.trackIndex + 1));
  }
  return comments;
}

// The libvorbis and libogg states of one encoding, cleared on every exit in the
// reverse order of their setup.
class VorbisStream {
 public:
  VorbisStream() {
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
  }
  VorbisStream(const VorbisStream&) = delete;
  VorbisStream& operator=(const VorbisStream&) = delete;
  ~VorbisStream() {
    if (streamReady_) ogg_stream_clear(&stream_);
    if (blockStarted_) vorbis_block_clear(&block_);
    if (dspStarted_) vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
  }

  bool Init(float quality, const std::vector<std::string>& comments, int serial) {
    if (vorbis_encode_init_vbr(&info_, 2, 44100, quality) != 0) return false;
    for (const std::string& comment : comments) vorbis_comment_add(&comment_, comment.c_str());
    // Both clear functions cope with what a failed init left, so they run either way.
    dspStarted_ = true;
    if (vorbis_analysis_init(&dsp_, &info_) != 0) return false;
    blockStarted_ = true;
    if (vorbis_block_init(&dsp_, &block_) != 0) return false;
    streamReady_ = ogg_stream_init(&stream_, serial) == 0;
    return streamReady_;
  }

  vorbis_info info_{};
  vorbis_comment comment_{};
  vorbis_dsp_state dsp_{};
  vorbis_block block_{};
  ogg_stream_state stream_{};

 private:
  bool dspStarted_ = false;
  bool blockStarted_ = false;
  bool streamReady_ = false;
};

enum class Outcome { Done, Cancelled, EncoderFailed, FileFailed };

struct Encoding {
  File& input;
  File& output;
  VorbisStream& vorbis;
  uint64_t total = 0;     // sample bytes of the input
  uint64_t consumed = 0;
  SteadyClock::time_point start;
  std::string fileError;  // the file layer's text when the outcome is FileFailed
  bool endOfStream = false;
};

Outcome FileFailure(Encoding& work, const File& file) {
  work.fileError = file.ErrorText();
  return Outcome::FileFailed;
}

Outcome WritePage(Encoding& work, const ogg_page& page) {
  if (!work.output.WriteAll(page.header, static_cast<size_t>(page.header_len)) ||
      !work.output.WriteAll(page.body, static_cast<size_t>(page.body_len))) {
    return FileFailure(work, work.output);
  }
  if (ogg_page_eos(&page) != 0) work.endOfStream = true;
  return Outcome::Done;
}

// The three header packets, flushed so that they stand on pages of their own before
// any audio, as players expect.
Outcome WriteHeaders(Encoding& work) {
  VorbisStream& v = work.vorbis;
  ogg_packet identification;
  ogg_packet comments;
  ogg_packet codebooks;
  if (vorbis_analysis_headerout(&v.dsp_, &v.comment_, &identification, &comments, &codebooks) != 0) {
    return Outcome::EncoderFailed;
  }
  for (ogg_packet* packet : {&identification, &comments, &codebooks}) {
    if (ogg_stream_packetin(&v.stream_, packet) != 0) return Outcome::EncoderFailed;
  }
  ogg_page page;
  while (ogg_stream_flush(&v.stream_, &page) != 0) {
    if (Outcome written = WritePage(work, page); written != Outcome::Done) return written;
  }
  return Outcome::Done;
}

// Hands one read to the analysis. Only whole frames count: the bytes of a partial
// frame at the end of the data are dropped. An empty read ends the stream.
void Submit(vorbis_dsp_state& dsp, const uint8_t* bytes, size_t count) {
  if (count == 0) {
    vorbis_analysis_wrote(&dsp, 0);
    return;
  }
  const int frames = static_cast<int>(count / kBytesPerFrame);
  if (frames == 0) return;  // a wrote(0) here would end the stream early
  float** channels = vorbis_analysis_buffer(&dsp, kFramesPerRead);
  float* left = channels[0];
  float* right = channels[1];
  for (int i = 0; i < frames; ++i, bytes += kBytesPerFrame) {
    left[i] = static_cast<float>(static_cast<int16_t>(bytes[0] | bytes[1] << 8)) / 32768.0f;
    right[i] = static_cast<float>(static_cast<int16_t>(bytes[2] | bytes[3] << 8)) / 32768.0f;
  }
  vorbis_analysis_wrote(&dsp, frames);
}

// Encodes every block the analysis has ready and writes the pages that fill.
Outcome Drain(Encoding& work) {
  VorbisStream& v = work.vorbis;
  int ready = 0;
  while ((ready = vorbis_analysis_blockout(&v.dsp_, &v.block_)) == 1) {
    if (vorbis_analysis(&v.block_, nullptr) != 0 || vorbis_bitrate_addblock(&v.block_) != 0) {
      return Outcome::EncoderFailed;
    }
    ogg_packet packet;
    while (vorbis_bitrate_flushpacket(&v.dsp_, &packet) == 1) {
      if (ogg_stream_packetin(&v.stream_, &packet) != 0) return Outcome::EncoderFailed;
      ogg_page page;
      while (ogg_stream_pageout(&v.stream_, &page) != 0) {
        if (Outcome written = WritePage(work, page); written != Outcome::Done) return written;
      }
    }
  }
  return ready < 0 ? Outcome::EncoderFailed : Outcome::Done;
}

// Thousandths of the data read so far; a file of fewer than 1000 bytes has no
// byte per thousandth to divide by.
int64_t Thousandths(uint64_t consumed, uint64_t total) {
  if (total == 0) return 0;
  const uint64_t value = total < 1000 ? consumed * 1000 / total : consumed / (total / 1000);
  return static_cast<int64_t>(std::min<uint64_t>(value, 1000));
}

Outcome EncodeSamples(ConversionBatch& batch, Encoding& work) {
  std::array<uint8_t, kReadBytes> bytes;
  uint64_t reads = 0;
  bool endSubmitted = false;
  while (!work.endOfStream) {
    // The end went in and every block came out without the last page: a broken encoder.
    if (endSubmitted) return Outcome::EncoderFailed;
    if (batch.StopIfCancelled()) return Outcome::Cancelled;
    const auto wanted = static_cast<size_t>(std::min<uint64_t>(kReadBytes, work.total - work.consumed));
    const int64_t count = wanted == 0 ? 0 : work.input.Read(bytes.data(), wanted);
    if (count < 0) return FileFailure(work, work.input);
    work.consumed += static_cast<uint64_t>(count);
    endSubmitted = count == 0;
    Submit(work.vorbis.dsp_, bytes.data(), static_cast<size_t>(count));
    if (++reads % kReadsPerProgress == 0) {
      batch.PostProgress(Message::EncodeProgress, Thousandths(work.consumed, work.total),
                         MillisecondsSince(work.start));
    }
    if (Outcome drained = Drain(work); drained != Outcome::Done) return drained;
  }
  return Outcome::Done;
}

// Nothing (after the log line) when the naming rule leads outside the output folder.
std::optional<std::string> OutputPathOf(ConversionBatch& batch, const ConversionJob& job) {
  if (batch.fromFiles()) return PlannedOutputPath(batch, BatchKind::EncodeOgg, job);
  return TrackOutputPath(batch, job, ".ogg");
}

std::string InputPathOf(const ConversionBatch& batch, const ConversionJob& job) {
  if (batch.fromFiles()) return job.sourceName;
  if (batch.noTemporaryFile()) {
    return ExpandOutputPath(job, batch.settings.effectiveOutputFolder, ".WAV", batch.settings);
  }
  return batch.temporaryPath;
}

// A file too short for even the canonical 44-byte header cannot be read as WAV,
// whatever its first bytes look like.
std::string RefusalLine(const OpenedWav& wav, const std::string& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (wav.status == WavOpenStatus::Unsupported && !error && size < kWavHeaderSize) {
    return FormatLogLine(logformat::kWavCantRead, path);
  }
  return wav.logLine;
}

// Replacing the input by its own output would lose the input.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

int LogFileError(ConversionBatch& batch, const std::string& errorText) {
  batch.Log(FileErrorLine(errorText));
  return 0;
}

int StreamSerial() { return static_cast<int>(std::random_device{}()); }

}  // namespace

int EncodeOgg(ConversionBatch& batch) {
  ConversionJob& job = batch.CurrentJob();
  std::optional<std::string> outputPath = OutputPathOf(batch, job);
  if (!outputPath) return 0;
  // The input is checked before anything is logged or created, as for MP3: a bad
  // input costs nothing and leaves no file.
  const std::string inputPath = InputPathOf(batch, job);
  OpenedWav wav = OpenWavForReader(WavReader::OggEncoder, inputPath);
  if (wav.status != WavOpenStatus::Ok) {
    batch.Log(RefusalLine(wav, inputPath));
    return 0;
  }
  if (SameFile(inputPath, *outputPath)) {
    batch.Log(FormatLogLine(logformat::kErrorCantOpenFile, *outputPath));
    return 0;
  }
  job.outputPath = *outputPath;
  job.outputFolder = batch.settings.effectiveOutputFolder;
  batch.Log(FormatLogLine(logformat::kEncoding, job.sourceName));
  if (batch.progressWindow != nullptr) {
    batch.progressWindow->Post({Message::EncodePhase, Wire(EncoderCode::Ogg), 0, job.sourceName, {}});
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
  const SteadyClock::time_point start = SteadyClock::now();
  {
    VorbisStream vorbis;
    if (!vorbis.Init(VorbisQuality(batch.settings.OggQuality), ChosenComments(job, batch.settings), StreamSerial())) {
      batch.Log(FormatLogLine(logformat::kErrorInitializeOggEncoder));
      return 0;
    }
    Encoding work{wav.file, staged.file(), vorbis, wav.dataSize, 0, start, {}, false};
    Outcome outcome = WriteHeaders(work);
    if (outcome == Outcome::EncoderFailed) {
      batch.Log(FormatLogLine(logformat::kErrorInitializeOggEncoder));
      return 0;
    }
    if (outcome == Outcome::Done) outcome = EncodeSamples(batch, work);
    switch (outcome) {
      case Outcome::Done: break;
      case Outcome::Cancelled: return 1;  // the staged file goes with `staged`
      case Outcome::EncoderFailed: batch.Log(FormatLogLine(logformat::kErrorOggEncoding, job.sourceName)); return 0;
      case Outcome::FileFailed: return LogFileError(batch, work.fileError);
    }
  }
  wav.file.Close();
  if (!staged.Commit()) return LogFileError(batch, staged.ErrorText());
  batch.PostProgress(Message::EncodeProgress, 1000, MillisecondsSince(start));
  if (!batch.noTemporaryFile()) {
    std::error_code error;
    std::filesystem::remove(batch.temporaryPath, error);
    if (error) return LogFileError(batch, error.message());
  }
  job.startTicks = TickCount() - job.startTicks;
  batch.Log(FormatLogLine(logformat::kEncodingOk, job.sourceName));
  return 1;
}

JobStep OggEncodingStep() { return EncodeOgg; }

}  // namespace sonvarek
