#include "mpegdec/synthesis.h"

#include <cstring>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "mpegdec/vector_kernel.h"

namespace sonvarek::mpegdec::detail {
namespace {

using Slots = float[kSlotStride];

// Unnormalised DCT-II of N points, X[k] = sum x[n] cos(pi (2n + 1) k / 2N), by Lee's
// recursive split into an even half and an odd half scaled by 1 / (2 cos). Every operation
// works on all slots of the granule at once, which the compiler turns into vector code.
// X[k] goes to out[k * stride]; `x` may be overwritten.
template <int N>
MPEGDEC_KERNEL_INLINE void synth_dct(const float* scale, Slots* x, Slots* out, int stride) {
  if constexpr (N == 1) {
    std::memcpy(out[0], x[0], sizeof(Slots));
  } else {
    Slots odd[N / 2];
    for (int n = 0; n < N / 2; ++n) {
      float* a = x[n];
      const float* b = x[N - 1 - n];
      const float s = scale[n];
      for (int t = 0; t < kSlotStride; ++t) {
        odd[n][t] = (a[t] - b[t]) * s;
        a[t] = a[t] + b[t];
      }
    }
    // Even outputs straight into place; odd ones are sums of neighbours.
    synth_dct<N / 2>(scale + N / 2, x, out, 2 * stride);
    Slots odd_out[N / 2];
    synth_dct<N / 2>(scale + N / 2, odd, odd_out, 1);
    for (int k = 0; k < N / 2 - 1; ++k)
      for (int t = 0; t < kSlotStride; ++t) out[(2 * k + 1) * stride][t] = odd_out[k][t] + odd_out[k + 1][t];
    std::memcpy(out[(N - 1) * stride], odd_out[N / 2 - 1], sizeof(Slots));
  }
}

// The DCT outputs slot by slot: xt[slot][k] = x[k][slot], for the first 20 slots (18 used).
MPEGDEC_KERNEL_INLINE void synth_transpose(const Slots* x, float (*xt)[32]) {
#if defined(__SSE2__)
  for (int k = 0; k < 32; k += 4) {
    for (int t = 0; t < 20; t += 4) {
      __m128 r0 = _mm_loadu_ps(x[k] + t);
      __m128 r1 = _mm_loadu_ps(x[k + 1] + t);
      __m128 r2 = _mm_loadu_ps(x[k + 2] + t);
      __m128 r3 = _mm_loadu_ps(x[k + 3] + t);
      _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
      _mm_storeu_ps(xt[t] + k, r0);
      _mm_storeu_ps(xt[t + 1] + k, r1);
      _mm_storeu_ps(xt[t + 2] + k, r2);
      _mm_storeu_ps(xt[t + 3] + k, r3);
    }
  }
#else
  for (int t = 0; t < 20; ++t)
    for (int k = 0; k < 32; ++k) xt[t][k] = x[k][t];
#endif
}

// V[i] = sum S[k] cos((16 + i)(2k + 1) pi / 64), i = 0..63, from the DCT by its symmetries.
MPEGDEC_KERNEL_INLINE void synth_vector(const float* x, float* v) {
  for (int i = 0; i < 16; ++i) v[i] = x[16 + i];
  v[16] = 0.0f;
  for (int i = 17; i < 48; ++i) v[i] = -x[48 - i];
  for (int i = 48; i < 64; ++i) v[i] = -x[i - 48];
}

MPEGDEC_KERNEL_INLINE void synth_window(const float* window, const SynthState& state, float* pcm) {
  alignas(32) float sum[32] = {};
  for (int i = 0; i < 8; ++i) {
    const float* even = state.v[(state.newest + 2 * i) & 15];
    const float* odd = state.v[(state.newest + 2 * i + 1) & 15] + 32;
    const float* w = window + 64 * i;
    for (int j = 0; j < 32; ++j) sum[j] += w[j] * even[j] + w[32 + j] * odd[j];
  }
  std::memcpy(pcm, sum, sizeof sum);
}

}  // namespace

void synth_reset(SynthState& state) {
  std::memset(state.v, 0, sizeof state.v);
  state.newest = 0;
}

MPEGDEC_VECTOR_KERNEL
void synth_granule(const DecoderTables& tables, SynthState& state, float (*subbands)[kSlotStride], float (*pcm)[32],
                   int slots) {
  Slots x[32];
  synth_dct<32>(tables.dct32_scale, subbands, x, 1);
  alignas(16) float by_slot[20][32];
  synth_transpose(x, by_slot);
  for (int t = 0; t < slots; ++t) {
    state.newest = (state.newest + 15) & 15;
    synth_vector(by_slot[t], state.v[state.newest]);
    synth_window(tables.synth_window, state, pcm[t]);
  }
}

}  // namespace sonvarek::mpegdec::detail
