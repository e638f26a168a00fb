#pragma once

#include <cstdint>
#include <string>

#include "jobs/conversion_batch.h"
#include "mpegdec/decoder.h"

namespace sonvarek {

// How DecodeMp3File decodes: the decoder variant (ChooseDecoderVariant from `integer`,
// `eightKhz` and `convertCode`) and Init's `reduction`, `convertCode` and `frequencyLimit`.
struct Mp3DecodingOptions {
  int32_t reduction = mpegdec::kFullRate;
  int32_t convertCode = mpegdec::kKeepChannels;
  bool eightKhz = false;
  int32_t frequencyLimit = mpegdec::kFullBandLimit;
  bool integer = false;
};

// The decoding step of a decode batch: the MPEG audio file `input` (Layer III of MPEG-1 or
// MPEG-2) becomes the WAV file `output`.
//
// Decoding starts after a leading ID3v2 tag (its size as the tag's own 10-byte header
// announces it; the tag itself is never parsed) and after "Xing" or "Info" frames, which
// carry no audio. The frames are walked with mpegdec's FrameWalker (kMp3Frames): the stream
// starts at the first Layer III header that the header one frame length later confirms
// (same version, layer and sampling rate), or at a lone frame that ends the file or is
// followed by an ID3v1 or APE tag. A file without such a frame (Layer I or II, MPEG-2.5,
// free format, no MPEG audio, a header followed by garbage) logs "Bad or unsupported MPEG
// file." and returns 0.
//
// Decoding stops at the end of the file, at a frame the decoder refuses ("Bad Sync."), or at
// a read error; each of these still completes the WAV file with what was decoded, logs
// "Decode MPEG file OK!" and returns 1. Posts EncodeProgress every 30 frames and 1000 at the
// end; with the Normalize setting the finished file is scaled to NormalizeRatio % of full
// scale before it takes its name (JobPhase Normalizing first).
//
// The output appears whole or not at all: a cancel (the batch's `cancelled` set, 1
// returned) and every failure (a log line, 0 returned) leave no file under `output`.
int DecodeMp3File(const std::string& input, const std::string& output, const Mp3DecodingOptions& options,
                  ConversionBatch& batch);

// The step as the worker calls it: full rate, both channels, 16 bits, floating point, up
// to `frequencyLimit` Hz.
DecodeStep Mp3DecodingStep();

}  // namespace sonvarek
