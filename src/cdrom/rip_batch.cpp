#include "cdrom/rip_batch.h"

namespace sonvarek {

std::unique_ptr<ConversionBatch> MakeRipBatch(const DiscRecord& disc, const std::vector<int>& checkedTracks,
                                              const Settings& settings, CSCSIDriver& drive) {
  if (checkedTracks.empty()) return nullptr;
  drive.StopUnit();
  drive.SetOptions(settings);  // the worker reads the copy taken now
  auto batch = std::make_unique<ConversionBatch>();
  batch->kind = BatchKind::CdRip;
  batch->outputFormat = OutputFormatOf(settings);
  batch->drive = &drive;
  batch->settings = settings;
  for (int track : checkedTracks) {
    if (track < 1 || track >= disc.entryCount || track >= kDiscEntries) continue;
    batch->jobs.push_back(MakeTrackJob(disc, track, disc.entries[track].Title));
  }
  if (batch->jobs.empty()) return nullptr;
  return batch;
}

}  // namespace sonvarek
