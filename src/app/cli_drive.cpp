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

bool WalkDiscArguments(const std::vector<std::string>& arguments, size_t first, DriveChoice& drive, const char* usage,
                       std::ostream& err, const std::function<bool(const std::string& name, const std::string& value)>& take) {
  for (size_t i = first; i < arguments.size(); ++i) {
    bool ok = true;
    if (TakeDriveOption(arguments, i, drive, err, ok)) {
      if (!ok) return false;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      TellUser(err, FormatText(text::kCliOptionNeedsValue, arguments[i]));
      TellUser(err, usage);
      return false;
    }
    if (!take(arguments[i], arguments[i + 1])) return false;
    ++i;
  }
  return true;
}

std::optional<std::pair<int, std::string>> ParseTitleOption(const std::string& value) {
  size_t equals = value.find('=');
  if (equals == std::string::npos) return std::nullopt;
  std::optional<int32_t> track = ParseCliNumber(value.substr(0, equals));
  if (!track || *track < 1 || *track >= kDiscEntries) return std::nullopt;
  return std::pair<int, std::string>{*track, value.substr(equals + 1)};
}

bool ApplyTitles(DiscSession& session, const std::vector<std::pair<int, std::string>>& titles, std::ostream& err) {
  for (const auto& [track, title] : titles) {
    if (session.SetTrackTitle(track, title)) continue;
    TellUser(err, FormatText(text::kCliNoSuchTrack, track));
    return false;
  }
  return true;
}

void PrintDiscTexts(DiscSession& session, std::ostream& out) {
  const TagSet& disc = session.disc().entries[0];
  out << FormatText(text::kCliInfoArtist, disc.Artist) << '\n'
      << FormatText(text::kCliInfoAlbum, disc.Album) << '\n'
      << FormatText(text::kCliInfoYear, disc.Year) << '\n'
      << FormatText(text::kCliInfoGenre, disc.GenreName) << '\n'
      << FormatText(text::kCliInfoComment, disc.Comment) << '\n';
  for (const TrackRow& row : session.tracks().Rows()) out << FormatText(text::kCliInfoTrack, row.track, row.title) << '\n';
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
