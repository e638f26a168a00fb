#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/mp3_frames.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

class CliEncodeOggTest : public ::testing::Test {
 protected:
  test::ProgramResult EncodeOgg(const std::string& arguments) {
    return test::RunProgram(std::string("env HOME=") + ShellQuoted(temp / "user") + " TMPDIR=/tmp " + SONVAREK_CLI +
                            " --home " + ShellQuoted(temp / "home") + " encode-ogg " + arguments + " 2>&1");
  }
  std::string Wav(const std::string& name, double seconds = 0.5, int channels = 2, int rate = 44100) {
    std::string path = temp / name;
    test::WriteWav(path, test::SineSamples(seconds, channels, rate), static_cast<uint16_t>(channels),
                   static_cast<uint32_t>(rate));
    return path;
  }
  // Stereo frames Debian's oggdec decodes from a file; -1 when it fails.
  static long DecodedFrames(const std::string& ogg) {
    test::ProgramResult decoded = test::RunProgram("oggdec -Q -R -o - " + ShellQuoted(ogg) + " 2>/dev/null | wc -c");
    return decoded.status == 0 ? std::stol(decoded.out) / 4 : -1;
  }
  // The "Nominal bitrate" line that Debian's ogginfo prints for a file.
  static std::string NominalBitrate(const std::string& ogg) {
    std::string out = test::RunProgram("ogginfo " + ShellQuoted(ogg) + " 2>&1").out;
    size_t at = out.find("Nominal bitrate:");
    return at == std::string::npos ? out : out.substr(at, out.find('\n', at) - at);
  }

  test::TempFolder temp;
};

TEST_F(CliEncodeOggTest, EncodesEveryFileIntoTheOutputFolderAndExitsZero) {
  std::string first = Wav("first.wav", 0.5);
  std::string second = Wav("second.wav", 1.25);
  std::string out = temp / "out";
  test::ProgramResult result = EncodeOgg("--output " + ShellQuoted(out) + " " + ShellQuoted(first) + " " +
                                         ShellQuoted(second));
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(test::FileNames(out), (std::vector<std::string>{"first.ogg", "second.ogg"}));
  EXPECT_EQ(DecodedFrames(out + "/first.ogg"), 22050);
  EXPECT_EQ(DecodedFrames(out + "/second.ogg"), 55125);
  EXPECT_NE(result.out.find(") Encoding " + second + " OK!"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Encoding(02/02): " + second), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Finished"), std::string::npos) << result.out;
}

// The quality comes from Settings.ini unless --quality names one; either way the
// stream is what oggenc makes at the same quality.
TEST_F(CliEncodeOggTest, SettingsFileAndOptionChooseTheQuality) {
  fs::create_directories(temp / "home");
  test::WriteWholeFile(temp / "home/Settings.ini", "[Ogg Vorbis]\nQuality=10\n");
  std::string wav = Wav("a.wav");
  std::string out = temp / "out";
  struct Case {
    std::string options;
    std::string oggencQuality;
  };
  for (const Case& c : {Case{"", "1"}, Case{"--quality 90", "9"}, Case{"--quality 100", "10"}}) {
    test::ProgramResult result = EncodeOgg(c.options + " --output " + ShellQuoted(out) + " " + ShellQuoted(wav));
    ASSERT_EQ(result.status, 0) << c.options << result.out;
    test::ProgramResult peer = test::RunProgram("oggenc -Q -q " + c.oggencQuality + " -o " +
                                                ShellQuoted(temp / "peer.ogg") + " " + ShellQuoted(wav) + " 2>&1");
    ASSERT_EQ(peer.status, 0) << peer.out;
    EXPECT_EQ(NominalBitrate(out + "/a.ogg"), NominalBitrate(temp / "peer.ogg")) << c.options;
  }
}

TEST_F(CliEncodeOggTest, WrongOptionsAreRefusedBeforeAnythingRuns) {
  std::string wav = Wav("a.wav");
  for (const std::string options : {"--quality 0", "--quality 101", "--quality -5", "--quality x", "--quality 5x",
                                    "--quality", "--bitrate 128", ""}) {
    test::ProgramResult result = EncodeOgg(options + (options.empty() ? "" : " " + ShellQuoted(wav)));
    EXPECT_EQ(result.status, 64) << options << ": " << result.out;
    EXPECT_EQ(result.out.find("Encoding"), std::string::npos) << options;
  }
}

TEST_F(CliEncodeOggTest, FailuresEndWithStatusOneAndLeaveNoFile) {
  test::WriteWholeFile(temp / "blocker", "a file where a folder should be");
  test::ProgramResult folder =
      EncodeOgg("--output " + ShellQuoted(temp / "blocker/out") + " " + ShellQuoted(Wav("a.wav")));
  EXPECT_EQ(folder.status, 1) << folder.out;
  EXPECT_NE(folder.out.find("Can't open  output directory!"), std::string::npos) << folder.out;
  EXPECT_EQ(folder.out.find("Encoding"), std::string::npos) << folder.out;

  std::string wav = Wav("rate.wav", 0.5, 2, 48000);
  test::ProgramResult format = EncodeOgg("--output " + ShellQuoted(temp / "out") + " " + ShellQuoted(wav));
  EXPECT_EQ(format.status, 1) << format.out;
  EXPECT_NE(format.out.find("] Error: Can't support this wave format of file " + wav + "!"), std::string::npos)
      << format.out;
  EXPECT_NE(format.out.find("An error occurred during processing."), std::string::npos) << format.out;
  EXPECT_TRUE(fs::is_empty(temp / "out"));
}

// Ctrl+C stops the encoding at its next read; the batch ends as after Abort.
TEST_F(CliEncodeOggTest, InterruptEndsWithStatus130AndNoOutput) {
  // Twelve minutes of sparse silence: far longer to encode than the signal takes.
  const std::string wav = temp / "long.wav";
  test::WriteWav(wav, {});
  std::string header = test::ReadWholeFile(wav);
  const uint32_t dataBytes = uint32_t{1} << 27;
  for (int i = 0; i < 4; ++i) header[40 + i] = static_cast<char>(dataBytes >> (8 * i));
  test::WriteWholeFile(wav, header);
  ASSERT_EQ(truncate(wav.c_str(), 44 + off_t{dataBytes}), 0);
  const std::string out = temp / "out";
  fs::create_directories(out);

  test::InterruptedRun run = test::RunUntilMarkerThenInterrupt(
      {SONVAREK_CLI, "--home", temp / "home", "encode-ogg", "--output", out, wav}, "Encoding(01/01)");
  const std::string& text = run.errors;
  ASSERT_TRUE(run.signalled) << text;
  EXPECT_EQ(run.status, 130) << text;
  EXPECT_NE(text.find(") User canceled the operation."), std::string::npos) << text;
  EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace sonvarek
