#include "cdrom/rip_batch.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/disc_reader.h"
#include "cdrom/scsi_driver_image.h"
#include "jobs/batch_window_model.h"
#include "jobs/batch_worker.h"
#include "jobs/mp3_encoder_library.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

class RipBatchTest : public ::testing::Test {
 protected:
  RipBatchTest() {
    std::string cue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
    driver = std::make_unique<CSCSIDriverImage>(driverSettings, std::vector<std::string>{cue});
    EXPECT_NE(driver->Init(0), 0);
    ReadDisc(*driver, toc, disc);
    disc.entries[2].Title = "Shown Two";
    fs::create_directories(temp / "out");
    fs::create_directories(temp / "tmp");
    settings.effectiveOutputFolder = temp / "out/";
    settings.OutputFolder = temp / "out";
    settings.temporaryFolder = temp / "tmp/";
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const WindowMessage& m : main.MessagesWithId(Message::LogLine)) lines.push_back(test::AfterTimeStamp(m.text));
    return lines;
  }
  bool TemporaryFolderEmpty() const { return fs::is_empty(temp / "tmp"); }

  test::TempFolder temp;
  Settings driverSettings;
  std::unique_ptr<CSCSIDriverImage> driver;
  DiscTOC toc;
  DiscRecord disc;
  Settings settings;
  RecordingMessageSink main;
};

TEST_F(RipBatchTest, OneJobPerCheckedTrackInListOrderAndTheDriveStopped) {
  EXPECT_EQ(MakeRipBatch(disc, {}, settings, std::make_shared<RipContext>(*driver)), nullptr);
  ASSERT_NE(driver->PlayAudio(disc.tracks[1].startSector, disc.tracks[1].endSector), 0);

  for (int32_t format : {0, 1, 2}) {
    settings.OutputFormat = format;
    auto batch = MakeRipBatch(disc, {2, 4}, settings, std::make_shared<RipContext>(*driver));
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(batch->noTemporaryFile(), format == 1);
    EXPECT_FALSE(batch->fromFiles());
    ASSERT_NE(batch->rip, nullptr);
    EXPECT_EQ(&static_cast<RipContext&>(*batch->rip).drive(), driver.get());
    ASSERT_EQ(batch->jobs.size(), 2u);
    EXPECT_EQ(batch->jobs[0].trackIndex, 1);
    EXPECT_EQ(batch->jobs[0].sourceName, "Shown Two");
    EXPECT_EQ(batch->jobs[0].startSector, disc.tracks[2].startSector);
    EXPECT_EQ(batch->jobs[1].endSector, disc.tracks[4].endSector);
    EXPECT_EQ(batch->jobs[1].tags, disc.entries[4]);
  }
  int32_t relative = 0, absolute = 0, status = 0;
  driver->GetPlayPosition(relative, absolute, status);
  EXPECT_NE(status, kAudioPlaying);
}

TEST_F(RipBatchTest, ACancelDuringAnMp3RipStartsNoEncodingAndLeavesNoTemporaryFile) {
  settings.OutputFormat = 0;
  auto batch = MakeRipBatch(disc, {1, 2}, settings, std::make_shared<RipContext>(*driver));
  ASSERT_NE(batch, nullptr);
  BatchWindowModel model(BatchKind::CdRip, 2);
  RecordingMessageSink window([&](const WindowMessage& m) {
    model.Handle(m);
    if (m.id == Message::ExtractProgress && m.wParam > 0) batch->cancelEvent->Set();
  });
  batch->progressWindow = &window;
  batch->mainWindow = &main;
  Mp3EncoderLibrary library;  // never loaded: an encoding that started would fail loudly
  batch->kind = BatchKind::CdRip;
  RunBatch(*batch, ProgramSteps(&library));

  EXPECT_EQ(model.pane(), BatchPane::Success);
  EXPECT_TRUE(window.MessagesWithId(Message::EncodePhase).empty());
  EXPECT_EQ(Log(), (std::vector<std::string>{" Extracting Track 1 ...", " User canceled the operation."}));
  EXPECT_TRUE(TemporaryFolderEmpty());
  EXPECT_TRUE(fs::is_empty(temp / "out"));
}

TEST_F(RipBatchTest, AnOggRipExtractsThenEncodesEachTrackAndLeavesNoTemporaryFile) {
  settings.OutputFormat = 2;
  auto batch = MakeRipBatch(disc, {2, 3}, settings, std::make_shared<RipContext>(*driver));
  BatchWindowModel model(BatchKind::CdRip, 2);
  RecordingMessageSink window([&](const WindowMessage& m) { model.Handle(m); });
  batch->progressWindow = &window;
  batch->mainWindow = &main;
  Mp3EncoderLibrary library;  // never loaded: an MP3 encoding that started would fail loudly
  batch->kind = BatchKind::CdRip;
  RunBatch(*batch, ProgramSteps(&library));
  EXPECT_EQ(model.pane(), BatchPane::Success);
  EXPECT_EQ(Log(), (std::vector<std::string>{" Extracting Shown Two ...", " Extracting Shown Two OK!",
                                             " Encoding Shown Two ...", " Encoding Shown Two OK!",
                                             " Extracting Track 3 ...", " Extracting Track 3 OK!",
                                             " Encoding Track 3 ...", " Encoding Track 3 OK!"}));
  for (const WindowMessage& phase : window.MessagesWithId(Message::EncodePhase)) EXPECT_EQ(phase.wParam, 1);
  for (const char* name : {"02-Shown Two.ogg", "03-Track 3.ogg"}) {
    EXPECT_EQ(test::ReadWholeFile(temp / "out/" + name).substr(0, 4), "OggS") << name;
  }
  EXPECT_TRUE(TemporaryFolderEmpty());
}

}  // namespace
}  // namespace sonvarek
