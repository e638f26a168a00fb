#pragma once

#include <memory>

#include "cdrom/scsi_driver.h"
#include "core/rip_report.h"
#include "jobs/conversion_batch.h"

namespace sonvarek {

// The rip-only state of a batch: the drive its tracks are read from and, once
// attached, the report its rip log and CUE sheet are written from, filled as the
// tracks are read. The drive outlives the batch.
class RipContext final : public RipHooks {
 public:
  explicit RipContext(CSCSIDriver& drive) : drive_(drive) {}

  CSCSIDriver& drive() const { return drive_; }
  // Null until a report is attached (a rip without one writes no rip log).
  RipReport* report() const { return report_.get(); }
  void AttachReport(std::unique_ptr<RipReport> report) { report_ = std::move(report); }
  // The report's entry for the batch's current job, when there is one.
  RipTrackReport* CurrentTrack(const ConversionBatch& batch) const;

  int Extract(ConversionBatch& batch) override;
  void JobEnded(const ConversionBatch& batch, RipJobEnd end) override;
  int Finish(ConversionBatch& batch) override;
  void DescribeEnd(BatchEnd& end) const override;

 private:
  CSCSIDriver& drive_;
  std::unique_ptr<RipReport> report_;
};

}  // namespace sonvarek
