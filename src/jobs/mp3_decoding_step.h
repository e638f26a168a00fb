#pragma once

#include <cstdint>
#include <string>

#include "jobs/conversion_batch.h"

namespace sonvarek {

// The decoding step of a decode batch: the MPEG audio file `input` (Layer III, MPEG-1 or
// MPEG-2) becomes the WAV file `output`, through our decoder's variant for `integerFlag`,
// `eightKhzFlag` and `convertCode`, with Init's `reduction`, `convertCode` and
// `frequencyLimit`.
//
// Decoding starts after a leading ID3v2 tag (its size as id3lib reads it) and after a
// "Xing" or "Info" frame, which carries no audio. It stops at the end of the file, at a
// frame the decoder refuses ("Bad Sync."), or at a read or write error; each of these
// still completes the WAV file with what was decoded, logs "Decode MPEG file OK!" and
// returns 1. Posts EncodeProgress every 30 frames and 1000 at the end; with the Normalize
// setting the finished file is scaled to NormalizeRatio % of full scale before it takes
// its name (JobPhase Normalizing first).
//
// The output appears whole or not at all: a cancel (the batch's `cancelled` set, 1
// returned) and every failure (a log line, 0 returned) leave no file under `output`.
int DecodeMp3File(const std::string& input, const std::string& output, int32_t reduction, int32_t convertCode,
                  int32_t eightKhzFlag, int32_t frequencyLimit, int32_t integerFlag, ConversionBatch& batch);

// The step as the worker calls it: full rate, both channels, 16 bits, floating point, up
// to `frequencyLimit` Hz.
DecodeStep Mp3DecodingStep();

}  // namespace sonvarek
