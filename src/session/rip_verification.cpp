#include "session/rip_verification.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <thread>

#include "core/string_table.h"
#include "jobs/wav_file.h"
#include "platform/manual_reset_event.h"
#include "verify/accuraterip_database.h"
#include "verify/accuraterip_server.h"

namespace sonvarek {
namespace {

AccurateRipDiscIds DiscIdsOf(DiscSession& session) {
  std::vector<RipTocTrack> toc;
  for (const TocTrack& track : session.reading().tracks) {
    toc.push_back(RipTocTrack{track.number, track.startSector, track.endSector, track.isData});
  }
  const DiscIds ids = session.ComputeIds();
  return AccurateRipIdsOfToc(toc, LeadOutSector(session.toc()), ids.freedb ? ids.freedb->discId : 0);
}

std::vector<int> AudioNumbers(const DiscSession& session) {
  std::vector<int> numbers;
  for (const TocTrack& track : session.reading().tracks) {
    if (!track.isData) numbers.push_back(track.number);
  }
  return numbers;
}

}  // namespace

RipVerification::RipVerification(DiscSession& session)
    : audioNumbers_(AudioNumbers(session)), ids_(DiscIdsOf(session)) {}

FileSumResult RipVerification::SumNext(const std::string& path, const std::function<bool()>& interrupted) {
  const int track = nextTrack_++;
  OpenedWav wav = OpenWavForReader(WavReader::Normalizer, path);
  if (wav.status != WavOpenStatus::Ok) {
    return wav.status == WavOpenStatus::Unsupported ? FileSumResult::NotCdWav : FileSumResult::Unreadable;
  }
  AccurateRipChecksum checksum(wav.dataSize / 4, track == 1, track == audioTracks());
  std::vector<uint8_t> block(size_t{1} << 16);
  for (uint64_t left = wav.dataSize; left > 0;) {
    if (interrupted()) return FileSumResult::Cancelled;
    const int64_t count = wav.file.Read(block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), left)));
    if (count <= 0) return FileSumResult::Unreadable;
    checksum.Add(std::span(block.data(), static_cast<size_t>(count)));
    left -= static_cast<uint64_t>(count);
  }
  summed_.push_back({track, audioNumbers_.at(static_cast<size_t>(track - 1)), checksum.V1(), checksum.V2()});
  return FileSumResult::Summed;
}

bool RipVerification::LookUp(const Settings& settings, const std::function<bool()>& interrupted) {
  const std::string server = EffectiveAccurateRipServer(settings.AccurateRipServer);
  if (server.empty() || summed_.empty()) return true;
  ManualResetEvent cancel;
  ManualResetEvent finished;
  AccurateRipLookup lookup;
  std::thread worker([&] {
    lookup = LookUpAccurateRip(server, ids_, cancel);
    finished.Set();
  });
  while (!finished.WaitFor(std::chrono::milliseconds(50))) {
    if (interrupted()) cancel.Set();
  }
  worker.join();
  if (interrupted() || lookup.outcome == LookupOutcome::Cancelled) return false;
  lookup_ = std::move(lookup);
  return true;
}

VerifiedFile RipVerification::Judge(const TrackSums& sums) const {
  VerifiedFile file{sums.number, sums.v1, sums.v2, text::kVerdictNotLookedUp, false};
  if (!lookup_) return file;
  switch (lookup_->outcome) {
    case LookupOutcome::Found: {
      AccurateRipVerdict verdict = JudgeTrack(lookup_->blocks, ids_, sums.track, sums.v1, sums.v2);
      file.verdict = VerdictText(verdict);
      file.accurate = verdict.accurate;
      return file;
    }
    case LookupOutcome::NotPresent: file.verdict = text::kVerdictNotPresent; return file;
    default: file.verdict = lookup_->failure; return file;
  }
}

std::vector<VerifiedFile> RipVerification::Verdicts() const {
  std::vector<VerifiedFile> files;
  for (const TrackSums& sums : summed_) files.push_back(Judge(sums));
  return files;
}

}  // namespace sonvarek
