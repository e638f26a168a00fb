#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cdrom/cd_player.h"
#include "cdrom/digital_playback.h"
#include "platform/auto_play.h"
#include "session/disc_session.h"
#include "session/track_list_rows.h"

namespace sonvarek {

// The output the PlaybackOutput setting names: the drive's own (1) or the sound
// system (anything else).
std::unique_ptr<PlaybackOutput> MakePlaybackOutput(const Settings& settings, CSCSIDriver& driver, const DiscTOC& toc);

// What one tick of the player brought.
struct PlaybackTick {
  std::optional<std::string> notice;  // the sound system's trouble, once
  bool nothingPlays = false;          // the output stayed silent too long: the player stopped
};

// Play Selected Tracks without a window, for a caller that ticks it until it ends:
// the checked rows of the session's list one after the other, through the output the
// settings name, with the desktop kept from auto-playing a disc meanwhile (the
// DisableAutoPlay setting; the desktop's own value comes back at destruction). The
// session must hold an open drive with its disc read.
class SelectedTracksPlayback {
 public:
  SelectedTracksPlayback(DiscSession& session, const Settings& settings, AutoRunSetting& autoRun);

  // Play Selected Tracks: from the first checked row.
  void Play() { player_->PlaySelected(); }
  // The position timer's tick, every 200 ms while running().
  PlaybackTick Tick();
  // The space key: pause, or go on where it paused.
  void PauseOrResume();

  bool running() const { return player_->timerRunning(); }
  CdPlayer& player() { return *player_; }
  // "Device: %s" of the first unit, the player's status line while nothing plays.
  const std::string& deviceText() const { return deviceText_; }

 private:
  // Restores the desktop's value last of all, once the output is gone.
  class AutoPlayHold {
   public:
    AutoPlayHold(AutoRunSetting& setting, bool disable) : switch_(setting) { switch_.Start(disable); }
    ~AutoPlayHold() { switch_.Restore(); }
    AutoPlayHold(const AutoPlayHold&) = delete;
    AutoPlayHold& operator=(const AutoPlayHold&) = delete;

   private:
    AutoPlaySwitch switch_;
  };

  bool OutputPlaying();

  AutoPlayHold autoPlay_;
  std::unique_ptr<PlaybackOutput> output_;
  DigitalPlayback* digital_;  // the output when it is the sound system's, for its notices
  TrackListRows rows_;
  std::string deviceText_;
  std::unique_ptr<CdPlayer> player_;
  int silentTicks_ = 0;
};

}  // namespace sonvarek
