#pragma once

#include <cstdint>
#include <span>

namespace sonvarek {

// The CRC-32 of zlib and PNG (reflected, polynomial 0xEDB88320), fed in pieces:
// Crc32 c; c.Add(a); c.Add(b); c.Value() equals the CRC of a followed by b.
class Crc32 {
 public:
  void Add(std::span<const uint8_t> bytes);
  uint32_t Value() const { return ~state_; }

 private:
  uint32_t state_ = 0xFFFFFFFFu;
};

// The CRC-32 of one piece.
uint32_t Crc32Of(std::span<const uint8_t> bytes);

}  // namespace sonvarek
