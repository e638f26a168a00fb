#include "cdrom/scsi_driver_native.h"

#include <algorithm>

namespace sonvarek {

CSCSIDriverNative::CSCSIDriverNative(DriveOptions options, DriveSources sources)
    : CSCSIDriver(options), sources_(std::move(sources)) {}

std::vector<UnitLocation> CSCSIDriverNative::ListUnits() const {
  std::vector<UnitLocation> units = ListCdBlockDevices(sources_.roots, kMaxNativeDrives);
  for (UnitLocation& image : ImageUnits(sources_.imagePaths)) units.push_back(std::move(image));
  if (units.size() > kDeviceTableSize) units.resize(kDeviceTableSize);
  return units;
}

int32_t CSCSIDriverNative::Init(int32_t unit) {
  ClearDeviceTable();
  unitErrors_.clear();
  selected_.reset();
  std::vector<UnitLocation> units = ListUnits();
  if (units.empty()) {
    NoteNothingSent("no CD drive was found");
    return 0;
  }
  if (unit < 0 || unit >= static_cast<int32_t>(units.size())) unit = 0;
  UnitOpener& opener = OpenerOf(sources_);
  for (size_t i = 0; i < units.size(); ++i) {
    devices_[i] = RecordFor(units[i]);
    std::string error;
    std::unique_ptr<ScsiDevice> device = opener.Open(units[i], error);
    if (!device) {
      unitErrors_.push_back(error);
      continue;
    }
    InquireInto(*device, RetryTimes(), devices_[i]);
    if (static_cast<int32_t>(i) == unit) selected_ = std::move(device);
  }
  if (!selected_) {
    ClearDeviceTable();
    NoteNothingSent("the selected CD drive cannot be opened");
    return 0;
  }
  selectedDevice_ = unit;
  deviceCount_ = static_cast<int32_t>(units.size());
  return 1;
}

int32_t CSCSIDriverNative::ExecSCSI(const uint8_t* cdb, int32_t cdbLength, const uint8_t* dataOut,
                                    uint32_t dataOutLength, uint8_t* dataIn, uint32_t dataInLength) {
  if (deviceCount_ < 1 || !selected_) {
    NoteNothingSent("no CD drive is open");
    return 0;
  }
  if (cdb == nullptr || cdbLength < 1) return 0;
  ScsiRequest request{{cdb, static_cast<size_t>(std::min(cdbLength, 16))}, dataOut, dataOutLength, dataIn,
                      dataInLength};
  int32_t tries = RetryTimes();
  if (tries < 1) NoteNothingSent("no attempt allowed (RetryTimes is below 1)");
  for (int32_t attempt = 0; attempt < tries; ++attempt) {
    ScsiOutcome outcome = selected_->Execute(request);
    NoteOutcome(outcome);
    if (outcome.status == ScsiStatus::Good) return 1;
  }
  return 0;
}

}  // namespace sonvarek
