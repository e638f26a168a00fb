#include "jobs/mp3_config_record.h"

#include <cstring>
#include <gtest/gtest.h>

namespace sonvarek {
namespace {

uint32_t At(const LameEncConfig& config, size_t offset) {
  uint8_t bytes[sizeof(LameEncConfig)];
  std::memcpy(bytes, &config, sizeof bytes);
  return static_cast<uint32_t>(bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
                               (bytes[offset + 3] << 24));
}

WavHeader Format(uint16_t channels, uint32_t rate) {
  WavHeader header = CdWavHeader(0);
  header.channels = channels;
  header.samplesPerSecond = rate;
  return header;
}

TEST(Mp3ConfigRecord, HoldsTheSettingsAtTheirOffsetsAndZeroEverywhereElse) {
  Settings settings;
  settings.BitRate = 8;
  settings.MaxBitRate = 13;
  settings.MPEGQuality = 3;
  settings.Private = 1;
  settings.Copyright = 0;
  settings.Original = 1;
  settings.EnableVBR = 1;
  settings.WriteVBRHeader = 1;
  settings.VBRQuality = 6;
  settings.StereoMode = 1;
  LameEncConfig config = Mp3ConfigRecord(settings, Format(2, 48000));
  const std::vector<std::pair<size_t, uint32_t>> expected = {
      {0, 256}, {4, 1},  {8, 331},  {12, 48000}, {16, 0}, {20, 1},  {24, 128}, {28, 320}, {32, 3}, {36, 1},
      {40, 0},  {44, 0}, {48, 1},   {52, 0},     {56, 0}, {60, 1},  {64, 1},   {68, 1},   {72, 6}};
  for (auto [offset, value] : expected) EXPECT_EQ(At(config, offset), value) << "offset " << offset;
  uint8_t bytes[sizeof(LameEncConfig)];
  std::memcpy(bytes, &config, sizeof bytes);
  for (size_t offset = 76; offset < sizeof bytes; ++offset) ASSERT_EQ(bytes[offset], 0) << "offset " << offset;
}

TEST(Mp3ConfigRecord, ModeAndVbrHeaderFollowTheFileAndBothVbrSettings) {
  struct Case {
    uint16_t channels;
    int32_t stereoMode;
    int32_t enableVbr;
    int32_t writeVbrHeader;
    uint32_t mode;
    uint32_t vbrHeader;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 3, 0},  // mono whatever StereoMode says
      {1, 2, 1, 1, 3, 1},
      {2, 2, 0, 1, 2, 0},  // no VBR: no VBR header, whatever WriteVBRHeader says
      {2, 0, 1, 0, 0, 0},
      {2, 7, 0, 0, 0, 0},  // a mode the encoder does not know: stereo
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.StereoMode = c.stereoMode;
    settings.EnableVBR = c.enableVbr;
    settings.WriteVBRHeader = c.writeVbrHeader;
    LameEncConfig config = Mp3ConfigRecord(settings, Format(c.channels, 22050));
    EXPECT_EQ(At(config, 20), c.mode) << c.channels << " " << c.stereoMode;
    EXPECT_EQ(At(config, 64), c.vbrHeader) << c.enableVbr << " " << c.writeVbrHeader;
    EXPECT_EQ(At(config, 68), static_cast<uint32_t>(c.enableVbr));
  }
}

TEST(Mp3ConfigRecord, BitRateTableMapsIndicesAndRatesBothWays) {
  EXPECT_EQ(BitRateFromIndex(0), 32u);
  EXPECT_EQ(BitRateFromIndex(8), 128u);
  EXPECT_EQ(BitRateFromIndex(13), 320u);
  EXPECT_EQ(BitRateFromIndex(14), 128u);
  EXPECT_EQ(BitRateFromIndex(-1), 128u);
  EXPECT_EQ(BitRateIndexOf(320), std::optional<int32_t>(13));
  EXPECT_EQ(BitRateIndexOf(128), std::optional<int32_t>(8));
  EXPECT_FALSE(BitRateIndexOf(127).has_value());
}

}  // namespace
}  // namespace sonvarek
