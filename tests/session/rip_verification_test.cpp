#include "session/rip_verification.h"

#include <chrono>
#include <gtest/gtest.h>

#include "core/string_table.h"
#include "jobs/wav_file.h"
#include "platform/user_notice.h"
#include "support/hostile_server.h"
#include "support/image_fixture.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "support/wav_fixture.h"
#include "verify/accuraterip_database.h"

namespace sonvarek {
namespace {

// An enhanced CD: two audio tracks, then a data track, so the last audio track is
// not the disc's last track.
constexpr uint32_t kFirstLength = 40;
constexpr uint32_t kSecondLength = 30;
constexpr uint32_t kDataLength = 20;
const char* const kSheet =
    "FILE \"disc.bin\" BINARY\n"
    "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n    INDEX 01 00:00:40\n"
    "  TRACK 03 MODE1/2352\n    INDEX 01 00:00:70\n";

class RipVerificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    environment.Unset("SONVAREK_ACCURATERIP_SERVER");
    environment.Unset("SONVAREK_CD_IMAGE");
    settings.AccurateRipServer.clear();  // no look-up unless a test serves one
    test::WriteWholeFile(temp / "disc.cue", kSheet);
    test::WriteWholeFile(temp / "disc.bin", bin);
    ASSERT_EQ(session.Open(DriveChoice{std::nullopt, temp / "disc.cue"}), DiscResult::Ready);
    files = {WriteRip("track1.wav", 0, kFirstLength), WriteRip("track2.wav", kFirstLength, kSecondLength)};
  }

  std::string WriteRip(const std::string& name, uint32_t first, uint32_t length) {
    std::string samples = bin.substr(size_t{first} * test::kRawSectorBytes, size_t{length} * test::kRawSectorBytes);
    auto header = SerializeWavHeader(CdWavHeader(static_cast<uint32_t>(samples.size())));
    test::WriteWholeFile(temp / name, std::string(header.begin(), header.end()) + samples);
    rips.push_back(samples);
    return temp / name;
  }

  // The v1 sum of rip k (1-based) as the track it is of a disc of two audio tracks.
  uint32_t V1Of(int k) const {
    const std::string& data = rips[static_cast<size_t>(k - 1)];
    AccurateRipChecksum checksum(data.size() / 4, k == 1, k == 2);
    checksum.Add(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    return checksum.V1();
  }

  std::string Database(const AccurateRipDiscIds& ids) const {
    std::string bytes(1, '\2');
    bytes += test::Le(ids.id1, 4) + test::Le(ids.id2, 4) + test::Le(ids.freedbId, 4);
    for (int k = 1; k <= 2; ++k) bytes += std::string(1, '\5') + test::Le(V1Of(k), 4) + test::Le(0, 4);
    return bytes;
  }

  test::ScopedEnvironment environment;
  test::TempFolder temp;
  // Every sample differs, so a sum that takes in or leaves out one sector too many is wrong.
  const std::string bin = test::AddressedSectors(0, kFirstLength + kSecondLength + kDataLength);
  std::vector<std::string> rips;
  std::vector<std::string> files;
  Settings settings;
  RecordingNotice notice;
  DiscSession session{settings, notice, temp.Path()};
};

const auto kNever = [] { return false; };

TEST_F(RipVerificationTest, TheLastAudioTrackBeforeADataTrackIsSummedAsTheDiscsLast) {
  RipVerification verification(session);
  ASSERT_EQ(verification.audioTracks(), 2);
  test::HostileServer server(
      {test::AnswerWhole("HTTP/1.0 200 OK\r\n\r\n" + Database(verification.ids()))});
  settings.AccurateRipServer = "http://127.0.0.1:" + std::to_string(server.port()) + "/";

  for (const std::string& file : files) EXPECT_EQ(verification.SumNext(file, kNever), FileSumResult::Summed);
  ASSERT_TRUE(verification.LookUp(settings, kNever));
  std::vector<VerifiedFile> verdicts = verification.Verdicts();
  ASSERT_EQ(verdicts.size(), 2u);
  for (int k = 1; k <= 2; ++k) {
    const VerifiedFile& file = verdicts[static_cast<size_t>(k - 1)];
    EXPECT_EQ(file.number, k);
    EXPECT_EQ(file.v1, V1Of(k));
    EXPECT_TRUE(file.accurate) << file.verdict;
  }
}

// A refused file still takes its track's place: the next file is the next track.
TEST_F(RipVerificationTest, ARefusedFileKeepsItsTrackAndNothingIsLookedUpWithoutAServer) {
  RipVerification verification(session);
  test::WriteWav(temp / "mono.wav", std::vector<int16_t>(588 * 4, 7), 1);
  struct Case {
    std::string path;
    FileSumResult result;
  } cases[] = {{temp / "mono.wav", FileSumResult::NotCdWav}, {files[1], FileSumResult::Summed}};
  for (const Case& c : cases) EXPECT_EQ(verification.SumNext(c.path, kNever), c.result) << c.path;
  ASSERT_TRUE(verification.LookUp(settings, kNever));
  std::vector<VerifiedFile> verdicts = verification.Verdicts();
  ASSERT_EQ(verdicts.size(), 1u);
  EXPECT_EQ(verdicts[0].number, 2);
  EXPECT_EQ(verdicts[0].v1, V1Of(2));
  EXPECT_EQ(verdicts[0].verdict, text::kVerdictNotLookedUp);
  EXPECT_FALSE(verdicts[0].accurate);
  EXPECT_EQ(RipVerification(session).SumNext(temp / "gone.wav", kNever), FileSumResult::Unreadable);
}

TEST_F(RipVerificationTest, AnInterruptEndsTheSumsAndALookUpThatHangs) {
  EXPECT_EQ(RipVerification(session).SumNext(files[0], [] { return true; }), FileSumResult::Cancelled);

  RipVerification verification(session);
  ASSERT_EQ(verification.SumNext(files[0], kNever), FileSumResult::Summed);
  test::HostileServer server({test::AnswerThenStall("HTTP/1.0 200 OK\r\n\r\n")});
  settings.AccurateRipServer = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
  const auto started = std::chrono::steady_clock::now();
  auto interrupted = [&] { return std::chrono::steady_clock::now() - started > std::chrono::milliseconds(200); };
  EXPECT_FALSE(verification.LookUp(settings, interrupted));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

}  // namespace
}  // namespace sonvarek
