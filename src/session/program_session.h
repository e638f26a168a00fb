#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cdrom/cd_player.h"
#include "core/settings_store.h"
#include "jobs/job_log.h"
#include "jobs/mp3_encoder_library.h"
#include "platform/auto_play.h"
#include "platform/master_volume.h"
#include "session/batch_session.h"
#include "session/disc_session.h"
#include "session/options_sheet.h"
#include "session/track_list_rows.h"

namespace sonvarek {

// The whole running program without its windows: the settings of the program folder,
// the encoder library, the drive with its disc and track list, the player, the
// master volume, the job log and the batch worker. The desktop program's main window
// renders it and forwards its commands; tests drive it directly.
//
// Start-up and shut-down keep this order: settings (constructor), encoder library,
// CD driver, auto-play, volume, disc read; and at the end: disc saved, playback
// stopped, auto-play restored, settings saved, log emptied.
class ProgramSession {
 public:
  // `home`: the program folder (empty: the system's); `autoRun`: the desktop's
  // auto-play value this run switches.
  ProgramSession(std::string_view home, UserNotice& notice, AutoRunSetting& autoRun);
  ~ProgramSession();
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  void Start();
  void Shutdown(const WindowGeometry& geometry);

  // Refresh TOC: the disc read again, the player told. An empty drive is shown on
  // the status line rather than told when `quiet` (start-up and media changes).
  DiscResult RefreshToc(bool quiet = false);
  // The drive box: unit `unit` becomes the drive (CDROMDriver) and its disc is read.
  DiscResult ChooseUnit(int unit);
  // Eject CD: playback stops, the texts are saved, the drive ejects.
  bool Eject();
  // The media watcher saw a change: the disc is read again when it differs.
  bool MediaChanged();

  // Extract: the drive stops playing, then the rip of the checked rows; nothing when
  // no row is checked (the caller shows text::kSelectOneItem).
  std::unique_ptr<ConversionBatch> MakeRip();
  std::unique_ptr<ConversionBatch> MakeFiles(BatchKind kind, const std::vector<std::string>& files) const;

  // An accepted options sheet: `accepted` becomes the live settings and what changed
  // is put to work: the encoder engine, the drive (made anew and its disc read, its
  // texts saved first), the driver's retry count and type, the player's output and
  // the desktop's auto-play. The caller redraws what the returned changes name.
  OptionsChanges ApplyOptions(Settings accepted);

  // The master volume slider.
  void SetVolume(long value);

  Settings& settings() { return settings_; }
  const PlatformFolders& folders() const { return folders_; }
  DiscSession& disc() { return disc_; }
  JobLog& log() { return log_; }
  BatchController& batches() { return *batches_; }
  Mp3EncoderLibrary& encoder() { return encoder_; }
  // Null while no drive is open.
  CdPlayer* player() { return player_.get(); }
  // Null until start-up made it; not available without a sound card's mixer.
  MasterVolumeControl* volume() { return volume_.get(); }
  // The two status lines: "Device: %s" or "No CDROM found!", and
  // "Please Insert An Audio CD!" while the drive holds no audio disc.
  const std::string& deviceText() const { return deviceText_; }
  const std::string& discText() const { return discText_; }
  bool started() const { return started_; }

 private:
  class DiscNotice;
  void MakePlayer();

  std::unique_ptr<DiscNotice> discNotice_;
  UserNotice& notice_;
  PlatformFolders folders_;
  Settings settings_;
  DiscSession disc_;
  Mp3EncoderLibrary encoder_;
  std::unique_ptr<BatchController> batches_;
  JobLog log_;
  AutoPlaySwitch autoPlay_;
  std::unique_ptr<MasterVolumeControl> volume_;
  TrackListRows rows_;
  std::unique_ptr<PlaybackOutput> output_;
  std::unique_ptr<CdPlayer> player_;
  std::string deviceText_;
  std::string discText_;
  bool started_ = false;
};

}  // namespace sonvarek
