#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "cdrom/extraction_step.h"
#include "cdrom/rip_batch.h"
#include "core/output_naming.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/playlist.h"
#include "platform/folders.h"

namespace sonvarek {
namespace {

struct RipOptions {
  DriveChoice drive;
  std::string tracks;
  std::string format;
  std::string output;
  std::optional<std::string> rule;
  std::string playlist;
  std::optional<std::string> artist;
  std::optional<std::string> album;
  std::vector<std::pair<int, std::string>> titles;
};

bool TakeTitle(const std::string& value, RipOptions& options) {
  size_t equals = value.find('=');
  std::optional<int> track = equals == std::string::npos ? std::nullopt : ParseCliNumber(value.substr(0, equals));
  if (!track || *track < 1 || *track >= kDiscEntries) return false;
  options.titles.emplace_back(*track, value.substr(equals + 1));
  return true;
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
    if (i + 1 >= arguments.size()) {
      TellUser(err, text::kCliRipUsage);
      return std::nullopt;
    }
    const std::string& value = arguments[++i];
    if (argument == "--tracks") {
      options.tracks = value;
    } else if (argument == "--format" && (value == "mp3" || value == "wav" || value == "ogg")) {
      options.format = value;
    } else if (argument == "--output") {
      options.output = value;
    } else if (argument == "--rule") {
      options.rule = value;
    } else if (argument == "--playlist") {
      options.playlist = value;
    } else if (argument == "--artist") {
      options.artist = value;
    } else if (argument == "--album") {
      options.album = value;
    } else if (argument == "--title" && TakeTitle(value, options)) {
    } else {
      TellUser(err, FormatText(text::kCliRipUnexpected, argument, value));
      TellUser(err, text::kCliRipUsage);
      return std::nullopt;
    }
  }
  return options;
}

// "1,3-5" as track numbers in list order; every audio track when empty.
std::optional<std::vector<int>> SelectTracks(const std::string& list, const std::vector<TocTrack>& tracks) {
  auto isAudioTrack = [&tracks](int number) {
    for (const TocTrack& track : tracks) {
      if (track.number == number) return !track.isData;
    }
    return false;
  };
  std::vector<int> wanted;
  if (list.empty()) {
    for (const TocTrack& track : tracks) {
      if (!track.isData) wanted.push_back(track.number);
    }
    return wanted;
  }
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    std::string part = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    size_t dash = part.find('-');
    std::optional<int> first = ParseCliNumber(part.substr(0, dash));
    std::optional<int> last = dash == std::string::npos ? first : ParseCliNumber(part.substr(dash + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    for (int number = *first; number <= *last; ++number) {
      if (!isAudioTrack(number)) return std::nullopt;
      wanted.push_back(number);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return wanted;
}

// The per-run overrides of the settings: kExitOk, or the status after saying why not
// (a bad rule is a usage mistake; an output folder that cannot be made is a failure).
int ApplyOverrides(const RipOptions& options, Settings& settings, std::ostream& err) {
  if (!options.format.empty()) settings.OutputFormat = options.format == "wav" ? 1 : options.format == "ogg" ? 2 : 0;
  if (options.rule) {
    std::string rule = *options.rule;
    if (CheckNamingRule(rule) == NamingRuleCheck::Refused) {
      TellUser(err, text::kNamingRuleNeedsToken);
      return kExitUsage;
    }
    settings.NamingRule = rule;
  }
  if (options.output.empty()) return kExitOk;
  // Absolute, so that the play list and the file list name files wherever they are read.
  settings.OutputFolder = WithoutTrailingSlashes(AbsolutePath(options.output));
  settings.effectiveOutputFolder = WithOneTrailingSlash(settings.OutputFolder);
  if (MakeSureDirectoryPathExists(settings.effectiveOutputFolder)) return kExitOk;
  TellUser(err, text::kCantOpenOutputDirectory);
  return kExitFailed;
}

void ApplyTexts(const RipOptions& options, DiscRecord& disc) {
  if (options.artist || options.album) {
    SetDiscInfo(disc, options.artist.value_or(disc.entries[1].Artist), options.album.value_or(disc.entries[0].Album),
                disc.entries[0].GenreName);
  }
  for (const auto& [track, title] : options.titles) {
    if (track < disc.entryCount) disc.entries[track].Title = title;
  }
}

}  // namespace

// Rips checked tracks of a disc (or a disc image) as the main window's Extract does.
int RunRipCommand(const CommandContext& context) {
  std::optional<RipOptions> options = ParseRipOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  StreamNotice notice(context.err);
  Settings settings = LoadSettings(SystemFolders(context.home), notice);
  if (int status = ApplyOverrides(*options, settings, context.err); status != kExitOk) return status;
  // There is no Ogg Vorbis encoder yet: refused before the drive is even opened.
  if (OutputFormatOf(settings) == OutputFormat::Ogg) {
    TellUser(context.err, text::kCliOggNotAvailable);
    return kExitFailed;
  }

  OpenedDisc opened;
  if (int status = OpenAudioDisc(options->drive, settings, notice, opened); status != kExitOk) return status;
  ApplyTexts(*options, opened.disc);
  std::optional<std::vector<int>> tracks = SelectTracks(options->tracks, opened.reading.tracks);
  if (!tracks) {
    TellUser(context.err, FormatText(text::kCliTracksNoAudio, options->tracks));
    return kExitUsage;
  }
  std::unique_ptr<ConversionBatch> batch = MakeRipBatch(opened.disc, *tracks, settings, *opened.driver);
  if (!batch) {
    notice.Show(text::kSelectOneItem, NoticeKind::Error);
    return kExitUsage;
  }
  Mp3EncoderLibrary library;
  if (OutputFormatOf(settings) == OutputFormat::Mp3) LoadEncoderAtStart(library, settings.MP3Encoder, notice);
  std::vector<std::string> files;
  int status = RunBatchOnConsole(std::move(batch), RipStepTable(library), context.err, &files);
  if (status == kExitOk && !options->playlist.empty()) {
    bool written = AppendPlaylist(options->playlist, files);
    notice.Show(written ? text::kPlaylistCreated : text::kPlaylistFailed,
                written ? NoticeKind::Information : NoticeKind::Error);
    if (!written) return kExitFailed;
  }
  return status;
}

}  // namespace sonvarek
