#pragma once

#include <memory>
#include <vector>

#include "cdrom/drive_units.h"
#include "cdrom/scsi_driver.h"

namespace sonvarek {

// The SCSI generic kind ("Force to use ASPI Manager"): /dev/sgN devices of type 5 in
// host:channel:target:LUN order, then the disc image units; only units whose INQUIRY
// completes are listed (at most 16). Init succeeds also without any device (every
// command then fails). ExecSCSI sends each command once and returns 0 when it
// completed, 2 on CHECK CONDITION (the sense is kept), 1 on any other outcome and −1
// when the device list is empty; ReadTOC and ReadCDDA repeat up to RetryTimes times.
class CSCSIDriver98 final : public CSCSIDriver {
 public:
  CSCSIDriver98(DriveOptions options, DriveSources sources);

  int32_t ExecSCSI(const uint8_t* cdb, int32_t cdbLength, const uint8_t* dataOut, uint32_t dataOutLength,
                   uint8_t* dataIn, uint32_t dataInLength) override;
  int32_t Init(int32_t unit) override;

 protected:
  bool Completed(int32_t execResult) const override { return execResult == 0; }
  int32_t RepeatedOperationTries() const override { return RetryTimes(); }

 private:
  DriveSources sources_;
  std::vector<UnitLocation> listed_;  // the unit of each device record
  std::unique_ptr<ScsiDevice> selected_;
};

}  // namespace sonvarek
