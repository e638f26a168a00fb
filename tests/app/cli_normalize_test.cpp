#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/log_line.h"
#include "support/run_program.h"
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

// Ctrl+C sets the cancel event: the batch ends as after Abort, here before any block was scaled.
TEST_F(CliNormalizeTest, InterruptCancelsTheBatch) {
  std::string path = temp / "big.wav";
  test::WriteWav(path, {1000, 1000});
  // A large, mostly sparse file keeps the peak pass busy long enough to be interrupted.
  const off_t dataBytes = off_t(1) << 28;
  {
    std::string header = test::ReadWholeFile(path).substr(0, 44);
    uint32_t size = static_cast<uint32_t>(dataBytes);
    for (int i = 0; i < 4; ++i) header[40 + i] = static_cast<char>(size >> (8 * i));
    test::WriteWholeFile(path, header + std::string(4, '\x10'));
    ASSERT_EQ(truncate(path.c_str(), 44 + dataBytes), 0);
  }
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(output[1], 2);
    dup2(open("/dev/null", O_WRONLY), 1);
    close(output[0]);
    std::string home = temp / "home";
    execl(SONVAREK_CLI, SONVAREK_CLI, "--home", home.c_str(), "normalize", path.c_str(), nullptr);
    _exit(127);
  }
  close(output[1]);
  std::string seen;
  char buffer[4096];
  ssize_t count = 0;
  bool interrupted = false;
  while ((count = read(output[0], buffer, sizeof buffer)) > 0) {
    seen.append(buffer, static_cast<size_t>(count));
    if (!interrupted && seen.find("Normalizing(01/01)") != std::string::npos) {
      kill(child, SIGINT);
      interrupted = true;
    }
  }
  close(output[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(interrupted) << seen;
  ASSERT_TRUE(WIFEXITED(status)) << seen;
  EXPECT_EQ(WEXITSTATUS(status), 130) << seen;
  EXPECT_NE(seen.find(") User canceled the operation."), std::string::npos) << seen;
  std::string start(48, '\0');
  std::ifstream(path, std::ios::binary).read(start.data(), 48);
  start = start.substr(44);
  EXPECT_EQ(start, std::string(4, '\x10'));
}

}  // namespace
}  // namespace sonvarek
