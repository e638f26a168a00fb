#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "app/interrupt_catcher.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/wav_file.h"
#include "verify/accuraterip_server.h"
#include "verify/accuraterip.h"
#include "verify/accuraterip_database.h"
#include "verify/accuraterip_lookup.h"

namespace sonvarek {
namespace {

struct VerifyOptions {
  DriveChoice drive;
  std::vector<std::string> files;
};

std::optional<VerifyOptions> ParseVerifyOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  VerifyOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    bool ok = true;
    if (TakeDriveOption(arguments, i, options.drive, err, ok)) {
      if (!ok) return std::nullopt;
      continue;
    }
    if (arguments[i].starts_with("--")) {
      TellUser(err, FormatText(text::kCliVerifyUnknownOption, arguments[i]));
      TellUser(err, text::kCliVerifyUsage);
      return std::nullopt;
    }
    options.files.push_back(arguments[i]);
  }
  if (!options.files.empty()) return options;
  TellUser(err, text::kCliVerifyNeedsFiles);
  TellUser(err, text::kCliVerifyUsage);
  return std::nullopt;
}

struct TrackSums {
  int track = 0;   // 1-based among the disc's audio tracks
  int number = 0;  // on the disc
  uint32_t v1 = 0;
  uint32_t v2 = 0;
};

// The sums of one file as the rip of audio track `track` of `audioTracks`: kExitOk,
// kExitFailed after telling why the file was refused, or kExitCancelled.
int SumFile(const std::string& path, int track, int audioTracks, const InterruptCatcher& interrupt, TrackSums& sums,
            std::ostream& err) {
  sums.track = track;
  OpenedWav wav = OpenWavForReader(WavReader::Normalizer, path);
  if (wav.status != WavOpenStatus::Ok) {
    const char* why = wav.status == WavOpenStatus::Unsupported ? text::kCliVerifyNotCdWav : text::kCliVerifyCantRead;
    TellUser(err, FormatText(why, path));
    return kExitFailed;
  }
  AccurateRipChecksum checksum(wav.dataSize / 4, track == 1, track == audioTracks);
  std::vector<uint8_t> block(size_t{1} << 16);
  for (uint64_t left = wav.dataSize; left > 0;) {
    if (interrupt.Interrupted()) return kExitCancelled;
    const int64_t count = wav.file.Read(block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), left)));
    if (count <= 0) {
      TellUser(err, FormatText(text::kCliVerifyCantRead, path));
      return kExitFailed;
    }
    checksum.Add(std::span(block.data(), static_cast<size_t>(count)));
    left -= static_cast<uint64_t>(count);
  }
  sums.v1 = checksum.V1();
  sums.v2 = checksum.V2();
  return kExitOk;
}

// The database ids of the disc in the session: its audio tracks, the lead-out and the
// freedb id (0 when the minute/second/frame table of contents could not be read, which
// no database entry matches).
AccurateRipDiscIds DiscIdsOf(DiscSession& session) {
  std::vector<RipTocTrack> toc;
  for (const TocTrack& track : session.reading().tracks) {
    toc.push_back(RipTocTrack{track.number, track.startSector, track.endSector, track.isData});
  }
  const DiscIds ids = session.ComputeIds();
  return AccurateRipIdsOfToc(toc, LeadOutSector(session.toc()), ids.freedb ? ids.freedb->discId : 0);
}

// The look-up on a thread of its own so that Ctrl+C can cancel it; nothing when it did.
std::optional<AccurateRipLookup> LookUp(const std::string& server, const AccurateRipDiscIds& ids,
                                        const InterruptCatcher& interrupt) {
  ManualResetEvent cancel;
  ManualResetEvent finished;
  AccurateRipLookup lookup;
  std::thread worker([&] {
    lookup = LookUpAccurateRip(server, ids, cancel);
    finished.Set();
  });
  while (!finished.WaitFor(std::chrono::milliseconds(50))) {
    if (interrupt.Interrupted()) cancel.Set();
  }
  worker.join();
  if (interrupt.Interrupted() || lookup.outcome == LookupOutcome::Cancelled) return std::nullopt;
  return lookup;
}

// The verdict of each file's line and whether it is accurate.
std::pair<std::string, bool> Verdict(const std::optional<AccurateRipLookup>& lookup, const AccurateRipDiscIds& ids,
                                     const TrackSums& sums) {
  if (!lookup) return {text::kVerdictNotLookedUp, false};
  switch (lookup->outcome) {
    case LookupOutcome::Found: {
      AccurateRipVerdict verdict = JudgeTrack(lookup->blocks, ids, sums.track, sums.v1, sums.v2);
      return {VerdictText(verdict), verdict.accurate};
    }
    case LookupOutcome::NotPresent:
      return {text::kVerdictNotPresent, false};
    default:
      return {lookup->failure, false};
  }
}

}  // namespace

// Checks existing rips, one WAV file per audio track in the disc's order, against the
// AccurateRip database: one line per file with its sums and verdict. 0 only when every
// file was read and found accurately ripped.
int RunVerifyCommand(const CommandContext& context) {
  std::optional<VerifyOptions> options = ParseVerifyOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  std::vector<int> audioNumbers;
  for (const TocTrack& track : session.reading().tracks) {
    if (!track.isData) audioNumbers.push_back(track.number);
  }
  const int audioTracks = static_cast<int>(audioNumbers.size());
  const int fileCount = static_cast<int>(options->files.size());
  if (fileCount > audioTracks) {
    TellUser(context.err, FormatText(text::kCliVerifyTooManyFiles, fileCount, audioTracks));
    return kExitUsage;
  }
  const AccurateRipDiscIds ids = DiscIdsOf(session);
  InterruptCatcher interrupt;
  // Shown at once: the look-up that follows may take until the server's time-out.
  context.out << FormatText(text::kCliVerifyDiscId, ids.trackCount, ids.id1, ids.id2, ids.freedbId) << '\n'
              << std::flush;

  int status = kExitOk;
  std::vector<TrackSums> summed;
  for (int k = 1; k <= fileCount; ++k) {
    TrackSums sums;
    sums.number = audioNumbers[static_cast<size_t>(k - 1)];
    const int fileStatus = SumFile(options->files[static_cast<size_t>(k - 1)], k, audioTracks, interrupt, sums,
                                   context.err);
    if (fileStatus == kExitCancelled) return kExitCancelled;
    if (fileStatus == kExitOk) summed.push_back(sums);
    status = std::max(status, fileStatus);
  }
  std::optional<AccurateRipLookup> lookup;
  const std::string server = EffectiveAccurateRipServer(disc.settings.AccurateRipServer);
  if (!server.empty() && !summed.empty()) {
    lookup = LookUp(server, ids, interrupt);
    if (!lookup) return kExitCancelled;
  }
  for (const TrackSums& sums : summed) {
    auto [verdict, accurate] = Verdict(lookup, ids, sums);
    context.out << FormatText(text::kCliVerifyTrack, sums.number, sums.v1, sums.v2, verdict) << '\n';
    if (!accurate) status = kExitFailed;
  }
  return status;
}

}  // namespace sonvarek
