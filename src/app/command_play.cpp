#include <chrono>
#include <optional>
#include <ostream>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "app/interrupt_catcher.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/auto_play.h"
#include "session/selected_tracks_playback.h"

namespace sonvarek {
namespace {

struct PlayOptions {
  DriveChoice drive;
  std::string tracks;
  std::optional<int32_t> playback;  // 0 digital, 1 drive
};

std::optional<PlayOptions> ParsePlayOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  PlayOptions options;
  auto take = [&](const std::string& name, const std::string& value) {
    if (name == "--tracks") {
      options.tracks = value;
      return true;
    }
    if (name == "--playback" && (value == "digital" || value == "drive")) {
      options.playback = value == "digital" ? 0 : 1;
      return true;
    }
    TellUser(err, text::kCliPlayUsage);
    return false;
  };
  if (!WalkDiscArguments(arguments, 0, options.drive, text::kCliPlayUsage, err, take)) return std::nullopt;
  return options;
}

// Single keys without Enter while the player runs, when standard input is a terminal.
class RawKeys {
 public:
  RawKeys() : active_(isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!active_) return;
    termios raw = saved_;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  ~RawKeys() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  RawKeys(const RawKeys&) = delete;
  RawKeys& operator=(const RawKeys&) = delete;
  std::optional<char> Take() const {
    char key = 0;
    if (active_ && read(STDIN_FILENO, &key, 1) == 1) return key;
    return std::nullopt;
  }

 private:
  termios saved_{};
  bool active_;
};

// What a key does; false for q (stop and end).
bool HandleKey(char key, SelectedTracksPlayback& playback) {
  switch (key) {
    case ' ': playback.PauseOrResume(); return true;
    case 'n': playback.player().Next(); return true;
    case 'p': playback.player().Previous(); return true;
    case 'q': playback.player().Stop(); return false;
    default: return true;
  }
}

// Ticks the player until it ends, the user quits or interrupts it, or nothing plays.
int PlayToEnd(SelectedTracksPlayback& playback, std::ostream& out, std::ostream& err) {
  CdPlayer& player = playback.player();
  InterruptCatcher interrupt;
  RawKeys keys;
  bool terminal = isatty(STDOUT_FILENO) != 0;
  playback.Play();
  std::string shownLine;
  std::string shownTime;
  while (playback.running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (interrupt.Interrupted()) {
      player.Stop();
      return kExitCancelled;
    }
    if (std::optional<char> key = keys.Take(); key && !HandleKey(*key, playback)) break;
    PlaybackTick tick = playback.Tick();
    if (tick.notice) TellUser(err, *tick.notice);
    if (tick.nothingPlays) {
      TellUser(err, text::kCliNothingPlays);
      return kExitFailed;
    }
    if (player.statusLine() != shownLine && player.statusLine() != playback.deviceText()) {
      shownLine = player.statusLine();
      out << (terminal ? "\r" : "") << shownLine << '\n';
    }
    std::string time = player.timeText().substr(0, 5);
    if (time != shownTime) {
      shownTime = time;
      out << (terminal ? "\r" : "") << time << (terminal ? "" : "\n") << std::flush;
    }
  }
  if (terminal) out << '\n';
  return kExitOk;
}

}  // namespace

// Play Selected Tracks on the command line: the checked tracks one after the other,
// the "Playing : %s" line when it changes and the time once a second.
int RunPlayCommand(const CommandContext& context) {
  std::optional<PlayOptions> options = ParsePlayOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (options->playback) disc.settings.PlaybackOutput = *options->playback;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  GsettingsAutoRunSetting desktopAutoRun;
  if (!session.SelectTracks(options->tracks)) {
    TellUser(context.err, FormatText(text::kCliTracksNoAudio, options->tracks));
    return kExitUsage;
  }
  SelectedTracksPlayback playback(session, disc.settings, desktopAutoRun);
  return PlayToEnd(playback, context.out, context.err);
}

}  // namespace sonvarek

