#pragma once

#include <string>
#include <vector>

namespace sonvarek {

// The desktop's own volume program, started in place of the system mixer dialog.
enum class VolumeProgramOutcome {
  Started,   // started detached
  NotFound,  // none of the candidates is on PATH
  Failed,    // found but could not be started (errorText says why)
};

// The candidates in the order they are tried, each as its argument vector: pavucontrol,
// pwvucontrol, gnome-control-center sound, kmix.
const std::vector<std::vector<std::string>>& VolumePrograms();

// Starts the first candidate found on PATH, without waiting for it.
VolumeProgramOutcome StartVolumeProgram(std::string* errorText = nullptr);

}  // namespace sonvarek
