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
  return header.mode == 1 ? std::min(limit, 4 * (header.mode_ext + 1)) : limit;
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
void l2_read_triplet(BitReader& bits, uint32_t levels, float* fractions) {
  if (levels == 3 || levels == 5 || levels == 9) {
    uint32_t packed = bits.Read(levels == 3 ? 5 : levels == 5 ? 7 : 10);
    for (int i = 0; i < 3; ++i) {
      fractions[i] = l12_dequantise(packed % levels, levels);
      packed /= levels;
    }
    return;
  }
  const int width = bits_for_levels(levels);
  for (int i = 0; i < 3; ++i) fractions[i] = l12_dequantise(bits.Read(width), levels);
}

// The frame's length with its padding slot, 0 when it is not a frame of the stream or does not fit.
int32_t l12_frame_length(const DecoderState& state, const uint8_t* input, int32_t available, int option, MpegHeader& header) {
  if (input == nullptr || available < 4 || !DecodeHeaderFields(input, header)) return 0;
  const MpegHeader& stream = state.stream;
  if (header.sync != stream.sync || header.id != stream.id || header.option != option || header.sr_index != stream.sr_index)
    return 0;
  int32_t length = header.br_index == 0 ? (stream.br_index == 0 ? state.framebytes : 0) : HeaderTableFrameLength(header);
  if (length <= 0) return 0;
  length += header.pad * HeaderSlotBytes(header);
  return length > available ? 0 : length;
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
          else if (channels == 2 && state.conversion == ChannelConversion::Right) value = right[t];
          else if (channels == 2 && state.conversion != ChannelConversion::Left) value = (left[t] + right[t]) * 0.5f;
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
void l12_clear_above(DecoderState& state, int from) {
  for (int ch = 0; ch < 2; ++ch)
    for (int sb = from; sb < 32; ++sb) std::fill(state.l12_samples[ch][sb], state.l12_samples[ch][sb] + 36, 0.0f);
}

}  // namespace

const L2AllocationTable* l12_allocation_table(const MpegHeader& header, int32_t free_format_bytes) {
  if (header.id == 0) return &kTableLsf;
  // Free format: the rate the frame length gives (144000 * kbit/s / rate bytes, rounded: a
  // table rate's frames are one byte short of it where they pad).
  if (header.br_index == 0) {
    const int64_t kbps = (int64_t{HeaderSampleRate(header)} * free_format_bytes + 72000) / 144000;
    const int64_t per_channel = header.mode == 3 ? kbps : kbps / 2;
    if (per_channel < 56) return header.sr_index == 2 ? &kTableD : &kTableC;
    return per_channel <= 80 || header.sr_index == 1 ? &kTableA : &kTableB;
  }
  const int32_t total = HeaderBitrateKbps(header);
  const int32_t per_channel = header.mode == 3 ? total : total / 2;
  if (header.mode != 3 && (total == 32 || total == 48 || total == 56 || total == 80)) return nullptr;
  if (per_channel < 32 || per_channel > 192) return nullptr;
  if (per_channel <= 48) return header.sr_index == 2 ? &kTableD : &kTableC;
  if (per_channel <= 80 || header.sr_index == 1) return &kTableA;
  return &kTableB;
}

FrameResult l1_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  MpegHeader header;
  const int32_t length = l12_frame_length(state, input, available, 3, header);
  if (length <= 0) return {};
  const int channels = header.mode == 3 ? 1 : 2;
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
  float scale[2][32] = {};
  const float* table = scalefactors();
  for (int sb = 0; sb < 32; ++sb)
    for (int ch = 0; ch < channels; ++ch)
      if (allocation[ch][sb] != 0) scale[ch][sb] = table[bits.Read(6)];
  for (int slot = 0; slot < 12; ++slot)
    for (int sb = 0; sb < 32; ++sb)
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        // Allocation 15 is forbidden: such a subband stays silent.
        const int alloc = allocation[ch][sb];
        float fraction = 0.0f;
        if (alloc != 0 && alloc != 15) fraction = l12_dequantise(bits.Read(alloc + 1), (2u << alloc) - 1);
        state.l12_samples[ch][sb][slot] = fraction * scale[ch][sb];
        // In the joint subbands both channels share the sample, each with its own scale factor.
        if (sb >= bound && channels == 2) state.l12_samples[1][sb][slot] = fraction * scale[1][sb];
      }
  l12_clear_above(state, state.subbands);
  l12_output(state, channels, 1, 12, output);
  return {length, state.info.outvalues * (state.eight_bit ? 1 : 2)};
}

FrameResult l2_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output) {
  MpegHeader header;
  const int32_t length = l12_frame_length(state, input, available, 2, header);
  if (length <= 0) return {};
  const L2AllocationTable* allocation_table = l12_allocation_table(header, state.framebytes);
  if (allocation_table == nullptr) return {};
  const int channels = header.mode == 3 ? 1 : 2;
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
  float scale[2][32][3] = {};
  const float* table = scalefactors();
  for (int sb = 0; sb < sblimit; ++sb)
    for (int ch = 0; ch < channels; ++ch) {
      if (levels[ch][sb] == 0) continue;
      float* s = scale[ch][sb];
      // Selection information: which of the three parts share a transmitted scale factor.
      switch (scfsi[ch][sb]) {
        case 0: s[0] = table[bits.Read(6)]; s[1] = table[bits.Read(6)]; s[2] = table[bits.Read(6)]; break;
        case 1: s[0] = s[1] = table[bits.Read(6)]; s[2] = table[bits.Read(6)]; break;
        case 2: s[0] = s[1] = s[2] = table[bits.Read(6)]; break;
        default: s[0] = table[bits.Read(6)]; s[1] = s[2] = table[bits.Read(6)]; break;
      }
    }
  for (int group = 0; group < 12; ++group) {
    const int part = group / 4;
    const int slot = group * 3;
    for (int sb = 0; sb < sblimit; ++sb)
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        float fractions[3] = {0.0f, 0.0f, 0.0f};
        const uint32_t n = levels[ch][sb];
        if (n != 0) l2_read_triplet(bits, n, fractions);
        for (int i = 0; i < 3; ++i) state.l12_samples[ch][sb][slot + i] = fractions[i] * scale[ch][sb][part];
        // In the joint subbands both channels share the samples, each with its own scale factors.
        if (sb >= bound && channels == 2)
          for (int i = 0; i < 3; ++i) state.l12_samples[1][sb][slot + i] = fractions[i] * scale[1][sb][part];
      }
    for (int sb = sblimit; sb < 32; ++sb)
      for (int ch = 0; ch < 2; ++ch) std::fill(&state.l12_samples[ch][sb][slot], &state.l12_samples[ch][sb][slot] + 3, 0.0f);
  }
  l12_clear_above(state, std::min(state.subbands, sblimit));
  l12_output(state, channels, 2, 18, output);
  return {length, state.info.outvalues * (state.eight_bit ? 1 : 2)};
}

}  // namespace sonvarek::mpegdec::detail
