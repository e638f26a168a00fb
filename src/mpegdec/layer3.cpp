#include "mpegdec/layer3.h"

#include <algorithm>
#include <cstring>

#include "mpegdec/bit_reader.h"
#include "mpegdec/pcm_output.h"

namespace sonvarek::mpegdec::detail {
namespace {

// MPEG-1 scale factor bit lengths by scalefac_compress.
constexpr uint8_t kSlen[2][16] = {
    {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
    {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3},
};
// MPEG-1 scale factor share groups (scfsi bands) as long band ranges.
constexpr uint8_t kScfsiBands[5] = {0, 6, 11, 16, 21};

// MPEG-2 scale factor counts per partition: [slen case][long, short, mixed][partition].
constexpr uint8_t kLsfPartitions[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

void l3_read_granule(BitReader& bits, bool lsf, int band_table, GranuleInfo& gi) {
  gi.part2_3_length = bits.Read(12);
  gi.big_values = std::min<uint32_t>(bits.Read(9), 288);
  gi.global_gain = static_cast<int32_t>(bits.Read(8));
  gi.scalefac_compress = bits.Read(lsf ? 9 : 4);
  gi.window_switching = bits.Read(1) != 0;
  const BandTable& bands = kBandTables[band_table];
  uint32_t region1 = 576;
  uint32_t region2 = 576;
  if (gi.window_switching) {
    gi.block_type = static_cast<uint8_t>(bits.Read(2));
    gi.mixed_block = bits.Read(1) != 0;
    for (int i = 0; i < 2; ++i) gi.table_select[i] = static_cast<uint8_t>(bits.Read(5));
    gi.table_select[2] = 0;
    for (uint8_t& gain : gi.subblock_gain) gain = static_cast<uint8_t>(bits.Read(3));
    // Implicit region counts: with short blocks region 1 starts at the fourth short band
    // (line 36, or 72 at 8 kHz), otherwise at the ninth long band; it runs to the end of the
    // big values.
    region1 = gi.block_type == 2 ? 3u * bands.short_start[3] : bands.long_start[8];
  } else {
    gi.block_type = 0;
    gi.mixed_block = false;
    for (uint8_t& table : gi.table_select) table = static_cast<uint8_t>(bits.Read(5));
    gi.subblock_gain[0] = gi.subblock_gain[1] = gi.subblock_gain[2] = 0;
    const uint32_t region0_count = bits.Read(4);
    const uint32_t region1_count = bits.Read(3);
    region1 = bands.long_start[std::min<uint32_t>(region0_count + 1, 22)];
    region2 = bands.long_start[std::min<uint32_t>(region0_count + region1_count + 2, 22)];
  }
  const uint32_t big_end = gi.big_values * 2;
  gi.region1_start = static_cast<uint16_t>(std::min(region1, big_end));
  gi.region2_start = static_cast<uint16_t>(std::min(region2, big_end));
  gi.preflag = lsf ? false : bits.Read(1) != 0;
  gi.scalefac_scale = static_cast<uint8_t>(bits.Read(1));
  gi.count1_table = static_cast<uint8_t>(bits.Read(1));
}

void l3_scalefactors_mpeg1(BitReader& bits, const GranuleInfo& gi, int granule, const uint8_t* scfsi, Scalefactors& sf) {
  const int slen1 = kSlen[0][gi.scalefac_compress & 15];
  const int slen2 = kSlen[1][gi.scalefac_compress & 15];
  std::memset(sf.illegal_l, 7, sizeof sf.illegal_l);
  std::memset(sf.illegal_s, 7, sizeof sf.illegal_s);
  if (l3_short_blocks(gi)) {
    int sfb = 0;
    if (gi.mixed_block) {
      for (; sfb < 8; ++sfb) sf.l[sfb] = static_cast<uint8_t>(bits.Read(slen1));
      sfb = 3;
    }
    for (; sfb < 12; ++sfb)
      for (int w = 0; w < 3; ++w) sf.s[sfb][w] = static_cast<uint8_t>(bits.Read(sfb < 6 ? slen1 : slen2));
    sf.s[12][0] = sf.s[12][1] = sf.s[12][2] = 0;
    return;
  }
  for (int group = 0; group < 4; ++group) {
    if (granule == 1 && scfsi[group]) continue;  // shared with granule 0
    const int slen = group < 2 ? slen1 : slen2;
    for (int sfb = kScfsiBands[group]; sfb < kScfsiBands[group + 1]; ++sfb) sf.l[sfb] = static_cast<uint8_t>(bits.Read(slen));
  }
  sf.l[21] = 0;
}

// MPEG-2 scale factors: the bit lengths and partition sizes come from scalefac_compress; the
// right channel of an intensity stereo frame uses the second set of cases.
void l3_scalefactors_lsf(BitReader& bits, GranuleInfo& gi, bool intensity_right, Scalefactors& sf) {
  uint32_t sfc = gi.scalefac_compress;
  int slen[4] = {0, 0, 0, 0};
  int table = 0;
  if (!intensity_right) {
    if (sfc < 400) {
      slen[0] = (sfc >> 4) / 5; slen[1] = (sfc >> 4) % 5; slen[2] = (sfc & 15) >> 2; slen[3] = sfc & 3;
      table = 0;
    } else if (sfc < 500) {
      sfc -= 400;
      slen[0] = (sfc >> 2) / 5; slen[1] = (sfc >> 2) % 5; slen[2] = sfc & 3;
      table = 1;
    } else {
      sfc -= 500;
      slen[0] = sfc / 3; slen[1] = sfc % 3;
      table = 2;
      gi.preflag = true;
    }
  } else {
    sfc >>= 1;
    if (sfc < 180) {
      slen[0] = sfc / 36; slen[1] = (sfc % 36) / 6; slen[2] = (sfc % 36) % 6;
      table = 3;
    } else if (sfc < 244) {
      sfc -= 180;
      slen[0] = (sfc & 63) >> 4; slen[1] = (sfc & 15) >> 2; slen[2] = sfc & 3;
      table = 4;
    } else {
      sfc -= 244;
      slen[0] = sfc / 3; slen[1] = sfc % 3;
      table = 5;
    }
  }
  const bool short_blocks = l3_short_blocks(gi);
  const int kind = short_blocks ? (gi.mixed_block ? 2 : 1) : 0;
  // Scale factors in coded order: long bands first (all 21, or 6 of a mixed block), then
  // short bands window by window.
  const int long_count = kind == 0 ? 21 : kind == 2 ? 6 : 0;
  const int first_short = kind == 2 ? 3 : 0;
  int slot = 0;
  std::memset(sf.l, 0, sizeof sf.l);
  std::memset(sf.s, 0, sizeof sf.s);
  std::memset(sf.illegal_l, 0, sizeof sf.illegal_l);
  std::memset(sf.illegal_s, 0, sizeof sf.illegal_s);
  for (int part = 0; part < 4; ++part) {
    const int bits_per = slen[part];
    const uint8_t illegal = static_cast<uint8_t>((1 << bits_per) - 1);
    for (int n = 0; n < kLsfPartitions[table][kind][part]; ++n, ++slot) {
      const uint8_t value = static_cast<uint8_t>(bits.Read(bits_per));
      if (slot < long_count) {
        sf.l[slot] = value;
        sf.illegal_l[slot] = illegal;
      } else {
        const int short_slot = slot - long_count;
        const int sfb = first_short + short_slot / 3;
        if (sfb > 11) continue;
        sf.s[sfb][short_slot % 3] = value;
        sf.illegal_s[sfb] = illegal;
      }
    }
  }
  // The last bands carry no scale factor; intensity stereo uses the one below them.
  sf.illegal_l[21] = sf.illegal_l[20];
  sf.illegal_s[12] = sf.illegal_s[11];
}

// Appends this frame's main data to the reservoir, keeping at most the 511 bytes that a
// later frame can reach back to. Returns where the new data starts.
int32_t l3_reservoir_append(DecoderState& state, const uint8_t* data, int32_t bytes) {
  const int32_t keep = std::min(state.reservoir_bytes, kMaxMainDataBegin);
  std::memmove(state.reservoir, state.reservoir + state.reservoir_bytes - keep, static_cast<size_t>(keep));
  std::memcpy(state.reservoir + keep, data, static_cast<size_t>(bytes));
  state.reservoir_bytes = keep + bytes;
  std::memset(state.reservoir + state.reservoir_bytes, 0, kReservoirPadding);
  return keep;
}

// Reads scale factors and Huffman data of one granule and channel into state.spectrum[ch].
// Returns the end of the possibly non-zero lines.
int l3_decode_channel(DecoderState& state, const DecoderTables& tables, const MpegHeader& header, const SideInfo& side,
                      int gr, int ch, int band_table, uint32_t start, Scalefactors& sf) {
  GranuleInfo gi = side.granule[gr][ch];
  const uint32_t data_end = static_cast<uint32_t>(state.reservoir_bytes) * 8;
  const uint32_t limit = std::min(start + gi.part2_3_length, data_end);
  BitReader bits(state.reservoir, std::min(start, limit), limit);
  if (header.id == 1) {
    l3_scalefactors_mpeg1(bits, gi, gr, side.scfsi[ch], sf);
  } else {
    const bool intensity_right = ch == 1 && header.mode == kJointStereo && (header.mode_ext & 1);
    l3_scalefactors_lsf(bits, gi, intensity_right, sf);
  }
  float* xr = state.spectrum[ch];
  if (bits.Overrun()) {
    std::fill(xr, xr + 576, 0.0f);
    return 0;
  }
  GainRuns runs;
  l3_gain_runs(tables, gi, sf, kBandTables[band_table], l3_long_bands_mixed(header), runs);
  return l3_huffman(tables, state.reservoir, bits.Position(), limit, gi, runs, xr);
}

// Hybrid filter bank and synthesis of one granule into `pcm` (interleaved per Info).
void l3_output_granule(DecoderState& state, const DecoderTables& tables, const MpegHeader& header, const SideInfo& side,
                       int gr, int band_table, const int* nonzero, int channels, uint8_t* pcm) {
  const int long_lines = kBandTables[band_table].long_start[l3_long_bands_mixed(header)];
  auto hybrid = [&](int ch, int into) {
    l3_hybrid(tables, side.granule[gr][ch], band_table, long_lines, nonzero[ch], state.subbands, state.spectrum[ch],
              state.reordered, state.overlap[ch], state.subband_samples[into]);
  };
  auto synthesize = [&](int index) { synth_granule(tables, state.synth[index], state.subband_samples[index], state.pcm[index]); };
  const PcmFormat format{state.reduction, state.info.channels, state.eight_bit};
  if (channels == 2 && format.channels == 2) {
    hybrid(0, 0);
    hybrid(1, 1);
    synthesize(0);
    synthesize(1);
    pcm_store_granule(format, state.pcm[0], state.pcm[1], pcm);
    return;
  }
  if (channels == 2) {
    if (state.conversion == kLeftChannel) {
      hybrid(0, 0);
    } else if (state.conversion == kRightChannel) {
      hybrid(1, 0);
    } else {
      // The synthesis is linear, so mixing its input mixes its output.
      hybrid(0, 0);
      hybrid(1, 1);
      float* a = &state.subband_samples[0][0][0];
      const float* b = &state.subband_samples[1][0][0];
      for (int i = 0; i < 32 * kSlotStride; ++i) a[i] = (a[i] + b[i]) * 0.5f;
    }
  } else {
    hybrid(0, 0);
  }
  synthesize(0);
  pcm_store_granule(format, state.pcm[0], nullptr, pcm);
}

}  // namespace

int l3_band_table(const MpegHeader& header) {
  const int sr = std::min(header.sr_index, 2);
  if (header.id == 1) return sr;
  return (header.sync == 2 ? 6 : 3) + sr;
}

void l3_read_side_info(const uint8_t* bytes, int32_t size, const MpegHeader& header, int band_table, SideInfo& side) {
  BitReader bits(bytes, 0, static_cast<uint32_t>(size) * 8);
  const int channels = HeaderChannels(header);
  const bool lsf = header.id == 0;
  std::memset(&side, 0, sizeof side);
  if (!lsf) {
    side.main_data_begin = bits.Read(9);
    bits.Read(channels == 1 ? 5 : 3);
    for (int ch = 0; ch < channels; ++ch)
      for (int band = 0; band < 4; ++band) side.scfsi[ch][band] = static_cast<uint8_t>(bits.Read(1));
  } else {
    side.main_data_begin = bits.Read(8);
    bits.Read(channels == 1 ? 1 : 2);
  }
  const int granules = lsf ? 1 : 2;
  for (int gr = 0; gr < granules; ++gr)
    for (int ch = 0; ch < channels; ++ch) l3_read_granule(bits, lsf, band_table, side.granule[gr][ch]);
}

FrameResult l3_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  MpegHeader header;
  const int32_t length = stream_frame_length(state, input, available, header);
  if (length <= 0) return {};
  const int channels = HeaderChannels(header);
  const int32_t side_offset = header.prot == 0 ? 6 : 4;
  const int32_t side_size = HeaderLayer3SideInfoBytes(header);
  const int32_t main_bytes = length - side_offset - side_size;
  if (main_bytes < 0 || main_bytes > kMaxMainDataBytes) return {};

  const DecoderTables& tables = Tables();
  const int band_table = l3_band_table(header);
  SideInfo side;
  l3_read_side_info(input + side_offset, side_size, header, band_table, side);
  const bool reachable = static_cast<int32_t>(side.main_data_begin) <= std::min(state.reservoir_bytes, kMaxMainDataBegin);
  const int32_t new_data = l3_reservoir_append(state, input + side_offset + side_size, main_bytes);

  const int granules = header.id == 1 ? 2 : 1;
  const int32_t granule_bytes = (576 >> state.reduction) * state.info.channels * (state.eight_bit ? 1 : 2);
  const FrameResult result{length, granules * granule_bytes};
  if (!reachable) {
    pcm_silence(state.eight_bit, result.out_bytes, output);
    return result;
  }
  uint32_t position = static_cast<uint32_t>(new_data - static_cast<int32_t>(side.main_data_begin)) * 8;
  Scalefactors scalefactors[2] = {};
  for (int gr = 0; gr < granules; ++gr) {
    int nonzero[2] = {0, 0};
    for (int ch = 0; ch < channels; ++ch) {
      nonzero[ch] = l3_decode_channel(state, tables, header, side, gr, ch, band_table, position, scalefactors[ch]);
      position += side.granule[gr][ch].part2_3_length;
    }
    if (channels == 2) {
      nonzero[0] = nonzero[1] = std::max(nonzero[0], nonzero[1]);
      if (header.mode == kJointStereo)
        l3_stereo(tables, header, side.granule[gr][0], side.granule[gr][1], scalefactors[1], kBandTables[band_table],
                  state.spectrum[0], state.spectrum[1], nonzero[0]);
    }
    l3_output_granule(state, tables, header, side, gr, band_table, nonzero, channels, output + gr * granule_bytes);
  }
  return result;
}

}  // namespace sonvarek::mpegdec::detail
