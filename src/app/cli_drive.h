#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cdrom/disc_reader.h"
#include "cdrom/scsi_driver.h"
#include "core/settings.h"
#include "platform/user_notice.h"

namespace sonvarek {

// The drive a command works on: --device N (a unit of the list start-up makes) or
// --image FILE (a disc image alone).
struct DriveChoice {
  std::optional<int32_t> device;
  std::string image;
};

// Takes "--device N" or "--image FILE" at arguments[i] (advancing i past the value).
// Nothing when the argument is not one of them; false in `ok` (with a message on
// `err`) when it is one but its value is wrong or the drive was already chosen.
bool TakeDriveOption(const std::vector<std::string>& arguments, size_t& i, DriveChoice& choice, std::ostream& err,
                     bool& ok);

// Opens the chosen drive; nothing (after telling why) when there is none. The
// driver reads `settings` on every command, so they must outlive it.
std::unique_ptr<CSCSIDriver> OpenChosenDrive(const DriveChoice& choice, Settings& settings, UserNotice& notice);

// Reads the disc in the drive as the main window does; nothing (after telling the
// user, with the drive's reason) when there is no audio disc to read.
std::optional<DiscReading> ReadAudioDisc(CSCSIDriver& driver, DiscTOC& toc, DiscRecord& disc, UserNotice& notice);

}  // namespace sonvarek
