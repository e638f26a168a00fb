// Layer I and II conformance bitstreams of ISO/IEC 11172-4 and 13818-4 against their 16-bit
// references. The references run longer than the streams, so the common prefix is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "mpegdec/decoder.h"
#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

struct ConformanceCase {
  const char* name;
  int layer;  // 1 or 2
};

const ConformanceCase kCases[] = {
    {"l1-fl1", 1}, {"l1-fl2", 1},  {"l1-fl3", 1},  {"l1-fl4", 1},  {"l1-fl5", 1},  {"l1-fl6", 1},
    {"l1-fl7", 1}, {"l1-fl8", 1},  {"l2-fl10", 2}, {"l2-fl11", 2}, {"l2-fl12", 2}, {"l2-fl13", 2},
    {"l2-fl14", 2}, {"l2-fl15", 2}, {"l2-fl16", 2}, {"l2-test32", 2},
};

class Layer12Conformance : public ::testing::TestWithParam<ConformanceCase> {};

TEST_P(Layer12Conformance, DecodesAtFullAccuracy) {
  const ConformanceCase& c = GetParam();
  IsoVectors iso;
  ASSERT_TRUE(LoadIsoVectors(c.name, iso));

  const StreamDecodeResult full = DecodeBuffer(iso.bitstream, true);
  ASSERT_TRUE(full.initialised);
  EXPECT_EQ(full.refused, 0);
  const size_t per_frame = static_cast<size_t>(full.info.outvalues);
  EXPECT_EQ(per_frame, static_cast<size_t>(full.info.channels) * (c.layer == 1 ? 384 : 1152));
  const auto ours = BytesToSamples(full.pcm);
  const Accuracy accuracy = CompareSamples(ours, iso.reference);
  EXPECT_EQ(accuracy.compared, ours.size()) << "the reference covers the whole stream";
  EXPECT_GE(full.frames, 10);
  ExpectFullAccuracy(accuracy);

  // As the job decodes it, without the top subband: whatever differs lies in that band.
  const auto capped = BytesToSamples(DecodeBuffer(iso.bitstream).pcm);
  const Accuracy capped_accuracy = CompareSamples(capped, iso.reference);
  RecordProperty("capped_max_lsb", capped_accuracy.max_lsb);
  if (!IsFullAccuracy(capped_accuracy)) {
    EXPECT_LT(TopBandResidualRms(capped, iso.reference, 0, full.info.channels), kTwoRoundingsRms);
  }
}

// The integer variant decodes the same streams within one LSB of the floating-point one, at
// full rate and with reduction, channel conversion and 8-bit output.
TEST_P(Layer12Conformance, IntegerVariantIsWithinOneLsbOfFloat) {
  const ConformanceCase& c = GetParam();
  const auto bitstream = IsoBitstream(c.name);
  struct Options {
    int32_t reduction, convert, freq_limit;
  };
  for (const Options& o : {Options{0, 0, 24000}, Options{1, 1, 24000}, Options{2, 3, 4000}, Options{0, 8, 24000}}) {
    const StreamDecodeResult fixed = DecodeStream(DecoderTable[1][0], bitstream.data(), bitstream.size(), o.reduction, o.convert, o.freq_limit);
    const StreamDecodeResult floating = DecodeStream(DecoderTable[0][0], bitstream.data(), bitstream.size(), o.reduction, o.convert, o.freq_limit);
    ASSERT_TRUE(fixed.initialised);
    EXPECT_EQ(fixed.frames, floating.frames);
    ASSERT_EQ(fixed.pcm.size(), floating.pcm.size());
    int worst = 0;
    if (fixed.info.bits == 8) {
      for (size_t i = 0; i < fixed.pcm.size(); ++i) worst = std::max(worst, std::abs(fixed.pcm[i] - floating.pcm[i]));
    } else {
      worst = CompareSamples(BytesToSamples(fixed.pcm), BytesToSamples(floating.pcm)).max_lsb;
    }
    EXPECT_LE(worst, 1) << o.reduction << "/" << o.convert;
  }
}

INSTANTIATE_TEST_SUITE_P(IsoStreams, Layer12Conformance, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return IsoTestName(info.param.name); });

}  // namespace
}  // namespace sonvarek::mpegdec::test
