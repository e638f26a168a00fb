#include "cdrom/drive_units.h"

#include <array>

#include "cdrom/command_sets.h"
#include "cdrom/image_drive.h"
#include "cdrom/sg_device.h"
#include "platform/file.h"

namespace sonvarek {

std::unique_ptr<ScsiDevice> SystemUnitOpener::Open(const UnitLocation& unit, std::string& error) {
  if (unit.kind == UnitLocation::Kind::Image) {
    std::optional<ImageDriveOptions> options = ImageDriveOptionsFromEnvironment(error);
    if (!options) return nullptr;
    return ImageDrive::Load(unit.path, std::move(*options), error);
  }
  int systemError = 0;
  std::unique_ptr<SgDevice> device = SgDevice::Open(unit.path, systemError);
  if (!device) error = unit.path + ": " + SystemErrorText(systemError);
  return device;
}

std::vector<UnitLocation> ImageUnits(const std::vector<std::string>& imagePaths) {
  std::vector<UnitLocation> units;
  for (const std::string& path : imagePaths) {
    UnitLocation unit;
    unit.kind = UnitLocation::Kind::Image;
    unit.path = path;
    units.push_back(std::move(unit));
  }
  return units;
}

bool InquireInto(ScsiDevice& device, int32_t tries, DeviceRecord& record) {
  CommandBlock inquiry = InquiryCommand();
  for (int32_t attempt = 0; attempt < tries; ++attempt) {
    std::array<uint8_t, 100> data{};
    ScsiRequest request{inquiry.Bytes(), nullptr, 0, data.data(), static_cast<uint32_t>(data.size())};
    if (device.Execute(request).status == ScsiStatus::Good) {
      CopyInquiryIdentification(data, record);
      return true;
    }
  }
  return false;
}

DeviceRecord RecordFor(const UnitLocation& unit) {
  DeviceRecord record;
  record.devicePath = unit.path;
  record.hostAdapter = unit.host;
  record.target = unit.target;
  record.lun = unit.lun;
  return record;
}

UnitOpener& OpenerOf(const DriveSources& sources) {
  static SystemUnitOpener system;
  if (sources.opener != nullptr) return *sources.opener;
  return system;
}

}  // namespace sonvarek
