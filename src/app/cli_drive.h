#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "session/disc_session.h"

namespace sonvarek {

// Takes "--device N" or "--image FILE" at arguments[i] (advancing i past the value).
// Nothing when the argument is not one of them; false in `ok` (with a message on
// `err`) when it is one but its value is wrong or the drive was already chosen.
bool TakeDriveOption(const std::vector<std::string>& arguments, size_t& i, DriveChoice& choice, std::ostream& err,
                     bool& ok);

// The exit status of a disc flow's result: 0 when ready; 2 when there is no drive
// or no such unit; 1 for a malformed disc image or bad-sector list (the user's to
// correct) and for a drive without an audio disc.
int ExitStatusOf(DiscResult result);

}  // namespace sonvarek
