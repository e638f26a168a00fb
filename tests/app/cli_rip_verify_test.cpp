// A rip looks its tracks up on an AccurateRip server (one on 127.0.0.1 serving a
// canned database file) and writes the verdicts into the job log, the rip log and
// the CUE sheet beside the files.
#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/disc_reader.h"
#include "cdrom/scsi_driver_image.h"
#include "core/text_format.h"
#include "freedb/disc_id.h"
#include "support/hostile_server.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "verify/accuraterip.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
const std::string kSampleBin = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.bin";

// The sample disc as the database would know it, computed here from the image.
struct SampleDisc {
  AccurateRipDiscIds ids;
  std::vector<uint32_t> v1, v2;
};

SampleDisc ComputeSampleDisc() {
  Settings settings;
  CSCSIDriverImage driver(settings, {kSampleCue});
  EXPECT_NE(driver.Init(0), 0);
  DiscTOC toc;
  DiscRecord disc;
  std::vector<TocTrack> tracks = ReadDisc(driver, toc, disc).tracks;
  DiscTOC msf;
  EXPECT_NE(driver.ReadTOC(msf, 1), 0);
  DiscIdInfo freedb;
  ComputeFreedbDiscId(msf, freedb);
  std::vector<RipTocTrack> toc2;
  for (const TocTrack& t : tracks) toc2.push_back({t.number, t.startSector, t.endSector, t.isData});
  SampleDisc sample;
  sample.ids = AccurateRipIdsOfToc(toc2, LeadOutSector(toc), freedb.discId);
  const std::string bin = test::ReadWholeFile(kSampleBin);
  for (size_t i = 0; i < tracks.size(); ++i) {
    const TocTrack& t = tracks[i];
    AccurateRipChecksum sums(uint64_t{t.Length()} * 588, i == 0, i + 1 == tracks.size());
    sums.Add({reinterpret_cast<const uint8_t*>(bin.data()) + size_t{t.startSector} * 2352, size_t{t.Length()} * 2352});
    sample.v1.push_back(sums.V1());
    sample.v2.push_back(sums.V2());
  }
  return sample;
}

void PutLittleEndian(std::string& out, uint32_t value) {
  for (int b = 0; b < 4; ++b) out += static_cast<char>(value >> (8 * b));
}

// One submitter block: the disc's ids, then confidence and checksum per track.
std::string Block(const AccurateRipDiscIds& ids, const std::vector<std::pair<int, uint32_t>>& tracks) {
  std::string out(1, static_cast<char>(tracks.size()));
  PutLittleEndian(out, ids.id1);
  PutLittleEndian(out, ids.id2);
  PutLittleEndian(out, ids.freedbId);
  for (const auto& [confidence, checksum] : tracks) {
    out += static_cast<char>(confidence);
    PutLittleEndian(out, checksum);
    PutLittleEndian(out, 0);
  }
  return out;
}

std::string Hex(uint32_t value) { return FormatText("%08X", value); }

class CliRipVerifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp / "tmp");
    fs::create_directories(temp / "home");
  }
  test::ProgramResult Rip(uint16_t port) {
    const std::string server = FormatText("http://127.0.0.1:%d/accuraterip/", static_cast<int>(port));
    fs::remove_all(temp / "out");
    return test::RunProgram("env HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" + ShellQuoted(temp / "tmp") +
                            " SONVAREK_ACCURATERIP_SERVER=" + server + " " + SONVAREK_CLI + " --home " +
                            ShellQuoted(temp / "home") + " rip --image " + ShellQuoted(kSampleCue) + " --output " +
                            ShellQuoted(temp / "out") + " --format wav --rule '<number>' --album 'Sample: Disc' 2>&1");
  }
  std::string RipLog() const { return test::ReadWholeFile(temp / "out/Sample& Disc.log"); }

  test::TempFolder temp;
  SampleDisc sample = ComputeSampleDisc();
};

TEST_F(CliRipVerifyTest, VerdictsOfAV1AndAV2MatchAndOfMismatchesReachEveryLog) {
  ASSERT_EQ(sample.v1.size(), 5u);
  // Track 1 matches by its v1 sum, track 2 by its v2 sum (in a second submitter's
  // block), the others are in the file with other sums; a block of another disc is ignored.
  AccurateRipDiscIds other = sample.ids;
  other.id1 += 1;
  std::string database =
      Block(sample.ids, {{3, sample.v1[0]}, {9, 0x11111111}, {2, 0x22222222}, {4, 0x33333333}, {5, 0x44444444}}) +
      Block(sample.ids, {{1, 0x55555555}, {7, sample.v2[1]}, {1, 0x66666666}, {1, 0x77777777}, {1, 0x88888888}}) +
      Block(other, {{99, sample.v1[2]}, {99, sample.v1[2]}, {99, sample.v1[2]}, {99, sample.v1[3]}, {99, sample.v1[4]}});
  test::HostileServer server({test::AnswerWhole("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" +
                                                database)});
  test::ProgramResult result = Rip(server.port());
  ASSERT_EQ(result.status, 0) << result.out;
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /accuraterip/" + AccurateRipDatabasePath(sample.ids) + " HTTP/1.0\r\n", 0),
            0u)
      << server.requests()[0];

  const std::string verdict1 = "Accurately ripped (confidence 3) [" + Hex(sample.v1[0]) + "] (AR v1)";
  const std::string verdict2 = "Accurately ripped (confidence 7) [" + Hex(sample.v2[1]) + "] (AR v2)";
  EXPECT_NE(result.out.find(") AccurateRip: Track 1: " + verdict1 + "\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(") AccurateRip: Track 2: " + verdict2 + "\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(") AccurateRip: Track 3: Not accurately ripped\n"), std::string::npos) << result.out;

  const std::string log = RipLog();
  EXPECT_NE(log.find(verdict1), std::string::npos) << log;
  EXPECT_NE(log.find(verdict2), std::string::npos) << log;
  EXPECT_NE(log.find("AccurateRip v1: " + Hex(sample.v1[2])), std::string::npos) << log;
  EXPECT_NE(log.find("AccurateRip v2: " + Hex(sample.v2[4])), std::string::npos) << log;
  EXPECT_NE(log.find("\n3 tracks not verified\n"), std::string::npos) << log;
  const std::string sheet = test::ReadWholeFile(temp / "out/Sample& Disc.cue");
  EXPECT_NE(sheet.find("FILE \"05.WAV\" WAVE"), std::string::npos) << sheet;
}

// Not in the database, and a server that never answers: the rip completes and its
// logs say why the tracks could not be verified.
TEST_F(CliRipVerifyTest, ATrackNotInTheDatabaseOrAServerThatNeverAnswersStillCompletesTheRip) {
  {
    test::HostileServer server({test::AnswerWhole("HTTP/1.0 404 Not Found\r\n\r\n")});
    test::ProgramResult result = Rip(server.port());
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find(") AccurateRip: Track 5: Not present in database\n"), std::string::npos) << result.out;
    EXPECT_NE(RipLog().find("Not present in database"), std::string::npos);
  }
  test::HostileServer silent({test::AnswerThenStall("")});
  const auto start = std::chrono::steady_clock::now();
  test::ProgramResult result = Rip(silent.port());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(40));
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(fs::exists(temp / "out/05.WAV"), true);
  const std::string log = RipLog();
  EXPECT_NE(log.find("\n5 tracks not verified\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Accurately ripped"), std::string::npos) << log;
  EXPECT_NE(result.out.find(") AccurateRip: Track 1: The AccurateRip server"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace sonvarek
