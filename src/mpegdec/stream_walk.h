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

// Size the 10-byte ID3v2 header at `head` announces for its whole tag (header, body and
// footer), 0 when it is no ID3v2 header or its size is not synchsafe.
uint64_t Id3v2AnnouncedSize(const uint8_t* head);

// ParseHeader on the frame at offset `at` of a buffer of `size` bytes, any size.
int32_t ParseHeaderAt(const uint8_t* data, size_t size, size_t at, MpegHeader& header);

// Offset of the first Layer III frame at or after `from` whose header parses and, when the
// buffer holds it, is followed by a frame of the same stream; failing that, the first one
// whose header parses; `size` when there is none.
size_t FindLayer3Frame(const uint8_t* data, size_t size, size_t from);
// FindFrame's `option` for frames of every layer.
inline constexpr int32_t kAnyLayer = 0;
// The same for frames of layer code `option` (a LayerCode, or kAnyLayer).
size_t FindFrame(const uint8_t* data, size_t size, size_t from, int32_t option);

// True when the frame at `frame` is a Xing/Info VBR information frame rather than audio.
bool IsVbrInfoFrame(const uint8_t* frame, size_t available, const MpegHeader& header);

// Where decoding starts: the first frame of any layer after a leading ID3v2 tag, or the next
// Layer III frame when that one is a VBR information frame; `size` when there is none.
size_t FirstAudioFrame(const uint8_t* data, size_t size);

struct StreamDecodeResult {
  bool initialised = false;
  DecoderInfo info{};
  int32_t frames = 0;       // frames decoded
  int32_t refused = 0;      // frame starts refused by Decode (each followed by a resync)
  std::vector<uint8_t> pcm; // all output, as Decode wrote it
};

// Skips a leading ID3v2 tag and a VBR information frame, finds the first frame of any layer,
// resynchronises on frames of its layer, initialises `variant` on a Decoder of its own from the
// first frame and decodes every frame, resynchronising byte by byte after a refused one.
StreamDecodeResult DecodeStream(const DecoderVariant& variant, const uint8_t* data, size_t size,
                                int32_t reduction_code = kFullRate, int32_t convert_code = kKeepChannels,
                                int32_t freq_limit = kFullBandLimit);

}  // namespace sonvarek::mpegdec
