#pragma once

#include "jobs/conversion_batch.h"

namespace sonvarek {

// The Ogg Vorbis step of the batch's current job: reads a 16-bit stereo 44100 Hz WAV
// file (a CD track's temporary WAV file, or a file job's source), encodes it with
// libvorbis at the Quality setting (1..100 as hundredths, anything else 60) with the
// Vorbis comments the [Ogg Vorbis] switches choose, and writes the Ogg file (the
// naming rule's path with ".ogg" for a CD track, the output folder + the source's
// name + ".ogg" for a file) whole or not at all. Deletes a rip's temporary WAV file.
//
// Posts EncodePhase (1, the job's name) before encoding, EncodeProgress every 10
// reads and 1000 at the end. Returns 1 on success and after a cancel (then the
// batch's `cancelled` is set and no output is left); returns 0 after logging a
// failure, with no output left and whatever had the output's name before untouched.
int EncodeOgg(ConversionBatch& batch);

// The step as the worker takes it.
JobStep OggEncodingStep();

}  // namespace sonvarek
