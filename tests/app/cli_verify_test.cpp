#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "core/text_format.h"
#include "support/hostile_server.h"
#include "support/image_fixture.h"
#include "support/run_program.h"
#include "support/wav_fixture.h"
#include "verify/accuraterip.h"
#include "verify/accuraterip_database.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

// Three audio tracks from sector 0; the first and last are longer than the 5 sectors
// the sums leave out at the disc's ends.
const std::vector<uint32_t> kLengths = {40, 30, 50};
const std::vector<RipTocTrack> kToc = {{1, 0, 40, false}, {2, 40, 70, false}, {3, 70, 120, false}};
constexpr uint32_t kLeadOut = 120;
// Every track starts in second 2 (150 frames of lead-in added), the lead-out in second 3:
// digit sums 6, one second of playing time, 3 tracks.
constexpr uint32_t kFreedbId = 0x06000103;

std::string Le32(uint32_t value) { return test::Le(value, 4); }

struct Sums {
  uint32_t v1 = 0;
  uint32_t v2 = 0;
};

class CliVerifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp / "home");
    fs::create_directories(temp / "disc");
    cue = test::WriteDiscImage(temp / "disc", kLengths);
    test::WriteWholeFile(temp / "disc/disc.bin", bin);
    for (const RipTocTrack& track : kToc) {
      std::string path = temp / ("track" + std::to_string(track.number) + ".wav");
      WriteCdWav(path, SectorsOf(track));
      files.push_back(path);
    }
    ids = AccurateRipIdsOfToc(kToc, kLeadOut, kFreedbId);
  }

  // Samples of full scale, so that the v1 and v2 sums differ.
  static std::string Noise(size_t bytes) {
    std::string noise(bytes, '\0');
    uint32_t state = 12345;
    for (char& byte : noise) {
      state = state * 1664525u + 1013904223u;
      byte = static_cast<char>(state >> 24);
    }
    return noise;
  }
  std::string SectorsOf(const RipTocTrack& track) const {
    return bin.substr(size_t{track.startSector} * test::kRawSectorBytes,
                      size_t{track.endSector - track.startSector} * test::kRawSectorBytes);
  }

  static void WriteCdWav(const std::string& path, const std::string& samples) {
    auto header = SerializeWavHeader(CdWavHeader(static_cast<uint32_t>(samples.size())));
    test::WriteWholeFile(path, std::string(header.begin(), header.end()) + samples);
  }

  // The sums of file k (1-based) as the verify library computes them.
  Sums SumsOf(int k) const {
    std::string data = test::ReadWholeFile(files[static_cast<size_t>(k - 1)]).substr(44);
    AccurateRipChecksum checksum(data.size() / 4, k == 1, k == static_cast<int>(kToc.size()));
    checksum.Add(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    return {checksum.V1(), checksum.V2()};
  }

  // A database file of one block for the disc: per track its confidence and checksum.
  std::string Database(const std::vector<std::pair<int, uint32_t>>& tracks) const {
    std::string bytes(1, static_cast<char>(tracks.size()));
    bytes += Le32(ids.id1) + Le32(ids.id2) + Le32(ids.freedbId);
    for (auto [confidence, checksum] : tracks) bytes += std::string(1, static_cast<char>(confidence)) + Le32(checksum) + Le32(0);
    return bytes;
  }

  void UseServer(const std::string& base) {
    test::WriteWholeFile(temp / "home/Settings.ini", "[Verify]\nAccurateRipServer=" + base + "\n");
  }
  static std::string Base(uint16_t port) { return "http://127.0.0.1:" + std::to_string(port) + "/accuraterip/"; }

  std::string CommandLine(const std::string& arguments) const {
    return "env -u SONVAREK_CD_IMAGE -u SONVAREK_ACCURATERIP_SERVER HOME=" + ShellQuoted(temp / "user") + " " + SONVAREK_CLI + " --home " +
           ShellQuoted(temp / "home") + " verify --image " + ShellQuoted(cue) + " " + arguments;
  }
  test::ProgramResult Verify(const std::string& arguments, bool withErrors = false) const {
    return test::RunProgram(CommandLine(arguments) + (withErrors ? " 2>&1" : " 2>/dev/null"));
  }
  std::string AllFiles() const {
    std::string arguments;
    for (const std::string& file : files) arguments += ShellQuoted(file) + " ";
    return arguments;
  }

  // The lines as a user reads them, written out here rather than taken from the
  // program's own formats, so that a changed format shows.
  std::string DiscLine() const {
    return FormatText("AccurateRip disc id: %03d-%08x-%08x-%08x\n", ids.trackCount, ids.id1, ids.id2, ids.freedbId);
  }
  std::string TrackLine(int k, const std::string& verdict) const {
    Sums sums = SumsOf(k);
    return FormatText("Track %2d  AccurateRip v1: %08X  v2: %08X  %s\n", k, sums.v1, sums.v2, verdict);
  }
  static std::string Accurate(int confidence, uint32_t checksum, int version) {
    return FormatText("Accurately ripped (confidence %d) [%08X] (AR v%d)", confidence, checksum, version);
  }

  test::TempFolder temp;
  const std::string bin = Noise(size_t{kLeadOut} * test::kRawSectorBytes);
  std::string cue;
  std::vector<std::string> files;
  AccurateRipDiscIds ids;
};

TEST_F(CliVerifyTest, EveryFileFoundInTheDatabaseIsAccurateAndTheRightFileWasAskedFor) {
  // Track 2 is known by its v2 sum only, as a newer submitter gives it.
  test::HostileServer server({test::AnswerWhole("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" +
                                                Database({{3, SumsOf(1).v1}, {7, SumsOf(2).v2}, {2, SumsOf(3).v1}}))});
  UseServer(Base(server.port()));
  test::ProgramResult result = Verify(AllFiles());
  EXPECT_EQ(result.status, 0) << Verify(AllFiles(), true).out;
  EXPECT_EQ(result.out, DiscLine() + TrackLine(1, Accurate(3, SumsOf(1).v1, 1)) +
                            TrackLine(2, Accurate(7, SumsOf(2).v2, 2)) + TrackLine(3, Accurate(2, SumsOf(3).v1, 1)));
  ASSERT_FALSE(server.requests().empty());
  EXPECT_TRUE(server.requests()[0].starts_with("GET /accuraterip/" + AccurateRipDatabasePath(ids) + " "))
      << server.requests()[0];
}

TEST_F(CliVerifyTest, AnAlteredFileIsNotAccurateAndFailsTheRun) {
  const std::string database = Database({{3, SumsOf(1).v1}, {3, SumsOf(2).v1}, {3, SumsOf(3).v1}});
  std::string samples = SectorsOf(kToc[1]);
  samples[samples.size() / 2] ^= 1;  // one bit of one sample in the middle of track 2
  WriteCdWav(files[1], samples);
  test::HostileServer server({test::AnswerWhole("HTTP/1.0 200 OK\r\n\r\n" + database)});
  UseServer(Base(server.port()));
  test::ProgramResult result = Verify(AllFiles());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, DiscLine() + TrackLine(1, Accurate(3, SumsOf(1).v1, 1)) +
                            TrackLine(2, "Not accurately ripped") + TrackLine(3, Accurate(3, SumsOf(3).v1, 1)));
}

// Fewer files than tracks check the first tracks; the last of them is no disc's last
// track, so its sums take in its last sectors.
TEST_F(CliVerifyTest, WithoutAnAnswerOfTheDatabaseEveryLineSaysWhyAndTheRunFails) {
  test::HostileServer missing({test::AnswerWhole("HTTP/1.0 404 Not Found\r\n\r\n")});
  UseServer(Base(missing.port()));
  test::ProgramResult notPresent = Verify(ShellQuoted(files[0]) + " " + ShellQuoted(files[1]));
  EXPECT_EQ(notPresent.status, 1);
  EXPECT_EQ(notPresent.out, DiscLine() + TrackLine(1, "Not present in database") +
                                TrackLine(2, "Not present in database"));

  UseServer("");
  test::ProgramResult notLookedUp = Verify(AllFiles());
  EXPECT_EQ(notLookedUp.status, 1);
  EXPECT_EQ(notLookedUp.out, DiscLine() + TrackLine(1, "Not looked up") +
                                 TrackLine(2, "Not looked up") + TrackLine(3, "Not looked up"));

  // A server that hangs up without a word: the look-up's own sentence stands as the verdict.
  test::HostileServer rude({test::ResetConnection()});
  UseServer(Base(rude.port()));
  test::ProgramResult failed = Verify(ShellQuoted(files[0]));
  EXPECT_EQ(failed.status, 1);
  const std::string head = DiscLine() + TrackLine(1, "");
  ASSERT_TRUE(failed.out.starts_with(head.substr(0, head.size() - 1))) << failed.out;
  const std::string verdict = failed.out.substr(head.size() - 1);
  EXPECT_GT(verdict.size(), 1u) << failed.out;
  EXPECT_EQ(verdict.find("Not present in database"), std::string::npos);
  EXPECT_EQ(verdict.find("Not looked up"), std::string::npos);
}

TEST_F(CliVerifyTest, ARefusedFileIsToldAndTheOthersAreStillChecked) {
  test::WriteWholeFile(temp / "notes.wav", "these are not samples");
  test::WriteWav(temp / "mono.wav", std::vector<int16_t>(588 * 40, 7), 1);
  UseServer("");
  test::ProgramResult result = test::RunProgram(CommandLine(ShellQuoted(temp / "notes.wav") + " " +
                                                           ShellQuoted(files[1]) + " " + ShellQuoted(temp / "mono.wav")) +
                                               " 2>&1 >/dev/null");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "sonvarek: " + temp / "notes.wav" + " is not a WAV file of CD audio (16-bit PCM, stereo, 44100 Hz)\n" +
                            "sonvarek: " + temp / "mono.wav" + " is not a WAV file of CD audio (16-bit PCM, stereo, 44100 Hz)\n");
  EXPECT_EQ(Verify(ShellQuoted(temp / "notes.wav") + " " + ShellQuoted(files[1])).out,
            DiscLine() + TrackLine(2, "Not looked up"));

  test::ProgramResult missing = Verify(ShellQuoted(temp / "gone.wav"), true);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find(temp / "gone.wav" + " cannot be read"), std::string::npos)
      << missing.out;
}

TEST_F(CliVerifyTest, AWrongCommandLineIsAUsageError) {
  UseServer("");
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {AllFiles() + ShellQuoted(files[0]), "4 files given, but the disc has only 3 audio tracks"},
      {"", "verify needs at least one WAV file"},
      {"--tracks 1 " + AllFiles(), "verify: unknown option '--tracks'"},
  };
  for (const Case& c : cases) {
    test::ProgramResult result = Verify(c.arguments, true);
    EXPECT_EQ(result.status, 64) << c.arguments;
    EXPECT_NE(result.out.find("sonvarek: " + c.message + "\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Track "), std::string::npos) << result.out;
  }
}

TEST_F(CliVerifyTest, CtrlCDuringTheLookUpEndsWith130) {
  test::HostileServer silent({test::AnswerThenStall("")});
  UseServer(Base(silent.port()));
  const auto start = std::chrono::steady_clock::now();
  test::InterruptedRun run = test::RunUntilMarkerThenInterrupt(
      {"/bin/sh", "-c", "exec " + CommandLine(AllFiles()) + " >&2"}, "AccurateRip disc id:");
  EXPECT_TRUE(run.signalled) << run.errors;
  EXPECT_EQ(run.status, 130) << run.errors;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(run.errors.find("Track "), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace sonvarek
