#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "core/records.h"
#include "core/window_messages.h"
#include "jobs/conversion_batch.h"
#include "jobs/wav_file.h"
#include "platform/staged_file.h"

namespace sonvarek {

// What a call of an encoder came to: nothing, or the whole log line of its failure.
struct EncoderResult {
  std::string failureLine;

  bool Ok() const { return failureLine.empty(); }
  static EncoderResult Success() { return {}; }
  static EncoderResult Failure(std::string line) { return {std::move(line)}; }
};

// One output format behind the encoding step (EncodeWith). The step owns everything
// around the codec: the input WAV, the staged output and its naming, progress, cancel,
// the log lines of the frame, the rip's temporary WAV file. An encoder only turns PCM
// into its format.
//
// Calls come in this order: Open, Start, Write for each block, Finish. Discard may
// follow any of them and ends the encoding without a file (a cancel, a failure). After
// a failed call the step calls nothing but Discard.
class Encoder {
 public:
  virtual ~Encoder() = default;

  // Sets the codec up for the WAV's `format` and the job's tags, before any file is
  // made, so that a codec that cannot start costs nothing. The job outlives the
  // encoder; an encoder may complete its tags (the default comment).
  virtual EncoderResult Open(const WavHeader& format, ConversionJob& job) = 0;
  // PCM bytes per Write: every block but the last has exactly this size.
  virtual size_t BlockBytes() const = 0;
  // Writes the stream's beginning (headers) into the staged output.
  virtual EncoderResult Start(StagedFile& output) = 0;
  // Encodes one block of the WAV's sample bytes and writes what the codec made.
  virtual EncoderResult Write(const uint8_t* pcm, size_t bytes) = 0;
  // Ends the stream, writes what the format adds to a finished file and closes the
  // staged output; its naming is the step's.
  virtual EncoderResult Finish(StagedFile& output) = 0;
  // Releases the codec without finishing the stream.
  virtual void Discard() = 0;
};

// What the step needs to know of a format besides its encoder.
struct EncodingFormat {
  BatchKind fileBatch;    // the file batch making this format, which names its files
  const char* extension;  // of a rip's track, by the naming rule
  WavReader reader;       // which WAV layouts the codec takes
  EncoderCode phase;      // wParam of the EncodePhase message
};

// Runs the current job of `batch` through `encoder`: the input WAV (checked before
// anything is made), the output named by the batch's kind (the naming rule for a rip's
// track, the output folder + the source's name for a file), the "Encoding" and "OK"
// log lines, EncodePhase, EncodeProgress every 10 blocks and 1000 at the end, the
// free-space check (a quarter of the WAV data), the cancel poll before each block,
// the staged output committed whole, and the removal of a rip's temporary WAV file.
//
// Returns 1 on success and after a cancel (then the batch's `cancelled` is set and no
// output is left); returns 0 after logging a failure, leaving no output, whatever had
// the output's name before untouched, and a rip's temporary WAV file in place.
int EncodeWith(ConversionBatch& batch, Encoder& encoder, const EncodingFormat& format);

}  // namespace sonvarek
