#pragma once

#include <cstdint>

#include "mpegdec/synthesis.h"

namespace sonvarek::mpegdec::detail {

struct PcmFormat {
  int32_t reduction;  // keep every 2^reduction-th sample
  int32_t channels;   // interleaved output channels
  bool eight_bit;     // unsigned 8-bit instead of signed 16-bit little-endian
};

// Rounds, clips and writes one granule (18 slots of 32 samples, every 2^reduction-th kept)
// of `left` and, for two output channels, `right` interleaved at `pcm`. A null `right`
// with two output channels writes `left` to both.
// `slots` (a multiple of 4, at most 18) are written: Layer I blocks have 12.
void pcm_store_granule(const PcmFormat& format, const float (*left)[32], const float (*right)[32], uint8_t* pcm,
                       int slots = kGranuleSlots);

// Writes `bytes` bytes of the zero level.
void pcm_silence(bool eight_bit, int32_t bytes, uint8_t* pcm);

}  // namespace sonvarek::mpegdec::detail
