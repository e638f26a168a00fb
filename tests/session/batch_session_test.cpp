#include "session/batch_session.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "jobs/batch_window_model.h"
#include "platform/message_queue.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

using namespace std::chrono_literals;
const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

// The windows of a batch as the desktop program has them: one queue that the
// test's thread empties, as a window's event loop would, into the batch window's model.
struct Windows {
  explicit Windows(BatchKind kind, int total) : model(kind, total) {}
  // Delivers until the batch ends; false when it did not end in time.
  bool RunUntilEnd(BatchController& controller) {
    for (int round = 0; round < 600 && !model.finished() && !model.failed(); ++round) {
      queue.Deliver([this](const WindowMessage& m) { Handle(m); }, 50ms);
    }
    controller.Wait();
    return model.finished() || model.failed();
  }
  void Handle(const WindowMessage& m) {
    if (m.id == Message::LogLine) {
      log.push_back(m.text);
    } else {
      model.Handle(m);
    }
  }

  MessageQueue queue;
  BatchWindowModel model;
  std::vector<std::string> log;
};

TEST(BatchSession, AFileBatchRunsToItsEndWithItsFilesAsTheEnd) {
  test::TempFolder temp;
  std::vector<std::string> files = {temp / "a.wav", temp / "b.wav"};
  for (const std::string& file : files) test::WriteWav(file, {1000, -1000, 16384, 0});
  Settings settings;
  settings.effectiveOutputFolder = temp.Path();
  settings.bOpenOutputFolder = 0;
  Mp3EncoderLibrary noEncoder;
  BatchController controller(noEncoder);
  Windows windows(BatchKind::Normalize, 2);
  ASSERT_TRUE(controller.Start(MakeFileBatch(BatchKind::Normalize, files, settings), windows.queue, windows.queue));
  ASSERT_TRUE(windows.RunUntilEnd(controller));
  EXPECT_TRUE(windows.model.finished()) << (windows.log.empty() ? "" : windows.log.back());
  EXPECT_EQ(windows.model.successFiles(), files);
  for (const std::string& file : files) {
    EXPECT_EQ(test::ReadWavSamples(file), (std::vector<int16_t>{1900, -1899, 31129, 0}));
  }
}

TEST(BatchSession, ARipOfTheCheckedTracksWritesTheirWavFiles) {
  test::TempFolder temp;
  Settings settings;
  settings.OutputFormat = static_cast<int32_t>(OutputFormat::Wav);
  settings.NamingRule = "<number>";
  settings.effectiveOutputFolder = temp.Path();
  settings.bOpenOutputFolder = 0;
  RecordingNotice notice;
  test::TempFolder home;
  DiscSession session(settings, notice, home.Path());
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  ASSERT_TRUE(session.SelectTracks("2,4"));

  Mp3EncoderLibrary noEncoder;
  BatchController controller(noEncoder);
  Windows windows(BatchKind::CdRip, 2);
  ASSERT_TRUE(controller.Start(MakeRipBatch(session, settings), windows.queue, windows.queue));
  ASSERT_TRUE(windows.RunUntilEnd(controller));
  ASSERT_TRUE(windows.model.finished());
  EXPECT_EQ(windows.model.successFiles(), (std::vector<std::string>{temp / "02.WAV", temp / "04.WAV"}));
  // The rip log and the CUE sheet go beside the files, and the window learns of the log.
  EXPECT_EQ(test::FileNames(temp.Path()),
            (std::vector<std::string>{"02.WAV", "04.WAV", "Unknown album.cue", "Unknown album.log"}));
  EXPECT_EQ(windows.model.ripLogPath(), temp / "Unknown album.log");
  const TocTrack& second = session.reading().tracks[1];
  EXPECT_EQ(std::filesystem::file_size(temp / "02.WAV"), 44 + uint64_t{second.Length()} * 2352);

  session.tracks().SelectNone();
  EXPECT_EQ(MakeRipBatch(session, settings), nullptr);  // nothing checked
}

TEST(BatchSession, ACancelEndsTheBatchAndLeavesTheFileAsItWas) {
  test::TempFolder temp;
  const std::string file = temp / "long.wav";
  test::WriteWav(file, std::vector<int16_t>(4 << 20, 1000));
  const std::string before = test::ReadWholeFile(file);
  Settings settings;
  settings.effectiveOutputFolder = temp.Path();
  Mp3EncoderLibrary noEncoder;
  BatchController controller(noEncoder);
  Windows windows(BatchKind::Normalize, 1);
  ASSERT_TRUE(controller.Start(MakeFileBatch(BatchKind::Normalize, {file}, settings), windows.queue, windows.queue));
  EXPECT_FALSE(controller.Start(MakeFileBatch(BatchKind::Normalize, {file}, settings), windows.queue, windows.queue));
  controller.Cancel();
  ASSERT_TRUE(windows.RunUntilEnd(controller));
  EXPECT_TRUE(controller.CancelRequested());
  EXPECT_EQ(test::ReadWholeFile(file), before);
  EXPECT_EQ(test::FileNames(temp.Path()), std::vector<std::string>{"long.wav"});
}

TEST(BatchSession, AnOutputFolderOfARunIsMadeAbsoluteAndCreated) {
  test::TempFolder temp;
  Settings settings;
  settings.OutputFolder = "/unchanged";
  const std::filesystem::path working = std::filesystem::current_path();
  std::filesystem::current_path(temp.Path());
  const bool made = UseOutputFolder(settings, "out/sub//");
  std::filesystem::current_path(working);
  EXPECT_TRUE(made);
  EXPECT_EQ(settings.OutputFolder, temp / "out/sub");
  EXPECT_EQ(settings.effectiveOutputFolder, temp / "out/sub/");
  EXPECT_TRUE(std::filesystem::is_directory(temp / "out/sub"));

  test::WriteWholeFile(temp / "file", "");
  Settings other;
  other.OutputFolder = "/unchanged";
  EXPECT_FALSE(UseOutputFolder(other, temp / "file/out"));
  EXPECT_EQ(other.OutputFolder, "/unchanged");
}

}  // namespace
}  // namespace sonvarek
