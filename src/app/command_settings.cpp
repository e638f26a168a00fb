#include <ostream>

#include "app/cli_command.h"
#include "core/settings_store.h"
#include "core/string_table.h"

namespace sonvarek {

// Loads the settings as start-up does (defaults, corrections, derived folders,
// folder creation) and prints them the way they would be saved.
int RunSettingsCommand(const CommandContext& context) {
  if (!context.arguments.empty()) {
    TellUser(context.err, text::kCliSettingsArguments);
    return kExitUsage;
  }
  StreamNotice notice(context.err);
  PlatformFolders folders = SystemFolders(context.home);
  Settings settings = LoadSettings(folders, notice);
  ProfileFile profile;
  WriteSettings(settings, GeometryFromSettings(settings), profile);
  context.out << profile.Text();
  return kExitOk;
}

}  // namespace sonvarek
