#include "jobs/mp3_encoder.h"

#include <array>
#include <cstring>
#include <memory>
#include <filesystem>
#include <vector>

#include "core/output_naming.h"
#include "core/string_table.h"
#include "jobs/id3_tagging.h"
#include "jobs/encoder.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/mp3_config_record.h"
#include "jobs/wav_file.h"
#include "mpegdec/frame_walker.h"
#include "platform/buffer_resize.h"
#include "platform/staged_file.h"

namespace sonvarek {
namespace {

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

const EncodingFormat kMp3Format{BatchKind::EncodeMp3, ".MP3", WavReader::Mp3Encoder, EncoderCode::Mp3};

class Mp3Encoder final : public Encoder {
 public:
  Mp3Encoder(const Settings& settings, const Mp3EncoderLibrary* library) : settings_(settings), library_(library) {}

  EncoderResult Open(const WavHeader& format, ConversionJob& job) override {
    job_ = &job;
    const EncoderEntryPoints* entries = library_ != nullptr ? library_->EntryPoints() : nullptr;
    if (entries == nullptr) return Failure(logformat::kErrorInitializeEncoder);
    LameEncConfig config = Mp3ConfigRecord(settings_, format);
    stream_ = std::make_unique<EncoderStream>(*entries);
    if (!stream_->Open(config)) return Failure(logformat::kErrorInitializeEncoder);
    if (!TryResize(samples_, stream_->SamplesPerChunk()) || !TryResize(mp3_, stream_->BufferSize())) {
      return Failure(logformat::kErrorOutOfMemory);
    }
    return EncoderResult::Success();
  }

  size_t BlockBytes() const override { return size_t{stream_->SamplesPerChunk()} * 2; }

  EncoderResult Start(StagedFile& output) override {
    output_ = &output.file();
    return EncoderResult::Success();
  }

  EncoderResult Write(const uint8_t* pcm, size_t bytes) override {
    const auto count = static_cast<uint32_t>(bytes / 2);
    std::memcpy(samples_.data(), pcm, size_t{count} * 2);
    uint32_t produced = 0;
    if (!stream_->Encode(samples_, count, mp3_, produced)) return Failure(logformat::kErrorEncodeChunk);
    return WriteOutput(produced);
  }

  EncoderResult Finish(StagedFile& output) override {
    uint32_t produced = 0;
    if (!stream_->Deinit(mp3_, produced)) return Failure(logformat::kErrorDeinitStream);
    if (EncoderResult flushed = WriteOutput(produced); !flushed.Ok()) return flushed;
    if (EncoderResult tagged = FinishFile(output); !tagged.Ok()) return tagged;
    stream_->Close();
    return EncoderResult::Success();
  }

  void Discard() override { stream_.reset(); }

 private:
  static EncoderResult Failure(const char* format) { return EncoderResult::Failure(FormatLogLine(format)); }

  EncoderResult WriteOutput(uint32_t produced) {
    if (produced > 0 && !output_->WriteAll(mp3_.data(), produced)) {
      return EncoderResult::Failure(FileErrorLine(output_->ErrorText()));
    }
    written_ += produced;
    return EncoderResult::Success();
  }

  // After the stream was flushed: the ID3v1 tag, the VBR header, the ID3v2 tag.
  EncoderResult FinishFile(StagedFile& staged) {
    ConversionJob& job = *job_;
    if (job.tags.Comment.empty()) job.tags.Comment = DefaultComment();
    std::array<uint8_t, kId3v1TagSize> id3v1 = BuildId3v1Tag(job);
    if (settings_.EnableID3) {
      if (!output_->WriteAll(id3v1.data(), id3v1.size())) return EncoderResult::Failure(FileErrorLine(output_->ErrorText()));
      written_ += id3v1.size();
    }
    if (!staged.Close()) return EncoderResult::Failure(FileErrorLine(staged.ErrorText()));
    const EncoderEntryPoints* entries = library_->EntryPoints();
    if (settings_.WriteVBRHeader && settings_.EnableVBR && entries->writeVbrHeader != nullptr) {
      entries->writeVbrHeader(staged.stagingPath().c_str());
    }
    if (settings_.EnableID3V2) {
      WriteId3v2Tag(staged.stagingPath(), job);
      if (!TaggedFileIsWhole(staged.stagingPath(), written_, settings_.EnableID3 ? &id3v1 : nullptr)) {
        RemoveTagWriterLeftovers(staged.stagingPath());
        return EncoderResult::Failure(FileErrorLine(text::kTagUpdateFailed));
      }
    }
    return EncoderResult::Success();
  }

  const Settings& settings_;
  const Mp3EncoderLibrary* library_;
  ConversionJob* job_ = nullptr;
  std::unique_ptr<EncoderStream> stream_;
  std::vector<int16_t> samples_;
  std::vector<uint8_t> mp3_;
  File* output_ = nullptr;
  uint64_t written_ = 0;  // bytes of the MP3 file so far
};

}  // namespace

int EncodeMp3(ConversionBatch& batch, const Mp3EncoderLibrary* library) {
  Mp3Encoder encoder(batch.settings, library);
  return EncodeWith(batch, encoder, kMp3Format);
}

JobStep Mp3EncodingStep(const Mp3EncoderLibrary* library) {
  return [library](ConversionBatch& batch) { return EncodeMp3(batch, library); };
}

}  // namespace sonvarek
