#include "session/master_volume_setting.h"

#include "platform/master_volume.h"

namespace sonvarek {

MasterVolumeReading SetMasterVolume(std::optional<long> value) {
  MasterVolumeControl control;
  if (!control.IsAvailable()) return {};
  MasterVolumeReading reading{MasterVolumeResult::Ok, 0, control.GetMinimum(), control.GetMaximum()};
  if (value && (*value < reading.minimum || *value > reading.maximum)) {
    reading.result = MasterVolumeResult::OutOfRange;
    return reading;
  }
  if (value) control.SetVolume(*value);
  reading.volume = control.GetVolume();
  if (reading.volume < 0) reading.result = MasterVolumeResult::NoMixer;
  return reading;
}

}  // namespace sonvarek
