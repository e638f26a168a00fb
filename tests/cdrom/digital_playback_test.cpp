#include "cdrom/digital_playback.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "cdrom/cdrom_test_support.h"
#include "cdrom/drive_units.h"
#include "cdrom/image_drive.h"
#include "cdrom/scsi_driver_image.h"
#include "support/private_pulse.h"

namespace sonvarek {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The sample disc's fourth track, 58 s of changing chords, starts at sector 2363.
constexpr uint32_t kTrackStart = 2363;
constexpr uint32_t kTrackEnd = 6753;
constexpr size_t kBytesPerSecond = 44100 * 4;

class DigitalPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pulse.Ready()) << pulse.Problem();
    ASSERT_TRUE(driver.Init(0));
    ASSERT_TRUE(driver.ReadTOC(toc, 0));
  }
  std::string Sector(uint32_t sector) const { return bin.substr(static_cast<size_t>(sector) * 2352, 2352); }
  int32_t Status(DigitalPlayback& output, int32_t* absolute = nullptr) {
    int32_t relative = 0, where = 0, status = 0;
    output.Position(relative, where, status);
    if (absolute) *absolute = where;
    return status;
  }
  // The bytes from the first to the last non-zero one: how long sound was heard.
  static size_t SoundSpan(const std::string& recording) {
    size_t first = recording.find_first_not_of('\0');
    size_t last = recording.find_last_not_of('\0');
    return first == std::string::npos ? 0 : last - first + 1;
  }

  test::PrivatePulse pulse;
  Settings settings;
  CSCSIDriverImage driver{settings, {test::SampleDisc()}};
  DiscTOC toc;
  std::string bin = test::ReadWholeFile(std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.bin");
};

TEST_F(DigitalPlaybackTest, TheSoundSystemHearsTheTracksOwnSamplesFromTheSeekOn) {
  uint32_t from = kTrackStart + 30 * 75;  // the slider released at 30 s
  uint32_t to = from + 2 * 75;
  std::string recording = pulse.Record([&] {
    DigitalPlayback output(driver, toc);
    ASSERT_TRUE(output.Play(from, to));
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Status(output) == kAudioPlaying && Clock::now() < deadline) std::this_thread::sleep_for(milliseconds(20));
    int32_t absolute = 0;
    EXPECT_EQ(Status(output, &absolute), kAudioCompleted);
    EXPECT_EQ(absolute, static_cast<int32_t>(to));
  });
  ASSERT_FALSE(recording.empty());
  EXPECT_NE(recording.find(Sector(from + 10)), std::string::npos);
  EXPECT_NE(recording.find(Sector(to - 10)), std::string::npos);
  EXPECT_EQ(recording.find(Sector(from - 10)), std::string::npos);  // nothing before the seek
  EXPECT_EQ(recording.find(Sector(to + 10)), std::string::npos);    // nor after the end
}

TEST_F(DigitalPlaybackTest, PauseIsSilenceAndResumeGoesOnWhereItWas) {
  DigitalPlayback output(driver, toc);
  int32_t pausedAt = 0;
  std::string recording = pulse.Record([&] {
    ASSERT_TRUE(output.Play(kTrackStart, kTrackEnd));
    std::this_thread::sleep_for(milliseconds(800));
    ASSERT_TRUE(output.Pause(true));
    EXPECT_EQ(Status(output, &pausedAt), kAudioPaused);
    std::this_thread::sleep_for(milliseconds(700));
    ASSERT_TRUE(output.Pause(false));
    EXPECT_EQ(Status(output), kAudioPlaying);
    std::this_thread::sleep_for(milliseconds(600));
    output.Stop();
  });
  EXPECT_GT(pausedAt, static_cast<int32_t>(kTrackStart + 30));
  // The longest silence inside the sound: the pause.
  size_t first = recording.find_first_not_of('\0');
  size_t last = recording.find_last_not_of('\0');
  ASSERT_NE(first, std::string::npos);
  size_t longest = 0;
  for (size_t at = first; at < last;) {
    size_t zeros = recording.find_first_not_of('\0', at) - at;
    longest = std::max(longest, zeros);
    at += zeros + 1;
  }
  EXPECT_GT(longest, kBytesPerSecond * 4 / 10) << "no silence while paused";
  EXPECT_NE(recording.find(Sector(kTrackStart + 20)), std::string::npos);
  EXPECT_NE(recording.find(Sector(static_cast<uint32_t>(pausedAt) + 5)), std::string::npos) << "resumed elsewhere";
}

TEST_F(DigitalPlaybackTest, StopEndsTheSoundAtOnce) {
  Clock::time_point started;
  Clock::time_point stopped;
  std::string recording = pulse.Record([&] {
    DigitalPlayback output(driver, toc);
    started = Clock::now();
    ASSERT_TRUE(output.Play(kTrackStart, kTrackEnd));
    std::this_thread::sleep_for(milliseconds(1000));
    output.Stop();
    stopped = Clock::now();
    EXPECT_NE(Status(output), kAudioPlaying);
  });
  double heard = static_cast<double>(SoundSpan(recording)) / kBytesPerSecond;
  double played = std::chrono::duration<double>(stopped - started).count();
  EXPECT_GT(heard, 0.5);
  EXPECT_LT(heard, played + 0.2) << "sound went on after the stop";
}

// Opens images whose sectors 2400..2409 cannot be read.
class BadSectorOpener final : public UnitOpener {
 public:
  std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) override {
    std::string parseError;
    return ImageDrive::Load(unit.path, ImageDriveOptions{*BadSectorList::Parse("2400-2409", parseError), {}}, error);
  }
};

TEST_F(DigitalPlaybackTest, UnreadableSectorsPlayAsSilenceAndAreToldOnce) {
  BadSectorOpener opener;
  CSCSIDriverImage damaged{settings, {test::SampleDisc()}, &opener};
  ASSERT_TRUE(damaged.Init(0));
  DriveOptions once;
  once.retryTimes = 1;  // the test need not wait for retries
  damaged.SetOptions(once);
  DigitalPlayback output(damaged, toc);
  std::vector<std::string> notices;
  std::string recording = pulse.Record([&] {
    ASSERT_TRUE(output.Play(2390, 2430));
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Status(output) == kAudioPlaying && Clock::now() < deadline) {
      if (auto notice = output.TakeNotice()) notices.push_back(*notice);
      std::this_thread::sleep_for(milliseconds(20));
    }
    if (auto notice = output.TakeNotice()) notices.push_back(*notice);
  });
  EXPECT_EQ(Status(output), kAudioCompleted);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "Sector 2400 could not be read; it plays as silence");
  EXPECT_NE(recording.find(Sector(2392)), std::string::npos);
  EXPECT_NE(recording.find(Sector(2399)), std::string::npos);  // a good sector beside a bad one
  EXPECT_NE(recording.find(Sector(2420)), std::string::npos);  // playing went on after them
}

TEST(DigitalPlaybackWithoutSound, NoServerIsToldAndNothingPlays) {
  test::PrivatePulse none(test::PrivatePulse::Mode::NoServer);
  Settings settings;
  CSCSIDriverImage driver{settings, {test::SampleDisc()}};
  ASSERT_TRUE(driver.Init(0));
  DiscTOC toc;
  ASSERT_TRUE(driver.ReadTOC(toc, 0));
  DigitalPlayback output(driver, toc);
  EXPECT_FALSE(output.Play(kTrackStart, kTrackEnd));
  std::optional<std::string> notice = output.TakeNotice();
  ASSERT_TRUE(notice.has_value());
  EXPECT_TRUE(notice->starts_with("No sound output: ")) << *notice;
  int32_t relative = 0, absolute = 0, status = 0;
  output.Position(relative, absolute, status);
  EXPECT_NE(status, kAudioPlaying);
}

}  // namespace
}  // namespace sonvarek
