#include "app/cli_drive.h"

#include <ostream>

#include "app/cli_command.h"
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

int ExitStatusOf(DiscResult result) {
  switch (result) {
    case DiscResult::Ready: return kExitOk;
    case DiscResult::NoDrive:
    case DiscResult::NoSuchUnit: return kExitNoDevice;
    case DiscResult::MalformedInput:
    case DiscResult::NoAudioDisc: return kExitFailed;
  }
  return kExitFailed;
}

}  // namespace sonvarek
