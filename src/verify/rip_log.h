#pragma once

#include <string>

#include "core/rip_report.h"

namespace sonvarek {

// The rip log: UTF-8 text, one "\n"-ended line each. The date is passed in so that
// tests can pin it.
std::string RipLogText(const RipReport& report, const std::string& date);

// The summary line that ends the log: "All tracks accurately ripped",
// "N tracks not verified" (1 track …), or "Errors occurred".
std::string RipSummaryLine(const RipReport& report);

// A CUE sheet for the ripped files, one FILE (its name relative to the sheet's
// folder) per track that has a file.
std::string RipCueSheetText(const RipReport& report);

// Writes `<folder>/<album>.log` and `<folder>/<album>.cue`, each whole or not at all,
// and records their paths in the report. `album` is the file name stem (already made
// safe by the naming rule's replacements). False, with `error` set, when either fails.
bool WriteRipLogAndCueSheet(RipReport& report, const std::string& folder, const std::string& album,
                            const std::string& date, std::string& error);

}  // namespace sonvarek
