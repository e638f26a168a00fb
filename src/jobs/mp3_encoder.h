#pragma once

#include "jobs/conversion_batch.h"
#include "jobs/mp3_encoder_library.h"

namespace sonvarek {

// The MP3 step of the batch's current job, through the encoder library: the
// configuration record from the settings and the WAV's layout, PCM in chunks of the
// library's size (a shorter last one), the stream flushed, then the ID3v1 tag, the VBR
// header and the ID3v2 tag as the settings ask. With no library (null, or not loaded)
// it fails with the initialise error; the stream is closed on every exit once opened.
// It reads a rip's temporary or final WAV file or a file job's source, to the naming
// rule's path with ".MP3" or the output folder + the source's name + ".MP3" (see
// EncodeWith for the frame, its messages and results).
int EncodeMp3(ConversionBatch& batch, const Mp3EncoderLibrary* library);

// The step as the worker takes it, bound to the program's library.
JobStep Mp3EncodingStep(const Mp3EncoderLibrary* library);

}  // namespace sonvarek
