#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

#include "support/private_pulse.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;
using Clock = std::chrono::steady_clock;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
const std::string kSampleBin = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.bin";

class CliPlayTest : public ::testing::Test {
 protected:
  std::string CommandLine(const std::string& command, const std::string& arguments) const {
    return std::string("env -u SONVAREK_CD_IMAGE ") + SONVAREK_CLI + " --home " + ShellQuoted(home.Path()) + " " +
           command + " --image " + ShellQuoted(kSampleCue) + " " + arguments;
  }
  std::string Sector(uint32_t sector) const { return bin.substr(static_cast<size_t>(sector) * 2352, 2352); }

  test::PrivatePulse pulse;
  test::TempFolder home;
  std::string bin = test::ReadWholeFile(kSampleBin);
};

TEST_F(CliPlayTest, TheCheckedTrackIsHeardAndTheTimeShown) {
  ASSERT_TRUE(pulse.Ready()) << pulse.Problem();
  test::ProgramResult played;
  std::string recording = pulse.Record([&] { played = test::RunProgram(CommandLine("play", "--tracks 2") + " 2>&1"); });
  ASSERT_EQ(played.status, 0) << played.out;
  EXPECT_NE(played.out.find("Playing : Track 2\n"), std::string::npos) << played.out;
  EXPECT_NE(played.out.find("00:03\n"), std::string::npos) << played.out;
  EXPECT_NE(recording.find(Sector(1073 + 100)), std::string::npos);  // track 2 runs from 1073 to 1458
  EXPECT_EQ(recording.find(Sector(1073 - 100)), std::string::npos);  // track 1 was not played
}

TEST_F(CliPlayTest, CtrlCStopsTheSoundAtOnce) {
  ASSERT_TRUE(pulse.Ready()) << pulse.Problem();
  Clock::time_point interrupted;
  int status = -1;
  std::string recording = pulse.Record([&] {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      execl("/bin/sh", "sh", "-c", ("exec " + CommandLine("play", "--tracks 4") + " >/dev/null 2>&1").c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    interrupted = Clock::now();
    kill(child, SIGINT);
    waitpid(child, &status, 0);
    EXPECT_LT(Clock::now() - interrupted, std::chrono::milliseconds(500));
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  size_t first = recording.find_first_not_of('\0');
  size_t last = recording.find_last_not_of('\0');
  ASSERT_NE(first, std::string::npos);
  double heard = static_cast<double>(last - first) / (44100 * 4);
  EXPECT_LT(heard, 1.5 + 0.2) << "sound went on after Ctrl+C";
}

TEST_F(CliPlayTest, WithoutASoundServerTheCommandSaysSoAndTheDriveOutputStillPlays) {
  test::PrivatePulse none(test::PrivatePulse::Mode::NoServer);
  test::ProgramResult digital = test::RunProgram(CommandLine("play", "--tracks 2") + " 2>&1");
  EXPECT_EQ(digital.status, 1);
  EXPECT_NE(digital.out.find("No sound output: "), std::string::npos) << digital.out;

  test::ProgramResult drive = test::RunProgram(CommandLine("play", "--tracks 2 --playback drive") + " 2>&1");
  EXPECT_EQ(drive.status, 0) << drive.out;
  EXPECT_NE(drive.out.find("Playing : Track 2\n"), std::string::npos) << drive.out;
  EXPECT_EQ(test::RunProgram(CommandLine("play", "--playback loud")).status, 64);
}

TEST_F(CliPlayTest, TheDesktopDoesNotAutoPlayWhileThePlayerRuns) {
  // A desktop's setting store: a gsettings on PATH that keeps its value in a file and
  // logs every call.
  std::string bin = home / "bin";
  fs::create_directories(bin);
  test::WriteWholeFile(home / "value", "false\n");
  test::WriteWholeFile(bin + "/gsettings",
                       "#!/bin/sh\necho \"$*\" >> " + ShellQuoted(home / "calls") + "\n"
                       "if [ \"$1\" = get ]; then cat " + ShellQuoted(home / "value") + "; else echo \"$4\" > " +
                           ShellQuoted(home / "value") + "; fi\n");
  fs::permissions(bin + "/gsettings", fs::perms::owner_all);
  std::string path = "PATH=" + ShellQuoted(bin) + ":\"$PATH\" ";
  test::ProgramResult played = test::RunProgram(path + CommandLine("play", "--tracks 2 --playback drive") + " 2>&1");
  ASSERT_EQ(played.status, 0) << played.out;
  EXPECT_EQ(test::ReadWholeFile(home / "calls"),
            "get org.gnome.desktop.media-handling autorun-never\n"
            "set org.gnome.desktop.media-handling autorun-never true\n"
            "set org.gnome.desktop.media-handling autorun-never false\n");
  EXPECT_EQ(test::ReadWholeFile(home / "value"), "false\n");
}

TEST_F(CliPlayTest, EjectSavesTheDiscsTextsFirst) {
  ASSERT_EQ(test::RunProgram(CommandLine("eject", "")).status, 0);
  EXPECT_TRUE(fs::exists(home / "db/1c006e05.db"));
  EXPECT_EQ(test::RunProgram(CommandLine("eject", "--tracks 1")).status, 64);
}

}  // namespace
}  // namespace sonvarek
