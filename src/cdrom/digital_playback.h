#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "cdrom/playback_output.h"
#include "core/disc_toc.h"
#include "platform/pcm_playback.h"

namespace sonvarek {

// CD audio played through the sound system: a player thread reads the range with
// the drive's audio read command, a few sectors ahead, and writes the PCM to the
// sound output. Position and status come from the frames actually heard, so the
// player's timer logic runs as with a drive's own output. Unreadable sectors play
// as silence and are reported once (TakeNotice). The drive is used by the player
// thread only while it plays; Stop, Pause and destruction end the sound at once.
class DigitalPlayback final : public PlaybackOutput {
 public:
  // `toc`: the kept table of contents (logical block addresses), for the position
  // within the track.
  DigitalPlayback(CSCSIDriver& drive, const DiscTOC& toc);
  ~DigitalPlayback() override;

  // False, with the reason in TakeNotice, when there is no sound output.
  bool Play(uint32_t start, uint32_t end) override;
  bool Pause(bool pause) override;
  bool Stop() override;
  bool Position(int32_t& relative, int32_t& absolute, int32_t& status) override;

  // A text for the status line, once: no sound output, or sectors that could not be read.
  std::optional<std::string> TakeNotice();

 private:
  void StartThread(uint32_t from);
  void StopThread();
  void Run(uint32_t from, std::unique_ptr<PcmPlayback> pcm);
  // `count` sectors into `buffer`; unreadable ones become silence.
  void ReadSectors(uint32_t first, uint32_t count, uint8_t* buffer);
  void Notice(std::string text);

  CSCSIDriver& drive_;
  const DiscTOC& toc_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<uint32_t> heardSector_{0};  // the sector being heard now
  std::atomic<int32_t> status_{0};
  uint32_t end_ = 0;
  std::mutex noticeMutex_;
  std::optional<std::string> notice_;
  bool readErrorTold_ = false;
};

}  // namespace sonvarek
