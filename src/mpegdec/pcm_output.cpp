#include "mpegdec/pcm_output.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mpegdec/vector_kernel.h"

namespace sonvarek::mpegdec::detail {
namespace {

// Rounds to the nearest integer (ties to even) after clipping to the 16-bit range: adding
// 1.5 * 2^23 leaves the integer in the low mantissa bits, which vectorises where lrint does not.
MPEGDEC_KERNEL_INLINE int32_t pcm_round(float value) {
  value = value > 32767.0f ? 32767.0f : value;
  value = value < -32768.0f ? -32768.0f : value;
  const float shifted = value + 12582912.0f;
  int32_t bits;
  std::memcpy(&bits, &shifted, sizeof bits);
  return bits - 0x4B400000;
}

MPEGDEC_KERNEL_INLINE void pcm_put16(uint8_t* at, int32_t sample) {
  const uint16_t value = static_cast<uint16_t>(sample);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &value, 2);
  } else {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
  }
}

}  // namespace

MPEGDEC_VECTOR_KERNEL
void pcm_store_granule(const PcmFormat& format, const float (*left)[32], const float (*right)[32], uint8_t* pcm,
                       int slots) {
  const float* l = left[0];
  const float* r = right != nullptr ? right[0] : l;
  const int step = 1 << format.reduction;
  const int count = (slots * 32) >> format.reduction;
  if (format.eight_bit) {
    for (int i = 0; i < count; ++i) {
      if (format.channels == 2) {
        pcm[2 * i] = static_cast<uint8_t>((pcm_round(l[i * step]) >> 8) + 128);
        pcm[2 * i + 1] = static_cast<uint8_t>((pcm_round(r[i * step]) >> 8) + 128);
      } else {
        pcm[i] = static_cast<uint8_t>((pcm_round(l[i * step]) >> 8) + 128);
      }
    }
    return;
  }
  if (format.channels == 1) {
    for (int i = 0; i < count; ++i) pcm_put16(pcm + 2 * i, pcm_round(l[i * step]));
    return;
  }
#if defined(__SSE2__)
  if (step == 1 && std::endian::native == std::endian::little) {
    // Clip, round to nearest (the processor's default mode), saturate to 16 bits and
    // interleave, eight samples of each channel at a time.
    const __m128 high = _mm_set1_ps(32767.0f);
    const __m128 low = _mm_set1_ps(-32768.0f);
    auto convert = [&](const float* from) {
      const __m128i a = _mm_cvtps_epi32(_mm_max_ps(_mm_min_ps(_mm_loadu_ps(from), high), low));
      const __m128i b = _mm_cvtps_epi32(_mm_max_ps(_mm_min_ps(_mm_loadu_ps(from + 4), high), low));
      return _mm_packs_epi32(a, b);
    };
    for (int i = 0; i < count; i += 8) {
      const __m128i left8 = convert(l + i);
      const __m128i right8 = convert(r + i);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 4 * i), _mm_unpacklo_epi16(left8, right8));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 4 * i + 16), _mm_unpackhi_epi16(left8, right8));
    }
    return;
  }
#endif
  for (int i = 0; i < count; ++i) {
    pcm_put16(pcm + 4 * i, pcm_round(l[i * step]));
    pcm_put16(pcm + 4 * i + 2, pcm_round(r[i * step]));
  }
}

void pcm_silence(bool eight_bit, int32_t bytes, uint8_t* pcm) { std::memset(pcm, eight_bit ? 128 : 0, static_cast<size_t>(bytes)); }

}  // namespace sonvarek::mpegdec::detail
