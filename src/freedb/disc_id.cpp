#include "freedb/disc_id.h"

#include <charconv>

#include "core/cd_units.h"

namespace sonvarek {
namespace {

// last − first + 1 from the header, whatever the numbers are: the ids never fail, so
// a zeroed TOC counts one track. Beyond 99 the descriptors would run past the buffer,
// and a header that counts backwards lists nothing.
int HeaderTrackCount(const DiscTOC& toc) {
  int count = toc.LastTrack() - toc.FirstTrack() + 1;
  return count < 0 || count >= kTocDescriptors ? 0 : count;
}

// Whole seconds of a minute/second/frame address (frames dropped).
uint32_t MsfSeconds(uint32_t address) { return ((address >> 16) & 0xFF) * 60 + ((address >> 8) & 0xFF); }

uint32_t MsfFrames(uint32_t address) {
  return MsfToFrames((address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF);
}

uint32_t PackedId(uint32_t checksum, uint32_t seconds, int count) {
  return (checksum % 255) << 24 | seconds << 8 | static_cast<uint32_t>(count);
}

}  // namespace

uint32_t CddbDigitSum(uint32_t value) {
  uint32_t sum = 0;
  for (; value > 0; value /= 10) sum += value % 10;
  return sum;
}

bool ComputeFreedbDiscId(const DiscTOC& msfToc, DiscIdInfo& info) {
  int count = HeaderTrackCount(msfToc);
  uint32_t checksum = 0;
  for (int k = 0; k < count; ++k) {
    uint32_t address = msfToc.Descriptor(k).address;
    info.frameOffsets[static_cast<size_t>(k)] = static_cast<int32_t>(MsfFrames(address));
    checksum += CddbDigitSum(MsfSeconds(address));
  }
  uint32_t leadOutSeconds = MsfSeconds(msfToc.Descriptor(count).address);
  uint32_t playingSeconds = leadOutSeconds - MsfSeconds(msfToc.Descriptor(0).address);
  info.frameOffsets[static_cast<size_t>(count)] = static_cast<int32_t>(leadOutSeconds);
  info.trackCount = count;
  info.discId = PackedId(checksum, playingSeconds, count);
  return true;
}

uint32_t ComputeCacheDiscId(const DiscTOC& lbaToc) {
  int count = HeaderTrackCount(lbaToc);
  uint32_t checksum = 0;
  for (int k = 0; k < count; ++k) {
    uint32_t length = lbaToc.Descriptor(k + 1).address - lbaToc.Descriptor(k).address;
    checksum += CddbDigitSum(length / kSectorsPerSecond);
  }
  uint32_t span = lbaToc.Descriptor(count).address - lbaToc.Descriptor(0).address;
  return PackedId(checksum, span / kSectorsPerSecond, count);
}

uint32_t VolumeIdOfToc(const DiscTOC& msfToc) {
  // The data bit sits in the control nibble (0x04 in the MMC layout); 0x40 is the same
  // bit where a transport reports control in the high nibble. ADR is never 4 or more
  // for a track, so neither test catches an audio track.
  constexpr uint8_t kDataTrackBits = 0x44;
  int count = HeaderTrackCount(msfToc);
  uint32_t sum = 0;
  for (int k = 0; k < count; ++k) {
    TocDescriptor descriptor = msfToc.Descriptor(k);
    if ((descriptor.adrControl & kDataTrackBits) != 0) continue;
    sum += descriptor.address;
  }
  return sum;
}

std::optional<uint32_t> ComputeVolumeId(const TocReader& readToc) {
  DiscTOC toc;
  if (!readToc || !readToc(toc, true)) return std::nullopt;
  return VolumeIdOfToc(toc);
}

std::string HexId(uint32_t id) {
  char text[16];
  char* end = std::to_chars(text, text + sizeof text, id, 16).ptr;
  return std::string(text, end);
}

}  // namespace sonvarek
