#include "app/cli_drive.h"

#include <ostream>

#include "app/cli_command.h"
#include "cdrom/disc_image.h"
#include "cdrom/driver_creation.h"
#include "cdrom/image_drive.h"
#include "cdrom/scsi_driver_image.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

bool TakeDriveOption(const std::vector<std::string>& arguments, size_t& i, DriveChoice& choice, std::ostream& err,
                     bool& ok) {
  const std::string& argument = arguments[i];
  if (argument != "--device" && argument != "--image") return false;
  ok = false;
  if (i + 1 >= arguments.size()) {
    TellUser(err, FormatText(text::kCliOptionNeedsValue, argument));
    return true;
  }
  if (choice.device || !choice.image.empty()) {
    TellUser(err, text::kCliDriveOnce);
    return true;
  }
  const std::string& value = arguments[++i];
  if (argument == "--image") {
    choice.image = value;
    ok = true;
    return true;
  }
  std::optional<int32_t> unit = ParseCliNumber(value);
  if (!unit || *unit < 0) {
    TellUser(err, FormatText(text::kCliDeviceNumber, value));
    return true;
  }
  choice.device = *unit;
  ok = true;
  return true;
}

namespace {

// Whether the images failed to load for what they hold rather than for being absent.
// Only asked after a failure, so loading them once more costs nothing in a good run.
bool AnyImageMalformed(const std::vector<std::string>& imagePaths) {
  if (imagePaths.empty()) return false;
  std::string error;
  if (!ImageDriveOptionsFromEnvironment(error)) return true;
  for (const std::string& path : imagePaths) {
    ImageFault fault = ImageFault::None;
    if (!DiscImage::Load(path, error, &fault) && fault == ImageFault::Malformed) return true;
  }
  return false;
}

int OpenImageDrive(const std::string& image, Settings& settings, UserNotice& notice,
                   std::unique_ptr<CSCSIDriver>& opened) {
  auto driver = std::make_unique<CSCSIDriverImage>(settings, std::vector<std::string>{image});
  bool usable = driver->Init(0) != 0;
  for (const std::string& error : driver->UnitErrors()) notice.Show(error, NoticeKind::Error);
  if (!usable) return NoDriveStatus({image}, notice);
  opened = std::move(driver);
  return kExitOk;
}

int OpenChosenDrive(const DriveChoice& choice, Settings& settings, UserNotice& notice,
                    std::unique_ptr<CSCSIDriver>& opened) {
  if (!choice.image.empty()) return OpenImageDrive(choice.image, settings, notice, opened);
  if (choice.device) settings.CDROMDriver = *choice.device;
  DriveSources sources = SystemDriveSources();
  CdDriverCreation creation = CreateCdDriver(settings, notice, sources);
  if (!creation.usable || creation.driver->DeviceCount() < 1) return NoDriveStatus(sources.imagePaths, notice);
  if (choice.device && *choice.device >= creation.driver->DeviceCount()) {
    notice.Show(FormatText(text::kCliNoSuchUnit, *choice.device, creation.driver->DeviceCount()),
                NoticeKind::Error);
    notice.Show(text::kNoCdromFound, NoticeKind::Error);
    return kExitNoDevice;
  }
  opened = std::move(creation.driver);
  return kExitOk;
}

bool ReadAudioDisc(OpenedDisc& opened, UserNotice& notice) {
  opened.reading = ReadDisc(*opened.driver, opened.toc, opened.disc);
  if (opened.reading.tocRead && !opened.reading.tracks.empty()) return true;
  std::string reason = opened.driver->LastErrorText();
  notice.Show(std::string(text::kPleaseInsertAnAudioCd) + (reason.empty() ? "" : " (" + reason + ")"),
              NoticeKind::Error);
  return false;
}

}  // namespace

int NoDriveStatus(const std::vector<std::string>& imagePaths, UserNotice& notice) {
  if (AnyImageMalformed(imagePaths)) return kExitFailed;
  notice.Show(text::kNoCdromFound, NoticeKind::Error);
  return kExitNoDevice;
}

int OpenAudioDisc(const DriveChoice& choice, Settings& settings, UserNotice& notice, OpenedDisc& opened) {
  if (int status = OpenChosenDrive(choice, settings, notice, opened.driver); status != kExitOk) return status;
  return ReadAudioDisc(opened, notice) ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
