#pragma once

#include <memory>
#include <string>

#include "cdrom/scsi_device.h"

namespace sonvarek {

// A CD device node (/dev/srN or /dev/sgN) that takes commands through SG_IO.
class SgDevice final : public ScsiDevice {
 public:
  // Opens the node for reading and writing, else for reading only (both without
  // waiting for a medium); nothing with `error` set to errno when neither works.
  static std::unique_ptr<SgDevice> Open(const std::string& path, int& error);
  ~SgDevice() override;
  SgDevice(const SgDevice&) = delete;
  SgDevice& operator=(const SgDevice&) = delete;

  ScsiOutcome Execute(const ScsiRequest& request) override;
  bool ReadOnly() const { return readOnly_; }

 private:
  SgDevice(int descriptor, bool readOnly) : descriptor_(descriptor), readOnly_(readOnly) {}

  int descriptor_;
  bool readOnly_;
};

}  // namespace sonvarek
