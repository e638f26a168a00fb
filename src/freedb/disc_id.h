#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/disc_toc.h"

namespace sonvarek {

// Room for the frame offsets of 99 tracks, the lead-out seconds and spare slots.
inline constexpr int kDiscIdOffsetSlots = 108;

// What the freedb query and submission send about a disc.
struct DiscIdInfo {
  uint32_t discId = 0;
  int32_t trackCount = 0;
  // Slots 0..trackCount−1: the start of each track in frames, lead-in included.
  // Slot trackCount: the lead-out start in whole seconds (the disc length field).
  std::array<int32_t, kDiscIdOffsetSlots> frameOffsets{};

  int32_t DiscLengthSeconds() const { return frameOffsets[static_cast<size_t>(trackCount)]; }
};

// The sum of the decimal digits of `value`; 0 for 0.
uint32_t CddbDigitSum(uint32_t value);

// The published freedb/CDDB disc id of a TOC read with minute/second/frame
// addresses: checksum of the start seconds mod 255, playing time in seconds, track
// count. Always succeeds; a zeroed TOC gives 0x00000001.
bool ComputeFreedbDiscId(const DiscTOC& msfToc, DiscIdInfo& info);

// The id that names the local disc database file, from a TOC read with logical block
// addresses: the same layout as the freedb id, but the checksum runs over the track
// lengths in seconds and the time is rounded once over the whole span. Stored files
// are named by it, so it must never change.
uint32_t ComputeCacheDiscId(const DiscTOC& lbaToc);

// The cdplayer.ini section of a disc: the sum of the packed 0/M/S/F start addresses
// of its audio tracks (data tracks and the lead-out left out), wrapping at 32 bits.
uint32_t VolumeIdOfToc(const DiscTOC& msfToc);

// Reads a TOC into `toc` with minute/second/frame addresses when `msf`; false when
// the drive could not.
using TocReader = std::function<bool(DiscTOC& toc, bool msf)>;

// The volume id from a TOC of its own, read in minute/second/frame form; nothing when
// that read fails (the caller tells "Error while reading CD volume ID" or stays silent).
std::optional<uint32_t> ComputeVolumeId(const TocReader& readToc);

// "%x": lower-case hexadecimal without leading zeros, as file and section names use.
std::string HexId(uint32_t id);

}  // namespace sonvarek
