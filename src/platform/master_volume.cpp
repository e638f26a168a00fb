#include "platform/master_volume.h"

#include <alsa/asoundlib.h>

// alsa/error.h (1.2.8) declares this one outside its extern "C" block, so C++ would look for a
// mangled name; this declaration binds the C symbol under another name.
extern "C" snd_local_error_handler_t SndLibErrorSetLocal(snd_local_error_handler_t handler) __asm__(
    "snd_lib_error_set_local");

namespace sonvarek {

struct MasterVolumeControl::Mixer {
  snd_mixer_t* handle = nullptr;
  snd_mixer_elem_t* element = nullptr;  // owned by handle
  std::string elementName;
  long minimum = 0;
  long maximum = 0;

  ~Mixer() {
    if (handle != nullptr) snd_mixer_close(handle);
  }
};

namespace {

snd_mixer_elem_t* FindPlaybackElement(snd_mixer_t* mixer, const char* name) {
  snd_mixer_selem_id_t* id = nullptr;
  snd_mixer_selem_id_alloca(&id);
  snd_mixer_selem_id_set_index(id, 0);
  snd_mixer_selem_id_set_name(id, name);
  snd_mixer_elem_t* element = snd_mixer_find_selem(mixer, id);
  return element != nullptr && snd_mixer_selem_has_playback_volume(element) ? element : nullptr;
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, va_list) {}

// Keeps libasound's own messages off standard error on this thread while it lives: a machine
// without sound fails the open with many lines, and IsAvailable() already says it all.
class QuietAlsaErrors {
 public:
  QuietAlsaErrors() : previous_(SndLibErrorSetLocal(IgnoreAlsaError)) {}
  ~QuietAlsaErrors() { SndLibErrorSetLocal(previous_); }
  QuietAlsaErrors(const QuietAlsaErrors&) = delete;
  QuietAlsaErrors& operator=(const QuietAlsaErrors&) = delete;

 private:
  snd_local_error_handler_t previous_;
};

}  // namespace

MasterVolumeControl::MasterVolumeControl(const std::string& device) {
  QuietAlsaErrors quiet;
  auto mixer = std::make_unique<Mixer>();
  if (snd_mixer_open(&mixer->handle, 0) < 0) {
    mixer->handle = nullptr;
    return;
  }
  // snd_mixer_attach opens the control device without blocking, so reading events never waits.
  if (snd_mixer_attach(mixer->handle, device.c_str()) < 0 || snd_mixer_selem_register(mixer->handle, nullptr, nullptr) < 0 ||
      snd_mixer_load(mixer->handle) < 0) {
    return;
  }
  for (const char* name : {"Master", "PCM"}) {
    mixer->element = FindPlaybackElement(mixer->handle, name);
    if (mixer->element != nullptr) {
      mixer->elementName = name;
      break;
    }
  }
  if (mixer->element == nullptr ||
      snd_mixer_selem_get_playback_volume_range(mixer->element, &mixer->minimum, &mixer->maximum) < 0 ||
      mixer->minimum > mixer->maximum) {
    return;
  }
  mixer_ = std::move(mixer);
  lastVolume_ = GetVolume();
}

MasterVolumeControl::~MasterVolumeControl() = default;

bool MasterVolumeControl::IsAvailable() const { return mixer_ != nullptr; }

std::string MasterVolumeControl::ElementName() const { return mixer_ ? mixer_->elementName : std::string(); }

void MasterVolumeControl::Unmute() {
  if (mixer_ && snd_mixer_selem_has_playback_switch(mixer_->element)) {
    snd_mixer_selem_set_playback_switch_all(mixer_->element, 1);
  }
}

void MasterVolumeControl::Mute() {
  if (mixer_ && snd_mixer_selem_has_playback_switch(mixer_->element)) {
    snd_mixer_selem_set_playback_switch_all(mixer_->element, 0);
  }
}

long MasterVolumeControl::GetSteps() const { return mixer_ ? mixer_->maximum - mixer_->minimum : -1; }

long MasterVolumeControl::GetMinimum() const { return mixer_ ? mixer_->minimum : -1; }

long MasterVolumeControl::GetMaximum() const { return mixer_ ? mixer_->maximum : -1; }

long MasterVolumeControl::GetVolume() const {
  if (!mixer_) return -1;
  long value = 0;
  // Channel 0 is the front left channel, or the only one of a mono element.
  if (snd_mixer_selem_get_playback_volume(mixer_->element, static_cast<snd_mixer_selem_channel_id_t>(0), &value) < 0) {
    return -1;
  }
  return value;
}

void MasterVolumeControl::SetVolume(long value) {
  if (!mixer_ || value < mixer_->minimum || value > mixer_->maximum) return;
  if (snd_mixer_selem_set_playback_volume_all(mixer_->element, value) >= 0) lastVolume_ = value;
}

void MasterVolumeControl::SetChangeCallback(std::function<void(long)> callback) { onChange_ = std::move(callback); }

std::vector<pollfd> MasterVolumeControl::PollDescriptors() const {
  if (!mixer_) return {};
  int count = snd_mixer_poll_descriptors_count(mixer_->handle);
  if (count <= 0) return {};
  std::vector<pollfd> descriptors(static_cast<size_t>(count));
  count = snd_mixer_poll_descriptors(mixer_->handle, descriptors.data(), static_cast<unsigned>(count));
  descriptors.resize(count > 0 ? static_cast<size_t>(count) : 0);
  return descriptors;
}

void MasterVolumeControl::HandleEvents() {
  if (!mixer_ || snd_mixer_handle_events(mixer_->handle) < 0) return;
  long volume = GetVolume();
  if (volume < 0 || volume == lastVolume_) return;
  lastVolume_ = volume;
  if (onChange_) onChange_(volume);
}

}  // namespace sonvarek
