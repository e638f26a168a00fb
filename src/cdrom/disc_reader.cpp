#include "cdrom/disc_reader.h"

#include "core/cd_units.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

DiscReading ReadDisc(CSCSIDriver& driver, DiscTOC& toc, DiscRecord& disc, const DiscLookUp& lookUp) {
  DiscReading reading;
  ClearDiscRecord(disc);
  driver.StopUnit();
  if (!driver.ReadTOC(toc, 0)) return reading;
  reading.tocRead = true;
  if (lookUp) lookUp(toc, disc);
  reading.tracks = TracksFromToc(toc);
  disc.entryCount = 1 + static_cast<int32_t>(reading.tracks.size());
  for (size_t i = 0; i < reading.tracks.size(); ++i) {
    const TocTrack& track = reading.tracks[i];
    disc.tracks[i + 1] = TrackSpan{track.startSector, track.endSector};
    std::string& title = disc.entries[i + 1].Title;
    if (title.empty()) title = FormatText(text::kTrackTitleFormat, track.number);
  }
  if (!reading.tracks.empty()) reading.firstTrackSeconds = reading.tracks.front().Length() / kSectorsPerSecond;
  return reading;
}

bool MediaChanged(CSCSIDriver& driver, const DiscTOC& kept) {
  DiscTOC fresh;
  driver.ReadTOC(fresh, 0);
  return TocChanged(kept, fresh);
}

}  // namespace sonvarek
