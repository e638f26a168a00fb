#include "session/selected_tracks_playback.h"

#include <gtest/gtest.h>

#include "platform/user_notice.h"
#include "support/memory_auto_run.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

class SelectedTracksPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    environment.Unset("SONVAREK_CD_IMAGE");
    settings.PlaybackOutput = 1;  // the drive's own output: no sound server needed
    settings.DisableAutoPlay = 1;
    ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  }

  test::ScopedEnvironment environment;
  test::TempFolder home;
  Settings settings;
  RecordingNotice notice;
  DiscSession session{settings, notice, home.Path()};
  test::MemoryAutoRun autoRun;
};

// Only the checked rows play, in list order, and Next skips the unchecked ones.
TEST_F(SelectedTracksPlaybackTest, TheCheckedTracksPlayOneAfterTheOther) {
  struct Case {
    const char* tracks;
    int first;   // disc track numbers
    int second;
  } cases[] = {{"2,4", 2, 4}, {"", 1, 2}, {"5,3", 3, 5}};
  for (const Case& c : cases) {
    ASSERT_TRUE(session.SelectTracks(c.tracks)) << c.tracks;
    SelectedTracksPlayback playback(session, settings, autoRun);
    playback.Play();
    EXPECT_TRUE(playback.running()) << c.tracks;
    EXPECT_EQ(playback.player().currentTrack() + 1, c.first) << c.tracks;
    EXPECT_FALSE(playback.Tick().nothingPlays) << c.tracks;
    playback.player().Next();
    EXPECT_EQ(playback.player().currentTrack() + 1, c.second) << c.tracks;
    playback.player().Stop();
  }
}

TEST_F(SelectedTracksPlaybackTest, PauseGoesOnWhereItStoppedAndTheDesktopsAutoPlayComesBack) {
  {
    SelectedTracksPlayback playback(session, settings, autoRun);
    EXPECT_TRUE(autoRun.never);  // DisableAutoPlay while it plays
    playback.Play();
    playback.PauseOrResume();
    EXPECT_TRUE(playback.player().paused());
    playback.PauseOrResume();
    EXPECT_FALSE(playback.player().paused());
    EXPECT_EQ(playback.player().currentTrack(), 0);
  }
  EXPECT_FALSE(autoRun.never);
}

}  // namespace
}  // namespace sonvarek
