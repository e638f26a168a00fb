#include "cdrom/rip_context.h"

#include "cdrom/extraction_step.h"
#include "cdrom/rip_finish.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

RipTrackReport* RipContext::CurrentTrack(const ConversionBatch& batch) const {
  if (!report_ || batch.currentJob >= report_->tracks.size()) return nullptr;
  return &report_->tracks[batch.currentJob];
}

int RipContext::Extract(ConversionBatch& batch) { return ExtractTrack(batch, *this); }

void RipContext::JobEnded(const ConversionBatch& batch, RipJobEnd end) {
  RipTrackReport* track = CurrentTrack(batch);
  if (track == nullptr) return;
  switch (end) {
    case RipJobEnd::Cancelled: track->result = TrackRipResult::Cancelled; break;
    case RipJobEnd::Failed: track->result = TrackRipResult::Failed; break;
    case RipJobEnd::Done: track->outputPath = batch.jobs.at(batch.currentJob).outputPath; break;
  }
}

int RipContext::Finish(ConversionBatch& batch) { return report_ ? FinishRip(batch, *report_) : 1; }

void RipContext::DescribeEnd(BatchEnd& end) const {
  if (!report_) return;
  for (const RipTrackReport& track : report_->tracks) {
    if (!track.verdict.empty()) end.verdicts.push_back(FormatText(text::kTrackVerdict, track.number, track.verdict));
  }
  end.ripLogPath = report_->logPath;
}

}  // namespace sonvarek
