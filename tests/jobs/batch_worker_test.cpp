#include "jobs/batch_worker.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "jobs/batch_window_model.h"
#include "platform/message_queue.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

using namespace std::chrono_literals;

// The windows of a batch: every message is recorded and fed to the batch window's model
// while the worker waits, as the real windows handle it.
class Windows {
 public:
  Windows(BatchKind kind, int total)
      : model(kind, total), progress([this](const WindowMessage& m) {
          std::lock_guard lock(mutex);
          model.Handle(m);
          titles.push_back(model.title());
        }) {}

  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const WindowMessage& m : main.MessagesWithId(Message::LogLine)) lines.push_back(m.text);
    return lines;
  }
  std::vector<std::string> DistinctTitles() const {
    std::vector<std::string> distinct;
    for (const std::string& title : titles) {
      if (distinct.empty() || distinct.back() != title) distinct.push_back(title);
    }
    return distinct;
  }

  test::TempFolder output;  // the batch's output folder
  std::mutex mutex;
  BatchWindowModel model;
  std::vector<std::string> titles;
  RecordingMessageSink progress;
  RecordingMessageSink main;
};

std::unique_ptr<ConversionBatch> FileBatch(Windows& windows, const std::vector<std::string>& files) {
  auto batch = std::make_unique<ConversionBatch>();
  batch->progressWindow = &windows.progress;
  batch->mainWindow = &windows.main;
  batch->settings.effectiveOutputFolder = windows.output.Path();
  for (const std::string& file : files) batch->jobs.push_back(MakeFileJob(file));
  return batch;
}

ConversionJob TrackJob(int track, const std::string& title, const std::string& artist = "") {
  ConversionJob job;
  job.sourceName = title;
  job.trackIndex = track - 1;
  job.tags.Artist = artist;
  return job;
}

// A rip batch of these tracks to MP3 through a temporary WAV file.
std::unique_ptr<ConversionBatch> RipBatch(Windows& windows, std::vector<ConversionJob> jobs) {
  auto batch = FileBatch(windows, {});
  batch->kind = BatchKind::CdRip;
  batch->jobs = std::move(jobs);
  return batch;
}

// Steps that only note that they ran.
StepTable CountingSteps(int& calls) {
  StepTable steps = ProgramSteps(nullptr);
  auto count = [&calls](ConversionBatch&) { return ++calls, 1; };
  steps.extract = count;
  steps.encodeMp3 = count;
  steps.normalize = count;
  return steps;
}

TEST(BatchWorker, ANormalizeBatchOfThreeFilesRunsToTheSuccessPane) {
  test::TempFolder temp;
  std::vector<std::string> files = {temp / "1.wav", temp / "2.wav", temp / "3.wav"};
  for (const std::string& file : files) test::WriteWav(file, std::vector<int16_t>(60 * 2352, 500));
  Windows windows(BatchKind::Normalize, 3);
  windows.model.Initialise();
  auto batch = FileBatch(windows, files);
  batch->settings.effectiveOutputFolder = temp.Path();
  batch->settings.bOpenOutputFolder = 1;
  batch->settings.OutputFolder = temp / "out";
  batch->kind = BatchKind::Normalize;
  RunBatch(*batch, ProgramSteps(nullptr));

  EXPECT_EQ(windows.DistinctTitles(),
            (std::vector<std::string>{"Extracting(01/03): " + files[0], "Normalizing(01/03): " + files[0],
                                      "Extracting(02/03): " + files[1], "Normalizing(02/03): " + files[1],
                                      "Extracting(03/03): " + files[2], "Normalizing(03/03): " + files[2],
                                      "Finished"}));
  auto ends = windows.progress.MessagesWithId(Message::BatchSucceeded);
  EXPECT_EQ(ends.size(), 1u);
  EXPECT_TRUE(windows.progress.MessagesWithId(Message::BatchFailed).empty());
  EXPECT_EQ(windows.progress.Messages().back().id, Message::BatchSucceeded);
  EXPECT_EQ(windows.model.pane(), BatchPane::Success);
  EXPECT_EQ(windows.model.buttonText(), "Close");
  EXPECT_EQ(windows.model.successFiles(), files);
  EXPECT_EQ(windows.model.successFolder(), temp.Path());
  EXPECT_EQ(windows.model.folderToOpen(), temp / "out");
  EXPECT_EQ(windows.model.extractPane().percentText, "100.0%");
  EXPECT_EQ(windows.model.extractPane().groupText, "Normalizing WAV");
  EXPECT_TRUE(windows.Log().empty());
  for (const std::string& file : files) EXPECT_EQ(test::ReadWavSamples(file)[0], 31129);
}

TEST(BatchWorker, AFailingSecondFileEndsTheBatchAndTheThirdNeverStarts) {
  test::TempFolder temp;
  std::vector<std::string> files = {temp / "1.wav", temp / "2.wav", temp / "3.wav"};
  test::WriteWav(files[0], {1000, 1000});
  test::WriteWav(files[1], {1000, 1000}, 1, 22050);
  test::WriteWav(files[2], {1000, 1000});
  Windows windows(BatchKind::Normalize, 3);
  auto batch = FileBatch(windows, files);
  batch->kind = BatchKind::Normalize;
  RunBatch(*batch, ProgramSteps(nullptr));

  EXPECT_EQ(windows.progress.MessagesWithId(Message::BatchFailed).size(), 1u);
  EXPECT_TRUE(windows.progress.MessagesWithId(Message::BatchSucceeded).empty());
  EXPECT_EQ(windows.model.pane(), BatchPane::Error);
  EXPECT_EQ(windows.model.buttonText(), "Close");
  EXPECT_EQ(test::ReadWavSamples(files[0])[0], 31129);
  EXPECT_EQ(test::ReadWavSamples(files[2])[0], 1000);
  for (const WindowMessage& m : windows.progress.MessagesWithId(Message::JobPhase)) EXPECT_NE(m.text, files[2]);
  auto log = windows.Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(test::AfterTimeStamp(log[0]), " Error: Can't support this wave format of file " + files[1] + "!");
  EXPECT_EQ(test::AfterTimeStamp(log[1]), " Not done: " + files[2]);
}

TEST(BatchWorker, ACancelEndsTheBatchLikeASuccess) {
  test::TempFolder temp;
  std::vector<std::string> files = {temp / "1.wav", temp / "2.wav"};
  for (const std::string& file : files) test::WriteWav(file, std::vector<int16_t>(100 * 2352, 1000));
  Windows windows(BatchKind::Normalize, 2);
  auto batch = FileBatch(windows, files);
  ManualResetEvent& cancel = *batch->cancelEvent;
  RecordingMessageSink cancelling([&](const WindowMessage& m) {
    windows.progress.Send(m);
    if (m.id == Message::ExtractProgress && m.wParam == 500) cancel.Set();  // halfway through the peak pass
  });
  batch->progressWindow = &cancelling;
  batch->kind = BatchKind::Normalize;
  RunBatch(*batch, ProgramSteps(nullptr));

  EXPECT_EQ(windows.model.pane(), BatchPane::Success);
  EXPECT_EQ(test::ReadWavSamples(files[0])[0], 1000);  // cancelled before any scaling
  EXPECT_EQ(windows.progress.MessagesWithId(Message::JobPhase).size(), 2u);  // file 1 and its peak phase only
  ASSERT_EQ(windows.Log().size(), 1u);
  EXPECT_EQ(test::AfterTimeStamp(windows.Log()[0]), " User canceled the operation.");
}

TEST(BatchWorker, UnbuiltStepsEndWithTheErrorPaneAndSaySo) {
  // decode batches: mp3_decoding_step_test; Ogg batches: ogg_encoding_step_test
  for (BatchKind kind : {BatchKind::CdRip}) {
    Windows windows(kind, 1);
    auto batch = FileBatch(windows, {"/nonexistent/file"});
    batch->kind = kind;
    RunBatch(*batch, ProgramSteps(nullptr));
    EXPECT_EQ(windows.model.pane(), BatchPane::Error) << static_cast<int>(kind);
    ASSERT_EQ(windows.Log().size(), 1u);
    EXPECT_NE(windows.Log()[0].find("is not available in this version!"), std::string::npos) << windows.Log()[0];
  }
}

TEST(BatchWorker, ARipOfFourTracksExtractsThenEncodesEachInTurn) {
  Windows windows(BatchKind::CdRip, 4);
  std::vector<ConversionJob> jobs;
  for (int track = 1; track <= 4; ++track) jobs.push_back(TrackJob(track, "Song " + std::to_string(track)));
  auto batch = RipBatch(windows, jobs);
  StepTable steps = ProgramSteps(nullptr);
  std::vector<std::string> calls;
  steps.extract = [&](ConversionBatch& b) {
    calls.push_back("extract " + b.CurrentJob().sourceName);
    return 1;
  };
  steps.encodeMp3 = [&](ConversionBatch& b) {
    calls.push_back("mp3 " + b.CurrentJob().sourceName);
    b.progressWindow->Post({Message::EncodePhase, 0, 0, b.CurrentJob().sourceName});
    b.CurrentJob().outputPath = "/out/" + b.CurrentJob().sourceName + ".MP3";
    return 1;
  };
  batch->kind = BatchKind::CdRip;
  RunBatch(*batch, steps);

  auto titles = windows.DistinctTitles();
  ASSERT_GE(titles.size(), 3u);
  EXPECT_EQ(titles[0], "Extracting(01/04): Song 1");
  EXPECT_EQ(titles[1], "Encoding(01/04): Song 1");
  EXPECT_EQ(titles[2], "Extracting(02/04): Song 2");
  EXPECT_EQ(titles.back(), "Finished");
  EXPECT_EQ(calls.size(), 8u);
  auto rows = windows.main.MessagesWithId(Message::SelectTrackRow);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3].wParam, 3);
  EXPECT_EQ(windows.model.successFiles().back(), "/out/Song 4.MP3");
}

TEST(BatchWorker, ARipStopsAtAFailedExtractionAndAtACancel) {
  for (bool cancel : {false, true}) {
    Windows windows(BatchKind::CdRip, 3);
    auto batch = FileBatch(windows, {"a", "b", "c"});
    batch->outputFormat = OutputFormat::Wav;  // nothing after the extraction
    StepTable steps = ProgramSteps(nullptr);
    int extracted = 0;
    steps.extract = [&](ConversionBatch& b) {
      if (++extracted < 2) return 1;
      b.cancelled = cancel;
      return cancel ? 1 : 0;
    };
    batch->kind = BatchKind::CdRip;
    RunBatch(*batch, steps);
    EXPECT_EQ(extracted, 2);
    EXPECT_EQ(windows.model.pane(), cancel ? BatchPane::Success : BatchPane::Error);
  }
}

// Two jobs that would write one file: the second would replace what the first
// made. The batch is refused before any step runs, naming both and the file.
TEST(BatchWorker, JobsThatWouldWriteOneFileAreRefusedBeforeAnyStep) {
  test::TempFolder temp;
  struct Case {
    const char* name;
    BatchKind kind;
    std::vector<ConversionJob> jobs;
    std::string rule;
    std::string clash;  // the log line's end
  } cases[] = {
      {"a rule without <number>", BatchKind::CdRip, {TrackJob(1, "Intro", "A"), TrackJob(2, "Intro", "A")},
       "<artist>\\<title>", "Intro and Intro would both be written to "},
      {"one name in two folders", BatchKind::EncodeMp3,
       {MakeFileJob(temp / "x/song.wav"), MakeFileJob(temp / "y/song.WAV")}, "", temp / "x/song.wav and "},
      {"one file twice", BatchKind::Normalize, {MakeFileJob(temp / "a.wav"), MakeFileJob(temp / "./a.wav")}, "",
       temp / "a.wav and "},
  };
  for (const Case& c : cases) {
    Windows windows(c.kind, static_cast<int>(c.jobs.size()));
    auto batch = RipBatch(windows, c.jobs);
    if (!c.rule.empty()) batch->settings.NamingRule = c.rule;
    int calls = 0;
    batch->kind = c.kind;
    RunBatch(*batch, CountingSteps(calls));
    EXPECT_EQ(calls, 0) << c.name;
    EXPECT_EQ(windows.model.pane(), BatchPane::Error) << c.name;
    ASSERT_EQ(windows.Log().size(), 1u) << c.name;
    EXPECT_NE(windows.Log()[0].find(c.clash), std::string::npos) << windows.Log()[0];
    EXPECT_TRUE(test::FileNames(windows.output.Path()).empty()) << c.name;
  }
}

TEST(BatchWorker, AnOutputFolderThatCannotTakeFilesFailsBeforeTheFirstTrack) {
  Windows windows(BatchKind::CdRip, 1);
  auto batch = RipBatch(windows, {TrackJob(1, "Song")});
  test::WriteWholeFile(windows.output / "file", "not a folder");
  batch->settings.effectiveOutputFolder = windows.output / "file/out/";
  int calls = 0;
  batch->kind = BatchKind::CdRip;
  RunBatch(*batch, CountingSteps(calls));
  EXPECT_EQ(calls, 0);
  ASSERT_EQ(windows.Log().size(), 1u);
  EXPECT_EQ(test::AfterTimeStamp(windows.Log()[0]),
            " Error: Can't write into the output folder " + windows.output / "file/out/" + ": Not a directory!");
}

// Nobody would ever find a rip's temporary WAV file again, so it goes with its job
// however the job ends; the batch then names the tracks it did not do.
TEST(BatchWorker, ATemporaryWavGoesWithItsJobAlsoWhenEncodingFails) {
  Windows windows(BatchKind::CdRip, 3);
  auto batch = RipBatch(windows, {TrackJob(1, "One"), TrackJob(2, "Two"), TrackJob(3, "Three")});
  StepTable steps = ProgramSteps(nullptr);
  std::vector<std::string> temporaries;
  steps.extract = [&](ConversionBatch& b) {
    b.temporaryPath = windows.output / ("PW" + b.CurrentJob().sourceName);
    test::WriteWholeFile(b.temporaryPath, "samples");
    temporaries.push_back(b.temporaryPath);
    return 1;
  };
  steps.encodeMp3 = [](ConversionBatch& b) { return b.currentJob == 0 ? 1 : 0; };
  batch->kind = BatchKind::CdRip;
  RunBatch(*batch, steps);
  ASSERT_EQ(temporaries.size(), 2u);
  for (const std::string& path : temporaries) EXPECT_FALSE(std::filesystem::exists(path)) << path;
  ASSERT_EQ(windows.Log().size(), 1u);
  EXPECT_EQ(test::AfterTimeStamp(windows.Log()[0]), " Not done: Three");
}

// The batch window closes while the worker waits in a blocking send: the worker
// goes on to its end without a window and frees the batch; nothing it sent points
// into the batch.
TEST(BatchWorker, AWindowThatClosesDuringASendNeverHoldsTheWorker) {
  test::TempFolder temp;
  std::vector<std::string> files;
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
    files.push_back(temp / name);
    test::WriteWav(files.back(), std::vector<int16_t>(20000, 1000));
  }
  MessageQueue window;
  auto batch = std::make_unique<ConversionBatch>();
  batch->progressWindow = &window;
  batch->mainWindow = &window;
  batch->settings.effectiveOutputFolder = temp.Path();
  for (const std::string& file : files) batch->jobs.push_back(MakeFileJob(file));

  BatchRunner runner;
  ASSERT_TRUE(runner.Start(std::move(batch), ProgramSteps(nullptr), 0));
  std::vector<WindowMessage> kept;
  ASSERT_TRUE(window.Deliver([&](const WindowMessage& m) { kept.push_back(m); }, 5s));
  window.Close();
  EXPECT_TRUE(runner.WaitFor(20s));
  runner.Wait();
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept[0].id, Message::JobPhase);
  EXPECT_EQ(kept[0].text, files[0]);
}

TEST(ThreadPriority, IndexesMapToNiceValuesAndOutOfRangeIsStoredBack) {
  struct Case {
    int32_t stored;
    int nice;
    int32_t after;
  } cases[] = {{0, 10, 0}, {1, 5, 1}, {2, 0, 2}, {3, -5, 3}, {4, -10, 4}, {5, 0, 2}, {-1, 0, 2}};
  for (Case c : cases) {
    int32_t priority = c.stored;
    EXPECT_EQ(NiceForThreadPriority(priority), c.nice) << c.stored;
    EXPECT_EQ(priority, c.after);
  }
}

TEST(BatchRunner, RunsTheWorkerAtItsPriorityAndRefusesASecondBatchMeanwhile) {
  Windows windows(BatchKind::Normalize, 1);
  auto batch = FileBatch(windows, {"x"});
  ManualResetEvent release;
  int workerNice = -100;
  StepTable steps = ProgramSteps(nullptr);
  steps.normalize = [&](ConversionBatch&) {
    workerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    release.WaitFor(10s);
    return 1;
  };
  const int callerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
  BatchRunner runner;
  ASSERT_TRUE(runner.Start(std::move(batch), steps, 19));
  EXPECT_TRUE(runner.IsRunning());

  Windows other(BatchKind::Normalize, 1);
  EXPECT_FALSE(runner.Start(FileBatch(other, {"y"}), steps, 0));
  release.Set();
  runner.Wait();
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(workerNice, 19);
  EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), callerNice);  // only the worker moved
  EXPECT_EQ(windows.model.pane(), BatchPane::Success);
  EXPECT_TRUE(other.progress.Messages().empty());

  ASSERT_TRUE(runner.Start(FileBatch(other, {"y"}), steps, 5));
  runner.Wait();
  EXPECT_EQ(other.model.pane(), BatchPane::Success);
}

}  // namespace
}  // namespace sonvarek
