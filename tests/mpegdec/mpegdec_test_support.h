#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mpegdec/stream_walk.h"

namespace sonvarek::mpegdec::test {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
std::vector<int16_t> BytesToSamples(const std::vector<uint8_t>& bytes);
std::filesystem::path VectorPath(const std::string& relative);  // under mpeg-vectors/

// Differences of two 16-bit sample runs over their common length (after skipping `skip`
// samples of `ours`), with full scale +-1.
struct Accuracy {
  size_t compared = 0;
  int max_lsb = 0;
  double rms = 0.0;  // of the difference, full scale 1
};
Accuracy CompareSamples(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, size_t skip = 0);

// The full-accuracy bound for 16-bit output: no sample off by more than one LSB, RMS below
// 2^-15 / sqrt(12) of full scale.
inline constexpr double kFullAccuracyRms = 8.8099e-06;
bool IsFullAccuracy(const Accuracy& accuracy);

// Decodes a whole buffer with the floating-point full-rate variant; `all_subbands` lifts the
// frequency-limit cap so that the top subband is decoded too (tests only).
StreamDecodeResult DecodeBuffer(const std::vector<uint8_t>& data, bool all_subbands = false, int32_t convert_code = 0);

// A fresh folder under the system temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace sonvarek::mpegdec::test
