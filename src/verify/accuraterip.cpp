#include "verify/accuraterip.h"

#include <algorithm>
#include <cstdio>

namespace sonvarek {

namespace {

constexpr uint64_t kFramesPerSector = 588;
constexpr uint64_t kSkippedFrames = 5 * kFramesPerSector;

}  // namespace

AccurateRipChecksum::AccurateRipChecksum(uint64_t trackFrames, bool firstTrack, bool lastTrack)
    : checkFrom_(firstTrack ? kSkippedFrames : 0),
      checkTo_(lastTrack ? (trackFrames > kSkippedFrames ? trackFrames - kSkippedFrames : 0) : trackFrames) {}

void AccurateRipChecksum::AddFrame(uint32_t frame) {
  ++position_;
  if (position_ < checkFrom_ || position_ > checkTo_) return;
  v1_ += static_cast<uint32_t>(position_) * frame;
  const uint64_t product = static_cast<uint64_t>(frame) * static_cast<uint32_t>(position_);
  v2_ += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
}

void AccurateRipChecksum::Add(std::span<const uint8_t> pcm) {
  size_t at = 0;
  while (carried_ > 0 && carried_ < 4 && at < pcm.size()) carry_[carried_++] = pcm[at++];
  if (carried_ == 4) {
    AddFrame(uint32_t{carry_[0]} | uint32_t{carry_[1]} << 8 | uint32_t{carry_[2]} << 16 | uint32_t{carry_[3]} << 24);
    carried_ = 0;
  }
  const uint8_t* frames = pcm.data() + at;
  const uint64_t count = (pcm.size() - at) / 4;
  // The frames inside the checked window go through a loop without branches, which
  // the compiler can vectorize: it runs over every byte a rip writes.
  const uint64_t first = position_ + 1;
  const uint64_t from = std::max(first, checkFrom_);
  const uint64_t to = std::min(first + count - 1, checkTo_);
  uint32_t v1 = v1_;
  uint32_t v2 = v2_;
  if (count > 0 && from <= to) {
    const uint8_t* frame = frames + (from - first) * 4;
    for (uint64_t n = from; n <= to; ++n, frame += 4) {
      const uint32_t value =
          uint32_t{frame[0]} | uint32_t{frame[1]} << 8 | uint32_t{frame[2]} << 16 | uint32_t{frame[3]} << 24;
      const uint32_t multiplier = static_cast<uint32_t>(n);
      v1 += multiplier * value;
      const uint64_t product = uint64_t{value} * multiplier;
      v2 += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
    }
  }
  v1_ = v1;
  v2_ = v2;
  position_ += count;
  at += static_cast<size_t>(count) * 4;
  while (at < pcm.size()) carry_[carried_++] = pcm[at++];
}

AccurateRipDiscIds ComputeAccurateRipIds(const std::vector<uint32_t>& trackOffsets, uint32_t audioEnd,
                                         uint32_t freedbId) {
  AccurateRipDiscIds ids;
  ids.trackCount = static_cast<int>(trackOffsets.size());
  ids.freedbId = freedbId;
  for (size_t i = 0; i < trackOffsets.size(); ++i) {
    ids.id1 += trackOffsets[i];
    ids.id2 += (trackOffsets[i] == 0 ? 1u : trackOffsets[i]) * static_cast<uint32_t>(i + 1);
  }
  ids.id1 += audioEnd;
  ids.id2 += audioEnd * static_cast<uint32_t>(trackOffsets.size() + 1);
  return ids;
}

AccurateRipDiscIds AccurateRipIdsOfToc(const std::vector<RipTocTrack>& toc, uint32_t leadOut, uint32_t freedbId) {
  // The database's ids end the audio at the disc's lead-out even on an enhanced CD, not at
  // the end of its first session: the data track's length is part of them.
  std::vector<uint32_t> audioOffsets;
  for (const RipTocTrack& track : toc) {
    if (!track.isData) audioOffsets.push_back(track.startSector);
  }
  return ComputeAccurateRipIds(audioOffsets, leadOut, freedbId);
}

std::string AccurateRipDatabasePath(const AccurateRipDiscIds& ids) {
  char path[64];
  const int length = std::snprintf(path, sizeof path, "%x/%x/%x/dBAR-%03d-%08x-%08x-%08x.bin", ids.id1 & 0xF,
                                   (ids.id1 >> 4) & 0xF, (ids.id1 >> 8) & 0xF, ids.trackCount, ids.id1, ids.id2,
                                   ids.freedbId);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

}  // namespace sonvarek
