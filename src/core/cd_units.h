#pragma once

#include <cstdint>

namespace sonvarek {

// A CD sector (frame) of audio is 2352 bytes: 588 stereo samples of 16-bit
// little-endian PCM at 44100 Hz, 75 sectors to the second.
inline constexpr uint32_t kSectorBytes = 2352;
inline constexpr uint32_t kSectorsPerSecond = 75;
// Minute/second/frame addresses count the 2-second lead-in; logical block addresses do not.
inline constexpr uint32_t kLeadInSectors = 150;

// Frames of a minute/second/frame address, lead-in included.
constexpr uint32_t MsfToFrames(uint32_t minute, uint32_t second, uint32_t frame) {
  return (minute * 60 + second) * kSectorsPerSecond + frame;
}

}  // namespace sonvarek
