#include "jobs/ogg_encoder.h"

#include <array>
#include <memory>
#include <ogg/ogg.h>
#include <random>
#include <string>
#include <utility>
#include <vector>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include "core/text_format.h"
#include "jobs/encoder.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "platform/staged_file.h"

namespace sonvarek {
namespace {

constexpr size_t kBytesPerFrame = 4;  // 16-bit stereo
constexpr size_t kReadBytes = 4096;
constexpr int kFramesPerRead = static_cast<int>(kReadBytes / kBytesPerFrame);
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

// Hands whole frames of little-endian 16-bit stereo to the analysis.
void Submit(vorbis_dsp_state& dsp, const uint8_t* bytes, int frames) {
  float** channels = vorbis_analysis_buffer(&dsp, kFramesPerRead);
  float* left = channels[0];
  float* right = channels[1];
  for (int i = 0; i < frames; ++i, bytes += kBytesPerFrame) {
    left[i] = static_cast<float>(static_cast<int16_t>(bytes[0] | bytes[1] << 8)) / 32768.0f;
    right[i] = static_cast<float>(static_cast<int16_t>(bytes[2] | bytes[3] << 8)) / 32768.0f;
  }
  vorbis_analysis_wrote(&dsp, frames);
}

const EncodingFormat kOggFormat{BatchKind::EncodeOgg, ".ogg", WavReader::OggEncoder, EncoderCode::Ogg};

int StreamSerial() { return static_cast<int>(std::random_device{}()); }

class OggVorbisEncoder final : public Encoder {
 public:
  explicit OggVorbisEncoder(const Settings& settings) : settings_(settings) {}

  EncoderResult Open(const WavHeader&, ConversionJob& job) override {
    sourceName_ = job.sourceName;
    vorbis_ = std::make_unique<VorbisStream>();
    if (!vorbis_->Init(VorbisQuality(settings_.OggQuality), ChosenComments(job, settings_), StreamSerial())) {
      return EncoderResult::Failure(FormatLogLine(logformat::kErrorInitializeOggEncoder));
    }
    return EncoderResult::Success();
  }

  size_t BlockBytes() const override { return kReadBytes; }

  // The three header packets, flushed so that they stand on pages of their own before
  // any audio, as players expect.
  EncoderResult Start(StagedFile& output) override {
    output_ = &output.file();
    VorbisStream& v = *vorbis_;
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    if (vorbis_analysis_headerout(&v.dsp_, &v.comment_, &identification, &comments, &codebooks) != 0) {
      return EncoderResult::Failure(FormatLogLine(logformat::kErrorInitializeOggEncoder));
    }
    for (ogg_packet* packet : {&identification, &comments, &codebooks}) {
      if (ogg_stream_packetin(&v.stream_, packet) != 0) {
        return EncoderResult::Failure(FormatLogLine(logformat::kErrorInitializeOggEncoder));
      }
    }
    ogg_page page;
    while (ogg_stream_flush(&v.stream_, &page) != 0) {
      if (EncoderResult written = WritePage(page); !written.Ok()) return written;
    }
    return EncoderResult::Success();
  }

  // Only whole frames count: the bytes of a partial frame at the end of the data are
  // dropped (an empty submission here would end the stream early).
  EncoderResult Write(const uint8_t* pcm, size_t bytes) override {
    const int frames = static_cast<int>(bytes / kBytesPerFrame);
    if (frames > 0) Submit(vorbis_->dsp_, pcm, frames);
    return Drain();
  }

  // The end goes in; every block must then come out with the last page.
  EncoderResult Finish(StagedFile& output) override {
    vorbis_analysis_wrote(&vorbis_->dsp_, 0);
    if (EncoderResult drained = Drain(); !drained.Ok()) return drained;
    if (!endOfStream_) return EncodingFailure();
    vorbis_.reset();
    if (!output.Close()) return EncoderResult::Failure(FileErrorLine(output.ErrorText()));
    return EncoderResult::Success();
  }

  void Discard() override { vorbis_.reset(); }

 private:
  EncoderResult EncodingFailure() const {
    return EncoderResult::Failure(FormatLogLine(logformat::kErrorOggEncoding, sourceName_));
  }

  EncoderResult WritePage(const ogg_page& page) {
    if (!output_->WriteAll(page.header, static_cast<size_t>(page.header_len)) ||
        !output_->WriteAll(page.body, static_cast<size_t>(page.body_len))) {
      return EncoderResult::Failure(FileErrorLine(output_->ErrorText()));
    }
    if (ogg_page_eos(&page) != 0) endOfStream_ = true;
    return EncoderResult::Success();
  }

  // Encodes every block the analysis has ready and writes the pages that fill.
  EncoderResult Drain() {
    VorbisStream& v = *vorbis_;
    int ready = 0;
    while ((ready = vorbis_analysis_blockout(&v.dsp_, &v.block_)) == 1) {
      if (vorbis_analysis(&v.block_, nullptr) != 0 || vorbis_bitrate_addblock(&v.block_) != 0) {
        return EncodingFailure();
      }
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&v.dsp_, &packet) == 1) {
        if (ogg_stream_packetin(&v.stream_, &packet) != 0) return EncodingFailure();
        ogg_page page;
        while (ogg_stream_pageout(&v.stream_, &page) != 0) {
          if (EncoderResult written = WritePage(page); !written.Ok()) return written;
        }
      }
    }
    return ready < 0 ? EncodingFailure() : EncoderResult::Success();
  }

  const Settings& settings_;
  std::string sourceName_;
  std::unique_ptr<VorbisStream> vorbis_;
  File* output_ = nullptr;
  bool endOfStream_ = false;
};

}  // namespace

int EncodeOgg(ConversionBatch& batch) {
  OggVorbisEncoder encoder(batch.settings);
  return EncodeWith(batch, encoder, kOggFormat);
}

JobStep OggEncodingStep() { return EncodeOgg; }

}  // namespace sonvarek
