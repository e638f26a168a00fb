#include "cdrom/rip_finish.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "core/output_naming.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "verify/accuraterip.h"
#include "verify/accuraterip_lookup.h"
#include "verify/accuraterip_server.h"
#include "verify/rip_log.h"

namespace sonvarek {
namespace {

// The 1-based position of a track among the disc's audio tracks, as the database counts.
int AudioPosition(const RipReport& report, int number) {
  int position = 0;
  for (const RipTocTrack& track : report.toc) {
    if (track.isData) continue;
    ++position;
    if (track.number == number) return position;
  }
  return 0;
}

void SetVerdicts(RipReport& report, const std::string& text) {
  for (RipTrackReport& track : report.tracks) {
    if (track.checksummed && track.result != TrackRipResult::NotDone) track.verdict = text;
  }
}

void LookUp(ConversionBatch& batch, RipReport& report) {
  const bool anySums = std::any_of(report.tracks.begin(), report.tracks.end(), [](const RipTrackReport& track) {
    return track.checksummed && track.result != TrackRipResult::NotDone && track.result != TrackRipResult::Failed;
  });
  const std::string server = EffectiveAccurateRipServer(batch.settings.AccurateRipServer);
  if (server.empty() || !anySums) return;
  const AccurateRipDiscIds ids = AccurateRipIdsOfToc(report.toc, report.leadOut, report.freedbId);
  AccurateRipLookup lookup = LookUpAccurateRip(server, ids, *batch.cancelEvent);
  switch (lookup.outcome) {
    case LookupOutcome::NotPresent: return SetVerdicts(report, text::kVerdictNotPresent);
    case LookupOutcome::Failed:
      report.lookupFailure = lookup.failure;
      return SetVerdicts(report, lookup.failure);
    case LookupOutcome::Cancelled:
      report.lookupFailure = text::kVerdictLookupCancelled;
      return SetVerdicts(report, text::kVerdictLookupCancelled);
    case LookupOutcome::Found: break;
  }
  for (RipTrackReport& track : report.tracks) {
    if (!track.checksummed || track.result == TrackRipResult::NotDone) continue;
    AccurateRipVerdict verdict = JudgeTrack(lookup.blocks, ids, AudioPosition(report, track.number),
                                            track.accurateRipV1, track.accurateRipV2);
    track.accurate = verdict.accurate;
    track.verdict = VerdictText(verdict);
  }
}

std::string LocalDate() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32] = {};
  return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0 ? std::string() : std::string(text);
}

// The log goes next to the files: the folder of the first one made, else the output folder.
std::string LogFolder(const ConversionBatch& batch, const RipReport& report) {
  for (const RipTrackReport& track : report.tracks) {
    if (!track.outputPath.empty()) return std::filesystem::path(track.outputPath).parent_path().string();
  }
  return batch.settings.effectiveOutputFolder;
}

}  // namespace

int FinishRip(ConversionBatch& batch, RipReport& report) {
  // A rip that made no file leaves nothing to describe beside the job log.
  const bool madeFiles = std::any_of(report.tracks.begin(), report.tracks.end(),
                                     [](const RipTrackReport& track) { return !track.outputPath.empty(); });
  if (!madeFiles) return 1;
  LookUp(batch, report);
  for (const RipTrackReport& track : report.tracks) {
    if (!track.verdict.empty()) batch.Log(FormatLogLine(logformat::kAccurateRipVerdict, track.title, track.verdict));
  }
  const std::string album = report.albumTitle.empty() ? std::string(text::kRipLogDefaultStem) : report.albumTitle;
  const std::string stem = ReplaceForbiddenCharacters(album, batch.settings.ReplaceStr);
  std::string error;
  if (!WriteRipLogAndCueSheet(report, LogFolder(batch, report), stem, LocalDate(), error)) {
    batch.Log(FormatLogLine(logformat::kErrorRipLog, error));
    return 0;
  }
  batch.Log(FormatLogLine(logformat::kRipLogWritten, report.logPath));
  return 1;
}

}  // namespace sonvarek
