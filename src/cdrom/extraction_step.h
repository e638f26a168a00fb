#pragma once

#include <cstdint>

#include "jobs/conversion_batch.h"
#include "jobs/mp3_encoder_library.h"

namespace sonvarek {

// The extraction step of a CD rip: reads the current job's track from the batch's
// drive in blocks of BufferSize sectors into a WAV file — the final output (named
// by the naming rule) when the batch writes WAV, else a new "PW" temporary file
// whose path goes to batch.temporaryPath. Trims DeleteSilence's sectors, checks the
// free space, posts ExtractProgress after each block and 1000 at the end, gathers
// the peak and scales the file when Normalize is set, skips unreadable blocks when
// BoolSkipError is set, and logs every line of the job log.
//
// Returns 1 when the track was extracted or the user cancelled (then `cancelled` is
// set, a temporary file is deleted and a WAV output is kept with a header for what
// was read), 0 after a logged error; a temporary file is deleted on every error too.
int ExtractTrack(ConversionBatch& batch);

// The silence trimming of DeleteSilence: the start moves forward by `leading`
// sectors but not past end − 75, then the end moves back by `trailing` sectors but
// not before start + 75. A track of 75 sectors or less is left as it is.
void TrimSilence(uint32_t& startSector, uint32_t& endSector, uint32_t leading, uint32_t trailing);

// The StepTable of a CD rip: the extraction step, the MP3 step bound to `library`
// and the other steps built so far.
StepTable RipStepTable(const Mp3EncoderLibrary& library);

}  // namespace sonvarek
