#pragma once

#include "mpegdec/decoder_tables.h"

namespace sonvarek::mpegdec::detail {

// History of the polyphase synthesis filter bank for one channel: the last 16 vectors V.
struct SynthState {
  alignas(32) float v[16][64];
  int32_t newest;
};

void synth_reset(SynthState& state);

// Filters one time slot of 32 subband samples into 32 PCM samples in 16-bit units (full
// scale +-32768, not yet rounded or clipped).
void synth_slot(const DecoderTables& tables, SynthState& state, const float* subbands, float* pcm);

}  // namespace sonvarek::mpegdec::detail
