#include "mpegdec/synthesis.h"

#include <cstring>

namespace sonvarek::mpegdec::detail {
namespace {

// Unnormalised DCT-II of N points, X[k] = sum x[n] cos(pi (2n + 1) k / 2N), by Lee's
// recursive split into an even half and an odd half scaled by 1 / (2 cos).
template <int N>
inline void synth_dct(const float* scale, const float* x, float* out) {
  if constexpr (N == 1) {
    out[0] = x[0];
  } else {
    float even[N / 2];
    float odd[N / 2];
    for (int n = 0; n < N / 2; ++n) {
      even[n] = x[n] + x[N - 1 - n];
      odd[n] = (x[n] - x[N - 1 - n]) * scale[n];
    }
    float even_out[N / 2];
    float odd_out[N / 2];
    synth_dct<N / 2>(scale + N / 2, even, even_out);
    synth_dct<N / 2>(scale + N / 2, odd, odd_out);
    for (int k = 0; k < N / 2; ++k) out[2 * k] = even_out[k];
    for (int k = 0; k < N / 2 - 1; ++k) out[2 * k + 1] = odd_out[k] + odd_out[k + 1];
    out[N - 1] = odd_out[N / 2 - 1];
  }
}

// V[i] = sum S[k] cos((16 + i)(2k + 1) pi / 64) taken from the 32-point DCT by its symmetries.
inline void synth_matrix(const DecoderTables& tables, const float* subbands, float* v) {
  float x[32];
  synth_dct<32>(tables.dct32_scale, subbands, x);
  for (int i = 0; i < 16; ++i) v[i] = x[16 + i];
  v[16] = 0.0f;
  for (int i = 17; i < 48; ++i) v[i] = -x[48 - i];
  for (int i = 48; i < 64; ++i) v[i] = -x[i - 48];
}

}  // namespace

void synth_reset(SynthState& state) {
  std::memset(state.v, 0, sizeof state.v);
  state.newest = 0;
}

void synth_slot(const DecoderTables& tables, SynthState& state, const float* subbands, float* pcm) {
  state.newest = (state.newest + 15) & 15;
  synth_matrix(tables, subbands, state.v[state.newest]);
  float sum[32] = {};
  const float* window = tables.synth_window;
  for (int i = 0; i < 8; ++i) {
    const float* even = state.v[(state.newest + 2 * i) & 15];
    const float* odd = state.v[(state.newest + 2 * i + 1) & 15] + 32;
    const float* w = window + 64 * i;
    for (int j = 0; j < 32; ++j) sum[j] += w[j] * even[j] + w[32 + j] * odd[j];
  }
  std::memcpy(pcm, sum, sizeof sum);
}

}  // namespace sonvarek::mpegdec::detail
