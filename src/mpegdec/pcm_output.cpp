#include "mpegdec/pcm_output.h"

#include <cstring>

namespace sonvarek::mpegdec::detail {
namespace {

// Rounds to the nearest integer (ties to even) after clipping to the 16-bit range: adding
// 1.5 * 2^23 leaves the integer in the low mantissa bits, which vectorises where lrint does not.
inline int32_t pcm_round(float value) {
  value = value > 32767.0f ? 32767.0f : value;
  value = value < -32768.0f ? -32768.0f : value;
  const float shifted = value + 12582912.0f;
  int32_t bits;
  std::memcpy(&bits, &shifted, sizeof bits);
  return bits - 0x4B400000;
}

}  // namespace

void pcm_synthesize(const DecoderTables& tables, SynthState& synth, const float (*subbands)[32], const PcmFormat& format,
                    int channel, uint8_t* pcm) {
  const int count = 32 >> format.reduction;
  const int step = 1 << format.reduction;
  alignas(32) float slot[32];
  alignas(32) int32_t rounded[32];
  for (int t = 0; t < 18; ++t) {
    synth_slot(tables, synth, subbands[t], slot);
    for (int j = 0; j < 32; ++j) rounded[j] = pcm_round(slot[j]);
    const int first = t * count;
    if (format.eight_bit) {
      for (int j = 0; j < count; ++j)
        pcm[(first + j) * format.channels + channel] = static_cast<uint8_t>((rounded[j * step] >> 8) + 128);
    } else if (format.channels == 1) {
      for (int j = 0; j < count; ++j) {
        const uint16_t sample = static_cast<uint16_t>(rounded[j * step]);
        pcm[2 * (first + j)] = static_cast<uint8_t>(sample);
        pcm[2 * (first + j) + 1] = static_cast<uint8_t>(sample >> 8);
      }
    } else {
      for (int j = 0; j < count; ++j) {
        const uint16_t sample = static_cast<uint16_t>(rounded[j * step]);
        uint8_t* at = pcm + 4 * (first + j) + 2 * channel;
        at[0] = static_cast<uint8_t>(sample);
        at[1] = static_cast<uint8_t>(sample >> 8);
      }
    }
  }
}

void pcm_duplicate_left(const PcmFormat& format, uint8_t* pcm) {
  const int frames = 576 >> format.reduction;
  const int bytes = format.eight_bit ? 1 : 2;
  for (int i = 0; i < frames; ++i) std::memcpy(pcm + (2 * i + 1) * bytes, pcm + 2 * i * bytes, static_cast<size_t>(bytes));
}

void pcm_silence(bool eight_bit, int32_t bytes, uint8_t* pcm) { std::memset(pcm, eight_bit ? 128 : 0, static_cast<size_t>(bytes)); }

}  // namespace sonvarek::mpegdec::detail
