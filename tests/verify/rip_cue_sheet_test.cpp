#include <gtest/gtest.h>
#include <sys/wait.h>

#include "cdrom/cue_sheet.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "verify/rip_log.h"
#include "verify/rip_report_fixture.h"

namespace sonvarek {
namespace {

// The fixture's rip with a hidden first pregap of 2 s 33 sectors, a title that holds
// quote marks and a line break, and a third track of a different format that has no
// file (it failed) and so no place in the sheet.
RipReport SheetReport() {
  RipReport report = test::AccurateRipReport();
  report.toc[0].startSector = 183;
  report.albumTitle = "Harbour \"Lights\"";
  report.tracks[0].title = "Opening \"Live\"\nTake 2";
  report.tracks[1].outputPath = "/music/The Lanterns/02 - Tide.OGG";
  RipTrackReport failed = report.tracks[1];
  failed.number = 3;
  failed.title = "Undertow";
  failed.outputPath.clear();
  failed.result = TrackRipResult::Failed;
  report.tracks.push_back(failed);
  return report;
}

TEST(RipCueSheet, NamesEachRippedFileWithItsTexts) {
  EXPECT_EQ(RipCueSheetText(SheetReport()),
            "REM GENRE \"Folk\"\n"
            "REM DATE 2019\n"
            "REM DISCID 2A09A203\n"
            "REM COMMENT \"Sonvarek Maker 1.4.0\"\n"
            "PERFORMER \"The Lanterns\"\n"
            "TITLE \"Harbour 'Lights'\"\n"
            "FILE \"01 - Opening.mp3\" MP3\n"
            "  TRACK 01 AUDIO\n"
            "    TITLE \"Opening 'Live' Take 2\"\n"
            "    PERFORMER \"The Lanterns\"\n"
            "    PREGAP 00:02:33\n"
            "    INDEX 01 00:00:00\n"
            "FILE \"02 - Tide.OGG\" WAVE\n"
            "  TRACK 02 AUDIO\n"
            "    TITLE \"Tide\"\n"
            "    PERFORMER \"Guest Singer\"\n"
            "    INDEX 01 00:00:00\n");
}

TEST(RipCueSheet, TheProjectsParserReadsItBack) {
  struct Case {
    const char* name;
    std::vector<int> ripped;  // indices into the report's tracks
    size_t tracks;
    uint32_t firstPregap;
  } cases[] = {
      {"whole disc", {0, 1, 2}, 2, 183},
      // Without the disc's first track the pregap lies before no file of the sheet.
      {"from the second track", {1, 2}, 1, 0},
  };
  for (const Case& c : cases) {
    RipReport report = SheetReport();
    std::vector<RipTrackReport> tracks;
    for (int index : c.ripped) tracks.push_back(report.tracks[static_cast<size_t>(index)]);
    report.tracks = tracks;
    std::string error;
    std::optional<CueSheet> sheet =
        ParseCueSheet(RipCueSheetText(report), "/music/The Lanterns/x.cue", error, CueFileTypes::Audio);
    ASSERT_TRUE(sheet) << c.name << ": " << error;
    ASSERT_EQ(sheet->tracks.size(), c.tracks) << c.name;
    ASSERT_EQ(sheet->files.size(), c.tracks) << c.name;
    EXPECT_EQ(sheet->tracks[0].number, 1) << c.name;
    EXPECT_EQ(sheet->tracks[0].pregap, c.firstPregap) << c.name;
    EXPECT_EQ(sheet->files.back().path, "/music/The Lanterns/02 - Tide.OGG") << c.name;
    EXPECT_EQ(sheet->files.back().type, CueFileType::Wave) << c.name;
    for (const CueTrack& track : sheet->tracks) EXPECT_EQ(track.Index01().frames, 0u) << c.name;
  }
  std::string error;
  std::optional<CueSheet> sheet = ParseCueSheet(RipCueSheetText(SheetReport()), "x.cue", error, CueFileTypes::Audio);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->files[0].type, CueFileType::Mp3);
  // A disc image's sheet still holds raw sectors only; an audio sheet names the types it takes.
  EXPECT_FALSE(ParseCueSheet(RipCueSheetText(SheetReport()), "x.cue", error));
  EXPECT_EQ(error, "x.cue:7: file type 'MP3' is not supported (only BINARY)");
  EXPECT_FALSE(ParseCueSheet("FILE a.aiff AIFF\n", "x.cue", error, CueFileTypes::Audio));
  EXPECT_EQ(error, "x.cue:1: file type 'AIFF' is not supported (BINARY, WAVE, MP3)");
}

TEST(RipCueSheet, CueprintReadsTitlesAndPerformers) {
  test::TempFolder temp;
  test::WriteWholeFile(temp / "rip.cue", RipCueSheetText(SheetReport()));
  test::ChildProcess cueprint({"cueprint", "-d", "%N|%P|%T\n", "-t", "%n|%p|%t\n", temp / "rip.cue"});
  ASSERT_TRUE(cueprint.Started());
  const int status = cueprint.Wait(std::chrono::seconds(10));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cueprint.Output();
  // Any complaint of cueprint's about the sheet would show in its output too.
  EXPECT_EQ(cueprint.Output(),
            "2|The Lanterns|Harbour 'Lights'\n"
            "1|The Lanterns|Opening 'Live' Take 2\n"
            "2|Guest Singer|Tide\n");
}

}  // namespace
}  // namespace sonvarek
