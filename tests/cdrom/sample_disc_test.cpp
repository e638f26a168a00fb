#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

#include "cdrom/disc_reader.h"
#include "cdrom/scsi_driver_image.h"
#include "cdrom_test_support.h"
#include "support/run_program.h"

namespace sonvarek {
namespace {

std::vector<TocTrack> TracksOf(const std::string& cue) {
  Settings settings;
  CSCSIDriverImage driver(settings, {cue});
  if (!driver.Init(0)) return {};
  DiscTOC toc;
  DiscRecord disc;
  return ReadDisc(driver, toc, disc).tracks;
}

// The samples of a sector range of the BIN file, both channels interleaved.
std::vector<int16_t> Samples(const std::string& bin, uint32_t first, uint32_t end) {
  std::vector<int16_t> samples;
  for (size_t at = static_cast<size_t>(first) * 2352; at < static_cast<size_t>(end) * 2352; at += 2) {
    samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(bin[at]) | static_cast<uint8_t>(bin[at + 1]) << 8));
  }
  return samples;
}

TEST(SampleDisc, FiveAudioTracksUnderFourMinutes) {
  std::vector<TocTrack> tracks = TracksOf(test::SampleDisc());
  ASSERT_EQ(tracks.size(), 5u);
  const uint32_t starts[] = {0, 1073, 1458, 2363, 6753};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(tracks[i].startSector, starts[i]);
    EXPECT_FALSE(tracks[i].isData);
    EXPECT_GE(tracks[i].Length(), 4u * 75);
    EXPECT_LE(tracks[i].Length(), 60u * 75);
  }
  EXPECT_LT(tracks.back().endSector, 4u * 60 * 75);

  std::vector<TocTrack> withData = TracksOf(test::SampleDiscWithData());
  ASSERT_EQ(withData.size(), 6u);
  EXPECT_TRUE(withData[5].isData);
  EXPECT_EQ(withData[5].startSector, tracks.back().endSector);
}

TEST(SampleDisc, SilenceAtBothEndsOfOneTrackAndFullScaleInAnother) {
  std::vector<TocTrack> tracks = TracksOf(test::SampleDisc());
  ASSERT_EQ(tracks.size(), 5u);
  std::string bin = test::ReadWholeFile(std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.bin");
  auto silent = [](const std::vector<int16_t>& s) {
    return std::all_of(s.begin(), s.end(), [](int16_t v) { return v == 0; });
  };
  const TocTrack& framed = tracks[2];
  EXPECT_TRUE(silent(Samples(bin, framed.startSector, framed.startSector + 150)));
  EXPECT_TRUE(silent(Samples(bin, framed.endSector - 150, framed.endSector)));
  EXPECT_FALSE(silent(Samples(bin, framed.startSector, framed.endSector)));

  std::vector<int16_t> full = Samples(bin, tracks[4].startSector, tracks[4].endSector);
  EXPECT_EQ(*std::min_element(full.begin(), full.end()), -32768);
  for (size_t i : {0, 1, 3}) {
    std::vector<int16_t> s = Samples(bin, tracks[i].startSector, tracks[i].endSector);
    EXPECT_GT(*std::max_element(s.begin(), s.end()), 1000) << i;
    EXPECT_GT(*std::min_element(s.begin(), s.end()), -32768) << i;
  }
}

TEST(SampleDisc, EveryRunWritesTheSameBytes) {
  test::TempFolder temp;
  test::ProgramResult result =
      test::RunProgram(std::string(SONVAREK_MAKE_SAMPLE_DISC) + " " + test::ShellQuoted(temp / "again.cue"));
  ASSERT_EQ(result.status, 0);
  std::string built = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc";
  EXPECT_TRUE(test::ReadWholeFile(temp / "again.bin") == test::ReadWholeFile(built + ".bin"));
  std::string cue = test::ReadWholeFile(built + ".cue");
  size_t name = cue.find("sample-disc.bin");
  ASSERT_NE(name, std::string::npos);
  cue.replace(name, 15, "again.bin");
  EXPECT_EQ(test::ReadWholeFile(temp / "again.cue"), cue);
  EXPECT_NE(test::RunProgram(std::string(SONVAREK_MAKE_SAMPLE_DISC) + " --bogus 2>/dev/null").status, 0);
}

}  // namespace
}  // namespace sonvarek
