#include "jobs/mp3_decoding_step.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <id3.h>
#include <optional>
#include <vector>

#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/wav_file.h"
#include "jobs/wav_normalizer.h"
#include "mpegdec/decoder.h"
#include "mpegdec/mpeg_header.h"
#include "platform/buffer_resize.h"
#include "platform/staged_file.h"
#include "platform/ticks.h"

namespace sonvarek {
namespace {

constexpr size_t kInputBufferBytes = 60000;
constexpr size_t kRefillBelow = 2500;  // more than the longest Layer III frame (1441 bytes)
constexpr size_t kPcmBufferBytes = 60000;
constexpr size_t kPcmWriteAbove = 55000;  // leaves room for one more frame (4608 bytes)
constexpr int64_t kFramesPerProgress = 30;

// The scan for a VBR information frame reads blocks of 1441 bytes and looks for sync
// words at offsets 0 to 1439; frames from offset 1400 on are too close to the block's end
// to hold a tag and are left alone. The next block starts at offset 1440.
constexpr size_t kScanBlockBytes = 1441;
constexpr size_t kScanEnd = 1440;
constexpr size_t kScanTagEnd = 1400;

// Layer III bit rates in kbit/s by index: MPEG-1, then MPEG-2 and MPEG-2.5.
constexpr int32_t kLayer3Kbps[2][15] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
// Sampling rates in Hz by rate index: MPEG-1, MPEG-2, MPEG-2.5.
constexpr int32_t kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// id3lib's size of the ID3v2 tag that starts the file, 0 when there is none.
size_t LeadingId3v2TagSize(const std::string& path) {
  ID3Tag* tag = ID3Tag_New();
  if (tag == nullptr) return 0;
  const size_t size = ID3Tag_Link(tag, path.c_str());
  ID3Tag_Delete(tag);
  return size;
}

// What the scan makes of a sync word.
enum class ScanFrame { NotAFrame, InfoFrame, AudioFrame };

// Looks at the frame header at `frame` (`available` bytes readable): a "Xing" (VBR) or
// "Info" (CBR, as encoders write it) frame, whose length goes to `length`, another frame, or
// no header at all (the reserved version, rate or bit rate).
ScanFrame ExamineFrame(const uint8_t* frame, size_t available, size_t& length) {
  if (available < 4) return ScanFrame::AudioFrame;  // too little to tell; the decoding looks closer
  const int32_t version = (frame[1] >> 3) & 3;       // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  const int32_t bitrateIndex = frame[2] >> 4;
  const int32_t rateIndex = (frame[2] >> 2) & 3;
  if (version == 1 || rateIndex == 3 || bitrateIndex == 15) return ScanFrame::NotAFrame;
  const bool mpeg1 = version == 3;
  const bool mono = (frame[3] >> 6) == 3;
  // The tag follows the header and the side information.
  const size_t tagAt = mpeg1 ? (mono ? 21 : 36) : (mono ? 13 : 21);
  if (available < tagAt + 4) return ScanFrame::AudioFrame;
  if (std::memcmp(frame + tagAt, "Xing", 4) != 0 && std::memcmp(frame + tagAt, "Info", 4) != 0) {
    return ScanFrame::AudioFrame;
  }
  const size_t padding = (frame[2] >> 1) & 1;
  if (bitrateIndex == 0) {
    length = 4;  // free format: no length to compute, so the scan steps over the header only
    return ScanFrame::InfoFrame;
  }
  const int64_t kbps = kLayer3Kbps[mpeg1 ? 0 : 1][bitrateIndex];
  const int64_t rate = kRates[mpeg1 ? 0 : version == 2 ? 1 : 2][rateIndex];
  length = static_cast<size_t>((mpeg1 ? 144000 : 72000) * kbps / rate) + padding;
  return ScanFrame::InfoFrame;
}

// Finds where the audio starts at or after `from`: the first frame that is not a VBR
// information frame, or, when a block is read short (the end of the file) without one,
// that block's start. False on a read error.
bool SkipInfoFrames(File& file, uint64_t from, uint64_t& audioStart) {
  std::array<uint8_t, kScanBlockBytes> block{};
  uint64_t position = from;
  for (;;) {
    if (!file.Seek(static_cast<int64_t>(position))) return false;
    const int64_t got = file.Read(block.data(), block.size());
    if (got < 0) return false;
    const auto count = static_cast<size_t>(got);
    std::optional<uint64_t> next;
    for (size_t at = 0; at < kScanEnd && at + 1 < count && !next; ++at) {
      if (block[at] != 0xFF || (block[at + 1] & 0xE0) != 0xE0) continue;  // high nibble 0xF or 0xE
      if (at >= kScanTagEnd) continue;
      size_t length = 0;
      switch (ExamineFrame(&block[at], count - at, length)) {
        case ScanFrame::NotAFrame: break;
        case ScanFrame::InfoFrame: next = position + at + length; break;
        case ScanFrame::AudioFrame: audioStart = position + at; return true;
      }
    }
    if (next) {
      position = *next;
    } else if (count < block.size()) {
      audioStart = position;
      return true;
    } else {
      position += kScanEnd;
    }
  }
}

// A frame header the decoding loop accepts: MPEG-1 or MPEG-2 (not 2.5) Layer III, a bit
// rate from the table (not free format), a sampling rate that is not reserved.
bool IsLayer3FrameStart(const uint8_t* bytes) {
  if (bytes[0] != 0xFF || (bytes[1] & 0xF0) != 0xF0) return false;
  const int32_t version = (bytes[1] >> 3) & 3;
  const int32_t layer = (bytes[1] >> 1) & 3;
  const int32_t bitrateIndex = bytes[2] >> 4;
  const int32_t rateIndex = (bytes[2] >> 2) & 3;
  return (version == 3 || version == 2) && layer == mpegdec::kLayerIII && bitrateIndex >= 1 && bitrateIndex <= 14 &&
         rateIndex != 3;
}

// The whole length of a frame that passed IsLayer3FrameStart, its padding included.
size_t FrameLength(const uint8_t* bytes) {
  mpegdec::MpegHeader header;
  if (!mpegdec::DecodeHeaderFields(bytes, header)) return 4;
  const int32_t length = mpegdec::HeaderTableFrameLength(header) + header.pad * mpegdec::HeaderSlotBytes(header);
  return static_cast<size_t>(length);
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

// Replacing the input by its own output would lose the input.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// One file's decoding: its files, buffers and counts.
class Mp3Decoding {
 public:
  Mp3Decoding(const std::string& input, const std::string& output, ConversionBatch& batch)
      : input_(input), output_(output), batch_(batch), buffer_(inputFile_) {}

  int Run(const mpegdec::DecoderVariant& variant, int32_t reduction, int32_t convertCode, int32_t frequencyLimit);

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
  int64_t Thousandths() const {
    const uint64_t perMille = std::max<uint64_t>(fileSize_ / 1000, 1);
    return static_cast<int64_t>(std::min<uint64_t>(buffer_.Position() / perMille, 1000));
  }
  int Finish();

  const std::string& input_;
  const std::string& output_;
  ConversionBatch& batch_;
  SteadyClock::time_point start_ = SteadyClock::now();
  File inputFile_;
  uint64_t fileSize_ = 0;
  InputBuffer buffer_;
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

// Moves the buffer to the first frame header that passes IsLayer3FrameStart; false after
// the log line when the file has none or cannot be read.
bool Mp3Decoding::FindFirstFrame() {
  for (;;) {
    if (!buffer_.Refill()) {
      Log(logformat::kDecodeReadError);
      return false;
    }
    // The same line as for a header the parser refuses: either way there is no stream here
    // that we decode (Layer I and II files end here).
    if (buffer_.Available() < 4) {
      Log(logformat::kDecodeBadFile);
      return false;
    }
    if (IsLayer3FrameStart(buffer_.Data())) return true;
    buffer_.Advance(1);
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
    // Before the first frame too, and again after each byte stepped over at such a count.
    if (frames % kFramesPerProgress == 0) PostProgress(Thousandths());
    const uint8_t* data = buffer_.Data();
    if (IsLayer3FrameStart(data)) {
      // Each frame's own length, so that the short frames that end a VBR stream are kept.
      if (available < FrameLength(data)) return LoopEnd::Completed;
      const int32_t offered = static_cast<int32_t>(available);
      const mpegdec::FrameResult frame = variant.Decode(decoder_, data, offered, pcm_.data() + pcmFill_);
      if (frame.in_bytes <= 0) {
        Log(logformat::kDecodeBadSync);
        return LoopEnd::Completed;
      }
      buffer_.Advance(static_cast<size_t>(frame.in_bytes));
      pcmFill_ += static_cast<size_t>(frame.out_bytes);
      ++frames;
      if (pcmFill_ > kPcmWriteAbove && !WritePcm()) return LoopEnd::Completed;
    } else {
      buffer_.Advance(1);
    }
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

int Mp3Decoding::Run(const mpegdec::DecoderVariant& variant, int32_t reduction, int32_t convertCode,
                     int32_t frequencyLimit) {
  // The input is opened before id3lib reads it: File refuses what is no regular file (a
  // FIFO would keep id3lib waiting where no cancel reaches).
  if (!OpenInput()) return 0;
  const size_t tagSize = LeadingId3v2TagSize(input_);
  uint64_t audioStart = 0;
  if (!SkipInfoFrames(inputFile_, tagSize, audioStart) || !inputFile_.Seek(static_cast<int64_t>(audioStart))) {
    return Fail(logformat::kDecodeReadError);
  }
  if (!buffer_.Allocate(audioStart)) return Fail(logformat::kDecodeCantAllocateBuffer);
  if (!FindFirstFrame()) return 0;

  mpegdec::MpegHeader header;
  int32_t bitrate = 0;
  const int32_t frameBytes = mpegdec::ParseHeaderWithBitrate(
      buffer_.Data(), static_cast<int32_t>(std::min<size_t>(buffer_.Available(), mpegdec::kHeaderSearchWindow)), header,
      bitrate);
  if (frameBytes <= 0) return Fail(logformat::kDecodeBadFile);

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
  if (variant.Init(decoder_, header, frameBytes, reduction, 0, convertCode, frequencyLimit) == 0) {
    return Fail(logformat::kDecodeInitFailed);
  }
  variant.Info(decoder_, info_);
  if (!WriteHeader(0)) return Fail(logformat::kDecodeWriteError);
  measurePeak_ = batch_.settings.Normalize != 0 && info_.bits == 16;

  if (DecodeFrames(variant) == LoopEnd::Cancelled) return 1;  // the staged output goes unnamed
  return Finish();
}

}  // namespace

int DecodeMp3File(const std::string& input, const std::string& output, int32_t reduction, int32_t convertCode,
                  int32_t eightKhzFlag, int32_t frequencyLimit, int32_t integerFlag, ConversionBatch& batch) {
  batch.Log(FormatLogLine(logformat::kDecodeFile, input));
  if (batch.progressWindow != nullptr) batch.progressWindow->Send({Message::DecodePhase, 0, 0, input, {}});
  const mpegdec::DecoderVariant& variant = mpegdec::ChooseDecoderVariant(integerFlag, eightKhzFlag, convertCode);
  Mp3Decoding decoding(input, output, batch);
  return decoding.Run(variant, reduction, convertCode, frequencyLimit);
}

DecodeStep Mp3DecodingStep() {
  return [](const std::string& source, const std::string& output, int32_t frequencyLimit, ConversionBatch& batch) {
    return DecodeMp3File(source, output, 0, 0, 0, frequencyLimit, 0, batch);
  };
}

}  // namespace sonvarek
