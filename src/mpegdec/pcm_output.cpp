#include "mpegdec/pcm_output.h"

#include <bit>
#include <cstring>

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
void pcm_store_granule(const PcmFormat& format, const float (*left)[32], const float (*right)[32], uint8_t* pcm) {
  const float* l = left[0];
  const float* r = right != nullptr ? right[0] : l;
  const int step = 1 << format.reduction;
  const int count = 576 >> format.reduction;
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
  if (step == 1) {
    for (int i = 0; i < 576; ++i) {
      pcm_put16(pcm + 4 * i, pcm_round(l[i]));
      pcm_put16(pcm + 4 * i + 2, pcm_round(r[i]));
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    pcm_put16(pcm + 4 * i, pcm_round(l[i * step]));
    pcm_put16(pcm + 4 * i + 2, pcm_round(r[i * step]));
  }
}

void pcm_silence(bool eight_bit, int32_t bytes, uint8_t* pcm) { std::memset(pcm, eight_bit ? 128 : 0, static_cast<size_t>(bytes)); }

}  // namespace sonvarek::mpegdec::detail
