#include "cdrom/track_reader.h"

#include <algorithm>
#include <cstring>

#include "core/cd_units.h"
#include "platform/buffer_resize.h"
#include "verify/crc32.h"

namespace sonvarek {
namespace {

constexpr int64_t kFramesPerSector = 588;
constexpr int64_t kBytesPerFrame = 4;

int64_t FloorDiv(int64_t value, int64_t by) { return value >= 0 ? value / by : -((-value + by - 1) / by); }
int64_t CeilDiv(int64_t value, int64_t by) { return -FloorDiv(-value, by); }

// What one reading of a sector was worth.
enum SectorState : uint8_t { kGood = 0, kFlagged = 1, kUnreadable = 2 };

bool AnyBitSet(const uint8_t* bytes, size_t size) {
  return std::any_of(bytes, bytes + size, [](uint8_t b) { return b != 0; });
}

uint32_t SectorCrc(const uint8_t* sector) { return Crc32Of({sector, kSectorBytes}); }

}  // namespace

TrackReader::TrackReader(CSCSIDriver& drive, const ReadPolicy& policy, uint32_t start, uint32_t end)
    : drive_(drive), policy_(policy) {
  if (policy_.blockSectors < 1) policy_.blockSectors = 1;
  if (policy_.retries < 1) policy_.retries = 1;
  const int64_t lead = policy_.leadOut;
  auto clamp = [lead](int64_t sector) { return static_cast<uint32_t>(std::clamp<int64_t>(sector, 0, lead)); };
  rawFirst_ = clamp(FloorDiv(start * kFramesPerSector + policy_.offsetSamples, kFramesPerSector));
  rawEnd_ = clamp(CeilDiv(end * kFramesPerSector + policy_.offsetSamples, kFramesPerSector));
}

bool TrackReader::Allocate() {
  const size_t block = policy_.blockSectors;
  if (!TryResize(raw_, (block + 1) * kSectorBytes)) return false;
  if (!policy_.secure) return true;
  const size_t sectors = rawEnd_ > rawFirst_ ? rawEnd_ - rawFirst_ : 0;
  return TryResize(c2Buffer_, block * kCdSectorWithC2Bytes) && TryResize(testCrc_, sectors) &&
         TryResize(testFlagged_, sectors);
}

bool TrackReader::ReadBlock(Pass pass, uint32_t sector, uint32_t count, uint8_t* out) {
  const int64_t firstFrame = int64_t{sector} * kFramesPerSector + policy_.offsetSamples;
  const int64_t endFrame = int64_t{sector + count} * kFramesPerSector + policy_.offsetSamples;
  const int64_t first = std::max<int64_t>(FloorDiv(firstFrame, kFramesPerSector), 0);
  const int64_t end = std::min<int64_t>(CeilDiv(endFrame, kFramesPerSector), policy_.leadOut);
  const size_t outBytes = size_t{count} * kSectorBytes;
  // The common case needs no copy: no offset, and the disc has every sector.
  if (policy_.offsetSamples == 0 && first == sector && end == int64_t{sector} + count) {
    return ReadRaw(pass, sector, count, out);
  }
  std::memset(out, 0, outBytes);
  if (first >= end) return true;  // wholly outside the disc: silence
  if (!ReadRaw(pass, static_cast<uint32_t>(first), static_cast<uint32_t>(end - first), raw_.data())) return false;
  const int64_t wantFrom = firstFrame * kBytesPerFrame;
  const int64_t wantTo = endFrame * kBytesPerFrame;
  const int64_t haveFrom = first * static_cast<int64_t>(kSectorBytes);
  const int64_t haveTo = end * static_cast<int64_t>(kSectorBytes);
  const int64_t from = std::max(wantFrom, haveFrom);
  const int64_t to = std::min(wantTo, haveTo);
  if (from < to) {
    std::memcpy(out + (from - wantFrom), raw_.data() + (from - haveFrom), static_cast<size_t>(to - from));
  }
  return true;
}

bool TrackReader::ReadRaw(Pass pass, uint32_t first, uint32_t count, uint8_t* dest) {
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = std::min(count - done, policy_.blockSectors);
    const uint32_t at = first + done;
    uint8_t* to = dest + size_t{done} * kSectorBytes;
    std::vector<uint8_t> state(n, kGood);
    if (!ReadCommand(at, n, to, state)) {
      if (!policy_.skipErrors) return false;
      // Only the sectors that still fail one by one become silence, so the track keeps its length.
      for (uint32_t i = 0; i < n; ++i) {
        std::vector<uint8_t> one(1, kGood);
        if (ReadCommand(at + i, 1, to + size_t{i} * kSectorBytes, one)) {
          state[i] = one[0];
          continue;
        }
        std::memset(to + size_t{i} * kSectorBytes, 0, kSectorBytes);
        state[i] = kUnreadable;
        if (pass == Pass::Test) continue;  // the copy pass tries again and decides
        findings_.skipped.push_back(at + i);
        if (onFinding) onFinding(at + i, true);
      }
    }
    if (pass == Pass::Test) {
      for (uint32_t i = 0; i < n; ++i) {
        testCrc_[TestIndex(at + i)] = SectorCrc(to + size_t{i} * kSectorBytes);
        testFlagged_[TestIndex(at + i)] = state[i] != kGood ? 1 : 0;
      }
    } else if (pass == Pass::Copy) {
      for (uint32_t i = 0; i < n; ++i) {
        if (state[i] == kUnreadable) continue;
        uint8_t* sector = to + size_t{i} * kSectorBytes;
        const size_t index = TestIndex(at + i);
        if (state[i] == kGood && testFlagged_[index] == 0 && SectorCrc(sector) == testCrc_[index]) continue;
        Resolve(at + i, sector, state[i] == kFlagged);
      }
    }
    done += n;
  }
  return true;
}

bool TrackReader::ReadCommand(uint32_t first, uint32_t count, uint8_t* dest, std::vector<uint8_t>& state) {
  if (policy_.secure && c2_ != C2::Refused) {
    CDDAReadRequest request{first, count, count * kCdSectorWithC2Bytes, c2Buffer_.data()};
    if (drive_.ReadCDDAWithC2(request) != 0) {
      c2_ = C2::Works;
      findings_.c2Used = true;
      for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* sector = c2Buffer_.data() + size_t{i} * kCdSectorWithC2Bytes;
        std::memcpy(dest + size_t{i} * kSectorBytes, sector, kSectorBytes);
        state[i] = AnyBitSet(sector + kSectorBytes, kC2PointerBytes) ? kFlagged : kGood;
      }
      return true;
    }
  }
  // The plain read, with the drive's retries; a drive that reads this way but refused
  // the C2 field is not asked for it again.
  CDDAReadRequest request{first, count, count * kSectorBytes, dest};
  if (drive_.ReadCDDA(request) == 0) {
    error_ = drive_.LastErrorText();
    return false;
  }
  if (policy_.secure && c2_ == C2::Untried) c2_ = C2::Refused;
  std::fill(state.begin(), state.end(), kGood);
  return true;
}

// A sector whose test and copy readings differ is read again until one clean value
// (no C2 error) repeats; that reading is kept. One that never repeats is suspicious
// and keeps the copy pass's reading.
void TrackReader::Resolve(uint32_t sector, uint8_t* dest, bool copyFlagged) {
  std::vector<uint32_t> seen;
  const size_t index = TestIndex(sector);
  if (testFlagged_[index] == 0) seen.push_back(testCrc_[index]);
  if (!copyFlagged) {
    uint32_t crc = SectorCrc(dest);
    if (std::find(seen.begin(), seen.end(), crc) != seen.end()) return;
    seen.push_back(crc);
  }
  std::vector<uint8_t> again(kSectorBytes);
  for (int32_t attempt = 0; attempt < policy_.retries; ++attempt) {
    std::vector<uint8_t> state(1, kGood);
    if (!ReadCommand(sector, 1, again.data(), state) || state[0] != kGood) continue;
    uint32_t crc = SectorCrc(again.data());
    if (std::find(seen.begin(), seen.end(), crc) != seen.end()) {
      std::memcpy(dest, again.data(), kSectorBytes);
      return;
    }
    seen.push_back(crc);
  }
  findings_.suspicious.push_back(sector);
  if (onFinding) onFinding(sector, false);
}

}  // namespace sonvarek
