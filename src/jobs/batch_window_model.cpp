#include "jobs/batch_window_model.h"

#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/progress_display.h"

namespace sonvarek {
namespace {

bool EncodesFiles(BatchKind kind) {
  return kind == BatchKind::EncodeMp3 || kind == BatchKind::EncodeOgg || kind == BatchKind::Decode;
}

void ApplyProgress(ProgressPane& pane, int64_t thousandths, int64_t elapsedMs) {
  ProgressText progress = FormatProgress(thousandths, elapsedMs);
  pane.elapsed = progress.elapsed;
  if (progress.estimated) pane.estimated = *progress.estimated;
  pane.barPercent = progress.barPercent;
  pane.percentText = progress.percentText;
}

}  // namespace

BatchWindowModel::BatchWindowModel(BatchKind kind, int total)
    : kind_(kind), total_(total), title_(text::kProductName), buttonText_(text::kBatchButtonAbort) {
  encode_.groupText = text::kGroupEncodingMp3;
  extract_.groupText = text::kGroupExtracting;
}

WindowMessage BatchWindowModel::Initialise() {
  switch (kind_) {
    case BatchKind::Decode:
      pane_ = BatchPane::EncodeProgress;
      encode_.groupText = text::kGroupDecoding;
      return {Message::StartWorker, 1, 1, {}};
    case BatchKind::Normalize:
      pane_ = BatchPane::EncodeProgress;
      encode_.groupText = text::kGroupNormalizeFiles;
      return {Message::StartWorker, 1, 2, {}};
    case BatchKind::EncodeMp3:
    case BatchKind::EncodeOgg:
      pane_ = BatchPane::EncodeProgress;
      return {Message::StartWorker, 1, kind_ == BatchKind::EncodeOgg ? 3 : 4, {}};
    case BatchKind::CdRip:
      pane_ = BatchPane::ExtractProgress;
      return {Message::StartWorker, 0, 4, {}};
  }
  return {};
}

std::string BatchWindowModel::Title(const char* format, int number, const std::string& name) const {
  return FormatText(format, number, total_, name);
}

void BatchWindowModel::ShowJob(const std::string& name) {
  if (EncodesFiles(kind_)) {
    title_ = Title(text::kBatchTitleEncoding, index_ + 1, name);
    pane_ = BatchPane::EncodeProgress;
  } else {
    title_ = Title(text::kBatchTitleExtracting, index_ + 1, name);
    pane_ = BatchPane::ExtractProgress;
    extract_.groupText = text::kGroupExtracting;
  }
  ++index_;
}

void BatchWindowModel::ShowNormalizing(int64_t phase, const std::string& name) {
  title_ = Title(text::kBatchTitleNormalizing, index_, name);
  pane_ = BatchPane::ExtractProgress;
  extract_.groupText = phase == 1 ? text::kGroupNormalizing : text::kGroupSeekingPeak;
}

void BatchWindowModel::ShowEncoding(bool ogg, const std::string& name) {
  title_ = Title(text::kBatchTitleEncoding, index_, name);
  encode_.groupText = ogg ? text::kGroupEncodingOgg : text::kGroupEncodingMp3;
  pane_ = BatchPane::EncodeProgress;
}

void BatchWindowModel::ShowDecoding(const std::string& name) {
  title_ = Title(text::kBatchTitleDecoding, index_, name);
  pane_ = BatchPane::EncodeProgress;
}

void BatchWindowModel::Finish(const ConversionBatch* batch) {
  finished_ = true;
  pane_ = BatchPane::Success;
  title_ = text::kBatchTitleFinished;
  buttonText_ = text::kBatchButtonClose;
  if (batch == nullptr) return;
  for (const ConversionJob& job : batch->jobs) {
    successFiles_.push_back(job.outputPath);
    successFolder_ = job.outputFolder;
  }
  if (batch->settings.bOpenOutputFolder != 0) folderToOpen_ = batch->settings.OutputFolder;
}

void BatchWindowModel::Handle(const WindowMessage& message) {
  switch (message.id) {
    case Message::JobPhase:
      if (message.wParam == 0) {
        ShowJob(message.text);
      } else {
        ShowNormalizing(message.wParam, message.text);
      }
      break;
    case Message::EncodePhase: ShowEncoding(message.wParam == 1, message.text); break;
    case Message::DecodePhase: ShowDecoding(message.text); break;
    case Message::ExtractProgress: ApplyProgress(extract_, message.wParam, message.lParam); break;
    case Message::EncodeProgress: ApplyProgress(encode_, message.wParam, message.lParam); break;
    case Message::BatchSucceeded:
      Finish(reinterpret_cast<const ConversionBatch*>(static_cast<intptr_t>(message.wParam)));
      break;
    case Message::BatchFailed:
      failed_ = true;
      pane_ = BatchPane::Error;
      buttonText_ = text::kBatchButtonClose;
      break;
    default: break;
  }
}

WindowMessage BatchWindowModel::PressButton() {
  closed_ = true;
  return {Message::CancelBatch, 0, 0, {}};
}

}  // namespace sonvarek
