#pragma once

#include "mpegdec/decoder_tables.h"

namespace sonvarek::mpegdec::detail {

inline constexpr int kGranuleSlots = 18;
// Rows of slots are padded to a multiple of 8 floats so that every operation across the slots
// of a granule is whole vectors; the padding is kept at zero and never output.
inline constexpr int kSlotStride = 24;

// History of the polyphase synthesis filter bank for one channel: the last 16 vectors V.
struct SynthState {
  alignas(32) float v[16][64];
  int32_t newest;
};

void synth_reset(SynthState& state);

// Filters the 18 time slots of one granule, subbands[subband][slot], into pcm[slot][sample]
// in 16-bit units (full scale +-32768, not yet rounded or clipped). `subbands` is used as
// scratch: its slots are overwritten, its padding stays zero.
// `slots` (at most 18) are filtered: Layer I frames have 12 per block.
void synth_granule(const DecoderTables& tables, SynthState& state, float (*subbands)[kSlotStride], float (*pcm)[32],
                   int slots = kGranuleSlots);

}  // namespace sonvarek::mpegdec::detail
