#pragma once

#include <memory>
#include <vector>

#include "cdrom/drive_units.h"
#include "cdrom/scsi_driver.h"

namespace sonvarek {

// The native kind: SG_IO on the CD drives' block devices /dev/srN (at most 8, in
// number order), then the disc image units. Init lists the units, asks each one's
// INQUIRY and keeps the selected one open; it fails when there is no unit or the
// selected one cannot be opened. ExecSCSI returns 1 when the command completed and 0
// otherwise, repeating a failed command up to RetryTimes times in all (nothing is
// sent when RetryTimes is below 1).
class CSCSIDriverNative : public CSCSIDriver {
 public:
  CSCSIDriverNative(DriveOptions options, DriveSources sources);

  int32_t ExecSCSI(const uint8_t* cdb, int32_t cdbLength, const uint8_t* dataOut, uint32_t dataOutLength,
                   uint8_t* dataIn, uint32_t dataInLength) override;
  int32_t Init(int32_t unit) override;

 protected:
  bool Completed(int32_t execResult) const override { return execResult != 0; }
  // ExecSCSI already repeats every command.
  int32_t RepeatedOperationTries() const override { return 1; }
  virtual std::vector<UnitLocation> ListUnits() const;

  ScsiDevice* Selected() const { return selected_.get(); }
  const DriveSources& Sources() const { return sources_; }

 private:
  DriveSources sources_;
  std::unique_ptr<ScsiDevice> selected_;
};

}  // namespace sonvarek
