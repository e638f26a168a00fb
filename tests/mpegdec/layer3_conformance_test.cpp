// Layer III conformance bitstreams of ISO/IEC 11172-4 and 13818-4 against their 16-bit
// references, kept in tests/data/mpeg/iso/.
#include <gtest/gtest.h>

#include <string>

#include "mpegdec/decoder.h"
#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

struct ConformanceCase {
  const char* name;
  size_t skip;          // leading samples of our output the reference leaves out
  bool top_band;        // carries signal in subband 31, which the frequency cap never decodes
};

// l3-sin1k0db: its first two frames reach back into data before the stream; the reference
// drops them, we emit them as silence (2 x 1152 two-channel samples). Several references are shorter than a full decoding, so the
// common length is compared.
const ConformanceCase kCases[] = {
    {"l3-compl", 0, false},        {"l3-he_32khz", 0, false},        {"l3-he_44khz", 0, false},
    {"l3-he_48khz", 0, false},     {"l3-hecommon", 0, false},        {"l3-he_free", 0, false},
    {"l3-si", 0, false},           {"l3-si_block", 0, false},        {"l3-si_huff", 0, true},
    {"l3-sin1k0db", 2 * 1152 * 2, false}, {"M2L3_bitrate_16_all", 0, false}, {"M2L3_bitrate_22_all", 0, true},
    {"M2L3_bitrate_24_all", 0, false}, {"M2L3_compl24", 0, true},    {"M2L3_noise", 0, true},
};

class Layer3Conformance : public ::testing::TestWithParam<ConformanceCase> {};

TEST_P(Layer3Conformance, DecodesAtFullAccuracy) {
  const ConformanceCase& c = GetParam();
  IsoVectors iso;
  ASSERT_TRUE(LoadIsoVectors(c.name, iso));

  // With the top subband decoded as well, every stream meets the full-accuracy bound.
  const StreamDecodeResult full = DecodeBuffer(iso.bitstream, true);
  ASSERT_TRUE(full.initialised);
  const Accuracy full_accuracy = CompareSamples(BytesToSamples(full.pcm), iso.reference, c.skip);
  ExpectFullAccuracy(full_accuracy);
  EXPECT_GE(full_accuracy.compared + 2 * 1152 * 2, iso.reference.size());

  // As the job decodes it, with the subband cap.
  const StreamDecodeResult capped = DecodeBuffer(iso.bitstream);
  const auto capped_samples = BytesToSamples(capped.pcm);
  const Accuracy capped_accuracy = CompareSamples(capped_samples, iso.reference, c.skip);
  if (!c.top_band) {
    EXPECT_TRUE(IsFullAccuracy(capped_accuracy)) << DescribeAccuracy(capped_accuracy);
    return;
  }
  EXPECT_FALSE(IsFullAccuracy(capped_accuracy)) << "no signal above the cap: move this stream to the plain list";
  EXPECT_LT(TopBandResidualRms(capped_samples, iso.reference, c.skip, capped.info.channels), kTwoRoundingsRms);
}

INSTANTIATE_TEST_SUITE_P(IsoStreams, Layer3Conformance, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return IsoTestName(info.param.name); });

// l3-he_mode switches between single-channel and two-channel frames; its reference keeps
// each frame's own channel count. Decoding into two-channel output, a single-channel frame
// appears on both channels.
TEST(Layer3ConformanceModes, ChannelModeChangesKeepEachFrameExact) {
  const auto bitstream = IsoBitstream("l3-he_mode");
  const auto reference = IsoReference("l3-he_mode");
  ASSERT_FALSE(bitstream.empty());
  size_t at = FindLayer3Frame(bitstream.data(), bitstream.size(), 0);
  size_t stereo_at = at;
  MpegHeader header;
  while (stereo_at < bitstream.size()) {
    const int32_t length = ParseHeader(bitstream.data() + stereo_at, 4096, header);
    ASSERT_GT(length, 0);
    if (header.mode != kSingleChannel) break;
    stereo_at += static_cast<size_t>(length + header.pad);
  }
  const int32_t length = ParseHeader(bitstream.data() + stereo_at, 4096, header);
  const DecoderVariant& variant = DecoderTable[0][0];
  Decoder decoder;
  ASSERT_EQ(variant.Init(decoder, header, length, 0, 0, 0, 24000), 1);

  std::vector<int16_t> ours;  // each frame with its own channel count, as the reference
  std::vector<uint8_t> pcm(kMaxFrameOutputBytes);
  int mono_frames = 0;
  while (at + 4 <= bitstream.size()) {
    MpegHeader frame_header;
    ASSERT_TRUE(DecodeHeaderFields(bitstream.data() + at, frame_header));
    const FrameResult frame =
        variant.Decode(decoder, bitstream.data() + at, static_cast<int32_t>(bitstream.size() - at), pcm.data());
    if (frame.in_bytes <= 0) break;
    ASSERT_EQ(frame.out_bytes, 1152 * 4);
    const auto samples = BytesToSamples(std::vector<uint8_t>(pcm.begin(), pcm.begin() + frame.out_bytes));
    for (size_t i = 0; i < 1152; ++i) {
      ours.push_back(samples[2 * i]);
      if (frame_header.mode != kSingleChannel) ours.push_back(samples[2 * i + 1]);
      else EXPECT_EQ(samples[2 * i], samples[2 * i + 1]);
    }
    mono_frames += frame_header.mode == kSingleChannel;
    at += static_cast<size_t>(frame.in_bytes);
  }
  EXPECT_GT(mono_frames, 0);
  const Accuracy accuracy = CompareSamples(ours, reference);
  EXPECT_EQ(accuracy.compared, reference.size());
  EXPECT_TRUE(IsFullAccuracy(accuracy)) << DescribeAccuracy(accuracy);
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
