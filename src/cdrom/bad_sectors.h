#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvarek {

// Sectors the image drive reports as unreadable, or reads as noise. A range
// misbehaves on every read that touches it, or only on its first `failures` reads
// (a drive that succeeds on retry).
class BadSectorList {
 public:
  struct Range {
    uint32_t first = 0;
    uint32_t last = 0;     // inclusive
    int32_t failures = -1; // reads that still misbehave; -1 for always
  };

  // "1000-1010,5000,7000*2": single sectors or inclusive ranges separated by commas,
  // each optionally followed by "*N" (fails N reads, then reads well). White space is
  // allowed around the parts. Nothing, with `error` set, for any other text.
  static std::optional<BadSectorList> Parse(std::string_view text, std::string& error);

  void Add(Range range) { ranges_.push_back(range); }
  bool Empty() const { return ranges_.empty(); }
  const std::vector<Range>& Ranges() const { return ranges_; }

  // Whether a read of [first, first + count) fails now; a failing limited range
  // uses one of its failures.
  bool ReadFails(uint32_t first, uint32_t count);

  // One flag for each sector of [first, first + count): whether it lies in a range
  // that misbehaves on this read. Every limited range the read touches uses one of
  // its reads.
  std::vector<bool> TakeRead(uint32_t first, uint32_t count);

 private:
  std::vector<Range> ranges_;
};

}  // namespace sonvarek
