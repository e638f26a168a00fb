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

// A chosen drive with its disc read, as the commands that work on a disc begin.
struct OpenedDisc {
  std::unique_ptr<CSCSIDriver> driver;
  DiscTOC toc;
  DiscRecord disc;
  DiscReading reading;
};

// Opens the chosen drive and reads the disc in it as the main window does. Returns kExitOk,
// or after telling the user why: kExitNoDevice when there is no drive, kExitFailed when
// there is no audio disc to read (with the drive's reason) or when no drive could be
// opened because of a malformed disc image (see NoDriveStatus). The driver reads
// `settings` on every command, so they must outlive it.
int OpenAudioDisc(const DriveChoice& choice, Settings& settings, UserNotice& notice, OpenedDisc& opened);

// The status of a command whose drives could not be opened, their errors already told.
// When a disc image among `imagePaths` is malformed, or $SONVAREK_CD_BAD_SECTORS is,
// that is the user's mistake to correct: kExitFailed. Otherwise there is no drive:
// "No CDROM found!" and kExitNoDevice (a missing image file counts as no drive).
int NoDriveStatus(const std::vector<std::string>& imagePaths, UserNotice& notice);

}  // namespace sonvarek
