#include "mpegdec/layer12.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mpegdec/bit_reader.h"
#include "mpegdec/pcm_output.h"
#include "mpegdec/synthesis.h"

namespace sonvarek::mpegdec::detail {
namespace {

// Quantisation levels selectable per subband, by allocation value - 1 (ISO/IEC 11172-3
// tables B.2a-d, 13818-3 table B.1).
constexpr uint16_t kLevelsHigh[] = {3, 7, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535};
constexpr uint16_t kLevelsMid[] = {3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 65535};
constexpr uint16_t kLevelsUpper[] = {3, 5, 7, 9, 15, 31, 65535};
constexpr uint16_t kLevelsTop[] = {3, 5, 65535};
constexpr uint16_t kLevelsLowRate[] = {3, 5, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767};
constexpr uint16_t kLevelsLowRateUpper[] = {3, 5, 9, 15, 31, 63, 127};
constexpr uint16_t kLevelsLsf[] = {3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383};
constexpr uint16_t kLevelsLsfTop[] = {3, 5, 9};

struct BandRun {
  int count;
  uint8_t nbal;
  const uint16_t* levels;
};

constexpr L2AllocationTable make_table(std::initializer_list<BandRun> runs) {
  L2AllocationTable table{};
  int sb = 0;
  for (const BandRun& run : runs)
    for (int i = 0; i < run.count; ++i, ++sb) {
      table.nbal[sb] = run.nbal;
      table.levels[sb] = run.levels;
    }
  table.sblimit = sb;
  return table;
}

constexpr L2AllocationTable kTableA =
    make_table({{3, 4, kLevelsHigh}, {8, 4, kLevelsMid}, {12, 3, kLevelsUpper}, {4, 2, kLevelsTop}});
constexpr L2AllocationTable kTableB =
    make_table({{3, 4, kLevelsHigh}, {8, 4, kLevelsMid}, {12, 3, kLevelsUpper}, {7, 2, kLevelsTop}});
constexpr L2AllocationTable kTableC = make_table({{2, 4, kLevelsLowRate}, {6, 3, kLevelsLowRateUpper}});
constexpr L2AllocationTable kTableD = make_table({{2, 4, kLevelsLowRate}, {10, 3, kLevelsLowRateUpper}});
constexpr L2AllocationTable kTableLsf =
    make_table({{4, 4, kLevelsLsf}, {7, 3, kLevelsLowRateUpper}, {19, 2, kLevelsLsfTop}});

// Scale factor index i: 2^(1 - i/3); index 63 is not allowed and decodes to silence.
struct ScalefactorTable {
  float value[64];
  ScalefactorTable() {
    for (int i = 0; i < 63; ++i) value[i] = static_cast<float>(std::exp2(1.0 - i / 3.0));
    value[63] = 0.0f;
  }
};
const float* scalefactors() {
  static const ScalefactorTable table;
  return table.value;
}

// Subbands from this one on share one allocation and one set of samples in joint stereo.
int joint_bound(const MpegHeader& header, int limit) {
  return header.mode == kJointStereo ? std::min(limit, 4 * (header.mode_ext + 1)) : limit;
}

// A code of `levels` levels (3 .. 65535, 2^b - 1 or 5 and 9) as a fraction of the scale factor.
inline float l12_dequantise(uint32_t code, uint32_t levels) {
  return static_cast<float>(static_cast<int32_t>(2 * code) - static_cast<int32_t>(levels - 1)) / static_cast<float>(levels);
}

int bits_for_levels(uint32_t levels) {
  int bits = 0;
  while ((1u << bits) <= levels) ++bits;
  return bits;
}

// Three consecutive samples of one subband as fractions of the scale factor: 3, 5 and 9
// levels come grouped in one code word.
template <class A>
void l2_read_triplet(BitReader& bits, uint32_t levels, typename A::Sample* fractions) {
  if (levels == 3 || levels == 5 || levels == 9) {
    uint32_t packed = bits.Read(levels == 3 ? 5 : levels == 5 ? 7 : 10);
    for (int i = 0; i < 3; ++i) {
      fractions[i] = A::Fraction(packed % levels, levels);
      packed /= levels;
    }
    return;
  }
  const int width = bits_for_levels(levels);
  for (int i = 0; i < 3; ++i) fractions[i] = A::Fraction(bits.Read(width), levels);
}

// Synthesises and writes `blocks` blocks of `slots` slots from state.l12_samples, with the
// stream's channel conversion.
void l12_output(DecoderState& state, int channels, int blocks, int slots, uint8_t* output) {
  const DecoderTables& tables = Tables();
  const PcmFormat format{state.reduction, state.info.channels, state.eight_bit};
  const int32_t block_bytes = ((slots * 32) >> state.reduction) * state.info.channels * (state.eight_bit ? 1 : 2);
  const bool both = channels == 2 && format.channels == 2;
  for (int block = 0; block < blocks; ++block) {
    const int first = block * slots;
    for (int ch = 0; ch < (both ? 2 : 1); ++ch) {
      float(*into)[kSlotStride] = state.subband_samples[ch];
      for (int sb = 0; sb < 32; ++sb) {
        const float* left = &state.l12_samples[0][sb][first];
        const float* right = &state.l12_samples[1][sb][first];
        for (int t = 0; t < slots; ++t) {
          float value = left[t];
          if (both) value = ch == 0 ? left[t] : right[t];
          else if (channels == 2 && state.conversion == kRightChannel) value = right[t];
          else if (channels == 2 && state.conversion != kLeftChannel) value = (left[t] + right[t]) * 0.5f;
          into[sb][t] = value;
        }
        for (int t = slots; t < kGranuleSlots; ++t) into[sb][t] = 0.0f;
      }
      synth_granule(tables, state.synth[ch], state.subband_samples[ch], state.pcm[ch], slots);
    }
    pcm_store_granule(format, state.pcm[0], both ? state.pcm[1] : nullptr, output + block * block_bytes, slots);
  }
}

// Silences the subbands above the decoded limit, which are still read to keep the bit position.
template <class Sample>
void l12_clear_above(Sample (*samples)[32][36], int from) {
  for (int ch = 0; ch < 2; ++ch)
    for (int sb = from; sb < 32; ++sb) std::fill(samples[ch][sb], samples[ch][sb] + 36, Sample{});
}


// Floating-point samples: fractions of full scale, synthesised by the shared float filter bank.
struct FloatArithmetic {
  using Sample = float;
  static Sample Fraction(uint32_t code, uint32_t levels) { return l12_dequantise(code, levels); }
  static Sample Scale(uint32_t index) { return scalefactors()[index]; }
  static Sample Apply(Sample fraction, Sample scale) { return fraction * scale; }
  static Sample (*Samples(DecoderState& state))[32][36] { return state.l12_samples; }
  static void Output(DecoderState& state, int channels, int blocks, int slots, uint8_t* output) {
    l12_output(state, channels, blocks, slots, output);
  }
};

inline int32_t fixed_round_shift(int64_t value, int shift) { return static_cast<int32_t>((value + (int64_t{1} << (shift - 1))) >> shift); }

// One slot of the integer synthesis: matrixing of 32 Q28 subband samples into a new V, then
// the window over the 16 newest V (Q24), giving 32 samples in 16-bit units (rounded, not clipped).
void synth_fixed_slot(const DecoderTables& tables, FixedSynthState& synth, const int32_t* subbands, int32_t* pcm) {
  synth.newest = (synth.newest + 15) & 15;
  int32_t* v = synth.v[synth.newest];
  for (int i = 0; i < 64; ++i) {
    int64_t sum = 0;
    // Products are cut to Q54 and V kept in Q24 so that no input, however loud, overflows.
    for (int k = 0; k < 32; ++k) sum += (static_cast<int64_t>(tables.synth_matrix_q30[i][k]) * subbands[k]) >> 4;
    v[i] = fixed_round_shift(sum, 30);
  }
  for (int j = 0; j < 32; ++j) {
    int64_t sum = 0;
    for (int i = 0; i < 8; ++i) {
      const int32_t* w = tables.synth_window_q30 + 64 * i;
      sum += (static_cast<int64_t>(w[j]) * synth.v[(synth.newest + 2 * i) & 15][j]) >> 4;
      sum += (static_cast<int64_t>(w[32 + j]) * synth.v[(synth.newest + 2 * i + 1) & 15][32 + j]) >> 4;
    }
    pcm[j] = fixed_round_shift(sum, 35);  // Q50 to 16-bit units (x 2^15)
  }
}

void fixed_put(const DecoderState& state, int32_t sample, uint8_t* at) {
  sample = std::clamp(sample, -32768, 32767);
  if (state.eight_bit) {
    at[0] = static_cast<uint8_t>((sample >> 8) + 128);
    return;
  }
  at[0] = static_cast<uint8_t>(sample);
  at[1] = static_cast<uint8_t>(static_cast<uint32_t>(sample) >> 8);
}

// The integer counterpart of l12_output, from state.l12_fixed_samples.
void l12_fixed_output(DecoderState& state, int channels, int blocks, int slots, uint8_t* output) {
  const DecoderTables& tables = Tables();
  const int outputs = state.info.channels;
  const bool both = channels == 2 && outputs == 2;
  const int step = 1 << state.reduction;
  const int sample_bytes = state.eight_bit ? 1 : 2;
  int written = 0;
  for (int t = 0; t < blocks * slots; ++t) {
    int32_t pcm[2][32];
    for (int ch = 0; ch < (both ? 2 : 1); ++ch) {
      int32_t subbands[32];
      for (int sb = 0; sb < 32; ++sb) {
        const int32_t left = state.l12_fixed_samples[0][sb][t];
        const int32_t right = state.l12_fixed_samples[1][sb][t];
        int32_t value = left;
        if (both) value = ch == 0 ? left : right;
        else if (channels == 2 && state.conversion == kRightChannel) value = right;
        else if (channels == 2 && state.conversion != kLeftChannel) value = static_cast<int32_t>((int64_t{left} + right) >> 1);
        subbands[sb] = value;
      }
      synth_fixed_slot(tables, state.fixed_synth[ch], subbands, pcm[ch]);
    }
    for (int j = 0; j < 32; j += step) {
      for (int ch = 0; ch < outputs; ++ch) fixed_put(state, pcm[both ? ch : 0][j], output + (written * outputs + ch) * sample_bytes);
      ++written;
    }
  }
}

// Fixed-point samples (Q28), scale factors (Q29) and fractions (Q30); see l12_fixed_output.
struct FixedArithmetic {
  using Sample = int32_t;
  static Sample Fraction(uint32_t code, uint32_t levels) {
    const int64_t numerator = (static_cast<int64_t>(2 * code) - (levels - 1)) * (int64_t{1} << 30);
    return static_cast<int32_t>(numerator / levels);
  }
  static Sample Scale(uint32_t index) { return Tables().l12_scalefactor_q29[index]; }
  static Sample Apply(Sample fraction, Sample scale) {
    return static_cast<int32_t>((static_cast<int64_t>(fraction) * scale + (int64_t{1} << 30)) >> 31);
  }
  static Sample (*Samples(DecoderState& state))[32][36] { return state.l12_fixed_samples; }
  static void Output(DecoderState& state, int channels, int blocks, int slots, uint8_t* output) {
    l12_fixed_output(state, channels, blocks, slots, output);
  }
};
}  // namespace

const L2AllocationTable* l12_allocation_table(const MpegHeader& header, int32_t free_format_bytes) {
  if (header.id == 0) return &kTableLsf;
  // Free format: the rate the frame length gives (144000 * kbit/s / rate bytes, rounded: a
  // table rate's frames are one byte short of it where they pad).
  if (header.br_index == 0) {
    const int64_t kbps = (int64_t{HeaderSampleRate(header)} * free_format_bytes + 72000) / 144000;
    const int64_t per_channel = header.mode == kSingleChannel ? kbps : kbps / 2;
    if (per_channel < 56) return header.sr_index == 2 ? &kTableD : &kTableC;
    return per_channel <= 80 || header.sr_index == 1 ? &kTableA : &kTableB;
  }
  const int32_t total = HeaderBitrateKbps(header);
  const int32_t per_channel = header.mode == kSingleChannel ? total : total / 2;
  if (header.mode != kSingleChannel && (total == 32 || total == 48 || total == 56 || total == 80)) return nullptr;
  if (per_channel < 32 || per_channel > 192) return nullptr;
  if (per_channel <= 48) return header.sr_index == 2 ? &kTableD : &kTableC;
  if (per_channel <= 80 || header.sr_index == 1) return &kTableA;
  return &kTableB;
}

template <class A>
FrameResult l1_decode(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  MpegHeader header;
  const int32_t length = stream_frame_length(state, input, available, header);
  if (length <= 0) return {};
  const int channels = HeaderChannels(header);
  const int bound = channels == 2 ? joint_bound(header, 32) : 32;
  BitReader bits(input, header.prot == 0 ? 48 : 32, static_cast<uint32_t>(length) * 8);

  uint8_t allocation[2][32] = {};
  for (int sb = 0; sb < 32; ++sb)
    for (int ch = 0; ch < channels; ++ch) {
      if (sb >= bound && ch == 1) {
        allocation[1][sb] = allocation[0][sb];
        continue;
      }
      allocation[ch][sb] = static_cast<uint8_t>(bits.Read(4));
    }
  typename A::Sample scale[2][32] = {};
  auto samples = A::Samples(state);
  for (int sb = 0; sb < 32; ++sb)
    for (int ch = 0; ch < channels; ++ch)
      if (allocation[ch][sb] != 0) scale[ch][sb] = A::Scale(bits.Read(6));
  for (int slot = 0; slot < 12; ++slot)
    for (int sb = 0; sb < 32; ++sb)
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        // Allocation 15 is forbidden: such a subband stays silent.
        const int alloc = allocation[ch][sb];
        typename A::Sample fraction = 0;
        if (alloc != 0 && alloc != 15) fraction = A::Fraction(bits.Read(alloc + 1), (2u << alloc) - 1);
        samples[ch][sb][slot] = A::Apply(fraction, scale[ch][sb]);
        // In the joint subbands both channels share the sample, each with its own scale factor.
        if (sb >= bound && channels == 2) samples[1][sb][slot] = A::Apply(fraction, scale[1][sb]);
      }
  l12_clear_above(samples, state.subbands);
  A::Output(state, channels, 1, 12, output);
  return {length, state.info.outvalues * (state.eight_bit ? 1 : 2)};
}

template <class A>
FrameResult l2_decode(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  MpegHeader header;
  const int32_t length = stream_frame_length(state, input, available, header);
  if (length <= 0) return {};
  const L2AllocationTable* allocation_table = l12_allocation_table(header, state.framebytes);
  if (allocation_table == nullptr) return {};
  const int channels = HeaderChannels(header);
  const int sblimit = allocation_table->sblimit;
  const int bound = channels == 2 ? joint_bound(header, sblimit) : sblimit;
  BitReader bits(input, header.prot == 0 ? 48 : 32, static_cast<uint32_t>(length) * 8);

  uint16_t levels[2][32] = {};
  for (int sb = 0; sb < sblimit; ++sb)
    for (int ch = 0; ch < channels; ++ch) {
      if (sb >= bound && ch == 1) {
        levels[1][sb] = levels[0][sb];
        continue;
      }
      const uint32_t value = bits.Read(allocation_table->nbal[sb]);
      levels[ch][sb] = value == 0 ? 0 : allocation_table->levels[sb][value - 1];
    }
  uint8_t scfsi[2][32] = {};
  for (int sb = 0; sb < sblimit; ++sb)
    for (int ch = 0; ch < channels; ++ch)
      if (levels[ch][sb] != 0) scfsi[ch][sb] = static_cast<uint8_t>(bits.Read(2));
  typename A::Sample scale[2][32][3] = {};
  auto samples = A::Samples(state);
  auto table = [](uint32_t index) { return A::Scale(index); };
  for (int sb = 0; sb < sblimit; ++sb)
    for (int ch = 0; ch < channels; ++ch) {
      if (levels[ch][sb] == 0) continue;
      typename A::Sample* s = scale[ch][sb];
      // Selection information: which of the three parts share a transmitted scale factor.
      switch (scfsi[ch][sb]) {
        case 0: s[0] = table(bits.Read(6)); s[1] = table(bits.Read(6)); s[2] = table(bits.Read(6)); break;
        case 1: s[0] = s[1] = table(bits.Read(6)); s[2] = table(bits.Read(6)); break;
        case 2: s[0] = s[1] = s[2] = table(bits.Read(6)); break;
        default: s[0] = table(bits.Read(6)); s[1] = s[2] = table(bits.Read(6)); break;
      }
    }
  for (int group = 0; group < 12; ++group) {
    const int part = group / 4;
    const int slot = group * 3;
    for (int sb = 0; sb < sblimit; ++sb)
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        typename A::Sample fractions[3] = {0, 0, 0};
        const uint32_t n = levels[ch][sb];
        if (n != 0) l2_read_triplet<A>(bits, n, fractions);
        for (int i = 0; i < 3; ++i) samples[ch][sb][slot + i] = A::Apply(fractions[i], scale[ch][sb][part]);
        // In the joint subbands both channels share the samples, each with its own scale factors.
        if (sb >= bound && channels == 2)
          for (int i = 0; i < 3; ++i) samples[1][sb][slot + i] = A::Apply(fractions[i], scale[1][sb][part]);
      }
    for (int sb = sblimit; sb < 32; ++sb)
      for (int ch = 0; ch < 2; ++ch) std::fill(&samples[ch][sb][slot], &samples[ch][sb][slot] + 3, typename A::Sample{});
  }
  l12_clear_above(samples, std::min(state.subbands, sblimit));
  A::Output(state, channels, 2, 18, output);
  return {length, state.info.outvalues * (state.eight_bit ? 1 : 2)};
}

FrameResult l1_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  return l1_decode<FloatArithmetic>(state, input, available, output);
}
FrameResult l2_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  return l2_decode<FloatArithmetic>(state, input, available, output);
}
FrameResult l1_decode_frame_fixed(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  return l1_decode<FixedArithmetic>(state, input, available, output);
}
FrameResult l2_decode_frame_fixed(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  return l2_decode<FixedArithmetic>(state, input, available, output);
}

}  // namespace sonvarek::mpegdec::detail
