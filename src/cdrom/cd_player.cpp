#include "cdrom/cd_player.h"

#include "core/cd_units.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

// A reported position past this many minutes is nonsense (no CD is that long).
constexpr int32_t kLongestMinutes = 90;
// The slider runs this far ahead of the shown time.
constexpr int32_t kSliderLead = 3;
// A changed play line replaces the status text on this many differing ticks.
constexpr int kTicksBeforeLineChange = 3;

}  // namespace

CdPlayer::CdPlayer(PlaybackOutput& output, const DiscTOC& toc, PlayerRows& rows, std::string deviceText)
    : output_(output), toc_(toc), rows_(rows), deviceText_(std::move(deviceText)), statusLine_(deviceText_) {}

void CdPlayer::SetDeviceText(std::string text) {
  if (statusLine_ == deviceText_) statusLine_ = text;
  deviceText_ = std::move(text);
}

uint32_t CdPlayer::TrackStart(int trackIndex) const { return toc_.Descriptor(trackIndex).address; }

void CdPlayer::ShowTime(int32_t seconds) { timeText_ = FormatText("%02d:%02d", seconds / 60, seconds % 60); }

void CdPlayer::PlayTrack(int trackIndex) {
  uint32_t start = TrackStart(trackIndex);
  uint32_t end = TrackStart(trackIndex + 1);
  output_.Play(start, end);
  sliderMaximum_ = end > start ? static_cast<int32_t>((end - start) / kSectorsPerSecond) : 0;
  timerRunning_ = true;
}

void CdPlayer::PlayRow(size_t row) {
  currentRow_ = row;
  currentTrack_ = rows_.TrackIndex(row);
  PlayTrack(currentTrack_);
}

bool CdPlayer::AnyChecked() const {
  for (size_t row = 0; row < rows_.RowCount(); ++row) {
    if (rows_.IsChecked(row)) return true;
  }
  return false;
}

void CdPlayer::PlaySelected() {
  if (paused_) {
    output_.Pause(false);
    paused_ = false;
    return;
  }
  for (size_t row = 0; row < rows_.RowCount(); ++row) {
    if (!rows_.IsChecked(row)) continue;
    PlayRow(row);
    sliderPosition_ = 0;
    paused_ = false;
    return;
  }
  timerRunning_ = false;
  ShowTime(0);
}

bool CdPlayer::PlayHighlighted() {
  std::optional<size_t> row = rows_.Highlighted();
  if (!row || *row >= rows_.RowCount()) return false;
  PlayRow(*row);
  return true;
}

void CdPlayer::Stop() {
  output_.Stop();
  timerRunning_ = false;
  statusLine_ = deviceText_;
  currentRow_ = 0;
  currentTrack_ = 0;
  ShowTime(0);
  paused_ = false;
  sliderPosition_ = 0;
}

void CdPlayer::Halt() {
  paused_ = false;
  output_.Stop();
  timerRunning_ = false;
  ShowTime(0);
  sliderPosition_ = 0;
}

void CdPlayer::Previous() {
  Halt();
  if (!AnyChecked()) return;
  for (size_t row = currentRow_; row-- > 0;) {
    if (rows_.IsChecked(row)) return PlayRow(row);
  }
  PlaySelected();
}

void CdPlayer::Next() {
  Halt();
  if (!AnyChecked()) return;
  for (size_t row = currentRow_ + 1; row < rows_.RowCount(); ++row) {
    if (rows_.IsChecked(row)) return PlayRow(row);
  }
  // Playing ends after the last checked row.
  timerRunning_ = false;
  ShowTime(0);
  sliderPosition_ = 0;
}

void CdPlayer::Pause() {
  output_.Pause(true);
  paused_ = true;
}

void CdPlayer::SeekDragged(int32_t seconds) {
  if (rows_.RowCount() == 0) return;
  timerRunning_ = false;
  ShowTime(seconds);
}

void CdPlayer::SeekReleased(int32_t seconds) {
  if (rows_.RowCount() == 0 || currentRow_ >= rows_.RowCount()) return;
  currentTrack_ = rows_.TrackIndex(currentRow_);
  uint32_t start = TrackStart(currentTrack_) + kSectorsPerSecond * static_cast<uint32_t>(seconds < 0 ? 0 : seconds);
  output_.Play(start, TrackStart(currentTrack_ + 1));
  timerRunning_ = true;
}

void CdPlayer::Tick() {
  int32_t relative = 0;
  int32_t absolute = 0;
  int32_t status = 0;
  if (!output_.Position(relative, absolute, status)) return;
  if (status == kAudioCompleted) return Next();
  if (status != kAudioPlaying) return;
  int32_t seconds = relative / static_cast<int32_t>(kSectorsPerSecond);
  if (seconds / 60 > kLongestMinutes) return;
  sliderPosition_ = seconds + kSliderLead;
  ShowTime(seconds);
  std::string line = FormatText(paused_ ? text::kPausedFormat : text::kPlayingFormat, rows_.Title(currentTrack_));
  if (line == statusLine_) return;
  if (++changeCount_ < kTicksBeforeLineChange) return;
  statusLine_ = line;
  changeCount_ = 0;
}

void CdPlayer::BeforeExtraction() {
  output_.Stop();
  timerRunning_ = false;
}

}  // namespace sonvarek
