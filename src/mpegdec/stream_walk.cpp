#include "mpegdec/stream_walk.h"

#include <algorithm>

namespace sonvarek::mpegdec {

int32_t ParseHeaderAt(const uint8_t* data, size_t size, size_t at, MpegHeader& header) {
  const size_t available = size - at;
  return ParseHeader(data + at, static_cast<int32_t>(std::min<size_t>(available, kHeaderSearchWindow)), header);
}

size_t Id3v2TagSize(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  return static_cast<size_t>(std::min<uint64_t>(size, Id3v2AnnouncedSize(data)));
}

size_t FindFrame(const uint8_t* data, size_t size, size_t from, int32_t option) {
  if (from >= size) return size;
  MpegHeader header;
  int32_t frameBytes = 0;
  const FrameStep step = FindConfirmedFrame(data + from, size - from, true, FrameFilter{option, true}, header, frameBytes);
  return step.kind == FrameStep::Kind::Frame ? from + step.skip : size;
}

size_t FindLayer3Frame(const uint8_t* data, size_t size, size_t from) { return FindFrame(data, size, from, kLayerIII); }

StreamDecodeResult WalkStream(const DecoderVariant& variant, const uint8_t* data, size_t size, int32_t reduction_code,
                              int32_t convert_code, int32_t freq_limit, const PcmSink& sink) {
  StreamDecodeResult result;
  FrameWalker walker(FrameFilter{});
  size_t at = Id3v2TagSize(data, size);
  FrameStep step = walker.Next(data + at, size - at, true);
  if (step.kind != FrameStep::Kind::Frame) return result;
  Decoder decoder;
  if (variant.Init(decoder, walker.StreamHeader(), walker.StreamFrameBytes(), reduction_code, 0, convert_code,
                   freq_limit) == 0) {
    return result;
  }
  result.initialised = true;
  variant.Info(decoder, result.info);
  std::vector<uint8_t> frame_pcm(kMaxFrameOutputBytes);
  for (; step.kind == FrameStep::Kind::Frame; step = walker.Next(data + at, size - at, true)) {
    at += step.skip;
    if (step.skip > 0 && result.frames + result.refused > 0) ++result.resyncs;
    const int32_t available = static_cast<int32_t>(std::min<size_t>(size - at, 1 << 20));
    const FrameResult frame = variant.Decode(decoder, data + at, available, frame_pcm.data());
    if (frame.in_bytes <= 0) {
      ++result.refused;
      walker.Refused();
      ++at;
      continue;
    }
    ++result.frames;
    at += static_cast<size_t>(frame.in_bytes);
    if (!sink(frame_pcm.data(), static_cast<size_t>(frame.out_bytes), at)) break;
  }
  return result;
}

StreamDecodeResult DecodeStream(const DecoderVariant& variant, const uint8_t* data, size_t size, int32_t reduction_code,
                                int32_t convert_code, int32_t freq_limit) {
  std::vector<uint8_t> pcm;
  StreamDecodeResult result =
      WalkStream(variant, data, size, reduction_code, convert_code, freq_limit, [&pcm](const uint8_t* bytes, size_t count, size_t) {
        pcm.insert(pcm.end(), bytes, bytes + count);
        return true;
      });
  result.pcm = std::move(pcm);
  return result;
}

}  // namespace sonvarek::mpegdec
