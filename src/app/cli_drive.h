#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "app/cli_command.h"
#include "core/settings_store.h"
#include "session/disc_session.h"

namespace sonvarek {

// Takes "--device N" or "--image FILE" at arguments[i] (advancing i past the value).
// Nothing when the argument is not one of them; false in `ok` (with a message on
// `err`) when it is one but its value is wrong or the drive was already chosen.
bool TakeDriveOption(const std::vector<std::string>& arguments, size_t& i, DriveChoice& choice, std::ostream& err,
                     bool& ok);

// Walks the arguments from `first`: "--device N" and "--image FILE" into `drive`, every
// other "--name VALUE" pair to `take`, which returns false after telling why it refuses
// one. A name without its value is told with `usage`. False when the walk stopped.
bool WalkDiscArguments(const std::vector<std::string>& arguments, size_t first, DriveChoice& drive, const char* usage,
                       std::ostream& err, const std::function<bool(const std::string& name, const std::string& value)>& take);

// What a disc command stands on: the settings loaded as at start-up and the disc
// session of the program folder over them. Notices go to the command's error stream.
struct CliDisc {
  explicit CliDisc(const CommandContext& context)
      : notice(context.err), folders(SystemFolders(context.home)), settings(LoadSettings(folders, notice)),
        session(settings, notice, folders.programFolder) {}

  StreamNotice notice;
  PlatformFolders folders;
  Settings settings;
  DiscSession session;
};

// "N=TEXT" of --title: the track number (1..99) and the title; nothing when malformed.
std::optional<std::pair<int, std::string>> ParseTitleOption(const std::string& value);

// Sets each title on the disc; false, after naming the first track the disc does not
// have, when one is not there.
bool ApplyTitles(DiscSession& session, const std::vector<std::pair<int, std::string>>& titles, std::ostream& err);

// The disc's texts and one "NN  title" line per row, in list order.
void PrintDiscTexts(DiscSession& session, std::ostream& out);

// The exit status of a disc flow's result: 0 when ready; 2 when there is no drive
// or no such unit; 1 for a malformed disc image or bad-sector list (the user's to
// correct) and for a drive without an audio disc.
int ExitStatusOf(DiscResult result);

}  // namespace sonvarek
