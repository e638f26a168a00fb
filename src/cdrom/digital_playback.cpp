#include "cdrom/digital_playback.h"

#include <algorithm>
#include <vector>

#include "core/cd_units.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

// Sectors read at a time: about a tenth of a second, a few ahead of what is heard.
constexpr uint32_t kSectorsPerRead = 8;
constexpr uint32_t kFramesPerSector = kSectorBytes / 4;
// How long a wait for the sound output may last before the stop flag is looked at.
constexpr int kWaitMs = 20;

}  // namespace

DigitalPlayback::DigitalPlayback(CSCSIDriver& drive, const DiscTOC& toc)
    : drive_(drive), toc_(toc), status_(kAudioNoStatus) {}

DigitalPlayback::~DigitalPlayback() { StopThread(); }

void DigitalPlayback::Notice(std::string text) {
  std::lock_guard lock(noticeMutex_);
  notice_ = std::move(text);
}

std::optional<std::string> DigitalPlayback::TakeNotice() {
  std::lock_guard lock(noticeMutex_);
  std::optional<std::string> notice = std::move(notice_);
  notice_.reset();
  return notice;
}

void DigitalPlayback::StopThread() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  stop_ = false;
}

void DigitalPlayback::StartThread(uint32_t from) {
  std::string error;
  std::unique_ptr<PcmPlayback> pcm = PcmPlayback::Open(error);
  if (!pcm) {
    Notice(FormatText(text::kNoSoundOutput, error));
    status_ = kAudioNoStatus;
    return;
  }
  heardSector_ = from;
  status_ = kAudioPlaying;
  thread_ = std::thread([this, from, pcm = std::move(pcm)]() mutable { Run(from, std::move(pcm)); });
}

bool DigitalPlayback::Play(uint32_t start, uint32_t end) {
  StopThread();
  end_ = end;
  readErrorTold_ = false;
  if (start >= end) {
    status_ = kAudioCompleted;
    return true;
  }
  StartThread(start);
  return status_ == kAudioPlaying;
}

bool DigitalPlayback::Pause(bool pause) {
  if (pause) {
    if (status_ != kAudioPlaying) return false;
    StopThread();  // what was queued is dropped; playing resumes from what was heard
    status_ = kAudioPaused;
    return true;
  }
  if (status_ != kAudioPaused) return false;
  StartThread(heardSector_);
  return status_ == kAudioPlaying;
}

bool DigitalPlayback::Stop() {
  StopThread();
  status_ = kAudioNoStatus;
  return true;
}

bool DigitalPlayback::Position(int32_t& relative, int32_t& absolute, int32_t& status) {
  uint32_t sector = heardSector_;
  status = status_;
  absolute = static_cast<int32_t>(sector);
  relative = absolute;
  int count = toc_.TrackCount();
  for (int k = 0; k < count; ++k) {
    uint32_t trackStart = toc_.Descriptor(k).address;
    if (sector >= trackStart && sector < toc_.Descriptor(k + 1).address) relative = static_cast<int32_t>(sector - trackStart);
  }
  return true;
}

void DigitalPlayback::ReadSectors(uint32_t first, uint32_t count, uint8_t* buffer) {
  CDDAReadRequest request{first, count, count * kSectorBytes, buffer};
  if (drive_.ReadCDDA(request) != 0) return;
  // Sector by sector, so that only the unreadable ones are silent.
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* sector = buffer + static_cast<size_t>(i) * kSectorBytes;
    CDDAReadRequest one{first + i, 1, kSectorBytes, sector};
    if (drive_.ReadCDDA(one) != 0) continue;
    std::fill(sector, sector + kSectorBytes, 0);
    if (!readErrorTold_) Notice(FormatText(text::kPlaybackReadError, first + i));
    readErrorTold_ = true;
  }
}

void DigitalPlayback::Run(uint32_t from, std::unique_ptr<PcmPlayback> pcm) {
  std::vector<uint8_t> sectors(size_t{kSectorsPerRead} * kSectorBytes);
  uint32_t next = from;       // the next sector to read
  int64_t framesQueued = 0;   // frames handed to the sound output since `from`
  int64_t silenceQueued = 0;  // frames of silence after the last sector's
  auto noteHeard = [&] {
    int64_t heard = std::min(framesQueued + silenceQueued - pcm->Delay(), framesQueued);
    heardSector_ = from + static_cast<uint32_t>((heard < 0 ? 0 : heard) / kFramesPerSector);
  };
  while (!stop_ && next < end_) {
    uint32_t count = std::min(kSectorsPerRead, end_ - next);
    ReadSectors(next, count, sectors.data());
    const int16_t* samples = reinterpret_cast<const int16_t*>(sectors.data());
    size_t frames = size_t{count} * kFramesPerSector;
    size_t done = 0;
    while (!stop_ && done < frames) {
      int64_t taken = pcm->Write(samples + 2 * done, frames - done, kWaitMs);
      if (taken < 0) {
        status_ = kAudioNoStatus;
        return;
      }
      done += static_cast<size_t>(taken);
      framesQueued += taken;
      noteHeard();
    }
    next += count;
  }
  // Let the last frames be heard: the sound system holds back a part-filled buffer, so
  // silence follows them until they have all gone out (for two seconds at most).
  const std::vector<int16_t> silence(size_t{2} * kFramesPerSector, 0);
  while (!stop_ && framesQueued + silenceQueued - pcm->Delay() < framesQueued && silenceQueued < int64_t{2} * 44100) {
    int64_t taken = pcm->Write(silence.data(), kFramesPerSector, kWaitMs);
    if (taken < 0) break;
    silenceQueued += taken;
    noteHeard();
  }
  if (stop_) {
    noteHeard();
    pcm->Drop();
    return;
  }
  heardSector_ = end_;
  status_ = kAudioCompleted;
}

}  // namespace sonvarek
