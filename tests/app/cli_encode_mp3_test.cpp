#include <filesystem>
#include <gtest/gtest.h>

#include "core/string_table.h"
#include "support/mp3_frames.h"
#include "support/run_program.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

using test::ShellQuoted;

class CliEncodeMp3Test : public ::testing::Test {
 protected:
  test::ProgramResult EncodeMp3(const std::string& arguments) {
    return test::RunProgram(std::string("env HOME=") + ShellQuoted(temp / "user") + " TMPDIR=/tmp " + SONVAREK_CLI +
                            " --home " + ShellQuoted(temp / "home") + " encode-mp3 " + arguments + " 2>&1");
  }
  std::string Wav(const std::string& name, int channels = 2, int rate = 44100) {
    std::string path = temp / name;
    test::WriteWav(path, test::SineSamples(0.5, channels, rate), static_cast<uint16_t>(channels),
                   static_cast<uint32_t>(rate));
    return path;
  }
  // The frames of an MP3 file between its tags.
  static test::Mp3Walk Frames(const std::string& path) {
    std::string bytes = test::ReadWholeFile(path);
    size_t end = bytes.size();
    if (end >= 128 && bytes.compare(end - 128, 3, "TAG") == 0) end -= 128;
    return test::WalkMp3Frames(bytes, test::Id3v2TagSize(bytes), end);
  }

  test::TempFolder temp;
};

TEST_F(CliEncodeMp3Test, EncodesEveryFileIntoTheOutputFolderAndExitsZero) {
  std::string stereo = Wav("stereo.wav");
  std::string mono = Wav("mono.wav", 1, 22050);
  std::string out = temp / "out";
  test::ProgramResult result = EncodeMp3("--output " + ShellQuoted(out) + " " + ShellQuoted(stereo) + " " +
                                         ShellQuoted(mono));
  ASSERT_EQ(result.status, 0) << result.out;
  for (const std::string name : {"stereo.MP3", "mono.MP3"}) {
    test::Mp3Walk walk = Frames(out + "/" + name);
    EXPECT_TRUE(walk.complete) << name << ": " << walk.problem;
    EXPECT_NE(result.out.find(") Encoding " + temp / name.substr(0, name.size() - 4) + ".wav OK!"),
              std::string::npos)
        << result.out;
  }
  EXPECT_EQ(Frames(out + "/mono.MP3").frames.at(0).channelMode, 3);
  EXPECT_NE(result.out.find("Encoding(02/02): " + mono), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Finished"), std::string::npos);
}

TEST_F(CliEncodeMp3Test, SettingsFileAndOptionsChooseTheEncoding) {
  std::filesystem::create_directories(temp / "home");
  test::WriteWholeFile(temp / "home/Settings.ini", "[MP3]\nBitRate=4\nEnableID3V2=0\n");
  std::string wav = Wav("a.wav");
  std::string out = temp / "out";
  struct Case {
    std::string options;
    int bitRate;  // of every frame; 0 for VBR
    bool vbrHeader;
  };
  for (const Case& c : {Case{"", 64, false}, Case{"--bitrate 192", 192, false}, Case{"--vbr 2", 0, true}}) {
    test::ProgramResult result = EncodeMp3(c.options + " --output " + ShellQuoted(out) + " " + ShellQuoted(wav));
    ASSERT_EQ(result.status, 0) << c.options << result.out;
    std::string bytes = test::ReadWholeFile(out + "/a.MP3");
    EXPECT_NE(bytes.compare(0, 3, "ID3"), 0) << c.options;  // EnableID3V2=0 from the file
    test::Mp3Walk walk = Frames(out + "/a.MP3");
    ASSERT_TRUE(walk.complete) << c.options << ": " << walk.problem;
    if (c.bitRate != 0) {
      for (const test::Mp3FrameHeader& frame : walk.frames) ASSERT_EQ(frame.bitRate, c.bitRate) << c.options;
    }
    EXPECT_EQ(bytes.substr(0, walk.frames[0].length).find("Xing") != std::string::npos, c.vbrHeader) << c.options;
  }
}

TEST_F(CliEncodeMp3Test, WrongOptionsAreRefusedBeforeAnythingRuns) {
  std::string wav = Wav("a.wav");
  for (const std::string options : {"--bitrate 100", "--bitrate x", "--bitrate 128k", "--bitrate -128", "--vbr 9",
                                    "--vbr abc", "--vbr 2x", "--vbr ''", "--vbr", "--quality 3", ""}) {
    test::ProgramResult result = EncodeMp3(options + (options.empty() ? "" : " " + ShellQuoted(wav)));
    EXPECT_EQ(result.status, 64) << options << ": " << result.out;
    EXPECT_EQ(result.out.find("Encoding"), std::string::npos) << options;
  }
}

TEST_F(CliEncodeMp3Test, AnOutputFolderThatCannotBeMadeEndsWithStatusOne) {
  std::string wav = Wav("a.wav");
  test::WriteWholeFile(temp / "blocker", "a file where a folder should be");
  test::ProgramResult result = EncodeMp3("--output " + ShellQuoted(temp / "blocker/out") + " " + ShellQuoted(wav));
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("Can't open  output directory!"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Encoding"), std::string::npos) << result.out;
}

TEST_F(CliEncodeMp3Test, AFileThatIsNotSixteenBitEndsWithTheErrorPane) {
  std::string wav = Wav("eight.wav");
  std::string bytes = test::ReadWholeFile(wav);
  bytes[34] = 8;
  test::WriteWholeFile(wav, bytes);
  test::ProgramResult result = EncodeMp3("--output " + ShellQuoted(temp / "out") + " " + ShellQuoted(wav));
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("] Error: Can't support this wave format of file " + wav + "!"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("An error occurred during processing."), std::string::npos);
}

// The installed program finds the library in its own library folder, with no
// environment variable and without the build tree.
TEST_F(CliEncodeMp3Test, TheInstalledProgramFindsTheEncoderLibrary) {
  std::string prefix = temp / "prefix";
  test::ProgramResult installed = test::RunProgram(std::string(SONVAREK_CMAKE) + " --install " +
                                                   ShellQuoted(SONVAREK_BINARY_DIR) + " --prefix " +
                                                   ShellQuoted(prefix) + " 2>&1");
  ASSERT_EQ(installed.status, 0) << installed.out;
  std::string wav = Wav("a.wav");
  test::ProgramResult result = test::RunProgram(
      "env -u LD_LIBRARY_PATH HOME=" + ShellQuoted(temp / "user") + " " + ShellQuoted(prefix + "/bin/sonvarek") +
      " --home " + ShellQuoted(temp / "home") + " encode-mp3 --output " + ShellQuoted(temp / "out") + " " +
      ShellQuoted(wav) + " 2>&1");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out.find(text::kNoEncodeDll), std::string::npos) << result.out;
  EXPECT_TRUE(Frames(temp / "out/a.MP3").complete);
}

}  // namespace
}  // namespace sonvarek
