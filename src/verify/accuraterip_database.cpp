#include "verify/accuraterip_database.h"

#include <algorithm>

#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

namespace {

constexpr size_t kBlockHeaderBytes = 13;
constexpr size_t kTrackEntryBytes = 9;

uint32_t ReadLittleEndian(std::span<const uint8_t> bytes, size_t at) {
  return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
         uint32_t{bytes[at + 3]} << 24;
}

bool SameDisc(const AccurateRipDiscIds& a, const AccurateRipDiscIds& b) {
  return a.id1 == b.id1 && a.id2 == b.id2 && a.freedbId == b.freedbId;
}

}  // namespace

std::optional<std::vector<AccurateRipBlock>> ParseAccurateRipDatabase(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  std::vector<AccurateRipBlock> blocks;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t trackCount = bytes[at];
    if (trackCount == 0 || bytes.size() - at < kBlockHeaderBytes + trackCount * kTrackEntryBytes) return std::nullopt;
    AccurateRipBlock block;
    block.ids.trackCount = static_cast<int>(trackCount);
    block.ids.id1 = ReadLittleEndian(bytes, at + 1);
    block.ids.id2 = ReadLittleEndian(bytes, at + 5);
    block.ids.freedbId = ReadLittleEndian(bytes, at + 9);
    at += kBlockHeaderBytes;
    for (size_t track = 0; track < trackCount; ++track, at += kTrackEntryBytes) {
      block.tracks.push_back({bytes[at], ReadLittleEndian(bytes, at + 1), ReadLittleEndian(bytes, at + 5)});
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

AccurateRipVerdict JudgeTrack(const std::vector<AccurateRipBlock>& blocks, const AccurateRipDiscIds& ids, int track,
                              uint32_t v1, uint32_t v2) {
  AccurateRipVerdict verdict;
  if (track < 1) return verdict;
  const auto index = static_cast<size_t>(track - 1);
  for (int version : {1, 2}) {
    const uint32_t sum = version == 1 ? v1 : v2;
    for (const AccurateRipBlock& block : blocks) {
      if (!SameDisc(block.ids, ids) || index >= block.tracks.size()) continue;
      const AccurateRipEntry& entry = block.tracks[index];
      // An entry nobody submitted (a data track's slot, a track too short to sum) holds
      // 0 with confidence 0; a silent track must not match it.
      if (entry.confidence == 0 || entry.checksum != sum) continue;
      verdict.accurate = true;
      verdict.version = version;
      verdict.checksum = sum;
      verdict.confidence = std::max(verdict.confidence, entry.confidence);
    }
    if (verdict.accurate) break;
  }
  return verdict;
}

std::string VerdictText(const AccurateRipVerdict& verdict) {
  if (!verdict.accurate) return text::kAccurateRipNotAccurate;
  return FormatText(text::kAccurateRipAccurate, verdict.confidence, verdict.checksum, verdict.version);
}

}  // namespace sonvarek
