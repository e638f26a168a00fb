#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "jobs/wav_file.h"
#include "support/mp3_frames.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

class CliDecodeTest : public ::testing::Test {
 protected:
  test::ProgramResult Decode(const std::string& arguments) {
    return test::RunProgram(std::string("env HOME=") + ShellQuoted(temp / "user") + " TMPDIR=/tmp " + SONVAREK_CLI +
                            " --home " + ShellQuoted(temp / "home") + " decode " + arguments + " 2>&1");
  }
  // Half a second of sine encoded by lame; the MP3 file's path.
  std::string Mp3(const std::string& name, int channels = 2, int rate = 44100) {
    const std::string wav = temp / (name + ".wav");
    test::WriteWav(wav, test::SineSamples(0.5, channels, rate), static_cast<uint16_t>(channels),
                   static_cast<uint32_t>(rate));
    const std::string mp3 = temp / (name + ".mp3");
    EXPECT_EQ(test::RunProgram("lame --quiet " + ShellQuoted(wav) + " " + ShellQuoted(mp3) + " 2>&1").status, 0)
        << "lame is needed (scripts/install-deps)";
    return mp3;
  }
  static WavHeader HeaderOf(const std::string& path) {
    const std::string bytes = test::ReadWholeFile(path);
    std::array<uint8_t, kWavHeaderSize> head{};
    if (bytes.size() >= head.size()) std::copy_n(bytes.begin(), head.size(), head.begin());
    return ParseWavHeader(head);
  }

  test::TempFolder temp;
};

TEST_F(CliDecodeTest, DecodesEveryFileToNameDotWavInTheOutputFolder) {
  const std::string stereo = Mp3("stereo");
  const std::string mono = Mp3("mono", 1, 22050);
  const std::string out = temp / "out";
  test::ProgramResult result = Decode("--output " + ShellQuoted(out) + " " + ShellQuoted(stereo) + " " + ShellQuoted(mono));
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(test::FileNames(out), (std::vector<std::string>{"mono.WAV", "stereo.WAV"}));
  struct Expected {
    const char* name;
    uint16_t channels;
    uint32_t rate;
  };
  for (const Expected& e : {Expected{"stereo", 2, 44100}, Expected{"mono", 1, 22050}}) {
    const std::string wav = out + "/" + e.name + ".WAV";
    const WavHeader header = HeaderOf(wav);
    EXPECT_EQ(header.channels, e.channels) << e.name;
    EXPECT_EQ(header.samplesPerSecond, e.rate) << e.name;
    EXPECT_EQ(uint64_t{header.dataSize} + kWavHeaderSize, fs::file_size(wav)) << e.name;
    // Half a second, less lame's delay at the end, plus its padding: whole frames of the stream.
    EXPECT_GE(header.dataSize / (2u * e.channels), e.rate / 2) << e.name;
    const std::string mp3 = temp / (std::string(e.name) + ".mp3");
    EXPECT_NE(result.out.find("] Decode file " + mp3), std::string::npos) << result.out;
  }
  EXPECT_NE(result.out.find("Decoding(02/02): " + mono), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("] Decode MPEG file OK!"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Finished"), std::string::npos) << result.out;
}

TEST_F(CliDecodeTest, WrongOptionsAreRefusedBeforeAnythingRuns) {
  const std::string mp3 = Mp3("a");
  for (const std::string options : {"", "--output", "--bitrate 128", "--ratio 5"}) {
    test::ProgramResult result = Decode(options + (options.empty() ? "" : " " + ShellQuoted(mp3)));
    EXPECT_EQ(result.status, 64) << options << ": " << result.out;
    EXPECT_EQ(result.out.find("Decode file"), std::string::npos) << options;
  }
}

// Status 1 for a folder that cannot be made and for a file the decoder does not take.
TEST_F(CliDecodeTest, FailuresEndWithStatusOne) {
  const std::string mp3 = Mp3("a");
  test::WriteWholeFile(temp / "blocker", "a file where a folder should be");
  test::ProgramResult folder = Decode("--output " + ShellQuoted(temp / "blocker/out") + " " + ShellQuoted(mp3));
  EXPECT_EQ(folder.status, 1) << folder.out;
  EXPECT_NE(folder.out.find("Can't open  output directory!"), std::string::npos) << folder.out;

  // l2-test32 and l1-fl1 hold bytes that look like Layer III headers, which no frame confirms.
  for (const char* name : {"l2-fl10.bit", "l2-test32.bit", "l1-fl1.bit"}) {
    const std::string other = std::string(SONVAREK_SOURCE_DIR) + "/tests/data/mpeg/iso/" + name;
    test::ProgramResult layer = Decode("--output " + ShellQuoted(temp / "out") + " " + ShellQuoted(other));
    EXPECT_EQ(layer.status, 1) << layer.out;
    EXPECT_NE(layer.out.find("] Bad or unsupported MPEG file."), std::string::npos) << layer.out;
    EXPECT_NE(layer.out.find("An error occurred during processing."), std::string::npos) << layer.out;
    EXPECT_TRUE(fs::is_empty(temp / "out")) << name;
  }
}

// Ctrl+C stops the decoding at its next frame; the batch ends as after Abort, with no file.
TEST_F(CliDecodeTest, InterruptEndsWithStatus130AndNoOutput) {
  // Ten minutes of stream: the half second's frames over and over, far longer to decode
  // than the signal takes to arrive.
  const std::string bytes = test::ReadWholeFile(Mp3("short"));
  const test::Mp3Walk walk = test::WalkMp3Frames(bytes, 0, bytes.size());
  ASSERT_TRUE(walk.complete) << walk.problem;
  const std::string frames = bytes.substr(walk.frames[0].length);  // the audio frames after the Info frame
  std::string stream = bytes;
  while (stream.size() < 10u * 1024 * 1024) stream += frames;
  const std::string mp3 = temp / "long.mp3";
  test::WriteWholeFile(mp3, stream);
  const std::string out = temp / "out";
  fs::create_directories(out);

  test::InterruptedRun run = test::RunUntilMarkerThenInterrupt(
      {SONVAREK_CLI, "--home", temp / "home", "decode", "--output", out, mp3}, "Decoding(01/01)");
  const std::string& text = run.errors;
  ASSERT_TRUE(run.signalled) << text;
  EXPECT_EQ(run.status, 130) << text;
  EXPECT_NE(text.find("] User canceled."), std::string::npos) << text;
  EXPECT_TRUE(fs::is_empty(out)) << test::FileNames(out).size();
}

}  // namespace
}  // namespace sonvarek
