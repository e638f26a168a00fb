#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/disc_session.h"
#include "verify/accuraterip.h"
#include "verify/accuraterip_lookup.h"

namespace sonvarek {

enum class FileSumResult {
  Summed,
  NotCdWav,    // not 16-bit stereo 44.1 kHz PCM
  Unreadable,  // could not be opened or read to its end
  Cancelled,
};

// One summed file's line: the disc's track number, its sums and the verdict.
struct VerifiedFile {
  int number = 0;
  uint32_t v1 = 0;
  uint32_t v2 = 0;
  std::string verdict;
  bool accurate = false;
};

// Checking existing rips against the AccurateRip database: one WAV file per audio
// track of the disc read in `session`, in the disc's order, each summed as the rip of
// its track; one look-up for the disc; a verdict per summed file.
class RipVerification {
 public:
  explicit RipVerification(DiscSession& session);

  int audioTracks() const { return static_cast<int>(audioNumbers_.size()); }
  // The disc's database ids: its audio tracks, the lead-out and the freedb id (0 when
  // the minute/second/frame table of contents could not be read, which no entry matches).
  const AccurateRipDiscIds& ids() const { return ids_; }

  // The sums of `path` as the rip of the next audio track (the first call's is track
  // 1). At most audioTracks() calls. `interrupted` is polled per block.
  FileSumResult SumNext(const std::string& path, const std::function<bool()>& interrupted);
  // The look-up at the AccurateRip server of the settings, when one is set and a file
  // was summed; on a thread of its own, cancelled once `interrupted`. False when it was.
  bool LookUp(const Settings& settings, const std::function<bool()>& interrupted);
  // The summed files in order, each judged against what the look-up found.
  std::vector<VerifiedFile> Verdicts() const;

 private:
  struct TrackSums {
    int track = 0;   // 1-based among the disc's audio tracks
    int number = 0;  // on the disc
    uint32_t v1 = 0;
    uint32_t v2 = 0;
  };

  VerifiedFile Judge(const TrackSums& sums) const;

  std::vector<int> audioNumbers_;
  AccurateRipDiscIds ids_;
  int nextTrack_ = 1;
  std::vector<TrackSums> summed_;
  std::optional<AccurateRipLookup> lookup_;
};

}  // namespace sonvarek
