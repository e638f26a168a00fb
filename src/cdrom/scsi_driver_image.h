#pragma once

#include <string>
#include <vector>

#include "cdrom/image_drive.h"
#include "cdrom/scsi_driver_native.h"

namespace sonvarek {

// A driver whose units are disc images only (a front end's --image FILE, tests).
// It answers as the native kind does: results 1/0, commands repeated up to
// RetryTimes times, Init failing when the selected image cannot be loaded (the
// reason is in UnitErrors()).
class CSCSIDriverImage final : public CSCSIDriverNative {
 public:
  CSCSIDriverImage(DriveOptions options, std::vector<std::string> imagePaths, UnitOpener* opener = nullptr);

  // The selected unit's emulated drive, for tests that inject errors or load media;
  // nullptr before a successful Init or when the unit is not an image drive.
  ImageDrive* Drive() const;

 protected:
  std::vector<UnitLocation> ListUnits() const override;
};

}  // namespace sonvarek
