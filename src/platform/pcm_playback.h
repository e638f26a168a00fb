#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sonvarek {

// 16-bit stereo 44.1 kHz PCM to the sound system's "default" ALSA device (PipeWire or
// PulseAudio on a desktop). Non-blocking underneath: every wait is bounded by the time
// given, so a player thread can look at its stop flag between waits. Used by one
// thread at a time.
class PcmPlayback {
 public:
  // Nothing, with `error` saying why, when there is no sound output.
  static std::unique_ptr<PcmPlayback> Open(std::string& error);
  ~PcmPlayback();
  PcmPlayback(const PcmPlayback&) = delete;
  PcmPlayback& operator=(const PcmPlayback&) = delete;

  // Queues up to `frames` interleaved frames, waiting at most `waitMs` for room; the
  // frames taken (0 when there was no room), or −1 after an error it could not mend.
  int64_t Write(const int16_t* interleaved, size_t frames, int waitMs);
  // Frames queued but not heard yet.
  int64_t Delay();
  // Silence at once: what is queued is dropped; the device is ready for more.
  void Drop();

 private:
  explicit PcmPlayback(void* handle) : handle_(handle) {}
  void* handle_;  // snd_pcm_t*, kept out of this header
};

}  // namespace sonvarek
