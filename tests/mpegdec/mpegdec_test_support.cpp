#include "mpegdec_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "mpegdec/decoder_state.h"

namespace sonvarek::mpegdec::test {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<int16_t> BytesToSamples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return samples;
}

std::filesystem::path VectorPath(const std::string& relative) {
  return std::filesystem::path(SONVAREK_SHARED_DIR) / "mpeg-vectors" / relative;
}

Accuracy CompareSamples(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, size_t skip) {
  Accuracy accuracy;
  if (skip >= ours.size()) return accuracy;
  accuracy.compared = std::min(ours.size() - skip, reference.size());
  double sum = 0.0;
  for (size_t i = 0; i < accuracy.compared; ++i) {
    const int difference = ours[skip + i] - reference[i];
    accuracy.max_lsb = std::max(accuracy.max_lsb, std::abs(difference));
    sum += static_cast<double>(difference) * difference;
  }
  if (accuracy.compared > 0) accuracy.rms = std::sqrt(sum / static_cast<double>(accuracy.compared)) / 32768.0;
  return accuracy;
}

bool IsFullAccuracy(const Accuracy& accuracy) {
  return accuracy.compared > 0 && accuracy.max_lsb <= 1 && accuracy.rms < kFullAccuracyRms;
}

double TopBandResidualRms(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, size_t skip, int channels) {
  constexpr int kTaps = 255;
  constexpr double kCutoff = 0.90;
  const double pi = std::acos(-1.0);
  std::vector<double> taps(kTaps);
  for (int i = 0; i < kTaps; ++i) {
    const double n = i - (kTaps - 1) / 2.0;
    const double sinc = n == 0 ? kCutoff : std::sin(pi * kCutoff * n) / (pi * n);
    const double blackman = 0.42 - 0.5 * std::cos(2 * pi * i / (kTaps - 1)) + 0.08 * std::cos(4 * pi * i / (kTaps - 1));
    taps[static_cast<size_t>(i)] = sinc * blackman;
  }
  if (skip >= ours.size()) return 1.0;
  const size_t frames = std::min(ours.size() - skip, reference.size()) / static_cast<size_t>(channels);
  double worst = 0.0;
  for (int channel = 0; channel < channels; ++channel) {
    std::vector<double> difference(frames);
    for (size_t f = 0; f < frames; ++f) {
      const size_t at = f * static_cast<size_t>(channels) + static_cast<size_t>(channel);
      difference[f] = ours[skip + at] - reference[at];
    }
    double sum = 0.0;
    size_t count = 0;
    for (size_t f = kTaps; f < frames; ++f, ++count) {
      double filtered = 0.0;
      for (int i = 0; i < kTaps; ++i) filtered += taps[static_cast<size_t>(i)] * difference[f - static_cast<size_t>(i)];
      sum += filtered * filtered;
    }
    if (count > 0) worst = std::max(worst, std::sqrt(sum / static_cast<double>(count)) / 32768.0);
  }
  return worst;
}

namespace {

int32_t init_all_subbands(const MpegHeader& header, int32_t framebytes, int32_t reduction, int32_t transform,
                          int32_t convert, int32_t freq_limit) {
  const int32_t ok = DecoderTable[0][0].Init(header, framebytes, reduction, transform, convert, freq_limit);
  detail::State().subbands = 32;
  return ok;
}

}  // namespace

StreamDecodeResult DecodeBuffer(const std::vector<uint8_t>& data, bool all_subbands, int32_t convert_code) {
  DecoderVariant variant = DecoderTable[0][0];
  if (all_subbands) variant.Init = init_all_subbands;
  return DecodeStream(variant, data.data(), data.size(), 0, convert_code);
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "mpegdec-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace sonvarek::mpegdec::test
