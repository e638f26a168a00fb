#include "mpegdec_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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
  const std::filesystem::path path = std::filesystem::path(SONVAREK_TEST_DATA_DIR) / relative;
  // Callers read a missing file as empty, which some checks would pass; fail here instead.
  EXPECT_TRUE(std::filesystem::exists(path)) << "missing test vector " << path;
  return path;
}

std::vector<uint8_t> IsoBitstream(const std::string& name) { return ReadFileBytes(VectorPath("iso/" + name + ".bit")); }

std::vector<int16_t> IsoReference(const std::string& name) {
  return BytesToSamples(ReadFileBytes(VectorPath("iso/" + name + ".pcm")));
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

bool LoadIsoVectors(const std::string& name, IsoVectors& vectors) {
  vectors.bitstream = IsoBitstream(name);
  vectors.reference = IsoReference(name);
  if (!vectors.bitstream.empty() && !vectors.reference.empty()) return true;
  ADD_FAILURE() << "empty conformance vectors of " << name;
  return false;
}

std::string IsoTestName(const std::string& name) {
  std::string test_name = name;
  std::replace(test_name.begin(), test_name.end(), '-', '_');
  return test_name;
}

bool IsFullAccuracy(const Accuracy& accuracy) {
  return accuracy.compared > 0 && accuracy.max_lsb <= 1 && accuracy.rms < kFullAccuracyRms;
}

std::string DescribeAccuracy(const Accuracy& a) {
  return "compared " + std::to_string(a.compared) + " max " + std::to_string(a.max_lsb) + " LSB, rms " +
         std::to_string(a.rms);
}

void ExpectFullAccuracy(const Accuracy& accuracy) {
  EXPECT_TRUE(IsFullAccuracy(accuracy)) << DescribeAccuracy(accuracy);
  ::testing::Test::RecordProperty("max_lsb", accuracy.max_lsb);
  ::testing::Test::RecordProperty("rms_lsb", std::to_string(accuracy.rms * 32768.0));
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

int32_t init_all_subbands(Decoder& decoder, const MpegHeader& header, int32_t framebytes, int32_t reduction,
                          int32_t transform, int32_t convert, int32_t freq_limit) {
  const int32_t ok = DecoderTable[0][0].Init(decoder, header, framebytes, reduction, transform, convert, freq_limit);
  decoder.state().subbands = 32;
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

// Tones that glide, a click every 0.4 s (short blocks) and quiet noise; the right channel
// plays other tones so that the channels differ.
void WriteTestWav(const std::filesystem::path& path, int rate, int channels, double seconds) {
  const int frames = static_cast<int>(rate * seconds);
  std::vector<int16_t> samples(static_cast<size_t>(frames) * static_cast<size_t>(channels));
  const double pi = std::acos(-1.0);
  uint32_t noise = 12345;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    for (int ch = 0; ch < channels; ++ch) {
      const double base = ch == 0 ? 220.0 : 330.0;
      double value = 0.3 * std::sin(2 * pi * base * t * (1.0 + 0.2 * t));
      value += 0.15 * std::sin(2 * pi * (rate / 7.0) * t) * (0.5 + 0.5 * std::sin(2 * pi * 1.3 * t));
      const double since_click = std::fmod(t, 0.4);
      if (since_click < 0.004) value += 0.4 * std::sin(2 * pi * 2000.0 * since_click) * (1.0 - since_click / 0.004);
      noise = noise * 1664525u + 1013904223u;
      value += 0.01 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5);
      samples[static_cast<size_t>(i) * static_cast<size_t>(channels) + static_cast<size_t>(ch)] =
          static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32000.0));
    }
  }
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
  auto put32 = [](std::ofstream& out, uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i))); };
  auto put16 = [](std::ofstream& out, uint16_t v) { out.put(static_cast<char>(v)); out.put(static_cast<char>(v >> 8)); };
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  put32(out, 36 + data_bytes);
  out.write("WAVEfmt ", 8);
  put32(out, 16);
  put16(out, 1);
  put16(out, static_cast<uint16_t>(channels));
  put32(out, static_cast<uint32_t>(rate));
  put32(out, static_cast<uint32_t>(rate * channels * 2));
  put16(out, static_cast<uint16_t>(channels * 2));
  put16(out, 16);
  out.write("data", 4);
  put32(out, data_bytes);
  for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
}

int RunCommand(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::filesystem::path EncodeTestSignal(const std::filesystem::path& folder, const std::string& encoder, int rate, int channels,
                                       double seconds) {
  const std::filesystem::path wav = folder / "input.wav";
  const std::filesystem::path stream = folder / "stream.mpa";
  WriteTestWav(wav, rate, channels, seconds);
  if (RunCommand(encoder + " '" + wav.string() + "' '" + stream.string() + "'") != 0) return {};
  return stream;
}

bool FirstFrameHeader(const std::vector<uint8_t>& stream, int32_t option, MpegHeader& header) {
  const size_t first = FindFrame(stream.data(), stream.size(), 0, option);
  if (first >= stream.size()) return false;
  return ParseHeaderAt(stream.data(), stream.size(), first, header) > 0;
}

bool MakeGeneratedStream(const std::string& encoder, int rate, int channels, double seconds, int32_t layer,
                         GeneratedStream& stream) {
  stream.path = EncodeTestSignal(stream.folder.path(), encoder, rate, channels, seconds);
  if (stream.path.empty()) {
    ADD_FAILURE() << encoder.substr(0, encoder.find(' ')) << " is needed (scripts/install-deps)";
    return false;
  }
  stream.bytes = ReadFileBytes(stream.path);
  if (!FirstFrameHeader(stream.bytes, layer, stream.header)) {
    ADD_FAILURE() << "no frame of layer code " << layer << " in " << stream.path;
    return false;
  }
  stream.reference = ReferenceDecode(stream.path, stream.folder.path());
  if (stream.reference.empty()) {
    ADD_FAILURE() << "mpg123 is needed (scripts/install-deps)";
    return false;
  }
  return true;
}

void ExpectWholeStream(const StreamDecodeResult& ours, int rate, int channels, const GeneratedStream& stream) {
  EXPECT_EQ(ours.info.samprate, rate);
  EXPECT_EQ(ours.info.channels, channels);
  EXPECT_EQ(ours.refused, 0);
  EXPECT_EQ(ours.pcm.size() / 2, stream.reference.size());
}

MpegHeader HeaderOf(std::initializer_list<uint8_t> bytes) {
  const std::vector<uint8_t> b(bytes);
  MpegHeader header;
  EXPECT_TRUE(DecodeHeaderFields(b.data(), header));
  return header;
}

// mpg123's 32-bit float output (full scale 1.0 = 32768) rounded to 16 bits.
std::vector<int16_t> ReferenceDecode(const std::filesystem::path& mp3, const std::filesystem::path& folder) {
  const std::filesystem::path raw = folder / "reference.f32";
  const std::string command = "mpg123 -q --no-gapless -e f32 -s '" + mp3.string() + "' > '" + raw.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  const auto bytes = ReadFileBytes(raw);
  std::vector<int16_t> samples(bytes.size() / 4);
  for (size_t i = 0; i < samples.size(); ++i) {
    float value;
    std::memcpy(&value, bytes.data() + 4 * i, 4);
    samples[i] = static_cast<int16_t>(std::clamp(std::nearbyint(static_cast<double>(value) * 32768.0), -32768.0, 32767.0));
  }
  return samples;
}

}  // namespace sonvarek::mpegdec::test
