// The six entry points. Streams live in a table keyed by the handles handed out,
// so that a stale or made-up handle is refused instead of dereferenced.

#include "lame_enc/lame_enc.h"

#include <cstdarg>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "core/string_table.h"
#include "lame_enc/lame_config.h"
#include "lame_enc/vbr_header_file.h"

namespace lame_enc {
namespace {

constexpr uint8_t kDllMajorVersion = 1;
constexpr uint8_t kDllMinorVersion = 0;
constexpr uint8_t kReleaseDay = 10;
constexpr uint8_t kReleaseMonth = 12;
constexpr uint16_t kReleaseYear = 2026;

void Silent(const char*, va_list) {}

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LameFlags = std::unique_ptr<lame_global_flags, LameCloser>;

struct Stream {
  LameFlags flags;
  int channels = 2;
  uint32_t samplesPerChunk = 0;
  uint32_t bufferSize = 0;
};

class StreamTable {
 public:
  HBE_STREAM Add(std::shared_ptr<Stream> stream) {
    std::lock_guard lock(mutex_);
    HBE_STREAM handle = next_++;
    streams_.emplace(handle, std::move(stream));
    return handle;
  }
  std::shared_ptr<Stream> Find(HBE_STREAM handle) {
    std::lock_guard lock(mutex_);
    auto found = streams_.find(handle);
    return found == streams_.end() ? nullptr : found->second;
  }
  bool Remove(HBE_STREAM handle) {
    std::lock_guard lock(mutex_);
    return streams_.erase(handle) == 1;
  }
  // The Xing/LAME frame of the stream most recently flushed; empty when it reserved none.
  void SetLastTagFrame(std::vector<uint8_t> frame) {
    std::lock_guard lock(mutex_);
    lastTagFrame_ = std::move(frame);
  }
  std::vector<uint8_t> LastTagFrame() {
    std::lock_guard lock(mutex_);
    return lastTagFrame_;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HBE_STREAM, std::shared_ptr<Stream>> streams_;
  std::vector<uint8_t> lastTagFrame_;
  HBE_STREAM next_ = 1;
};

StreamTable& Streams() {
  static StreamTable table;
  return table;
}

// libmp3lame's advice for the worst case of one call: 1.25 × samples per channel + 7200.
uint32_t BufferSizeFor(int samplesPerChannel) { return static_cast<uint32_t>(samplesPerChannel * 5 / 4 + 7200); }

BE_ERR ResultOf(int lameResult, uint32_t* outputBytes) {
  if (lameResult >= 0) {
    *outputBytes = static_cast<uint32_t>(lameResult);
    return BE_ERR_SUCCESSFUL;
  }
  return lameResult == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

std::vector<uint8_t> TagFrameOf(lame_t flags) {
  if (!lame_get_bWriteVbrTag(flags)) return {};
  size_t size = lame_get_lametag_frame(flags, nullptr, 0);
  std::vector<uint8_t> frame(size);
  if (size == 0 || lame_get_lametag_frame(flags, frame.data(), frame.size()) != size) return {};
  return frame;
}

}  // namespace
}  // namespace lame_enc

using namespace lame_enc;

extern "C" {

BE_ERR beInitStream(LameEncConfig* config, uint32_t* samples, uint32_t* bufferSize, HBE_STREAM* stream) {
  if (config == nullptr || samples == nullptr || bufferSize == nullptr || stream == nullptr) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  LameFlags flags(lame_init());
  if (!flags) return BE_ERR_NO_MORE_HANDLES;
  lame_set_errorf(flags.get(), Silent);
  lame_set_debugf(flags.get(), Silent);
  lame_set_msgf(flags.get(), Silent);
  if (BE_ERR result = ApplyConfig(flags.get(), *config); result != BE_ERR_SUCCESSFUL) return result;

  auto opened = std::make_shared<Stream>();
  const int frameSize = lame_get_framesize(flags.get());
  opened->channels = ChannelsOf(*config);
  opened->samplesPerChunk = static_cast<uint32_t>(frameSize * opened->channels);
  opened->bufferSize = BufferSizeFor(frameSize);
  opened->flags = std::move(flags);
  *samples = opened->samplesPerChunk;
  *bufferSize = opened->bufferSize;
  *stream = Streams().Add(std::move(opened));
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM handle, uint32_t count, const int16_t* samples, uint8_t* output,
                     uint32_t* outputBytes) {
  std::shared_ptr<Stream> stream = Streams().Find(handle);
  if (!stream) return BE_ERR_INVALID_HANDLE;
  if ((count > 0 && samples == nullptr) || output == nullptr || outputBytes == nullptr) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  if (count > stream->samplesPerChunk) return BE_ERR_BUFFER_TOO_SMALL;
  const int size = static_cast<int>(stream->bufferSize);
  int result = 0;
  if (stream->channels == 1) {
    result = lame_encode_buffer(stream->flags.get(), samples, samples, static_cast<int>(count), output, size);
  } else {
    // libmp3lame only reads the interleaved samples; its prototype lacks the const.
    result = lame_encode_buffer_interleaved(stream->flags.get(), const_cast<int16_t*>(samples),
                                            static_cast<int>(count / 2), output, size);
  }
  return ResultOf(result, outputBytes);
}

BE_ERR beDeinitStream(HBE_STREAM handle, uint8_t* output, uint32_t* outputBytes) {
  std::shared_ptr<Stream> stream = Streams().Find(handle);
  if (!stream) return BE_ERR_INVALID_HANDLE;
  if (output == nullptr || outputBytes == nullptr) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  int result = lame_encode_flush(stream->flags.get(), output, static_cast<int>(stream->bufferSize));
  if (result >= 0) Streams().SetLastTagFrame(TagFrameOf(stream->flags.get()));
  return ResultOf(result, outputBytes);
}

BE_ERR beCloseStream(HBE_STREAM handle) { return Streams().Remove(handle) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE; }

void beVersion(LameEncVersion* version) {
  if (version == nullptr) return;
  std::memset(version, 0, sizeof *version);
  lame_version_t engine{};
  get_lame_version_numerical(&engine);
  version->byDLLMajorVersion = kDllMajorVersion;
  version->byDLLMinorVersion = kDllMinorVersion;
  version->byMajorVersion = static_cast<uint8_t>(engine.major);
  version->byMinorVersion = static_cast<uint8_t>(engine.minor);
  version->byDay = kReleaseDay;
  version->byMonth = kReleaseMonth;
  version->wYear = kReleaseYear;
  std::strncpy(version->zHomepage, sonvarek::text::kHomePage, sizeof version->zHomepage - 1);
  version->byAlphaLevel = static_cast<uint8_t>(engine.alpha);
  version->byBetaLevel = static_cast<uint8_t>(engine.beta);
#if defined(__x86_64__) || defined(__i386__)
  version->byMMXEnabled = __builtin_cpu_supports("mmx") ? 1 : 0;
#endif
}

BE_ERR beWriteVBRHeader(const char* path) {
  std::vector<uint8_t> frame = Streams().LastTagFrame();
  if (frame.empty()) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  return WriteTagFrameIntoFile(path, frame);
}

}  // extern "C"
