#pragma once

#include <cstdint>
#include <string>

#include "jobs/conversion_batch.h"

namespace sonvarek {

// Files are read and rewritten in place in blocks of two CD sectors.
inline constexpr size_t kNormalizeBlockBytes = 4704;

// The factor that brings `peak` to `ratioPercent` % of 32767; 0 for a silent file
// (peak 0), which is left unchanged.
double NormalizeFactor(int32_t ratioPercent, int32_t peak);

// A sample scaled by `factor`: the low 16 bits of trunc(sample × factor + 0.5).
int16_t ScaleSample(int16_t sample, double factor);

// The peak of 16-bit samples: the larger of the largest sample and the magnitude of
// the smallest (a sample of −32768 gives 32768), both starting at 0.
struct PeakMeter {
  int32_t minimum = 0;
  int32_t maximum = 0;
  void Add(const uint8_t* bytes, size_t size);
  int32_t Peak() const { return maximum > -minimum ? maximum : -minimum; }
};

// Scales a WAV file of our own in place by `factor`, without a format check: the
// rip's or the decoder's new file, still staged, so that nobody else sees it half
// scaled. Posts ExtractProgress every 26 blocks and 1000 at the end to
// `progressWindow`. A cancel logs the cancel line and sets the batch's `cancelled`
// (the caller then discards the file). Open, read and write failures are logged.
// Returns false after a failure, true when the file was scaled or the user cancelled.
bool ScaleWavFile(MessageSink* progressWindow, const std::string& path, double factor, ConversionBatch& batch);

// The step of a normalize batch: checks the format (44100 Hz, 16 bits, stereo),
// finds the peak (JobPhase 2, progress every 50 blocks), then writes the scaled file
// (JobPhase 1, progress every 30 blocks, to the batch's NormalizeRatio) beside the
// original and renames it over the original once whole. Returns 1 on success and 0
// on a failure or a cancel (then `cancelled` is set); after a 0 the original is
// unchanged, byte for byte.
int NormalizeWavFile(const std::string& path, ConversionBatch& batch);

}  // namespace sonvarek
