#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cdrom/device_enumeration.h"
#include "cdrom/scsi_device.h"
#include "cdrom/scsi_driver.h"

namespace sonvarek {

// Opens the units of the device list. The system opener opens device nodes
// (SgDevice) and loads disc images (ImageDrive, with $SONVAREK_CD_BAD_SECTORS);
// tests stand in for hardware with their own.
class UnitOpener {
 public:
  virtual ~UnitOpener() = default;
  // Nothing, with `error` saying why, when the unit cannot be opened.
  virtual std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) = 0;
};

class SystemUnitOpener final : public UnitOpener {
 public:
  std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) override;
};

// What the drivers list as units: the system's drives (under `roots`), then the
// disc images, each a unit of its own.
struct DriveSources {
  DeviceRoots roots;
  std::vector<std::string> imagePaths;
  UnitOpener* opener = nullptr;  // not owned; the system opener when absent
};

// The image units of a list of .cue paths.
std::vector<UnitLocation> ImageUnits(const std::vector<std::string>& imagePaths);

// Sends INQUIRY to `device` up to `tries` times and copies the identification into
// `record`; false (record untouched) when no try completed.
bool InquireInto(ScsiDevice& device, int32_t tries, DeviceRecord& record);

// A record for `unit` with its path and address (identification still empty).
DeviceRecord RecordFor(const UnitLocation& unit);

UnitOpener& OpenerOf(const DriveSources& sources);

}  // namespace sonvarek
