#include <ostream>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

// Lists the CD units as start-up finds them (the system's drives, then the images of
// $SONVAREK_CD_IMAGE and of --image): index, device path and display name.
int RunDevicesCommand(const CommandContext& context) {
  std::vector<std::string> images;
  for (size_t i = 0; i < context.arguments.size(); ++i) {
    if (context.arguments[i] == "--image" && i + 1 < context.arguments.size()) {
      images.push_back(context.arguments[++i]);
    } else {
      TellUser(context.err, text::kCliDevicesArguments);
      return kExitUsage;
    }
  }
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.OpenDrive(DriveChoice{}, images)); status != kExitOk) return status;
  std::span<const DeviceRecord> devices = session.Units();
  for (size_t i = 0; i < devices.size(); ++i) {
    context.out << FormatText("%zu  %s  %s\n", i, devices[i].devicePath,
                              WithoutTrailingBlanks(devices[i].DisplayName()));
  }
  return kExitOk;
}

}  // namespace sonvarek
