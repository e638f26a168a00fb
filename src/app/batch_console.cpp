#include "app/batch_console.h"

#include <ostream>
#include <unistd.h>

#include "app/cli_command.h"
#include "app/interrupt_catcher.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "session/batch_session.h"

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

void BatchConsole::LogLine(const std::string& line, const BatchWindowModel& model) {
  if (lineOpen_) err_ << "\r\033[K";
  err_ << line;
  if (line.empty() || line.back() != '\n') err_ << '\n';
  lineOpen_ = false;
  if (terminal_) Draw(model, false);
}

void BatchConsole::ModelChanged(const BatchWindowModel& model, bool progressChanged) { Draw(model, progressChanged); }

void BatchConsole::Draw(const BatchWindowModel& model, bool progressChanged) {
  if (model.pane() == BatchPane::Error || model.pane() == BatchPane::Success) return;
  const ProgressPane& pane = VisiblePane(model);
  if (terminal_) {
    err_ << "\r\033[K" << model.title() << "  " << Bar(pane.barPercent) << ' ' << pane.percentText << "  "
         << pane.elapsed << " / " << pane.estimated << std::flush;
    lineOpen_ = true;
    return;
  }
  if (model.title() != lastTitle_) {
    lastTitle_ = model.title();
    lastQuarter_ = -1;
    err_ << model.title() << '\n';
  }
  // Without a terminal, a line at each quarter is enough to follow a long file.
  int quarter = pane.barPercent / 25;
  if (progressChanged && quarter != lastQuarter_) {
    lastQuarter_ = quarter;
    err_ << "  " << pane.groupText << ' ' << pane.percentText << "  " << pane.elapsed << " / " << pane.estimated
         << '\n';
  }
}

void BatchConsole::Finished(const BatchWindowModel& model) {
  if (lineOpen_) err_ << "\r\033[K";
  lineOpen_ = false;
  err_ << (model.failed() ? text::kErrorPaneText : model.title()) << '\n' << std::flush;
}

int RunBatchOnConsole(std::unique_ptr<ConversionBatch> batch, UserNotice& notice, std::ostream& err,
                      std::vector<std::string>* producedFiles) {
  BatchConsole console(err, isatty(STDERR_FILENO) == 1);
  InterruptCatcher interrupt;
  BatchRunOutcome outcome = RunBatchToEnd(std::move(batch), console, notice, [&] { return interrupt.Interrupted(); });
  if (outcome.end == BatchRunEnd::Cancelled) return kExitCancelled;
  if (outcome.end == BatchRunEnd::Failed) return kExitFailed;
  for (const std::string& file : outcome.files) err << "  " << file << '\n';
  if (producedFiles != nullptr) *producedFiles = std::move(outcome.files);
  return kExitOk;
}

int RunFileBatchOnConsole(BatchKind kind, const std::vector<std::string>& files, const FileBatchOverrides& overrides,
                          const CommandContext& context) {
  StreamNotice notice(context.err);
  Settings settings = LoadSettings(SystemFolders(context.home), notice);
  if (!ApplyFileBatchOverrides(overrides, settings)) {
    TellUser(context.err, text::kCantOpenOutputDirectory);
    return kExitFailed;
  }
  return RunBatchOnConsole(MakeFileBatch(kind, files, settings), notice, context.err);
}

}  // namespace sonvarek
