// Streams the conformance suite lacks, made here with lame and compared with mpg123's
// floating-point output rounded to 16 bits (both Debian tools, needed by the tests only).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

namespace fs = std::filesystem;

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
  TempFolder folder;
  const fs::path mp3 = EncodeTestSignal(folder.path(), std::string("lame --quiet ") + c.lame_options, c.rate, c.channels, 2.0);
  ASSERT_FALSE(mp3.empty()) << "lame is needed (scripts/install-deps)";
  const auto stream = ReadFileBytes(mp3);
  MpegHeader header;
  ASSERT_TRUE(FirstFrameHeader(stream, 1, header));
  EXPECT_EQ(header.sync, c.expected_sync);
  EXPECT_EQ(header.id, c.expected_id);

  const auto reference = ReferenceDecode(mp3, folder.path());
  ASSERT_FALSE(reference.empty()) << "mpg123 is needed (scripts/install-deps)";
  const StreamDecodeResult ours = DecodeBuffer(stream);
  ASSERT_TRUE(ours.initialised);
  EXPECT_EQ(ours.info.samprate, c.expected_rate);
  EXPECT_EQ(ours.info.channels, c.channels);
  EXPECT_EQ(ours.refused, 0);
  const auto samples = BytesToSamples(ours.pcm);
  EXPECT_EQ(samples.size(), reference.size());
  const Accuracy all = CompareSamples(BytesToSamples(DecodeBuffer(stream, true).pcm), reference);
  EXPECT_TRUE(IsFullAccuracy(all)) << "all subbands: max " << all.max_lsb << " rms " << all.rms;
  RecordProperty("max_lsb", all.max_lsb);
  RecordProperty("rms_lsb", std::to_string(all.rms * 32768.0));
  // With the frequency cap: exact, or different only in the top subband (the 8 kHz stream
  // keeps noise up to 4 kHz).
  const Accuracy capped = CompareSamples(samples, reference);
  if (!IsFullAccuracy(capped)) {
    EXPECT_LT(TopBandResidualRms(samples, reference, 0, c.channels), kTwoRoundingsRms);
  }
}

INSTANTIATE_TEST_SUITE_P(LameStreams, Layer3Generated, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A stream cut at an arbitrary byte decodes from its first whole frame: silence while the
// reservoir reaches back before the cut, then exactly what the whole stream gives from the
// second decoded frame on (the first one still lacks the overlap of the frame before it).
TEST(Layer3GeneratedJoin, StreamJoinedInTheMiddleFillsTheReservoirThenMatches) {
  TempFolder folder;
  const fs::path mp3 = EncodeTestSignal(folder.path(), "lame --quiet -b 128", 44100, 2, 2.0);
  ASSERT_FALSE(mp3.empty());
  const auto whole = ReadFileBytes(mp3);
  const auto whole_pcm = DecodeBuffer(whole).pcm;
  EXPECT_TRUE(IsFullAccuracy(CompareSamples(BytesToSamples(whole_pcm), ReferenceDecode(mp3, folder.path()))));

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
