#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/disc_toc.h"

namespace sonvarek::test {

inline constexpr uint8_t kAudioControl = 0x10;  // ADR 1, audio
inline constexpr uint8_t kDataControl = 0x14;   // ADR 1, data track

// A disc as frame offsets (lead-in included, track 1 normally at 150), the lead-out
// offset and, per track, whether it is a data track.
struct FrameDisc {
  FrameDisc(std::vector<uint32_t> frameOffsets, uint32_t leadOutOffset)
      : offsets(std::move(frameOffsets)), leadOut(leadOutOffset) {}

  std::vector<uint32_t> offsets;
  uint32_t leadOut = 0;
  std::vector<bool> data;  // empty: all audio
  uint8_t firstTrack = 1;
};

inline uint32_t PackedMsf(uint32_t frames) {
  return (frames / (60 * 75)) << 16 | (frames / 75 % 60) << 8 | frames % 75;
}

// The READ TOC reply of the disc, with minute/second/frame addresses or logical blocks.
inline DiscTOC TocOf(const FrameDisc& disc, bool msf) {
  DiscTOC toc;
  size_t count = disc.offsets.size();
  toc.bytes[0] = static_cast<uint8_t>((2 + 8 * (count + 1)) >> 8);
  toc.bytes[1] = static_cast<uint8_t>(2 + 8 * (count + 1));
  toc.bytes[2] = disc.firstTrack;
  toc.bytes[3] = static_cast<uint8_t>(disc.firstTrack + count - 1);
  for (size_t k = 0; k <= count; ++k) {
    uint8_t* d = toc.bytes.data() + 4 + 8 * k;
    bool leadOut = k == count;
    uint32_t frames = leadOut ? disc.leadOut : disc.offsets[k];
    bool data = !leadOut && k < disc.data.size() && disc.data[k];
    d[1] = data ? kDataControl : kAudioControl;
    d[2] = leadOut ? kLeadOutTrack : static_cast<uint8_t>(disc.firstTrack + k);
    uint32_t address = msf ? PackedMsf(frames) : frames - 150;
    d[4] = static_cast<uint8_t>(address >> 24);
    d[5] = static_cast<uint8_t>(address >> 16);
    d[6] = static_cast<uint8_t>(address >> 8);
    d[7] = static_cast<uint8_t>(address);
  }
  return toc;
}

}  // namespace sonvarek::test
