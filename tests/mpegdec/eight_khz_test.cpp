// The 8 kHz variant: its Init and Info, its output against a double-precision resampling of
// the full-rate decoder's output, and its mu-law table against G.711's encoding rule.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "mpegdec/decoder.h"
#include "mpegdec/decoder_tables.h"
#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

TEST(EightKhz, InitReportsOneChannelAt8000HzOfTheChosenKind) {
  struct Case {
    std::initializer_list<uint8_t> bytes;
    int32_t convert, bits, type;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90, 0x00}, 12, 8, 10},  // kind 3: mu-law
      {{0xFF, 0xFB, 0x90, 0x00}, 4, 16, 0},   // kind 1
      {{0xFF, 0xFB, 0x90, 0x00}, 9, 8, 0},    // kind 2
      {{0xFF, 0xFB, 0x90, 0x00}, 2, 16, 0},   // below 4: kind 1
      {{0xFF, 0xFB, 0x90, 0x00}, 16, 8, 10},  // 16 and more: kind 3
      {{0xFF, 0xFD, 0xA4, 0x00}, 13, 8, 10},  // Layer II
      {{0xFF, 0xF3, 0x80, 0xC0}, 8, 8, 0},    // MPEG-2 Layer III, single channel
  };
  Decoder decoder;
  for (const Case& c : cases) {
    for (int row = 0; row < 2; ++row) {
      DecoderInfo info;
      ASSERT_EQ(DecoderTable[row][1].Init(decoder, HeaderOf(c.bytes), 500, 0, 0, c.convert, 24000), 1);
      ASSERT_EQ(DecoderTable[row][1].Info(decoder, info), 1);
      EXPECT_EQ(info.channels, 1);
      EXPECT_EQ(info.samprate, 8000);
      EXPECT_EQ(info.bits, c.bits) << c.convert;
      EXPECT_EQ(info.type, c.type) << c.convert;
    }
  }
  DecoderInfo info;
  EXPECT_EQ(DecoderTable[0][1].Init(decoder, HeaderOf({0xFF, 0xE3, 0x38, 0xC0}), 500, 0, 0, 12, 24000), 0);  // MPEG-2.5
  EXPECT_EQ(DecoderTable[0][1].Info(decoder, info), 0);
}

// The interpolation rule in double precision over the full-rate decoder's output, with the
// last sample of each frame carried over (the whole stream is one run of samples).
std::vector<int16_t> ResampleReference(const std::vector<int16_t>& decoded, int step_eighths) {
  std::vector<int16_t> out;
  // Position 8 * (i + 1) is decoded[i]: the first output is the first sample.
  for (size_t position = 8; position < 8 * decoded.size(); position += static_cast<size_t>(step_eighths)) {
    const size_t i = position / 8;
    const double fraction = static_cast<double>(position % 8) / 8.0;
    const double a = decoded[i - 1];
    const double b = decoded[i];
    out.push_back(static_cast<int16_t>(std::floor(a + (b - a) * fraction + 0.5)));  // halves round up
  }
  return out;
}

TEST(EightKhz, OutputIsTheInterpolatedReducedRateDecoding) {
  struct Case {
    const char* stream;
    int32_t reduction;
  };
  const Case cases[] = {{"l2-fl10", 2}, {"l1-fl1", 2}, {"l3-he_44khz", 2}, {"M2L3_bitrate_24_all", 1}, {"l2-test32", 1}};
  for (const Case& c : cases) {
    const auto data = IsoBitstream(c.stream);
    const StreamDecodeResult eight = DecodeStream(DecoderTable[0][1], data.data(), data.size(), 0, 4);
    ASSERT_TRUE(eight.initialised) << c.stream;
    const StreamDecodeResult full = DecodeStream(DecoderTable[0][0], data.data(), data.size(), c.reduction, 1, 3200);
    ASSERT_TRUE(full.initialised);
    ASSERT_EQ(eight.frames, full.frames);
    const int step = (full.info.samprate << c.reduction) / 1000 >> c.reduction;
    const auto reference = ResampleReference(BytesToSamples(full.pcm), step);
    const auto ours = BytesToSamples(eight.pcm);
    EXPECT_LE(reference.size(), ours.size()) << c.stream;
    EXPECT_LE(ours.size(), reference.size() + 1) << c.stream;
    const Accuracy accuracy = CompareSamples(ours, reference);
    EXPECT_LE(accuracy.max_lsb, 1) << c.stream;
    EXPECT_TRUE(IsFullAccuracy(accuracy)) << c.stream << " rms " << accuracy.rms;
  }
}

// The mu-law code of each 13-bit index is the code whose G.711 decision interval holds the
// sample (in 14-bit units: the index times 2): for segment s and step q the magnitude interval
// starts at ((q + 16) << (s + 1)) - 33; negative samples are quantised by their one's complement.
TEST(EightKhz, MulawTableFollowsG711) {
  const auto& table = detail::Tables().mulaw;
  for (int index = 0; index < 8192; ++index) {
    const int sample = (index < 4096 ? index : index - 8192) * 2;
    const uint8_t code = table[index];
    const bool negative = (code & 0x80) == 0;
    const int inverted = (code ^ 0xFF) & 0x7F;
    const int segment = inverted >> 4;
    const int step = inverted & 15;
    const int magnitude = negative ? -sample - 1 : sample;
    const int low = ((step + 16) << (segment + 1)) - 33;
    const int high = ((step + 17) << (segment + 1)) - 33;
    EXPECT_EQ(negative, sample < 0) << index;
    EXPECT_GE(magnitude, low) << index;
    if (segment != 7 || step != 15) {
      EXPECT_LT(magnitude, high) << index;  // the top code takes all beyond
    }
  }
  EXPECT_EQ(table[0], 0xFF);
  EXPECT_EQ(table[8191], 0x7E);  // -1 in 13 bits, -2 in 14
  EXPECT_EQ(detail::MulawEncode(-1), 0x7F);
  EXPECT_EQ(table[4095], 0x80);
  EXPECT_EQ(table[4096], 0x00);
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
