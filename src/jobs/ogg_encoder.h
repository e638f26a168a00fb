#pragma once

#include "jobs/conversion_batch.h"

namespace sonvarek {

// The Ogg Vorbis step of the batch's current job, through libvorbis: 16-bit stereo
// 44100 Hz PCM at the Quality setting (1..100 as hundredths, anything else 60), with the
// Vorbis comments the [Ogg Vorbis] switches choose, the three headers on pages of their
// own before any audio. It reads a rip's temporary WAV file or a file job's source, to
// the naming rule's path with ".ogg" or the output folder + the source's name + ".ogg"
// (see EncodeWith for the frame, its messages and results).
int EncodeOgg(ConversionBatch& batch);

// The step as the worker takes it.
JobStep OggEncodingStep();

}  // namespace sonvarek
