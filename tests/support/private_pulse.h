#pragma once

// A PulseAudio sound server private to one test, for everything that plays or mixes sound
// through ALSA's `default` device (the master volume, CD playback through the sound card).
//
//   test::PrivatePulse pulse;                 // starts the server, or says why not
//   ASSERT_TRUE(pulse.Ready()) << pulse.Problem();
//   MasterVolumeControl volume;               // ALSA "default" is now this server's null sink
//   std::string bytes = pulse.Record([&] { /* play something through ALSA "default" */ });
//
// While the object lives, this process's environment (and so every program it starts)
// points at the private server:
//   HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR  folders inside the temporary folder, so no
//                                           user configuration (~/.asoundrc, ~/.config/pulse) counts
//   PULSE_SERVER=unix:<folder>/pulse/native the server's socket
//   PULSE_CLIENTCONFIG=<folder>/client.conf autospawn and shared memory off
//   ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:<folder>/asound.conf
//                                           the system's configuration, then one that routes
//                                           pcm and ctl `default` to the pulse plugin
//                                           (libasound2-plugins) whatever cards the machine has
//   DBUS_SESSION_BUS_ADDRESS                a missing bus, DISPLAY and WAYLAND_DISPLAY unset: the
//                                           server never touches the desktop session
// and the previous values come back when it goes. Tests that start programs inherit it all.
//
// The server has one sink, `test` (a null sink, s16le 44100 Hz stereo, the CD's format, so a
// play-out at 100 % volume arrives unchanged), which is the default sink; its monitor is
// `test.monitor`. The sink never rewinds (norewinds=1): a rewind re-renders sound the monitor
// has already handed out, and the recording then misses or smears the start of a play-out.
// The server runs as root too (it only warns), as the tests do in CI:
//   pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no
//              --system=no --disable-shm=yes --realtime=no --high-priority=no
//              --log-target=stderr -F <folder>/server.pa
// Its output goes to <folder>/pulseaudio.log (see Problem()).
//
// Mode::NoServer sets up the same environment with PULSE_SERVER naming a socket that does not
// exist and starts nothing: ALSA's `default` then cannot be opened, for the "no sound" cases.
//
// Destroy everything that holds an ALSA or PulseAudio connection before this object. One
// server per test; tests in separate processes (ctest -j) each get their own. Sink volume
// and mute stay as the test leaves them; a play-out that must arrive unchanged needs the sink
// at 65536 and unmuted (the server starts so).

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/run_program.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

extern char** environ;

namespace sonvarek::test {

class PrivatePulse {
 public:
  enum class Mode { Running, NoServer };

  static constexpr char kSink[] = "test";
  static constexpr char kMonitor[] = "test.monitor";

  explicit PrivatePulse(Mode mode = Mode::Running) {
    namespace fs = std::filesystem;
    for (const char* name : {"home", "config", "runtime", "pulse"}) fs::create_directory(folder_ / name);
    fs::permissions(folder_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    WriteWholeFile(folder_ / "client.conf", "autospawn = no\nenable-shm = no\n");
    WriteWholeFile(folder_ / "asound.conf",
                   "pcm.!default { type pulse }\n"
                   "ctl.!default { type pulse }\n");
    std::string socket = folder_ / (mode == Mode::Running ? "pulse/native" : "pulse/missing");
    environment_.Set("HOME", folder_ / "home");
    environment_.Set("XDG_CONFIG_HOME", folder_ / "config");
    environment_.Set("XDG_RUNTIME_DIR", folder_ / "runtime");
    environment_.Set("PULSE_SERVER", "unix:" + socket);
    environment_.Set("PULSE_CLIENTCONFIG", folder_ / "client.conf");
    environment_.Set("ALSA_CONFIG_PATH", "/usr/share/alsa/alsa.conf:" + folder_ / "asound.conf");
    environment_.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folder_ / "no-bus");
    environment_.Unset("DISPLAY");
    environment_.Unset("WAYLAND_DISPLAY");
    if (mode == Mode::NoServer) {
      ready_ = true;
      return;
    }
    WriteWholeFile(folder_ / "server.pa",
                   std::string("load-module module-null-sink sink_name=") + kSink +
                       " rate=44100 format=s16le channels=2 norewinds=1\n"
                       "set-default-sink " + kSink + "\n"
                       "load-module module-native-protocol-unix auth-anonymous=1 socket=" + socket + "\n");
    server_ = Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                     "--use-pid-file=no", "--system=no", "--disable-shm=yes", "--realtime=no", "--high-priority=no",
                     "--log-target=stderr", "-F", folder_ / "server.pa"},
                    folder_ / "pulseaudio.log", true);
    if (server_ <= 0) {
      problem_ = "pulseaudio could not be started (is the pulseaudio package installed?)";
      return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(server_, nullptr, WNOHANG) == server_) {
        server_ = -1;
        problem_ = "pulseaudio ended at start-up:\n" + ReadWholeFile(folder_ / "pulseaudio.log");
        return;
      }
      if (Pactl("info")) {
        ready_ = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    problem_ = "pulseaudio did not accept connections within 20 s:\n" + ReadWholeFile(folder_ / "pulseaudio.log");
  }

  ~PrivatePulse() { Stop(server_); }
  PrivatePulse(const PrivatePulse&) = delete;
  PrivatePulse& operator=(const PrivatePulse&) = delete;

  // Running: the server accepts connections. NoServer: always.
  bool Ready() const { return ready_; }
  // Why the server is not ready, with its log.
  const std::string& Problem() const { return problem_; }
  // The temporary folder (with a trailing '/'); free for the test's own files too.
  std::string Folder() const { return folder_.Path(); }

  // Runs `pactl ARGUMENTS` (arguments as one shell text); its standard output, or nothing
  // when it failed.
  std::optional<std::string> Pactl(const std::string& arguments) const {
    ProgramResult result = RunProgram("pactl " + arguments + " 2>/dev/null");
    if (result.status != 0) return std::nullopt;
    return result.out;
  }

  bool SetSinkMute(bool muted) const {
    return Pactl(std::string("set-sink-mute ") + kSink + (muted ? " 1" : " 0")).has_value();
  }
  // `raw` as PulseAudio counts it: 65536 is 100 %.
  bool SetSinkVolume(long raw) const {
    return Pactl(std::string("set-sink-volume ") + kSink + " " + std::to_string(raw)).has_value();
  }
  std::optional<bool> SinkMuted() const {
    std::optional<std::string> out = Pactl(std::string("get-sink-mute ") + kSink);
    if (!out) return std::nullopt;
    if (out->find("Mute: yes") != std::string::npos) return true;
    if (out->find("Mute: no") != std::string::npos) return false;
    return std::nullopt;
  }
  // The raw volume of each channel, in channel order; empty when it could not be read.
  std::vector<long> SinkVolumes() const {
    // "Volume: front-left: 32768 /  50% / -18.06 dB,   front-right: 32768 / ..."
    std::vector<long> volumes;
    std::optional<std::string> out = Pactl(std::string("get-sink-volume ") + kSink);
    if (!out) return volumes;
    std::string line = out->substr(0, out->find('\n'));
    for (size_t at = line.find(": "); at != std::string::npos; at = line.find(": ", at + 2)) {
      size_t digits = at + 2;
      size_t end = digits;
      while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
      if (end > digits && line.compare(end, 2, " /") == 0) volumes.push_back(std::stol(line.substr(digits, end - digits)));
    }
    return volumes;
  }

  // Records the sink's monitor (raw s16le, 44100 Hz, stereo, interleaved) while `play` runs
  // and for `tail` after it returns, so that what was still on its way through the server
  // arrives too. The recording is already running when `play` starts; it holds silence
  // (zero bytes) before and after the play-out, and between the pieces if `play` pauses,
  // so search the result for the samples expected rather than comparing from its start.
  // `play` should wait until its sound has been played (snd_pcm_drain) before it returns.
  // Empty when parec could not record.
  std::string Record(const std::function<void()>& play,
                     std::chrono::milliseconds tail = std::chrono::milliseconds(500)) const {
    std::string file = folder_ / "monitor.raw";
    std::filesystem::remove(file);
    pid_t recorder = Spawn({"parec", std::string("--device=") + kMonitor, "--format=s16le", "--rate=44100",
                            "--channels=2", "--raw", "--latency-msec=20"},
                           file, false);
    if (recorder <= 0) return {};
    // Data arriving in the file shows that the stream runs.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::error_code error;
    while (std::filesystem::file_size(file, error) == 0 || error) {
      if (std::chrono::steady_clock::now() > deadline || waitpid(recorder, nullptr, WNOHANG) == recorder) {
        Stop(recorder);
        return {};
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    play();
    std::this_thread::sleep_for(tail);
    Stop(recorder, SIGINT);
    std::string bytes = ReadWholeFile(file);
    bytes.resize(bytes.size() / 4 * 4);  // whole frames only
    return bytes;
  }

 private:
  // Starts a program with the current environment, its standard output (and with `errorsToo`
  // its standard error) to `outputFile`; its pid or -1.
  static pid_t Spawn(std::vector<std::string> arguments, const std::string& outputFile, bool errorsToo) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errorsToo) {
      posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else {
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
  }

  // Ends a child started here: `signal`, then SIGKILL after 5 s.
  static void Stop(pid_t pid, int signal = SIGTERM) {
    if (pid <= 0) return;
    kill(pid, signal);
    for (int i = 0; i < 500; ++i) {
      if (waitpid(pid, nullptr, WNOHANG) == pid) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }

  TempFolder folder_;
  ScopedEnvironment environment_;
  pid_t server_ = -1;
  bool ready_ = false;
  std::string problem_;
};

}  // namespace sonvarek::test
