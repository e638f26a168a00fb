#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/batch_session.h"
#include "session/playlist_writing.h"
#include "session/run_overrides.h"

namespace sonvarek {
namespace {

struct RipOptions {
  DriveChoice drive;
  std::string tracks;
  RipOverrides overrides;
  std::string playlist;
  std::optional<std::string> artist;
  std::optional<std::string> album;
  std::vector<std::pair<int, std::string>> titles;
};

std::optional<OutputFormat> FormatNamed(const std::string& name) {
  if (name == "mp3") return OutputFormat::Mp3;
  if (name == "wav") return OutputFormat::Wav;
  if (name == "ogg") return OutputFormat::Ogg;
  return std::nullopt;
}

std::optional<RipOptions> ParseRipOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  RipOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    bool ok = true;
    if (TakeDriveOption(arguments, i, options.drive, err, ok)) {
      if (!ok) return std::nullopt;
      continue;
    }
    const std::string& argument = arguments[i];
    if (argument == "--secure") {
      options.overrides.secure = true;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      TellUser(err, text::kCliRipUsage);
      return std::nullopt;
    }
    const std::string& value = arguments[++i];
    if (argument == "--tracks") {
      options.tracks = value;
    } else if (auto format = argument == "--format" ? FormatNamed(value) : std::nullopt) {
      options.overrides.format = format;
    } else if (argument == "--output") {
      options.overrides.outputFolder = value;
    } else if (argument == "--rule") {
      options.overrides.namingRule = value;
    } else if (argument == "--playlist") {
      options.playlist = value;
    } else if (argument == "--artist") {
      options.artist = value;
    } else if (argument == "--album") {
      options.album = value;
    } else if (auto title = argument == "--title" ? ParseTitleOption(value) : std::nullopt) {
      options.titles.push_back(std::move(*title));
    } else {
      TellUser(err, FormatText(text::kCliRipUnexpected, argument, value));
      TellUser(err, text::kCliRipUsage);
      return std::nullopt;
    }
  }
  return options;
}

// The per-run overrides of the settings: kExitOk, or the status after saying why not
// (a bad rule is a usage mistake; an output folder that cannot be made is a failure).
int ApplyOverrides(const RipOverrides& overrides, Settings& settings, std::ostream& err) {
  switch (ApplyRipOverrides(overrides, settings)) {
    case RipOverridesResult::Applied: return kExitOk;
    case RipOverridesResult::RuleRefused: TellUser(err, text::kNamingRuleNeedsToken); return kExitUsage;
    case RipOverridesResult::FolderRefused: break;
  }
  TellUser(err, text::kCantOpenOutputDirectory);
  return kExitFailed;
}

}  // namespace

// Rips checked tracks of a disc (or a disc image) as the main window's Extract does.
int RunRipCommand(const CommandContext& context) {
  std::optional<RipOptions> options = ParseRipOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  Settings& settings = disc.settings;
  StreamNotice& notice = disc.notice;
  if (int status = ApplyOverrides(options->overrides, settings, context.err); status != kExitOk) return status;

  // The disc loads as in the main window, texts of the local disc database included;
  // the texts given here name this run's files only and are never saved.
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  session.SetDiscTexts(options->artist, options->album);
  if (!ApplyTitles(session, options->titles, context.err)) return kExitUsage;
  if (!session.SelectTracks(options->tracks)) {
    TellUser(context.err, FormatText(text::kCliTracksNoAudio, options->tracks));
    return kExitUsage;
  }
  std::unique_ptr<ConversionBatch> batch = MakeRipBatch(session, settings);
  if (!batch) {
    notice.Show(text::kSelectOneItem, NoticeKind::Error);
    return kExitUsage;
  }
  std::vector<std::string> files;
  int status = RunBatchOnConsole(std::move(batch), notice, context.err, &files);
  if (status == kExitOk && !options->playlist.empty() && !WritePlaylist(options->playlist, files, notice)) {
    return kExitFailed;
  }
  return status;
}

}  // namespace sonvarek
