#include "session/batch_session.h"

#include <filesystem>

#include "cdrom/rip_batch.h"
#include "cdrom/rip_context.h"
#include "platform/folders.h"

namespace sonvarek {

std::string AbsolutePath(std::string_view path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
  return error ? std::string(path) : absolute.lexically_normal().string();
}

bool UseOutputFolder(Settings& settings, std::string_view folder) {
  std::string absolute = WithoutTrailingSlashes(AbsolutePath(folder));
  if (!MakeSureDirectoryPathExists(WithOneTrailingSlash(absolute))) return false;
  settings.OutputFolder = absolute;
  settings.effectiveOutputFolder = WithOneTrailingSlash(absolute);
  return true;
}

std::unique_ptr<ConversionBatch> MakeFileBatch(BatchKind kind, const std::vector<std::string>& files,
                                               const Settings& settings) {
  auto batch = std::make_unique<ConversionBatch>();
  batch->kind = kind;
  batch->settings = settings;
  for (const std::string& file : files) batch->jobs.push_back(MakeFileJob(AbsolutePath(file)));
  return batch;
}

std::unique_ptr<ConversionBatch> MakeRipBatch(DiscSession& session, const Settings& settings) {
  if (session.driver() == nullptr) return nullptr;
  auto rip = std::make_shared<RipContext>(*session.driver());
  std::unique_ptr<ConversionBatch> batch = MakeRipBatch(session.disc(), session.tracks().CheckedTracks(), settings, rip);
  if (!batch) return nullptr;
  AttachRipReport(*rip, *batch, session.disc(), session.toc());
  if (std::optional<DiscIdInfo> freedb = session.ComputeIds().freedb) rip->report()->freedbId = freedb->discId;
  return batch;
}

BatchController::BatchController(const Mp3EncoderLibrary& library) : steps_(ProgramSteps(&library)) {}

bool BatchController::Start(std::unique_ptr<ConversionBatch> batch, MessageSink& batchWindow,
                            MessageSink& mainWindow) {
  if (runner_.IsRunning()) return false;
  batch->progressWindow = &batchWindow;
  batch->mainWindow = &mainWindow;
  cancel_ = batch->cancelEvent;
  int nice = NiceForThreadPriority(batch->settings.ThreadPriority);
  return runner_.Start(std::move(batch), steps_, nice);
}

void BatchController::Cancel() {
  if (cancel_) cancel_->Set();
}

bool BatchController::CancelRequested() const { return cancel_ && cancel_->IsSet(); }

}  // namespace sonvarek
