#pragma once

#include <memory>
#include <vector>

#include "cdrom/rip_context.h"
#include "cdrom/scsi_driver.h"
#include "core/records.h"
#include "jobs/conversion_batch.h"

namespace sonvarek {

// The main window's start of a rip, without its view: nothing when no track is
// checked (the caller then shows text::kSelectOneItem); otherwise the drive is
// stopped and a batch is made with one job per checked track in list order, each a
// copy of its entry with the title as shown. The batch writes WAV directly exactly
// when OutputFormat is 1; it carries a copy of `settings` and `rip`, whose drive it
// reads from.
std::unique_ptr<ConversionBatch> MakeRipBatch(const DiscRecord& disc, const std::vector<int>& checkedTracks,
                                              const Settings& settings, std::shared_ptr<RipContext> rip);

// Gives a rip its report: the disc's texts and table of contents (read with logical
// block addresses), the rip's drive, the settings of the run and one track entry per
// job of `batch`. The freedb id is the caller's to fill in.
void AttachRipReport(RipContext& rip, const ConversionBatch& batch, const DiscRecord& disc, const DiscTOC& lbaToc);

}  // namespace sonvarek
