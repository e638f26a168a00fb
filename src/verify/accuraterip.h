#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/rip_report.h"

namespace sonvarek {

// The AccurateRip v1 and v2 checksums of one track, fed with its samples in the order the
// rip writes them (16-bit little-endian stereo), so that no second pass over the file is
// needed. The first 5 sectors of a disc's first track and the last 5 of its last audio
// track are left out, as the drives' offsets make them unreliable.
class AccurateRipChecksum {
 public:
  AccurateRipChecksum(uint64_t trackFrames, bool firstTrack, bool lastTrack);

  // Any number of bytes; a frame split between two calls is joined.
  void Add(std::span<const uint8_t> pcm);

  uint32_t V1() const { return v1_; }
  uint32_t V2() const { return v2_; }

 private:
  void AddFrame(uint32_t frame);

  uint64_t checkFrom_;
  uint64_t checkTo_;
  uint64_t position_ = 0;  // 1-based position of the last frame added
  uint32_t v1_ = 0;
  uint32_t v2_ = 0;
  uint8_t carry_[4] = {};
  size_t carried_ = 0;
};

// A disc as the database knows it: the sector offsets (from 0) of its audio tracks, numbered
// 1..n among the audio tracks, and the disc's lead-out (also when a data track follows the
// audio: an enhanced CD's ids include its data track's length).
struct AccurateRipDiscIds {
  int trackCount = 0;
  uint32_t id1 = 0;
  uint32_t id2 = 0;
  uint32_t freedbId = 0;
};

AccurateRipDiscIds ComputeAccurateRipIds(const std::vector<uint32_t>& trackOffsets, uint32_t audioEnd,
                                         uint32_t freedbId);

// The ids from a table of contents: data tracks are left out (before or after the audio),
// and `leadOut` is the whole disc's, after any data track.
AccurateRipDiscIds AccurateRipIdsOfToc(const std::vector<RipTocTrack>& toc, uint32_t leadOut, uint32_t freedbId);

// "<id1 & 0xF>/<(id1 >> 4) & 0xF>/<(id1 >> 8) & 0xF>/dBAR-ttt-iiiiiiii-iiiiiiii-iiiiiiii.bin"
std::string AccurateRipDatabasePath(const AccurateRipDiscIds& ids);

}  // namespace sonvarek
