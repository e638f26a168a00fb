#pragma once

#include <cstdint>

#include "jobs/conversion_batch.h"

namespace sonvarek {

class RipContext;

// The extraction step of a CD rip: reads the current job's track from the rip's
// drive in blocks of BufferSize sectors into a WAV file — the final output (named
// by the naming rule) when the batch writes WAV, else a new "PW" temporary file
// whose path goes to batch.temporaryPath. Trims DeleteSilence's sectors, checks the
// free space, posts ExtractProgress after each block and 1000 at the end, gathers
// the peak and scales the file when Normalize is set, skips unreadable blocks when
// BoolSkipError is set, and logs every line of the job log.
//
// Returns 1 when the track was extracted or the user cancelled (then `cancelled` is
// set), 0 after a logged error. A WAV output takes its name only when complete;
// after a cancel or an error nothing of the track is left, temporary file included.
// The track's checksums and findings go to the rip's report entry, when it has one.
int ExtractTrack(ConversionBatch& batch, RipContext& rip);

// The silence trimming of DeleteSilence: the start moves forward by `leading`
// sectors but not past end − 75, then the end moves back by `trailing` sectors but
// not before start + 75. A track of 75 sectors or less is left as it is.
void TrimSilence(uint32_t& startSector, uint32_t& endSector, uint32_t leading, uint32_t trailing);

}  // namespace sonvarek
