#include "verify/rip_log.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/cd_units.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/staged_file.h"
#include "verify/accuraterip.h"

namespace sonvarek {
namespace {

// A count of sectors as m:ss.ff (ff in sectors, 75 to the second).
std::string SectorTime(uint32_t sectors) {
  const uint32_t seconds = sectors / kSectorsPerSecond;
  return FormatText(text::kRipLogTime, seconds / 60, seconds % 60, sectors % kSectorsPerSecond);
}

std::string Field(const char* label, const std::string& value) { return FormatText(text::kRipLogField, label, value); }

std::string ReadOffsetText(int32_t offset) {
  if (offset == 0) return text::kRipLogNoReadOffset;
  return FormatText(std::abs(offset) == 1 ? text::kRipLogReadOffsetSample : text::kRipLogReadOffsetSamples, offset);
}

std::string SecureModeText(const RipReport& report) {
  if (!report.secureMode) return text::kRipLogSecureOff;
  if (report.secureRetries == 1) return text::kRipLogSecureRetry;
  return FormatText(text::kRipLogSecureRetries, report.secureRetries);
}

// INQUIRY pads its fields with blanks.
std::string Trimmed(const std::string& field) {
  const size_t first = field.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : field.substr(first, field.find_last_not_of(' ') - first + 1);
}

std::string DriveText(const RipReport& report) {
  std::string drive;
  for (const std::string& part : {Trimmed(report.driveVendor), Trimmed(report.driveProduct)}) {
    if (part.empty()) continue;
    if (!drive.empty()) drive += ' ';
    drive += part;
  }
  if (!report.driveTransport.empty()) drive += (drive.empty() ? "(" : " (") + report.driveTransport + ")";
  return drive;
}

void AppendLine(std::string& log, const std::string& line) {
  log += line;
  log += '\n';
}

void AppendSettings(std::string& log, const RipReport& report, const std::string& date) {
  AppendLine(log, FormatText(text::kRipLogHeading, report.programVersion));
  AppendLine(log, "");
  AppendLine(log, Field(text::kRipLogDateLabel, date));
  AppendLine(log, Field(text::kRipLogDriveLabel, DriveText(report)));
  AppendLine(log, Field(text::kRipLogReadOffsetLabel, ReadOffsetText(report.readOffset)));
  AppendLine(log, Field(text::kRipLogSecureModeLabel, SecureModeText(report)));
  AppendLine(log, Field(text::kRipLogSkipErrorsLabel, report.skipErrors ? text::kRipLogYes : text::kRipLogNo));
  const std::string output = report.encoderSettings.empty()
                                 ? report.outputFormat
                                 : FormatText(text::kRipLogOutputWithSettings, report.outputFormat,
                                              report.encoderSettings);
  AppendLine(log, Field(text::kRipLogOutputLabel, output));
  AppendLine(log, "");
}

void AppendDisc(std::string& log, const RipReport& report) {
  const AccurateRipDiscIds ids = AccurateRipIdsOfToc(report.toc, report.leadOut, report.freedbId);
  AppendLine(log, Field(text::kRipLogDiscLabel, FormatText(text::kRipLogDisc, report.albumArtist, report.albumTitle)));
  AppendLine(log, Field(text::kRipLogFreedbIdLabel, FormatText(text::kRipLogFreedbId, report.freedbId)));
  AppendLine(log, Field(text::kRipLogAccurateRipIdsLabel,
                        FormatText(text::kRipLogAccurateRipIds, ids.trackCount, ids.id1, ids.id2, ids.freedbId)));
  AppendLine(log, "");
  AppendLine(log, text::kRipLogTocHeading);
  AppendLine(log, text::kRipLogTocColumns);
  for (const RipTocTrack& track : report.toc) {
    const uint32_t length = track.endSector > track.startSector ? track.endSector - track.startSector : 0;
    // The table shows the last sector, as drives and other logs count it.
    const uint32_t last = length > 0 ? track.endSector - 1 : track.startSector;
    std::string row = FormatText(text::kRipLogTocRow, track.number, SectorTime(track.startSector), SectorTime(length),
                                 track.startSector, last);
    if (track.isData) row += text::kRipLogTocDataMark;
    AppendLine(log, row);
  }
  AppendLine(log, "");
}

// One line per run of consecutive sectors, as times from the track's start.
void AppendPositions(std::string& log, const RipTrackReport& track, const std::vector<uint32_t>& sectors,
                     const char* single, const char* range) {
  auto offset = [&track](uint32_t sector) { return SectorTime(sector > track.startSector ? sector - track.startSector : 0); };
  for (size_t first = 0; first < sectors.size();) {
    size_t last = first;
    while (last + 1 < sectors.size() && sectors[last + 1] == sectors[last] + 1) ++last;
    AppendLine(log, first == last ? FormatText(single, offset(sectors[first]))
                                  : FormatText(range, offset(sectors[first]), offset(sectors[last])));
    first = last + 1;
  }
}

bool ReadThrough(TrackRipResult result) {
  return result == TrackRipResult::Ok || result == TrackRipResult::Suspicious || result == TrackRipResult::Skipped;
}

void AppendTrack(std::string& log, const RipReport& report, const RipTrackReport& track) {
  AppendLine(log, FormatText(text::kRipLogTrackHeading, track.number));
  if (!track.outputPath.empty()) {
    AppendLine(log, FormatText(text::kRipLogFileName, std::filesystem::path(track.outputPath).filename().string()));
  }
  // A track that stopped part-way has no peak or CRC worth showing.
  if (ReadThrough(track.result)) {
    AppendLine(log, FormatText(text::kRipLogPeakLevel, track.peak * 100.0 / 32768.0));
    AppendLine(log, FormatText(text::kRipLogCopyCrc, track.copyCrc));
    if (track.tested) {
      AppendLine(log, FormatText(text::kRipLogTestCrc, track.testCrc));
      if (track.testCrc != track.copyCrc) AppendLine(log, text::kRipLogCrcsDiffer);
    }
  }
  if (track.checksummed) {
    AppendLine(log, FormatText(text::kRipLogAccurateRipV1, track.accurateRipV1));
    AppendLine(log, FormatText(text::kRipLogAccurateRipV2, track.accurateRipV2));
  }
  const std::string& verdict = !track.verdict.empty() ? track.verdict : report.lookupFailure;
  AppendLine(log, FormatText(text::kRipLogVerdict, verdict.empty() ? std::string(text::kRipLogNotLookedUp) : verdict));
  if (track.c2Used) AppendLine(log, text::kRipLogC2Used);
  AppendPositions(log, track, track.suspiciousSectors, text::kRipLogSuspiciousPosition,
                  text::kRipLogSuspiciousPositions);
  AppendPositions(log, track, track.skippedSectors, text::kRipLogSilencedPosition, text::kRipLogSilencedPositions);
  AppendLine(log, FormatText(text::kRipLogResult, text::kRipResults[static_cast<int>(track.result)]));
  AppendLine(log, "");
}

// The stem as a plain file name inside the folder: no '/' can lead elsewhere, and
// the default name stands in for nothing, "." or "..".
std::string SafeStem(const std::string& album) {
  std::string stem = album;
  std::replace(stem.begin(), stem.end(), '/', '_');
  std::replace(stem.begin(), stem.end(), '\0', '_');
  if (stem.empty() || stem == "." || stem == "..") return text::kRipLogDefaultStem;
  return stem;
}

// Stages `text` for `path`; false with `error` set when it cannot be written whole.
bool Stage(StagedFile& staged, const std::string& path, const std::string& text, std::string& error) {
  staged = StagedFile::Create(path);
  int code = staged.error();
  if (staged.IsOpen()) {
    if (!staged.file().WriteAll(text.data(), text.size())) {
      code = staged.file().error();
    } else if (!staged.Close()) {
      code = staged.error();
    } else {
      return true;
    }
  }
  error = FormatText(text::kRipLogCantWrite, path, SystemErrorText(code));
  staged.Discard();
  return false;
}

}  // namespace

std::string RipSummaryLine(const RipReport& report) {
  int notVerified = 0;
  for (const RipTrackReport& track : report.tracks) {
    if (track.result != TrackRipResult::Ok) return text::kRipErrorsOccurred;
    if (!track.accurate) ++notVerified;
  }
  if (notVerified == 0) return text::kRipAllAccurate;
  return notVerified == 1 ? std::string(text::kRipTrackNotVerified) : FormatText(text::kRipTracksNotVerified, notVerified);
}

std::string RipLogText(const RipReport& report, const std::string& date) {
  std::string log;
  AppendSettings(log, report, date);
  AppendDisc(log, report);
  for (const RipTrackReport& track : report.tracks) AppendTrack(log, report, track);
  AppendLine(log, RipSummaryLine(report));
  return log;
}

bool WriteRipLogAndCueSheet(RipReport& report, const std::string& folder, const std::string& album,
                            const std::string& date, std::string& error) {
  const std::filesystem::path stem = std::filesystem::path(folder) / SafeStem(album);
  const std::string logPath = stem.string() + ".log";
  const std::string cuePath = stem.string() + ".cue";
  // Both are staged before either is committed, so a failure to write one leaves neither.
  StagedFile log;
  StagedFile cue;
  if (!Stage(log, logPath, RipLogText(report, date), error) || !Stage(cue, cuePath, RipCueSheetText(report), error)) {
    return false;
  }
  if (!log.Commit()) {
    error = FormatText(text::kRipLogCantWrite, logPath, log.ErrorText());
    return false;
  }
  report.logPath = logPath;
  if (!cue.Commit()) {
    error = FormatText(text::kRipLogCantWrite, cuePath, cue.ErrorText());
    return false;
  }
  report.cuePath = cuePath;
  return true;
}

}  // namespace sonvarek
