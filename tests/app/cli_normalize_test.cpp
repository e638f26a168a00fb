#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/log_line.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

using test::ShellQuoted;

class CliNormalizeTest : public ::testing::Test {
 protected:
  test::ProgramResult Normalize(const std::string& arguments) {
    return test::RunProgram(std::string("env HOME=") + ShellQuoted(temp / "user") + " TMPDIR=/tmp " + SONVAREK_CLI +
                            " --home " + ShellQuoted(temp / "home") + " normalize " + arguments + " 2>&1");
  }
  test::TempFolder temp;
};

TEST_F(CliNormalizeTest, NormalizesEveryFileAndExitsZero) {
  test::WriteWav(temp / "a.wav", {1000, -1000, 16384, 0});
  test::WriteWav(temp / "b.wav", {100, 200});
  test::ProgramResult result = Normalize(ShellQuoted(temp / "a.wav") + " " + ShellQuoted(temp / "b.wav"));
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(test::ReadWavSamples(temp / "a.wav"), (std::vector<int16_t>{1900, -1899, 31129, 0}));
  EXPECT_EQ(test::ReadWavSamples(temp / "b.wav"), (std::vector<int16_t>{15564, 31129}));
  EXPECT_NE(result.out.find("Normalizing(02/02): " + temp / "b.wav"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Finished"), std::string::npos);
}

TEST_F(CliNormalizeTest, RatioOverridesTheSettingForThisRun) {
  test::WriteWav(temp / "a.wav", {1000, -2000});
  EXPECT_EQ(Normalize("--ratio 50 " + ShellQuoted(temp / "a.wav")).status, 0);
  EXPECT_EQ(test::ReadWavSamples(temp / "a.wav"), (std::vector<int16_t>{8192, -16383}));
  for (const char* ratio : {"0", "x", "50x", "''"}) {
    EXPECT_EQ(Normalize(std::string("--ratio ") + ratio + " " + ShellQuoted(temp / "a.wav")).status, 64) << ratio;
  }
  EXPECT_EQ(Normalize("").status, 64);
}

TEST_F(CliNormalizeTest, AFileThatCannotBeOpenedEndsWithTheErrorPaneAndTouchesNothingElse) {
  test::WriteWav(temp / "b.wav", {100, 200});
  std::string before = test::ReadWholeFile(temp / "b.wav");
  test::ProgramResult result = Normalize(ShellQuoted(temp / "missing.wav") + " " + ShellQuoted(temp / "b.wav"));
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("] Error: Can't open file " + temp / "missing.wav" + "!\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("An error occurred during processing."), std::string::npos);
  EXPECT_EQ(test::ReadWholeFile(temp / "b.wav"), before);
  EXPECT_FALSE(std::filesystem::exists(temp / "missing.wav"));
}

// A large, mostly sparse WAV file: long enough to be interrupted while it is scaled.
std::string BigWav(const std::string& path) {
  test::WriteWav(path, {1000, 1000});
  const off_t dataBytes = off_t(1) << 28;
  std::string header = test::ReadWholeFile(path).substr(0, 44);
  uint32_t size = static_cast<uint32_t>(dataBytes);
  for (int i = 0; i < 4; ++i) header[40 + i] = static_cast<char>(size >> (8 * i));
  test::WriteWholeFile(path, header + std::string(4, '\x10'));
  EXPECT_EQ(truncate(path.c_str(), 44 + dataBytes), 0);
  return header + std::string(4, '\x10');
}

struct Interrupted {
  bool signalled = false;
  int status = 0;
  std::string output;
};

// Runs `sonvarek normalize path` and sends `signal` once `marker` shows on its
// standard error.
Interrupted NormalizeUntil(const std::string& home, const std::string& path, const std::string& marker, int signal) {
  Interrupted run;
  int output[2];
  if (pipe(output) != 0) return run;
  pid_t child = fork();
  if (child == 0) {
    dup2(output[1], 2);
    dup2(open("/dev/null", O_WRONLY), 1);
    close(output[0]);
    execl(SONVAREK_CLI, SONVAREK_CLI, "--home", home.c_str(), "normalize", path.c_str(), nullptr);
    _exit(127);
  }
  close(output[1]);
  char buffer[4096];
  for (ssize_t count = 0; (count = read(output[0], buffer, sizeof buffer)) > 0;) {
    run.output.append(buffer, static_cast<size_t>(count));
    if (!run.signalled && run.output.find(marker) != std::string::npos) {
      kill(child, signal);
      run.signalled = true;
    }
  }
  close(output[0]);
  waitpid(child, &run.status, 0);
  return run;
}

// Ctrl+C sets the cancel event and the batch ends as after Abort; a kill ends it
// at once. Either way, in the peak pass or while the scaled copy is written, the
// original file is the same file with the same bytes.
TEST_F(CliNormalizeTest, InterruptOrKillLeavesTheOriginalIntact) {
  struct Case {
    const char* marker;
    int signal;
  } cases[] = {
      {"Normalizing(01/01)", SIGINT},
      {"  Normalizing WAV ", SIGINT},
      {"  Normalizing WAV ", SIGKILL},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(temp / "files");
    const std::string path = temp / "files/big.wav";
    const std::string start = BigWav(path);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    Interrupted run = NormalizeUntil(temp / "home", path, c.marker, c.signal);
    ASSERT_TRUE(run.signalled) << run.output;
    if (c.signal == SIGINT) {
      ASSERT_TRUE(WIFEXITED(run.status)) << run.output;
      EXPECT_EQ(WEXITSTATUS(run.status), 130) << run.output;
      EXPECT_NE(run.output.find(") User canceled the operation."), std::string::npos) << run.output;
      EXPECT_EQ(test::FileNames(temp / "files"), std::vector<std::string>{"big.wav"});
    } else {
      EXPECT_TRUE(WIFSIGNALED(run.status)) << run.output;
    }
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << c.marker;
    EXPECT_EQ(after.st_size, before.st_size) << c.marker;
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec) << c.marker;
    std::string head(start.size(), '\0');
    std::ifstream(path, std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, start) << c.marker;
    std::filesystem::remove_all(temp / "files");
  }
}

}  // namespace
}  // namespace sonvarek
