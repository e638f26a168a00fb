#include "platform/pcm_playback.h"

#include <alsa/asoundlib.h>

namespace sonvarek {
namespace {

// Short enough that a stop is heard at once, long enough not to stutter.
constexpr unsigned kLatencyMicroseconds = 100000;

snd_pcm_t* Pcm(void* handle) { return static_cast<snd_pcm_t*>(handle); }

// ALSA prints its configuration errors to standard error; the caller reports the one
// error that matters.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}  // NOLINT(cert-dcl50-cpp): ALSA's handler type

}  // namespace

std::unique_ptr<PcmPlayback> PcmPlayback::Open(std::string& error) {
  snd_lib_error_set_handler(QuietAlsa);
  snd_pcm_t* pcm = nullptr;
  int result = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (result < 0) {
    error = snd_strerror(result);
    return nullptr;
  }
  result = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, 44100, 1,
                              kLatencyMicroseconds);
  if (result < 0) {
    error = snd_strerror(result);
    snd_pcm_close(pcm);
    return nullptr;
  }
  return std::unique_ptr<PcmPlayback>(new PcmPlayback(pcm));
}

PcmPlayback::~PcmPlayback() {
  snd_pcm_drop(Pcm(handle_));
  snd_pcm_close(Pcm(handle_));
}

int64_t PcmPlayback::Write(const int16_t* interleaved, size_t frames, int waitMs) {
  snd_pcm_t* pcm = Pcm(handle_);
  snd_pcm_sframes_t written = snd_pcm_writei(pcm, interleaved, frames);
  if (written >= 0) return written;
  if (written == -EAGAIN) {
    snd_pcm_wait(pcm, waitMs);
    return 0;
  }
  // An underrun or a suspend: recover and go on; the next call writes again.
  if (snd_pcm_recover(pcm, static_cast<int>(written), 1) == 0) return 0;
  return -1;
}

int64_t PcmPlayback::Delay() {
  snd_pcm_sframes_t delay = 0;
  if (snd_pcm_delay(Pcm(handle_), &delay) < 0 || delay < 0) return 0;
  return delay;
}

void PcmPlayback::Drop() {
  snd_pcm_drop(Pcm(handle_));
  snd_pcm_prepare(Pcm(handle_));
}

}  // namespace sonvarek
