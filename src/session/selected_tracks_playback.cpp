#include "session/selected_tracks_playback.h"

#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

// Ten ticks (two seconds) without a playing, paused or completed status end the playback.
constexpr int kSilentTicksBeforeGivingUp = 10;

}  // namespace

std::unique_ptr<PlaybackOutput> MakePlaybackOutput(const Settings& settings, CSCSIDriver& driver, const DiscTOC& toc) {
  if (settings.PlaybackOutput == 1) return std::make_unique<DrivePlayback>(driver);
  return std::make_unique<DigitalPlayback>(driver, toc);
}

SelectedTracksPlayback::SelectedTracksPlayback(DiscSession& session, const Settings& settings, AutoRunSetting& autoRun)
    : autoPlay_(autoRun, settings.DisableAutoPlay != 0),
      output_(MakePlaybackOutput(settings, *session.driver(), session.toc())),
      digital_(dynamic_cast<DigitalPlayback*>(output_.get())),
      rows_(session),
      deviceText_(FormatText(text::kDeviceStatusFormat, std::string(session.Units().front().DisplayName()))),
      player_(std::make_unique<CdPlayer>(*output_, session.toc(), rows_, deviceText_)) {}

bool SelectedTracksPlayback::OutputPlaying() {
  int32_t relative = 0;
  int32_t absolute = 0;
  int32_t status = 0;
  if (!output_->Position(relative, absolute, status)) return false;
  return status == kAudioPlaying || status == kAudioPaused || status == kAudioCompleted;
}

PlaybackTick SelectedTracksPlayback::Tick() {
  PlaybackTick tick;
  player_->Tick();
  if (digital_ != nullptr) tick.notice = digital_->TakeNotice();
  // The player ignores an output that plays nothing, as a window does; a caller that
  // would wait for ever is told to end instead.
  silentTicks_ = player_->paused() || OutputPlaying() ? 0 : silentTicks_ + 1;
  if (player_->timerRunning() && silentTicks_ >= kSilentTicksBeforeGivingUp) {
    player_->Stop();
    tick.nothingPlays = true;
  }
  return tick;
}

void SelectedTracksPlayback::PauseOrResume() {
  if (player_->paused()) {
    player_->PlaySelected();
  } else {
    player_->Pause();
  }
}

}  // namespace sonvarek
