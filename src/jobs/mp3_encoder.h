#pragma once

#include <memory>

#include "jobs/conversion_batch.h"
#include "jobs/encoder.h"
#include "jobs/mp3_encoder_library.h"

namespace sonvarek {

// MP3 through the encoder library: the configuration record from the settings and the
// WAV's layout, PCM in chunks of the library's size (a shorter last one), the stream
// flushed, then the ID3v1 tag, the VBR header and the ID3v2 tag as the settings ask.
// With no library (null, or not loaded) Open fails with the initialise error. The
// stream is closed on every exit once opened. The library outlives the encoder.
std::unique_ptr<Encoder> MakeMp3Encoder(const Settings& settings, const Mp3EncoderLibrary* library);

// The MP3 step of the batch's current job: a rip's temporary or final WAV file or a file
// job's source, to the naming rule's path with ".MP3" or the output folder + the
// source's name + ".MP3" (see EncodeWith for the frame, its messages and results).
int EncodeMp3(ConversionBatch& batch, const Mp3EncoderLibrary* library);

// The step as the worker takes it, bound to the program's library.
JobStep Mp3EncodingStep(const Mp3EncoderLibrary* library);

}  // namespace sonvarek
