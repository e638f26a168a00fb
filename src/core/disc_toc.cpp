#include "core/disc_toc.h"

#include "core/cd_units.h"
#include "core/records.h"

namespace sonvarek {

int DiscTOC::TrackCount() const {
  // Track numbers run from 1 to 99; a zeroed TOC (a failed read) has none.
  if (FirstTrack() < 1 || LastTrack() > 99 || LastTrack() < FirstTrack()) return 0;
  return LastTrack() - FirstTrack() + 1;
}

TocDescriptor DiscTOC::Descriptor(int k) const {
  TocDescriptor descriptor;
  if (k < 0 || k >= kTocDescriptors) return descriptor;
  const uint8_t* d = bytes.data() + 4 + 8 * static_cast<size_t>(k);
  descriptor.adrControl = d[1];
  descriptor.trackNumber = d[2];
  descriptor.address = static_cast<uint32_t>(d[4]) << 24 | static_cast<uint32_t>(d[5]) << 16 |
                       static_cast<uint32_t>(d[6]) << 8 | d[7];
  return descriptor;
}

uint32_t DiscTOC::SectorOf(int k, bool msf) const {
  uint32_t address = Descriptor(k).address;
  if (!msf) return address;
  uint32_t frames = MsfToFrames((address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF);
  return frames >= kLeadInSectors ? frames - kLeadInSectors : 0;
}

std::vector<TocTrack> TracksFromToc(const DiscTOC& toc) {
  std::vector<TocTrack> tracks;
  int count = toc.TrackCount();
  for (int k = 0; k < count; ++k) {
    TocDescriptor descriptor = toc.Descriptor(k);
    TocTrack track;
    track.number = descriptor.trackNumber;
    track.startSector = descriptor.address;
    track.endSector = toc.Descriptor(k + 1).address;
    track.isData = descriptor.IsData();
    track.lengthText = TrackLengthText(track.startSector, track.endSector);
    track.sizeText = TrackSizeText(track.startSector, track.endSector);
    tracks.push_back(std::move(track));
  }
  return tracks;
}

uint32_t LeadOutSector(const DiscTOC& toc) {
  int count = toc.TrackCount();
  return count == 0 ? 0 : toc.Descriptor(count).address;
}

bool TocChanged(const DiscTOC& kept, const DiscTOC& fresh) { return kept != fresh; }

}  // namespace sonvarek
