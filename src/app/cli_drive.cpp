#include "app/cli_drive.h"

#include <charconv>
#include <ostream>

#include "app/cli_command.h"
#include "cdrom/driver_creation.h"
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
  int32_t unit = -1;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), unit);
  if (error != std::errc() || end != value.data() + value.size() || unit < 0) {
    TellUser(err, FormatText(text::kCliDeviceNumber, value));
    return true;
  }
  choice.device = unit;
  ok = true;
  return true;
}

namespace {

std::unique_ptr<CSCSIDriver> OpenChosenDrive(const DriveChoice& choice, Settings& settings, UserNotice& notice) {
  if (!choice.image.empty()) {
    auto driver = std::make_unique<CSCSIDriverImage>(settings, std::vector<std::string>{choice.image});
    bool usable = driver->Init(0) != 0;
    for (const std::string& error : driver->UnitErrors()) notice.Show(error, NoticeKind::Error);
    if (!usable) return nullptr;
    return driver;
  }
  if (choice.device) settings.CDROMDriver = *choice.device;
  CdDriverCreation creation = CreateCdDriver(settings, notice, SystemDriveSources());
  if (!creation.usable || creation.driver->DeviceCount() < 1) return nullptr;
  if (choice.device && *choice.device >= creation.driver->DeviceCount()) {
    notice.Show(FormatText(text::kCliNoSuchUnit, *choice.device, creation.driver->DeviceCount()),
                NoticeKind::Error);
    return nullptr;
  }
  return std::move(creation.driver);
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

int OpenAudioDisc(const DriveChoice& choice, Settings& settings, UserNotice& notice, OpenedDisc& opened) {
  opened.driver = OpenChosenDrive(choice, settings, notice);
  if (!opened.driver) {
    notice.Show(text::kNoCdromFound, NoticeKind::Error);
    return kExitNoDevice;
  }
  return ReadAudioDisc(opened, notice) ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
