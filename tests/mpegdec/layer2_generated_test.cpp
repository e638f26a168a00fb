// Layer II streams made here with twolame in every mode, MPEG-1 and MPEG-2, with and without
// CRC, compared with mpg123's floating-point output rounded to 16 bits (both Debian tools,
// needed by the tests only).
#include <gtest/gtest.h>

#include <string>

#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

struct GeneratedCase {
  const char* name;
  int rate;
  int channels;
  const char* twolame_options;
  int expected_id;
  int expected_mode;
  int expected_prot;  // 0: CRC-protected
};

const GeneratedCase kCases[] = {
    {"Mpeg1Stereo", 44100, 2, "-m s -b 192", 1, 0, 1},
    {"Mpeg1JointStereoCrc", 44100, 2, "-m j -b 128 -p", 1, 1, 0},
    {"Mpeg1DualChannel", 48000, 2, "-m d -b 256", 1, 2, 1},
    {"Mpeg1MonoCrcLowRate", 32000, 1, "-m m -b 48 -p", 1, 3, 0},
    {"Mpeg1StereoHighRate", 48000, 2, "-m s -b 384", 1, 0, 1},
    {"Mpeg1JointStereoLowRate", 48000, 2, "-m j -b 64", 1, 1, 1},
    {"Mpeg2JointStereo", 22050, 2, "-m j -b 96", 0, 1, 1},
    {"Mpeg2StereoCrc", 24000, 2, "-m s -b 128 -p", 0, 0, 0},
    {"Mpeg2MonoLowRate", 16000, 1, "-m m -b 32", 0, 3, 1},
};

class Layer2Generated : public ::testing::TestWithParam<GeneratedCase> {};

TEST_P(Layer2Generated, MatchesMpg123AtFullAccuracy) {
  const GeneratedCase& c = GetParam();
  GeneratedStream stream;
  const std::string encoder = std::string("twolame --quiet ") + c.twolame_options;
  ASSERT_TRUE(MakeGeneratedStream(encoder, c.rate, c.channels, 1.0, kLayerII, stream));
  EXPECT_EQ(stream.header.id, c.expected_id);
  EXPECT_EQ(stream.header.mode, c.expected_mode);
  EXPECT_EQ(stream.header.prot, c.expected_prot);

  const StreamDecodeResult ours = DecodeBuffer(stream.bytes, true);
  ASSERT_TRUE(ours.initialised);
  ExpectWholeStream(ours, c.rate, c.channels, stream);
  const auto samples = BytesToSamples(ours.pcm);
  ExpectFullAccuracy(CompareSamples(samples, stream.reference));
  // The integer variant: within one LSB of the floating-point output.
  const std::vector<uint8_t>& bytes = stream.bytes;
  const StreamDecodeResult fixed = DecodeStream(DecoderTable[1][0], bytes.data(), bytes.size(), 0, 0, 24000);
  const StreamDecodeResult floating = DecodeStream(DecoderTable[0][0], bytes.data(), bytes.size(), 0, 0, 24000);
  ASSERT_TRUE(fixed.initialised);
  const Accuracy fixed_accuracy = CompareSamples(BytesToSamples(fixed.pcm), BytesToSamples(floating.pcm));
  EXPECT_EQ(fixed_accuracy.compared, samples.size());
  EXPECT_LE(fixed_accuracy.max_lsb, 1);
}

// The same frames marked as free format (bit-rate index 0) decode exactly as the table-rate
// stream: the free-format length, each frame's padding and the allocation table chosen by the
// rate that length gives. (mpg123 is no reference here: it decodes twolame's own free-format
// streams differently from any allocation table.)
TEST(Layer2GeneratedFreeFormat, FreeFormatFramesDecodeAsTheirTableRateTwins) {
  GeneratedStream generated;
  ASSERT_TRUE(MakeGeneratedStream("twolame --quiet -m s -b 192 -d", 44100, 2, 1.0, kLayerII, generated));
  const std::vector<uint8_t>& stream = generated.bytes;
  auto free_format = stream;
  int padded = 0;
  for (size_t at = 0; at + 4 <= free_format.size();) {
    MpegHeader header;
    ASSERT_TRUE(DecodeHeaderFields(free_format.data() + at, header));
    padded += header.pad;
    free_format[at + 2] &= 0x0F;
    at += static_cast<size_t>(HeaderTableFrameLength(header) + header.pad);
  }
  EXPECT_GT(padded, 0);
  const StreamDecodeResult table_rate = DecodeBuffer(stream, true);
  const StreamDecodeResult free = DecodeBuffer(free_format, true);
  ASSERT_TRUE(free.initialised);
  EXPECT_EQ(free.refused, 0);
  EXPECT_EQ(free.frames, table_rate.frames);
  EXPECT_EQ(free.pcm, table_rate.pcm);
  EXPECT_TRUE(IsFullAccuracy(CompareSamples(BytesToSamples(table_rate.pcm), generated.reference)));
}

INSTANTIATE_TEST_SUITE_P(TwolameStreams, Layer2Generated, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonvarek::mpegdec::test
