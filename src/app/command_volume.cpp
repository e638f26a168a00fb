#include <optional>
#include <ostream>

#include "app/cli_command.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/master_volume_setting.h"

namespace sonvarek {

// Prints the master volume with its range, or sets it first.
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
  MasterVolumeReading reading = SetMasterVolume(value);
  switch (reading.result) {
    case MasterVolumeResult::NoMixer: TellUser(context.err, text::kCliNoMasterVolume); return kExitFailed;
    case MasterVolumeResult::OutOfRange:
      TellUser(context.err, FormatText(text::kCliVolumeOutOfRange, static_cast<long>(*value), reading.minimum,
                                       reading.maximum));
      return kExitFailed;
    case MasterVolumeResult::Ok: break;
  }
  context.out << FormatText(text::kCliVolume, reading.volume, reading.minimum, reading.maximum) << '\n';
  return kExitOk;
}

}  // namespace sonvarek
