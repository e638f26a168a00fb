#include <optional>
#include <ostream>

#include "app/cli_command.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/master_volume.h"

namespace sonvarek {

// Prints the master volume with its range, or sets it first. Mute is left as it is: only
// the desktop program unmutes at start, as the owner of the volume slider.
int RunVolumeCommand(const CommandContext& context) {
  if (context.arguments.size() > 1) {
    TellUser(context.err, text::kCliVolumeUsage);
    return kExitUsage;
  }
  std::optional<int32_t> value;
  if (!context.arguments.empty()) {
    value = ParseCliNumber(context.arguments.front());
    if (!value) {
      TellUser(context.err, FormatText(text::kCliVolumeNotNumber, context.arguments.front()));
      return kExitUsage;
    }
  }
  MasterVolumeControl volume;
  if (!volume.IsAvailable()) {
    TellUser(context.err, text::kCliNoMasterVolume);
    return kExitFailed;
  }
  if (value) {
    // The range belongs to the sound card, so a value outside it is refused rather than clamped.
    if (*value < volume.GetMinimum() || *value > volume.GetMaximum()) {
      TellUser(context.err,
               FormatText(text::kCliVolumeOutOfRange, static_cast<long>(*value), volume.GetMinimum(), volume.GetMaximum()));
      return kExitFailed;
    }
    volume.SetVolume(*value);
  }
  long current = volume.GetVolume();
  if (current < 0) {
    TellUser(context.err, text::kCliNoMasterVolume);
    return kExitFailed;
  }
  context.out << FormatText(text::kCliVolume, current, volume.GetMinimum(), volume.GetMaximum()) << '\n';
  return kExitOk;
}

}  // namespace sonvarek
