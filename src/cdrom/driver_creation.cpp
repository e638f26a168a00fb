#include "cdrom/driver_creation.h"

#include <cstdlib>
#include <string_view>

#include "cdrom/scsi_driver_98.h"
#include "cdrom/scsi_driver_native.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

CdDriverCreation CreateCdDriver(Settings& settings, UserNotice& notice, const DriveSources& sources) {
  CdDriverCreation creation;
  if (settings.CDROMDriver < 0) settings.CDROMDriver = 0;
  bool generic = settings.bUseASPI != 0;
  if (generic) {
    creation.driver = std::make_unique<CSCSIDriver98>(settings, sources);
  } else {
    creation.driver = std::make_unique<CSCSIDriverNative>(settings, sources);
  }
  bool initialised = creation.driver->Init(settings.CDROMDriver) != 0;
  for (const std::string& error : creation.driver->UnitErrors()) notice.Show(error, NoticeKind::Warning);
  if (!initialised) {
    notice.Show(generic ? text::kErrorInitializeCdromAspi : text::kErrorInitializeCdromNative, NoticeKind::Error);
    return creation;
  }
  if (settings.CDROMDriver >= creation.driver->DeviceCount()) settings.CDROMDriver = 0;
  creation.usable = true;
  return creation;
}

std::string DeviceStatusText(const CdDriverCreation& creation) {
  if (!creation.usable || !creation.driver || creation.driver->DeviceCount() < 1) return text::kNoCdromFound;
  const DeviceRecord& device = creation.driver->Devices()[creation.driver->SelectedDevice()];
  return FormatText(text::kDeviceStatusFormat, device.DisplayName());
}

std::vector<std::string> ImagePathsFromEnvironment() {
  std::vector<std::string> paths;
  const char* value = std::getenv("SONVAREK_CD_IMAGE");
  if (value == nullptr) return paths;
  std::string_view list(value);
  while (!list.empty()) {
    size_t colon = list.find(':');
    std::string_view path = list.substr(0, colon);
    if (!path.empty()) paths.emplace_back(path);
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
  }
  return paths;
}

DriveSources SystemDriveSources(const std::vector<std::string>& extraImages) {
  DriveSources sources;
  sources.imagePaths = ImagePathsFromEnvironment();
  sources.imagePaths.insert(sources.imagePaths.end(), extraImages.begin(), extraImages.end());
  return sources;
}

}  // namespace sonvarek
