#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "app/interrupt_catcher.h"
#include "cdrom/cd_player.h"
#include "cdrom/digital_playback.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/auto_play.h"
#include "session/track_list_rows.h"

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

// The desktop does not auto-play a disc while the player runs (DisableAutoPlay); its own
// value comes back when the command ends, however it ends short of a kill.
class AutoPlayWhilePlaying {
 public:
  explicit AutoPlayWhilePlaying(const Settings& settings) : switch_(setting_) {
    switch_.Start(settings.DisableAutoPlay != 0);
  }
  ~AutoPlayWhilePlaying() { switch_.Restore(); }
  AutoPlayWhilePlaying(const AutoPlayWhilePlaying&) = delete;
  AutoPlayWhilePlaying& operator=(const AutoPlayWhilePlaying&) = delete;

 private:
  GsettingsAutoRunSetting setting_;
  AutoPlaySwitch switch_;
};

// Ten ticks (two seconds) without a playing, paused or completed status end the command.
constexpr int kSilentTicksBeforeGivingUp = 10;

bool Playing(PlaybackOutput& output) {
  int32_t relative = 0;
  int32_t absolute = 0;
  int32_t status = 0;
  if (!output.Position(relative, absolute, status)) return false;
  return status == kAudioPlaying || status == kAudioPaused || status == kAudioCompleted;
}

// What a key does; false for q (stop and end).
bool HandleKey(char key, CdPlayer& player) {
  switch (key) {
    case ' ':
      if (player.paused()) {
        player.PlaySelected();
      } else {
        player.Pause();
      }
      return true;
    case 'n': player.Next(); return true;
    case 'p': player.Previous(); return true;
    case 'q': player.Stop(); return false;
    default: return true;
  }
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
  AutoPlayWhilePlaying autoPlay(disc.settings);
  if (!session.SelectTracks(options->tracks)) {
    TellUser(context.err, FormatText(text::kCliTracksNoAudio, options->tracks));
    return kExitUsage;
  }
  std::unique_ptr<PlaybackOutput> output;
  DigitalPlayback* digital = nullptr;
  if (disc.settings.PlaybackOutput == 1) {
    output = std::make_unique<DrivePlayback>(*session.driver());
  } else {
    auto owned = std::make_unique<DigitalPlayback>(*session.driver(), session.toc());
    digital = owned.get();
    output = std::move(owned);
  }
  TrackListRows rows(session);
  std::string device = FormatText(text::kDeviceStatusFormat, std::string(session.Units().front().DisplayName()));
  CdPlayer player(*output, session.toc(), rows, device);

  InterruptCatcher interrupt;
  RawKeys keys;
  bool terminal = isatty(STDOUT_FILENO) != 0;
  player.PlaySelected();
  std::string shownLine;
  std::string shownTime;
  int silentTicks = 0;
  while (player.timerRunning()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (interrupt.Interrupted()) {
      player.Stop();
      return kExitCancelled;
    }
    if (std::optional<char> key = keys.Take(); key && !HandleKey(*key, player)) break;
    player.Tick();
    if (digital) {
      if (std::optional<std::string> notice = digital->TakeNotice()) TellUser(context.err, *notice);
    }
    // The player ignores an output that plays nothing, as a window does; a command
    // that would wait for ever ends instead.
    silentTicks = player.paused() || Playing(*output) ? 0 : silentTicks + 1;
    if (player.timerRunning() && silentTicks >= kSilentTicksBeforeGivingUp) {
      TellUser(context.err, text::kCliNothingPlays);
      player.Stop();
      return kExitFailed;
    }
    if (player.statusLine() != shownLine && player.statusLine() != device) {
      shownLine = player.statusLine();
      context.out << (terminal ? "\r" : "") << shownLine << '\n';
    }
    std::string time = player.timeText().substr(0, 5);
    if (time != shownTime) {
      shownTime = time;
      context.out << (terminal ? "\r" : "") << time << (terminal ? "" : "\n") << std::flush;
    }
  }
  if (terminal) context.out << '\n';
  return kExitOk;
}

}  // namespace sonvarek
