#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/disc_toc.h"
#include "cdrom/scsi_driver.h"
#include "core/records.h"

namespace sonvarek {

struct DiscReading {
  bool tocRead = false;          // false: READ TOC failed and the disc has no tracks
  std::vector<TocTrack> tracks;  // the track list's rows, in descriptor order
  uint32_t firstTrackSeconds = 0;  // the seek slider's range: length of the first track / 75
};

// Fills in the disc's texts from the kept TOC (the local disc database, cdplayer.ini).
using DiscLookUp = std::function<void(const DiscTOC& toc, DiscRecord& disc)>;

// The main window's disc read without its view: clears the disc record, stops the
// unit, reads the TOC with logical block addresses into `toc`, lets `lookUp` fill in
// texts, then sets each track's sectors and titles the untitled ones "Track %d" with
// the track number. On a failed READ TOC the record stays cleared and `toc` zeroed.
DiscReading ReadDisc(CSCSIDriver& driver, DiscTOC& toc, DiscRecord& disc, const DiscLookUp& lookUp = {});

// Media change: reads a fresh TOC (logical block addresses) and compares all of it
// with the kept one. A failed read counts as a change unless the kept TOC is empty too.
bool MediaChanged(CSCSIDriver& driver, const DiscTOC& kept);

}  // namespace sonvarek
