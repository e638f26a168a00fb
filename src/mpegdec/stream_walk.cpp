#include "mpegdec/stream_walk.h"

#include <algorithm>
#include <cstring>

namespace sonvarek::mpegdec {

int32_t ParseHeaderAt(const uint8_t* data, size_t size, size_t at, MpegHeader& header) {
  const size_t available = size - at;
  return ParseHeader(data + at, static_cast<int32_t>(std::min<size_t>(available, kHeaderSearchWindow)), header);
}

uint64_t Id3v2AnnouncedSize(const uint8_t* head) {
  if (std::memcmp(head, "ID3", 3) != 0) return 0;
  uint64_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (head[i] & 0x80) return 0;
    body = body << 7 | head[i];
  }
  const uint64_t footer = (head[5] & 0x10) ? 10 : 0;
  return 10 + body + footer;
}

size_t Id3v2TagSize(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  return static_cast<size_t>(std::min<uint64_t>(size, Id3v2AnnouncedSize(data)));
}

size_t FindLayer3Frame(const uint8_t* data, size_t size, size_t from) { return FindFrame(data, size, from, kLayerIII); }

size_t FindFrame(const uint8_t* data, size_t size, size_t from, int32_t option) {
  size_t first_plausible = size;
  for (size_t at = from; at + 4 <= size; ++at) {
    if (data[at] != 0xFF) continue;
    MpegHeader header;
    const int32_t length = ParseHeaderAt(data, size, at, header);
    if (length <= 0 || (option != kAnyLayer && header.option != option)) continue;
    const size_t next = at + static_cast<size_t>(length + header.pad * HeaderSlotBytes(header));
    if (next + 4 > size) return first_plausible < size ? first_plausible : at;
    MpegHeader following;
    if (DecodeHeaderFields(data + next, following) && SameStream(header, following)) return at;
    // A lone frame (one followed by a tag, say) is taken when no confirmed one turns up.
    first_plausible = std::min(first_plausible, at);
  }
  return first_plausible;
}

size_t FirstAudioFrame(const uint8_t* data, size_t size) {
  size_t at = FindFrame(data, size, Id3v2TagSize(data, size), kAnyLayer);
  if (at >= size) return size;
  MpegHeader header;
  ParseHeaderAt(data, size, at, header);
  if (header.option == kLayerIII && IsVbrInfoFrame(data + at, size - at, header)) {
    at = FindLayer3Frame(data, size, at + 1);
  }
  return at;
}

bool IsVbrInfoFrame(const uint8_t* frame, size_t available, const MpegHeader& header) {
  const size_t offset = 4 + static_cast<size_t>(HeaderLayer3SideInfoBytes(header));
  if (available < offset + 4) return false;
  return std::memcmp(frame + offset, "Xing", 4) == 0 || std::memcmp(frame + offset, "Info", 4) == 0;
}

StreamDecodeResult DecodeStream(const DecoderVariant& variant, const uint8_t* data, size_t size, int32_t reduction_code,
                                int32_t convert_code, int32_t freq_limit) {
  StreamDecodeResult result;
  size_t at = FirstAudioFrame(data, size);
  if (at >= size) return result;
  MpegHeader header;
  const int32_t first_length = ParseHeaderAt(data, size, at, header);
  Decoder decoder;
  if (first_length <= 0 || variant.Init(decoder, header, first_length, reduction_code, 0, convert_code, freq_limit) == 0) {
    return result;
  }
  result.initialised = true;
  variant.Info(decoder, result.info);
  std::vector<uint8_t> frame_pcm(kMaxFrameOutputBytes);
  while (at + 4 <= size) {
    const int32_t available = static_cast<int32_t>(std::min<size_t>(size - at, 1 << 20));
    const FrameResult frame = variant.Decode(decoder, data + at, available, frame_pcm.data());
    if (frame.in_bytes <= 0) {
      ++result.refused;
      at = FindFrame(data, size, at + 1, header.option);
      continue;
    }
    result.pcm.insert(result.pcm.end(), frame_pcm.begin(), frame_pcm.begin() + frame.out_bytes);
    ++result.frames;
    at += static_cast<size_t>(frame.in_bytes);
  }
  return result;
}

}  // namespace sonvarek::mpegdec
