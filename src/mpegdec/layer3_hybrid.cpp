#include <algorithm>
#include <cstring>

#include "mpegdec/layer3.h"
#include "mpegdec/vector_kernel.h"

namespace sonvarek::mpegdec::detail {
namespace {

// Alias reduction butterflies across the subband boundaries 1 .. last_boundary. The eight
// lines below a boundary are taken in reverse into a small array so that each boundary is
// one vector of butterflies.
MPEGDEC_KERNEL_INLINE void l3_antialias(const DecoderTables& tables, float* xr, int last_boundary) {
  for (int sb = 1; sb <= last_boundary; ++sb) {
    float* upper = xr + 18 * sb;
    float below[8];
    float above[8];
    for (int i = 0; i < 8; ++i) {
      below[i] = upper[-1 - i];
      above[i] = upper[i];
    }
    float new_below[8];
    for (int i = 0; i < 8; ++i) {
      new_below[i] = below[i] * tables.alias_cs[i] - above[i] * tables.alias_ca[i];
      upper[i] = above[i] * tables.alias_cs[i] + below[i] * tables.alias_ca[i];
    }
    for (int i = 0; i < 8; ++i) upper[-1 - i] = new_below[i];
  }
}

// Windowed 36-point IMDCT as one matrix product (whole vectors across the outputs), then
// overlap-add: 18 output samples, 18 kept for the next granule.
MPEGDEC_KERNEL_INLINE void l3_imdct36(const float (*matrix)[40], const float* in, const float* signs, float* overlap,
                                      float* out) {
  alignas(32) float z[40] = {};
  for (int k = 0; k < 18; ++k) {
    const float xk = in[k];
    const float* row = matrix[k];
    for (int i = 0; i < 40; ++i) z[i] += xk * row[i];
  }
  for (int i = 0; i < 40; ++i) z[i] *= signs[i];
  for (int i = 0; i < 18; ++i) {
    out[i] = z[i] + overlap[i];
    overlap[i] = z[18 + i];
  }
}

// Three windowed 12-point IMDCTs (input window-major, 6 lines each) overlapped in the middle
// of a 36-sample block, then overlap-added.
MPEGDEC_KERNEL_INLINE void l3_imdct12(const DecoderTables& tables, const float* in, const float* signs, float* overlap,
                                      float* out) {
  alignas(32) float block[40] = {};
  for (int w = 0; w < 3; ++w) {
    const float* x = in + 6 * w;
    float* into = block + 6 + 6 * w;
    for (int k = 0; k < 6; ++k) {
      const float* row = tables.imdct12[k];
      for (int i = 0; i < 12; ++i) into[i] += x[k] * row[i];
    }
  }
  for (int i = 0; i < 40; ++i) block[i] *= signs[i];
  for (int i = 0; i < 18; ++i) {
    out[i] = block[i] + overlap[i];
    overlap[i] = block[18 + i];
  }
}

}  // namespace

MPEGDEC_VECTOR_KERNEL
void l3_hybrid(const DecoderTables& tables, const GranuleInfo& gi, int band_table, int long_lines_mixed, int nonzero,
               int subbands, float* spectrum, float* reordered, float (*overlap)[18], float (*out)[kSlotStride]) {
  const bool short_blocks = l3_short_blocks(gi);
  const int long_lines = short_blocks ? (gi.mixed_block ? long_lines_mixed : 0) : 576;
  const int long_subbands = long_lines / 18;
  int active;
  const float* lines = spectrum;
  if (!short_blocks) {
    const int with_data = (nonzero + 17) / 18;
    l3_antialias(tables, spectrum, std::min(with_data, 31));
    active = std::min(with_data + 1, 32);
  } else {
    // A short line k of window w is coded at or after index k, so lines past nonzero / 6
    // subbands are all zero.
    active = std::max(std::min((nonzero + 5) / 6, 32), long_subbands);
    const uint16_t* order = tables.short_reorder[band_table];
    std::memcpy(reordered, spectrum, sizeof(float) * static_cast<size_t>(long_lines));
    for (int r = long_lines; r < active * 18; ++r) reordered[r] = spectrum[order[r]];
    if (long_subbands > 1) l3_antialias(tables, reordered, long_subbands - 1);
    lines = reordered;
  }
  active = std::min(active, subbands);
  // The mixed flag puts the lowest subbands on the normal window whatever the block type.
  const float(*long_window)[40] = tables.imdct36[gi.window_switching && !short_blocks ? gi.block_type : 0];
  const int normal_window_subbands = gi.window_switching && gi.mixed_block ? long_lines_mixed / 18 : 0;
  // Frequency inversion (every other sample of odd subbands negated) is applied to whole
  // transform outputs, so the overlap of odd subbands is kept already inverted.
  alignas(32) float signs[2][40];
  for (int i = 0; i < 40; ++i) {
    signs[0][i] = 1.0f;
    signs[1][i] = (i & 1) ? -1.0f : 1.0f;
  }
  for (int sb = 0; sb < 32; ++sb) {
    float* samples = out[sb];
    if (sb >= active) {
      std::memcpy(samples, overlap[sb], sizeof overlap[sb]);
      std::memset(overlap[sb], 0, sizeof overlap[sb]);
    } else if (sb < long_subbands) {
      l3_imdct36(sb < normal_window_subbands ? tables.imdct36[0] : long_window, lines + 18 * sb, signs[sb & 1], overlap[sb],
                 samples);
    } else {
      l3_imdct12(tables, lines + 18 * sb, signs[sb & 1], overlap[sb], samples);
    }
  }
}

}  // namespace sonvarek::mpegdec::detail
