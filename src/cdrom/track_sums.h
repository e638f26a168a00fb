#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "jobs/wav_normalizer.h"
#include "verify/accuraterip.h"
#include "verify/crc32.h"

namespace sonvarek {

// The CRC-32, the AccurateRip sums and the peak of a track's audio, taken on a thread
// of their own while the rip reads and writes the next blocks: they cost a pass over
// every byte, which would otherwise add to the rip's time.
class TrackSums {
 public:
  struct Result {
    uint32_t crc = 0;
    uint32_t v1 = 0;
    uint32_t v2 = 0;
    int32_t peak = 0;
  };

  explicit TrackSums(const std::optional<AccurateRipChecksum>& checksum);
  ~TrackSums();
  TrackSums(const TrackSums&) = delete;
  TrackSums& operator=(const TrackSums&) = delete;

  // Takes the first `used` bytes of `buffer` to sum and gives the caller another buffer
  // of the same size in its place, so that nothing is copied; waits only while several
  // earlier blocks are still being summed.
  void Add(std::vector<uint8_t>& buffer, size_t used);
  // Every block added so far, summed.
  Result Finish();

 private:
  void Run();

  std::optional<AccurateRipChecksum> checksum_;
  Crc32 crc_;
  PeakMeter peak_;
  std::mutex mutex_;
  std::condition_variable changed_;
  struct Block {
    std::vector<uint8_t> bytes;
    size_t used = 0;
  };
  std::vector<Block> queued_;                  // oldest first
  std::vector<std::vector<uint8_t>> spare_;   // buffers to reuse
  bool busy_ = false;                          // the thread sums a block outside the lock
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once everything above exists
};

}  // namespace sonvarek
