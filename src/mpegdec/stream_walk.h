#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "mpegdec/decoder.h"
#include "mpegdec/frame_walker.h"

namespace sonvarek::mpegdec {

// Whole-buffer helpers for tools, tests and benchmarks, over the FrameWalker that the MP3
// decoding job walks its input with.

// Size of a leading ID3v2 tag (header, body and footer) as its header announces it, at most
// `size`; 0 when there is none.
size_t Id3v2TagSize(const uint8_t* data, size_t size);

// ParseHeader on the frame at offset `at` of a buffer of `size` bytes, any size.
int32_t ParseHeaderAt(const uint8_t* data, size_t size, size_t at, MpegHeader& header);

// Offset of the first confirmed frame (FindConfirmedFrame) at or after `from` of layer code
// `option` (a LayerCode, or kAnyLayer), free format included; `size` when there is none.
size_t FindFrame(const uint8_t* data, size_t size, size_t from, int32_t option);
size_t FindLayer3Frame(const uint8_t* data, size_t size, size_t from);

struct StreamDecodeResult {
  bool initialised = false;
  DecoderInfo info{};
  int32_t frames = 0;       // frames decoded
  int32_t refused = 0;      // frames refused by Decode (each followed by a resync)
  int32_t resyncs = 0;      // times the walk left the frame sequence and searched on
  std::vector<uint8_t> pcm; // all output, as Decode wrote it (DecodeStream only)
};

// Takes one frame's PCM; `consumed` is the offset in the buffer up to which input is done with.
// Returning false ends the walk.
using PcmSink = std::function<bool(const uint8_t* pcm, size_t bytes, size_t consumed)>;

// Skips a leading ID3v2 tag, walks the buffer's stream of any layer with a FrameWalker,
// initialises `variant` on a Decoder of its own from the first audio frame and decodes every
// frame into `sink`; after a refused frame the walk resynchronises.
StreamDecodeResult WalkStream(const DecoderVariant& variant, const uint8_t* data, size_t size, int32_t reduction_code,
                              int32_t convert_code, int32_t freq_limit, const PcmSink& sink);

// WalkStream collecting all PCM in the result.
StreamDecodeResult DecodeStream(const DecoderVariant& variant, const uint8_t* data, size_t size,
                                int32_t reduction_code = kFullRate, int32_t convert_code = kKeepChannels,
                                int32_t freq_limit = kFullBandLimit);

}  // namespace sonvarek::mpegdec
