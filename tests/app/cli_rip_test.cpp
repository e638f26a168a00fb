#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/disc_reader.h"
#include "cdrom/scsi_driver_image.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
const std::string kSampleBin = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.bin";

// The sample disc's tracks as the drive reports them.
std::vector<TocTrack> SampleTracks() {
  Settings settings;
  CSCSIDriverImage driver(settings, {kSampleCue});
  EXPECT_NE(driver.Init(0), 0);
  DiscTOC toc;
  DiscRecord disc;
  return ReadDisc(driver, toc, disc).tracks;
}

class CliRipTest : public ::testing::Test {
 protected:
  test::ProgramResult Rip(const std::string& arguments, const std::string& environment = "") {
    return test::RunProgram("env HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" + ShellQuoted(temp / "tmp") + " " +
                            environment + " " + SONVAREK_CLI + " --home " + ShellQuoted(temp / "home") +
                            " rip --image " + ShellQuoted(kSampleCue) + " --output " + ShellQuoted(temp / "out") +
                            " " + arguments + " 2>&1");
  }
  void SetUp() override {
    fs::create_directories(temp / "tmp");
    fs::create_directories(temp / "home");
  }
  std::string BinSlice(const TocTrack& track) const {
    return bin.substr(static_cast<size_t>(track.startSector) * 2352, static_cast<size_t>(track.Length()) * 2352);
  }
  size_t TemporaryFiles() const { return static_cast<size_t>(std::distance(fs::directory_iterator(temp / "tmp"), {})); }

  test::TempFolder temp;
  std::string bin = test::ReadWholeFile(kSampleBin);
  std::vector<TocTrack> tracks = SampleTracks();
};

TEST_F(CliRipTest, RipsEveryTrackToWavFilesHoldingExactlyItsSectors) {
  ASSERT_EQ(tracks.size(), 5u);
  test::ProgramResult result = Rip("--format wav --rule '<number>' --playlist " + ShellQuoted(temp / "list.m3u"));
  ASSERT_EQ(result.status, 0) << result.out;
  std::string playlist;
  for (const TocTrack& track : tracks) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.WAV", track.number);
    std::string path = temp / "out/" + name;
    std::string file = test::ReadWholeFile(path);
    ASSERT_EQ(file.size(), 44 + static_cast<size_t>(track.Length()) * 2352) << path;
    WavHeader header = ParseWavHeader(*reinterpret_cast<const std::array<uint8_t, 44>*>(file.data()));
    EXPECT_EQ(header.dataSize, track.Length() * 2352);
    EXPECT_EQ(header.riffSize, track.Length() * 2352 + 36);
    EXPECT_TRUE(file.compare(44, std::string::npos, BinSlice(track)) == 0) << path;
    playlist += path + "\n";
  }
  EXPECT_EQ(test::ReadWholeFile(temp / "list.m3u"), playlist);
  EXPECT_NE(result.out.find("Extracting(05/05): Track 5"), std::string::npos) << result.out;
  EXPECT_EQ(TemporaryFiles(), 0u);
}

TEST_F(CliRipTest, TracksRuleAndTextsNameTheFiles) {
  test::ProgramResult result =
      Rip("--format wav --tracks 2,4-5 --rule '<artist>\\<album>\\<number>-<title>' --artist 'AC/DC' --album 'Live'"
          " --title '4=Back: In Black'");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(fs::exists(temp / "out/AC#DC/Live/02-Track 2.WAV"));
  EXPECT_TRUE(fs::exists(temp / "out/AC#DC/Live/04-Back& In Black.WAV"));
  EXPECT_TRUE(fs::exists(temp / "out/AC#DC/Live/05-Track 5.WAV"));
  // Two folders, three files, and the rip log and CUE sheet beside the files.
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(temp / "out"), {}), 7);
  EXPECT_TRUE(fs::exists(temp / "out/AC#DC/Live/Live.log"));
  EXPECT_TRUE(fs::exists(temp / "out/AC#DC/Live/Live.cue"));
}

// A relative --output is made absolute, so the play list and the file list name files
// that can be found from anywhere.
TEST_F(CliRipTest, ARelativeOutputFolderGivesFullPathsInThePlaylistAndTheFileList) {
  test::ProgramResult result = test::RunProgram(
      "cd " + ShellQuoted(temp.Path()) + " && env HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" +
      ShellQuoted(temp / "tmp") + " " + SONVAREK_CLI + " --home home rip --image " + ShellQuoted(kSampleCue) +
      " --output ./rel/../out --format wav --tracks 1,3 --rule '<number>' --playlist list.m3u 2>&1");
  ASSERT_EQ(result.status, 0) << result.out;
  std::string first = temp / "out/01.WAV";
  std::string third = temp / "out/03.WAV";
  EXPECT_EQ(test::ReadWholeFile(temp / "list.m3u"), first + "\n" + third + "\n");
  EXPECT_NE(result.out.find("  " + first + "\n  " + third + "\n"), std::string::npos) << result.out;
}

TEST_F(CliRipTest, UnreadableSectorsEndWithTheErrorPaneOrAreSkipped) {
  const TocTrack& second = tracks[1];
  uint32_t bad = second.startSector + 30;  // in the second block of 26 sectors
  std::string environment = "SONVAREK_CD_BAD_SECTORS=" + std::to_string(bad);
  test::ProgramResult failed = Rip("--format wav --tracks 2", environment);
  EXPECT_EQ(failed.status, 1) << failed.out;
  EXPECT_NE(failed.out.find("MEDIUM ERROR"), std::string::npos) << failed.out;
  EXPECT_NE(failed.out.find("An error occurred during processing."), std::string::npos);

  test::WriteWholeFile(temp / "home/Settings.ini", "[Misc]\nBoolSkipError=1\n");
  test::ProgramResult skipped = Rip("--format wav --tracks 2 --rule '<number>'", environment);
  ASSERT_EQ(skipped.status, 0) << skipped.out;
  EXPECT_NE(skipped.out.find("Extracting Track 2 done, with 1 unreadable sectors made silence!"), std::string::npos)
      << skipped.out;
  std::string file = test::ReadWholeFile(temp / "out/02.WAV");
  std::string expected = BinSlice(second);
  std::fill_n(expected.begin() + 30 * 2352, 2352, '\0');  // the one sector, not its block, is silence
  EXPECT_EQ(file.size(), 44 + expected.size());
  EXPECT_TRUE(file.compare(44, std::string::npos, expected) == 0);
}

TEST_F(CliRipTest, ABadRequestIsRefusedBeforeAnythingIsRipped) {
  test::WriteWholeFile(temp / "blocker", "a file where a folder should be");
  struct Case {
    std::string arguments;
    int status;
    std::string says;
    std::string settings = "";  // Settings.ini
  } cases[] = {
      {"--tracks 7", 64, "names no audio tracks"},
      {"--tracks 3-1", 64, "names no audio tracks"},
      {"--tracks 2x", 64, "names no audio tracks"},
      {"--rule 'no tokens'", 64, "Naming rule string must contain"},
      {"--format flac", 64, "usage: rip"},
      // Mistakes that are not in the command's words end with status 1.
      {"--output " + ShellQuoted(temp / "blocker/out"), 1, "Can't open  output directory!"},
      {"--format ogg --tracks 9", 64, "names no audio tracks", "[General]\nOutputFormat=2\n"},
  };
  for (const Case& c : cases) {
    test::WriteWholeFile(temp / "home/Settings.ini", c.settings);
    test::ProgramResult result = Rip(c.arguments);
    EXPECT_EQ(result.status, c.status) << c.arguments << ": " << result.out;
    EXPECT_NE(result.out.find(c.says), std::string::npos) << c.arguments << ": " << result.out;
    EXPECT_EQ(result.out.find("Extracting"), std::string::npos) << c.arguments << ": " << result.out;
    EXPECT_TRUE(!fs::exists(temp / "out") || fs::is_empty(temp / "out")) << c.arguments;
  }
  test::WriteWholeFile(temp / "home/Settings.ini", "");
  test::ProgramResult missing = test::RunProgram(std::string(SONVAREK_CLI) + " --home " + ShellQuoted(temp / "home") +
                                                 " rip --image " + ShellQuoted(temp / "none.cue") + " 2>&1");
  EXPECT_EQ(missing.status, 2) << missing.out;
  EXPECT_NE(missing.out.find("none.cue"), std::string::npos) << missing.out;
  EXPECT_FALSE(fs::exists(temp / "out") && !fs::is_empty(temp / "out"));

  // The Ogg setting gives way to --format for this run.
  test::WriteWholeFile(temp / "home/Settings.ini", "[General]\nOutputFormat=2\n");
  test::ProgramResult wav = Rip("--format wav --tracks 2 --rule '<number>'");
  EXPECT_EQ(wav.status, 0) << wav.out;
  EXPECT_TRUE(fs::exists(temp / "out/02.WAV"));
}

// --secure takes no value: the options after it keep theirs. Test and copy is on for that
// run only, as its rip log says, and the settings file never learns of it.
TEST_F(CliRipTest, SecureTurnsTestAndCopyOnForThisRunOnly) {
  const std::string settings = "[Verify]\nAccurateRipServer=\n";
  const std::string log = temp / ("out/" + std::string(text::kRipLogDefaultStem) + ".log");
  auto secureLine = [](const std::string& value) {
    return "\n" + FormatText(text::kRipLogField, text::kRipLogSecureModeLabel, value) + "\n";
  };
  test::WriteWholeFile(temp / "home/Settings.ini", settings);
  for (const std::string arguments : {"--tracks 2 --secure --format wav --rule '<number>'",
                                      "--tracks 2 --format wav --rule '<number>' --secure"}) {
    test::ProgramResult result = Rip(arguments);
    ASSERT_EQ(result.status, 0) << arguments << ": " << result.out;
    std::string file = test::ReadWholeFile(temp / "out/02.WAV");
    ASSERT_EQ(file.size(), 44 + static_cast<size_t>(tracks[1].Length()) * 2352) << arguments;
    EXPECT_TRUE(file.compare(44, std::string::npos, BinSlice(tracks[1])) == 0) << arguments;
    EXPECT_NE(test::ReadWholeFile(log).find(secureLine(FormatText(text::kRipLogSecureRetries, 4))),
              std::string::npos) << arguments << ": " << test::ReadWholeFile(log);
    fs::remove_all(temp / "out");
  }
  EXPECT_EQ(test::ReadWholeFile(temp / "home/Settings.ini"), settings);

  ASSERT_EQ(Rip("--tracks 2 --format wav --rule '<number>'").status, 0);
  EXPECT_NE(test::ReadWholeFile(log).find(secureLine(text::kRipLogSecureOff)), std::string::npos)
      << test::ReadWholeFile(log);
}

// A replacement string with a separator once let a disc text lead above the folder.
TEST_F(CliRipTest, NoSettingOrDiscTextWritesOutsideTheOutputFolder) {
  test::WriteWholeFile(temp / "home/Settings.ini", "[Misc]\nReplaceStr01=/..\n");
  test::ProgramResult result = Rip("--format wav --tracks 2 --rule '<artist>\\<title>' --artist .. --title '2=*'");
  ASSERT_EQ(result.status, 0) << result.out;
  std::vector<std::string> made;
  for (const auto& entry : fs::recursive_directory_iterator(temp.Path())) {
    if (entry.is_regular_file() && entry.path().extension() == ".WAV") made.push_back(entry.path().string());
  }
  EXPECT_EQ(made, std::vector<std::string>{temp / "out/##/##.WAV"});
}

TEST_F(CliRipTest, TracksThatWouldShareAFileAreRefusedBeforeAnyIsRead) {
  test::ProgramResult result = Rip("--format wav --tracks 2,3 --rule '<artist>'");
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("would both be written to " + temp / "out/Artist.WAV"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Extracting"), std::string::npos) << result.out;
  EXPECT_TRUE(fs::is_empty(temp / "out"));
}

// Two rips of one disc into one folder at once: every file is whole, whichever
// rip renamed it last.
TEST_F(CliRipTest, TwoRipsAtOnceIntoOneFolderGiveWholeFiles) {
  const std::string command = "env HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" + ShellQuoted(temp / "tmp") + " " +
                              SONVAREK_CLI + " --home " + ShellQuoted(temp / "home") + " rip --image " +
                              ShellQuoted(kSampleCue) + " --output " + ShellQuoted(temp / "out") +
                              " --format wav --rule '<number>'";
  test::ProgramResult both =
      test::RunProgram("(" + command + " >/dev/null 2>&1; echo first $?) & (" + command +
                       " >/dev/null 2>&1; echo second $?) & wait");
  EXPECT_NE(both.out.find("first 0"), std::string::npos) << both.out;
  EXPECT_NE(both.out.find("second 0"), std::string::npos) << both.out;
  std::vector<std::string> expected;
  for (const TocTrack& track : tracks) {
    if (track.isData) continue;
    char name[16];
    std::snprintf(name, sizeof name, "%02d.WAV", track.number);
    expected.push_back(name);
    std::string file = test::ReadWholeFile(temp / "out" + "/" + name);
    ASSERT_EQ(file.size(), 44 + BinSlice(track).size()) << name;
    EXPECT_TRUE(file.substr(44) == BinSlice(track)) << name;
  }
  expected.insert(expected.end(), {"Unknown album.cue", "Unknown album.log"});
  EXPECT_EQ(test::FileNames(temp / "out"), expected);
  EXPECT_EQ(TemporaryFiles(), 0u);
}

}  // namespace
}  // namespace sonvarek

namespace sonvarek {
namespace {

// The number of stereo samples mpg123 decodes from a file; -1 when it fails.
long DecodedSamples(const std::string& path) {
  test::ProgramResult decoded = test::RunProgram("mpg123 -q -s " + ShellQuoted(path) + " 2>/dev/null | wc -c");
  if (decoded.status != 0) return -1;
  return std::stol(decoded.out) / 4;
}

TEST_F(CliRipTest, RipsToValidTaggedMp3FilesAndLeavesNoTemporaryFile) {
  test::ProgramResult result = Rip("--format mp3 --tracks 2,3 --rule '<number>' --artist 'Ελληνικά' --album 'Disc'");
  ASSERT_EQ(result.status, 0) << result.out;
  for (int index : {1, 2}) {
    const TocTrack& track = tracks[static_cast<size_t>(index)];
    std::string path = temp / ("out/0" + std::to_string(track.number) + ".MP3");
    std::string file = test::ReadWholeFile(path);
    ASSERT_GT(file.size(), 1000u) << path;
    EXPECT_EQ(file.substr(0, 3), "ID3");                      // the ID3v2 tag comes first
    EXPECT_EQ(file.substr(file.size() - 128, 3), "TAG");      // the ID3v1 tag last
    EXPECT_EQ(file.substr(file.size() - 125, 7), "Track " + std::to_string(track.number));
    // Every frame decodes: the samples cover the track, plus at most the encoder's delay and padding.
    long samples = DecodedSamples(path);
    long expected = static_cast<long>(track.Length()) * 588;
    EXPECT_GE(samples, expected) << path;
    EXPECT_LE(samples, expected + 3 * 1152) << path;
  }
  EXPECT_EQ(TemporaryFiles(), 0u);
  EXPECT_NE(result.out.find("Encoding(02/02): Track 3"), std::string::npos) << result.out;
}

// Debian's vorbiscomment and oggdec read the files back.
TEST_F(CliRipTest, RipsToOggFilesWithTheDiscTextsAndLeavesNoTemporaryFile) {
  const std::string comments = "[Ogg Vorbis]\nTitle=1\nArtist=1\nAlbum=1\nTrackNo=1\n";
  struct Case {
    std::string format;
    std::string settings;
  };
  for (const Case& c : {Case{"--format ogg", comments}, Case{"", comments + "[General]\nOutputFormat=2\n"}}) {
    fs::remove_all(temp / "out");
    test::WriteWholeFile(temp / "home/Settings.ini", c.settings);
    test::ProgramResult result = Rip(c.format + " --tracks 2 --rule '<number>' --artist 'Björk' --album 'Homogenic'");
    ASSERT_EQ(result.status, 0) << c.format << ": " << result.out;
    EXPECT_EQ(test::FileNames(temp / "out"), (std::vector<std::string>{"02.ogg", "Homogenic.cue", "Homogenic.log"}))
        << c.format;
    const std::string path = temp / "out/02.ogg";
    // -R: the comments as stored (UTF-8), whatever the locale.
    test::ProgramResult tags = test::RunProgram("LANG=C vorbiscomment -R -l " + ShellQuoted(path) + " 2>&1");
    EXPECT_EQ(tags.out, "TITLE=Track 2\nARTIST=Björk\nALBUM=Homogenic\nTRACKNUMBER=02\n") << c.format;
    test::ProgramResult decoded = test::RunProgram("oggdec -Q -R -o - " + ShellQuoted(path) + " | wc -c");
    EXPECT_EQ(std::stol(decoded.out), static_cast<long>(tracks[1].Length()) * 2352) << c.format;
    EXPECT_EQ(TemporaryFiles(), 0u) << c.format;
    EXPECT_NE(result.out.find("Encoding(01/01): Track 2"), std::string::npos) << result.out;
  }
}

TEST_F(CliRipTest, NormalizingScalesAClippedTrackByItsPeak) {
  // Track 5 reaches −32768, so its factor at 100 % is 32767/32768.
  test::WriteWholeFile(temp / "home/Settings.ini", "[Misc]\nNormalize=1\nNormalizeRatio=100\n");
  test::ProgramResult result = Rip("--format wav --tracks 5 --rule '<number>'");
  ASSERT_EQ(result.status, 0) << result.out;
  std::string source = BinSlice(tracks[4]);
  std::vector<int16_t> ripped = test::ReadWavSamples(temp / "out/05.WAV");
  ASSERT_EQ(ripped.size() * 2, source.size());
  size_t differing = 0;
  bool sawLowest = false;
  for (size_t i = 0; i < ripped.size(); ++i) {
    auto sample = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint8_t>(source[2 * i]) |
                                                             (static_cast<uint8_t>(source[2 * i + 1]) << 8)));
    sawLowest = sawLowest || sample == -32768;
    auto scaled = static_cast<int16_t>(static_cast<int64_t>(std::trunc(sample * (32767.0 / 32768.0) + 0.5)));
    differing += ripped[i] != scaled;
  }
  EXPECT_TRUE(sawLowest);
  EXPECT_EQ(differing, 0u);
  EXPECT_NE(result.out.find("Normalizing(01/01): " + temp / "out/05.WAV"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace sonvarek
