#include "platform/volume_program.h"

#include "platform/process.h"

namespace sonvarek {

const std::vector<std::vector<std::string>>& VolumePrograms() {
  static const std::vector<std::vector<std::string>> programs = {
      {"pavucontrol"}, {"pwvucontrol"}, {"gnome-control-center", "sound"}, {"kmix"}};
  return programs;
}

VolumeProgramOutcome StartVolumeProgram(std::string* errorText) {
  for (const std::vector<std::string>& program : VolumePrograms()) {
    std::string path = FindProgram(program.front());
    if (path.empty()) continue;
    std::vector<std::string> arguments = program;
    arguments.front() = path;  // start the file that was found, not a second PATH search
    return StartProgram(arguments, errorText) ? VolumeProgramOutcome::Started : VolumeProgramOutcome::Failed;
  }
  return VolumeProgramOutcome::NotFound;
}

}  // namespace sonvarek
