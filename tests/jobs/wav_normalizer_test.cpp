#include "jobs/wav_normalizer.h"

#include <gtest/gtest.h>

#include "platform/recording_message_sink.h"
#include <filesystem>

#include "support/log_line.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

constexpr size_t kSamplesPerBlock = kNormalizeBlockBytes / 2;

class NormalizerTest : public ::testing::Test {
 protected:
  NormalizerTest() {
    batch.progressWindow = &window;
    batch.mainWindow = &main;
    batch.jobs.push_back(MakeFileJob(path));
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const WindowMessage& message : main.MessagesWithId(Message::LogLine)) lines.push_back(message.text);
    return lines;
  }
  std::vector<int64_t> Progress() const {
    std::vector<int64_t> values;
    for (const WindowMessage& message : window.MessagesWithId(Message::ExtractProgress)) values.push_back(message.wParam);
    return values;
  }

  test::TempFolder temp;
  std::string path = temp / "a.wav";
  RecordingMessageSink window;
  RecordingMessageSink main;
  ConversionBatch batch;
};

TEST(NormalizeArithmetic, FactorsAndScaledSamples) {
  double factor95 = NormalizeFactor(95, 16384);
  struct Case {
    int16_t sample;
    double factor;
    int16_t expected;
  } cases[] = {
      {1000, factor95, 1900},
      {-1000, factor95, -1899},
      {-32768, NormalizeFactor(100, 32768), -32766},
      {32767, NormalizeFactor(100, 32767), 32767},
      {16384, factor95, 31129},
      {0, factor95, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleSample(c.sample, c.factor), c.expected) << c.sample;
  EXPECT_EQ(NormalizeFactor(95, 0), 0.0);
  EXPECT_DOUBLE_EQ(NormalizeFactor(100, 32768), 32767.0 / 32768.0);

  PeakMeter meter;
  const uint8_t samples[] = {0x00, 0x80, 0xFF, 0x7F};  // -32768, 32767
  meter.Add(samples, sizeof samples);
  EXPECT_EQ(meter.Peak(), 32768);
}

TEST_F(NormalizerTest, ScalesToTheRatioOfThePeak) {
  test::WriteWav(path, {1000, -1000, 16384, -16000, 0, 1});
  batch.settings.NormalizeRatio = 95;
  EXPECT_EQ(NormalizeWavFile(path, batch), 1);
  EXPECT_EQ(test::ReadWavSamples(path), (std::vector<int16_t>{1900, -1899, 31129, -30398, 0, 2}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(NormalizerTest, TheLowestSampleIsScaledNotInverted) {
  test::WriteWav(path, {-32768, 32000, 100, -100});
  batch.settings.NormalizeRatio = 100;
  EXPECT_EQ(NormalizeWavFile(path, batch), 1);
  EXPECT_EQ(test::ReadWavSamples(path), (std::vector<int16_t>{-32766, 31999, 100, -99}));
}

TEST_F(NormalizerTest, ASilentFileStaysSilent) {
  test::WriteWav(path, std::vector<int16_t>(3 * kSamplesPerBlock, 0));
  std::string before = test::ReadWholeFile(path);
  EXPECT_EQ(NormalizeWavFile(path, batch), 1);
  EXPECT_EQ(test::ReadWholeFile(path), before);
  EXPECT_EQ(Progress().back(), 1000);
}

TEST_F(NormalizerTest, RefusedFilesAreLeftUnchangedWithTheirLine) {
  struct Case {
    std::string content;
    std::string line;  // after the time stamp
  } cases[] = {
      {"", " Error: Can't read file " + path + "!"},
      {"RIFF....WAVEfmt ", " Error: Can't read file " + path + "!"},
  };
  for (const Case& c : cases) {
    test::WriteWholeFile(path, c.content);
    EXPECT_EQ(NormalizeWavFile(path, batch), 0);
    EXPECT_EQ(test::ReadWholeFile(path), c.content);
  }
  test::WriteWav(path, {1000, 2000}, 1, 22050);
  std::string mono = test::ReadWholeFile(path);
  EXPECT_EQ(NormalizeWavFile(path, batch), 0);
  EXPECT_EQ(test::ReadWholeFile(path), mono);
  EXPECT_EQ(NormalizeWavFile(temp / "missing.wav", batch), 0);

  auto log = Log();
  ASSERT_EQ(log.size(), 4u);
  for (const std::string& line : log) EXPECT_TRUE(test::HasTimeStamp(line, '[')) << line;
  EXPECT_EQ(test::AfterTimeStamp(log[0]), cases[0].line);
  EXPECT_EQ(test::AfterTimeStamp(log[2]), " Error: Can't support this wave format of file " + path + "!");
  EXPECT_EQ(test::AfterTimeStamp(log[3]), " Error: Can't open file " + temp / "missing.wav" + "!");
  EXPECT_TRUE(window.Messages().empty());  // nothing started
}

TEST_F(NormalizerTest, PhasesAndProgressFollowThePasses) {
  // 120 full blocks and a short one: peak progress at 50 and 100, scale progress at 30, 60, 90, 120.
  std::vector<int16_t> samples(120 * kSamplesPerBlock + 10, 100);
  samples[5] = 1000;
  test::WriteWav(path, samples);
  EXPECT_EQ(NormalizeWavFile(path, batch), 1);
  auto messages = window.Messages();
  std::vector<std::pair<Message, int64_t>> sequence;
  for (const WindowMessage& m : messages) sequence.emplace_back(m.id, m.wParam);
  using P = std::pair<Message, int64_t>;
  EXPECT_EQ(sequence, (std::vector<P>{{Message::JobPhase, 2},
                                      {Message::ExtractProgress, 416},
                                      {Message::ExtractProgress, 833},
                                      {Message::JobPhase, 1},
                                      {Message::ExtractProgress, 250},
                                      {Message::ExtractProgress, 500},
                                      {Message::ExtractProgress, 750},
                                      {Message::ExtractProgress, 1000},
                                      {Message::ExtractProgress, 1000}}));
  EXPECT_EQ(messages[0].text, path);
  for (const auto& entry : window.Entries()) EXPECT_TRUE(entry.sent);
  EXPECT_EQ(test::ReadWavSamples(path)[5], 31129);
  EXPECT_EQ(test::ReadWavSamples(path).back(), 3113);  // the short last block is scaled too
}

TEST_F(NormalizerTest, ACancelLeavesTheOriginalByteForByteAndNothingBeside) {
  test::WriteWav(path, std::vector<int16_t>(100 * kSamplesPerBlock, 1000));
  const std::string original = test::ReadWholeFile(path);
  // Cancel when the scale pass reports its first progress (after 30 blocks).
  RecordingMessageSink cancelling([this](const WindowMessage& m) {
    if (m.id == Message::ExtractProgress && m.wParam == 300) batch.cancelEvent->Set();
  });
  batch.progressWindow = &cancelling;
  batch.settings.NormalizeRatio = 50;
  EXPECT_EQ(NormalizeWavFile(path, batch), 0);
  EXPECT_TRUE(batch.cancelled);
  EXPECT_EQ(test::ReadWholeFile(path), original);
  EXPECT_EQ(test::FileNames(temp.Path()), std::vector<std::string>{"a.wav"});
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(test::AfterTimeStamp(Log()[0]), " User canceled the operation.");
}

TEST_F(NormalizerTest, AFullDiskFailsTheStepAndLeavesTheOriginal) {
  test::SmallDisk disk(256 * 1024);
  const std::string onDisk = disk / "a.wav";
  test::WriteWav(onDisk, std::vector<int16_t>(80 * 1024, 1000));  // 160 KiB of samples
  const std::string original = test::ReadWholeFile(onDisk);
  {
    test::FullDiskScope full(disk);
    EXPECT_EQ(NormalizeWavFile(onDisk, batch), 0);
  }
  EXPECT_FALSE(batch.cancelled);
  EXPECT_EQ(test::ReadWholeFile(onDisk), original);
  EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"a.wav"});
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(test::AfterTimeStamp(Log()[0]).rfind(" Error: Can't write file " + onDisk + ": ", 0), 0u) << Log()[0];
}

// Chunks around the samples (tags, cue points) are kept as they are; only samples scale.
TEST_F(NormalizerTest, OnlyTheSamplesOfTheDataChunkAreScaled) {
  const std::string samples = test::Le(1000, 2) + test::Le(static_cast<uint16_t>(-2000), 2);
  const std::string list = test::Chunk("LIST", "INFOIART\x04\x00\x00\x00\x00\x01\x00\x02");
  const std::string bytes = test::ChunkedWav(test::FmtChunk::ExtensiblePcm, samples, list, list);
  test::WriteWholeFile(path, bytes);
  batch.settings.NormalizeRatio = 50;  // peak 2000 becomes 16383
  EXPECT_EQ(NormalizeWavFile(path, batch), 1);
  std::string scaled = bytes;
  const size_t at = bytes.find("data") + 8;
  scaled.replace(at, 4, test::Le(8192, 2) + test::Le(static_cast<uint16_t>(-16383), 2));
  EXPECT_EQ(test::ReadWholeFile(path), scaled);
}

TEST_F(NormalizerTest, ALinkStaysALinkAndItsTargetIsNormalized) {
  const std::string target = temp / "target.wav";
  test::WriteWav(target, {1000, -1000});
  std::filesystem::create_symlink(target, path);
  batch.settings.NormalizeRatio = 100;
  EXPECT_EQ(NormalizeWavFile(path, batch), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(test::ReadWavSamples(target), (std::vector<int16_t>{32767, -32766}));
}

TEST_F(NormalizerTest, ScaleWavFileReportsEvery26BlocksAndAtTheEnd) {
  test::WriteWav(path, std::vector<int16_t>(60 * kSamplesPerBlock, 10));
  ASSERT_TRUE(ScaleWavFile(&window, path, 2.0, batch));
  EXPECT_EQ(Progress(), (std::vector<int64_t>{433, 866, 1000}));
  EXPECT_EQ(test::ReadWavSamples(path)[0], 20);
  for (const auto& entry : window.Entries()) EXPECT_FALSE(entry.sent);

  RecordingMessageSink small;
  test::WriteWav(path, std::vector<int16_t>(25 * kSamplesPerBlock, 10));
  ASSERT_TRUE(ScaleWavFile(&small, path, 2.0, batch));
  ASSERT_EQ(small.Messages().size(), 1u);
  EXPECT_EQ(small.Messages()[0].wParam, 1000);
}

TEST_F(NormalizerTest, ScalingStopsAtTheDataSizeOfTheHeader) {
  // A chunk after the data must not be taken for samples.
  test::WriteWav(path, {100, 200});
  const std::string chunk = std::string("LIST\x04\x00\x00\x00", 8) + "abcd";
  test::WriteWholeFile(path, test::ReadWholeFile(path) + chunk);
  ASSERT_TRUE(ScaleWavFile(&window, path, 3.0, batch));
  std::string bytes = test::ReadWholeFile(path);
  EXPECT_EQ(bytes.substr(48), chunk);
  EXPECT_EQ(test::ReadWavSamples(path)[1], 600);

  // A header that promises more than the file holds scales what is there.
  test::WriteWav(path, {100, 200});
  std::string promised = test::ReadWholeFile(path);
  promised[41] = 0x10;
  test::WriteWholeFile(path, promised);
  ASSERT_TRUE(ScaleWavFile(&window, path, 2.0, batch));
  EXPECT_EQ(test::ReadWavSamples(path), (std::vector<int16_t>{200, 400}));
}

TEST_F(NormalizerTest, ScaleWavFileReportsFilesItCannotUse) {
  EXPECT_FALSE(ScaleWavFile(&window, temp / "missing.wav", 2.0, batch));
  test::WriteWholeFile(path, "RIFF");
  EXPECT_FALSE(ScaleWavFile(&window, path, 2.0, batch));
  auto log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(test::AfterTimeStamp(log[0]), " Error: Can't open file " + temp / "missing.wav" + "!");
  EXPECT_EQ(test::AfterTimeStamp(log[1]), " Error: Can't read file " + path + "!");
  EXPECT_EQ(test::ReadWholeFile(path), "RIFF");
}

}  // namespace
}  // namespace sonvarek
