// The 804 bytes of a READ TOC answer, whatever a drive puts in them.
#include <algorithm>
#include <cstring>

#include "core/disc_toc.h"
#include "fuzz_harness.h"

namespace sonvarek::fuzz {

void FuzzDiscToc(const uint8_t* data, size_t size) {
  DiscTOC toc;
  std::memcpy(toc.bytes.data(), data, std::min(size, kTocBytes));

  const std::vector<TocTrack> tracks = TracksFromToc(toc);
  const int count = toc.TrackCount();
  FUZZ_CHECK(count >= 0 && count <= 99 && tracks.size() == static_cast<size_t>(count));
  if (count > 0) FUZZ_CHECK(toc.FirstTrack() >= 1 && toc.LastTrack() <= 99);
  // Each track ends where the next descriptor starts; the last at the lead-out.
  for (int k = 0; k < count; ++k) {
    const TocDescriptor descriptor = toc.Descriptor(k);
    FUZZ_CHECK(tracks[k].number == descriptor.trackNumber && tracks[k].startSector == descriptor.address);
    FUZZ_CHECK(tracks[k].endSector == toc.Descriptor(k + 1).address && tracks[k].isData == descriptor.IsData());
    FUZZ_CHECK(!tracks[k].lengthText.empty() && !tracks[k].sizeText.empty());
  }
  FUZZ_CHECK(LeadOutSector(toc) == (count == 0 ? 0 : tracks.back().endSector));
  for (int k : {-1, 0, count, kTocDescriptors - 1, kTocDescriptors}) {
    toc.SectorOf(k, true);
    toc.SectorOf(k, false);
  }
  DiscTOC other = toc;
  FUZZ_CHECK(!TocChanged(toc, other));
  other.bytes[kTocBytes - 1] ^= 1;
  FUZZ_CHECK(TocChanged(toc, other));
}

}  // namespace sonvarek::fuzz
