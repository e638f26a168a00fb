#include <charconv>
#include <memory>
#include <optional>
#include <ostream>

#include "app/cli_command.h"
#include "cdrom/disc_reader.h"
#include "cdrom/driver_creation.h"
#include "cdrom/scsi_driver_image.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

struct TocOptions {
  std::optional<int32_t> device;
  std::string image;
};

std::optional<TocOptions> ParseTocOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  TocOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (argument == "--device" && hasValue && !options.device) {
      const std::string& value = arguments[++i];
      int32_t unit = -1;
      auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), unit);
      if (error != std::errc() || end != value.data() + value.size() || unit < 0) {
        err << "sonvarek: --device needs a unit number, not '" << value << "'\n";
        return std::nullopt;
      }
      options.device = unit;
    } else if (argument == "--image" && hasValue && options.image.empty()) {
      options.image = arguments[++i];
    } else {
      err << "sonvarek: usage: toc [--device N | --image FILE]\n";
      return std::nullopt;
    }
  }
  if (options.device && !options.image.empty()) {
    err << "sonvarek: toc takes --device or --image, not both\n";
    return std::nullopt;
  }
  return options;
}

// The driver for the command: the image alone, or the units start-up would find.
std::unique_ptr<CSCSIDriver> OpenDriver(const TocOptions& options, Settings& settings, UserNotice& notice) {
  if (!options.image.empty()) {
    auto driver = std::make_unique<CSCSIDriverImage>(settings, std::vector<std::string>{options.image});
    bool usable = driver->Init(0) != 0;
    for (const std::string& error : driver->UnitErrors()) notice.Show(error, NoticeKind::Error);
    return usable ? std::move(driver) : nullptr;
  }
  if (options.device) settings.CDROMDriver = *options.device;
  CdDriverCreation creation = CreateCdDriver(settings, notice, SystemDriveSources());
  if (!creation.usable || creation.driver->DeviceCount() < 1) return nullptr;
  if (options.device && *options.device >= creation.driver->DeviceCount()) {
    notice.Show(FormatText("there is no unit %d (%d found)", *options.device, creation.driver->DeviceCount()),
                NoticeKind::Error);
    return nullptr;
  }
  return std::move(creation.driver);
}

void PrintToc(const DiscReading& reading, const DiscTOC& toc, std::ostream& out) {
  for (const TocTrack& track : reading.tracks) {
    out << FormatText("%02d  %6u  %6u  %s  %s%s\n", track.number, track.startSector, track.endSector,
                      track.lengthText, track.sizeText, track.isData ? "  data" : "");
  }
  out << FormatText("lead-out  %u\n", LeadOutSector(toc));
}

}  // namespace

// Reads the table of contents as the track list shows it: one line per track with
// its number, start and end sector, length and size, then the lead-out.
int RunTocCommand(const CommandContext& context) {
  std::optional<TocOptions> options = ParseTocOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  StreamNotice notice(context.err);
  Settings settings = LoadSettings(SystemFolders(context.home), notice);
  std::unique_ptr<CSCSIDriver> driver = OpenDriver(*options, settings, notice);
  if (!driver) {
    notice.Show(text::kNoCdromFound, NoticeKind::Error);
    return kExitNoDevice;
  }
  DiscTOC toc;
  DiscRecord disc;
  DiscReading reading = ReadDisc(*driver, toc, disc);
  if (!reading.tocRead || reading.tracks.empty()) {
    std::string reason = driver->LastErrorText();
    notice.Show(std::string(text::kPleaseInsertAnAudioCd) + (reason.empty() ? "" : " (" + reason + ")"),
                NoticeKind::Error);
    return kExitFailed;
  }
  PrintToc(reading, toc, context.out);
  return kExitOk;
}

}  // namespace sonvarek
