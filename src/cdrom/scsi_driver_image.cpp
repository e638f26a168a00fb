#include "cdrom/scsi_driver_image.h"

namespace sonvarek {
namespace {

DriveSources ImagesOnly(std::vector<std::string> imagePaths, UnitOpener* opener) {
  DriveSources sources;
  sources.imagePaths = std::move(imagePaths);
  sources.opener = opener;
  return sources;
}

}  // namespace

CSCSIDriverImage::CSCSIDriverImage(DriveOptions options, std::vector<std::string> imagePaths, UnitOpener* opener)
    : CSCSIDriverNative(options, ImagesOnly(std::move(imagePaths), opener)) {}

std::vector<UnitLocation> CSCSIDriverImage::ListUnits() const {
  std::vector<UnitLocation> units = ImageUnits(Sources().imagePaths);
  if (units.size() > kDeviceTableSize) units.resize(kDeviceTableSize);
  return units;
}

ImageDrive* CSCSIDriverImage::Drive() const { return dynamic_cast<ImageDrive*>(Selected()); }

}  // namespace sonvarek
