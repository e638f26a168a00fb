#pragma once

#include <optional>

namespace sonvarek {

enum class MasterVolumeResult {
  Ok,
  NoMixer,     // no master volume to read or set
  OutOfRange,  // the value asked for lies outside the sound card's range; nothing set
};

struct MasterVolumeReading {
  MasterVolumeResult result = MasterVolumeResult::NoMixer;
  long volume = 0;  // as read after any change
  long minimum = 0;
  long maximum = 0;
};

// Sets the master volume to `value` when one is given, then reads it with its range.
// Mute is left as it is: only the desktop program unmutes at start, as the owner of
// the volume slider. The range belongs to the sound card, so a value outside it is
// refused rather than clamped.
MasterVolumeReading SetMasterVolume(std::optional<long> value);

}  // namespace sonvarek
