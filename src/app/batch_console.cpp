#include "app/batch_console.h"

#include <chrono>
#include <csignal>
#include <ostream>
#include <thread>
#include <unistd.h>

#include "app/cli_command.h"
#include "app/interrupt_catcher.h"
#include "core/string_table.h"

namespace sonvarek {
namespace {

std::string Bar(int percent) {
  constexpr int kWidth = 24;
  int filled = percent * kWidth / 100;
  if (filled < 0) filled = 0;
  if (filled > kWidth) filled = kWidth;
  return "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(kWidth - filled), '.') +
         "]";
}

const ProgressPane& VisiblePane(const BatchWindowModel& model) {
  return model.pane() == BatchPane::EncodeProgress ? model.encodePane() : model.extractPane();
}

}  // namespace

BatchConsole::BatchConsole(BatchKind kind, int total, std::ostream& err, bool terminal)
    : model_(kind, total), err_(err), terminal_(terminal) {
  model_.Initialise();
}

BatchWindowModel BatchConsole::Model() const {
  std::lock_guard lock(mutex_);
  return model_;
}

void BatchConsole::Handle(const WindowMessage& message) {
  std::lock_guard lock(mutex_);
  if (message.id == Message::LogLine) {
    log_.Append(message.text);
    if (lineOpen_) err_ << "\r\033[K";
    err_ << message.text;
    if (message.text.empty() || message.text.back() != '\n') err_ << '\n';
    lineOpen_ = false;
    if (terminal_) Draw(false);
    return;
  }
  model_.Handle(message);
  Draw(message.id == Message::ExtractProgress || message.id == Message::EncodeProgress);
}

void BatchConsole::Draw(bool progressChanged) {
  if (model_.pane() == BatchPane::Error || model_.pane() == BatchPane::Success) return;
  const ProgressPane& pane = VisiblePane(model_);
  if (terminal_) {
    err_ << "\r\033[K" << model_.title() << "  " << Bar(pane.barPercent) << ' ' << pane.percentText << "  "
         << pane.elapsed << " / " << pane.estimated << std::flush;
    lineOpen_ = true;
    return;
  }
  if (model_.title() != lastTitle_) {
    lastTitle_ = model_.title();
    lastQuarter_ = -1;
    err_ << model_.title() << '\n';
  }
  // Without a terminal, a line at each quarter is enough to follow a long file.
  int quarter = pane.barPercent / 25;
  if (progressChanged && quarter != lastQuarter_) {
    lastQuarter_ = quarter;
    err_ << "  " << pane.groupText << ' ' << pane.percentText << "  " << pane.elapsed << " / " << pane.estimated
         << '\n';
  }
}

void BatchConsole::FinishDrawing() {
  std::lock_guard lock(mutex_);
  if (lineOpen_) err_ << "\r\033[K";
  lineOpen_ = false;
  err_ << (model_.failed() ? text::kErrorPaneText : model_.title()) << '\n' << std::flush;
}

int RunBatchOnConsole(BatchController& controller, std::unique_ptr<ConversionBatch> batch, std::ostream& err,
                      std::vector<std::string>* producedFiles) {
  BatchConsole console(batch->kind, static_cast<int>(batch->jobs.size()), err, isatty(STDERR_FILENO) == 1);
  InterruptCatcher interrupt;
  if (!controller.Start(std::move(batch), console, console)) return kExitFailed;
  while (!controller.WaitFor(std::chrono::milliseconds(20))) {
    if (interrupt.Interrupted()) controller.Cancel();
  }
  controller.Wait();
  console.FinishDrawing();

  BatchWindowModel model = console.Model();
  if (interrupt.Interrupted() || controller.CancelRequested()) return kExitCancelled;
  if (model.failed()) return kExitFailed;
  for (const std::string& file : model.successFiles()) err << "  " << file << '\n';
  if (producedFiles != nullptr) *producedFiles = model.successFiles();
  return kExitOk;
}

}  // namespace sonvarek
