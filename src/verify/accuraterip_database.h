#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "verify/accuraterip.h"

namespace sonvarek {

// One submitter block of a database file: the disc ids it was submitted for, then
// per track the number of submissions that agree, the checksum, and the checksum of
// frame 450 (unused here).
struct AccurateRipEntry {
  int confidence = 0;
  uint32_t checksum = 0;
  uint32_t frame450Checksum = 0;
};

struct AccurateRipBlock {
  AccurateRipDiscIds ids;
  std::vector<AccurateRipEntry> tracks;
};

// Every block of a database file (little-endian: 1 byte track count, 3 × 4 bytes ids,
// then 9 bytes per track). Nothing for an empty file, a block cut short, or a block
// whose track count is 0.
std::optional<std::vector<AccurateRipBlock>> ParseAccurateRipDatabase(std::span<const uint8_t> bytes);

// The verdict of one track: accurate when its v1 or v2 sum equals the checksum of
// any block whose ids are the disc's (v1 is tried first); the confidence is the
// largest among the matching blocks. An entry of confidence 0 (nobody submitted it:
// a data track's slot, a track too short to sum) matches nothing.
struct AccurateRipVerdict {
  bool accurate = false;
  int confidence = 0;
  uint32_t checksum = 0;
  int version = 0;  // 1 or 2 when accurate
};

// `track` is the 1-based position among the disc's audio tracks.
AccurateRipVerdict JudgeTrack(const std::vector<AccurateRipBlock>& blocks, const AccurateRipDiscIds& ids, int track,
                              uint32_t v1, uint32_t v2);

// "Accurately ripped (confidence N) [XXXXXXXX] (AR v1)" / "(AR v2)", or "Not accurately ripped".
std::string VerdictText(const AccurateRipVerdict& verdict);

}  // namespace sonvarek
