#include "cdrom/scsi_driver_98.h"

#include <algorithm>

namespace sonvarek {

CSCSIDriver98::CSCSIDriver98(DriveOptions options, DriveSources sources)
    : CSCSIDriver(options), sources_(std::move(sources)) {}

int32_t CSCSIDriver98::Init(int32_t unit) {
  ClearDeviceTable();
  unitErrors_.clear();
  listed_.clear();
  selected_.reset();
  std::vector<UnitLocation> units = ListGenericCdDevices(sources_.roots, kDeviceTableSize);
  for (UnitLocation& image : ImageUnits(sources_.imagePaths)) units.push_back(std::move(image));
  UnitOpener& opener = OpenerOf(sources_);
  for (const UnitLocation& location : units) {
    if (deviceCount_ >= kDeviceTableSize) break;
    std::string error;
    std::unique_ptr<ScsiDevice> device = opener.Open(location, error);
    if (!device) {
      unitErrors_.push_back(error);
      continue;
    }
    DeviceRecord record = RecordFor(location);
    if (!InquireInto(*device, 1, record)) continue;
    devices_[deviceCount_++] = record;
    listed_.push_back(location);
  }
  selectedDevice_ = (unit >= 0 && unit < deviceCount_) ? unit : 0;
  if (deviceCount_ > 0) {
    std::string error;
    selected_ = opener.Open(listed_[selectedDevice_], error);
    if (!selected_) unitErrors_.push_back(error);
  }
  return 1;
}

int32_t CSCSIDriver98::ExecSCSI(const uint8_t* cdb, int32_t cdbLength, const uint8_t* dataOut,
                                uint32_t dataOutLength, uint8_t* dataIn, uint32_t dataInLength) {
  if (deviceCount_ < 1) {
    NoteNothingSent("no CD device is listed");
    return -1;
  }
  if (!selected_ || cdb == nullptr || cdbLength < 1) {
    NoteNothingSent("the selected CD device is not open");
    return 1;
  }
  ScsiRequest request{{cdb, static_cast<size_t>(std::min(cdbLength, 16))}, dataOut, dataOutLength, dataIn,
                      dataInLength};
  ScsiOutcome outcome = selected_->Execute(request);
  NoteOutcome(outcome);
  switch (outcome.status) {
    case ScsiStatus::Good: return 0;
    case ScsiStatus::CheckCondition: return 2;
    case ScsiStatus::Failed: return 1;
  }
  return 1;
}

}  // namespace sonvarek
