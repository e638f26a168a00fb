#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>

namespace sonvarek {

// The master volume of the sound card: ALSA's simple mixer element "Master" (else "PCM")
// of a control device, "default" unless named. With PulseAudio or PipeWire behind ALSA's
// `default` this is the default sink's volume.
//
// Every failure while opening (no mixer, the device cannot be opened, neither element has
// a playback volume) leaves an object that reports !IsAvailable(); every operation on it
// then does nothing or answers -1. The documented use, as the main window does:
//
//   MasterVolumeControl volume;
//   if (volume.IsAvailable()) volume.Unmute();
//
// Opening prints nothing of libasound's own complaints. Volumes are the element's raw
// playback values (PulseAudio: 0 .. 65536, 65536 = 100 %). Not thread-safe: one thread owns
// the object and drives its events.
class MasterVolumeControl {
 public:
  explicit MasterVolumeControl(const std::string& device = "default");
  ~MasterVolumeControl();
  MasterVolumeControl(const MasterVolumeControl&) = delete;
  MasterVolumeControl& operator=(const MasterVolumeControl&) = delete;

  bool IsAvailable() const;
  // The name of the element in use ("Master" or "PCM"); empty when not available.
  std::string ElementName() const;

  // Playback switch on (Unmute) or off (Mute) on every channel, where the element has one.
  void Unmute();
  void Mute();

  // ALSA has no step count of its own: every raw value is a step, so this is
  // GetMaximum() - GetMinimum(). -1 when not available.
  long GetSteps() const;
  long GetMinimum() const;  // -1 when not available
  long GetMaximum() const;  // -1 when not available

  // The first channel's raw playback volume as of creation, the last SetVolume or the last
  // HandleEvents (the mixer caches it); -1 when not available or on any error.
  long GetVolume() const;
  // Sets every channel to `value`; does nothing when not available or when value lies
  // outside GetMinimum() .. GetMaximum(). Not reported back through the change callback.
  void SetVolume(long value);

  // Called with the new volume from HandleEvents() when the volume differs from the last
  // one this object read or set (someone else changed it).
  void SetChangeCallback(std::function<void(long)> callback);
  // The descriptors an event loop watches (for POLLIN, as given in `events`); empty when
  // not available. Valid until the object is destroyed.
  std::vector<pollfd> PollDescriptors() const;
  // Handles the mixer's pending events without blocking and calls the change callback
  // when the volume changed. Call it when a descriptor is ready (calling it at other times
  // is harmless).
  void HandleEvents();

 private:
  struct Mixer;
  std::unique_ptr<Mixer> mixer_;
  std::function<void(long)> onChange_;
  long lastVolume_ = -1;
};

}  // namespace sonvarek
