#include "session/batch_run.h"

#include <gtest/gtest.h>

#include "session/batch_session.h"
#include "support/temp_folder.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

// How often the view was told the batch ended, and whether the model had finished then.
class RecordingView final : public BatchView {
 public:
  void LogLine(const std::string&, const BatchWindowModel&) override {}
  void ModelChanged(const BatchWindowModel&, bool) override {}
  void Finished(const BatchWindowModel& model) override {
    ++finishedCalls;
    finished = model.finished();
  }

  int finishedCalls = 0;
  bool finished = false;
};

TEST(BatchRun, ABatchEndsOnceWithItsFilesOrCancelledWhenInterrupted) {
  struct Case {
    bool interrupted;
    BatchRunEnd end;
    bool filesListed;
  } cases[] = {{false, BatchRunEnd::Succeeded, true}, {true, BatchRunEnd::Cancelled, false}};
  for (const Case& c : cases) {
    test::TempFolder temp;
    const std::vector<std::string> files = {temp / "loud.wav", temp / "quiet.wav"};
    test::WriteWav(files[0], {1000, -1000, 16384, 0});
    test::WriteWav(files[1], {100, -100, 1638, 0});
    Settings settings;
    ASSERT_TRUE(UseOutputFolder(settings, temp.Path()));
    settings.bOpenOutputFolder = 0;  // nothing opened on the test machine's desktop
    RecordingView view;
    RecordingNotice notice;
    BatchRunOutcome outcome = RunBatchToEnd(MakeFileBatch(BatchKind::Normalize, files, settings), view, notice,
                                            [&] { return c.interrupted; });
    EXPECT_EQ(outcome.end, c.end) << c.interrupted;
    EXPECT_EQ(outcome.files, c.filesListed ? files : std::vector<std::string>{}) << c.interrupted;
    EXPECT_EQ(view.finishedCalls, 1) << c.interrupted;
    EXPECT_TRUE(notice.texts.empty()) << "a normalize batch loads no encoder";
    if (c.interrupted) continue;
    EXPECT_TRUE(view.finished);
    EXPECT_EQ(test::ReadWavSamples(files[0]), (std::vector<int16_t>{1900, -1899, 31129, 0}));
  }
}

}  // namespace
}  // namespace sonvarek
