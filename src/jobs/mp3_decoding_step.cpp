#include "jobs/mp3_decoding_step.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/progress_fraction.h"
#include "jobs/step_files.h"
#include "jobs/wav_file.h"
#include "jobs/wav_normalizer.h"
#include "mpegdec/decoder.h"
#include "mpegdec/frame_walker.h"
#include "mpegdec/mpeg_header.h"
#include "platform/buffer_resize.h"
#include "platform/staged_file.h"
#include "platform/ticks.h"

namespace sonvarek {
namespace {

constexpr size_t kInputBufferBytes = 60000;
constexpr size_t kRefillBelow = 2500;
static_assert(kRefillBelow >= mpegdec::kFrameLookahead, "a refilled buffer holds what the frame walk looks at");
constexpr size_t kPcmBufferBytes = 60000;
constexpr size_t kPcmWriteAbove = 55000;  // leaves room for one more frame (4608 bytes)
constexpr int64_t kFramesPerProgress = 30;

// Where the audio starts: after the ID3v2 tag that starts the file, as its 10-byte header
// announces it; 0 when there is none. The tag's frames are not read: they are untrusted
// bytes that no part of the decoding needs. False on a read error.
bool LeadingId3v2TagSize(File& file, uint64_t& size) {
  std::array<uint8_t, 10> head{};
  const int64_t got = file.Read(head.data(), head.size());
  if (got < 0) return false;
  size = got == static_cast<int64_t>(head.size()) ? mpegdec::Id3v2AnnouncedSize(head.data()) : 0;
  return true;
}

// The input file through one buffer, topped up from the file as the decoding takes it.
class InputBuffer {
 public:
  explicit InputBuffer(File& file) : file_(file) {}

  // Reading starts at `position`, where the file stands.
  bool Allocate(uint64_t position) {
    position_ = position;
    return TryResize(bytes_, kInputBufferBytes);
  }

  // Below the threshold the rest moves to the front and the buffer is filled up. False
  // on a read error.
  bool Refill() {
    if (Available() >= kRefillBelow || atEnd_) return true;
    const size_t rest = Available();
    std::memmove(bytes_.data(), bytes_.data() + cursor_, rest);
    cursor_ = 0;
    end_ = rest;
    const int64_t got = file_.Read(bytes_.data() + end_, bytes_.size() - end_);
    if (got < 0) return false;
    end_ += static_cast<size_t>(got);
    atEnd_ = end_ < bytes_.size();  // File::Read returns less only at the end of the file
    return true;
  }

  const uint8_t* Data() const { return bytes_.data() + cursor_; }
  size_t Available() const { return end_ - cursor_; }
  bool AtEnd() const { return atEnd_; }  // the buffer holds the rest of the file
  void Advance(size_t bytes) {
    cursor_ += bytes;
    position_ += bytes;
  }
  uint64_t Position() const { return position_; }  // in the file, of Data()

 private:
  File& file_;
  std::vector<uint8_t> bytes_;
  size_t cursor_ = 0;
  size_t end_ = 0;
  uint64_t position_ = 0;
  bool atEnd_ = false;
};

// The header of the WAV file for the decoder's output; nothing for an output type that a
// WAV file cannot name.
std::optional<WavHeader> DecodedWavHeader(const mpegdec::DecoderInfo& info, uint32_t dataBytes) {
  uint16_t formatTag = 0;
  if (info.type == mpegdec::kLinearSamples) {
    formatTag = 1;  // PCM
  } else if (info.type == mpegdec::kMuLawSamples) {
    formatTag = 7;  // mu-law
  } else {
    return std::nullopt;
  }
  const auto channels = static_cast<uint32_t>(info.channels);
  const auto bits = static_cast<uint32_t>(info.bits);
  const auto rate = static_cast<uint32_t>(info.samprate);
  WavHeader header = CdWavHeader(dataBytes);
  header.formatTag = formatTag;
  header.channels = static_cast<uint16_t>(channels);
  header.samplesPerSecond = rate;
  header.bytesPerSecond = (rate * channels * bits + 7) / 8;
  header.blockAlign = static_cast<uint16_t>((channels * bits + 7) / 8);
  header.bitsPerSample = static_cast<uint16_t>(bits);
  return header;
}

// One file's decoding: its files, buffers and counts.
class Mp3Decoding {
 public:
  Mp3Decoding(const std::string& input, const std::string& output, ConversionBatch& batch)
      : input_(input), output_(output), batch_(batch), buffer_(inputFile_) {}

  int Run(const mpegdec::DecoderVariant& variant, const Mp3DecodingOptions& options);

 private:
  enum class LoopEnd { Completed, Cancelled };

  int Fail(const char* format) {
    Log(format);
    return 0;
  }
  void Log(const char* format) const { batch_.Log(FormatLogLine(format)); }
  bool OpenInput();
  bool FindFirstFrame();
  bool WriteHeader(uint32_t dataBytes);
  LoopEnd DecodeFrames(const mpegdec::DecoderVariant& variant);
  bool WritePcm();
  void PostProgress(int64_t thousandths) const {
    batch_.PostProgress(Message::EncodeProgress, thousandths, MillisecondsSince(start_));
  }
  int64_t Thousandths() const { return ProgressThousandths(buffer_.Position(), fileSize_); }
  int Finish();

  const std::string& input_;
  const std::string& output_;
  ConversionBatch& batch_;
  SteadyClock::time_point start_ = SteadyClock::now();
  File inputFile_;
  uint64_t fileSize_ = 0;
  InputBuffer buffer_;
  mpegdec::FrameWalker walker_{mpegdec::kMp3Frames};
  StagedFile staged_;
  mpegdec::Decoder decoder_;
  mpegdec::DecoderInfo info_{};
  std::vector<uint8_t> pcm_;
  size_t pcmFill_ = 0;
  uint64_t written_ = 0;  // PCM bytes in the output file
  bool writeFailed_ = false;  // nothing more is written after a failed write
  PeakMeter peak_;
  bool measurePeak_ = false;
};

bool Mp3Decoding::OpenInput() {
  inputFile_ = File::Open(input_, File::Mode::Read);
  std::optional<int64_t> size = inputFile_.IsOpen() ? inputFile_.Size() : std::nullopt;
  if (!size) {
    batch_.Log(FormatLogLine(logformat::kDecodeCantOpenInput, input_));
    return false;
  }
  fileSize_ = static_cast<uint64_t>(*size);
  return true;
}

// Moves the buffer to the stream's first audio frame; false after the log line when the file
// has none or cannot be read.
bool Mp3Decoding::FindFirstFrame() {
  for (;;) {
    if (!buffer_.Refill()) {
      Log(logformat::kDecodeReadError);
      return false;
    }
    const mpegdec::FrameStep step = walker_.Next(buffer_.Data(), buffer_.Available(), buffer_.AtEnd());
    buffer_.Advance(step.skip);
    if (step.kind == mpegdec::FrameStep::Kind::Frame) return true;
    // Layer I and II files, MPEG-2.5, free format and files of no MPEG audio end here.
    if (step.kind == mpegdec::FrameStep::Kind::End) {
      Log(logformat::kDecodeBadFile);
      return false;
    }
  }
}

bool Mp3Decoding::WriteHeader(uint32_t dataBytes) {
  std::optional<WavHeader> header = DecodedWavHeader(info_, dataBytes);
  if (!header) return false;
  const std::array<uint8_t, kWavHeaderSize> bytes = SerializeWavHeader(*header);
  File& file = staged_.file();
  return file.Seek(0) && file.WriteAll(bytes.data(), bytes.size());
}

// Writes the PCM buffer; false after the log line when the file took it only in part.
bool Mp3Decoding::WritePcm() {
  if (writeFailed_) return false;
  if (pcmFill_ == 0) return true;
  if (written_ + pcmFill_ > kMaxWavDataBytes) {
    Log(logformat::kDecodeWavFull);
    writeFailed_ = true;
    return false;
  }
  File& file = staged_.file();
  if (!file.WriteAll(pcm_.data(), pcmFill_)) {
    Log(logformat::kDecodeWriteError);
    writeFailed_ = true;
    return false;
  }
  if (measurePeak_) peak_.Add(pcm_.data(), pcmFill_);
  written_ += pcmFill_;
  pcmFill_ = 0;
  return true;
}

Mp3Decoding::LoopEnd Mp3Decoding::DecodeFrames(const mpegdec::DecoderVariant& variant) {
  int64_t frames = 0;
  for (;;) {
    if (batch_.CancelRequested()) {
      Log(logformat::kDecodeUserCanceled);
      batch_.cancelled = true;
      return LoopEnd::Cancelled;
    }
    if (!buffer_.Refill()) {
      Log(logformat::kDecodeReadError);
      return LoopEnd::Completed;
    }
    const size_t available = buffer_.Available();
    if (available < 4) return LoopEnd::Completed;
    // Before the first frame too, and again after bytes stepped over at such a count.
    if (frames % kFramesPerProgress == 0) PostProgress(Thousandths());
    const mpegdec::FrameStep step = walker_.Next(buffer_.Data(), available, buffer_.AtEnd());
    buffer_.Advance(step.skip);
    if (step.kind == mpegdec::FrameStep::Kind::End) return LoopEnd::Completed;
    if (step.kind == mpegdec::FrameStep::Kind::More) continue;
    const int32_t offered = static_cast<int32_t>(buffer_.Available());
    const mpegdec::FrameResult frame = variant.Decode(decoder_, buffer_.Data(), offered, pcm_.data() + pcmFill_);
    if (frame.in_bytes <= 0) {
      Log(logformat::kDecodeBadSync);
      return LoopEnd::Completed;
    }
    buffer_.Advance(static_cast<size_t>(frame.in_bytes));
    pcmFill_ += static_cast<size_t>(frame.out_bytes);
    ++frames;
    if (pcmFill_ > kPcmWriteAbove && !WritePcm()) return LoopEnd::Completed;
  }
}

// The end of a decoding that was not cancelled: the rest of the PCM, the header with the
// lengths, the normalizing, the name.
int Mp3Decoding::Finish() {
  // A file the disk took only in part fails the job: a shortened WAV file never takes the
  // name as if the decoding had gone well.
  if (!WritePcm()) {
    staged_.Discard();
    return 0;
  }
  if (!WriteHeader(static_cast<uint32_t>(written_))) return Fail(logformat::kDecodeWriteError);
  PostProgress(1000);
  Log(logformat::kDecodeOk);
  const int32_t peak = peak_.Peak();
  if (measurePeak_ && peak > 0) {
    if (batch_.progressWindow != nullptr) {
      batch_.progressWindow->Send({Message::JobPhase, Wire(JobPhaseCode::Normalizing), 0, output_, {}});
    }
    if (!staged_.Close()) return Fail(logformat::kDecodeWriteError);
    const double factor = NormalizeFactor(batch_.settings.NormalizeRatio, peak);
    if (!ScaleWavFile(batch_.progressWindow, staged_.stagingPath(), factor, batch_)) return 0;
    if (batch_.cancelled) {
      staged_.Discard();
      return 1;
    }
  }
  if (!staged_.Commit()) return Fail(logformat::kDecodeWriteError);
  return 1;
}

int Mp3Decoding::Run(const mpegdec::DecoderVariant& variant, const Mp3DecodingOptions& options) {
  if (!OpenInput()) return 0;
  uint64_t audioStart = 0;
  if (!LeadingId3v2TagSize(inputFile_, audioStart) || !inputFile_.Seek(static_cast<int64_t>(audioStart))) {
    return Fail(logformat::kDecodeReadError);
  }
  if (!buffer_.Allocate(audioStart)) return Fail(logformat::kDecodeCantAllocateBuffer);
  if (!FindFirstFrame()) return 0;

  if (SameFile(input_, output_)) {
    batch_.Log(FormatLogLine(logformat::kDecodeCantOpenOutput, output_));
    return 0;
  }
  staged_ = StagedFile::Create(output_);
  if (!staged_.IsOpen()) {
    batch_.Log(FormatLogLine(logformat::kDecodeCantOpenOutput, output_));
    return 0;
  }
  if (!TryResize(pcm_, kPcmBufferBytes)) return Fail(logformat::kDecodeCantAllocatePcm);
  if (variant.Init(decoder_, walker_.StreamHeader(), walker_.StreamFrameBytes(), options.reduction, 0,
                   options.convertCode, options.frequencyLimit) == 0) {
    return Fail(logformat::kDecodeInitFailed);
  }
  variant.Info(decoder_, info_);
  if (!WriteHeader(0)) return Fail(logformat::kDecodeWriteError);
  measurePeak_ = batch_.settings.Normalize != 0 && info_.bits == 16;

  if (DecodeFrames(variant) == LoopEnd::Cancelled) return 1;  // the staged output goes unnamed
  return Finish();
}

}  // namespace

int DecodeMp3File(const std::string& input, const std::string& output, const Mp3DecodingOptions& options,
                  ConversionBatch& batch) {
  batch.Log(FormatLogLine(logformat::kDecodeFile, input));
  if (batch.progressWindow != nullptr) batch.progressWindow->Send({Message::DecodePhase, 0, 0, input, {}});
  const mpegdec::DecoderVariant& variant =
      mpegdec::ChooseDecoderVariant(options.integer ? 1 : 0, options.eightKhz ? 1 : 0, options.convertCode);
  Mp3Decoding decoding(input, output, batch);
  return decoding.Run(variant, options);
}

DecodeStep Mp3DecodingStep() {
  return [](const std::string& source, const std::string& output, int32_t frequencyLimit, ConversionBatch& batch) {
    Mp3DecodingOptions options;
    options.frequencyLimit = frequencyLimit;
    return DecodeMp3File(source, output, options, batch);
  };
}

}  // namespace sonvarek
