#pragma once

#include <cstdint>

#include "cdrom/scsi_driver.h"

namespace sonvarek {

// Where CD audio is played: the drive's own audio output, or the sound system. Each
// command says whether it was carried out; the player never reports failures, it
// just finds no playing status on its next tick.
class PlaybackOutput {
 public:
  virtual ~PlaybackOutput() = default;
  // Plays sectors [start, end).
  virtual bool Play(uint32_t start, uint32_t end) = 0;
  // Pauses (true) or resumes (false).
  virtual bool Pause(bool pause) = 0;
  virtual bool Stop() = 0;
  // Sectors into the current track (relative) and into the disc (absolute), and the
  // audio status (kAudioPlaying, kAudioPaused, kAudioCompleted; anything else: none).
  virtual bool Position(int32_t& relative, int32_t& absolute, int32_t& status) = 0;
};

// PLAY AUDIO and its companions: the drive plays through its own analog output.
class DrivePlayback final : public PlaybackOutput {
 public:
  explicit DrivePlayback(CSCSIDriver& drive) : drive_(drive) {}
  bool Play(uint32_t start, uint32_t end) override { return drive_.PlayAudio(start, end) != 0; }
  bool Pause(bool pause) override { return drive_.Pause(pause) != 0; }
  bool Stop() override { return drive_.StopUnit() != 0; }
  bool Position(int32_t& relative, int32_t& absolute, int32_t& status) override {
    return drive_.GetPlayPosition(relative, absolute, status) != 0;
  }

 private:
  CSCSIDriver& drive_;
};

}  // namespace sonvarek
