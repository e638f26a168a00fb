#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/extraction_step.h"
#include "cdrom/rip_context.h"
#include "cdrom/scsi_driver_image.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"
#include "support/temp_folder.h"
#include "verify/accuraterip.h"
#include "verify/crc32.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

// Every stereo sample of the fixture disc holds its own index on the disc plus one,
// so an output shows, sample by sample, where it came from; 0 is silence.
constexpr uint32_t kDiscSectors = 160;
constexpr uint32_t kFrames = 588;

std::string CountingSamples(int64_t first, int64_t end) {
  std::string bytes;
  for (int64_t index = first; index < end; ++index) {
    uint32_t word = index >= 0 && index < int64_t{kDiscSectors} * kFrames ? static_cast<uint32_t>(index + 1) : 0;
    for (int b = 0; b < 4; ++b) bytes += static_cast<char>(word >> (8 * b));
  }
  return bytes;
}

uint32_t CrcOf(const std::string& bytes) {
  return Crc32Of({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

// Tracks 1: 0-9, 2: 10-149, 3: 150-159 (the second long enough to be trimmed).
class VerifiedExtractionTest : public ::testing::Test {
 protected:
  VerifiedExtractionTest() {
    test::WriteWholeFile(temp / "disc.bin", CountingSamples(0, int64_t{kDiscSectors} * kFrames));
    test::WriteWholeFile(temp / "disc.cue",
                         "FILE \"disc.bin\" BINARY\n"
                         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                         "  TRACK 02 AUDIO\n    INDEX 01 00:00:10\n"
                         "  TRACK 03 AUDIO\n    INDEX 01 00:02:00\n");
    fs::create_directories(temp / "out");
    driverSettings.RetryTimes = 1;
    driver = std::make_unique<CSCSIDriverImage>(driverSettings, std::vector<std::string>{temp / "disc.cue"});
    EXPECT_NE(driver->Init(0), 0);
  }

  // A WAV rip of one track with a report, as the rip batch makes it.
  std::unique_ptr<ConversionBatch> Batch(int track, const Settings& overrides) {
    auto batch = std::make_unique<ConversionBatch>();
    batch->kind = BatchKind::CdRip;
    batch->outputFormat = OutputFormat::Wav;
    batch->progressWindow = &window;
    batch->mainWindow = &main;
    batch->settings = overrides;
    batch->settings.effectiveOutputFolder = temp / "out/";
    batch->settings.OutputFolder = temp / "out";
    batch->settings.NamingRule = "<number>";
    rip = std::make_unique<RipContext>(*driver);
    rip->AttachReport(std::make_unique<RipReport>());
    rip->report()->toc = {{1, 0, 10, false}, {2, 10, 150, false}, {3, 150, 160, false}};
    rip->report()->leadOut = kDiscSectors;
    const RipTocTrack& span = rip->report()->toc[static_cast<size_t>(track - 1)];
    ConversionJob job;
    job.trackIndex = track - 1;
    job.sourceName = "Song " + std::to_string(track);
    job.startSector = span.startSector;
    job.endSector = span.endSector;
    batch->jobs.push_back(job);
    RipTrackReport entry;
    entry.number = track;
    rip->report()->tracks.push_back(entry);
    logMark = main.MessagesWithId(Message::LogLine).size();
    return batch;
  }
  static std::string Data(const ConversionBatch& batch) {
    return test::ReadWholeFile(batch.jobs[0].outputPath).substr(44);
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::vector<WindowMessage> all = main.MessagesWithId(Message::LogLine);
    for (size_t i = logMark; i < all.size(); ++i) lines.push_back(test::AfterTimeStamp(all[i].text));
    return lines;
  }

  size_t logMark = 0;
  test::TempFolder temp;
  Settings driverSettings;
  std::unique_ptr<CSCSIDriverImage> driver;
  std::unique_ptr<RipContext> rip;
  RecordingMessageSink window;
  RecordingMessageSink main;
};

// A drive that reads `offset` samples early or late is corrected exactly, with
// silence where the shifted range leaves the disc, in plain and in secure mode.
TEST_F(VerifiedExtractionTest, AReadOffsetShiftsEveryTrackBySamplesWithSilenceAtTheDiscsEdges) {
  for (int32_t offset : {0, 6, -1164, 667}) {
    for (int32_t secure : {0, 1}) {
      for (int track : {1, 2, 3}) {
        Settings settings;
        settings.ReadOffset = offset;
        settings.SecureMode = secure;
        auto batch = Batch(track, settings);
        ASSERT_EQ(ExtractTrack(*batch, *rip), 1) << offset;
        const RipTocTrack& span = rip->report()->toc[static_cast<size_t>(track - 1)];
        std::string expected = CountingSamples(int64_t{span.startSector} * kFrames + offset,
                                               int64_t{span.endSector} * kFrames + offset);
        std::string data = Data(*batch);
        EXPECT_TRUE(data == expected) << "offset " << offset << " track " << track << " secure " << secure;
        const RipTrackReport& report = rip->report()->tracks[0];
        EXPECT_EQ(report.copyCrc, CrcOf(expected));
        EXPECT_EQ(report.result, TrackRipResult::Ok);
        EXPECT_TRUE(report.suspiciousSectors.empty());
        if (secure != 0) {
          EXPECT_EQ(report.testCrc, report.copyCrc);
        }
      }
    }
  }
}

// The sums are taken of what was written, with the first track's start and the last
// track's end left out as the database does.
TEST_F(VerifiedExtractionTest, TheReportHoldsTheAccurateRipSumsOfTheWrittenAudio) {
  for (int track : {1, 2, 3}) {
    auto batch = Batch(track, Settings{});
    ASSERT_EQ(ExtractTrack(*batch, *rip), 1);
    std::string data = Data(*batch);
    AccurateRipChecksum sums(data.size() / 4, track == 1, track == 3);
    sums.Add({reinterpret_cast<const uint8_t*>(data.data()), data.size()});
    const RipTrackReport& report = rip->report()->tracks[0];
    EXPECT_TRUE(report.checksummed);
    EXPECT_EQ(report.accurateRipV1, sums.V1()) << track;
    EXPECT_EQ(report.accurateRipV2, sums.V2()) << track;
    EXPECT_EQ(Log().back(), " Extracting Song " + std::to_string(track) + " OK!");
  }
  // A trimmed track is not the disc's track: it has no sums to look up.
  Settings trimmed;
  trimmed.DeleteSilence = 1;
  trimmed.LeadingFrame = 1;
  auto batch = Batch(2, trimmed);
  ASSERT_EQ(ExtractTrack(*batch, *rip), 1);
  EXPECT_FALSE(rip->report()->tracks[0].checksummed);
}

// Test and copy names exactly the sectors that never read the same twice, keeps a
// sector that settles after re-reads, and never ends such a track with the OK line.
TEST_F(VerifiedExtractionTest, TestAndCopyNamesExactlyTheFlakySectors) {
  BadSectorList flaky;
  flaky.Add({20, 20, -1});
  flaky.Add({33, 34, -1});
  flaky.Add({40, 40, 2});  // noise for its first two readings, then its true bytes
  driver->Drive()->SetFlakySectors(flaky);
  Settings settings;
  settings.SecureMode = 1;
  settings.SecureRetries = 3;
  auto batch = Batch(2, settings);
  ASSERT_EQ(ExtractTrack(*batch, *rip), 1);
  const RipTrackReport& report = rip->report()->tracks[0];
  EXPECT_EQ(report.suspiciousSectors, (std::vector<uint32_t>{20, 33, 34}));
  EXPECT_EQ(report.result, TrackRipResult::Suspicious);
  EXPECT_TRUE(report.c2Used);
  EXPECT_NE(report.testCrc, report.copyCrc);
  std::string data = Data(*batch);
  const size_t sectorBytes = kFrames * 4;
  std::string expected = CountingSamples(10 * kFrames, 150 * kFrames);
  for (uint32_t sector = 10; sector < 150; ++sector) {
    bool suspicious = sector == 20 || sector == 33 || sector == 34;
    size_t at = (sector - 10) * sectorBytes;
    EXPECT_EQ(data.compare(at, sectorBytes, expected, at, sectorBytes) == 0, !suspicious) << sector;
  }
  std::vector<std::string> log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(), " Warning: Suspicious position 0:00.10 (sector 20) in Song 2!"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), " Warning: Suspicious position 0:00.24 (sector 34) in Song 2!"), log.end());
  EXPECT_EQ(log.back(), " Extracting Song 2 done, with 3 suspicious positions!");

  // Without flaky sectors both readings agree.
  driver->Drive()->SetFlakySectors({});
  auto clean = Batch(2, settings);
  ASSERT_EQ(ExtractTrack(*clean, *rip), 1);
  EXPECT_EQ(rip->report()->tracks[0].testCrc, rip->report()->tracks[0].copyCrc);
  EXPECT_EQ(rip->report()->tracks[0].copyCrc, CrcOf(expected));
  EXPECT_TRUE(Data(*clean) == expected);
}

// Skip-on-error keeps the track's length: each sector that will not read alone is
// silence of its own length, named in the log.
TEST_F(VerifiedExtractionTest, UnreadableSectorsBecomeSilenceOfTheirOwnLength) {
  BadSectorList bad;
  bad.Add({25, 26, -1});
  driver->Drive()->SetBadSectors(bad);
  Settings settings;
  settings.BoolSkipError = 1;
  auto batch = Batch(2, settings);
  ASSERT_EQ(ExtractTrack(*batch, *rip), 1);
  const size_t sectorBytes = kFrames * 4;
  std::string expected = CountingSamples(10 * kFrames, 150 * kFrames);
  std::memset(expected.data() + 15 * sectorBytes, 0, 2 * sectorBytes);
  EXPECT_TRUE(Data(*batch) == expected);
  const RipTrackReport& report = rip->report()->tracks[0];
  EXPECT_EQ(report.skippedSectors, (std::vector<uint32_t>{25, 26}));
  EXPECT_EQ(report.result, TrackRipResult::Skipped);
  std::vector<std::string> log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(), " Warning: Sector 25 (0:00.15) of Song 2 could not be read and is silence!"),
            log.end());
  EXPECT_EQ(log.back(), " Extracting Song 2 done, with 2 unreadable sectors made silence!");
}

}  // namespace
}  // namespace sonvarek
