#include "session/program_session.h"

#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/selected_tracks_playback.h"

namespace sonvarek {

// The disc session's notices on their way to the user: while quiet, an empty drive
// goes to the status line instead of a message box.
class ProgramSession::DiscNotice final : public UserNotice {
 public:
  DiscNotice(UserNotice& target, std::string& discText) : target_(target), discText_(discText) {}
  void Show(std::string_view text, NoticeKind kind) override {
    bool emptyDrive = text.starts_with(text::kPleaseInsertAnAudioCd);
    if (emptyDrive) discText_ = text::kPleaseInsertAnAudioCd;
    if (!(emptyDrive && quiet)) target_.Show(text, kind);
  }
  bool quiet = false;

 private:
  UserNotice& target_;
  std::string& discText_;
};

ProgramSession::ProgramSession(std::string_view home, UserNotice& notice, AutoRunSetting& autoRun)
    : discNotice_(std::make_unique<DiscNotice>(notice, discText_)),
      notice_(notice),
      folders_(SystemFolders(home)),
      settings_(LoadSettings(folders_, notice)),
      disc_(settings_, *discNotice_, folders_.programFolder),
      batches_(std::make_unique<BatchController>(encoder_)),
      autoPlay_(autoRun),
      rows_(disc_) {}

ProgramSession::~ProgramSession() {
  batches_->Cancel();
  batches_->Wait();
}

void ProgramSession::Start() {
  // Set first: a notice shown during start-up may be where the program is told to end.
  started_ = true;
  LoadEncoderAtStart(encoder_, settings_.MP3Encoder, notice_);
  DiscResult opened = disc_.OpenDrive(DriveChoice{});
  if (opened == DiscResult::Ready) MakePlayer();
  deviceText_ = player_ ? deviceText_ : std::string(text::kNoCdromFound);
  autoPlay_.Start(settings_.DisableAutoPlay != 0);
  volume_ = std::make_unique<MasterVolumeControl>();
  if (volume_->IsAvailable()) volume_->Unmute();
  if (opened == DiscResult::Ready) RefreshToc(true);
}

void ProgramSession::Shutdown(const WindowGeometry& geometry) {
  if (!started_) return;
  started_ = false;
  batches_->Cancel();
  batches_->Wait();
  disc_.SaveDisc();
  if (player_ && settings_.StopPlayExit != 0) player_->Stop();
  player_.reset();
  output_.reset();
  autoPlay_.Restore();
  std::string error;
  if (!SaveSettings(settings_, geometry, folders_, &error)) notice_.Show(error, NoticeKind::Error);
  log_.Clear();
}

void ProgramSession::MakePlayer() {
  player_.reset();
  output_.reset();
  CSCSIDriver* driver = disc_.driver();
  if (driver == nullptr || disc_.Units().empty()) return;
  output_ = MakePlaybackOutput(settings_, *driver, disc_.toc());
  size_t unit = static_cast<size_t>(settings_.CDROMDriver);
  if (unit >= disc_.Units().size()) unit = 0;
  deviceText_ = FormatText(text::kDeviceStatusFormat, disc_.Units()[unit].DisplayName());
  player_ = std::make_unique<CdPlayer>(*output_, disc_.toc(), rows_, deviceText_);
}

DiscResult ProgramSession::RefreshToc(bool quiet) {
  if (player_) player_->Stop();
  discText_.clear();
  discNotice_->quiet = quiet;
  DiscResult result = disc_.ReadDisc();
  discNotice_->quiet = false;
  if (result == DiscResult::NoDrive) discText_.clear();
  if (player_) player_->DiscRead();
  return result;
}

DiscResult ProgramSession::ChooseUnit(int unit) {
  if (player_) player_->Stop();
  disc_.SaveDisc();
  DiscResult opened = disc_.OpenDrive(DriveChoice{.device = unit, .image = {}});
  MakePlayer();
  if (!player_) deviceText_ = text::kNoCdromFound;
  if (opened != DiscResult::Ready) return opened;
  return RefreshToc(true);
}

bool ProgramSession::Eject() {
  if (player_) player_->Stop();
  bool saved = disc_.Eject();
  discText_ = text::kPleaseInsertAnAudioCd;
  return saved;
}

bool ProgramSession::MediaChanged() {
  discNotice_->quiet = true;
  bool reread = disc_.MediaChanged();
  discNotice_->quiet = false;
  if (!reread) return false;
  if (player_) player_->DiscRead();
  discText_ = disc_.tracks().Rows().empty() ? text::kPleaseInsertAnAudioCd : "";
  return true;
}

std::unique_ptr<ConversionBatch> ProgramSession::MakeRip() {
  if (disc_.tracks().CheckedTracks().empty()) return nullptr;
  if (player_) player_->BeforeExtraction();
  return MakeRipBatch(disc_, settings_);
}

std::unique_ptr<ConversionBatch> ProgramSession::MakeFiles(BatchKind kind, const std::vector<std::string>& files) const {
  return MakeFileBatch(kind, files, settings_);
}

OptionsChanges ProgramSession::ApplyOptions(Settings accepted) {
  OptionsChanges changes = ChangesToApply(settings_, accepted);
  const int32_t engineInUse = settings_.MP3Encoder;
  settings_ = std::move(accepted);
  if (changes.encoderEngine) {
    const int32_t chosen = settings_.MP3Encoder;
    settings_.MP3Encoder = engineInUse;  // ChangeEncoder takes the old engine from here
    ChangeEncoder(encoder_, settings_.MP3Encoder, chosen, notice_);
  }
  if (!started_) return changes;
  if (changes.reopenDrive) {
    ChooseUnit(settings_.CDROMDriver);
  } else if (changes.playbackOutput) {
    if (player_) player_->Stop();
    MakePlayer();
    if (player_) player_->DiscRead();
  }
  if (changes.driveOptions && disc_.driver() != nullptr) disc_.driver()->SetOptions(settings_);
  if (changes.autoPlay) autoPlay_.Apply(settings_.DisableAutoPlay != 0);
  return changes;
}

void ProgramSession::SetVolume(long value) {
  if (volume_ && volume_->IsAvailable()) volume_->SetVolume(value);
}

}  // namespace sonvarek
