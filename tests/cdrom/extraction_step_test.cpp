#include "cdrom/extraction_step.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/rip_context.h"
#include "cdrom/scsi_driver_image.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

// Sector n of the fixture disc holds the 16-bit value n + 1 in every sample, so
// every byte of an output tells where it came from; sector 300 holds −32768.
std::string SectorBytes(uint32_t sector) {
  int16_t value = sector == 300 ? int16_t(-32768) : static_cast<int16_t>(sector + 1);
  std::string bytes;
  for (int i = 0; i < 1176; ++i) {
    bytes += static_cast<char>(static_cast<uint16_t>(value) & 0xFF);
    bytes += static_cast<char>(static_cast<uint16_t>(value) >> 8);
  }
  return bytes;
}

class ExtractionTest : public ::testing::Test {
 protected:
  ExtractionTest() {
    std::string bin;
    for (uint32_t sector = 0; sector < kDiscSectors; ++sector) bin += SectorBytes(sector);
    test::WriteWholeFile(temp / "disc.bin", bin);
    // Track 1: sectors 0-9, track 2: 10-109, track 3: 110-229, track 4: 230-399.
    test::WriteWholeFile(temp / "disc.cue",
                         "FILE \"disc.bin\" BINARY\n"
                         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                         "  TRACK 02 AUDIO\n    INDEX 01 00:00:10\n"
                         "  TRACK 03 AUDIO\n    INDEX 01 00:01:35\n"
                         "  TRACK 04 AUDIO\n    INDEX 01 00:03:05\n");
    fs::create_directories(temp / "out");
    fs::create_directories(temp / "tmp");
    driverSettings.RetryTimes = 2;
    driver = std::make_unique<CSCSIDriverImage>(driverSettings, std::vector<std::string>{temp / "disc.cue"});
    EXPECT_NE(driver->Init(0), 0);

    batch.progressWindow = &window;
    batch.mainWindow = &main;
    rip = std::make_unique<RipContext>(*driver);
    batch.kind = BatchKind::CdRip;
    batch.settings.effectiveOutputFolder = temp / "out/";
    batch.settings.OutputFolder = temp / "out";
    batch.settings.temporaryFolder = temp / "tmp/";
    batch.settings.NamingRule = "<number>-<title>";
  }

  void AddJob(int track, uint32_t start, uint32_t end) {
    ConversionJob job;
    job.trackIndex = track - 1;
    job.sourceName = "Song " + std::to_string(track);
    job.startSector = start;
    job.endSector = end;
    batch.jobs.push_back(job);
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const WindowMessage& m : main.MessagesWithId(Message::LogLine)) lines.push_back(test::AfterTimeStamp(m.text));
    return lines;
  }
  std::vector<int64_t> Progress() const {
    std::vector<int64_t> values;
    for (const WindowMessage& m : window.MessagesWithId(Message::ExtractProgress)) values.push_back(m.wParam);
    return values;
  }
  static std::string Sectors(uint32_t first, uint32_t end) {
    std::string bytes;
    for (uint32_t sector = first; sector < end; ++sector) bytes += SectorBytes(sector);
    return bytes;
  }
  size_t TemporaryFiles() const { return static_cast<size_t>(std::distance(fs::directory_iterator(temp / "tmp"), {})); }

  static constexpr uint32_t kDiscSectors = 400;
  test::TempFolder temp;
  Settings driverSettings;
  std::unique_ptr<RipContext> rip;
  std::unique_ptr<CSCSIDriverImage> driver;
  RecordingMessageSink window;
  RecordingMessageSink main;
  ConversionBatch batch;
};

TEST_F(ExtractionTest, AWavOutputHoldsExactlyTheTracksSectorsReadInBufferSizedBlocks) {
  AddJob(2, 10, 110);
  batch.outputFormat = OutputFormat::Wav;
  batch.settings.BufferSize = 26;
  ASSERT_EQ(ExtractTrack(batch, *rip), 1);

  const ConversionJob& job = batch.jobs[0];
  EXPECT_EQ(job.outputPath, temp / "out/02-Song 2.WAV");
  EXPECT_EQ(job.outputFolder, temp / "out/");
  std::string file = test::ReadWholeFile(job.outputPath);
  WavHeader header = ParseWavHeader(*reinterpret_cast<const std::array<uint8_t, 44>*>(file.data()));
  EXPECT_EQ(header.dataSize, 100u * 2352);
  EXPECT_EQ(header.riffSize, 100u * 2352 + 36);
  EXPECT_EQ(file.substr(44), Sectors(10, 110));
  EXPECT_EQ(Progress(), (std::vector<int64_t>{0, 260, 520, 780, 1000}));
  EXPECT_EQ(driver->Drive()->ReadCommandCount(), 5);  // the lead-in and four blocks
  EXPECT_EQ(Log(), (std::vector<std::string>{" Extracting Song 2 ...", " Extracting Song 2 OK!"}));
  EXPECT_EQ(TemporaryFiles(), 0u);  // no stray "PW" file for a WAV output
}

TEST_F(ExtractionTest, ATemporaryFileIsKeptForTheEncoderAfterSuccess) {
  AddJob(2, 10, 110);
  batch.outputFormat = OutputFormat::Mp3;
  ASSERT_EQ(ExtractTrack(batch, *rip), 1);
  EXPECT_EQ(fs::path(batch.temporaryPath).parent_path(), fs::path(temp / "tmp"));
  EXPECT_EQ(fs::path(batch.temporaryPath).filename().string().substr(0, 2), "PW");
  EXPECT_EQ(test::ReadWholeFile(batch.temporaryPath).substr(44), Sectors(10, 110));
  EXPECT_TRUE(batch.jobs[0].outputPath.empty());
}

TEST_F(ExtractionTest, TheLeadInReadStartsAtSectorZeroForAnEarlyTrack) {
  // Sector 5 lies only in the lead-in read (0-25) of a track starting at 10.
  BadSectorList bad;
  bad.Add({5, 5, -1});
  driver->Drive()->SetBadSectors(bad);
  AddJob(2, 10, 110);
  batch.outputFormat = OutputFormat::Mp3;
  EXPECT_EQ(ExtractTrack(batch, *rip), 0);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_NE(Log()[0].find("Error: "), std::string::npos);
  EXPECT_EQ(Log()[0].back(), '\n');
  EXPECT_EQ(TemporaryFiles(), 0u);
}

TEST_F(ExtractionTest, DeleteSilenceTrimsByCountsWithinTheTrack) {
  AddJob(3, 110, 230);  // 120 sectors
  batch.outputFormat = OutputFormat::Wav;
  batch.settings.DeleteSilence = 1;
  batch.settings.LeadingFrame = 100;
  batch.settings.TrailingFrame = 100;
  ASSERT_EQ(ExtractTrack(batch, *rip), 1);
  EXPECT_EQ(batch.jobs[0].startSector, 155u);
  EXPECT_EQ(batch.jobs[0].endSector, 230u);
  EXPECT_EQ(test::ReadWholeFile(batch.jobs[0].outputPath).substr(44), Sectors(155, 230));

  struct Case {
    uint32_t start, end, leading, trailing, newStart, newEnd;
  } cases[] = {
      {0, 1000, 10, 20, 10, 980},
      {0, 120, 100, 100, 45, 120},
      {0, 1000, 0, 0, 0, 1000},
      {500, 560, 10, 10, 500, 560},              // shorter than a second: left alone
      {0, 1000, 0xFFFFFFFF, 0, 925, 1000},      // a negative setting read unsigned
      {0, 1000, 0, 2000, 0, 75},
  };
  for (const Case& c : cases) {
    uint32_t start = c.start, end = c.end;
    TrimSilence(start, end, c.leading, c.trailing);
    EXPECT_EQ(start, c.newStart) << c.start << "-" << c.end;
    EXPECT_EQ(end, c.newEnd) << c.start << "-" << c.end;
  }
}

TEST_F(ExtractionTest, UnreadableBlocksFailTheStepOrAreSkipped) {
  BadSectorList bad;
  bad.Add({60, 62, -1});  // inside the third block (62-87) — and the second (36-61)
  driver->Drive()->SetBadSectors(bad);
  AddJob(2, 10, 110);
  batch.outputFormat = OutputFormat::Mp3;
  EXPECT_EQ(ExtractTrack(batch, *rip), 0);
  EXPECT_EQ(TemporaryFiles(), 0u);
  auto log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].find("MEDIUM ERROR"), std::string::npos) << log[1];

  batch.settings.BoolSkipError = 1;
  batch.outputFormat = OutputFormat::Wav;
  ASSERT_EQ(ExtractTrack(batch, *rip), 1);
  std::string data = test::ReadWholeFile(batch.jobs[0].outputPath).substr(44);
  // Only the three sectors that fail alone are silence; the track keeps its length.
  EXPECT_EQ(data, Sectors(10, 60) + std::string(3 * 2352, '\0') + Sectors(63, 110));
  auto skipped = Log();
  EXPECT_EQ(skipped.back(), " Extracting Song 2 done, with 3 unreadable sectors made silence!");
}

// A cancelled track is not a finished file: nothing of it is left, and a file of
// that name from an earlier rip stays as it was.
TEST_F(ExtractionTest, ACancelLeavesNoPartOfTheTrackAndTheEarlierFile) {
  test::WriteWholeFile(temp / "out/02-Song.WAV", "an earlier rip");
  for (bool wavOutput : {false, true}) {
    ConversionBatch run;
    RecordingMessageSink cancelling([&run](const WindowMessage& m) {
      if (m.id == Message::ExtractProgress && m.wParam == 260) run.cancelEvent->Set();
    });
    run.progressWindow = &cancelling;
    run.mainWindow = &main;
    run.settings = batch.settings;
    run.kind = BatchKind::CdRip;
    run.outputFormat = wavOutput ? OutputFormat::Wav : OutputFormat::Mp3;
    run.jobs.push_back(MakeTrackJob(DiscRecord(), 2, "Song"));
    run.jobs[0].startSector = 10;
    run.jobs[0].endSector = 110;
    EXPECT_EQ(ExtractTrack(run, *rip), 1);
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(TemporaryFiles(), 0u);
    EXPECT_EQ(test::FileNames(temp / "out"), std::vector<std::string>{"02-Song.WAV"});
    EXPECT_EQ(test::ReadWholeFile(temp / "out/02-Song.WAV"), "an earlier rip");
  }
  EXPECT_EQ(Log().back(), " User canceled the operation.");
}

TEST_F(ExtractionTest, ADiskThatFillsWhileWritingFailsAndKeepsTheEarlierFile) {
  struct Unknown final : DiskSpaceProbe {
    FreeSpace Query(std::string_view) const override { return {}; }
  } unknownSpace;
  test::SmallDisk disk(128 * 1024);  // a track of 100 sectors needs 230 KiB
  test::WriteWholeFile(disk / "02-Song 2.WAV", "an earlier rip");
  AddJob(2, 10, 110);
  batch.outputFormat = OutputFormat::Wav;
  batch.settings.effectiveOutputFolder = disk.Path();
  batch.diskSpace = &unknownSpace;
  {
    test::FullDiskScope full(disk);
    EXPECT_EQ(ExtractTrack(batch, *rip), 0);
  }
  EXPECT_EQ(test::ReadWholeFile(disk / "02-Song 2.WAV"), "an earlier rip");
  EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"02-Song 2.WAV"});
  EXPECT_EQ(Log().back().rfind(" Error: File operation error, error cause:", 0), 0u) << Log().back();
}

TEST_F(ExtractionTest, NormalizingScalesTheTrackByItsOwnPeak) {
  AddJob(4, 290, 310);  // holds sector 300 with −32768
  batch.outputFormat = OutputFormat::Mp3;
  batch.settings.Normalize = 1;
  batch.settings.NormalizeRatio = 100;
  ASSERT_EQ(ExtractTrack(batch, *rip), 1);
  auto phases = window.MessagesWithId(Message::JobPhase);
  ASSERT_EQ(phases.size(), 1u);
  EXPECT_EQ(phases[0].wParam, 1);
  EXPECT_EQ(phases[0].text, "Temporary Wave File");
  auto samples = test::ReadWavSamples(batch.temporaryPath);
  EXPECT_EQ(samples[10 * 1176], -32766);       // sector 300: −32768 × 32767/32768
  EXPECT_EQ(samples[0], 291);                  // 291 × 0.99997 + 0.5 cut
  EXPECT_EQ(Progress().back(), 1000);
}

class FullDisk final : public DiskSpaceProbe {
 public:
  FreeSpace Query(std::string_view) const override { return {true, 1000, "/full"}; }
};

TEST_F(ExtractionTest, AFullDiskStopsBeforeAnythingIsWritten) {
  FullDisk full;
  batch.diskSpace = &full;
  AddJob(2, 10, 110);
  for (bool wavOutput : {true, false}) {
    batch.outputFormat = wavOutput ? OutputFormat::Wav : OutputFormat::Mp3;
    EXPECT_EQ(ExtractTrack(batch, *rip), 0);
  }
  EXPECT_EQ(Log(), (std::vector<std::string>(2, " Error: Not enough free disk space at disk: /full!")));
  EXPECT_TRUE(fs::is_empty(temp / "out"));
  EXPECT_EQ(TemporaryFiles(), 0u);
}

// 4 GiB is all a WAV header can describe; a longer range is refused before a read.
TEST_F(ExtractionTest, ARangeTooLongForAWavFileIsRefusedBeforeReading) {
  AddJob(2, 10, 10 + 1826092);  // one sector more than 4 GiB holds with the 44-byte header
  batch.outputFormat = OutputFormat::Wav;
  EXPECT_EQ(ExtractTrack(batch, *rip), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{" Error: Song 2 is too long for a WAV file (at most 4 GiB)!"}));
  EXPECT_TRUE(fs::is_empty(temp / "out"));
}

TEST_F(ExtractionTest, AnOutputThatCannotBeCreatedIsReported) {
  AddJob(2, 10, 110);
  batch.outputFormat = OutputFormat::Wav;
  batch.settings.NamingRule = "<title>/x";
  test::WriteWholeFile(temp / "out/Song 2", "a file where the folder should be");
  EXPECT_EQ(ExtractTrack(batch, *rip), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{" Error: can't open file " + temp / "out/Song 2/x.WAV" + "!"}));
}

}  // namespace
}  // namespace sonvarek
