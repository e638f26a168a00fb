#pragma once

#include <cstdint>

#include "mpegdec/synthesis.h"

namespace sonvarek::mpegdec::detail {

struct PcmFormat {
  int32_t reduction;  // keep every 2^reduction-th sample
  int32_t channels;   // interleaved output channels
  bool eight_bit;     // unsigned 8-bit instead of signed 16-bit little-endian
};

// Synthesises 18 time slots of out[time][subband] and writes them as output channel
// `channel` of one granule (576 >> reduction samples per channel) at `pcm`.
void pcm_synthesize(const DecoderTables& tables, SynthState& synth, const float (*subbands)[32], const PcmFormat& format,
                    int channel, uint8_t* pcm);

// Copies channel 0 of one granule into channel 1.
void pcm_duplicate_left(const PcmFormat& format, uint8_t* pcm);

// Writes `bytes` bytes of the zero level.
void pcm_silence(bool eight_bit, int32_t bytes, uint8_t* pcm);

}  // namespace sonvarek::mpegdec::detail
