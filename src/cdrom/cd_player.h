#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "cdrom/playback_output.h"
#include "core/disc_toc.h"

namespace sonvarek {

// The track list as the player walks it: rows in list order, their check boxes,
// the highlighted row and the track (0-based TOC position) each row names.
class PlayerRows {
 public:
  virtual ~PlayerRows() = default;
  virtual size_t RowCount() const = 0;
  virtual bool IsChecked(size_t row) const = 0;
  virtual int TrackIndex(size_t row) const = 0;
  virtual std::optional<size_t> Highlighted() const = 0;
  virtual std::string Title(int trackIndex) const = 0;
};

// The main window's CD player without its view: current row and track, the paused
// flag, the elapsed time text, the status line, the seek slider and whether the
// 200 ms position timer runs. The window forwards the commands and calls Tick from
// its timer; `toc` is the kept table of contents (logical block addresses).
class CdPlayer {
 public:
  CdPlayer(PlaybackOutput& output, const DiscTOC& toc, PlayerRows& rows, std::string deviceText);

  void PlaySelected();
  // False, with text::kHighlightTrackToPlay for the caller to show, when no row is
  // highlighted.
  bool PlayHighlighted();
  void Stop();
  void Previous();
  void Next();
  void Pause();
  // The seek slider, while its thumb is dragged and when it is released at `seconds`.
  void SeekDragged(int32_t seconds);
  void SeekReleased(int32_t seconds);
  // The position timer's tick.
  void Tick();
  // A rip is about to use the drive: the drive stops and so does the timer.
  void BeforeExtraction();
  // The disc was read again.
  void DiscRead() { paused_ = false; }

  size_t currentRow() const { return currentRow_; }
  int currentTrack() const { return currentTrack_; }
  bool paused() const { return paused_; }
  bool timerRunning() const { return timerRunning_; }
  const std::string& timeText() const { return timeText_; }
  const std::string& statusLine() const { return statusLine_; }
  int32_t sliderMaximum() const { return sliderMaximum_; }
  int32_t sliderPosition() const { return sliderPosition_; }
  void SetDeviceText(std::string text);

 private:
  void PlayTrack(int trackIndex);
  void PlayRow(size_t row);
  void Halt();  // the common start of Previous and Next
  bool AnyChecked() const;
  uint32_t TrackStart(int trackIndex) const;
  void ShowTime(int32_t seconds);

  PlaybackOutput& output_;
  const DiscTOC& toc_;
  PlayerRows& rows_;
  std::string deviceText_;
  size_t currentRow_ = 0;
  int currentTrack_ = 0;
  bool paused_ = false;
  bool timerRunning_ = false;
  std::string timeText_ = "00:00";
  std::string statusLine_;
  int32_t sliderMaximum_ = 0;
  int32_t sliderPosition_ = 0;
  int changeCount_ = 0;
};

}  // namespace sonvarek
