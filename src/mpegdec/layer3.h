#pragma once

#include <cstdint>

#include "mpegdec/decoder_state.h"
#include "mpegdec/decoder_tables.h"

namespace sonvarek::mpegdec::detail {

struct GranuleInfo {
  uint32_t part2_3_length;
  uint32_t big_values;
  int32_t global_gain;
  uint32_t scalefac_compress;
  bool window_switching;
  uint8_t block_type;
  bool mixed_block;
  uint8_t table_select[3];
  uint8_t subblock_gain[3];
  uint16_t region1_start;   // spectral lines, clamped to big_values * 2
  uint16_t region2_start;
  bool preflag;
  uint8_t scalefac_scale;
  uint8_t count1_table;
};

struct SideInfo {
  uint32_t main_data_begin;
  uint8_t scfsi[2][4];
  GranuleInfo granule[2][2];  // [granule][channel]
};

struct Scalefactors {
  uint8_t l[22];
  uint8_t s[13][3];
  // Largest value each band's scale factor could take (MPEG-2): the illegal intensity position.
  uint8_t illegal_l[22];
  uint8_t illegal_s[13];
};

// True when the granule uses short windows (all of them, or above the long bands of a mixed
// block).
inline bool l3_short_blocks(const GranuleInfo& gi) { return gi.window_switching && gi.block_type == 2; }

// Long bands before the short ones in a mixed block.
inline int l3_long_bands_mixed(const MpegHeader& header) { return header.id == 1 ? 8 : 6; }

// Visits the scale-factor bands in coded order: on_long(sfb) for each long band, then
// on_short(sfb, window, start, width) for each window of each short band, with `start` the
// window's first coded line. A mixed block has `long_bands_mixed` long bands, then the short
// bands from 3 on.
template <typename OnLong, typename OnShort>
void l3_for_each_band(const GranuleInfo& gi, const BandTable& bands, int long_bands_mixed, OnLong on_long, OnShort on_short) {
  if (!l3_short_blocks(gi)) {
    for (int sfb = 0; sfb < 22; ++sfb) on_long(sfb);
    return;
  }
  int first_short = 0;
  if (gi.mixed_block) {
    for (int sfb = 0; sfb < long_bands_mixed; ++sfb) on_long(sfb);
    first_short = 3;
  }
  for (int sfb = first_short; sfb < 13; ++sfb) {
    const int width = bands.short_start[sfb + 1] - bands.short_start[sfb];
    for (int w = 0; w < 3; ++w) on_short(sfb, w, 3 * bands.short_start[sfb] + w * width, width);
  }
}

// Index into kBandTables for a header.
int l3_band_table(const MpegHeader& header);

// Parses the side information (`size` bytes, the exact size for the header's mode).
void l3_read_side_info(const uint8_t* bytes, int32_t size, const MpegHeader& header, int band_table, SideInfo& side);

// Requantisation gain of every run of lines that shares one scale factor, in coded order,
// ended by a run that is never crossed.
struct GainRuns {
  uint16_t end[41];
  float gain[41];
};
void l3_gain_runs(const DecoderTables& tables, const GranuleInfo& gi, const Scalefactors& sf, const BandTable& bands,
                  int long_bands_mixed, GainRuns& runs);

// Huffman decoding with requantisation of one granule and channel, from bit `position` to
// `limit` of `data` into `xr` (576 lines). Returns the end of the lines that may be non-zero.
// Stops at the first pair that starts past the limit; a count1 quadruple that would cross it
// is dropped. `data` must stay readable for 16 bytes past limit / 8.
int l3_huffman(const DecoderTables& tables, const uint8_t* data, uint32_t position, uint32_t limit, const GranuleInfo& gi,
               const GainRuns& runs, float* xr);

// Mid/side and intensity stereo of one granule on both channels' coded lines, up to
// `nonzero`. `gi` gives the block layout, the right channel's scale factors the intensity
// positions.
void l3_stereo(const DecoderTables& tables, const MpegHeader& header, const GranuleInfo& gi, const GranuleInfo& right_gi,
               const Scalefactors& right_sf, const BandTable& bands, float* left, float* right, int nonzero);

// The hybrid filter bank of one channel and granule: alias reduction, IMDCT with overlap-add
// and frequency inversion, from `spectrum` (coded order; altered) to out[subband][time].
// Subbands from `subbands` on, and those without data, carry only the fading overlap.
void l3_hybrid(const DecoderTables& tables, const GranuleInfo& gi, int band_table, int long_lines_mixed,
               int nonzero, int subbands, float* spectrum, float* reordered, float (*overlap)[18], float (*out)[kSlotStride]);

// Decodes one Layer III frame with one stream's state (see DecoderVariant::Decode).
FrameResult l3_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);

}  // namespace sonvarek::mpegdec::detail
