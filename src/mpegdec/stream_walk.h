#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mpegdec/decoder.h"

namespace sonvarek::mpegdec {

// Whole-buffer helpers for tools, tests and benchmarks. The MP3 decoding job has its own
// streaming loop; these follow the same rules on a buffer held in memory.

// Size of a leading ID3v2 tag (header, body and footer), 0 when there is none.
size_t Id3v2TagSize(const uint8_t* data, size_t size);

// Offset of the first Layer III frame at or after `from` whose header parses and, when the
// buffer holds it, is followed by a frame of the same stream; failing that, the first one
// whose header parses; `size` when there is none.
size_t FindLayer3Frame(const uint8_t* data, size_t size, size_t from);
// The same for frames of layer code `option` (1 Layer III, 2 Layer II, 3 Layer I; 0 any layer).
size_t FindFrame(const uint8_t* data, size_t size, size_t from, int32_t option);

// True when the frame at `frame` is a Xing/Info VBR information frame rather than audio.
bool IsVbrInfoFrame(const uint8_t* frame, size_t available, const MpegHeader& header);

struct StreamDecodeResult {
  bool initialised = false;
  DecoderInfo info{};
  int32_t frames = 0;       // frames decoded
  int32_t refused = 0;      // frame starts refused by Decode (each followed by a resync)
  std::vector<uint8_t> pcm; // all output, as Decode wrote it
};

// Skips a leading ID3v2 tag and a VBR information frame, finds the first frame of any layer,
// resynchronises on frames of its layer, initialises `variant` from the first
// frame and decodes every frame, resynchronising byte by byte after a refused one.
StreamDecodeResult DecodeStream(const DecoderVariant& variant, const uint8_t* data, size_t size, int32_t reduction_code = 0,
                                int32_t convert_code = 0, int32_t freq_limit = 24000);

}  // namespace sonvarek::mpegdec
