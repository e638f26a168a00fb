// Streams the conformance suite lacks, made here with lame and compared with mpg123's
// floating-point output rounded to 16 bits (both Debian tools, needed by the tests only).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

struct GeneratedCase {
  const char* name;
  int rate;
  int channels;
  const char* lame_options;
  int expected_rate;
  int expected_sync;  // 2 for MPEG-2.5
  int expected_id;
};

const GeneratedCase kCases[] = {
    {"Mpeg25At8kHzMono", 8000, 1, "-b 16", 8000, 2, 0},
    {"Mpeg25At11kHzStereo", 11025, 2, "-b 32", 11025, 2, 0},
    {"Mpeg25At12kHzStereo", 12000, 2, "-b 48 -m s", 12000, 2, 0},
    {"Mpeg2At22kHzJointStereo", 22050, 2, "-b 64 -m j", 22050, 1, 0},
    {"Mpeg1Mono", 44100, 1, "-b 96", 44100, 1, 1},
    {"Mpeg1VbrWithXingHeader", 44100, 2, "-V 2", 44100, 1, 1},
    {"Mpeg1CrcProtected", 48000, 2, "-p -b 160", 48000, 1, 1},
    {"Mpeg1FreeFormat", 44100, 2, "--freeformat -b 200", 44100, 1, 1},
};

class Layer3Generated : public ::testing::TestWithParam<GeneratedCase> {};

TEST_P(Layer3Generated, MatchesMpg123AtFullAccuracy) {
  const GeneratedCase& c = GetParam();
  GeneratedStream stream;
  const std::string encoder = std::string("lame --quiet ") + c.lame_options;
  ASSERT_TRUE(MakeGeneratedStream(encoder, c.rate, c.channels, 2.0, kLayerIII, stream));
  EXPECT_EQ(stream.header.sync, c.expected_sync);
  EXPECT_EQ(stream.header.id, c.expected_id);

  const StreamDecodeResult ours = DecodeBuffer(stream.bytes);
  ASSERT_TRUE(ours.initialised);
  ExpectWholeStream(ours, c.expected_rate, c.channels, stream);
  // With all subbands decoded.
  ExpectFullAccuracy(CompareSamples(BytesToSamples(DecodeBuffer(stream.bytes, true).pcm), stream.reference));
  // With the frequency cap: exact, or different only in the top subband (the 8 kHz stream
  // keeps noise up to 4 kHz).
  const auto samples = BytesToSamples(ours.pcm);
  const Accuracy capped = CompareSamples(samples, stream.reference);
  if (!IsFullAccuracy(capped)) {
    EXPECT_LT(TopBandResidualRms(samples, stream.reference, 0, c.channels), kTwoRoundingsRms);
  }
}

INSTANTIATE_TEST_SUITE_P(LameStreams, Layer3Generated, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A stream cut at an arbitrary byte decodes from its first whole frame: silence while the
// reservoir reaches back before the cut, then exactly what the whole stream gives from the
// second decoded frame on (the first one still lacks the overlap of the frame before it).
TEST(Layer3GeneratedJoin, StreamJoinedInTheMiddleFillsTheReservoirThenMatches) {
  GeneratedStream stream;
  ASSERT_TRUE(MakeGeneratedStream("lame --quiet -b 128", 44100, 2, 2.0, kLayerIII, stream));
  const std::vector<uint8_t>& whole = stream.bytes;
  const auto whole_pcm = DecodeBuffer(whole).pcm;
  EXPECT_TRUE(IsFullAccuracy(CompareSamples(BytesToSamples(whole_pcm), stream.reference)));

  const size_t cut = 12347;
  const std::vector<uint8_t> joined(whole.begin() + static_cast<std::ptrdiff_t>(cut), whole.end());
  const auto joined_pcm = DecodeBuffer(joined).pcm;
  const size_t frame_bytes = 1152 * 2 * 2;
  ASSERT_EQ(joined_pcm.size() % frame_bytes, 0u);
  ASSERT_LT(joined_pcm.size(), whole_pcm.size());
  const size_t offset = whole_pcm.size() - joined_pcm.size();  // CBR: frames line up from the end

  size_t silent_frames = 0;
  while (silent_frames * frame_bytes < joined_pcm.size() &&
         std::all_of(joined_pcm.begin() + static_cast<std::ptrdiff_t>(silent_frames * frame_bytes),
                     joined_pcm.begin() + static_cast<std::ptrdiff_t>((silent_frames + 1) * frame_bytes),
                     [](uint8_t b) { return b == 0; }))
    ++silent_frames;
  EXPECT_GE(silent_frames, 1u);
  EXPECT_LE(silent_frames, 3u);
  const size_t settled = (silent_frames + 1) * frame_bytes;
  ASSERT_LT(settled, joined_pcm.size());
  EXPECT_TRUE(std::equal(joined_pcm.begin() + static_cast<std::ptrdiff_t>(settled), joined_pcm.end(),
                         whole_pcm.begin() + static_cast<std::ptrdiff_t>(offset + settled)));
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
