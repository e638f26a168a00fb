#include "soak_session.h"

#include <iostream>
#include <mutex>

#include "jobs/batch_window_model.h"

namespace sonvarek::soak {
namespace {

// The batch window and the main window together: the model of the batch window fed
// from the worker's messages, and the job log.
class SoakWindows final : public MessageSink {
 public:
  SoakWindows(BatchKind kind, int total, JobLog& log) : model_(kind, total), log_(log) { model_.Initialise(); }

  void Post(WindowMessage message) override { Handle(message); }
  void Send(WindowMessage message) override { Handle(message); }

  BatchWindowModel Model() const {
    std::lock_guard lock(mutex_);
    return model_;
  }

 private:
  void Handle(const WindowMessage& message) {
    if (message.id == Message::LogLine) {
      log_.Append(message.text);
      return;
    }
    std::lock_guard lock(mutex_);
    model_.Handle(message);
  }

  mutable std::mutex mutex_;
  BatchWindowModel model_;
  JobLog& log_;
};

}  // namespace

void CountingNotice::Show(std::string_view text, NoticeKind) {
  ++count_;
  std::cerr << "notice: " << text << '\n';
}

BatchOutcome RunToEnd(ProgramSession& session, std::unique_ptr<ConversionBatch> batch) {
  if (!batch) return {};
  SoakWindows windows(batch->kind, static_cast<int>(batch->jobs.size()), session.log());
  if (!session.batches().Start(std::move(batch), windows, windows)) return {};
  session.batches().Wait();
  BatchWindowModel model = windows.Model();
  if (!model.finished() || model.failed()) return {};
  return {true, model.successFiles()};
}

}  // namespace sonvarek::soak
