#include "cdrom/cd_player.h"

#include <gtest/gtest.h>

#include "cdrom/cdrom_test_support.h"
#include "cdrom/drive_units.h"
#include "cdrom/image_drive.h"
#include "cdrom/scsi_driver_image.h"

namespace sonvarek {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// The sample disc's tracks start at these sectors; the lead-out is at 8260.
constexpr uint32_t kStarts[] = {0, 1073, 1458, 2363, 6753, 8260};

class ClockOpener final : public UnitOpener {
 public:
  std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) override {
    return ImageDrive::Load(unit.path, ImageDriveOptions{{}, clock}, error);
  }
  std::shared_ptr<ManualPlayClock> clock = std::make_shared<ManualPlayClock>();
};

// Five rows in disc order, checked and highlighted as a test says.
class Rows final : public PlayerRows {
 public:
  size_t RowCount() const override { return 5; }
  bool IsChecked(size_t row) const override { return checked[row]; }
  int TrackIndex(size_t row) const override { return static_cast<int>(row); }
  std::optional<size_t> Highlighted() const override { return highlighted; }
  std::string Title(int trackIndex) const override { return "Song " + std::to_string(trackIndex + 1); }

  bool checked[5] = {true, true, true, true, true};
  std::optional<size_t> highlighted;
};

class CdPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(driver.Init(0));
    ASSERT_TRUE(driver.ReadTOC(toc, 0));
  }
  // Moves the drive's clock on and lets the 200 ms timer tick as the window would.
  void Play(milliseconds span) {
    for (milliseconds done{0}; done < span; done += milliseconds(200)) {
      opener.clock->Advance(milliseconds(200));
      if (player.timerRunning()) player.Tick();
    }
  }
  int32_t Relative() {
    int32_t relative = 0, absolute = 0, status = 0;
    output.Position(relative, absolute, status);
    return relative;
  }
  int32_t Absolute() {
    int32_t relative = 0, absolute = 0, status = 0;
    output.Position(relative, absolute, status);
    return absolute;
  }

  ClockOpener opener;
  Settings settings;
  CSCSIDriverImage driver{settings, {test::SampleDisc()}, &opener};
  DiscTOC toc;
  DrivePlayback output{driver};
  Rows rows;
  CdPlayer player{output, toc, rows, "Device: SONVAREK IMAGE DRIVE"};
};

TEST_F(CdPlayerTest, PlayWhilePausedResumesWithoutRestarting) {
  player.PlaySelected();
  EXPECT_EQ(player.currentRow(), 0u);
  EXPECT_EQ(player.sliderMaximum(), 14);
  Play(seconds(4));
  player.Pause();
  EXPECT_TRUE(player.paused());
  Play(seconds(3));
  int32_t pausedAt = Absolute();
  player.PlaySelected();
  EXPECT_FALSE(player.paused());
  EXPECT_EQ(Absolute(), pausedAt);  // not back at the start
  Play(seconds(1));
  EXPECT_EQ(player.timeText(), "00:05");
}

TEST_F(CdPlayerTest, NextAndPreviousWalkTheCheckedRows) {
  for (bool& checked : rows.checked) checked = false;
  rows.checked[1] = rows.checked[4] = true;
  player.PlaySelected();
  EXPECT_EQ(player.currentRow(), 1u);
  player.Next();
  EXPECT_EQ(player.currentRow(), 4u);
  EXPECT_EQ(Absolute(), static_cast<int32_t>(kStarts[4]));
  player.Next();  // past the last checked row: playing ends
  EXPECT_FALSE(player.timerRunning());
  EXPECT_EQ(player.timeText(), "00:00");
  player.Previous();  // from row 5
  EXPECT_EQ(player.currentRow(), 1u);
  player.Previous();  // from row 2: the first checked row again
  EXPECT_EQ(player.currentRow(), 1u);
  EXPECT_TRUE(player.timerRunning());
  EXPECT_EQ(Absolute(), static_cast<int32_t>(kStarts[1]));
}

TEST_F(CdPlayerTest, ATracksEndStartsTheNextCheckedRow) {
  rows.checked[1] = false;
  player.PlaySelected();
  Play(seconds(16));  // track 1 is 14.3 s long
  EXPECT_EQ(player.currentRow(), 2u);
  EXPECT_TRUE(player.timerRunning());
}

TEST_F(CdPlayerTest, TheSliderSeeksWithinTheTrack) {
  rows.highlighted = 3;
  ASSERT_TRUE(player.PlayHighlighted());
  player.SeekDragged(75);
  EXPECT_FALSE(player.timerRunning());
  EXPECT_EQ(player.timeText(), "01:15");
  player.SeekReleased(30);
  EXPECT_TRUE(player.timerRunning());
  EXPECT_EQ(Absolute(), static_cast<int32_t>(kStarts[3] + 2250));
  Play(milliseconds(1000));
  EXPECT_EQ(player.timeText(), "00:31");
  EXPECT_EQ(player.sliderPosition(), 34);  // three seconds ahead

  rows.highlighted.reset();
  EXPECT_FALSE(player.PlayHighlighted());
}

TEST_F(CdPlayerTest, TheStatusLineChangesOnTheThirdDifferingTick) {
  player.PlaySelected();
  EXPECT_EQ(player.statusLine(), "Device: SONVAREK IMAGE DRIVE");
  for (int tick = 1; tick <= 2; ++tick) {
    Play(milliseconds(200));
    EXPECT_EQ(player.statusLine(), "Device: SONVAREK IMAGE DRIVE") << tick;
  }
  Play(milliseconds(200));
  EXPECT_EQ(player.statusLine(), "Playing : Song 1");
  player.Stop();
  EXPECT_EQ(player.statusLine(), "Device: SONVAREK IMAGE DRIVE");
  EXPECT_EQ(player.currentRow(), 0u);
}

// An output that reports what the test says.
class ScriptedOutput final : public PlaybackOutput {
 public:
  bool Play(uint32_t, uint32_t) override { return true; }
  bool Pause(bool) override { return true; }
  bool Stop() override { return true; }
  bool Position(int32_t& relative, int32_t& absolute, int32_t& status) override {
    relative = absolute = this->relative;
    status = kAudioPlaying;
    return true;
  }
  int32_t relative = 0;
};

TEST_F(CdPlayerTest, APositionPastNinetyMinutesIsIgnored) {
  ScriptedOutput scripted;
  CdPlayer odd(scripted, toc, rows, "Device");
  odd.PlaySelected();
  scripted.relative = 75 * 65;
  odd.Tick();
  EXPECT_EQ(odd.timeText(), "01:05");
  scripted.relative = 75 * 60 * 91;
  odd.Tick();
  EXPECT_EQ(odd.timeText(), "01:05");
  EXPECT_EQ(odd.sliderPosition(), 68);
}

}  // namespace
}  // namespace sonvarek
