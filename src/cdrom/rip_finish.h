#pragma once

#include "core/rip_report.h"
#include "jobs/conversion_batch.h"

namespace sonvarek {

// The end of a CD rip described by `report`: the AccurateRip look-up of the tracks whose checksums were
// taken (when the server setting is not empty), their verdicts in the report and the
// job log, then the rip log and the CUE sheet next to the ripped files. Returns 0
// after logging that the log or the sheet could not be written; a look-up that fails
// only says why in the verdicts. A rip that made no file writes nothing.
int FinishRip(ConversionBatch& batch, RipReport& report);

}  // namespace sonvarek
