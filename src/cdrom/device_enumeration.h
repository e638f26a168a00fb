#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonvarek {

// Where one unit of the device list lives.
struct UnitLocation {
  enum class Kind { Device, Image };
  Kind kind = Kind::Device;
  std::string path;  // the device node, or the image's .cue file
  int32_t host = 0;
  int32_t channel = 0;
  int32_t target = 0;
  int32_t lun = 0;
};

// Where the system lists its devices: "/sys" and "/dev" normally; tests point them
// at a fake tree.
struct DeviceRoots {
  std::string sysfs = "/sys";
  std::string dev = "/dev";
};

inline constexpr size_t kMaxNativeDrives = 8;

// The CD drives' block devices: <sysfs>/block/srN, sorted by N, as <dev>/srN, with
// host/channel/target/LUN from the name of the `device` link. At most `limit`.
std::vector<UnitLocation> ListCdBlockDevices(const DeviceRoots& roots, size_t limit);

// SCSI generic devices whose <sysfs>/class/scsi_generic/sgN/device/type is 5 (CD-ROM),
// as <dev>/sgN, in host:channel:target:LUN order. At most `limit`.
std::vector<UnitLocation> ListGenericCdDevices(const DeviceRoots& roots, size_t limit);

// Parses "H:C:T:L" into the location; false (location untouched) when it is not one.
bool ParseScsiAddress(std::string_view text, UnitLocation& location);

}  // namespace sonvarek
