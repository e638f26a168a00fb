#include "session/batch_run.h"

#include <chrono>
#include <mutex>

#include "jobs/job_log.h"
#include "session/batch_session.h"

namespace sonvarek {
namespace {

// The batch window's sink: feeds the model, keeps the job log and hands both to the view.
class BatchWatch final : public MessageSink {
 public:
  BatchWatch(BatchKind kind, int total, BatchView& view) : model_(kind, total), view_(view) { model_.Initialise(); }

  void Post(WindowMessage message) override { Handle(message); }
  void Send(WindowMessage message) override { Handle(message); }

  BatchWindowModel Finish() {
    std::lock_guard lock(mutex_);
    view_.Finished(model_);
    return model_;
  }

 private:
  void Handle(const WindowMessage& message) {
    std::lock_guard lock(mutex_);
    if (message.id == Message::LogLine) {
      log_.Append(message.text);
      view_.LogLine(message.text, model_);
      return;
    }
    model_.Handle(message);
    view_.ModelChanged(model_, message.id == Message::ExtractProgress || message.id == Message::EncodeProgress);
  }

  std::mutex mutex_;
  BatchWindowModel model_;
  JobLog log_;
  BatchView& view_;
};

bool EncodesMp3(const ConversionBatch& batch) {
  if (batch.kind == BatchKind::EncodeMp3) return true;
  return batch.kind == BatchKind::CdRip && OutputFormatOf(batch.settings) == OutputFormat::Mp3;
}

}  // namespace

BatchRunOutcome RunBatchToEnd(std::unique_ptr<ConversionBatch> batch, BatchView& view, UserNotice& notice,
                              const std::function<bool()>& interrupted) {
  Mp3EncoderLibrary library;
  if (EncodesMp3(*batch)) LoadEncoderAtStart(library, batch->settings.MP3Encoder, notice);
  BatchController controller(library);
  BatchWatch watch(batch->kind, static_cast<int>(batch->jobs.size()), view);
  if (!controller.Start(std::move(batch), watch, watch)) return {};
  while (!controller.WaitFor(std::chrono::milliseconds(20))) {
    if (interrupted()) controller.Cancel();
  }
  controller.Wait();
  BatchWindowModel model = watch.Finish();
  if (interrupted() || controller.CancelRequested()) return {BatchRunEnd::Cancelled, {}};
  if (model.failed()) return {BatchRunEnd::Failed, {}};
  return {BatchRunEnd::Succeeded, model.successFiles()};
}

}  // namespace sonvarek
