#pragma once

#include "jobs/conversion_batch.h"
#include "jobs/mp3_encoder_library.h"

namespace sonvarek {

// The MP3 step of the batch's current job: reads the WAV file (a CD track's
// temporary or final WAV file, or a file job's source), encodes it through the
// library in chunks of the library's size, writes the MP3 file (the naming rule's
// path for a CD track, the output folder + the source's name + ".MP3" for a file),
// finishes it with the ID3v1 tag, the VBR header and the ID3v2 tag as the settings
// ask, and deletes a rip's temporary WAV file.
//
// Posts EncodePhase (0, the job's name) before encoding, EncodeProgress every 10
// chunks and 1000 at the end. Returns 1 on success and after a cancel (then the
// batch's `cancelled` is set and the partial MP3 file is deleted); returns 0 after
// logging a failure, leaving the output as written so far and the temporary WAV
// file in place. With no library (null, or not loaded) every call logs the
// initialise error and fails. The stream is closed on every exit once opened.
int EncodeMp3(ConversionBatch& batch, const Mp3EncoderLibrary* library);

// The step as the worker takes it, bound to the program's library.
JobStep Mp3EncodingStep(const Mp3EncoderLibrary* library);

}  // namespace sonvarek
