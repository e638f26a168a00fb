#include "cdrom/cue_sheet.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/disc_image.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

TEST(CueSheet, ReadsFilesTracksIndicesGapsAndFlags) {
  std::string text =
      "\xEF\xBB\xBFREM GENRE Rock\r\n"
      "CATALOG 0000000000000\r\n"
      "PERFORMER \"Someone\"\r\n"
      "REM COMMENT \"unbalanced\r\n"
      "FILE \"disc one.bin\" BINARY\r\n"
      "  TRACK 01 AUDIO\r\n"
      "    TITLE \"First\"\r\n"
      "    FLAGS DCP PRE\r\n"
      "    INDEX 01 00:00:00\r\n"
      "  TRACK 02 audio\r\n"
      "    PREGAP 00:02:00\r\n"
      "    INDEX 01 01:00:10\r\n"
      "    POSTGAP 00:00:30\r\n"
      "  TRACK 03 MODE2/2352\r\n"
      "    INDEX 00 02:00:00\r\n"
      "file /abs/two.bin binary\r\n"
      "    INDEX 01 00:00:00\r\n"
      "    INDEX 02 00:10:00\r\n";
  std::string error;
  std::optional<CueSheet> sheet = ParseCueSheet(text, "/discs/x.cue", error);
  ASSERT_TRUE(sheet) << error;
  ASSERT_EQ(sheet->files.size(), 2u);
  EXPECT_EQ(sheet->files[0].path, "/discs/disc one.bin");
  EXPECT_EQ(sheet->files[0].line, 5);
  EXPECT_EQ(sheet->files[1].path, "/abs/two.bin");
  ASSERT_EQ(sheet->tracks.size(), 3u);
  EXPECT_EQ(sheet->tracks[0].control, 0x03);
  EXPECT_EQ(sheet->tracks[1].pregap, 150u);
  EXPECT_EQ(sheet->tracks[1].postgap, 30u);
  EXPECT_EQ(sheet->tracks[1].Index01().frames, 60u * 75 + 10);
  const CueTrack& third = sheet->tracks[2];
  EXPECT_EQ(third.mode, TrackMode::Mode2Raw);
  EXPECT_EQ(third.control, 0x04);
  ASSERT_EQ(third.indices.size(), 3u);
  EXPECT_EQ(third.indices[0].file, 0);
  EXPECT_EQ(third.indices[0].frames, 120u * 75);
  EXPECT_EQ(third.Index01().file, 1);
  EXPECT_EQ(third.Index01().line, 17);
}

TEST(CueSheet, MalformedSheetsNameTheLine) {
  const std::string file = "FILE a.bin BINARY\n";
  const std::string track = file + "TRACK 01 AUDIO\n";
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {"", "x.cue:1: no TRACK in the sheet"},
      {"TRACK 01 AUDIO\n", "x.cue:1: TRACK before any FILE"},
      {"GARBAGE here\n", "x.cue:1: unknown command 'GARBAGE'"},
      {"FILE a.wav WAVE\n", "x.cue:1: file type 'WAVE' is not supported (only BINARY)"},
      {"FILE a.bin MOTOROLA\n", "x.cue:1: big-endian (MOTOROLA) files are not supported"},
      {"FILE \"a.bin BINARY\n", "x.cue:1: unterminated quoted text"},
      {"FILE a.bin\n", "x.cue:1: FILE needs a file name and a type"},
      {std::string("FILE a\0.bin BINARY\n", 19), "x.cue:1: not a text file"},
      {file + "TRACK 00 AUDIO\n", "x.cue:2: track number '00' is not 1 to 99"},
      {file + "TRACK 01 MODE1/2048\n", "x.cue:2: track mode 'MODE1/2048' is not supported (AUDIO, MODE1/2352, MODE2/2352)"},
      {track + "INDEX 01 00:60:00\n", "x.cue:3: '00:60:00' is not a time mm:ss:ff"},
      {track + "INDEX 01 00:00:75\n", "x.cue:3: '00:00:75' is not a time mm:ss:ff"},
      {track + "INDEX 01 1:2\n", "x.cue:3: '1:2' is not a time mm:ss:ff"},
      {track + "INDEX 02 00:00:00\n", "x.cue:3: INDEX 02 is out of order"},
      {track + "INDEX 01 00:00:00\nTRACK 03 AUDIO\n", "x.cue:4: track 03 does not follow track 1"},
      {track + "TRACK 02 AUDIO\n", "x.cue:2: track 1 has no INDEX 01"},
      {track, "x.cue:2: track 1 has no INDEX 01"},
      {track + "INDEX 00 00:00:00\n", "x.cue:2: track 1 has no INDEX 01"},
      {track + "INDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:05:00\n",
       "x.cue:5: INDEX 01 lies before the previous index"},
      {track + "INDEX 01 00:00:00\nPREGAP 00:02:00\n", "x.cue:4: PREGAP after an INDEX of its track"},
      {track + "POSTGAP 00:02:00\n", "x.cue:3: POSTGAP before an INDEX of its track"},
      {track + "FLAGS DCP XYZ\n", "x.cue:3: unknown flag 'XYZ'"},
      {"INDEX 01 00:00:00\n", "x.cue:1: INDEX before any TRACK"},
      // Past 99:59:74, by one time or by what comes before it on the disc.
      {track + "INDEX 01 100:00:00\n", "x.cue:3: '100:00:00' runs the disc past 99:59:74, the longest a CD can be"},
      {track + "PREGAP 99:59:74\nINDEX 01 00:00:01\n",
       "x.cue:4: '00:00:01' runs the disc past 99:59:74, the longest a CD can be"},
      {track + "INDEX 01 60:00:00\nPOSTGAP 40:00:00\n",
       "x.cue:4: '40:00:00' runs the disc past 99:59:74, the longest a CD can be"},
      {track + "INDEX 01 60:00:00\nFILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 40:00:00\n",
       "x.cue:6: '40:00:00' runs the disc past 99:59:74, the longest a CD can be"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseCueSheet(c.text, "x.cue", error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(CueSheet, TimesUpToTheLongestDiscAreRead) {
  const std::string track = "FILE a.bin BINARY\nTRACK 01 AUDIO\n";
  for (const std::string& text : {track + "INDEX 01 99:59:74\n",
                                  track + "PREGAP 00:00:01\nPREGAP 50:00:00\nINDEX 01 49:59:74\n",  // the gap is replaced
                                  track + "INDEX 01 60:00:00\nFILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 39:59:74\n"}) {
    std::string error;
    EXPECT_TRUE(ParseCueSheet(text, "x.cue", error)) << text << error;
  }
}

// The sheet cannot know its files' sizes; laid out, a disc past 99:59:74 is refused too.
// The BIN files are sparse, so they cost no disk.
TEST(DiscImageLayout, ADiscLongerThanACdIsMalformedAndAMissingFileIsUnreadable) {
  test::TempFolder temp;
  auto sparseBin = [&temp](const std::string& name, uint64_t sectors) {
    test::WriteWholeFile(temp / name, "");
    std::filesystem::resize_file(temp / name, sectors * kSectorBytes);
  };
  sparseBin("full.bin", kLongestDiscFrames);
  sparseBin("over.bin", kLongestDiscFrames + 1);
  const std::string track = "TRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  struct Case {
    std::string sheet;
    ImageFault fault;
    std::string error;  // after the sheet's path
  } cases[] = {
      {"FILE full.bin BINARY\n" + track, ImageFault::None, ""},
      {"FILE full.bin BINARY\n" + track + "POSTGAP 00:00:01\n", ImageFault::Malformed,
       ": the disc image runs past 99:59:74, the longest a CD can be"},
      {"FILE over.bin BINARY\n" + track, ImageFault::Malformed, ":1: 'over.bin' is too large for a CD"},
      {"FILE none.bin BINARY\n" + track, ImageFault::Unreadable,
       ":1: cannot open 'none.bin': No such file or directory"},
      {"FILE full.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 100:00:00\n", ImageFault::Malformed,
       ":3: '100:00:00' runs the disc past 99:59:74, the longest a CD can be"},
  };
  for (const Case& c : cases) {
    test::WriteWholeFile(temp / "disc.cue", c.sheet);
    std::string error;
    ImageFault fault = ImageFault::Unreadable;
    std::unique_ptr<DiscImage> image = DiscImage::Load(temp / "disc.cue", error, &fault);
    EXPECT_EQ(fault, c.fault) << c.sheet;
    EXPECT_EQ(image != nullptr, c.fault == ImageFault::None) << c.sheet;
    if (image) {
      EXPECT_EQ(image->LeadOutSector(), kLongestDiscFrames);
    } else {
      EXPECT_EQ(error, temp / "disc.cue" + c.error);
    }
  }
  std::string error;
  ImageFault fault = ImageFault::None;
  EXPECT_FALSE(DiscImage::Load(temp / "none.cue", error, &fault));
  EXPECT_EQ(fault, ImageFault::Unreadable);
}

}  // namespace
}  // namespace sonvarek
