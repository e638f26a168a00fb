#include "jobs/batch_window_model.h"

#include <gtest/gtest.h>

#include "jobs/progress_display.h"

namespace sonvarek {
namespace {

TEST(ProgressDisplay, ElapsedEstimatedAndPercent) {
  struct Case {
    int64_t thousandths, ms;
    const char* elapsed;
    const char* estimated;  // nullptr: not shown
    int bar;
    const char* percent;
  } cases[] = {
      {1000, 83000, "01:23", "01:23", 100, "100.0%"},
      {0, 5000, "00:05", nullptr, 0, "0.0%"},
      {500, 30000, "00:30", "01:00", 50, "50.0%"},
      {1, 999, "00:00", "16:39", 0, "0.1%"},
      {333, 3725999, "62:05", "186:29", 33, "33.3%"},
  };
  for (const Case& c : cases) {
    ProgressText progress = FormatProgress(c.thousandths, c.ms);
    EXPECT_EQ(progress.elapsed, c.elapsed);
    EXPECT_EQ(progress.estimated.has_value(), c.estimated != nullptr);
    if (c.estimated) {
      EXPECT_EQ(*progress.estimated, c.estimated);
    }
    EXPECT_EQ(progress.barPercent, c.bar);
    EXPECT_EQ(progress.percentText, c.percent);
  }
}

TEST(BatchWindowModel, InitialisationPicksThePaneAndTheStartMessage) {
  struct Case {
    BatchKind kind;
    BatchPane pane;
    const char* encodeGroup;
    int64_t wParam, lParam;
  } cases[] = {
      {BatchKind::CdRip, BatchPane::ExtractProgress, "Encoding WAV to MP3", 0, 4},
      {BatchKind::EncodeMp3, BatchPane::EncodeProgress, "Encoding WAV to MP3", 1, 4},
      {BatchKind::EncodeOgg, BatchPane::EncodeProgress, "Encoding WAV to MP3", 1, 3},
      {BatchKind::Decode, BatchPane::EncodeProgress, "Decoding MP3 to WAV", 1, 1},
      {BatchKind::Normalize, BatchPane::EncodeProgress, "Normalize WAV Files", 1, 2},
  };
  for (const Case& c : cases) {
    BatchWindowModel model(c.kind, 2);
    WindowMessage start = model.Initialise();
    EXPECT_EQ(start.id, Message::StartWorker);
    EXPECT_EQ(start.wParam, c.wParam);
    EXPECT_EQ(start.lParam, c.lParam);
    EXPECT_EQ(model.pane(), c.pane);
    EXPECT_EQ(model.encodePane().groupText, c.encodeGroup);
    EXPECT_EQ(model.buttonText(), "&Abort");
  }
}

TEST(BatchWindowModel, PhaseMessagesSetTitlesPanesAndGroups) {
  BatchWindowModel rip(BatchKind::CdRip, 4);
  rip.Handle({Message::JobPhase, 0, 0, "One"});
  EXPECT_EQ(rip.title(), "Extracting(01/04): One");
  EXPECT_EQ(rip.pane(), BatchPane::ExtractProgress);
  rip.Handle({Message::JobPhase, 1, 0, "Temporary Wave File"});
  EXPECT_EQ(rip.title(), "Normalizing(01/04): Temporary Wave File");
  EXPECT_EQ(rip.extractPane().groupText, "Normalizing WAV");
  rip.Handle({Message::EncodePhase, 1, 0, "One"});
  EXPECT_EQ(rip.title(), "Encoding(01/04): One");
  EXPECT_EQ(rip.encodePane().groupText, "Encoding WAV to Ogg");
  EXPECT_EQ(rip.pane(), BatchPane::EncodeProgress);
  rip.Handle({Message::JobPhase, 0, 0, "Two"});
  EXPECT_EQ(rip.title(), "Extracting(02/04): Two");
  EXPECT_EQ(rip.extractPane().groupText, "Extracting CDDA");

  BatchWindowModel decode(BatchKind::Decode, 12);
  decode.Handle({Message::JobPhase, 0, 0, "/a.mp3"});
  EXPECT_EQ(decode.title(), "Encoding(01/12): /a.mp3");
  decode.Handle({Message::DecodePhase, 0, 0, "/a.mp3"});
  EXPECT_EQ(decode.title(), "Decoding(01/12): /a.mp3");
  decode.Handle({Message::JobPhase, 2, 0, "/a.WAV"});
  EXPECT_EQ(decode.extractPane().groupText, "Seeking Volume Peak");
  EXPECT_EQ(decode.pane(), BatchPane::ExtractProgress);
}

TEST(BatchWindowModel, ProgressGoesToItsPaneAndAZeroKeepsTheEstimate) {
  BatchWindowModel model(BatchKind::CdRip, 1);
  model.Handle({Message::ExtractProgress, 500, 10000, {}});
  model.Handle({Message::ExtractProgress, 0, 12000, {}});
  EXPECT_EQ(model.extractPane().elapsed, "00:12");
  EXPECT_EQ(model.extractPane().estimated, "00:20");
  EXPECT_EQ(model.extractPane().percentText, "0.0%");
  model.Handle({Message::EncodeProgress, 1000, 83000, {}});
  EXPECT_EQ(model.encodePane().elapsed, "01:23");
  EXPECT_EQ(model.encodePane().estimated, "01:23");
  EXPECT_EQ(model.encodePane().percentText, "100.0%");
  EXPECT_EQ(model.extractPane().elapsed, "00:12");
}

TEST(BatchWindowModel, EndPanesAndTheButton) {
  ConversionBatch batch;
  batch.jobs.resize(2);
  batch.jobs[0].outputPath = "/out/a.MP3";
  batch.jobs[0].outputFolder = "/out/";
  batch.jobs[1].outputPath = "/other/b.MP3";
  batch.jobs[1].outputFolder = "/other/";
  batch.settings.bOpenOutputFolder = 0;

  BatchWindowModel success(BatchKind::EncodeMp3, 2);
  success.Handle({Message::BatchSucceeded, 0, 0, {}, MakeBatchEnd(batch)});
  EXPECT_EQ(success.pane(), BatchPane::Success);
  EXPECT_EQ(success.title(), "Finished");
  EXPECT_EQ(success.buttonText(), "Close");
  EXPECT_EQ(success.successFiles(), (std::vector<std::string>{"/out/a.MP3", "/other/b.MP3"}));
  EXPECT_EQ(success.successFolder(), "/other/");
  EXPECT_EQ(success.folderToOpen(), "");

  BatchWindowModel failure(BatchKind::EncodeMp3, 2);
  failure.Handle({Message::JobPhase, 0, 0, "x"});
  failure.Handle({Message::BatchFailed, 0, 0, {}});
  EXPECT_EQ(failure.pane(), BatchPane::Error);
  EXPECT_EQ(failure.buttonText(), "Close");
  EXPECT_EQ(failure.title(), "Encoding(01/02): x");

  BatchWindowModel aborted(BatchKind::CdRip, 1);
  EXPECT_EQ(aborted.PressButton().id, Message::CancelBatch);
  EXPECT_TRUE(aborted.closed());
}

}  // namespace
}  // namespace sonvarek
