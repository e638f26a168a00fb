#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cdrom/scsi_driver.h"

namespace sonvarek {

// How a track's sectors are read.
struct ReadPolicy {
  int32_t offsetSamples = 0;   // the drive's read offset: output sample i is disc sample start × 588 + i + offset
  bool skipErrors = false;     // a sector that will not read becomes silence instead of failing the track
  bool secure = false;         // test and copy with re-reads of what differs
  int32_t retries = 4;         // re-reads of a sector whose readings differ
  uint32_t leadOut = 0;        // the disc's end: past it (and before 0) the disc holds silence
  uint32_t blockSectors = 26;  // sectors per read command
};

// What the reader learned while reading, in absolute sector numbers.
struct ReadFindings {
  std::vector<uint32_t> suspicious;  // never read the same twice (secure mode)
  std::vector<uint32_t> skipped;     // unreadable, replaced by silence
  bool c2Used = false;               // the drive's C2 error pointers took part
};

// Reads the audio of a track block by block, shifted by the read offset, with
// silence where the disc has nothing. Secure mode reads the track twice: a test pass
// that only notes each sector's CRC-32, then a copy pass that compares and re-reads
// each sector whose two readings differ (or that the drive flags with C2 errors)
// until one value repeats. The drive's C2 pointers are asked for in secure mode and
// used when the drive answers with them.
class TrackReader {
 public:
  enum class Pass { Plain, Test, Copy };

  // The track's output sectors are [start, end).
  TrackReader(CSCSIDriver& drive, const ReadPolicy& policy, uint32_t start, uint32_t end);

  // False when the buffers cannot be had.
  bool Allocate();
  // Fills `out` (count × 2352 bytes) with the output sectors [sector, sector + count),
  // count at most blockSectors. False when a read failed and errors are not skipped;
  // the drive's error text is then in ErrorText().
  bool ReadBlock(Pass pass, uint32_t sector, uint32_t count, uint8_t* out);

  const ReadFindings& Findings() const { return findings_; }
  const std::string& ErrorText() const { return error_; }
  // Called with each sector replaced by silence and each suspicious one, as found.
  std::function<void(uint32_t sector, bool skipped)> onFinding;

 private:
  bool ReadRaw(Pass pass, uint32_t first, uint32_t count, uint8_t* dest);
  bool ReadCommand(uint32_t first, uint32_t count, uint8_t* dest, std::vector<uint8_t>& state);
  void Resolve(uint32_t sector, uint8_t* dest, bool copyFlagged);
  size_t TestIndex(uint32_t sector) const { return sector - rawFirst_; }

  CSCSIDriver& drive_;
  ReadPolicy policy_;
  uint32_t rawFirst_ = 0;  // the disc sectors the track's output comes from
  uint32_t rawEnd_ = 0;
  enum class C2 { Untried, Works, Refused } c2_ = C2::Untried;
  std::vector<uint8_t> raw_;    // a block and one sector more, when the offset shifts
  std::vector<uint8_t> c2Buffer_;
  std::vector<uint32_t> testCrc_;     // per disc sector of the track, from the test pass
  std::vector<uint8_t> testFlagged_;  // 1: the test reading failed or had C2 errors
  ReadFindings findings_;
  std::string error_;
};

}  // namespace sonvarek
