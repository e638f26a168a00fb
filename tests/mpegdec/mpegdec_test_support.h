#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "mpegdec/stream_walk.h"

namespace sonvarek::mpegdec::test {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
std::vector<int16_t> BytesToSamples(const std::vector<uint8_t>& bytes);
// A file under tests/data/mpeg/; a missing one fails the calling test, since the vectors are
// part of the checkout.
std::filesystem::path VectorPath(const std::string& relative);
// A conformance stream of tests/data/mpeg/iso/ by name ("l2-fl10"), and its 16-bit reference.
std::vector<uint8_t> IsoBitstream(const std::string& name);
std::vector<int16_t> IsoReference(const std::string& name);
// A conformance stream's name as a test name ("l2_fl10").
std::string IsoTestName(const std::string& name);
// Both at once; false, after failing the calling test, when either is empty.
struct IsoVectors {
  std::vector<uint8_t> bitstream;
  std::vector<int16_t> reference;
};
bool LoadIsoVectors(const std::string& name, IsoVectors& vectors);

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
std::string DescribeAccuracy(const Accuracy& accuracy);
// Expects full accuracy and records max_lsb and rms_lsb (in LSB) as properties of the test.
void ExpectFullAccuracy(const Accuracy& accuracy);

// The frequency cap never decodes the top subband. To show that a difference lies wholly in
// that band, the difference is low-passed (255-tap Blackman windowed sinc at 0.90 of the
// Nyquist frequency, below the band's lower edge near 30.3/32 less the filter's transition)
// per channel; returns the largest RMS over the channels, full scale 1. What remains there is
// rounding noise: where the outputs differ by a fraction of an LSB they round independently,
// which leaves up to kTwoRoundingsRms instead of the matching roundings of an unchanged signal.
inline constexpr double kTwoRoundingsRms = 1.2456e-05;  // 2^-15 / sqrt(6)
double TopBandResidualRms(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, size_t skip, int channels);

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

// Writes a 16-bit WAV file of `seconds` of test signal: tones that glide, a click every 0.4 s
// and quiet noise, with other tones on the right channel so that the channels differ.
void WriteTestWav(const std::filesystem::path& path, int rate, int channels, double seconds);

// Runs a shell command with its output discarded; returns std::system's result.
int RunCommand(const std::string& command);

// Writes `seconds` of the test signal to input.wav in `folder` and encodes it with a Debian
// command-line encoder given with its options ("lame --quiet -b 128"); returns the stream's
// path, empty when the encoder fails.
std::filesystem::path EncodeTestSignal(const std::filesystem::path& folder, const std::string& encoder, int rate, int channels,
                                       double seconds);

// The header of the first frame of layer code `option` (as FindFrame takes it) in `stream`;
// false when there is none.
bool FirstFrameHeader(const std::vector<uint8_t>& stream, int32_t option, MpegHeader& header);

// A stream that a Debian command-line encoder with its options ("lame --quiet -b 128") made
// of `seconds` of the test signal, the header of its first frame of layer code `layer`, and
// mpg123's decoding of it, the reference of the generated-stream tests; its files are in
// `folder`, removed with it.
struct GeneratedStream {
  TempFolder folder;
  std::filesystem::path path;
  std::vector<uint8_t> bytes;
  MpegHeader header;
  std::vector<int16_t> reference;
};
// False, after failing the calling test, when the encoder or mpg123 fails or there is no
// frame of `layer`.
bool MakeGeneratedStream(const std::string& encoder, int rate, int channels, double seconds, int32_t layer,
                         GeneratedStream& stream);
// What every generated stream's decoding must be besides accurate: at `rate` with `channels`,
// no frame refused, as many samples as the reference.
void ExpectWholeStream(const StreamDecodeResult& ours, int rate, int channels, const GeneratedStream& stream);

// The record of a four-byte frame header that must parse.
MpegHeader HeaderOf(std::initializer_list<uint8_t> bytes);

// Debian's mpg123 decoding of `mp3` as 32-bit floats rounded to 16 bits (test-only
// reference), using `folder` for its output; empty when mpg123 fails.
std::vector<int16_t> ReferenceDecode(const std::filesystem::path& mp3, const std::filesystem::path& folder);

}  // namespace sonvarek::mpegdec::test
