#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cdrom/drive_units.h"
#include "cdrom/scsi_driver.h"
#include "core/settings.h"
#include "platform/user_notice.h"

namespace sonvarek {

struct CdDriverCreation {
  std::unique_ptr<CSCSIDriver> driver;  // present even when unusable: every command then fails
  bool usable = false;
};

// Makes the CD driver as start-up and an options change do: a negative CDROMDriver
// becomes 0; bUseASPI chooses CSCSIDriver98, else CSCSIDriverNative; Init with the
// unit. Units that could not be opened are told as warnings (an image's error names
// its file and line). When Init fails the user is told ("Error while initialize
// CD-ROM …") and the result is unusable; otherwise a CDROMDriver not below the device
// count is rewritten to 0.
CdDriverCreation CreateCdDriver(Settings& settings, UserNotice& notice, const DriveSources& sources);

// "Device: %s" with the selected unit's display name, or "No CDROM found!".
std::string DeviceStatusText(const CdDriverCreation& creation);

// The .cue files named by $SONVAREK_CD_IMAGE (separated by ':'), in order.
std::vector<std::string> ImagePathsFromEnvironment();

// The system's drives, then the images of $SONVAREK_CD_IMAGE, then `extraImages`.
DriveSources SystemDriveSources(const std::vector<std::string>& extraImages = {});

}  // namespace sonvarek
