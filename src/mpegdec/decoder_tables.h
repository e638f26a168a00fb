#pragma once

#include <cstdint>

#include "mpegdec/layer3_huffman.h"

namespace sonvarek::mpegdec::detail {

// Scale factor band starts in spectral lines: 22 long bands and 13 short bands (per window).
struct BandTable {
  uint16_t long_start[23];
  uint16_t short_start[14];
};
// Index: MPEG-1 44.1/48/32 kHz, MPEG-2 22.05/24/16 kHz, MPEG-2.5 11.025/12/8 kHz.
extern const BandTable kBandTables[9];
extern const uint8_t kPretab[22];

inline constexpr int kPow43Size = 8207;   // |value| up to 15 + 8191
inline constexpr int kGainOffset = 384;   // gain[e + kGainOffset] = 2^(e / 4)
inline constexpr int kGainSize = 448;

// Constants computed once per process, read-only afterwards.
struct DecoderTables {
  float pow43[kPow43Size];
  float gain[kGainSize];
  float intensity_mpeg1[7][2];        // [is_pos][left, right]
  float intensity_mpeg2[2][32][2];    // [intensity_scale][is_pos][left, right]
  float alias_cs[8];
  float alias_ca[8];
  // 36-point IMDCT with the window of block type 0, 1 or 3 folded in ([2] unused):
  // [type][k][i] = window[i] * cos(pi / 72 * (2i + 19)(2k + 1)); columns 36..39 are 0.
  float imdct36[4][18][40];
  float imdct12[6][12];               // [k][i], short window folded in
  float synth_window[512];            // ISO synthesis window scaled to 16-bit units
  float dct32_scale[31];              // 1 / (2 cos) factors of the 32, 16, 8, 4, 2-point stages
  uint16_t short_reorder[9][576];     // [band table][subband * 18 + window * 6 + line] -> coded index
  HuffmanLookup huffman;
  // G.711 mu-law code of each 13-bit sample (16-bit sample >> 3, index in two's complement).
  uint8_t mulaw[8192];
  // The integer variant: Layer I/II scale factors 2^(1 - i/3) in Q29 (index 63: 0), the
  // synthesis matrix cos((16 + i)(2k + 1) pi / 64) in Q30 and the synthesis window in Q30.
  int32_t l12_scalefactor_q29[64];
  int32_t synth_matrix_q30[64][32];
  int32_t synth_window_q30[512];
};

// The G.711 mu-law code of a 14-bit linear sample (-8192..8191).
uint8_t MulawEncode(int32_t sample14);

// The tables, built on the first call.
const DecoderTables& Tables();

}  // namespace sonvarek::mpegdec::detail
