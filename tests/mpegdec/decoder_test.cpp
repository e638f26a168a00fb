// The decoder table, Init's arguments and Info, and Decode's refusals.
#include "mpegdec/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "mpegdec/layer12.h"
#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

const MpegHeader kStereo44 = HeaderOf({0xFF, 0xFB, 0x90, 0x00});   // MPEG-1 Layer III 128k stereo
const MpegHeader kMono25 = HeaderOf({0xFF, 0xE3, 0x38, 0xC0});     // MPEG-2.5 8 kHz single channel
const MpegHeader kLayer2 = HeaderOf({0xFF, 0xFD, 0xA4, 0x00});
const MpegHeader kLayer1 = HeaderOf({0xFF, 0xFF, 0xC8, 0x00});
const MpegHeader kLayer2NoTable = HeaderOf({0xFF, 0xFD, 0x34, 0x00});  // two channels at 56 kbit/s

DecoderInfo InitAndInfo(const MpegHeader& header, int32_t reduction, int32_t convert, int32_t freq_limit = 24000) {
  Decoder decoder;
  DecoderInfo info;
  EXPECT_EQ(DecoderTable[0][0].Init(decoder, header, 417, reduction, 0, convert, freq_limit), 1);
  EXPECT_EQ(DecoderTable[0][0].Info(decoder, info), 1);
  return info;
}

TEST(DecoderTable, VariantChoiceFollowsTheIntegerAnd8kHzFlags) {
  struct Case {
    int32_t integer_flag, eight_khz_flag, convert_code, row, column;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 3, 0, 0}, {0, 1, 4, 0, 1},
      {1, 1, 12, 1, 1}, {3, 0, 9, 1, 0}, {2, 1, 16, 0, 1}, {0, 0, 12, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(&ChooseDecoderVariant(c.integer_flag, c.eight_khz_flag, c.convert_code), &DecoderTable[c.row][c.column])
        << c.integer_flag << " " << c.eight_khz_flag << " " << c.convert_code;
  EXPECT_EQ(DecoderTable[1][1].Init, DecoderTable[0][1].Init);
  EXPECT_EQ(DecoderTable[1][1].Decode, DecoderTable[0][1].Decode);
}

TEST(DecoderTable, IntegerVariantRefusesLayer3AndInitFailureLeavesNothingToDecode) {
  Decoder decoder;
  EXPECT_EQ(DecoderTable[1][0].Init(decoder, kStereo44, 417, 0, 0, 0, 24000), 0);
  ASSERT_EQ(DecoderTable[0][0].Init(decoder, kStereo44, 417, 0, 0, 0, 24000), 1);
  // A failed Init of the full-rate variant leaves it uninitialised.
  EXPECT_EQ(DecoderTable[0][0].Init(decoder, kLayer2NoTable, 144, 0, 0, 0, 24000), 0);
  DecoderInfo info;
  info.channels = 7;
  EXPECT_EQ(DecoderTable[0][0].Info(decoder, info), 0);
  EXPECT_EQ(info.channels, 0);
  const std::vector<uint8_t> frame = {0xFF, 0xFB, 0x90, 0x00};
  std::vector<uint8_t> pcm(kMaxFrameOutputBytes);
  EXPECT_LE(DecoderTable[0][0].Decode(decoder, frame.data(), 4, pcm.data()).in_bytes, 0);
}

// Every allocation-table choice of Layer II: MPEG-1 by sampling rate, bit rate per channel and
// mode, MPEG-2 always the low-rate table; combinations without a table are refused at Init.
TEST(DecoderInit, Layer2AllocationTableFollowsRateAndMode) {
  struct Case {
    uint8_t byte1, byte2, byte3;
    int sblimit;  // 0: no table
  };
  const Case cases[] = {
      {0xFD, 0x14, 0xC0, 8},  {0xFD, 0x24, 0xC0, 8},   // 48 kHz single channel 32, 48 kbit/s: table c
      {0xFD, 0x34, 0xC0, 27}, {0xFD, 0xA4, 0xC0, 27},  // 48 kHz 56 and 192 kbit/s per channel: table a
      {0xFD, 0x10, 0xC0, 8},  {0xFD, 0x50, 0xC0, 27},  // 44.1 kHz 32 -> c, 80 -> a
      {0xFD, 0x60, 0xC0, 30}, {0xFD, 0xA0, 0xC0, 30},  // 44.1 kHz 96, 192 -> b
      {0xFD, 0x18, 0xC0, 12}, {0xFD, 0x28, 0xC0, 12},  // 32 kHz 32, 48 -> d
      {0xFD, 0x48, 0xC0, 27}, {0xFD, 0x68, 0xC0, 30},  // 32 kHz 64 -> a, 96 -> b
      {0xFD, 0x40, 0x00, 8},  {0xFD, 0x60, 0x40, 8},   // 44.1 kHz stereo 64, joint 96: 32/48 per channel -> c
      {0xFD, 0xA4, 0x80, 27}, {0xFD, 0xE0, 0x00, 30},  // 48 kHz dual 192 -> a; 44.1 kHz stereo 384 -> b
      {0xFD, 0x00, 0x00, 27}, {0xFD, 0x04, 0xC0, 27},  // free format: 500-byte frames are 76, 166 kbit/s per channel
      {0xFD, 0x10, 0x00, 0},  {0xFD, 0x24, 0x40, 0},   // two channels at 32, 48 kbit/s
      {0xFD, 0x30, 0x80, 0},  {0xFD, 0x50, 0x00, 0},   // two channels at 56, 80 kbit/s
      {0xFD, 0xC0, 0xC0, 0},  {0xFD, 0xE0, 0xC0, 0},   // one channel at 224, 384 kbit/s
      {0xF5, 0x10, 0xC0, 30}, {0xF5, 0xE4, 0x00, 30},  // MPEG-2: 8 and 160 kbit/s
  };
  Decoder decoder;
  for (const Case& c : cases) {
    const MpegHeader header = HeaderOf({0xFF, c.byte1, c.byte2, c.byte3});
    const detail::L2AllocationTable* table = detail::l12_allocation_table(header, 500);
    EXPECT_EQ(table == nullptr ? 0 : table->sblimit, c.sblimit) << std::hex << int{c.byte1} << " " << int{c.byte2} << " " << int{c.byte3};
    EXPECT_EQ(DecoderTable[0][0].Init(decoder, header, 500, 0, 0, 0, 24000), c.sblimit != 0 ? 1 : 0);
  }
  MpegHeader reserved_rate = HeaderOf({0xFF, 0xFD, 0xA4, 0x00});
  reserved_rate.sr_index = 3;
  EXPECT_EQ(DecoderTable[0][0].Init(decoder, reserved_rate, 500, 0, 0, 0, 24000), 0);
}

TEST(DecoderInit, LayersOneAndTwoReportTheirFrameSizes) {
  struct Case {
    std::initializer_list<uint8_t> bytes;
    int32_t convert, reduction, outvalues, samprate;
  };
  const Case cases[] = {
      {{0xFF, 0xFF, 0xC8, 0x00}, 0, 0, 768, 32000},  // Layer I stereo
      {{0xFF, 0xFF, 0xC8, 0x00}, 1, 2, 96, 8000},    // mixed to one channel, quarter rate
      {{0xFF, 0xFD, 0xA4, 0x00}, 0, 0, 2304, 48000}, // Layer II stereo
      {{0xFF, 0xF5, 0xE4, 0x00}, 0, 1, 1152, 12000}, // MPEG-2 Layer II at 24 kHz: 1152 samples too
  };
  Decoder decoder;
  for (const Case& c : cases) {
    DecoderInfo info;
    ASSERT_EQ(DecoderTable[0][0].Init(decoder, HeaderOf(c.bytes), 500, c.reduction, 0, c.convert, 24000), 1);
    ASSERT_EQ(DecoderTable[0][0].Info(decoder, info), 1);
    EXPECT_EQ(info.outvalues, c.outvalues);
    EXPECT_EQ(info.samprate, c.samprate);
  }
}

TEST(DecoderInit, InfoReflectsReductionConversionAndBits) {
  struct Case {
    int32_t reduction, convert, channels, outvalues, samprate, bits;
  };
  const Case cases[] = {
      {0, 0, 2, 2304, 44100, 16},
      {1, 0, 2, 1152, 22050, 16},
      {2, 0, 2, 576, 11025, 16},
      {5, 0, 2, 576, 11025, 16},   // above 2 counts as 2
      {-3, 0, 2, 2304, 44100, 16}, // below 0 counts as 0
      {0, 1, 1, 1152, 44100, 16},  // mixing halves outvalues
      {0, 2, 1, 1152, 44100, 16},
      {0, 3, 1, 1152, 44100, 16},
      {0, 8, 2, 2304, 44100, 8},
      {1, 9, 1, 576, 22050, 8},
  };
  for (const Case& c : cases) {
    const DecoderInfo info = InitAndInfo(kStereo44, c.reduction, c.convert);
    EXPECT_EQ(info.channels, c.channels) << c.reduction << "/" << c.convert;
    EXPECT_EQ(info.outvalues, c.outvalues) << c.reduction << "/" << c.convert;
    EXPECT_EQ(info.samprate, c.samprate) << c.reduction << "/" << c.convert;
    EXPECT_EQ(info.bits, c.bits) << c.reduction << "/" << c.convert;
    EXPECT_EQ(info.framebytes, 417);
    EXPECT_EQ(info.type, 0);
  }
  const DecoderInfo mono25 = InitAndInfo(kMono25, 0, 2);  // conversion bits change nothing for one channel
  EXPECT_EQ(mono25.channels, 1);
  EXPECT_EQ(mono25.outvalues, 576);
  EXPECT_EQ(mono25.samprate, 8000);
}

// Decodes a whole stream with the given Init arguments, frame by frame.
std::vector<uint8_t> DecodeWith(const std::vector<uint8_t>& data, int32_t reduction, int32_t convert, int32_t freq_limit) {
  return DecodeStream(DecoderTable[0][0], data.data(), data.size(), reduction, convert, freq_limit).pcm;
}

TEST(DecoderInit, FrequencyLimitBelow1000CountsAs1000) {
  const auto stream = IsoBitstream("l3-he_44khz");
  ASSERT_FALSE(stream.empty());
  const auto at_zero = DecodeWith(stream, 0, 0, 0);
  const auto at_1000 = DecodeWith(stream, 0, 0, 1000);
  const auto at_3000 = DecodeWith(stream, 0, 0, 3000);
  ASSERT_FALSE(at_zero.empty());
  EXPECT_EQ(at_zero, at_1000);
  EXPECT_NE(at_zero, at_3000);
  // Any limit above the Nyquist frequency decodes the same 31 subbands.
  EXPECT_EQ(DecodeWith(stream, 0, 0, 24000), DecodeWith(stream, 0, 0, INT32_MAX));
}

TEST(DecoderConversion, SingleChannelOutputsAreTheLeftRightOrMixOfTheStereoDecode) {
  const auto stream = IsoBitstream("l3-hecommon");
  ASSERT_FALSE(stream.empty());
  const auto stereo = BytesToSamples(DecodeWith(stream, 0, 0, 24000));
  const auto left = BytesToSamples(DecodeWith(stream, 0, 2, 24000));
  const auto right = BytesToSamples(DecodeWith(stream, 0, 3, 24000));
  const auto mixed = BytesToSamples(DecodeWith(stream, 0, 1, 24000));
  ASSERT_EQ(left.size() * 2, stereo.size());
  ASSERT_EQ(right.size() * 2, stereo.size());
  ASSERT_EQ(mixed.size() * 2, stereo.size());
  int left_off = 0, right_off = 0, mix_off = 0;
  bool channels_differ = false;
  for (size_t i = 0; i < left.size(); ++i) {
    left_off = std::max(left_off, std::abs(left[i] - stereo[2 * i]));
    right_off = std::max(right_off, std::abs(right[i] - stereo[2 * i + 1]));
    mix_off = std::max(mix_off, std::abs(2 * mixed[i] - (stereo[2 * i] + stereo[2 * i + 1])));
    channels_differ |= stereo[2 * i] != stereo[2 * i + 1];
  }
  EXPECT_TRUE(channels_differ);
  EXPECT_EQ(left_off, 0);
  EXPECT_EQ(right_off, 0);
  EXPECT_LE(mix_off, 3);  // two roundings before the sum, one after the mix
}

TEST(DecoderConversion, EightBitOutputIsTheHighByteAroundZeroLevel128) {
  const auto stream = IsoBitstream("l3-he_44khz");
  const auto wide = BytesToSamples(DecodeWith(stream, 0, 0, 24000));
  const auto narrow = DecodeWith(stream, 0, 8, 24000);
  ASSERT_EQ(narrow.size(), wide.size());
  for (size_t i = 0; i < narrow.size(); ++i) ASSERT_EQ(narrow[i], (wide[i] >> 8) + 128) << i;
}

TEST(DecoderConversion, ReductionKeepsTheSignalAtALowerRate) {
  const auto stream = IsoBitstream("l3-sin1k0db");
  const auto full = BytesToSamples(DecodeWith(stream, 0, 0, 24000));
  for (int32_t reduction = 1; reduction <= 2; ++reduction) {
    const auto reduced = BytesToSamples(DecodeWith(stream, reduction, 0, 24000));
    ASSERT_EQ(reduced.size() << reduction, full.size());
    // A 1 kHz sine keeps its level: compare the peak of a stretch after the start-up.
    int full_peak = 0, reduced_peak = 0;
    for (size_t i = full.size() / 2; i < full.size(); ++i) full_peak = std::max(full_peak, std::abs(int{full[i]}));
    for (size_t i = reduced.size() / 2; i < reduced.size(); ++i) reduced_peak = std::max(reduced_peak, std::abs(int{reduced[i]}));
    EXPECT_NEAR(reduced_peak, full_peak, full_peak / 100) << reduction;
  }
}

TEST(DecoderFrames, MainDataBeforeTheStreamDecodesToSilenceAtTheZeroLevel) {
  // l3-sin1k0db's first two frames reach back 461 bytes, into data this stream never had.
  const auto stream = IsoBitstream("l3-sin1k0db");
  for (int32_t convert : {0, 8}) {
    const auto pcm = DecodeWith(stream, 0, convert, 24000);
    const size_t frame_bytes = 1152 * 2 * (convert ? 1 : 2);
    ASSERT_GT(pcm.size(), 3 * frame_bytes);
    const uint8_t zero = convert ? 128 : 0;
    EXPECT_TRUE(std::all_of(pcm.begin(), pcm.begin() + 2 * frame_bytes, [&](uint8_t b) { return b == zero; }));
    EXPECT_FALSE(std::all_of(pcm.begin() + 2 * frame_bytes, pcm.begin() + 3 * frame_bytes, [&](uint8_t b) { return b == zero; }));
  }
}

TEST(DecoderFrames, RefusesFramesThatDoNotBelongOrDoNotFit) {
  const auto stream = IsoBitstream("l3-he_44khz");
  const size_t at = FindLayer3Frame(stream.data(), stream.size(), 0);
  MpegHeader header;
  const int32_t length = ParseHeader(stream.data() + at, 4096, header);
  ASSERT_GT(length, 0);
  const DecoderVariant& variant = DecoderTable[0][0];
  Decoder decoder;
  std::vector<uint8_t> pcm(kMaxFrameOutputBytes);
  const uint8_t* frame = stream.data() + at;
  const int32_t frame_length = length + header.pad;

  ASSERT_EQ(variant.Init(decoder, header, length, 0, 0, 0, 24000), 1);
  EXPECT_EQ(variant.Decode(decoder, frame, frame_length - 1, pcm.data()).in_bytes, 0) << "frame longer than the input";
  EXPECT_EQ(variant.Decode(decoder, frame, frame_length, pcm.data()).in_bytes, frame_length);

  std::vector<uint8_t> changed(frame, frame + frame_length);
  changed[2] = static_cast<uint8_t>((changed[2] & ~0x0C) | 0x04);  // 48 kHz instead of 44.1
  EXPECT_EQ(variant.Decode(decoder, changed.data(), frame_length, pcm.data()).in_bytes, 0) << "sampling rate changed";
  changed.assign(frame, frame + frame_length);
  changed[1] = 0xF3;  // MPEG-2
  EXPECT_EQ(variant.Decode(decoder, changed.data(), frame_length, pcm.data()).in_bytes, 0) << "version changed";
  changed.assign(frame, frame + frame_length);
  changed[1] = 0xFD;  // Layer II
  EXPECT_EQ(variant.Decode(decoder, changed.data(), frame_length, pcm.data()).in_bytes, 0) << "layer changed";
  changed.assign(frame, frame + frame_length);
  changed[0] = 0xFE;
  EXPECT_EQ(variant.Decode(decoder, changed.data(), frame_length, pcm.data()).in_bytes, 0) << "no sync";
  changed.assign(frame, frame + frame_length);
  changed[2] &= 0x0F;  // free format in a stream that is not
  EXPECT_EQ(variant.Decode(decoder, changed.data(), frame_length, pcm.data()).in_bytes, 0) << "free format";
}

TEST(DecoderFrames, MainDataAbove8192BytesIsRefused) {
  // A free-format frame long enough for 8193 bytes of main data, and one byte shorter.
  const MpegHeader header = HeaderOf({0xFF, 0xFB, 0x00, 0xC0});  // free format, single channel
  const int32_t fits = 4 + 17 + 8192;
  std::vector<uint8_t> frame(static_cast<size_t>(fits) + 1, 0);
  frame[0] = 0xFF;
  frame[1] = 0xFB;
  frame[2] = 0x00;
  frame[3] = 0xC0;
  std::vector<uint8_t> pcm(kMaxFrameOutputBytes);
  const DecoderVariant& variant = DecoderTable[0][0];
  Decoder decoder;
  ASSERT_EQ(variant.Init(decoder, header, fits, 0, 0, 0, 24000), 1);
  EXPECT_EQ(variant.Decode(decoder, frame.data(), fits, pcm.data()).in_bytes, fits);
  ASSERT_EQ(variant.Init(decoder, header, fits + 1, 0, 0, 0, 24000), 1);
  EXPECT_EQ(variant.Decode(decoder, frame.data(), fits + 1, pcm.data()).in_bytes, 0);
}

// Each Decoder keeps its own stream: streams decoded frame by frame in turn, Layer III with its
// reservoir and overlap, Layer II through the integer variant's history, come out as each does
// alone.
TEST(DecoderObjects, StreamsDecodedInTurnMatchEachDecodedAlone) {
  struct Walk {
    Walk(const char* stream, const DecoderVariant& chosen) : name(stream), variant(chosen) {}
    const char* name;
    const DecoderVariant& variant;
    std::vector<uint8_t> data;
    Decoder decoder;
    FrameWalker walker{FrameFilter{}};
    size_t at = 0;
    bool initialised = false;
    bool done = false;
    std::vector<uint8_t> pcm;
  };
  Walk walks[] = {{"l3-he_44khz", DecoderTable[0][0]}, {"l3-sin1k0db", DecoderTable[0][0]}, {"l2-fl10", DecoderTable[1][0]}};
  std::vector<uint8_t> frame(kMaxFrameOutputBytes);
  for (bool any = true; any;) {
    any = false;
    for (Walk& walk : walks) {
      if (walk.done) continue;
      if (walk.data.empty()) walk.data = IsoBitstream(walk.name);
      const FrameStep step = walk.walker.Next(walk.data.data() + walk.at, walk.data.size() - walk.at, true);
      walk.at += step.skip;
      walk.done = step.kind != FrameStep::Kind::Frame;
      if (walk.done) continue;
      any = true;
      if (!walk.initialised) {
        ASSERT_EQ(walk.variant.Init(walk.decoder, walk.walker.StreamHeader(), walk.walker.StreamFrameBytes(), 0, 0, 0, 24000), 1)
            << walk.name;
        walk.initialised = true;
      }
      const auto available = static_cast<int32_t>(walk.data.size() - walk.at);
      const FrameResult result = walk.variant.Decode(walk.decoder, walk.data.data() + walk.at, available, frame.data());
      if (result.in_bytes <= 0) {
        walk.walker.Refused();
        ++walk.at;
        continue;
      }
      walk.pcm.insert(walk.pcm.end(), frame.begin(), frame.begin() + result.out_bytes);
      walk.at += static_cast<size_t>(result.in_bytes);
    }
  }
  for (const Walk& walk : walks) {
    const StreamDecodeResult alone = DecodeStream(walk.variant, walk.data.data(), walk.data.size());
    ASSERT_GT(alone.frames, 10) << walk.name;
    EXPECT_TRUE(walk.pcm == alone.pcm) << walk.name << ": " << walk.pcm.size() << " bytes in turn, " << alone.pcm.size() << " alone";
  }
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
