#include <ostream>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"

namespace sonvarek {

// Eject CD: the shown disc's texts are saved first, as the main window does.
int RunEjectCommand(const CommandContext& context) {
  DriveChoice drive;
  auto take = [&](const std::string&, const std::string&) {
    TellUser(context.err, text::kCliEjectUsage);
    return false;
  };
  if (!WalkDiscArguments(context.arguments, 0, drive, text::kCliEjectUsage, context.err, take)) return kExitUsage;
  CliDisc disc(context);
  if (int status = ExitStatusOf(disc.session.Open(drive)); status != kExitOk) return status;
  return disc.session.Eject() ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
