// Huffman decoding of one granule and channel, requantised on the way.
#include <algorithm>
#include <cstring>

#include "mpegdec/bit_reader.h"
#include "mpegdec/layer3.h"

namespace sonvarek::mpegdec::detail {
namespace {

float l3_gain(const DecoderTables& tables, int exponent) {
  return tables.gain[std::clamp(exponent + kGainOffset, 0, kGainSize - 1)];
}

}  // namespace

void l3_gain_runs(const DecoderTables& tables, const GranuleInfo& gi, const Scalefactors& sf, const BandTable& bands,
                  int long_bands_mixed, GainRuns& runs) {
  const int shift = 1 + gi.scalefac_scale;
  const int base = gi.global_gain - 210;
  int n = 0;
  l3_for_each_band(
      gi, bands, long_bands_mixed,
      [&](int sfb) {
        const int scale = sf.l[sfb] + (gi.preflag ? kPretab[sfb] : 0);
        runs.end[n] = bands.long_start[sfb + 1];
        runs.gain[n++] = l3_gain(tables, base - (scale << shift));
      },
      [&](int sfb, int w, int start, int width) {
        runs.end[n] = static_cast<uint16_t>(start + width);
        runs.gain[n++] = l3_gain(tables, base - 8 * gi.subblock_gain[w] - (sf.s[sfb][w] << shift));
      });
  runs.end[n] = 0xFFFF;  // sentinel: never crossed
  runs.gain[n] = 0.0f;
}

namespace {

// Big-value pairs from line i to `end` (one scale factor band run, one table): decodes and
// requantises, advancing `position`. Returns false at the first pair that starts past `limit`.
template <bool kLinbits>
inline bool l3_pairs(const HuffmanLookup& lookup, int set, int linbits, const float* pow43, const uint8_t* data,
                     uint32_t& position, uint32_t limit, int& i, int end, float gain, float* xr) {
  const uint32_t* entries = lookup.entries;
  const uint32_t root = lookup.root[set];
  const int root_bits = lookup.root_bits[set];
  uint32_t gain_bits;
  std::memcpy(&gain_bits, &gain, sizeof gain_bits);
  for (; i < end; i += 2) {
    if (position > limit) return false;
    // One look at the next 57 bits covers the code (up to 19 bits), two linbits fields (up
    // to 13 bits each) and two sign bits.
    uint64_t bits = PeekBits64(data, position);
    int length;
    const uint32_t value = HuffmanDecodeAt(entries, root, root_bits, static_cast<uint32_t>(bits >> 32), length);
    bits <<= length;
    uint32_t x = value >> 4;
    uint32_t y = value & 15;
    if (kLinbits && x == 15) {
      x += static_cast<uint32_t>(bits >> (64 - linbits));
      bits <<= linbits;
      length += linbits;
    }
    const uint32_t x_sign = x != 0 ? static_cast<uint32_t>(bits >> 63) : 0;
    bits <<= (x != 0);
    if (kLinbits && y == 15) {
      y += static_cast<uint32_t>(bits >> (64 - linbits));
      bits <<= linbits;
      length += linbits;
    }
    const uint32_t y_sign = y != 0 ? static_cast<uint32_t>(bits >> 63) : 0;
    position += static_cast<uint32_t>(length) + (x != 0) + (y != 0);
    // The sign goes straight into the gain's sign bit.
    const uint32_t gx = gain_bits ^ (x_sign << 31);
    const uint32_t gy = gain_bits ^ (y_sign << 31);
    float fx, fy;
    std::memcpy(&fx, &gx, sizeof fx);
    std::memcpy(&fy, &gy, sizeof fy);
    xr[i] = pow43[x] * fx;
    xr[i + 1] = pow43[y] * fy;
  }
  return true;
}

}  // namespace

int l3_huffman(const DecoderTables& tables, const uint8_t* data, uint32_t position, uint32_t limit,
               const GranuleInfo& gi, const GainRuns& runs, float* xr) {
  const float* pow43 = tables.pow43;
  int i = 0;
  int run = 0;
  float gain = runs.gain[0];
  int run_end = runs.end[0];
  const int region_end[3] = {gi.region1_start, gi.region2_start, static_cast<int>(gi.big_values * 2)};
  for (int region = 0; region < 3; ++region) {
    const HuffmanTableRef ref = kHuffmanTableRefs[gi.table_select[region]];
    const int end = region_end[region];
    if (ref.code_set < 0) {
      for (; i < end; ++i) xr[i] = 0.0f;
      continue;
    }
    while (i < end) {
      while (i >= run_end) {
        ++run;
        gain = runs.gain[run];
        run_end = runs.end[run];
      }
      const int stop = std::min(end, run_end);
      const bool fits = ref.linbits
                            ? l3_pairs<true>(tables.huffman, ref.code_set, ref.linbits, pow43, data, position, limit, i, stop, gain, xr)
                            : l3_pairs<false>(tables.huffman, ref.code_set, 0, pow43, data, position, limit, i, stop, gain, xr);
      if (!fits) {
        std::fill(xr + i, xr + 576, 0.0f);
        return i;
      }
    }
  }
  if (position > limit) {
    std::fill(xr + i, xr + 576, 0.0f);
    return i;
  }
  const int set = gi.count1_table ? kCount1SetB : kCount1SetA;
  const uint32_t* entries = tables.huffman.entries;
  const uint32_t root = tables.huffman.root[set];
  const int root_bits = tables.huffman.root_bits[set];
  while (i + 4 <= 576 && position < limit) {
    const uint64_t bits = PeekBits64(data, position);
    int length;
    const uint32_t value = HuffmanDecodeAt(entries, root, root_bits, static_cast<uint32_t>(bits >> 32), length);
    const uint32_t quad = ((value >> 4) << 2) | (value & 3);  // bits v w x y
    constexpr uint8_t kSetBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};  // one sign bit each
    const uint32_t after = position + static_cast<uint32_t>(length) + kSetBits[quad];
    if (after > limit) break;
    position = after;
    // Quadruples start on even lines, so a run boundary can only fall between the pairs.
    while (i >= run_end) {
      ++run;
      gain = runs.gain[run];
      run_end = runs.end[run];
    }
    const float first_gain = gain;
    while (i + 2 >= run_end) {
      ++run;
      gain = runs.gain[run];
      run_end = runs.end[run];
    }
    const float pair_gains[2] = {first_gain, gain};
    uint64_t signs = bits << length;
    for (int k = 0; k < 4; ++k) {
      // Magnitude 1 where the bit is set, with the next sign bit; nothing read for a zero.
      const uint32_t set_bit = (quad >> (3 - k)) & 1;
      uint32_t magnitude;
      std::memcpy(&magnitude, &pair_gains[k >> 1], sizeof magnitude);
      const uint32_t sign = set_bit & static_cast<uint32_t>(signs >> 63);
      signs <<= set_bit;
      const uint32_t result = (magnitude & (0u - set_bit)) ^ (sign << 31);
      std::memcpy(&xr[i + k], &result, sizeof result);
    }
    i += 4;
  }
  std::fill(xr + i, xr + 576, 0.0f);
  return i;
}

}  // namespace sonvarek::mpegdec::detail
