#include "mpegdec/mpeg_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonvarek::mpegdec {
namespace {

struct LengthCase {
  uint8_t bytes[4];
  int32_t length;
  int32_t bitrate;
  const char* what;
};

// Byte 1: 0xFB MPEG-1 Layer III, 0xFD Layer II, 0xFF Layer I; 0xF3 MPEG-2 Layer III;
// 0xE3 MPEG-2.5 Layer III (all without CRC).
const LengthCase kLengthCases[] = {
    {{0xFF, 0xFB, 0x90, 0x00}, 417, 128000, "MPEG-1 Layer III 128 kbit/s 44.1 kHz"},
    {{0xFF, 0xFB, 0x92, 0x00}, 417, 128000, "padding is not part of the length"},
    {{0xFF, 0xFB, 0xE4, 0x00}, 960, 320000, "MPEG-1 Layer III 320 kbit/s 48 kHz"},
    {{0xFF, 0xFB, 0x18, 0x00}, 144, 32000, "MPEG-1 Layer III 32 kbit/s 32 kHz"},
    {{0xFF, 0xFD, 0xA4, 0x00}, 576, 192000, "MPEG-1 Layer II 192 kbit/s 48 kHz"},
    {{0xFF, 0xFF, 0xC8, 0x00}, 576, 384000, "MPEG-1 Layer I 384 kbit/s 32 kHz"},
    {{0xFF, 0xFF, 0x10, 0x00}, 32, 32000, "MPEG-1 Layer I 32 kbit/s 44.1 kHz, whole slots"},
    {{0xFF, 0xF3, 0x80, 0x00}, 208, 64000, "MPEG-2 Layer III 64 kbit/s 22.05 kHz"},
    {{0xFF, 0xE3, 0x80, 0x00}, 417, 64000, "MPEG-2.5 Layer III: twice the MPEG-2 length"},
    {{0xFF, 0xE3, 0x38, 0x00}, 216, 24000, "MPEG-2.5 Layer III 24 kbit/s 8 kHz"},
    {{0xFF, 0xF5, 0x80, 0x00}, 417, 64000, "MPEG-2 Layer II keeps 1152 samples a frame"},
    {{0xFF, 0xF9, 0x90, 0x00}, 0, 0, "layer code 0 is reserved"},
    {{0xFF, 0xDB, 0x90, 0x00}, 0, 0, "high nibble 0xD is no sync"},
    {{0xFE, 0xFB, 0x90, 0x00}, 0, 0, "byte 0 must be 0xFF"},
    {{0xFF, 0xFB, 0x9C, 0x00}, 0, 0, "sampling-rate index 3 is reserved"},
    {{0xFF, 0xFB, 0xF0, 0x00}, 0, 0, "bit-rate index 15 is forbidden"},
    {{0xFF, 0xEB, 0x90, 0x00}, 0, 0, "11-bit sync with id 1 is the reserved version"},
};

TEST(MpegHeader, FrameLengthAndBitrateForEachLayerIdAndSync) {
  for (const LengthCase& c : kLengthCases) {
    MpegHeader header;
    int32_t bitrate = -1;
    EXPECT_EQ(ParseHeaderWithBitrate(c.bytes, 4, header, bitrate), c.length) << c.what;
    EXPECT_EQ(bitrate, c.bitrate) << c.what;
  }
}

TEST(MpegHeader, FieldsAreTakenBitByBit) {
  const uint8_t bytes[4] = {0xFF, 0xE2, 0x7B, 0x6E};  // 1110 0 01 0 | 0111 10 1 1 | 01 10 1 1 10
  MpegHeader header;
  ASSERT_GT(ParseHeader(bytes, 4, header), 0);
  EXPECT_EQ(header.sync, 2);
  EXPECT_EQ(header.id, 0);
  EXPECT_EQ(header.option, 1);
  EXPECT_EQ(header.prot, 0);
  EXPECT_EQ(header.br_index, 7);
  EXPECT_EQ(header.sr_index, 2);
  EXPECT_EQ(header.pad, 1);
  EXPECT_EQ(header.private_bit, 1);
  EXPECT_EQ(header.mode, 1);
  EXPECT_EQ(header.mode_ext, 2);
  EXPECT_EQ(header.cr, 1);
  EXPECT_EQ(header.original, 1);
  EXPECT_EQ(header.emphasis, 2);
  EXPECT_EQ(HeaderSampleRate(header), 8000);
}

TEST(MpegHeader, MissingSyncClearsTheRecordAndShortBuffersAreNoHeader) {
  MpegHeader header;
  header.sync = 1;
  header.mode = 3;
  const uint8_t none[4] = {0x00, 0xFB, 0x90, 0x00};
  EXPECT_EQ(ParseHeader(none, 4, header), 0);
  EXPECT_EQ(header.sync, 0);
  EXPECT_EQ(header.mode, 0);
  const uint8_t good[4] = {0xFF, 0xFB, 0x90, 0x00};
  EXPECT_EQ(ParseHeader(good, 3, header), 0);
}

// A free-format MPEG-1 Layer III stream at 44.1 kHz: frames of `length` bytes (plus a padding
// byte where `padded` says so), each starting with its header, zero bytes in between.
std::vector<uint8_t> FreeFormatStream(int32_t length, size_t bytes, const std::vector<bool>& padded = {}) {
  std::vector<uint8_t> stream(bytes, 0);
  size_t at = 0;
  for (size_t frame = 0; at + 4 <= bytes; ++frame) {
    const bool pad = frame < padded.size() && padded[frame];
    stream[at] = 0xFF;
    stream[at + 1] = 0xFB;
    stream[at + 2] = pad ? 0x02 : 0x00;
    stream[at + 3] = 0xC0;
    at += static_cast<size_t>(length) + (pad ? 1 : 0);
  }
  return stream;
}

TEST(MpegHeaderFreeFormat, FindsTheLengthAndComputesTheBitrateBack) {
  const auto stream = FreeFormatStream(500, 6000);
  MpegHeader header;
  int32_t bitrate = 0;
  EXPECT_EQ(ParseHeaderWithBitrate(stream.data(), static_cast<int32_t>(stream.size()), header, bitrate), 500);
  EXPECT_EQ(header.br_index, 0);
  EXPECT_EQ(bitrate, 882 * 500 * 1000 / 2880);
}

TEST(MpegHeaderFreeFormat, PaddingOfTheFirstAndLaterFramesIsAllowedFor) {
  const auto stream = FreeFormatStream(500, 6000, {true, false, true, true, false, true});
  MpegHeader header;
  EXPECT_EQ(ParseHeader(stream.data(), static_cast<int32_t>(stream.size()), header), 500);
  EXPECT_EQ(header.pad, 1);
}

TEST(MpegHeaderFreeFormat, SecondFrameAtOrBeyondOffset2000IsNotRecognised) {
  const auto near = FreeFormatStream(1999, 9000);
  const auto far = FreeFormatStream(2000, 9000);
  MpegHeader header;
  EXPECT_EQ(ParseHeader(near.data(), 9000, header), 1999);
  EXPECT_EQ(ParseHeader(far.data(), 9000, header), 0);
}

TEST(MpegHeaderFreeFormat, SearchesAtMost10000Bytes) {
  // A broken frame start just inside the window rejects the length; the same break beyond
  // byte 10000 is never seen, however many bytes the caller offers.
  auto inside = FreeFormatStream(1000, 20000);
  inside[9000 + 1] = 0xFA;
  auto beyond = FreeFormatStream(1000, 20000);
  beyond[10000 + 1] = 0xFA;
  MpegHeader header;
  EXPECT_EQ(ParseHeader(inside.data(), 20000, header), 0);
  EXPECT_EQ(ParseHeader(beyond.data(), 20000, header), 1000);
}

TEST(MpegHeaderFreeFormat, NeedsAFrameStartAfterTheSecondInsideTheWindow) {
  const auto stream = FreeFormatStream(500, 6000);
  MpegHeader header;
  EXPECT_EQ(ParseHeader(stream.data(), 1003, header), 0);  // only frames at 0 and 500 fit
  EXPECT_EQ(ParseHeader(stream.data(), 1004, header), 500);
}

TEST(MpegHeaderFreeFormat, IgnoresByteMatchesBeforeOffset24) {
  auto stream = FreeFormatStream(400, 6000);
  stream[10] = 0xFF;
  stream[11] = 0xFB;
  MpegHeader header;
  EXPECT_EQ(ParseHeader(stream.data(), 6000, header), 400);
}

}  // namespace
}  // namespace sonvarek::mpegdec
