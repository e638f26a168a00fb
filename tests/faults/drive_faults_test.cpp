// Failing drives seen through the real `sonvarek rip`: unreadable sectors where a
// track starts, in its middle and where it ends, and a drive that goes away while
// a track is read.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "cdrom/image_drive.h"
#include "cdrom/sense_data.h"
#include "core/string_table.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "platform/file.h"
#include "support/child_process.h"
#include "support/image_fixture.h"
#include "support/log_line.h"
#include "support/output_checks.h"
#include "support/small_disk.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSector = test::kRawSectorBytes;
constexpr uint32_t kTrackSectors = 100;  // three tracks: 0-99, 100-199, 200-299

std::string Sectors(uint32_t first, uint32_t end) { return test::AddressedSectors(first, end); }

// The log lines of a run (timestamped lines of its error output), time stamps cut.
std::vector<std::string> LogLines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream stream(output);
  for (std::string line; std::getline(stream, line);) {
    if (test::HasTimeStamp(line, '(')) lines.push_back(test::AfterTimeStamp(line));
  }
  return lines;
}

template <typename... Args>
std::string Line(const char* format, const Args&... args) {
  std::string line = test::AfterTimeStamp(FormatLogLine(format, args...));
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

std::string Extracting(int track) { return Line(logformat::kExtracting, "Track " + std::to_string(track)); }
std::string ExtractingOk(int track) { return Line(logformat::kExtractingOk, "Track " + std::to_string(track)); }
std::string NotDone(const std::string& names) { return Line(logformat::kNotDone, names); }
const std::string kReadError = Line(logformat::kErrorSystem, SenseText(MakeSense({kSenseMediumError, 0x11, 0})));
const std::string kDeviceGone = Line(logformat::kErrorSystem, SystemErrorText(ENODEV));

class DriveFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp / "tmp");
    fs::create_directories(temp / "home");
    fs::create_directories(temp / "out");
    fs::create_directories(temp / "disc");
  }
  std::vector<std::string> RipArguments(const std::string& cue, const std::string& badSectors) const {
    return {"/usr/bin/env",
            "-u",
            "SONVAREK_CD_IMAGE",
            "HOME=" + temp / "user",
            "TMPDIR=" + temp / "tmp",
            "SONVAREK_CD_BAD_SECTORS=" + badSectors,
            SONVAREK_CLI,
            "--home",
            temp / "home",
            "rip",
            "--image",
            cue,
            "--output",
            temp / "out",
            "--format",
            "wav",
            "--rule",
            "<number>"};
  }

  test::TempFolder temp;
};

// Without skip-on-error the track with the unreadable block fails, the batch stops
// there and the earlier file of its name stays; with it the sector that will not
// read alone becomes silence of its own length, named in the log, and every track
// completes. Ends of a track differ: the last block is short, and the next track's
// lead-in read (the 26 sectors before it) meets the bad sector too. A sector that
// reads on a retry costs nothing. The rip log goes next to the files either way.
TEST_F(DriveFaultsTest, UnreadableSectorsFailTheTrackOrBecomeSilenceWithSkipOnError) {
  const std::string cue = test::WriteDiscImage(temp / "disc", {kTrackSectors, kTrackSectors, kTrackSectors}, true);
  const std::string earlier = "an earlier rip of track 2";
  const std::string logWritten = Line(logformat::kRipLogWritten, temp / "out" + "/Unknown album.log");
  const std::vector<std::string> stopped = {Extracting(1), ExtractingOk(1), Extracting(2), kReadError,
                                            NotDone("Track 3"), logWritten};
  auto silenced = [](uint32_t sector, const char* where) {
    return Line(logformat::kSectorSilenced, sector, where, "Track 2");
  };
  const std::string done2 = Line(logformat::kExtractingSilenced, "Track 2", 1);
  struct Case {
    const char* where;
    std::string bad;
    bool skip;
    uint32_t silentSector;  // the sector of track 2's file that is silence, 0 for none
    std::vector<std::string> lines;
  } cases[] = {
      {"start", "100", false, 0, stopped},
      {"middle", "150", false, 0, stopped},
      {"end", "199", false, 0, stopped},
      {"start", "100", true, 100,
       {Extracting(1), ExtractingOk(1), Extracting(2), silenced(100, "0:00.00"), done2, Extracting(3),
        ExtractingOk(3), logWritten}},
      {"middle", "150", true, 150,
       {Extracting(1), ExtractingOk(1), Extracting(2), silenced(150, "0:00.50"), done2, Extracting(3),
        ExtractingOk(3), logWritten}},
      {"end", "199", true, 199,
       {Extracting(1), ExtractingOk(1), Extracting(2), silenced(199, "0:01.24"), done2, kReadError, Extracting(3),
        ExtractingOk(3), logWritten}},
      {"middle, readable on the third try", "150*2", false, 0,
       {Extracting(1), ExtractingOk(1), Extracting(2), ExtractingOk(2), Extracting(3), ExtractingOk(3), logWritten}},
  };
  const std::vector<std::string> sheets = {"Unknown album.cue", "Unknown album.log"};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.where) + (c.skip ? ", skipping" : ""));
    fs::remove_all(temp / "out");
    fs::create_directories(temp / "out");
    test::WriteWholeFile(temp / "out/02.WAV", earlier);
    test::WriteWholeFile(temp / "home/Settings.ini", c.skip ? "[Misc]\nBoolSkipError=1\n" : "");
    test::ChildProcess rip(RipArguments(cue, c.bad));
    int status = rip.Wait(std::chrono::seconds(60));
    const bool fails = !c.skip && c.bad.find('*') == std::string::npos;
    ASSERT_TRUE(WIFEXITED(status)) << rip.Output();
    EXPECT_EQ(WEXITSTATUS(status), fails ? 1 : 0) << rip.Output();
    EXPECT_EQ(LogLines(rip.Output()), c.lines) << rip.Output();

    EXPECT_EQ(test::WholeWavData(temp / "out/01.WAV"), Sectors(0, 100));
    if (fails) {
      EXPECT_NE(rip.Output().find(text::kErrorPaneText), std::string::npos);
      EXPECT_EQ(test::ReadWholeFile(temp / "out/02.WAV"), earlier);
      EXPECT_EQ(test::FileNames(temp / "out"),
                (std::vector<std::string>{"01.WAV", "02.WAV", sheets[0], sheets[1]}));
    } else {
      EXPECT_EQ(test::WholeWavData(temp / "out/02.WAV"),
                c.silentSector > 0 ? Sectors(100, c.silentSector) + std::string(kSector, '\0') +
                                         Sectors(c.silentSector + 1, 200)
                                   : Sectors(100, 200));
      EXPECT_EQ(test::WholeWavData(temp / "out/03.WAV"), Sectors(200, 300));
      EXPECT_EQ(test::FileNames(temp / "out"),
                (std::vector<std::string>{"01.WAV", "02.WAV", "03.WAV", sheets[0], sheets[1]}));
    }
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
  }
}

// A drive whose device vanishes fails every command from then on; the image drive
// does the same when its BIN or CUE file is deleted, instead of reading on from the
// open file.
TEST_F(DriveFaultsTest, ADeletedImageFailsEveryCommandLikeAGoneDevice) {
  const std::string cue = test::WriteDiscImage(temp / "disc", {kTrackSectors}, true);
  for (const char* deleted : {"disc.bin", "disc.cue"}) {
    SCOPED_TRACE(deleted);
    std::string error;
    std::unique_ptr<ImageDrive> drive = ImageDrive::Load(cue, {}, error);
    ASSERT_TRUE(drive) << error;
    const uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
    const uint8_t ready[6] = {0x00, 0, 0, 0, 0, 0};
    const uint8_t read[12] = {0xBE, 0, 0, 0, 0, 10, 0, 0, 1, 0xF8, 0, 0};
    std::vector<uint8_t> data(kSector);
    auto execute = [&](std::span<const uint8_t> cdb) {
      return drive->Execute(ScsiRequest{cdb, nullptr, 0, data.data(), static_cast<uint32_t>(data.size())});
    };
    ASSERT_EQ(execute(read).status, ScsiStatus::Good);
    const std::string kept = test::ReadWholeFile(temp / "disc" + "/" + deleted);
    fs::remove(temp / "disc" + "/" + deleted);
    for (int round = 0; round < 2; ++round) {
      for (std::span<const uint8_t> cdb : {std::span<const uint8_t>(inquiry), std::span<const uint8_t>(ready),
                                           std::span<const uint8_t>(read)}) {
        ScsiOutcome outcome = execute(cdb);
        EXPECT_EQ(outcome.status, ScsiStatus::Failed) << "opcode " << int(cdb[0]);
        EXPECT_EQ(outcome.systemError, ENODEV);
      }
      // A new file of that name is another device: this one does not come back.
      test::WriteWholeFile(temp / "disc" + "/" + deleted, kept);
    }
  }
}

// The image's file deleted while a track is read: the rip ends at once with the
// device's error, a failure status and nothing under a final name or left behind.
TEST_F(DriveFaultsTest, ADriveThatGoesAwayMidRipEndsTheRipWithAnError) {
  // Twenty sparse minutes: far more than can be read between the log line and the stop.
  for (const char* deleted : {"disc.bin", "disc.cue"}) {
    SCOPED_TRACE(deleted);
    fs::remove_all(temp / "out");
    fs::create_directories(temp / "out");
    const std::string cue = test::WriteDiscImage(temp / "disc", {90000, 100}, false);
    test::ChildProcess rip(RipArguments(cue, ""));
    ASSERT_TRUE(rip.ReadUntil(Extracting(1), std::chrono::seconds(30))) << rip.Output();
    rip.Signal(SIGSTOP);  // held inside the track while its file goes
    fs::remove(temp / "disc" + "/" + deleted);
    rip.Signal(SIGCONT);
    auto start = std::chrono::steady_clock::now();
    int status = rip.Wait(std::chrono::seconds(30));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_TRUE(WIFEXITED(status)) << rip.Output();
    EXPECT_EQ(WEXITSTATUS(status), 1) << rip.Output();
    EXPECT_EQ(LogLines(rip.Output()), (std::vector<std::string>{Extracting(1), kDeviceGone, NotDone("Track 2")}))
        << rip.Output();
    EXPECT_NE(rip.Output().find(text::kErrorPaneText), std::string::npos);
    EXPECT_TRUE(fs::is_empty(temp / "out")) << test::FileNames(temp / "out").front();
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
  }
}

}  // namespace
}  // namespace sonvarek
