#include "verify/rip_log.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

#include "core/string_table.h"
#include "core/text_format.h"
#include "support/small_disk.h"
#include "support/temp_folder.h"
#include "verify/accuraterip.h"
#include "verify/rip_report_fixture.h"

namespace sonvarek {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The lines of one track's section, from its heading to the blank line that ends it.
std::vector<std::string> TrackSection(const std::string& log, int number) {
  std::vector<std::string> lines = Lines(log);
  auto start = std::find(lines.begin(), lines.end(), FormatText("Track %2d", number));
  auto end = std::find(start, lines.end(), "");
  return std::vector<std::string>(start, end);
}

TEST(RipLog, AnAccurateRipReadsLineByLine) {
  // The disc's ids are the verify library's to compute; the log shows them as the database names them.
  const RipReport report = test::AccurateRipReport();
  const AccurateRipDiscIds ids = AccurateRipIdsOfToc(report.toc, report.leadOut, report.freedbId);
  ASSERT_EQ(ids.trackCount, 3);
  const std::string expected =
      "Sonvarek Maker 1.4.0 rip log\n"
      "\n"
      "Date             2026-03-01 10:20:30\n"
      "Drive            PLEXTOR DVDR   PX-760A (SG_IO)\n"
      "Read offset      +30 samples\n"
      "Secure mode      Off\n"
      "Skip on error    No\n"
      "Output format    MP3, 192 kbit/s CBR\n"
      "\n"
      "Disc             The Lanterns / Harbour Lights\n"
      "Freedb id        2a09a203\n"
      "AccurateRip ids  " + FormatText("003-%08x-%08x-2a09a203", ids.id1, ids.id2) + "\n"
      "\n"
      "Table of contents\n"
      "    Track     Start    Length  Start sector  End sector\n"
      "        1   0:00.00   3:20.10             0       15009\n"
      "        2   3:20.10   3:19.65         15010       29999\n"
      "        3   6:40.00   2:32.00         30000       41399\n"
      "        4  11:44.00   1:36.00         52800       59999  Data\n"
      "\n"
      "Track  1\n"
      "    File name 01 - Opening.mp3\n"
      "    Peak level 98.5 %\n"
      "    Copy CRC 0A1B2C3D\n"
      "    AccurateRip v1: 11111111\n"
      "    AccurateRip v2: 2222ABCD\n"
      "    Accurately ripped (confidence 12) [2222ABCD] (AR v2)\n"
      "    Result OK\n"
      "\n"
      "Track  2\n"
      "    File name 02 - Tide.mp3\n"
      "    Peak level 100.0 %\n"
      "    Copy CRC DEADBEEF\n"
      "    AccurateRip v1: 00C0FFEE\n"
      "    AccurateRip v2: 00000001\n"
      "    Accurately ripped (confidence 3) [00C0FFEE] (AR v1)\n"
      "    Result OK\n"
      "\n"
      "All tracks accurately ripped\n";
  EXPECT_EQ(RipLogText(report, "2026-03-01 10:20:30"), expected);
}

TEST(RipLog, SettingsLinesFollowTheRipsSettings) {
  struct Case {
    std::function<void(RipReport&)> change;
    std::string line;
  } cases[] = {
      {[](RipReport& r) { r.readOffset = 0; }, "Read offset      0 samples"},
      {[](RipReport& r) { r.readOffset = -1; }, "Read offset      -1 sample"},
      {[](RipReport& r) { r.readOffset = -1164; }, "Read offset      -1164 samples"},
      {[](RipReport& r) { r.secureMode = true; }, "Secure mode      Test and copy, 4 retries"},
      {[](RipReport& r) { r.secureMode = true, r.secureRetries = 1; }, "Secure mode      Test and copy, 1 retry"},
      {[](RipReport& r) { r.skipErrors = true; }, "Skip on error    Yes"},
      {[](RipReport& r) { r.outputFormat = "Ogg Vorbis", r.encoderSettings.clear(); }, "Output format    Ogg Vorbis"},
      {[](RipReport& r) { r.driveVendor.clear(), r.driveProduct = "Image"; }, "Drive            Image (SG_IO)"},
  };
  for (const Case& c : cases) {
    RipReport report = test::AccurateRipReport();
    c.change(report);
    std::vector<std::string> lines = Lines(RipLogText(report, "today"));
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.line;
  }
}

TEST(RipLog, TrackSectionsAndSummaryTellHowEachTrackEnded) {
  const std::string refused = "The AccurateRip server 127.0.0.1:9 could not be reached: Connection refused.";
  struct Case {
    const char* name;
    std::function<void(RipReport&)> change;
    std::vector<std::string> section;  // of the second track
    std::string summary;
  } cases[] = {
      {"one not verified",
       [](RipReport& r) {
         r.tracks[1].verdict = "Not present in database";
         r.tracks[1].accurate = false;
       },
       {"Track  2", "    File name 02 - Tide.mp3", "    Peak level 100.0 %", "    Copy CRC DEADBEEF",
        "    AccurateRip v1: 00C0FFEE", "    AccurateRip v2: 00000001", "    Not present in database", "    Result OK"},
       "1 track not verified"},
      {"look-up failed",
       [&refused](RipReport& r) {
         for (RipTrackReport& track : r.tracks) track.verdict.clear(), track.accurate = false;
         r.lookupFailure = refused;
       },
       {"Track  2", "    File name 02 - Tide.mp3", "    Peak level 100.0 %", "    Copy CRC DEADBEEF",
        "    AccurateRip v1: 00C0FFEE", "    AccurateRip v2: 00000001", "    " + refused, "    Result OK"},
       "2 tracks not verified"},
      // Positions count from the track's start (sector 15010): runs of sectors make one line.
      {"secure, suspicious positions",
       [](RipReport& r) {
         r.secureMode = true;
         RipTrackReport& t = r.tracks[1];
         t.tested = true, t.testCrc = 0x12345678, t.c2Used = true;
         t.suspiciousSectors = {15010 + 100, 15010 + 101, 15010 + 102, 15010 + 400};
         t.result = TrackRipResult::Suspicious;
         t.verdict = "Not accurately ripped", t.accurate = false;
       },
       {"Track  2", "    File name 02 - Tide.mp3", "    Peak level 100.0 %", "    Copy CRC DEADBEEF",
        "    Test CRC 12345678", "    Test and copy CRCs differ", "    AccurateRip v1: 00C0FFEE",
        "    AccurateRip v2: 00000001", "    Not accurately ripped", "    C2 error pointers used",
        "    Suspicious positions 0:01.25 - 0:01.27", "    Suspicious position 0:05.25",
        "    Result Suspicious positions"},
       "Errors occurred"},
      {"secure, both readings alike",
       [](RipReport& r) { r.tracks[1].tested = true, r.tracks[1].testCrc = 0xdeadbeef; },
       {"Track  2", "    File name 02 - Tide.mp3", "    Peak level 100.0 %", "    Copy CRC DEADBEEF",
        "    Test CRC DEADBEEF", "    AccurateRip v1: 00C0FFEE", "    AccurateRip v2: 00000001",
        "    Accurately ripped (confidence 3) [00C0FFEE] (AR v1)", "    Result OK"},
       "All tracks accurately ripped"},
      {"skipped sectors",
       [](RipReport& r) {
         r.skipErrors = true;
         RipTrackReport& t = r.tracks[1];
         t.skippedSectors = {15010 + 4501, 15010 + 14989};
         t.result = TrackRipResult::Skipped;
         t.verdict = "Not accurately ripped", t.accurate = false;
       },
       {"Track  2", "    File name 02 - Tide.mp3", "    Peak level 100.0 %", "    Copy CRC DEADBEEF",
        "    AccurateRip v1: 00C0FFEE", "    AccurateRip v2: 00000001", "    Not accurately ripped",
        "    Replaced by silence 1:00.01", "    Replaced by silence 3:19.64",
        "    Result Unreadable sectors replaced by silence"},
       "Errors occurred"},
      // A track stopped part-way has no file, level or sums to show, and was never looked up.
      {"cancelled",
       [](RipReport& r) {
         RipTrackReport& t = r.tracks[1];
         t = RipTrackReport{};
         t.number = 2;
         t.result = TrackRipResult::Cancelled;
       },
       {"Track  2", "    Not looked up", "    Result Cancelled"},
       "Errors occurred"},
  };
  for (const Case& c : cases) {
    RipReport report = test::AccurateRipReport();
    c.change(report);
    const std::string log = RipLogText(report, "today");
    EXPECT_EQ(TrackSection(log, 2), c.section) << c.name;
    EXPECT_EQ(Lines(log).back(), c.summary) << c.name;
    EXPECT_EQ(RipSummaryLine(report), c.summary) << c.name;
  }
}

TEST(WriteRipLogAndCueSheet, WritesBothWholeInsideTheFolder) {
  // Stems that would name another folder or no file at all are made plain names.
  struct Case {
    std::string album;
    std::string stem;
  } cases[] = {
      {"Harbour Lights", "Harbour Lights"},
      {"../../etc/passwd", ".._.._etc_passwd"},
      {"", text::kRipLogDefaultStem},
      {".", text::kRipLogDefaultStem},
      {"..", text::kRipLogDefaultStem},
  };
  for (const Case& c : cases) {
    test::TempFolder temp;
    std::filesystem::create_directory(temp / "rips");
    RipReport report = test::AccurateRipReport();
    std::string error;
    ASSERT_TRUE(WriteRipLogAndCueSheet(report, temp / "rips", c.album, "today", error)) << c.album << error;
    EXPECT_EQ(report.logPath, temp / ("rips/" + c.stem + ".log"));
    EXPECT_EQ(report.cuePath, temp / ("rips/" + c.stem + ".cue"));
    EXPECT_EQ(test::ReadWholeFile(report.logPath), RipLogText(report, "today"));
    EXPECT_EQ(test::ReadWholeFile(report.cuePath), RipCueSheetText(report));
    size_t entries = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp.Path())) entries += !entry.is_directory();
    EXPECT_EQ(entries, 2u) << c.album;
  }
}

TEST(WriteRipLogAndCueSheet, AFailureLeavesNeitherFileAndSaysWhy) {
  {
    test::TempFolder temp;
    test::WriteWholeFile(temp / "not-a-folder", "x");
    RipReport report = test::AccurateRipReport();
    std::string error;
    EXPECT_FALSE(WriteRipLogAndCueSheet(report, temp / "not-a-folder", "Album", "today", error));
    EXPECT_EQ(error, FormatText(text::kRipLogCantWrite, temp / "not-a-folder/Album.log", "Not a directory"));
    EXPECT_TRUE(report.logPath.empty());
    EXPECT_TRUE(report.cuePath.empty());
  }
  // The log fits on the disk but the sheet, with its long titles, does not: the log
  // must not appear without its sheet, and no staged file may stay behind.
  test::SmallDisk disk(8192);
  RipReport report = test::AccurateRipReport();
  for (RipTrackReport& track : report.tracks) track.title = std::string(6000, 't');
  ASSERT_LT(RipLogText(report, "today").size(), 4096u);
  std::string error;
  {
    test::FullDiskScope full(disk);
    EXPECT_FALSE(WriteRipLogAndCueSheet(report, disk.Path(), "Album", "today", error));
  }
  EXPECT_EQ(error.rfind(FormatText(text::kRipLogCantWrite, disk / "Album.cue", ""), 0), 0u) << error;
  EXPECT_TRUE(std::filesystem::is_empty(disk.Path()));
  EXPECT_TRUE(report.logPath.empty());
}

}  // namespace
}  // namespace sonvarek
