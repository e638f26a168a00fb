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

namespace {

WindowMessage StartWorker(StartSourceCode source, StartBatchCode batch) {
  return {Message::StartWorker, Wire(source), Wire(batch), {}, {}};
}

}  // namespace

WindowMessage BatchWindowModel::Initialise() {
  switch (kind_) {
    case BatchKind::Decode:
      pane_ = BatchPane::EncodeProgress;
      encode_.groupText = text::kGroupDecoding;
      return StartWorker(StartSourceCode::Files, StartBatchCode::Decode);
    case BatchKind::Normalize:
      pane_ = BatchPane::EncodeProgress;
      encode_.groupText = text::kGroupNormalizeFiles;
      return StartWorker(StartSourceCode::Files, StartBatchCode::Normalize);
    case BatchKind::EncodeMp3:
    case BatchKind::EncodeOgg:
      pane_ = BatchPane::EncodeProgress;
      return StartWorker(StartSourceCode::Files,
                         kind_ == BatchKind::EncodeOgg ? StartBatchCode::EncodeOgg : StartBatchCode::EncodeMp3);
    case BatchKind::CdRip:
      pane_ = BatchPane::ExtractProgress;
      return StartWorker(StartSourceCode::CdRip, StartBatchCode::EncodeMp3);
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
  extract_.groupText = phase == Wire(JobPhaseCode::Normalizing) ? text::kGroupNormalizing : text::kGroupSeekingPeak;
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

void BatchWindowModel::Finish(const BatchEnd* end) {
  finished_ = true;
  pane_ = BatchPane::Success;
  title_ = text::kBatchTitleFinished;
  buttonText_ = text::kBatchButtonClose;
  if (end == nullptr) return;
  successFiles_ = end->files;
  successFolder_ = end->folder;
  verdicts_ = end->verdicts;
  ripLogPath_ = end->ripLogPath;
  folderToOpen_ = end->folderToOpen;
}

void BatchWindowModel::Handle(const WindowMessage& message) {
  switch (message.id) {
    case Message::JobPhase:
      if (message.wParam == Wire(JobPhaseCode::JobStarts)) {
        ShowJob(message.text);
      } else {
        ShowNormalizing(message.wParam, message.text);
      }
      break;
    case Message::EncodePhase: ShowEncoding(message.wParam == Wire(EncoderCode::Ogg), message.text); break;
    case Message::DecodePhase: ShowDecoding(message.text); break;
    case Message::ExtractProgress: ApplyProgress(extract_, message.wParam, message.lParam); break;
    case Message::EncodeProgress: ApplyProgress(encode_, message.wParam, message.lParam); break;
    case Message::BatchSucceeded:
      Finish(dynamic_cast<const BatchEnd*>(message.payload.get()));
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
  return {Message::CancelBatch, 0, 0, {}, {}};
}

}  // namespace sonvarek
